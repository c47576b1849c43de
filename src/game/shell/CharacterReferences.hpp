#pragma once

#include <string>
#include <string_view>

namespace game {

// Turns the numeric character references of a text ("&#233;", "&#xE9;") into their
// characters, as UTF-8. Only a complete reference (ended by ";") that names a Unicode
// scalar value (not 0, not a surrogate half, not past U+10FFFF) is decoded; anything
// else stays as it came. The result is never longer than the text. Kept apart from the
// screen that uses it, with no dependencies, so a fuzz program can build it alone.
std::string decodeCharacterReferences(std::string_view text);

}
