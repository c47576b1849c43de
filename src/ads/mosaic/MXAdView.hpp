#pragma once

#include <ads/mosaic/MXAdManager.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/HTTPHeaderFields.hpp>
#include <ui/View.hpp>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class ViewController;
}

namespace ads::mosaic {

class MXAdView;

// What the banner tells its owner. viewControllerForPresentingModalView is required;
// the others do nothing unless overridden.
class MXAdViewDelegate {
public:
    virtual ~MXAdViewDelegate() = default;
    virtual ui::ViewController* viewControllerForPresentingModalView() = 0;
    virtual void adViewDidFailToLoadAd(MXAdView&) { }
    virtual void adViewDidLoadAd(MXAdView&) { }
    virtual void willPresentModalViewForAd(MXAdView&) { }
    virtual void didDismissModalViewForAd(MXAdView&) { }
    virtual void adViewDidReceiveResponseParams(MXAdView&, foundation::HTTPHeaderFields const&) { }
    virtual void adViewShouldClose(MXAdView&) { }

    // The operations an HTML creative may call by name with its "custom" command. A
    // name not in this list is refused, so a creative can reach nothing the delegate
    // did not offer it; none by default. A name that ends in ":" takes the creative's
    // data, decoded as a JSON object (null when it does not decode).
    virtual std::vector<std::string> allowedCustomSelectors() { return {}; }
    virtual void performCustomSelector(std::string const&, base::Value const&) { }
    // A reply of ad type "custom" names one of the same allowed operations in
    // "X-Customselector": a plain name is called with no ad view, a name that ends in
    // ":" with the banner. The operation later tells the banner customEventDidLoadAd
    // or customEventDidFailToLoadAd.
    virtual void performCustomEvent(std::string const&, MXAdView*) { }
};

// A latitude and longitude to target ads with.
struct MXLocation {
    double latitude {0};
    double longitude {0};
    bool operator==(MXLocation const&) const = default;
};

// The banner the game places on screen. It owns its ad manager, which fetches the
// ads, and shows the current creative (a web view or an adapter's view) as its one
// content subview, with a transition when a new creative replaces a shown one. The
// delegate is not retained. Main thread.
class MXAdView : public ui::View {
public:
    static constexpr char const* defaultAdUnitId = "agpzZmFrZXVuaXRyDAsSBFNsb3QYqbUNDA";
    static constexpr char const* transitionAnimationID = "MXAdTransition";

    // initWithAdUnitId:size:; an empty id takes the built-in default.
    static base::Ref<MXAdView> initWithAdUnitId(std::string const& adUnitId, graphics::Size size);

    MXAdViewDelegate* delegate() const { return delegate_; }
    void setDelegate(MXAdViewDelegate* delegate) { delegate_ = delegate; }
    MXAdManager* adManager() const { return adManager_.get(); }
    void setAdManager(base::Ref<MXAdManager> manager) { adManager_ = std::move(manager); }

    std::string const& adUnitId() const { return adUnitId_; }
    void setAdUnitId(std::string adUnitId);
    std::string keywords() const;
    void setKeywords(std::optional<std::string> keywords);

    std::optional<MXLocation> const& location() const { return location_; }
    void setLocation(std::optional<MXLocation> location);
    bool locationEnabled() const { return locationEnabled_; }
    void setLocationEnabled(bool enabled);
    unsigned locationPrecision() const { return locationPrecision_; }
    void setLocationPrecision(unsigned precision);
    // Latitude and longitude as sent, or none without a location or while disabled.
    std::optional<std::array<std::string, 2>> const& locationDescriptionPair() const {
        return locationDescriptionPair_;
    }

    bool ignoresAutorefresh() const { return ignoresAutorefresh_; }
    void setIgnoresAutorefresh(bool ignores);

    void loadAd();
    void refreshAd();
    void forceRefreshAd();
    void loadAdWithURL(std::optional<std::string> url);
    void rotateToOrientation(ui::InterfaceOrientation orientation);

    void lockNativeAdsToOrientation(int orientation) { allowedNativeAdOrientation_ = orientation; }
    void unlockNativeAdsOrientation() { allowedNativeAdOrientation_ = 0; }
    int allowedNativeAdsOrientation() const { return allowedNativeAdOrientation_; }

    void adViewDidAppear();
    void didCloseAd();
    void backFillWithNothing();
    void customEventDidLoadAd();
    void customEventDidFailToLoadAd();

    ui::View* adContentView() const { return adContentView_.get(); }
    // Shows view (none is ignored) with the transition of animationType.
    virtual void setAdContentView(base::Ref<ui::View> view);
    graphics::Size adContentViewSize() const;

    graphics::Size creativeSize() const { return creativeSize_; }
    void setCreativeSize(graphics::Size size) { creativeSize_ = size; }
    graphics::Size originalSize() const { return originalSize_; }
    void setOriginalSize(graphics::Size size) { originalSize_ = size; }
    bool scrollable() const { return scrollable_; }
    void setScrollable(bool scrollable) { scrollable_ = scrollable; }
    int animationType() const { return animationType_; }
    void setAnimationType(int type) { animationType_ = type; }

    // The pick for animation type 1, from the class's own generator (seeded once);
    // tests may seed it.
    static int randomAnimationType();
    static void seedRandomAnimationType(unsigned seed);

protected:
    MXAdView(std::string const& adUnitId, graphics::Size size);
    ~MXAdView() override;

private:
    void recomputeLocationPair();
    void applyScrollSetting(ui::View& view);
    void finishTransition(base::Ref<ui::View> view);

    MXAdViewDelegate* delegate_ {nullptr};
    base::Ref<MXAdManager> adManager_;
    std::string adUnitId_;
    std::optional<MXLocation> location_;
    base::Ref<ui::View> adContentView_;
    graphics::Size originalSize_ {};
    graphics::Size creativeSize_ {};
    bool scrollable_ {false};
    bool locationEnabled_ {true};
    unsigned locationPrecision_ {6};
    std::optional<std::array<std::string, 2>> locationDescriptionPair_;
    int animationType_ {0};
    int allowedNativeAdOrientation_ {0};
    bool ignoresAutorefresh_ {false};

    friend base::Factory;
};

}
