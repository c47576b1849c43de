#pragma once

#include <ads/bountix/BTXParameters.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <graphics/Geometry.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Image;
class View;
class ViewController;
}

namespace ads::bountix {

class BTXVideoAdDelegate;
class BTXAdDelegate;
class BTXAdView;
class BTXFeaturedAppView;
class BTXOffersWebView;

inline constexpr char const* BTXConnectSuccessNotification = "BTX_Connect_Success";
inline constexpr char const* BTXConnectFailedNotification = "BTX_Connect_Failed";
inline constexpr char const* BTXLibraryVersion = "8.1.0";

// The offer-wall client's connection to the offer service: it holds the
// application's identity (id, secret key, publisher user id, currency multiplier),
// builds the generic parameters every offer-service request carries, and sends the
// connect and set-user-id requests.
//
// Each connect-type request ends in exactly one notification on the default centre,
// with no object: BTX_Connect_Success when the service answered with a status of 200
// to 399, BTX_Connect_Failed for any other status or when no answer came. A request
// that gets no answer from the primary host is sent once more, with the same
// parameters, to the fallback host; that first failure moves the base URL of every
// later request to the fallback host for the rest of the process. Redirects are not
// followed: a redirect is an answer.
//
// One shared instance per process, on the main thread; requests run concurrently
// and are not serialised. The secret key and the verifiers are never logged.
class BountixConnect final : public base::Object {
public:
    ~BountixConnect() override;

    static BountixConnect& sharedBountixConnect();
    // Drops the shared instance (its requests are cancelled) and moves the base URL
    // back to the primary host; for tests.
    static void resetShared();

    // Stores the ids, sets the multiplier to 1 and the user id to the installation's
    // identifier, connects, then asks for the balance.
    static BountixConnect& requestBountixConnect(std::string appID, std::string secretKey);
    // Reports a pay-per-action: a connect whose "app_id" is the action's id (the
    // verifier stays the one over the application's own id).
    static BountixConnect& actionComplete(std::string const& actionID);
    static std::string getAppID();
    static std::string getSecretKey();
    // The installation's identifier in lower case until one is set.
    static std::string getUserID();
    static void setUserID(std::string userID);
    static void setCurrencyMultiplier(float multiplier);
    static float getCurrencyMultiplier();
    // A fresh generic parameter set when none is given.
    static std::string createQueryStringFromDict(std::optional<BTXParameters> const& parameters);
    // The application came back to the foreground: connects again unless this is
    // the first time since start-up, then asks for the balance.
    static void deviceNotificationReceived();

    // SHA-256 of "appID:udid:timestamp:secretKey", in lower-case hex.
    static std::string BTXSHA256CommonParamsWithTimeStamp(std::string const& timeStamp);
    // SHA-256 of "appID:udid:timestamp:secretKey:amount:guid", in lower-case hex.
    static std::string BTXSHA256CommonParamsWithTimeStamp(
        std::string const& timeStamp, int offerPointsAmount, std::string const& guid);
    static std::string BTXSHA256WithString(std::string const& text);
    // A new random version-4 UUID in lower case.
    static std::string generateUUID();

    // The base URL of the connect-type requests: the primary host's root until a
    // request to it failed, then the fallback host's.
    static std::string currentBaseURL();

    // What asks for the balance after a connect: the points account's getOfferPoints
    // unless a test installs something else (null goes back to it).
    using BalanceRequester = std::function<void()>;
    static void setBalanceRequester(BalanceRequester requester);

    // The points account (forwarded to the shared BTXUserAccountManager).
    static void getOfferPoints();
    static void spendOfferPoints(int amount);
    static void awardOfferPoints(int amount);

    // The featured application (forwarded to the shared BTXFeaturedAppManager).
    static void getFeaturedApp();
    static void getFeaturedAppWithCurrencyID(std::string const& currencyID);
    static void setFeaturedAppDisplayCount(int count);
    // The current featured app's full-screen ad through the view host; without a
    // featured app each logs and shows nothing (null).
    static BTXFeaturedAppView* showFeaturedAppFullScreenAd();
    static BTXFeaturedAppView* showFeaturedAppFullScreenAdWithFrame(graphics::Rect frame);
    static void showFeaturedAppFullScreenAdWithViewController(ui::ViewController* controller);

