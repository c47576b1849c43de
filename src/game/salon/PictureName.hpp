#pragma once

#include <string>
#include <string_view>

namespace game {

// A picture name with its one integer placeholder ("%d", "%i" or "%u", with the
// flags "-", "0", "+" and " ", a width of at most 64 and length letters) replaced by
// value, and "%%" by "%". Every other "%" and any second placeholder stay as
// written, so a name read from a downloaded list never acts as a format.
std::string formatPictureName(std::string_view pic, int value);

}
