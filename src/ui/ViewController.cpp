#include <base/Log.hpp>
#include <ui/NavigationController.hpp>
#include <ui/NavigationItem.hpp>
#include <ui/Screen.hpp>
#include <ui/ViewController.hpp>
#include <ui/Window.hpp>

#include <algorithm>

namespace ui {

namespace {

std::size_t indexInSuperview(View const* view) {
    auto const& siblings = view->superview()->subviews();
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == view)
            return i;
    }
    return siblings.size();
}

// The frame a new controller's view gets before anybody places it.
graphics::Rect screenFrame() {
    if (auto window = Application::sharedApplication().keyWindow())
        return window->bounds();
    return Screen::mainScreen().bounds();
}

}

base::Ref<ViewController> ViewController::create() {
    return base::make<ViewController>();
}

ViewController::ViewController() {
    memoryWarning_ = foundation::NotificationCenter::defaultCenter().observe(
        Application::DidReceiveMemoryWarningNotification, [this](foundation::Notification const&) {
            base::Ref<ViewController> keep(this);
            didReceiveMemoryWarning();
        });
}

ViewController::~ViewController() {
    transition_.cancel();
    if (view_ && view_->viewController_ == this)
        view_->viewController_ = nullptr;
    if (presented_ && presented_->presenting_ == this)
        presented_->presenting_ = nullptr;
}

View* ViewController::view() {
    if (!view_) {
        base::Ref<ViewController> keep(this);
        loadView();
        if (!view_) {
            base::logLine("ViewController: loadView made no view; using a plain one");
            setView(View::create(screenFrame()));
        }
        viewDidLoad();
    }
    return view_.get();
}

void ViewController::setView(base::Ref<View> view) {
    if (view == view_)
        return;
    if (view_ && view_->viewController_ == this)
        view_->viewController_ = nullptr;
    if (view && view->viewController_ && view->viewController_ != this) {
        base::logLine("ViewController: a view moves from one controller to another");
        view->viewController_->view_ = nullptr;
    }
    view_ = std::move(view);
    if (view_)
        view_->viewController_ = this;
}

void ViewController::loadView() {
    setView(View::create(screenFrame()));
}

void ViewController::setTitle(std::string title) {
    title_ = std::move(title);
    if (navigationItem_)
        navigationItem_->setTitle(title_);
}

NavigationItem* ViewController::navigationItem() {
    if (!navigationItem_)
        navigationItem_ = NavigationItem::create(title_);
    return navigationItem_.get();
}

NavigationController* ViewController::navigationController() const {
    for (auto c = parent_; c; c = c->parent_) {
        if (auto navigation = dynamic_cast<NavigationController*>(c))
            return navigation;
    }
    return nullptr;
}

ViewController* ViewController::parentViewController() const {
    return parent_ ? parent_ : presenting_;
}

ViewController* ViewController::presentationHost() const {
    auto host = const_cast<ViewController*>(this);
    while (host->parent_)
        host = host->parent_;
    return host;
}

ViewController* ViewController::presentingViewController() const {
    for (auto c = this; c; c = c->parent_) {
        if (c->presenting_)
            return c->presenting_;
    }
    return nullptr;
}

ViewController* ViewController::presentedViewController() const {
    return presentationHost()->presented_.get();
}

void ViewController::beginAppearanceTransition(bool appearing, bool animated) {
    beginAppearance(appearing, animated, true);
}

void ViewController::endAppearanceTransition() {
    endAppearance(true);
}

void ViewController::beginAppearance(bool appearing, bool animated, bool withChildren) {
    if (appearing && (appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared))
        return;
    if (!appearing
        && (appearance_ == Appearance::Disappearing || appearance_ == Appearance::Disappeared))
        return;
    base::Ref<ViewController> keep(this);
    automaticAppearance_ = false;
    appearanceAnimated_ = animated;
    if (appearing) {
        view();
        appearance_ = Appearance::Appearing;
        viewWillAppear(animated);
    } else {
        appearance_ = Appearance::Disappearing;
        viewWillDisappear(animated);
    }
    if (withChildren) {
        for (auto child : visibleChildViewControllers())
            child->beginAppearance(appearing, animated, true);
    }
}

