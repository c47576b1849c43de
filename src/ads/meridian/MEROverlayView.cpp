#include <ads/meridian/MEROverlayView.hpp>

#include <ads/meridian/MEROverlayGeometry.hpp>
#include <ads/meridian/MEROverlayLinks.hpp>
#include <base/Log.hpp>
#include <base/Value.hpp>
#include <foundation/Base64.hpp>
#include <graphics/Font.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace ads::meridian {

namespace geometry = overlay_geometry;

namespace {

// The navigation bar's arrows, 30 x 30 RGBA pictures.
constexpr char const* backArrowBase64
    = "iVBORw0KGgoAAAANSUhEUgAAAB4AAAAeCAYAAAA7MK6iAAAAU0lEQVR42u3WwQkAIAwEwfTf9KlfHyJisgRuGlgQjYkw"
      "60YTEi0Na4NE08M6QKIpYV0qD34N60F5sHcYO2r8cqHPCR8g+MhEPwn8W0QXAXz1MVsGP2Jlt2oSfkQAAAAASUVORK5C"
      "YII=";
constexpr char const* forwardArrowBase64
    = "iVBORw0KGgoAAAANSUhEUgAAAB4AAAAeCAYAAAA7MK6iAAAATElEQVR42u3WwQ0AIAgEQfpv+vTtwxiDbgg3DSwPokSY"
      "ETRhYSSuBRb+FtcGFn4a1yEsnD6ALmDhlAFKhXssV48HpMcn0eMQ8AFo5QxsLGW3ElG8bwAAAABJRU5ErkJggg==";

int statusBarOrientation() {
    return int(ui::Application::sharedApplication().statusBarOrientation());
}

// A page's yes-or-no answer: a leading "Y", "y", "T", "t" or non-zero digit is yes.
bool truthOf(std::string const& answer) {
    return base::Value::boolFromString(answer);
}

}

base::Ref<MEROverlayView> MEROverlayView::initWithType(int type, MEROverlayDelegate* delegate) {
    auto overlay = base::make<MEROverlayView>();
    overlay->delegate_ = delegate;
    overlay->overlayType_ = type;
    auto& center = foundation::NotificationCenter::defaultCenter();
    auto* self = overlay.get();
    center.addObserver(
        self, bottomBarToBeShownNotification, [self](foundation::Notification const& n) {
            self->bottomBarToBeShown(n.userInfo().boolValue());
        });
    center.addObserver(
        self, bottomBarToBeEnabledNotification, [self](foundation::Notification const& n) {
            self->bottomBarToBeEnabled(n.userInfo().boolValue());
        });
    center.addObserver(
        self, closeNotification, [self](foundation::Notification const&) { self->close(); });
    if (type == modalType)
        overlay->transitionDuration = 0.3f;
    return overlay;
}

