#include <ads/meridian/MERGenericAdView.hpp>

#include <ads/meridian/MERConfiguration.hpp>
#include <ads/meridian/MERHandshake.hpp>
#include <ads/meridian/MEROverlayLinks.hpp>
#include <ads/meridian/MERValues.hpp>
#include <ads/meridian/MERVideoCache.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/Locale.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Strings.hpp>
#include <foundation/SystemInfo.hpp>
#include <foundation/UserDefaults.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/LayerAnimation.hpp>
#include <ui/Window.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace ads::meridian {

namespace {

struct CheckedKey {
    char const* key;
    std::vector<char const*> values;
};

// The targeting keys whose values the server takes only from a list.
std::array<CheckedKey, 4> const& checkedKeys() {
    static std::array<CheckedKey, 4> const keys {{
        {"gender", {"male", "female", "unknown"}},
        {"marital", {"single", "married", "divorced", "swinger", "relationship", "engaged"}},
        {"ethnicity",
            {"hispanic", "africanamerican", "asian", "indian", "middleeastern", "nativeamerican",
                "pacificislander", "white", "other"}},
        {"orientation", {"straight", "bisexual", "notsure", "gay"}},
    }};
    return keys;
}

std::string escaped(std::string_view text) {
    return foundation::addingStrictPercentEscapes(text);
}

// Compares dotted version numbers part by part as numbers ("3.10" is above "3.2").
bool versionBelow(std::string_view version, std::string_view than) {
    auto next = [](std::string_view& text) {
        long value = 0;
        std::size_t i = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            value = std::min(value * 10 + (text[i] - '0'), 1000000L);
            ++i;
        }
        auto dot = text.find('.', i);
        text = dot == std::string_view::npos ? std::string_view {} : text.substr(dot + 1);
        return value;
    };
    while (!version.empty() || !than.empty()) {
        long a = next(version);
        long b = next(than);
        if (a != b)
            return a < b;
    }
    return false;
}

// A plain positive integer, white space around it allowed.
bool isPositiveInteger(std::string_view text) {
    auto first = text.find_first_not_of(" \t");
    auto last = text.find_last_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    text = text.substr(first, last - first + 1);
    if (text.size() > 18
        || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    return text.find_first_not_of('0') != std::string_view::npos;
}

std::string dimension(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%1.0f", double(value));
    return text;
}

bool isOutsideScheme(std::string const& scheme) {
    return scheme == "sms" || scheme == "tel" || scheme == "merbrowser";
}

// "merbrowser://" links name the page to open outside; the prefix goes.
std::string withoutBrowserPrefix(std::string url) {
    static constexpr std::string_view prefix = "merbrowser://";
    for (auto at = url.find(prefix); at != std::string::npos; at = url.find(prefix, at))
        url.erase(at, prefix.size());
    return url;
}

// The answers of no ad at all (an inner view without a loaded ad): nothing shown
// beyond the page itself.
class NoAd final : public MERBasicAd {
public:
    std::string overlayTitle() override { return {}; }
    bool showTitlebar() override { return false; }
    bool showBottomBar() override { return false; }
    bool isBottomBarEnabled() override { return false; }

private:
    friend base::Factory;
    NoAd() = default;
};

int statusBarOrientation() {
    return int(ui::Application::sharedApplication().statusBarOrientation());
}

}

// --- reading replies and targeting ---

MERAdReplyHeaders MERAdReplyHeaders::read(foundation::HTTPHeaderFields const& fields) {
    MERAdReplyHeaders headers;
    if (auto const* type = fields.find("Content-Type"))
        headers.mimeType = foundation::lowercase(*type);
    auto const* length = fields.find("Content-Length");
    if (!length || !isPositiveInteger(*length))
        return headers;
    headers.restartTimer = fields.contains("X-MER-Refresh");
    headers.videoAd = fields.contains("X-MER-Video") || fields.contains("X-Mm-Video");
    if (auto const* inBrowser = fields.find("X-Openinbrowser"))
        headers.openClickInBrowser = base::Value::boolFromString(*inBrowser);
    return headers;
}

