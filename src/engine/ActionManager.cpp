#include <base/Verify.hpp>
#include <engine/Action.hpp>
#include <engine/ActionManager.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Scheduler.hpp>

#include <algorithm>
#include <mutex>

namespace engine {

namespace {

std::mutex instanceMutex;
base::Ref<ActionManager> instance;

bool holds(std::vector<base::Ref<Action>> const& list, Action const* action) {
    return std::any_of(
        list.begin(), list.end(), [action](auto const& a) { return a.get() == action; });
}

}

ActionManager& ActionManager::sharedManager() {
    std::lock_guard lock(instanceMutex);
    if (!instance)
        instance = base::make<ActionManager>();
    return *instance;
}

void ActionManager::purgeSharedManager() {
    base::Ref<ActionManager> old;
    {
        std::lock_guard lock(instanceMutex);
        old = std::move(instance);
    }
    if (!old)
        return;
    old->removeAllActions();
    auto& scheduler = Scheduler::sharedScheduler();
    if (scheduler.isScheduled(old->timer_.get()))
        scheduler.unscheduleTimer(old->timer_.get());
}

ActionManager::ActionManager()
    : timer_(Timer::timerWithTarget(this, Selector::make(&ActionManager::tick, this, "tick:"))) {
    targets.reserve(131);
    Scheduler::sharedScheduler().scheduleTimer(timer_);
}

ActionManager::~ActionManager() = default;

std::shared_ptr<ActionManager::Element> ActionManager::find(SceneNode const* target) const {
    for (auto const& element : targets) {
        if (element->target.get() == target)
            return element;
    }
    return nullptr;
}

void ActionManager::removeElement(Element const* element) {
    std::erase_if(targets, [element](auto const& e) { return e.get() == element; });
}

void ActionManager::addAction(base::Ref<Action> action, SceneNode* target, bool paused) {
    VERIFY_MSG(action, "Argument action must be non-nil");
    VERIFY_MSG(target, "Argument target must be non-nil");
    auto element = find(target);
    if (!element) {
        element = std::make_shared<Element>();
        element->target = target;
        element->paused = paused;
        element->actions.reserve(4);
        targets.push_back(element);
    }
    VERIFY_MSG(!holds(element->actions, action.get()), "runAction: Action already running");
    element->actions.push_back(action);
    action->setTarget(target);
    action->start();
}

void ActionManager::removeAllActions() {
    auto all = targets;
    for (auto& element : all)
        removeAllActionsFromTarget(element->target.get());
}

void ActionManager::removeAllActionsFromTarget(SceneNode* target) {
    if (!target)
        return;
    auto element = find(target);
    if (!element)
        return;
    // The element keeps the target alive; release the actions before it goes.
    auto actions = std::move(element->actions);
    element->actions.clear();
    removeElement(element.get());
}

void ActionManager::removeAction(Action* action) {
    if (!action)
        return;
    auto element = find(action->target());
    if (!element || !holds(element->actions, action))
        return;
    base::Ref<Action> keep(action);
    std::erase_if(element->actions, [action](auto const& a) { return a.get() == action; });
    if (element->actions.empty())
        removeElement(element.get());
}

void ActionManager::removeActionByTag(int tag, SceneNode* target) {
    VERIFY_MSG(tag != -1, "Invalid tag");
    VERIFY_MSG(target, "Target should be ! nil");
    auto element = find(target);
    if (!element)
        return;
    for (auto const& action : element->actions) {
        if (action->tag() == tag && action->target() == target) {
            removeAction(base::Ref<Action>(action).get());
            return;
        }
    }
}

Action* ActionManager::getActionByTag(int tag, SceneNode* target) const {
    VERIFY_MSG(tag != -1, "Invalid tag");
    auto element = find(target);
    if (!element)
        return nullptr;
    for (auto const& action : element->actions) {
        if (action->tag() == tag)
            return action.get();
    }
    return nullptr;
}

int ActionManager::numberOfRunningActionsInTarget(SceneNode* target) const {
    auto element = find(target);
    return element ? static_cast<int>(element->actions.size()) : 0;
}

void ActionManager::pauseAllActionsForTarget(SceneNode* target) {
    if (auto element = find(target))
        element->paused = true;
}

void ActionManager::resumeAllActionsForTarget(SceneNode* target) {
    if (auto element = find(target))
        element->paused = false;
}

void ActionManager::tick(float dt) {
    base::Ref<ActionManager> self(this);
    auto elements = targets;
    for (auto& element : elements) {
        if (element->paused)
            continue;
        auto actions = element->actions;
        for (auto& action : actions) {
            if (!holds(element->actions, action.get()))
                continue;
            action->step(dt);
            if (holds(element->actions, action.get()) && action->isDone()) {
                action->stop();
                removeAction(action.get());
            }
        }
    }
}

}
