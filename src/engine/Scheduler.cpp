#include <base/Exception.hpp>
#include <base/Log.hpp>
#include <base/SharedInstance.hpp>
#include <base/Verify.hpp>
#include <engine/Scheduler.hpp>

#include <algorithm>

namespace engine {

Scheduler& Scheduler::sharedScheduler() {
    return base::SharedInstance<Scheduler>::get();
}

void Scheduler::purgeSharedScheduler() {
    // Releasing the timers may destroy their targets, whose teardown may ask for
    // the scheduler again: reset() lets go of the instance before that.
    if (auto old = base::SharedInstance<Scheduler>::reset())
        old->unscheduleAllTimers();
}

Scheduler::Scheduler() {
    scheduledMethods.reserve(50);
    methodsToRemove.reserve(20);
    methodsToAdd.reserve(20);
}

Scheduler::~Scheduler() {
    unscheduleAllTimers();
}

void Scheduler::scheduleTimer(base::Ref<Timer> timer) {
    VERIFY_MSG(timer, "Argument must be non-nil");
    auto found = slots_.find(timer.get());
    if (found != slots_.end() && found->second.place == Place::PendingRemoval) {
        found->second.place = Place::Active;
        return;
    }
    if (found != slots_.end()) {
        base::logLine(
            "Scheduler.schedulerTimer: timer " + timer->description() + " already scheduled");
        throw base::Exception(
            "SchedulerTimerAlreadyScheduled", "Scheduler.scheduleTimer already scheduled");
    }
    timer->holdTarget();
    slots_.emplace(timer.get(), Slot {Place::PendingAdd, methodsToAdd.size()});
    methodsToAdd.push_back(std::move(timer));
}

void Scheduler::unscheduleTimer(Timer* timer) {
    VERIFY_MSG(timer, "Argument must be non-nil");
    auto found = slots_.find(timer);
    if (found != slots_.end() && found->second.place == Place::PendingAdd) {
        base::Ref<Timer> keep(timer);
        methodsToAdd[found->second.addIndex] = nullptr;
        slots_.erase(found);
        ++emptyAdds_;
        // A scheduler that is not ticked (a paused game) must not collect empty places.
        if (emptyAdds_ * 2 > methodsToAdd.size())
            compactPendingAdds();
        timer->releaseTarget();
        return;
    }
    if (found == slots_.end()) {
        base::logLine("Scheduler.unscheduleTimer: timer not scheduled");
        throw base::Exception("SchedulerTimerNotFound", "Scheduler.unscheduleTimer not found");
    }
    found->second.place = Place::PendingRemoval;
    methodsToRemove.emplace_back(timer);
}

void Scheduler::compactPendingAdds() {
    std::erase_if(methodsToAdd, [](auto const& t) { return !t; });
    for (std::size_t i = 0; i < methodsToAdd.size(); ++i)
        slots_.find(methodsToAdd[i].get())->second.addIndex = i;
    emptyAdds_ = 0;
}

void Scheduler::unscheduleAllTimers() {
    // Move everything out first: releasing a target may run code that schedules
    // again, and that must land in the emptied lists.
    auto active = std::move(scheduledMethods);
    auto adding = std::move(methodsToAdd);
    scheduledMethods.clear();
    methodsToAdd.clear();
    methodsToRemove.clear();
    slots_.clear();
    emptyAdds_ = 0;
    for (auto& timer : active)
        timer->releaseTarget();
    for (auto& timer : adding) {
        if (timer)
            timer->releaseTarget();
    }
}

void Scheduler::tick(float dt) {
    // A callback may purge the scheduler; stay alive until this tick ends.
    base::Ref<Scheduler> self(this);

    if (!methodsToRemove.empty()) {
        auto removing = std::move(methodsToRemove);
        methodsToRemove.clear();
        // Forget the timers still waiting for removal (a timer named twice, or
        // scheduled again since, is not), drop them from the active list in one
        // pass, and only then release their targets, whose teardown may call back.
        std::vector<Timer*> removed;
        for (auto& timer : removing) {
            auto found = slots_.find(timer.get());
            if (found != slots_.end() && found->second.place == Place::PendingRemoval) {
                slots_.erase(found);
                removed.push_back(timer.get());
            }
        }
        if (!removed.empty()) {
            std::erase_if(
                scheduledMethods, [this](auto const& t) { return !slots_.contains(t.get()); });
            for (auto* timer : removed)
                timer->releaseTarget();
        }
    }
    if (!methodsToAdd.empty()) {
        auto adding = std::move(methodsToAdd);
        methodsToAdd.clear();
        emptyAdds_ = 0;
        for (auto& timer : adding) {
            if (!timer)
                continue;
            slots_.find(timer.get())->second.place = Place::Active;
            scheduledMethods.push_back(std::move(timer));
        }
    }

    float scaled = timeScale_ == 1.0f ? dt : timeScale_ * dt;
    // Schedule and unschedule only touch the waiting lists, so the active list
    // cannot grow here; unscheduleAllTimers can empty it, which ends the loop.
    for (std::size_t i = 0; i < scheduledMethods.size(); ++i) {
        base::Ref<Timer> timer = scheduledMethods[i];
        timer->fire(scaled);
    }
}

bool Scheduler::isActive(Timer const* timer) const {
    auto found = slots_.find(timer);
    return found != slots_.end() && found->second.place != Place::PendingAdd;
}

bool Scheduler::isPendingAdd(Timer const* timer) const {
    auto found = slots_.find(timer);
    return found != slots_.end() && found->second.place == Place::PendingAdd;
}

bool Scheduler::isPendingRemoval(Timer const* timer) const {
    auto found = slots_.find(timer);
    return found != slots_.end() && found->second.place == Place::PendingRemoval;
}

bool Scheduler::isScheduled(Timer const* timer) const {
    auto found = slots_.find(timer);
    return found != slots_.end() && found->second.place != Place::PendingRemoval;
}

}
