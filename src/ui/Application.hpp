#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <base/WeakRef.hpp>
#include <graphics/Forward.hpp>
#include <ui/Responder.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace ui {

// What the program tells its delegate about its life: launched, active, about to
// resign, in the background and back, terminating, short of memory, asked to open
// a URL. Every operation is optional.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;

    virtual void applicationDidFinishLaunching(Application&) { }
    virtual void applicationDidBecomeActive(Application&) { }
    virtual void applicationWillResignActive(Application&) { }
    virtual void applicationDidEnterBackground(Application&) { }
    virtual void applicationWillEnterForeground(Application&) { }
    virtual void applicationWillTerminate(Application&) { }
    virtual void applicationDidReceiveMemoryWarning(Application&) { }
    virtual bool applicationHandleOpenURL(Application&, std::string const&) { return false; }
    // A key pressed while nothing edits text (no first responder): the program's own
    // shortcuts. Key releases do not come here.
    virtual void applicationKeyPressed(Application&, graphics::KeyEvent const&) { }
};

// The status-bar orientations, numbered as the platform numbers them.
enum class InterfaceOrientation {
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeRight = 3,
    LandscapeLeft = 4,
};

// The running program as the view system sees it: its delegate, its windows, the
// key window, and the few device-wide settings the game touches. One per process;
// main thread only. The program's runner (the window loop or the headless demo)
// drives the life-cycle calls; tests call them directly.
class Application final : public Responder {
public:
    static constexpr char const* DidReceiveMemoryWarningNotification
        = "UIApplicationDidReceiveMemoryWarningNotification";
    // Posted by finishLaunching, becomeActive, resignActive and terminate after the
    // delegate heard them.
    static constexpr char const* DidFinishLaunchingNotification
        = "UIApplicationDidFinishLaunchingNotification";
    static constexpr char const* DidBecomeActiveNotification
        = "UIApplicationDidBecomeActiveNotification";
    static constexpr char const* WillResignActiveNotification
        = "UIApplicationWillResignActiveNotification";
    static constexpr char const* WillTerminateNotification
        = "UIApplicationWillTerminateNotification";
    // Posted by enterBackground and enterForeground after the delegate heard them.
    static constexpr char const* DidEnterBackgroundNotification
        = "UIApplicationDidEnterBackgroundNotification";
    static constexpr char const* WillEnterForegroundNotification
        = "UIApplicationWillEnterForegroundNotification";

    // Background tasks: work the program asks to finish after it left the
    // foreground. Nothing suspends the program here, so a task only ends when its
    // owner ends it, or when expireBackgroundTasks (the runner's shutdown, tests)
    // calls the expiration handlers.
    using BackgroundTaskIdentifier = std::uint64_t;
    static constexpr BackgroundTaskIdentifier BackgroundTaskInvalid = 0;

    static Application& sharedApplication();
    // Drops windows, delegate and settings (tests).
    static void reset();

    ApplicationDelegate* delegate() const { return delegate_; }
    void setDelegate(ApplicationDelegate* delegate) { delegate_ = delegate; }

    Window* keyWindow() const;
    void setKeyWindow(Window* window);
    std::vector<Window*> windows() const;

    // Hands an event to the windows of its touches.
    void sendEvent(Event* event);
    // Hands keyboard input to the first responder: typed text as insertText, the
    // return key as insertText("\n"), backspace and delete as deleteBackward. Key
    // releases and other keys are dropped. With no first responder, a pressed key goes
    // to the delegate's applicationKeyPressed.
    void sendKeyEvent(graphics::KeyEvent const& event);
    void sendTextEvent(graphics::TextEvent const& event);

    // Life cycle, as the runner reports it to the delegate.
    void finishLaunching();
    void becomeActive();
    void resignActive();
    void enterBackground();
    void enterForeground();
    void terminate();
    // Tells the delegate, then posts DidReceiveMemoryWarningNotification on the
    // default centre, which every view controller observes.
    void receiveMemoryWarning();
    bool openURL(std::string const& url);
    bool isActive() const { return active_; }

    InterfaceOrientation statusBarOrientation() const { return statusBarOrientation_; }
    void setStatusBarOrientation(InterfaceOrientation orientation) {
        statusBarOrientation_ = orientation;
    }
    bool isStatusBarHidden() const { return statusBarHidden_; }
    void setStatusBarHidden(bool hidden) { statusBarHidden_ = hidden; }
    bool isIdleTimerDisabled() const { return idleTimerDisabled_; }
    void setIdleTimerDisabled(bool disabled) { idleTimerDisabled_ = disabled; }
    int applicationIconBadgeNumber() const { return badgeNumber_; }
    void setApplicationIconBadgeNumber(int number) { badgeNumber_ = number; }
    bool isNetworkActivityIndicatorVisible() const { return networkActivityVisible_; }
    void setNetworkActivityIndicatorVisible(bool visible) { networkActivityVisible_ = visible; }

    // Opening an outside URL (the store, a web page) cannot leave the program here:
    // the request is recorded so callers and tests can see it.
    void openExternalURL(std::string const& url) { openedURLs_.push_back(url); }
    std::vector<std::string> const& openedExternalURLs() const { return openedURLs_; }
    // Whether an installed program takes the URL: the web's "http" and "https", and the
    // schemes that installed programs registered (tests install a companion program
    // with setCanOpenScheme). Every question is recorded.
    bool canOpenURL(std::string const& url);
    void setCanOpenScheme(std::string const& scheme, bool canOpen);
    std::vector<std::string> const& canOpenURLQueries() const { return canOpenQueries_; }

    BackgroundTaskIdentifier beginBackgroundTask(std::function<void()> expirationHandler);
    // An unknown or already ended identifier does nothing.
    void endBackgroundTask(BackgroundTaskIdentifier identifier);
    std::size_t backgroundTaskCount() const { return backgroundTasks_.size(); }
    // Calls the expiration handler of every running task (each once).
    void expireBackgroundTasks();

private:
    friend class Window;
    void registerWindow(Window* window);

    ApplicationDelegate* delegate_ {nullptr};
    base::WeakRef<Window> keyWindow_;
    std::vector<base::WeakRef<Window>> windows_;
    std::vector<std::string> openedURLs_;
    std::set<std::string> openableSchemes_ {"http", "https"};
    std::vector<std::string> canOpenQueries_;
    std::map<BackgroundTaskIdentifier, std::function<void()>> backgroundTasks_;
    BackgroundTaskIdentifier lastBackgroundTask_ {BackgroundTaskInvalid};
    InterfaceOrientation statusBarOrientation_ {InterfaceOrientation::Portrait};
    int badgeNumber_ {0};
    bool active_ {false};
    bool statusBarHidden_ {false};
    bool idleTimerDisabled_ {false};
    bool networkActivityVisible_ {false};

    friend base::Factory;

    Application() = default;
};

}
