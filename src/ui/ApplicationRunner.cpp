#include <ui/ApplicationRunner.hpp>
#include <ui/Device.hpp>

#include <base/Allocator.hpp>
#include <base/Exception.hpp>
#include <foundation/AwaitedWork.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Timer.hpp>
#include <graphics/Surface.hpp>
#include <ui/Application.hpp>
#include <ui/Screen.hpp>
#include <ui/TouchScript.hpp>
#include <ui/Window.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <type_traits>
#include <variant>

namespace ui {

namespace {

constexpr double framePeriod = 1.0 / 60;
// Off-screen, steps of play without a single new frame after which the run gives up (the
// scene stopped its director): ten seconds of play.
constexpr std::uint64_t idleStepLimit = 600;
// Off-screen, how long (in real time) work that other threads do for the main thread may hold
// the simulated clock back before play goes on without it.
constexpr double awaitedWorkLimit = 10;
// How often the window's events are read.
constexpr double pollInterval = 1.0 / 240;
constexpr float largestScale = 8;

TouchPhase touchPhase(graphics::PointerEvent::Phase phase) {
    switch (phase) {
    case graphics::PointerEvent::Phase::Began:
        return TouchPhase::Began;
    case graphics::PointerEvent::Phase::Moved:
        return TouchPhase::Moved;
    case graphics::PointerEvent::Phase::Ended:
        return TouchPhase::Ended;
    case graphics::PointerEvent::Phase::Cancelled:
        return TouchPhase::Cancelled;
    }
    return TouchPhase::Cancelled;
}

// One run of the program: the screen's surface, the script, and the frame and quit state.
class Session {
public:
    Session(graphics::Surface& surface, std::optional<TouchScript> script)
        : surface_(surface)
        , script_(std::move(script)) { }

    std::uint64_t framesDrawn() const { return surface_.presentedFrames(); }
    bool quitRequested() const { return quit_; }

    // Hands the script's due touches and the window's events to the key window, and lays the
    // window out.
    void pump() {
        auto now = foundation::Clock::current().monotonic();
        if (script_) {
            for (auto const& step : script_->takeDue(framesDrawn())) {
                if (step.kind == TouchScript::Step::Kind::Key)
                    pressKey(step.key, now);
                else if (step.kind == TouchScript::Step::Kind::OpenURL)
                    Application::sharedApplication().openURL(step.url);
                else
                    surface_.playPointer(step.phase, step.x, step.y, now);
            }
        }
        for (auto& event : surface_.pollEvents())
            std::visit([this](auto const& e) { handle(e); }, event);
        if (auto* window = Application::sharedApplication().keyWindow())
            window->layoutIfNeeded();
    }

private:
    // A scripted key goes the way a typed one does: press, then release.
    void pressKey(std::int32_t key, double now) {
        handle(graphics::KeyEvent {true, key, false, now});
        handle(graphics::KeyEvent {false, key, false, now});
    }

    void handle(graphics::PointerEvent const& event) {
        auto* window = Application::sharedApplication().keyWindow();
        if (!window)
            return;
        base::Ref<Window> keep(window);
        window->injectTouch(
            touchPhase(event.phase), {event.x, event.y}, event.tapCount, event.timestamp);
    }
    void handle(graphics::KeyEvent const& event) {
        if (event.down && event.key == graphics::KeyEvent::Escape)
            quit_ = true;
        else
            Application::sharedApplication().sendKeyEvent(event);
    }
    void handle(graphics::TextEvent const& event) {
        Application::sharedApplication().sendTextEvent(event);
    }
    void handle(graphics::CloseEvent const&) { quit_ = true; }

