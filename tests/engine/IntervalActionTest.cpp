#include "ActionHelpers.hpp"
#include "EngineFixture.hpp"

#include <base/Exception.hpp>
#include <engine/Describe.hpp>
#include <engine/IntervalAction.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace engine;
using test::ColorNode;
using test::ProgressRecorder;

namespace {

class IntervalActionTest : public test::EngineTest { };

std::vector<float> position(ColorNode& n) {
    return {n.position().x, n.position().y};
}
std::vector<float> rotation(ColorNode& n) {
    return {n.rotation()};
}
std::vector<float> scale(ColorNode& n) {
    return {n.scaleX(), n.scaleY()};
}
std::vector<float> visible(ColorNode& n) {
    return {n.visible() ? 1.0f : 0.0f};
}
std::vector<float> opacity(ColorNode& n) {
    return {static_cast<float>(n.opacity())};
}
std::vector<float> color(ColorNode& n) {
    return {static_cast<float>(n.color().r), static_cast<float>(n.color().g),
        static_cast<float>(n.color().b)};
}

// One action, the node it starts on, and the node's property after update(t)
// for a few t.
struct Case {
    char const* name;
    std::function<base::Ref<IntervalAction>()> make;
    std::function<void(ColorNode&)> setup;
    std::function<std::vector<float>(ColorNode&)> read;
    std::vector<std::pair<float, std::vector<float>>> values;
};

void checkCase(Case const& c) {
    auto node = ColorNode::make();
    if (c.setup)
        c.setup(*node);
    auto action = c.make();
    test::startOn(*action, node.get());
    for (auto const& [t, expected] : c.values) {
        action->update(t);
        auto actual = c.read(*node);
        ASSERT_EQ(actual.size(), expected.size()) << c.name;
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_NEAR(actual[i], expected[i], 1e-3f)
                << c.name << " at t = " << t << " [" << i << "]";
    }
}

auto at(Point p) {
    return [p](ColorNode& n) { n.setPosition(p); };
}
auto turned(float degrees) {
    return [degrees](ColorNode& n) { n.setRotation(degrees); };
}
auto tinted(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return [=](ColorNode& n) { n.setColor({r, g, b}); };
}

}

// The interval stepping rule

TEST_F(IntervalActionTest, StepsUpdateWithTheElapsedShareAfterAFirstStepThatCountsNoTime) {
    struct Case {
        float duration;
        float dt;
        std::vector<float> updates;
    };
    Case const cases[] = {
        {0.5f, 0.25f, {0, 0.5f, 1}},
        {1, 0.25f, {0, 0.25f, 0.5f, 0.75f, 1}},
        {1, 0.75f, {0, 0.75f, 1}},
        {0, 0.25f, {0, 1}},
    };
    for (auto const& c : cases) {
        auto action = ProgressRecorder::make(c.duration);
        test::startOn(*action, nullptr);
        int steps = 0;
        while (!action->isDone() && steps < 10) {
            action->step(c.dt);
            ++steps;
        }
        EXPECT_EQ(action->updates, c.updates) << c.duration << " by " << c.dt;
    }
}

TEST_F(IntervalActionTest, AZeroDurationIsKeptAsOneHundredMillionthOfASecond) {
    auto action = IntervalAction::actionWithDuration(0);
    EXPECT_EQ(action->duration(), 1e-8f);
    test::startOn(*action, nullptr);
    test::LogCapture log;
    action->step(0.1f);
    EXPECT_FALSE(action->isDone());
    action->step(0.1f);
    EXPECT_TRUE(action->isDone());
}

TEST_F(IntervalActionTest, StartResetsTheTiming) {
    auto action = ProgressRecorder::make(0.5f);
    test::startOn(*action, nullptr);
    action->step(0.25f);
    action->step(0.5f);
    EXPECT_TRUE(action->isDone());
    action->start();
    EXPECT_EQ(action->elapsed(), 0);
    EXPECT_FALSE(action->isDone());
    action->step(0.3f);
    EXPECT_EQ(action->updates.back(), 0);
}

TEST_F(IntervalActionTest, ADurationSetToZeroLaterNeverDividesByZero) {
    auto action = ProgressRecorder::make(1);
    action->setDuration(0);
    test::startOn(*action, nullptr);
    action->step(0.25f);
    action->step(0.25f);
    EXPECT_EQ(action->updates, (std::vector<float> {0, 1}));
    EXPECT_TRUE(action->isDone());
}

