#pragma once

#include <graphics/Geometry.hpp>
#include <ui/Forward.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The program's application main: it makes the screen's drawing surface (an SDL window, or an
// off-screen buffer when asked to or when there is no display), tells the application's
// delegate that it launched and became active, runs the main run loop while feeding the
// window's and the script's touches to the key window, and at the end writes the last frame
// as a PNG when asked, resigns and terminates the application. The delegate builds the
// window and everything shown in it.
//
// Headless, and wherever a script plays, time comes from a manual clock that moves 1/60 s per
// step, so a run of N frames is deterministic and as fast as the machine draws; in a window the
// script's touches then move and press the window system's own pointer where it can (see
// Surface::playPointer). Otherwise in a window the real clock runs. In a window Escape or
// closing the window quits, and a frame count (when given) ends the run after that many
// frames. Either way a frame is one presentation of the screen's surface. Main thread.
class ApplicationRunner {
public:
    struct Options {
        // Off-screen even where a display exists.
        bool headless {false};
        // Frames to draw before quitting: 60 by default off-screen, no limit in a window.
        std::optional<std::uint64_t> frames;
        // Where to write the last frame: "quillaby.png" by default off-screen.
        std::optional<std::filesystem::path> screenshot;
        // Scripted touches (see TouchScript).
        std::optional<std::filesystem::path> script;
        // The tablet's 1024 x 768 screen instead of the phone's 480 x 320.
        bool ipad {false};
        // Pixels per point of the window (or the off-screen buffer).
        float scale {1};
        bool help {false};

        graphics::Size screenSize() const;
    };

    // Reads "--headless", "--frames N", "--screenshot FILE", "--script FILE", "--ipad",
    // "--scale N" and "--help" (values also as "--frames=N"); std::nullopt and a message for
    // anything else or a bad value.
    static std::optional<Options> parseArguments(
        std::vector<std::string> const& arguments, std::string& error);
    static std::string usage(std::string_view program);
    // Lines for options that the program reads before the runner sees the command line
    // (the process entry's own), shown by usage above "--help". Set before main.
    static void setProgramOptionsUsage(std::string lines);

    // Parses the command line, runs, and answers the exit status: 0 done, 1 failed (no
    // drawing surface, the screenshot not written, an exception nothing caught), 2 bad
    // arguments or script.
    static int main(int argc, char** argv, ApplicationDelegate& delegate);
    static int run(Options const& options, ApplicationDelegate& delegate);
};

}
