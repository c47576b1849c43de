#include <game/progression/ItemEffectController.hpp>

#include <utility>

namespace game {

using Operation = ItemEffectProtocol::Operation;

base::Ref<ItemEffectEvent> ItemEffectEvent::create(
    base::Ref<ItemEffectProtocol> effect, float time) {
    auto event = base::make<ItemEffectEvent>();
    event->eventTime = time;
    event->setItem_effect(std::move(effect));
    return event;
}

int compareItemEffectEventTime(ItemEffectEvent const& a, ItemEffectEvent const& b) {
    if (a.eventTime < b.eventTime)
        return -1;
    if (a.eventTime > b.eventTime)
        return 1;
    return 0;
}

base::Ref<ItemEffectController> ItemEffectController::create() {
    return base::make<ItemEffectController>();
}

void ItemEffectController::scheduleEffect(base::Ref<ItemEffectProtocol> effect, float time) {
    insertAndSort(ItemEffectEvent::create(std::move(effect), time));
}

void ItemEffectController::scheduleEffectDelay(base::Ref<ItemEffectProtocol> effect, float delay) {
    scheduleEffect(std::move(effect), mStageTime + delay);
}

void ItemEffectController::insertAndSort(base::Ref<ItemEffectEvent> event) {
    mTimeline.push_back(std::move(event));
    // An insertion sort over the comparison: it stays within bounds whatever the
    // comparison answers (a time that is not a number compares equal to every time).
    for (std::size_t i = 1; i < mTimeline.size(); ++i) {
        for (std::size_t j = i;
             j > 0 && compareItemEffectEventTime(*mTimeline[j], *mTimeline[j - 1]) < 0; --j)
            std::swap(mTimeline[j], mTimeline[j - 1]);
    }
}

void ItemEffectController::removeAt(std::size_t index) {
    auto event = mTimeline[index];
    mTimeline.erase(mTimeline.begin() + std::ptrdiff_t(index));
    if (event->eventState != ItemEffectEvent::active)
        return;
    auto* effect = event->item_effect();
    if (!effect)
        return;
    if (effect->implements(Operation::endEffect))
        effect->endEffect(mStageTime);
    if (effect->implements(Operation::endCooldown))
        effect->endCooldown();
}

void ItemEffectController::cancelEffect(ItemEffectProtocol const* effect) {
    for (std::size_t i = 0; i < mTimeline.size();) {
        if (mTimeline[i]->item_effect() == effect)
            removeAt(i);
        else
            ++i;
    }
}

void ItemEffectController::cancelAllEffects() {
    while (!mTimeline.empty())
        removeAt(0);
}

void ItemEffectController::update(float time) {
    mStageTime = time;
    std::lock_guard lock(mTimelineLock);
    for (std::ptrdiff_t i = 0; i < std::ptrdiff_t(mTimeline.size()); ++i) {
        auto event = mTimeline[std::size_t(i)];
        if (!(event->eventTime <= time))
            break;
        auto* effect = event->item_effect();
        if (!effect)
            continue;
        switch (event->eventState) {
        case ItemEffectEvent::scheduled:
            event->startTime = mStageTime;
            event->endTime = event->startTime + effect->effectDuration();
            event->cooldownTime = event->endTime + effect->cooldownDuration();
            event->eventState = ItemEffectEvent::active;
            if (effect->implements(Operation::startEffect))
                effect->startEffect();
            effect->cooldown(event->cooldownTime - mStageTime);
            break;
        case ItemEffectEvent::active:
            if (event->endTime > mStageTime) {
                if (effect->implements(Operation::updateEffect))
                    effect->updateEffect(event->startTime - mStageTime);
            } else {
                event->eventState = ItemEffectEvent::coolingDown;
                if (effect->implements(Operation::endEffect))
                    effect->endEffect(event->startTime - mStageTime);
            }
            effect->cooldown(event->cooldownTime - mStageTime);
            break;
        case ItemEffectEvent::coolingDown:
            if (event->cooldownTime > mStageTime) {
                effect->cooldown(event->cooldownTime - mStageTime);
            } else {
                if (effect->implements(Operation::endCooldown))
                    effect->endCooldown();
                // An effect may have changed the timeline from its callback; remove
                // this very event wherever it now is.
                for (std::ptrdiff_t j = 0; j < std::ptrdiff_t(mTimeline.size()); ++j) {
                    if (mTimeline[std::size_t(j)] == event) {
                        mTimeline.erase(mTimeline.begin() + j);
                        if (j <= i)
                            --i;
                        break;
                    }
                }
            }
            break;
        default:
            break;
        }
    }
}

}