TEST_F(IntervalActionTest, PlainInitAndReverseRaiseNamedExceptions) {
    try {
        IntervalAction::action();
        FAIL() << "no exception";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "IntervalActionInit");
        EXPECT_EQ(e.reason(), "Init not supported. Use InitWithDuration");
    }
    EXPECT_THROW(DelayTime::action(), base::Exception);
    try {
        IntervalAction::actionWithDuration(1)->reverse();
        FAIL() << "no exception";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "ReverseActionNotImplemented");
        EXPECT_EQ(e.reason(), "Reverse Action not implemented");
    }
}

TEST_F(IntervalActionTest, AOneSecondActionAtSixtyTicksASecondEndsOnAboutTheSixtyFirstStep) {
    auto node = ColorNode::make();
    node->onEnter();
    auto action = ProgressRecorder::make(1);
    node->runAction(action);
    int ticks = 0;
    while (node->numberOfRunningActions() > 0 && ticks < 100) {
        tick(1.0f / 60);
        ++ticks;
    }
    EXPECT_GE(ticks, 61);
    EXPECT_LE(ticks, 62);
    EXPECT_EQ(action->updates.front(), 0);
    EXPECT_EQ(action->updates.back(), 1);
    EXPECT_EQ(action->stops, 1);
}

// What each member sets

TEST_F(IntervalActionTest, EveryMemberSetsItsPropertyForTheProgress) {
    Case const cases[] = {
        {"RotateTo 10 from 350 turns +20 through 360",
            [] { return RotateTo::actionWithDuration(1, 10); }, turned(350), rotation,
            {{0, {350}}, {0.5f, {360}}, {1, {370}}}},
        {"RotateTo 90 from 720 starts at 0", [] { return RotateTo::actionWithDuration(1, 90); },
            turned(720), rotation, {{0, {0}}, {1, {90}}}},
        {"RotateTo -170 from 170 folds -340 to +20",
            [] { return RotateTo::actionWithDuration(1, -170); }, turned(170), rotation,
            {{0.5f, {180}}, {1, {190}}}},
        {"RotateTo 0 from -350 turns -10", [] { return RotateTo::actionWithDuration(1, 0); },
            turned(-350), rotation, {{0, {-350}}, {1, {-360}}}},
        {"RotateTo 180 from 0 turns +180", [] { return RotateTo::actionWithDuration(1, 180); },
            nullptr, rotation, {{1, {180}}}},
        {"RotateBy 90 from 30", [] { return RotateBy::actionWithDuration(1, 90); }, turned(30),
            rotation, {{0, {30}}, {0.5f, {75}}, {1, {120}}}},
        {"MoveTo (100, 50) from (20, 10)",
            [] {
                return MoveTo::actionWithDuration(1, {100, 50});
            },
            at({20, 10}), position, {{0, {20, 10}}, {0.5f, {60, 30}}, {1, {100, 50}}}},
        {"MoveBy (30, -10) from (5, 5)",
            [] {
                return MoveBy::actionWithDuration(1, {30, -10});
            },
            at({5, 5}), position, {{0.5f, {20, 0}}, {1, {35, -5}}}},
        {"JumpBy 2 jumps of 50",
            [] {
                return JumpBy::actionWithDuration(1, {100, 20}, 50, 2);
            },
            nullptr, position,
            {{0.25f, {25, 55}}, {0.5f, {50, 10}}, {0.75f, {75, 65}}, {1, {100, 20}}}},
        {"JumpTo (100, 20) from (10, 10)",
            [] {
                return JumpTo::actionWithDuration(1, {100, 20}, 30, 1);
            },
            at({10, 10}), position, {{0.5f, {55, 45}}, {1, {100, 20}}}},
        {"BezierBy through its control points",
            [] {
                return BezierBy::actionWithDuration(1, {{0, 0}, {100, 0}, {0, 100}, {100, 100}});
            },
            at({10, 10}), position, {{0, {10, 10}}, {0.5f, {60, 85}}, {1, {110, 10}}}},
        {"ScaleTo 2 from 1", [] { return ScaleTo::actionWithDuration(1, 2); }, nullptr, scale,
            {{0.5f, {1.5f, 1.5f}}, {1, {2, 2}}}},
        {"ScaleTo (3, 0.5)", [] { return ScaleTo::actionWithDuration(1, 3, 0.5f); }, nullptr, scale,
            {{0.5f, {2, 0.75f}}, {1, {3, 0.5f}}}},
        {"ScaleBy 2 from 1.5 ends at 3", [] { return ScaleBy::actionWithDuration(1, 2); },
            [](ColorNode& n) { n.setScale(1.5f); }, scale, {{0.5f, {2.25f, 2.25f}}, {1, {3, 3}}}},
        {"Blink once", [] { return Blink::actionWithDuration(1, 1); }, nullptr, visible,
            {{0, {0}}, {0.25f, {0}}, {0.5f, {0}}, {0.75f, {1}}, {0.99f, {1}}, {1, {0}}}},
        {"Blink three times", [] { return Blink::actionWithDuration(1, 3); }, nullptr, visible,
            {{0.1f, {0}}, {0.2f, {1}}, {0.4f, {0}}, {0.6f, {1}}, {1, {1}}}},
        {"FadeIn", [] { return FadeIn::actionWithDuration(1); }, nullptr, opacity,
            {{0, {0}}, {0.5f, {127}}, {1, {255}}}},
        {"FadeOut", [] { return FadeOut::actionWithDuration(1); }, nullptr, opacity,
            {{0, {255}}, {0.5f, {127}}, {1, {0}}}},
        {"FadeTo 0 from 255", [] { return FadeTo::actionWithDuration(1, 0); }, nullptr, opacity,
            {{0.5f, {127}}, {0.999f, {0}}, {1, {0}}}},
        {"FadeTo 150 from 100", [] { return FadeTo::actionWithDuration(1, 150); },
            [](ColorNode& n) { n.setOpacity(100); }, opacity, {{0.5f, {125}}, {1, {150}}}},
        {"TintTo blue from red", [] { return TintTo::actionWithDuration(1, 0, 0, 255); },
            tinted(255, 0, 0), color, {{0, {255, 0, 0}}, {0.5f, {127, 0, 127}}, {1, {0, 0, 255}}}},
        {"TintBy", [] { return TintBy::actionWithDuration(1, -100, 50, 20); }, tinted(200, 100, 0),
            color, {{0.5f, {150, 125, 10}}, {1, {100, 150, 20}}}},
        {"TintBy past 255 wraps as a byte",
            [] { return TintBy::actionWithDuration(1, 100, 0, -10); }, tinted(200, 0, 5), color,
            {{1, {44, 0, 251}}}},
        {"Fades clamp progress outside 0..1", [] { return FadeIn::actionWithDuration(1); }, nullptr,
            opacity, {{-0.5f, {0}}, {1.5f, {255}}}},
        {"TintTo clamps progress outside 0..1",
            [] { return TintTo::actionWithDuration(1, 200, 0, 0); }, tinted(100, 0, 0), color,
            {{2, {255, 0, 0}}, {-2, {0, 0, 0}}}},
        {"DelayTime changes nothing", [] { return DelayTime::actionWithDuration(1); }, at({3, 4}),
            position, {{0.5f, {3, 4}}, {1, {3, 4}}}},
    };
    for (auto const& c : cases)
        checkCase(c);
}

