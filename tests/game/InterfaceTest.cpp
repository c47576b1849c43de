#include "HudFixture.hpp"

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <game/interface/AnimatedSprite.hpp>
#include <game/interface/CCStatusBar.hpp>
#include <game/interface/DynamicBG.hpp>
#include <game/interface/Interface.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <string>

namespace {

using game::GameGlobals;
using game::Interface;

// The real interface on the game's root layer, as the program makes it.
class InterfaceTest : public test::HudTest {
protected:
    void SetUp() override {
        HudTest::SetUp();
        auto& globals = GameGlobals::shared();
        globals.day = 3;
        globals.shopLevel = 4;
        globals.money = 200;
        globals.satisfaction = 55.5f;
        globals.petPoints = 12;
    }
    void TearDown() override {
        if (ui)
            ui->removeInterface(ui->curProgramState());
        ui = nullptr;
        if (mainLayer)
            layer->removeChild(mainLayer.get(), engine::Cleanup::Yes);
        mainLayer = nullptr;
        screen.reset();
        GameGlobals::reset();
        HudTest::TearDown();
    }
    Interface& make() {
        mainLayer = game::MainLayer::node();
        // Making the layer brings up the program's director; the screen is the fixture's.
        screen.emplace(engine::Size {480, 320}, 1);
        // On the fixture's running layer, so that actions run.
        layer->addChild(mainLayer, 0);
        ui = base::Ref<Interface>(mainLayer->interface());
        return *ui;
    }
    // How many children of the layer stand at each z.
    std::map<int, int> childrenByZ() const {
        std::map<int, int> counts;
        for (auto const& child : mainLayer->children())
            counts[child->zOrder()] += 1;
        return counts;
    }

    std::optional<test::FakeDirector> screen;
    base::Ref<game::MainLayer> mainLayer;
    base::Ref<Interface> ui;
};

TEST_F(InterfaceTest, TheSalonBuildPlacesItsNodesOnThePhone) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    EXPECT_EQ(face.curProgramState(), 3);
    EXPECT_EQ(face.curUIState(), 0);
    // 10000: pause, challenge button, new-day banner, pause menu; 10001: help holder and
    // news bar; 10002: status, tab and power-up bars and the tap effect's batch;
    // 10003: the report; 10010: the VIP warning; 9999: the next-day button.
    EXPECT_EQ(childrenByZ(),
        (std::map<int, int> {
            {9999, 1}, {10000, 4}, {10001, 2}, {10002, 4}, {10003, 1}, {10010, 1}}));
    EXPECT_EQ(face.pauseButton()->position(), (engine::Point {460, 20}));
    EXPECT_TRUE(face.pauseButton()->visible());
    EXPECT_EQ(face.helpButton()->opacity(), 0);
    EXPECT_EQ(face.reportPanel()->position(), (engine::Point {240, 147.5f}));
    EXPECT_FALSE(face.reportPanel()->visible());
    EXPECT_EQ(face.vipWarning()->position(), (engine::Point {240, 160}));
    EXPECT_EQ(face.newDayBanner()->position(), (engine::Point {240, 167.5f}));
    EXPECT_EQ(face.nextDayButton()->zOrder(), 9999);
    EXPECT_EQ(face.ponyDayBanner(), nullptr);
    EXPECT_EQ(face.dimBackground(), nullptr);
    EXPECT_EQ(face.statusBar()->levelText()->getText(), "Lv 4");
    EXPECT_EQ(face.statusBar()->scoreText()->getText(), "55.5%");
    EXPECT_EQ(face.statusBar()->moneyText()->getText(), "200");
    EXPECT_EQ(face.statusBar()->dayText()->getText(), "3");
    // The report holds its 4 value texts, title, 4 captions, requirement title, level-up
    // badge, 5 stars, level text, coming-soon badge and 2 requirement texts.
    EXPECT_EQ(face.reportPanel()->children().size(), 20u);
    EXPECT_EQ(face.vipWarning()->children().size(), 2u);
}

TEST_F(InterfaceTest, TheSalonBuildOnTheTabletAddsTheDimmingBackground) {
    tablet();
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    EXPECT_EQ(face.reportPanel()->position(), (engine::Point {512, 367.3f}));
    EXPECT_EQ(face.vipWarning()->position(), (engine::Point {512, 384}));
    ASSERT_NE(face.dimBackground(), nullptr);
    EXPECT_EQ(face.dimBackground()->scale(), 2);
    EXPECT_EQ(face.dimBackground()->zOrder(), 10003);
    EXPECT_EQ(face.ponyDayBanner(), nullptr);
}

