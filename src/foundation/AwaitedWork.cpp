#include <foundation/AwaitedWork.hpp>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace foundation {

namespace {

using RealClock = std::chrono::steady_clock;

struct Marks {
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t nextId {1};
    // When each live mark was made, by id.
    std::map<std::size_t, RealClock::time_point> started;
};

Marks& marks() {
    static Marks instance;
    return instance;
}

}

AwaitedWork::AwaitedWork() {
    auto& all = marks();
    std::lock_guard lock(all.mutex);
    id_ = all.nextId++;
    all.started.emplace(id_, RealClock::now());
}

AwaitedWork::~AwaitedWork() {
    finish();
}

AwaitedWork::AwaitedWork(AwaitedWork&& other) noexcept
    : id_(std::exchange(other.id_, 0)) {
}

AwaitedWork& AwaitedWork::operator=(AwaitedWork&& other) noexcept {
    if (this != &other) {
        finish();
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void AwaitedWork::finish() {
    if (!id_)
        return;
    auto& all = marks();
    {
        std::lock_guard lock(all.mutex);
        all.started.erase(std::exchange(id_, 0));
    }
    all.finished.notify_all();
}

std::size_t AwaitedWork::pending() {
    auto& all = marks();
    std::lock_guard lock(all.mutex);
    return all.started.size();
}

bool AwaitedWork::waitForPending(double maxAge) {
    auto& all = marks();
    auto age = std::chrono::duration_cast<RealClock::duration>(
        std::chrono::duration<double>(maxAge > 0 ? maxAge : 0));
    std::unique_lock lock(all.mutex);
    bool gaveUp = false;
    while (true) {
        auto now = RealClock::now();
        // The youngest mark decides how long to wait; marks past the age are let go.
        std::optional<RealClock::time_point> deadline;
        for (auto const& [id, started] : all.started) {
            if (started + age > now && (!deadline || started + age > *deadline))
                deadline = started + age;
        }
        if (!deadline)
            break;
        if (all.finished.wait_until(lock, *deadline) == std::cv_status::timeout)
            gaveUp = true;
    }
    return !gaveUp;
}

}
