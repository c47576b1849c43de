#pragma once

#include <iosfwd>
#include <string>

namespace ui {

// A colour of the view system: red, green, blue and alpha as floats from 0 to 1, not
// premultiplied. A plain value. Colours made from a white level (the greys, black, white
// and clear among the named colours) remember it: code that asks how many components a
// colour has answers 2 for them and 4 for the others, as the platform does.
class Color {
public:
    constexpr Color() = default;

    static constexpr Color colorWithRed(float red, float green, float blue, float alpha = 1) {
        return Color(red, green, blue, alpha, false);
    }
    static constexpr Color colorWithWhite(float white, float alpha = 1) {
        return Color(white, white, white, alpha, true);
    }
    // 0 to 255 per channel, as colours are often written.
    static constexpr Color colorWithBytes(int red, int green, int blue, int alpha = 255) {
        return colorWithRed(red / 255.0f, green / 255.0f, blue / 255.0f, alpha / 255.0f);
    }

    static constexpr Color clearColor() { return colorWithWhite(0, 0); }
    static constexpr Color blackColor() { return colorWithWhite(0); }
    static constexpr Color whiteColor() { return colorWithWhite(1); }
    static constexpr Color darkGrayColor() { return colorWithWhite(1.0f / 3); }
    static constexpr Color grayColor() { return colorWithWhite(0.5f); }
    static constexpr Color lightGrayColor() { return colorWithWhite(2.0f / 3); }
    static constexpr Color redColor() { return colorWithRed(1, 0, 0); }
    static constexpr Color greenColor() { return colorWithRed(0, 1, 0); }
    static constexpr Color blueColor() { return colorWithRed(0, 0, 1); }
    static constexpr Color cyanColor() { return colorWithRed(0, 1, 1); }
    static constexpr Color yellowColor() { return colorWithRed(1, 1, 0); }
    static constexpr Color magentaColor() { return colorWithRed(1, 0, 1); }
    static constexpr Color orangeColor() { return colorWithRed(1, 0.5f, 0); }
    static constexpr Color purpleColor() { return colorWithRed(0.5f, 0, 0.5f); }
    static constexpr Color brownColor() { return colorWithRed(0.6f, 0.4f, 0.2f); }

    constexpr float red() const { return r_; }
    constexpr float green() const { return g_; }
    constexpr float blue() const { return b_; }
    constexpr float alpha() const { return a_; }
    // 2 for a colour made from a white level (white and alpha), else 4.
    constexpr int numberOfComponents() const { return white_ ? 2 : 4; }
    constexpr bool isClear() const { return a_ <= 0; }

    constexpr Color colorWithAlphaComponent(float alpha) const {
        return Color(r_, g_, b_, alpha, white_);
    }

    // The colour at t between this one (t = 0) and other (t = 1), channel by channel.
    Color interpolated(Color const& other, float t) const;

    bool operator==(Color const&) const = default;

private:
    constexpr Color(float r, float g, float b, float a, bool white)
        : r_(clamp(r))
        , g_(clamp(g))
        , b_(clamp(b))
        , a_(clamp(a))
        , white_(white) { }

    static constexpr float clamp(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

    float r_ {0};
    float g_ {0};
    float b_ {0};
    float a_ {0};
    bool white_ {true};
};

// "(r, g, b, a)", for messages and test failures.
std::string describe(Color const& color);
std::ostream& operator<<(std::ostream& out, Color const& color);

}