    graphics::Surface& surface_;
    std::optional<TouchScript> script_;
    bool quit_ {false};
};

// Steps of 1/60 s of simulated time, as fast as the machine draws.
void runStepped(Session& session, std::uint64_t frames) {
    std::uint64_t idleSteps = 0;
    while (session.framesDrawn() < frames) {
        session.pump();
        if (session.quitRequested())
            return;
        auto before = session.framesDrawn();
        // Replies on their way come before the clock moves, however loaded the machine.
        if (!foundation::AwaitedWork::waitForPending(awaitedWorkLimit))
            std::fprintf(stderr,
                "quillaby: work for the main thread took over %g seconds; play goes on\n",
                awaitedWorkLimit);
        foundation::RunLoop::main().runFor(framePeriod);
        idleSteps = session.framesDrawn() == before ? idleSteps + 1 : 0;
        if (idleSteps >= idleStepLimit) {
            std::fprintf(stderr,
                "quillaby: nothing was drawn for %g seconds of play; stopping after %llu "
                "frames\n",
                double(idleStepLimit) * framePeriod,
                static_cast<unsigned long long>(session.framesDrawn()));
            return;
        }
    }
}

void runWindow(Session& session, std::optional<std::uint64_t> frames) {
    auto& loop = foundation::RunLoop::main();
    auto poller = foundation::Timer::scheduledTimer(
        pollInterval,
        [&session, &loop, frames](foundation::Timer&) {
            session.pump();
            if (session.quitRequested() || (frames && session.framesDrawn() >= *frames))
                loop.stop();
        },
        true);
    loop.run();
    poller->invalidate();
}

// The screen shows no alpha, so neither does its picture.
bool writeScreenshot(graphics::Surface& surface, std::filesystem::path const& path) {
    if (!graphics::GLContext::setCurrentContext(&surface.context())) {
        std::fprintf(stderr, "quillaby: the screen's context cannot be made current\n");
        return false;
    }
    auto image = surface.readPixels();
    if (!image) {
        std::fprintf(stderr, "quillaby: the last frame cannot be read\n");
        return false;
    }
    auto pixels = std::vector<std::uint8_t>(image->pixels().begin(), image->pixels().end());
    for (std::size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 255;
    graphics::Image opaque(image->width(), image->height(), graphics::Image::Format::RGBA8,
        graphics::AlphaInfo::NoneSkipLast, std::move(pixels));
    if (!opaque.writePNG(path)) {
        std::fprintf(stderr, "quillaby: %s cannot be written\n", path.string().c_str());
        return false;
    }
    std::printf("quillaby: wrote %s (%d x %d pixels)\n", path.string().c_str(), opaque.width(),
        opaque.height());
    return true;
}

bool parseCount(std::string const& text, std::uint64_t& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value > 0;
}

bool parseScale(std::string const& text, float& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value)
        && value > 0 && value <= largestScale;
}

}

graphics::Size ApplicationRunner::Options::screenSize() const {
    return ipad ? graphics::makeSize(1024, 768) : graphics::makeSize(480, 320);
}

std::optional<ApplicationRunner::Options> ApplicationRunner::parseArguments(
    std::vector<std::string> const& arguments, std::string& error) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (auto equals = name.find('='); name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        bool takesValue = name == "--frames" || name == "--screenshot" || name == "--script"
            || name == "--scale";
        if (takesValue && !value) {
            if (i + 1 == arguments.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            value = arguments[++i];
        }
        if (!takesValue && value) {
            error = name + " takes no value";
            return std::nullopt;
        }
        if (name == "--headless") {
            options.headless = true;
        } else if (name == "--ipad") {
            options.ipad = true;
        } else if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--frames") {
            std::uint64_t frames = 0;
            if (!parseCount(*value, frames)) {
                error = "--frames needs a whole number above 0, not \"" + *value + "\"";
                return std::nullopt;
            }
            options.frames = frames;
        } else if (name == "--scale") {
            if (!parseScale(*value, options.scale)) {
                error = "--scale needs a number above 0 and at most 8, not \"" + *value + "\"";
                return std::nullopt;
            }
        } else if (name == "--screenshot" || name == "--script") {
            if (value->empty()) {
                error = name + " needs a file name";
                return std::nullopt;
            }
            (name == "--screenshot" ? options.screenshot : options.script) = *value;
        } else {
            error = "unknown option \"" + arguments[i] + "\"";
            return std::nullopt;
        }
    }
    return options;
}

namespace {

std::string& programOptionsUsage() {
    static std::string lines;
    return lines;
}

}

void ApplicationRunner::setProgramOptionsUsage(std::string lines) {
    programOptionsUsage() = std::move(lines);
}

