#pragma once

#include <cstddef>
#include <functional>

namespace foundation {

// Threads where the program has them: detached workers for uploads, pings and
// synchronous requests. A worker has its own RunLoop::current(), which it may
// run while it waits (for a synchronous request, say); it hands results back with
// RunLoop::main().perform() or performOnMainThread().
class Thread {
public:
    // Starts body on a new detached thread. An exception that leaves body is
    // logged and ends only that thread. Answers false, with a log line, when the
    // system cannot start a thread.
    static bool detach(std::function<void()> body);

    // Whether the caller runs on the process's main thread.
    static bool isMainThread();

    // Detached threads started and not yet finished (their thread-local state,
    // the run loop included, is gone once they count as finished).
    static std::size_t detachedThreadCount();
    // Waits up to timeoutSeconds of real time until every detached thread has
    // finished; answers whether they have. For tests and orderly shutdown.
    static bool waitForDetachedThreads(double timeoutSeconds);
};

}
