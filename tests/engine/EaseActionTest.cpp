#include "ActionHelpers.hpp"
#include "EngineFixture.hpp"

#include <engine/Describe.hpp>
#include <engine/EaseAction.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace engine;
using test::ProgressRecorder;

namespace {

class EaseActionTest : public test::EngineTest { };

using Maker = std::function<base::Ref<EaseAction>(base::Ref<IntervalAction>)>;

}

TEST_F(EaseActionTest, EachEaseHandsItsInnerActionTheEasedProgress) {
    struct Case {
        char const* name;
        Maker make;
        std::vector<std::pair<float, float>> values; // t and eased t
    };
    Case const cases[] = {
        {"EaseAction", [](auto a) { return EaseAction::actionWithAction(a); },
            {{0, 0}, {0.3f, 0.3f}, {1, 1}}},
        {"EaseRateAction", [](auto a) { return EaseRateAction::actionWithAction(a, 3); },
            {{0.3f, 0.3f}}},
        {"EaseIn 2", [](auto a) { return EaseIn::actionWithAction(a, 2); },
            {{0, 0}, {0.5f, 0.25f}, {1, 1}}},
        {"EaseOut 2", [](auto a) { return EaseOut::actionWithAction(a, 2); },
            {{0, 0}, {0.5f, 0.70710677f}, {1, 1}}},
        {"EaseInOut 2", [](auto a) { return EaseInOut::actionWithAction(a, 2); },
            {{0, 0}, {0.25f, 0.125f}, {0.5f, 0.5f}, {0.75f, 0.875f}, {1, 1}}},
        {"EaseInOut 3", [](auto a) { return EaseInOut::actionWithAction(a, 3); },
            {{0.25f, 0.0625f}, {0.75f, 0.9375f}, {1, 1}}},
        {"EaseExponentialIn", [](auto a) { return EaseExponentialIn::actionWithAction(a); },
            {{0, 0}, {0.5f, 0.03025f}, {1, 0.999f}}},
        {"EaseExponentialOut", [](auto a) { return EaseExponentialOut::actionWithAction(a); },
            {{0, 0}, {0.5f, 0.96875f}, {1, 1}}},
        {"EaseExponentialInOut", [](auto a) { return EaseExponentialInOut::actionWithAction(a); },
            {{0, 0.0004882812f}, {0.25f, 0.015625f}, {0.5f, 0.5f}, {0.75f, 0.984375f},
                {1, 0.9995117f}}},
        {"EaseSineIn", [](auto a) { return EaseSineIn::actionWithAction(a); },
            {{0, 0}, {0.5f, 0.29289323f}, {1, 1}}},
        {"EaseSineOut", [](auto a) { return EaseSineOut::actionWithAction(a); },
            {{0, 0}, {0.5f, 0.70710677f}, {1, 1}}},
        {"EaseSineInOut", [](auto a) { return EaseSineInOut::actionWithAction(a); },
            {{0, 0}, {0.25f, 0.14644662f}, {0.5f, 0.5f}, {1, 1}}},
    };
    for (auto const& c : cases) {
        auto inner = ProgressRecorder::make(2);
        auto ease = c.make(inner);
        EXPECT_EQ(ease->duration(), 2) << c.name;
        test::startOn(*ease, nullptr);
        for (auto const& [t, eased] : c.values) {
            ease->update(t);
            EXPECT_NEAR(inner->updates.back(), eased, 2e-7f) << c.name << " at t = " << t;
        }
    }
}

TEST_F(EaseActionTest, EasedValuesAreExactWhereTheEndsAreSpecial) {
    auto inner = ProgressRecorder::make(1);
    auto out = EaseExponentialOut::actionWithAction(inner);
    out->update(1);
    EXPECT_EQ(inner->updates.back(), 1.0f);
    auto in = EaseExponentialIn::actionWithAction(inner);
    in->update(1);
    EXPECT_EQ(inner->updates.back(), 0.999f);
    in->update(0);
    EXPECT_EQ(inner->updates.back(), 0.0f);
    // Just after 0 the exponential ease-in goes slightly below 0: not clamped.
    in->update(1e-6f);
    EXPECT_LT(inner->updates.back(), 0.0f);
    EXPECT_NEAR(inner->updates.back(), -0.0000234f, 1e-7f);
}