MERTargeting MERTargeting::fromRequestData(MERRequestData const& data) {
    MERTargeting targeting;
    for (auto const& entry : data) {
        auto const& key = entry.first;
        auto const& value = entry.second;
        auto checked = std::find_if(checkedKeys().begin(), checkedKeys().end(),
            [&](CheckedKey const& checkedKey) { return key == checkedKey.key; });
        if (checked != checkedKeys().end()
            && std::none_of(checked->values.begin(), checked->values.end(),
                [&](char const* allowed) { return value == allowed; })) {
            std::string allowed;
            for (auto const* one : checked->values)
                allowed += (allowed.empty() ? "" : ",") + std::string(one);
            targeting.invalid = foundation::format(
                "The key provided %@ must have one of the following value %@", key, allowed);
            targeting.query.clear();
            return targeting;
        }
        targeting.query += "&" + escaped(key) + "=" + escaped(value);
    }
    return targeting;
}

// --- creation ---

MERGenericAdView::MERGenericAdView(
    graphics::Rect frame, std::string const& apid, int type, MERAdDelegate* delegate)
    : MERAdView(frame) {
    (void)meridianFolderPath();
    setAutoresizesSubviews(true);
    setBackgroundColor(ui::Color::clearColor());
    setClipsToBounds(true);
    graphics::Rect const inside {{0, 0}, frame.size};
    htmlAdView_ = MERHTMLAdView::initWithFrame(inside, this);
    addSubview(htmlAdView_);
    jsonAdView_ = MERJSONAdView::initWithFrame(inside, this);
    jsonAdView_->setHidden(true);
    addSubview(jsonAdView_);
    enableManualAdRefresh_ = true;

    auto& center = foundation::NotificationCenter::defaultCenter();
    observations_.push_back(center.observe(
        showStatusBarNotification, [this](foundation::Notification const&) { showStatusBar(); }));
    observations_.push_back(center.observe(
        updateStatusBarNotification, [this](foundation::Notification const& notification) {
            isStatusBarHidden_ = flagOf(notification.userInfo());
        }));
    isStatusBarHidden_ = ui::Application::sharedApplication().isStatusBarHidden();
    observations_.push_back(center.observe(cachingBeganNotification,
        [this](foundation::Notification const&) { enableManualAdRefresh_ = false; }));
    observations_.push_back(center.observe(cachingEndedNotification,
        [this](foundation::Notification const&) { enableManualAdRefresh_ = true; }));
    observations_.push_back(
        center.observe(resizeNotification, [this](foundation::Notification const& notification) {
            double height = floatOf(notification.userInfo());
            foundation::RunLoop::main().perform([self = base::Ref<MERGenericAdView>(this), height] {
                self->resizeToHeight(height);
            });
        }));

    setDelegate(delegate);
    adType_ = type;
    setApid(apid);
    MERHandshake::sharedHandshake().setAdType(type);
}

MERGenericAdView::~MERGenericAdView() {
    observations_.clear();
    adMimeType_.reset();
    if (connection_)
        connection_->cancel();
    stopTimer();
    if (overlayView_)
        overlayView_->setDelegate(nullptr);
    htmlAdView_->setDelegate(nullptr);
    jsonAdView_->setDelegate(nullptr);
}

void MERGenericAdView::initAdWithTimer(bool startTimer, bool getAd) {
    enableAdRefresh_ = startTimer;
    refreshTimerEnabled_ = startTimer;
    updateTimerDuration();
    if (delegate_) {
        if (auto data = delegate_->requestData())
            setRequestData(std::move(*data));
    }
    setApid({});
    if (startTimer)
        this->startTimer();
    if (getAd)
        connectOrPlayCache();
}

void MERGenericAdView::setApid(std::string const& apid) {
    if (!apid.empty()) {
        apid_ = apid;
    } else if (apid_.empty()) {
        auto fromBundle
            = textOf(foundation::Bundle::mainBundle().objectForInfoDictionaryKey("APID"));
        apid_ = fromBundle && !fromBundle->empty() ? *fromBundle : defaultApid;
    }
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.setObject(base::Value(apid_), MERHandshake::apidDefaultsKey);
    defaults.synchronize();
}

