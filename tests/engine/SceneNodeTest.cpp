#include "EngineFixture.hpp"
#include "NodeHelpers.hpp"

#include <base/Exception.hpp>
#include <engine/Camera.hpp>
#include <engine/GridBase.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Timer.hpp>

#include <ui/Touch.hpp>
#include <ui/View.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <regex>
#include <vector>

using engine::AffineTransform;
using engine::Cleanup;
using engine::Point;
using engine::SceneNode;
using test::CountingAction;
using test::JournalNode;

namespace {

class SceneNodeTest : public test::EngineTest {
protected:
    base::Ref<JournalNode> journalNode(std::string name) {
        return base::make<JournalNode>(std::move(name), &journal);
    }

    // A running root, as the director's running scene would be.
    base::Ref<JournalNode> runningRoot() {
        auto root = journalNode("root");
        root->onEnter();
        journal.clear();
        return root;
    }

    static std::vector<int> zOrders(SceneNode const& node) {
        std::vector<int> z;
        for (auto const& child : node.children())
            z.push_back(child->zOrder());
        return z;
    }

    std::vector<std::string> journal;
};

void expectNear(Point actual, Point expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-3f);
    EXPECT_NEAR(actual.y, expected.y, 1e-3f);
}

}

// Construction

TEST_F(SceneNodeTest, StartsWithTheDocumentedValues) {
    auto node = SceneNode::node();
    EXPECT_EQ(node->rotation(), 0);
    EXPECT_EQ(node->scaleX(), 1);
    EXPECT_EQ(node->scaleY(), 1);
    EXPECT_EQ(node->position(), (Point {0, 0}));
    EXPECT_TRUE(node->relativeAnchorPoint());
    EXPECT_EQ(node->transformAnchor(), (Point {0, 0}));
    EXPECT_EQ(node->anchorPoint(), (Point {0, 0}));
    EXPECT_EQ(node->contentSize(), (engine::Size {0, 0}));
    EXPECT_EQ(node->vertexZ(), 0);
    EXPECT_TRUE(node->visible());
    EXPECT_EQ(node->grid(), nullptr);
    EXPECT_EQ(node->zOrder(), 0);
    EXPECT_TRUE(node->children().empty());
    EXPECT_FALSE(node->isRunning());
    EXPECT_EQ(node->parent(), nullptr);
    EXPECT_EQ(node->tag(), -1);
    EXPECT_EQ(node->userData(), nullptr);
    EXPECT_TRUE(node->nodeToParentTransform().isIdentity());
}

TEST_F(SceneNodeTest, DescribesClassAddressAndTag) {
    auto node = journalNode("n");
    node->setTag(42);
    EXPECT_TRUE(std::regex_match(
        node->description(), std::regex(R"(<JournalNode = [0-9A-F]{8,} \| Tag = 42>)")))
        << node->description();
}

TEST_F(SceneNodeTest, CameraIsMadeOnFirstUseAndKept) {
    auto node = SceneNode::node();
    auto* camera = node->camera();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(node->camera(), camera);
}

TEST_F(SceneNodeTest, ScaleOfUnequalFactorsRaises) {
    auto node = SceneNode::node();
    node->setScale(3);
    EXPECT_EQ(node->scale(), 3);
    node->setScaleX(2);
    node->setScaleY(1);
    try {
        (void)node->scale();
        FAIL() << "no exception";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "SceneNode scale:");
        EXPECT_EQ(e.reason(), "scaleX is different from scaleY");
    }
}

TEST_F(SceneNodeTest, AnchorPointAndContentSizeSetTheTransformAnchor) {
    auto node = SceneNode::node();
    node->setAnchorPoint({0.5f, 0.25f});
    EXPECT_EQ(node->transformAnchor(), (Point {0, 0}));
    node->setContentSize({100, 40});
    EXPECT_EQ(node->transformAnchor(), (Point {50, 10}));
    node->setAnchorPoint({1, 1});
    EXPECT_EQ(node->transformAnchor(), (Point {100, 40}));
    // An unchanged anchor point leaves a directly set transform anchor alone.
    node->setTransformAnchor({3, 4});
    node->setAnchorPoint({1, 1});
    node->setContentSize({100, 40});
    EXPECT_EQ(node->transformAnchor(), (Point {3, 4}));
}

// Children

