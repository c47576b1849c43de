#pragma once

#include <ads/kestrel/KestrelAd.hpp>
#include <ads/kestrel/KestrelAdAppStoreConnectionDelegate.hpp>
#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelParser.hpp>
#include <ads/kestrel/VerticalUILabel.hpp>

#include <foundation/URLConnection.hpp>
#include <graphics/Geometry.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/Button.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/ViewController.hpp>
#include <ui/Window.hpp>

#include <base/Ref.hpp>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace ads::kestrel {

// The takeover: a full-screen interstitial in a window of its own that recommends one
// app (icon, name, publisher, description and a store button by price), optionally
// offers a reward for installing it, and on a tablet shows up to three further apps
// whose icons swap them in. The store button hands the recommended app over to the
// store; the close button and the "No Thanks" label close it. Every size is a fixed
// value per device kind and orientation (frameNamed); all artwork comes from the ad
// reply's image codes, and a missing image leaves its element empty.
//
// Further apps take the frames of their layout in the order of their slots, so a slot
// after an empty one still gets a place. The class keeps the open takeover alive until
// it is closed. Main thread only.
class KestrelAdTakeOverViewController final : public ui::ViewController {
public:
    static constexpr int closeButtonTag = 10;
    static constexpr int storeButtonTag = 11;
    static constexpr int noThanksTag = 1000;

    static base::Ref<KestrelAdTakeOverViewController> init();
    ~KestrelAdTakeOverViewController() override;

    void createWindow();
    void removeWindow();
    void loadView() override;
    void createAppModuleWithAppIcon(base::Ref<ui::Image> icon,
        std::optional<std::string> const& name, std::optional<std::string> const& company,
        std::optional<std::string> const& description, std::optional<std::int32_t> price);
    void updateAppModuleWithAppIcon(base::Ref<ui::Image> icon,
        std::optional<std::string> const& name, std::optional<std::string> const& company,
        std::optional<std::string> const& description, std::optional<std::int32_t> price);
    void subAd1Press() { subAdPress(1); }
    void subAd2Press() { subAdPress(2); }
    void subAd3Press() { subAdPress(3); }
    void changeDisplayAd(base::Ref<KestrelAd> ad, std::optional<std::string> displayHook);
    void showAppStore();
    void touchesEnded(ui::TouchSet const& touches, ui::Event* event) override;

    static void setOpenTakeOverController(base::Ref<KestrelAdTakeOverViewController> controller);
    static KestrelAdTakeOverViewController* getOpenTakeOverController();
    static void freeOpenTakeOverController();
    // The takeover window, open or last closed; none before the first.
    static ui::Window* takeOverWindow();

    // ---- frames of this device kind and orientation; the empty rectangle for an
    // unknown name or a value the device kind has none of
    graphics::Rect frameNamed(std::string_view name) const;
    // The frame of the icon (or its mask) of the slot-th shown further app of a layout
    // of count apps, both counted from 1.
    graphics::Rect subAdIconFrame(int count, int slot, bool mask) const;
    graphics::Rect takeOverBackgroundFrame() const { return frameNamed("takeOverBackgroundFrame"); }
    graphics::Rect appStoreButtonFrame() const { return frameNamed("appStoreButtonFrame"); }

    base::Ref<ui::Image> takeOverBackgroundImage() const;
    base::Ref<ui::Image> takeOverRewardModImage() const;
    base::Ref<ui::Image> takeOverRecommendationModImage() const;
    base::Ref<ui::Image> takeOverArrowCircleImage() const;

