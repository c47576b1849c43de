#include <ads/bountix/BountixConnect.hpp>

#include <ads/bountix/BTXAdView.hpp>
#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXFeaturedApp.hpp>
#include <ads/bountix/BTXHardware.hpp>
#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BTXNetReachability.hpp>
#include <ads/bountix/BTXOffers.hpp>
#include <ads/bountix/BTXUserAccountManager.hpp>
#include <ads/bountix/BTXVideo.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <base/Log.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Dates.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Locale.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Random.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLConnection.hpp>
#include <ui/Device.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ads::bountix {

namespace {

base::Ref<BountixConnect>& sharedSlot() {
    static base::Ref<BountixConnect> shared;
    return shared;
}

// Empty until the first failure moves the connect requests to the fallback host.
std::string& switchedBaseURL() {
    static std::string url;
    return url;
}

BountixConnect::BalanceRequester& balanceRequester() {
    static BountixConnect::BalanceRequester requester;
    return requester;
}

std::optional<std::string> countryCode() {
    return foundation::currentLocaleCodes().country;
}

std::optional<std::string> languageCode() {
    // The first of the preferred languages ("LANGUAGE=de:en"), else the locale's.
    if (char const* languages = std::getenv("LANGUAGE"); languages && *languages) {
        std::string first(languages);
        first = first.substr(0, first.find(':'));
        if (!first.empty())
            return first.substr(0, first.find_first_of("_-"));
    }
    auto language = foundation::currentLocaleCodes().language;
    if (language.empty())
        return std::nullopt;
    return language;
}

std::optional<std::string> bundleVersion() {
    auto value = foundation::Bundle::mainBundle().objectForInfoDictionaryKey("CFBundleVersion");
    if (auto const* text = value.string(); text && !text->empty())
        return *text;
    return std::nullopt;
}

void requestBalance() {
    if (auto const& requester = balanceRequester())
        requester();
    else
        BountixConnect::getOfferPoints();
}

std::string timeStampNow() {
    auto seconds = foundation::Clock::current().wallTime() + foundation::unixEpochToReferenceDate;
    return std::to_string(static_cast<long long>(std::floor(seconds)));
}

}

// One connect-type request: its path and parameters, and the attempt running for it.
// It stays in the instance's list until the next request is sent, so it never dies
// inside its own callback.
class BountixConnect::Request final : public foundation::URLConnectionDelegate {
public:
    Request(BountixConnect& owner, std::string path, BTXParameters parameters)
        : owner_(owner)
        , path_(std::move(path))
        , parameters_(std::move(parameters)) { }

    ~Request() override {
        if (connection_)
            connection_->cancel();
    }

    void start() {
        ++attempts_;
        statusCode_ = 0;
        auto url = currentBaseURL() + path_ + "?" + queryString(parameters_);
        auto request = foundation::URLRequest::requestWithURL(url,
            foundation::URLRequestCachePolicy::ReloadIgnoringLocalAndRemoteCacheData,
            BTXConfiguration::current().connectTimeout);
        connection_ = foundation::URLConnection::connectionWithRequest(std::move(request), this);
    }

    bool isDone() const { return done_; }
    int attempts() const { return attempts_; }
    void setDone() {
        done_ = true;
        connection_ = nullptr;
    }

    std::optional<foundation::URLRequest> willSendRequest(foundation::URLConnection&,
        foundation::URLRequest request, foundation::URLResponse const* redirectResponse) override {
        // A redirect is the service's answer; it is not followed.
        if (redirectResponse)
            return std::nullopt;
        return request;
    }
    void didReceiveResponse(
        foundation::URLConnection&, foundation::URLResponse const& response) override {
        statusCode_ = response.statusCode();
    }
    // The body is not read: only the status tells how the request ended.
    void connectionDidFinishLoading(foundation::URLConnection&) override {
        owner_.finished(*this, true, statusCode_);
    }
    void didFailWithError(foundation::URLConnection&, foundation::URLError const& error) override {
        BTXLog::logWithLevel(BTXLog::Error,
            "Connect request to " + path_ + " failed: " + error.localizedDescription);
        owner_.finished(*this, false, 0);
    }

private:
    BountixConnect& owner_;
    std::string path_;
    BTXParameters parameters_;
    base::Ref<foundation::URLConnection> connection_;
    int attempts_ {0};
    int statusCode_ {0};
    bool done_ {false};
};

BountixConnect::~BountixConnect() = default;

