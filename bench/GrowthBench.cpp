// How the cost per item grows with the number of items, for the paths whose work is
// one item at a time: scheduling and unscheduling timers, adding children at one z and
// removing them, adding sprites to a batch and removing them, unregistering
// observers, and removing dictionary keys oldest first.
//
// Each path is measured on 16,000 items ("ours") beside the same path on 1,000 items
// sixteen times over and on 4,000 items four times over (the "peers"): every
// iteration handles 16,000 items, so ours / peer is the cost per item at 16,000
// against the cost per item at the smaller size. A path whose cost per item stays
// flat reads about 1; one that searches or shifts its whole list reads 10 and more.

#include "Compare.hpp"

#include <engine/AtlasSprite.hpp>
#include <engine/AtlasSpriteManager.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Scheduler.hpp>
#include <engine/Selector.hpp>
#include <engine/Timer.hpp>

#include <foundation/NotificationCenter.hpp>

#include <base/Value.hpp>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Largest = 16000;

// One round of a path over n items, made once per size outside the timing.
struct Round {
    virtual ~Round() = default;
    virtual void run() = 0;
};

using RoundMaker = std::function<std::unique_ptr<Round>(int n)>;

// Registers the path at 16,000 items against 1,000 x 16 and 4,000 x 4.
void growth(std::string const& path, RoundMaker make) {
    auto body = [make](int n) {
        return [make, n](benchmark::State& state) {
            auto round = make(n);
            for (auto _ : state) {
                for (int i = 0; i < Largest / n; ++i)
                    round->run();
            }
            state.SetItemsProcessed(state.iterations() * Largest);
        };
    };
    bench::compare("Growth/" + path + "/per item at 16000", body(Largest),
        {{"per item at 1000", body(1000)}, {"per item at 4000", body(4000)}},
        benchmark::kMillisecond);
}

// --- Scheduler: schedule n timers, let them become active, unschedule them in the
// order they came, and let the removals apply.

class Ticked final : public base::Object {
public:
    void update(float) { ++calls; }
    long calls {0};

private:
    friend base::Factory;

    Ticked() = default;
};

struct SchedulerRound final : Round {
    explicit SchedulerRound(int n) {
        target = base::make<Ticked>();
        for (int i = 0; i < n; ++i)
            timers.push_back(engine::Timer::timerWithTarget(
                target.get(), engine::Selector::make(&Ticked::update, target.get())));
    }
    void run() override {
        auto& scheduler = engine::Scheduler::sharedScheduler();
        for (auto const& timer : timers)
            scheduler.scheduleTimer(timer);
        scheduler.tick(0);
        for (auto const& timer : timers)
            scheduler.unscheduleTimer(timer.get());
        scheduler.tick(0);
        bench::require(!scheduler.isActive(timers.front().get()), "every timer was removed");
    }
    base::Ref<Ticked> target;
    std::vector<base::Ref<engine::Timer>> timers;
};

// --- SceneNode: add n children at one z, then remove them oldest first.

struct ChildrenRound final : Round {
    explicit ChildrenRound(int n) {
        parent = engine::SceneNode::node();
        for (int i = 0; i < n; ++i)
            children.push_back(engine::SceneNode::node());
    }
    void run() override {
        for (auto const& child : children)
            parent->addChild(child, 0);
        bench::require(parent->children().size() == children.size(), "every child was added");
        for (auto const& child : children)
            parent->removeChild(child.get(), engine::Cleanup::No);
        bench::require(parent->children().empty(), "every child was removed");
    }
    base::Ref<engine::SceneNode> parent;
    std::vector<base::Ref<engine::SceneNode>> children;
};

// --- AtlasSpriteManager: add n sprites at one z, then remove them oldest first. No
// texture is needed to keep the quads.

struct BatchRound final : Round {
    explicit BatchRound(int n) {
        manager = engine::AtlasSpriteManager::spriteManagerWithTexture(nullptr);
        for (int i = 0; i < n; ++i)
            sprites.push_back(manager->createSpriteWithRect({{0, 0}, {16, 16}}));
    }
    void run() override {
        for (auto const& sprite : sprites)
            manager->addChild(sprite, 0);
        bench::require(manager->totalSprites() == sprites.size(), "every sprite was added");
        for (auto const& sprite : sprites)
            manager->removeChild(sprite.get(), engine::Cleanup::No);
        bench::require(manager->totalSprites() == 0, "every sprite was removed");
    }
    base::Ref<engine::AtlasSpriteManager> manager;
    std::vector<base::Ref<engine::AtlasSprite>> sprites;
};

// --- NotificationCenter: n observers register, then each removes itself, oldest first.

struct ObserverRound final : Round {
    explicit ObserverRound(int n)
        : observers(std::size_t(n)) {
        center = foundation::NotificationCenter::create();
    }
    void run() override {
        for (auto const& observer : observers)
            center->addObserver(&observer, "Tick", [](foundation::Notification const&) {});
        for (auto const& observer : observers)
            center->removeObserver(&observer);
    }
    base::Ref<foundation::NotificationCenter> center;
    std::vector<char> observers;
};

// --- base::Dictionary: set n keys, then remove them oldest first.

struct DictionaryRound final : Round {
    explicit DictionaryRound(int n) {
        dictionary = base::Dictionary::create();
        for (int i = 0; i < n; ++i)
            keys.push_back("furniture_" + std::to_string(i));
    }
    void run() override {
        for (std::size_t i = 0; i < keys.size(); ++i)
            dictionary->setObject(keys[i], int(i));
        for (auto const& key : keys)
            dictionary->removeObjectForKey(key);
        bench::require(dictionary->empty(), "every key was removed");
    }
    base::Ref<base::Dictionary> dictionary;
    std::vector<std::string> keys;
};

template<typename T> RoundMaker maker() {
    return [](int n) { return std::make_unique<T>(n); };
}

[[maybe_unused]] bool const registered = [] {
    growth("Scheduler schedule+unschedule", maker<SchedulerRound>());
    growth("SceneNode addChild+removeChild at one z", maker<ChildrenRound>());
    growth("AtlasSpriteManager add+remove sprites", maker<BatchRound>());
    growth("NotificationCenter addObserver+removeObserver", maker<ObserverRound>());
    growth("Dictionary setObject+removeObjectForKey oldest first", maker<DictionaryRound>());
    return true;
}();

}
