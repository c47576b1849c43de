#include "ActionHelpers.hpp"
#include "EngineFixture.hpp"

#include <base/Exception.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/Describe.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>

#include <gtest/gtest.h>

using namespace engine;
using test::ColorNode;
using test::ProgressRecorder;

namespace {

class CompositeActionTest : public test::EngineTest {
protected:
    base::Ref<ColorNode> runningNode() {
        auto node = ColorNode::make();
        node->onEnter();
        return node;
    }

    // Ticks until the node has no actions left; the number of ticks.
    static int runToEnd(SceneNode& node, float dt, int limit = 100) {
        int ticks = 0;
        while (node.numberOfRunningActions() > 0 && ticks < limit) {
            tick(dt);
            ++ticks;
        }
        return ticks;
    }
};

using Events = std::vector<std::string>;

}

// Sequence

TEST_F(CompositeActionTest, SequenceRunsTheFirstThenTheSecondAcrossItsSplit) {
    auto one = ProgressRecorder::make(1);
    auto two = ProgressRecorder::make(3);
    auto sequence = Sequence::actionOne(one, two);
    EXPECT_EQ(sequence->duration(), 4);
    test::startOn(*sequence, nullptr);
    EXPECT_TRUE(one->events.empty());
    struct Step {
        float t;
        Events one;
        Events two;
    };
    Step const steps[] = {
        {0, {"start", "update 0.000000"}, {}},
        {0.125f, {"update 0.500000"}, {}},
        {0.25f, {"update 1.000000", "stop"}, {"start", "update 0.000000"}},
        {0.625f, {}, {"update 0.500000"}},
        {1, {}, {"update 1.000000"}},
    };
    for (auto const& s : steps) {
        one->events.clear();
        two->events.clear();
        sequence->update(s.t);
        EXPECT_EQ(one->events, s.one) << s.t;
        EXPECT_EQ(two->events, s.two) << s.t;
    }
    // The sequence does not stop the action that runs at its end.
    sequence->stop();
    EXPECT_EQ(two->stops, 0);
}

TEST_F(CompositeActionTest, SequenceJumpingOverItsSplitFinishesTheFirstAction) {
    auto one = ProgressRecorder::make(1);
    auto two = ProgressRecorder::make(1);
    auto sequence = Sequence::actionOne(one, two);
    test::startOn(*sequence, nullptr);
    sequence->update(0.2f);
    one->events.clear();
    sequence->update(0.8f);
    EXPECT_EQ(one->events, (Events {"update 1.000000", "stop"}));
    EXPECT_EQ(two->events, (Events {"start", "update 0.600000"}));
}

TEST_F(CompositeActionTest, SequenceFirstUpdatedPastItsSplitStillRunsTheFirstAction) {
    auto one = ProgressRecorder::make(1);
    auto two = ProgressRecorder::make(1);
    auto sequence = Sequence::actionOne(one, two);
    test::startOn(*sequence, nullptr);
    sequence->update(0.7f);
    EXPECT_EQ(one->events, (Events {"start", "update 1.000000", "stop"}));
    EXPECT_EQ(two->events, (Events {"start", "update 0.400000"}));
}

TEST_F(CompositeActionTest, SequenceGoingBackBelowItsSplitRestartsTheFirstAction) {
    auto one = ProgressRecorder::make(1);
    auto two = ProgressRecorder::make(1);
    auto sequence = Sequence::actionOne(one, two);
    test::startOn(*sequence, nullptr);
    sequence->update(0.8f);
    one->events.clear();
    two->events.clear();
    sequence->update(0.25f);
    EXPECT_EQ(two->events, (Events {"update 1.000000", "stop"}));
    EXPECT_EQ(one->events, (Events {"start", "update 0.500000"}));
}

TEST_F(CompositeActionTest, SequenceOfADelayAndACallCallsInTheTickThatReachesTheEnd) {
    auto node = runningNode();
    int calls = 0;
    node->runAction(Sequence::actionOne(DelayTime::actionWithDuration(1),
        CallFunc::actionWithTarget(node.get(), [&] { ++calls; })));
    std::vector<int> callsAfterTick;
    int ticks = 0;
    while (node->numberOfRunningActions() > 0 && ticks < 20) {
        tick(0.25f);
        callsAfterTick.push_back(calls);
        ++ticks;
    }
    // The first tick counts no time; the fifth reaches t = 1.
    EXPECT_EQ(callsAfterTick, (std::vector<int> {0, 0, 0, 0, 1}));
}

