#include "HudFixture.hpp"
#include "InterfaceFakes.hpp"

#include <engine/ActionManager.hpp>
#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <engine/StaticFileCache.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Random.hpp>
#include <foundation/Sandbox.hpp>
#include <game/interface/AnimatedSprite.hpp>
#include <game/interface/CCStatusBar.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/interface/DynamicBG.hpp>
#include <game/interface/Interface.hpp>
#include <game/server/PonyDayPopup.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

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
        recording = nullptr;
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
    // The interface with recording panels, on the same kind of layer.
    test::RecordingPanelsInterface& makeRecording() {
        make();
        recording = base::make<test::RecordingPanelsInterface>(mainLayer.get());
        ui = recording;
        return *recording;
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
    base::Ref<test::RecordingPanelsInterface> recording;
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
    // The news bar hides once it has slid away.
    EXPECT_TRUE(face.newsBar()->visible());
    seconds(0.3f);
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

namespace {

bool anyLabelReads(engine::SceneNode* node, std::string const& text) {
    for (auto const& child : node->children()) {
        if (auto* label = dynamic_cast<engine::Label*>(child.get());
            label && label->getText() == text)
            return true;
    }
    return false;
}

// A level pack entry of "unpacked.plist", switched on or not.
base::Value levelPack(std::string const& uid, int cap, int moneyReq, bool active) {
    auto data = base::Dictionary::create();
    data->setObject("levelCap", cap);
    data->setObject("moneyReq", moneyReq);
    auto item = base::Dictionary::create();
    item->setObject("type", "level");
    item->setObject("uid", uid);
    item->setObject("data", data);
    foundation::UserDefaults::standardUserDefaults().setInteger(
        active ? 1 : 0, "level_" + uid + "_active");
    return base::Value(item);
}

void writeUnpacked(std::vector<base::Value> entries) {
    auto folder = std::filesystem::path(foundation::Sandbox::root()) / "Library/Marrowby";
    std::filesystem::create_directories(folder);
    auto list = base::Array::create(std::move(entries));
    ASSERT_TRUE(foundation::PropertyList::writeToFile(
        base::Value(list), (folder / "unpacked.plist").string()));
    engine::StaticFileCache::clearCache();
}

TEST_F(InterfaceTest, TheReportShowsTheDaysChangesWithTheirArrows) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    auto& globals = GameGlobals::shared();
    struct Case {
        int startMoney, money;
        float startSatisfaction, satisfaction;
        char const* moneyText;
        char const* moneyArrow; // null: none
        char const* satisfactionText;
        char const* satisfactionArrow;
    };
    for (auto c :
        {Case {500, 500, 10, 10, "0", nullptr, "0.0%", nullptr},
            Case {500, 501, 10, 12.5f, "1", "Gameplay_ArrowUp.png", "2.5%", "Gameplay_ArrowUp.png"},
            Case {500, 0, 10, 7.5f, "-500", "Gameplay_ArrowDown.png", "-2.5%",
                "Gameplay_ArrowDown.png"},
            Case {0, 2147483647, 0, 0, "2147483647", "Gameplay_ArrowUp.png", "0.0%", nullptr}}) {
        globals.lastDayMoney = c.startMoney;
        globals.money = c.money;
        globals.lastDaySatisfaction = c.startSatisfaction;
        globals.satisfaction = c.satisfaction;
        globals.customerToday = 6;
        globals.customerLeaveToday = 2;
        face.showReport(false);
        EXPECT_EQ(face.curUIState(), 11);
        EXPECT_EQ(face.reportMoneyText()->getText(), c.moneyText) << c.money;
        EXPECT_EQ(face.reportSatisfactionText()->getText(), c.satisfactionText) << c.satisfaction;
        EXPECT_EQ(face.reportHappyText()->getText(), "6");
        EXPECT_EQ(face.reportAngryText()->getText(), "2");
        auto arrowIs = [&](engine::Sprite* arrow, char const* file, engine::Label* beside) {
            if (!file) {
                EXPECT_EQ(arrow, nullptr) << c.money;
                return;
            }
            ASSERT_NE(arrow, nullptr) << c.money;
            EXPECT_EQ(arrow->texture(), texture(file)) << c.money;
            EXPECT_EQ(arrow->parent(), face.reportPanel());
            EXPECT_TRUE(arrow->visible());
            EXPECT_EQ(arrow->position(),
                (engine::Point {beside->position().x + 75, beside->position().y - 1}));
        };
        arrowIs(face.reportMoneyArrow(), c.moneyArrow, face.reportMoneyText());
        arrowIs(face.reportSatisfactionArrow(), c.satisfactionArrow, face.reportSatisfactionText());
        // Each show replaces the arrows of the last: the 20 built children and this show's.
        size_t arrows = (c.moneyArrow ? 1 : 0) + (c.satisfactionArrow ? 1 : 0);
        EXPECT_EQ(face.reportPanel()->children().size(), 20 + arrows) << c.money;
    }
}

TEST_F(InterfaceTest, OnTheTabletTheReportUsesItsOwnArrowsAndPlaces) {
    tablet();
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    auto& globals = GameGlobals::shared();
    globals.shopLevel = 5;
    globals.lastDayMoney = 900;
    globals.money = 800;
    globals.lastDaySatisfaction = 1;
    globals.satisfaction = 3;
    face.showReport(true);
    auto size = face.reportPanel()->contentSize();
    engine::Point centre {size.width / 2, size.height / 2};
    ASSERT_NE(face.reportMoneyArrow(), nullptr);
    ASSERT_NE(face.reportSatisfactionArrow(), nullptr);
    EXPECT_EQ(face.reportMoneyArrow()->texture(), texture("Gameplay_ArrowDown_iPad.png"));
    EXPECT_EQ(face.reportSatisfactionArrow()->texture(), texture("Gameplay_ArrowUp_iPad.png"));
    EXPECT_EQ(face.reportMoneyArrow()->position(), (engine::Point {centre.x - 40, centre.y + 63}));
    EXPECT_EQ(
        face.reportSatisfactionArrow()->position(), (engine::Point {centre.x - 40, centre.y - 17}));
    EXPECT_EQ(face.reportMoneyText()->getText(), "-100");
    EXPECT_EQ(face.reportPanel()->position(), (engine::Point {512, 367.3f}));
    EXPECT_EQ(face.reportLevelText()->position(), (engine::Point {centre.x - 163, centre.y - 163}));
    EXPECT_EQ(
        face.requirementStar(0)->position(), (engine::Point {centre.x - 163 - 56, centre.y - 160}));
    EXPECT_EQ(face.moneyRequirementText()->getText(), "30000");
    EXPECT_EQ(face.satisfactionRequirementText()->getText(), "150.0%");
}

TEST_F(InterfaceTest, TheReportPopsInAndShrinksAway) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    GameGlobals::shared().shopLevel = 3;
    auto* panel = face.reportPanel();
    for (bool levelUp : {true, false}) {
        face.comingSoon()->setVisible(true);
        face.showReport(levelUp);
        EXPECT_TRUE(panel->visible());
        EXPECT_EQ(panel->scale(), 0);
        EXPECT_EQ(panel->position(), (engine::Point {240, 147.5f}));
        EXPECT_EQ(face.reportLevelUp()->visible(), levelUp);
        EXPECT_FALSE(face.comingSoon()->visible());
        frames(12);
        EXPECT_GT(panel->scale(), 1.0f);
        // Still popping in: the panel runs its action, which the tap dispatch waits for.
        EXPECT_GT(engine::ActionManager::sharedManager().numberOfRunningActionsInTarget(panel), 0);
        seconds(0.3f);
        EXPECT_FLOAT_EQ(panel->scale(), 1);
        EXPECT_EQ(engine::ActionManager::sharedManager().numberOfRunningActionsInTarget(panel), 0);
        face.hiddenReport();
        EXPECT_EQ(face.curUIState(), 0);
        seconds(0.35f);
        EXPECT_FLOAT_EQ(panel->scale(), 0);
        EXPECT_EQ(panel->parent(), mainLayer.get());
    }
}