std::string ApplicationRunner::usage(std::string_view program) {
    return "Usage: " + std::string(program)
        + " [options]\n"
          "  --headless          draw off-screen (the default without a display)\n"
          "  --frames N          quit after N frames (off-screen: 60 unless given)\n"
          "  --screenshot FILE   write the last frame as a PNG (off-screen: quillaby.png)\n"
          "  --script FILE       play touches from FILE: \"<frame> down|move|up <x> <y>\" "
          "lines,\n"
          "                      points from the top-left, after that many frames; play\n"
          "                      runs on simulated time, and in a window the touches move\n"
          "                      and press the real mouse pointer\n"
          "  --ipad              the 1024 x 768 tablet screen instead of 480 x 320\n"
          "  --scale N           N pixels per point (a larger window)\n"
        + programOptionsUsage()
        + "  --help              this text\n"
          "In a window the mouse is the finger; Escape or closing the window quits.\n";
}

int ApplicationRunner::main(int argc, char** argv, ApplicationDelegate& delegate) {
    base::pinAllocatorThresholds();
    std::string program = argc > 0 && argv[0] ? argv[0] : "quillaby";
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string error;
    auto options = parseArguments(arguments, error);
    if (!options) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), error.c_str(), usage(program).c_str());
        return 2;
    }
    if (options->help) {
        std::printf("%s", usage(program).c_str());
        return 0;
    }
    try {
        return run(*options, delegate);
    } catch (base::Exception const& exception) {
        std::fprintf(stderr, "quillaby: terminating on an uncaught exception %s: %s\n",
            exception.name().c_str(), exception.reason().c_str());
    } catch (std::exception const& exception) {
        std::fprintf(
            stderr, "quillaby: terminating on an uncaught exception: %s\n", exception.what());
    }
    return 1;
}

int ApplicationRunner::run(Options const& options, ApplicationDelegate& delegate) {
    std::optional<TouchScript> script;
    if (options.script) {
        std::string error;
        script = TouchScript::read(*options.script, error);
        if (!script) {
            std::fprintf(stderr, "quillaby: %s\n", error.c_str());
            return 2;
        }
    }

    Device::currentDevice().setUserInterfaceIdiom(
        options.ipad ? Device::Idiom::Pad : Device::Idiom::Phone);
    auto size = options.screenSize();
    graphics::SurfaceOptions surfaceOptions;
    surfaceOptions.widthPoints = int(size.width);
    surfaceOptions.heightPoints = int(size.height);
    surfaceOptions.scale = options.scale;
    surfaceOptions.title = "Quillaby";

    auto kind = graphics::Surface::chooseSurface(options.headless);
    base::Ref<graphics::Surface> surface;
    if (kind == graphics::SurfaceKind::Window) {
        surface = graphics::Surface::createWindow(surfaceOptions);
        if (!surface) {
            std::fprintf(stderr, "quillaby: no window could be opened; drawing off-screen\n");
            kind = graphics::SurfaceKind::Headless;
        }
    } else if (!options.headless) {
        std::printf("quillaby: no display; drawing off-screen\n");
    }
    bool headless = kind == graphics::SurfaceKind::Headless;
    if (headless)
        surface = graphics::Surface::createHeadless(surfaceOptions);
    if (!surface) {
        std::fprintf(stderr, "quillaby: no drawing surface could be made\n");
        return 1;
    }

    // Off-screen, and wherever a script plays, play runs on simulated time from before the
    // application launches, so that a script's frames come at the same moments of play in a
    // window as off-screen.
    bool stepped = headless || script;
    std::optional<foundation::ScopedManualClock> manualClock;
    if (stepped)
        manualClock.emplace();

    auto frames = options.frames;
    auto screenshot = options.screenshot;
    if (headless) {
        frames = frames.value_or(60);
        if (!screenshot)
            screenshot = "quillaby.png";
    }

    auto& application = Application::sharedApplication();
    auto& screen = Screen::mainScreen();
    screen.setSurface(surface);
    application.setDelegate(&delegate);
    struct Teardown {
        Application& application;
        Screen& screen;
        ~Teardown() {
            application.setDelegate(nullptr);
            screen.setSurface(nullptr);
        }
    } teardown {application, screen};

    application.finishLaunching();
    application.becomeActive();

    Session session(*surface, std::move(script));
    if (stepped)
        runStepped(session, frames.value_or(std::numeric_limits<std::uint64_t>::max()));
    else
        runWindow(session, frames);

    int status = 0;
    if (screenshot && !writeScreenshot(*surface, *screenshot))
        status = 1;
    application.resignActive();
    application.terminate();
    return status;
}

}
