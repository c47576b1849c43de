#pragma once

#include <ads/adnoria/ADNClickTracker.hpp>
#include <ads/adnoria/ADNOpener.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <base/WeakRef.hpp>
#include <ui/Application.hpp>
#include <ui/WebView.hpp>

#include <functional>
#include <string>
#include <vector>

namespace ads::adnoria {

class ADNBrowserController;
class ADNObjectPrivate;
class ADNWebAppViewController;

// Watches every navigation of an ad web view and turns the page's bridge URLs
// ("anmsg" and "adnoria") into actions: clicks and tracking pings, closing,
// logging, opening, touch signals, vibration, the check of openable URLs; any
// other message is re-posted under its own name on the ad client's centre on the
// next run-loop turn, with the web view as sender. Every navigation that is not a
// plain load of the page itself is announced as "didReceiveWebAction". Script from
// one page into the page that opened it ("evalInOpener") is refused and logged: a
// landing page must not run script in the ad's own page.
//
// Owns its opener and its click tracker; the view controller and the opening web
// view are not retained. Main thread.
class ADNWebViewDelegate : public base::Object, public ui::WebViewDelegate {
public:
    static constexpr char const* DidReceiveWebActionNotification = "didReceiveWebAction";

    static base::Ref<ADNWebViewDelegate> create();
    ~ADNWebViewDelegate() override;

    ADNOpener& opener() const { return *opener_; }
    ui::ViewController* viewController() const { return viewController_.get(); }
    void setViewController(ui::ViewController* controller) { viewController_ = controller; }
    ui::WebView* openingWebView() const { return openingWebView_.get(); }
    void setOpeningWebView(ui::WebView* view) { openingWebView_ = view; }
    ADNClickTracker* tracker() const { return tracker_.get(); }

    // The script that tells a page its orientation; empty for an unknown one.
    static std::string orientationScript(ui::InterfaceOrientation orientation);
    static void notifyWebViewOfOrientationChange(
        ui::WebView& webView, ui::InterfaceOrientation orientation);

    bool shouldStartLoadWithRequest(ui::WebView& webView, foundation::URLRequest const& request,
        ui::WebViewNavigationType type) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;

    void processTouchSignals(base::Dictionary const& parameters);
    void trackURLString(std::string const& url, bool appendSpamSignals);
    void processCanOpenURLs(std::vector<std::string> const& urls, ui::WebView& webView);
    // The entry's integer value, -1 when the key is missing.
    static int intForKey(std::string_view key, base::Dictionary const& dictionary);

    // What "vibrate" does; the machine has no vibrator, so by default nothing.
    using VibrateHandler = std::function<void()>;
    static void setVibrateHandler(VibrateHandler handler);

protected:
    ADNWebViewDelegate();

private:
    friend base::Factory;

    base::Ref<ADNOpener> opener_;
    base::Ref<ADNClickTracker> tracker_;
    base::WeakRef<ui::ViewController> viewController_;
    base::WeakRef<ui::WebView> openingWebView_;
};

// The delegate of a banner's or interstitial's ad web view: on top of the bridge,
// it moves the loading controller to "ad ready" (and reports the ad, and pings a
// banner's impressions) when the page has loaded, or to "failed" when it fails, and treats every
// navigation of a ready ad as a click: click pings go out and the navigation itself is refused (the
// ad never navigates away). Keeps a plain pointer to the controller, which owns it.
class ADNBannerWebViewDelegate final : public ADNWebViewDelegate {
public:
    static base::Ref<ADNBannerWebViewDelegate> initWithObjectPrivate(ADNObjectPrivate& controller);
    ~ADNBannerWebViewDelegate() override;

    ADNObjectPrivate* objectPrivate() const { return private_; }

    bool shouldStartLoadWithRequest(ui::WebView& webView, foundation::URLRequest const& request,
        ui::WebViewNavigationType type) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void didFailLoadWithError(ui::WebView& webView, foundation::URLError const& error) override;

private:
    friend base::Factory;
    ADNBannerWebViewDelegate() = default;

    ADNObjectPrivate* private_ {nullptr};
};

// The in-app browser's delegate: times the page loads, counts the pages the user
// follows (plain and secure) and keeps the toolbar in step. The browser is not
// retained.
class ADNBrowserWebViewDelegate final : public ADNWebViewDelegate {
public:
    static base::Ref<ADNBrowserWebViewDelegate> initWithBrowserController(
        ADNBrowserController& controller);

    bool shouldStartLoadWithRequest(ui::WebView& webView, foundation::URLRequest const& request,
        ui::WebViewNavigationType type) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void didFailLoadWithError(ui::WebView& webView, foundation::URLError const& error) override;

private:
    friend base::Factory;
    ADNBrowserWebViewDelegate() = default;

    base::WeakRef<ADNBrowserController> browserController_;
};

// The web app's delegate: times the page loads, removes the spinner when the first
// page has loaded, and sends "onshow" once, when the page has loaded and the
// controller has appeared, whichever comes last. The web app is not retained.
class ADNWebAppWebViewDelegate final : public ADNWebViewDelegate {
public:
    static base::Ref<ADNWebAppWebViewDelegate> initWithWebApp(ADNWebAppViewController& controller);

    bool pendingOnShow() const { return pendingOnShow_; }
    void setPendingOnShow(bool pending);
    bool calledOnShow() const { return calledOnShow_; }
    void postOnShowEvent();

    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;

private:
    friend base::Factory;
    ADNWebAppWebViewDelegate() = default;

    base::WeakRef<ADNWebAppViewController> webApp_;
    bool pendingOnShow_ {false};
    bool calledOnShow_ {false};
};

}