TEST_F(InterfaceTest, TheReportShowsWhatTheNextLevelNeeds) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    struct Case {
        int level;
        char const* next; // null: the top level
        char const* money;
        char const* satisfaction;
    };
    for (auto c : {Case {0, "Lv 1", "0", "0.0%"}, Case {11, "Lv 12", "2000000", "5000.0%"},
             Case {12, "Lv 13", "2800000", "6500.0%"}, Case {19, "Lv 20", "8417500", "18050.0%"},
             Case {20, nullptr, "", ""}}) {
        GameGlobals::shared().shopLevel = c.level;
        face.showReport(false);
        bool top = c.next == nullptr;
        EXPECT_EQ(face.reportRequirementTitle()->getText(),
            top ? "Your salon is the best in town!" : "To reach the next level:")
            << c.level;
        EXPECT_EQ(face.reportLevelText()->visible(), !top) << c.level;
        EXPECT_EQ(face.moneyRequirementText()->visible(), !top) << c.level;
        EXPECT_EQ(face.satisfactionRequirementText()->visible(), !top) << c.level;
        for (int star = 0; star < 5; ++star)
            EXPECT_EQ(face.requirementStar(star)->visible(), !top && (star == 0 || star == 4))
                << c.level << " star " << star;
        if (top)
            continue;
        EXPECT_EQ(face.reportLevelText()->getText(), c.next);
        EXPECT_EQ(face.moneyRequirementText()->getText(), c.money) << c.level;
        EXPECT_EQ(face.satisfactionRequirementText()->getText(), c.satisfaction) << c.level;
        // The stars in a row through the level text, 28 apart around (136, 45).
        EXPECT_EQ(face.reportLevelText()->position(), (engine::Point {136, 42}));
        EXPECT_EQ(face.requirementStar(0)->position(), (engine::Point {80, 45}));
        EXPECT_EQ(face.requirementStar(4)->position(), (engine::Point {192, 45}));
    }
    EXPECT_EQ(GameGlobals::shared().levelCap, 0) << "no pack: the cap is left alone";
}