BountixConnect& BountixConnect::sharedBountixConnect() {
    auto& shared = sharedSlot();
    if (!shared)
        shared = base::make<BountixConnect>();
    return *shared;
}

void BountixConnect::resetShared() {
    sharedSlot() = nullptr;
    switchedBaseURL().clear();
    balanceRequester() = nullptr;
}

std::string BountixConnect::installationIdentifier() {
    return foundation::lowercase(BTXConfiguration::current().installationIdentifier);
}

BountixConnect& BountixConnect::requestBountixConnect(std::string appID, std::string secretKey) {
    auto& connect = sharedBountixConnect();
    connect.initConnectWithAppID(std::move(appID), std::move(secretKey));
    connect.currencyMultiplier_ = 1.0f;
    connect.userID_ = installationIdentifier();
    connect.isInitialConnect_ = true;
    connect.connectWithParam(connect.genericParameters());
    requestBalance();
    return connect;
}

BountixConnect& BountixConnect::actionComplete(std::string const& actionID) {
    auto& connect = sharedBountixConnect();
    auto parameters = connect.genericParameters();
    parameters.set("app_id", actionID);
    connect.connectWithParam(std::move(parameters));
    return connect;
}

std::string BountixConnect::getAppID() {
    return sharedBountixConnect().appID_.value_or("");
}

std::string BountixConnect::getSecretKey() {
    return sharedBountixConnect().secretKey_.value_or("");
}

std::string BountixConnect::getUserID() {
    auto& connect = sharedBountixConnect();
    if (!connect.userID_)
        connect.userID_ = installationIdentifier();
    return *connect.userID_;
}

void BountixConnect::setUserID(std::string userID) {
    auto& connect = sharedBountixConnect();
    connect.userID_ = std::move(userID);
    connect.setUserIDWithParam(connect.genericParameters());
}

void BountixConnect::setCurrencyMultiplier(float multiplier) {
    sharedBountixConnect().currencyMultiplier_ = multiplier;
}

float BountixConnect::getCurrencyMultiplier() {
    return sharedBountixConnect().currencyMultiplier_;
}

std::string BountixConnect::createQueryStringFromDict(
    std::optional<BTXParameters> const& parameters) {
    if (!parameters) {
        BTXLog::logWithLevel(BTXLog::Progress, "Sending Nil Getting Generic Dictionary Now");
        return queryString(sharedBountixConnect().genericParameters());
    }
    return queryString(*parameters);
}

void BountixConnect::deviceNotificationReceived() {
    auto& connect = sharedBountixConnect();
    if (connect.isInitialConnect_)
        connect.isInitialConnect_ = false;
    else
        connect.connectWithParam(connect.genericParameters());
    if (auto* wall = BTXOffersWebView::sharedIfMade(); wall && wall->isViewVisible())
        wall->refreshWebView();
    requestBalance();
}

void BountixConnect::getOfferPoints() {
    BTXUserAccountManager::sharedBTXUserAccountManager().getOfferPoints();
}

void BountixConnect::spendOfferPoints(int amount) {
    BTXUserAccountManager::sharedBTXUserAccountManager().spendOfferPoints(amount);
}

void BountixConnect::awardOfferPoints(int amount) {
    BTXUserAccountManager::sharedBTXUserAccountManager().awardOfferPoints(amount);
}

void BountixConnect::getFeaturedApp() {
    BTXFeaturedAppManager::sharedBTXFeaturedAppManager().getFeaturedApp();
}

void BountixConnect::getFeaturedAppWithCurrencyID(std::string const& currencyID) {
    BTXFeaturedAppManager::sharedBTXFeaturedAppManager().getFeaturedAppWithCurrencyID(currencyID);
}

void BountixConnect::setFeaturedAppDisplayCount(int count) {
    BTXFeaturedAppManager::sharedBTXFeaturedAppManager().setFeaturedAppDisplayCount(count);
}

void BountixConnect::setTransitionEffect(int effect) {
    BTXViewCommons::sharedObject().setTransitionEffect(effect);
}

void BountixConnect::setUserdefinedColorWithIntValue(int value) {
    BTXViewCommons::sharedObject().setUserdefinedColorWithIntValue(value);
}

void BountixConnect::setUserDefinedColorWithRed(int red, int green, int blue) {
    BTXViewCommons::sharedObject().setUserDefinedColorWithRed(red, green, blue);
}

