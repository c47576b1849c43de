#include <base/Log.hpp>
#include <base/SharedInstance.hpp>
#include <foundation/NotificationCenter.hpp>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <utility>

namespace foundation {

struct NotificationCenter::Registration {
    std::uint64_t id;
    void const* observer;
    std::string name;
    void const* sender;
    Callback callback;
    // Set on removal, so that a delivery already holding the registration skips it.
    std::atomic<bool> removed {false};

    bool matches(Notification const& notification) const {
        return (name.empty() || name == notification.name())
            && (!sender || sender == notification.object());
    }
};

ObservationToken::ObservationToken(base::Ref<NotificationCenter> center, std::uint64_t id)
    : center_(std::move(center))
    , id_(id) {
}

ObservationToken::ObservationToken(ObservationToken&& other) noexcept
    : center_(std::move(other.center_))
    , id_(std::exchange(other.id_, 0)) {
}

ObservationToken& ObservationToken::operator=(ObservationToken&& other) noexcept {
    if (this != &other) {
        cancel();
        center_ = std::move(other.center_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

ObservationToken::~ObservationToken() {
    cancel();
}

void ObservationToken::cancel() {
    if (!center_)
        return;
    auto id = std::exchange(id_, 0);
    auto center = std::move(center_);
    center->removeRegistration(id);
}

NotificationCenter& NotificationCenter::defaultCenter() {
    // Not destroyed at exit: observers may still be removed while the program exits.
    return base::SharedInstance<NotificationCenter>::get();
}

void NotificationCenter::resetDefaultCenter() {
    base::SharedInstance<NotificationCenter>::reset();
}

base::Ref<NotificationCenter> NotificationCenter::create() {
    return base::make<NotificationCenter>();
}

NotificationCenter::NotificationCenter() = default;

NotificationCenter::~NotificationCenter() = default;

void NotificationCenter::addObserver(
    void const* observer, std::string name, Callback callback, void const* sender) {
    add(observer, std::move(name), std::move(callback), sender);
}

ObservationToken NotificationCenter::observe(
    std::string name, Callback callback, void const* sender) {
    auto id = add(nullptr, std::move(name), std::move(callback), sender);
    return ObservationToken(base::Ref<NotificationCenter>(this), id);
}

std::uint64_t NotificationCenter::add(
    void const* observer, std::string name, Callback callback, void const* sender) {
    auto registration = std::make_shared<Registration>();
    registration->observer = observer;
    registration->name = std::move(name);
    registration->sender = sender;
    registration->callback = std::move(callback);
    std::lock_guard lock(mutex_);
    auto id = nextId_++;
    registration->id = id;
    registrations_.push_back(std::move(registration));
    byId_.emplace(id, std::prev(registrations_.end()));
    if (observer)
        byObserver_[observer].push_back(id);
    return id;
}

void NotificationCenter::unlink(
    Registrations::iterator at, std::vector<std::shared_ptr<Registration>>& removed) {
    auto& registration = *at;
    registration->removed.store(true);
    byId_.erase(registration->id);
    removed.push_back(std::move(registration));
    registrations_.erase(at);
}

void NotificationCenter::removeObserver(void const* observer) {
    if (!observer)
        return;
    std::vector<std::shared_ptr<Registration>> removed;
    {
        std::lock_guard lock(mutex_);
        auto found = byObserver_.find(observer);
        if (found == byObserver_.end())
            return;
        for (auto id : found->second)
            unlink(byId_.at(id), removed);
        byObserver_.erase(found);
    }
    // removed goes here, outside the lock: a callback's captures may post or remove.
}

void NotificationCenter::removeObserver(
    void const* observer, std::string_view name, void const* sender) {
    if (!observer)
        return;
    std::vector<std::shared_ptr<Registration>> removed;
    {
        std::lock_guard lock(mutex_);
        auto found = byObserver_.find(observer);
        if (found == byObserver_.end())
            return;
        std::erase_if(found->second, [&](std::uint64_t id) {
            auto at = byId_.at(id);
            auto const& registration = **at;
            if ((!name.empty() && registration.name != name)
                || (sender && registration.sender != sender))
                return false;
            unlink(at, removed);
            return true;
        });
        if (found->second.empty())
            byObserver_.erase(found);
    }
}

void NotificationCenter::removeRegistration(std::uint64_t id) {
    std::vector<std::shared_ptr<Registration>> removed;
    {
        std::lock_guard lock(mutex_);
        auto found = byId_.find(id);
        if (found == byId_.end())
            return;
        if (auto observer = (*found->second)->observer) {
            auto ids = byObserver_.find(observer);
            std::erase(ids->second, id);
            if (ids->second.empty())
                byObserver_.erase(ids);
        }
        unlink(found->second, removed);
    }
}

void NotificationCenter::removeAllObservers() {
    Registrations removed;
    {
        std::lock_guard lock(mutex_);
        for (auto& registration : registrations_)
            registration->removed.store(true);
        removed.swap(registrations_);
        byId_.clear();
        byObserver_.clear();
    }
}

void NotificationCenter::postNotification(
    std::string name, void const* sender, base::Value userInfo) {
    postNotification(Notification(std::move(name), sender, std::move(userInfo)));
}

void NotificationCenter::postNotification(Notification const& notification) {
    if (notification.name().empty()) {
        base::logLine("NotificationCenter: a notification without a name was posted to nobody");
        return;
    }
    base::Ref<NotificationCenter> keep(this);
    std::vector<std::shared_ptr<Registration>> receivers;
    {
        std::lock_guard lock(mutex_);
        for (auto const& registration : registrations_) {
            if (registration->matches(notification))
                receivers.push_back(registration);
        }
    }
    for (auto const& registration : receivers) {
        if (!registration->removed.load() && registration->callback)
            registration->callback(notification);
    }
}

}
