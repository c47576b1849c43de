#pragma once

#include <base/Object.hpp>

#include <functional>
#include <string>
#include <string_view>

namespace foundation {

// Delayed calls and calls handed to the main thread (the platform's delayed and
// cross-thread messages).

// Runs work on the calling thread's run loop after delay seconds, as a one-shot
// timer; a delay of 0 runs it on the loop's next pass, after the current event.
// target is retained until the call has run or is cancelled, so work may use it
// freely; it may be null (the call then cannot be cancelled per target).
void performAfterDelay(base::Object* target, std::function<void()> work, double delay);
// The same, named by selector and argument (compared by address) so that
// cancelPreviousPerformRequests can cancel it alone.
void performAfterDelay(base::Object* target, std::string selector, void const* argument,
    std::function<void()> work, double delay);

// Cancels every delayed call of target that is pending on the calling thread's loop.
void cancelPreviousPerformRequests(base::Object const* target);
// Cancels target's pending delayed calls with this selector and argument.
void cancelPreviousPerformRequests(
    base::Object const* target, std::string_view selector, void const* argument = nullptr);

// Runs work on the main thread. With waitUntilDone the caller blocks until it has
// run, and on the main thread it runs at once; without, it is queued on the main
// loop. A waiting caller is released, without the work having run, if the main
// loop drops the work (reset()).
void performOnMainThread(std::function<void()> work, bool waitUntilDone);

}
