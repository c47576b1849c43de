#include "ActionHelpers.hpp"
#include "EngineFixture.hpp"
#include "NodeHelpers.hpp"

#include <engine/ActionManager.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Scheduler.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using engine::Action;
using engine::ActionManager;
using engine::SceneNode;
using test::JournalNode;

namespace {

// An action that writes "name" to a journal on every step and runs a hook in
// its step; done after `stepCount` steps (never when 0). Counts live instances, so
// tests can see what was released.
class StepAction : public Action {
public:
    void start() override { ++starts; }
    void stop() override {
        ++stops;
        journal->push_back(name + ":stop");
    }
    void step(float) override {
        ++steps;
        journal->push_back(name);
        if (onStep)
            onStep(*this);
        // Still alive here, even when the hook removed this action.
        EXPECT_GT(retainCount(), 0);
    }
    bool isDone() const override { return doneAfter > 0 && steps >= doneAfter; }

    std::string name;
    std::vector<std::string>* journal;
    int doneAfter;
    int starts {0};
    int steps {0};
    int stops {0};
    std::function<void(StepAction&)> onStep;
    static inline int alive = 0;

protected:
    ~StepAction() override { --alive; }

private:
    friend base::Factory;

    StepAction(std::string label, std::vector<std::string>* log, int stepCount = 0)
        : name(std::move(label))
        , journal(log)
        , doneAfter(stepCount) {
        ++alive;
    }
};

class ActionManagerTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        StepAction::alive = 0;
        JournalNode::alive = 0;
    }
    void TearDown() override {
        EngineTest::TearDown();
        // Everything the manager held is gone once it is purged.
        EXPECT_EQ(StepAction::alive, 0);
        EXPECT_EQ(JournalNode::alive, 0);
    }

    base::Ref<JournalNode> runningNode(std::string name) {
        auto node = base::make<JournalNode>(std::move(name), nullptr);
        node->onEnter();
        return node;
    }

    base::Ref<StepAction> stepAction(std::string name, int steps = 0) {
        return base::make<StepAction>(std::move(name), &journal, steps);
    }

    static ActionManager& manager() { return ActionManager::sharedManager(); }

    std::vector<std::string> journal;
};

}

// Order of stepping

TEST_F(ActionManagerTest, StepsTargetsInTheOrderTheyFirstGotAnActionAndActionsInTheirOrder) {
    std::vector<base::Ref<JournalNode>> nodes;
    for (int i = 0; i < 12; ++i)
        nodes.push_back(runningNode("n" + std::to_string(i)));
    // Neither creation order nor address order: a fixed shuffle.
    int const order[] = {7, 2, 11, 0, 5, 9, 1, 10, 3, 8, 6, 4};
    std::vector<std::string> expected;
    for (int i : order) {
        nodes[i]->runAction(stepAction("a" + std::to_string(i)));
        expected.push_back("a" + std::to_string(i));
    }
    nodes[2]->runAction(stepAction("b2"));
    expected.insert(std::find(expected.begin(), expected.end(), "a2") + 1, "b2");
    tick();
    EXPECT_EQ(journal, expected);
}

TEST_F(ActionManagerTest, ATargetThatLostAllItsActionsComesLastWhenItGetsANewOne) {
    auto a = runningNode("a");
    auto b = runningNode("b");
    a->runAction(stepAction("a1"));
    b->runAction(stepAction("b1"));
    a->stopAllActions();
    a->runAction(stepAction("a2"));
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"b1", "a2"}));
}

TEST_F(ActionManagerTest, StepsGoThroughTheSchedulerTimer) {
    auto node = runningNode("n");
    auto action = stepAction("a");
    node->runAction(action);
    engine::Scheduler::sharedScheduler().setTimeScale(2);
    auto recorder = test::ProgressRecorder::make(1);
    node->runAction(recorder);
    tick(0.25f);
    tick(0.25f);
    EXPECT_EQ(action->steps, 2);
    EXPECT_EQ(recorder->updates, (std::vector<float> {0, 0.5f}));
}

// Finishing and removing

TEST_F(ActionManagerTest, AFinishedActionIsStoppedOnceAndGoneAfterThatTick) {
    auto node = runningNode("n");
    auto action = stepAction("a", 2);
    node->runAction(action);
    tick();
    EXPECT_EQ(action->stops, 0);
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    tick();
    EXPECT_EQ(action->stops, 1);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_EQ(action->retainCount(), 1);
    tick();
    EXPECT_EQ(action->steps, 2);
    EXPECT_EQ(action->stops, 1);
}

