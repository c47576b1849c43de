#include <ads/adnoria/ADNObjectPrivate.hpp>

#include <ads/adnoria/ADNBannerView.hpp>
#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNIdentifierUtilities.hpp>
#include <ads/adnoria/ADNNetworkUtilities.hpp>
#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNSignals.hpp>
#include <ads/adnoria/ADNStatistics.hpp>
#include <ads/adnoria/ADNStatisticsCore.hpp>
#include <ads/adnoria/ADNViewController.hpp>
#include <ads/adnoria/ADNWebViewDelegate.hpp>
#include <ads/adnoria/ADN_PJSON.hpp>

#include <base/Log.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/Perform.hpp>
#include <foundation/Strings.hpp>
#include <foundation/UserDefaults.hpp>
#include <ui/Application.hpp>
#include <ui/WebView.hpp>

#include <atomic>

namespace ads::adnoria {

namespace {

constexpr char const* ApplicationTimeoutKey = "applicationTimeout";
constexpr char const* ExpiryStore = "ADNObjectPrivate";
constexpr char const* ExpiryKey = "expireDate";

std::atomic<bool> launchFinishedFlag {false};

std::string scriptURL() {
    return "http://" + ADNConfiguration::current().scriptHost + ADNObjectPrivate::ScriptPath;
}

std::string adServerBaseURL() {
    return "http://" + ADNConfiguration::current().adHost;
}

double now() {
    return foundation::Clock::current().wallTime();
}

}

void ADNObjectPrivate::registerApplicationTimeoutDefault() {
    auto defaults = base::Dictionary::create();
    defaults->setObject(ApplicationTimeoutKey, float(DefaultApplicationTimeout));
    foundation::UserDefaults::standardUserDefaults().registerDefaults(*defaults);
}

bool ADNObjectPrivate::launchFinished() {
    return launchFinishedFlag;
}

void ADNObjectPrivate::setLaunchFinished(bool finished) {
    launchFinishedFlag = finished;
}

base::Ref<ADNObjectPrivate> ADNObjectPrivate::initWithFrame(graphics::Rect frame) {
    auto controller = base::make<ADNObjectPrivate>();
    controller->setUp(frame);
    return controller;
}

base::Ref<ADNObjectPrivate> ADNObjectPrivate::initWithView(ADNBannerView& view) {
    auto controller = initWithFrame(view.bounds());
    controller->adView_ = &view;
    view.addSubview(controller->webView_);
    return controller;
}

void ADNObjectPrivate::setUp(graphics::Rect frame) {
    registerApplicationTimeoutDefault();
    delegateManager_ = ADNDelegateManager::create();
    webView_ = ui::WebView::create(frame);
    webView_->setClipsToBounds(true);
    webView_->setAutoresizingMask(
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    webView_->setOpaque(false);
    webView_->setBackgroundColor(ui::Color::clearColor());
    webView_->setHidden(true);
    webView_->setDataDetectorTypes(ui::DataDetectorTypes::None);
    webViewDelegate_ = ADNBannerWebViewDelegate::initWithObjectPrivate(*this);

    auto& center = foundation::NotificationCenter::defaultCenter();
    auto on = [&](char const* name, void (ADNObjectPrivate::*action)()) {
        base::WeakRef<ADNObjectPrivate> weak(this);
        appObservations_.push_back(center.observe(name, [weak, action](auto const&) {
            if (auto self = weak.strong())
                ((*self).*action)();
        }));
    };
    // Every controller follows the launch; the flag it sets is the process's.
    appObservations_.push_back(center.observe(ui::Application::DidFinishLaunchingNotification,
        [](auto const&) { launchFinishedFlag = true; }));
    if (ADNIdentifierUtilities::isOSAtLeastMajor(4, 0, 0)) {
        on(ui::Application::DidEnterBackgroundNotification,
            &ADNObjectPrivate::deactivateReloadTimer);
        on(ui::Application::WillEnterForegroundNotification,
            &ADNObjectPrivate::activateReloadTimer);
    } else {
        on(ui::Application::WillResignActiveNotification, &ADNObjectPrivate::deactivateReloadTimer);
        on(ui::Application::DidBecomeActiveNotification, &ADNObjectPrivate::activateReloadTimer);
    }
    on(ADNViewController::WillPresentFullScreenNotification,
        &ADNObjectPrivate::deactivateReloadTimer);
    on(ADNViewController::DidRelinquishFullScreenNotification,
        &ADNObjectPrivate::activateReloadTimer);
}

ADNObjectPrivate::~ADNObjectPrivate() {
    appObservations_.clear();
    foundation::cancelPreviousPerformRequests(this);
    if (webView_) {
        webView_->setDelegate(nullptr);
        webView_->loadHTMLString("");
        webView_->removeFromSuperview();
    }
    webViewDelegate_ = nullptr;
    resetBuildAdWebView();
    if (buildAdJS_)
        buildAdJS_->setDelegate(nullptr);
    buildAdJS_ = nullptr;
    setAdHTML(nullptr);
    for (auto& tracker : trackers_) {
        tracker->setDelegate(nullptr);
        tracker->reset();
    }
    trackers_.clear();
    resetReloadTimer();
}

ui::ViewController* ADNObjectPrivate::rootViewController() const {
    return rootViewController_.get();
}

void ADNObjectPrivate::setRootViewController(ui::ViewController* controller) {
    rootViewController_ = controller;
}

std::optional<std::string> ADNObjectPrivate::adHTMLString() const {
    if (!adHTML_)
        return std::nullopt;
    return adHTML_->content();
}

std::string ADNObjectPrivate::adHTMLBaseURL() const {
    return adHTML_ ? adHTML_->httpDestinationURL() : std::string();
}

void ADNObjectPrivate::setAdHTML(base::Ref<ADNCachedFile> file) {
    if (file == adHTML_)
        return;
    if (adHTML_) {
        adHTML_->setDelegate(nullptr);
        adHTML_->invalidate();
    }
    adHTML_ = std::move(file);
    pendingTrackingURLs_.clear();
    pendingClickURLs_.clear();
    if (adHTML_)
        adHTML_->validate();
}

// Loading

void ADNObjectPrivate::loadRequest(ADNRequest* request) {
    base::Ref<ADNRequestPrivate> given;
    if (request)
        given = base::Ref<ADNRequestPrivate>(dynamic_cast<ADNRequestPrivate*>(request));
    else
        given = ADNRequest::request();
    loadPrivateRequest(given.get(), false);
}

void ADNObjectPrivate::loadInterstitialRequest(ADNRequest* request) {
    base::Ref<ADNRequestPrivate> given;
    if (request)
        given = base::Ref<ADNRequestPrivate>(dynamic_cast<ADNRequestPrivate*>(request));
    else
        given = ADNRequest::request();
    if (given)
        given->setInterstitialAd(true);
    loadPrivateRequest(given.get(), false);
}

void ADNObjectPrivate::loadPrivateRequest(ADNRequestPrivate* request, bool autoRefresh) {
    base::Ref<ADNObjectPrivate> keep(this);
    if (isMakingRequest() || !isAppActive())
        return;
    if (!supportsMinimumRequirementsForRequest(request))
        return;
    hasAutoRefreshed_ = autoRefresh;
    if (request != request_.get())
        request_ = request ? request->copy() : ADNRequest::request();
    auto& statistics = ADNStatistics::sharedStatistics();
    if (!statistics.timingNamed("ptime"))
        statistics.startTimingNamed("ptime");
    statistics.incrementAdRequestCount();
    if (request_)
        request_->setCounter(int(statistics.adRequestCount()));
    changeState(BuildingURL);
    ensureSupportFiles();
}

void ADNObjectPrivate::reloadCurrentRequest() {
    base::Ref<ADNObjectPrivate> keep(this);
    // The timer is spent; a reload that cannot start now waits one more interval.
    reloadTimer_ = nullptr;
    if (isMakingRequest() || !isAppActive()) {
        scheduleReloadTimer(reloadSeconds_);
        return;
    }
    loadPrivateRequest(request_.get(), true);
}

void ADNObjectPrivate::cancelPendingActions() {
    foundation::cancelPreviousPerformRequests(this);
    resetReloadTimer();
}

bool ADNObjectPrivate::isMakingRequest() const {
    return state_ == FetchingScript || state_ == BuildingURL || state_ == FetchingAd
        || state_ == AdLoading;
}

bool ADNObjectPrivate::isAppActive() const {
    if (!ui::Application::sharedApplication().isActive())
        return !launchFinishedFlag;
    return true;
}

bool ADNObjectPrivate::supportsMinimumRequirementsForRequest(ADNRequestPrivate* request) {
    if (ADNRequestPrivate::deviceAtLeastMinimumOSMajorVersion(3, 0))
        return true;
    report(ADNRequestError::OSVersionTooLow, request);
    changeState(Failed);
    return false;
}

void ADNObjectPrivate::changeState(int state) {
    state_ = state;
}

void ADNObjectPrivate::report(int code, ADNRequestPrivate* request) {
    base::Ref<ADNDelegateManager> manager = delegateManager_;
    manager->didFailToReceiveAdWithError(ADNRequestError::errorWithCode(code, request));
}

// Support files

void ADNObjectPrivate::ensureSupportFiles() {
    if (!buildAdJS_) {
        changeState(FetchingScript);
        buildAdJS_ = ADNCachedFile::initWithDelegate(this, scriptURL());
    }
    auto store = ADNStatisticsCore::initWithIdentifier(ExpiryStore);
    auto expiry = store->dateForKey(ExpiryKey);
    auto content = buildAdJS_->content();
    if (expiry.date() && content && !content->empty() && expiry.date()->seconds >= now()) {
        cachedFileDownloadDidEnd(*buildAdJS_);
        return;
    }
    store->setDate(base::Value(base::Date {now() + ScriptLifetime}), ExpiryKey);
    store->synchronize();
    changeState(FetchingScript);
    base::Ref<ADNCachedFile> script = buildAdJS_;
    script->validate();
}

void ADNObjectPrivate::failedToDownloadJavaScriptWithError() {
    changeState(ScriptFailed);
    if (buildAdJS_ && buildAdJS_->hasContent()) {
        buildAdUrl();
        return;
    }
    report(ADNRequestError::NetworkError, request_.get());
}

// The URL-building page

std::string ADNObjectPrivate::buildPageText(std::string const& script, std::string const& json) {
    std::string page = "<html><head><script>";
    page += script;
    page += "</script>";
    page += foundation::format("<script>%@(%@);</script>", BuildFunction, json);
    page += "</head><body></body></html>";
    return page;
}

void ADNObjectPrivate::addAdditionalParameters(base::Dictionary& parameters) const {
    if (!adUnitID_.empty())
        parameters.setObject("slotname", adUnitID_);
    if (request_ && request_->isInterstitialAd()) {
        parameters.setObject("format", "interstitial_mb");
        return;
    }
    auto frame = adView_ ? adView_->frame() : webView_->frame();
    auto adFrame = base::Dictionary::create();
    adFrame->setObject("x", double(frame.origin.x));
    adFrame->setObject("y", double(frame.origin.y));
    adFrame->setObject("w", double(frame.size.width));
    adFrame->setObject("h", double(frame.size.height));
    parameters.setObject("ad_frame", adFrame);
}

void ADNObjectPrivate::buildAdUrl() {
    changeState(BuildingURL);
    auto parameters = request_ ? request_->parameters()->copy() : base::Dictionary::create();
    addAdditionalParameters(*parameters);
    auto json = ADNMacros::jsonify(base::Value(parameters)).value_or("{}");
    setupBuildAdWebView();
    auto script = buildAdJS_ ? buildAdJS_->content().value_or(std::string()) : std::string();
    base::Ref<ui::WebView> page = buildAdWebView_;
    page->loadHTMLString(buildPageText(script, json), adServerBaseURL());
    // Nothing in the page may ever answer (a web view that runs no script, a script
    // that fails): the load ends with a time-out instead of waiting for ever.
    double timeout
        = foundation::UserDefaults::standardUserDefaults().doubleForKey(ApplicationTimeoutKey);
    if (!(timeout > 0))
        timeout = DefaultApplicationTimeout;
    foundation::performAfterDelay(
        this, "buildTimedOut", nullptr, [this] { buildTimedOut(); }, timeout);
}

void ADNObjectPrivate::setupBuildAdWebView() {
    resetBuildAdWebView();
    buildAdWebViewDelegate_ = ADNWebViewDelegate::create();
    buildAdWebView_ = ui::WebView::create(graphics::Rect {{0, 0}, {1, 1}});
    buildAdWebView_->setHidden(true);
    buildAdWebView_->setDelegate(buildAdWebViewDelegate_.get());
    auto& center = ADNNotificationCenter::defaultCenter();
    void const* sender = buildAdWebView_.get();
    base::WeakRef<ADNObjectPrivate> weak(this);
    buildObservations_.push_back(center.observe(
        "loadAdURL",
        [weak](auto const& notification) {
            if (auto self = weak.strong())
                self->loadAdURL(notification);
        },
        sender));
    buildObservations_.push_back(center.observe(
        "invalidRequest",
        [weak](auto const& notification) {
            if (auto self = weak.strong())
                self->scriptRefused(notification, "<Adnoria> Invalid Request: %@");
        },
        sender));
    buildObservations_.push_back(center.observe(
        "unableToServe",
        [weak](auto const& notification) {
            if (auto self = weak.strong())
                self->scriptRefused(notification, "<Adnoria> Unable to serve: %@");
        },
        sender));
}

void ADNObjectPrivate::resetBuildAdWebView() {
    foundation::cancelPreviousPerformRequests(this, "buildTimedOut", nullptr);
    buildObservations_.clear();
    if (buildAdWebView_) {
        buildAdWebView_->setDelegate(nullptr);
        buildAdWebView_->stopLoading();
    }
    buildAdWebView_ = nullptr;
    buildAdWebViewDelegate_ = nullptr;
}

void ADNObjectPrivate::buildTimedOut() {
    base::Ref<ADNObjectPrivate> keep(this);
    if (!buildAdWebView_)
        return;
    resetBuildAdWebView();
    changeState(Failed);
    report(ADNRequestError::Timeout, request_.get());
}

void ADNObjectPrivate::loadAdURL(foundation::Notification const& notification) {
    base::Ref<ADNObjectPrivate> keep(this);
    resetBuildAdWebView();
    changeState(FetchingAd);
    auto const* info = notification.userInfo().dictionary();
    auto url = info ? info->objectForKey("url").stringValue() : std::string();
    auto type = info ? info->objectForKey("type").stringValue() : std::string();
    int requestType = ADNRequestPrivate::requestTypeFromString(type);
    ADNSignals::adLoadEntry(requestType, ADNRequest::sdkVersion());
    if (request_) {
        auto signals = request_->spamSignals();
        if (signals && !signals->empty())
            url = ADNNetworkUtilities::appendQueryParameters(*signals, url);
    }
    ADNStatistics::sharedStatistics().startTimingNamed("prl");
    loadHTMLFromURL(url);
}

void ADNObjectPrivate::scriptRefused(
    foundation::Notification const& notification, char const* logFormat) {
    base::Ref<ADNObjectPrivate> keep(this);
    resetBuildAdWebView();
    base::logLine(foundation::format(logFormat, notification.userInfo().description()));
    changeState(Failed);
    report(ADNRequestError::InvalidRequest, request_.get());
}

void ADNObjectPrivate::loadHTMLFromURL(std::string const& url) {
    setAdHTML(ADNCachedFile::initWithDelegate(this, url));
}

// Replies

void ADNObjectPrivate::createOrReuseArray(
    std::vector<std::string>& urls, std::string const& header) {
    for (auto const& piece : foundation::componentsSeparatedBy(header, " ")) {
        auto url = foundation::trimmed(piece);
        if (!url.empty())
            urls.push_back(std::move(url));
    }
}

void ADNObjectPrivate::processHTTPHeaders(ADNCachedFile& file) {
    auto const& headers = file.httpHeaders();
    createOrReuseArray(pendingTrackingURLs_, headers.valueForKey("X-Anma-Tracking-Urls"));
    createOrReuseArray(pendingClickURLs_, headers.valueForKey("X-Anma-Click-Tracking-Urls"));
    supportedOrientations_
        = ADNViewController::orientationFromString(headers.valueForKey("X-Anma-Orientation"));
    auto timeout = headers.valueForKey("X-Anma-Interstitial-Timeout");
    if (!timeout.empty())
        foundation::UserDefaults::standardUserDefaults().setFloat(
            float(base::Value::doubleFromString(timeout)), ApplicationTimeoutKey);
}

void ADNObjectPrivate::showAd() {
    auto baseURL = adHTML_->httpDestinationURL();
    auto html = foundation::trimmed(adHTML_->content().value_or(std::string()));
    addReloadInformationFromHeaders();
    if (!html.empty()) {
        changeState(AdLoading);
        base::Ref<ui::WebView> view = webView_;
        view->loadHTMLString(html, baseURL);
        return;
    }
    changeState(Failed);
    report(ADNRequestError::NoFill, request_.get());
}

void ADNObjectPrivate::failedAdRequestWithError(ADNCachedFile& file) {
    changeState(Failed);
    int status = file.httpStatusCode();
    int code = ADNRequestError::NetworkError;
    if (status == 400) {
        base::logLine("<Adnoria> Server rejected ad parameters.  Typically this is because the "
                      "ad unit ID is incorrect.");
        code = ADNRequestError::InvalidRequest;
    } else if (status >= 400) {
        code = ADNRequestError::ServerError;
    }
    report(code, request_.get());
    addReloadInformationFromHeaders();
}

void ADNObjectPrivate::cachedFileDownloadDidEnd(ADNCachedFile& file) {
    base::Ref<ADNObjectPrivate> keep(this);
    if (&file == buildAdJS_.get()) {
        buildAdUrl();
        return;
    }
    processHTTPHeaders(file);
    showAd();
}

void ADNObjectPrivate::cachedFileDownloadDidFail(
    ADNCachedFile& file, std::optional<foundation::URLError>) {
    base::Ref<ADNObjectPrivate> keep(this);
    if (&file == buildAdJS_.get()) {
        failedToDownloadJavaScriptWithError();
        return;
    }
    failedAdRequestWithError(file);
}

std::optional<foundation::URLError> ADNObjectPrivate::cachedFileShouldRedirectToURL(
    ADNCachedFile& file, std::string const&) {
    if (&file != buildAdJS_.get())
        processHTTPHeaders(file);
    return std::nullopt;
}

// The reload timer

void ADNObjectPrivate::addReloadInformationFromHeaders() {
    auto rate = adHTML_ ? adHTML_->httpHeaders().valueForKey("X-Anma-Refresh-Rate") : std::string();
    if (!rate.empty())
        scheduleReloadTimer(base::Value::doubleFromString(rate));
    else
        scheduleReloadTimer(reloadSeconds_);
}

void ADNObjectPrivate::scheduleReloadTimer(double seconds) {
    resetReloadTimer();
    if (seconds == 0)
        return;
    if (!(seconds > 0))
        return;
    base::WeakRef<ADNObjectPrivate> weak(this);
    reloadTimer_ = foundation::Timer::scheduledTimer(
        seconds,
        [weak](foundation::Timer&) {
            if (auto self = weak.strong())
                self->reloadCurrentRequest();
        },
        false);
    reloadSeconds_ = seconds;
}

void ADNObjectPrivate::resetReloadTimer() {
    if (reloadTimer_)
        reloadTimer_->invalidate();
    reloadTimer_ = nullptr;
}

// Pings

void ADNObjectPrivate::trackURLs(std::vector<std::string> const& urls) {
    for (auto const& url : urls) {
        auto tracker = ADNClickTracker::create();
        tracker->setDelegate(this);
        trackers_.push_back(tracker);
        tracker->trackURL(url);
    }
}

void ADNObjectPrivate::trackerDidRedirect(ADNClickTracker&, std::string const&) {
    foundation::performAfterDelay(
        this, "cleanupTrackers", nullptr, [this] { cleanupTrackers(); }, 0);
}

void ADNObjectPrivate::trackerDidFailWithError(
    ADNClickTracker&, std::optional<foundation::URLError> const&) {
    foundation::performAfterDelay(
        this, "cleanupTrackers", nullptr, [this] { cleanupTrackers(); }, 0);
}

void ADNObjectPrivate::cleanupTrackers() {
    std::erase_if(trackers_, [](auto const& tracker) { return tracker->hasTracked(); });
}

}
