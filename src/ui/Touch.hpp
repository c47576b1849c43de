#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Forward.hpp>

#include <vector>

namespace ui {

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

// One finger on the screen, from the moment it goes down until it lifts. The
// window keeps it and updates it in place on every event, as the platform does,
// so a handler may keep a touch and compare it by identity. Main thread only.
class Touch final : public base::Object {
public:
    static base::Ref<Touch> create(
        View* view, Window* window, graphics::Point windowLocation, int tapCount, double timestamp);

    TouchPhase phase() const { return phase_; }
    int tapCount() const { return tapCount_; }
    double timestamp() const { return timestamp_; }
    // The view the touch began in (the hit-test result), null once it is gone.
    View* view() const;
    Window* window() const;

    // The location in view's coordinates; null view means the window's.
    graphics::Point locationInView(View const* view) const;
    graphics::Point previousLocationInView(View const* view) const;

    // Moves the touch to a new window location, remembering the previous one.
    void update(TouchPhase phase, graphics::Point windowLocation, double timestamp);
    void setPhase(TouchPhase phase) { phase_ = phase; }
    void setTapCount(int tapCount) { tapCount_ = tapCount; }

private:
    base::WeakRef<View> view_;
    base::WeakRef<Window> window_;
    graphics::Point location_;
    graphics::Point previousLocation_;
    TouchPhase phase_ {TouchPhase::Began};
    int tapCount_ {1};
    double timestamp_ {0};

    friend base::Factory;

    Touch() = default;
};

// The set of touches handed to a responder. Ordered by the time each touch began,
// so enumeration and anyObject() are deterministic.
class TouchSet {
public:
    TouchSet() = default;
    explicit TouchSet(std::vector<base::Ref<Touch>> touches)
        : touches_(std::move(touches)) { }

    std::size_t count() const { return touches_.size(); }
    bool empty() const { return touches_.empty(); }
    Touch* anyObject() const { return touches_.empty() ? nullptr : touches_.front().get(); }
    bool contains(Touch const* touch) const;
    void add(base::Ref<Touch> touch);
    void remove(Touch const* touch);

    std::vector<base::Ref<Touch>> const& allObjects() const { return touches_; }
    auto begin() const { return touches_.begin(); }
    auto end() const { return touches_.end(); }

private:
    std::vector<base::Ref<Touch>> touches_;
};

// A touch event: every touch currently on the screen, with the time it happened.
class Event final : public base::Object {
public:
    static base::Ref<Event> create(TouchSet allTouches, double timestamp);

    TouchSet const& allTouches() const { return allTouches_; }
    TouchSet touchesForView(View const* view) const;
    TouchSet touchesForWindow(Window const* window) const;
    double timestamp() const { return timestamp_; }

private:
    TouchSet allTouches_;
    double timestamp_ {0};

    friend base::Factory;

    Event() = default;
};

}