TEST_F(SceneNodeTest, ChildrenAreSortedByZWithEqualZInInsertionOrder) {
    auto parent = SceneNode::node();
    std::vector<base::Ref<SceneNode>> made;
    for (int z : {1, 0, 1, -1}) {
        made.push_back(SceneNode::node());
        parent->addChild(made.back(), z);
    }
    EXPECT_EQ(zOrders(*parent), (std::vector<int> {-1, 0, 1, 1}));
    auto const& c = parent->children();
    EXPECT_EQ(c[0], made[3]);
    EXPECT_EQ(c[1], made[1]);
    EXPECT_EQ(c[2], made[0]);
    EXPECT_EQ(c[3], made[2]);
    for (auto const& child : c)
        EXPECT_EQ(child->parent(), parent.get());
}

// Removed children leave empty places that are squeezed out later: against a plain
// list kept by z then arrival, any mix of adds at any z, removals, reorders and reads
// (drawing included) keeps the same children in the same order.
TEST_F(SceneNodeTest, AnyMixOfChangesKeepsChildrenByZThenArrival) {
    auto parent = SceneNode::node();
    std::vector<base::Ref<SceneNode>> nodes;
    for (int i = 0; i < 30; ++i)
        nodes.push_back(SceneNode::node());
    std::vector<SceneNode*> model;
    auto insert = [&model](SceneNode* node, int z) {
        auto place = std::find_if(
            model.begin(), model.end(), [z](SceneNode* n) { return n->zOrder() > z; });
        model.insert(place, node);
    };
    std::uint32_t seed = 99;
    auto next = [&seed](int bound) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % std::uint32_t(bound));
    };
    for (int step = 0; step < 3000; ++step) {
        auto* node = nodes[std::size_t(next(int(nodes.size())))].get();
        bool isChild = node->parent() == parent.get();
        int what = next(10);
        int z = next(4) - 1;
        if (what < 5 && !isChild) {
            parent->addChild(base::Ref<SceneNode>(node), z);
            insert(node, z);
        } else if (what < 8 && isChild) {
            parent->removeChild(node, Cleanup::No);
            std::erase(model, node);
            EXPECT_EQ(node->parent(), nullptr);
        } else if (what < 9 && isChild) {
            // A child whose z changes goes to the end of its new z.
            bool moves = node->zOrder() != z;
            parent->reorderChild(node, z);
            if (moves) {
                std::erase(model, node);
                insert(node, z);
            }
        } else if (step % 11 == 0) {
            std::vector<SceneNode*> read;
            for (auto const& child : parent->children())
                read.push_back(child.get());
            ASSERT_EQ(read, model) << "at step " << step;
        }
    }
    std::vector<SceneNode*> read;
    for (auto const& child : parent->children())
        read.push_back(child.get());
    EXPECT_EQ(read, model);
    for (auto* node : model)
        EXPECT_EQ(node->parent(), parent.get());
}

TEST_F(SceneNodeTest, RemovingChildrenOldestFirstKeepsTheRestInOrder) {
    auto parent = SceneNode::node();
    std::vector<base::Ref<SceneNode>> nodes;
    for (int i = 0; i < 100; ++i) {
        nodes.push_back(SceneNode::node());
        nodes.back()->setTag(i);
        parent->addChild(nodes.back(), 0);
    }
    for (int i = 0; i < 90; ++i) {
        parent->removeChild(nodes[std::size_t(i)].get(), Cleanup::Yes);
        ASSERT_EQ(parent->getChildByTag(i + 1), nodes[std::size_t(i) + 1].get());
        ASSERT_EQ(parent->getChildByTag(i), nullptr);
    }
    // A child added below the others goes first; one at the same z goes last.
    auto low = SceneNode::node();
    auto same = SceneNode::node();
    parent->addChild(same, 0);
    parent->addChild(low, -1);
    ASSERT_EQ(parent->children().size(), 12u);
    EXPECT_EQ(parent->children().front(), low);
    EXPECT_EQ(parent->children().back(), same);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(parent->children()[i + 1], nodes[90 + i]);
    // A removed child can be added again, to the end of its z.
    parent->removeChild(nodes[95].get(), Cleanup::No);
    parent->addChild(nodes[95], 0);
    EXPECT_EQ(parent->children().back(), nodes[95]);
    EXPECT_EQ(parent->children().size(), 12u);
}

