#pragma once

#include <graphics/Event.hpp>
#include <graphics/TapCounter.hpp>

#include <optional>

union SDL_Event;

namespace graphics {

// Turns raw input into the surface's events: SDL events of a window whose pixels are scale
// times its points, and pointer presses injected by scripts and tests, both through one press
// state and one tap counter. Only the left button acts as the finger; motion without a press,
// a release without a press and a second press while one is held are dropped, so the stream
// always reads Began, Moved..., Ended or Cancelled. Main thread.
class InputTranslator {
public:
    explicit InputTranslator(float scale = 1);

    // The event for an SDL event at timestamp seconds, or none for what the program ignores.
    std::optional<Event> translate(SDL_Event const& event, double timestamp);

    // A pointer event at (x, y) points, with its tap count; none when it does not fit the
    // press state (see the class comment).
    std::optional<PointerEvent> pointer(
        PointerEvent::Phase phase, float x, float y, double timestamp);

    bool isPressed() const { return pressed_; }

private:
    float scale_;
    TapCounter taps_;
    bool pressed_ {false};
    int tapCount_ {0};
    float lastX_ {0};
    float lastY_ {0};
};

}
