#include "SalonDay.hpp"

#include <game/shell/DataConrtoller.hpp>

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/progression/QuestController.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>

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

TEST_F(InterfaceSalonTest, TheVIPQuestionClearsTheChallengeAndItsAnswerStartsTheNextDay) {
    game::DataConrtoller::saveShopState(3);
    load();
    ASSERT_EQ(shop->getShopState(), 3);
    auto entry = base::Dictionary::create();
    entry->setObject("prerequisite", "");
    entry->setObject("condition", "coin:500");
    entry->setObject("rewardcode", "coin:100");
    auto list = base::Dictionary::create();
    list->setObject("Q1", base::Value(entry));
    auto* challenges = shop->questController();
    challenges->loadQuestList(*list);
    challenges->addToCurrentQuestsById("Q1");
    ASSERT_EQ(challenges->getActiveQuests().size(), 1u);
    shop->setShopTab(2);
    hud->showVIPDayWarning();
    EXPECT_TRUE(challenges->getActiveQuests().empty());
    EXPECT_EQ(shop->getShopState(), 3);
    hud->hideVIPDayWarning();
    EXPECT_EQ(shop->getShopTab(), 0);
    EXPECT_EQ(shop->getShopState(), 1);
    frame();
    EXPECT_EQ(shop->getShopState(), 2);
    EXPECT_EQ(GameGlobals::shared().day, 2);
}

// The game's own interface over a seeded first day that runs to its end.
TEST_F(InterfaceSalonTest, TheFirstDayEndsWithTheReportUnderItsBonusAndTheNextDayButtonRising) {
    auto mainLayer = game::MainLayer::node();
    // Making the layer brings up the program's director; the screen is the fixture's.
    std::optional<test::FakeDirector> screen;
    screen.emplace(engine::Size {480, 320}, 1);
    // Over the salon, as the program stacks its layers.
    layer->addChild(mainLayer, 1000000);
    auto* face = mainLayer->interface();
    ASSERT_EQ(GameGlobals::shared().interface.get(), face);
    face->initInterface(game::ProgramStateShop);
    load();
    // The first morning waits for the help book, which is not open here.
    shop->resumeGame();
    auto& globals = GameGlobals::shared();
    frame();
    ASSERT_EQ(shop->getShopState(), 2);
    globals.shopTime = 151;
    frame();
    // Whoever is still inside leaves at once.
    for (int i = 0; i < 600 && shop->getShopState() != 3; ++i) {
        for (int c = 0; c < shop->customerCount(); ++c) {
            shop->getCustomer(c)->changeAIState(game::QBY_Character::stateGone);
            if (auto* pet = shop->getPet(c))
                pet->changeAIState(game::QBY_Character::stateGone);
        }
        frame();
    }
    ASSERT_EQ(shop->getShopState(), 3);
    // The day-1 bonus panel lies over the report, which waits below it.
    EXPECT_EQ(face->curUIState(), 20);
    ASSERT_NE(face->eod1BonusPanel(), nullptr);
    EXPECT_GT(face->eod1BonusPanel()->zOrder(), face->reportPanel()->zOrder());
    EXPECT_TRUE(face->reportPanel()->visible());
    EXPECT_EQ(
        face->reportMoneyText()->getText(), std::to_string(globals.money - globals.lastDayMoney));
    EXPECT_EQ(face->reportLevelText()->getText(), "Lv 2");
    EXPECT_EQ(face->moneyRequirementText()->getText(), "500");
    // The next-day button comes up from below with the tabs.
    auto* button = face->nextDayButton();
    EXPECT_LT(button->position().y, button->contentSize().height / 2);
    EXPECT_FALSE(face->tabBar()->isRetracted());
    framesFor(1.1f);
    EXPECT_NEAR(button->position().y, button->contentSize().height / 2, 0.01f);
    EXPECT_FLOAT_EQ(face->reportPanel()->scale(), 1);
    EXPECT_EQ(face->eod1BonusPanel()->position(), (engine::Point {240, 160}));
    // Drawn, the day-1 panel's OK button stands at the foot of the panel, over the report.
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    layer->visit();
    glDisable(GL_BLEND);
    glFinish();
    saveImage("first-day-end-report-and-bonus");
    auto ok = pixel(180, 60);
    EXPECT_NEAR(ok.r, 255, 12);
    EXPECT_NEAR(ok.g, 154, 12);
    EXPECT_NEAR(ok.b, 115, 12);
    face->hideEOD1Bonus();
    EXPECT_EQ(face->curUIState(), 11);

    face->removeInterface(game::ProgramStateShop);
    layer->removeChild(mainLayer.get(), engine::Cleanup::Yes);
}

}
