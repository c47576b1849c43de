#include <foundation/NotificationCenter.hpp>
#include <graphics/Event.hpp>
#include <ui/Application.hpp>
#include <ui/Touch.hpp>
#include <ui/Window.hpp>

#include <algorithm>

namespace ui {

namespace {

base::Ref<Application>& instance() {
    static base::Ref<Application> application = base::make<Application>();
    return application;
}

}

Application& Application::sharedApplication() {
    return *instance();
}

void Application::reset() {
    instance() = base::make<Application>();
}

Window* Application::keyWindow() const {
    return keyWindow_.get();
}

void Application::setKeyWindow(Window* window) {
    keyWindow_ = window;
}

void Application::registerWindow(Window* window) {
    std::erase_if(windows_, [](auto const& w) { return !w; });
    windows_.emplace_back(window);
}

std::vector<Window*> Application::windows() const {
    std::vector<Window*> result;
    for (auto const& window : windows_) {
        if (window)
            result.push_back(window.get());
    }
    return result;
}

void Application::sendEvent(Event* event) {
    std::vector<Window*> targets;
    for (auto const& touch : event->allTouches()) {
        Window* window = touch->window();
        if (window && std::find(targets.begin(), targets.end(), window) == targets.end())
            targets.push_back(window);
    }
    for (Window* window : targets) {
        base::Ref<Window> keep(window);
        window->sendEvent(event);
    }
}

void Application::finishLaunching() {
    if (delegate_)
        delegate_->applicationDidFinishLaunching(*this);
    foundation::NotificationCenter::defaultCenter().postNotification(
        DidFinishLaunchingNotification, this);
}

void Application::becomeActive() {
    active_ = true;
    if (delegate_)
        delegate_->applicationDidBecomeActive(*this);
    foundation::NotificationCenter::defaultCenter().postNotification(
        DidBecomeActiveNotification, this);
}

void Application::resignActive() {
    if (delegate_)
        delegate_->applicationWillResignActive(*this);
    foundation::NotificationCenter::defaultCenter().postNotification(
        WillResignActiveNotification, this);
    active_ = false;
}

void Application::enterBackground() {
    if (delegate_)
        delegate_->applicationDidEnterBackground(*this);
    foundation::NotificationCenter::defaultCenter().postNotification(
        DidEnterBackgroundNotification, this);
}

void Application::enterForeground() {
    if (delegate_)
        delegate_->applicationWillEnterForeground(*this);
    foundation::NotificationCenter::defaultCenter().postNotification(
        WillEnterForegroundNotification, this);
}

void Application::terminate() {
    if (delegate_)
        delegate_->applicationWillTerminate(*this);
    foundation::NotificationCenter::defaultCenter().postNotification(
        WillTerminateNotification, this);
}

Application::BackgroundTaskIdentifier Application::beginBackgroundTask(
    std::function<void()> expirationHandler) {
    auto identifier = ++lastBackgroundTask_;
    backgroundTasks_.emplace(identifier, std::move(expirationHandler));
    return identifier;
}

void Application::endBackgroundTask(BackgroundTaskIdentifier identifier) {
    backgroundTasks_.erase(identifier);
}

void Application::expireBackgroundTasks() {
    auto tasks = std::exchange(backgroundTasks_, {});
    for (auto& [identifier, handler] : tasks) {
        if (handler)
            handler();
    }
}

void Application::receiveMemoryWarning() {
    if (delegate_)
        delegate_->applicationDidReceiveMemoryWarning(*this);
    foundation::NotificationCenter::defaultCenter().postNotification(
        DidReceiveMemoryWarningNotification, this);
}

void Application::sendKeyEvent(graphics::KeyEvent const& event) {
    base::Ref<Responder> responder(firstResponder());
    if (!event.down)
        return;
    if (!responder) {
        if (delegate_)
            delegate_->applicationKeyPressed(*this, event);
        return;
    }
    switch (event.key) {
    case graphics::KeyEvent::Return:
        responder->insertText("\n");
        break;
    case graphics::KeyEvent::Backspace:
    case graphics::KeyEvent::Delete:
        responder->deleteBackward();
        break;
    default:
        break;
    }
}

void Application::sendTextEvent(graphics::TextEvent const& event) {
    base::Ref<Responder> responder(firstResponder());
    if (responder && !event.text.empty())
        responder->insertText(event.text);
}

bool Application::canOpenURL(std::string const& url) {
    canOpenQueries_.push_back(url);
    auto colon = url.find(':');
    if (colon == std::string::npos)
        return false;
    std::string scheme;
    for (char c : url.substr(0, colon))
        scheme += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return openableSchemes_.contains(scheme);
}

void Application::setCanOpenScheme(std::string const& scheme, bool canOpen) {
    if (canOpen)
        openableSchemes_.insert(scheme);
    else
        openableSchemes_.erase(scheme);
}

bool Application::openURL(std::string const& url) {
    return delegate_ && delegate_->applicationHandleOpenURL(*this, url);
}

}