void BountixConnect::updateViewsWithOrientation(int orientation) {
    BTXCallsWrapper::sharedBTXCallsWrapper().updateViewsWithOrientation(
        ui::InterfaceOrientation(orientation));
}

void BountixConnect::animateBTXView(ui::View* view, int effect, float duration) {
    BTXViewCommons::animateBTXView(view, effect, duration);
}

float BountixConnect::getTransitionDelay() {
    return BTXViewCommons::sharedObject().getTransitionDelay();
}

int BountixConnect::getCurrentTransitionEffect() {
    return BTXViewCommons::sharedObject().getCurrentTransitionEffect();
}

int BountixConnect::getReverseTransitionEffect() {
    return BTXViewCommons::sharedObject().getReverseTransitionEffect();
}

BTXOffersWebView& BountixConnect::showOffersWithFrame(graphics::Rect frame) {
    return BTXCallsWrapper::sharedBTXCallsWrapper().showOffersWithFrame(frame);
}

BTXOffersWebView& BountixConnect::showOffers() {
    return BTXCallsWrapper::sharedBTXCallsWrapper().showOffers();
}

void BountixConnect::showOffersWithViewController(ui::ViewController* controller) {
    BTXCallsWrapper::sharedBTXCallsWrapper().showOffersWithViewController(controller);
}

void BountixConnect::showOffersWithViewController(ui::ViewController* controller, bool navBar) {
    BTXCallsWrapper::sharedBTXCallsWrapper().showOffersWithViewController(controller, navBar);
}

BTXOffersWebView& BountixConnect::showOffersWithCurrencyID(
    std::string const& currencyID, graphics::Rect frame, bool selector) {
    return BTXCallsWrapper::sharedBTXCallsWrapper().showOffersWithCurrencyID(
        currencyID, frame, selector);
}

BTXOffersWebView& BountixConnect::showOffersWithCurrencyID(
    std::string const& currencyID, bool selector) {
    return BTXCallsWrapper::sharedBTXCallsWrapper().showOffersWithCurrencyID(currencyID, selector);
}

void BountixConnect::showOffersWithCurrencyID(
    std::string const& currencyID, ui::ViewController* controller, bool selector) {
    BTXCallsWrapper::sharedBTXCallsWrapper().showOffersWithCurrencyID(
        currencyID, controller, selector);
}

void BountixConnect::showOffersWithCurrencyID(
    std::string const& currencyID, ui::ViewController* controller, bool navBar, bool selector) {
    BTXCallsWrapper::sharedBTXCallsWrapper().showOffersWithCurrencyID(
        currencyID, controller, navBar, selector);
}

void BountixConnect::setOffersNavBarImage(base::Ref<ui::Image> image) {
    BTXOffersWebView::sharedBTXOffersWebView().setCustomNavBarImage(std::move(image));
}

BTXAdView& BountixConnect::getDisplayAdWithDelegate(
    BTXAdDelegate* delegate, std::optional<std::string> const& currencyID) {
    return BTXAdView::sharedBTXAdView().getAdWithDelegate(delegate, currencyID);
}

void BountixConnect::refreshDisplayAd() {
    BTXAdView::sharedBTXAdView().refreshAd();
}

void BountixConnect::refreshDisplayAdWithCurrencyID(std::string const& currencyID) {
    BTXAdView::sharedBTXAdView().refreshAdWithCurrencyID(currencyID);
}

bool BountixConnect::isDisplayAdLoaded() {
    return BTXAdView::sharedBTXAdView().isAdLoaded();
}

BTXAdView& BountixConnect::getDisplayAdView() {
    return BTXAdView::sharedBTXAdView();
}

void BountixConnect::initVideoAdWithDelegate(BTXVideoAdDelegate* delegate) {
    BTXVideoManager::sharedBTXVideoManager().initVideoAdsWithDelegate(delegate);
}

void BountixConnect::setVideoCacheCount(int count) {
    BTXVideoManager::sharedBTXVideoManager().setVideoCacheCount(count);
}

std::string BountixConnect::BTXSHA256WithString(std::string const& text) {
    return foundation::Digest::hashHex(foundation::Digest::Algorithm::SHA256, text);
}

std::string BountixConnect::BTXSHA256CommonParamsWithTimeStamp(std::string const& timeStamp) {
    auto& connect = sharedBountixConnect();
    return BTXSHA256WithString(connect.appID_.value_or("") + ":" + installationIdentifier() + ":"
        + timeStamp + ":" + connect.secretKey_.value_or(""));
}