MEROverlayView::MEROverlayView()
    : View(graphics::Rect {}) {
    setAutoresizesSubviews(true);
    setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    setContentMode(ui::ContentMode::Redraw);
    interfaceOrientation_ = statusBarOrientation();
    webView_ = ui::WebView::create({});
    webView_->setMediaPlaybackRequiresUserAction(false);
    webView_->setAllowsInlineMediaPlayback(true);
    webView_->setDelegate(this);
    webView_->setAutoresizingMask(
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    addSubview(webView_);
    spinner_ = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
    spinner_->setAutoresizingMask(ui::Autoresizing::FlexibleLeftMargin
        | ui::Autoresizing::FlexibleRightMargin | ui::Autoresizing::FlexibleTopMargin
        | ui::Autoresizing::FlexibleBottomMargin);
    addSubview(spinner_);
}

MEROverlayView::~MEROverlayView() {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
    auto& accelerometer = services::Accelerometer::sharedAccelerometer();
    if (accelerometer.delegate() == this)
        accelerometer.setDelegate(nullptr);
    stopCloseOverlayTimer();
    stopShowBottomBarTimer();
    stopEnableBottomBarTimer();
    if (webView_)
        webView_->setDelegate(nullptr);
}

void MEROverlayView::setMakeOverlayTransparent(bool transparent) {
    makeOverlayTransparent_ = transparent;
    if (transparent) {
        setBackgroundColor(ui::Color::clearColor());
        setOpaque(false);
        webView_->setBackgroundColor(ui::Color::clearColor());
        webView_->setOpaque(false);
    } else {
        setBackgroundColor(ui::Color::whiteColor());
        setOpaque(true);
        // An opaque page area shows the page's default white (the page itself is not
        // drawn here).
        webView_->setBackgroundColor(ui::Color::whiteColor());
        webView_->setOpaque(true);
    }
}

ui::Window* MEROverlayView::hostWindow() const {
    auto& application = ui::Application::sharedApplication();
    if (auto* key = application.keyWindow())
        return key;
    auto windows = application.windows();
    return windows.empty() ? nullptr : windows.front();
}

void MEROverlayView::showWithRequest(foundation::URLRequest request) {
    webView_->loadRequest(std::move(request));
    showOverlayForType(overlayType_);
}

void MEROverlayView::showWithHTML(std::string const& html) {
    webView_->loadHTMLString(html);
    showOverlayForType(overlayType_);
}

void MEROverlayView::showOverlayForType(int type) {
    if (type == modalType)
        showModalOverlay();
    else
        showFullScreenOverlay();
}

graphics::AffineTransform MEROverlayView::transformForOrientation() const {
    return geometry::transformForOrientation(statusBarOrientation());
}

void MEROverlayView::sizeToFitOrientation() {
    interfaceOrientation_ = statusBarOrientation();
    setTransform(graphics::AffineTransform::identity());
    auto* window = hostWindow();
    auto& application = ui::Application::sharedApplication();
    geometry::FullScreenInput input;
    input.screenBounds = ui::Screen::mainScreen().bounds();
    input.windowFrame = window ? window->frame() : input.screenBounds;
    input.windowSubviews = window ? window->subviews().size() : 0;
    input.statusBarVisible = !application.isStatusBarHidden();
    input.interfaceOrientation = interfaceOrientation_;
    input.overlaySize = overlaySize;
    input.overlayOrientation = overlayOrientation;
    setFrame(geometry::fullScreenFrame(input));
}

void MEROverlayView::modalSizeToFitOrientation(bool applyTransform) {
    if (applyTransform)
        setTransform(graphics::AffineTransform::identity());
    auto application = geometry::applicationFrame(ui::Screen::mainScreen().bounds(),
        !ui::Application::sharedApplication().isStatusBarHidden());
    interfaceOrientation_ = statusBarOrientation();
    auto panel = geometry::modalFrame(application, modalLocation, modalSize, interfaceOrientation_);
    setFrame(panel.frame);
    if (applyTransform)
        setTransform(transformForOrientation());
    if (panel.centred)
        setCenter(panel.centre);
}

ui::AnimationTransition MEROverlayView::viewTransition(std::string_view name) {
    if (name == "CurlUp")
        return ui::AnimationTransition::CurlUp;
    if (name == "CurlDown")
        return ui::AnimationTransition::CurlDown;
    if (name == "FlipRight")
        return ui::AnimationTransition::FlipFromRight;
    if (name == "FlipLeft")
        return ui::AnimationTransition::FlipFromLeft;
    return ui::AnimationTransition::None;
}

ui::ModalTransitionStyle MEROverlayView::transitionStyle() const {
    std::string_view name = transition ? std::string_view(*transition) : std::string_view {};
    if (name == "Curl" || name == "CurlUp" || name == "CurlDown")
        return ui::ModalTransitionStyle::PartialCurl;
    if (name == "Dissolve")
        return ui::ModalTransitionStyle::CrossDissolve;
    if (name == "Flip" || name == "FlipRight" || name == "FlipLeft")
        return ui::ModalTransitionStyle::FlipHorizontal;
    return ui::ModalTransitionStyle::CoverVertical;
}

void MEROverlayView::showFullScreenOverlay() {
    if (superview())
        return;
    auto* window = hostWindow();
    if (!window && !parentViewController_) {
        base::logLine("Meridian overlay: no window to show in");
        return;
    }
    if (delegate_)
        delegate_->overlayWillAppear(*this);
    if (window)
        window->setOpaque(true);
    if (parentViewController_ && window)
        setFrame(window->frame());
    else
        sizeToFitOrientation();
    auto size = frame().size;
    auto layout = geometry::fullScreenLayout(size, showTitlebar, showBottomBar);
    webView_->setFrame({{0, 0}, size});
    spinner_->sizeToFit();
    spinner_->startAnimating();
    spinner_->setCenter(webView_->center());
    if (showTitlebar) {
        titleBar_ = createTitlebarWithFrame(layout.titleBar, titlebarColor, headerTitle);
        webView_->setFrame(layout.webView);
        addSubview(titleBar_);
    }
    if (showBottomBar) {
        webView_->setFrame(layout.webView);
        bottomBar_ = createBottombarWithFrame(
            layout.bottomBar, !showTitlebar, enableBottomBar, titlebarColor);
        addSubview(bottomBar_);
    }
    if (!parentViewController_) {
        std::string name = transition.value_or("");
        auto offset = geometry::slideOffset(name, size);
        auto start = frame();
        start.origin.x += offset.x;
        start.origin.y += offset.y;
        setFrame(start);
        auto& application = ui::Application::sharedApplication();
        foundation::NotificationCenter::defaultCenter().postNotification(
            updateStatusBarNotification, nullptr, base::Value(application.isStatusBarHidden()));
        if (geometry::isLandscape(overlayOrientation) && shownFromVideo) {
            auto b = ui::Screen::mainScreen().bounds().size;
            setFrame({{-b.width, 0}, {b.height, b.width}});
            bool tablet
                = ui::Device::currentDevice().userInterfaceIdiom() == ui::Device::Idiom::Pad;
            float t = tablet ? 128 : 80;
            if (overlayOrientation == 4)
                t = -t;
            float angle = overlayOrientation == 4 ? -std::numbers::pi_v<float> / 2
                                                  : std::numbers::pi_v<float> / 2;
            setTransform(
                graphics::AffineTransform::concat(graphics::AffineTransform::makeRotation(angle),
                    graphics::AffineTransform::makeTranslation(t, t)));
            application.setStatusBarHidden(true);
            ui::View::setAnimationsEnabled(true);
            ui::View::beginAnimations("ShowVideoAdOverlayView");
            ui::View::setAnimationDuration(transitionDuration);
            ui::View::setAnimationTransition(ui::AnimationTransition::None, window, true);
            window->addSubview(base::Ref<View>(this));
            auto moved = frame();
            moved.origin.x += moved.size.width;
            setFrame(moved);
            ui::View::commitAnimations();
        } else {
            ui::View::setAnimationsEnabled(true);
            ui::View::beginAnimations("ShowAdOverlayView");
            ui::View::setAnimationDuration(transitionDuration);
            ui::View* container = window;
            if (window->subviews().size() < 2) {
                // A window without content takes the overlay itself.
                if (!window->subviews().empty())
                    container = window->subviews().front().get();
                ui::View::setAnimationTransition(viewTransition(name), container, true);
            } else {
                setTransform(transformForOrientation());
                ui::View::setAnimationTransition(viewTransition(name), window, true);
            }
            container->addSubview(base::Ref<View>(this));
            auto back = frame();
            back.origin.x -= offset.x;
            back.origin.y -= offset.y;
            setFrame(back);
            ui::View::commitAnimations();
        }
    }
    if (delegate_)
        delegate_->overlayDidAppear(*this);
}

void MEROverlayView::showModalOverlay() {
    if (superview())
        return;
    auto* window = hostWindow();
    if (!window) {
        base::logLine("Meridian overlay: no window to show in");
        return;
    }
    if (delegate_)
        delegate_->overlayWillAppear(*this);
    modalSizeToFitOrientation(false);
    auto size = frame().size;
    if (showTitlebar) {
        modalCloseButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        modalCloseButton_->setTitle("X", ui::ControlState::Normal);
        modalCloseButton_->setTitleColor(ui::Color::whiteColor(), ui::ControlState::Normal);
        modalCloseButton_->setTitleColor(ui::Color::whiteColor(), ui::ControlState::Highlighted);
        if (auto* label = modalCloseButton_->titleLabel())
            label->setFont(graphics::Font::boldSystemFontOfSize(12));
        modalCloseButton_->setShowsTouchWhenHighlighted(true);
        modalCloseButton_->setAutoresizingMask(
            ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleBottomMargin);
        modalCloseButton_->addTarget(
            this, [this](ui::Control&, ui::Event*) { close(); }, ui::ControlEvents::TouchUpInside);
        addSubview(modalCloseButton_);
        modalTitleLabel_ = ui::Label::create();
        modalTitleLabel_->setText(headerTitle);
        modalTitleLabel_->setBackgroundColor(ui::Color::clearColor());
        modalTitleLabel_->setTextColor(ui::Color::whiteColor());
        modalTitleLabel_->setFont(graphics::Font::boldSystemFontOfSize(14));
        modalTitleLabel_->setAutoresizingMask(
            ui::Autoresizing::FlexibleRightMargin | ui::Autoresizing::FlexibleBottomMargin);
        addSubview(modalTitleLabel_);
        modalCloseButton_->sizeToFit();
        modalTitleLabel_->sizeToFit();
        auto layout = geometry::modalLayout(size, true, modalTitleLabel_->frame().size.height);
        modalTitleLabel_->setFrame(layout.titleLabel);
        modalCloseButton_->setFrame(layout.closeButton);
        webView_->setFrame(layout.webView);
    } else {
        webView_->setFrame(geometry::modalLayout(size, false, 0).webView);
    }
    spinner_->sizeToFit();
    spinner_->startAnimating();
    spinner_->setCenter(webView_->center());
    window->addSubview(base::Ref<View>(this));
    auto turn = transformForOrientation();
    setTransform(turn.scaled(0.001f, 0.001f));
    bounce(0);
    if (delegate_)
        delegate_->overlayDidAppear(*this);
}

void MEROverlayView::bounce(int step) {
    if (closed_)
        return;
    auto turn = transformForOrientation();
    ui::View::beginAnimations();
    ui::View::setAnimationDelegate(this);
    if (step == 0) {
        ui::View::setAnimationDuration(transitionDuration / 1.5);
        setTransform(turn.scaled(1.1f, 1.1f));
    } else if (step == 1) {
        ui::View::setAnimationDuration(transitionDuration * 0.5);
        setTransform(turn.scaled(0.9f, 0.9f));
    } else {
        ui::View::setAnimationDuration(transitionDuration * 0.5);
        setTransform(turn);
    }
    if (step < 2) {
        ui::View::setAnimationDidStopSelector(
            [this, step](std::string const&, bool, void*) { bounce(step + 1); });
    }
    ui::View::commitAnimations();
}

void MEROverlayView::closeWithAnimation(bool animated) {
    // Closed once: a later close (another "CloseMMOverlay", a late failure) would
    // report the disappearance again to an owner that has let the overlay go.
    if (closed_)
        return;
    auto keep = base::Ref<MEROverlayView>(this);
    if (delegate_)
        delegate_->overlayWillDisappear(*this);
    foundation::NotificationCenter::defaultCenter().postNotification(willCloseNotification);
    closed_ = true;
    if (isAccelerometerEnabled) {
        auto& accelerometer = services::Accelerometer::sharedAccelerometer();
        if (accelerometer.delegate() == this)
            accelerometer.setDelegate(nullptr);
    }
    stopCloseOverlayTimer();
    stopShowBottomBarTimer();
    stopEnableBottomBarTimer();
    if (parentViewController_) {
        parentViewController_->dismissModalViewController(animated);
    } else if (animated) {
        ui::View::animateWithDuration(
            fadeDuration, [this] { setAlpha(0); }, [keep](bool) { keep->postDismissCleanup(); });
    } else {
        postDismissCleanup();
    }
    if (delegate_)
        delegate_->overlayDidDisappear(*this);
}

void MEROverlayView::loadingDone() {
    spinner_->stopAnimating();
}

base::Ref<ui::Toolbar> MEROverlayView::createTitlebarWithFrame(
    graphics::Rect frame, std::optional<ui::Color> tintColor, std::string const& title) {
    auto bar = ui::Toolbar::create(frame);
    bar->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
    if (tintColor)
        bar->setBackgroundColor(*tintColor);
    else
        bar->setBarStyle(ui::BarStyle::Black);
    auto space = [] {
        return ui::BarButtonItem::initWithBarButtonSystemItem(
            ui::BarButtonSystemItem::FlexibleSpace, nullptr);
    };
    bar->setItems({space(),
        ui::BarButtonItem::initWithTitle(title, ui::BarButtonItemStyle::Plain, nullptr), space(),
        ui::BarButtonItem::initWithBarButtonSystemItem(
            ui::BarButtonSystemItem::Stop, [this](ui::BarButtonItem&) { closeButtonClicked(); })});
    return bar;
}

base::Ref<ui::Toolbar> MEROverlayView::createBottombarWithFrame(graphics::Rect frame,
    bool showCloseButton, bool enableCloseButton, std::optional<ui::Color> tintColor) {
    auto bar = ui::Toolbar::create(frame);
    bar->setBarStyle(ui::BarStyle::Default);
    bar->setBackgroundColor(tintColor.value_or(ui::Color::blackColor()));
    bar->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleTopMargin);
    auto arrow = [this](char const* base64, bool isBack) {
        auto button = ui::Button::create({{0, 0}, {30, 30}});
        if (auto image = imageWithBase64EncodedString(base64))
            button->setImage(image, ui::ControlState::Normal);
        button->addTarget(
            this,
            [this, isBack](ui::Control&, ui::Event*) {
                if (isBack)
                    back();
                else
                    forward();
            },
            ui::ControlEvents::TouchUpInside);
        auto item = ui::BarButtonItem::initWithCustomView(button);
        item->setStyle(ui::BarButtonItemStyle::Plain);
        item->setEnabled(false);
        button->setEnabled(false);
        return item;
    };
    backArrow_ = arrow(backArrowBase64, true);
    forwardArrow_ = arrow(forwardArrowBase64, false);
    auto space = ui::BarButtonItem::initWithBarButtonSystemItem(
        ui::BarButtonSystemItem::FlexibleSpace, nullptr);
    if (showCloseButton) {
        closeButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(
            ui::BarButtonSystemItem::Stop, [this](ui::BarButtonItem&) { closeButtonClicked(); });
        closeButton_->setEnabled(enableCloseButton);
        bar->setItems({backArrow_, forwardArrow_, space, closeButton_});
    } else {
        closeButton_ = nullptr;
        bar->setItems({backArrow_, space, forwardArrow_});
    }
    return bar;
}