TEST_F(EaseActionTest, ReversesAroundTheReversedInnerAction) {
    struct Case {
        char const* name;
        Maker make;
        char const* reverseClass;
        float reverseRate; // 0 for eases without a rate
    };
    Case const cases[] = {
        {"EaseAction", [](auto a) { return EaseAction::actionWithAction(a); }, "EaseAction", 0},
        {"EaseRateAction", [](auto a) { return EaseRateAction::actionWithAction(a, 4); },
            "EaseRateAction", 0.25f},
        {"EaseIn 3", [](auto a) { return EaseIn::actionWithAction(a, 3); }, "EaseIn", 0.33333334f},
        {"EaseOut 2", [](auto a) { return EaseOut::actionWithAction(a, 2); }, "EaseOut", 0.5f},
        {"EaseInOut 2", [](auto a) { return EaseInOut::actionWithAction(a, 2); }, "EaseInOut", 2},
        {"EaseExponentialIn", [](auto a) { return EaseExponentialIn::actionWithAction(a); },
            "EaseExponentialOut", 0},
        {"EaseExponentialOut", [](auto a) { return EaseExponentialOut::actionWithAction(a); },
            "EaseExponentialIn", 0},
        {"EaseExponentialInOut", [](auto a) { return EaseExponentialInOut::actionWithAction(a); },
            "EaseExponentialInOut", 0},
        {"EaseSineIn", [](auto a) { return EaseSineIn::actionWithAction(a); }, "EaseSineOut", 0},
        {"EaseSineOut", [](auto a) { return EaseSineOut::actionWithAction(a); }, "EaseSineIn", 0},
        {"EaseSineInOut", [](auto a) { return EaseSineInOut::actionWithAction(a); },
            "EaseSineInOut", 0},
    };
    for (auto const& c : cases) {
        auto inner = ProgressRecorder::make(1);
        auto reversed = base::ref_cast<EaseAction>(c.make(inner)->reverse());
        ASSERT_TRUE(reversed) << c.name;
        EXPECT_EQ(className(*reversed), c.reverseClass) << c.name;
        auto* reversedInner = dynamic_cast<ProgressRecorder*>(reversed->innerAction());
        ASSERT_NE(reversedInner, nullptr) << c.name;
        EXPECT_TRUE(reversedInner->reversed) << c.name;
        if (c.reverseRate != 0) {
            auto rated = base::ref_cast<EaseRateAction>(reversed);
            ASSERT_TRUE(rated) << c.name;
            EXPECT_FLOAT_EQ(rated->rate(), c.reverseRate) << c.name;
        }
    }
}

TEST_F(EaseActionTest, StartsButNeverStopsItsInnerActionAndCopiesIt) {
    auto inner = ProgressRecorder::make(1);
    auto ease = EaseIn::actionWithAction(inner, 2);
    auto node = SceneNode::node();
    test::startOn(*ease, node.get());
    EXPECT_EQ(inner->target(), node.get());
    EXPECT_EQ(inner->starts, 1);
    ease->stop();
    EXPECT_EQ(inner->stops, 0);
    auto copy = base::ref_cast<EaseIn>(ease->copy());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->rate(), 2);
    EXPECT_NE(copy->innerAction(), inner.get());
    EXPECT_DEATH(EaseAction::actionWithAction(nullptr), "Ease: arguments must be non-nil");
}

TEST_F(EaseActionTest, AnEasedMoveRunsThroughTheManagerToItsEnd) {
    auto node = test::ColorNode::make();
    node->onEnter();
    node->runAction(EaseOut::actionWithAction(MoveBy::actionWithDuration(1, {100, 0}), 2));
    tick(0.25f);
    tick(0.25f);
    EXPECT_NEAR(node->position().x, 50, 1e-4f);
    for (int i = 0; i < 3; ++i)
        tick(0.25f);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_FLOAT_EQ(node->position().x, 100);
}
