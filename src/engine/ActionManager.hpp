#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Forward.hpp>
#include <engine/HashSet.hpp>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace engine {

// Runs the actions of every node. It keeps, per target, the running actions in
// the order they were added, in a hash set keyed by the target; once a frame,
// from a Timer of its own on the Scheduler, it steps every action of every
// target that is not paused, stops and drops the finished ones, and forgets
// targets that have no actions left. One per process, made on first use; the
// director's end purges it. Main thread only; only the creation of the
// instance is locked.
//
// A target is retained while it has actions, so a node whose parent let go of
// it lives on until its last action ends. Pausing is per target: a paused
// target's actions stay but are not stepped.
//
// Targets are stepped in the order they first received an action (a target
// that lost all its actions and gets a new one counts as new), not in the
// hash set's bucket order, which follows memory addresses and would differ
// from run to run. Actions of one target are stepped in the order they were
// added.
//
// Removal is safe at any time, including from inside an action's own step:
// the action being stepped and the target being processed are kept alive until
// the tick is done with them, and removing an action before the one being
// stepped shifts the tick's position so that no action is skipped or stepped
// twice. An action added during a tick is stepped in that tick when its target
// is the one being processed or one not reached yet (including a new target),
// and from the next tick otherwise. An action removed by any remove operation
// is released without stop; a finished one gets stop exactly once.
class ActionManager final : public base::Object {
public:
    static ActionManager& sharedManager();
    // Removes every action, takes the manager's timer off the scheduler and drops
    // the instance; the next sharedManager() makes a new one. Safe during a tick.
    static void purgeSharedManager();

    ~ActionManager() override;

    // Keeps the action, gives it the target and starts it (at once, even for a
    // paused target). `paused` only matters for a target that has no actions
    // yet; a target with actions keeps its own state. Running an action that is
    // already running on the target is a broken invariant.
    void addAction(base::Ref<Action> action, SceneNode* target, bool paused);
    void removeAllActions();
    // Ignores null and targets without actions.
    void removeAllActionsFromTarget(SceneNode* target);
    // Ignores null and actions the manager does not run.
    void removeAction(Action* action);
    // Removes the target's first action with the tag. The tag -1 is invalid.
    void removeActionByTag(int tag, SceneNode* target);
    // The target's first action with the tag, or null. The tag -1 is invalid.
    Action* getActionByTag(int tag, SceneNode* target) const;
    int numberOfRunningActionsInTarget(SceneNode* target) const;
    // Nothing happens for a target without actions.
    void pauseAllActionsForTarget(SceneNode* target);
    void resumeAllActionsForTarget(SceneNode* target);

    void tick(float dt);

    // For tests and diagnostics: how many targets have actions, and the number
    // of buckets of the target set.
    int targetCount() const { return targets.entries(); }
    int targetBucketCount() const { return targets.size(); }

private:
    // One per target that has actions.
    struct HashElement {
        std::vector<base::Ref<Action>> actions;
        // The key; compared by address, so a lookup never touches the count.
        SceneNode* target {nullptr};
        // Keeps the target alive while it has actions.
        base::Ref<SceneNode> retainedTarget;
        // The tick's position in `actions`; wraps below 0 when the action at 0
        // is removed during its step, and the tick's increment brings it back.
        unsigned actionIndex {0};
        // The action being stepped, held until its step is over.
        base::Ref<Action> currentAction;
        // The action being stepped was removed during its step.
        bool currentActionSalvaged {false};
        bool paused {false};
        // When the element was made: the order of stepping.
        std::uint64_t serial {0};
    };

    static bool ActionTargetsEqual(HashElement const* key, HashElement const* stored);
    static std::uint32_t hashOf(SceneNode const* target);

    HashElement* find(SceneNode* target) const;
    void deleteHashElement(HashElement* element);
    void actionAllocWithHashElement(HashElement* element);
    void removeActionAtIndex(unsigned index, HashElement* element);

    HashSet<HashElement> targets;
    // The element the tick is processing, or null.
    HashElement* currentTarget {nullptr};
    // The current element lost all its actions during the tick; the tick frees
    // it when it moves on unless it got new ones.
    bool currentTargetSalvaged {false};
    // Owns the elements, in the order of stepping.
    std::map<std::uint64_t, std::unique_ptr<HashElement>> elements_;
    std::uint64_t nextSerial_ {1};
    base::Ref<Timer> timer_;

    friend base::Factory;

    // Use sharedManager. A second
    // instance while one is installed is a broken invariant.
    ActionManager();
};

}
