#include "ActionHelpers.hpp"
#include "EngineFixture.hpp"
#include "NodeHelpers.hpp"

#include <engine/CompositeAction.hpp>
#include <engine/Describe.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>

#include <gtest/gtest.h>

#include <algorithm>

using namespace engine;
using test::ColorNode;

namespace {

class InstantActionTest : public test::EngineTest {
protected:
    base::Ref<ColorNode> runningNode() {
        auto node = ColorNode::make();
        node->onEnter();
        return node;
    }
};

// A layer-like object whose methods the call-backs call.
class Listener : public base::Object {
public:
    ~Listener() override { --alive; }

    void done() { ++calls; }
    void doneWith(SceneNode* node) { nodes.push_back(node); }
    void doneWithData(SceneNode* node, void* data) {
        nodes.push_back(node);
        datas.push_back(data);
    }

    int calls {0};
    std::vector<SceneNode*> nodes;
    std::vector<void*> datas;
    static inline int alive = 0;

protected:
    friend base::Factory;

    Listener() { ++alive; }
};

class DerivedListener : public Listener {
    friend base::Factory;

    DerivedListener() = default;
};

}

TEST_F(InstantActionTest, VisibilityAndPlaceActBeforeRunActionReturns) {
    struct Case {
        char const* name;
        std::function<base::Ref<Action>()> make;
        bool visibleBefore;
        bool visibleAfter;
        Point positionAfter;
    };
    Case const cases[] = {
        {"Show", [] { return Show::action(); }, false, true, {0, 0}},
        {"Hide", [] { return Hide::action(); }, true, false, {0, 0}},
        {"ToggleVisibility on", [] { return ToggleVisibility::action(); }, false, true, {0, 0}},
        {"ToggleVisibility off", [] { return ToggleVisibility::action(); }, true, false, {0, 0}},
        {"Place",
            [] {
                return Place::actionWithPosition({12, -3});
            },
            true, true, {12, -3}},
    };
    for (auto const& c : cases) {
        // Even on a node that is not running: the manager starts it at once.
        auto node = ColorNode::make();
        node->setVisible(c.visibleBefore);
        node->runAction(c.make());
        EXPECT_EQ(node->visible(), c.visibleAfter) << c.name;
        EXPECT_EQ(node->position(), c.positionAfter) << c.name;
        node->stopAllActions();
    }
}

TEST_F(InstantActionTest, AnInstantActionIsSteppedOnceFoundDoneAndRemoved) {
    auto node = runningNode();
    auto place = Place::actionWithPosition({5, 5});
    node->runAction(place);
    EXPECT_EQ(place->duration(), 0);
    EXPECT_TRUE(place->isDone());
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    node->setPosition({0, 0});
    tick();
    // The step's update does nothing: only start placed the node.
    EXPECT_EQ(node->position(), (Point {0, 0}));
    EXPECT_EQ(node->numberOfRunningActions(), 0);
}

TEST_F(InstantActionTest, ToggleVisibilityTwiceLeavesTheNodeAsItWas) {
    for (bool visible : {true, false}) {
        auto node = ColorNode::make();
        node->setVisible(visible);
        node->runAction(ToggleVisibility::action());
        node->runAction(ToggleVisibility::action());
        EXPECT_EQ(node->visible(), visible);
        node->stopAllActions();
    }
}

TEST_F(InstantActionTest, ReversesAreTheOppositeOrACopy) {
    struct Case {
        base::Ref<FiniteTimeAction> action;
        char const* reverseClass;
    };
    auto listener = base::make<Listener>();
    Case const cases[] = {
        {Show::action(), "Hide"},
        {Hide::action(), "Show"},
        {ToggleVisibility::action(), "ToggleVisibility"},
        {Place::actionWithPosition({1, 2}), "Place"},
        {CallFunc::actionWithTarget(listener.get(), &Listener::done), "CallFunc"},
        {CallFuncN::actionWithTarget(listener.get(), &Listener::doneWith), "CallFuncN"},
        {CallFuncND::actionWithTarget(listener.get(), &Listener::doneWithData, nullptr),
            "CallFuncND"},
    };
    for (auto const& c : cases) {
        auto reversed = c.action->reverse();
        ASSERT_TRUE(reversed);
        EXPECT_NE(reversed.get(), c.action.get());
        EXPECT_EQ(className(*reversed), c.reverseClass);
    }
    auto node = ColorNode::make();
    test::startOn(*Place::actionWithPosition({7, 8})->reverse(), node.get());
    EXPECT_EQ(node->position(), (Point {7, 8}));
}