void ViewController::endAppearance(bool withChildren) {
    base::Ref<ViewController> keep(this);
    automaticAppearance_ = false;
    if (appearance_ == Appearance::Appearing) {
        appearance_ = Appearance::Appeared;
        viewDidAppear(appearanceAnimated_);
    } else if (appearance_ == Appearance::Disappearing) {
        appearance_ = Appearance::Disappeared;
        viewDidDisappear(appearanceAnimated_);
    } else {
        return;
    }
    if (withChildren) {
        for (auto child : visibleChildViewControllers())
            child->endAppearance(true);
    }
}

// Views that move by themselves bring their controllers' appearance calls; the
// children's views move along in the same subtree and bring their own, so these
// calls are not forwarded. A controller in the middle of a managed transition
// ignores the moves that transition makes.
void ViewController::viewWillMoveToWindow(Window* newWindow) {
    bool inWindow = view_->window() != nullptr;
    if (!inWindow && newWindow && appearance_ == Appearance::Disappeared) {
        beginAppearance(true, false, false);
        automaticAppearance_ = true;
    } else if (inWindow && !newWindow && appearance_ == Appearance::Appeared) {
        beginAppearance(false, false, false);
        automaticAppearance_ = true;
    }
}

void ViewController::viewDidMoveToWindow() {
    if (automaticAppearance_)
        endAppearance(false);
}

void ViewController::presentViewController(
    base::Ref<ViewController> controller, bool animated, Completion completion) {
    if (!controller) {
        base::logLine("ViewController: asked to present no controller");
        return;
    }
    base::Ref<ViewController> host(presentationHost());
    if (controller == host.get() || controller->presenting_ || controller->parent_
        || controller->presented_ || (controller->view_ && controller->view_->window())) {
        base::logLine("ViewController: the controller to present is already shown");
        return;
    }
    if (host->presented_) {
        base::logLine(
            "ViewController: a controller that already presents one cannot present another");
        return;
    }
    host->finishTransition();
    host->presented_ = controller;
    controller->presenting_ = host.get();

    Window* window = host->view_ ? host->view_->window() : nullptr;
    if (!window) {
        base::logLine("ViewController: presenting from a controller whose view is in no window");
        host->transition_.start(
            animated ? TransitionTimer::StandardDuration : 0, [completion = std::move(completion)] {
                if (completion)
                    completion();
            });
        return;
    }

    View* presentedView = controller->view();
    host->beginAppearance(false, animated, true);
    controller->beginAppearance(true, animated, true);

    View* hostView = host->view_.get();
    host->coveredSuperview_ = hostView->superview();
    host->coveredIndex_ = indexInSuperview(hostView);
    // Above the window-level view that holds the presenter, so that alerts shown
    // over everything stay over the new screen too.
    View* level = hostView;
    while (level->superview() != window)
        level = level->superview();
    presentedView->setFrame(window->bounds());
    presentedView->layoutIfNeeded();
    window->insertSubviewAbove(base::Ref<View>(presentedView), level);

    // The end step lives in the host's transition and dies with the host, so it
    // holds plain pointers and keeps both controllers alive only while it runs.
    host->transition_.start(animated ? TransitionTimer::StandardDuration : 0,
        [host = host.get(), controller = controller.get(), completion = std::move(completion)] {
            base::Ref<ViewController> keepHost(host);
            base::Ref<ViewController> keepPresented(controller);
            if (host->view_ && host->view_->superview())
                host->view_->removeFromSuperview();
            host->endAppearance(true);
            controller->endAppearance(true);
            if (completion)
                completion();
        });
}

