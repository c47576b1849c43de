#include <base/Log.hpp>
#include <base/SharedInstance.hpp>
#include <foundation/NotificationCenter.hpp>

#include <atomic>
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
    registration->id = nextId_++;
    registrations_.push_back(std::move(registration));
    return registrations_.back()->id;
}

void NotificationCenter::removeObserver(void const* observer) {
    if (!observer)
        return;
    removeIf(
        [observer](Registration const& registration) { return registration.observer == observer; });
}

void NotificationCenter::removeObserver(
    void const* observer, std::string_view name, void const* sender) {
    if (!observer)
        return;
    removeIf([&](Registration const& registration) {
        return registration.observer == observer && (name.empty() || registration.name == name)
            && (!sender || registration.sender == sender);
    });
}

void NotificationCenter::removeRegistration(std::uint64_t id) {
    removeIf([id](Registration const& registration) { return registration.id == id; });
}

void NotificationCenter::removeAllObservers() {
    removeIf([](Registration const&) { return true; });
}

void NotificationCenter::removeIf(std::function<bool(Registration const&)> matches) {
    std::vector<std::shared_ptr<Registration>> removed;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(registrations_, [&](auto const& registration) {
            if (!matches(*registration))
                return false;
            registration->removed.store(true);
            removed.push_back(registration);
            return true;
        });
    }
    // removed goes here, outside the lock: a callback's captures may post or remove.
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
