#include "SalonDay.hpp"

#include <engine/Sprite.hpp>
#include <game/interface/CCStatusBar.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/progression/CCItemBar.hpp>
#include <game/progression/QuestController.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>

#include <ui/Application.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using game::GameGlobals;
using Pause = game::Shop::PauseReason;

// The game's interface, recording the popups it opens and closes while doing
// them for real.
class TouchFace final : public game::Interface {
public:
    void showPauseMenu() override {
        calls.push_back("showPauseMenu");
        Interface::showPauseMenu();
    }
    void hiddenPauseMenu() override {
        calls.push_back("hiddenPauseMenu");
        Interface::hiddenPauseMenu();
    }
    void hiddenReport() override {
        calls.push_back("hiddenReport");
        Interface::hiddenReport();
    }
    void showNextDayButton() override {
        calls.push_back("showNextDayButton");
        Interface::showNextDayButton();
    }
    void hiddenNextDayButton() override {
        calls.push_back("hiddenNextDayButton");
        Interface::hiddenNextDayButton();
    }
    void showVIPDayWarning() override {
        calls.push_back("showVIPDayWarning");
        Interface::showVIPDayWarning();
    }
    void hideVIPDayWarning() override {
        calls.push_back("hideVIPDayWarning");
        Interface::hideVIPDayWarning();
    }
    void hideSeasonsBonus() override {
        calls.push_back("hideSeasonsBonus");
        Interface::hideSeasonsBonus();
    }
    void showInAppShop() override {
        calls.push_back("showInAppShop");
        Interface::showInAppShop();
    }
    void hideInAppShop() override {
        calls.push_back("hideInAppShop");
        Interface::hideInAppShop();
    }
    void showTransferPPView() override {
        calls.push_back("showTransferPPView");
        Interface::showTransferPPView();
    }
    void showReport(bool levelUp) override {
        calls.push_back("showReport");
        Interface::showReport(levelUp);
    }
    void showQuestReport(std::string const& quest) override {
        calls.push_back("questReport " + quest);
    }
    void setUIState(int state) { curUIState_ = state; }

    std::vector<std::string> calls;

private:
    friend base::Factory;
    explicit TouchFace(game::MainLayer* layer)
        : Interface(layer) { }
};

class InterfaceTouchesTest : public test::SalonDayTest {
public:
    // For the rows of the tables.
    using SalonDayTest::framesFor;
    using SalonDayTest::shop;

protected:
    void SetUp() override {
        SalonDayTest::SetUp();
        mainLayer = game::MainLayer::node();
        screen.emplace(engine::Size {480, 320}, 1);
        layer->addChild(mainLayer, 1000000);
        face = base::make<TouchFace>(mainLayer.get());
        mainLayer->setInterface(face.get());
        GameGlobals::shared().interface = face;
        GameGlobals::shared().shop = shop;
        // The platform's view is landscape, 320 points high.
        ui::Application::sharedApplication().setStatusBarOrientation(
            ui::InterfaceOrientation::LandscapeRight);
    }
    void TearDown() override {
        if (face && face->curProgramState() != 0)
            face->removeInterface(face->curProgramState());
        layer->removeChild(mainLayer.get(), engine::Cleanup::Yes);
        GameGlobals::shared().interface = nullptr;
        SalonDayTest::TearDown();
    }

    // A touch, in the platform's view, at the centre of the sprite as the scene
    // shows it; a point off the screen for none.
    static engine::Point centreOf(engine::SceneNode* sprite) {
        if (!sprite)
            return {-100, -100};
        auto size = sprite->contentSize();
        auto anchor = sprite->anchorPoint();
        engine::Point local {sprite->position().x + size.width * (0.5f - anchor.x),
            sprite->position().y + size.height * (0.5f - anchor.y)};
        return sprite->parent() ? sprite->parent()->convertToWorldSpace(local) : local;
    }
    static ui::TouchSet touchesAt(std::vector<engine::Point> const& points) {
        std::vector<base::Ref<ui::Touch>> touches;
        for (auto point : points)
            touches.push_back(ui::Touch::create(nullptr, nullptr, {point.x, 320 - point.y}, 1, 0));
        return ui::TouchSet(touches);
    }

public:
    void activateChallenge() {
        auto entry = base::Dictionary::create();
        entry->setObject("prerequisite", "");
        entry->setObject("condition", "coin:500");
        entry->setObject("rewardcode", "coin:100");
        auto list = base::Dictionary::create();
        list->setObject("Q1", base::Value(entry));
        auto* challenges = shop->questController();
        challenges->loadQuestList(*list);
        challenges->addToCurrentQuestsById("Q1");
    }

protected:
    base::Ref<game::MainLayer> mainLayer;
    std::optional<test::FakeDirector> screen;
    base::Ref<TouchFace> face;
};

