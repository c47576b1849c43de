#include "HudFixture.hpp"

#include <engine/Sprite.hpp>
#include <game/interface/Interface.hpp>
#include <game/interface/MainMenu.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/SoundEngine.hpp>
#include <ui/AlertView.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using game::DataConrtoller;
using game::GameGlobals;
using game::Interface;
using game::MainMenu;

// The real menu over the real main-menu interface on the game's root layer,
// advanced frame by frame under the manual clock.
class MainMenuTest : public test::HudTest {
protected:
    void SetUp() override {
        HudTest::SetUp();
        DataConrtoller::resetData();
    }
    void TearDown() override {
        menu = nullptr;
        if (ui)
            ui->removeInterface(ui->curProgramState());
        ui = nullptr;
        if (mainLayer)
            layer->removeChild(mainLayer.get(), engine::Cleanup::Yes);
        mainLayer = nullptr;
        screen.reset();
        DataConrtoller::resetData();
        GameGlobals::reset();
        HudTest::TearDown();
    }
    MainMenu& make(bool pad = false) {
        if (pad)
            tablet();
        mainLayer = game::MainLayer::node();
        screen.emplace(pad ? engine::Size {1024, 768} : engine::Size {480, 320}, 1);
        layer->addChild(mainLayer, 0);
        GameGlobals::shared().mainLayer = mainLayer;
        ui = base::Ref<Interface>(mainLayer->interface());
        ui->initInterface(game::ProgramStateMainMenu);
        menu = MainMenu::init();
        return *menu;
    }
    // A saved game: any stored game value.
    static void saveGame(int money = 750) {
        GameGlobals::shared().money = money;
        DataConrtoller::saveMoney();
    }
    // Frames, each followed by the menu's own step, as the root layer runs them.
    void step(int count) {
        for (int i = 0; i < count; ++i) {
            frames(1);
            menu->update();
        }
    }
    // Steps until the menu is in the state; false when it never got there in 10 s.
    bool reach(int state) {
        for (int i = 0; i < 600 && menu->state() != state; ++i)
            step(1);
        return menu->state() == state;
    }
    int buttonCount() const {
        int count = 0;
        for (int slot = 0; slot < Interface::buttonSlots; ++slot)
            count += ui->button(slot) != nullptr;
        return count;
    }

    std::optional<test::FakeDirector> screen;
    base::Ref<game::MainLayer> mainLayer;
    base::Ref<Interface> ui;
    base::Ref<MainMenu> menu;
};

TEST_F(MainMenuTest, PressesLeadThroughTheScreens) {
    struct Case {
        char const* name;
        bool saved;
        std::vector<int> presses;
        int waitsIn; // the state the menu rests in afterwards (-1: it left)
        bool leaves; // the salon is next
        int money; // money afterwards, from the save
        int uiState;
    };
    for (auto const& c : {
             Case {"new game without a save", false, {0}, -1, true, 200, 0},
             Case {"new game over a save", true, {0, 0, 0}, -1, true, 200, 0},
             Case {"erase warning cancelled", true, {0, 1}, 4, false, 750, 0},
             Case {"confirmation refused", true, {0, 0, 1}, 4, false, 750, 0},
             Case {"resume", true, {1}, -1, true, 750, 0},
             Case {"options and back", false, {2, 0}, 4, false, 0, 0},
             Case {"options open", false, {2}, 13, false, 0, 4},
             Case {"erase warning open", true, {0}, 7, false, 750, 2},
             Case {"confirmation open", true, {0, 0}, 10, false, 750, 3},
             Case {"help and close", false, {3, 0}, 4, false, 0, 0},
             Case {"help open", false, {3}, 25, false, 0, 15},
         }) {
        SCOPED_TRACE(c.name);
        if (c.saved)
            saveGame();
        auto& main = make();
        main.start(3);
        ASSERT_TRUE(reach(4));
        for (int slot : c.presses) {
            int before = main.state();
            main.handlePressButton(slot);
            EXPECT_EQ(main.pressedIndex(), before == 25 ? -1 : slot);
            EXPECT_EQ(main.state(), before + 1);
            // The next waiting state, or the menu staying in the leaving state.
            for (int i = 0; i < 300; ++i) {
                step(1);
                int now = main.state();
                if (now == 4 || now == 7 || now == 10 || now == 13 || now == 25)
                    break;
            }
        }
        auto& globals = GameGlobals::shared();
        if (c.leaves) {
            EXPECT_EQ(globals.nextProgramState, game::ProgramStateShop);
            EXPECT_EQ(main.state(), 5 + (c.presses.size() == 3 ? 6 : 0));
        } else {
            EXPECT_NE(globals.nextProgramState, game::ProgramStateShop);
            EXPECT_EQ(main.state(), c.waitsIn);
        }
        EXPECT_EQ(ui->curUIState(), c.uiState);
        globals.money = -1;
        DataConrtoller::loadMoney();
        EXPECT_EQ(globals.money, c.money);
        if (c.money == 200) {
            EXPECT_EQ(globals.lastDayMoney, 200);
            EXPECT_TRUE(DataConrtoller::haveResumeData());
        }
        TearDown();
        SetUp();
    }
}

