#pragma once

#include <ads/adnoria/ADNBannerViewDelegate.hpp>
#include <ads/adnoria/ADNRequest.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/NotificationCenter.hpp>

#include <string>
#include <vector>

namespace ui {
class Image;
class ViewController;
class Window;
}

namespace ads::adnoria {

class ADNObjectPrivate;

// A full-screen ad, loaded ahead and shown on request. A thin front over its
// loading controller (kept in the private-object table under the interstitial); the
// delegate is held by the controller's delegate manager and not retained. Pages
// may change the time-out of the launch-time interstitial through a "settings"
// message; a page action of its own (a plain navigation or "open") cancels the
// controller's pending reload. Main thread.
class ADNInterstitial final : public base::Object {
public:
    static constexpr char const* ApplicationTimeoutKey = "applicationTimeout";

    // Registers "applicationTimeout" = 5.0 in the standard user defaults.
    static void initialize();
    static base::Ref<ADNInterstitial> init();
    ~ADNInterstitial() override;

    std::string const& adUnitID() const;
    void setAdUnitID(std::string adUnitID);
    ADNInterstitialDelegate* delegate() const;
    void setDelegate(ADNInterstitialDelegate* delegate);

    void loadRequest(ADNRequest* request);
    // True exactly in the controller's ad-ready state.
    bool isReady() const;
    void presentFromRootViewController(ui::ViewController* controller);
    // Covers the window with the image until the interstitial shows or the time-out
    // ("applicationTimeout", whole seconds) passes; nothing for a time-out of 0 or less.
    void loadAndDisplayRequest(
        ADNRequest* request, ui::Window& window, base::Ref<ui::Image> initialImage);

    ADNObjectPrivate& objectPrivate() const { return *private_; }

private:
    friend base::Factory;
    ADNInterstitial() = default;

    void settingsChanged(foundation::Notification const& notification);
    void webAction(foundation::Notification const& notification);

    ADNObjectPrivate* private_ {nullptr};
    std::vector<foundation::ObservationToken> observations_;
};

}