TEST_F(CompositeActionTest, SequenceOfACallAndAMoveCallsAtTheFirstUpdateAndStartsTheMove) {
    auto node = runningNode();
    node->setPosition({10, 0});
    std::vector<Point> seenAtCall;
    node->runAction(Sequence::actionOne(
        CallFunc::actionWithTarget(node.get(), [&] { seenAtCall.push_back(node->position()); }),
        MoveBy::actionWithDuration(1, {100, 0})));
    EXPECT_TRUE(seenAtCall.empty());
    tick(0.25f);
    EXPECT_EQ(seenAtCall, (std::vector<Point> {{10, 0}}));
    EXPECT_EQ(node->position(), (Point {10, 0}));
    tick(0.5f);
    EXPECT_EQ(node->position(), (Point {60, 0}));
    EXPECT_EQ(runToEnd(*node, 0.5f), 1);
    EXPECT_EQ(node->position(), (Point {110, 0}));
    EXPECT_EQ(seenAtCall.size(), 1u);
}

TEST_F(CompositeActionTest, SequenceOfAMoveAndAnInstantActionActsOnlyAtTheEnd) {
    auto one = ProgressRecorder::make(1);
    auto node = ColorNode::make();
    auto sequence = Sequence::actionOne(one, Hide::action());
    test::startOn(*sequence, node.get());
    sequence->update(0);
    sequence->update(0.99f);
    EXPECT_TRUE(node->visible());
    sequence->update(1);
    EXPECT_FALSE(node->visible());
    EXPECT_EQ(one->updates.back(), 1);
    EXPECT_EQ(one->stops, 1);
}

TEST_F(CompositeActionTest, ActionsFoldsFromTheLeftAndEndsAtTheFirstNull) {
    auto a = ProgressRecorder::make(1);
    auto b = ProgressRecorder::make(2);
    auto c = ProgressRecorder::make(3);
    EXPECT_EQ(Sequence::actions(a).get(), a.get());
    EXPECT_EQ(Sequence::actions(nullptr, a), nullptr);
    auto three = base::ref_cast<Sequence>(Sequence::actions(a, b, c));
    ASSERT_TRUE(three);
    EXPECT_EQ(three->duration(), 6);
    EXPECT_EQ(three->second(), c.get());
    auto* inner = dynamic_cast<Sequence*>(three->first());
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->first(), a.get());
    EXPECT_EQ(inner->second(), b.get());
    auto cut = base::ref_cast<Sequence>(Sequence::actions(a, b, nullptr, c));
    EXPECT_EQ(cut->second(), b.get());

    auto spawn = base::ref_cast<Spawn>(Spawn::actions(a, b, c));
    ASSERT_TRUE(spawn);
    EXPECT_EQ(spawn->duration(), 3);
    // The inner spawn of a and b lasts 2 s and is padded to 3.
    auto* padded = dynamic_cast<Sequence*>(spawn->first());
    ASSERT_NE(padded, nullptr);
    EXPECT_NE(dynamic_cast<Spawn*>(padded->first()), nullptr);
    EXPECT_EQ(spawn->second(), c.get());
    EXPECT_EQ(Spawn::actions(c).get(), c.get());
}

TEST_F(CompositeActionTest, SequenceReversesAsTheSecondsReverseThenTheFirsts) {
    auto a = MoveBy::actionWithDuration(1, {10, 0});
    auto b = MoveBy::actionWithDuration(1, {0, 20});
    auto node = ColorNode::make();
    auto forward = Sequence::actionOne(a, b);
    auto backward = forward->reverse();
    test::startOn(*forward, node.get());
    forward->update(0.75f);
    EXPECT_EQ(node->position(), (Point {10, 10}));
    forward->update(1);
    test::startOn(*backward, node.get());
    backward->update(0.5f);
    EXPECT_EQ(node->position(), (Point {10, 0}));
    backward->update(1);
    EXPECT_EQ(node->position(), (Point {0, 0}));
    EXPECT_THROW(
        Sequence::actionOne(a, MoveTo::actionWithDuration(1, {0, 0}))->reverse(), base::Exception);
}

