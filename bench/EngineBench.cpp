// The engine's per-frame paths: the scheduler firing 1,000 timers, the action
// manager stepping 1,000 nodes, and world transforms over a deep node tree. No GL is
// needed. Each peer is a hand-written loop doing the same arithmetic on plain
// structs, so the ratio is what the framework's safety and generality cost a frame.

#include "Compare.hpp"

// The tests' node with a colour and an opacity, so that fades act on it.
#include <engine/ActionHelpers.hpp>

#include <engine/ActionManager.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/RepeatForever.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Scheduler.hpp>
#include <engine/Selector.hpp>
#include <engine/Timer.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

using engine::AffineTransform;
using engine::Point;

namespace {

constexpr float FrameTime = 1.0f / 60;

// --- Scheduler ---

// The target of a timer: a node's update method reduced to counting.
class Counter final : public base::Object {
public:
    void update(float dt) {
        total += dt;
        ++calls;
    }
    double total {0};
    long calls {0};

private:
    friend base::Factory;

    Counter() = default;
};

constexpr int TimerCount = 1000;

// Every timer fires every frame, as the update selectors of the game's nodes do;
// one in ten has an interval and fires now and then.
float intervalOf(int i) {
    return i % 10 == 0 ? 0.25f : 0.0f;
}

void schedulerOurs(benchmark::State& state) {
    auto scheduler = base::make<engine::Scheduler>();
    std::vector<base::Ref<Counter>> counters;
    for (int i = 0; i < TimerCount; ++i) {
        auto counter = base::make<Counter>();
        scheduler->scheduleTimer(engine::Timer::timerWithTarget(
            counter.get(), engine::Selector::make(&Counter::update, counter.get()), intervalOf(i)));
        counters.push_back(counter);
    }
    for (auto _ : state)
        scheduler->tick(FrameTime);
    bench::require(counters[1]->calls == long(state.iterations()), "every timer fired");
    scheduler->unscheduleAllTimers();
}

// A timer reduced to its arithmetic: the same first-tick rule and interval test.
struct PlainTimer {
    float interval;
    float elapsed {-1};

