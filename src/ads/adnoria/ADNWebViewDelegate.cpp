#include <ads/adnoria/ADNWebViewDelegate.hpp>

#include <ads/adnoria/ADNBrowserController.hpp>
#include <ads/adnoria/ADNIdentifierUtilities.hpp>
#include <ads/adnoria/ADNNetworkUtilities.hpp>
#include <ads/adnoria/ADNNotification.hpp>
#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNObjectPrivate.hpp>
#include <ads/adnoria/ADNSignals.hpp>
#include <ads/adnoria/ADNStatistics.hpp>
#include <ads/adnoria/ADNViewController.hpp>
#include <ads/adnoria/ADNWebAppViewController.hpp>

#include <base/Log.hpp>
#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>

namespace ads::adnoria {

namespace {

ADNWebViewDelegate::VibrateHandler& vibrateHandler() {
    static ADNWebViewDelegate::VibrateHandler handler;
    return handler;
}

void postWebAction(ui::WebView& webView, base::Ref<base::Dictionary> userInfo) {
    ADNNotificationCenter::defaultCenter().postNotification(
        ADNWebViewDelegate::DidReceiveWebActionNotification, &webView, base::Value(userInfo));
}

}

base::Ref<ADNWebViewDelegate> ADNWebViewDelegate::create() {
    return base::make<ADNWebViewDelegate>();
}

ADNWebViewDelegate::ADNWebViewDelegate()
    : opener_(ADNOpener::create()) {
}

ADNWebViewDelegate::~ADNWebViewDelegate() {
    if (tracker_) {
        tracker_->setDelegate(nullptr);
        tracker_->reset();
    }
}

void ADNWebViewDelegate::setVibrateHandler(VibrateHandler handler) {
    vibrateHandler() = std::move(handler);
}

std::string ADNWebViewDelegate::orientationScript(ui::InterfaceOrientation orientation) {
    int angle = 0;
    switch (orientation) {
    case ui::InterfaceOrientation::Portrait:
        angle = 0;
        break;
    case ui::InterfaceOrientation::PortraitUpsideDown:
        angle = 180;
        break;
    case ui::InterfaceOrientation::LandscapeRight:
        angle = 90;
        break;
    case ui::InterfaceOrientation::LandscapeLeft:
        angle = -90;
        break;
    default:
        return {};
    }
    return foundation::format("window.__defineGetter__('orientation',function(){return "
                              "%i;});window.onorientationchange();",
        angle);
}

void ADNWebViewDelegate::notifyWebViewOfOrientationChange(
    ui::WebView& webView, ui::InterfaceOrientation orientation) {
    auto script = orientationScript(orientation);
    if (!script.empty())
        webView.stringByEvaluatingJavaScriptFromString(script);
}

void ADNWebViewDelegate::webViewDidFinishLoad(ui::WebView& webView) {
    notifyWebViewOfOrientationChange(
        webView, ui::Application::sharedApplication().statusBarOrientation());
}

int ADNWebViewDelegate::intForKey(std::string_view key, base::Dictionary const& dictionary) {
    auto const* value = dictionary.find(key);
    return value ? value->intValue() : -1;
}

void ADNWebViewDelegate::processTouchSignals(base::Dictionary const& parameters) {
    ADNSignals::touchEntry(
        intForKey("tx", parameters), intForKey("ty", parameters), intForKey("td", parameters));
}

void ADNWebViewDelegate::trackURLString(std::string const& url, bool appendSpamSignals) {
    // An empty text makes no URL: nothing to ping.
    if (url.empty())
        return;
    if (!tracker_)
        tracker_ = ADNClickTracker::create();
    auto target = url;
    if (appendSpamSignals) {
        if (auto key = ADNNetworkUtilities::parameterValueForKey("ai", target)) {
            std::string signal;
            if (ADNSignals::clickSignalText(*key, &signal) && !signal.empty())
                target = ADNNetworkUtilities::appendQueryKey(signal, std::nullopt, target);
        }
    }
    tracker_->trackURL(target);
}

void ADNWebViewDelegate::processCanOpenURLs(
    std::vector<std::string> const& urls, ui::WebView& webView) {
    auto result = ADNIdentifierUtilities::sharedInstance().canOpenURLs(urls);
    ADNNotificationCenter::postJSNotification("openableURLs", result, webView);
}

bool ADNWebViewDelegate::shouldStartLoadWithRequest(
    ui::WebView& webView, foundation::URLRequest const& request, ui::WebViewNavigationType type) {
    base::Ref<ADNWebViewDelegate> keep(this);
    auto const& url = request.URL();
    auto parts = ADNURLComponents::split(url);
    auto scheme = foundation::lowercase(parts.scheme);
    auto userAgent = request.valueForHTTPHeaderField("User-Agent");
    if (!userAgent.empty())
        ADNNetworkUtilities::setUserAgentString(userAgent);
    opener_->setViewController(viewController());
    if (scheme == "file")
        return false;
    if (scheme == "about")
        return true;
    auto userInfo = base::Dictionary::create();
    userInfo->setObject("u", url);
    if (ADNNotification::isNotificationURL(url)) {
        auto notification = ADNNotification::notificationFromURL(url);
        if (!notification) {
            postWebAction(webView, userInfo);
            return false;
        }
        auto const& name = notification->name();
        userInfo->setObject("a", name);
        postWebAction(webView, userInfo);
        auto parameters
            = notification->parameters() ? notification->parameters() : base::Dictionary::create();
        if (name == "click") {
            trackURLString(parameters->objectForKey("u").stringValue(), true);
        } else if (name == "httpTrack") {
            trackURLString(parameters->objectForKey("u").stringValue(), false);
        } else if (name == "close") {
            if (auto* controller = dynamic_cast<ADNViewController*>(viewController()))
                controller->relinquishScreen();
        } else if (name == "log") {
            base::logLine(
                foundation::format("%@", parameters->objectForKey("string").stringValue()));
        } else if (name == "open") {
            opener_->openNotification(*notification);
        } else if (name == "touch") {
            processTouchSignals(*parameters);
        } else if (name == "vibrate") {
            if (auto const& handler = vibrateHandler())
                handler();
        } else if (name == "canOpenURLs") {
            processCanOpenURLs(foundation::componentsSeparatedBy(
                                   parameters->objectForKey("urls").stringValue(), ","),
                webView);
        } else if (name == "evalInOpener") {
            // A page (possibly a landing page far from the ad) would run script in the
            // ad's own page: refused.
            base::logLine("<Adnoria> Refused to run script in the opening web view.");
        } else {
            ADNNotificationCenter::postNotificationFromURL(url, &webView, 0);
        }
        return false;
    }
    if (!(type == ui::WebViewNavigationType::Other && parts.path.size() <= 1))
        postWebAction(webView, userInfo);
    if (scheme == "mailto") {
        opener_->openEmailComposer(url);
        return false;
    }
    if (scheme == "http" || scheme == "https")
        return true;
    opener_->openApp(url);
    return false;
}

// The banner's delegate

base::Ref<ADNBannerWebViewDelegate> ADNBannerWebViewDelegate::initWithObjectPrivate(
    ADNObjectPrivate& controller) {
    auto delegate = base::make<ADNBannerWebViewDelegate>();
    delegate->private_ = &controller;
    if (auto* view = controller.webView())
        view->setDelegate(delegate.get());
    return delegate;
}

ADNBannerWebViewDelegate::~ADNBannerWebViewDelegate() {
    if (private_ && private_->webView() && private_->webView()->delegate() == this)
        private_->webView()->setDelegate(nullptr);
}

void ADNBannerWebViewDelegate::webViewDidFinishLoad(ui::WebView& webView) {
    ADNWebViewDelegate::webViewDidFinishLoad(webView);
    if (!private_ || private_->state() != ADNObjectPrivate::AdLoading)
        return;
    base::Ref<ADNObjectPrivate> keep(private_);
    private_->changeState(ADNObjectPrivate::AdReady);
    webView.setHidden(false);
    private_->delegateManager().didReceiveAd();
    // An interstitial's impression is counted when it is shown (its presentation pings
    // the same URLs); pinging on load too would count every shown interstitial twice
    // and count the ones never shown.
    bool interstitial = private_->request() && private_->request()->isInterstitialAd();
    if (!interstitial)
        private_->trackURLs(private_->pendingTrackingURLs());
    auto& statistics = ADNStatistics::sharedStatistics();
    statistics.endTimingNamed("prl");
    statistics.startTimingNamed("ppcl");
}

void ADNBannerWebViewDelegate::didFailLoadWithError(
    ui::WebView& webView, foundation::URLError const& error) {
    ADNWebViewDelegate::didFailLoadWithError(webView, error);
    if (!private_ || private_->state() == ADNObjectPrivate::AdReady)
        return;
    base::Ref<ADNObjectPrivate> keep(private_);
    private_->changeState(ADNObjectPrivate::Failed);
    private_->delegateManager().didFailToReceiveAdWithError(
        ADNRequestError::errorWithCode(ADNRequestError::NetworkError, private_->request()));
}

bool ADNBannerWebViewDelegate::shouldStartLoadWithRequest(
    ui::WebView& webView, foundation::URLRequest const& request, ui::WebViewNavigationType type) {
    if (!private_)
        return ADNWebViewDelegate::shouldStartLoadWithRequest(webView, request, type);
    base::Ref<ADNObjectPrivate> keep(private_);
    setViewController(private_->rootViewController());
    opener().setDelegateManager(base::Ref<ADNDelegateManager>(&private_->delegateManager()));
    opener().setViewController(private_->rootViewController());
    if (private_->state() != ADNObjectPrivate::AdReady)
        return ADNWebViewDelegate::shouldStartLoadWithRequest(webView, request, type);
    auto url = ADNStatistics::sharedStatistics().urlForClick(request.URL());
    bool hadClickURLs = !private_->pendingClickURLs().empty();
    private_->trackURLs(private_->pendingClickURLs());
    if (!ADNWebViewDelegate::shouldStartLoadWithRequest(webView, request, type))
        return false;
    opener().setReferringURL(webView.request().URL());
    if (!foundation::lowercase(ADNURLComponents::split(url).scheme).starts_with("http"))
        return false;
    // Ads that track their clicks open as web apps; the others in the browser. The
    // ad itself never navigates away.
    if (hadClickURLs)
        opener().openWebApp(url, private_->supportedOrientations());
    else
        opener().openBrowserToURL(url, private_->supportedOrientations());
    return false;
}

// The browser's delegate

namespace {

void startPageTiming() {
    auto& statistics = ADNStatistics::sharedStatistics();
    if (!statistics.timingNamed("plpl"))
        statistics.startTimingNamed("plpl");
}

void endPageTiming() {
    auto& statistics = ADNStatistics::sharedStatistics();
    if (!statistics.timingNamed("plpd")) {
        statistics.endTimingNamed("plpl");
        statistics.startTimingNamed("plpd");
    }
}

}

base::Ref<ADNBrowserWebViewDelegate> ADNBrowserWebViewDelegate::initWithBrowserController(
    ADNBrowserController& controller) {
    auto delegate = base::make<ADNBrowserWebViewDelegate>();
    delegate->browserController_ = &controller;
    return delegate;
}

bool ADNBrowserWebViewDelegate::shouldStartLoadWithRequest(
    ui::WebView& webView, foundation::URLRequest const& request, ui::WebViewNavigationType type) {
    if (type == ui::WebViewNavigationType::LinkClicked
        || type == ui::WebViewNavigationType::FormSubmitted) {
        auto scheme = foundation::lowercase(ADNURLComponents::split(request.URL()).scheme);
        if (scheme == "http")
            ADNStatistics::sharedStatistics().incrementPageNavigationCount();
        else if (scheme == "https")
            ADNStatistics::sharedStatistics().incrementSSLPageNavigationCount();
    }
    return ADNWebViewDelegate::shouldStartLoadWithRequest(webView, request, type);
}

void ADNBrowserWebViewDelegate::webViewDidStartLoad(ui::WebView& webView) {
    startPageTiming();
    ADNWebViewDelegate::webViewDidStartLoad(webView);
    if (auto controller = browserController_.strong())
        controller->refreshToolbar();
}

void ADNBrowserWebViewDelegate::webViewDidFinishLoad(ui::WebView& webView) {
    endPageTiming();
    ADNWebViewDelegate::webViewDidFinishLoad(webView);
    if (auto controller = browserController_.strong())
        controller->refreshToolbar();
}

void ADNBrowserWebViewDelegate::didFailLoadWithError(
    ui::WebView& webView, foundation::URLError const& error) {
    ADNWebViewDelegate::didFailLoadWithError(webView, error);
    if (auto controller = browserController_.strong())
        controller->refreshToolbar();
}

// The web app's delegate

base::Ref<ADNWebAppWebViewDelegate> ADNWebAppWebViewDelegate::initWithWebApp(
    ADNWebAppViewController& controller) {
    auto delegate = base::make<ADNWebAppWebViewDelegate>();
    delegate->webApp_ = &controller;
    return delegate;
}

void ADNWebAppWebViewDelegate::setPendingOnShow(bool pending) {
    pendingOnShow_ = pending;
    auto controller = webApp_.strong();
    if (controller && controller->webView() && !controller->webView()->isLoading())
        postOnShowEvent();
}

void ADNWebAppWebViewDelegate::postOnShowEvent() {
    if (!pendingOnShow_ || calledOnShow_)
        return;
    auto controller = webApp_.strong();
    if (!controller || !controller->webView())
        return;
    auto info = base::Dictionary::create();
    info->setObject("version", ADNRequest::sdkVersion());
    if (auto const& submodel = ADNIdentifierUtilities::sharedInstance().deviceSubmodel())
        info->setObject("device", *submodel);
    ADNNotificationCenter::postJSNotification("onshow", info, *controller->webView());
    pendingOnShow_ = false;
    calledOnShow_ = true;
}

void ADNWebAppWebViewDelegate::webViewDidStartLoad(ui::WebView& webView) {
    startPageTiming();
    ADNWebViewDelegate::webViewDidStartLoad(webView);
}

void ADNWebAppWebViewDelegate::webViewDidFinishLoad(ui::WebView& webView) {
    endPageTiming();
    ADNWebViewDelegate::webViewDidFinishLoad(webView);
    auto controller = webApp_.strong();
    if (controller && !controller->loaded())
        controller->markLoaded();
    postOnShowEvent();
}

}