void ViewController::restoreCoveredView(View* presentedView) {
    View* hostView = view();
    if (hostView->superview())
        return;
    auto superview = coveredSuperview_.strong();
    if (!superview)
        return;
    if (presentedView && presentedView->superview() == superview.get()) {
        superview->insertSubviewBelow(base::Ref<View>(hostView), presentedView);
    } else {
        auto index = std::min(coveredIndex_, superview->subviews().size());
        superview->insertSubviewAtIndex(base::Ref<View>(hostView), index);
    }
    if (superview.get() == superview->window() && hostView->frame().size.width == 0)
        hostView->setFrame(superview->bounds());
}

void ViewController::dismissViewController(bool animated, Completion completion) {
    ViewController* found = presentationHost();
    if (!found->presented_)
        found = presentingViewController();
    if (!found || !found->presented_) {
        base::logLine("ViewController: nothing to dismiss");
        return;
    }
    base::Ref<ViewController> host(found);
    // Everything presented over the host, bottom to top.
    std::vector<base::Ref<ViewController>> chain;
    for (auto c = host->presented_; c; c = c->presented_)
        chain.push_back(c);
    host->finishTransition();
    for (auto const& c : chain)
        c->finishTransition();
    if (host->presented_ != chain.front())
        return; // a finished transition changed the presentation

    auto top = chain.back();
    Window* window = top->view_ ? top->view_->window() : nullptr;
    if (window) {
        top->beginAppearance(false, animated, true);
        host->beginAppearance(true, animated, true);
        host->restoreCoveredView(chain.front()->view_.get());
    }
    host->transition_.start(animated ? TransitionTimer::StandardDuration : 0,
        [host = host.get(), chain = std::move(chain), shown = window != nullptr,
            completion = std::move(completion)] {
            base::Ref<ViewController> keepHost(host);
            for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
                if ((*it)->view_ && (*it)->view_->superview())
                    (*it)->view_->removeFromSuperview();
            }
            host->presented_ = nullptr;
            for (auto const& c : chain) {
                c->presenting_ = nullptr;
                c->presented_ = nullptr;
            }
            if (shown) {
                chain.back()->endAppearance(true);
                host->endAppearance(true);
            }
            if (completion)
                completion();
        });
}

bool ViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) {
    return orientation == InterfaceOrientation::Portrait;
}

InterfaceOrientation ViewController::interfaceOrientation() const {
    return Application::sharedApplication().statusBarOrientation();
}

bool ViewController::rotateToInterfaceOrientation(InterfaceOrientation orientation) {
    base::Ref<ViewController> top(this);
    while (auto presented = top->presentedViewController())
        top = base::Ref<ViewController>(presented);
    auto& application = Application::sharedApplication();
    auto from = application.statusBarOrientation();
    if (orientation == from || !top->shouldAutorotateToInterfaceOrientation(orientation))
        return false;
    // The controller on top and every child it shows, parents first.
    std::vector<base::Ref<ViewController>> told {top};
    for (std::size_t i = 0; i < told.size(); ++i) {
        for (auto child : told[i]->visibleChildViewControllers())
            told.emplace_back(child);
    }
    double const duration = TransitionTimer::StandardDuration;
    for (auto const& c : told)
        c->willRotateToInterfaceOrientation(orientation, duration);
    application.setStatusBarOrientation(orientation);
    for (auto const& c : told)
        c->willAnimateRotationToInterfaceOrientation(orientation, duration);
    for (auto const& c : told)
        c->didRotateFromInterfaceOrientation(from);
    return true;
}

void ViewController::didReceiveMemoryWarning() {
    if (!view_ || view_->superview() || dynamic_cast<Window*>(view_.get()))
        return;
    auto old = std::move(view_);
    if (old->viewController_ == this)
        old->viewController_ = nullptr;
    viewDidUnload();
}

Responder* ViewController::nextResponder() const {
    return view_ ? view_->superview() : nullptr;
}

}
