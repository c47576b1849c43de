#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Delegate : ui::ApplicationDelegate {
    std::vector<std::string> calls;
    void applicationDidFinishLaunching(ui::Application&) override { calls.push_back("launch"); }
    void applicationDidBecomeActive(ui::Application& app) override {
        calls.push_back(app.isActive() ? "active" : "active?");
    }
    void applicationWillResignActive(ui::Application&) override { calls.push_back("resign"); }
    void applicationDidEnterBackground(ui::Application&) override { calls.push_back("background"); }
    void applicationWillEnterForeground(ui::Application&) override {
        calls.push_back("foreground");
    }
    void applicationWillTerminate(ui::Application&) override { calls.push_back("terminate"); }
    bool applicationHandleOpenURL(ui::Application&, std::string const& url) override {
        return url.ends_with("rvcoffer");
    }
};

}

TEST(Application, ReportsTheLifeCycleToItsDelegate) {
    ui::Application::reset();
    auto& app = ui::Application::sharedApplication();
    Delegate delegate;
    app.setDelegate(&delegate);
    app.finishLaunching();
    app.becomeActive();
    app.resignActive();
    app.enterBackground();
    app.enterForeground();
    app.becomeActive();
    app.terminate();
    EXPECT_EQ(delegate.calls,
        (std::vector<std::string> {
            "launch", "active", "resign", "background", "foreground", "active", "terminate"}));
    EXPECT_TRUE(app.openURL("quillaby://x/rvcoffer"));
    EXPECT_FALSE(app.openURL("quillaby://other"));
    app.setDelegate(nullptr);
    EXPECT_FALSE(app.openURL("quillaby://x/rvcoffer"));
}

TEST(Application, KeepsItsWindowsWeaklyAndKnowsTheKeyWindow) {
    ui::Application::reset();
    auto& app = ui::Application::sharedApplication();
    auto window = ui::Window::create(graphics::makeRect(0, 0, 480, 320));
    EXPECT_TRUE(window->isHidden());
    window->makeKeyAndVisible();
    EXPECT_FALSE(window->isHidden());
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(app.windows().size(), 1u);
    window = nullptr;
    EXPECT_EQ(app.keyWindow(), nullptr);
    EXPECT_TRUE(app.windows().empty());
}
