#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

class Timer;

// The event loop of one thread: runs work posted to it (from any thread), fires
// its timers and delayed calls, and sleeps on a condition variable in between.
// The main thread's loop runs everything the program does on the main thread;
// every other thread gets its own loop on first use of current(), which dies
// with the thread. Code that posts to a loop from elsewhere and may outlive the
// loop's thread keeps a Ref<RunLoop>: posting to a loop whose thread has ended
// is safe, the work is simply never run.
//
// A turn of the loop (a pass) first runs the work queued when the pass began, in
// posting order, then the timers due when it began, by fire date and, at equal
// dates, in the order they were added. Work posted and timers made during a pass
// wait for the next pass, so a call deferred with a delay of 0 runs after the
// event that deferred it has finished, never inside it. Callbacks run without
// any lock held: they may post, add and invalidate timers, and run the loop
// again (a timer is never fired again inside its own callback).
//
// Time is Clock::current().monotonic(). Under a ManualClock, runFor() steps the
// clock from one fire date to the next, so tests simulate minutes at once; the
// waiting functions never wait for a manual clock to move by itself.
class RunLoop : public base::Object {
public:
    using Work = std::function<void()>;

    // The main thread's loop. It lives for the whole process.
    static RunLoop& main();
    // The calling thread's loop, made on first use; main() on the main thread.
    static RunLoop& current();

    // Queues work to run on this loop's thread and wakes the loop. Any thread.
    void perform(Work work);
    std::size_t pendingWorkCount() const;

    // Schedules timer on this loop (which then retains it) at its current fire
    // date. Adding an invalidated timer or one already here does nothing; a timer
    // belongs to one loop only. Any thread.
    void addTimer(base::Ref<Timer> timer);
    bool containsTimer(Timer const& timer) const;
    std::size_t timerCount() const;

    // Runs work on this loop once delay seconds have passed, as a one-shot timer.
    // target is retained until the call has run or is cancelled, as the platform
    // retains the target of a delayed message; it may be null, and then only
    // reset() cancels the call. selector and argument name the call for
    // cancelPerformRequests (argument is compared by address).
    void performAfterDelay(base::Object* target, Work work, double delay);
    void performAfterDelay(
        base::Object* target, std::string selector, void const* argument, Work work, double delay);
    // Cancels every pending delayed call of target on this loop.
    void cancelPerformRequests(base::Object const* target);
    // Cancels the pending delayed calls of target with this selector and argument.
    void cancelPerformRequests(
        base::Object const* target, std::string_view selector, void const* argument);

    // Runs passes until done() is true, stop() is called, or timeoutSeconds of real
    // time have passed (whatever clock is installed); sleeps between passes until
    // there is something to do. done() is asked after every pass and every 10 ms
    // of sleep, so another thread may meet it without posting to this loop.
    // Answers done() (false when stopped). A null done runs until the timeout or
    // stop().
    bool runUntil(std::function<bool()> done, double timeoutSeconds);
    // With a ManualClock installed: fires every timer due within the next seconds,
    // advancing the clock exactly to each fire date in turn, and ends with the clock
    // moved on by seconds. With the real clock: runs for that long in real time.
    void runFor(double seconds);
    // One pass without waiting; answers whether it ran anything.
    bool runPending();
    // The program's loop: runs until stop(), sleeping whenever nothing is due.
    void run();
    // Makes the innermost run(), runUntil() or runFor() of this loop return after
    // its current callback; with none running, the next one returns at once. Any
    // thread.
    void stop();

    // Invalidates every timer and delayed call and drops queued work, for tests
    // between cases (RunLoop::main().reset()).
    void reset();

protected:
    ~RunLoop() override;

private:
    friend class Timer;

    bool runPassAt(double now);
    // Sleeps until something may be due or maxSeconds of real time have passed.
    void waitForWork(double maxSeconds);
    bool consumeStop();
    // The earliest fire date later than after among timers not firing now.
    std::optional<double> earliestFireDateLocked(double after) const;
    void removeTimer(Timer& timer);
    void wakeLocked();
    void wake();
    void cancelMatching(std::function<bool(Timer const&)> matches);

    mutable std::mutex mutex_;
    std::condition_variable wakeUp_;
    std::deque<Work> work_;
    std::vector<base::Ref<Timer>> timers_;
    std::uint64_t nextOrder_ {0};
    // Bumped by everything that may give a sleeping loop something to do.
    std::uint64_t wakeCount_ {0};
    bool stopRequested_ {false};

    friend base::Factory;

    RunLoop();
};

}
