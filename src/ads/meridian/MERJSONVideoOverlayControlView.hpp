#pragma once

#include <ads/meridian/MERJSONVideoButton.hpp>
#include <base/Ref.hpp>
#include <foundation/NotificationCenter.hpp>
#include <ui/Button.hpp>
#include <ui/Label.hpp>
#include <ui/View.hpp>

#include <memory>
#include <string>
#include <vector>

namespace ads::meridian {

class MERJSONVideoOverlayControlView;

class MERJSONVideoOverlayControlViewDelegate {
public:
    virtual ~MERJSONVideoOverlayControlViewDelegate() = default;
    virtual void jsonVideoButtonWasTappedInOverlay(
        MERJSONVideoButton& button, MERJSONVideoOverlayControlView& overlay)
        = 0;
};

// The transparent view over a playing video ad that holds the ad's buttons: each
// fades in after its appearance delay and back to its end opacity after its
// inactivity timeout; any touch brings them back. With the countdown flag it shows
// the remaining-time label in its top right corner. Once the video has finished
// every button stays at its start opacity. Delays and timeouts are delayed calls on
// the main run loop, cancelled per button. Main thread only.
class MERJSONVideoOverlayControlView final : public ui::View, private MERJSONVideoButtonDelegate {
public:
    static constexpr char const* calculatingText = "Calculating time remaining...";

    // One video button and its platform button.
    struct Pair {
        base::Ref<MERJSONVideoButton> videoButton;
        base::Ref<ui::Button> button;
    };

    static base::Ref<MERJSONVideoOverlayControlView> initWithFrame(graphics::Rect frame,
        std::vector<base::Ref<MERJSONVideoButton>> jsonVideoButtons, bool showCountdownHUD,
        MERJSONVideoOverlayControlViewDelegate* delegate);
    ~MERJSONVideoOverlayControlView() override;

    void showButtons();
    void fadeInButtons();
    void fadeInButton(Pair& pair);
    void timeoutButton(Pair& pair);
    void startTimeouts();
    void stopTimeouts();
    void restart();
    void videoFinishedPlaying();
    bool isVideoFinishedPlaying() const { return videoFinishedPlaying_; }
    void createAndShowCountdownLabel();
    ui::Label* countdownLabel() const { return countdownLabel_.get(); }
    std::vector<std::unique_ptr<Pair>> const& buttons() const { return buttons_; }
    std::vector<base::Ref<MERJSONVideoButton>> const& jsonVideoButtons() const {
        return jsonVideoButtons_;
    }
    // How many buttons wait for their inactivity fade.
    std::size_t pendingTimeouts() const { return timeoutTimers_.size(); }

    void touchesBegan(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesEnded(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesCancelled(ui::TouchSet const& touches, ui::Event* event) override;

private:
    void jsonVideoButtonWasTapped(MERJSONVideoButton& button) override;
    void videoButtonWasTapped();
    void fadeButton(Pair& pair, float opacity, double duration, std::string const& animationId,
        bool performCallbackOnStop);
    void animationDidStop(std::string const& animationId);
    void cancel(Pair& pair, char const* selector);

    std::vector<base::Ref<MERJSONVideoButton>> jsonVideoButtons_;
    std::vector<std::unique_ptr<Pair>> buttons_;
    std::vector<Pair*> timeoutTimers_;
    base::Ref<ui::Label> countdownLabel_;
    MERJSONVideoOverlayControlViewDelegate* delegate_ {nullptr};
    bool videoFinishedPlaying_ {false};
    foundation::ObservationToken buttonTapped_;

    friend base::Factory;
    MERJSONVideoOverlayControlView(graphics::Rect frame,
        std::vector<base::Ref<MERJSONVideoButton>> jsonVideoButtons, bool showCountdownHUD,
        MERJSONVideoOverlayControlViewDelegate* delegate);
};

}
