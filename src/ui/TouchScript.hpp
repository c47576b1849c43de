#pragma once

#include <graphics/Event.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// A scripted play: finger presses, moves and lifts at frame numbers, one per line as
// "<frame> down|move|up <x> <y>", with x and y in points from the top-left of the screen,
// and key presses as "<frame> key <c>", c one printable ASCII character (upper case
// letters are taken as their key, lower case), and addresses handed to the application as the
// system hands it a link it opens, as "<frame> open <url>" (one word). Blank lines and lines
// starting with '#' are ignored.
// A touch at frame F happens once F frames have been drawn, so frame 0 comes before the first
// frame. Touches keep the file's order within a frame; the lines may come in any frame order. A
// plain value.
class TouchScript {
public:
    struct Step {
        enum class Kind { Touch, Key, OpenURL };

        std::uint64_t frame {0};
        graphics::PointerEvent::Phase phase {graphics::PointerEvent::Phase::Began};
        float x {0};
        float y {0};
        Kind kind {Kind::Touch};
        // For key steps: the key as graphics::KeyEvent names it.
        std::int32_t key {0};
        // For open steps: the address.
        std::string url {};

        bool operator==(Step const&) const = default;
    };

    // The script in text; std::nullopt and a message naming the line ("line 3: ...") for
    // anything that is not a step.
    static std::optional<TouchScript> parse(std::string_view text, std::string& error);
    // The script in a file; the message names the file and the line.
    static std::optional<TouchScript> read(std::filesystem::path const& path, std::string& error);

    std::vector<Step> const& steps() const { return steps_; }

    // The steps due once framesDrawn frames have been drawn that were not handed out yet,
    // in order.
    std::vector<Step> takeDue(std::uint64_t framesDrawn);
    bool finished() const { return next_ == steps_.size(); }

private:
    std::vector<Step> steps_;
    std::size_t next_ {0};
};

}
