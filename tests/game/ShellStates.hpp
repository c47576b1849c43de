#pragma once

#include <base/WeakRef.hpp>
#include <engine/ActionManager.hpp>
#include <engine/Director.hpp>
#include <engine/Scheduler.hpp>
#include <engine/StaticFileCache.hpp>
#include <engine/TextureMgr.hpp>
#include <engine/TouchDispatcher.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/interface/Interface.hpp>
#include <game/interface/MainMenu.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/OpenALEngine.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/ShellServices.hpp>
#include <game/shell/SoundEngine.hpp>
#include <graphics/Image.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Screen.hpp>
#include <ui/ViewController.hpp>
#include <ui/Window.hpp>

#include "media/LoopbackOutput.hpp"
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace test {

// What the stand-ins below were asked, in order: "interface.update",
// "menu.start 0", "shop.loading"...
struct CallLog {
    std::vector<std::string> calls;

    void add(std::string call) { calls.push_back(std::move(call)); }
    std::vector<std::string> take() { return std::exchange(calls, {}); }
    // The calls that begin with prefix, in order.
    std::vector<std::string> only(std::string const& prefix) const {
        std::vector<std::string> found;
        for (auto const& call : calls) {
            if (call.rfind(prefix, 0) == 0)
                found.push_back(call);
        }
        return found;
    }
};

// The interface, recording every call; answers touches as told.
class RecordingInterface final : public game::Interface {
public:
    void autoPauseGame() override { log().add("interface.autoPauseGame"); }
    void showSeasonsButton(bool show) override {
        log().add(std::string("interface.showSeasonsButton ") + (show ? "YES" : "NO"));
    }
    void HiddenMainMenu(int value) override {
        log().add("interface.HiddenMainMenu " + std::to_string(value));
    }
    void showMainMenu() override { log().add("interface.showMainMenu"); }
    void showTransferPPView() override { log().add("interface.showTransferPPView"); }
    int curUIState() override { return uiState; }

    void initInterface(int state) override { log().add("interface.init " + std::to_string(state)); }
    void removeInterface(int state) override {
        log().add("interface.remove " + std::to_string(state));
    }
    void update() override { log().add("interface.update"); }
    bool handleTouchesBegan(ui::TouchSet&, ui::Event*) override { return touch("began"); }
    bool handleTouchesMoved(ui::TouchSet&, ui::Event*) override { return touch("moved"); }
    bool handleTouchesEnded(ui::TouchSet&, ui::Event*) override { return touch("ended"); }
    bool handleTouchesCancelled(ui::TouchSet&, ui::Event*) override { return touch("cancelled"); }
    bool handleDoubleTap(ui::TouchSet&, ui::Event*) override {
        log().add("interface.doubletap");
        return takesDoubleTap;
    }
    bool handleChangeTextField(ui::TextField&, ui::TextRange, std::string const& text) override {
        log().add("interface.change " + text);
        return takesText;
    }
    bool handleEndTextField(ui::TextField&) override {
        log().add("interface.endtext");
        return takesText;
    }

    int uiState {0};
    bool takesTouches {false};
    bool takesDoubleTap {false};
    bool takesText {false};

private:
    friend base::Factory;
    RecordingInterface(game::MainLayer* layer, CallLog& log)
        : Interface(layer)
        , log_(log) { }

    CallLog& log() { return log_; }
    bool touch(std::string const& phase) {
        log().add("interface." + phase);
        return takesTouches;
    }

    CallLog& log_;
};

// The real main menu, recording its starts, frames and release.
class RecordingMainMenu final : public game::MainMenu {
public:
    void start(int state) override {
        MainMenu::start(state);
        log_.add("menu.start " + std::to_string(state));
    }
    void update() override {
        log_.add("menu.update");
        MainMenu::update();
    }

    ~RecordingMainMenu() override { log_.add("menu.released"); }

private:
    friend base::Factory;
    explicit RecordingMainMenu(CallLog& log)
        : log_(log) { }

    CallLog& log_;
};

// The salon, recording every call; its room takes loadingSteps calls of loading.
class RecordingShop final : public game::Shop {
public:
    bool loading() override {
        log_.add("shop.loading");
        return ++loaded_ >= loadingSteps;
    }
    void update() override { log_.add("shop.update"); }
    void cleanup() override { log_.add("shop.cleanup"); }
    bool handleTouchesBegan(ui::TouchSet&, ui::Event*) override { return touch("began"); }
    bool handleTouchesMoved(ui::TouchSet&, ui::Event*) override { return touch("moved"); }
    bool handleTouchesEnded(ui::TouchSet&, ui::Event*) override { return touch("ended"); }
    bool handleTouchesCancelled(ui::TouchSet&, ui::Event*) override { return touch("cancelled"); }
    bool handleDoubleTap(ui::TouchSet&, ui::Event*) override { return touch("doubletap"); }

    ~RecordingShop() override { log_.add("shop.released"); }

    int loadingSteps {2};
    bool takesTouches {false};

private:
    friend base::Factory;
    RecordingShop(game::MainLayer* layer, CallLog& log)
        : Shop(layer)
        , log_(log) { }

    bool touch(std::string const& phase) {
        log_.add("shop." + phase);
        return takesTouches;
    }

    CallLog& log_;
    int loaded_ {0};
};

class RecordingRootViewController final : public game::RootViewController {
public:
    void showInAppPurchase() override { log_.add("root.showInAppPurchase"); }
    void showBountixOffers() override { log_.add("root.showBountixOffers"); }
    void showBountixFeaturedApp() override { log_.add("root.showBountixFeaturedApp"); }
    void showAchievements() override { log_.add("root.showAchievements"); }
    void showWebPage(std::string const& address) override {
        log_.add("root.showWebPage " + address);
    }
    void showDownloadPage() override { log_.add("root.showDownloadPage"); }

private:
    friend base::Factory;
    explicit RecordingRootViewController(CallLog& log)
        : log_(log) { }

    CallLog& log_;
};

// Makes the recording stand-ins and records the services the shell asks for.
class RecordingServices final : public game::ShellServices {
public:
    explicit RecordingServices(CallLog& log)
        : log_(log) { }

    base::Ref<game::Interface> makeInterface(game::MainLayer* layer) override {
        log_.add("make interface");
        auto made = base::make<RecordingInterface>(layer, log_);
        interface = made.get();
        return made;
    }
    base::Ref<game::MainMenu> makeMainMenu() override {
        log_.add("make menu");
        return base::make<RecordingMainMenu>(log_);
    }
    base::Ref<game::Shop> makeShop(game::MainLayer* layer) override {
        log_.add("make shop");
        auto made = base::make<RecordingShop>(layer, log_);
        made->loadingSteps = shopLoadingSteps;
        made->takesTouches = shopTakesTouches;
        shop = made.get();
        return made;
    }
    void checkDailyBonus() override { log_.add("checkDailyBonus"); }
    void logEvent(std::string const& name, base::Ref<base::Dictionary> parameters) override {
        std::string text = "event " + name;
        if (parameters) {
            for (auto const& [key, value] : *parameters)
                text += " " + key + "=" + value.stringValue();
        }
        log_.add(text);
    }
    void startSession(std::string const& key) override { log_.add("analytics.start " + key); }
    void logError(std::string const& name, std::string const& message) override {
        log_.add("analytics.error " + name + " " + message);
    }
    base::Ref<ui::ViewController> makeLuckyWheelViewController() override {
        log_.add("make wheel");
        return ui::ViewController::create();
    }
    base::Ref<ui::ViewController> makeAchievementsViewController() override {
        log_.add("make achievements");
        return ui::ViewController::create();
    }
    base::Ref<ui::ViewController> makeDLCViewController() override {
        log_.add("make dlc");
        return ui::ViewController::create();
    }

    // Not held here, so that the shell alone decides when they go.
    base::WeakRef<RecordingInterface> interface;
    base::WeakRef<RecordingShop> shop;
    int shopLoadingSteps {2};
    bool shopTakesTouches {false};

private:
    CallLog& log_;
};

// Writes an XML property list of a dictionary of strings or of dictionaries of numbers.
void writePlist(std::filesystem::path const& path, base::Dictionary const& list);
// A small opaque picture.
void writePicture(std::filesystem::path const& path, int width, int height);

// A fresh bundle folder, sandbox, user defaults, engine and sound singletons and game-wide
// state for each test, under a manual clock with loopback sound; the recording services
// installed. The bundle holds a small game: two sounds, two effect sheets, a character list
// of every type (with a pony and a special sheet), the loading screen's pictures.
class ShellStateTest : public ::testing::Test {
protected:
    ShellStateTest();
    ~ShellStateTest() override;

    // The director attached to a window of the phone's (or the tablet's) screen.
    void attachDirector(bool pad = false);
    // One frame of the main run loop (the director draws one frame a 1/60 s).
    static void frame(int count = 1);
    // Frames until the condition holds, at most limit; false when it never did.
    static bool frameUntil(std::function<bool()> const& condition, int limit = 600);
    // Every engine and game singleton back to new.
    static void resetSingletons();

    std::filesystem::path bundlePath(std::string const& name) const { return bundle / name; }

    foundation::ScopedManualClock clock;
    LoopbackOutput loopback;
    TempDir dir;
    std::filesystem::path bundle {dir / "bundle"};
    CallLog log;
    RecordingServices services {log};
    base::Ref<ui::Window> window;
};

}
