#pragma once

#include <base/Object.hpp>
#include <ui/Color.hpp>

#include <optional>

namespace ui {
class View;
}

namespace ads::bountix {

// The settings every offer-wall screen shares: the transition effect that brings a
// screen in, the effect that takes it away again and their duration, and the colour
// the screens are tinted with. One shared object for the process. Main thread.
//
// Effects (animateBTXView): 1 slides down into place, 2 in from the left, 3 in from
// the right, 4 fades in, 5 slides out downward, 6 out upward, 7 out to the left, 8
// out to the right, 9 fades out, 10 grows out of its centre, 11 shrinks away, 12 and
// 14 flip from the right and curl down the superview, 13 and 15 flip from the left
// and curl up the superview taking the view away, -1 does nothing; 0 and any other
// value slides up into place.
class BTXViewCommons final : public base::Object {
public:
    static constexpr int DefaultColorCode = 0x0E2C4CFF;
    static constexpr double EffectDuration = 0.4;
    // The wait before the second half of effect 10.
    static constexpr double ExpandDelay = 0.05;

    static BTXViewCommons& sharedObject();
    // Back to the defaults (tests).
    static void resetShared();

    static ui::Color defaultColor() { return ui::Color::colorWithBytes(14, 44, 76); }

    // Moves view by effect over duration seconds; a null view does nothing.
    static void animateBTXView(ui::View* view, int effect, float duration);

    // Sets the show effect, its reverse and the duration (0 for -1, else 0.4 s).
    void setTransitionEffect(int effect);
    int getCurrentTransitionEffect() const { return currentTransitionEffect_; }
    int getReverseTransitionEffect() const { return reverseTransitionEffect_; }
    float getTransitionDelay() const { return transitionDelay_; }

    // Components 0 to 255 each; anything else falls back to the default colour.
    void setUserDefinedColorWithRed(int red, int green, int blue);
    // 0xRRGGBB in the low three bytes.
    void setUserdefinedColorWithIntValue(int value);
    ui::Color getUserDefinedColor();
    int getUserDefinedColorCode();

    // The show effect a close with reverse effect takes back; the table, for tests.
    static int reverseOf(int effect);

private:
    friend base::Factory;
    BTXViewCommons() = default;

    int currentTransitionEffect_ {0};
    int reverseTransitionEffect_ {0};
    int primaryColorCode_ {DefaultColorCode};
    std::optional<ui::Color> userDefinedColor_ {defaultColor()};
    float transitionDelay_ {0};
};

}
