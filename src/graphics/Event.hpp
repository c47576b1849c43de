#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace graphics {

// The mouse as a finger (or a scripted touch): one pointer, in points from the top-left of the
// surface, timestamps in seconds of the program's clock. Every press has a tap count: 1, or one
// more than the press before when it follows that one closely (see TapCounter). Moved and Ended
// carry the count of their press; Cancelled ends a press that will see no release (the window
// lost focus).
struct PointerEvent {
    enum class Phase { Began, Moved, Ended, Cancelled };

    Phase phase {Phase::Began};
    float x {0};
    float y {0};
    double timestamp {0};
    int tapCount {1};

    bool operator==(PointerEvent const&) const = default;
};

// A key pressed or released. key is the character for printable keys (lower case: 'a', '1',
// ' ') and one of the constants below for the others; 0 for keys the program has no name for.
struct KeyEvent {
    static constexpr std::int32_t Backspace = 8;
    static constexpr std::int32_t Tab = 9;
    static constexpr std::int32_t Return = 13;
    static constexpr std::int32_t Escape = 27;
    static constexpr std::int32_t Delete = 127;
    static constexpr std::int32_t Left = 0x110000;
    static constexpr std::int32_t Right = 0x110001;
    static constexpr std::int32_t Up = 0x110002;
    static constexpr std::int32_t Down = 0x110003;
    static constexpr std::int32_t Home = 0x110004;
    static constexpr std::int32_t End = 0x110005;

    bool down {true};
    std::int32_t key {0};
    bool repeat {false};
    double timestamp {0};

    bool operator==(KeyEvent const&) const = default;
};

// Text typed, in UTF-8, after the keyboard layout and input method had their say.
struct TextEvent {
    std::string text;

    bool operator==(TextEvent const&) const = default;
};

// The user asked to close the window (or the process was told to quit).
struct CloseEvent {
    bool operator==(CloseEvent const&) const = default;
};

using Event = std::variant<PointerEvent, KeyEvent, TextEvent, CloseEvent>;

}
