#include <game/store/StoreScreen.hpp>

#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>
#include <graphics/Font.hpp>
#include <ui/Button.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/View.hpp>

namespace game {

namespace {

constexpr double refreshInterval = 0.25;
constexpr double slideDuration = 0.3;
// The tablet's landscape screen height: the slide starts and ends just below it.
constexpr float tabletScreenHeight = 768;
constexpr float barHeight = 44;

ui::Color const barColor = ui::Color::colorWithBytes(255, 54, 90);
ui::Color const pageColor = ui::Color::colorWithBytes(255, 226, 234);
ui::Color const coinColor = ui::Color::colorWithBytes(255, 200, 40);

}

StoreScreen::~StoreScreen() {
    if (updateTimer_)
        updateTimer_->invalidate();
}

void StoreScreen::open(ui::ViewController& opener, base::Ref<StoreScreen> screen) {
    if (!Utilities::isiPad()) {
        opener.presentViewController(std::move(screen), true);
        return;
    }
    screen->keptUntilClosed_ = screen;
    auto* view = screen->view();
    auto size = view->frame().size;
    view->setFrame(graphics::makeRect(0, tabletScreenHeight, size.width, size.height));
    opener.view()->addSubview(base::Ref<ui::View>(view));
    ui::View::beginAnimations();
    ui::View::setAnimationDuration(slideDuration);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseOut);
    view->setFrame(graphics::makeRect(0, 0, size.width, size.height));
    ui::View::commitAnimations();
}

bool StoreScreen::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::LandscapeLeft
        || orientation == ui::InterfaceOrientation::LandscapeRight;
}

void StoreScreen::startUpdates() {
    update();
    if (updateTimer_)
        updateTimer_->invalidate();
    base::Ref<StoreScreen> self(this);
    updateTimer_ = foundation::Timer::scheduledTimer(
        refreshInterval, [self](foundation::Timer&) { self->update(); }, true);
}

void StoreScreen::close() {
    playSound("Cancel");
    if (updateTimer_)
        updateTimer_->invalidate();
    if (!Utilities::isiPad()) {
        dismissViewController(true);
        return;
    }
    auto size = view()->frame().size;
    ui::View::beginAnimations(closeAnimation);
    ui::View::setAnimationDelegate(this);
    ui::View::setAnimationDidStopSelector(
        [this](std::string const& animationID, bool finished, void* context) {
            animationDidStop(animationID, finished, context);
        });
    ui::View::setAnimationDuration(slideDuration);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseOut);
    view()->setFrame(graphics::makeRect(0, tabletScreenHeight, size.width, size.height));
    ui::View::commitAnimations();
}

void StoreScreen::animationDidStop(std::string const& animationID, bool, void*) {
    if (animationID != closeAnimation)
        return;
    if (isViewLoaded())
        view()->removeFromSuperview();
    // The animation keeps the screen until this call returns.
    keptUntilClosed_ = nullptr;
}

void StoreScreen::playSound(char const* name) {
    if (auto* sound = SoundEngine::sharedManager())
        sound->playSoundName(name);
}

// --- building the view ---

graphics::Size StoreScreen::screenSize() {
    return Utilities::isiPad() ? graphics::makeSize(1024, 768) : graphics::makeSize(480, 320);
}

graphics::Rect StoreScreen::place(float x, float y, float width, float height) {
    auto size = screenSize();
    float sx = size.width / 480;
    float sy = size.height / 320;
    return graphics::makeRect(x * sx, y * sy, width * sx, height * sy);
}

float StoreScreen::scale() {
    return Utilities::isiPad() ? 2 : 1;
}

base::Ref<ui::Label> StoreScreen::makeLabel(
    graphics::Rect frame, float fontSize, ui::Color color, std::string text, bool bold) {
    auto label = ui::Label::create(frame);
    label->setBackgroundColor(ui::Color::clearColor());
    label->setFont(bold ? graphics::Font::boldSystemFontOfSize(fontSize * scale())
                        : graphics::Font::systemFontOfSize(fontSize * scale()));
    label->setTextColor(color);
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setText(std::move(text));
    return label;
}

base::Ref<ui::ImageView> StoreScreen::makeCoin(float x, float y, float diameter) {
    auto origin = place(x, y, 0, 0).origin;
    float size = diameter * scale();
    auto coin = ui::ImageView::create(graphics::makeRect(origin.x, origin.y, size, size));
    coin->setBackgroundColor(coinColor);
    coin->layer().setCornerRadius(size / 2);
    return coin;
}

base::Ref<ui::Button> StoreScreen::makeButton(
    graphics::Rect frame, ui::Color color, std::string title, float fontSize) {
    auto button = ui::Button::create(frame);
    button->setBackgroundColor(color);
    button->layer().setCornerRadius(8 * scale());
    button->setTitle(std::move(title), ui::ControlState::Normal);
    button->setTitleColor(ui::Color::whiteColor(), ui::ControlState::Normal);
    button->setTitleColor(ui::Color::colorWithWhite(0.85f), ui::ControlState::Disabled);
    button->titleLabel()->setFont(graphics::Font::boldSystemFontOfSize(fontSize * scale()));
    button->setExclusiveTouch(true);
    return button;
}

base::Ref<ui::View> StoreScreen::makeBackground(
    base::Ref<ui::Label>& titleLabel, base::Ref<ui::Button>& backButton) {
    auto size = screenSize();
    auto root = ui::View::create(graphics::makeRect(0, 0, size.width, size.height));
    root->setBackgroundColor(pageColor);
    auto bar = ui::View::create(place(0, 0, 480, barHeight));
    bar->setBackgroundColor(barColor);
    root->addSubview(bar);
    titleLabel = makeLabel(place(100, 0, 280, barHeight), 22, ui::Color::whiteColor());
    titleLabel->setAdjustsFontSizeToFitWidth(true);
    titleLabel->setExclusiveTouch(true);
    root->addSubview(titleLabel);
    backButton
        = makeButton(place(8, 7, 76, 30), ui::Color::colorWithBytes(150, 20, 55), "Back", 15);
    root->addSubview(backButton);
    return root;
}

void StoreScreen::onTap(ui::Button& button, void (StoreScreen::*action)()) {
    button.addTarget(
        this, [this, action](ui::Control&, ui::Event*) { (this->*action)(); },
        ui::ControlEvents::TouchUpInside);
}

void StoreScreen::setTitleWhenSet(ui::Button* button, std::optional<std::string> const& text) {
    if (button && text)
        button->setTitle(*text, ui::ControlState::Normal);
}

}
