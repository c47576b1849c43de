#include <base/Verify.hpp>
#include <foundation/Clock.hpp>

#include <chrono>

namespace foundation {

namespace {

// Seconds between the Unix epoch and 2001-01-01 00:00:00 UTC.
constexpr double referenceDateOffset = 978307200.0;

RealClock realClock;
std::atomic<Clock*> installed {nullptr};

}

Clock& Clock::current() {
    Clock* clock = installed.load(std::memory_order_acquire);
    return clock ? *clock : realClock;
}

void Clock::install(Clock* clock) {
    installed.store(clock, std::memory_order_release);
}

double RealClock::monotonic() const {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

double RealClock::wallTime() const {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count() - referenceDateOffset;
}

ManualClock::ManualClock()
    : monotonic_(1000.0)
    , wallTime_(1767225600.0 - referenceDateOffset) {
}

void ManualClock::advance(double seconds) {
    VERIFY(seconds >= 0);
    monotonic_.store(monotonic_.load() + seconds);
    wallTime_.store(wallTime_.load() + seconds);
}

}
