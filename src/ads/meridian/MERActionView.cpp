#include <ads/meridian/MERActionView.hpp>

#include <graphics/Font.hpp>

namespace ads::meridian {

namespace {

// The panel shown now; it is kept by the view it is shown on.
MERActionView* currentPanel = nullptr;

}

base::Ref<MERActionView> MERActionView::errorViewForView(ui::View& view, std::string const& text) {
    return initForView(view, text);
}

base::Ref<MERActionView> MERActionView::initForView(ui::View& view, std::string const& text) {
    if (currentPanel)
        removeCurrentView();
    auto panel = base::make<MERActionView>();
    currentPanel = panel.get();
    panel->setOpaque(false);
    panel->setBackgroundColor(ui::Color::colorWithWhite(0, 0.75f));
    panel->layer().setCornerRadius(10);
    panel->setUserInteractionEnabled(false);
    panel->spinner_ = MERProgress::initWithFrame({{20, 50}, {160, 40}});
    panel->addSubview(panel->spinner_);
    panel->textLabel().setText(text);
    panel->addSubview(base::Ref<ui::View>(&panel->textLabel()));
    view.addSubview(panel);
    panel->setCenter(view.center());
    panel->setAlpha(0);
    panel->setTransform(graphics::AffineTransform::makeScale(3, 3));
    ui::View::beginAnimations();
    panel->setTransform({});
    panel->setAlpha(1);
    ui::View::commitAnimations();
    return panel;
}

MERActionView::MERActionView()
    : View(graphics::Rect {}) {
}

MERActionView::~MERActionView() {
    if (currentPanel == this)
        currentPanel = nullptr;
}

MERActionView* MERActionView::current() {
    return currentPanel;
}

void MERActionView::removeCurrentView() {
    if (!currentPanel)
        return;
    MERActionView* panel = currentPanel;
    currentPanel = nullptr;
    panel->removeFromSuperview();
}

ui::Label& MERActionView::textLabel() {
    if (!textLabel_) {
        textLabel_ = ui::Label::create();
        textLabel_->setFont(graphics::Font::systemFontOfSize(17));
        textLabel_->setNumberOfLines(0);
        textLabel_->setTextAlignment(ui::TextAlignment::Center);
        textLabel_->setTextColor(ui::Color::whiteColor());
        textLabel_->setBackgroundColor(ui::Color::clearColor());
    }
    return *textLabel_;
}

void MERActionView::layoutSubviews() {
    setFrame({{60, 96}, {200, 154}});
    if (superview())
        setCenter(superview()->center());
    textLabel().setFrame({{20, 87}, {160, 60}});
}

void MERActionView::removeView() {
    base::Ref<MERActionView> keep(this);
    ui::View::beginAnimations();
    ui::View::setAnimationDuration(0.5);
    ui::View::setAnimationDelegate(this);
    ui::View::setAnimationDidStopSelector([this](std::string const&, bool, void*) {
        if (currentPanel == this)
            removeCurrentView();
        else
            removeFromSuperview();
    });
    setAlpha(0);
    ui::View::commitAnimations();
}

}