TEST_F(CompositeActionTest, CompositesRefuseMissingMembers) {
    auto a = ProgressRecorder::make(1);
    EXPECT_DEATH(Sequence::actionOne(nullptr, a), "Sequence: argument one must be non-nil");
    EXPECT_DEATH(Sequence::actionOne(a, nullptr), "Sequence: argument two must be non-nil");
    EXPECT_DEATH(Spawn::actionOne(nullptr, a), "Spawn: argument one must be non-nil");
    EXPECT_DEATH(Spawn::actionOne(a, nullptr), "Spawn: argument two must be non-nil");
}

// Repeat

TEST_F(CompositeActionTest, RepeatRunsItsActionTheGivenNumberOfTimes) {
    auto node = runningNode();
    node->runAction(Repeat::actionWithAction(MoveBy::actionWithDuration(1, {10, 0}), 3));
    EXPECT_EQ(runToEnd(*node, 0.25f), 13);
    EXPECT_EQ(node->position(), (Point {30, 0}));
    // A repeated MoveTo moves once, then stays.
    node->runAction(Repeat::actionWithAction(MoveTo::actionWithDuration(1, {50, 0}), 2));
    runToEnd(*node, 0.25f);
    EXPECT_EQ(node->position(), (Point {50, 0}));
}

TEST_F(CompositeActionTest, RepeatRestartsItsActionAtEachRepetition) {
    auto inner = ProgressRecorder::make(1);
    auto repeat = Repeat::actionWithAction(inner, 2);
    test::startOn(*repeat, nullptr);
    for (float t : {0.0f, 0.25f, 0.75f, 1.0f})
        repeat->update(t);
    EXPECT_EQ(inner->events,
        (Events {"start", "update 0.000000", "update 0.500000", "update 1.000000", "stop", "start",
            "update 0.000000", "update 1.000000"}));
    EXPECT_EQ(repeat->total(), 2u);
    EXPECT_TRUE(repeat->isDone());
}

TEST_F(CompositeActionTest, RepeatCatchesUpSkippedRepetitionsOnePerTick) {
    auto node = runningNode();
    auto repeat = Repeat::actionWithAction(ScaleTo::actionWithDuration(1, 2), 3);
    node->runAction(repeat);
    tick(0.1f);
    EXPECT_EQ(repeat->total(), 0u);
    // One tick jumps from progress 0 to 1.
    tick(10);
    EXPECT_EQ(repeat->total(), 1u);
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    tick(0.1f);
    EXPECT_EQ(repeat->total(), 2u);
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    tick(0.1f);
    EXPECT_EQ(repeat->total(), 3u);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_FLOAT_EQ(node->scaleX(), 2);
}

TEST_F(CompositeActionTest, RepeatReversesItsActionAndCopiesDeeply) {
    auto inner = ProgressRecorder::make(0.5f);
    auto repeat = Repeat::actionWithAction(inner, 4);
    EXPECT_EQ(repeat->duration(), 2);
    auto reversed = base::ref_cast<Repeat>(repeat->reverse());
    ASSERT_TRUE(reversed);
    EXPECT_EQ(reversed->duration(), 2);
    auto copy = base::ref_cast<Repeat>(repeat->copy());
    test::startOn(*copy, nullptr);
    copy->update(0.5f);
    EXPECT_TRUE(inner->updates.empty());
    EXPECT_EQ(Repeat::actionWithAction(inner, 0)->duration(), 1e-8f);
}

// Spawn