void MERGenericAdView::setFrame(graphics::Rect frame) {
    graphics::Rect const inside {{0, 0}, frame.size};
    htmlAdView_->setFrame(inside);
    jsonAdView_->setFrame(inside);
    View::setFrame(frame);
}

bool MERGenericAdView::isAccelerometerEnabled() const {
    if (!delegate_)
        return true;
    return delegate_->accelerometerEnabled().value_or(true);
}

void MERGenericAdView::showStatusBar() {
    if (!isStatusBarHidden_)
        ui::Application::sharedApplication().setStatusBarHidden(false);
}

// --- requests ---

void MERGenericAdView::connectOrPlayCache() {
    auto& handshake = MERHandshake::sharedHandshake();
    if (!handshake.isAdCallAllowed()) {
        foundation::log("MERSDK: Ad requests have been disabled.");
        return;
    }
    base::Ref<MERVideoCache> cache;
    if (auto marker
        = foundation::PropertyList::dictionaryWithContentsOfFile(MERVideoCache::markerPath())) {
        if (auto videoId = textOf(marker->objectForKey(MERVideoCache::markerKey)))
            cache = MERVideoCache::loadFromArchive(*videoId);
        if (cache) {
            std::error_code ignored;
            std::filesystem::remove(MERVideoCache::markerPath(), ignored);
        }
    }
    if (!cache || handshake.isDeferredTimeoutExpired() || cache->isCacheExpired()) {
        MERVideoCache::removeExpiredCaches();
        auto request = buildRequestUrl();
        if (!request) {
            failRequest();
            return;
        }
        connect(std::move(*request));
        return;
    }
    jsonAdView_->playVideoAdWithCache(*cache);
}

std::optional<foundation::URLRequest> MERGenericAdView::buildRequestUrl() {
    auto const& base = MERConfiguration::current().adServerBaseURL;
    if (base.empty()) {
        foundation::log("MERSDK: no ad server is configured; the ad request is not sent");
        return std::nullopt;
    }
    auto targeting = extraParams();
    if (!targeting)
        return std::nullopt;
    auto const& device = ui::Device::currentDevice();
    std::string const userAgentText
        = std::string(device.isPad() ? "iPad" : "iPhone") + " " + device.systemVersion();
    auto const size = frame().size;
    std::string url = base + requestPath + "?medialets=false&sdkapid=" + escaped(apid_)
        + "&auid=" + escaped(MERConfiguration::current().installationIdentifier)
        + "&merisdk=" + escaped(MERHandshake::sdkVersion) + "&ua=" + escaped(userAgentText)
        + "&dv=" + escaped(device.systemVersion())
        + "&dm=" + escaped(foundation::hardwareMachineName()) + "&adtype=" + escaped(adType())
        + "&hswd=" + dimension(size.width) + "&hsht=" + dimension(size.height)
        + "&accelerometer=" + (isAccelerometerEnabled() ? "true" : "false") + *targeting;
    foundation::log("AD URL: %@", url);
    foundation::URLRequest request(url);
    request.setHTTPMethod("GET");
    request.setValue(userAgent, "User-Agent");
    request.setValue(userAgent, "User_Agent");
    request.setMaximumBodySize(maximumReplyBytes);
    return request;
}

std::optional<std::string> MERGenericAdView::extraParams() {
    if (delegate_) {
        if (auto data = delegate_->requestData())
            setRequestData(std::move(*data));
    }
    auto targeting = MERTargeting::fromRequestData(additionalRequestParameters_);
    if (targeting.invalid) {
        foundation::log("MERSDK: Invalid Meta Data: %@", *targeting.invalid);
        return std::nullopt;
    }
    auto& handshake = MERHandshake::sharedHandshake();
    auto locale = foundation::currentLocaleCodes();
    return targeting.query + "&video=" + (handshake.isVideoAdRequestAllowed() ? "true" : "false")
        + "&language=" + escaped(locale.language)
        + "&country=" + escaped(locale.country.value_or("")) + "&cachedvideo="
        + (versionBelow(ui::Device::currentDevice().systemVersion(), "3.2") ? "false" : "true");
}

