#pragma once

#include <cstddef>

namespace foundation {

// Marks work that a thread does on behalf of the main thread and will hand back to it (a reply
// fetched on a worker, say): made when the work starts, destroyed once its result has been
// posted to the main run loop. A headless run steps a manual clock as fast as the machine
// draws, so a reply would otherwise come after however many frames the machine's load
// allows; the program's runner waits for the marks (in real time, each for a while at most)
// before it moves the clock on, so that replies come at the same simulated moment in every
// run. Nothing else waits for them. Any thread; a mark may move to another thread.
class AwaitedWork {
public:
    AwaitedWork();
    ~AwaitedWork();
    AwaitedWork(AwaitedWork&& other) noexcept;
    AwaitedWork& operator=(AwaitedWork&& other) noexcept;
    AwaitedWork(AwaitedWork const&) = delete;
    AwaitedWork& operator=(AwaitedWork const&) = delete;

    // Ends the mark now (the destructor then does nothing).
    void finish();

    // Marks alive now.
    static std::size_t pending();
    // Waits until no mark made less than maxAge seconds of real time ago is alive (older ones
    // hold nothing back); false when it gave up on one, that is when one reached that age
    // while it was waited for.
    static bool waitForPending(double maxAge);

private:
    std::size_t id_ {0};
};

}
