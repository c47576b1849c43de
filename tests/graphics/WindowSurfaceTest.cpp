#include <foundation/Clock.hpp>
#include <graphics/Surface.hpp>
#include <support/GLFixture.hpp>
#include <support/VirtualDisplay.hpp>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <string>

using graphics::Event;
using graphics::PointerEvent;
using graphics::Rgba;
using graphics::Surface;
using graphics::SurfaceKind;
using Phase = PointerEvent::Phase;

namespace {

// The test programs run with SDL's off-screen video driver, whose window is an off-screen
// buffer that keeps what was presented; on a real display these tests open a window briefly.
class WindowSurface : public ::testing::Test {
protected:
    void SetUp() override {
        surface_ = Surface::createWindow({240, 160, 2, "window test"});
        ASSERT_TRUE(surface_);
    }

    void makeDrawable() {
        auto drawable = test::makeDrawable(*surface_);
        renderbuffer_ = drawable.renderbuffer;
        framebuffer_ = drawable.framebuffer;
    }

    static void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    static SDL_Event button(Uint32 type, int x, int y) {
        SDL_Event event {};
        event.type = type;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.x = x;
        event.button.y = y;
        return event;
    }

    base::Ref<Surface> surface_;
    GLuint renderbuffer_ {0};
    GLuint framebuffer_ {0};
};

}

TEST_F(WindowSurface, OpensAtPointsTimesScaleWithAnOpenGLES11Context) {
    EXPECT_EQ(surface_->kind(), SurfaceKind::Window);
    EXPECT_EQ(surface_->pixelWidth(), 480);
    EXPECT_EQ(surface_->pixelHeight(), 320);
    EXPECT_TRUE(surface_->context().isCurrent());
    std::string version = reinterpret_cast<char const*>(glGetString(GL_VERSION));
    EXPECT_EQ(version.rfind("OpenGL ES-CM 1.1", 0), 0u) << version;
}

TEST_F(WindowSurface, PresentingPutsTheFrameInTheWindowAndRestoresState) {
    if (std::string(SDL_GetCurrentVideoDriver()) != "offscreen")
        GTEST_SKIP() << "reads the window back, which only the off-screen driver keeps";
    makeDrawable();
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 0, 100, 100);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, texture);

    ASSERT_TRUE(surface_->present());
    EXPECT_EQ(surface_->presentedFrames(), 1u);

    // The engine's context is current again with its bindings untouched.
    EXPECT_TRUE(surface_->context().isCurrent());
    GLint value = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &value);
    EXPECT_EQ(GLuint(value), framebuffer_);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(GLuint(value), texture);
    glGetIntegerv(GL_RENDERBUFFER_BINDING_OES, &value);
    EXPECT_EQ(GLuint(value), renderbuffer_);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // The window (framebuffer 0 of the same context) shows the frame the right way up.
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, 0);
    auto window = surface_->readPixels();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->pixel(10, 319), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(window->pixel(99, 220), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(window->pixel(100, 319), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(window->pixel(10, 10), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(window->pixel(479, 0), (Rgba {255, 0, 0, 255}));
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, framebuffer_);
    glDeleteTextures(1, &texture);
}

TEST_F(WindowSurface, MouseArrivesAsPointerEventsInPointsWithTapCounts) {
    foundation::ScopedManualClock clock;
    push(button(SDL_MOUSEBUTTONDOWN, 100, 60));
    push(button(SDL_MOUSEBUTTONUP, 100, 60));
    push(button(SDL_MOUSEBUTTONDOWN, 102, 62));
    push(button(SDL_MOUSEBUTTONUP, 102, 62));
    SDL_Event quit {};
    quit.type = SDL_QUIT;
    push(quit);
    surface_->injectPointer(Phase::Began, 1, 1, 0);
    surface_->injectPointer(Phase::Ended, 1, 1, 0);

    std::vector<PointerEvent> pointers;
    bool closed = false;
    for (auto const& event : surface_->pollEvents()) {
        if (auto const* pointer = std::get_if<PointerEvent>(&event))
            pointers.push_back(*pointer);
        closed = closed || std::holds_alternative<graphics::CloseEvent>(event);
    }
    EXPECT_TRUE(closed);
    ASSERT_EQ(pointers.size(), 6u);
    // Injected first, then the window's, in points (half the pixels).
    EXPECT_EQ(pointers[0].x, 1);
    EXPECT_EQ(pointers[2].phase, Phase::Began);
    EXPECT_EQ(pointers[2].x, 50);
    EXPECT_EQ(pointers[2].y, 30);
    EXPECT_EQ(pointers[3].phase, Phase::Ended);
    EXPECT_EQ(pointers[4].phase, Phase::Began);
    EXPECT_EQ(pointers[4].x, 51);
    EXPECT_EQ(pointers[4].tapCount, 2);
    EXPECT_LE(pointers[4].timestamp, clock->monotonic());
}

TEST_F(WindowSurface, APlayedPointerWithoutAnXServerIsInjected) {
    if (std::string(SDL_GetCurrentVideoDriver()) != "offscreen")
        GTEST_SKIP() << "the off-screen driver has no pointer of its own";
    EXPECT_FALSE(surface_->playPointer(Phase::Began, 30, 40, 1.0));
    EXPECT_FALSE(surface_->playPointer(Phase::Ended, 30, 40, 1.05));
    auto events = surface_->pollEvents();
    ASSERT_EQ(events.size(), 2u);
    auto const* up = std::get_if<PointerEvent>(&events[1]);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->phase, Phase::Ended);
    EXPECT_EQ(up->x, 30);
    EXPECT_EQ(up->y, 40);
}