std::optional<base::Bytes> MEROverlayView::decodeBase64(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (c == '=' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v')
            continue;
        kept.push_back(c);
    }
    return foundation::Base64::decode(kept);
}

base::Ref<ui::Image> MEROverlayView::imageWithBase64EncodedString(std::string_view text) {
    auto bytes = decodeBase64(text);
    if (!bytes)
        return nullptr;
    return ui::Image::imageWithData(*bytes);
}

void MEROverlayView::drawRect(ui::GraphicsContext& context, graphics::Rect rect) {
    if (overlayType_ != modalType)
        return;
    auto fillRounded = [&context](graphics::Rect r, std::optional<ui::Color> color, float radius) {
        if (!color)
            return;
        context.setFillColor(*color);
        if (radius == 0) {
            context.fillRect(r);
            return;
        }
        r = {{r.origin.x + 0.5f + 0.5f, r.origin.y + 0.5f + 0.5f},
            {r.size.width - 1, r.size.height - 1}};
        context.fillRoundedRect(r, radius);
    };
    auto strokeLines = [&context](graphics::Rect r, ui::Color color) {
        float x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
        context.setStrokeColor(color);
        context.setLineWidth(2);
        context.strokeLineSegments({{x + 0.5f, y - 0.5f}, {x + w, y - 0.5f},
            {x + 0.5f, y + h - 0.5f}, {x + w - 0.5f, y + h - 0.5f}, {x + w - 0.5f, y},
            {x + w - 0.5f, y + h}, {x + 0.5f, y}, {x + 0.5f, y + h}});
    };
    std::optional<ui::Color> border;
    if (modalBorderColor) {
        border = modalBorderColor->numberOfComponents() == 2
            ? ui::Color::colorWithRed(0.3f, 0.3f, 0.3f, 0.8f)
            : ui::Color::colorWithRed(modalBorderColor->red(), modalBorderColor->green(),
                modalBorderColor->blue(), alphaForModalBorder);
    }
    graphics::Rect outer = {{rect.origin.x - 0.5f, rect.origin.y - 0.5f}, rect.size};
    fillRounded(outer, border, 5);
    float t = modalTitleLabel_ ? modalTitleLabel_->frame().size.height : 0;
    graphics::Rect strip = {
        {std::ceil(rect.origin.x + 10), std::ceil(rect.origin.y + 10)}, {rect.size.width - 20, t}};
    auto frameLine = ui::Color::colorWithRed(0.3f, 0.3f, 0.3f, 1.0f);
    float webHeight = webView_->frame().size.height;
    if (showTitlebar) {
        auto fill = ui::Color::blackColor();
        if (titlebarColor && titlebarColor->numberOfComponents() != 2) {
            fill = ui::Color::colorWithRed(
                titlebarColor->red(), titlebarColor->green(), titlebarColor->blue(), 1);
        }
        fillRounded(strip, fill, 0);
        strokeLines(strip, fill);
        strokeLines(
            {{strip.origin.x, strip.origin.y + t}, {strip.size.width, webHeight + 1}}, frameLine);
    } else {
        strokeLines({strip.origin, {strip.size.width, webHeight + 1}}, frameLine);
    }
}