TEST_F(ActionManagerTest, AnActionThatRemovesItselfInItsStepIsNotFreedAndSkipsNoOther) {
    auto node = runningNode("n");
    node->runAction(stepAction("first"));
    {
        auto self = stepAction("self");
        self->onStep = [](StepAction& a) { a.target()->stopAction(&a); };
        node->runAction(self);
    }
    node->runAction(stepAction("third"));
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"first", "self", "third"}));
    EXPECT_EQ(node->numberOfRunningActions(), 2);
    // Released without stop once its step was over.
    EXPECT_EQ(StepAction::alive, 2);
    journal.clear();
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"first", "third"}));
}

TEST_F(ActionManagerTest, RemovingAnEarlierActionDuringAStepNeitherSkipsNorRepeats) {
    auto node = runningNode("n");
    auto first = stepAction("first");
    node->runAction(first);
    auto second = stepAction("second");
    second->onStep = [&first](StepAction& a) {
        if (first)
            a.target()->stopAction(first.get());
        first = nullptr;
    };
    node->runAction(second);
    node->runAction(stepAction("third"));
    node->runAction(stepAction("fourth"));
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"first", "second", "third", "fourth"}));
    journal.clear();
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"second", "third", "fourth"}));
}

TEST_F(ActionManagerTest, RemovingALaterActionDuringAStepKeepsItFromBeingStepped) {
    auto node = runningNode("n");
    auto later = stepAction("later");
    auto first = stepAction("first");
    first->onStep = [&later](StepAction& a) { a.target()->stopAction(later.get()); };
    node->runAction(first);
    node->runAction(later);
    node->runAction(stepAction("last"));
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"first", "last"}));
    EXPECT_EQ(later->stops, 0);
    EXPECT_EQ(later->retainCount(), 1);
}

TEST_F(ActionManagerTest, RemovingByTagDuringItsOwnStepKeepsTheActionAlive) {
    auto node = runningNode("n");
    {
        auto tagged = stepAction("tagged");
        tagged->setTag(5);
        tagged->onStep = [](StepAction& a) { a.target()->stopActionByTag(5); };
        node->runAction(tagged);
    }
    node->runAction(stepAction("next"));
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"tagged", "next"}));
    EXPECT_EQ(node->getActionByTag(5), nullptr);
    EXPECT_EQ(StepAction::alive, 1);
}

TEST_F(ActionManagerTest, StoppingAllActionsOfTheNodeFromAStepEndsThemAllAndFreesTheTarget) {
    JournalNode* watched = nullptr;
    {
        auto node = runningNode("n");
        watched = node.get();
        node->runAction(stepAction("first"));
        auto killer = stepAction("killer");
        killer->onStep = [](StepAction& a) { a.target()->stopAllActions(); };
        node->runAction(killer);
        node->runAction(stepAction("never"));
    }
    // Only the manager holds the node now.
    EXPECT_EQ(JournalNode::alive, 1);
    EXPECT_EQ(watched->retainCount(), 1);
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"first", "killer"}));
    EXPECT_EQ(StepAction::alive, 0);
    EXPECT_EQ(JournalNode::alive, 0);
    EXPECT_EQ(manager().targetCount(), 0);
}

TEST_F(ActionManagerTest, StoppingAllAndRunningAgainInAStepKeepsTheTarget) {
    auto node = runningNode("n");
    auto replacer = stepAction("replacer");
    replacer->onStep = [this](StepAction& a) {
        SceneNode* target = a.target();
        target->stopAllActions();
        target->runAction(stepAction("replacement"));
    };
    node->runAction(replacer);
    tick();
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    journal.clear();
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"replacement"}));
}

TEST_F(ActionManagerTest, StoppingAnotherTargetsActionsFromAStepSkipsThatTarget) {
    auto a = runningNode("a");
    auto b = runningNode("b");
    auto c = runningNode("c");
    auto stopper = stepAction("a1");
    stopper->onStep = [&c](StepAction&) { c->stopAllActions(); };
    a->runAction(stopper);
    b->runAction(stepAction("b1"));
    c->runAction(stepAction("c1"));
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"a1", "b1"}));
    EXPECT_EQ(c->numberOfRunningActions(), 0);
}

TEST_F(ActionManagerTest, ATargetNobodyElseHoldsLivesUntilItsLastActionEnds) {
    runningNode("n")->runAction(stepAction("a", 2));
    EXPECT_EQ(JournalNode::alive, 1);
    tick();
    EXPECT_EQ(JournalNode::alive, 1);
    tick();
    EXPECT_EQ(JournalNode::alive, 0);
    EXPECT_EQ(StepAction::alive, 0);
}

TEST_F(ActionManagerTest, ATargetCleanedUpWhileItsActionsRunDropsThemForGood) {
    auto parent = runningNode("parent");
    auto child = base::make<JournalNode>("child", nullptr);
    parent->addChild(child);
    auto remover = stepAction("remover");
    remover->onStep
        = [&parent](StepAction& a) { parent->removeChild(a.target(), engine::Cleanup::Yes); };
    child->runAction(remover);
    child->runAction(stepAction("after"));
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"remover"}));
    EXPECT_EQ(child->numberOfRunningActions(), 0);
    EXPECT_EQ(child->retainCount(), 1);
}

