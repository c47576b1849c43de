#pragma once

#include <ads/mosaic/MXAdView.hpp>
#include <ads/mosaic/MXBaseInterstitialAdapter.hpp>
#include <ads/mosaic/MXInterstitialAdView.hpp>
#include <base/WeakRef.hpp>
#include <ui/Button.hpp>
#include <ui/ViewController.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ads::mosaic {

class MXInterstitialAdController;

// What the view controller that shows an interstitial hears. dismissInterstitial is
// required: the parent dismisses the controller there. The others do nothing unless
// overridden.
class MXInterstitialAdControllerDelegate {
public:
    virtual ~MXInterstitialAdControllerDelegate() = default;
    virtual void dismissInterstitial(MXInterstitialAdController& controller) = 0;
    virtual void interstitialDidLoadAd(MXInterstitialAdController&) { }
    virtual void interstitialDidFailToLoadAd(MXInterstitialAdController&) { }
    virtual void interstitialWillAppear(MXInterstitialAdController&) { }
    virtual void interstitialDidAppear(MXInterstitialAdController&) { }
    virtual void interstitialWillDisappear(MXInterstitialAdController&) { }
    virtual void interstitialDidDisappear(MXInterstitialAdController&) { }
    virtual void willPresentModalViewForAd(MXAdView&) { }
    virtual void didDismissModalViewForAd(MXAdView&) { }
};

// A full-screen ad from the banner's ad server: a controller that owns a screen-sized
// ad view, reads the reply's close-button, orientation and full-screen-type headers,
// shows a close button 6 points inside the top-right corner and is presented modally
// over its parent, which must answer MXInterstitialAdControllerDelegate. One
// controller per ad unit id lives in a class-wide registry until removed. The ad
// view never refreshes by itself and a failed request is not retried. Main thread.
class MXInterstitialAdController final : public ui::ViewController,
                                         public MXAdViewDelegate,
                                         public MXBaseInterstitialAdapterDelegate {
public:
    static constexpr char const* closeButtonImageName = "MXCloseButtonX.png";
    // The close button's distance from the top and right edges.
    static constexpr float closeButtonInset = 6;

    enum CloseButtonType : unsigned { CloseButtonShown = 0, CloseButtonNone = 1 };
    enum OrientationType : unsigned { PortraitOnly = 0, LandscapeOnly = 1, AnyOrientation = 2 };

    static std::vector<base::Ref<MXInterstitialAdController>> const&
    sharedInterstitialAdControllers();
    // The registered controller of the id, made and registered (with no parent) when
    // there is none yet.
    static MXInterstitialAdController& interstitialAdControllerForAdUnitId(
        std::string const& adUnitId);
    static void removeSharedInterstitialAdController(MXInterstitialAdController& controller);
    static void removeAllSharedInterstitialAdControllers();

    static base::Ref<MXInterstitialAdController> initWithAdUnitId(
        std::string const& adUnitId, ui::ViewController* parent);

    void loadView() override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    void viewDidUnload() override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;
    void didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) override;

    void setCloseButtonImageNamed(std::string const& name);
    void layoutCloseButton();
    void loadAd();
    // Shows the ad over the parent: through the full-screen adapter when there is one,
    // else by presenting this controller with the status bar (and the parent's
    // navigation bar) hidden.
    void show();
    // Puts the bars back as show found them and asks the parent to dismiss.
    void closeButtonPressed();

    bool ready() const { return ready_; }
    ui::ViewController* parent() const { return parent_.get(); }
    void setParent(ui::ViewController* parent) { parent_ = parent; }
    std::string const& adUnitId() const { return adUnitId_; }
    void setAdUnitId(std::string id) { adUnitId_ = std::move(id); }
    MXInterstitialAdView* adView() const { return adView_.get(); }
    ui::Button* closeButton() const { return closeButton_.get(); }
    void setCloseButton(base::Ref<ui::Button> button) { closeButton_ = std::move(button); }
    MXBaseInterstitialAdapter* currentAdapter() const { return currentAdapter_.get(); }
    void setCurrentAdapter(base::Ref<MXBaseInterstitialAdapter> adapter) {
        currentAdapter_ = std::move(adapter);
    }
    unsigned closeButtonType() const { return closeButtonType_; }
    unsigned orientationType() const { return orientationType_; }
    bool statusBarWasHidden() const { return statusBarWasHidden_; }
    bool navigationBarWasHidden() const { return navigationBarWasHidden_; }

    // The ad view's targeting values.
    std::string keywords() const { return adView_->keywords(); }
    void setKeywords(std::optional<std::string> keywords) {
        adView_->setKeywords(std::move(keywords));
    }
    std::optional<MXLocation> const& location() const { return adView_->location(); }
    void setLocation(std::optional<MXLocation> location) { adView_->setLocation(location); }
    bool locationEnabled() const { return adView_->locationEnabled(); }
    void setLocationEnabled(bool enabled) { adView_->setLocationEnabled(enabled); }
    unsigned locationPrecision() const { return adView_->locationPrecision(); }
    void setLocationPrecision(unsigned precision) { adView_->setLocationPrecision(precision); }

    // MXAdViewDelegate
    ui::ViewController* viewControllerForPresentingModalView() override { return this; }
    void adViewDidLoadAd(MXAdView& view) override;
    void adViewDidFailToLoadAd(MXAdView& view) override;
    void willPresentModalViewForAd(MXAdView& view) override;
    void didDismissModalViewForAd(MXAdView& view) override;
    void adViewDidReceiveResponseParams(
        MXAdView& view, foundation::HTTPHeaderFields const& headers) override;
    void adViewShouldClose(MXAdView& view) override;

    // MXBaseInterstitialAdapterDelegate
    void adapterDidFinishLoadingAd(MXBaseInterstitialAdapter* adapter) override;
    void adapterDidFailToLoadAdWithError(
        MXBaseInterstitialAdapter* adapter, std::string const& error) override;
    void interstitialWillAppearForAdapter(MXBaseInterstitialAdapter* adapter) override;
    void interstitialDidAppearForAdapter(MXBaseInterstitialAdapter* adapter) override;
    void interstitialWillDisappearForAdapter(MXBaseInterstitialAdapter* adapter) override;
    void interstitialDidDisappearForAdapter(MXBaseInterstitialAdapter* adapter) override;

private:
    friend base::Factory;
    MXInterstitialAdController(std::string const& adUnitId, ui::ViewController* parent);
    ~MXInterstitialAdController() override;

    // The parent as the delegate it must be; null without a parent or when it is none.
    MXInterstitialAdControllerDelegate* parentDelegate() const;

    bool statusBarWasHidden_ {false};
    bool navigationBarWasHidden_ {false};
    // Whether show hid the bars, so that a close puts back only what show changed.
    bool barsHiddenByShow_ {false};
    bool ready_ {false};
    base::Ref<MXInterstitialAdView> adView_;
    base::WeakRef<ui::ViewController> parent_;
    std::string adUnitId_;
    unsigned closeButtonType_ {CloseButtonShown};
    unsigned orientationType_ {AnyOrientation};
    base::Ref<ui::Button> closeButton_;
    base::Ref<MXBaseInterstitialAdapter> currentAdapter_;
};

}