TEST_F(InterfaceTest, LevelPacksRaiseTheCapOnlyInRisingOrder) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    struct Case {
        bool rising;
        int cap;
    };
    for (auto c : {Case {true, 22}, Case {false, 21}}) {
        auto first = levelPack("a", 21, 9000000, true);
        auto second = levelPack("b", 22, 9500000, true);
        writeUnpacked(c.rising ? std::vector {first, second} : std::vector {second, first});
        GameGlobals::shared().levelCap = 0;
        GameGlobals::shared().shopLevel = 21;
        face.showReport(false);
        EXPECT_EQ(GameGlobals::shared().levelCap, c.cap) << c.rising;
        bool below = 21 < c.cap;
        EXPECT_EQ(face.moneyRequirementText()->visible(), below) << c.rising;
        if (below) {
            EXPECT_EQ(face.reportLevelText()->getText(), "Lv 22");
            EXPECT_EQ(face.moneyRequirementText()->getText(), "9500000");
            EXPECT_EQ(face.satisfactionRequirementText()->getText(), "21350.0%");
        }
    }
}

TEST_F(InterfaceTest, APackSwitchedOnBetweenReportsCountsAtTheNextReport) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    writeUnpacked({levelPack("a", 21, 9000000, false)});
    GameGlobals::shared().shopLevel = 20;
    face.showReport(false);
    EXPECT_FALSE(face.moneyRequirementText()->visible());
    foundation::UserDefaults::standardUserDefaults().setInteger(1, "level_a_active");
    face.showReport(false);
    EXPECT_EQ(GameGlobals::shared().levelCap, 21);
    ASSERT_TRUE(face.moneyRequirementText()->visible());
    EXPECT_EQ(face.reportLevelText()->getText(), "Lv 21");
    EXPECT_EQ(face.moneyRequirementText()->getText(), "9000000");
}

