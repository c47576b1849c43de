#pragma once

#include <ui/Color.hpp>
#include <ui/View.hpp>

namespace ui {

enum class ProgressViewStyle { Default = 0, Bar = 1 };

// A bar filled to its progress, 0 to 1, over a track. Takes no touches.
// Main thread only.
class ProgressView : public View {
public:
    static base::Ref<ProgressView> create(ProgressViewStyle style = ProgressViewStyle::Default);

    ProgressViewStyle progressViewStyle() const { return style_; }
    void setProgressViewStyle(ProgressViewStyle style);
    float progress() const { return progress_; }
    // Clamped to 0 to 1; a value that is not a number counts as 0.
    void setProgress(float progress);
    Color progressTintColor() const { return progressTint_; }
    void setProgressTintColor(Color color);
    Color trackTintColor() const { return trackTint_; }
    void setTrackTintColor(Color color);

    // The style's height (9 points, 11 for the bar) at the width given.
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void drawRect(GraphicsContext& context, graphics::Rect rect) override;

private:
    ProgressViewStyle style_;
    float progress_ {0};
    Color progressTint_ {Color::colorWithRed(0.16f, 0.45f, 0.88f)};
    Color trackTint_ {Color::colorWithWhite(0.85f)};

    friend base::Factory;

    ProgressView(graphics::Rect frame, ProgressViewStyle style);
};

}
