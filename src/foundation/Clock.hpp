#pragma once

#include <atomic>

namespace foundation {

// Where the program reads time. The game uses the real clock; tests install a
// ManualClock and advance it, so frame loops, timers and whole salon days run
// deterministically without sleeping. Install a clock before other threads start.
class Clock {
public:
    virtual ~Clock() = default;

    // Seconds on a steady clock that never goes back: timers, frame times, time-outs.
    virtual double monotonic() const = 0;
    // Seconds since 2001-01-01 00:00:00 UTC, the platform's reference date: dates,
    // time stamps written to saves and reports.
    virtual double wallTime() const = 0;

    // The installed clock, the real one unless a test installed another.
    static Clock& current();
    // Installs clock (not owned; it must outlive its use); null restores the real clock.
    static void install(Clock* clock);
};

class RealClock final : public Clock {
public:
    double monotonic() const override;
    double wallTime() const override;
};

// A clock that moves only when told. Both readings advance together. Reading is
// safe from any thread; advancing is for the test's thread.
class ManualClock final : public Clock {
public:
    // Starts at monotonic 1000 s and at 2026-01-01 00:00:00 UTC on the wall.
    ManualClock();

    double monotonic() const override { return monotonic_.load(); }
    double wallTime() const override { return wallTime_.load(); }

    void advance(double seconds);
    void setWallTime(double secondsSince2001) { wallTime_.store(secondsSince2001); }

private:
    std::atomic<double> monotonic_;
    std::atomic<double> wallTime_;
};

// Installs a manual clock for the lifetime of a scope (a test).
class ScopedManualClock {
public:
    ScopedManualClock() { Clock::install(&clock_); }
    ~ScopedManualClock() { Clock::install(nullptr); }
    ScopedManualClock(ScopedManualClock const&) = delete;
    ScopedManualClock& operator=(ScopedManualClock const&) = delete;

    ManualClock& clock() { return clock_; }
    ManualClock* operator->() { return &clock_; }

private:
    ManualClock clock_;
};

}
