#include <ads/howdy/HZExplainScreenView.hpp>

#include <ads/howdy/HowdySDK.hpp>
#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <graphics/Font.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Device.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Image.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <cmath>
#include <numbers>

namespace ads::howdy {

namespace {

constexpr float StatusBarHeight = 20;
// How long the status bar takes to turn.
constexpr double RotationDuration = 0.3;
constexpr float ButtonWidth = 250;
constexpr float ButtonHeight = 40;
constexpr float MessageBoxHeight = 93;

int statusBarOrientation() {
    return int(ui::Application::sharedApplication().statusBarOrientation());
}

bool isLandscape(int orientation) {
    return orientation == int(ui::InterfaceOrientation::LandscapeRight)
        || orientation == int(ui::InterfaceOrientation::LandscapeLeft);
}

bool isPad() {
    return ui::Device::currentDevice().isPad();
}

// The screen less the status bar across its top while the bar shows.
graphics::Rect applicationFrame() {
    auto frame = ui::Screen::mainScreen().bounds();
    if (!ui::Application::sharedApplication().isStatusBarHidden()) {
        frame.origin.y += StatusBarHeight;
        frame.size.height -= StatusBarHeight;
    }
    return frame;
}

ui::Window* hostWindow() {
    auto& application = ui::Application::sharedApplication();
    if (auto* window = application.keyWindow())
        return window;
    auto windows = application.windows();
    return windows.empty() ? nullptr : windows.front();
}

base::Ref<ui::Button> offerButton(std::string title) {
    auto button = ui::Button::create({0, 0, ButtonWidth, ButtonHeight});
    button->setTitle(std::move(title), ui::ControlState::Normal);
    button->titleLabel()->setFont(graphics::Font::boldSystemFontOfSize(19));
    button->setTitleColor(ui::Color::whiteColor(), ui::ControlState::Normal);
    button->setTitleColor(ui::Color::whiteColor(), ui::ControlState::Selected);
    for (auto [name, state] : {std::pair {"Howdy.bundle/btn-checkin.png", ui::ControlState::Normal},
             std::pair {"Howdy.bundle/btn-checkin-down.png", ui::ControlState::Highlighted}}) {
        if (auto image = ui::Image::imageNamed(name))
            button->setBackgroundImage(image->stretchableImageWithLeftCapWidth(5, 9), state);
    }
    button->setTitleShadowColor(ui::Color::colorWithBytes(61, 95, 14), ui::ControlState::Normal);
    button->titleLabel()->setShadowOffset({0, -1});
    return button;
}

}

base::Ref<HZExplainScreenView> HZExplainScreenView::init() {
    return base::make<HZExplainScreenView>();
}

HZExplainScreenView::HZExplainScreenView()
    : ui::View({0, 0, 0, 0}) {
    setBackgroundColor(ui::Color::clearColor());
    setOpaque(false);
    setAutoresizesSubviews(true);
    setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    setContentMode(ui::ContentMode::Redraw);
    appIcon_ = HowdySDK::appImage();
    if (appName_.empty())
        appName_ = "this game";

    closeButton_ = ui::Button::create({0, 0, 40, 40});
    closeButton_->setImage(
        ui::Image::imageNamed("Howdy.bundle/btn-closex-white.png"), ui::ControlState::Normal);
    closeButton_->setTitleColor(ui::Color::whiteColor(), ui::ControlState::Highlighted);
    closeButton_->setAlpha(0.7f);
    closeButton_->setShowsTouchWhenHighlighted(true);
    closeButton_->setAutoresizingMask(
        ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleBottomMargin);
    closeButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { cancel(); }, ui::ControlEvents::TouchUpInside);
    addSubview(closeButton_);

    installButton_ = offerButton("Install Howdy Now");
    installButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { openURL(); }, ui::ControlEvents::TouchUpInside);
    addSubview(installButton_);

    checkinButton_ = offerButton("Check In");
    checkinButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { openCheckin(); },
        ui::ControlEvents::TouchUpInside);
    checkinButton_->setHidden(true);
    addSubview(checkinButton_);

    howdyInstalled_ = HowdySDK::canOpenHowdy();
}

