#pragma once

#include <ads/adnoria/ADNBannerViewDelegate.hpp>

#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <foundation/Timer.hpp>
#include <ui/ImageView.hpp>
#include <ui/ViewController.hpp>
#include <ui/Window.hpp>

#include <vector>

namespace ads::adnoria {

class ADNInterstitial;

// Shows an interstitial at launch: covers the window with a splash image (the
// window's own views are taken away meanwhile) until the interstitial arrives and
// is presented, or fails, or the time-out passes; then gives the window back as it
// was, its own covering view included, and lets itself go. It keeps itself alive
// from its creation until then; an interstitial that arrives after the time-out
// no longer reaches it. Main thread.
class ADNInterstitialAppController final : public ui::ViewController,
                                           public ADNInterstitialDelegate {
public:
    static base::Ref<ADNInterstitialAppController> initWithWindow(
        ui::Window& window, base::Ref<ui::Image> image, int timeout, ADNInterstitial& interstitial);
    ~ADNInterstitialAppController() override;

    void interstitialDidReceiveAd(ADNInterstitial*) override;
    void interstitialDidFailToReceiveAdWithError(
        ADNInterstitial*, ADNRequestError const& error) override;
    void interstitialWillDismissScreen(ADNInterstitial*) override;

    void timeout();
    void removeSelfAsDelegate();
    void restoreWindowAndRelease();
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    ui::ImageView* imageView() const { return imageView_.get(); }
    bool isRestored() const { return !self_; }

private:
    friend base::Factory;
    ADNInterstitialAppController() = default;

    base::Ref<ADNInterstitial> interstitial_;
    base::WeakRef<ui::Window> window_;
    std::vector<base::Ref<ui::View>> storedUserViews_;
    base::Ref<ui::ImageView> imageView_;
    base::Ref<foundation::Timer> timeout_;
    bool hideStatusBar_ {false};
    base::Ref<ADNInterstitialAppController> self_;
};

}
