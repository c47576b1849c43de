#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <game/progression/AnimViewAction.hpp>
#include <game/progression/AnimViewObject.hpp>

#include <initializer_list>
#include <string>
#include <vector>

namespace game {

// Plays animations on platform views one after another: each view has one queue
// (AnimViewObject) of actions, and each action that ends starts the next of its view,
// so queues of different views run side by side. A run of actions without a duration
// is applied in one go, inside the call that started it. A queue that empties is
// dropped, letting go of its view. Main thread: view-animation ends and timers come on
// the main run loop.
class AnimViewManager final : public base::Object {
public:
    // The one manager, made on first use; releaseManager forgets it (and its queues).
    static AnimViewManager& sharedManager();
    static void releaseManager();

    // Appends each action in order to view's queue; an idle queue starts at once.
    static void addAnimView(
        ui::View* view, std::initializer_list<base::Ref<AnimViewAction>> actions);
    static void addAnimView(ui::View* view, base::Ref<AnimViewAction> action);
    // Drops view's queue: its waiting actions go and its running animation ends, and
    // that animation's end report is then ignored. Nothing when view has no queue.
    static void stopAllActionForView(ui::View* view);

    // Runs the next action of object, or, with none left, marks it idle and drops it.
    void playNextAction(AnimViewObject* object);
    // The end of an action of the queue given as context. A queue still in the list
    // goes on with its next action, also when the animation was cut short by another
    // animation of the same view (a queue left waiting for a finished report would
    // never play again).
    void nextActionDidStop(std::string const& animationID, bool finished, void* context);

    // The queue of view, or null.
    AnimViewObject* animViewObjectForView(ui::View const* view) const;
    std::size_t animViewObjectCount() const { return _animViewObjects.size(); }

private:
    friend base::Factory;
    AnimViewManager() = default;

    void add(ui::View* view, base::Ref<AnimViewAction> action);
    void stopAll(ui::View* view);

    std::vector<base::Ref<AnimViewObject>> _animViewObjects;
};

}
