#pragma once

#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <foundation/Timer.hpp>
#include <game/shell/LocalizedScreen.hpp>
#include <game/shell/RootViewController.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Color.hpp>
#include <ui/ViewController.hpp>

#include <optional>
#include <string>

namespace ui {
class Button;
class ImageView;
class Label;
}

namespace game {

// A Vov Azavuz screen of the store, built in code in the landscape screen's size. It
// knows the root view controller (without keeping it), refreshes itself every 0.25 s
// while open, and closes itself: on the phone by ending its modal presentation, on
// the tablet by sliding off the bottom of the screen and letting go of itself.
//
// The refresh timer keeps the screen alive until the screen closes; closing stops it.
// Main thread only.
class StoreScreen : public ui::ViewController, public LocalizedScreen {
public:
    // Shows screen over opener: on the phone presented modally, animated; on the tablet
    // the screen keeps itself until it closes and its view, added to opener's view just
    // below the screen, slides up to (0, 0) in 0.3 s with the ease-out curve.
    static void open(ui::ViewController& opener, base::Ref<StoreScreen> screen);

    RootViewController* pRootViewController() const { return pRootViewController_.get(); }
    void setPRootViewController(RootViewController* controller) {
        pRootViewController_ = controller;
    }
    foundation::Timer* updateTimer() const { return updateTimer_.get(); }

    // The refresh, at load and every 0.25 s.
    virtual void update() = 0;

    // Only the two landscape orientations.
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;
    // The end of the closing slide: "animateClose" takes the view away and lets go of
    // the screen.
    void animationDidStop(std::string const& animationID, bool finished, void* context);

    // The name of the closing slide's animation.
    static constexpr char const* closeAnimation = "animateClose";

protected:
    StoreScreen() = default;
    ~StoreScreen() override;

    // Runs update now and then every 0.25 s.
    void startUpdates();
    // Plays "Cancel", stops the refresh and leaves: dismissed on the phone, slid off the
    // bottom of the screen on the tablet.
    void close();
    static void playSound(char const* name);

    // --- building the view ---
    // The screen's size: the tablet's or the phone's landscape screen.
    static graphics::Size screenSize();
    // A rectangle given in the phone's points, scaled to the screen.
    static graphics::Rect place(float x, float y, float width, float height);
    // The font scale of the screen (1 on the phone).
    static float scale();
    static base::Ref<ui::Label> makeLabel(graphics::Rect frame, float fontSize, ui::Color color,
        std::string text = {}, bool bold = true);
    // A gold coin of diameter points (scaled) whose top-left corner is at (x, y) in the
    // phone's points.
    static base::Ref<ui::ImageView> makeCoin(float x, float y, float diameter);
    static base::Ref<ui::Button> makeButton(
        graphics::Rect frame, ui::Color color, std::string title, float fontSize = 16);
    // The screen's background with its title bar; the title label and the back button
    // are made here and placed on the bar.
    base::Ref<ui::View> makeBackground(
        base::Ref<ui::Label>& titleLabel, base::Ref<ui::Button>& backButton);
    // Adds action to button for a tap.
    void onTap(ui::Button& button, void (StoreScreen::*action)());
    template<typename Screen> void onTap(ui::Button& button, void (Screen::*action)()) {
        onTap(button, static_cast<void (StoreScreen::*)()>(action));
    }
    // Sets button's normal title when text is set.
    static void setTitleWhenSet(ui::Button* button, std::optional<std::string> const& text);

private:
    base::WeakRef<RootViewController> pRootViewController_;
    base::Ref<foundation::Timer> updateTimer_;
    // The tablet's opener hands the screen to itself; the end of the closing slide lets go.
    base::Ref<StoreScreen> keptUntilClosed_;
};

}