TEST_F(MainMenuTest, TheTitleWaitsForATapThenGivesWayToTheMenu) {
    for (bool pad : {false, true}) {
        SCOPED_TRACE(pad ? "tablet" : "phone");
        auto& main = make(pad);
        main.start(0);
        EXPECT_EQ(main.pressedIndex(), -1);
        EXPECT_EQ(main.state(), 0);
        // Presses before the title waits are ignored.
        main.handlePressTitle();
        main.handlePressButton(0);
        EXPECT_EQ(main.state(), 0);
        ASSERT_TRUE(reach(1));
        if (pad) {
            // Done although the button bobs for ever.
            EXPECT_EQ(ui->titleButton()->numberOfRunningActions(), 1);
            EXPECT_EQ(ui->titleButton()->opacity(), 255);
        }
        step(120);
        EXPECT_EQ(main.state(), 1);
        auto* sound = game::SoundEngine::sharedManager();
        ASSERT_NE(sound, nullptr);
        auto* track = sound->currentMusicTrack();
        EXPECT_NE(track, nullptr);
        EXPECT_TRUE(sound->isPlayingMusicTrack());
        main.handlePressTitle();
        EXPECT_EQ(main.state(), 2);
        ASSERT_TRUE(reach(3));
        // The menu's start keeps the playing title track.
        EXPECT_EQ(sound->currentMusicTrack(), track);
        EXPECT_EQ(main.pressedIndex(), -1);
        if (pad) {
            EXPECT_EQ(ui->titleBackground()->opacity(), 128);
        }
        EXPECT_NE(ui->button(0), nullptr);
        ASSERT_TRUE(reach(4));
        TearDown();
        SetUp();
    }
}

TEST_F(MainMenuTest, PressesOutsideTheWaitingStatesAreIgnored) {
    auto& main = make();
    main.start(3);
    for (int slot : {0, 1, 2, 3, 14}) {
        main.handlePressButton(slot);
        EXPECT_EQ(main.state(), 3);
        EXPECT_EQ(main.pressedIndex(), -1);
    }
    main.handlePressTitle();
    EXPECT_EQ(main.state(), 3);
    // A state the menu never uses shows nothing and waits for nothing.
    main.start(16);
    step(5);
    EXPECT_EQ(main.state(), 16);
    main.handlePressButton(0);
    EXPECT_EQ(main.state(), 16);
}

TEST_F(MainMenuTest, OutsidePagesLeaveTheMenuWaiting) {
    saveGame();
    auto& main = make();
    main.start(3);
    ASSERT_TRUE(reach(4));
    for (int slot : {4, 6, 10, 11, 13}) {
        main.handlePressButton(slot);
        EXPECT_EQ(main.state(), 4) << slot;
        EXPECT_EQ(main.pressedIndex(), -1) << slot;
    }
    EXPECT_EQ(main.challengesAlert(), nullptr);
}

