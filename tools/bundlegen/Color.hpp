#pragma once

#include <cstdint>

namespace bundlegen {

// An RGBA colour with components in 0..1, the form cairo takes.
struct Color {
    double r {0};
    double g {0};
    double b {0};
    double a {1};

    static constexpr Color hex(uint32_t rgb, double alpha = 1.0) {
        return {
            ((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, alpha};
    }

    constexpr Color withAlpha(double alpha) const { return {r, g, b, alpha}; }

    // Mixes towards white (amount > 0) or black (amount < 0); the hue stays.
    constexpr Color shade(double amount) const {
        if (amount >= 0)
            return {r + (1 - r) * amount, g + (1 - g) * amount, b + (1 - b) * amount, a};
        double k = 1 + amount;
        return {r * k, g * k, b * k, a};
    }

    constexpr Color mix(Color const& other, double t) const {
        return {r + (other.r - r) * t, g + (other.g - g) * t, b + (other.b - b) * t,
            a + (other.a - a) * t};
    }
};

// The one palette of the game: warm creams and peaches, with teal and honey accents.
// Every drawing takes its colours from here so that the whole bundle reads as one set.
namespace palette {
constexpr Color outline = Color::hex(0x5b3a29);
constexpr Color ink = Color::hex(0x4a2f22);
constexpr Color cream = Color::hex(0xfff4e0);
constexpr Color creamDark = Color::hex(0xf3ddb8);
constexpr Color paper = Color::hex(0xfffaf0);
constexpr Color peach = Color::hex(0xffb38a);
constexpr Color coral = Color::hex(0xff7f66);
constexpr Color rose = Color::hex(0xf27c96);
constexpr Color pink = Color::hex(0xffc2d1);
constexpr Color blush = Color::hex(0xff8fa3);
constexpr Color mint = Color::hex(0x8ed8b8);
constexpr Color teal = Color::hex(0x3fb5a6);
constexpr Color tealDark = Color::hex(0x2a8c80);
constexpr Color sky = Color::hex(0x8fd3f4);
constexpr Color blue = Color::hex(0x4a9be0);
constexpr Color navy = Color::hex(0x2f4a7a);
constexpr Color honey = Color::hex(0xffcf5c);
constexpr Color gold = Color::hex(0xf5b731);
constexpr Color goldDark = Color::hex(0xc98a1c);
constexpr Color orange = Color::hex(0xff9f43);
constexpr Color lilac = Color::hex(0xc4a7e7);
constexpr Color purple = Color::hex(0x8e6cc9);
constexpr Color green = Color::hex(0x7cc76b);
constexpr Color leaf = Color::hex(0x4fa55b);
constexpr Color red = Color::hex(0xe8545a);
constexpr Color woodLight = Color::hex(0xe0a96d);
constexpr Color wood = Color::hex(0xb97a4a);
constexpr Color woodDark = Color::hex(0x8a5533);
constexpr Color grey = Color::hex(0xb9ada3);
constexpr Color greyDark = Color::hex(0x7d716a);
constexpr Color white = Color::hex(0xffffff);
constexpr Color black = Color::hex(0x2b1d16);
constexpr Color skin = Color::hex(0xffd9bf);
constexpr Color skinTan = Color::hex(0xe8b48a);
constexpr Color skinDeep = Color::hex(0xa8704a);
}

}
