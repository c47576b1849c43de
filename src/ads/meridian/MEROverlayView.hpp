#pragma once

#include <base/Ref.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Timer.hpp>
#include <foundation/URLRequest.hpp>
#include <services/Accelerometer.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/BarButtonItem.hpp>
#include <ui/Button.hpp>
#include <ui/Image.hpp>
#include <ui/Label.hpp>
#include <ui/Toolbar.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>
#include <ui/WebView.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace ads::meridian {

class MEROverlayView;

// What the overlay tells its owner. Every operation is optional (no-ops here).
class MEROverlayDelegate {
public:
    virtual ~MEROverlayDelegate() = default;
    // A link must leave the program: the owner opens url outside.
    virtual void overlayWantsToTerminateAppToOpenURL(MEROverlayView&, std::string const&) { }
    virtual void overlayDidDisappear(MEROverlayView&) { }
    virtual void overlayWillDisappear(MEROverlayView&) { }
    virtual void overlayDidAppear(MEROverlayView&) { }
    virtual void overlayWillAppear(MEROverlayView&) { }
};

// The landing overlay of a tapped ad: a web view with an optional title bar and an
// optional navigation bar, full screen (type 1) or as a framed panel that bounces in
// (type 2). The page steers it through script functions it may define: the overlay
// asks them after each load and polls three of them every second, and routes each
// link the page follows (ad-server clicks and plain pages load inside; store,
// telephone, text, maps and "merbrowser" links go to the delegate). Page answers are
// outside input and read defensively. Closing stops every poll, so a closed overlay
// is never called back. Main thread only.
class MEROverlayView final : public ui::View,
                             private ui::WebViewDelegate,
                             private services::AccelerometerDelegate {
public:
    static constexpr int fullScreenType = 1;
    static constexpr int modalType = 2;
    static constexpr char const* bottomBarToBeShownNotification = "MERBottomBarToBeShown";
    static constexpr char const* bottomBarToBeEnabledNotification = "MERBottomBarToBeEnabled";
    static constexpr char const* closeNotification = "CloseMMOverlay";
    static constexpr char const* willCloseNotification = "MEROverlayWillClose";
    static constexpr char const* updateStatusBarNotification = "MERUpdateStatusBarVisibility";
    static constexpr double pollInterval = 1.0;
    static constexpr double fadeDuration = 0.3;
    static constexpr char const* clickHandlerPath = "/handleClick.php5";

    static base::Ref<MEROverlayView> initWithType(int type, MEROverlayDelegate* delegate);
    ~MEROverlayView() override;

    // --- properties ---
    ui::ViewController* parentViewController() const { return parentViewController_; }
    void setParentViewController(ui::ViewController* controller) {
        parentViewController_ = controller;
    }
    graphics::Rect overlayFrame {};
    bool shownFromVideo {false};
    bool notifyCloseDelegates {true};
    bool notifyOpenDelegates {true};
    float alphaForModalBorder {0};
    std::optional<ui::Color> modalBorderColor;
    graphics::Point modalLocation {};
    graphics::Size modalSize {};
    float transitionDuration {0.5f};
    bool makeOverlayTransparent() const { return makeOverlayTransparent_; }
    void setMakeOverlayTransparent(bool transparent);
    bool isAccelerometerEnabled {false};
    std::string headerTitle {"Advertisement"};
    std::optional<ui::Color> titlebarColor;
    bool enableBottomBar {false};
    bool showBottomBar {false};
    bool showTitlebar {false};
    graphics::Size overlaySize {};
    int overlayOrientation {0};
    std::optional<std::string> transition;
    MEROverlayDelegate* delegate() const { return delegate_; }
    void setDelegate(MEROverlayDelegate* delegate) { delegate_ = delegate; }

    int overlayType() const { return overlayType_; }
    ui::WebView* webView() const { return webView_.get(); }
    ui::ActivityIndicatorView* spinner() const { return spinner_.get(); }
    ui::Toolbar* titleBar() const { return titleBar_.get(); }
    ui::Toolbar* bottomBar() const { return bottomBar_.get(); }
    ui::BarButtonItem* backArrow() const { return bottomBar_ ? backArrow_.get() : nullptr; }
    ui::BarButtonItem* forwardArrow() const { return bottomBar_ ? forwardArrow_.get() : nullptr; }
    ui::BarButtonItem* closeButton() const { return bottomBar_ ? closeButton_.get() : nullptr; }
    ui::Label* modalTitleLabel() const { return modalTitleLabel_.get(); }
    ui::Button* modalCloseButton() const { return modalCloseButton_.get(); }
    std::string const& pageBackgroundColor() const { return backgroundColor_; }
    bool overlayStartedTransparent() const { return overlayStartedTransparent_; }
    bool isClosePolling() const { return shouldCloseOverlayTimer_ != nullptr; }
    bool isShowBarPolling() const { return shouldShowBottomBarTimer_ != nullptr; }
    bool isEnableBarPolling() const { return shouldEnableBottomBarTimer_ != nullptr; }
    double accelX() const { return accelX_; }
    double accelY() const { return accelY_; }
    double accelZ() const { return accelZ_; }

    // --- showing and closing ---
    void showWithRequest(foundation::URLRequest request);
    void showWithHTML(std::string const& html);
    void showOverlayForType(int type);
    void showFullScreenOverlay();
    void showModalOverlay();
    void close() { closeWithAnimation(true); }
    void closeButtonClicked() { close(); }
    void closeWithAnimation(bool animated);
    void postDismissCleanup() { removeFromSuperview(); }
    void loadingDone();

    ui::ModalTransitionStyle transitionStyle() const;
    static ui::AnimationTransition viewTransition(std::string_view name);

    void sizeToFitOrientation();
    void modalSizeToFitOrientation(bool applyTransform);
    graphics::AffineTransform transformForOrientation() const;

    base::Ref<ui::Toolbar> createTitlebarWithFrame(
        graphics::Rect frame, std::optional<ui::Color> tintColor, std::string const& title);
    base::Ref<ui::Toolbar> createBottombarWithFrame(graphics::Rect frame, bool showCloseButton,
        bool enableCloseButton, std::optional<ui::Color> tintColor);

    // Decodes base64 text: white space and "=" are skipped anywhere; any other
    // character outside the alphabet, or a final lone character, gives nothing.
    static std::optional<base::Bytes> decodeBase64(std::string_view text);
    static base::Ref<ui::Image> imageWithBase64EncodedString(std::string_view text);

    void drawRect(ui::GraphicsContext& context, graphics::Rect rect) override;

    // --- the page bridge ---
    void back();
    void forward();
    void setBottomBarVisible(bool visible);
    bool shouldAccelerate();
    void didAccelerate(double x, double y, double z);
    void startCloseOverlayTimer();
    void stopCloseOverlayTimer();
    void startBottomBarTimer();
    void stopShowBottomBarTimer();
    void startEnableBottomBarTimer();
    void stopEnableBottomBarTimer();
    void shouldCloseOverlay();
    void shouldShowBottomBar();
    void shouldEnableBottomBar();

private:
    bool shouldStartLoadWithRequest(ui::WebView& webView, foundation::URLRequest const& request,
        ui::WebViewNavigationType type) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void didFailLoadWithError(ui::WebView& webView, foundation::URLError const& error) override;
    void accelerometerDidAccelerate(double x, double y, double z, double timestamp) override;

    void bottomBarToBeShown(bool show);
    void bottomBarToBeEnabled(bool enable);
    void enableBarItems(bool enable);
    void openOutside(std::string const& url);
    std::string ask(std::string const& script);
    ui::Window* hostWindow() const;
    void bounce(int step);
    static void stop(base::Ref<foundation::Timer>& timer);
    base::Ref<foundation::Timer> poll(void (MEROverlayView::*step)());

    ui::ViewController* parentViewController_ {nullptr};
    MEROverlayDelegate* delegate_ {nullptr};
    int overlayType_ {fullScreenType};
    bool makeOverlayTransparent_ {false};
    base::Ref<ui::WebView> webView_;
    base::Ref<ui::ActivityIndicatorView> spinner_;
    base::Ref<ui::Toolbar> titleBar_;
    base::Ref<ui::Toolbar> bottomBar_;
    base::Ref<ui::BarButtonItem> backArrow_;
    base::Ref<ui::BarButtonItem> forwardArrow_;
    base::Ref<ui::BarButtonItem> closeButton_;
    base::Ref<ui::Label> modalTitleLabel_;
    base::Ref<ui::Button> modalCloseButton_;
    int interfaceOrientation_ {1};
    bool wasGeneratingDeviceNotifications_ {false};
    std::string backgroundColor_;
    bool overlayStartedTransparent_ {false};
    base::Ref<foundation::Timer> shouldCloseOverlayTimer_;
    base::Ref<foundation::Timer> shouldShowBottomBarTimer_;
    base::Ref<foundation::Timer> shouldEnableBottomBarTimer_;
    bool shouldAccelerate_ {false};
    double accelX_ {0};
    double accelY_ {0};
    double accelZ_ {0};
    std::optional<std::string> lastURL_;
    bool closed_ {false};

    friend base::Factory;
    MEROverlayView();
};

// The controller whose view is the overlay when it is presented modally. It turns
// with every orientation.
class MEROverlayViewController final : public ui::ViewController {
public:
    static base::Ref<MEROverlayViewController> init();
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) override { return true; }

private:
    friend base::Factory;
    MEROverlayViewController() = default;
};

// The controller of the nearest view up the responder chain from view, or null.
ui::ViewController* firstAvailableUIViewController(ui::View const& view);

}