TEST_F(MainMenuTest, OnlyYesSwitchesTheChallenges) {
    struct Case {
        bool enabled;
        int answer; // 0 "No", 1 "Yes"
        char const* title;
        bool after;
    };
    for (auto const& c :
        {Case {true, 0, "Turn off Challenges", true}, Case {true, 1, "Turn off Challenges", false},
            Case {false, 0, "Turn on Challenges", false},
            Case {false, 1, "Turn on Challenges", true}}) {
        SCOPED_TRACE(std::string(c.title) + (c.answer ? " yes" : " no"));
        DataConrtoller::setDailyChallengeEnabled(c.enabled);
        auto& main = make();
        main.start(3);
        ASSERT_TRUE(reach(4));
        auto* challenges = ui->button(14);
        ASSERT_NE(challenges, nullptr);
        auto tint = challenges->color();
        main.handlePressButton(14);
        EXPECT_EQ(main.state(), 4);
        auto alert = base::Ref<ui::AlertView>(main.challengesAlert());
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->title(), c.title);
        EXPECT_EQ(alert->buttonTitleAtIndex(c.answer), c.answer ? "Yes" : "No");
        main.willDismissWithButtonIndex(*alert, c.answer);
        EXPECT_EQ(DataConrtoller::getDailyChallengeEnabled(), c.after);
        if (c.answer == 0) {
            EXPECT_EQ(challenges->color(), tint);
        } else {
            auto grey = c.after ? engine::Color3B {255, 255, 255} : engine::Color3B {128, 128, 128};
            EXPECT_EQ(challenges->color(), grey);
        }
        EXPECT_EQ(main.challengesAlert(), nullptr);
        alert = nullptr;
        TearDown();
        SetUp();
    }
}

TEST_F(MainMenuTest, TheMenuIsBuiltOnceAndGreysByTheSave) {
    struct Case {
        bool saved;
        bool pad;
        int buttons; // slots filled
    };
    // Phone: 0 1 2 3 4 6 10 14 (+ 11 with a save); the tablet has no challenges.
    for (auto const& c : {Case {false, false, 8}, Case {true, false, 9}, Case {false, true, 7},
             Case {true, true, 8}}) {
        SCOPED_TRACE(std::to_string(c.saved) + std::to_string(c.pad));
        if (c.saved)
            saveGame();
        make(c.pad);
        size_t children = mainLayer->children().size();
        ui->showMainMenu();
        size_t once = mainLayer->children().size();
        ui->showMainMenu();
        EXPECT_EQ(mainLayer->children().size(), once);
        EXPECT_GT(once, children);
        EXPECT_EQ(buttonCount(), c.buttons);
        EXPECT_EQ(ui->button(11) != nullptr, c.saved);
        EXPECT_EQ(ui->button(13), nullptr);
        EXPECT_EQ(ui->button(14) != nullptr, !c.pad);
        engine::Color3B grey {128, 128, 128};
        EXPECT_EQ(ui->button(0)->color() == grey, c.saved);
        EXPECT_EQ(ui->button(1)->color() == grey, !c.saved);
        TearDown();
        SetUp();
    }
}

TEST_F(MainMenuTest, ButtonsPopInOneAfterAnother) {
    make();
    ui->showMainMenu();
    // Slot 0 has popped in after 0.4 s; slot 14 starts only at 1.4 s.
    seconds(0.45f);
    EXPECT_FLOAT_EQ(ui->button(0)->scale(), 1.0f);
    EXPECT_FLOAT_EQ(ui->button(14)->scale(), 0.0f);
    EXPECT_FALSE(ui->isMainMenuActionDone());
    seconds(1.4f);
    EXPECT_TRUE(ui->isMainMenuActionDone());
    seconds(0.1f);
    EXPECT_FLOAT_EQ(ui->button(14)->scale(), 1.0f);
    EXPECT_FLOAT_EQ(ui->menuPetPointsPlate()->scale(), 1.0f);
}