void MERGenericAdView::connect(foundation::URLRequest request) {
    if (connection_) {
        connection_->cancel();
        connection_ = nullptr;
    }
    adData_.clear();
    replyRefused_ = false;
    connection_ = foundation::URLConnection::create(std::move(request), this);
}

void MERGenericAdView::failRequest() {
    if (delegate_)
        delegate_->adRequestFailed(*this);
}

void MERGenericAdView::didReceiveResponse(
    foundation::URLConnection& connection, foundation::URLResponse const& response) {
    if (&connection != connection_.get())
        return;
    openClickInBrowser_ = false;
    // Each reply names its own type: one without Content-Type is HTML, whatever the
    // reply before it was.
    adMimeType_.reset();
    auto const headers = MERAdReplyHeaders::read(response.allHeaderFields());
    adMimeType_ = headers.mimeType;
    if (headers.restartTimer)
        startTimer();
    if (headers.videoAd)
        MERHandshake::sharedHandshake().setLastVideoPlayedAt(
            {foundation::Clock::current().wallTime()});
    openClickInBrowser_ = headers.openClickInBrowser;
    replyRefused_ = response.statusCode() < 200 || response.statusCode() > 299;
}

void MERGenericAdView::didReceiveData(
    foundation::URLConnection& connection, base::Bytes const& data) {
    if (&connection != connection_.get() || replyRefused_)
        return;
    adData_.insert(adData_.end(), data.begin(), data.end());
}

void MERGenericAdView::connectionDidFinishLoading(foundation::URLConnection& connection) {
    if (&connection != connection_.get())
        return;
    base::Ref<MERGenericAdView> keep(this);
    connection_ = nullptr;
    std::string body(adData_.begin(), adData_.end());
    adData_ = {};
    if (body.empty() || replyRefused_) {
        failRequest();
        return;
    }
    if (!adMimeType_)
        adMimeType_ = "text/html";
    if (*adMimeType_ == "application/json")
        jsonAdView_->loadWithAdContents(body);
    else
        htmlAdView_->loadWithAdContents(body);
}

void MERGenericAdView::didFailWithError(
    foundation::URLConnection& connection, foundation::URLError const&) {
    if (&connection != connection_.get())
        return;
    base::Ref<MERGenericAdView> keep(this);
    connection_ = nullptr;
    adData_ = {};
    failRequest();
}

// --- refresh ---

void MERGenericAdView::updateTimerDuration() {
    auto const configuration = MERHandshake::sharedHandshake().adConfig();
    if (configuration.adRefresh > 0) {
        refreshAdTime_ = int(std::min(configuration.adRefresh, 86400.0f));
        return;
    }
    if (delegate_) {
        if (auto seconds = delegate_->adRefreshDuration()) {
            refreshAdTime_ = *seconds > 14 ? std::min(*seconds, 60) : 15;
            return;
        }
    }
    refreshAdTime_ = 60;
}

void MERGenericAdView::startTimer() {
    stopTimer();
    if (!enableAdRefresh_)
        return;
    updateTimerDuration();
    refreshAdTimer_ = foundation::Timer::scheduledTimer(
        std::max(refreshAdTime_, 1), [this](foundation::Timer&) { timerRefreshAd(); }, true);
}

void MERGenericAdView::stopTimer() {
    if (refreshAdTimer_) {
        refreshAdTimer_->invalidate();
        refreshAdTimer_ = nullptr;
    }
}

void MERGenericAdView::timerRefreshAd() {
    if (!enableManualAdRefresh_)
        return;
    base::Ref<MERGenericAdView> keep(this);
    if (delegate_)
        delegate_->adDidRefresh(*this);
    connectOrPlayCache();
}

void MERGenericAdView::refreshAd() {
    if (!enableManualAdRefresh_)
        return;
    base::Ref<MERGenericAdView> keep(this);
    if (refreshAdTimer_) {
        stopTimer();
        timerRefreshAd();
        startTimer();
        return;
    }
    if (delegate_)
        delegate_->adDidRefresh(*this);
    connectOrPlayCache();
}

