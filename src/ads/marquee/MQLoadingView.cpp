#include <ads/marquee/MQLoadingView.hpp>

#include <foundation/Bundle.hpp>
#include <graphics/Font.hpp>

namespace ads::marquee {

base::Ref<MQLoadingView> MQLoadingView::initWithFrame(graphics::Rect frame) {
    return base::make<MQLoadingView>(frame);
}

MQLoadingView::MQLoadingView(graphics::Rect frame)
    : View(frame)
    , label_(ui::Label::create({{0, 0}, {300, 300}}))
    , progressBar_(MQUnderfinedProgressBar::initWithFrame({{0, 60}, {280, 30}})) {
    setOpaque(false);
    setBackgroundColor(ui::Color::clearColor());
    label_->setText(foundation::Bundle::mainBundle().localizedString("Loading..."));
    label_->setBackgroundColor(ui::Color::clearColor());
    label_->setTextColor(ui::Color::whiteColor());
    label_->setFont(graphics::Font::boldSystemFontOfSize(16));
    label_->sizeToFit();
    addSubview(label_);
    addSubview(progressBar_);
    setNeedsLayout();
}

void MQLoadingView::layoutSubviews() {
    auto bounds = this->bounds();
    graphics::Point middle {
        bounds.origin.x + bounds.size.width / 2, bounds.origin.y + bounds.size.height / 2};
    auto labelHeight = label_->bounds().size.height;
    label_->setCenter({middle.x, middle.y - (labelHeight / 2 + 30)});
    auto barHeight = progressBar_->bounds().size.height;
    progressBar_->setCenter({middle.x, middle.y + (barHeight / 2 - 10)});
}

}
