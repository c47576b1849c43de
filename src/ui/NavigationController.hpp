#pragma once

#include <ui/NavigationBar.hpp>
#include <ui/ViewController.hpp>

#include <vector>

namespace ui {

// Told when a navigation controller shows a controller (by a push, a pop or a new
// stack): before the transition and after it. Every operation is optional.
class NavigationControllerDelegate {
public:
    virtual ~NavigationControllerDelegate() = default;

    virtual void willShowViewController(NavigationController&, ViewController&, bool) { }
    virtual void didShowViewController(NavigationController&, ViewController&, bool) { }
};

// A stack of view controllers under a navigation bar: it shows the top one's view
// below the bar and the bar shows their navigation items; the bar's back button
// pops. The stack's controllers are retained and have this controller as their
// parent. Pushes and pops of a navigation on the screen bring the appearance calls
// of ViewController, animated over TransitionTimer::StandardDuration or at once;
// off the screen they only change the stack, and the top controller appears with
// the navigation. A push or pop while another transition runs finishes that one
// first. Refused with a logged line: pushing nothing, a controller already in a
// stack, presented or shown elsewhere. Main thread only.
class NavigationController : public ViewController, private NavigationBarDelegate {
public:
    // initWithRootViewController: root may be null for an empty stack.
    static base::Ref<NavigationController> create(base::Ref<ViewController> root = nullptr);

    ~NavigationController() override;

    std::vector<base::Ref<ViewController>> const& viewControllers() const { return stack_; }
    // Replaces the stack; the new top is shown as by a push (or a pop when it was
    // already in the stack).
    void setViewControllers(std::vector<base::Ref<ViewController>> controllers, bool animated);
    ViewController* topViewController() const;
    // What the user sees: the controller presented over the top one, or the top one.
    ViewController* visibleViewController() const;

    void pushViewController(base::Ref<ViewController> controller, bool animated);
    // Pops the top controller; the root stays (null is answered).
    base::Ref<ViewController> popViewController(bool animated);
    // Pops down to controller, which must be in the stack; answers the popped ones.
    std::vector<base::Ref<ViewController>> popToViewController(
        ViewController* controller, bool animated);
    std::vector<base::Ref<ViewController>> popToRootViewController(bool animated);

    NavigationBar* navigationBar();
    bool isNavigationBarHidden() const { return barHidden_; }
    void setNavigationBarHidden(bool hidden, bool animated = false);

    NavigationControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(NavigationControllerDelegate* delegate) { delegate_ = delegate; }

    // Asks the top controller.
    bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) override;

    void loadView() override;

protected:
    std::vector<ViewController*> visibleChildViewControllers() const override;

private:
    bool shouldPopItem(NavigationBar& bar, NavigationItem& item) override;

    bool canTake(ViewController const* controller) const;
    // Shows the new top in place of from, as a push (forward) or a pop.
    void showTop(base::Ref<ViewController> from, bool animated, bool forward,
        std::vector<base::Ref<ViewController>> released);
    void syncBar();
    graphics::Rect contentFrame() const;
    void layoutContent();

    std::vector<base::Ref<ViewController>> stack_;
    base::Ref<NavigationBar> bar_;
    NavigationControllerDelegate* delegate_ {nullptr};
    bool barHidden_ {false};

protected:
    friend base::Factory;

    NavigationController();
};

}