TEST_F(IntervalActionTest, ActionsReadTheirStartFromTheTargetAtEachStart) {
    auto node = ColorNode::make();
    auto move = MoveBy::actionWithDuration(1, {10, 0});
    auto moveTo = MoveTo::actionWithDuration(1, {50, 0});
    for (int i = 0; i < 3; ++i) {
        test::startOn(*move, node.get());
        move->update(1);
    }
    EXPECT_EQ(node->position(), (Point {30, 0}));
    for (int i = 0; i < 3; ++i) {
        test::startOn(*moveTo, node.get());
        moveTo->update(1);
    }
    EXPECT_EQ(node->position(), (Point {50, 0}));
}

TEST_F(IntervalActionTest, RotateToAndJumpToCopyFromWhatTheirStartOverwrote) {
    auto turned = ColorNode::make();
    turned->setRotation(350);
    auto rotate = RotateTo::actionWithDuration(1, 10);
    test::startOn(*rotate, turned.get());
    auto rotateCopy = copyOf(*rotate);
    auto fresh = ColorNode::make();
    test::startOn(*rotateCopy, fresh.get());
    rotateCopy->update(1);
    EXPECT_FLOAT_EQ(fresh->rotation(), 20);

    auto moved = ColorNode::make();
    moved->setPosition({10, 10});
    auto jump = JumpTo::actionWithDuration(1, {100, 20}, 5, 1);
    test::startOn(*jump, moved.get());
    auto jumpCopy = copyOf(*jump);
    auto other = ColorNode::make();
    test::startOn(*jumpCopy, other.get());
    jumpCopy->update(1);
    EXPECT_NEAR(other->position().x, 90, 1e-4f);
    EXPECT_NEAR(other->position().y, 10, 1e-4f);
}