TEST_F(MainMenuTest, TheExitLastsTwoSecondsWhateverThePressedSlot) {
    for (int pressed : {0, 3, 14}) {
        SCOPED_TRACE(pressed);
        make();
        ui->showMainMenu();
        seconds(2);
        ASSERT_TRUE(ui->isMainMenuActionDone());
        ui->HiddenMainMenu(pressed);
        seconds(1.9f);
        EXPECT_FALSE(ui->isMainMenuActionDone());
        EXPECT_GT(ui->button(pressed)->scale(), 0.0f);
        for (int slot : {0, 1, 2, 3, 14}) {
            if (slot != pressed) {
                EXPECT_FLOAT_EQ(ui->button(slot)->scale(), 0.0f) << slot;
            }
        }
        seconds(0.15f);
        EXPECT_TRUE(ui->isMainMenuActionDone());
        EXPECT_FLOAT_EQ(ui->button(pressed)->scale(), 0.0f);
        TearDown();
        SetUp();
    }
}

TEST_F(MainMenuTest, OptionsMarkTheSavedSwitches) {
    for (bool music : {true, false}) {
        DataConrtoller::saveBgmEnable(music);
        DataConrtoller::saveSfxEnable(!music);
        make();
        ui->showOption();
        EXPECT_EQ(ui->curUIState(), 4);
        EXPECT_EQ(ui->optionsMusicMarker()->position(),
            (music ? ui->optionsMusicOn() : ui->optionsMusicOff())->position());
        EXPECT_EQ(ui->optionsSoundMarker()->position(),
            (music ? ui->optionsSoundOff() : ui->optionsSoundOn())->position());
        EXPECT_NE(ui->button(0), nullptr);
        EXPECT_FALSE(ui->isOptionActionDone());
        seconds(0.45f);
        EXPECT_TRUE(ui->isOptionActionDone());
        ui->HiddenOption();
        EXPECT_EQ(ui->curUIState(), 0);
        seconds(0.55f);
        EXPECT_TRUE(ui->isOptionActionDone());
        EXPECT_FLOAT_EQ(ui->optionsPanel()->scale(), 0.0f);
        TearDown();
        SetUp();
    }
}

TEST_F(MainMenuTest, UnreachedScreensKeepTheirStates) {
    make();
    ui->showConfirmErase();
    EXPECT_EQ(ui->curUIState(), 6);
    ui->showFinishErase();
    EXPECT_EQ(ui->curUIState(), 7);
    ui->changeOptionToErase(true);
    EXPECT_EQ(ui->curUIState(), 5);
    ui->showAd();
    EXPECT_EQ(ui->curUIState(), 16);
    ui->HiddenAd();
    EXPECT_EQ(ui->curUIState(), 5);
    EXPECT_TRUE(ui->isAdActionDone());
    EXPECT_TRUE(ui->isPrizeActionDone());
    ui->showSeasonsButton(true);
    EXPECT_TRUE(ui->showsSeasonsButton());
}

}

// Touches on the main menu's screens through the interface's dispatcher, to the real menu.
class MainMenuTouchTest : public MainMenuTest {
protected:
    void TearDown() override {
        GameGlobals::shared().mainMenu = nullptr;
        MainMenuTest::TearDown();
    }
    // The centre of the node as the scene shows it.
    static engine::Point centreOf(engine::SceneNode* node) {
        auto size = node->contentSize();
        auto anchor = node->anchorPoint();
        engine::Point local {node->position().x + size.width * (0.5f - anchor.x),
            node->position().y + size.height * (0.5f - anchor.y)};
        return node->parent() ? node->parent()->convertToWorldSpace(local) : local;
    }
    static bool waits(int state) {
        return state == 1 || state == 4 || state == 7 || state == 10 || state == 13 || state == 25;
    }
    bool tap(engine::Point point) {
        // The platform's view is landscape, 320 points high.
        ui::Application::sharedApplication().setStatusBarOrientation(
            ui::InterfaceOrientation::LandscapeRight);
        auto touches = touchAt(point);
        return ui->handleTouchesBegan(touches, nullptr);
    }
};