TEST_F(InterfaceTest, ARebuildKeepsTheTapEffectHelpHolderAndNewsBar) {
    auto& face = make();
    size_t before = mainLayer->children().size();
    face.initInterface(game::ProgramStateShop);
    auto* effect = face.clickEffect();
    auto* holder = face.helpHolder();
    auto* news = face.newsBar();
    auto* oldBar = face.statusBar();
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(holder, nullptr);
    ASSERT_NE(news, nullptr);
    face.removeInterface(game::ProgramStateShop);
    EXPECT_EQ(face.curProgramState(), 0);
    EXPECT_EQ(face.statusBar(), nullptr);
    EXPECT_EQ(face.reportPanel(), nullptr);
    // Only the three kept nodes (the effect through its batch) stay on the layer.
    EXPECT_EQ(mainLayer->children().size(), before + 3);
    face.initInterface(game::ProgramStateShop);
    EXPECT_EQ(face.clickEffect(), effect);
    EXPECT_EQ(face.helpHolder(), holder);
    EXPECT_EQ(face.newsBar(), news);
    EXPECT_NE(face.statusBar(), oldBar);
}

TEST_F(InterfaceTest, TheMainMenuBuildShowsTheAnimatedTitleOnThePhone) {
    auto& face = make();
    face.initInterface(game::ProgramStateMainMenu);
    EXPECT_NE(face.animatedTitle(), nullptr);
    EXPECT_EQ(face.titleBackground(), nullptr);
    EXPECT_EQ(face.menuPetPointsPlate()->position(), (engine::Point {240, 73}));
    EXPECT_EQ(face.menuPetPointsText()->getText(), "12");
    EXPECT_EQ(face.optionsPanel()->position(), (engine::Point {210, 160}));
    EXPECT_FALSE(face.popupBox()->visible());
    EXPECT_FALSE(face.warningBox()->visible());
    GameGlobals::shared().petPoints = 40;
    GameGlobals::shared().petPointsChanged = true;
    face.update();
    EXPECT_EQ(face.menuPetPointsText()->getText(), "40");
    face.removeInterface(game::ProgramStateMainMenu);
    EXPECT_EQ(face.animatedTitle(), nullptr);
    EXPECT_EQ(face.optionsPanel(), nullptr);
}

TEST_F(InterfaceTest, TheTabletMenuFallsBackToTheEnglishTitle) {
    tablet();
    auto& face = make();
    face.initInterface(game::ProgramStateMainMenu);
    EXPECT_EQ(face.animatedTitle(), nullptr);
    ASSERT_NE(face.titleBackground(), nullptr);
    EXPECT_EQ(face.titleBackground()->position(), (engine::Point {512, 384}));
    EXPECT_EQ(face.titleBackground()->texture(), texture("Title_Bg_iPad.jpg"));
    EXPECT_EQ(face.menuPetPointsPlate()->position(), (engine::Point {512, 196}));
}

TEST_F(InterfaceTest, TheClockShowsTheShownTimeAndWritesEachMinuteOnce) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    auto* text = face.statusBar()->timeText();
    struct Case {
        float clock;
        char const* shown;
    };
    for (auto c : {Case {0, "09:00"}, Case {75, "15:00"}, Case {149.99f, "20:59"},
             Case {1.0f, "09:04"}, Case {150, "Closed"}}) {
        GameGlobals::shared().shopTime = c.clock;
        face.updateGameplayTime();
        EXPECT_EQ(text->getText(), c.shown) << c.clock;
    }
    // Within the same shown minute the text is left alone.
    GameGlobals::shared().shopTime = 75;
    face.updateGameplayTime();
    text->fastSetString("marker");
    GameGlobals::shared().shopTime = 75.1f;
    face.updateGameplayTime();
    EXPECT_EQ(text->getText(), "marker");
}

TEST_F(InterfaceTest, MoneyAndSatisfactionKeepTheirLimitsAndShowTheChange) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    auto& globals = GameGlobals::shared();
    auto* bar = face.statusBar();
    globals.money = 30;
    globals.customerIncome = 5;
    face.updateGameplayMoney(-50);
    EXPECT_EQ(globals.money, 0);
    EXPECT_EQ(globals.customerIncome, 5);
    EXPECT_EQ(bar->moneyText()->getText(), "0");
    ASSERT_NE(bar->changeMoneyText(), nullptr);
    EXPECT_EQ(bar->changeMoneyText()->getText(), "-50");
    face.updateGameplayMoney(25);
    EXPECT_EQ(globals.money, 25);
    EXPECT_EQ(globals.customerIncome, 30);
    EXPECT_EQ(bar->changeMoneyText()->getText(), "+25");

    struct Case {
        float start, change, result;
        char const* score;
        char const* floating;
    };
    for (auto c : {Case {999999.f, 5, 999999.875f, "1000000%", "+5.0"},
             Case {3, -10, 0, "0.0%", "-10.0"}, Case {99.9f, 0.06f, 99.96f, "100.0%", "+0.1"},
             Case {99.5f, 0.5f, 100, "100%", "+0.5"}}) {
        globals.satisfaction = c.start;
        face.updateGameplaySatisfaction(c.change);
        EXPECT_FLOAT_EQ(globals.satisfaction, c.result) << c.start;
        EXPECT_EQ(bar->scoreText()->getText(), c.score) << c.start;
        ASSERT_NE(bar->changeScoreText(), nullptr);
        EXPECT_EQ(bar->changeScoreText()->getText(), c.floating) << c.start;
    }
}

