#pragma once

#include <ads/kestrel/KestrelAd.hpp>
#include <ads/kestrel/KestrelAdAppStoreConnectionDelegate.hpp>
#include <ads/kestrel/KestrelAdHook.hpp>
#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelAdTheme.hpp>
#include <ads/kestrel/KestrelParser.hpp>

#include <foundation/NotificationCenter.hpp>
#include <graphics/Geometry.hpp>
#include <ui/AlertView.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>

#include <base/Ref.hpp>
#include <base/WeakRef.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::kestrel {

// The banner surface of the Kestrel ad client: one ad of a hook's rotation (icon, app
// name, sell message, advertiser, a call-to-action badge and the theme's background)
// in a host view. It records state 3 on its impression once it is really on screen
// in the key window, rotates to the hook's next ad on a delayed call while visible
// (paused while off screen), refills itself on the agent's heartbeat while it has no
// ad, and on a tap records state 4 and opens the web canvas. The class operations
// build the click-through URLs of every surface of the client.
//
// The parent view or controller is not retained. A delayed refresh retains the banner
// until it runs or is cancelled. Main thread only.
class KestrelAdView : public ui::View, public ui::AlertViewDelegate {
public:
    static constexpr float bannerWidth = 320;
    static constexpr float bannerHeight = 48;
    static constexpr int defaultClickAction = 1;
    // The call-to-action badge's image codes: portrait or landscape without reward,
    // landscape with a reward; the free app's twins are one less.
    static constexpr std::int16_t paidActionImageCode = 9;
    static constexpr std::int16_t freeActionImageCode = 8;
    static constexpr std::int16_t paidRewardActionImageCode = 11;
    static constexpr std::int16_t freeRewardActionImageCode = 10;
    static constexpr float actionButtonWidth = 73;
    static constexpr float actionButtonHeight = 32;

    // The parent is a view controller (the banner is placed in its view) or a view;
    // anything else leaves the banner without a parent.
    static base::Ref<KestrelAdView> initWithAd(base::Ref<KestrelAd> ad,
        std::optional<std::string> hook, int xLoc, int yLoc, ui::Responder* parent,
        bool attachToView, std::optional<std::string> orientation,
        std::optional<std::string> canvasOrientation, bool autoRefresh,
        std::optional<std::string> rewardMessage);

    ~KestrelAdView() override;

    void updateWithAd(base::Ref<KestrelAd> ad, base::Ref<KestrelAdHook> hook);
    void refreshWithAd();
    void updateToOrientation();
    void handleHeartBeat();
    void checkBannerLocation();
    virtual void createViewElements();
    void updateWithRewardMessage();
    void touchesEnded(ui::TouchSet const& touches, ui::Event* event) override;
    // Starts the store hand-off for webUrl, with the network activity indicator on
    // until it ends.
    void showAppStore();
    // Any button but the cancel button (index 0) starts the hand-off.
    void clickedButtonAtIndex(ui::AlertView& alertView, int buttonIndex) override;
    foundation::URLConnection* appStoreConnection() const { return appStoreConnection_.get(); }

    // ---- frames
    graphics::Rect portraitFrame() const;
    graphics::Rect portraitSellMessageFrame() const;
    graphics::Rect portraitIconFrame() const;
    graphics::Rect portraitAppNameFrame() const;
    graphics::Rect portraitAdvertiserFrame() const;
    virtual graphics::Rect portraitActionButtonFrame() const;
    graphics::Rect landscapeFrame() const;
    graphics::Rect landscapeSellMessageFrame() const;
    graphics::Rect landscapeIconFrame() const;
    graphics::Rect landscapeAppNameFrame() const;
    graphics::Rect landscapeAdvertiserFrame() const;
    virtual graphics::Rect landscapeActionButtonFrame() const;

    // ---- click-through URLs (none while the ad service's URLs are not configured)
    static std::optional<std::string> webUrlForCanvas(bool canvas,
        std::optional<std::string> const& hook, KestrelAd const* ad,
        KestrelAdImpression const* adImpression,
        std::optional<std::string> const& canvasOrientation, KestrelCookies const* userCookies);
    static std::optional<std::string> webUrlForOffer(std::optional<std::string> const& hook,
        KestrelAd const* ad, KestrelAdImpression const* adImpression,
        KestrelCookies const* userCookies);
    static std::string appendWebUrl(std::string const& url, KestrelCookies const* userCookies);
    // The turn that shows a full-screen surface laid out for the orientation on the
    // device's portrait screen: a quarter turn (three in landscape left) with a shift of
    // 80 points (128 on a tablet) in landscape, a half turn upside down, none in portrait.
    static graphics::AffineTransform surfaceTransform(
        std::optional<std::string> const& orientation);
    // The URL without its query, for log lines: the query carries the api key and the
    // cookies.
    static std::string withoutQuery(std::optional<std::string> const& url);