// On an X server of its own, a played pointer moves and presses the server's pointer, and the
// window's own mouse events bring it back in points, however the window lies on the screen.
TEST(WindowSurfaceOnX, APlayedPointerComesBackAsTheWindowsMouse) {
    test::VirtualDisplay display(800, 600);
    ASSERT_FALSE(display.name().empty()) << display.why();
    test::ScopedEnvironment driver("SDL_VIDEODRIVER", "x11");
    test::ScopedEnvironment screen("DISPLAY", display.name().c_str());
    auto surface = Surface::createWindow({240, 160, 2, "pointer test"});
    ASSERT_TRUE(surface);
    ASSERT_EQ(std::string(SDL_GetCurrentVideoDriver()), "x11");
    // The window is mapped once the server has exposed it; until then nothing on it can be
    // pressed.
    SDL_Window* window = SDL_GetWindowFromID(1);
    ASSERT_TRUE(window);
    for (int i = 0; i < 500 && !(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN); ++i) {
        surface->pollEvents();
        SDL_Delay(10);
    }
    for (int i = 0; i < 50; ++i) {
        surface->pollEvents();
        SDL_Delay(10);
    }

    struct Step {
        Phase phase;
        float x, y;
    } const steps[] = {{Phase::Began, 10, 20}, {Phase::Moved, 60, 25}, {Phase::Ended, 60, 25},
        {Phase::Began, 239, 159}, {Phase::Ended, 239, 159}};
    std::vector<PointerEvent> pointers;
    for (auto const& step : steps) {
        EXPECT_TRUE(surface->playPointer(step.phase, step.x, step.y, 0));
        for (auto const& event : surface->pollEvents()) {
            if (auto const* pointer = std::get_if<PointerEvent>(&event))
                pointers.push_back(*pointer);
        }
    }
    ASSERT_EQ(pointers.size(), std::size(steps));
    for (std::size_t i = 0; i < pointers.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pointers[i].phase, steps[i].phase);
        EXPECT_EQ(pointers[i].x, steps[i].x);
        EXPECT_EQ(pointers[i].y, steps[i].y);
    }
    surface = nullptr;
}

TEST_F(WindowSurface, ClosingTheWindowLeavesTheHeadlessKindWorking) {
    surface_ = nullptr;
    EXPECT_EQ(graphics::GLContext::currentContext(), nullptr);
    auto headless = Surface::createHeadless({8, 8, 1, "x"});
    ASSERT_TRUE(headless);
    EXPECT_TRUE(headless->context().isCurrent());
    auto again = Surface::createWindow({8, 8, 1, "again"});
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->context().isCurrent());
}
