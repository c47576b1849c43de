#include "SalonDay.hpp"

#include <game/shell/GameGlobals.hpp>

#include <gtest/gtest.h>

namespace {

using game::GameGlobals;

class InterfaceSalonTest : public test::SalonDayTest { };

TEST_F(InterfaceSalonTest, TheNightTintFollowsTheClock) {
    load();
    auto& globals = GameGlobals::shared();
    struct Case {
        float clock;
        float tint;
    };
    for (auto c : {Case {0, 0}, Case {112.5f, 0}, Case {118.75f, 96}, Case {125, 192},
             Case {149, 192}, Case {150, 192}}) {
        globals.shopTime = c.clock;
        hud->updateGameplayNightFilter(false);
        EXPECT_NEAR(shop->getNightFilterOpacity(), c.tint, 1) << c.clock;
    }
}

TEST_F(InterfaceSalonTest, ASmoothedTintMovesTenACall) {
    load();
    auto& globals = GameGlobals::shared();
    globals.shopTime = 0;
    hud->updateGameplayNightFilter(false);
    globals.shopTime = 140;
    for (int call = 1; call <= 19; ++call)
        hud->updateGameplayNightFilter(true);
    EXPECT_NEAR(shop->getNightFilterOpacity(), 190, 1);
    hud->updateGameplayNightFilter(true);
    EXPECT_NEAR(shop->getNightFilterOpacity(), 192, 1);
    // Back in the morning it falls by ten, then jumps straight when not smoothed.
    globals.shopTime = 0;
    hud->updateGameplayNightFilter(true);
    EXPECT_NEAR(shop->getNightFilterOpacity(), 182, 1);
    hud->updateGameplayNightFilter(false);
    EXPECT_NEAR(shop->getNightFilterOpacity(), 0, 1);
}

TEST_F(InterfaceSalonTest, TheAutomaticPauseOnlyStopsARunningDayWithNothingInFront) {
    load();
    auto& globals = GameGlobals::shared();
    struct Case {
        int programState;
        int shopState;
        int uiState;
        bool pauses;
    };
    for (auto c :
        {Case {game::ProgramStateShop, 1, 0, false}, Case {game::ProgramStateShop, 3, 0, false},
            Case {game::ProgramStateShop, 2, 11, false},
            Case {game::ProgramStateMainMenu, 2, 0, false},
            Case {game::ProgramStateShop, 2, 0, true}}) {
        hud->initInterface(c.programState);
        globals.shopState = c.shopState;
        hud->uiState = c.uiState;
        shop->resumeGame();
        hud->calls.clear();
        hud->autoPauseGame();
        EXPECT_EQ(shop->isPausedFor(game::Shop::PauseReason::Game), c.pauses)
            << c.programState << " " << c.shopState << " " << c.uiState;
        hud->removeInterface(c.programState);
    }
}

}
