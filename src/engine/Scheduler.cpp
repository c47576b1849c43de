#include <base/Exception.hpp>
#include <base/Log.hpp>
#include <base/SharedInstance.hpp>
#include <base/Verify.hpp>
#include <engine/Scheduler.hpp>

#include <algorithm>

namespace engine {

namespace {

bool holds(std::vector<base::Ref<Timer>> const& list, Timer const* timer) {
    return std::any_of(
        list.begin(), list.end(), [timer](auto const& t) { return t.get() == timer; });
}

void eraseAll(std::vector<base::Ref<Timer>>& list, Timer const* timer) {
    std::erase_if(list, [timer](auto const& t) { return t.get() == timer; });
}

}

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
    if (holds(methodsToRemove, timer.get())) {
        eraseAll(methodsToRemove, timer.get());
        return;
    }
    if (holds(scheduledMethods, timer.get()) || holds(methodsToAdd, timer.get())) {
        base::logLine(
            "Scheduler.schedulerTimer: timer " + timer->description() + " already scheduled");
        throw base::Exception(
            "SchedulerTimerAlreadyScheduled", "Scheduler.scheduleTimer already scheduled");
    }
    timer->holdTarget();
    methodsToAdd.push_back(std::move(timer));
}

void Scheduler::unscheduleTimer(Timer* timer) {
    VERIFY_MSG(timer, "Argument must be non-nil");
    if (holds(methodsToAdd, timer)) {
        base::Ref<Timer> keep(timer);
        eraseAll(methodsToAdd, timer);
        timer->releaseTarget();
        return;
    }
    if (!holds(scheduledMethods, timer)) {
        base::logLine("Scheduler.unscheduleTimer: timer not scheduled");
        throw base::Exception("SchedulerTimerNotFound", "Scheduler.unscheduleTimer not found");
    }
    methodsToRemove.emplace_back(timer);
}

void Scheduler::unscheduleAllTimers() {
    // Move everything out first: releasing a target may run code that schedules
    // again, and that must land in the emptied lists.
    auto active = std::move(scheduledMethods);
    auto adding = std::move(methodsToAdd);
    scheduledMethods.clear();
    methodsToAdd.clear();
    methodsToRemove.clear();
    for (auto& timer : active)
        timer->releaseTarget();
    for (auto& timer : adding)
        timer->releaseTarget();
}

void Scheduler::tick(float dt) {
    // A callback may purge the scheduler; stay alive until this tick ends.
    base::Ref<Scheduler> self(this);

    if (!methodsToRemove.empty()) {
        auto removing = std::move(methodsToRemove);
        methodsToRemove.clear();
        for (auto& timer : removing) {
            if (holds(scheduledMethods, timer.get())) {
                eraseAll(scheduledMethods, timer.get());
                timer->releaseTarget();
            }
        }
    }
    if (!methodsToAdd.empty()) {
        auto adding = std::move(methodsToAdd);
        methodsToAdd.clear();
        for (auto& timer : adding)
            scheduledMethods.push_back(std::move(timer));
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
    return holds(scheduledMethods, timer);
}

bool Scheduler::isPendingAdd(Timer const* timer) const {
    return holds(methodsToAdd, timer);
}

bool Scheduler::isPendingRemoval(Timer const* timer) const {
    return holds(methodsToRemove, timer);
}

bool Scheduler::isScheduled(Timer const* timer) const {
    return isPendingAdd(timer) || (isActive(timer) && !isPendingRemoval(timer));
}

}