// Reverses

TEST_F(IntervalActionTest, ReversibleMembersReverseToTheActionThatUndoesThem) {
    struct Reverse {
        char const* name;
        std::function<base::Ref<IntervalAction>()> make;
        char const* reverseClass;
        std::function<void(ColorNode&)> setup;
        std::function<std::vector<float>(ColorNode&)> read;
        std::vector<float> atEnd; // the reverse's property at t = 1
    };
    Reverse const cases[] = {
        {"RotateBy", [] { return RotateBy::actionWithDuration(2, 90); }, "RotateBy", nullptr,
            rotation, {-90}},
        {"MoveBy",
            [] {
                return MoveBy::actionWithDuration(2, {30, -10});
            },
            "MoveBy", nullptr, position, {-30, 10}},
        {"JumpBy",
            [] {
                return JumpBy::actionWithDuration(2, {30, -10}, 5, 2);
            },
            "JumpBy", nullptr, position, {-30, 10}},
        {"JumpTo",
            [] {
                return JumpTo::actionWithDuration(2, {30, -10}, 5, 2);
            },
            "JumpBy", nullptr, position, {-30, 10}},
        {"BezierBy",
            [] {
                return BezierBy::actionWithDuration(2, {{0, 0}, {40, 20}, {0, 10}, {10, 0}});
            },
            "BezierBy", nullptr, position, {-40, -20}},
        {"ScaleBy", [] { return ScaleBy::actionWithDuration(2, 2, 4); }, "ScaleBy", nullptr, scale,
            {0.5f, 0.25f}},
        {"Blink", [] { return Blink::actionWithDuration(2, 1); }, "Blink", nullptr, visible, {0}},
        {"FadeIn", [] { return FadeIn::actionWithDuration(2); }, "FadeOut", nullptr, opacity, {0}},
        {"FadeOut", [] { return FadeOut::actionWithDuration(2); }, "FadeIn", nullptr, opacity,
            {255}},
        {"TintBy", [] { return TintBy::actionWithDuration(2, 10, -20, 30); }, "TintBy",
            tinted(100, 100, 100), color, {90, 120, 70}},
        {"DelayTime", [] { return DelayTime::actionWithDuration(2); }, "DelayTime", at({1, 2}),
            position, {1, 2}},
    };
    for (auto const& c : cases) {
        auto reversed = c.make()->reverse();
        ASSERT_TRUE(reversed) << c.name;
        EXPECT_EQ(className(*reversed), c.reverseClass) << c.name;
        EXPECT_EQ(reversed->duration(), 2) << c.name;
        auto node = ColorNode::make();
        if (c.setup)
            c.setup(*node);
        test::startOn(*reversed, node.get());
        reversed->update(1);
        auto actual = c.read(*node);
        for (std::size_t i = 0; i < c.atEnd.size(); ++i)
            EXPECT_NEAR(actual[i], c.atEnd[i], 1e-4f) << c.name << " [" << i << "]";
    }
}

TEST_F(IntervalActionTest, AbsoluteMembersCannotBeReversed) {
    auto animation = base::make<test::FrameAnimation>(std::vector<std::string> {"a"}, 1);
    std::vector<base::Ref<IntervalAction>> actions
        = {RotateTo::actionWithDuration(1, 1), MoveTo::actionWithDuration(1, {1, 1}),
            ScaleTo::actionWithDuration(1, 1), FadeTo::actionWithDuration(1, 1),
            TintTo::actionWithDuration(1, 1, 1, 1), Animate::actionWithAnimation(animation)};
    for (auto const& action : actions) {
        try {
            action->reverse();
            ADD_FAILURE() << className(*action) << " reversed";
        } catch (base::Exception const& e) {
            EXPECT_EQ(e.name(), "ReverseActionNotImplemented") << className(*action);
        }
    }
}

// Targets that lack what an action changes

