#include <ui/GraphicsContext.hpp>
#include <ui/ProgressView.hpp>

#include <cmath>

namespace ui {

base::Ref<ProgressView> ProgressView::create(ProgressViewStyle style) {
    float height = style == ProgressViewStyle::Bar ? 11 : 9;
    return base::make<ProgressView>(graphics::Rect {{0, 0}, {150, height}}, style);
}

ProgressView::ProgressView(graphics::Rect frame, ProgressViewStyle style)
    : View(frame)
    , style_(style) {
    setUserInteractionEnabled(false);
    setOpaque(false);
}

void ProgressView::setProgressViewStyle(ProgressViewStyle style) {
    style_ = style;
    setNeedsDisplay();
}

void ProgressView::setProgress(float progress) {
    if (!(progress > 0))
        progress = 0;
    progress = std::fmin(progress, 1.0f);
    if (progress != progress_) {
        progress_ = progress;
        setNeedsDisplay();
    }
}

void ProgressView::setProgressTintColor(Color color) {
    progressTint_ = color;
    setNeedsDisplay();
}

void ProgressView::setTrackTintColor(Color color) {
    trackTint_ = color;
    setNeedsDisplay();
}

graphics::Size ProgressView::sizeThatFits(graphics::Size size) const {
    return {size.width, style_ == ProgressViewStyle::Bar ? 11.0f : 9.0f};
}

void ProgressView::drawRect(GraphicsContext& context, graphics::Rect) {
    auto b = bounds();
    float radius = style_ == ProgressViewStyle::Bar ? 0 : b.size.height / 2;
    context.setFillColor(trackTint_);
    context.fillRoundedRect(b, radius);
    if (progress_ > 0) {
        graphics::Rect filled {b.origin, {b.size.width * progress_, b.size.height}};
        context.setFillColor(progressTint_);
        context.fillRoundedRect(filled, std::fmin(radius, filled.size.width / 2));
    }
}

}
