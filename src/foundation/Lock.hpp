#pragma once

#include <mutex>

namespace foundation {

// A mutual-exclusion lock (the platform's locks), usable with std::lock_guard and
// std::unique_lock. tryLock takes the lock only when it is free: the way to skip
// work that another thread is already doing.
template<typename Mutex> class BasicLock {
public:
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }
    bool tryLock() { return mutex_.try_lock(); }
    // The standard spelling, for std::unique_lock and std::try_lock.
    bool try_lock() { return tryLock(); }

private:
    Mutex mutex_;
};

// Not re-entrant: a thread that holds it and locks it again deadlocks.
using Lock = BasicLock<std::mutex>;

// The thread holding it may take it again, and it is released after as many
// unlocks as locks (the platform's recursive lock, and the lock behind a
// synchronised block on a class).
using RecursiveLock = BasicLock<std::recursive_mutex>;

}