// --- the page bridge ---

std::string MEROverlayView::ask(std::string const& script) {
    return webView_ ? webView_->stringByEvaluatingJavaScriptFromString(script) : std::string {};
}

void MEROverlayView::back() {
    if (webView_)
        webView_->goBack();
}

void MEROverlayView::forward() {
    if (webView_)
        webView_->goForward();
}

void MEROverlayView::openOutside(std::string const& url) {
    if (delegate_)
        delegate_->overlayWantsToTerminateAppToOpenURL(*this, url);
}

bool MEROverlayView::shouldStartLoadWithRequest(
    ui::WebView&, foundation::URLRequest const& request, ui::WebViewNavigationType) {
    spinner_->startAnimating();
    spinner_->setHidden(false);
    lastURL_ = request.URL();
    auto link = routeOverlayLink(request.URL(), MEROverlayHosts::fromConfiguration());
    if (link.kind == MEROverlayLink::Kind::LoadInside) {
        lastURL_.reset();
        return true;
    }
    openOutside(link.url);
    return false;
}

void MEROverlayView::webViewDidFinishLoad(ui::WebView& webView) {
    if (closed_)
        return;
    spinner_->stopAnimating();
    spinner_->setHidden(true);
    startCloseOverlayTimer();
    if (webView.canGoBack() || webView.canGoForward()) {
        stopEnableBottomBarTimer();
        enableBottomBar = true;
        stopShowBottomBarTimer();
        if (!bottomBar_)
            setBottomBarVisible(true);
    } else {
        auto enable = ask("shouldEnableBottomBar()");
        if (!enable.empty())
            enableBottomBar = truthOf(enable);
        auto show = ask("shouldShowBottomBar()");
        if (!show.empty() && truthOf(show) != showBottomBar)
            setBottomBarVisible(truthOf(show));
        startEnableBottomBarTimer();
        startBottomBarTimer();
    }
    if (bottomBar_)
        enableBarItems(enableBottomBar);
    backgroundColor_ = ask("document.body.style.backgroundColor");
    if ((makeOverlayTransparent_ || overlayStartedTransparent_) && !webView.canGoBack()) {
        overlayStartedTransparent_ = true;
        setMakeOverlayTransparent(true);
        ask("document.body.style.backgroundColor='transparent'");
    } else {
        setMakeOverlayTransparent(false);
        // The page's own text goes back between quotes: one that would end them is
        // not sent back.
        if (backgroundColor_.find_first_of("'\\\n\r") == std::string::npos)
            ask("document.body.style.backgroundColor='" + backgroundColor_ + "'");
    }
    if (isAccelerometerEnabled) {
        auto& accelerometer = services::Accelerometer::sharedAccelerometer();
        accelerometer.setUpdateInterval(1.0 / 60);
        accelerometer.setDelegate(this);
    }
    shouldAccelerate();
}

