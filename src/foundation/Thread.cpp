#include <base/Log.hpp>
#include <foundation/Thread.hpp>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include <unistd.h>

namespace foundation {

namespace {

// The count of running detached threads. Never destroyed: a thread may still be
// signalling it while the process exits.
struct ThreadCount {
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t running = 0;
};

ThreadCount& threadCount() {
    union Immortal {
        ThreadCount count;
        Immortal()
            : count() { }
        ~Immortal() { }
    };
    static Immortal immortal;
    return immortal.count;
}

void threadFinished() {
    auto& count = threadCount();
    std::lock_guard lock(count.mutex);
    --count.running;
    count.changed.notify_all();
}

// The first thread-local object of a detached thread, so destroyed last: the
// thread counts as finished only once its run loop and other thread-local state
// are gone.
struct FinishedNotice {
    ~FinishedNotice() { threadFinished(); }
};

void runBody(std::function<void()>& body) {
    try {
        body();
    } catch (std::exception const& exception) {
        base::logLine(
            std::string("Thread: a detached thread ended with an exception: ") + exception.what());
    } catch (...) {
        base::logLine("Thread: a detached thread ended with an unknown exception");
    }
    body = nullptr;
}

}

bool Thread::detach(std::function<void()> body) {
    {
        auto& count = threadCount();
        std::lock_guard lock(count.mutex);
        ++count.running;
    }
    try {
        std::thread([body = std::move(body)]() mutable {
            thread_local FinishedNotice notice;
            runBody(body);
        }).detach();
    } catch (std::system_error const& error) {
        base::logLine(std::string("Thread: could not start a thread: ") + error.what());
        threadFinished();
        return false;
    }
    return true;
}

bool Thread::isMainThread() {
    // On Linux the main thread's id is the process id.
    static thread_local bool const isMain = gettid() == getpid();
    return isMain;
}

std::size_t Thread::detachedThreadCount() {
    auto& count = threadCount();
    std::lock_guard lock(count.mutex);
    return count.running;
}

bool Thread::waitForDetachedThreads(double timeoutSeconds) {
    auto& count = threadCount();
    std::unique_lock lock(count.mutex);
    double wait = std::clamp(timeoutSeconds, 0.0, 3600.0);
    return count.changed.wait_for(
        lock, std::chrono::duration<double>(wait), [&] { return count.running == 0; });
}

}