std::string BountixConnect::BTXSHA256CommonParamsWithTimeStamp(
    std::string const& timeStamp, int offerPointsAmount, std::string const& guid) {
    auto& connect = sharedBountixConnect();
    return BTXSHA256WithString(connect.appID_.value_or("") + ":" + installationIdentifier() + ":"
        + timeStamp + ":" + connect.secretKey_.value_or("") + ":"
        + std::to_string(offerPointsAmount) + ":" + guid);
}

std::string BountixConnect::generateUUID() {
    auto& random = foundation::Arc4Random::shared();
    std::array<std::uint8_t, 16> bytes {};
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(random.next());
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out.push_back('-');
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        out += digits;
    }
    return out;
}

std::string BountixConnect::currentBaseURL() {
    if (!switchedBaseURL().empty())
        return switchedBaseURL();
    return BTXConfiguration::current().primaryHost;
}

void BountixConnect::setBalanceRequester(BalanceRequester requester) {
    balanceRequester() = std::move(requester);
}

BTXParameters BountixConnect::genericParameters() const {
    if (!appID_)
        base::logLine("requestBountixConnect:secretKey: must be called before any other Bountix "
                      "methods!");
    BTXParameters parameters;
    auto put = [&](char const* key, std::optional<std::string> value) {
        if (value)
            parameters.set(key, std::move(*value));
    };
    auto const& device = ui::Device::currentDevice();
    auto udid = installationIdentifier();
    put("udid", udid.empty() ? std::nullopt : std::optional(udid));
    put("device_type", device.isPad() ? "iPad" : "iPhone");
    put("os_version", device.systemVersion());
    put("app_id", appID_);
    put("app_version", bundleVersion());
    put("library_version", BTXLibraryVersion);
    put("country_code", countryCode());
    put("language_code", languageCode());
    auto timeStamp = timeStampNow();
    put("timestamp", timeStamp);
    if (appID_ && secretKey_)
        put("verifier", BTXSHA256CommonParamsWithTimeStamp(timeStamp));
    char multiplier[64];
    std::snprintf(multiplier, sizeof multiplier, "%f", static_cast<double>(currencyMultiplier_));
    put("display_multiplier", multiplier);
    put("platform", "iOS");
    put("device_name", BTXHardware::platform());
    put("connection_type", BTXNetReachability::getReachibilityType());
    return parameters;
}

std::string BountixConnect::queryString(BTXParameters const& parameters) {
    std::string out;
    for (auto const& [key, value] : parameters.entries()) {
        if (!out.empty())
            out += '&';
        out += key + "=" + foundation::addingStrictPercentEscapes(value);
    }
    return out;
}

void BountixConnect::connectWithParam(BTXParameters parameters) {
    send("connect", std::move(parameters));
}

void BountixConnect::setUserIDWithParam(BTXParameters parameters) {
    send("set_publisher_user_id", std::move(parameters));
}

void BountixConnect::initConnectWithAppID(std::string appID, std::string secretKey) {
    appID_ = std::move(appID);
    secretKey_ = std::move(secretKey);
    connectAttempts_ = 0;
}

std::size_t BountixConnect::runningRequests() const {
    std::size_t count = 0;
    for (auto const& request : requests_)
        count += request->isDone() ? 0 : 1;
    return count;
}

void BountixConnect::send(std::string path, BTXParameters parameters) {
    std::erase_if(requests_, [](auto const& request) { return request->isDone(); });
    auto request = std::make_unique<Request>(*this, std::move(path), std::move(parameters));
    auto& started = *request;
    requests_.push_back(std::move(request));
    ++connectAttempts_;
    started.start();
}

void BountixConnect::finished(Request& request, bool answered, int statusCode) {
    if (!answered && request.attempts() < 2) {
        // The one move to the fallback host; this request tries there once.
        if (switchedBaseURL().empty())
            switchedBaseURL() = BTXConfiguration::current().fallbackHost;
        ++connectAttempts_;
        request.start();
        return;
    }
    request.setDone();
    bool success = answered && statusCode >= 200 && statusCode < 400;
    if (!success && answered)
        BTXLog::logWithLevel(
            BTXLog::Error, "Connect request refused with status " + std::to_string(statusCode));
    foundation::NotificationCenter::defaultCenter().postNotification(
        success ? BTXConnectSuccessNotification : BTXConnectFailedNotification);
}

}
