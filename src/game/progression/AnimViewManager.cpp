#include <game/progression/AnimViewManager.hpp>

#include <algorithm>

namespace game {

namespace {

base::Ref<AnimViewManager>& shared() {
    static base::Ref<AnimViewManager> manager;
    return manager;
}

}

AnimViewManager& AnimViewManager::sharedManager() {
    auto& manager = shared();
    if (!manager)
        manager = base::make<AnimViewManager>();
    return *manager;
}

void AnimViewManager::releaseManager() {
    shared() = nullptr;
}

void AnimViewManager::addAnimView(
    ui::View* view, std::initializer_list<base::Ref<AnimViewAction>> actions) {
    for (auto const& action : actions)
        addAnimView(view, action);
}

void AnimViewManager::addAnimView(ui::View* view, base::Ref<AnimViewAction> action) {
    // Held for the call: an action's callback may release the manager.
    base::Ref<AnimViewManager> manager(&sharedManager());
    manager->add(view, std::move(action));
}

void AnimViewManager::stopAllActionForView(ui::View* view) {
    base::Ref<AnimViewManager> manager(&sharedManager());
    manager->stopAll(view);
}

AnimViewObject* AnimViewManager::animViewObjectForView(ui::View const* view) const {
    for (auto const& object : _animViewObjects)
        if (object->view() == view)
            return object.get();
    return nullptr;
}

void AnimViewManager::add(ui::View* view, base::Ref<AnimViewAction> action) {
    if (!view || !action)
        return;
    base::Ref<AnimViewObject> object(animViewObjectForView(view));
    if (!object) {
        object = AnimViewObject::create();
        object->setView(view);
        _animViewObjects.push_back(object);
    }
    object->addAction(std::move(action));
    if (!object->isPlayingAction())
        playNextAction(object.get());
}

void AnimViewManager::playNextAction(AnimViewObject* object) {
    if (!object || !object->view())
        return;
    // The object may leave the list below, and a zero-duration action plays the next
    // one from inside this call.
    base::Ref<AnimViewObject> held(object);
    if (object->numOfAction() > 0) {
        base::Ref<AnimViewManager> self(this);
        object->runNextActionWithCallBackTarget(
            this, [self](std::string const& animationID, bool finished, void* context) {
                self->nextActionDidStop(animationID, finished, context);
            });
        return;
    }
    object->setIsPlayingAction(false);
    std::erase_if(_animViewObjects, [object](auto const& entry) { return entry.get() == object; });
}

void AnimViewManager::nextActionDidStop(std::string const&, bool, void* context) {
    // The context is compared by address before it is used: a queue dropped by
    // stopAllActionForView is no longer in the list, and its report is ignored.
    auto found = std::find_if(_animViewObjects.begin(), _animViewObjects.end(),
        [context](auto const& entry) { return entry.get() == context; });
    if (found == _animViewObjects.end())
        return;
    playNextAction(found->get());
}

void AnimViewManager::stopAll(ui::View* view) {
    auto snapshot = _animViewObjects;
    for (auto const& object : snapshot) {
        if (object->view() != view)
            continue;
        // Out of the list first, so the end report of the animation ended below is
        // ignored whenever it comes.
        std::erase(_animViewObjects, object);
        object->removeAllAction();
        return;
    }
}

}
