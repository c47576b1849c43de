#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <graphics/Geometry.hpp>
#include <ui/View.hpp>

#include <string>

namespace ui {
class ViewController;
}

namespace game {

// The offer wall's notifications. A balance travels as the integer under
// "points" of the notification's user info.
inline constexpr char const* BTXConnectSuccessNotification = "BTX_Connect_Success";
inline constexpr char const* BTXConnectFailedNotification = "BTX_Connect_Failed";
inline constexpr char const* BTXOfferPointsNotification = "BTX_OFFER_POINTS_RESPONSE_NOTIFICATION";
inline constexpr char const* BTXSpendOfferPointsNotification
    = "BTX_SPEND_OFFER_POINTS_RESPONSE_NOTIFICATION";
inline constexpr char const* BTXShowBoxNotification = "BTX_SHOW_BOX_NOTIFICATION";
inline constexpr char const* BTXFeaturedAppNotification = "BTX_FEATURED_APP_RESPONSE_NOTIFICATION";
inline constexpr char const* BTXOfferPointsErrorNotification
    = "BTX_OFFER_POINTS_RESPONSE_NOTIFICATION_ERROR";
inline constexpr char const* BTXSpendOfferPointsErrorNotification
    = "BTX_SPEND_OFFER_POINTS_RESPONSE_NOTIFICATION_ERROR";
inline constexpr char const* BTXAwardOfferPointsErrorNotification
    = "BTX_AWARD_OFFER_POINTS_RESPONSE_NOTIFICATION_ERROR";
inline constexpr char const* BTXPointsKey = "points";

// Asked by the interstitial client before it shows one.
class MarqueeDelegate {
public:
    virtual ~MarqueeDelegate() = default;
    virtual bool shouldDisplayInterstitial(std::string const& location) = 0;
};

// What a display ad of the offer wall tells its requester.
class BTXAdDelegate {
public:
    virtual ~BTXAdDelegate() = default;
    virtual void didReceiveAd(base::Ref<ui::View> adView) = 0;
    virtual void didFailWithMessage(std::string const& message) = 0;
};

// What the shell asks of the ad clients: the offer wall, its featured app and
// display ads, the interstitial client, the check-in client and the mediation
// banner. The standing clients use the Marquee client for interstitials; for the
// others, until they are installed, they log each request, post nothing and make no
// screens, so the game runs without those ads. Main thread.
class AdClients {
public:
    virtual ~AdClients() = default;

    // The installed clients, or the standing ones.
    static AdClients& shared();
    // Installs clients that the caller keeps alive; null goes back to the standing ones.
    static void setShared(AdClients* clients);

    // --- the offer wall ---
    // The standing clients reach the offer service for the connect, the pay-per-actions,
    // the points, the featured app and the display ad; its hosts come from ServerConfig, read at
    // the connect. Connects, then asks for the balance; posts BTX_Connect_Success or _Failed.
    virtual void requestBountixConnect(
        std::string const& applicationID, std::string const& secretKey);
    // How often one featured app may be handed out (no limit for 0 or -1).
    virtual void setFeaturedAppDisplayCount(int count);
    virtual void setTransitionEffect(int effect);
    virtual void setUserDefinedColor(int red, int green, int blue);
    // Opens the offer wall over controller's view; posts BTX_SHOW_BOX_NOTIFICATION when it
    // closes. Before the offer wall has been connected, or without a controller, there
    // is nothing to show and the notification comes at once.
    virtual void showOffersWithViewController(ui::ViewController* controller);
    // Posts the balance, or the error notification.
    virtual void getOfferPoints();
    // Posts the spend confirmation with the new balance, or the error notification.
    virtual void spendOfferPoints(int points);
    // Reports a pay-per-action to the offer service; posts BTX_Connect_Success or _Failed.
    virtual void actionComplete(std::string const& actionID);
    // Posts BTX_FEATURED_APP_RESPONSE_NOTIFICATION with the model's fields as user info,
    // or with none when there is nothing to show.
    virtual void getFeaturedApp();
    // Asks the offer service for a 320 x 50 display ad, never refreshed by a timer; the
    // delegate (not retained) hears the answer.
    virtual void getDisplayAdWithDelegate(BTXAdDelegate* delegate);

    // --- the interstitial client ---
    // Configures the Marquee client (its API root from ServerConfig, the installation
    // identifier) and reports the installation. The delegate is not retained.
    virtual void setUpMarquee(
        std::string const& applicationID, std::string const& signature, MarqueeDelegate* delegate);
    // Asks the Marquee client for an interstitial; it shows itself when it has loaded
    // and the delegate agrees.
    virtual void loadInterstitial();

    // --- the check-in client ---
    // Configures the check-in client (its service from ServerConfig, the store host,
    // the installation identifier), lets its engine variant reach the director, and
    // starts it for the game's store id.
    virtual void startHowdyWithAppId(std::string const& appId);
    // Whether the check-in client runs on this device, and whether the game server
    // turned its button on; the main menu offers check-in only when both hold.
    virtual bool isHowdySupported();
    virtual bool shouldShowHowdy();
    // Checks in through the started client: the companion program, or the client's
    // explain screen when it is not installed. Nothing before a start.
    virtual void howdyCheckin();

    // --- the mediation banner ---
    // Points the banner client at its ad server and at the store's and the maps host
    // (all from ServerConfig), with the installation identifier. Without an ad server
    // the banner asks for nothing and shows nothing.
    static void setUpMosaic();
};

}
