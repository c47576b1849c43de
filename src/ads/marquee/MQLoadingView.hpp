#pragma once

#include <ads/marquee/MQUnderfinedProgressBar.hpp>

#include <base/Ref.hpp>
#include <ui/Label.hpp>
#include <ui/View.hpp>

namespace ads::marquee {

// "Loading..." (from the bundle's string table, the key itself where no table has
// it) over a striped bar, both centred. Main thread only.
class MQLoadingView final : public ui::View {
public:
    static base::Ref<MQLoadingView> initWithFrame(graphics::Rect frame);

    ui::Label& label() const { return *label_; }
    MQUnderfinedProgressBar& progressBar() const { return *progressBar_; }

    // The label sits above the centre by half its height and 30 points; the bar below it
    // by half its height less 10.
    void layoutSubviews() override;

private:
    base::Ref<ui::Label> label_;
    base::Ref<MQUnderfinedProgressBar> progressBar_;

    friend base::Factory;
    explicit MQLoadingView(graphics::Rect frame);
};

}