TEST_F(InterfaceTest, TheNextDayButtonRisesWithTheTabsAndSinksAgain) {
    for (bool pad : {false, true}) {
        if (pad) {
            TearDown();
            SetUp();
            tablet();
        }
        auto& face = make();
        face.initInterface(game::ProgramStateShop);
        auto* button = face.nextDayButton();
        auto size = button->contentSize();
        float x = (pad ? 1024 : 480) - size.width / 2;
        face.showNextDayButton();
        EXPECT_TRUE(button->visible());
        EXPECT_EQ(button->position(), (engine::Point {x, -size.height / 2})) << pad;
        EXPECT_FALSE(face.tabBar()->isRetracted());
        seconds(1.1f);
        EXPECT_NEAR(button->position().y, size.height / 2, 0.01f) << pad;
        EXPECT_EQ(button->position().x, x);
        face.hiddenNextDayButton();
        EXPECT_TRUE(face.tabBar()->isRetracted());
        seconds(1.1f);
        EXPECT_NEAR(button->position().y, -size.height / 2, 0.01f) << pad;
        EXPECT_TRUE(button->visible());
    }
}

TEST_F(InterfaceTest, TheDayBannersFadeInAndOutOverTwoSeconds) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    auto* banner = face.newDayBanner();
    face.showNewDay();
    EXPECT_TRUE(banner->visible());
    EXPECT_EQ(banner->opacity(), 0);
    seconds(1.0f);
    EXPECT_EQ(banner->opacity(), 255);
    seconds(1.1f);
    EXPECT_EQ(banner->opacity(), 0);
    // Without pony mode on the phone there is no pony banner to show.
    face.showPonyNewDay();
    EXPECT_EQ(face.ponyDayBanner(), nullptr);
}

TEST_F(InterfaceTest, TheVIPQuestionRisesWithItsAnswersAndSinks) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    auto* panel = face.vipWarning();
    face.showVIPDayWarning();
    EXPECT_EQ(face.curUIState(), 17);
    EXPECT_TRUE(panel->visible());
    EXPECT_EQ(panel->position(), (engine::Point {240, -200}));
    ASSERT_NE(face.button(0), nullptr);
    ASSERT_NE(face.button(1), nullptr);
    EXPECT_EQ(face.button(0)->parent(), panel);
    EXPECT_TRUE(anyLabelReads(face.button(0), "Yes"));
    EXPECT_TRUE(anyLabelReads(face.button(1), "No"));
    auto size = panel->contentSize();
    EXPECT_EQ(face.button(1)->position(),
        (engine::Point {std::trunc(size.width / 2 + 125), std::trunc(size.height / 2 - 90)}));
    seconds(0.3f);
    EXPECT_EQ(panel->position(), (engine::Point {240, 160}));
    face.hideVIPDayWarning();
    EXPECT_EQ(face.curUIState(), 0);
    seconds(0.3f);
    EXPECT_EQ(panel->position(), (engine::Point {240, -300}));
}

TEST_F(InterfaceTest, TheSeasonsBonusShowsItsTypeAndGoesAwayWhole) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    struct Case {
        int type;
        char const* description; // null: none
    };
    for (auto c : {Case {1, "Spring is here! Fluffy coats need extra brushing today."},
             Case {3, "Winter chill! Warm dryers are in demand today."}, Case {0, nullptr},
             Case {4, nullptr}}) {
        face.showSeasonsBonus(c.type);
        EXPECT_EQ(face.curUIState(), 19);
        auto* panel = face.seasonsBonusPanel();
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->zOrder(), 10010);
        EXPECT_EQ(panel->position(), (engine::Point {240, -200}));
        EXPECT_TRUE(anyLabelReads(panel, "Seasonal Bonus"));
        if (c.description) {
            EXPECT_TRUE(anyLabelReads(panel, c.description)) << c.type;
        }
        // Title, the description when there is one, and the YES button in slot 9.
        EXPECT_EQ(panel->children().size(), c.description ? 3u : 2u) << c.type;
        EXPECT_EQ(face.button(9)->parent(), panel);
        seconds(0.3f);
        EXPECT_EQ(panel->position(), (engine::Point {240, 160}));
        base::Ref<engine::SceneNode> kept(panel);
        face.hideSeasonsBonus();
        EXPECT_EQ(face.curUIState(), 0);
        EXPECT_EQ(face.seasonsBonusPanel(), nullptr);
        EXPECT_EQ(face.button(9), nullptr);
        EXPECT_EQ(kept->parent(), nullptr);
    }
}