TEST_F(SceneNodeTest, AddChildTakesTheGivenTagOrTheChildsOwnZAndTag) {
    auto parent = SceneNode::node();
    auto a = SceneNode::node();
    a->setTag(7);
    parent->addChild(a, 5);
    EXPECT_EQ(a->tag(), 7);
    EXPECT_EQ(a->zOrder(), 5);
    auto b = SceneNode::node();
    parent->addChild(b, 2, 9);
    EXPECT_EQ(b->tag(), 9);
    parent->removeChild(a.get(), Cleanup::No);
    parent->addChild(a);
    EXPECT_EQ(a->zOrder(), 5);
    EXPECT_EQ(zOrders(*parent), (std::vector<int> {2, 5}));
}

TEST_F(SceneNodeTest, AddingAChildThatHasAParentFails) {
    auto first = SceneNode::node();
    auto second = SceneNode::node();
    auto child = SceneNode::node();
    first->addChild(child);
    EXPECT_DEATH(second->addChild(child), "child already added. It can't be added again");
}

TEST_F(SceneNodeTest, AddingANodeToItselfOrItsDescendantFails) {
    auto root = SceneNode::node();
    auto child = SceneNode::node();
    root->addChild(child);
    EXPECT_DEATH(root->addChild(root), "can't be added to itself");
    EXPECT_DEATH(child->addChild(root), "can't be added to itself");
}

TEST_F(SceneNodeTest, AddingNothingFails) {
    auto root = SceneNode::node();
    EXPECT_DEATH(root->addChild(nullptr, 0, 1), "Argument must be non-nil");
}