    // ---- properties
    KestrelAd* ad() const { return ad_.get(); }
    void setAd(base::Ref<KestrelAd> ad) { ad_ = std::move(ad); }
    KestrelAdImpression* adImpression() const { return adImpression_.get(); }
    void setAdImpression(base::Ref<KestrelAdImpression> impression) {
        adImpression_ = std::move(impression);
    }
    KestrelAd* subAd(int slot) const;
    void setSubAd(int slot, base::Ref<KestrelAd> ad);
    std::optional<std::string> const& subAdHook(int slot) const;
    void setSubAdHook(int slot, std::optional<std::string> hook);
    std::optional<std::string> const& hook() const { return hook_; }
    void setHook(std::optional<std::string> hook) { hook_ = std::move(hook); }
    std::optional<std::string> const& orientation() const { return orientation_; }
    void setOrientation(std::optional<std::string> orientation) {
        orientation_ = std::move(orientation);
    }
    std::optional<std::string> const& rewardMessage() const { return rewardMessage_; }
    void setRewardMessage(std::optional<std::string> message) {
        rewardMessage_ = std::move(message);
    }
    ui::Image* rewardImage() const { return rewardImage_.get(); }
    void setRewardImage(base::Ref<ui::Image> image) { rewardImage_ = std::move(image); }
    KestrelAdDelegate* adDelegate() const { return adDelegate_; }
    void setAdDelegate(KestrelAdDelegate* delegate) { adDelegate_ = delegate; }
    std::optional<KestrelCookies> const& userCookies() const { return userCookies_; }
    void setUserCookies(std::optional<KestrelCookies> cookies) {
        userCookies_ = std::move(cookies);
    }
    foundation::URLConnection* appStoreConnection() const { return appStoreConnection_.get(); }

    // ---- elements
    ui::ImageView* backgroundView() const { return backgroundView_.get(); }
    VerticalUILabel* noThanksLabel() const { return noThanksLabel_.get(); }
    ui::Button* closeButton() const { return closeButton_.get(); }
    ui::ImageView* recommendationView() const { return recommendationView_.get(); }
    ui::Button* appStoreButton() const { return appStoreButton_.get(); }
    ui::ImageView* appIconView() const { return appIconView_.get(); }
    ui::Label* appTitleView() const { return appTitleView_.get(); }
    ui::Label* appCompanyView() const { return appCompanyView_.get(); }
    VerticalUILabel* appDescriptionView() const { return appDescriptionView_.get(); }
    ui::ImageView* dividerView() const { return dividerView_.get(); }
    ui::Label* subAdSellMessageView() const { return subAdSellMessage_.get(); }
    ui::Button* iconButton(int slot) const;
    ui::ImageView* iconMaskView(int slot) const;
    ui::ActivityIndicatorView* loadingView() const { return loadingView_.get(); }
    ui::ImageView* rewardView() const { return rewardView_.get(); }
    ui::ImageView* arrowView() const { return arrowView_.get(); }

private:
    friend base::Factory;
    KestrelAdTakeOverViewController();

    bool isLandscape() const;
    bool hasReward() const { return rewardMessage_.has_value(); }
    void subAdPress(int slot);
    void buildSubAds();
    void buildReward();
    void endHandOff();

    base::Ref<KestrelAd> ad_;
    base::Ref<KestrelAdImpression> adImpression_;
    std::array<base::Ref<KestrelAd>, 3> subAds_;
    std::array<base::Ref<ui::ImageView>, 3> iconMaskViews_;
    base::Ref<ui::ImageView> backgroundView_;
    base::Ref<ui::ImageView> recommendationView_;
    base::Ref<ui::Label> appTitleView_;
    base::Ref<ui::Label> appCompanyView_;
    base::Ref<VerticalUILabel> appDescriptionView_;
    base::Ref<ui::ImageView> appIconView_;
    base::Ref<ui::ImageView> appIconMaskView_;
    std::array<base::Ref<ui::Button>, 3> iconButtons_;
    base::Ref<ui::Button> appStoreButton_;
    base::Ref<ui::Button> closeButton_;
    base::Ref<VerticalUILabel> noThanksLabel_;
    base::Ref<ui::ImageView> dividerView_;
    base::Ref<ui::Label> subAdSellMessage_;
    std::optional<std::string> hook_;
    std::array<std::optional<std::string>, 3> subAdHooks_;
    std::optional<std::string> orientation_;
    base::Ref<ui::ImageView> rewardView_;
    base::Ref<ui::ImageView> arrowView_;
    std::optional<std::string> rewardMessage_;
    base::Ref<ui::Image> rewardImage_;
    base::Ref<KestrelAdAppStoreConnectionDelegate> appStoreDelegate_;
    base::Ref<foundation::URLConnection> appStoreConnection_;
    base::Ref<ui::ActivityIndicatorView> loadingView_;
    KestrelAdDelegate* adDelegate_ {nullptr};
    std::optional<KestrelCookies> userCookies_;
};

}
