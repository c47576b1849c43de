#pragma once

#include <ui/View.hpp>

namespace ads::marquee {

// The dimming layer behind a page (or, reversed, behind the loading view): black
// with a radial gradient of alpha from the centre to the corners. Main thread only.
class MQDefaultBackgroundView final : public ui::View {
public:
    static base::Ref<MQDefaultBackgroundView> initWithFrame(graphics::Rect frame);

    bool isGradientReversed() const { return gradientReversed_; }
    void setGradientReversed(bool reversed);

    void drawRect(ui::GraphicsContext& context, graphics::Rect rect) override;

private:
    bool gradientReversed_ {false};

    friend base::Factory;
    explicit MQDefaultBackgroundView(graphics::Rect frame);
};

}
