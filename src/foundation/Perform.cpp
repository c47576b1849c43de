#include <foundation/Perform.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace foundation {

namespace {

// What a caller of performOnMainThread waits on. Signalled when the work has run,
// or when the queued work is destroyed without running, so nobody waits for ever.
class Completion {
public:
    void signal() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return done_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ {false};
};

// Held only by the queued work: its destruction, run or not, releases the caller.
class SignalOnRelease {
public:
    explicit SignalOnRelease(std::shared_ptr<Completion> completion)
        : completion_(std::move(completion)) { }
    SignalOnRelease(SignalOnRelease const&) = delete;
    SignalOnRelease& operator=(SignalOnRelease const&) = delete;
    ~SignalOnRelease() { completion_->signal(); }

private:
    std::shared_ptr<Completion> completion_;
};

}

void performAfterDelay(base::Object* target, std::function<void()> work, double delay) {
    RunLoop::current().performAfterDelay(target, std::move(work), delay);
}

void performAfterDelay(base::Object* target, std::string selector, void const* argument,
    std::function<void()> work, double delay) {
    RunLoop::current().performAfterDelay(
        target, std::move(selector), argument, std::move(work), delay);
}

void cancelPreviousPerformRequests(base::Object const* target) {
    RunLoop::current().cancelPerformRequests(target);
}

void cancelPreviousPerformRequests(
    base::Object const* target, std::string_view selector, void const* argument) {
    RunLoop::current().cancelPerformRequests(target, selector, argument);
}

void performOnMainThread(std::function<void()> work, bool waitUntilDone) {
    if (!work)
        return;
    if (!waitUntilDone) {
        RunLoop::main().perform(std::move(work));
        return;
    }
    if (Thread::isMainThread()) {
        work();
        return;
    }
    auto completion = std::make_shared<Completion>();
    auto release = std::make_shared<SignalOnRelease>(completion);
    RunLoop::main().perform([work = std::move(work), release]() mutable {
        work();
        // Release the caller now rather than when the loop discards this call.
        release.reset();
    });
    release.reset();
    completion->wait();
}

}