    // The description text that names a parent in the assignment registry.
    static std::string descriptionOf(void const* object, char const* kind);

    // ---- state
    ui::ImageView* landscapeBackground() const { return landscapeBackground_.get(); }
    ui::ImageView* portraitBackground() const { return portraitBackground_.get(); }
    ui::ImageView* icon() const { return icon_.get(); }
    ui::Label* sellMessageLabel() const { return sellMessageLabel_.get(); }
    ui::Label* appNameLabel() const { return appNameLabel_.get(); }
    ui::Label* advertiserLabel() const { return advertiserLabel_.get(); }
    ui::ImageView* actionButton() const { return actionButton_.get(); }
    std::optional<std::string> const& hook() const { return hook_; }
    KestrelAd* ad() const { return ad_.get(); }
    KestrelAdHook* adHook() const { return adHook_.get(); }
    KestrelAdTheme* theme() const { return theme_.get(); }
    ui::ViewController* parentViewController() const { return parentViewController_.get(); }
    ui::View* parentView() const { return parentView_.get(); }
    KestrelAdImpression* adImpression() const { return adImpression_.get(); }
    std::optional<std::string> const& orientation() const { return orientation_; }
    void setOrientation(std::optional<std::string> orientation) {
        orientation_ = std::move(orientation);
    }
    std::optional<std::string> const& canvasOrientation() const { return canvasOrientation_; }
    std::optional<std::string> const& parentName() const { return parentName_; }
    bool autoRefresh() const { return _autoRefresh; }
    bool refreshTimerPaused() const { return _refreshTimerPaused; }
    KestrelAdDelegate* adDelegate() const { return adDelegate_; }
    void setAdDelegate(KestrelAdDelegate* delegate) { adDelegate_ = delegate; }
    std::optional<std::string> const& webUrl() const { return webUrl_; }
    bool canvasAnimated() const { return canvasAnimated_; }
    void setCanvasAnimated(bool animated) { canvasAnimated_ = animated; }
    std::optional<std::string> const& rewardMessage() const { return rewardMessage_; }
    std::optional<KestrelCookies> const& userCookies() const { return userCookies_; }
    void setUserCookies(std::optional<KestrelCookies> cookies) {
        userCookies_ = std::move(cookies);
    }
    // Whether the last on-screen test found the banner visible.
    bool isOnScreen() const;

protected:
    friend base::Factory;
    explicit KestrelAdView(graphics::Rect frame);

    void init(base::Ref<KestrelAd> ad, std::optional<std::string> hook, ui::Responder* parent,
        bool attachToView, std::optional<std::string> orientation,
        std::optional<std::string> canvasOrientation, bool autoRefresh,
        std::optional<std::string> rewardMessage);
    bool isLandscape() const;
    // Takes the previous ad's elements out of the banner before a new set is built.
    void removeViewElements();
    void scheduleRefresh();
    void cancelRefresh();
    // Opens the web canvas for the tapped ad (the canvas builds on this banner).
    virtual void openCanvas(std::optional<std::string> const& appStoreUrl, int clickAction);
    KestrelCookies const* cookies() const { return userCookies_ ? &*userCookies_ : nullptr; }
    // A frame of the badge inside the banner of this orientation's size.
    graphics::Rect actionButtonFrameInside(graphics::Rect banner) const;

    base::Ref<ui::ImageView> landscapeBackground_;
    base::Ref<ui::ImageView> portraitBackground_;
    base::Ref<ui::ImageView> icon_;
    base::Ref<ui::Label> sellMessageLabel_;
    base::Ref<ui::Label> appNameLabel_;
    base::Ref<ui::Label> advertiserLabel_;
    base::Ref<ui::ImageView> actionButton_;
    std::optional<std::string> hook_;
    base::Ref<KestrelAd> ad_;
    base::WeakRef<ui::ViewController> parentViewController_;
    base::WeakRef<ui::View> parentView_;
    base::Ref<KestrelAdImpression> adImpression_;
    std::optional<std::string> orientation_;
    std::optional<std::string> canvasOrientation_;
    std::optional<std::string> parentName_;
    bool _autoRefresh {false};
    bool _refreshTimerPaused {false};
    base::Ref<KestrelAdHook> adHook_;
    KestrelAdDelegate* adDelegate_ {nullptr};
    std::optional<std::string> webUrl_;
    base::Ref<KestrelAdTheme> theme_;
    bool canvasAnimated_ {false};
    std::optional<std::string> rewardMessage_;
    std::optional<KestrelCookies> userCookies_;
    base::Ref<KestrelAdAppStoreConnectionDelegate> appStoreDelegate_;
    base::Ref<foundation::URLConnection> appStoreConnection_;
    foundation::ObservationToken orientationObservation_;
    foundation::ObservationToken heartBeatObservation_;
};

}
