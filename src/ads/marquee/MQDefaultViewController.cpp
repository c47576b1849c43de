#include <ads/marquee/MQDefaultViewController.hpp>

#include <ui/Application.hpp>
#include <ui/LayerAnimation.hpp>
#include <ui/Window.hpp>

#include <numbers>

namespace ads::marquee {

namespace {

base::Ref<MQDefaultViewController>& sharedStorage() {
    static base::Ref<MQDefaultViewController> instance;
    return instance;
}

ui::Window* keyWindow() {
    return ui::Application::sharedApplication().keyWindow();
}

graphics::Rect keyWindowFrame() {
    auto* window = keyWindow();
    return window ? window->frame() : graphics::Rect {};
}

graphics::Point keyWindowCenter() {
    auto* window = keyWindow();
    return window ? window->center() : graphics::Point {};
}

int orientation() {
    return int(ui::Application::sharedApplication().statusBarOrientation());
}

base::Ref<ui::BasicAnimation> timed(std::string keyPath) {
    auto animation = ui::BasicAnimation::animationWithKeyPath(std::move(keyPath));
    animation->setDuration(MQDefaultViewController::AnimationDuration);
    return animation;
}

}

MQDefaultViewController& MQDefaultViewController::sharedController() {
    auto& instance = sharedStorage();
    if (!instance)
        instance = base::make<MQDefaultViewController>();
    return *instance;
}

void MQDefaultViewController::purgeSharedController() {
    auto& instance = sharedStorage();
    if (!instance)
        return;
    instance->dismissLoadingView();
    instance->backgroundView_->removeFromSuperview();
    instance->reversedBackgroundView_->removeFromSuperview();
    if (instance->page_)
        instance->page_->removeFromSuperview();
    instance = nullptr;
}

MQDefaultViewController::MQDefaultViewController()
    : backgroundView_(MQDefaultBackgroundView::initWithFrame({}))
    , reversedBackgroundView_(MQDefaultBackgroundView::initWithFrame({})) {
    reversedBackgroundView_->setGradientReversed(true);
    for (auto* view : {backgroundView_.get(), reversedBackgroundView_.get()}) {
        view->setAlpha(0);
        view->setHidden(true);
    }
}

void MQDefaultViewController::orientView(ui::View& view) {
    auto frame = view.frame();
    graphics::Point centre {
        frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2};
    auto turn = orientation();
    auto transform = graphics::AffineTransform::identity();
    view.setTransform(transform);
    if (turn == 3 || turn == 4) {
        view.setFrame({{0, 0}, {frame.size.height, frame.size.width}});
        transform = graphics::AffineTransform::makeRotation(
            turn == 3 ? std::numbers::pi_v<float> / 2 : -std::numbers::pi_v<float> / 2);
    } else {
        view.setFrame({{0, 0}, frame.size});
        if (turn == 2)
            transform = graphics::AffineTransform::makeRotation(-std::numbers::pi_v<float>);
    }
    view.setTransform(transform);
    view.setCenter(centre);
}

void MQDefaultViewController::addAtPageLevel(base::Ref<ui::View> view) {
    auto* window = keyWindow();
    if (!window)
        return;
    if (loadingViewIsVisible_ && reversedBackgroundView_->superview() == window)
        window->insertSubviewBelow(std::move(view), reversedBackgroundView_.get());
    else
        window->addSubview(std::move(view));
}

void MQDefaultViewController::displayInterstitial(MQView& page) {
    if (viewIsVisible_)
        return;
    orientView(page);
    viewIsVisible_ = true;
    page_ = base::Ref<MQView>(&page);

    backgroundView_->setHidden(false);
    backgroundView_->setFrame(keyWindowFrame());
    backgroundView_->setCenter(keyWindowCenter());
    backgroundView_->setAlpha(1);
    addAtPageLevel(backgroundView_);
    auto fade = timed("opacity");
    fade->setFromValue(0.0f);
    fade->setToValue(1.0f);
    backgroundView_->layer().addAnimation(*fade, "opacity");

    addAtPageLevel(page_);
    auto turned = page.transform();
    auto pop = ui::KeyframeAnimation::animationWithKeyPath("transform");
    pop->setDuration(AnimationDuration);
    std::vector<ui::AnimatedValue> values;
    for (float scale : {0.6f, 1.1f, 0.9f, 1.0f})
        values.emplace_back(turned.scaled(scale, scale));
    pop->setValues(std::move(values));
    pop->setKeyTimes({0, 0.6f, 0.8f, 1.0f});
    page.layer().addAnimation(*pop, "transform.scale");
}

graphics::Point MQDefaultViewController::offScreenPoint(MQView& page) const {
    auto frame = page.frame();
    graphics::Point centre {frame.size.width / 2, frame.size.height / 2};
    auto size = page.bounds().size;
    switch (orientation()) {
    case 1:
        return {centre.x, centre.y + size.height};
    case 2:
        return {centre.x, centre.y - size.height};
    case 3:
        return {centre.x - size.width, centre.y};
    case 4:
        return {centre.x + size.width, centre.y};
    default:
        return centre;
    }
}

void MQDefaultViewController::displayMoreAppsView(MQView& page) {
    if (viewIsVisible_)
        return;
    orientView(page);
    viewIsVisible_ = true;
    page_ = base::Ref<MQView>(&page);
    page.setFrame(keyWindowFrame());
    auto frame = page.frame();
    graphics::Point resting {frame.size.width / 2, frame.size.height / 2};
    addAtPageLevel(page_);
    auto slide = timed("position");
    slide->setFromValue(offScreenPoint(page));
    slide->setToValue(resting);
    page.layer().addAnimation(*slide, "position");
}

void MQDefaultViewController::dismissInterstitial(MQView& page) {
    viewIsVisible_ = false;
    base::Ref<MQDefaultViewController> self(this);
    auto fade = timed("opacity");
    fade->setFromValue(1.0f);
    fade->setToValue(0.0f);
    MQAnimationContext hide = std::string(HideBackgroundContext);
    fade->setDidStop([self, hide](ui::LayerAnimation const&, bool finished) {
        self->animationDidStop(hide, finished);
    });
    backgroundView_->layer().addAnimation(*fade, "opacity");

    base::Ref<MQView> held(&page);
    auto turned = page.transform();
    auto shrink = ui::BasicAnimation::animationWithKeyPath("transform");
    shrink->setDuration(AnimationDuration);
    shrink->setFromValue(turned);
    shrink->setToValue(turned.scaled(0, 0));
    MQAnimationContext context = held;
    shrink->setDidStop([self, context](ui::LayerAnimation const&, bool finished) {
        self->animationDidStop(context, finished);
    });
    if (page_ == held)
        page_ = nullptr;
    page.setState(MQView::Dismissing);
    page.layer().addAnimation(*shrink, "transform.scale");
}

void MQDefaultViewController::dismissMoreAppsView(MQView& page) {
    viewIsVisible_ = false;
    base::Ref<MQDefaultViewController> self(this);
    base::Ref<MQView> held(&page);
    auto frame = page.frame();
    auto slide = timed("position");
    slide->setFromValue(graphics::Point {frame.size.width / 2, frame.size.height / 2});
    slide->setToValue(offScreenPoint(page));
    MQAnimationContext context = held;
    slide->setDidStop([self, context](ui::LayerAnimation const&, bool finished) {
        self->animationDidStop(context, finished);
    });
    page.layer().addAnimation(*slide, "position");
    if (page_ == held)
        page_ = nullptr;
    page.setState(MQView::Dismissing);
}

void MQDefaultViewController::animationDidStop(MQAnimationContext const& context, bool finished) {
    if (!finished)
        return;
    if (auto const* page = std::get_if<base::Ref<MQView>>(&context)) {
        if (*page && (*page)->state() == MQView::Dismissing) {
            (*page)->setState(MQView::Loaded);
            (*page)->removeFromSuperview();
        }
    } else if (std::get<std::string>(context) == HideBackgroundContext) {
        backgroundView_->setHidden(true);
    }
}

void MQDefaultViewController::displayLoadingView() {
    loadingView_ = MQLoadingView::initWithFrame(keyWindowFrame());
    orientView(*loadingView_);
    reversedBackgroundView_->setHidden(false);
    reversedBackgroundView_->setFrame(keyWindowFrame());
    reversedBackgroundView_->setCenter(keyWindowCenter());
    reversedBackgroundView_->setAlpha(1);
    auto fade = timed("opacity");
    fade->setFromValue(0.0f);
    fade->setToValue(1.0f);
    if (auto* window = keyWindow()) {
        window->addSubview(reversedBackgroundView_);
        reversedBackgroundView_->layer().addAnimation(*fade, "opacity");
        window->addSubview(loadingView_);
        loadingView_->layer().addAnimation(*fade, "opacity");
    }
    loadingViewIsVisible_ = true;
}

void MQDefaultViewController::dismissLoadingView() {
    reversedBackgroundView_->setHidden(true);
    if (loadingView_)
        loadingView_->removeFromSuperview();
    loadingView_ = nullptr;
    loadingViewIsVisible_ = false;
}

}
