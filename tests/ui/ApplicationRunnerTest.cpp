#include <foundation/AwaitedWork.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Timer.hpp>
#include <support/GLFixture.hpp>
#include <support/TempDir.hpp>
#include <ui/Application.hpp>
#include <ui/ApplicationRunner.hpp>
#include <ui/Screen.hpp>
#include <ui/Touch.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using ui::ApplicationRunner;

namespace {

// Notes every touch phase with its location and the frames drawn by then.
class TouchView final : public ui::View {
public:
    using View::View;

    void touchesBegan(ui::TouchSet const& touches, ui::Event*) override { note("began", touches); }
    void touchesMoved(ui::TouchSet const& touches, ui::Event*) override { note("moved", touches); }
    void touchesEnded(ui::TouchSet const& touches, ui::Event*) override { note("ended", touches); }

    std::vector<std::string> heard;

private:
    void note(char const* phase, ui::TouchSet const& touches) {
        auto at = touches.anyObject()->locationInView(this);
        auto frames = ui::Screen::mainScreen().surface()->presentedFrames();
        heard.push_back(std::string(phase) + " " + std::to_string(int(at.x)) + ","
            + std::to_string(int(at.y)) + " after " + std::to_string(frames));
    }

    friend base::Factory;
};

// An application that fills its screen with one colour and presents it 60 times a second
// (when asked to draw at all), and notes its life.
class Program final : public ui::ApplicationDelegate {
public:
    bool draws {true};
    std::uint64_t escapeAfter {0};
    // Called after each frame is presented, with the frames drawn so far.
    std::function<void(std::uint64_t)> afterFrame;
    std::vector<std::string> life;
    base::Ref<TouchView> view;
    double launchedAt {0};
    double terminatedAt {0};

    void applicationDidFinishLaunching(ui::Application&) override {
        life.push_back("launched");
        launchedAt = foundation::Clock::current().monotonic();
        auto bounds = ui::Screen::mainScreen().bounds();
        window_ = ui::Window::create(bounds);
        view = base::make<TouchView>(bounds);
        window_->addSubview(view);
        window_->makeKeyAndVisible();
        if (!draws)
            return;
        auto* surface = ui::Screen::mainScreen().surface();
        drawable_ = test::makeDrawable(*surface);
        timer_ = foundation::Timer::scheduledTimer(
            1.0 / 60,
            [this, surface](foundation::Timer&) {
                glClearColor(1, 0.5f, 0, 1);
                glClear(GL_COLOR_BUFFER_BIT);
                surface->present();
                if (escapeAfter && surface->presentedFrames() == escapeAfter)
                    surface->pushEvent(graphics::KeyEvent {true, graphics::KeyEvent::Escape});
                if (afterFrame)
                    afterFrame(surface->presentedFrames());
            },
            true);
    }
    void applicationDidBecomeActive(ui::Application&) override { life.push_back("active"); }
    void applicationWillResignActive(ui::Application&) override { life.push_back("resigning"); }
    void applicationWillTerminate(ui::Application&) override {
        life.push_back("terminating");
        terminatedAt = foundation::Clock::current().monotonic();
        if (timer_)
            timer_->invalidate();
    }

private:
    base::Ref<ui::Window> window_;
    test::Drawable drawable_;
    base::Ref<foundation::Timer> timer_;
};

class ApplicationRunnerTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        ui::Screen::reset();
    }

    ApplicationRunner::Options headless(std::uint64_t frames) {
        ApplicationRunner::Options options;
        options.headless = true;
        options.frames = frames;
        options.screenshot = folder / "shot.png";
        return options;
    }

    // The same, playing a script of that text.
    ApplicationRunner::Options scripted(std::uint64_t frames, std::string const& script) {
        std::ofstream(folder / "script.txt") << script;
        auto options = headless(frames);
        options.script = folder / "script.txt";
        return options;
    }

    test::TempDir folder;
};

}

