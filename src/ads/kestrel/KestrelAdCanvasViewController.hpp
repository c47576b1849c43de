#pragma once

#include <ads/kestrel/KestrelAd.hpp>
#include <ads/kestrel/KestrelAdAppStoreConnectionDelegate.hpp>
#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelAdListView.hpp>
#include <ads/kestrel/KestrelAdNavigationDelegate.hpp>
#include <ads/kestrel/KestrelAdView.hpp>
#include <ads/kestrel/KestrelParser.hpp>

#include <foundation/URLConnection.hpp>
#include <graphics/Geometry.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/AlertView.hpp>
#include <ui/ImageView.hpp>
#include <ui/NavigationBar.hpp>
#include <ui/NavigationController.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>
#include <ui/WebView.hpp>
#include <ui/Window.hpp>

#include <base/Ref.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ads::kestrel {

// A small banner listed on the web canvas: the ad's icon, name and advertiser over the
// theme's background (or the alternative backgrounds, images 18 and 19) with the
// price's action badge (images 15 and 16).
class KestrelAdCanvasView final : public KestrelAdView {
public:
    static constexpr std::int16_t freeActionImageCode = 15;
    static constexpr std::int16_t paidActionImageCode = 16;
    static constexpr std::int16_t altPortraitBackgroundCode = 18;
    static constexpr std::int16_t altLandscapeBackgroundCode = 19;

    static base::Ref<KestrelAdCanvasView> initWithAltColor(bool altColor, base::Ref<KestrelAd> ad,
        std::optional<std::string> hook, int xLoc, int yLoc, ui::Responder* parent,
        bool attachToView, std::optional<std::string> orientation,
        std::optional<std::string> canvasOrientation, bool autoRefresh,
        std::optional<std::string> rewardMessage);

    void createViewElements() override;
    graphics::Rect portraitActionButtonFrame() const override;
    graphics::Rect landscapeActionButtonFrame() const override;

    bool altColor() const { return altColor_; }
    void setAltColor(bool altColor) { altColor_ = altColor; }

private:
    friend base::Factory;
    using KestrelAdView::KestrelAdView;

    bool altColor_ {false};
};