TEST_F(SceneNodeTest, ReorderChildMovesToTheEndOfItsNewZ) {
    struct Case {
        char const* name;
        int child;
        int z;
        std::vector<int> order; // indices into the made children
        std::vector<int> zs;
    };
    // Made with z 0, 0, 1, 2 (indices 0..3).
    Case const cases[] = {
        {"up", 0, 1, {1, 2, 0, 3}, {0, 1, 1, 2}},
        {"down below all", 3, -1, {3, 0, 1, 2}, {-1, 0, 0, 1}},
        {"index equal to the new z", 1, 1, {0, 2, 1, 3}, {0, 1, 1, 2}},
        {"same z stays in place", 0, 0, {0, 1, 2, 3}, {0, 0, 1, 2}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto parent = SceneNode::node();
        std::vector<base::Ref<SceneNode>> made;
        for (int z : {0, 0, 1, 2}) {
            made.push_back(SceneNode::node());
            parent->addChild(made.back(), z);
        }
        parent->reorderChild(made[c.child].get(), c.z);
        ASSERT_EQ(parent->children().size(), 4u);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(parent->children()[i], made[c.order[i]]) << "at " << i;
        EXPECT_EQ(zOrders(*parent), c.zs);
        EXPECT_EQ(made[c.child]->parent(), parent.get());
    }
}

TEST_F(SceneNodeTest, ReorderingANodeThatIsNotAChildChangesNothing) {
    auto parent = SceneNode::node();
    auto child = SceneNode::node();
    auto stranger = SceneNode::node();
    parent->addChild(child, 3);
    parent->reorderChild(stranger.get(), 5);
    EXPECT_EQ(stranger->zOrder(), 0);
    EXPECT_EQ(zOrders(*parent), (std::vector<int> {3}));
    EXPECT_DEATH(parent->reorderChild(nullptr, 1), "Child must be non-nil");
}

TEST_F(SceneNodeTest, GetChildByTagFindsTheFirstInZOrder) {
    auto parent = SceneNode::node();
    auto later = SceneNode::node();
    auto earlier = SceneNode::node();
    parent->addChild(later, 5, 3);
    parent->addChild(earlier, 1, 3);
    EXPECT_EQ(parent->getChildByTag(3), earlier.get());
    EXPECT_EQ(parent->getChildByTag(4), nullptr);
    EXPECT_DEATH(parent->getChildByTag(-1), "Invalid tag");
    EXPECT_DEATH(parent->removeChildByTag(-1, Cleanup::Yes), "Invalid tag");
}

TEST_F(SceneNodeTest, RemoveChildIgnoresNothingAndStrangers) {
    auto parent = SceneNode::node();
    auto child = SceneNode::node();
    auto stranger = SceneNode::node();
    auto strangersParent = SceneNode::node();
    strangersParent->addChild(stranger);
    parent->addChild(child);
    parent->removeChild(nullptr, Cleanup::Yes);
    parent->removeChild(stranger.get(), Cleanup::Yes);
    EXPECT_EQ(parent->children().size(), 1u);
    EXPECT_EQ(stranger->parent(), strangersParent.get());
    parent->removeChildByTag(77, Cleanup::Yes);
    EXPECT_EQ(parent->children().size(), 1u);
}

TEST_F(SceneNodeTest, RemovingFromARunningParentExitsThenCleansUp) {
    auto root = runningRoot();
    auto child = journalNode("child");
    auto grandchild = journalNode("grandchild");
    child->addChild(grandchild);
    root->addChild(child, 0, 5);
    EXPECT_EQ(journal, (std::vector<std::string> {"grandchild:onEnter", "child:onEnter"}));
    EXPECT_TRUE(child->isRunning());
    EXPECT_TRUE(grandchild->isRunning());
    journal.clear();
    root->removeChildByTag(5, Cleanup::Yes);
    EXPECT_EQ(journal,
        (std::vector<std::string> {
            "child:onExit", "grandchild:onExit", "child:cleanup", "grandchild:cleanup"}));
    EXPECT_EQ(child->parent(), nullptr);
    EXPECT_FALSE(child->isRunning());
    EXPECT_FALSE(grandchild->isRunning());
    EXPECT_EQ(grandchild->parent(), child.get());
    EXPECT_TRUE(root->children().empty());
}

TEST_F(SceneNodeTest, RemovingWithoutCleanupOnlyExits) {
    auto root = runningRoot();
    auto child = journalNode("child");
    root->addChild(child);
    journal.clear();
    root->removeChild(child.get(), Cleanup::No);
    EXPECT_EQ(journal, (std::vector<std::string> {"child:onExit"}));
}

TEST_F(SceneNodeTest, RemoveAllChildrenExitsAndCleansUpEachInOrder) {
    auto root = runningRoot();
    auto a = journalNode("a");
    auto b = journalNode("b");
    root->addChild(b, 2);
    root->addChild(a, 1);
    journal.clear();
    root->removeAllChildrenWithCleanup(Cleanup::Yes);
    EXPECT_EQ(
        journal, (std::vector<std::string> {"a:onExit", "a:cleanup", "b:onExit", "b:cleanup"}));
    EXPECT_TRUE(root->children().empty());
    EXPECT_EQ(a->parent(), nullptr);
    EXPECT_EQ(b->parent(), nullptr);
}

TEST_F(SceneNodeTest, RemovingANotRunningChildSendsNoExit) {
    auto parent = journalNode("parent");
    auto child = journalNode("child");
    parent->addChild(child);
    parent->removeChild(child.get(), Cleanup::Yes);
    EXPECT_EQ(journal, (std::vector<std::string> {"child:cleanup"}));
}

TEST_F(SceneNodeTest, ADyingParentCleansUpItsChildrenAndForgetsThem) {
    auto child = journalNode("child");
    auto action = base::make<CountingAction>(10);
    {
        auto parent = journalNode("parent");
        parent->addChild(child);
        child->runAction(action);
    }
    EXPECT_EQ(child->parent(), nullptr);
    EXPECT_EQ(journal, (std::vector<std::string> {"child:cleanup"}));
    EXPECT_EQ(child->numberOfRunningActions(), 0);
}

// Life cycle

TEST_F(SceneNodeTest, EnterStartsChildrenFirstAndExitStopsTheParentFirst) {
    auto root = journalNode("root");
    auto a = journalNode("a");
    auto b = journalNode("b");
    auto a1 = journalNode("a1");
    a->addChild(a1);
    root->addChild(b, 1);
    root->addChild(a, 0);
    root->onEnter();
    EXPECT_EQ(journal,
        (std::vector<std::string> {"a1:onEnter", "a:onEnter", "b:onEnter", "root:onEnter"}));
    EXPECT_TRUE(root->isRunning() && a->isRunning() && a1->isRunning() && b->isRunning());
    journal.clear();
    root->onExit();
    EXPECT_EQ(
        journal, (std::vector<std::string> {"root:onExit", "a:onExit", "a1:onExit", "b:onExit"}));
    EXPECT_FALSE(root->isRunning() || a->isRunning() || a1->isRunning() || b->isRunning());
}

TEST_F(SceneNodeTest, ChildrenAreRunningBeforeTheParentAndStopAfterIt) {
    // Record the parent's running flag as each child sees it.
    struct Probe : SceneNode {
        void onEnter() override {
            seen.push_back(parent()->isRunning());
            SceneNode::onEnter();
        }
        void onExit() override {
            seen.push_back(parent()->isRunning());
            SceneNode::onExit();
        }
        std::vector<bool> seen;

    private:
        friend base::Factory;

        Probe() = default;
    };
    auto root = SceneNode::node();
    auto probe = base::make<Probe>();
    root->addChild(probe);
    root->onEnter();
    root->onExit();
    EXPECT_EQ(probe->seen, (std::vector<bool> {false, false}));
}

TEST_F(SceneNodeTest, TransitionFinishIsForwardedToEveryChild) {
    struct Probe : SceneNode {
        void onEnterTransitionDidFinish() override {
            ++count;
            SceneNode::onEnterTransitionDidFinish();
        }
        int count {0};

    private:
        friend base::Factory;

        Probe() = default;
    };
    auto root = base::make<Probe>();
    auto child = base::make<Probe>();
    auto grandchild = base::make<Probe>();
    child->addChild(grandchild);
    root->addChild(child);
    root->onEnterTransitionDidFinish();
    EXPECT_EQ(root->count + child->count + grandchild->count, 3);
}

// Scheduled selectors

TEST_F(SceneNodeTest, ANodeOutsideTheSceneWaitsUntilAddedUnderARunningParent) {
    auto node = journalNode("n");
    node->schedule(&JournalNode::update);
    auto action = base::make<CountingAction>(10);
    node->runAction(action);
    EXPECT_EQ(action->starts, 1);
    tick();
    tick();
    EXPECT_TRUE(node->updates.empty());
    EXPECT_EQ(action->steps, 0);
    auto root = runningRoot();
    root->addChild(node);
    tick(0.1f);
    tick(0.2f);
    EXPECT_EQ(node->updates, (std::vector<float> {0, 0.2f}));
    EXPECT_EQ(action->steps, 2);
    EXPECT_FLOAT_EQ(action->elapsed, 0.3f);
    root->cleanup();
}

TEST_F(SceneNodeTest, SchedulingWhileRunningStartsAtTheNextTick) {
    auto root = runningRoot();
    root->schedule(&JournalNode::update, 0.5f);
    EXPECT_NE(
        root->scheduledTimer(engine::Selector::make(&JournalNode::update, root.get())), nullptr);
    tick(0.3f);
    tick(0.3f);
    tick(0.3f);
    ASSERT_EQ(root->updates.size(), 1u);
    EXPECT_FLOAT_EQ(root->updates[0], 0.6f);
    root->cleanup();
}

TEST_F(SceneNodeTest, SchedulingTwiceKeepsTheFirstInterval) {
    auto node = journalNode("n");
    node->schedule(&JournalNode::update, 0.5f);
    node->schedule(&JournalNode::update, 2);
    auto* timer = node->scheduledTimer(engine::Selector::make(&JournalNode::update, node.get()));
    ASSERT_NE(timer, nullptr);
    EXPECT_FLOAT_EQ(timer->interval(), 0.5f);
}

TEST_F(SceneNodeTest, SchedulingRefusesANegativeIntervalOrNoSelector) {
    auto node = journalNode("n");
    EXPECT_DEATH(node->schedule(&JournalNode::update, -1), "Arguemnt must be positive");
    EXPECT_DEATH(node->schedule(engine::Selector()), "Argument must be non-nil");
}

TEST_F(SceneNodeTest, UnscheduleStopsOneSelectorAndIgnoresOthers) {
    auto root = runningRoot();
    root->schedule(&JournalNode::update);
    root->schedule(&JournalNode::tick);
    tick();
    root->unschedule(&JournalNode::update);
    root->unschedule(&JournalNode::update);
    root->unschedule(engine::Selector());
    tick();
    tick();
    EXPECT_EQ(root->updates.size(), 1u);
    EXPECT_EQ(root->ticks.size(), 3u);
    root->cleanup();
}

TEST_F(SceneNodeTest, NamedFunctionSelectorsScheduleAndUnscheduleByName) {
    auto root = runningRoot();
    int calls = 0;
    root->schedule(engine::Selector::function("blink:", [&](float) { ++calls; }));
    root->schedule(engine::Selector::function("blink:", [&](float) { calls += 100; }));
    tick();
    tick();
    root->unschedule(engine::Selector::function("blink:", [](float) {}));
    tick();
    EXPECT_EQ(calls, 2);
}

TEST_F(SceneNodeTest, CleanupOfARunningNodeTakesItsTimersOffTheScheduler) {
    int const before = JournalNode::alive;
    {
        auto root = runningRoot();
        auto child = journalNode("child");
        root->addChild(child);
        child->schedule(&JournalNode::update);
        tick();
        EXPECT_EQ(child->updates.size(), 1u);
        child->cleanup();
        tick();
        tick();
        EXPECT_EQ(child->updates.size(), 1u);
        EXPECT_EQ(child->scheduledTimer(engine::Selector::make(&JournalNode::update, child.get())),
            nullptr);
        root->removeAllChildrenWithCleanup(Cleanup::Yes);
        root->onExit();
        root->cleanup();
    }
    tick();
    EXPECT_EQ(JournalNode::alive, before);
}

TEST_F(SceneNodeTest, RemovingWithCleanupDropsTimersAndActionsForGood) {
    auto root = runningRoot();
    auto child = journalNode("child");
    root->addChild(child);
    child->schedule(&JournalNode::update);
    auto action = base::make<CountingAction>(10);
    child->runAction(action);
    tick();
    root->removeChild(child.get(), Cleanup::Yes);
    EXPECT_EQ(child->numberOfRunningActions(), 0);
    root->addChild(child);
    tick();
    tick();
    EXPECT_EQ(child->updates.size(), 1u);
    EXPECT_EQ(action->steps, 1);
    root->cleanup();
}

TEST_F(SceneNodeTest, RemovingWithoutCleanupThenAddingAgainCarriesOn) {
    auto root = runningRoot();
    auto child = journalNode("child");
    root->addChild(child);
    child->schedule(&JournalNode::update, 0.25f);
    auto action = base::make<CountingAction>(10);
    child->runAction(action);
    tick(0.1f); // the first tick counts no time
    tick(0.1f);
    EXPECT_EQ(action->steps, 2);
    root->removeChild(child.get(), Cleanup::No);
    tick(0.1f);
    tick(0.1f);
    EXPECT_EQ(action->steps, 2);
    EXPECT_TRUE(child->updates.empty());
    EXPECT_EQ(child->numberOfRunningActions(), 1);
    root->addChild(child);
    tick(0.1f);
    EXPECT_EQ(action->steps, 3);
    EXPECT_FLOAT_EQ(action->elapsed, 0.2f);
    tick(0.1f);
    ASSERT_EQ(child->updates.size(), 1u);
    EXPECT_FLOAT_EQ(child->updates[0], 0.3f);
    root->cleanup();
}

TEST_F(SceneNodeTest, ANodeWithSchedulesThatIsNotRunningIsFreedWhenReleased) {
    int const before = JournalNode::alive;
    {
        auto node = journalNode("n");
        node->schedule(&JournalNode::update);
    }
    EXPECT_EQ(JournalNode::alive, before);
}

TEST_F(SceneNodeTest, ARunningNodeIsKeptAliveByItsTimersUntilTheyAreRemoved) {
    int const before = JournalNode::alive;
    {
        auto node = journalNode("n");
        node->schedule(&JournalNode::update);
        node->onEnter();
    }
    EXPECT_EQ(JournalNode::alive, before + 1);
    tick();
    EXPECT_EQ(JournalNode::alive, before + 1);
    engine::Scheduler::sharedScheduler().unscheduleAllTimers();
    EXPECT_EQ(JournalNode::alive, before);
}

// Actions

TEST_F(SceneNodeTest, ActionsRunOnANodeThatIsNotRunningStartAtOnceButStepAfterEnter) {
    auto node = journalNode("n");
    auto action = base::make<CountingAction>(1);
    EXPECT_EQ(node->runAction(action), action.get());
    EXPECT_EQ(action->starts, 1);
    EXPECT_EQ(action->target(), node.get());
    tick();
    tick();
    EXPECT_EQ(action->steps, 0);
    node->onEnter();
    tick(0.5f);
    EXPECT_EQ(action->steps, 1);
    tick(0.5f);
    EXPECT_EQ(action->stops, 1);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    tick(0.5f);
    EXPECT_EQ(action->steps, 2);
    node->onExit();
}

TEST_F(SceneNodeTest, ActionsAreFoundAndStoppedByTag) {
    auto root = runningRoot();
    auto first = base::make<CountingAction>(5);
    auto second = base::make<CountingAction>(5);
    first->setTag(1);
    second->setTag(2);
    root->runAction(first);
    root->runAction(second);
    EXPECT_EQ(root->numberOfRunningActions(), 2);
    EXPECT_EQ(root->getActionByTag(2), second.get());
    EXPECT_EQ(root->getActionByTag(3), nullptr);
    root->stopActionByTag(1);
    EXPECT_EQ(root->numberOfRunningActions(), 1);
    root->stopAction(second.get());
    EXPECT_EQ(root->numberOfRunningActions(), 0);
    EXPECT_EQ(first->stops + second->stops, 0);
    EXPECT_DEATH(root->getActionByTag(-1), "Invalid tag");
    EXPECT_DEATH(root->stopActionByTag(-1), "Invalid tag");
    EXPECT_DEATH(root->runAction(nullptr), "Argument must be non-nil");
}

TEST_F(SceneNodeTest, StopAllActionsRemovesEveryActionWithoutStop) {
    auto root = runningRoot();
    auto a = base::make<CountingAction>(5);
    auto b = base::make<CountingAction>(5);
    root->runAction(a);
    root->runAction(b);
    root->stopAllActions();
    tick();
    EXPECT_EQ(root->numberOfRunningActions(), 0);
    EXPECT_EQ(a->steps + b->steps + a->stops + b->stops, 0);
}

// Transforms

TEST_F(SceneNodeTest, NodeToParentTransformMapsPointsByTable) {
    struct Case {
        char const* name;
        test::Placement placement;
        Point in;
        Point out;
    };
    Case const cases[] = {
        {"identity", {{0, 0}, 0, 1, 1, {0, 0}, true}, {5, 6}, {5, 6}},
        {"position", {{10, 20}, 0, 1, 1, {0, 0}, true}, {5, 6}, {15, 26}},
        {"anchor sits at the position", {{100, 50}, 0, 1, 1, {10, 5}, true}, {10, 5}, {100, 50}},
        {"lower left sits at the position", {{100, 50}, 0, 1, 1, {10, 5}, false}, {0, 0},
            {100, 50}},
        {"positive rotation is clockwise", {{0, 0}, 90, 1, 1, {0, 0}, true}, {1, 0}, {0, -1}},
        {"rotation pivots about the anchor", {{50, 50}, 90, 1, 1, {10, 0}, true}, {20, 0},
            {50, 40}},
        {"scale about the anchor", {{50, 50}, 0, 2, 3, {10, 10}, true}, {11, 11}, {52, 53}},
        {"scale then rotate then place", {{5, 5}, 180, 2, 2, {0, 0}, true}, {1, 1}, {3, 3}},
        {"whole points: position truncated", {{10.7f, -3.7f}, 0, 1, 1, {0, 0}, true}, {0, 0},
            {10, -3}},
        {"whole points: anchor truncated", {{0, 0}, 0, 1, 1, {2.9f, 2.9f}, true}, {2, 2}, {0, 0}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto node = test::placedNode(c.placement);
        expectNear(node->nodeToParentTransform().apply(c.in), c.out);
        expectNear(node->parentToNodeTransform().apply(c.out), c.in);
    }
}

TEST_F(SceneNodeTest, CachedTransformsFollowEveryGeometryChange) {
    auto node = SceneNode::node();
    node->setContentSize({10, 10});
    auto check = [&](Point in, Point out) {
        expectNear(node->nodeToParentTransform().apply(in), out);
        expectNear(node->parentToNodeTransform().apply(out), in);
    };
    check({1, 1}, {1, 1});
    node->setPosition({5, 0});
    check({1, 1}, {6, 1});
    node->setScale(2);
    check({1, 1}, {7, 2});
    node->setRotation(180);
    check({1, 1}, {3, -2});
    node->setScaleX(1);
    check({1, 1}, {4, -2});
    node->setScaleY(1);
    check({1, 1}, {4, -1});
    node->setAnchorPoint({0.5f, 0.5f});
    check({5, 5}, {5, 0});
    node->setRelativeAnchorPoint(false);
    check({5, 5}, {10, 5});
    node->setContentSize({20, 20});
    check({10, 10}, {15, 10});
}

TEST_F(SceneNodeTest, ALayerCoversTheScreenAndRotatesAboutItsCentre) {
    auto layer = SceneNode::node();
    layer->setRelativeAnchorPoint(false);
    layer->setAnchorPoint({0.5f, 0.5f});
    layer->setContentSize({480, 320});
    expectNear(layer->convertToWorldSpace({0, 0}), {0, 0});
    expectNear(layer->convertToWorldSpace({480, 320}), {480, 320});
    layer->setRotation(90);
    expectNear(layer->convertToWorldSpace({240, 160}), {240, 160});
    expectNear(layer->convertToWorldSpace({250, 160}), {240, 150});
}

TEST_F(SceneNodeTest, WorldTransformsComposeEveryAncestor) {
    auto root = SceneNode::node();
    auto middle = SceneNode::node();
    auto leaf = SceneNode::node();
    root->addChild(middle);
    middle->addChild(leaf);
    root->setPosition({100, 0});
    middle->setScale(2);
    middle->setPosition({0, 10});
    leaf->setRotation(-90);
    leaf->setPosition({5, 5});
    // leaf (1,0) -> rotate counter-clockwise (0,1) -> +5,5 (5,6) -> *2 (10,12) -> +0,10 (10,22) ->
    // +100,0.
    struct Case {
        Point leaf;
        Point world;
    };
    for (auto c : {Case {{1, 0}, {110, 22}}, Case {{0, 0}, {110, 20}}, Case {{0, 3}, {104, 20}}}) {
        expectNear(leaf->convertToWorldSpace(c.leaf), c.world);
        expectNear(leaf->convertToNodeSpace(c.world), c.leaf);
    }
    auto toWorld = leaf->nodeToWorldTransform();
    auto toNode = leaf->worldToNodeTransform();
    expectNear(AffineTransform::concat(toWorld, toNode).apply(Point {7, -3}), {7, -3});
}

TEST_F(SceneNodeTest, AnchorRelativeConversionsCountFromTheAnchor) {
    auto node = SceneNode::node();
    node->setContentSize({40, 20});
    node->setAnchorPoint({0.5f, 0.5f});
    node->setPosition({100, 100});
    expectNear(node->convertToNodeSpace({100, 100}), {20, 10});
    expectNear(node->convertToNodeSpaceAR({100, 100}), {0, 0});
    expectNear(node->convertToNodeSpaceAR({110, 95}), {10, -5});
    expectNear(node->convertToWorldSpaceAR({0, 0}), {100, 100});
    expectNear(node->convertToWorldSpaceAR({-20, -10}), {80, 90});
}

TEST_F(SceneNodeTest, TouchesAreConvertedByTheDirectorThenIntoTheNode) {
    test::FakeDirector director({480, 320}, 1);
    auto node = SceneNode::node();
    node->setContentSize({20, 20});
    node->setAnchorPoint({0.5f, 0.5f});
    node->setPosition({10, 300});
    // View (10, 20) is (10, 300) in the engine's space: the node's anchor.
    expectNear(node->convertTouchToNodeSpace({10, 20}), {10, 10});
    expectNear(node->convertTouchToNodeSpaceAR({10, 20}), {0, 0});
    expectNear(node->convertTouchToNodeSpaceAR({15, 10}), {5, 10});
    // A touch with no view reports its window location.
    auto touch = ui::Touch::create(nullptr, nullptr, {15, 10}, 1, 0);
    expectNear(node->convertTouchToNodeSpace(touch.get()), {15, 20});
    expectNear(node->convertTouchToNodeSpaceAR(touch.get()), {5, 10});
}

TEST_F(SceneNodeTest, GridIsRetainedAndReplaced) {
    auto node = SceneNode::node();
    auto grid = base::make<engine::GridBase>();
    node->setGrid(grid);
    EXPECT_EQ(node->grid(), grid.get());
    EXPECT_EQ(grid->retainCount(), 2);
    node->setGrid(nullptr);
    EXPECT_EQ(grid->retainCount(), 1);
}
