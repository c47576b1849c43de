#include "SalonDay.hpp"

#include <engine/IntervalAction.hpp>
#include <engine/Sprite.hpp>
#include <engine/TouchDispatcher.hpp>
#include <game/interface/CCPurchaseDialog.hpp>
#include <game/interface/CCStatusBar.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/interface/StaffLevels.hpp>
#include <game/progression/CCItemBar.hpp>
#include <game/progression/ItemEffectController.hpp>
#include <game/progression/QuestController.hpp>
#include <game/progression/StaffSpeedEffect.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/RootViewController.hpp>

#include <ui/Application.hpp>

#include <gtest/gtest.h>

#include <algorithm>
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
    void hiddenHelpMenu() override {
        calls.push_back("hiddenHelpMenu");
        Interface::hiddenHelpMenu();
    }
    void showShopDialog(base::Ref<base::Dictionary> item) override {
        calls.push_back("showShopDialog " + (item ? item->objectForKey("uid").stringValue() : ""));
        Interface::showShopDialog(item);
    }
    void setUIState(int state) { curUIState_ = state; }

    std::vector<std::string> calls;

private:
    friend base::Factory;
    explicit TouchFace(game::MainLayer* layer)
        : Interface(layer) { }
};

// The root view controller, recording the store screen it is asked for.
class RecordingRoot final : public game::RootViewController {
public:
    void showInAppPurchase() override { calls.push_back("root.showInAppPurchase"); }

    std::vector<std::string> calls;

private:
    friend base::Factory;
    RecordingRoot() = default;
};

class InterfaceTouchesTest : public test::SalonDayTest {
public:
    // For the rows of the tables.
    using SalonDayTest::frame;
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
        root = base::make<RecordingRoot>();
        mainLayer->setPRootViewController(root.get());
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
        mainLayer->setPRootViewController(nullptr);
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
    // The number of items the power-up button holds, saved.
    static void setItemCount(game::CCItemBar& bar, std::string const& name, int count) {
        bar.modItemCountForButton(name, count - game::CCItemBar::savedCount(name));
    }
    // The cooldown picture of the power-up button: where a finger presses it.
    static engine::SceneNode* powerUpButton(TouchFace& interface, std::string const& name) {
        return interface.itemBar()->timerSprite(name);
    }
    // The purchase dialog of the menu, grown to its place.
    engine::SceneNode* openedDialogButton(
        TouchFace& interface, engine::Sprite* (game::CCPurchaseDialog::*button)() const) {
        framesFor(1);
        interface.calls.clear();
        auto* dialog = interface.purchaseDialog();
        return dialog ? (dialog->*button)() : nullptr;
    }

protected:
    base::Ref<game::MainLayer> mainLayer;
    std::optional<test::FakeDirector> screen;
    base::Ref<TouchFace> face;

public:
    base::Ref<RecordingRoot> root;
};