TEST_F(InterfaceTest, ThePonyDayPopupShowsOnlyTheServersMessage) {
    auto& face = makeRecording();
    face.initInterface(game::ProgramStateShop);
    face.showPonyDayPopup();
    EXPECT_EQ(face.ponyDayPopup(), nullptr);
    auto handler = serverkit::PonyDayDirectiveHandler::init();
    handler->processDirective(5, R"({"type":"ponyday","msg":"Ponies say thanks!","feemult":2})");
    face.showPonyDayPopup();
    auto* popup = dynamic_cast<game::PonyDayPopup*>(face.ponyDayPopup());
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->popupLabel()->getText(), "Ponies say thanks!");
    EXPECT_EQ(popup->parent(), mainLayer.get());
    EXPECT_EQ(popup->zOrder(), 10011);
    seconds(0.5f);
    EXPECT_FLOAT_EQ(popup->scale(), 1);
    // Leaving the salon takes the popup with it.
    base::Ref<engine::SceneNode> kept(popup);
    face.removeInterface(game::ProgramStateShop);
    EXPECT_EQ(kept->parent(), nullptr);
}

TEST_F(InterfaceTest, TheButtonBuildersLabelAndDecorateTheirBackgrounds) {
    using Builder
        = base::Ref<engine::Sprite> (Interface::*)(float, float, engine::SceneNode*, float);
    struct Case {
        bool pad;
        char const* name;
        std::function<base::Ref<engine::Sprite>(Interface&, engine::SceneNode*)> build;
        char const* background;
        char const* text; // null: no label
        char const* icon; // null: no icon
        float iconAnchorX;
    };
    auto with = [](Builder builder) {
        return [builder](Interface& face, engine::SceneNode* parent) {
            return (face.*builder)(100, 50, parent, 3);
        };
    };
    auto buy = [](bool shortFormat) {
        return [shortFormat](Interface& face, engine::SceneNode* parent) {
            return face.createBuyPetPointsButton(100, 50, parent, 3, shortFormat);
        };
    };
    auto earn = [](bool shortFormat) {
        return [shortFormat](Interface& face, engine::SceneNode* parent) {
            return face.createEarnFreePetPointsButton(100, 50, parent, 3, shortFormat);
        };
    };
    Case const cases[] = {
        {false, "buy", buy(false), "btn_BG_blue.png", "Get Vov Azavuz", "btn_icon_PPBuy.png", 0},
        {false, "buy short", buy(true), "btn_BG_blue_Shorter.png", "Get More", "btn_icon_PPBuy.png",
            0},
        {true, "buy pad", buy(false), "btn_BG_blue_iPad.png", "Get Vov Azavuz",
            "btn_icon_PPBuy_iPad.png", 0},
        {false, "earn", earn(false), "btn_BG_blue.png", "Earn Free Vov Azavuz",
            "btn_icon_PPFree.png", 1},
        {true, "earn short pad", earn(true), "btn_BG_blue_Shorter.png", "Earn Free",
            "btn_icon_PPFree_iPad.png", 1},
        {false, "money", with(&Interface::createGetMoreMoneyButton), "btn_GetMoreMoney.png",
            "Get Coins", nullptr, 0},
        {false, "achievements", with(&Interface::createAchievementsButton),
            "btn_icon_Achievements.png", nullptr, nullptr, 0},
        {true, "achievements pad", with(&Interface::createAchievementsButton),
            "btn_BG_green_iPad.png", "Achievements", "btn_icon_Achievement_iPad.png", 0.5f},
        {false, "more apps", with(&Interface::createMoreAppsButton), "btn_icon_MoreApps.png",
            nullptr, nullptr, 0},
        {true, "more apps pad", with(&Interface::createMoreAppsButton), "btn_BG_golden_iPad.png",
            "More Games", "btn_icon_MoreApps_iPad.png", 1},
    };
    auto& face = make();
    auto parent = engine::SceneNode::node();
    for (auto const& c : cases) {
        ui::Device::currentDevice().setUserInterfaceIdiom(
            c.pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        auto button = c.build(face, parent.get());
        ASSERT_NE(button, nullptr) << c.name;
        EXPECT_EQ(button->parent(), parent.get()) << c.name;
        EXPECT_EQ(button->zOrder(), 3) << c.name;
        EXPECT_EQ(button->position(), (engine::Point {100, 50})) << c.name;
        EXPECT_EQ(button->texture(), texture(c.background)) << c.name;
        // Made as sprites are made: hidden, but for the phone's achievements icon.
        EXPECT_EQ(button->visible(), std::string(c.name) == "achievements") << c.name;
        size_t children = (c.text ? 1 : 0) + (c.icon ? 1 : 0);
        EXPECT_EQ(button->children().size(), children) << c.name;
        for (auto const& child : button->children()) {
            EXPECT_TRUE(child->visible()) << c.name;
            if (auto* label = dynamic_cast<engine::Label*>(child.get())) {
                EXPECT_EQ(label->getText(), c.text) << c.name;
                EXPECT_EQ(label->color(), (engine::Color3B {255, 255, 255})) << c.name;
            } else if (auto* icon = dynamic_cast<engine::Sprite*>(child.get())) {
                EXPECT_EQ(icon->texture(), texture(c.icon)) << c.name;
                EXPECT_EQ(icon->anchorPoint().x, c.iconAnchorX) << c.name;
            }
        }
    }
}

TEST_F(InterfaceTest, MusicNotesFloatAcrossAndAreCollectedWhenDone) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    foundation::srandom(21);
    for (int i = 0; i < 8; ++i)
        face.createMusicNote();
    ASSERT_EQ(face.musicNotes().size(), 8u);
    std::set<engine::Texture2D*> pictures;
    for (auto const& note : face.musicNotes()) {
        EXPECT_EQ(note->parent(), mainLayer.get());
        EXPECT_EQ(note->zOrder(), 9996);
        EXPECT_EQ(note->position().x, 480);
        EXPECT_GE(note->position().y, 150);
        EXPECT_LE(note->position().y, 249);
        EXPECT_EQ(note->position().y, std::trunc(note->position().y));
        EXPECT_EQ(note->opacity(), 0);
        EXPECT_EQ(note->rotation(), -30);
        pictures.insert(note->texture());
    }
    EXPECT_EQ(pictures,
        (std::set<engine::Texture2D*> {
            texture("Gameplay_music01.png"), texture("Gameplay_music02.png")}));
    // The same seed draws the same notes.
    std::vector<float> heights;
    for (auto const& note : face.musicNotes())
        heights.push_back(note->position().y);
    foundation::srandom(21);
    face.createMusicNote();
    EXPECT_EQ(face.musicNotes().back()->position().y, heights[0]);

    seconds(2.0f);
    EXPECT_EQ(face.musicNotes()[0]->opacity(), 128);
    // A paused note keeps its actions and stays; the others end (the swaying last,
    // after 4.8 s) and go.
    base::Ref<engine::Sprite> paused = face.musicNotes()[0];
    base::Ref<engine::Sprite> other = face.musicNotes()[1];
    engine::ActionManager::sharedManager().pauseAllActionsForTarget(paused.get());
    seconds(2.5f);
    face.update();
    EXPECT_EQ(face.musicNotes().size(), 9u) << "still swaying";
    seconds(0.5f);
    face.update();
    ASSERT_EQ(face.musicNotes().size(), 1u);
    EXPECT_EQ(face.musicNotes()[0], paused);
    EXPECT_EQ(other->parent(), nullptr);
    EXPECT_EQ(other->position().x, -20);
    // Pausing and resuming all notes: frozen, then ending.
    face.pauseMusicNote();
    face.resumeMusicNote();
    seconds(3.0f);
    face.checkMusicNoteEnd();
    EXPECT_TRUE(face.musicNotes().empty());
    EXPECT_EQ(paused->parent(), nullptr);
}

