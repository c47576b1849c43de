#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Forward.hpp>

#include <memory>
#include <vector>

namespace engine {

// Runs the actions of every node: keeps, per target, the running actions in the
// order they were added, steps those of targets that are not paused once a
// frame from a Timer of its own, stops and drops finished ones. One per process,
// made on first use; the director's end purges it. Main thread only.
//
// Targets with actions are retained until their last action goes. Removal is
// safe at any time, including from inside an action's own step: each tick works
// on a snapshot and skips what was removed meanwhile.
//
// This is the plain version the node tree needs: targets are kept in a list in
// the order they first got an action.
class ActionManager final : public base::Object {
public:
    static ActionManager& sharedManager();
    // Removes every action, takes the manager's timer off the scheduler and drops
    // the instance; the next sharedManager() makes a new one.
    static void purgeSharedManager();

    // Use sharedManager; public only so that base::make can reach it.
    ActionManager();
    ~ActionManager() override;

    // Starts the action on the target. `paused` only matters for a target that
    // has no actions yet; a target with actions keeps its own state.
    void addAction(base::Ref<Action> action, SceneNode* target, bool paused);
    void removeAllActions();
    void removeAllActionsFromTarget(SceneNode* target);
    void removeAction(Action* action);
    void removeActionByTag(int tag, SceneNode* target);
    Action* getActionByTag(int tag, SceneNode* target) const;
    int numberOfRunningActionsInTarget(SceneNode* target) const;
    void pauseAllActionsForTarget(SceneNode* target);
    void resumeAllActionsForTarget(SceneNode* target);

    void tick(float dt);

private:
    struct Element {
        base::Ref<SceneNode> target;
        std::vector<base::Ref<Action>> actions;
        bool paused {false};
    };

    std::shared_ptr<Element> find(SceneNode const* target) const;
    void removeElement(Element const* element);

    std::vector<std::shared_ptr<Element>> targets;
    base::Ref<Timer> timer_;
};

}