// The full-screen page a tapped ad opens. In canvas mode (the ad has a canvas and the
// hook's click action is 1) it shows the advertised app: a web page with a sliding panel
// of further ads on a phone, a page built from the ad's own fields with up to four
// further banners on a tablet. In store mode it goes to the store at once, or after a
// confirmation (click action 2). The store is reached through the ad network's
// referral redirect (KestrelAdAppStoreConnectionDelegate). Each step appends a state to
// the ad's impression: 5 each time content is shown, 7 for the confirmation (6 and 8 by
// the hand-off).
//
// Opened in a window of its own (createCanvasWindow) or pushed on a host navigation
// controller. At most one canvas window is open; the class keeps its controller alive
// until cancel has slid it away. Main thread only.
class KestrelAdCanvasViewController final : public ui::ViewController,
                                            public ui::WebViewDelegate,
                                            public ui::AlertViewDelegate {
public:
    static constexpr char const* infoTitle = "Info";
    static constexpr char const* confirmationMessage
        = "You will now be taken to the App Store. There is no obligation to purchase.";
    static constexpr char const* canvasHookFormat = "Kestrel_Canvas_Hook_%d";
    static constexpr float panelRowHeight = 48;
    static constexpr float panelHandleHeight = 29;
    static constexpr float tabletRowHeight = 106;

    static base::Ref<KestrelAdCanvasViewController> init();
    static base::Ref<KestrelAdCanvasViewController> initWithUrl(std::optional<std::string> webUrl,
        std::optional<std::string> appStoreUrl, base::Ref<KestrelAdImpression> adImpression,
        base::Ref<KestrelAd> ad, KestrelAdDelegate* adDelegate,
        std::optional<std::string> canvasOrientation, bool canvasAnimated, int clickAction);

    ~KestrelAdCanvasViewController() override;

    void createCanvasWindow();
    // Slides the canvas window away; when the slide ends the application's window is key
    // again and the class lets the controller go.
    void cancel();
    void showAppStore();
    void showAppStore(std::optional<std::string> const& url);
    double canvasAnimationDuration() const { return canvasAnimated_ ? 0.3 : 0; }
    // Moves the view down by the navigation bar's height and the status bar's 20 points.
    void adjustForStatusBar(ui::View* view) const;

    static void setOpenCanvasController(base::Ref<KestrelAdCanvasViewController> controller);
    static KestrelAdCanvasViewController* getOpenCanvasController();
    static void freeOpenCanvasController();
    // The canvas window, open or last closed; none before the first.
    static ui::Window* canvasWindow();

    // ---- the tablet page's frames
    graphics::Rect sellMessageFrame() const;
    graphics::Rect appIconFrame() const;
    graphics::Rect appIconMaskFrame() const;
    graphics::Rect appTitleFrame() const;
    graphics::Rect appPublisherFrame() const;
    graphics::Rect appStoreButtonFrame() const;
    graphics::Rect appDescriptionFrame() const;
    graphics::Rect canvasBannerSellMessageFrame() const;
    graphics::Rect canvasBannersTableFrame() const;
    graphics::Rect canvasBannerFillerFrame() const;

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void didReceiveMemoryWarning() override;
    void clickedButtonAtIndex(ui::AlertView& alertView, int buttonIndex) override;
    bool shouldStartLoadWithRequest(ui::WebView& webView, foundation::URLRequest const& request,
        ui::WebViewNavigationType navigationType) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void didFailLoadWithError(ui::WebView& webView, foundation::URLError const& error) override;

    // ---- state
    bool isCanvasMode() const;
    std::optional<std::string> const& webUrl() const { return webUrl_; }
    void setWebUrl(std::optional<std::string> url) { webUrl_ = std::move(url); }
    std::optional<std::string> const& appStoreUrl() const { return appStoreUrl_; }
    void setAppStoreUrl(std::optional<std::string> url) { appStoreUrl_ = std::move(url); }
    std::optional<std::string> const& canvasOrientation() const { return canvasOrientation_; }
    void setCanvasOrientation(std::optional<std::string> orientation) {
        canvasOrientation_ = std::move(orientation);
    }
    KestrelAdImpression* adImpression() const { return adImpression_.get(); }
    void setAdImpression(base::Ref<KestrelAdImpression> impression) {
        adImpression_ = std::move(impression);
    }
    KestrelAd* ad() const { return ad_.get(); }
    void setAd(base::Ref<KestrelAd> ad) { ad_ = std::move(ad); }
    KestrelAdDelegate* adDelegate() const { return adDelegate_; }
    void setAdDelegate(KestrelAdDelegate* delegate) { adDelegate_ = delegate; }
    bool canvasAnimated() const { return canvasAnimated_; }
    void setCanvasAnimated(bool animated) { canvasAnimated_ = animated; }
    int clickAction() const { return clickAction_; }
    void setClickAction(int action) { clickAction_ = action; }
    std::string const& parentName() const { return parentName_; }

    ui::WebView* webView() const { return webView_.get(); }
    KestrelAdListView* adListView() const { return adListView_.get(); }
    ui::ActivityIndicatorView* loadingView() const { return loadingView_.get(); }
    ui::View* transparentView() const { return transparentView_.get(); }
    ui::View* backView() const { return backView_.get(); }
    ui::NavigationBar* navBar() const { return navBar_.get(); }
    ui::View* failureView() const { return failureView_.get(); }
    ui::ImageView* bannersTable() const { return bannersTable_.get(); }
    ui::View* bannerSellMessage() const { return bannerSellMessage_.get(); }
    ui::ImageView* filler() const { return filler_.get(); }
    std::vector<base::Ref<KestrelAdCanvasView>> const& banners() const { return banners_; }
    foundation::URLConnection* appStoreConnection() const { return appStoreConnection_.get(); }
    ui::NavigationController* canvasNavigationController() const {
        return navigationController_.get();
    }

private:
    friend base::Factory;
    KestrelAdCanvasViewController();

    bool isLandscape() const;
    bool isLandscapeLeft() const;
    // The shared list of bar items of the navigation this canvas is part of.
    std::vector<base::Ref<ui::NavigationItem>>& navItems();
    KestrelAdNavigationDelegate* navigationDelegate() const;
    ui::Responder* bannerParent();
    void createCommonElements(char const* backTitle);
    void createViewElementsForAppStore();
    void createViewElements();
    void createTabletPage();
    void addVeilAndSpinner();
    void buildPanel();
    void recordCanvasShown();
    void removeCanvasWindow();
    void endHandOff();

    std::optional<std::string> webUrl_;
    std::optional<std::string> appStoreUrl_;
    std::optional<std::string> canvasOrientation_;
    base::Ref<KestrelAdImpression> adImpression_;
    base::Ref<ui::ActivityIndicatorView> loadingView_;
    base::Ref<ui::WebView> webView_;
    base::Ref<KestrelAdListView> adListView_;
    bool _loaded {false};
    base::Ref<KestrelAd> ad_;
    base::Ref<KestrelAdAppStoreConnectionDelegate> appStoreDelegate_;
    base::Ref<foundation::URLConnection> appStoreConnection_;
    base::Ref<ui::NavigationBar> navBar_;
    KestrelAdDelegate* adDelegate_ {nullptr};
    bool _hidden {false};
    bool canvasShownRecorded_ {false};
    base::Ref<ui::View> backView_;
    bool canvasAnimated_ {false};
    int clickAction_ {0};
    base::Ref<ui::View> transparentView_;
    base::Ref<ui::View> failureView_;
    base::Ref<ui::AlertView> confirmation_;
    base::Ref<ui::ImageView> bannersTable_;
    base::Ref<ui::View> bannerSellMessage_;
    base::Ref<ui::ImageView> filler_;
    std::vector<base::Ref<KestrelAdCanvasView>> banners_;
    std::string parentName_;
    // Set while the canvas has a window of its own; the cycle with the navigation
    // controller is broken when the window is removed.
    base::Ref<ui::NavigationController> navigationController_;
    base::Ref<KestrelAdNavigationDelegate> navigationDelegate_;
    // Bar items when no canvas navigation delegate provides a list.
    std::vector<base::Ref<ui::NavigationItem>> ownNavItems_;
    base::Ref<ui::BarButtonItem> rightItem_;
    base::Ref<ui::BarButtonItem> backItem_;
};

}