// Adding during a tick

TEST_F(ActionManagerTest, ActionsAddedDuringATickAreSteppedWhenTheirTargetIsStillAhead) {
    auto early = runningNode("early");
    auto current = runningNode("current");
    auto fresh = runningNode("fresh");
    early->runAction(stepAction("e1"));
    auto adder = stepAction("adder", 1);
    adder->onStep = [&, this](StepAction& a) {
        early->runAction(stepAction("e2"));
        a.target()->runAction(stepAction("c2"));
        fresh->runAction(stepAction("f1"));
    };
    current->runAction(adder);
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"e1", "adder", "adder:stop", "c2", "f1"}));
    journal.clear();
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"e1", "e2", "c2", "f1"}));
}

// Pausing

TEST_F(ActionManagerTest, APausedTargetIsFrozenWhileOthersRun) {
    auto a = runningNode("a");
    auto b = runningNode("b");
    auto moveA = test::ProgressRecorder::make(1);
    auto moveB = test::ProgressRecorder::make(1);
    a->runAction(moveA);
    b->runAction(moveB);
    tick(0.25f);
    manager().pauseAllActionsForTarget(a.get());
    tick(0.25f);
    tick(0.25f);
    EXPECT_EQ(moveA->updates, (std::vector<float> {0}));
    EXPECT_EQ(moveB->updates, (std::vector<float> {0, 0.25f, 0.5f}));
    manager().resumeAllActionsForTarget(a.get());
    tick(0.25f);
    EXPECT_EQ(moveA->updates, (std::vector<float> {0, 0.25f}));
    EXPECT_EQ(a->numberOfRunningActions(), 1);
}

TEST_F(ActionManagerTest, PausingATargetWithoutActionsDoesNothing) {
    auto node = runningNode("n");
    manager().pauseAllActionsForTarget(node.get());
    manager().resumeAllActionsForTarget(nullptr);
    node->runAction(stepAction("a"));
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"a"}));
}

TEST_F(ActionManagerTest, PausingFromAStepLetsTheTargetsOtherActionsFinishThatTick) {
    auto node = runningNode("n");
    auto pauser = stepAction("pauser");
    pauser->onStep = [](StepAction& a) {
        ActionManager::sharedManager().pauseAllActionsForTarget(a.target());
    };
    node->runAction(pauser);
    node->runAction(stepAction("other"));
    tick();
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"pauser", "other"}));
}

TEST_F(ActionManagerTest, ANodeNotRunningGetsItsActionsStartedButPaused) {
    auto node = base::make<JournalNode>("n", nullptr);
    auto action = stepAction("a");
    node->runAction(action);
    EXPECT_EQ(action->starts, 1);
    EXPECT_EQ(action->target(), node.get());
    tick();
    EXPECT_EQ(action->steps, 0);
    node->onEnter();
    tick();
    EXPECT_EQ(action->steps, 1);
    node->onExit();
    tick();
    EXPECT_EQ(action->steps, 1);
}

TEST_F(ActionManagerTest, AddingPausedToATargetWithActionsKeepsItsState) {
    auto node = runningNode("n");
    node->runAction(stepAction("first"));
    manager().addAction(stepAction("second"), node.get(), true);
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"first", "second"}));
}

// Look-ups and misuse

TEST_F(ActionManagerTest, LooksUpByTagAndCountsPerTarget) {
    auto node = runningNode("n");
    auto other = runningNode("other");
    auto a = stepAction("a");
    auto b = stepAction("b");
    auto c = stepAction("c");
    b->setTag(3);
    c->setTag(3);
    node->runAction(a);
    node->runAction(b);
    node->runAction(c);
    EXPECT_EQ(manager().getActionByTag(3, node.get()), b.get());
    EXPECT_EQ(manager().getActionByTag(4, node.get()), nullptr);
    EXPECT_EQ(manager().getActionByTag(3, other.get()), nullptr);
    EXPECT_EQ(manager().numberOfRunningActionsInTarget(node.get()), 3);
    EXPECT_EQ(manager().numberOfRunningActionsInTarget(other.get()), 0);
    EXPECT_EQ(manager().numberOfRunningActionsInTarget(nullptr), 0);
    manager().removeActionByTag(3, node.get());
    EXPECT_EQ(manager().getActionByTag(3, node.get()), c.get());
    manager().removeActionByTag(9, other.get());
    EXPECT_EQ(manager().numberOfRunningActionsInTarget(node.get()), 2);
}