TEST_F(InterfaceTest, PausedMusicNotesStandStill) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    face.createMusicNote();
    auto* note = face.musicNotes()[0].get();
    seconds(1.0f);
    face.pauseMusicNote();
    float x = note->position().x;
    seconds(4.0f);
    face.update();
    EXPECT_EQ(note->position().x, x);
    ASSERT_EQ(face.musicNotes().size(), 1u);
    face.resumeMusicNote();
    seconds(4.0f);
    face.update();
    EXPECT_TRUE(face.musicNotes().empty());
}

TEST_F(InterfaceTest, TheNewsBarSlidesUpAndDownBeforeHiding) {
    for (bool pad : {false, true}) {
        if (pad) {
            TearDown();
            SetUp();
            tablet();
        }
        auto& face = make();
        face.initInterface(game::ProgramStateShop);
        auto* bar = face.newsBar();
        float x = pad ? 512 : 240;
        face.showNews();
        EXPECT_TRUE(bar->visible());
        EXPECT_EQ(bar->position(), (engine::Point {x, -40}));
        seconds(0.3f);
        EXPECT_EQ(bar->position(), (engine::Point {x, pad ? 29.0f : 19.0f}));
        face.hiddenNews();
        seconds(0.1f);
        EXPECT_TRUE(bar->visible());
        seconds(0.2f);
        EXPECT_EQ(bar->position(), (engine::Point {x, pad ? -60.0f : -40.0f}));
        EXPECT_FALSE(bar->visible());
    }
}

