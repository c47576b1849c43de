#pragma once

#include <ui/Control.hpp>

namespace ui {

// An on/off switch, made at the platform's fixed size (94 x 27 points, whatever size the
// frame asks for). A tap (a touch that lifts inside) flips it and sends ValueChanged before
// TouchUpInside; setOn from code sends nothing. Main thread only.
class Switch : public Control {
public:
    static constexpr graphics::Size fixedSize {94, 27};

    static base::Ref<Switch> create(graphics::Rect frame = {});

    bool isOn() const { return on_; }
    void setOn(bool on, bool animated = false);
    Color onTintColor() const { return onTint_; }
    void setOnTintColor(Color color);

    graphics::Size sizeThatFits(graphics::Size size) const override;
    void endTrackingWithTouch(Touch& touch, Event* event) override;
    void drawRect(GraphicsContext& context, graphics::Rect rect) override;

private:
    Color onTint_ {Color::colorWithRed(0.0f, 0.5f, 0.92f)};
    bool on_ {false};

    friend base::Factory;

    explicit Switch(graphics::Rect frame = {});
};

}
