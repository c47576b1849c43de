#include <analytics/KestrelSession.hpp>

#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>

#include <mutex>
#include <optional>

namespace analytics {

namespace {

std::mutex currentSessionMutex;
base::Ref<KestrelSession> currentSessionRef;

std::mutex pageViewMutex;
// Monotonic seconds of the last counted page view, for the whole process.
std::optional<double> lastPageViewTime;

}

KestrelSession::KestrelSession(std::string apiKey, std::string appVersion)
    : apiKey_(std::move(apiKey))
    , appVersion_(std::move(appVersion)) {
}

base::Ref<KestrelSession> KestrelSession::initWithAPIKey(
    std::string apiKey, std::string appVersion) {
    return base::make<KestrelSession>(std::move(apiKey), std::move(appVersion));
}

base::Ref<KestrelSession> KestrelSession::currentSession() {
    std::lock_guard lock(currentSessionMutex);
    return currentSessionRef;
}

void KestrelSession::setCurrentSession(base::Ref<KestrelSession> session) {
    base::Ref<KestrelSession> previous;
    {
        std::lock_guard lock(currentSessionMutex);
        previous = std::exchange(currentSessionRef, std::move(session));
    }
    // The previous session is released outside the lock.
}

void KestrelSession::maybeIncrementPageView() {
    double now = foundation::Clock::current().monotonic();
    std::lock_guard lock(pageViewMutex);
    if (lastPageViewTime && now - *lastPageViewTime <= minimumPageViewInterval)
        return;
    pageViewCount_.fetch_add(1);
    lastPageViewTime = now;
}

void KestrelSession::resetPageViewTime() {
    std::lock_guard lock(pageViewMutex);
    lastPageViewTime.reset();
}

std::string KestrelSession::description() const {
    return foundation::format("<KestrelSession: %p>", static_cast<void const*>(this));
}

}
