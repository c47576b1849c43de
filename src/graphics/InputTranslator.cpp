#include <graphics/InputTranslator.hpp>

#include <base/Verify.hpp>

#include <SDL2/SDL.h>

namespace graphics {

namespace {

std::int32_t keyOf(SDL_Keycode code) {
    switch (code) {
    case SDLK_LEFT:
        return KeyEvent::Left;
    case SDLK_RIGHT:
        return KeyEvent::Right;
    case SDLK_UP:
        return KeyEvent::Up;
    case SDLK_DOWN:
        return KeyEvent::Down;
    case SDLK_HOME:
        return KeyEvent::Home;
    case SDLK_END:
        return KeyEvent::End;
    default:
        break;
    }
    // SDL names the keys that type a character by that character; the others carry a flag bit.
    if (code & SDLK_SCANCODE_MASK)
        return 0;
    return code;
}

}

InputTranslator::InputTranslator(float scale)
    : scale_(scale) {
    VERIFY(scale > 0);
}

std::optional<Event> InputTranslator::translate(SDL_Event const& event, double timestamp) {
    switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT)
            return std::nullopt;
        if (auto result = pointer(event.type == SDL_MOUSEBUTTONDOWN ? PointerEvent::Phase::Began
                                                                    : PointerEvent::Phase::Ended,
                float(event.button.x) / scale_, float(event.button.y) / scale_, timestamp))
            return *result;
        return std::nullopt;
    case SDL_MOUSEMOTION:
        if (auto result = pointer(PointerEvent::Phase::Moved, float(event.motion.x) / scale_,
                float(event.motion.y) / scale_, timestamp))
            return *result;
        return std::nullopt;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            if (auto result = pointer(PointerEvent::Phase::Cancelled, lastX_, lastY_, timestamp))
                return *result;
        }
        return std::nullopt;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return KeyEvent {event.type == SDL_KEYDOWN, keyOf(event.key.keysym.sym),
            event.key.repeat != 0, timestamp};
    case SDL_TEXTINPUT:
        return TextEvent {event.text.text};
    case SDL_QUIT:
        return CloseEvent {};
    default:
        return std::nullopt;
    }
}

std::optional<PointerEvent> InputTranslator::pointer(
    PointerEvent::Phase phase, float x, float y, double timestamp) {
    using Phase = PointerEvent::Phase;
    switch (phase) {
    case Phase::Began:
        if (pressed_)
            return std::nullopt;
        pressed_ = true;
        tapCount_ = taps_.press(x, y, timestamp);
        break;
    case Phase::Moved:
        if (!pressed_)
            return std::nullopt;
        taps_.move(x, y);
        break;
    case Phase::Ended:
    case Phase::Cancelled:
        if (!pressed_)
            return std::nullopt;
        pressed_ = false;
        if (phase == Phase::Ended)
            taps_.move(x, y);
        else
            taps_.reset();
        break;
    }
    lastX_ = x;
    lastY_ = y;
    return PointerEvent {phase, x, y, timestamp, tapCount_};
}

}
