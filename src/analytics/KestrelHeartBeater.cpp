#include <analytics/KestrelHeartBeater.hpp>

#include <foundation/NotificationCenter.hpp>

#include <base/WeakRef.hpp>

#include <mutex>

namespace analytics {

namespace {

std::mutex instanceMutex;
base::Ref<KestrelHeartBeater> sharedInstance;

}

base::Ref<KestrelHeartBeater> KestrelHeartBeater::createAndStartInstance(double interval) {
    std::lock_guard lock(instanceMutex);
    if (!sharedInstance) {
        sharedInstance = base::make<KestrelHeartBeater>();
        sharedInstance->start(interval);
    }
    return sharedInstance;
}

base::Ref<KestrelHeartBeater> KestrelHeartBeater::instance() {
    std::lock_guard lock(instanceMutex);
    return sharedInstance;
}

void KestrelHeartBeater::resetInstance() {
    base::Ref<KestrelHeartBeater> previous;
    std::lock_guard lock(instanceMutex);
    previous = std::exchange(sharedInstance, nullptr);
    if (previous && previous->timer_)
        previous->timer_->invalidate();
}

void KestrelHeartBeater::start(double interval) {
    if (timer_)
        timer_->invalidate();
    // The timer holds the beater weakly, so the instance's end stops it.
    base::WeakRef<KestrelHeartBeater> weak(this);
    timer_ = foundation::Timer::scheduledTimer(
        interval,
        [weak](foundation::Timer&) {
            if (auto beater = weak.strong())
                beater->heartBeat();
        },
        true);
}

void KestrelHeartBeater::heartBeat() {
    foundation::NotificationCenter::defaultCenter().postNotification(notificationName);
}

KestrelHeartBeater::~KestrelHeartBeater() {
    if (timer_)
        timer_->invalidate();
}

}