// One synthetic touch (or a set of two at the same place) per row, from a
// fresh salon put into the row's shop and UI state.
TEST_F(InterfaceTouchesTest, TheSalonDispatchTable) {
    struct Row {
        char const* name;
        int shopState;
        // Opens what the row needs and answers the sprite to touch (null: a miss).
        std::function<engine::SceneNode*(InterfaceTouchesTest&, TouchFace&)> open;
        int touches;
        bool answer;
        std::vector<std::string> calls;
        int uiAfter;
        bool pausedAfter;
        int shopStateAfter;
    };
    auto none = [](InterfaceTouchesTest&, TouchFace&) -> engine::SceneNode* { return nullptr; };
    std::vector<Row> rows {
        {"pause button", 2,
            [](auto&, TouchFace& f) -> engine::SceneNode* { return f.pauseButton(); }, 1, true,
            {"showPauseMenu"}, 10, true, 2},
        {"challenge button shown", 2,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                t.activateChallenge();
                f.helpButton()->setOpacity(255);
                return f.helpButton();
            },
            1, true, {"questReport Q1"}, 22, true, 2},
        {"challenge button faded out", 2,
            [](auto&, TouchFace& f) -> engine::SceneNode* {
                f.helpButton()->setOpacity(0);
                return f.helpButton();
            },
            1, false, {}, 0, false, 2},
        {"status bar", 2,
            [](auto&, TouchFace& f) -> engine::SceneNode* { return f.statusBar()->bgBar(); }, 1,
            true, {"showReport"}, 11, true, 2},
        {"working-hours miss", 2, none, 1, false, {}, 0, false, 2},
        {"pause menu resume", 2,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showPauseMenu();
                t.shop->pauseGame();
                // The menu pops in from scale 0.
                t.framesFor(1);
                f.calls.clear();
                return f.button(0);
            },
            1, true, {"hiddenPauseMenu"}, 0, false, 2},
        {"pause menu miss reaches the paused salon", 2,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showPauseMenu();
                t.shop->pauseGame();
                f.calls.clear();
                return nullptr;
            },
            1, false, {}, 10, true, 2},
        {"day report from the status bar", 2,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showReport(false);
                t.shop->pauseGame();
                f.calls.clear();
                return f.reportPanel();
            },
            1, true, {"hiddenReport"}, 0, false, 2},
        {"next day", 3,
            [](auto&, TouchFace& f) -> engine::SceneNode* {
                game::DataConrtoller::setDailyChallengeEnabled(false);
                return f.nextDayButton();
            },
            1, true, {"hiddenNextDayButton", "hideInAppShop"}, 0, false, 1},
        {"next day is a VIP day", 3,
            [](auto&, TouchFace& f) -> engine::SceneNode* {
                GameGlobals::shared().day = 29;
                return f.nextDayButton();
            },
            1, true, {"hideInAppShop", "showVIPDayWarning"}, 17, false, 3},
        // Twice under the finger: one report, and the touch still passes on.
        {"next day with a daily challenge", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                game::DataConrtoller::setDailyChallengeEnabled(true);
                t.activateChallenge();
                t.shop->questController()->clearCurrentQuests();
                return f.nextDayButton();
            },
            2, false, {"questReport Q1"}, 0, false, 3},
        {"end-of-day report", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showReport(false);
                t.framesFor(1);
                f.calls.clear();
                return f.reportPanel();
            },
            1, true, {"hiddenReport", "showNextDayButton"}, 0, false, 3},
        {"end-of-day report still opening", 3,
            [](auto&, TouchFace& f) -> engine::SceneNode* {
                f.showReport(false);
                f.calls.clear();
                return f.reportPanel();
            },
            1, false, {}, 11, false, 3},
        // The answer is NO, and the second touch of the set is not looked at.
        {"VIP warning yes", 3,
            [](auto&, TouchFace& f) -> engine::SceneNode* {
                f.showVIPDayWarning();
                f.calls.clear();
                return f.button(0);
            },
            2, false, {"hideVIPDayWarning", "hiddenNextDayButton"}, 0, false, 1},
        {"VIP warning no", 3,
            [](auto&, TouchFace& f) -> engine::SceneNode* {
                f.showVIPDayWarning();
                f.calls.clear();
                return f.button(1);
            },
            2, false, {"hideVIPDayWarning", "hiddenNextDayButton"}, 0, false, 1},
        {"after-hours miss", 3, none, 1, false, {}, 0, false, 3},
        {"before opening", 1,
            [](auto&, TouchFace& f) -> engine::SceneNode* { return f.pauseButton(); }, 1, false, {},
            0, false, 1},
    };
    auto& globals = GameGlobals::shared();
    globals.interface = face;
    load();
    for (auto const& row : rows) {
        SCOPED_TRACE(row.name);
        globals.day = 2;
        face->initInterface(game::ProgramStateShop);
        globals.shopState = row.shopState;
        shop->resumeGame();
        face->calls.clear();
        auto* target = row.open(*this, *face);
        auto point = centreOf(target);
        auto touches = touchesAt(std::vector<engine::Point>(std::size_t(row.touches), point));
        EXPECT_EQ(mainLayer->ccTouchesBegan(touches, nullptr), row.answer);
        EXPECT_EQ(face->calls, row.calls);
        EXPECT_EQ(shop->isPausedFor(Pause::Game), row.pausedAfter);
        EXPECT_EQ(globals.shopState, row.shopStateAfter);
        // The popups' closing animations run out.
        framesFor(0.5f);
        EXPECT_EQ(face->curUIState(), row.uiAfter);
        face->removeInterface(game::ProgramStateShop);
        shop->questController()->clearCurrentQuests();
        // The shopping view's slide ends before the next row.
        globals.shopState = 3;
        framesFor(2);
    }
}

}
