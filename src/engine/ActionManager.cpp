#include <base/SharedInstance.hpp>
#include <base/Verify.hpp>
#include <engine/Action.hpp>
#include <engine/ActionManager.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Scheduler.hpp>

#include <algorithm>
#include <cstdint>

namespace engine {

namespace {

// The instance sharedManager() hands out, for the constructor's check; set and
// cleared with the shared slot's lock held or on the main thread.
ActionManager const* installed = nullptr;

constexpr int initialTargetCapacity = 131;
constexpr std::size_t initialActionCapacity = 4;

}

ActionManager& ActionManager::sharedManager() {
    return base::SharedInstance<ActionManager>::get([](ActionManager& made) { installed = &made; });
}

void ActionManager::purgeSharedManager() {
    auto old = base::SharedInstance<ActionManager>::current();
    if (!old)
        return;
    // Releasing actions and targets may run teardown code that asks for the
    // manager again: it still finds this one, and nothing is left for it.
    old->removeAllActions();
    if (base::SharedInstance<ActionManager>::resetIfCurrent(old.get()))
        installed = nullptr;
    auto& scheduler = Scheduler::sharedScheduler();
    if (scheduler.isScheduled(old->timer_.get()))
        scheduler.unscheduleTimer(old->timer_.get());
}

ActionManager::ActionManager()
    : targets(initialTargetCapacity, &ActionManager::ActionTargetsEqual) {
    VERIFY_MSG(!installed, "Attempted to allocate a second instance of a singleton.");
    timer_ = Timer::timerWithTarget(this, Selector::make(&ActionManager::tick, this, "tick:"));
    Scheduler::sharedScheduler().scheduleTimer(timer_);
}

ActionManager::~ActionManager() {
    removeAllActions();
}

bool ActionManager::ActionTargetsEqual(HashElement const* key, HashElement const* stored) {
    return key->target == stored->target;
}

std::uint32_t ActionManager::hashOf(SceneNode const* target) {
    // The bytes of the address, least significant first.
    auto address = reinterpret_cast<std::uintptr_t>(target);
    unsigned char bytes[sizeof address];
    for (std::size_t i = 0; i < sizeof address; ++i)
        bytes[i] = static_cast<unsigned char>(address >> (8 * i));
    return HashBytes(bytes, sizeof bytes);
}

ActionManager::HashElement* ActionManager::find(SceneNode* target) const {
    if (!target)
        return nullptr;
    HashElement key;
    key.target = target;
    return targets.find(hashOf(target), &key);
}

void ActionManager::deleteHashElement(HashElement* element) {
    targets.remove(hashOf(element->target), element);
    auto node = elements_.extract(element->serial);
    VERIFY(!node.empty());
    std::unique_ptr<HashElement> doomed = std::move(node.mapped());
    if (currentTarget == doomed.get())
        currentTarget = nullptr;
    // The element is out of reach now: releasing may run teardown code that
    // calls back into the manager.
    while (!doomed->actions.empty()) {
        base::Ref<Action> last = std::move(doomed->actions.back());
        doomed->actions.pop_back();
    }
    doomed->retainedTarget = nullptr;
}

void ActionManager::actionAllocWithHashElement(HashElement* element) {
    if (element->actions.capacity() == 0)
        element->actions.reserve(initialActionCapacity);
}

void ActionManager::removeActionAtIndex(unsigned index, HashElement* element) {
    base::Ref<Action> doomed = std::move(element->actions[index]);
    element->actions.erase(element->actions.begin() + index);
    if (element->actionIndex >= index)
        --element->actionIndex;
    if (element->actions.empty()) {
        if (currentTarget == element)
            currentTargetSalvaged = true;
        else
            deleteHashElement(element);
    }
    // `doomed` goes last, once the manager is consistent again.
}

void ActionManager::pauseAllActionsForTarget(SceneNode* target) {
    if (auto* element = find(target))
        element->paused = true;
}

void ActionManager::resumeAllActionsForTarget(SceneNode* target) {
    if (auto* element = find(target))
        element->paused = false;
}

void ActionManager::addAction(base::Ref<Action> action, SceneNode* target, bool paused) {
    VERIFY_MSG(action, "Argument action must be non-nil");
    VERIFY_MSG(target, "Argument target must be non-nil");
    HashElement* element = find(target);
    if (!element) {
        auto made = std::make_unique<HashElement>();
        made->target = target;
        made->retainedTarget = base::Ref<SceneNode>(target);
        made->paused = paused;
        made->serial = nextSerial_++;
        element = made.get();
        targets.insert(hashOf(target), element);
        elements_.emplace(element->serial, std::move(made));
    }
    actionAllocWithHashElement(element);
    bool running = std::any_of(element->actions.begin(), element->actions.end(),
        [&action](auto const& a) { return a == action; });
    VERIFY_MSG(!running, "runAction: Action already running");
    // Start may run code that removes the action again.
    base::Ref<Action> started = action;
    element->actions.push_back(std::move(action));
    started->setTarget(target);
    started->start();
}

void ActionManager::removeAllActions() {
    // Removing may free other targets, or add new ones: find the next by order
    // each time.
    std::uint64_t last = 0;
    for (;;) {
        auto next = elements_.upper_bound(last);
        if (next == elements_.end())
            return;
        last = next->first;
        removeAllActionsFromTarget(next->second->target);
    }
}

void ActionManager::removeAllActionsFromTarget(SceneNode* target) {
    HashElement* element = find(target);
    if (!element)
        return;
    if (element->currentAction && !element->currentActionSalvaged) {
        bool held = std::any_of(element->actions.begin(), element->actions.end(),
            [element](auto const& a) { return a == element->currentAction; });
        if (held)
            element->currentActionSalvaged = true;
    }
    std::vector<base::Ref<Action>> doomed = std::move(element->actions);
    element->actions.clear();
    if (currentTarget == element)
        currentTargetSalvaged = true;
    else
        deleteHashElement(element);
    while (!doomed.empty()) {
        base::Ref<Action> last = std::move(doomed.back());
        doomed.pop_back();
    }
}

void ActionManager::removeAction(Action* action) {
    if (!action)
        return;
    HashElement* element = find(action->target());
    if (!element)
        return;
    auto found = std::find_if(element->actions.begin(), element->actions.end(),
        [action](auto const& a) { return a.get() == action; });
    if (found == element->actions.end())
        return;
    if (element->currentAction.get() == action && !element->currentActionSalvaged)
        element->currentActionSalvaged = true;
    removeActionAtIndex(static_cast<unsigned>(found - element->actions.begin()), element);
}

void ActionManager::removeActionByTag(int tag, SceneNode* target) {
    VERIFY_MSG(tag != -1, "Invalid tag");
    VERIFY_MSG(target, "Target should be ! nil");
    HashElement* element = find(target);
    if (!element)
        return;
    for (unsigned i = 0; i < element->actions.size(); ++i) {
        Action* action = element->actions[i].get();
        if (action->tag() == tag && action->target() == target) {
            if (element->currentAction.get() == action && !element->currentActionSalvaged)
                element->currentActionSalvaged = true;
            removeActionAtIndex(i, element);
            return;
        }
    }
}

Action* ActionManager::getActionByTag(int tag, SceneNode* target) const {
    VERIFY_MSG(tag != -1, "Invalid tag");
    HashElement* element = find(target);
    if (!element)
        return nullptr;
    for (auto const& action : element->actions) {
        if (action->tag() == tag)
            return action.get();
    }
    return nullptr;
}

int ActionManager::numberOfRunningActionsInTarget(SceneNode* target) const {
    HashElement* element = find(target);
    return element ? static_cast<int>(element->actions.size()) : 0;
}

void ActionManager::tick(float dt) {
    // A step may purge the manager or release every outside reference to it.
    base::Ref<ActionManager> self(this);
    std::uint64_t last = 0;
    for (;;) {
        auto next = elements_.upper_bound(last);
        if (next == elements_.end())
            break;
        HashElement* element = next->second.get();
        last = element->serial;
        currentTarget = element;
        currentTargetSalvaged = false;
        if (!element->paused) {
            for (element->actionIndex = 0; element->actionIndex < element->actions.size();
                 ++element->actionIndex) {
                element->currentAction = element->actions[element->actionIndex];
                element->currentActionSalvaged = false;
                element->currentAction->step(dt);
                if (!element->currentActionSalvaged && element->currentAction->isDone()) {
                    element->currentAction->stop();
                    base::Ref<Action> done = std::move(element->currentAction);
                    removeAction(done.get());
                }
                // Releases the hold on an action removed during its step.
                element->currentAction = nullptr;
            }
        }
        bool salvaged = currentTargetSalvaged;
        currentTarget = nullptr;
        currentTargetSalvaged = false;
        if (salvaged && element->actions.empty())
            deleteHashElement(element);
    }
}

}
