#pragma once

#include <base/Ref.hpp>
#include <foundation/Timer.hpp>
#include <ui/View.hpp>

namespace ads::marquee {

// A bar of white stripes that move right by a point every 1/60 second, for a wait of
// unknown length. Its timer runs from creation until the bar is destroyed. Main
// thread only.
class MQUnderfinedProgressBar final : public ui::View {
public:
    static base::Ref<MQUnderfinedProgressBar> initWithFrame(graphics::Rect frame);
    ~MQUnderfinedProgressBar() override;

    // The stripe phase in points.
    float offset() const { return offset_; }
    // One tick: the phase moves on by one and wraps from above h' to h' lower by 2h'
    // (h' being the bar's height less 9).
    void step();

    void drawRect(ui::GraphicsContext& context, graphics::Rect rect) override;

private:
    base::Ref<foundation::Timer> timer_;
    float offset_ {0};

    friend base::Factory;
    explicit MQUnderfinedProgressBar(graphics::Rect frame);
};

}
