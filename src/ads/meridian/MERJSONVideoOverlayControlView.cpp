#include <ads/meridian/MERJSONVideoOverlayControlView.hpp>

#include <foundation/RunLoop.hpp>
#include <graphics/Font.hpp>
#include <ui/Touch.hpp>

#include <algorithm>
#include <utility>

namespace ads::meridian {

namespace {

constexpr char const* fadeInSelector = "fadeInButton:";
constexpr char const* timeoutSelector = "timeoutButton:";

}

base::Ref<MERJSONVideoOverlayControlView> MERJSONVideoOverlayControlView::initWithFrame(
    graphics::Rect frame, std::vector<base::Ref<MERJSONVideoButton>> jsonVideoButtons,
    bool showCountdownHUD, MERJSONVideoOverlayControlViewDelegate* delegate) {
    return base::make<MERJSONVideoOverlayControlView>(
        frame, std::move(jsonVideoButtons), showCountdownHUD, delegate);
}

MERJSONVideoOverlayControlView::MERJSONVideoOverlayControlView(graphics::Rect frame,
    std::vector<base::Ref<MERJSONVideoButton>> jsonVideoButtons, bool showCountdownHUD,
    MERJSONVideoOverlayControlViewDelegate* delegate)
    : View(frame)
    , jsonVideoButtons_(std::move(jsonVideoButtons))
    , delegate_(delegate) {
    setBackgroundColor(ui::Color::colorWithWhite(1, 0));
    for (auto const& videoButton : jsonVideoButtons_) {
        if (!videoButton)
            continue;
        videoButton->setDelegate(this);
        auto pair = std::make_unique<Pair>();
        pair->videoButton = videoButton;
        pair->button = base::Ref<ui::Button>(&videoButton->button());
        buttons_.push_back(std::move(pair));
    }
    if (showCountdownHUD)
        createAndShowCountdownLabel();
    buttonTapped_ = foundation::NotificationCenter::defaultCenter().observe(
        MERJSONVideoButton::tappedNotification,
        [this](foundation::Notification const&) { videoButtonWasTapped(); });
}

MERJSONVideoOverlayControlView::~MERJSONVideoOverlayControlView() {
    for (auto const& pair : buttons_) {
        if (pair->videoButton->delegate() == this)
            pair->videoButton->setDelegate(nullptr);
    }
}

void MERJSONVideoOverlayControlView::createAndShowCountdownLabel() {
    if (countdownLabel_)
        return;
    countdownLabel_ = ui::Label::create({{bounds().size.width - 155, 0}, {150, 20}});
    countdownLabel_->setTextColor(ui::Color::whiteColor());
    countdownLabel_->setFont(graphics::Font::systemFontOfSize(14));
    countdownLabel_->setAdjustsFontSizeToFitWidth(true);
    countdownLabel_->setTextAlignment(ui::TextAlignment::Right);
    countdownLabel_->setBackgroundColor(ui::Color::clearColor());
    countdownLabel_->setText(calculatingText);
    addSubview(countdownLabel_);
}

void MERJSONVideoOverlayControlView::cancel(Pair& pair, char const* selector) {
    foundation::RunLoop::main().cancelPerformRequests(this, selector, &pair);
}

void MERJSONVideoOverlayControlView::showButtons() {
    for (auto const& owned : buttons_) {
        Pair* pair = owned.get();
        foundation::RunLoop::main().performAfterDelay(
            this, fadeInSelector, pair, [this, pair] { fadeInButton(*pair); },
            pair->videoButton->appearanceDelay());
    }
}

void MERJSONVideoOverlayControlView::fadeInButton(Pair& pair) {
    if (pair.button->superview() != this) {
        pair.button->setAlpha(0);
        addSubview(pair.button);
    }
    fadeButton(pair, pair.videoButton->startOpacity(), pair.videoButton->fadeDuration(),
        pair.videoButton->animationId(), true);
}

void MERJSONVideoOverlayControlView::timeoutButton(Pair& pair) {
    fadeButton(pair, pair.videoButton->endOpacity(), pair.videoButton->fadeDuration(),
        pair.videoButton->animationId(), false);
}

void MERJSONVideoOverlayControlView::fadeButton(Pair& pair, float opacity, double duration,
    std::string const& animationId, bool performCallbackOnStop) {
    View::beginAnimations(animationId);
    View::setAnimationDuration(duration);
    if (performCallbackOnStop) {
        View::setAnimationDelegate(this);
        View::setAnimationDidStopSelector(
            [this](std::string const& id, bool, void*) { animationDidStop(id); });
    }
    pair.button->setAlpha(opacity);
    View::commitAnimations();
}

void MERJSONVideoOverlayControlView::animationDidStop(std::string const& animationId) {
    // After the end of the video the buttons stay at their start opacity.
    if (videoFinishedPlaying_)
        return;
    for (auto const& owned : buttons_) {
        Pair* pair = owned.get();
        if (pair->videoButton->animationId() != animationId)
            continue;
        foundation::RunLoop::main().performAfterDelay(
            this, timeoutSelector, pair, [this, pair] { timeoutButton(*pair); },
            pair->videoButton->inactivityTimeout());
    }
}

void MERJSONVideoOverlayControlView::fadeInButtons() {
    if (videoFinishedPlaying_)
        return;
    for (auto const& pair : buttons_) {
        cancel(*pair, timeoutSelector);
        pair->button->setAlpha(pair->videoButton->startOpacity());
    }
}

void MERJSONVideoOverlayControlView::stopTimeouts() {
    for (Pair* pair : timeoutTimers_)
        cancel(*pair, timeoutSelector);
    timeoutTimers_.clear();
}

void MERJSONVideoOverlayControlView::startTimeouts() {
    if (videoFinishedPlaying_)
        return;
    for (auto const& owned : buttons_) {
        Pair* pair = owned.get();
        foundation::RunLoop::main().performAfterDelay(
            this, timeoutSelector, pair, [this, pair] { timeoutButton(*pair); },
            pair->videoButton->inactivityTimeout());
        timeoutTimers_.push_back(pair);
    }
}

void MERJSONVideoOverlayControlView::touchesBegan(ui::TouchSet const& touches, ui::Event* event) {
    fadeInButtons();
    stopTimeouts();
    View::touchesBegan(touches, event);
}

void MERJSONVideoOverlayControlView::touchesEnded(ui::TouchSet const& touches, ui::Event* event) {
    stopTimeouts();
    startTimeouts();
    View::touchesEnded(touches, event);
}

void MERJSONVideoOverlayControlView::touchesCancelled(
    ui::TouchSet const& touches, ui::Event* event) {
    stopTimeouts();
    startTimeouts();
    View::touchesCancelled(touches, event);
}

void MERJSONVideoOverlayControlView::videoButtonWasTapped() {
    fadeInButtons();
    stopTimeouts();
    startTimeouts();
}

void MERJSONVideoOverlayControlView::jsonVideoButtonWasTapped(MERJSONVideoButton& button) {
    if (delegate_)
        delegate_->jsonVideoButtonWasTappedInOverlay(button, *this);
}

void MERJSONVideoOverlayControlView::videoFinishedPlaying() {
    stopTimeouts();
    if (countdownLabel_) {
        countdownLabel_->removeFromSuperview();
        countdownLabel_ = nullptr;
    }
    videoFinishedPlaying_ = true;
    // Every button stays over the last frame, in the order of the ad's list.
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto& pair = *buttons_[i];
        cancel(pair, timeoutSelector);
        cancel(pair, fadeInSelector);
        pair.button->setAlpha(pair.videoButton->startOpacity());
        if (pair.button->superview() == this)
            continue;
        View* next = nullptr;
        for (std::size_t j = i + 1; j < buttons_.size() && !next; ++j) {
            if (buttons_[j]->button->superview() == this)
                next = buttons_[j]->button.get();
        }
        if (next)
            insertSubviewBelow(pair.button, next);
        else
            addSubview(pair.button);
    }
}

void MERJSONVideoOverlayControlView::restart() {
    for (auto const& pair : buttons_) {
        cancel(*pair, timeoutSelector);
        cancel(*pair, fadeInSelector);
    }
    timeoutTimers_.clear();
    videoFinishedPlaying_ = false;
    for (auto const& pair : buttons_) {
        pair->button->removeFromSuperview();
        pair->button->setAlpha(pair->videoButton->startOpacity());
    }
    showButtons();
    createAndShowCountdownLabel();
}

}
