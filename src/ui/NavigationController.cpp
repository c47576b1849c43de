#include <base/Log.hpp>
#include <ui/NavigationController.hpp>
#include <ui/NavigationItem.hpp>
#include <ui/Window.hpp>

#include <algorithm>
#include <functional>

namespace ui {

namespace {

// The navigation's own view: has the bar and the top controller's view laid out
// again whenever its size changes.
class NavigationView final : public View {
public:
    void layoutSubviews() override {
        if (layout_)
            layout_();
    }

    void disown() { layout_ = nullptr; }

private:
    std::function<void()> layout_;

    friend base::Factory;

    NavigationView(graphics::Rect frame, std::function<void()> layout)
        : View(frame)
        , layout_(std::move(layout)) { }
};

}

base::Ref<NavigationController> NavigationController::create(base::Ref<ViewController> root) {
    auto navigation = base::make<NavigationController>();
    if (root)
        navigation->pushViewController(std::move(root), false);
    return navigation;
}

NavigationController::NavigationController()
    : bar_(NavigationBar::create({{0, 0}, {0, NavigationBar::DefaultHeight}})) {
    bar_->setDelegate(this);
}

NavigationController::~NavigationController() {
    bar_->setDelegate(nullptr);
    if (auto view = dynamic_cast<NavigationView*>(view_.get()))
        view->disown();
    for (auto const& controller : stack_) {
        if (controller->parent_ == this)
            controller->parent_ = nullptr;
    }
}

void NavigationController::loadView() {
    ViewController::loadView();
    setView(base::make<NavigationView>(view_->frame(), [this] { layoutContent(); }));
    view_->addSubview(bar_);
    if (auto top = topViewController())
        view_->insertSubviewBelow(base::Ref<View>(top->view()), bar_.get());
    layoutContent();
}

NavigationBar* NavigationController::navigationBar() {
    return bar_.get();
}

ViewController* NavigationController::topViewController() const {
    return stack_.empty() ? nullptr : stack_.back().get();
}

ViewController* NavigationController::visibleViewController() const {
    if (auto presented = presentedViewController())
        return presented;
    return topViewController();
}

std::vector<ViewController*> NavigationController::visibleChildViewControllers() const {
    if (auto top = topViewController())
        return {top};
    return {};
}

bool NavigationController::shouldAutorotateToInterfaceOrientation(
    InterfaceOrientation orientation) {
    if (auto top = topViewController())
        return top->shouldAutorotateToInterfaceOrientation(orientation);
    return ViewController::shouldAutorotateToInterfaceOrientation(orientation);
}

bool NavigationController::canTake(ViewController const* controller) const {
    return controller && controller != this && !controller->parent_ && !controller->presenting_
        && !controller->presented_ && !(controller->view_ && controller->view_->window());
}

graphics::Rect NavigationController::contentFrame() const {
    auto size = view_ ? view_->bounds().size : graphics::Size {};
    float top = barHidden_ ? 0 : NavigationBar::DefaultHeight;
    return {{0, top}, {size.width, std::max(0.0f, size.height - top)}};
}

void NavigationController::layoutContent() {
    if (!view_)
        return;
    bar_->setFrame({{0, 0}, {view_->bounds().size.width, NavigationBar::DefaultHeight}});
    bar_->setHidden(barHidden_);
    bar_->layoutIfNeeded();
    if (auto top = topViewController(); top && top->view_ && top->view_->superview() == view_.get())
        top->view_->setFrame(contentFrame());
}

void NavigationController::setNavigationBarHidden(bool hidden, bool) {
    barHidden_ = hidden;
    layoutContent();
}

void NavigationController::syncBar() {
    std::vector<base::Ref<NavigationItem>> items;
    for (auto const& controller : stack_)
        items.emplace_back(controller->navigationItem());
    bar_->setItems(std::move(items));
}

void NavigationController::pushViewController(base::Ref<ViewController> controller, bool animated) {
    if (!canTake(controller.get())) {
        base::logLine(
            "NavigationController: cannot push a controller that is missing or shown elsewhere");
        return;
    }
    finishTransition();
    base::Ref<ViewController> from(topViewController());
    stack_.push_back(controller);
    controller->parent_ = this;
    syncBar();
    showTop(std::move(from), animated, true, {});
}

base::Ref<ViewController> NavigationController::popViewController(bool animated) {
    finishTransition();
    if (stack_.size() < 2)
        return nullptr;
    auto from = stack_.back();
    stack_.pop_back();
    syncBar();
    showTop(from, animated, false, {from});
    return from;
}

std::vector<base::Ref<ViewController>> NavigationController::popToViewController(
    ViewController* controller, bool animated) {
    finishTransition();
    auto it = std::find(stack_.begin(), stack_.end(), controller);
    if (it == stack_.end()) {
        base::logLine("NavigationController: cannot pop to a controller that is not in the stack");
        return {};
    }
    std::vector<base::Ref<ViewController>> popped(it + 1, stack_.end());
    if (popped.empty())
        return {};
    auto from = stack_.back();
    stack_.erase(it + 1, stack_.end());
    syncBar();
    showTop(from, animated, false, popped);
    return popped;
}

std::vector<base::Ref<ViewController>> NavigationController::popToRootViewController(
    bool animated) {
    if (stack_.empty())
        return {};
    return popToViewController(stack_.front().get(), animated);
}

void NavigationController::setViewControllers(
    std::vector<base::Ref<ViewController>> controllers, bool animated) {
    for (std::size_t i = 0; i < controllers.size(); ++i) {
        auto const& c = controllers[i];
        bool inStack = std::find(stack_.begin(), stack_.end(), c) != stack_.end();
        bool repeated = std::find(controllers.begin(), controllers.begin() + std::ptrdiff_t(i), c)
            != controllers.begin() + std::ptrdiff_t(i);
        if (!c || repeated || (!inStack && !canTake(c.get()))) {
            base::logLine("NavigationController: the new stack holds a controller twice, none, or "
                          "one shown elsewhere");
            return;
        }
    }
    finishTransition();
    base::Ref<ViewController> from(topViewController());
    std::vector<base::Ref<ViewController>> released;
    for (auto const& c : stack_) {
        if (std::find(controllers.begin(), controllers.end(), c) == controllers.end())
            released.push_back(c);
    }
    bool forward = controllers.empty()
        || std::find(stack_.begin(), stack_.end(), controllers.back()) == stack_.end();
    stack_ = std::move(controllers);
    for (auto const& c : stack_)
        c->parent_ = this;
    syncBar();
    showTop(std::move(from), animated, forward, std::move(released));
}

void NavigationController::showTop(base::Ref<ViewController> from, bool animated, bool forward,
    std::vector<base::Ref<ViewController>> released) {
    base::Ref<ViewController> to(topViewController());
    auto release = [this](std::vector<base::Ref<ViewController>> const& controllers) {
        for (auto const& c : controllers) {
            if (c->parent_ == this)
                c->parent_ = nullptr;
        }
    };
    if (!view_ || from == to) {
        if (from && from != to && from->view_ && from->view_->superview())
            from->view_->removeFromSuperview();
        release(released);
        return;
    }
    bool onScreen = view_->window() != nullptr;
    if (delegate_ && to)
        delegate_->willShowViewController(*this, *to, animated);
    if (to)
        to->view();
    if (onScreen) {
        if (from)
            from->beginAppearanceTransition(false, animated);
        if (to)
            to->beginAppearanceTransition(true, animated);
    }
    if (to) {
        View* incoming = to->view();
        incoming->setFrame(contentFrame());
        if (forward || !from || !from->view_ || from->view_->superview() != view_.get())
            view_->insertSubviewBelow(base::Ref<View>(incoming), bar_.get());
        else
            view_->insertSubviewBelow(base::Ref<View>(incoming), from->view_.get());
        incoming->layoutIfNeeded();
    }
    // The end step lives in this controller's transition and dies with it.
    transition().start(onScreen && animated ? TransitionTimer::StandardDuration : 0,
        [this, from, to, animated, onScreen, released = std::move(released), release] {
            base::Ref<NavigationController> keep(this);
            if (from && from->view_ && from->view_->superview() == view_.get())
                from->view_->removeFromSuperview();
            release(released);
            if (onScreen) {
                if (from)
                    from->endAppearanceTransition();
                if (to)
                    to->endAppearanceTransition();
            }
            if (delegate_ && to)
                delegate_->didShowViewController(*this, *to, animated);
        });
}

bool NavigationController::shouldPopItem(NavigationBar&, NavigationItem& item) {
    // The back button: pop the controller, which puts the bar right.
    if (stack_.size() >= 2 && stack_.back()->navigationItem() == &item) {
        popViewController(true);
        return false;
    }
    return true;
}

}