TEST_F(IntervalActionTest, MissingTargetsAndTargetsWithoutThePropertyAreLeftAlone) {
    auto animation = base::make<test::FrameAnimation>(std::vector<std::string> {"a"}, 1);
    // What a plain node has: each action either changes it or, when it works on colour,
    // opacity or frames that a plain node lacks, leaves it as it was.
    auto geometry = [](SceneNode const& node) {
        return std::vector<float> {node.position().x, node.position().y, node.rotation(),
            node.scaleX(), node.scaleY(), node.visible() ? 1.0f : 0.0f};
    };
    struct Case {
        base::Ref<IntervalAction> action;
        bool changesAPlainNode;
    };
    std::vector<Case> const cases = {{RotateTo::actionWithDuration(1, 1), true},
        {RotateBy::actionWithDuration(1, 1), true}, {MoveTo::actionWithDuration(1, {1, 1}), true},
        {MoveBy::actionWithDuration(1, {1, 1}), true},
        {JumpBy::actionWithDuration(1, {1, 1}, 1, 1), true},
        {JumpTo::actionWithDuration(1, {1, 1}, 1, 1), true},
        {BezierBy::actionWithDuration(1, {{0, 0}, {1, 1}, {0, 1}, {1, 0}}), true},
        {ScaleTo::actionWithDuration(1, 2), true}, {ScaleBy::actionWithDuration(1, 2), true},
        {Blink::actionWithDuration(1, 2), true}, {FadeIn::actionWithDuration(1), false},
        {FadeOut::actionWithDuration(1), false}, {FadeTo::actionWithDuration(1, 1), false},
        {TintTo::actionWithDuration(1, 1, 1, 1), false},
        {TintBy::actionWithDuration(1, 1, 1, 1), false}, {DelayTime::actionWithDuration(1), false},
        {Animate::actionWithAnimation(animation), false}};
    for (auto const& [action, changesAPlainNode] : cases) {
        test::startOn(*action, nullptr);
        action->update(0.5f);
        action->stop();

        auto plain = SceneNode::node();
        auto before = geometry(*plain);
        test::startOn(*action, plain.get());
        action->update(0.5f);
        action->stop();
        if (changesAPlainNode)
            EXPECT_NE(geometry(*plain), before) << className(*action);
        else
            EXPECT_EQ(geometry(*plain), before) << className(*action);
    }
}

// Animate

TEST_F(IntervalActionTest, AnimateShowsTheFrameForTheProgressAndRestoresTheFirst) {
    auto animation = base::make<test::FrameAnimation>(
        std::vector<std::string> {"f0", "f1", "f2", "f3"}, 0.25f);
    auto animate = Animate::actionWithAnimation(animation);
    EXPECT_EQ(animate->duration(), 1);
    auto node = base::make<test::FrameNode>();
    auto before = base::make<test::Frame>("before");
    node->setDisplayFrame(before.get());
    test::startOn(*animate, node.get());
    struct Step {
        float t;
        char const* frame;
    };
    Step const steps[] = {{0, "f0"}, {0.24f, "f0"}, {0.25f, "f1"}, {0.5f, "f2"}, {0.99f, "f3"},
        {1, "f3"}, {1.5f, "f3"}, {-0.5f, "f0"}};
    for (auto const& s : steps) {
        animate->update(s.t);
        EXPECT_EQ(node->shownName(), s.frame) << s.t;
    }
    animate->stop();
    EXPECT_EQ(node->shown.get(), before.get());
}

TEST_F(IntervalActionTest, AnimateSendsAFrameOnlyWhenItChanges) {
    auto animation = base::make<test::FrameAnimation>(std::vector<std::string> {"f0", "f1"}, 0.5f);
    auto node = base::make<test::FrameNode>();
    auto animate = Animate::actionWithAnimation(animation, false);
    test::startOn(*animate, node.get());
    for (float t : {0.0f, 0.1f, 0.2f, 0.6f, 0.7f, 1.0f})
        animate->update(t);
    EXPECT_EQ(node->frameChanges, 2);
    animate->stop();
    EXPECT_EQ(node->shownName(), "f1");
}

TEST_F(IntervalActionTest, AnimateCopiesAlwaysRestoreAndEmptyAnimationsShowNothing) {
    auto animation = base::make<test::FrameAnimation>(std::vector<std::string> {"f0"}, 0.5f);
    auto copy = copyOf(*Animate::actionWithAnimation(animation, false));
    auto node = base::make<test::FrameNode>();
    test::startOn(*copy, node.get());
    copy->update(1);
    EXPECT_EQ(node->shownName(), "f0");
    copy->stop();
    EXPECT_EQ(node->shown, nullptr);

    auto empty = Animate::actionWithAnimation(
        base::make<test::FrameAnimation>(std::vector<std::string> {}, 0.5f));
    EXPECT_EQ(empty->duration(), 1e-8f);
    test::startOn(*empty, node.get());
    empty->update(0.5f);
    empty->update(1);
    EXPECT_EQ(node->frameChanges, 2);

    EXPECT_DEATH(
        Animate::actionWithAnimation(nullptr), "Animate: argument Animation must be non-nil");
}
