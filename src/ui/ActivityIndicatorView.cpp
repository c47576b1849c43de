#include <foundation/Clock.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/GraphicsContext.hpp>

#include <cmath>

namespace ui {

namespace {

graphics::Size sizeOf(ActivityIndicatorViewStyle style) {
    return style == ActivityIndicatorViewStyle::WhiteLarge ? graphics::Size {37, 37}
                                                           : graphics::Size {20, 20};
}

}

base::Ref<ActivityIndicatorView> ActivityIndicatorView::create(ActivityIndicatorViewStyle style) {
    return base::make<ActivityIndicatorView>(graphics::Rect {{0, 0}, sizeOf(style)}, style);
}

base::Ref<ActivityIndicatorView> ActivityIndicatorView::create(graphics::Rect frame) {
    return base::make<ActivityIndicatorView>(frame, ActivityIndicatorViewStyle::White);
}

ActivityIndicatorView::ActivityIndicatorView(graphics::Rect frame, ActivityIndicatorViewStyle style)
    : View(frame)
    , style_(style) {
    setUserInteractionEnabled(false);
    setOpaque(false);
    setHidden(true);
}

void ActivityIndicatorView::setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style) {
    style_ = style;
    setNeedsDisplay();
}

Color ActivityIndicatorView::color() const {
    if (!color_.isClear())
        return color_;
    return style_ == ActivityIndicatorViewStyle::Gray ? Color::grayColor() : Color::whiteColor();
}

void ActivityIndicatorView::setColor(Color color) {
    color_ = color;
    setNeedsDisplay();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
    hidesWhenStopped_ = hides;
    if (!animating_)
        setHidden(hides);
}

void ActivityIndicatorView::startAnimating() {
    if (animating_)
        return;
    animating_ = true;
    start_ = foundation::Clock::current().monotonic();
    setHidden(false);
    setNeedsDisplay();
}

void ActivityIndicatorView::stopAnimating() {
    if (!animating_)
        return;
    animating_ = false;
    if (hidesWhenStopped_)
        setHidden(true);
    setNeedsDisplay();
}

int ActivityIndicatorView::step() const {
    if (!animating_)
        return 0;
    double elapsed = foundation::Clock::current().monotonic() - start_;
    return int(std::floor(elapsed * 12)) % 12;
}

std::uint64_t ActivityIndicatorView::contentVersion() const {
    return (View::contentVersion() << 4) + std::uint64_t(step());
}

graphics::Size ActivityIndicatorView::sizeThatFits(graphics::Size) const {
    return sizeOf(style_);
}

void ActivityIndicatorView::drawRect(GraphicsContext& context, graphics::Rect) {
    auto b = bounds();
    float radius = std::fmin(b.size.width, b.size.height) / 2;
    if (radius <= 0)
        return;
    Color base = color();
    context.saveGState();
    context.setLineWidth(radius * 0.2f);
    int lead = step();
    for (int i = 0; i < 12; ++i) {
        // Spokes fade behind the leading one, which turns clockwise.
        int age = (lead - i + 12) % 12;
        float alpha = 1.0f - float(age) / 12.0f * 0.85f;
        float angle = float(i) * float(M_PI) / 6 - float(M_PI) / 2;
        float c = std::cos(angle), s = std::sin(angle);
        context.setStrokeColor(base.colorWithAlphaComponent(base.alpha() * alpha));
        context.beginPath();
        context.moveToPoint(b.midX() + c * radius * 0.5f, b.midY() + s * radius * 0.5f);
        context.addLineToPoint(b.midX() + c * radius * 0.9f, b.midY() + s * radius * 0.9f);
        context.strokePath();
    }
    context.restoreGState();
}

}