void MEROverlayView::didFailLoadWithError(ui::WebView&, foundation::URLError const& error) {
    spinner_->stopAnimating();
    if (error.code != 204 && !closed_)
        close();
}

void MEROverlayView::enableBarItems(bool enable) {
    auto set = [](ui::BarButtonItem* item, bool on) {
        if (!item)
            return;
        item->setEnabled(on);
        if (auto* control = dynamic_cast<ui::Control*>(item->customView()))
            control->setEnabled(on);
    };
    set(backArrow_.get(), enable && webView_->canGoBack());
    set(forwardArrow_.get(), enable && webView_->canGoForward());
    set(closeButton_.get(), enable);
}

void MEROverlayView::setBottomBarVisible(bool visible) {
    // The web view gives up or takes back the bar's 44 points only when the bar comes
    // or goes: the load's answer and the polls may both ask for the same state.
    auto web = webView_->frame();
    if (!visible) {
        if (bottomBar_) {
            web.size.height += geometry::barHeight;
            webView_->setFrame(web);
            bottomBar_->removeFromSuperview();
            bottomBar_ = nullptr;
        }
        return;
    }
    if (bottomBar_) {
        bottomBar_->removeFromSuperview();
    } else {
        web.size.height -= geometry::barHeight;
        webView_->setFrame(web);
    }
    float y = web.size.height + (showTitlebar ? geometry::barHeight : 0);
    bottomBar_ = createBottombarWithFrame({{0, y}, {web.size.width, geometry::barHeight}},
        !showTitlebar, enableBottomBar, titlebarColor);
    addSubview(bottomBar_);
}