TEST_F(CompositeActionTest, SpawnPadsTheShorterActionWithADelay) {
    struct Case {
        float one, two;
        int padded; // 0 none, 1 the first, 2 the second
    };
    Case const cases[] = {{1, 3, 1}, {3, 1, 2}, {2, 2, 0}};
    for (auto const& c : cases) {
        auto a = ProgressRecorder::make(c.one);
        auto b = ProgressRecorder::make(c.two);
        auto spawn = Spawn::actionOne(a, b);
        EXPECT_EQ(spawn->duration(), std::max(c.one, c.two));
        FiniteTimeAction* members[] = {spawn->first(), spawn->second()};
        ProgressRecorder* originals[] = {a.get(), b.get()};
        for (int i = 0; i < 2; ++i) {
            if (c.padded == i + 1) {
                auto* padded = dynamic_cast<Sequence*>(members[i]);
                ASSERT_NE(padded, nullptr);
                EXPECT_EQ(padded->first(), originals[i]);
                auto* delay = dynamic_cast<DelayTime*>(padded->second());
                ASSERT_NE(delay, nullptr);
                EXPECT_EQ(delay->duration(), 2);
            } else {
                EXPECT_EQ(members[i], originals[i]);
            }
        }
    }
}

TEST_F(CompositeActionTest, SpawnRunsBothActionsTogether) {
    auto node = runningNode();
    node->runAction(
        Spawn::actionOne(MoveBy::actionWithDuration(1, {40, 0}), FadeOut::actionWithDuration(2)));
    tick(0.5f);
    tick(0.5f);
    EXPECT_EQ(node->position(), (Point {20, 0}));
    EXPECT_EQ(node->opacity(), 191);
    EXPECT_EQ(runToEnd(*node, 0.5f), 3);
    EXPECT_EQ(node->position(), (Point {40, 0}));
    EXPECT_EQ(node->opacity(), 0);
}

TEST_F(CompositeActionTest, SpawnReversesAndCopiesItsLengthenedPair) {
    auto node = ColorNode::make();
    auto spawn = Spawn::actionOne(
        MoveBy::actionWithDuration(1, {40, 0}), ScaleBy::actionWithDuration(3, 2));
    auto reversed = base::ref_cast<Spawn>(spawn->reverse());
    ASSERT_TRUE(reversed);
    EXPECT_EQ(reversed->duration(), 3);
    // The lengthened member reverses to the delay, then the reversed move.
    auto* first = dynamic_cast<Sequence*>(reversed->first());
    ASSERT_NE(first, nullptr);
    EXPECT_NE(dynamic_cast<DelayTime*>(first->first()), nullptr);
    EXPECT_NE(dynamic_cast<MoveBy*>(first->second()), nullptr);
    node->setPosition({40, 0});
    node->setScale(2);
    test::startOn(*reversed, node.get());
    reversed->update(1);
    EXPECT_EQ(node->position(), (Point {0, 0}));
    EXPECT_FLOAT_EQ(node->scaleX(), 1);

    auto copy = base::ref_cast<Spawn>(spawn->copy());
    EXPECT_EQ(copy->duration(), 3);
    auto* copiedFirst = dynamic_cast<Sequence*>(copy->first());
    ASSERT_NE(copiedFirst, nullptr);
    EXPECT_NE(copiedFirst, spawn->first());
    EXPECT_NE(dynamic_cast<MoveBy*>(copiedFirst->first()), nullptr);
}

// ReverseTime

TEST_F(CompositeActionTest, ReverseTimePlaysItsActionBackwards) {
    auto node = runningNode();
    node->runAction(ReverseTime::actionWithAction(MoveBy::actionWithDuration(1, {100, 0})));
    tick(0.25f);
    EXPECT_EQ(node->position(), (Point {100, 0}));
    tick(0.25f);
    EXPECT_EQ(node->position(), (Point {75, 0}));
    runToEnd(*node, 0.25f);
    EXPECT_EQ(node->position(), (Point {0, 0}));
}

TEST_F(CompositeActionTest, ReverseTimeStopsItsActionAndReversesToACopyOfIt) {
    auto inner = ProgressRecorder::make(1);
    auto reverse = ReverseTime::actionWithAction(inner);
    test::startOn(*reverse, nullptr);
    reverse->update(0.25f);
    EXPECT_EQ(inner->updates, (std::vector<float> {0.75f}));
    reverse->stop();
    EXPECT_EQ(inner->stops, 1);
    auto back = reverse->reverse();
    EXPECT_NE(back.get(), inner.get());
    EXPECT_NE(dynamic_cast<ProgressRecorder*>(back.get()), nullptr);
}
