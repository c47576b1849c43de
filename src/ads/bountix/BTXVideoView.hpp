#pragma once

#include <ads/bountix/BTXVideo.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/NotificationCenter.hpp>
#include <graphics/Geometry.hpp>

#include <string>

namespace ui {
class View;
class ViewController;
}

namespace ads::bountix {

class BTXLoadingViewController;
class BTXVideoLayer;

// The video player: owns the player's top view (always landscape), the two screens
// made for phones and tablets of which the device's own is used, and the loading
// overlay shown until the movie can play through. One player, made when the video
// offers are set up, serves every video of the run; each show starts again from
// loading. Built in code; the screen's replay, back, done and back-to-video buttons
// are bound here. The delegate is not retained. Main thread only.
//
// Order of the calls: loadStateChanged (ready) -> the delegate's videoAdBegan -> the
// movie plays; closeVideoView -> after the transition delay the delegate's
// videoAdClosed, then BTX_VIEW_CLOSED_NOTIFICATION and BTX_SHOW_BOX_NOTIFICATION.
class BTXVideoView final : public base::Object {
public:
    static constexpr char const* ViewClosedNotification = "BTX_VIEW_CLOSED_NOTIFICATION";
    static constexpr char const* ShowBoxNotification = "BTX_SHOW_BOX_NOTIFICATION";

    static base::Ref<BTXVideoView> initWithDelegate(BTXVideoAdDelegate* delegate);
    ~BTXVideoView() override;

    // Places the player in rect with landscape bounds: the longer side of the screen
    // as width. On a screen held upright the player is turned a quarter; on one that
    // is already landscape it needs no turn.
    void refreshViewWithFrame(graphics::Rect rect);
    // Plays the cached video of the offer; false (and nothing starts) when the offer
    // has no video on the device.
    bool playVideoWithOfferID(std::string const& offerID);
    void bufferVideoWithPath(std::string const& path);
    void loadStateChanged();
    void playActiveVideo();
    void stopActiveVideo();
    bool videoAdCurrentlyPlaying() const;

    void customButtonAction1();
    void customButtonAction2();
    void backToVideo();
    void closeVideoView();
    void giveBackNotification();

    ui::View* mainView() const { return mainView_.get(); }
    bool isVideoReady() const { return isVideoReady_; }
    BTXVideoLayer* mainVideoLayer() const { return mainVideoLayer_.get(); }
    BTXVideoLayer* iPhoneLayer() const { return iPhoneLayer_.get(); }
    BTXVideoLayer* iPadLayer() const { return iPadLayer_.get(); }
    BTXLoadingViewController* loadingViewController() const { return loadingViewController_.get(); }

private:
    friend base::Factory;
    BTXVideoView() = default;

    void build();
    void bindControls(BTXVideoLayer& layer);

    BTXVideoAdDelegate* adDelegate_ {nullptr};
    bool isVideoReady_ {false};
    base::Ref<BTXLoadingViewController> loadingViewController_;
    base::Ref<ui::View> mainView_;
    base::Ref<BTXVideoLayer> mainVideoLayer_;
    base::Ref<BTXVideoLayer> iPhoneLayer_;
    base::Ref<BTXVideoLayer> iPadLayer_;
    foundation::ObservationToken loadStateObserver_;
};

// Places the shared player (the video manager's) in a frame (the caller adds the
// returned view) or in a view controller's view, starts the offer's video and brings
// the player in with the current transition effect. Without a player, or for an
// offer with no video on the device, nothing is shown and null is answered.
class BTXVideoViewHandler {
public:
    static ui::View* showVideoAdWithFrame(graphics::Rect frame, std::string const& offerID);
    // In the main screen's bounds.
    static ui::View* showVideoAdWithOfferID(std::string const& offerID);
    // The controller must be given.
    static void showVideoAdWithViewController(
        ui::ViewController* controller, std::string const& offerID);
};

}
