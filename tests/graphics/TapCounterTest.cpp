#include <graphics/TapCounter.hpp>

#include <gtest/gtest.h>

#include <vector>

using graphics::TapCounter;

namespace {

// A press at (x, y, time), optionally dragged to (dragX, dragY) before its release.
struct Press {
    float x;
    float y;
    double time;
    float dragX {-1};
    float dragY {-1};
};

std::vector<int> counts(std::vector<Press> const& presses) {
    TapCounter counter;
    std::vector<int> result;
    for (auto const& press : presses) {
        result.push_back(counter.press(press.x, press.y, press.time));
        if (press.dragX >= 0)
            counter.move(press.dragX, press.dragY);
    }
    return result;
}

}

TEST(TapCounter, CountsPressesThatFollowCloselyInTimeAndPlace) {
    struct Case {
        char const* name;
        std::vector<Press> presses;
        std::vector<int> expected;
    } const cases[] = {
        {"one press", {{10, 10, 1.0}}, {1}},
        {"double", {{10, 10, 1.0}, {12, 11, 1.2}}, {1, 2}},
        {"triple", {{10, 10, 1.0}, {10, 10, 1.2}, {10, 10, 1.4}}, {1, 2, 3}},
        {"interval limit is inside", {{10, 10, 1.0}, {10, 10, 1.3}}, {1, 2}},
        {"too slow", {{10, 10, 1.0}, {10, 10, 1.31}}, {1, 1}},
        {"too far", {{10, 10, 1.0}, {19, 10, 1.1}}, {1, 1}},
        {"distance limit is inside", {{10, 10, 1.0}, {18, 10, 1.1}}, {1, 2}},
        {"measured from press to press", {{10, 10, 1.0}, {10, 10, 1.2}, {10, 10, 1.45}}, {1, 2, 3}},
        {"slow third starts again", {{10, 10, 1.0}, {10, 10, 1.2}, {10, 10, 1.6}}, {1, 2, 1}},
        {"a drag is no tap", {{10, 10, 1.0, 40, 10}, {10, 10, 1.1}}, {1, 1}},
        {"a small wobble is still a tap", {{10, 10, 1.0, 13, 12}, {10, 10, 1.1}}, {1, 2}},
        {"time going back starts again", {{10, 10, 1.0}, {10, 10, 0.9}}, {1, 1}},
    };
    for (auto const& c : cases)
        EXPECT_EQ(counts(c.presses), c.expected) << c.name;
}

TEST(TapCounter, ResetForgetsThePreviousPress) {
    TapCounter counter;
    EXPECT_EQ(counter.press(5, 5, 0), 1);
    counter.reset();
    EXPECT_EQ(counter.press(5, 5, 0.1), 1);
}