// One synthetic touch (or a set of two at the same place) per row, from a
// fresh salon put into the row's shop and UI state.
TEST_F(InterfaceTouchesTest, TheSalonDispatchTable) {
    using Step = std::function<void(InterfaceTouchesTest&, TouchFace&)>;
    struct Row {
        char const* name;
        int shopState;
        // Opens what the row needs and answers the sprite to touch (null: a miss).
        std::function<engine::SceneNode*(InterfaceTouchesTest&, TouchFace&)> open;
        int touches;
        // The interface's answer, for touches given to the main layer; none for
        // touches that take the whole way through the touch dispatcher, as the
        // screen's do (the power-up bar, the tab bar and the purchase dialog come
        // before the main layer there).
        std::optional<bool> answer;
        std::vector<std::string> calls;
        int uiAfter;
        bool pausedAfter;
        int shopStateAfter;
        // What else the row looks at once the animations ran out.
        Step check {};
        // A last touch of the set somewhere else.
        std::function<engine::SceneNode*(TouchFace&)> alsoAt {};
        // Between the touches and the animations.
        Step meanwhile {};
    };
    auto viaScreen = std::nullopt;
    // A mark that a row puts on a node to touch a point other than its centre.
    static constexpr int markTag = 7713;
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

        // The seasons bonus and the help book answer alone; a miss ends the set.
        {"seasons bonus yes", 2,
            [](auto&, TouchFace& f) -> engine::SceneNode* {
                f.showSeasonsBonus(1);
                f.calls.clear();
                return f.button(9);
            },
            1, true, {"hideSeasonsBonus"}, 0, false, 2},
        {"seasons bonus miss", 2,
            [](auto&, TouchFace& f) -> engine::SceneNode* {
                f.showSeasonsBonus(1);
                f.calls.clear();
                return nullptr;
            },
            1, false, {}, 19, false, 2, [](auto&, TouchFace& f) { f.hideSeasonsBonus(); },
            [](TouchFace& f) -> engine::SceneNode* { return f.button(9); }},
        {"help book closed", 2,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showHelpMenu(true);
                t.shop->pauseGame();
                t.framesFor(0.7f);
                return f.button(0);
            },
            1, true, {"hiddenHelpMenu"}, 0, false, 2},
        {"help book without its close button", 2,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showHelpMenu(false);
                t.shop->pauseGame();
                t.framesFor(0.7f);
                return f.button(0);
            },
            1, false, {}, 15, true, 2},
        {"help book next page", 2,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showHelpMenu(true);
                t.shop->pauseGame();
                t.framesFor(0.7f);
                return f.button(2);
            },
            1, true, {}, 15, true, 2, [](auto&, TouchFace& f) { EXPECT_EQ(f.helpMenuPage(), 2); }},
        // The previous arrow is hidden on the first page: no page turns, and the
        // next arrow under the set's second finger is not looked at.
        {"help book hidden arrow", 2,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showHelpMenu(true);
                t.shop->pauseGame();
                t.framesFor(0.7f);
                return f.button(1);
            },
            1, false, {}, 15, true, 2, [](auto&, TouchFace& f) { EXPECT_EQ(f.helpMenuPage(), 1); },
            [](TouchFace& f) -> engine::SceneNode* { return f.button(2); }},

        // Power-up bar.
        {"power-up in the working hours", 2,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                setItemCount(*f.itemBar(), "SpeedBonus", 3);
                // The power-up timeline at the working day's time.
                t.frame();
                return powerUpButton(f, "SpeedBonus");
            },
            1, viaScreen, {}, 0, false, 2,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                EXPECT_EQ(game::CCItemBar::savedCount("SpeedBonus"), 2);
                auto* timeline = t.shop->itemEffectCtrl();
                ASSERT_EQ(timeline->timeline().size(), 1u);
                auto* effect = timeline->timeline()[0]->item_effect();
                EXPECT_NE(dynamic_cast<game::StaffSpeedEffect*>(effect), nullptr);
                EXPECT_EQ(f.itemBar()->timerSprite("SpeedBonus")->itemEffect(), effect);
                EXPECT_EQ(t.shop->consumableSFX(), "ConsumableLightning");
                // Its announcement holds the salon meanwhile.
                EXPECT_TRUE(t.shop->isPausedFor(Pause::ItemEffectAnim));
                timeline->cancelAllEffects();
                EXPECT_FALSE(t.shop->isPaused());
            }},
        {"power-up with none left", 2,
            [](auto&, TouchFace& f) -> engine::SceneNode* {
                setItemCount(*f.itemBar(), "IncomeBonus", 0);
                return powerUpButton(f, "IncomeBonus");
            },
            1, viaScreen, {}, 0, false, 2,
            [](InterfaceTouchesTest& t, auto&) {
                EXPECT_EQ(game::CCItemBar::savedCount("IncomeBonus"), 0);
                EXPECT_TRUE(t.shop->itemEffectCtrl()->timeline().empty());
                EXPECT_FALSE(t.shop->isPaused());
            }},
        {"power-up under the pause menu", 2,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                setItemCount(*f.itemBar(), "WildcardBonus", 3);
                f.showPauseMenu();
                t.shop->pauseGame();
                f.calls.clear();
                return powerUpButton(f, "WildcardBonus");
            },
            1, viaScreen, {}, 10, true, 2,
            [](InterfaceTouchesTest& t, auto&) {
                EXPECT_EQ(game::CCItemBar::savedCount("WildcardBonus"), 3);
                EXPECT_TRUE(t.shop->itemEffectCtrl()->timeline().empty());
            }},
        // After hours on the staff tab the press offers a batch for sale.
        {"power-up after hours", 3,
            [](auto&, TouchFace& f) -> engine::SceneNode* {
                setItemCount(*f.itemBar(), "SpeedBonus", 3);
                return powerUpButton(f, "SpeedBonus");
            },
            1, viaScreen,
            {"showShopDialog "
                + game::StaffSpeedEffect::purchaseData()->objectForKey("uid").stringValue()},
            0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                EXPECT_EQ(game::CCItemBar::savedCount("SpeedBonus"), 3);
                EXPECT_TRUE(t.shop->itemEffectCtrl()->timeline().empty());
                EXPECT_NE(f.purchaseDialog(), nullptr);
            }},
        {"power-up after hours on the furniture tab", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                t.shop->setShopTab(1);
                t.framesFor(1);
                return powerUpButton(f, "SpeedBonus");
            },
            1, viaScreen, {}, 0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                EXPECT_EQ(f.purchaseDialog(), nullptr);
                t.shop->setShopTab(0);
            }},

        {"more money from a dialog", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                GameGlobals::shared().money = 0;
                f.showHireMenu(t.shop->getStaff(1));
                return t.openedDialogButton(f, &game::CCPurchaseDialog::buttonPoints);
            },
            1, viaScreen, {"showTransferPPView"}, 0, false, 3,
            [](auto&, TouchFace& f) { EXPECT_NE(f.purchaseDialog(), nullptr); }},

        // Purchase dialogs: buying when closed, guarded by the balance.
        {"hire", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                auto* staff = t.shop->getStaff(1);
                GameGlobals::shared().money = game::staffPurchasePrice(*staff).cost + 500;
                GameGlobals::shared().shopLevel = staff->nReqShopLevel();
                f.showHireMenu(staff);
                return t.openedDialogButton(f, &game::CCPurchaseDialog::buttonOK);
            },
            1, viaScreen, {}, 0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                t.framesFor(1);
                EXPECT_EQ(GameGlobals::shared().money, 500);
                EXPECT_TRUE(t.shop->getStaff(1)->bEnable());
                EXPECT_EQ(f.hireCharacter(), t.shop->getStaff(1));
                EXPECT_EQ(f.purchaseDialog(), nullptr);
            }},
        // The buy button ignores a press the balance does not cover.
        {"hire without the money", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                auto* staff = t.shop->getStaff(2);
                GameGlobals::shared().petPoints = game::staffPurchasePrice(*staff).cost - 1;
                f.showHireMenu(staff);
                return t.openedDialogButton(f, &game::CCPurchaseDialog::buttonOK);
            },
            1, viaScreen, {}, 0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                t.framesFor(1);
                EXPECT_FALSE(t.shop->getStaff(2)->bEnable());
                EXPECT_EQ(GameGlobals::shared().petPoints,
                    game::staffPurchasePrice(*t.shop->getStaff(2)).cost - 1);
                EXPECT_NE(f.purchaseDialog(), nullptr);
            }},
        // Accepted, but the Pet Points went while the dialog closed: nothing is
        // bought, and the dialog goes all the same.
        {"hire refused when the balance fell meanwhile", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                auto* staff = t.shop->getStaff(2);
                GameGlobals::shared().petPoints = game::staffPurchasePrice(*staff).cost;
                GameGlobals::shared().shopLevel = staff->nReqShopLevel();
                f.showHireMenu(staff);
                return t.openedDialogButton(f, &game::CCPurchaseDialog::buttonOK);
            },
            1, viaScreen, {}, 0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                t.framesFor(1);
                EXPECT_FALSE(t.shop->getStaff(2)->bEnable());
                EXPECT_EQ(GameGlobals::shared().petPoints, 1);
                EXPECT_EQ(f.purchaseDialog(), nullptr);
            },
            {}, [](auto&, auto&) { GameGlobals::shared().petPoints = 1; }},
        {"furniture upgrade", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                auto* bath = t.shop->getFurniture(11);
                GameGlobals::shared().money = bath->nUpgradeCost() + 5;
                GameGlobals::shared().shopLevel = std::max(1, bath->nReqShopLevel());
                f.showUpgradeMenu(bath, false);
                return t.openedDialogButton(f, &game::CCPurchaseDialog::buttonOK);
            },
            1, viaScreen, {}, 0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                t.framesFor(1);
                EXPECT_EQ(GameGlobals::shared().money, 5);
                EXPECT_EQ(t.shop->getFurniture(11)->nLevel(), 2);
                EXPECT_EQ(f.upgradeFurniture(), t.shop->getFurniture(11));
                EXPECT_EQ(f.purchaseDialog(), nullptr);
            }},
        {"power-ups bought", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                setItemCount(*f.itemBar(), "SpeedBonus", 1);
                auto item = game::StaffSpeedEffect::purchaseData();
                GameGlobals::shared().petPoints = item->objectForKey("cost").intValue() + 2;
                f.showShopDialog(item);
                return t.openedDialogButton(f, &game::CCPurchaseDialog::buttonOK);
            },
            1, viaScreen, {}, 0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                t.framesFor(1);
                auto item = game::StaffSpeedEffect::purchaseData();
                auto lot = item->objectForKey("data").dictionary()->objectForKey("lot_size");
                EXPECT_EQ(game::CCItemBar::savedCount("SpeedBonus"), 1 + lot.intValue());
                EXPECT_EQ(GameGlobals::shared().petPoints, 2);
                EXPECT_EQ(f.purchaseDialog(), nullptr);
            }},
        // The get-more button opens the store or the transfer over the open dialog.
        {"more Pet Points from a dialog", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                GameGlobals::shared().petPoints = 0;
                f.showShopDialog(game::StaffSpeedEffect::purchaseData());
                return t.openedDialogButton(f, &game::CCPurchaseDialog::buttonPoints);
            },
            1, viaScreen, {}, 0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                EXPECT_EQ(t.root->calls, std::vector<std::string> {"root.showInAppPurchase"});
                EXPECT_NE(f.purchaseDialog(), nullptr);
                t.root->calls.clear();
            }},
        // Tab bar, extended after hours.
        {"staff tab to furniture tab", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showNextDayButton();
                t.framesFor(1);
                f.calls.clear();
                return f.tabBar()->tabs()[1].get();
            },
            1, viaScreen, {}, 0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                EXPECT_EQ(t.shop->getShopTab(), 1);
                EXPECT_EQ(f.prevActiveTabIndex(), 1);
                EXPECT_EQ(f.tabBar()->selectedTab(), 1);
                t.shop->setShopTab(0);
            }},
        // While the salon's shopping view still moves the press only comes back.
        {"tab during the shopping view's move", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showNextDayButton();
                t.framesFor(1);
                t.shop->getStaff(0)->pSprite()->runAction(engine::DelayTime::actionWithDuration(1));
                EXPECT_TRUE(t.shop->shoppingModeInTransition());
                f.calls.clear();
                return f.tabBar()->tabs()[2].get();
            },
            1, viaScreen, {}, 0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                EXPECT_EQ(t.shop->getShopTab(), 0);
                EXPECT_EQ(f.prevActiveTabIndex(), 0);
                EXPECT_EQ(f.tabBar()->selectedTab(), 0);
                EXPECT_EQ(f.storeDisplay(), nullptr);
            }},
        // The transfer view leaves the remembered tab, which its closing selects again.
        {"transfer tab", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showNextDayButton();
                t.framesFor(1);
                t.shop->setShopTab(1);
                f.setPrevActiveTabIndex(1);
                f.tabBar()->selectTab(1, true);
                t.framesFor(1);
                f.calls.clear();
                return f.tabBar()->tabs()[3].get();
            },
            1, viaScreen, {"showTransferPPView"}, 0, false, 3,
            [](InterfaceTouchesTest& t, TouchFace& f) {
                EXPECT_EQ(f.prevActiveTabIndex(), 1);
                EXPECT_NE(f.transferPPView(), nullptr);
                f.hideTransferPPView();
                EXPECT_EQ(f.tabBar()->selectedTab(), 1);
                EXPECT_EQ(t.shop->getShopTab(), 1);
                t.shop->setShopTab(0);
            }},
        {"staff tab after the theme store", 3,
            [](InterfaceTouchesTest& t, TouchFace& f) -> engine::SceneNode* {
                f.showNextDayButton();
                t.framesFor(1);
                f.tabBar()->selectTab(2, false);
                t.framesFor(0.3f);
                EXPECT_EQ(f.prevActiveTabIndex(), 2);
                f.calls.clear();
                // The theme store, now in place, takes the touches of its strip, which
                // reaches up to 50 points below the top of the screen; the tab is
                // touched above that.
                auto* tab = f.tabBar()->tabs()[0].get();
                auto mark = engine::SceneNode::node();
                mark->setPosition({tab->contentSize().width / 2, tab->contentSize().height - 6});
                tab->addChild(mark, 0, markTag);
                return mark.get();
            },
            1, viaScreen, {"hideInAppShop"}, 0, false, 3,
            [](auto&, TouchFace& f) {
                EXPECT_EQ(f.prevActiveTabIndex(), 0);
                EXPECT_EQ(f.tabBar()->selectedTab(), 0);
                f.tabBar()->tabs()[0]->removeChildByTag(markTag, engine::Cleanup::Yes);
            }},
    };
    auto& globals = GameGlobals::shared();
    globals.interface = face;
    load();
    int level = globals.shopLevel;
    for (auto const& row : rows) {
        SCOPED_TRACE(row.name);
        globals.day = 2;
        globals.shopLevel = level;
        face->initInterface(game::ProgramStateShop);
        face->setPrevActiveTabIndex(0);
        globals.shopState = row.shopState;
        shop->resumeGame();
        face->calls.clear();
        auto* target = row.open(*this, *face);
        auto points = std::vector<engine::Point>(std::size_t(row.touches), centreOf(target));
        if (row.alsoAt)
            points.push_back(centreOf(row.alsoAt(*face)));
        auto touches = touchesAt(points);
        if (row.answer)
            EXPECT_EQ(mainLayer->ccTouchesBegan(touches, nullptr), *row.answer);
        else
            engine::TouchDispatcher::sharedDispatcher().touchesBegan(touches, nullptr);
        EXPECT_EQ(face->calls, row.calls);
        EXPECT_EQ(shop->isPausedFor(Pause::Game), row.pausedAfter);
        EXPECT_EQ(globals.shopState, row.shopStateAfter);
        if (row.meanwhile)
            row.meanwhile(*this, *face);
        // The popups' closing animations run out.
        framesFor(0.5f);
        EXPECT_EQ(face->curUIState(), row.uiAfter);
        if (row.check)
            row.check(*this, *face);
        face->removeInterface(game::ProgramStateShop);
        shop->questController()->clearCurrentQuests();
        // The shopping view's slide ends before the next row.
        globals.shopState = 3;
        framesFor(2);
    }
}

}
