#include "ActionHelpers.hpp"
#include "EngineFixture.hpp"

#include <engine/Action.hpp>
#include <engine/CameraAction.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/Describe.hpp>
#include <engine/EaseAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/RepeatForever.hpp>
#include <engine/Speed.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

using namespace engine;
using test::ProgressRecorder;

namespace {

class ActionTest : public test::EngineTest { };

}

// The root of the model

TEST_F(ActionTest, AFreshActionHasNoTagAndDescribesItself) {
    auto action = Action::action();
    EXPECT_EQ(action->tag(), -1);
    EXPECT_EQ(action->target(), nullptr);
    char expected[64];
    std::snprintf(expected, sizeof expected, "<Action = %08llX | Tag = -1>",
        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(action.get())));
    EXPECT_EQ(action->description(), expected);
    action->setTag(12);
    EXPECT_NE(action->description().find("| Tag = 12>"), std::string::npos);
    EXPECT_EQ(MoveBy::actionWithDuration(1, {1, 1})->description().rfind("<MoveBy = ", 0), 0u);
}

TEST_F(ActionTest, TheRootActionIsDoneAndOnlyLogsItsStepAndUpdate) {
    test::LogCapture log;
    auto action = Action::action();
    action->start();
    EXPECT_TRUE(action->isDone());
    action->step(0.1f);
    action->update(0.5f);
    action->stop();
    EXPECT_EQ(log.lines(),
        (std::vector<std::string> {"[Action step]. override me", "[Action update]. override me"}));
}

TEST_F(ActionTest, TheRootCopyKeepsTargetAndTag) {
    auto node = SceneNode::node();
    auto action = Action::action();
    action->setTarget(node.get());
    action->setTag(4);
    auto copy = action->copy();
    EXPECT_NE(copy.get(), action.get());
    EXPECT_EQ(copy->target(), node.get());
    EXPECT_EQ(copy->tag(), 4);
}

TEST_F(ActionTest, EveryConcreteActionCopiesToAFreshUntaggedActionOfItsClass) {
    auto animation = base::make<test::FrameAnimation>(std::vector<std::string> {"a", "b"}, 0.5f);
    auto inner = [] { return MoveBy::actionWithDuration(2, {10, 0}); };
    std::vector<std::function<base::Ref<Action>()>> makers = {
        [] { return RotateTo::actionWithDuration(1, 90); },
        [] { return RotateBy::actionWithDuration(1, 90); },
        [] {
            return MoveTo::actionWithDuration(1, {1, 2});
        },
        [] {
            return MoveBy::actionWithDuration(1, {1, 2});
        },
        [] {
            return JumpBy::actionWithDuration(1, {1, 2}, 3, 4);
        },
        [] {
            return JumpTo::actionWithDuration(1, {1, 2}, 3, 4);
        },
        [] {
            return BezierBy::actionWithDuration(1, {{0, 0}, {1, 1}, {0, 1}, {1, 0}});
        },
        [] { return ScaleTo::actionWithDuration(1, 2); },
        [] { return ScaleBy::actionWithDuration(1, 2, 3); },
        [] { return Blink::actionWithDuration(1, 3); },
        [] { return FadeIn::actionWithDuration(1); },
        [] { return FadeOut::actionWithDuration(1); },
        [] { return FadeTo::actionWithDuration(1, 9); },
        [] { return TintTo::actionWithDuration(1, 1, 2, 3); },
        [] { return TintBy::actionWithDuration(1, 1, 2, 3); },
        [] { return DelayTime::actionWithDuration(1); },
        [&] { return Animate::actionWithAnimation(animation); },
        [] { return Show::action(); },
        [] { return Hide::action(); },
        [] { return ToggleVisibility::action(); },
        [] {
            return Place::actionWithPosition({3, 4});
        },
        [] { return CallFunc::actionWithTarget(SceneNode::node().get(), [] {}); },
        [] { return CallFuncN::actionWithTarget(SceneNode::node().get(), [](SceneNode*) {}); },
        [] {
            return CallFuncND::actionWithTarget(
                SceneNode::node().get(), [](SceneNode*, void*) {}, nullptr);
        },
        [&] { return Sequence::actionOne(inner(), inner()); },
        [&] { return Spawn::actionOne(inner(), DelayTime::actionWithDuration(1)); },
        [&] { return Repeat::actionWithAction(inner(), 3); },
        [&] { return ReverseTime::actionWithAction(inner()); },
        [&] { return RepeatForever::actionWithAction(inner()); },
        [&] { return Speed::actionWithAction(inner(), 2); },
        [&] { return EaseAction::actionWithAction(inner()); },
        [&] { return EaseRateAction::actionWithAction(inner(), 2); },
        [&] { return EaseIn::actionWithAction(inner(), 2); },
        [&] { return EaseOut::actionWithAction(inner(), 2); },
        [&] { return EaseInOut::actionWithAction(inner(), 2); },
        [&] { return EaseExponentialIn::actionWithAction(inner()); },
        [&] { return EaseExponentialOut::actionWithAction(inner()); },
        [&] { return EaseExponentialInOut::actionWithAction(inner()); },
        [&] { return EaseSineIn::actionWithAction(inner()); },
        [&] { return EaseSineOut::actionWithAction(inner()); },
        [&] { return EaseSineInOut::actionWithAction(inner()); },
        [] { return OrbitCamera::actionWithDuration(1, 1, 0, 0, 90, 0, 0); },
    };
    auto node = SceneNode::node();
    for (auto const& make : makers) {
        auto action = make();
        action->setTag(7);
        action->setTarget(node.get());
        auto copy = action->copy();
        std::string name = className(*action);
        EXPECT_NE(copy.get(), action.get()) << name;
        EXPECT_EQ(className(*copy), name);
        EXPECT_EQ(copy->tag(), -1) << name;
        EXPECT_EQ(copy->target(), nullptr) << name;
        auto finite = base::ref_cast<FiniteTimeAction>(action);
        if (finite) {
            EXPECT_EQ(base::ref_cast<FiniteTimeAction>(copy)->duration(), finite->duration())
                << name;
        }
    }
}

