#pragma once

#include <base/Ref.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Color.hpp>
#include <ui/View.hpp>

#include <optional>
#include <string>

namespace ui {
class Button;
class GraphicsContext;
class Image;
}

namespace ads::howdy {

class HowdySDK;

// The check-in client's explain screen: a box over the game that invites the player
// to install the companion program and, once the player comes back with it
// installed, offers the check-in. A tap outside the box, or its close button, skips
// it. It sizes, centres and turns itself to the status bar's orientation, pops in,
// and follows the device's rotations and the return of the application.
//
// From show() until it is dismissed, its superview keeps it; its client (sdk) is
// retained, and hears the appearance calls of HowdyDelegate. Main thread only.
class HZExplainScreenView final : public ui::View {
public:
    static constexpr int Tag = 2008;
    static constexpr int TouchViewTag = 924;
    static constexpr char const* DeviceOrientationNotification
        = "UIDeviceOrientationDidChangeNotification";

    static base::Ref<HZExplainScreenView> init();
    ~HZExplainScreenView() override;

    std::string const& appName() const { return appName_; }
    void setAppName(std::string name) { appName_ = std::move(name); }
    ui::Image* appIcon() const { return appIcon_.get(); }
    void setAppIcon(base::Ref<ui::Image> icon) { appIcon_ = std::move(icon); }
    std::optional<std::string> const& message() const { return message_; }
    void setMessage(std::optional<std::string> message) { message_ = std::move(message); }
    HowdySDK* sdk() const { return sdk_.get(); }
    void setSdk(base::Ref<HowdySDK> sdk) { sdk_ = std::move(sdk); }

    // Lays the screen out, puts the tap catcher and the screen on the client's view or
    // the key window, and pops it in.
    void show();
    void dismiss(bool animated);
    // Skip: reports it and fades the screen out.
    void cancel();
    // The install button: reports it and opens the companion program's store page.
    void openURL();
    // The check-in button: reports it, checks in and closes the screen.
    void openCheckin();
    void postDismissCleanup();
    void addObservers();
    void removeObservers();
    void deviceOrientationDidChange();
    // The player came back: with the companion program now installed the screen
    // offers the check-in; without it the screen closes.
    void applicationBecameActive();
    bool shouldRotateToOrientation(int orientation) const;
    void sizeToFitOrientation(bool withTransform);
    static graphics::AffineTransform transformForOrientation();

    void drawRect(ui::GraphicsContext& context, graphics::Rect rect) override;
    void layoutSubviews() override;
    // Fills rect in the colour, its corners rounded by radius.
    static void drawRect(
        ui::GraphicsContext& context, graphics::Rect rect, ui::Color fill, float radius);
    static void addRoundedRectToPath(
        ui::GraphicsContext& context, graphics::Rect rect, float radius);
    static void strokeLines(ui::GraphicsContext& context, graphics::Rect rect, ui::Color stroke);

    int orientation() const { return orientation_; }
    bool howdyInstalled() const { return howdyInstalled_; }
    ui::Button* closeButton() const { return closeButton_.get(); }
    ui::Button* installButton() const { return installButton_.get(); }
    ui::Button* checkinButton() const { return checkinButton_.get(); }
    ui::View* touchView() const { return touchView_.get(); }
    // The box of the message in the screen's bounds.
    graphics::Rect messageBox() const;

private:
    friend base::Factory;
    HZExplainScreenView();

    // The client the actions go through: sdk, else the shared one.
    HowdySDK* client() const;
    // The close, install and check-in buttons in their places for the bounds.
    void placeButtons();
    void bounce1AnimationStopped();
    void bounce2AnimationStopped();

    std::string appName_;
    base::Ref<ui::Image> appIcon_;
    std::optional<std::string> message_;
    base::Ref<HowdySDK> sdk_;
    int orientation_ {0};
    base::Ref<ui::Button> closeButton_;
    base::Ref<ui::Button> installButton_;
    base::Ref<ui::Button> checkinButton_;
    base::Ref<ui::View> touchView_;
    bool howdyInstalled_ {false};
};

}
