// The root game layer without a running scene: touch routing per state, the hidden text
// field's callbacks, the program-state objects it makes and drops, and the forwarders.

#include "ShellStates.hpp"

#include <game/shell/MainLayer.hpp>
#include <support/LogCapture.hpp>
#include <ui/Touch.hpp>

using game::GameGlobals;

namespace {

using Calls = std::vector<std::string>;

class MainLayerTest : public test::ShellStateTest {
protected:
    MainLayerTest() {
        layer = game::MainLayer::node();
        log.take();
    }

    test::RecordingInterface& interface() { return *services.interface.get(); }

    static ui::TouchSet touches(int tapCount) {
        return ui::TouchSet({ui::Touch::create(nullptr, nullptr, {10, 10}, tapCount, 0)});
    }

    base::Ref<game::MainLayer> layer;
};

TEST_F(MainLayerTest, TouchesGoToTheInterfaceFirstAndOnlyInTheSalonToTheShop) {
    enum Phase { Began, Moved, Ended, Cancelled };
    struct Case {
        char const* name;
        int state;
        bool withShop;
        bool interfaceTakes;
        bool interfaceTakesDoubleTap;
        bool shopTakes;
        Phase phase;
        int tapCount;
        bool handled;
        Calls calls;
    };
    Case const cases[] = {
        {"menu, interface takes", 2, false, true, false, false, Began, 1, true,
            {"interface.began"}},
        {"menu, nobody takes", 2, false, false, false, false, Moved, 1, false, {"interface.moved"}},
        {"menu, a shop left over gets nothing", 2, true, false, false, true, Began, 1, false,
            {"interface.began"}},
        {"salon, interface takes", 3, true, true, false, true, Began, 1, true, {"interface.began"}},
        {"salon, shop takes", 3, true, false, false, true, Moved, 1, true,
            {"interface.moved", "shop.moved"}},
        {"salon, nobody takes", 3, true, false, false, false, Cancelled, 1, false,
            {"interface.cancelled", "shop.cancelled"}},
        {"salon without a shop", 3, false, false, false, false, Began, 1, false,
            {"interface.began"}},
        {"salon, single tap ends", 3, true, false, false, false, Ended, 1, false,
            {"interface.ended", "shop.ended"}},
        {"salon, double tap nobody takes", 3, true, false, false, false, Ended, 2, false,
            {"interface.ended", "shop.ended", "interface.doubletap", "shop.doubletap"}},
        {"salon, double tap the interface takes", 3, true, false, true, false, Ended, 2, true,
            {"interface.ended", "shop.ended", "interface.doubletap"}},
        {"salon, an end the shop takes is no double tap", 3, true, false, false, true, Ended, 3,
            true, {"interface.ended", "shop.ended"}},
        {"menu, double tap", 2, false, false, false, false, Ended, 2, false,
            {"interface.ended", "interface.doubletap"}},
        {"loading gets no double tap to the shop", 1, true, false, false, true, Ended, 2, false,
            {"interface.ended", "interface.doubletap"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto& globals = GameGlobals::shared();
        globals.curProgramState = c.state;
        services.shopTakesTouches = c.shopTakes;
        globals.shop = c.withShop ? services.makeShop(layer.get()) : nullptr;
        interface().takesTouches = c.interfaceTakes;
        interface().takesDoubleTap = c.interfaceTakesDoubleTap;
        log.take();

        auto set = touches(c.tapCount);
        bool handled = false;
        switch (c.phase) {
        case Began:
            handled = layer->ccTouchesBegan(set, nullptr);
            break;
        case Moved:
            handled = layer->ccTouchesMoved(set, nullptr);
            break;
        case Ended:
            handled = layer->ccTouchesEnded(set, nullptr);
            break;
        case Cancelled:
            handled = layer->ccTouchesCancelled(set, nullptr);
            break;
        }
        EXPECT_EQ(handled, c.handled);
        auto calls = log.take();
        std::erase(calls, "make shop");
        std::erase(calls, "shop.released");
        EXPECT_EQ(calls, c.calls);
    }
}

TEST_F(MainLayerTest, TheHiddenTextFieldAsksTheInterfaceOnlyInTheMainMenu) {
    auto& field = *GameGlobals::shared().hiddenTextField;
    EXPECT_EQ(field.delegate(), layer.get());
    EXPECT_EQ(field.keyboardType(), ui::KeyboardType::EmailAddress);
    EXPECT_EQ(field.returnKeyType(), ui::ReturnKeyType::Done);
    EXPECT_EQ(field.autocorrectionType(), ui::TextAutocorrectionType::No);
    EXPECT_EQ(field.autocapitalizationType(), ui::TextAutocapitalizationType::None);

    struct Case {
        int state;
        bool interfaceAllows;
        bool allowed;
        Calls calls;
    };
    for (auto const& c : {Case {2, true, true, {"interface.change a", "interface.endtext"}},
             Case {2, false, false, {"interface.change a", "interface.endtext"}},
             Case {3, true, false, {}}, Case {1, true, false, {}}}) {
        SCOPED_TRACE(c.state);
        GameGlobals::shared().curProgramState = c.state;
        interface().takesText = c.interfaceAllows;
        EXPECT_EQ(layer->shouldChangeCharactersInRange(field, {0, 0}, "a"), c.allowed);
        EXPECT_FALSE(layer->textFieldShouldReturn(field)) << "return never inserts a line";
        EXPECT_EQ(log.take(), c.calls);
    }
}

TEST_F(MainLayerTest, TheMenuOpensOnTheTitleOnlyAfterLaunchAndEachStateObjectIsMadeOnce) {
    auto& globals = GameGlobals::shared();
    globals.prevProgramState = 0;
    layer->initProgramState(2);
    layer->initProgramState(2);
    EXPECT_EQ(
        log.take(), (Calls {"interface.init 2", "make menu", "menu.start 0", "interface.init 2"}));

    test::LogCapture lines;
    layer->releaseProgramState(2);
    EXPECT_TRUE(lines.contains("Releasing State MAINMENU"));
    EXPECT_EQ(globals.mainMenu, nullptr);
    globals.prevProgramState = 3;
    layer->initProgramState(2);
    layer->initProgramState(3);
    layer->initProgramState(3);
    EXPECT_EQ(log.take(),
        (Calls {"menu.released", "interface.remove 2", "interface.init 2", "make menu",
            "menu.start 3", "interface.init 3", "make shop", "interface.init 3"}));

    layer->releaseProgramState(3);
    EXPECT_TRUE(lines.contains("Releasing State SHOP"));
    EXPECT_EQ(globals.shop, nullptr);
    EXPECT_EQ(log.take(), (Calls {"shop.cleanup", "shop.released", "interface.remove 3"}));
}

TEST_F(MainLayerTest, EachFrameUpdatesTheInterfaceThenTheRunningStatesObject) {
    auto& globals = GameGlobals::shared();
    globals.mainMenu = services.makeMainMenu();
    globals.shop = services.makeShop(layer.get());
    log.take();
    struct Case {
        int state;
        Calls calls;
    };
    for (auto const& c : {Case {2, {"interface.update", "menu.update"}},
             Case {3, {"interface.update", "shop.update"}}, Case {1, {"interface.update"}}}) {
        globals.curProgramState = c.state;
        layer->update();
        EXPECT_EQ(log.take(), c.calls) << c.state;
    }
}

TEST_F(MainLayerTest, RequestsForPlatformScreensReachTheRootViewControllerWhenThereIsOne) {
    std::vector<std::pair<std::function<void(game::MainLayer&)>, std::string>> const requests {
        {[](auto& l) { l.showInAppPurchase(); }, "root.showInAppPurchase"},
        {[](auto& l) { l.showBountixOffers(); }, "root.showBountixOffers"},
        {[](auto& l) { l.showBountixFeaturedApp(); }, "root.showBountixFeaturedApp"},
        {[](auto& l) { l.showAchievements(); }, "root.showAchievements"},
        {[](auto& l) { l.showWebPage("http://127.0.0.1/"); }, "root.showWebPage http://127.0.0.1/"},
        {[](auto& l) { l.showDownloadPage(); }, "root.showDownloadPage"},
    };
    for (auto const& [request, call] : requests) {
        request(*layer);
        EXPECT_EQ(log.take(), Calls {}) << call;
    }
    auto root = base::make<test::RecordingRootViewController>(log);
    layer->setPRootViewController(root.get());
    for (auto const& [request, call] : requests) {
        request(*layer);
        EXPECT_EQ(log.take(), Calls {call});
    }
}

TEST_F(MainLayerTest, GoingTakesTheInterfaceAndTheTextFieldWithIt) {
    auto& globals = GameGlobals::shared();
    EXPECT_EQ(globals.interface.get(), layer->interface());
    base::WeakRef<test::RecordingInterface> made = services.interface;
    layer = nullptr;
    EXPECT_EQ(globals.interface, nullptr);
    EXPECT_EQ(globals.hiddenTextField, nullptr);
    EXPECT_FALSE(made);
}

}
