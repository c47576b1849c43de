// Whole salon days without drawing, under the manual clock, at levels 1, 10 and 20: a
// fresh salon opens at the level with every staff member hired and plays itself (auto
// play: every waiting pet walks on to its next service, staff go where pets wait and to
// the counter) until the door has closed and the last customer has gone. The figure of
// interest is "x_realtime", the simulated seconds of the day (frames of 1/60 s) per
// second of work, measured on the process's CPU time so that a busy machine does not
// distort it; the goal is 3000. The peer runs the same day with nobody arriving: the
// clock, the HUD and the engine's tick alone.

#include "SalonHarness.hpp"

#include <engine/Scheduler.hpp>
#include <foundation/Random.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/DataConrtoller.hpp>

#include <ctime>

namespace {

constexpr float frameTime = 1.0f / 60;

struct Environment {
    Environment() {
        environment.setUp(clock, surface, window);
        bench::salonGlobals();
    }
    bench::SalonEnvironment environment;
    foundation::ManualClock clock;
    base::Ref<graphics::Surface> surface;
    base::Ref<ui::Window> window;
};

Environment& environment() {
    static Environment instance;
    return instance;
}

double cpuSeconds() {
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void wholeDay(benchmark::State& state, int level, bool withCustomers) {
    auto& env = environment();
    auto& globals = game::GameGlobals::shared();
    auto customers = globals.customerPool;
    auto pets = globals.petPool;
    if (!withCustomers) {
        globals.customerPool = base::Dictionary::create();
        globals.petPool = base::Dictionary::create();
    }
    foundation::AdditiveRandom::shared().seed(1);
    foundation::Rand48::shared().seed(1);
    double simulated = 0;
    double worked = 0;
    int served = 0;
    for (auto _ : state) {
        state.PauseTiming();
        globals.day = 2;
        globals.shopLevel = level;
        globals.money = 5000;
        globals.satisfaction = 50.0f * float(level);
        globals.shopTime = 0;
        game::DataConrtoller::saveDay();
        game::DataConrtoller::saveShopLevel();
        game::DataConrtoller::saveShopState(2);
        game::DataConrtoller::saveShopTime();
        auto layer = engine::SceneNode::node();
        layer->onEnter();
        auto shop = game::Shop::initWithLayer(layer.get());
        globals.shop = shop;
        while (!shop->loading()) { }
        for (int i = 0; i < game::Shop::staffSlots; ++i)
            shop->getStaff(i)->enableStaff(true);
        globals.gameMode = 3;
        int servedBefore = globals.customerToday;
        state.ResumeTiming();
        double start = cpuSeconds();
        int frames = 0;
        while (shop->getShopState() == 2 && frames < 60 * 1000) {
            globals.deltaTime = frameTime;
            globals.totalTime += frameTime;
            shop->update();
            env.clock.advance(frameTime);
            engine::Scheduler::sharedScheduler().tick(frameTime);
            ++frames;
        }
        worked += cpuSeconds() - start;
        state.PauseTiming();
        bench::require(shop->getShopState() == 3, "the day ends");
        simulated += double(frames) * double(frameTime);
        served += globals.customerToday - servedBefore;
        shop->cleanup();
        globals.shop = nullptr;
        layer->onExit();
        state.ResumeTiming();
    }
    globals.gameMode = 0;
    globals.customerPool = customers;
    globals.petPool = pets;
    double n = double(state.iterations());
    state.counters["x_realtime"] = worked > 0 ? simulated / worked : 0;
    state.counters["day_s"] = simulated / n;
    state.counters["served"] = double(served) / n;
}

int registered = [] {
    for (int level : {1, 10, 20}) {
        bench::compare(
            "SalonDay/level " + std::to_string(level),
            [level](benchmark::State& state) { wholeDay(state, level, true); },
            {{"nobody arriving",
                [level](benchmark::State& state) { wholeDay(state, level, false); }}},
            benchmark::kMillisecond);
    }
    return 0;
}();

}
