#pragma once

#include <ads/meridian/MERBasicAd.hpp>
#include <base/Ref.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Timer.hpp>
#include <services/Accelerometer.hpp>

#include <optional>
#include <string>

namespace ui {
class WebView;
}

namespace ads::meridian {

class MERGenericAdView;

// An HTML ad: answers the ad view's and the overlay's questions by calling script
// functions of the ad's own page in its web view. An empty answer means the page
// does not define the function. Five yes-or-no answers are sticky: once the page
// says yes, the model keeps answering yes without asking again.
//
// Three polls ask the page once a second: the resize poll (from set-up until the
// page stops answering) posts "MERResizeAdToHeight"; the bottom-bar poll posts
// "MERBottomBarToBeShown"; the close poll posts "CloseMMOverlay". "MEROverlayWillClose"
// stops the last two. Owned by the HTML ad view; main thread only.
class MERHTMLAd final : public MERBasicAd, private services::AccelerometerDelegate {
public:
    static constexpr char const* resizeNotification = "MERResizeAdToHeight";
    static constexpr char const* bottomBarNotification = "MERBottomBarToBeShown";
    static constexpr char const* closeNotification = "CloseMMOverlay";
    static constexpr char const* overlayWillCloseNotification = "MEROverlayWillClose";
    static constexpr double pollInterval = 1.0;

    // Without HTML or a web view the model is empty: it answers the no-web-view values.
    static base::Ref<MERHTMLAd> initWithAdContents(std::optional<std::string> const& html,
        base::Ref<ui::WebView> webView, bool accelerometerEnabled);
    ~MERHTMLAd() override;

    std::string const& ad() const { return ad_; }
    ui::WebView* webView() const { return webView_.get(); }
    MERGenericAdView* adView() const { return adView_; }
    void setAdView(MERGenericAdView* adView) { adView_ = adView; }

    std::string overlayTitle() override;
    bool shouldShowModal() override;
    bool shouldMakeOverlayTransparent() override;
    bool shouldAccelerate() override;
    bool showTitlebar() override;
    bool showBottomBar() override;
    bool isBottomBarEnabled() override;
    graphics::Size modalSize() override;
    graphics::Point modalLocation() override;
    std::optional<ui::Color> modalBorderColor() override;
    std::optional<ui::Color> titlebarColor() override;
    std::optional<std::string> overlayTransition() override;
    std::optional<std::string> openURL() override;
    float alphaForModalBorder() override;
    float transitionDuration() override;
    int orientationLock() override;
    graphics::Point pointToMimicTapAt();

    void htmlDidLoad() { htmlHasLoaded_ = true; }
    void didAccelerate(double x, double y, double z);

    void startBottomBarTimer() override;
    void stopShowBottomBarTimer() override;
    void shouldShowBottomBar();
    void startCloseOverlayTimer() override;
    void stopCloseOverlayTimer() override;
    void shouldCloseOverlay();
    void shouldResizeAdTo();
    void overlayWasClosed();

    bool isResizePolling() const { return shouldResizeAdToTimer_ != nullptr; }
    bool isBottomBarPolling() const { return shouldShowBottomBarTimer_ != nullptr; }
    bool isClosePolling() const { return shouldCloseOverlayTimer_ != nullptr; }
    double accelX() const { return accelX_; }
    double accelY() const { return accelY_; }
    double accelZ() const { return accelZ_; }

    // Loads html into a new web view and asks it "shouldShowModal()" at once.
    static bool showModalOverlay(std::string const& html);

private:
    void accelerometerDidAccelerate(double x, double y, double z, double timestamp) override;

    // The page's answer, or nullopt without a web view.
    std::optional<std::string> ask(char const* script);
    // A sticky yes-or-no answer: asked while the field is false.
    bool stickyAnswer(bool& field, char const* script, bool withoutPage, bool whenEmpty);
    static void stop(base::Ref<foundation::Timer>& timer);
    base::Ref<foundation::Timer> poll(void (MERHTMLAd::*step)());

    std::string ad_;
    base::Ref<ui::WebView> webView_;
    MERGenericAdView* adView_ {nullptr};
    bool shouldAccelerate_ {false};
    bool shouldShowTitlebar_ {false};
    bool shouldShowModal_ {false};
    bool shouldMakeOverlayTransparent_ {false};
    bool shouldShowBottomBar_ {false};
    double accelX_ {0};
    double accelY_ {0};
    double accelZ_ {0};
    bool accelerometerIsEnabled_ {false};
    bool htmlHasLoaded_ {false};
    base::Ref<foundation::Timer> shouldCloseOverlayTimer_;
    base::Ref<foundation::Timer> shouldResizeAdToTimer_;
    base::Ref<foundation::Timer> shouldShowBottomBarTimer_;
    foundation::ObservationToken overlayWillClose_;

    friend base::Factory;
    MERHTMLAd() = default;
};

}
