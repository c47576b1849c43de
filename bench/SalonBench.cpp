// The engine work of one frame of a busy salon, off-screen: the shop's day step (every
// customer, pet and staff member, their walking, bubbles and the counter), the
// scheduler's tick of the running actions, and one visit of the salon's node tree with
// its drawing calls issued. The drawing itself (the rasteriser) is left out: the frame
// is not finished or read back. The salon is a level-8 day kept open at mid-day, where
// customers come every two seconds or so and the room stays full; a player sends every
// waiting pet to its service and a staff member to every pet that waits. The figure is
// held against the frame budget of 1 ms. The peer runs the same room with nobody in it:
// the same tick and visit, without characters.

#include "Compare.hpp"
#include "SalonHarness.hpp"

#include <engine/ActionManager.hpp>
#include <engine/Director.hpp>
#include <engine/Scheduler.hpp>
#include <engine/StaticFileCache.hpp>
#include <engine/TextureMgr.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Random.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/interface/Interface.hpp>
#include <game/salon/PathFindingSystem.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/SoundEngine.hpp>
#include <graphics/Surface.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <ctime>
#include <filesystem>

namespace {

constexpr float frameTime = 1.0f / 60;

struct Salon {
    Salon() {
        environment.setUp(clock, surface, window);
        auto& globals = game::GameGlobals::shared();
        globals.day = 3;
        globals.shopLevel = 8;
        globals.money = 5000;
        globals.satisfaction = 300;
        game::DataConrtoller::saveDay();
        game::DataConrtoller::saveShopLevel();
        bench::salonGlobals();
        foundation::AdditiveRandom::shared().seed(1);
        foundation::Rand48::shared().seed(1);

        layer = engine::SceneNode::node();
        layer->onEnter();
        shop = game::Shop::initWithLayer(layer.get());
        globals.shop = shop;
        while (!shop->loading()) { }
        bench::require(shop->getShopState() == 2, "the salon opens");
        // Every staff member hired, so that the room works at full speed.
        for (int i = 0; i < game::Shop::staffSlots; ++i)
            shop->getStaff(i)->enableStaff(true);
        for (int i = 0; i < 60 * 60; ++i)
            step(true);
        bench::require(shop->customerCount() >= 12, "a busy salon");
    }

    // A player keeping the salon running, as a scripted day does.
    void play() {
        for (int i = 0; i < game::Shop::customerSlots; ++i) {
            auto* pet = shop->getPet(i);
            if (!pet)
                break;
            if (pet->getAIState() == game::QBY_Character::stateWaitingForService
                && pet->getService() != 1)
                pet->processCommand();
        }
        for (int i = 0; i < game::Shop::furnitureSlots; ++i) {
            auto* piece = shop->getFurniture(i);
            if (piece && piece->furnType() >= 2
                && piece->curFurnState() == game::QBY_Furniture::stateTaken
                && piece->nNumOfPet >= 1)
                shop->staffGoToWork(piece);
        }
        if (shop->canServeCounter())
            shop->staffGoToWork(shop->getCounterFurniture());
    }

    // One frame; the day is held at mid-day so that the door stays open.
    void step(bool withShop) {
        auto& globals = game::GameGlobals::shared();
        globals.deltaTime = frameTime;
        globals.totalTime += frameTime;
        if (withShop) {
            play();
            shop->update();
            if (globals.shopTime > 120)
                globals.shopTime = 60;
        }
        clock.advance(frameTime);
        engine::Scheduler::sharedScheduler().tick(frameTime);
        layer->visit();
    }

    int characters() const {
        int count = 0;
        for (int i = 0; i < game::Shop::customerSlots && shop->getCustomer(i); ++i)
            count += 2;
        return count + game::Shop::staffSlots;
    }

    bench::SalonEnvironment environment;
    foundation::ManualClock clock;
    base::Ref<graphics::Surface> surface;
    base::Ref<ui::Window> window;
    base::Ref<engine::SceneNode> layer;
    base::Ref<game::Shop> shop;
};

Salon& salon() {
    static Salon instance;
    return instance;
}

void busyFrame(benchmark::State& state) {
    auto& s = salon();
    for (auto _ : state)
        s.step(true);
    state.counters["characters"] = s.characters();
}

void emptyRoomFrame(benchmark::State& state) {
    auto& s = salon();
    // The same room with nobody in it: its own layer of the same pieces and art.
    static base::Ref<engine::SceneNode> room = [] {
        auto node = engine::SceneNode::node();
        node->onEnter();
        for (auto const& child : salon().layer->children()) {
            if (dynamic_cast<engine::Sprite*>(child.get()))
                node->addChild(engine::Sprite::spriteWithTexture(base::Ref<engine::Texture2D>(
                                   static_cast<engine::Sprite*>(child.get())->texture())),
                    child->zOrder());
        }
        return node;
    }();
    for (auto _ : state) {
        s.clock.advance(frameTime);
        engine::Scheduler::sharedScheduler().tick(frameTime);
        room->visit();
    }
}

// The parts of a busy frame on their own, in CPU time of the main thread: the day
// step, the actions' tick, the visit.
void partsOfAFrame(benchmark::State& state) {
    auto& s = salon();
    double step = 0, tick = 0, visit = 0;
    // The main thread's own CPU time: on a loaded machine the wall clock also counts
    // the time the thread waited for a core, and the renderer's threads.
    struct Clock {
        static double now() {
            timespec time {};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
            return double(time.tv_sec) * 1e6 + double(time.tv_nsec) / 1e3;
        }
    };
    auto& globals = game::GameGlobals::shared();
    for (auto _ : state) {
        globals.deltaTime = frameTime;
        globals.totalTime += frameTime;
        auto t0 = Clock::now();
        s.play();
        s.shop->update();
        if (globals.shopTime > 120)
            globals.shopTime = 60;
        auto t1 = Clock::now();
        s.clock.advance(frameTime);
        engine::Scheduler::sharedScheduler().tick(frameTime);
        auto t2 = Clock::now();
        s.layer->visit();
        auto t3 = Clock::now();
        step += t1 - t0;
        tick += t2 - t1;
        visit += t3 - t2;
    }
    double n = double(state.iterations());
    state.counters["step_us"] = step / n;
    state.counters["tick_us"] = tick / n;
    state.counters["visit_us"] = visit / n;
}

int registered = [] {
    benchmark::RegisterBenchmark("Salon/parts of a busy frame", partsOfAFrame)
        ->Unit(benchmark::kMicrosecond);
    bench::compare("Salon/busy frame", busyFrame, {{"empty room", emptyRoomFrame}});
    return 0;
}();

}