TEST_F(InterfaceTest, AtMostOneThemeStoreIsOpenAndItGoesAfterItsSlide) {
    auto& face = makeRecording();
    face.initInterface(game::ProgramStateShop);
    face.showInAppShop();
    face.showInAppShop();
    EXPECT_EQ(face.storesMade, 1);
    auto* store = face.storeDisplay();
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->zOrder(), 9996);
    EXPECT_EQ(store->position(), (engine::Point {240, 480}));
    seconds(0.3f);
    EXPECT_EQ(store->position(), (engine::Point {240, 160}));
    base::Ref<engine::SceneNode> kept(store);
    face.hideInAppShop();
    // While it slides away, a new show is ignored.
    face.showInAppShop();
    EXPECT_EQ(face.storesMade, 1);
    seconds(0.3f);
    EXPECT_EQ(face.storeDisplay(), nullptr);
    EXPECT_EQ(kept->parent(), nullptr);
    face.showInAppShop();
    EXPECT_EQ(face.storesMade, 2);
    // Hiding with none open does nothing.
    face.hideInAppShopDone();
    face.hideInAppShop();
    seconds(0.3f);
    EXPECT_EQ(face.storeDisplay(), nullptr);
}

TEST_F(InterfaceTest, TransferPanelsOpenOnceAndClosingReselectsThePreviousTab) {
    for (bool pad : {false, true}) {
        if (pad) {
            TearDown();
            SetUp();
            tablet();
        }
        auto& face = makeRecording();
        face.initInterface(game::ProgramStateShop);
        face.setPrevActiveTabIndex(2);
        // Closing one that is not open still reselects the tab.
        face.hideTransferCoinsView();
        EXPECT_EQ(face.tabBar()->selectedTab(), 2);
        face.tabBar()->selectTab(3, true);
        face.showTransferPPView();
        face.showTransferPPView();
        face.showTransferCoinsView();
        EXPECT_EQ(face.ppViewsMade, 1);
        EXPECT_EQ(face.coinViewsMade, 1);
        auto* pp = face.transferPPView();
        auto* coins = face.transferCoinsView();
        EXPECT_EQ(pp->zOrder(), 20000);
        EXPECT_EQ(pp->position(), pad ? (engine::Point {32, -384}) : (engine::Point {0, -320}));
        EXPECT_EQ(coins->position(), (engine::Point {0, -320}));
        seconds(0.3f);
        EXPECT_EQ(pp->position(), pad ? (engine::Point {32, 64}) : (engine::Point {0, 0}));
        EXPECT_EQ(coins->position(), (engine::Point {0, 0}));
        base::Ref<engine::SceneNode> kept(pp);
        face.hideTransferPPView();
        EXPECT_EQ(face.tabBar()->selectedTab(), 2);
        seconds(0.3f);
        EXPECT_EQ(kept->position(), (engine::Point {0, -320}));
        EXPECT_EQ(face.transferPPView(), nullptr);
        EXPECT_EQ(kept->parent(), nullptr);
        EXPECT_NE(face.transferCoinsView(), nullptr);
        face.showTransferPPView();
        EXPECT_EQ(face.ppViewsMade, 2);
    }
}

