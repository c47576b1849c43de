#pragma once

#include <ui/Color.hpp>
#include <ui/View.hpp>

namespace ads::meridian {

// A rounded progress bar: a grey track with a darker fill that grows from the left.
// The level is currentValue / (maxValue - minValue) of the width, without taking
// minValue off currentValue. Every setter redraws. Main thread only.
class MERProgress final : public ui::View {
public:
    static base::Ref<MERProgress> initWithFrame(graphics::Rect frame);

    float minValue() const { return minValue_; }
    void setMinValue(float value);
    float maxValue() const { return maxValue_; }
    void setMaxValue(float value);
    float currentValue() const { return currentValue_; }
    void setCurrentValue(float value);
    ui::Color lineColor() const { return lineColor_; }
    void setLineColor(ui::Color color);
    ui::Color progressRemainingColor() const { return progressRemainingColor_; }
    void setProgressRemainingColor(ui::Color color);
    ui::Color progressColor() const { return progressColor_; }
    void setProgressColor(ui::Color color);
    void setNewRect(graphics::Rect frame);

    // Where the fill ends, in points from the left (0 or less: no fill).
    float fillLevel() const;

    void drawRect(ui::GraphicsContext& context, graphics::Rect rect) override;

private:
    float minValue_ {0};
    float maxValue_ {1};
    float currentValue_ {0};
    ui::Color lineColor_ {ui::Color::whiteColor()};
    ui::Color progressRemainingColor_ {ui::Color::lightGrayColor()};
    ui::Color progressColor_ {ui::Color::darkGrayColor()};

    friend base::Factory;
    explicit MERProgress(graphics::Rect frame);
};

}