    // The display ad (forwarded to the shared BTXAdView, which is returned).
    static BTXAdView& getDisplayAdWithDelegate(
        BTXAdDelegate* delegate, std::optional<std::string> const& currencyID = {});
    static void refreshDisplayAd();
    static void refreshDisplayAdWithCurrencyID(std::string const& currencyID);
    static bool isDisplayAdLoaded();
    static BTXAdView& getDisplayAdView();

    // The shared view settings (forwarded to BTXViewCommons and the view host).
    static void setTransitionEffect(int effect);
    static void setUserdefinedColorWithIntValue(int value);
    static void setUserDefinedColorWithRed(int red, int green, int blue);
    static void updateViewsWithOrientation(int orientation);
    static void animateBTXView(ui::View* view, int effect, float duration);
    static float getTransitionDelay();
    static int getCurrentTransitionEffect();
    static int getReverseTransitionEffect();

    // The offer wall (forwarded to the shared BTXCallsWrapper).
    static BTXOffersWebView& showOffersWithFrame(graphics::Rect frame);
    static BTXOffersWebView& showOffers();
    static void showOffersWithViewController(ui::ViewController* controller);
    static void showOffersWithViewController(ui::ViewController* controller, bool navBar);
    static BTXOffersWebView& showOffersWithCurrencyID(
        std::string const& currencyID, graphics::Rect frame, bool selector);
    static BTXOffersWebView& showOffersWithCurrencyID(std::string const& currencyID, bool selector);
    static void showOffersWithCurrencyID(
        std::string const& currencyID, ui::ViewController* controller, bool selector);
    static void showOffersWithCurrencyID(
        std::string const& currencyID, ui::ViewController* controller, bool navBar, bool selector);
    static void setOffersNavBarImage(base::Ref<ui::Image> image);

    // The video offers (forwarded to the shared BTXVideoManager).
    static void initVideoAdWithDelegate(BTXVideoAdDelegate* delegate);
    static void setVideoCacheCount(int count);
    // Shows the offer's cached video through the shared view host; nothing (null)
    // before initVideoAdWithDelegate or for an offer with no video on the device.
    static ui::View* showVideoAdWithFrame(graphics::Rect frame, std::string const& offerID);
    static ui::View* showVideoAdWithOfferID(std::string const& offerID);
    static void showVideoAdWithViewController(
        ui::ViewController* controller, std::string const& offerID);

    // The generic parameters, in their fixed order. A value that cannot be had drops
    // only its own key (the verifier goes with a missing id or key); without an
    // application id a line asks for requestBountixConnect first.
    BTXParameters genericParameters() const;
    // Pairs "key=value" in the set's order joined by "&"; every value byte but ASCII
    // letters, digits and "-._~" is percent-encoded, keys are copied as they are.
    static std::string queryString(BTXParameters const& parameters);
    void connectWithParam(BTXParameters parameters);
    void setUserIDWithParam(BTXParameters parameters);
    void initConnectWithAppID(std::string appID, std::string secretKey);

    std::optional<std::string> const& appID() const { return appID_; }
    std::optional<std::string> const& secretKey() const { return secretKey_; }
    std::optional<std::string> const& userID() const { return userID_; }
    float currencyMultiplier() const { return currencyMultiplier_; }
    bool isInitialConnect() const { return isInitialConnect_; }
    // Connect-type requests started since the ids were stored.
    int connectAttempts() const { return connectAttempts_; }
    // Requests still waiting for their answer.
    std::size_t runningRequests() const;

private:
    friend base::Factory;
    BountixConnect() = default;

    class Request;
    void send(std::string path, BTXParameters parameters);
    void finished(Request& request, bool answered, int statusCode);
    static std::string installationIdentifier();

    std::optional<std::string> appID_;
    std::optional<std::string> secretKey_;
    std::optional<std::string> userID_;
    float currencyMultiplier_ {0};
    int connectAttempts_ {0};
    bool isInitialConnect_ {false};
    std::vector<std::unique_ptr<Request>> requests_;
};

}
