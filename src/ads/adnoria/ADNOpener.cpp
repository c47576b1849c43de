#include <ads/adnoria/ADNOpener.hpp>

#include <ads/adnoria/ADNBrowserController.hpp>
#include <ads/adnoria/ADNClickTracker.hpp>
#include <ads/adnoria/ADNNetworkUtilities.hpp>
#include <ads/adnoria/ADNNotification.hpp>
#include <ads/adnoria/ADNStatistics.hpp>
#include <ads/adnoria/ADNWebAppViewController.hpp>

#include <foundation/Perform.hpp>
#include <foundation/Strings.hpp>
#include <ui/Application.hpp>
#include <ui/ViewController.hpp>

namespace ads::adnoria {

namespace {

int waits = 0;

std::vector<std::string> addressList(base::Dictionary const& query, char const* key) {
    auto const* value = query.find(key);
    if (!value || !value->string())
        return {};
    return foundation::componentsSeparatedBy(*value->string(), ",");
}

}

int ADNOpener::waitCount() {
    return waits;
}

void ADNOpener::resetWaitCount() {
    waits = 0;
}

void ADNOpener::openNotification(ADNNotification const& notification) {
    auto const& parameters = notification.parameters();
    if (!parameters)
        return;
    auto kind = parameters->objectForKey("a").stringValue();
    auto url = parameters->objectForKey("u").stringValue();
    auto html = parameters->objectForKey("html").stringValue();
    if (url.empty() && (html.empty() || kind != "webapp"))
        return;
    if (!url.empty())
        url = ADNStatistics::sharedStatistics().urlForClick(url);
    auto const& orientation = parameters->objectForKey("o").stringValue();
    int orientations = orientation == "p" ? ADNViewController::Portrait
        : orientation == "l"              ? ADNViewController::Landscape
                                          : ADNViewController::Any;
    if (kind == "browser" || kind == "video") {
        openBrowserToURL(url, orientations);
    } else if (kind == "webapp") {
        if (!url.empty())
            openWebApp(url, orientations);
        else
            openWebAppWithHTML(html, orientations);
    } else {
        openApp(url);
    }
}

void ADNOpener::openBrowserToURL(std::string const& url, int supportedOrientations) {
    auto browser = ADNBrowserController::create();
    browser->setSupportedOrientations(supportedOrientations);
    browser->setOpeningWebView(openingWebView());
    browser->load(url, referringURL_);
    if (delegateManager_)
        browser->setDelegateManager(delegateManager_);
    browser->presentFromViewController(viewController());
}

void ADNOpener::openWebApp(std::string const& url, int supportedOrientations) {
    auto webApp = ADNWebAppViewController::create();
    webApp->setSupportedOrientations(supportedOrientations);
    webApp->setOpeningWebView(openingWebView());
    if (delegateManager_)
        webApp->setDelegateManager(delegateManager_);
    webApp->load(url);
    webApp->presentFromViewController(viewController());
}

void ADNOpener::openWebAppWithHTML(std::string const& html, int supportedOrientations) {
    auto webApp = ADNWebAppViewController::create();
    webApp->setSupportedOrientations(supportedOrientations);
    webApp->setOpeningWebView(openingWebView());
    if (delegateManager_)
        webApp->setDelegateManager(delegateManager_);
    webApp->loadHTML(html);
    webApp->presentFromViewController(viewController());
}

void ADNOpener::openApp(std::string const& url) {
    if (url.empty())
        return;
    if (ADNClickTracker::activeTrackings() && waits < MaximumWaits) {
        ++waits;
        base::Ref<ADNOpener> keep(this);
        foundation::performAfterDelay(
            this, [keep, url] { keep->openApp(url); }, WaitSeconds);
        return;
    }
    waits = 0;
    if (delegateManager_)
        delegateManager_->willLeaveApplication();
    foundation::performAfterDelay(
        nullptr, [url] { ui::Application::sharedApplication().openExternalURL(url); }, 0);
}

void ADNOpener::openEmailComposer(std::string const& url) {
    constexpr std::string_view prefix = "mailto:";
    std::string rest = url.size() > prefix.size() ? url.substr(prefix.size()) : std::string();
    std::string recipient = rest;
    auto query = base::Dictionary::create();
    if (auto question = rest.find('?'); question != std::string::npos) {
        recipient = rest.substr(0, question);
        query = ADNNetworkUtilities::dictionaryFromQueryString(
            std::string_view(rest).substr(question + 1));
    }
    auto composer = ui::MailComposeViewController::create();
    composer->setMailComposeDelegate(this);
    composer->setToRecipients({recipient});
    composer->setCcRecipients(addressList(*query, "cc"));
    composer->setBccRecipients(addressList(*query, "bcc"));
    composer->setSubject(query->objectForKey("subject").stringValue());
    composer->setMessageBody(query->objectForKey("body").stringValue(), false);
    composer->setModalTransitionStyle(ui::ModalTransitionStyle::CoverVertical);
    if (auto* controller = viewController_.get()) {
        composing_ = base::Ref<ADNOpener>(this);
        controller->presentModalViewController(composer, true);
    }
}

void ADNOpener::didFinishWithResult(ui::MailComposeViewController& controller,
    ui::MailComposeResult, std::optional<foundation::URLError> const&) {
    controller.setMailComposeDelegate(nullptr);
    controller.dismissModalViewController(true);
    composing_ = nullptr;
}

}