void MEROverlayView::bottomBarToBeShown(bool show) {
    if (show == showBottomBar || closed_)
        return;
    showBottomBar = show;
    setBottomBarVisible(show);
}

void MEROverlayView::bottomBarToBeEnabled(bool enable) {
    if (bottomBar_)
        enableBarItems(enable);
    stopEnableBottomBarTimer();
}

base::Ref<foundation::Timer> MEROverlayView::poll(void (MEROverlayView::*step)()) {
    return foundation::Timer::scheduledTimer(
        pollInterval, [this, step](foundation::Timer&) { (this->*step)(); }, true);
}

void MEROverlayView::stop(base::Ref<foundation::Timer>& timer) {
    if (timer) {
        timer->invalidate();
        timer = nullptr;
    }
}

void MEROverlayView::startCloseOverlayTimer() {
    stop(shouldCloseOverlayTimer_);
    shouldCloseOverlayTimer_ = poll(&MEROverlayView::shouldCloseOverlay);
}

void MEROverlayView::stopCloseOverlayTimer() {
    stop(shouldCloseOverlayTimer_);
}

void MEROverlayView::startBottomBarTimer() {
    stop(shouldShowBottomBarTimer_);
    shouldShowBottomBarTimer_ = poll(&MEROverlayView::shouldShowBottomBar);
}

