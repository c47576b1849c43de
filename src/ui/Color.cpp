#include <ui/Color.hpp>

#include <cstdio>
#include <ostream>

namespace ui {

Color Color::interpolated(Color const& other, float t) const {
    auto mix = [t](float a, float b) { return a + (b - a) * t; };
    return Color(mix(r_, other.r_), mix(g_, other.g_), mix(b_, other.b_), mix(a_, other.a_),
        white_ && other.white_);
}

std::string describe(Color const& color) {
    char text[64];
    std::snprintf(text, sizeof text, "(%.3f, %.3f, %.3f, %.3f)", double(color.red()),
        double(color.green()), double(color.blue()), double(color.alpha()));
    return text;
}

std::ostream& operator<<(std::ostream& out, Color const& color) {
    return out << describe(color);
}

}