    bool due(float dt) {
        if (elapsed == -1)
            elapsed = 0;
        else
            elapsed += dt;
        return elapsed >= interval;
    }
};

void schedulerPlainLoop(benchmark::State& state) {
    struct Entry {
        PlainTimer timer;
        Counter* target;
    };
    std::vector<base::Ref<Counter>> counters;
    std::vector<Entry> timers;
    for (int i = 0; i < TimerCount; ++i) {
        counters.push_back(base::make<Counter>());
        timers.push_back({{intervalOf(i)}, counters.back().get()});
    }
    for (auto _ : state) {
        for (auto& t : timers) {
            if (t.timer.due(FrameTime)) {
                t.target->update(t.timer.elapsed);
                t.timer.elapsed = 0;
            }
        }
        benchmark::ClobberMemory();
    }
}

// The same, calling through std::function as any callback list must.
void schedulerFunctionLoop(benchmark::State& state) {
    struct Entry {
        PlainTimer timer;
        std::function<void(float)> callback;
    };
    std::vector<base::Ref<Counter>> counters;
    std::vector<Entry> timers;
    for (int i = 0; i < TimerCount; ++i) {
        counters.push_back(base::make<Counter>());
        Counter* c = counters.back().get();
        timers.push_back({{intervalOf(i)}, [c](float dt) { c->update(dt); }});
    }
    for (auto _ : state) {
        for (auto& t : timers) {
            if (t.timer.due(FrameTime)) {
                t.callback(t.timer.elapsed);
                t.timer.elapsed = 0;
            }
        }
    }
}

// --- ActionManager ---

constexpr int NodeCount = 1000;
constexpr float MoveTime = 0.5f;
constexpr float FadeTime = 0.5f;
constexpr Point MoveOffset {12, -7};
constexpr std::uint8_t FadeOpacity = 64;

// Each node moves, then fades, over and over: a sequence kept running so that every
// frame measured is a frame of it.
void actionManagerOurs(benchmark::State& state) {
    auto& manager = engine::ActionManager::sharedManager();
    std::vector<base::Ref<test::ColorNode>> nodes;
    for (int i = 0; i < NodeCount; ++i) {
        auto node = test::ColorNode::make();
        auto sequence
            = engine::Sequence::actionOne(engine::MoveBy::actionWithDuration(MoveTime, MoveOffset),
                engine::FadeTo::actionWithDuration(FadeTime, FadeOpacity));
        manager.addAction(engine::RepeatForever::actionWithAction(sequence), node.get(), false);
        nodes.push_back(node);
    }
    for (auto _ : state)
        manager.tick(FrameTime);
    bench::require(nodes[0]->position().x != 0 || state.iterations() < 2, "the nodes moved");
    engine::ActionManager::purgeSharedManager();
    engine::Scheduler::purgeSharedScheduler();
}

std::uint8_t clampedByte(float value) {
    return std::uint8_t(std::clamp(value, 0.0f, 255.0f));
}

// The sequence's arithmetic on a plain struct: the same first-step rule, the same
// split into the move and the fade, the end state of the move applied before the
// fade starts, and a restart when the sequence is done.
void actionPlainLoop(benchmark::State& state) {
    struct PlainNode {
        Point position;
        std::uint8_t opacity {255};
        float elapsed {0};
        bool firstStep {true};
        int part {-1};
        Point moveStart;
        float fadeFrom {0};
    };
    std::vector<PlainNode> nodes(NodeCount);
    float const duration = MoveTime + FadeTime;
    float const split = MoveTime / duration;
    for (auto _ : state) {
        for (auto& n : nodes) {
            if (n.firstStep) {
                n.firstStep = false;
                n.elapsed = 0;
            } else {
                n.elapsed += FrameTime;
            }
            float t = std::min(1.0f, n.elapsed / duration);
            if (t < split) {
                if (n.part != 0)
                    n.moveStart = n.position;
                n.part = 0;
                float local = t / split;
                n.position
                    = {n.moveStart.x + MoveOffset.x * local, n.moveStart.y + MoveOffset.y * local};
            } else {
                if (n.part == 0)
                    n.position = {n.moveStart.x + MoveOffset.x, n.moveStart.y + MoveOffset.y};
                if (n.part != 1)
                    n.fadeFrom = n.opacity;
                n.part = 1;
                float local = (t - split) / (1 - split);
                n.opacity = clampedByte(n.fadeFrom + (FadeOpacity - n.fadeFrom) * local);
            }
            if (n.elapsed >= duration) {
                n.firstStep = true;
                n.part = -1;
            }
        }
        benchmark::ClobberMemory();
    }
}

// --- World transforms ---

// A binary tree twelve levels deep: 4,095 nodes, most of them ten or more levels
// down, as the game's rooms nest layers, furniture, characters and their parts.
constexpr int TreeDepth = 12;

struct Placement {
    Point position;
    float rotation;
    float scale;
    Point anchor;
};

Placement placementOf(int i) {
    return {{float(i % 7) * 3.5f, float(i % 5) * -2.25f}, float(i % 30) - 15.0f,
        i % 4 == 0 ? 1.1f : 1.0f, {float(i % 3) * 8.0f, float(i % 2) * 6.0f}};
}

// The arithmetic of a node's own transform, with whole-point anchor and position.
AffineTransform localTransform(Placement const& p) {
    Point anchor {std::trunc(p.anchor.x), std::trunc(p.anchor.y)};
    AffineTransform t = AffineTransform::identity();
    t = t.translated(std::trunc(p.position.x), std::trunc(p.position.y));
    t = t.rotated(p.rotation / -180.0f * 3.1415927f);
    t = t.scaled(p.scale, p.scale);
    t = t.translated(-anchor.x, -anchor.y);
    return t;
}

struct OurTree {
    base::Ref<engine::SceneNode> root;
    // Every node, parents before children.
    std::vector<engine::SceneNode*> nodes;
};

OurTree ourTree() {
    OurTree tree;
    tree.root = engine::SceneNode::node();
    tree.nodes.push_back(tree.root.get());
    for (std::size_t i = 0; tree.nodes.size() < (std::size_t(1) << TreeDepth) - 1; ++i) {
        for (int c = 0; c < 2; ++c) {
            auto child = engine::SceneNode::node();
            auto p = placementOf(int(tree.nodes.size()));
            child->setPosition(p.position);
            child->setRotation(p.rotation);
            child->setScale(p.scale);
            child->setTransformAnchor(p.anchor);
            tree.nodes[i]->addChild(child);
            tree.nodes.push_back(child.get());
        }
    }
    return tree;
}

struct PlainTree {
    std::vector<int> parent;
    std::vector<Placement> placement;
    std::vector<AffineTransform> local;
};

PlainTree plainTree() {
    PlainTree tree;
    tree.parent.push_back(-1);
    tree.placement.push_back({{0, 0}, 0, 1, {0, 0}});
    for (int i = 0; tree.parent.size() < (std::size_t(1) << TreeDepth) - 1; ++i) {
        for (int c = 0; c < 2; ++c) {
            tree.placement.push_back(placementOf(int(tree.parent.size())));
            tree.parent.push_back(i);
        }
    }
    for (auto const& p : tree.placement)
        tree.local.push_back(localTransform(p));
    return tree;
}

AffineTransform plainWorld(PlainTree const& tree, int i) {
    AffineTransform t = tree.local[std::size_t(i)];
    for (int p = tree.parent[std::size_t(i)]; p >= 0; p = tree.parent[std::size_t(p)])
        t = AffineTransform::concat(t, tree.local[std::size_t(p)]);
    return t;
}

// Both sides agree on every node's world transform (to rounding), or the
// comparison means nothing.
void checkTreesAgree() {
    static bool const checked = [] {
        auto ours = ourTree();
        auto plain = plainTree();
        for (std::size_t i = 0; i < ours.nodes.size(); ++i) {
            auto a = ours.nodes[i]->nodeToWorldTransform();
            auto b = plainWorld(plain, int(i));
            bench::require(std::fabs(a.tx - b.tx) < 0.01f && std::fabs(a.ty - b.ty) < 0.01f
                    && std::fabs(a.a - b.a) < 1e-4f && std::fabs(a.c - b.c) < 1e-4f,
                "both trees give the same world transforms");
        }
        return true;
    }();
    benchmark::DoNotOptimize(checked);
}

void worldOurs(benchmark::State& state, bool moved) {
    checkTreesAgree();
    auto tree = ourTree();
    float shift = 0;
    for (auto _ : state) {
        if (moved) {
            shift = shift > 100 ? 0 : shift + 1;
            for (std::size_t i = 1; i < tree.nodes.size(); ++i) {
                auto p = placementOf(int(i));
                tree.nodes[i]->setPosition({p.position.x + shift, p.position.y});
            }
        }
        float sum = 0;
        for (auto* node : tree.nodes)
            sum += node->nodeToWorldTransform().tx;
        benchmark::DoNotOptimize(sum);
    }
}

void worldPlainLoop(benchmark::State& state, bool moved) {
    checkTreesAgree();
    auto tree = plainTree();
    float shift = 0;
    for (auto _ : state) {
        if (moved) {
            shift = shift > 100 ? 0 : shift + 1;
            for (std::size_t i = 1; i < tree.local.size(); ++i) {
                auto p = placementOf(int(i));
                p.position.x += shift;
                tree.placement[i] = p;
                tree.local[i] = localTransform(p);
            }
        }
        float sum = 0;
        for (std::size_t i = 0; i < tree.local.size(); ++i)
            sum += plainWorld(tree, int(i)).tx;
        benchmark::DoNotOptimize(sum);
    }
}

[[maybe_unused]] auto const registered = [] {
    bench::compare("Engine/Scheduler::tick/1000 timers", &schedulerOurs,
        {{"plain loop", &schedulerPlainLoop}, {"std::function loop", &schedulerFunctionLoop}});
    bench::compare("Engine/ActionManager::tick/1000 nodes MoveBy+FadeTo", &actionManagerOurs,
        {{"plain loop", &actionPlainLoop}});
    bench::compare("Engine/nodeToWorldTransform/4095-node tree, unchanged",
        [](benchmark::State& state) { worldOurs(state, false); },
        {{"plain loop", [](benchmark::State& state) { worldPlainLoop(state, false); }}});
    bench::compare("Engine/nodeToWorldTransform/4095-node tree, every node moved",
        [](benchmark::State& state) { worldOurs(state, true); },
        {{"plain loop", [](benchmark::State& state) { worldPlainLoop(state, true); }}});
    return true;
}();

}