void MEROverlayView::stopShowBottomBarTimer() {
    stop(shouldShowBottomBarTimer_);
}

void MEROverlayView::startEnableBottomBarTimer() {
    stop(shouldEnableBottomBarTimer_);
    shouldEnableBottomBarTimer_ = poll(&MEROverlayView::shouldEnableBottomBar);
}

void MEROverlayView::stopEnableBottomBarTimer() {
    stop(shouldEnableBottomBarTimer_);
}

void MEROverlayView::shouldCloseOverlay() {
    auto answer = ask("shouldCloseOverlay()");
    if (answer.empty()) {
        stopCloseOverlayTimer();
        return;
    }
    if (truthOf(answer))
        close();
}

void MEROverlayView::shouldShowBottomBar() {
    auto answer = ask("shouldShowBottomBar()");
    if (answer.empty()) {
        stopShowBottomBarTimer();
        return;
    }
    foundation::NotificationCenter::defaultCenter().postNotification(
        bottomBarToBeShownNotification, nullptr, base::Value(truthOf(answer)));
}

void MEROverlayView::shouldEnableBottomBar() {
    if (webView_->isLoading())
        return;
    auto answer = ask("shouldEnableBottomBar()");
    if (answer.empty()) {
        stopEnableBottomBarTimer();
        return;
    }
    if (truthOf(answer)) {
        foundation::NotificationCenter::defaultCenter().postNotification(
            bottomBarToBeEnabledNotification, nullptr, base::Value(true));
    }
}