TEST_F(InterfaceTest, ButtonsLandOnWholePointsAndPulseByTheirSlot) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    auto* panel = face.pauseMenu();
    auto size = panel->contentSize();
    struct Case {
        float dx, dy;
    };
    for (auto c : {Case {0.5f, -0.5f}, Case {-60.25f, 100.75f}, Case {0, 0}}) {
        auto button = face.addButtonToSprite(panel, "BUTTON_OK", 3, c.dx, c.dy);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->position().x, std::trunc(size.width / 2 + c.dx)) << c.dx;
        EXPECT_EQ(button->position().y, std::trunc(size.height / 2 + c.dy)) << c.dy;
        EXPECT_EQ(button->parent(), panel);
    }
    EXPECT_EQ(panel->children().size(), 2u) << "the title and one button in slot 3";
    face.addButtonToSprite(panel, "BUTTON_OK", 13, 0, 0);
    for (int slot : {3, 13}) {
        face.clickButtonEffect(slot);
        frames(7);
        EXPECT_NEAR(face.button(slot)->scale(), slot == 13 ? 0.54f : 0.9f, 0.02f) << slot;
        seconds(0.15f);
        EXPECT_NEAR(face.button(slot)->scale(), slot == 13 ? 0.6f : 1.0f, 0.01f) << slot;
    }
    face.clickButtonEffect(7);
    face.releaseButton(7);
    // The pause menu clears every slot before it places its own two.
    face.showPauseMenu();
    EXPECT_EQ(face.curUIState(), 10);
    EXPECT_EQ(face.button(3), nullptr);
    EXPECT_EQ(face.button(13), nullptr);
    EXPECT_NE(face.button(0), nullptr);
    EXPECT_NE(face.button(1), nullptr);
    EXPECT_TRUE(face.newsBar()->visible());
    face.hiddenPauseMenu();
    EXPECT_EQ(face.curUIState(), 0);
    EXPECT_FALSE(face.newsBar()->visible());
}

TEST_F(InterfaceTest, ATapEffectRestartsAtTheNewPointAndHidesAfterEightFrames) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    auto* effect = face.clickEffect();
    ASSERT_NE(effect, nullptr);
    EXPECT_FALSE(effect->visible());
    GameGlobals::shared().deltaTime = 1.0f / 15;
    face.playClickEffect({100, 50});
    for (int i = 0; i < 3; ++i)
        face.update();
    EXPECT_GT(effect->getFrameIndex(), 0);
    face.playClickEffect({200, 80});
    EXPECT_EQ(effect->getFrameIndex(), 0);
    EXPECT_EQ(effect->position(), (engine::Point {200, 80}));
    EXPECT_EQ(effect->opacity(), 255);
    for (int i = 0; i < 20 && effect->visible(); ++i)
        face.update();
    EXPECT_FALSE(effect->visible());
    EXPECT_GE(effect->getFrameIndex(), 8);
}

}

namespace {

TEST_F(InterfaceTest, BonusPanelsStackOverTheReportAndReturnToIt) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    GameGlobals::shared().shopLevel = 7;
    // Each close returns to the panel still open, else to the report; in both orders.
    struct Case {
        bool levelFirst;
        int afterFirst;
    };
    for (auto c : {Case {true, 20}, Case {false, 21}}) {
        face.showEOD1Bonus();
        EXPECT_EQ(face.curUIState(), 20);
        face.showEOLBonus();
        EXPECT_EQ(face.curUIState(), 21);
        ASSERT_NE(face.eod1BonusPanel(), nullptr);
        ASSERT_NE(face.eolBonusPanel(), nullptr);
        EXPECT_GT(face.eolBonusPanel()->zOrder(), 10009);
        EXPECT_NE(face.button(9), nullptr);
        EXPECT_NE(face.button(10), nullptr);
        if (c.levelFirst)
            face.hideEOLBonus();
        else
            face.hideEOD1Bonus();
        EXPECT_EQ(face.curUIState(), c.afterFirst) << c.levelFirst;
        if (c.levelFirst)
            face.hideEOD1Bonus();
        else
            face.hideEOLBonus();
        EXPECT_EQ(face.curUIState(), 11) << c.levelFirst;
        EXPECT_EQ(face.eod1BonusPanel(), nullptr);
        EXPECT_EQ(face.eolBonusPanel(), nullptr);
        EXPECT_EQ(face.button(9), nullptr);
        EXPECT_EQ(face.button(10), nullptr);
    }
    // Closing a panel already gone still sets the state.
    face.hideEOLBonus();
    EXPECT_EQ(face.curUIState(), 11);
}

TEST_F(InterfaceTest, TheLevelBonusNamesTheLevelAndSlidesToTheCentre) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    GameGlobals::shared().shopLevel = 7;
    face.showEOLBonus();
    auto* panel = face.eolBonusPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->position(), (engine::Point {240, -160}));
    bool named = false;
    for (auto const& child : panel->children()) {
        if (auto* label = dynamic_cast<engine::Label*>(child.get()))
            named = named || label->getText().find("level 7!") != std::string::npos;
    }
    EXPECT_TRUE(named);
    seconds(0.3f);
    EXPECT_EQ(panel->position(), (engine::Point {240, 160}));
}

}