TEST_F(ApplicationRunnerTest, AHeadlessRunDrawsItsFramesOnSimulatedTimeAndKeepsTheLast) {
    Program program;
    testing::internal::CaptureStdout();
    int status = ApplicationRunner::run(headless(30), program);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(program.life,
        (std::vector<std::string> {"launched", "active", "resigning", "terminating"}));
    EXPECT_NEAR(program.terminatedAt - program.launchedAt, 30.0 / 60, 1e-6);
    // The manual clock was the run's own.
    EXPECT_EQ(dynamic_cast<foundation::ManualClock*>(&foundation::Clock::current()), nullptr);
    EXPECT_EQ(ui::Screen::mainScreen().surface(), nullptr);
    EXPECT_EQ(ui::Application::sharedApplication().delegate(), nullptr);

    auto image = graphics::Image::decodeFile(folder / "shot.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 480);
    EXPECT_EQ(image->height(), 320);
    EXPECT_EQ(image->pixel(10, 10), (graphics::Rgba {255, 128, 0, 255}));
}

TEST_F(ApplicationRunnerTest, ScriptedTouchesReachTheKeyWindowOnceTheirFramesAreDrawn) {
    Program program;
    testing::internal::CaptureStdout();
    EXPECT_EQ(
        ApplicationRunner::run(scripted(5, "3 up 30 40\n0 down 10 20\n2 move 30 40\n"), program),
        0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(program.view->heard,
        (std::vector<std::string> {
            "began 10,20 after 0", "moved 30,40 after 2", "ended 30,40 after 3"}));
}

TEST_F(ApplicationRunnerTest, EscapeEndsTheRunEarly) {
    Program program;
    program.escapeAfter = 4;
    testing::internal::CaptureStdout();
    EXPECT_EQ(ApplicationRunner::run(headless(1000), program), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_NEAR(program.terminatedAt - program.launchedAt, 4.0 / 60, 1e-6);
}

TEST_F(ApplicationRunnerTest, ARunThatDrawsNothingGivesUpAfterTenSecondsOfPlay) {
    Program program;
    program.draws = false;
    testing::internal::CaptureStderr();
    int status = ApplicationRunner::run(headless(3), program);
    auto printed = testing::internal::GetCapturedStderr();
    // There is no frame to keep either.
    EXPECT_EQ(status, 1);
    EXPECT_NE(printed.find("nothing was drawn for 10 seconds of play"), std::string::npos)
        << printed;
    EXPECT_NEAR(program.terminatedAt - program.launchedAt, 10, 1e-6);
    EXPECT_FALSE(std::filesystem::exists(folder / "shot.png"));
}

TEST_F(ApplicationRunnerTest, ABadScriptStopsTheRunBeforeItStarts) {
    Program program;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ApplicationRunner::run(scripted(5, "1 down 1\n"), program), 2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("line 1"), std::string::npos);
    EXPECT_TRUE(program.life.empty());
}

TEST_F(ApplicationRunnerTest, WorkAnotherThreadDoesForTheMainThreadComesBeforeTheClockMovesOn) {
    Program program;
    std::vector<std::uint64_t> arrivedAfter;
    program.afterFrame = [&arrivedAfter](std::uint64_t frames) {
        if (frames != 2)
            return;
        // A slow reply: real time passes on the worker while the run could draw many frames.
        std::thread([&arrivedAfter, awaited = foundation::AwaitedWork()]() mutable {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            foundation::RunLoop::main().perform([&arrivedAfter] {
                arrivedAfter.push_back(ui::Screen::mainScreen().surface()->presentedFrames());
            });
            awaited.finish();
        }).detach();
    };
    testing::internal::CaptureStdout();
    EXPECT_EQ(ApplicationRunner::run(headless(30), program), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(arrivedAfter, (std::vector<std::uint64_t> {2}));
    EXPECT_EQ(foundation::AwaitedWork::pending(), 0u);
}
