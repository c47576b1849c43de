#include <ads/meridian/MERProgress.hpp>

#include <ui/GraphicsContext.hpp>

namespace ads::meridian {

base::Ref<MERProgress> MERProgress::initWithFrame(graphics::Rect frame) {
    return base::make<MERProgress>(frame);
}

MERProgress::MERProgress(graphics::Rect frame)
    : View(frame) {
    setBackgroundColor(ui::Color::clearColor());
}

void MERProgress::setMinValue(float value) {
    minValue_ = value;
    setNeedsDisplay();
}

void MERProgress::setMaxValue(float value) {
    maxValue_ = value;
    setNeedsDisplay();
}

void MERProgress::setCurrentValue(float value) {
    currentValue_ = value;
    setNeedsDisplay();
}

void MERProgress::setLineColor(ui::Color color) {
    lineColor_ = color;
    setNeedsDisplay();
}

void MERProgress::setProgressRemainingColor(ui::Color color) {
    progressRemainingColor_ = color;
    setNeedsDisplay();
}

void MERProgress::setProgressColor(ui::Color color) {
    progressColor_ = color;
    setNeedsDisplay();
}

void MERProgress::setNewRect(graphics::Rect frame) {
    setFrame(frame);
    setNeedsDisplay();
}

float MERProgress::fillLevel() const {
    float span = maxValue_ - minValue_;
    return span == 0 ? 0 : currentValue_ / span * bounds().size.width;
}

void MERProgress::drawRect(ui::GraphicsContext& context, graphics::Rect) {
    float W = bounds().size.width;
    float H = bounds().size.height;
    float m = H / 2;
    float r = m - 2;
    float r2 = r - 2;

    // One half of a rounded shape between left and right, its flat edge at y; the
    // lower half mirrors the upper one.
    auto half = [&](float left, float right, float y, float radius, bool roundRight) {
        context.beginPath();
        context.moveToPoint(left, m);
        context.addArcToPoint(left, y, left + radius, y, radius);
        if (roundRight) {
            context.addLineToPoint(right - radius, y);
            context.addArcToPoint(right, y, right, m, radius);
        } else {
            context.addLineToPoint(right, y);
            context.addLineToPoint(right, m);
        }
    };
    auto fillHalves = [&](float left, float right, float inset, float radius, bool roundRight,
                          ui::Color color, float upperAlpha) {
        half(left, right, inset, radius, roundRight);
        context.setFillColor(color.colorWithAlphaComponent(upperAlpha));
        context.fillPath();
        half(left, right, H - inset, radius, roundRight);
        context.setFillColor(color);
        context.fillPath();
    };

    context.setLineWidth(2);
    context.setStrokeColor(lineColor_);
    fillHalves(2, W - 2, 2, r, true, progressRemainingColor_, 0.7f);
    half(2, W - 2, 2, r, true);
    context.strokePath();
    half(2, W - 2, H - 2, r, true);
    context.strokePath();

    float x = fillLevel();
    float u = r2 + 4;
    if (x <= 0)
        return;
    if (x < u)
        fillHalves(4, u, 4, r2, false, progressColor_, 0.78f);
    else if (x <= W - r2 - 4)
        fillHalves(4, x + r2 + 4, 4, r2, true, progressColor_, 0.78f);
    else
        fillHalves(4, W - 4, 4, r2, true, progressColor_, 0.78f);
}

}
