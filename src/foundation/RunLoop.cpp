#include <base/Log.hpp>
#include <base/Verify.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>
#include <foundation/Timer.hpp>

#include <algorithm>
#include <chrono>
#include <limits>

namespace foundation {

namespace {

// The longest single sleep; a loop with nothing due sleeps again after it.
constexpr double longestWait = 3600.0;

// How often runUntil() looks at its condition while nothing wakes the loop: the
// condition may be met by another thread that posts nothing to this loop.
constexpr double conditionCheckInterval = 0.01;

// Passes that runFor() makes at one instant of a manual clock before it moves
// the clock on anyway: work that keeps deferring itself with no delay would
// otherwise hold the simulated time still for ever.
constexpr int passesPerInstant = 10000;

thread_local base::Ref<RunLoop> threadLoop;

double realNow() {
    return RealClock().monotonic();
}

bool clockRunsByItself() {
    return dynamic_cast<RealClock*>(&Clock::current()) != nullptr;
}

}

RunLoop& RunLoop::main() {
    // Never destroyed: timers and work still held at exit may refer to other
    // process-wide objects that are already gone by then.
    static RunLoop* loop = base::make<RunLoop>().leak();
    return *loop;
}

RunLoop& RunLoop::current() {
    if (Thread::isMainThread())
        return main();
    if (!threadLoop)
        threadLoop = base::make<RunLoop>();
    return *threadLoop;
}

RunLoop::RunLoop() = default;

RunLoop::~RunLoop() {
    reset();
}

void RunLoop::perform(Work work) {
    if (!work)
        return;
    std::lock_guard lock(mutex_);
    work_.push_back(std::move(work));
    wakeLocked();
}

std::size_t RunLoop::pendingWorkCount() const {
    std::lock_guard lock(mutex_);
    return work_.size();
}

void RunLoop::addTimer(base::Ref<Timer> timer) {
    if (!timer || !timer->isValid())
        return;
    std::lock_guard lock(mutex_);
    if (timer->loop_.load() == this)
        return;
    VERIFY_MSG(timer->loop_.load() == nullptr, "A timer can be scheduled on one run loop only.");
    timer->order_ = nextOrder_++;
    timer->loop_.store(this);
    timers_.push_back(std::move(timer));
    wakeLocked();
}

bool RunLoop::containsTimer(Timer const& timer) const {
    std::lock_guard lock(mutex_);
    return timer.loop_.load() == this;
}

std::size_t RunLoop::timerCount() const {
    std::lock_guard lock(mutex_);
    return timers_.size();
}

void RunLoop::performAfterDelay(base::Object* target, Work work, double delay) {
    performAfterDelay(target, {}, nullptr, std::move(work), delay);
}

void RunLoop::performAfterDelay(
    base::Object* target, std::string selector, void const* argument, Work work, double delay) {
    base::Ref<base::Object> retainedTarget(target);
    auto timer = Timer::timer(
        delay,
        [retainedTarget, work = std::move(work)](Timer&) {
            if (work)
                work();
        },
        false);
    timer->request_ = Timer::PerformRequest {target, std::move(selector), argument};
    addTimer(std::move(timer));
}

void RunLoop::cancelPerformRequests(base::Object const* target) {
    if (!target)
        return;
    cancelMatching([target](Timer const& timer) {
        return timer.request_ && timer.request_->target == target;
    });
}

void RunLoop::cancelPerformRequests(
    base::Object const* target, std::string_view selector, void const* argument) {
    if (!target)
        return;
    cancelMatching([&](Timer const& timer) {
        auto const& request = timer.request_;
        return request && request->target == target && request->selector == selector
            && request->argument == argument;
    });
}

void RunLoop::cancelMatching(std::function<bool(Timer const&)> matches) {
    std::vector<base::Ref<Timer>> cancelled;
    {
        std::lock_guard lock(mutex_);
        for (auto const& timer : timers_) {
            if (matches(*timer))
                cancelled.push_back(timer);
        }
    }
    for (auto const& timer : cancelled)
        timer->invalidate();
}

bool RunLoop::runUntil(std::function<bool()> done, double timeoutSeconds) {
    auto isDone = [&] { return done && done(); };
    double deadline = realNow() + std::max(timeoutSeconds, 0.0);
    while (true) {
        if (isDone())
            return true;
        if (consumeStop())
            return false;
        runPassAt(Clock::current().monotonic());
        if (isDone())
            return true;
        if (consumeStop())
            return false;
        double remaining = deadline - realNow();
        if (remaining <= 0)
            return isDone();
        waitForWork(done ? std::min(remaining, conditionCheckInterval) : remaining);
    }
}

void RunLoop::runFor(double seconds) {
    if (!(seconds > 0))
        seconds = 0;
    auto* manual = dynamic_cast<ManualClock*>(&Clock::current());
    if (!manual) {
        runUntil(nullptr, seconds);
        return;
    }

    double end = manual->monotonic() + seconds;
    int passes = 0;
    bool warned = false;
    while (true) {
        if (consumeStop())
            return;
        runPassAt(manual->monotonic());
        // A callback may have moved the clock itself.
        double now = manual->monotonic();

        std::optional<double> next;
        bool dueNow;
        {
            std::lock_guard lock(mutex_);
            auto earliest = earliestFireDateLocked(-std::numeric_limits<double>::infinity());
            dueNow = !work_.empty() || (earliest && *earliest <= now);
            next = earliestFireDateLocked(now);
        }
        if (dueNow) {
            if (++passes < passesPerInstant)
                continue;
            if (!warned) {
                base::logLine("RunLoop: work keeps deferring itself at one instant; the clock "
                              "moves on");
                warned = true;
            }
        }
        passes = 0;
        if (now >= end)
            return;
        double target = next && *next <= end ? *next : end;
        manual->advance(target - now);
    }
}

bool RunLoop::runPending() {
    return runPassAt(Clock::current().monotonic());
}

void RunLoop::run() {
    while (true) {
        if (consumeStop())
            return;
        runPassAt(Clock::current().monotonic());
        if (consumeStop())
            return;
        waitForWork(longestWait);
    }
}

void RunLoop::stop() {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    wakeLocked();
}

void RunLoop::reset() {
    std::deque<Work> work;
    std::vector<base::Ref<Timer>> timers;
    {
        std::lock_guard lock(mutex_);
        work.swap(work_);
        timers.swap(timers_);
        for (auto const& timer : timers)
            timer->loop_.store(nullptr);
        stopRequested_ = false;
    }
    // Outside the lock: releasing a callback may run destructors that use this loop.
    for (auto const& timer : timers)
        timer->invalidate();
}

bool RunLoop::runPassAt(double now) {
    struct Due {
        double date;
        std::uint64_t order;
        base::Ref<Timer> timer;
    };
    std::deque<Work> work;
    std::vector<Due> due;
    {
        std::lock_guard lock(mutex_);
        work.swap(work_);
        for (auto const& timer : timers_) {
            double date = timer->fireDate();
            if (timer->isValid() && timer->firing_ == 0 && date <= now)
                due.push_back({date, timer->order_, timer});
        }
    }
    std::sort(due.begin(), due.end(), [](Due const& a, Due const& b) {
        return a.date != b.date ? a.date < b.date : a.order < b.order;
    });

    for (std::size_t i = 0; i < work.size(); ++i) {
        Work item = std::move(work[i]);
        try {
            item();
        } catch (...) {
            // The exception leaves the loop; the work queued behind it stays queued.
            std::lock_guard lock(mutex_);
            work_.insert(work_.begin(), std::make_move_iterator(work.begin() + i + 1),
                std::make_move_iterator(work.end()));
            throw;
        }
    }

    bool fired = false;
    for (auto const& entry : due) {
        auto const& timer = entry.timer;
        // An earlier callback of this pass may have moved, invalidated or taken
        // the timer off this loop.
        if (timer->loop_.load() != this || timer->fireDate() > now)
            continue;
        timer->fireNow(true, now);
        fired = true;
    }
    return fired || !work.empty();
}

void RunLoop::waitForWork(double maxSeconds) {
    std::unique_lock lock(mutex_);
    if (!work_.empty() || stopRequested_)
        return;
    double wait = maxSeconds;
    if (auto next = earliestFireDateLocked(-std::numeric_limits<double>::infinity())) {
        double now = Clock::current().monotonic();
        if (*next <= now)
            return;
        // A manual clock moves only when a test says so; nothing to wait for then.
        if (clockRunsByItself())
            wait = std::min(wait, *next - now);
    }
    wait = std::clamp(wait, 0.0, longestWait);
    std::uint64_t seen = wakeCount_;
    wakeUp_.wait_for(lock, std::chrono::duration<double>(wait), [&] { return wakeCount_ != seen; });
}

bool RunLoop::consumeStop() {
    std::lock_guard lock(mutex_);
    return std::exchange(stopRequested_, false);
}

std::optional<double> RunLoop::earliestFireDateLocked(double after) const {
    std::optional<double> earliest;
    for (auto const& timer : timers_) {
        if (!timer->isValid() || timer->firing_ > 0)
            continue;
        double date = timer->fireDate();
        if (date > after && (!earliest || date < *earliest))
            earliest = date;
    }
    return earliest;
}

void RunLoop::removeTimer(Timer& timer) {
    base::Ref<Timer> removed;
    {
        std::lock_guard lock(mutex_);
        if (timer.loop_.load() != this)
            return;
        timer.loop_.store(nullptr);
        auto it = std::find(timers_.begin(), timers_.end(), &timer);
        if (it != timers_.end()) {
            removed = std::move(*it);
            timers_.erase(it);
        }
        wakeLocked();
    }
}

void RunLoop::wakeLocked() {
    ++wakeCount_;
    wakeUp_.notify_all();
}

void RunLoop::wake() {
    std::lock_guard lock(mutex_);
    wakeLocked();
}

}
