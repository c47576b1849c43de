#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ads::bountix {

// One named character entity: its text with both marks ("&amp;") and its UTF-16 code unit.
struct HTMLEntity {
    char const* text;
    std::uint16_t unit;
};

// Sorted by code unit so a unit is found by binary search.
extern std::array<HTMLEntity, 253> const fullHTMLEntityTable;
extern std::array<HTMLEntity, 33> const shortHTMLEntityTable;

// HTML escaping and unescaping of text held as UTF-8 and worked on as UTF-16 units.
namespace BTXNSStringHTMLAdditions {

enum class EscapeUnicode { No, Yes };

// Each unit found in the table becomes its entity; a unit not in it stays, unless it
// is 128 or above and numeric escapes are on, when it becomes "&#N;".
template<std::size_t N>
std::string CHW_stringByEscapingHTMLUsingTable(
    std::string_view text, std::array<HTMLEntity, N> const& table, EscapeUnicode escapeUnicode);
// The short table without numeric escapes.
std::string CHW_stringByEscapingForHTML(std::string_view text);
// The full table with numeric escapes, so the result is plain ASCII.
std::string CHW_stringByEscapingForAsciiHTML(std::string_view text);
// Replaces numeric entities of 1 to 65534 and the named entities of the full table;
// anything else that looks like an entity stays as it is.
std::string CHW_stringByUnescapingFromHTML(std::string_view text);

}

}