TEST_F(MainMenuTouchTest, EachWaitingScreenTakesItsButtons) {
    using Target = std::function<engine::SceneNode*(Interface&)>;
    auto slot = [](int n) -> Target { return [n](Interface& face) { return face.button(n); }; };
    struct Case {
        char const* name;
        bool saved;
        int startIn; // the screen the menu starts on
        std::vector<int> before; // presses that lead to the waiting screen
        Target target; // null: a point where nothing is
        bool taken;
        int stateAfter;
        bool asks {false}; // the challenges question opens
    };
    Case const cases[] = {
        {"title anywhere", false, 0, {}, nullptr, true, 2},
        {"new game", false, 3, {}, slot(0), true, 5},
        {"resume without a save falls through", false, 3, {}, slot(1), false, 4},
        {"resume with a save", true, 3, {}, slot(1), true, 5},
        {"options", false, 3, {}, slot(2), true, 5},
        {"challenges stay", false, 3, {}, slot(14), true, 4, true},
        {"nothing on the menu", false, 3, {}, nullptr, false, 4},
        {"erase warning: erase", true, 3, {0}, slot(0), true, 8},
        {"erase warning: cancel", true, 3, {0}, slot(1), true, 8},
        {"confirmation: yes", true, 3, {0, 0}, slot(0), true, 11},
        {"confirmation: nothing", true, 3, {0, 0}, nullptr, false, 10},
        {"options: back", false, 3, {2}, slot(0), true, 14},
        {"help: close", false, 3, {3}, slot(0), true, 26},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.saved)
            saveGame();
        auto& main = make();
        GameGlobals::shared().mainMenu = menu;
        main.start(c.startIn);
        ASSERT_TRUE(reach(c.startIn + 1));
        for (int press : c.before) {
            int waiting = main.state();
            main.handlePressButton(press);
            ASSERT_EQ(main.state(), waiting + 1);
            for (int i = 0; i < 300 && !waits(main.state()); ++i)
                step(1);
        }
        int waiting = main.state();
        ASSERT_TRUE(waits(waiting));
        engine::Point point = c.target ? centreOf(c.target(*ui)) : engine::Point {2, 2};
        EXPECT_EQ(tap(point), c.taken);
        EXPECT_EQ(main.state(), c.stateAfter) << "from " << waiting;
        EXPECT_EQ(main.challengesAlert() != nullptr, c.asks);
        TearDown();
        SetUp();
    }
}

TEST_F(MainMenuTouchTest, TheOptionsSwitchTakesOnlyTheHalfThatChangesIt) {
    struct Case {
        bool musicOn;
        bool tapOff; // the off half, else the on half
        bool taken;
        bool savedAfter;
    };
    for (auto c : {Case {true, true, true, false}, Case {true, false, false, true},
             Case {false, false, true, true}, Case {false, true, false, false}}) {
        SCOPED_TRACE(std::to_string(c.musicOn) + std::to_string(c.tapOff));
        DataConrtoller::saveBgmEnable(c.musicOn);
        auto& main = make();
        GameGlobals::shared().mainMenu = menu;
        game::SoundEngine::sharedManager()->enableMusicTrack(c.musicOn);
        main.start(12);
        ASSERT_TRUE(reach(13));
        auto* half = c.tapOff ? ui->optionsMusicOff() : ui->optionsMusicOn();
        EXPECT_EQ(tap(centreOf(half)), c.taken);
        EXPECT_EQ(main.state(), 13);
        EXPECT_EQ(DataConrtoller::getBgmEnable(), c.savedAfter);
        EXPECT_EQ(game::SoundEngine::sharedManager()->isMusicTrackEnable(), c.savedAfter);
        auto* marked = c.savedAfter ? ui->optionsMusicOn() : ui->optionsMusicOff();
        EXPECT_EQ(ui->optionsMusicMarker()->position(), marked->position());
        TearDown();
        SetUp();
    }
}
