#include <ui/GraphicsContext.hpp>
#include <ui/Switch.hpp>

namespace ui {

base::Ref<Switch> Switch::create(graphics::Rect frame) {
    return base::make<Switch>(frame);
}

Switch::Switch(graphics::Rect frame)
    : Control({frame.origin, fixedSize}) {
    setOpaque(false);
}

void Switch::setOn(bool on, bool) {
    if (on != on_) {
        on_ = on;
        setNeedsDisplay();
    }
}

void Switch::setOnTintColor(Color color) {
    onTint_ = color;
    setNeedsDisplay();
}

graphics::Size Switch::sizeThatFits(graphics::Size) const {
    return fixedSize;
}

void Switch::endTrackingWithTouch(Touch&, Event* event) {
    if (!isTouchInside())
        return;
    setOn(!on_);
    sendActions(ControlEvents::ValueChanged, event);
}

void Switch::drawRect(GraphicsContext& context, graphics::Rect) {
    auto b = bounds().insetBy(0.5f, 0.5f);
    float radius = b.size.height / 2;
    context.setFillColor(on_ ? onTint_ : Color::colorWithWhite(0.93f));
    context.fillRoundedRect(b, radius);
    context.setStrokeColor(Color::colorWithWhite(0.6f));
    context.strokeRoundedRect(b, radius);
    float knob = b.size.height - 2;
    float x = on_ ? b.maxX() - knob - 1 : b.minX() + 1;
    graphics::Rect knobRect {{x, b.minY() + 1}, {knob, knob}};
    context.setFillColor(isHighlighted() ? Color::colorWithWhite(0.85f) : Color::whiteColor());
    context.fillEllipseInRect(knobRect);
    context.strokeEllipseInRect(knobRect);
    auto font = graphics::Font::boldSystemFontOfSize(15);
    if (!font)
        return;
    graphics::Rect label {{on_ ? b.minX() : b.minX() + knob, b.midY() - font->lineHeight() / 2},
        {b.size.width - knob, font->lineHeight()}};
    context.setFillColor(on_ ? Color::whiteColor() : Color::colorWithWhite(0.45f));
    context.drawText(
        on_ ? "ON" : "OFF", label, font.get(), LineBreakMode::Clip, TextAlignment::Center);
}

}
