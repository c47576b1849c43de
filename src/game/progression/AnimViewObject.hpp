#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <game/progression/AnimViewAction.hpp>
#include <ui/View.hpp>

#include <deque>

namespace game {

// The animation queue of one view: actions waiting to run, first in first out, and
// whether one of them is running. It holds its view alive. AnimViewManager drives it;
// main thread.
class AnimViewObject final : public base::Object {
public:
    // Called when the running action ends, as a view animation's did-stop selector is:
    // the animation's identifier (empty for actions that did not animate), whether it
    // ran to its end, and the queue object as the context.
    using DidStop = ui::View::DidStopSelector;

    static base::Ref<AnimViewObject> create();

    void addAction(base::Ref<AnimViewAction> action);
    std::size_t numOfAction() const { return _actions.size(); }
    // Empties the queue, marks it idle and ends the view's running animations.
    void removeAllAction();

    // Takes the first waiting action and runs it: a delay waits on a one-shot timer,
    // an action with a duration animates in a view-animation block whose did-stop
    // selector is selector (target is the block's delegate), and any other action is
    // applied at once and selector is called before this returns. An exception from
    // applying an action is logged and the step goes on. Answers whether the queue is
    // playing afterwards (false when it was empty).
    bool runNextActionWithCallBackTarget(base::Object* target, DidStop selector);

    ui::View* view() const { return view_.get(); }
    void setView(ui::View* view) { view_ = base::Ref<ui::View>(view); }
    bool isPlayingAction() const { return isPlayingAction_; }
    void setIsPlayingAction(bool playing) { isPlayingAction_ = playing; }

private:
    friend base::Factory;
    AnimViewObject() = default;

    void applyGuarded(AnimViewAction& action);
    void delayDidFinished(DidStop const& selector);

    std::deque<base::Ref<AnimViewAction>> _actions;
    base::Ref<ui::View> view_;
    bool isPlayingAction_ {false};
};

}