// RepeatForever

TEST_F(ActionTest, RepeatForeverRestartsItsActionInTheStepThatFinishesIt) {
    auto inner = ProgressRecorder::make(1);
    auto forever = RepeatForever::actionWithAction(inner);
    test::startOn(*forever, SceneNode::node().get());
    EXPECT_EQ(inner->starts, 1);
    for (int i = 0; i < 5; ++i)
        forever->step(0.25f);
    EXPECT_EQ(inner->updates, (std::vector<float> {0, 0.25f, 0.5f, 0.75f, 1}));
    EXPECT_EQ(inner->starts, 2);
    EXPECT_EQ(inner->stops, 0);
    EXPECT_FALSE(forever->isDone());
    // The time of the restarting step is not carried over.
    forever->step(0.25f);
    forever->step(0.25f);
    EXPECT_EQ(inner->updates.back(), 0.25f);
    EXPECT_EQ(inner->updates[5], 0);
    EXPECT_FALSE(forever->isDone());
}

TEST_F(ActionTest, RepeatForeverReversesAndCopiesItsInnerAction) {
    auto inner = ProgressRecorder::make(1);
    auto forever = RepeatForever::actionWithAction(inner);
    auto reversed = forever->reverse();
    auto* reversedInner = dynamic_cast<ProgressRecorder*>(reversed->innerAction());
    ASSERT_NE(reversedInner, nullptr);
    EXPECT_TRUE(reversedInner->reversed);
    auto copy = base::ref_cast<RepeatForever>(forever->copy());
    EXPECT_NE(copy->innerAction(), inner.get());
    EXPECT_DEATH(RepeatForever::actionWithAction(nullptr), "Argument must be non-nil");
}

// Speed

TEST_F(ActionTest, SpeedScalesTheStepsOfItsAction) {
    struct Case {
        float speed;
        int stepsToFinish; // 0: never within the limit
    };
    // 1 s in steps of 0.125 s: the first step counts no time.
    Case const cases[] = {{1, 9}, {2, 5}, {0.5f, 17}, {0, 0}};
    for (auto const& c : cases) {
        auto speed = Speed::actionWithAction(ProgressRecorder::make(1), c.speed);
        test::startOn(*speed, SceneNode::node().get());
        int steps = 0;
        while (!speed->isDone() && steps < 100) {
            speed->step(0.125f);
            ++steps;
        }
        EXPECT_EQ(c.stepsToFinish == 0 ? 100 : c.stepsToFinish, steps) << c.speed;
    }
}

TEST_F(ActionTest, SpeedPassesStartStopAndItsChangesToTheInnerAction) {
    auto inner = ProgressRecorder::make(1);
    auto speed = Speed::actionWithAction(inner, 2);
    auto node = SceneNode::node();
    test::startOn(*speed, node.get());
    EXPECT_EQ(inner->target(), node.get());
    EXPECT_EQ(inner->starts, 1);
    speed->step(0.125f);
    speed->step(0.125f);
    speed->setSpeed(4);
    EXPECT_EQ(speed->speed(), 4);
    speed->step(0.125f);
    EXPECT_EQ(inner->updates, (std::vector<float> {0, 0.25f, 0.75f}));
    speed->stop();
    EXPECT_EQ(inner->stops, 1);
    auto reversed = speed->reverse();
    EXPECT_EQ(reversed->speed(), 4);
    EXPECT_TRUE(dynamic_cast<ProgressRecorder*>(reversed->innerAction())->reversed);
}

TEST_F(ActionTest, SpeedRunsOnANodeThroughTheManager) {
    auto node = SceneNode::node();
    node->onEnter();
    auto inner = ProgressRecorder::make(1);
    node->runAction(Speed::actionWithAction(inner, 2));
    int ticks = 0;
    while (node->numberOfRunningActions() > 0 && ticks < 100) {
        tick(0.125f);
        ++ticks;
    }
    EXPECT_EQ(ticks, 5);
    EXPECT_EQ(inner->stops, 1);
    EXPECT_EQ(inner->updates.back(), 1);
}
