#include <ads/meridian/MERColor.hpp>

#include <gtest/gtest.h>

#include <optional>

using ads::meridian::colorFromString;

namespace {

struct Expected {
    float red, green, blue, alpha;
};

}

TEST(MERColor, ReadsTheAdServersColourTexts) {
    struct Case {
        char const* text;
        std::optional<Expected> colour;
    };
    std::initializer_list<Case> cases {
        {"#ff8000", Expected {1, 128 / 255.0f, 0, 1}},
        {"  FF8000 ", Expected {1, 128 / 255.0f, 0, 1}},
        {"0.5,0.5,0.5", Expected {0.5f, 0.5f, 0.5f, 1}},
        {"1,0,0", Expected {1, 0, 0, 1}},
        {"1,0,0,0.25", Expected {1, 0, 0, 0.25f}},
        // Not scaled by 255: the colour holds it as the fullest red.
        {"255,0,0", Expected {1, 0, 0, 1}},
        // One part that is not six hexadecimal digits: black.
        {"#fff", Expected {0, 0, 0, 1}},
        {"#ff80zz", Expected {0, 0, 0, 1}},
        {"orange", Expected {0, 0, 0, 1}},
        {"", Expected {0, 0, 0, 1}},
        // Two parts, or more than four: no colour.
        {"1,2", std::nullopt},
        {"1,2,3,4,5", std::nullopt},
    };
    for (auto const& c : cases) {
        auto colour = colorFromString(c.text);
        ASSERT_EQ(colour.has_value(), c.colour.has_value()) << c.text;
        if (!colour)
            continue;
        EXPECT_FLOAT_EQ(colour->red(), c.colour->red) << c.text;
        EXPECT_FLOAT_EQ(colour->green(), c.colour->green) << c.text;
        EXPECT_FLOAT_EQ(colour->blue(), c.colour->blue) << c.text;
        EXPECT_FLOAT_EQ(colour->alpha(), c.colour->alpha) << c.text;
    }
}
