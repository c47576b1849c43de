#pragma once

#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <foundation/NotificationCenter.hpp>
#include <ui/Application.hpp>
#include <ui/Responder.hpp>
#include <ui/TransitionTimer.hpp>
// Application's inline accessors need the whole window class.
#include <ui/Window.hpp>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace ui {

// How a presented controller comes onto the screen, numbered as the platform
// numbers them. Kept for callers; every style shows the same way here.
enum class ModalTransitionStyle {
    CoverVertical = 0,
    FlipHorizontal = 1,
    CrossDissolve = 2,
    PartialCurl = 3,
};

enum class ModalPresentationStyle {
    FullScreen = 0,
    PageSheet = 1,
    FormSheet = 2,
    CurrentContext = 3,
};

// Manages one screen's view: loads it on first use, tells the subclass when it
// appears and disappears, presents and dismisses other controllers modally, and
// answers rotation and memory warnings. Main thread only.
//
// Loading: view() loads the view on first access with loadView() (a plain view the
// size of the key window, or of the screen without one, unless a subclass makes
// its own), then calls
// viewDidLoad(). A memory warning unloads the view of a controller that is off the
// screen (no superview), with viewDidUnload(); the next view() loads it again.
//
// Appearance: viewWillAppear, viewDidAppear, viewWillDisappear and
// viewDidDisappear come in pairs. A view that enters or leaves a window by itself
// (added to a window, removed from it) brings the pair around the move, not
// animated. Presentations and navigation pushes and pops bring them with their
// animated flag, in this order: the leaving controller's viewWillDisappear, the
// arriving one's viewWillAppear, (the transition), the leaving one's
// viewDidDisappear, the arriving one's viewDidAppear, and last the completion. An
// animated transition lasts TransitionTimer::StandardDuration on the run loop's
// clock; one that is not animated ends before the call returns. A controller
// forwards its calls to the children it shows (visibleChildViewControllers).
//
// Presentation: a controller is presented by the outermost container of the
// controller asked (a navigation controller for its children); that presenter
// keeps the presented controller until it is dismissed. The presented view covers
// the window, and the presenter's view leaves the window once the transition has
// ended; dismissal puts it back where it was. Asking a controller that already
// presents, or presenting a controller that is already shown somewhere, is
// refused with a logged line. Starting a transition while one runs finishes the
// running one first. A presenter whose view is in no window links the two
// controllers without showing anything, and calls no appearance callbacks.
class ViewController : public Responder {
public:
    using Completion = std::function<void()>;

    static base::Ref<ViewController> create();

    ~ViewController() override;

    // The view, loaded on first access.
    View* view();
    bool isViewLoaded() const { return view_ != nullptr; }
    // Takes view as this controller's view (null unloads it without callbacks). A
    // view that belonged to another controller is taken from it.
    void setView(base::Ref<View> view);
    virtual void loadView();
    virtual void viewDidLoad() { }
    virtual void viewDidUnload() { }

    virtual void viewWillAppear(bool) { }
    virtual void viewDidAppear(bool) { }
    virtual void viewWillDisappear(bool) { }
    virtual void viewDidDisappear(bool) { }
    // Whether the view has appeared (viewDidAppear came and viewWillDisappear not yet).
    bool isVisible() const { return appearance_ == Appearance::Appeared; }
    // Starts and ends an appearance by hand, for controllers that show other
    // controllers' views themselves. A begin that would repeat the current state,
    // and an end without a begin, do nothing.
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();

    std::string const& title() const { return title_; }
    // Also the title of the navigation item.
    void setTitle(std::string title);
    // The item that represents this controller in a navigation bar; made on first use.
    NavigationItem* navigationItem();
    // The nearest navigation controller among the containers of this controller.
    NavigationController* navigationController() const;

    // The container that shows this controller (a navigation controller) or, for a
    // presented controller, the controller that presented it.
    ViewController* parentViewController() const;
    // The controller that presented this one or one of its containers.
    ViewController* presentingViewController() const;
    // The controller presented by this one's outermost container.
    ViewController* presentedViewController() const;
    ViewController* modalViewController() const { return presentedViewController(); }

