#pragma once

#include <ads/adnoria/ADNDelegateManager.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <ui/MailComposeViewController.hpp>
#include <ui/WebView.hpp>

#include <string>

namespace ui {
class ViewController;
class WebView;
}

namespace ads::adnoria {

class ADNNotification;

// Carries out the ad actions that open something outside the ad's own web view:
// the in-app browser, a full-screen web app, the mail composer for "mailto" links,
// and another application (through the application's URL opening) for the rest. Leaving the
// application waits, up to three times 0.3 s on the run loop, for click pings still running. The
// view controller and the opening web view are not retained. Main thread.
class ADNOpener final : public base::Object, private ui::MailComposeViewControllerDelegate {
public:
    static constexpr int MaximumWaits = 3;
    static constexpr double WaitSeconds = 0.3;

    static base::Ref<ADNOpener> create() { return base::make<ADNOpener>(); }

    ADNDelegateManager* delegateManager() const { return delegateManager_.get(); }
    void setDelegateManager(base::Ref<ADNDelegateManager> manager) {
        delegateManager_ = std::move(manager);
    }
    ui::ViewController* viewController() const { return viewController_.get(); }
    void setViewController(ui::ViewController* controller) { viewController_ = controller; }
    std::string const& referringURL() const { return referringURL_; }
    void setReferringURL(std::string url) { referringURL_ = std::move(url); }
    ui::WebView* openingWebView() const { return openingWebView_.get(); }
    void setOpeningWebView(ui::WebView* view) { openingWebView_ = view; }

    void openNotification(ADNNotification const& notification);
    void openBrowserToURL(std::string const& url, int supportedOrientations);
    void openWebApp(std::string const& url, int supportedOrientations);
    void openWebAppWithHTML(std::string const& html, int supportedOrientations);
    // Nothing for an empty URL.
    void openApp(std::string const& url);
    void openEmailComposer(std::string const& url);

    // The process-wide count of waits for running pings (tests).
    static int waitCount();
    static void resetWaitCount();

private:
    friend base::Factory;
    ADNOpener() = default;

    void didFinishWithResult(ui::MailComposeViewController& controller,
        ui::MailComposeResult result, std::optional<foundation::URLError> const& error) override;

    base::Ref<ADNDelegateManager> delegateManager_;
    base::WeakRef<ui::ViewController> viewController_;
    std::string referringURL_;
    base::WeakRef<ui::WebView> openingWebView_;
    // The composer's delegate is this opener: it stays until the composer has ended.
    base::Ref<ADNOpener> composing_;
};

}