TEST_F(InterfaceTest, TheBannerHooksKeepTheTimeAndNeverShowABanner) {
    auto& face = make();
    face.initInterface(game::ProgramStateShop);
    GameGlobals::shared().totalTime = 42.5f;
    face.showReport(false);
    EXPECT_EQ(face.lastShowBannerTime(), 42.5f);
    GameGlobals::shared().totalTime = 50;
    face.updateBanner();
    EXPECT_EQ(face.lastShowBannerTime(), 50);
    face.hiddenReport();
    EXPECT_FALSE(face.bShowBanner());
}

}

namespace {

// The interface over a string table whose formats ask for other or more arguments
// than the game gives: each text shows what it was given where it was asked first
// and leaves the rest as written.
TEST_F(InterfaceTest, TextsWithWrongOrExtraSpecifiersShowOnlyWhatTheyAreGiven) {
    // The generated bundle, seen through links, with a language of its own.
    auto bundle = sandbox.path() / "hostile.bundle";
    std::filesystem::create_directories(bundle / "fr.lproj");
    for (auto const& entry :
        std::filesystem::directory_iterator(std::string(QUILLABY_BUILD_DIR) + "/bundle"))
        std::filesystem::create_symlink(entry.path(), bundle / entry.path().filename());
    std::ofstream(bundle / "fr.lproj/Localizable.strings")
        << "\"VIP_DAY_DESC\" = \"Every %s days %d %n %@ done\";\n"
           "\"EOLBONUS_CONTENT\" = \"%@ level %d%% and %s%s\";\n"
           "\"TOPBAR_LEVEL_FMT\" = \"Lv %s %x %*d\";\n";
    auto languages = base::Array::create({base::Value("fr")});
    foundation::UserDefaults::standardUserDefaults().setObject(
        base::Value(languages), "AppleLanguages");
    foundation::Bundle::setMainBundlePath(bundle.string());

    auto& face = make();
    GameGlobals::shared().shopLevel = 7;
    face.initInterface(game::ProgramStateShop);
    EXPECT_TRUE(anyLabelReads(face.vipWarning(), "Every 30 days %d %n %@ done"));
    EXPECT_EQ(face.statusBar()->levelText()->getText(), "Lv 7 %x %*d");
    face.showReport(false);
    EXPECT_EQ(face.reportLevelText()->getText(), "Lv 8 %x %*d");
    face.showEOLBonus();
    EXPECT_TRUE(anyLabelReads(face.eolBonusPanel(), "7 level %d% and %s%s"));
}

}