    void presentViewController(
        base::Ref<ViewController> controller, bool animated, Completion completion = {});
    // Dismisses what this controller presented or, when it presents nothing, the
    // presentation it is part of, along with everything presented over it.
    void dismissViewController(bool animated, Completion completion = {});
    void presentModalViewController(base::Ref<ViewController> controller, bool animated) {
        presentViewController(std::move(controller), animated);
    }
    void dismissModalViewController(bool animated) { dismissViewController(animated); }

    ModalTransitionStyle modalTransitionStyle() const { return modalTransitionStyle_; }
    void setModalTransitionStyle(ModalTransitionStyle style) { modalTransitionStyle_ = style; }
    ModalPresentationStyle modalPresentationStyle() const { return modalPresentationStyle_; }
    void setModalPresentationStyle(ModalPresentationStyle style) {
        modalPresentationStyle_ = style;
    }
    bool wantsFullScreenLayout() const { return wantsFullScreenLayout_; }
    void setWantsFullScreenLayout(bool wants) { wantsFullScreenLayout_ = wants; }

    // Portrait only, as the platform's controllers answer by default.
    virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation);
    virtual void willRotateToInterfaceOrientation(InterfaceOrientation, double) { }
    virtual void willAnimateRotationToInterfaceOrientation(InterfaceOrientation, double) { }
    virtual void didRotateFromInterfaceOrientation(InterfaceOrientation) { }
    // The application's status-bar orientation.
    InterfaceOrientation interfaceOrientation() const;
    // The device turned: when the controller on top (the last one presented over
    // this one) accepts the orientation, it and the children it shows are told
    // willRotate, willAnimateRotation and didRotate around the change of the
    // status-bar orientation. Answers whether the interface turned.
    bool rotateToInterfaceOrientation(InterfaceOrientation orientation);

    // Called for the application's memory warnings. Unloads the view when it is
    // off the screen; subclasses that override it call this one.
    virtual void didReceiveMemoryWarning();

    // The view's superview.
    Responder* nextResponder() const override;

protected:
    // The child controllers whose views this controller shows; they get its
    // appearance and rotation calls.
    virtual std::vector<ViewController*> visibleChildViewControllers() const { return {}; }
    // For containers: makes this controller a child of parent (null: of nobody).
    void setParentViewController(ViewController* parent) { parent_ = parent; }
    // Finishes at once the transition this controller runs, if any.
    void finishTransition() { transition_.finishNow(); }
    TransitionTimer& transition() { return transition_; }

private:
    friend class View;
    friend class NavigationController;
    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };

    // From the view, as it enters or leaves a window.
    void viewWillMoveToWindow(Window* newWindow);
    void viewDidMoveToWindow();

    void beginAppearance(bool appearing, bool animated, bool withChildren);
    void endAppearance(bool withChildren);
    ViewController* presentationHost() const;
    // Puts the view back where it was before it was covered by a presentation.
    void restoreCoveredView(View* presentedView);

    base::Ref<View> view_;
    std::string title_;
    base::Ref<NavigationItem> navigationItem_;
    ViewController* parent_ {nullptr};
    ViewController* presenting_ {nullptr};
    base::Ref<ViewController> presented_;
    // Where the view sat before a presentation covered it.
    base::WeakRef<View> coveredSuperview_;
    std::size_t coveredIndex_ {0};
    TransitionTimer transition_;
    foundation::ObservationToken memoryWarning_;
    Appearance appearance_ {Appearance::Disappeared};
    bool appearanceAnimated_ {false};
    bool automaticAppearance_ {false};
    ModalTransitionStyle modalTransitionStyle_ {ModalTransitionStyle::CoverVertical};
    ModalPresentationStyle modalPresentationStyle_ {ModalPresentationStyle::FullScreen};
    bool wantsFullScreenLayout_ {false};

protected:
    friend base::Factory;

    ViewController();
};

}