void MERGenericAdView::setRefreshTimerEnabled(bool enabled) {
    refreshTimerEnabled_ = enabled;
    enableAdRefresh_ = enabled;
    if (enabled)
        startTimer();
    else
        stopTimer();
}

void MERGenericAdView::resizeToHeight(double height) {
    float target = 53;
    if (height >= 54) {
        stopTimer();
        target = float(std::min(height, 100000.0));
    } else {
        startTimer();
    }
    setBackgroundColor(ui::Color::whiteColor());
    if (auto* parent = superview())
        parent->bringSubviewToFront(this);
    auto const current = frame();
    ui::View::beginAnimations();
    ui::View::setAnimationDelay(0);
    ui::View::setAnimationDuration(resizeDuration);
    ui::View::setAnimationDelegate(this);
    setFrame({current.origin, {current.size.width, target}});
    ui::View::commitAnimations();
}

// --- taps and overlays ---

int MERGenericAdView::tapOrientation(bool jsonView) const {
    if (!jsonView && overlayOrientation_ != 0)
        return overlayOrientation_;
    return statusBarOrientation();
}

void MERGenericAdView::routeTap(MERBasicAd* ad, std::string const& url, bool jsonView) {
    base::Ref<MERGenericAdView> keep(this);
    if (delegate_)
        delegate_->adWasTapped(*this);
    auto const scheme = schemeOf(url);
    if (!openClickInBrowser_ && !isOutsideScheme(scheme)) {
        showOverlayWithAd(
            ad, foundation::URLRequest(url), tapOrientation(jsonView), true, true, false);
        if (ad)
            ad->startCloseOverlayTimer();
        stopTimer();
        return;
    }
    openURL(scheme == "merbrowser" ? withoutBrowserPrefix(url) : url);
    stopTimer();
}

void MERGenericAdView::routeURL(MERBasicAd* ad, std::string const& url) {
    base::Ref<MERGenericAdView> keep(this);
    auto const scheme = schemeOf(url);
    if (!isOutsideScheme(scheme)) {
        showOverlayWithAd(
            ad, foundation::URLRequest(url), tapOrientation(false), true, true, false);
        if (ad)
            ad->startCloseOverlayTimer();
        stopTimer();
        return;
    }
    openURL(scheme == "merbrowser" ? withoutBrowserPrefix(url) : url);
}

void MERGenericAdView::openURL(std::string const& url) {
    if (delegate_)
        delegate_->applicationWillTerminateFromAd();
    ui::Application::sharedApplication().openExternalURL(url);
}

void MERGenericAdView::showOverlayWithAd(MERBasicAd* ad,
    std::variant<foundation::URLRequest, std::string> const& content, int orientation,
    bool notifyOpenDelegates, bool notifyCloseDelegates, bool shownFromVideo) {
    if (overlayView_) {
        // The overlay that was open goes for good: it must not call this view back.
        overlayView_->setDelegate(nullptr);
        overlayView_->removeFromSuperview();
        overlayView_ = nullptr;
    }
    base::Ref<MERBasicAd> answers(ad);
    if (!answers)
        answers = base::make<NoAd>();
    bool const modal = answers->shouldShowModal();
    auto overlay = MEROverlayView::initWithType(
        modal ? MEROverlayView::modalType : MEROverlayView::fullScreenType, this);
    overlay->notifyOpenDelegates = notifyOpenDelegates;
    overlay->notifyCloseDelegates = notifyCloseDelegates;
    overlay->shownFromVideo = shownFromVideo;
    overlay->modalSize = answers->modalSize();
    overlay->modalLocation = answers->modalLocation();
    overlay->modalBorderColor = answers->modalBorderColor();
    overlay->overlayFrame = overlayFrame_;
    overlay->overlaySize = overlaySize_;
    overlay->overlayOrientation = orientation;
    overlay->setMakeOverlayTransparent(answers->shouldMakeOverlayTransparent());
    overlay->transition = answers->overlayTransition();
    overlay->transitionDuration = answers->transitionDuration();
    overlay->showTitlebar = answers->showTitlebar();
    overlay->showBottomBar = answers->showBottomBar();
    overlay->headerTitle = answers->overlayTitle();
    overlay->titlebarColor = answers->titlebarColor();
    overlay->enableBottomBar = answers->isBottomBarEnabled();
    overlayView_ = overlay;

    ui::ViewController* parent = nullptr;
    base::Ref<MEROverlayViewController> controller;
    if (!modal && !shownFromVideo && !overlay->makeOverlayTransparent()) {
        auto& application = ui::Application::sharedApplication();
        ui::Window* window = application.keyWindow();
        if (!window && !application.windows().empty())
            window = application.windows().front();
        if (window && !window->subviews().empty())
            parent = firstAvailableUIViewController(*window->subviews().front());
        if (parent) {
            controller = MEROverlayViewController::init();
            overlay->setParentViewController(parent);
            controller->setView(overlay);
        }
    }

    if (auto const* request = std::get_if<foundation::URLRequest>(&content))
        overlay->showWithRequest(*request);
    else
        overlay->showWithHTML(std::get<std::string>(content));

    if (parent && controller) {
        controller->setModalTransitionStyle(overlay->transitionStyle());
        parent->presentModalViewController(controller, true);
    }
}

