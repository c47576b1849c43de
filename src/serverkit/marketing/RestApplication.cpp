#include <serverkit/marketing/RestApplication.hpp>

#include <ui/AlertView.hpp>
#include <ui/Application.hpp>

namespace serverkit {

void RestApplication::install() {
    static RestApplication application;
    RLApplication::setShared(&application);
}

RestApplication::BackgroundTaskIdentifier RestApplication::beginBackgroundTask(
    std::function<void()> expirationHandler) {
    return ui::Application::sharedApplication().beginBackgroundTask(std::move(expirationHandler));
}

void RestApplication::endBackgroundTask(BackgroundTaskIdentifier identifier) {
    ui::Application::sharedApplication().endBackgroundTask(identifier);
}

void RestApplication::setNetworkActivityIndicatorVisible(bool visible) {
    ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(visible);
}

void RestApplication::showAlert(
    std::string const& title, std::string const& message, std::string const& cancelButton) {
    ui::AlertView::create(title, message, nullptr, cancelButton)->show();
}

}
