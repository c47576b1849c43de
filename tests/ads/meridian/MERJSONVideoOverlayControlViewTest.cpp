#include <ads/meridian/MERJSONVideoOverlayControlView.hpp>

#include "MeridianTestSupport.hpp"

#include <toolkit/json/PJsonParser.hpp>
#include <ui/Touch.hpp>

#include <string>
#include <vector>

using ads::meridian::MERJSONVideoButton;
using ads::meridian::MERJSONVideoOverlayControlView;

namespace {

base::Ref<MERJSONVideoButton> button(std::string const& title, float delay, float timeout) {
    auto json = R"({"title":")" + title
        + R"(","opacity":{"start":0.9,"end":0.2,"fadeDuration":0.5},"appearanceDelay":)"
        + std::to_string(delay) + R"(,"inactivityTimeout":)" + std::to_string(timeout) + "}";
    return MERJSONVideoButton::initWithJSONButton(
        toolkit::json::PJsonParser::parser()->objectWithString(json));
}

class Tapped final : public ads::meridian::MERJSONVideoOverlayControlViewDelegate {
public:
    void jsonVideoButtonWasTappedInOverlay(
        MERJSONVideoButton& tapped, MERJSONVideoOverlayControlView&) override {
        buttons.push_back(&tapped);
    }
    std::vector<MERJSONVideoButton*> buttons;
};

class MERJSONVideoOverlayControlViewTest : public test::MeridianTest {
protected:
    ui::Button& platformButton(std::size_t i) { return *overlay->buttons()[i]->button; }
    bool shown(std::size_t i) { return platformButton(i).superview() == overlay.get(); }
    void run(double seconds) { foundation::RunLoop::main().runFor(seconds); }

    Tapped delegate;
    std::vector<base::Ref<MERJSONVideoButton>> videoButtons {
        button("Skip", 1, 3), button("More", 2, 3)};
    base::Ref<MERJSONVideoOverlayControlView> overlay
        = MERJSONVideoOverlayControlView::initWithFrame(
            {{0, 0}, {480, 320}}, videoButtons, true, &delegate);
};

}

TEST_F(MERJSONVideoOverlayControlViewTest, TheCountdownLabelSitsTopRightAndNoButtonIsShownYet) {
    auto* label = overlay->countdownLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->frame(), (graphics::Rect {{325, 0}, {150, 20}}));
    EXPECT_EQ(label->text(), "Calculating time remaining...");
    EXPECT_EQ(label->textAlignment(), ui::TextAlignment::Right);
    ASSERT_EQ(overlay->buttons().size(), 2u);
    EXPECT_FALSE(shown(0));
    EXPECT_EQ(videoButtons[0]->delegate() != nullptr, true);

    auto plain = MERJSONVideoOverlayControlView::initWithFrame(
        {{0, 0}, {480, 320}}, videoButtons, false, &delegate);
    EXPECT_EQ(plain->countdownLabel(), nullptr);
}

TEST_F(MERJSONVideoOverlayControlViewTest, ButtonsFadeInAfterTheirDelayAndOutAfterInactivity) {
    overlay->showButtons();
    run(0.9);
    EXPECT_FALSE(shown(0));
    run(0.2);
    ASSERT_TRUE(shown(0));
    EXPECT_FALSE(shown(1));
    EXPECT_FLOAT_EQ(platformButton(0).alpha(), 0.9f);
    // Fade in (0.5 s), then the inactivity timeout (3 s), then the fade out.
    run(3.4);
    EXPECT_FLOAT_EQ(platformButton(0).alpha(), 0.2f);
    EXPECT_TRUE(shown(1));
    EXPECT_FLOAT_EQ(platformButton(1).alpha(), 0.9f);
    run(1);
    EXPECT_FLOAT_EQ(platformButton(1).alpha(), 0.2f);
}

TEST_F(MERJSONVideoOverlayControlViewTest, ATouchBringsTheButtonsBackUntilTheNextTimeout) {
    overlay->showButtons();
    run(10);
    ASSERT_FLOAT_EQ(platformButton(0).alpha(), 0.2f);
    overlay->touchesBegan(ui::TouchSet(), nullptr);
    EXPECT_FLOAT_EQ(platformButton(0).alpha(), 0.9f);
    EXPECT_FLOAT_EQ(platformButton(1).alpha(), 0.9f);
    EXPECT_EQ(overlay->pendingTimeouts(), 0u);
    run(10);
    // Held down: nothing fades.
    EXPECT_FLOAT_EQ(platformButton(0).alpha(), 0.9f);
    overlay->touchesEnded(ui::TouchSet(), nullptr);
    EXPECT_EQ(overlay->pendingTimeouts(), 2u);
    run(2.9);
    EXPECT_FLOAT_EQ(platformButton(0).alpha(), 0.9f);
    run(1);
    EXPECT_FLOAT_EQ(platformButton(0).alpha(), 0.2f);
}

TEST_F(MERJSONVideoOverlayControlViewTest, AfterTheVideoEveryButtonStaysAtItsStartOpacity) {
    overlay->showButtons();
    run(1.2);
    ASSERT_TRUE(shown(0));
    ASSERT_FALSE(shown(1));
    overlay->videoFinishedPlaying();
    EXPECT_TRUE(overlay->isVideoFinishedPlaying());
    EXPECT_EQ(overlay->countdownLabel(), nullptr);
    ASSERT_TRUE(shown(1));
    // In the ad's order: the second above the first.
    auto const& subviews = overlay->subviews();
    auto first = std::find(subviews.begin(), subviews.end(), &platformButton(0));
    auto second = std::find(subviews.begin(), subviews.end(), &platformButton(1));
    EXPECT_LT(first, second);
    // The first button's fade-in ending after the video must not time it out.
    run(20);
    EXPECT_FLOAT_EQ(platformButton(0).alpha(), 0.9f);
    EXPECT_FLOAT_EQ(platformButton(1).alpha(), 0.9f);
    overlay->touchesEnded(ui::TouchSet(), nullptr);
    EXPECT_EQ(overlay->pendingTimeouts(), 0u);
}

TEST_F(MERJSONVideoOverlayControlViewTest, RestartReturnsToTheStart) {
    overlay->showButtons();
    run(3);
    overlay->videoFinishedPlaying();
    overlay->restart();
    EXPECT_FALSE(overlay->isVideoFinishedPlaying());
    EXPECT_FALSE(shown(0));
    EXPECT_FALSE(shown(1));
    ASSERT_NE(overlay->countdownLabel(), nullptr);
    run(1.1);
    EXPECT_TRUE(shown(0));
}

TEST_F(MERJSONVideoOverlayControlViewTest, ATappedButtonIsPassedOnAndRestartsTheTimeouts) {
    overlay->showButtons();
    run(10);
    videoButtons[1]->buttonWasTapped();
    EXPECT_EQ(delegate.buttons, (std::vector<MERJSONVideoButton*> {videoButtons[1].get()}));
    EXPECT_FLOAT_EQ(platformButton(0).alpha(), 0.9f);
    EXPECT_EQ(overlay->pendingTimeouts(), 2u);
}
