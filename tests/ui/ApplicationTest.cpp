#include <foundation/NotificationCenter.hpp>
#include <graphics/Event.hpp>
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
    void applicationKeyPressed(ui::Application&, graphics::KeyEvent const& event) override {
        keys.push_back(event.key);
    }
    std::vector<std::int32_t> keys;
};

// A view that edits text: it takes the keys while it is the first responder.
struct Editor : ui::View {
    bool canBecomeFirstResponder() const override { return true; }
    void insertText(std::string const& text) override { typed += text; }
    std::string typed;

private:
    friend base::Factory;

    Editor() = default;
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

TEST(Application, KeysGoToTheDelegateOnlyWhileNothingEditsText) {
    ui::Application::reset();
    auto& app = ui::Application::sharedApplication();
    Delegate delegate;
    app.setDelegate(&delegate);
    app.sendKeyEvent({true, 'a', false, 0});
    app.sendKeyEvent({false, 'a', false, 0});
    app.sendKeyEvent({true, graphics::KeyEvent::Return, false, 0});
    EXPECT_EQ(delegate.keys, (std::vector<std::int32_t> {'a', graphics::KeyEvent::Return}));

    auto window = ui::Window::create(graphics::makeRect(0, 0, 100, 100));
    auto editor = base::make<Editor>();
    window->addSubview(editor);
    ASSERT_TRUE(editor->becomeFirstResponder());
    app.sendKeyEvent({true, 'b', false, 0});
    app.sendKeyEvent({true, graphics::KeyEvent::Return, false, 0});
    EXPECT_EQ(delegate.keys.size(), 2u) << "an editor's keys are its own";
    EXPECT_EQ(editor->typed, "\n");

    editor->resignFirstResponder();
    app.sendKeyEvent({true, 'c', false, 0});
    EXPECT_EQ(delegate.keys.back(), 'c');
    app.setDelegate(nullptr);
    app.sendKeyEvent({true, 'd', false, 0});
    EXPECT_EQ(delegate.keys.back(), 'c');
}

namespace {

TEST(Application, PostsItsActivityNotificationsAfterTellingTheDelegate) {
    ui::Application::reset();
    auto& app = ui::Application::sharedApplication();
    Delegate delegate;
    app.setDelegate(&delegate);
    std::vector<std::string> heard;
    auto& center = foundation::NotificationCenter::defaultCenter();
    std::vector<foundation::ObservationToken> tokens;
    for (char const* name : {ui::Application::DidFinishLaunchingNotification,
             ui::Application::DidBecomeActiveNotification,
             ui::Application::WillResignActiveNotification,
             ui::Application::DidEnterBackgroundNotification,
             ui::Application::WillEnterForegroundNotification,
             ui::Application::WillTerminateNotification}) {
        tokens.push_back(center.observe(name, [&, name](foundation::Notification const& posted) {
            EXPECT_EQ(posted.object(), &app);
            heard.push_back(name + std::string(" after ") + delegate.calls.back());
        }));
    }
    app.finishLaunching();
    app.becomeActive();
    app.resignActive();
    app.enterBackground();
    app.enterForeground();
    app.terminate();
    EXPECT_EQ(heard,
        std::vector<std::string>({"UIApplicationDidFinishLaunchingNotification after launch",
            "UIApplicationDidBecomeActiveNotification after active",
            "UIApplicationWillResignActiveNotification after resign",
            "UIApplicationDidEnterBackgroundNotification after background",
            "UIApplicationWillEnterForegroundNotification after foreground",
            "UIApplicationWillTerminateNotification after terminate"}));
    app.setDelegate(nullptr);
}

TEST(Application, BackgroundTasksEndOnceByTheirOwnerOrByExpiring) {
    ui::Application::reset();
    auto& app = ui::Application::sharedApplication();
    int expired = 0;
    auto first = app.beginBackgroundTask([&] { ++expired; });
    auto second = app.beginBackgroundTask([&] { expired += 10; });
    EXPECT_NE(first, ui::Application::BackgroundTaskInvalid);
    EXPECT_NE(first, second);
    EXPECT_EQ(app.backgroundTaskCount(), 2u);
    app.endBackgroundTask(first);
    app.endBackgroundTask(first);
    app.endBackgroundTask(ui::Application::BackgroundTaskInvalid);
    EXPECT_EQ(app.backgroundTaskCount(), 1u);
    app.expireBackgroundTasks();
    app.expireBackgroundTasks();
    EXPECT_EQ(expired, 10);
    EXPECT_EQ(app.backgroundTaskCount(), 0u);
}

}
