#pragma once

#include <ads/bountix/BTXVideo.hpp>
#include <base/Ref.hpp>
#include <foundation/NotificationCenter.hpp>
#include <ui/MoviePlayerController.hpp>
#include <ui/View.hpp>

#include <optional>
#include <string>
#include <vector>

namespace foundation {
class Timer;
}

namespace ui {
class Button;
class Image;
class ImageView;
class Label;
class NavigationBar;
class WebView;
}

namespace ads::bountix {

// The video player's screen: the movie (the movie player stand-in shows no picture)
// with a countdown of the seconds left, then a completion screen that states the
// reward and offers up to two buttons whose pages open in a browser inside the player,
// with a way back to the video. The completion of an offer is reported once: its id
// is cleared when its end has been handled.
//
// Built in code with the controls the player needs; the controller that owns it
// (the video view) lays it out with setVideoView and binds the replay, back, done and
// back-to-video buttons. Only the layer's own movie player is heard: its end counts as
// watched when the movie played to its end, not when it failed. The delegate is not
// retained. Main thread only.
class BTXVideoLayer final : public ui::View {
public:
    static base::Ref<BTXVideoLayer> create();
    ~BTXVideoLayer() override;

    // Fills view: the movie, the browser below the navigation bar and the completion
    // screen over it, the countdown and logo in front; the boxes styled for the device.
    void setVideoView(ui::View* view);
    // A new movie player on the file and a new browser; the countdown is not running.
    void prepareVideoWithDelegate(BTXVideoAdDelegate* delegate, std::string const& path);
    void playVideo();
    void stopVideo();
    void cleanupVideo();
    // One tick of the countdown.
    void updateStatusText();
    void movieDurationAvailable();
    // The offer's icon: the bundle's "bountix_icon.png" when it has none; else fetched on
    // a worker thread and shown, on the main thread, by displayIcon.
    void loadIconImage();
    void displayIcon(base::Ref<ui::Image> image);
    ui::ImageView* iconImageView() const { return iconImageView_.get(); }
    bool didIconDownload() const { return didIconDownload_; }
    // The movie ended: the completion screen; a movie that played to its end is
    // reported as watched, one that could not play is not.
    void movieDidFinishWatching(
        ui::MovieFinishReason reason = ui::MovieFinishReason::PlaybackEnded);
    // The completion screen for the offer: its buttons and the reward text.
    void updateViewPropertiesWithOfferID(std::string const& offerID);
    static std::string getDescriptionWithAmountString(
        std::string const& amount, std::string const& currencyName, std::string const& adText);
    void buttonAction1();
    void buttonAction2();
    // Loads the page, with "http://" in front of an address that has no web scheme.
    void loadWebViewWithURL(std::string const& address);
    // The address loadWebViewWithURL loads for the text.
    static std::string webAddress(std::string const& address);
    void transitionToWebView();
    void transitionToVideoView();
    void enableShowBackToVideoButton(bool show);
    void enableShowVideoCompleteScreen(bool show);
    void enableShowStatusLabel(bool show);

    ui::Label* statusLabel() const { return statusLabel_.get(); }
    ui::View* videoCompleteView() const { return videoCompleteView_.get(); }
    ui::Button* replayButton() const { return replayButton_.get(); }
    ui::Button* backButton() const { return backButton_.get(); }
    ui::Button* customButton1() const { return customButton1_.get(); }
    ui::Button* customButton2() const { return customButton2_.get(); }
    ui::Button* backToVideoButton() const { return backToVideoButton_.get(); }
    ui::Button* doneButton() const { return doneButton_.get(); }
    ui::View* messageView() const { return messageView_.get(); }
    ui::NavigationBar* navBar() const { return navBar_.get(); }
    ui::WebView* currencyLabelWebView() const { return currencyLabelWebView_.get(); }
    ui::ImageView* bountixLogo() const { return bountixLogo_.get(); }
    ui::MoviePlayerController* videoFeed() const { return videoFeed_.get(); }
    ui::WebView* webView() const { return webView_.get(); }
    std::vector<std::string> const& buttonURLs() const { return buttonURLs_; }
    double duration() const { return duration_; }
    bool isVideoPlaying() const { return isVideoPlaying_; }
    std::optional<std::string> const& offerID() const { return offerID_; }
    void setOfferID(std::optional<std::string> offerID) { offerID_ = std::move(offerID); }

private:
    friend base::Factory;
    BTXVideoLayer();

    void stopCountdown();
    // Places the controls for the size the layer fills.
    void layOutControls(graphics::Size size);

    base::Ref<ui::Label> statusLabel_;
    base::Ref<ui::View> videoCompleteView_;
    base::Ref<ui::Button> replayButton_;
    base::Ref<ui::Button> customButton1_;
    base::Ref<ui::Button> customButton2_;
    base::Ref<ui::Button> backToVideoButton_;
    base::Ref<ui::Button> backButton_;
    base::Ref<ui::View> messageView_;
    base::Ref<ui::WebView> currencyLabelWebView_;
    base::Ref<ui::ImageView> iconImageView_;
    base::Ref<ui::NavigationBar> navBar_;
    base::Ref<ui::Button> doneButton_;
    base::Ref<ui::ImageView> bountixLogo_;
    double duration_ {0};
    BTXVideoAdDelegate* delegate_ {nullptr};
    std::vector<base::Ref<ui::Button>> buttons_;
    std::vector<std::string> buttonURLs_;
    base::Ref<ui::MoviePlayerController> videoFeed_;
    base::Ref<ui::WebView> webView_;
    bool isVideoPlaying_ {false};
    std::optional<std::string> offerID_;
    bool didIconDownload_ {false};
    base::Ref<foundation::Timer> countdown_;
    foundation::ObservationToken durationObserver_;
    foundation::ObservationToken finishObserver_;
};

}