bool MEROverlayView::shouldAccelerate() {
    if (!webView_)
        return false;
    if (shouldAccelerate_)
        return true;
    shouldAccelerate_ = truthOf(ask("shouldAccelerate()"));
    return shouldAccelerate_;
}

void MEROverlayView::accelerometerDidAccelerate(double x, double y, double z, double) {
    didAccelerate(x, y, z);
}

void MEROverlayView::didAccelerate(double x, double y, double z) {
    if (!webView_ || !shouldAccelerate_ || !isAccelerometerEnabled)
        return;
    accelX_ = x * 0.1 + accelX_ * 0.9;
    accelY_ = y * 0.1 + accelY_ * 0.9;
    accelZ_ = z * 0.1 + accelZ_ * 0.9;
    char script[160];
    std::snprintf(script, sizeof script, "didAccelerate(%f,%f,%f)", accelX_, accelY_, accelZ_);
    ask(script);
}

base::Ref<MEROverlayViewController> MEROverlayViewController::init() {
    return base::make<MEROverlayViewController>();
}

ui::ViewController* firstAvailableUIViewController(ui::View const& view) {
    ui::Responder* next = view.nextResponder();
    while (next) {
        if (auto* controller = dynamic_cast<ui::ViewController*>(next))
            return controller;
        auto* asView = dynamic_cast<ui::View*>(next);
        if (!asView)
            return nullptr;
        next = asView->nextResponder();
    }
    return nullptr;
}

}
