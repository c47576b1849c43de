#pragma once

#include <base/Ref.hpp>
#include <ui/Color.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/View.hpp>

#include <optional>

namespace ads::bountix {

// A box shown over the game that keeps itself sized, centred and turned to the
// status bar's orientation, draws a rounded box and takes itself away when an
// offer-wall screen announces "BTX_SHOW_BOX_NOTIFICATION". A building block: the
// game makes none. Main thread only.
class BTXAutoOrientView : public ui::View {
public:
    static constexpr char const* ShowBoxNotification = "BTX_SHOW_BOX_NOTIFICATION";
    static constexpr char const* DeviceOrientationNotification
        = "UIDeviceOrientationDidChangeNotification";
    // How long the status bar takes to turn.
    static constexpr double OrientationChangeDuration = 0.3;
    static constexpr float BoxRadius = 10;

    // 321 x 481 at the origin, held by its margins.
    static base::Ref<BTXAutoOrientView> init();
    // Sized with its superview.
    static base::Ref<BTXAutoOrientView> initWithFrame(graphics::Rect frame);
    ~BTXAutoOrientView() override;

    // Lays the view out for the orientation, puts it on the key window (else the first
    // window) and turns it.
    void show();
    // What a box puts in itself before it shows; nothing here.
    virtual void load() { }

    void addObservers();
    // Stops hearing device rotations only.
    void removeObservers();
    void showBoxCloseNotification();
    void postDismissCleanup();
    // True for a real orientation (1 to 4) other than the one laid out.
    bool shouldReactToOrientation(int orientation) const;
    // The turn for the status bar's orientation.
    static graphics::AffineTransform transformForOrientation();
    void sizeToFitOrientation(bool withTransform);
    void deviceOrientationDidChange();

    void drawRect(ui::GraphicsContext& context, graphics::Rect rect) override;
    // Fills rect in fill (rounded by radius); nothing without a fill.
    static void drawRect(ui::GraphicsContext& context, graphics::Rect rect,
        std::optional<ui::Color> fill, float radius);
    // Adds rect with corners of radius to the context's path (square for 0).
    static void addRoundedRect(ui::GraphicsContext& context, graphics::Rect rect, float radius);

    int orientation() const { return orientation_; }

protected:
    explicit BTXAutoOrientView(graphics::Rect frame);

private:
    friend base::Factory;

    int orientation_ {0};
};

}
