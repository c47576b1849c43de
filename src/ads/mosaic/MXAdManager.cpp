#include <ads/mosaic/MXAdManager.hpp>

#include <ads/mosaic/MXAdView.hpp>
#include <ads/mosaic/MXAdapterMap.hpp>
#include <ads/mosaic/MXConfiguration.hpp>
#include <ads/mosaic/MXDeviceHelpers.hpp>
#include <ads/mosaic/MXLogging.hpp>
#include <ads/mosaic/MXStore.hpp>
#include <foundation/Clock.hpp>
#include <foundation/DateFormatter.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLError.hpp>
#include <foundation/URLResponse.hpp>
#include <toolkit/json/LJSONDeserializer.hpp>
#include <ui/Application.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
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

}

MXAdResponseHeaders MXAdResponseHeaders::parse(foundation::HTTPHeaderFields const& headers) {
    MXAdResponseHeaders reply;
    reply.clickURL = headers.valueForKey("X-Clickthrough");
    reply.interceptURL = headers.valueForKey("X-Launchpage");
    reply.failURL = headers.valueForKey("X-Failurl");
    reply.impTrackerURL = headers.valueForKey("X-Imptracker");
    if (auto const* value = headers.find("X-Interceptlinks"))
        reply.interceptLinks = boolValue(*value);
    if (auto const* value = headers.find("X-Scrollable"))
        reply.scrollable = boolValue(*value);
    auto const* width = headers.find("X-Width");
    auto const* height = headers.find("X-Height");
    if (width && height) {
        // A size no frame can have (infinite, not a number, below zero) is no size.
        float const w = float(doubleValue(*width));
        float const h = float(doubleValue(*height));
        if (std::isfinite(w) && std::isfinite(h) && w >= 0 && h >= 0)
            reply.creativeSize = graphics::makeSize(w, h);
    }
    if (auto const* value = headers.find("X-Refreshtime")) {
        double interval = doubleValue(*value);
        if (!(interval >= MXAdManager::minimumRefreshInterval))
            interval = MXAdManager::minimumRefreshInterval;
        reply.refreshInterval = interval;
    }
    if (auto const* value = headers.find("X-Animation"))
        reply.animationType = intValue(*value);
    reply.networkType = headers.valueForKey("X-Networktype");
    if (auto const* value = headers.find("X-Adtype"))
        reply.adType = *value;
    return reply;
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
    cancelCreativeTimeout();
    if (auto browser = browser_.strong())
        browser->setDelegate(nullptr);
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
    // A creative still to report has no more say over whether this manager loads.
    cancelCreativeTimeout();
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
    if (!adView_)
        return;

    auto const reply = MXAdResponseHeaders::parse(headers);
    clickURL_ = reply.clickURL;
    interceptURL_ = reply.interceptURL;
    failURL_ = reply.failURL;
    impTrackerURL_ = reply.impTrackerURL;
    if (reply.interceptLinks)
        shouldInterceptLinks_ = *reply.interceptLinks;
    if (reply.scrollable)
        adView_->setScrollable(*reply.scrollable);
    adView_->setCreativeSize(reply.creativeSize.value_or(adView_->originalSize()));
    if (reply.refreshInterval) {
        if (autorefreshTimer_)
            autorefreshTimer_->invalidate();
        autorefreshTimer_ = makeRefreshTimer(*reply.refreshInterval);
    }
    if (reply.animationType)
        adView_->setAnimationType(*reply.animationType);
    if (!reply.networkType.empty())
        MXLogInfoMessage("Fetching Ad Network Type: %@", reply.networkType);

    // The delegate hears the headers once this reply's fail URL is known, so that a
    // failure it reports goes to that URL. When it starts another request (or lets go of
    // the banner), this reply is done.
    if (adView_->delegate())
        adView_->delegate()->adViewDidReceiveResponseParams(*adView_, headers);
    if (!adView_ || conn_.get() != &connection)
        return;

    auto const& adType = reply.adType;
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
    if (auto factory = MXAdapterMap::sharedAdapterMap().classForAdapterType(*adType)) {
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

    // The creative reports when it has loaded; one that never does must not keep the
    // banner loading for good.
    cancelCreativeTimeout();
    loadingWebView_ = webView.get();
    creativeTimeout_ = foundation::Timer::scheduledTimer(
        creativeLoadTimeout, [this](foundation::Timer&) { creativeTimedOut(); }, false);
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
    else if (auto* webView
        = adView_ ? dynamic_cast<ui::WebView*>(adView_->adContentView()) : nullptr)
        fireOrientationChangedEventInWebview(*webView);
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
    loadFailURL();
}

void MXAdManager::loadFailURL() {
    if (!failURL_.empty()) {
        loadAdWithURL(failURL_);
        return;
    }
    // Without a fail URL, asking again at once would loop as fast as the server can
    // name an ad that fails; the next request waits for the retry timer instead.
    MXLogErrorMessage("Ad view (%p) has no fail URL to try after a failed ad.", adView_);
    failAndRetry();
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
        loadFailURL();
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

// --- HTML creatives ---

namespace {

struct CommandParts {
    std::string scheme;
    std::string host;
    std::string query;
};

// The scheme (lower case), host and query of url, as far as it has them.
CommandParts commandParts(std::string_view url) {
    CommandParts parts;
    auto const colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return parts;
    for (std::size_t i = 0; i < colon; ++i) {
        auto const c = static_cast<unsigned char>(url[i]);
        if (!(std::isalpha(c) || (i > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.'))))
            return parts;
        parts.scheme += char(std::tolower(c));
    }
    auto rest = url.substr(colon + 1);
    rest = rest.substr(0, rest.find('#'));
    if (auto const question = rest.find('?'); question != std::string_view::npos) {
        parts.query = rest.substr(question + 1);
        rest = rest.substr(0, question);
    }
    if (rest.starts_with("//")) {
        auto authority = rest.substr(2);
        authority = authority.substr(0, authority.find('/'));
        if (auto const at = authority.rfind('@'); at != std::string_view::npos)
            authority = authority.substr(at + 1);
        parts.host = authority.substr(0, authority.find(':'));
    }
    return parts;
}

std::string unescaped(std::string_view text) {
    return foundation::replacingPercentEscapes(text).value_or(std::string(text));
}

}

std::map<std::string, std::string> MXAdManager::dictionaryFromQueryString(
    std::string const& query) {
    std::map<std::string, std::string> result;
    std::string_view rest(query);
    while (true) {
        auto const amp = rest.find('&');
        auto const piece = rest.substr(0, amp);
        if (!piece.empty()) {
            auto const equals = piece.find('=');
            if (equals == std::string_view::npos) {
                auto const text = unescaped(piece);
                result.insert_or_assign(text, text);
            } else {
                result.insert_or_assign(
                    unescaped(piece.substr(0, equals)), unescaped(piece.substr(equals + 1)));
            }
        }
        if (amp == std::string_view::npos)
            break;
        rest = rest.substr(amp + 1);
    }
    return result;
}

bool MXAdManager::shouldStartLoadWithRequest(ui::WebView& webView,
    foundation::URLRequest const& request, ui::WebViewNavigationType navigationType) {
    auto const& url = request.URL();
    auto const parts = commandParts(url);
    if (parts.scheme == commandScheme) {
        runCommand(webView, parts.host, parts.query);
        return false;
    }
    switch (navigationType) {
    case ui::WebViewNavigationType::Other:
        if (shouldInterceptLinks_ && !interceptURL_.empty() && url.starts_with(interceptURL_)) {
            adLinkClicked(url);
            return false;
        }
        return true;
    case ui::WebViewNavigationType::LinkClicked:
        if (shouldInterceptLinks_) {
            adLinkClicked(url);
            return false;
        }
        return true;
    default:
        return true;
    }
}

void MXAdManager::runCommand(
    ui::WebView& webView, std::string const& command, std::string const& query) {
    // A command may let go of the banner, and of the web view that sent it.
    base::Ref<MXAdManager> self(this);
    base::Ref<ui::WebView> keep(&webView);
    if (command == "close") {
        if (adView_)
            adView_->didCloseAd();
    } else if (command == "finishLoad") {
        creativeDidFinishLoad(webView);
    } else if (command == "failLoad") {
        creativeDidFailLoad(webView);
    } else if (command == "inapp") {
        trackClick();
        auto const arguments = dictionaryFromQueryString(query);
        auto const id = arguments.find("id");
        auto const num = arguments.find("num");
        MXStore::sharedStore().initiatePurchaseForProductIdentifier(
            id == arguments.end() ? std::string() : id->second,
            num == arguments.end() ? 0 : intValue(num->second));
    } else if (command == "custom") {
        trackClick();
        auto const arguments = dictionaryFromQueryString(query);
        auto const fnc = arguments.find("fnc");
        auto const data = arguments.find("data");
        customLinkClickedForSelectorString(
            fnc == arguments.end() ? std::nullopt : std::optional(fnc->second),
            data == arguments.end() ? std::nullopt : std::optional(data->second));
    }
}

void MXAdManager::creativeDidFinishLoad(ui::WebView& webView) {
    isLoading_ = false;
    if (&webView == loadingWebView_)
        cancelCreativeTimeout();
    setAdContentView(base::Ref<ui::View>(&webView));
    scheduleAutorefreshTimerIfEnabled();
    if (adView_ && adView_->delegate())
        adView_->delegate()->adViewDidLoadAd(*adView_);
}

void MXAdManager::creativeDidFailLoad(ui::WebView& webView) {
    isLoading_ = false;
    if (&webView == loadingWebView_)
        cancelCreativeTimeout();
    webView.setDelegate(nullptr);
    webView.stopLoading();
    removeWebviewFromPool(&webView);
    loadAdWithURL(failURL_.empty() ? std::nullopt : std::optional(failURL_));
}

void MXAdManager::creativeTimedOut() {
    auto* webView = loadingWebView_;
    loadingWebView_ = nullptr;
    creativeTimeout_ = nullptr;
    bool const pooled = std::any_of(webviewPool_.begin(), webviewPool_.end(),
        [&](auto const& pooledView) { return pooledView.get() == webView; });
    if (!webView || !pooled)
        return;
    MXLogErrorMessage("Ad view (%p) creative reported no load within %.0f seconds.", adView_,
        creativeLoadTimeout);
    base::Ref<MXAdManager> self(this);
    creativeDidFailLoad(*webView);
}

void MXAdManager::cancelCreativeTimeout() {
    loadingWebView_ = nullptr;
    if (creativeTimeout_) {
        creativeTimeout_->invalidate();
        creativeTimeout_ = nullptr;
    }
}

void MXAdManager::adLinkClicked(std::string const& url) {
    auto* presenter = viewControllerForPresentingModalView();
    if (!presenter) {
        // With nothing to present from, an action would begin that nothing ends.
        MXLogErrorMessage("Ad view (%p) has no view controller to open %@ from.", adView_, url);
        return;
    }
    base::Ref<MXAdManager> self(this);
    adActionInProgress_ = true;
    // Without a click-through URL to count the click, the browser goes to the link itself.
    std::string const browserURL
        = clickURL_.empty() ? url : foundation::format("%@&r=%@", clickURL_, URLEncodedString(url));
    if (adView_ && adView_->delegate())
        adView_->delegate()->willPresentModalViewForAd(*adView_);
    if (autorefreshTimer_ && autorefreshTimer_->isScheduled())
        autorefreshTimer_->pause();
    auto browser = MXAdBrowserController::initWithURL(browserURL, this);
    browser_ = browser;
    presenter = viewControllerForPresentingModalView();
    if (presenter)
        presenter->presentModalViewController(browser, true);
}

void MXAdManager::dismissBrowserController(MXAdBrowserController& browser) {
    dismissBrowserController(browser, true);
}

void MXAdManager::dismissBrowserController(MXAdBrowserController& browser, bool animated) {
    base::Ref<MXAdManager> self(this);
    base::Ref<MXAdBrowserController> keep(&browser);
    adActionInProgress_ = false;
    browser.setDelegate(nullptr);
    if (auto* presenting = browser.presentingViewController())
        presenting->dismissModalViewController(animated);
    if (adView_ && adView_->delegate())
        adView_->delegate()->didDismissModalViewForAd(*adView_);
    resumeRefreshAfterAdAction();
}

void MXAdManager::customLinkClickedForSelectorString(
    std::optional<std::string> const& name, std::optional<std::string> const& data) {
    if (!name || name->empty())
        MXLogErrorMessage("Custom selector requested, but no custom selector string was provided.");
    auto* delegate = adView_ ? adView_->delegate() : nullptr;
    std::string const plain = name.value_or("(null)");
    std::string const withColon = plain + ":";
    if (delegate && name && !name->empty()) {
        auto const allowed = delegate->allowedCustomSelectors();
        auto const offers = [&](std::string const& selector) {
            return std::find(allowed.begin(), allowed.end(), selector) != allowed.end();
        };
        if (offers(plain)) {
            delegate->performCustomSelector(plain, base::Value());
            return;
        }
        if (offers(withColon)) {
            base::Value dictionary;
            if (data) {
                auto deserializer = toolkit::json::LJSONDeserializer::deserializer();
                dictionary = deserializer->deserializeAsDictionary(
                    base::Bytes(data->begin(), data->end()));
                if (!dictionary.isDictionary())
                    dictionary = base::Value();
            }
            delegate->performCustomSelector(withColon, dictionary);
            return;
        }
    }
    MXLogErrorMessage(
        "Ad view delegate does not implement custom selectors %@ or %@.", plain, withColon);
}

void MXAdManager::fireOrientationChangedEventInWebview(ui::WebView& webView) {
    int angle = 0;
    switch (ui::Application::sharedApplication().statusBarOrientation()) {
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
        return;
    }
    webView.stringByEvaluatingJavaScriptFromString(foundation::format(
        "window.__defineGetter__('orientation',function(){return %d;});(function(){ var evt = "
        "document.createEvent('Events');evt.initEvent('orientationchange', true, true); "
        "window.dispatchEvent(evt);})();",
        angle));
    webView.stringByEvaluatingJavaScriptFromString(
        foundation::format("document.querySelector('meta[name=viewport]').setAttribute('content', "
                           "'width=%f;', false);",
            double(webView.frame().size.width)));
}

}