TEST_F(ActionManagerTest, RemovingWhatTheManagerDoesNotHoldIsIgnored) {
    auto node = runningNode("n");
    node->runAction(stepAction("a"));
    auto loose = stepAction("loose");
    manager().removeAction(nullptr);
    manager().removeAction(loose.get());
    loose->setTarget(node.get());
    manager().removeAction(loose.get());
    manager().removeAllActionsFromTarget(nullptr);
    EXPECT_EQ(node->numberOfRunningActions(), 1);
}

TEST_F(ActionManagerTest, MisuseIsABrokenInvariant) {
    auto node = runningNode("n");
    auto action = stepAction("a");
    node->runAction(action);
    EXPECT_DEATH(node->runAction(action), "runAction: Action already running");
    EXPECT_DEATH(manager().getActionByTag(-1, node.get()), "Invalid tag");
    EXPECT_DEATH(manager().removeActionByTag(-1, node.get()), "Invalid tag");
    EXPECT_DEATH(manager().removeActionByTag(1, nullptr), "Target should be ! nil");
    EXPECT_DEATH(
        manager().addAction(nullptr, node.get(), false), "Argument action must be non-nil");
    EXPECT_DEATH(
        manager().addAction(stepAction("b"), nullptr, false), "Argument target must be non-nil");
    EXPECT_DEATH(
        base::make<ActionManager>(), "Attempted to allocate a second instance of a singleton.");
}

TEST_F(ActionManagerTest, ManyTargetsGrowTheSetAndAreAllFound) {
    std::vector<base::Ref<JournalNode>> nodes;
    EXPECT_EQ(manager().targetBucketCount(), 131);
    for (int i = 0; i < 393; ++i) {
        nodes.push_back(runningNode(""));
        nodes.back()->runAction(stepAction("a"));
    }
    EXPECT_EQ(manager().targetCount(), 393);
    EXPECT_EQ(manager().targetBucketCount(), 257);
    for (auto const& node : nodes)
        EXPECT_EQ(node->numberOfRunningActions(), 1);
    tick();
    EXPECT_EQ(journal.size(), 393u);
}

// Purging and teardown

TEST_F(ActionManagerTest, RemoveAllActionsReleasesEveryActionAndTarget) {
    for (int i = 0; i < 5; ++i) {
        auto node = runningNode("n");
        node->runAction(stepAction("a"));
        node->runAction(stepAction("b"));
    }
    EXPECT_EQ(JournalNode::alive, 5);
    manager().removeAllActions();
    EXPECT_EQ(JournalNode::alive, 0);
    EXPECT_EQ(StepAction::alive, 0);
    EXPECT_EQ(manager().targetCount(), 0);
}

TEST_F(ActionManagerTest, PurgingDuringATickFinishesTheTickSafely) {
    auto a = runningNode("a");
    auto b = runningNode("b");
    {
        auto purger = stepAction("purger");
        purger->onStep = [](StepAction&) { ActionManager::purgeSharedManager(); };
        a->runAction(purger);
    }
    a->runAction(stepAction("a2"));
    b->runAction(stepAction("b1"));
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"purger"}));
    EXPECT_EQ(StepAction::alive, 0);
    EXPECT_EQ(a->numberOfRunningActions(), 0);
    // A new manager runs what is run next.
    a->runAction(stepAction("again"));
    tick();
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {"purger", "again", "again"}));
}

TEST_F(ActionManagerTest, ReleasingAnActionMayStopActionsOfOtherTargets) {
    // A call-back action keeps a parent alive; the parent's children have
    // actions. When the call-back goes, the parent dies and cleans up its
    // children, which removes their actions while the manager is removing.
    auto holder = runningNode("holder");
    {
        auto parent = base::make<JournalNode>("parent", nullptr);
        holder->runAction(engine::CallFunc::actionWithTarget(parent.get(), [] {}));
        holder->runAction(stepAction("h"));
        for (int i = 0; i < 3; ++i) {
            auto child = runningNode("child");
            parent->addChild(child);
            child->runAction(stepAction("c"));
        }
    }
    EXPECT_EQ(JournalNode::alive, 5);
    manager().removeAllActions();
    EXPECT_EQ(StepAction::alive, 0);
    EXPECT_EQ(JournalNode::alive, 1);
}

TEST_F(ActionManagerTest, ATickReleasingAnActionMayStopActionsOfTargetsAhead) {
    auto holder = runningNode("holder");
    {
        auto parent = base::make<JournalNode>("parent", nullptr);
        auto child = runningNode("child");
        parent->addChild(child);
        // The call-back finishes at the first tick and goes, taking the parent
        // and the child's actions with it, before the tick reaches the child.
        holder->runAction(engine::CallFunc::actionWithTarget(parent.get(), [] {}));
        child->runAction(stepAction("c"));
    }
    tick();
    EXPECT_EQ(journal, (std::vector<std::string> {}));
    EXPECT_EQ(StepAction::alive, 0);
    EXPECT_EQ(JournalNode::alive, 1);
}