void MERGenericAdView::fadeAdView(ui::View& adView) {
    ui::View* other = nullptr;
    if (&adView == htmlAdView_.get())
        other = jsonAdView_.get();
    else if (&adView == jsonAdView_.get())
        other = htmlAdView_.get();
    if (!other || !adView.isHidden() || other->isHidden())
        return;
    auto fade = ui::Transition::animation();
    fade->setType(ui::Transition::Type::Fade);
    fade->setTimingFunction(ui::TimingFunction::easeInEaseOut());
    fade->setDuration(fadeDuration);
    fade->setDelegate(this);
    layer().addAnimation(*fade, fadeKey);
    other->setHidden(true);
    adView.setHidden(false);
}

void MERGenericAdView::keepAliveForTransition() {
    transitionHolds_.push_back(base::Ref<MERGenericAdView>(this));
}

void MERGenericAdView::transitionEnded(ui::View& adView) {
    fadeAdView(adView);
    if (transitionHolds_.empty())
        return;
    // The hold goes once the inner view's callback has returned: the inner view
    // belongs to this view and is still inside its own code.
    auto hold = std::move(transitionHolds_.back());
    transitionHolds_.pop_back();
    foundation::RunLoop::main().perform([hold = std::move(hold)] {});
}

// --- what the inner views report ---

void MERGenericAdView::htmlAdViewRequestFailed(MERHTMLAdView&) {
    failRequest();
}

void MERGenericAdView::htmlAdViewRequestSucceeded(MERHTMLAdView& view) {
    if (auto* ad = view.getAd())
        ad->setAdView(this);
    if (delegate_)
        delegate_->adRequestSucceeded(*this);
}

void MERGenericAdView::htmlAdViewWasTapped(
    MERHTMLAdView& view, foundation::URLRequest const& request) {
    routeTap(view.getAd(), request.URL(), false);
}

void MERGenericAdView::htmlAdViewWantsToOpenURL(MERHTMLAdView& view, std::string const& url) {
    routeURL(view.getAd(), url);
}

void MERGenericAdView::htmlAdViewTransitionAnimationWillBegin(MERHTMLAdView&) {
    keepAliveForTransition();
}

void MERGenericAdView::htmlAdViewTransitionAnimationDidEnd(MERHTMLAdView& view) {
    transitionEnded(view);
}

void MERGenericAdView::jsonAdViewRequestFailed(MERJSONAdView&) {
    failRequest();
}

void MERGenericAdView::jsonAdViewRequestSucceeded(MERJSONAdView&) {
    if (delegate_)
        delegate_->adRequestSucceeded(*this);
}

void MERGenericAdView::jsonAdViewVideoAdSucceeded(MERJSONAdView&) {
    if (delegate_)
        delegate_->adRequestSucceeded(*this);
}

void MERGenericAdView::jsonAdViewVideoAdFailed(MERJSONAdView&) {
    base::Ref<MERGenericAdView> keep(this);
    failRequest();
    if (delegate_)
        delegate_->adRequestIsCaching(*this);
}

