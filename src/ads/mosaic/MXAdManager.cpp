#include <ads/mosaic/MXAdManager.hpp>

#include <ads/mosaic/MXAdView.hpp>
#include <ads/mosaic/MXConfiguration.hpp>
#include <ads/mosaic/MXDeviceHelpers.hpp>
#include <ads/mosaic/MXLogging.hpp>
#include <ads/mosaic/MXStore.hpp>
#include <foundation/Clock.hpp>
#include <foundation/DateFormatter.hpp>
#include <foundation/URLError.hpp>
#include <foundation/URLResponse.hpp>
#include <ui/Application.hpp>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>

namespace ads::mosaic {

namespace {

// The platform's reading of header texts: a boolean is true when its first non-blank
// character is Y, y, T, t or a digit 1 to 9; numbers are their leading number, else 0.
bool boolValue(std::string const& text) {
    auto at = text.find_first_not_of(" \t");
    if (at == std::string::npos)
        return false;
    char const c = text[at];
    if (c == '+' || c == '-')
        return at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9' && c == '+';
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

double doubleValue(std::string const& text) {
    return std::strtod(text.c_str(), nullptr);
}

int intValue(std::string const& text) {
    long const value = std::strtol(text.c_str(), nullptr, 10);
    return int(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

std::string timeZoneText() {
    static std::mutex mutex;
    static foundation::DateFormatter* formatter = nullptr;
    std::lock_guard lock(mutex);
    if (!formatter)
        formatter = new foundation::DateFormatter("Z");
    return formatter->stringFromDate(base::Date {foundation::Clock::current().wallTime()});
}

std::map<std::string, MXAdapterMap::Factory>& adapterClasses() {
    static std::map<std::string, MXAdapterMap::Factory> classes;
    return classes;
}

}

void MXAdapterMap::registerAdapterClass(std::string const& adType, Factory factory) {
    adapterClasses()[adType] = std::move(factory);
}

MXAdapterMap::Factory MXAdapterMap::adapterClassForType(std::string const& adType) {
    auto found = adapterClasses().find(adType);
    return found == adapterClasses().end() ? Factory {} : found->second;
}

void MXAdapterMap::reset() {
    adapterClasses().clear();
}

base::Ref<MXAdManager> MXAdManager::initWithAdView(MXAdView& view) {
    return base::make<MXAdManager>(view);
}

MXAdManager::MXAdManager(MXAdView& view)
    : adView_(&view)
    , adUnitId_(view.adUnitId())
    , timerTarget_(MXTimerTarget::initWithNotificationName(autorefreshNotification))
    , ignoresAutorefresh_(view.ignoresAutorefresh())
    , store_(&MXStore::sharedStore()) {
    auto& center = foundation::NotificationCenter::defaultCenter();
    observations_.push_back(center.observe(
        autorefreshNotification, [this](auto const&) { forceRefreshAd(); }, timerTarget_.get()));
    observations_.push_back(center.observe(ui::Application::DidEnterBackgroundNotification,
        [this](auto const&) { applicationDidEnterBackground(); }));
    observations_.push_back(center.observe(ui::Application::WillEnterForegroundNotification,
        [this](auto const&) { applicationWillEnterForeground(); }));
}

MXAdManager::~MXAdManager() {
    observations_.clear();
    destroyWebviewPool();
    if (previousAdapter_)
        previousAdapter_->unregisterDelegate();
    if (currentAdapter_)
        currentAdapter_->unregisterDelegate();
    cancelConnection();
    if (autorefreshTimer_)
        autorefreshTimer_->invalidate();
}

void MXAdManager::cancelConnection() {
    if (conn_) {
        conn_->cancel();
        conn_ = nullptr;
    }
}

std::optional<std::string> MXAdManager::serverRequestURL() const {
    auto const& host = MXConfiguration::current().adServerHost;
    if (host.empty())
        return std::nullopt;
    // A missing keyword text is written as the platform writes a missing string.
    std::optional<std::string> const q
        = keywords_ ? std::optional(URLEncodedString(*keywords_)) : std::nullopt;
    std::string url = foundation::format("http://%@/m/ad?v=6&udid=%@&q=%@&id=%@", host,
        MXHashedDeviceIdentifier(), q, URLEncodedString(adUnitId_));
    auto const orientation = ui::Application::sharedApplication().statusBarOrientation();
    bool const portrait = orientation == ui::InterfaceOrientation::Portrait
        || orientation == ui::InterfaceOrientation::PortraitUpsideDown;
    url += foundation::format("&o=%@", portrait ? "p" : "l");
    url += foundation::format("&sc=%.1f", double(MXMainScreenScale()));
    url += "&z=" + timeZoneText();
    if (adView_ && adView_->locationDescriptionPair()) {
        auto const& pair = *adView_->locationDescriptionPair();
        url += foundation::format("&ll=%@,%@", pair[0], pair[1]);
    }
    return url;
}

void MXAdManager::loadAdWithURL(std::optional<std::string> url) {
    if (isLoading_) {
        MXLogWarnMessage(
            "Ad view (%p) already loading an ad. Wait for previous load to finish.", adView_);
        return;
    }
    if (!url || url->empty())
        url = serverRequestURL();
    if (!url) {
        MXLogErrorMessage("Ad view (%p) has no ad server to ask for an ad.", adView_);
        isLoading_ = true;
        failAndRetry();
        return;
    }
    url_ = *url;
    MXLogDebugMessage("Ad view (%p) loading ad with Mosaic server URL: %@", adView_, url_);

    foundation::URLRequest request(url_);
    request.setTimeoutInterval(10);
    request.setValue(MXBrowserUserAgent(), "User-Agent");
    // A connection still running would feed its reply into this one's buffer.
    cancelConnection();
    data_.clear();
    conn_ = foundation::URLConnection::create(request, this);
    isLoading_ = true;
    MXLogInfoMessage("Ad manager (%p) fired initial ad request.", this);
}

void MXAdManager::refreshAd() {
    cancelPendingAutorefreshTimer();
    loadAdWithURL(std::nullopt);
}

void MXAdManager::forceRefreshAd() {
    cancelConnection();
    isLoading_ = false;
    cancelPendingAutorefreshTimer();
    loadAdWithURL(std::nullopt);
}

base::Ref<MXTimer> MXAdManager::makeRefreshTimer(double interval) {
    base::Ref<MXTimerTarget> target = timerTarget_;
    return MXTimer::timerWithTimeInterval(
        interval, [target] { target->postNotification(); }, {}, false);
}

void MXAdManager::didReceiveResponse(
    foundation::URLConnection& connection, foundation::URLResponse const& response) {
    if (&connection != conn_.get())
        return;
    if (response.statusCode() > 399) {
        cancelConnection();
        auto const message
            = foundation::format("Server returned status code %d", response.statusCode());
        didFailWithError(connection,
            foundation::URLError::withDomain(
                MXConfiguration::current().adServerHost, response.statusCode(), message));
        return;
    }
    MXLogInfoMessage("Ad view (%p) received valid response from Mosaic server.", adView_);
    data_.clear();
    auto const& headers = response.allHeaderFields();
    // Kept alive through the delegate calls, which may let go of the banner.
    base::Ref<MXAdManager> self(this);
    if (adView_ && adView_->delegate())
        adView_->delegate()->adViewDidReceiveResponseParams(*adView_, headers);
    if (!adView_)
        return;

    clickURL_ = headers.valueForKey("X-Clickthrough");
    interceptURL_ = headers.valueForKey("X-Launchpage");
    failURL_ = headers.valueForKey("X-Failurl");
    impTrackerURL_ = headers.valueForKey("X-Imptracker");
    if (auto const* value = headers.find("X-Interceptlinks"))
        shouldInterceptLinks_ = boolValue(*value);
    if (auto const* value = headers.find("X-Scrollable"))
        adView_->setScrollable(boolValue(*value));
    auto const* width = headers.find("X-Width");
    auto const* height = headers.find("X-Height");
    if (width && height)
        adView_->setCreativeSize(
            graphics::makeSize(float(doubleValue(*width)), float(doubleValue(*height))));
    else
        adView_->setCreativeSize(adView_->originalSize());
    if (auto const* value = headers.find("X-Refreshtime")) {
        double interval = doubleValue(*value);
        if (!(interval >= minimumRefreshInterval))
            interval = minimumRefreshInterval;
        if (autorefreshTimer_)
            autorefreshTimer_->invalidate();
        autorefreshTimer_ = makeRefreshTimer(interval);
    }
    if (auto const* value = headers.find("X-Animation"))
        adView_->setAnimationType(intValue(*value));
    if (auto const* value = headers.find("X-Networktype"); value && !value->empty())
        MXLogInfoMessage("Fetching Ad Network Type: %@", *value);

    auto const* adType = headers.find("X-Adtype");
    if (!adType || *adType == "html") {
        replaceCurrentAdapterWithAdapter(nullptr);
        return;
    }
    if (*adType == "clear") {
        replaceCurrentAdapterWithAdapter(nullptr);
        MXLogInfoMessage("*** CLEAR ***");
        cancelConnection();
        isLoading_ = false;
        adView_->backFillWithNothing();
        scheduleAutorefreshTimerIfEnabled();
        return;
    }
    if (auto factory = MXAdapterMap::adapterClassForType(*adType)) {
        auto adapter = factory(this);
        replaceCurrentAdapterWithAdapter(adapter);
        cancelConnection();
        if (adapter)
            adapter->getAdWithParams(headers);
        return;
    }
    replaceCurrentAdapterWithAdapter(nullptr);
    cancelConnection();
    isLoading_ = false;
    if (failURL_.empty()) {
        // Asking again at once would loop as fast as a server can repeat the answer.
        MXLogErrorMessage(
            "Ad view (%p) received an unknown ad type \"%@\" and no fail URL.", adView_, *adType);
        isLoading_ = true;
        failAndRetry();
        return;
    }
    loadAdWithURL(failURL_);
}

void MXAdManager::didReceiveData(foundation::URLConnection& connection, base::Bytes const& data) {
    if (&connection == conn_.get())
        data_.insert(data_.end(), data.begin(), data.end());
}

void MXAdManager::connectionDidFinishLoading(foundation::URLConnection& connection) {
    if (&connection != conn_.get() || !adView_)
        return;
    conn_ = nullptr;
    auto const size = adView_->creativeSize();
    auto webView = adWebViewWithFrame(graphics::makeRect(0, 0, size.width, size.height));
    webView->setDelegate(this);
    webviewPool_.push_back(webView);
    if (MXLogThreshold() <= MXLogLevelTrace)
        MXLogTraceMessage("Ad view (%p) loaded HTML content: %@", adView_,
            std::string(data_.begin(), data_.end()));
    webView->loadData(data_, "text/html", "utf-8", url_);
}

void MXAdManager::didFailWithError(
    foundation::URLConnection& connection, foundation::URLError const& error) {
    if (conn_ && &connection != conn_.get())
        return;
    conn_ = nullptr;
    MXLogErrorMessage("Ad view (%p) failed to get a valid response from Mosaic server. Error: %@",
        this, error.localizedDescription);
    failAndRetry();
}

void MXAdManager::failAndRetry() {
    isLoading_ = false;
    base::Ref<MXAdManager> self(this);
    if (adView_)
        adView_->backFillWithNothing();
    if (!(autorefreshTimer_ && autorefreshTimer_->isValid()))
        autorefreshTimer_ = makeRefreshTimer(retryInterval);
    // The retry is owed even while refreshes are ignored; it only waits for an ad action.
    scheduleAutorefreshTimer();
}

void MXAdManager::replaceCurrentAdapterWithAdapter(base::Ref<MXBaseAdapter> adapter) {
    if (previousAdapter_)
        previousAdapter_->unregisterDelegate();
    previousAdapter_ = std::move(currentAdapter_);
    currentAdapter_ = std::move(adapter);
}

void MXAdManager::scheduleAutorefreshTimerIfEnabled() {
    if (!ignoresAutorefresh_)
        scheduleAutorefreshTimer();
}

void MXAdManager::scheduleAutorefreshTimer() {
    if (adActionInProgress_) {
        MXLogDebugMessage("Ad action in progress: MXTimer will be scheduled after action ends.");
        autorefreshTimerNeedsScheduling_ = true;
        return;
    }
    if (autorefreshTimer_ && autorefreshTimer_->isScheduled())
        MXLogDebugMessage("Tried to schedule the autorefresh timer, but it was already scheduled.");
    else if (!autorefreshTimer_)
        MXLogDebugMessage("Tried to schedule the autorefresh timer, but it was nil.");
    else
        autorefreshTimer_->scheduleNow();
}

void MXAdManager::cancelPendingAutorefreshTimer() {
    if (autorefreshTimer_)
        autorefreshTimer_->invalidate();
}

void MXAdManager::setIgnoresAutorefresh(bool ignores) {
    ignoresAutorefresh_ = ignores;
    if (ignores)
        cancelPendingAutorefreshTimer();
    else
        scheduleAutorefreshTimerIfEnabled();
}

void MXAdManager::resumeRefreshAfterAdAction() {
    if (autorefreshTimerNeedsScheduling_) {
        if (autorefreshTimer_)
            autorefreshTimer_->scheduleNow();
        autorefreshTimerNeedsScheduling_ = false;
    } else if (autorefreshTimer_ && autorefreshTimer_->isScheduled()) {
        autorefreshTimer_->resume();
    }
}

void MXAdManager::applicationDidEnterBackground() {
    if (autorefreshTimer_)
        autorefreshTimer_->pause();
}

void MXAdManager::applicationWillEnterForeground() {
    autorefreshTimerNeedsScheduling_ = false;
    if (!ignoresAutorefresh_)
        forceRefreshAd();
}

void MXAdManager::rotateToOrientation(ui::InterfaceOrientation orientation) {
    if (currentAdapter_)
        currentAdapter_->rotateToOrientation(orientation);
}

void MXAdManager::ping(std::string const& url) {
    if (url.empty())
        return;
    // Nobody listens; the connection keeps itself alive until the reply ends.
    foundation::URLConnection::create(foundation::URLRequest(url), nullptr);
}

void MXAdManager::trackImpression() {
    MXLogDebugMessage("Ad view (%p) tracking impression %@", adView_, impTrackerURL_);
    ping(impTrackerURL_);
}

void MXAdManager::trackClick() {
    MXLogDebugMessage("Ad view (%p) tracking click %@", adView_, clickURL_);
    ping(clickURL_);
}

void MXAdManager::setAdContentView(base::Ref<ui::View> view) {
    if (adView_)
        adView_->setAdContentView(std::move(view));
}

void MXAdManager::customEventDidLoadAd() {
    isLoading_ = false;
    trackImpression();
}

void MXAdManager::customEventDidFailToLoadAd() {
    isLoading_ = false;
    loadAdWithURL(failURL_.empty() ? std::nullopt : std::optional(failURL_));
}

graphics::Size MXAdManager::maximumAdSize() {
    return adView_ ? adView_->adContentViewSize() : graphics::Size {};
}

ui::ViewController* MXAdManager::viewControllerForPresentingModalView() {
    return adView_ && adView_->delegate()
        ? adView_->delegate()->viewControllerForPresentingModalView()
        : nullptr;
}

int MXAdManager::allowedNativeAdsOrientation() {
    return adView_ ? adView_->allowedNativeAdsOrientation() : 0;
}

void MXAdManager::adapterDidFinishLoadingAd(
    MXBaseAdapter*, base::Ref<ui::View> view, bool shouldTrackImpression) {
    base::Ref<MXAdManager> self(this);
    isLoading_ = false;
    setAdContentView(std::move(view));
    if (shouldTrackImpression)
        trackImpression();
    scheduleAutorefreshTimerIfEnabled();
    if (adView_ && adView_->delegate())
        adView_->delegate()->adViewDidLoadAd(*adView_);
}

void MXAdManager::adapterDidFailToLoadAdWithError(
    MXBaseAdapter* adapter, std::string const& error) {
    // A late report from the ad before is no news about this one.
    if (adapter && adapter == previousAdapter_.get())
        return;
    isLoading_ = false;
    MXLogErrorMessage("Adapter (%p) failed to load ad. Error: %@", adapter, error);
    if (currentAdapter_) {
        currentAdapter_->unregisterDelegate();
        currentAdapter_ = nullptr;
    }
    if (adActionInProgress_)
        scheduleAutorefreshTimerIfEnabled();
    else
        loadAdWithURL(failURL_.empty() ? std::nullopt : std::optional(failURL_));
}

void MXAdManager::userActionWillBeginForAdapter(MXBaseAdapter*) {
    adActionInProgress_ = true;
    trackClick();
    if (autorefreshTimer_ && autorefreshTimer_->isScheduled())
        autorefreshTimer_->pause();
    if (adView_ && adView_->delegate())
        adView_->delegate()->willPresentModalViewForAd(*adView_);
}

void MXAdManager::userActionDidEndForAdapter(MXBaseAdapter*) {
    adActionInProgress_ = false;
    resumeRefreshAfterAdAction();
    if (adView_ && adView_->delegate())
        adView_->delegate()->didDismissModalViewForAd(*adView_);
}

base::Ref<ui::WebView> MXAdManager::adWebViewWithFrame(graphics::Rect frame) {
    auto webView = ui::WebView::create(frame);
    webView->setBackgroundColor(ui::Color::clearColor());
    webView->setOpaque(false);
    return webView;
}

void MXAdManager::removeWebviewFromPool(ui::WebView* webView) {
    std::erase_if(webviewPool_, [&](auto const& pooled) { return pooled.get() == webView; });
}

void MXAdManager::destroyWebviewPool() {
    auto pool = std::move(webviewPool_);
    for (auto const& webView : pool) {
        webView->setDelegate(nullptr);
        webView->stopLoading();
    }
}

}