// Call-backs

TEST_F(InstantActionTest, CallBacksReceiveNothingTheNodeOrTheNodeAndTheirData) {
    auto listener = base::make<DerivedListener>();
    auto node = ColorNode::make();
    int data = 0;
    node->runAction(CallFunc::actionWithTarget(listener.get(), &Listener::done));
    node->runAction(CallFuncN::actionWithTarget(listener.get(), &Listener::doneWith));
    node->runAction(CallFuncND::actionWithTarget(listener.get(), &Listener::doneWithData, &data));
    EXPECT_EQ(listener->calls, 1);
    EXPECT_EQ(listener->nodes, (std::vector<SceneNode*> {node.get(), node.get()}));
    EXPECT_EQ(listener->datas, (std::vector<void*> {&data}));
    node->stopAllActions();

    auto copy
        = copyOf(*CallFuncND::actionWithTarget(listener.get(), &Listener::doneWithData, &data));
    EXPECT_EQ(copy->data(), &data);
    auto other = ColorNode::make();
    test::startOn(*copy, other.get());
    EXPECT_EQ(listener->nodes.back(), other.get());
    EXPECT_EQ(listener->datas.back(), &data);
}

TEST_F(InstantActionTest, CallFuncNWithoutATargetNodePassesNull) {
    auto listener = base::make<Listener>();
    auto action = CallFuncN::actionWithTarget(listener.get(), &Listener::doneWith);
    test::startOn(*action, nullptr);
    EXPECT_EQ(listener->nodes, (std::vector<SceneNode*> {nullptr}));
}

TEST_F(InstantActionTest, CallFuncOwnsItsTargetObjectForItsWholeLife) {
    Listener::alive = 0;
    base::Ref<CallFunc> action;
    base::Ref<Action> copy;
    {
        auto listener = base::make<Listener>();
        Listener* raw = listener.get();
        action = CallFunc::actionWithTarget(raw, [raw] { raw->done(); });
        copy = action->copy();
    }
    EXPECT_EQ(Listener::alive, 1);
    test::startOn(*action, nullptr);
    test::startOn(*copy, nullptr);
    EXPECT_EQ(static_cast<Listener*>(action->targetCallback())->calls, 2);
    action = nullptr;
    EXPECT_EQ(Listener::alive, 1);
    copy = nullptr;
    EXPECT_EQ(Listener::alive, 0);
}

TEST_F(InstantActionTest, ACallBackWithoutATargetObjectCallsNothing) {
    int calls = 0;
    auto action = CallFunc::actionWithTarget(nullptr, [&] { ++calls; });
    test::startOn(*action, nullptr);
    EXPECT_EQ(calls, 0);
}

TEST_F(InstantActionTest, ACallAfterAFadeRunsOnceInTheTickTheFadeReachesZero) {
    auto node = runningNode();
    auto listener = base::make<Listener>();
    node->runAction(Sequence::actionOne(FadeOut::actionWithDuration(0.3f),
        CallFunc::actionWithTarget(listener.get(), &Listener::done)));
    std::vector<std::pair<int, int>> seen; // opacity and calls after each tick
    for (int i = 0; i < 6; ++i) {
        tick(0.1f);
        seen.emplace_back(node->opacity(), listener->calls);
    }
    // Whichever tick float rounding lets the fade end on, the call comes in it.
    auto firstCall = std::find_if(seen.begin(), seen.end(), [](auto p) { return p.second > 0; });
    ASSERT_NE(firstCall, seen.end());
    EXPECT_EQ(firstCall->first, 0);
    EXPECT_NE((firstCall - 1)->first, 0);
    EXPECT_EQ(seen.back().second, 1);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
}

TEST_F(InstantActionTest, ACallBackMayRemoveItsNodeWhileItsSequenceRuns) {
    auto parent = runningNode();
    int alive = test::JournalNode::alive;
    {
        auto child = base::make<test::JournalNode>("child", nullptr);
        parent->addChild(child);
        SceneNode* rawParent = parent.get();
        child->runAction(Sequence::actions(DelayTime::actionWithDuration(0.2f),
            CallFuncN::actionWithTarget(parent.get(),
                [rawParent](SceneNode* node) { rawParent->removeChild(node, Cleanup::Yes); }),
            MoveBy::actionWithDuration(1, {10, 0})));
    }
    for (int i = 0; i < 5; ++i)
        tick(0.1f);
    EXPECT_TRUE(parent->children().empty());
    EXPECT_EQ(test::JournalNode::alive, alive);
}