HZExplainScreenView::~HZExplainScreenView() {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

HowdySDK* HZExplainScreenView::client() const {
    return sdk_ ? sdk_.get() : HowdySDK::sharedSDK();
}

void HZExplainScreenView::show() {
    base::Ref<HZExplainScreenView> keep(this);
    sizeToFitOrientation(false);
    auto catcher = ui::Button::create(applicationFrame());
    catcher->setBackgroundColor(ui::Color::clearColor());
    catcher->setTag(TouchViewTag);
    catcher->addTarget(
        this, [this](ui::Control&, ui::Event*) { cancel(); }, ui::ControlEvents::TouchUpInside);
    touchView_ = catcher;
    if (sdk_)
        sdk_->howdyWillAppear(true);
    if (!sdk_ || !sdk_->addHowdyAsSubview(touchView_) || !sdk_->addHowdyAsSubview(keep)) {
        if (auto* window = hostWindow()) {
            window->addSubview(touchView_);
            window->addSubview(keep);
        }
    }
    // Pop-in: from nothing to a little too big, a little too small, then in place.
    setTransform(transformForOrientation().scaled(0.001f, 0.001f));
    ui::View::animateWithDuration(
        0.2, [keep] { keep->setTransform(transformForOrientation().scaled(1.1f, 1.1f)); },
        [keep](bool) { keep->bounce1AnimationStopped(); });
    addObservers();
}

void HZExplainScreenView::bounce1AnimationStopped() {
    base::Ref<HZExplainScreenView> keep(this);
    ui::View::animateWithDuration(
        0.15, [keep] { keep->setTransform(transformForOrientation().scaled(0.9f, 0.9f)); },
        [keep](bool) { keep->bounce2AnimationStopped(); });
}

void HZExplainScreenView::bounce2AnimationStopped() {
    base::Ref<HZExplainScreenView> keep(this);
    ui::View::animateWithDuration(
        0.15, [keep] { keep->setTransform(transformForOrientation()); },
        [keep](bool) {
            if (keep->sdk_)
                keep->sdk_->howdyDidAppear(true);
        });
}

void HZExplainScreenView::addObservers() {
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.addObserver(
        this, DeviceOrientationNotification, [this](auto const&) { deviceOrientationDidChange(); });
    center.addObserver(this, ui::Application::DidBecomeActiveNotification,
        [this](auto const&) { applicationBecameActive(); });
}

void HZExplainScreenView::removeObservers() {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

void HZExplainScreenView::dismiss(bool animated) {
    base::Ref<HZExplainScreenView> keep(this);
    auto sdk = sdk_;
    if (sdk)
        sdk->howdyWillDisappear(true);
    if (animated) {
        ui::View::animateWithDuration(
            0.3, [keep] { keep->setAlpha(0); }, [keep](bool) { keep->postDismissCleanup(); });
    } else {
        postDismissCleanup();
    }
    // Told at once, before an animated fade has ended.
    if (sdk)
        sdk->howdyDidDisappear(true);
}

void HZExplainScreenView::cancel() {
    base::Ref<HZExplainScreenView> keep(this);
    if (auto* sdk = client())
        sdk->logAnalyticsEvent("skip-button-clicked");
    dismiss(true);
}

void HZExplainScreenView::openURL() {
    if (auto* sdk = client())
        sdk->logAnalyticsEvent("install-button-clicked");
    HowdySDK::openAppStore();
}

void HZExplainScreenView::openCheckin() {
    base::Ref<HZExplainScreenView> keep(this);
    if (!message_)
        message_ = std::string();
    if (auto* sdk = client()) {
        sdk->logAnalyticsEvent("post-install-checkin-clicked");
        sdk->openHowdyWithMessage(message_);
    }
    dismiss(false);
}

void HZExplainScreenView::postDismissCleanup() {
    base::Ref<HZExplainScreenView> keep(this);
    removeObservers();
    if (touchView_)
        touchView_->removeFromSuperview();
    removeFromSuperview();
}

void HZExplainScreenView::deviceOrientationDidChange() {
    if (!shouldRotateToOrientation(statusBarOrientation()))
        return;
    base::Ref<HZExplainScreenView> keep(this);
    ui::View::animateWithDuration(RotationDuration, [keep] { keep->sizeToFitOrientation(true); });
}

void HZExplainScreenView::applicationBecameActive() {
    base::Ref<HZExplainScreenView> keep(this);
    howdyInstalled_ = HowdySDK::canOpenHowdy();
    if (!howdyInstalled_) {
        dismiss(false);
        return;
    }
    installButton_->setHidden(true);
    checkinButton_->setHidden(false);
    setNeedsDisplay();
    if (auto* sdk = client())
        sdk->logAnalyticsEvent("post-install-dialog-seen");
}

bool HZExplainScreenView::shouldRotateToOrientation(int orientation) const {
    return orientation != orientation_ && orientation >= 1 && orientation <= 4;
}

graphics::AffineTransform HZExplainScreenView::transformForOrientation() {
    switch (ui::InterfaceOrientation(statusBarOrientation())) {
    case ui::InterfaceOrientation::PortraitUpsideDown:
        return graphics::AffineTransform::makeRotation(-std::numbers::pi_v<float>);
    case ui::InterfaceOrientation::LandscapeRight:
        return graphics::AffineTransform::makeRotation(std::numbers::pi_v<float> / 2);
    case ui::InterfaceOrientation::LandscapeLeft:
        return graphics::AffineTransform::makeRotation(3 * std::numbers::pi_v<float> / 2);
    default:
        return graphics::AffineTransform::identity();
    }
}

void HZExplainScreenView::sizeToFitOrientation(bool withTransform) {
    if (withTransform)
        setTransform(graphics::AffineTransform::identity());
    auto const app = applicationFrame();
    float const scale = isPad() ? 0.6f : 1.0f;
    float width = std::floor(scale * app.size.width) - 20;
    float height = std::floor(scale * app.size.height) - 20;
    orientation_ = statusBarOrientation();
    if (isLandscape(orientation_))
        std::swap(width, height);
    setFrame({10, 10, width, height});
    setCenter({app.origin.x + std::ceil(app.size.width / 2),
        app.origin.y + std::ceil(app.size.height / 2)});
    if (withTransform)
        setTransform(transformForOrientation());
    placeButtons();
}

void HZExplainScreenView::layoutSubviews() {
    placeButtons();
}

graphics::Rect HZExplainScreenView::messageBox() const {
    auto const rect = bounds();
    bool const pad = isPad();
    float const top = std::ceil(rect.origin.y) + 10;
    return {std::ceil(rect.origin.x + (pad ? 40 : 20)), std::ceil(top + (pad ? 65 : 45)),
        std::ceil(rect.size.width - (pad ? 80 : 40)), MessageBoxHeight};
}

void HZExplainScreenView::placeButtons() {
    auto const rect = bounds();
    closeButton_->setFrame({rect.origin.x + rect.size.width - 46.5f, rect.origin.y + 8, 40, 40});
    float const lower = !isPad() && isLandscape(orientation_) ? 30 : 0;
    graphics::Rect const offer {rect.origin.x + rect.size.width / 2 - 125,
        rect.origin.y + rect.size.height / 2 + lower, ButtonWidth, ButtonHeight};
    installButton_->setFrame(offer);
    checkinButton_->setFrame(offer);
}

void HZExplainScreenView::drawRect(
    ui::GraphicsContext& context, graphics::Rect rect, ui::Color fill, float radius) {
    context.saveGState();
    context.setFillColor(fill);
    addRoundedRectToPath(context, rect, radius);
    context.fillPath();
    context.restoreGState();
}

void HZExplainScreenView::addRoundedRectToPath(
    ui::GraphicsContext& context, graphics::Rect rect, float radius) {
    context.beginPath();
    if (radius <= 0)
        context.addRect(rect);
    else
        context.addRoundedRect(rect, radius);
    context.closePath();
}

void HZExplainScreenView::strokeLines(
    ui::GraphicsContext& context, graphics::Rect rect, ui::Color stroke) {
    context.saveGState();
    context.setStrokeColor(stroke);
    context.setLineWidth(2);
    context.strokeRect(rect);
    context.restoreGState();
}

void HZExplainScreenView::drawRect(ui::GraphicsContext& context, graphics::Rect) {
    auto const rect = bounds();
    bool const pad = isPad();
    bool const landscape = isLandscape(orientation_);
    // The grey frame, then the panel inside it with its dark title strip.
    drawRect(context,
        {rect.origin.x - 0.5f, rect.origin.y - 0.5f, rect.size.width, rect.size.height},
        ui::Color::colorWithRed(0.3f, 0.3f, 0.3f, 0.8f), 10);
    graphics::Rect const panel {std::ceil(rect.origin.x + 10), std::ceil(rect.origin.y + 10),
        rect.size.width - 20, rect.size.height - 20};
    drawRect(context, panel, ui::Color::colorWithRed(0.6235f, 0.8353f, 0.9098f, 1), 0);
    drawRect(context, {panel.origin.x, panel.origin.y, panel.size.width, 35},
        ui::Color::colorWithRed(0, 0, 0.1961f, 1), 0);
    if (auto logo = ui::Image::imageNamed("Howdy.bundle/howdy-logo.png")) {
        auto size = logo->size();
        context.drawImage(*logo,
            {rect.origin.x + (rect.size.width - size.width) / 2, rect.origin.y + 15, size.width,
                size.height});
    }
    if (auto swirl = ui::Image::imageNamed(landscape ? "Howdy.bundle/bkg-swirl-planet-horz.png"
                                                     : "Howdy.bundle/bkg-swirl-planet-btm.png")) {
        auto size = swirl->size();
        float const height = size.width > 0 ? panel.size.width * size.height / size.width : 0;
        context.drawImage(*swirl,
            {panel.origin.x, rect.origin.y + rect.size.height - 10 - height, panel.size.width,
                height});
    }
    auto const box = messageBox();
    drawRect(context, box, ui::Color::colorWithRed(1, 1, 1, 0.32f), 0);
    strokeLines(context, box, ui::Color::colorWithRed(0.5686f, 0.7294f, 0.8078f, 1));

    context.saveGState();
    context.setFillColor(ui::Color::colorWithRed(0.298f, 0.337f, 0.424f, 1));
    context.setShadow({0, 1}, 0, ui::Color::colorWithWhite(1, 0.44f));
    graphics::Rect const iconRect {box.origin.x + 7, box.origin.y + 7, 57, 57};
    graphics::Rect const textRect {
        box.origin.x + 70, box.origin.y, box.size.width - 77, MessageBoxHeight};
    if (!howdyInstalled_) {
        if (appIcon_)
            context.drawImage(*appIcon_, iconRect);
        auto font = graphics::Font::systemFontOfSize(13);
        context.drawText(foundation::format("Install Howdy to check in to %@, share games with "
                                            "friends, find friends and see discussions! It's "
                                            "free and easy!",
                             appName_),
            {textRect.origin.x, textRect.origin.y + 7, textRect.size.width,
                textRect.size.height - 7},
            font.get(), ui::LineBreakMode::WordWrap);
    } else {
        if (auto accept = ui::Image::imageNamed("Howdy.bundle/btn-accept.png"))
            context.drawImage(*accept, iconRect);
        auto font = graphics::Font::boldSystemFontOfSize(pad || landscape ? 20 : 15);
        context.drawText(
            foundation::format(
                "Congratulations on getting Howdy! Now, try checking in to %@.", appName_),
            {textRect.origin.x, textRect.origin.y + 9, textRect.size.width,
                textRect.size.height - 9},
            font.get(), ui::LineBreakMode::TailTruncation);
    }
    context.restoreGState();
}

}
