#pragma once

#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelOffer.hpp>
#include <ads/kestrel/KestrelParser.hpp>

#include <ui/Forward.hpp>

#include <base/Ref.hpp>

#include <optional>
#include <string>

namespace ads::kestrel {

class KestrelAdView;

// The hook names of the takeover's three further apps.
inline constexpr char const* takeoverSubAdHooks[3]
    = {"Kestrel_Canvas_Hook_1", "Kestrel_Canvas_Hook_2", "Kestrel_Canvas_Hook_3"};

// The application-facing facade of the Kestrel ad client: class operations only.
// Nothing works until the host application enables the client; then it places banner
// ad spaces (hooks) in the application's views, answers ad and offer counts and fills
// offers, and opens the full-screen catalog canvas and takeover. Misuse (a disabled client, a blank
// hook name) is reported with an alert, and every guarded operation hands an exception to the
// agent's handler and returns its failure value. It holds the three ad-service URLs that the
// surfaces build their click-through and store hand-off URLs from. The ad service's host is
// configuration with no default: until the host application sets the URLs, nothing is built and
// nothing is sent. Main thread only.
class KestrelAdLoop final {
public:
    KestrelAdLoop() = delete;

    // The fixed paths of the ad service; the host application supplies the host.
    static constexpr char const* canvasPath = "/getCanvas.do";
    static constexpr char const* landscapeCanvasPath = "/getCanvasLandscape.do";
    static constexpr char const* appStorePath = "/getIPhoneApp.do";

    static std::optional<std::string> canvasURL();
    static std::optional<std::string> landscapeCanvasURL();
    static std::optional<std::string> appStoreURL();
    static void setCanvasURL(std::optional<std::string> url);
    static void setLandscapeCanvasURL(std::optional<std::string> url);
    static void setAppStoreURL(std::optional<std::string> url);
    // Sets the three URLs to the service's paths on one base ("http://host:port").
    static void setAdServiceBaseURL(std::string const& base);

    // Stores the switch; enabling starts the heartbeat, makes the two parsers and
    // hands the current one to the analytics session. Either way the client closes its
    // full-screen surfaces when the application resigns active.
    static void setAdLoopEnabled(bool enabled);
    static bool adLoopEnabled();
    static void pauseSession();

    static bool appAdIsAvailable(std::optional<std::string> const& hook);
    // 0 when disabled, -1 for a blank hook name.
    static int getAppAdCount(std::optional<std::string> const& hook);
    static int getOfferCount(std::optional<std::string> const& hook);

    // A banner for the hook in view: the one already placed there for the hook, or a
    // new one with the hook's next ad; none without an ad.
    static base::Ref<KestrelAdView> getHook(
        std::optional<std::string> const& hook, int xLoc, int yLoc, ui::View* view);
    static base::Ref<KestrelAdView> getHook(std::optional<std::string> const& hook, int xLoc,
        int yLoc, ui::View* view, bool attachToView, std::optional<std::string> orientation,
        std::optional<std::string> canvasOrientation, bool autoRefresh, bool canvasAnimated,
        std::optional<std::string> rewardMessage, std::optional<KestrelCookies> userCookies);
    static void updateHook(KestrelAdView* banner);
    // Ends the tracking of the banner, so the hook can be placed again in its view.
    static void removeHook(KestrelAdView* banner);

    // Opens the web canvas of the hook's next ad in a window of its own; nothing without
    // an ad.
    static void openCatalog(std::optional<std::string> const& hook,
        std::optional<std::string> canvasOrientation, bool canvasAnimated);
    // Opens the takeover for the hook's next ad, on a tablet with the next ads of the
    // three further-app hooks; nothing without an ad.
    static void openTakeover(std::optional<std::string> const& hook,
        std::optional<std::string> orientation, base::Ref<ui::Image> rewardImage,
        std::optional<std::string> rewardMessage, std::optional<KestrelCookies> userCookies);

    static void setAdLoopDelegate(KestrelAdDelegate* delegate);

    static bool getOffer(std::optional<std::string> const& hook, KestrelOffer* offer);
    static bool getOffer(std::optional<std::string> const& hook, KestrelOffer* offer,
        KestrelCookies const* userCookies);
    static bool peekOffer(std::optional<std::string> const& hook, KestrelOffer* offer);

    // Forgets the URLs (tests).
    static void reset();
};

}
