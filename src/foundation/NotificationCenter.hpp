#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace foundation {

// A posted notification: its name, the object that posted it (compared by
// address only, never owned) and its user info.
class Notification {
public:
    Notification(std::string name, void const* object, base::Value userInfo = {})
        : name_(std::move(name))
        , object_(object)
        , userInfo_(std::move(userInfo)) { }

    std::string const& name() const { return name_; }
    void const* object() const { return object_; }
    base::Value const& userInfo() const { return userInfo_; }

private:
    std::string name_;
    void const* object_;
    base::Value userInfo_;
};

class NotificationCenter;

// Unregisters the observation it stands for when destroyed (or cancel()led), so
// an owner that keeps it as a member can never be called after it is gone.
// Movable, not copyable.
class ObservationToken {
public:
    ObservationToken() = default;
    ObservationToken(ObservationToken&& other) noexcept;
    ObservationToken& operator=(ObservationToken&& other) noexcept;
    ~ObservationToken();

    void cancel();
    explicit operator bool() const { return center_ != nullptr; }

private:
    friend class NotificationCenter;
    ObservationToken(base::Ref<NotificationCenter> center, std::uint64_t id);

    base::Ref<NotificationCenter> center_;
    std::uint64_t id_ {0};
};

// Hands notifications to the observers registered for them (the platform's
// notification centre). The default centre serves the whole program; create()
// makes independent ones (a subclass may add posting helpers of its own).
//
// Delivery is synchronous, on the posting thread, in registration order. An
// observer registered twice is called twice. The observers that a post calls are
// those registered when the post began: one added during a delivery is first
// called by the next post, and one removed during a delivery is not called after
// its removal. Registration and removal are safe from any thread; a removal does
// not wait for a call already under way on another thread.
//
// Observers are identified by address and never retained: an observer removes
// itself before it goes (removeObserver(this) in its destructor), or holds an
// ObservationToken.
class NotificationCenter : public base::Object {
public:
    using Callback = std::function<void(Notification const&)>;

    static NotificationCenter& defaultCenter();
    // Drops the default centre with its observers; the next defaultCenter() makes
    // a new, empty one. Tokens of the old one still cancel against it.
    static void resetDefaultCenter();
    static base::Ref<NotificationCenter> create();

    // Calls callback for notifications named name (every name when empty) posted
    // by sender (by anyone when null).
    void addObserver(
        void const* observer, std::string name, Callback callback, void const* sender = nullptr);
    // The same, without an observer address: the returned token unregisters it.
    [[nodiscard]] ObservationToken observe(
        std::string name, Callback callback, void const* sender = nullptr);

    // Removes every registration of observer.
    void removeObserver(void const* observer);
    // Removes observer's registrations for name (any name when empty) and sender
    // (any sender when null).
    void removeObserver(void const* observer, std::string_view name, void const* sender = nullptr);
    // Removes every registration: for tests between cases.
    void removeAllObservers();

    // Delivers a notification to the matching observers before returning. A post
    // without a name is a mistake of the caller: it is logged and delivered to nobody.
    void postNotification(
        std::string name, void const* sender = nullptr, base::Value userInfo = {});
    void postNotification(Notification const& notification);

protected:
    ~NotificationCenter() override;

private:
    friend class ObservationToken;

    struct Registration;

    std::uint64_t add(
        void const* observer, std::string name, Callback callback, void const* sender);
    using Registrations = std::list<std::shared_ptr<Registration>>;

    void removeRegistration(std::uint64_t id);
    // Unlinks one registration (under the lock), keeping it in removed so that it
    // is destroyed outside the lock. Leaves the observer's index to the caller.
    void unlink(Registrations::iterator at, std::vector<std::shared_ptr<Registration>>& removed);

    std::mutex mutex_;
    // In registration order, the order of delivery. The two indexes find a
    // registration by id and an observer's registrations (ids in registration
    // order) without walking the list, so removal costs the same however many
    // observers are registered.
    Registrations registrations_;
    std::unordered_map<std::uint64_t, Registrations::iterator> byId_;
    std::unordered_map<void const*, std::vector<std::uint64_t>> byObserver_;
    std::uint64_t nextId_ {1};

    friend base::Factory;

    NotificationCenter();
};

}
