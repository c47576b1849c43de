#include <ads/bountix/BTXAutoOrientView.hpp>

#include <foundation/NotificationCenter.hpp>
#include <ui/Application.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <cmath>
#include <numbers>

namespace ads::bountix {

namespace {

constexpr float StatusBarHeight = 20;

int statusBarOrientation() {
    return int(ui::Application::sharedApplication().statusBarOrientation());
}

bool isLandscape(int orientation) {
    return orientation == int(ui::InterfaceOrientation::LandscapeRight)
        || orientation == int(ui::InterfaceOrientation::LandscapeLeft);
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

}

BTXAutoOrientView::BTXAutoOrientView(graphics::Rect frame)
    : ui::View(frame)
    , orientation_(statusBarOrientation()) {
    setBackgroundColor(ui::Color::clearColor());
    setOpaque(false);
    setAutoresizesSubviews(true);
    setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    setContentMode(ui::ContentMode::Redraw);
    addObservers();
}

base::Ref<BTXAutoOrientView> BTXAutoOrientView::init() {
    auto view = base::make<BTXAutoOrientView>(graphics::Rect {0, 0, 321, 481});
    view->setAutoresizingMask(ui::Autoresizing::FlexibleLeftMargin
        | ui::Autoresizing::FlexibleRightMargin | ui::Autoresizing::FlexibleTopMargin
        | ui::Autoresizing::FlexibleBottomMargin);
    return view;
}

base::Ref<BTXAutoOrientView> BTXAutoOrientView::initWithFrame(graphics::Rect frame) {
    return base::make<BTXAutoOrientView>(frame);
}

BTXAutoOrientView::~BTXAutoOrientView() {
    // The centre never holds an observer that has gone.
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

void BTXAutoOrientView::show() {
    load();
    sizeToFitOrientation(false);
    auto& application = ui::Application::sharedApplication();
    ui::Window* window = application.keyWindow();
    if (!window) {
        auto windows = application.windows();
        window = windows.empty() ? nullptr : windows.front();
    }
    if (window)
        window->addSubview(base::Ref<ui::View>(this));
    setTransform(transformForOrientation());
    addObservers();
}

void BTXAutoOrientView::addObservers() {
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.addObserver(
        this, ShowBoxNotification, [this](auto const&) { showBoxCloseNotification(); });
    center.addObserver(
        this, DeviceOrientationNotification, [this](auto const&) { deviceOrientationDidChange(); });
}

void BTXAutoOrientView::removeObservers() {
    foundation::NotificationCenter::defaultCenter().removeObserver(
        this, DeviceOrientationNotification);
}

void BTXAutoOrientView::showBoxCloseNotification() {
    base::Ref<BTXAutoOrientView> keep(this);
    foundation::NotificationCenter::defaultCenter().removeObserver(this, ShowBoxNotification);
    removeObservers();
    removeFromSuperview();
}

void BTXAutoOrientView::postDismissCleanup() {
    base::Ref<BTXAutoOrientView> keep(this);
    removeObservers();
    removeFromSuperview();
}

bool BTXAutoOrientView::shouldReactToOrientation(int orientation) const {
    return orientation != orientation_ && orientation >= 1 && orientation <= 4;
}

graphics::AffineTransform BTXAutoOrientView::transformForOrientation() {
    switch (ui::InterfaceOrientation(statusBarOrientation())) {
    case ui::InterfaceOrientation::PortraitUpsideDown:
        return graphics::AffineTransform::makeRotation(-std::numbers::pi_v<float>);
    case ui::InterfaceOrientation::LandscapeRight:
        return graphics::AffineTransform::makeRotation(std::numbers::pi_v<float> / 2);
    case ui::InterfaceOrientation::LandscapeLeft:
        return graphics::AffineTransform::makeRotation(-std::numbers::pi_v<float> / 2);
    default:
        return graphics::AffineTransform::identity();
    }
}

void BTXAutoOrientView::sizeToFitOrientation(bool withTransform) {
    if (withTransform)
        setTransform(graphics::AffineTransform::identity());
    auto const app = applicationFrame();
    orientation_ = statusBarOrientation();
    float const w = std::floor(app.size.width);
    float const h = std::floor(app.size.height);
    if (isLandscape(orientation_))
        setFrame({0, 0, h, w});
    else
        setFrame({0, 0, w, h});
    setCenter({app.origin.x + std::ceil(app.size.width / 2),
        app.origin.y + std::ceil(app.size.height / 2)});
    if (withTransform)
        setTransform(transformForOrientation());
}

void BTXAutoOrientView::deviceOrientationDidChange() {
    if (!shouldReactToOrientation(statusBarOrientation()))
        return;
    base::Ref<BTXAutoOrientView> self(this);
    ui::View::animateWithDuration(
        OrientationChangeDuration, [self] { self->sizeToFitOrientation(true); });
}

void BTXAutoOrientView::drawRect(ui::GraphicsContext& context, graphics::Rect rect) {
    drawRect(context, rect, ui::Color::colorWithRed(0, 0, 0, 0), BoxRadius);
}

void BTXAutoOrientView::drawRect(ui::GraphicsContext& context, graphics::Rect rect,
    std::optional<ui::Color> fill, float radius) {
    if (!fill)
        return;
    context.saveGState();
    context.setFillColor(*fill);
    if (radius == 0) {
        context.fillRect(rect);
    } else {
        addRoundedRect(context, rect, radius);
        context.fillPath();
    }
    context.restoreGState();
}

void BTXAutoOrientView::addRoundedRect(
    ui::GraphicsContext& context, graphics::Rect rect, float radius) {
    context.beginPath();
    context.saveGState();
    if (radius == 0) {
        context.translateCTM(rect.origin.x, rect.origin.y);
        context.addRect({0, 0, rect.size.width, rect.size.height});
    } else {
        // Half a point in, so the edge falls on the middle of a pixel.
        graphics::Rect const r {
            rect.origin.x + 1, rect.origin.y + 1, rect.size.width - 1, rect.size.height - 1};
        context.translateCTM(r.origin.x - 0.5f, r.origin.y - 0.5f);
        context.scaleCTM(radius, radius);
        float const w = r.size.width / radius;
        float const h = r.size.height / radius;
        context.moveToPoint(w, h / 2);
        context.addArcToPoint(w, h, w / 2, h, 1);
        context.addArcToPoint(0, h, 0, h / 2, 1);
        context.addArcToPoint(0, 0, w / 2, 0, 1);
        context.addArcToPoint(w, 0, w, h / 2, 1);
    }
    context.closePath();
    context.restoreGState();
}

}