void MERGenericAdView::jsonAdViewVideoAdFinishedPlaying(MERJSONAdView&, bool startTimer) {
    if (startTimer)
        this->startTimer();
}

void MERGenericAdView::jsonAdViewWantsToMoveToTheFront(MERJSONAdView& view) {
    fadeAdView(view);
}

void MERGenericAdView::jsonAdViewWantToShowOverlayWithRequest(MERJSONAdView& view,
    MERJSONVideoAdView&, foundation::URLRequest const& request, int orientation,
    bool notifyOpenDelegates, bool notifyCloseDelegates) {
    if (overlayView_)
        return;
    auto* ad = view.getAd();
    showOverlayWithAd(ad, request, orientation, notifyOpenDelegates, notifyCloseDelegates, true);
    if (ad)
        ad->startCloseOverlayTimer();
    stopTimer();
}

void MERGenericAdView::jsonAdViewWantToShowOverlayWithHTML(MERJSONAdView& view, MERJSONVideoAdView&,
    std::string const& html, int orientation, bool notifyOpenDelegates, bool notifyCloseDelegates) {
    if (overlayView_)
        return;
    auto* ad = view.getAd();
    showOverlayWithAd(ad, html, orientation, notifyOpenDelegates, notifyCloseDelegates, true);
    if (ad)
        ad->startCloseOverlayTimer();
    stopTimer();
}

void MERGenericAdView::jsonAdViewVideoAdWillAppear(MERJSONAdView&) {
    if (delegate_)
        delegate_->adModalWillAppear();
}

void MERGenericAdView::jsonAdViewVideoAdDidAppear(MERJSONAdView&) {
    if (delegate_)
        delegate_->adModalDidAppear();
}

void MERGenericAdView::jsonAdViewVideoAdWillDisappear(MERJSONAdView&) {
    if (delegate_)
        delegate_->adModalWasDismissed();
}

void MERGenericAdView::jsonAdViewWasTapped(
    MERJSONAdView& view, foundation::URLRequest const& request) {
    routeTap(view.getAd(), request.URL(), true);
}

void MERGenericAdView::jsonAdViewWantsToOpenURL(MERJSONAdView& view, std::string const& url) {
    routeURL(view.getAd(), url);
}

void MERGenericAdView::jsonAdViewTransitionAnimationWillBegin(MERJSONAdView&) {
    keepAliveForTransition();
}

void MERGenericAdView::jsonAdViewTransitionAnimationDidEnd(MERJSONAdView& view) {
    transitionEnded(view);
}

// --- what the overlay reports ---

void MERGenericAdView::overlayWillAppear(MEROverlayView& overlay) {
    if (overlay.notifyOpenDelegates && delegate_)
        delegate_->adModalWillAppear();
}

void MERGenericAdView::overlayDidAppear(MEROverlayView& overlay) {
    if (overlay.notifyOpenDelegates && delegate_)
        delegate_->adModalDidAppear();
}

void MERGenericAdView::overlayDidDisappear(MEROverlayView& overlay) {
    base::Ref<MERGenericAdView> keep(this);
    base::Ref<MEROverlayView> closing(&overlay);
    if (overlay.notifyCloseDelegates) {
        if (delegate_)
            delegate_->adModalWasDismissed();
        foundation::NotificationCenter::defaultCenter().postNotification(overlay.shownFromVideo
                ? showStatusBarFromVideoNotification
                : showStatusBarNotification);
    }
    if (!overlay.parentViewController())
        overlay.removeFromSuperview();
    if (overlayView_.get() == &overlay)
        overlayView_ = nullptr;
}

void MERGenericAdView::overlayWantsToTerminateAppToOpenURL(
    MEROverlayView& overlay, std::string const& url) {
    auto& loop = foundation::RunLoop::main();
    loop.performAfterDelay(
        &overlay,
        [overlay = base::Ref<MEROverlayView>(&overlay)] { overlay->closeWithAnimation(false); },
        0.5);
    loop.performAfterDelay(
        this, [this, url] { openURL(url); }, 0.7);
}

}
