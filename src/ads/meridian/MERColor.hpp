#pragma once

#include <ui/Color.hpp>

#include <optional>
#include <string_view>

namespace ads::meridian {

// The colour texts of ad pages and video buttons. Split at ",": four parts are red,
// green, blue and alpha, three parts red, green and blue with alpha 1, each read as a
// decimal number and passed on unscaled (so "255,0,0" is not divided by 255: the
// colour takes it as the fullest red). One part is trimmed and upper-cased; longer than five
// characters it may start with "#", which is dropped, and exactly six hexadecimal
// digits RRGGBB give a colour with alpha 1, anything else black. Two or more than
// four parts give no colour.
std::optional<ui::Color> colorFromString(std::string_view text);

}
