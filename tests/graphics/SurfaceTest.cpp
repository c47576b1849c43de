#include <graphics/Surface.hpp>
#include <support/GLFixture.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using graphics::ColorFormat;
using graphics::Event;
using graphics::GLContext;
using graphics::Image;
using graphics::PointerEvent;
using graphics::Rgba;
using graphics::Surface;
using graphics::SurfaceKind;
using Phase = PointerEvent::Phase;

namespace {

bool near(Rgba a, Rgba b, int tolerance = 1) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance
        && std::abs(a.b - b.b) <= tolerance && std::abs(a.a - b.a) <= tolerance;
}

Rgba const black {0, 0, 0, 255};
Rgba const red {255, 0, 0, 255};
Rgba const green {0, 255, 0, 255};

void clearTo(float r, float g, float b, float a) {
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT);
}

// An axis-aligned quad from (x1, y1) to (x2, y2) in the fixture's pixel units, one colour.
void fillRect(float x1, float y1, float x2, float y2, GLubyte r, GLubyte g, GLubyte b) {
    GLfloat const vertices[] = {x1, y1, x2, y1, x1, y2, x2, y2};
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glColor4ub(r, g, b, 255);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_VERTEX_ARRAY);
}

// Sets an environment variable for a scope and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(char const* name, char const* value)
        : name_(name) {
        if (auto const* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    char const* name_;
    std::optional<std::string> old_;
};

}

using HeadlessSurface = test::GLFixture;

TEST_F(HeadlessSurface, ClearsToAColour) {
    clearTo(0.2f, 0.4f, 0.6f, 1);
    EXPECT_TRUE(near(pixel(0, 0), {51, 102, 153, 255})) << pixel(0, 0);
    EXPECT_TRUE(near(pixel(width() - 1, height() - 1), {51, 102, 153, 255}));
    EXPECT_EQ(surface().kind(), SurfaceKind::Headless);
    EXPECT_EQ(surface().pixelWidth(), 480);
    EXPECT_EQ(surface().pixelHeight(), 320);
}

TEST_F(HeadlessSurface, DrawsWithClientArraysOntoTheExpectedPixels) {
    clearTo(0, 0, 0, 1);
    fillRect(100, 50, 200, 150, 255, 0, 0);
    // A triangle with a per-vertex colour array: all green, its right angle at (300, 50).
    GLfloat const vertices[] = {300, 50, 400, 50, 300, 150};
    GLubyte const colours[] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colours);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    struct Probe {
        int x;
        int y;
        Rgba expected;
    } const probes[] = {
        {100, 50, red},
        {199, 149, red},
        {150, 100, red},
        {99, 100, black},
        {200, 100, black},
        {150, 49, black},
        {150, 150, black},
        {305, 55, green},
        {340, 100, green},
        {360, 100, black},
        {399, 140, black},
        {250, 100, black},
    };
    for (auto const& probe : probes)
        EXPECT_EQ(pixel(probe.x, probe.y), probe.expected)
            << probe.x << ", " << probe.y << ": " << pixel(probe.x, probe.y);
}

TEST_F(HeadlessSurface, ReadPixelsGivesRowsFromTheTop) {
    clearTo(0, 0, 0, 1);
    // GL counts y up: this band is along the bottom edge of the picture.
    fillRect(0, 0, 480, 10, 255, 0, 0);
    auto image = surface().readPixels();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 480);
    EXPECT_EQ(image->height(), 320);
    EXPECT_EQ(image->pixel(0, 319), red);
    EXPECT_EQ(image->pixel(0, 310), red);
    EXPECT_EQ(image->pixel(0, 309), black);
    EXPECT_EQ(image->pixel(0, 0), black);
    EXPECT_EQ(image->alphaInfo(), graphics::AlphaInfo::Last);
    // The fixture's pixel() counts from the bottom, as GL does.
    EXPECT_EQ(pixel(0, 0), red);
    EXPECT_EQ(pixel(0, 319), black);
    // A rectangle is read from the bottom-left corner given in GL terms.
    auto corner = surface().readPixels(0, 5, 2, 10);
    ASSERT_TRUE(corner);
    // GL rows 5 to 14: the red ones (5 to 9) are the lower half of the picture.
    EXPECT_EQ(corner->pixel(0, 9), red);
    EXPECT_EQ(corner->pixel(0, 5), red);
    EXPECT_EQ(corner->pixel(0, 4), black);
    EXPECT_EQ(corner->pixel(0, 0), black);
}

TEST_F(HeadlessSurface, KeepsAlphaAsStored) {
    clearTo(0, 0, 0, 0);
    fillRect(0, 0, 10, 10, 10, 20, 30);
    EXPECT_EQ(pixel(20, 20), (Rgba {0, 0, 0, 0}));
    EXPECT_EQ(pixel(5, 5), (Rgba {10, 20, 30, 255}));
}

TEST_F(HeadlessSurface, PresentingCountsTheFrameAndKeepsItsPixels) {
    clearTo(1, 0, 0, 1);
    EXPECT_EQ(surface().presentedFrames(), 0u);
    EXPECT_TRUE(surface().present());
    EXPECT_TRUE(surface().context().presentRenderbuffer(GL_RENDERBUFFER_OES));
    EXPECT_EQ(surface().presentedFrames(), 2u);
    EXPECT_EQ(pixel(10, 10), red);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(HeadlessSurface, PresentingAnotherRenderbufferFails) {
    test::LogCapture log;
    GLuint other = 0;
    glGenRenderbuffersOES(1, &other);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, other);
    glRenderbufferStorageOES(GL_RENDERBUFFER_OES, GL_RGBA8_OES, 4, 4);
    EXPECT_FALSE(surface().present());
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, 0);
    EXPECT_FALSE(surface().present());
    EXPECT_FALSE(surface().context().presentRenderbuffer(GL_FRAMEBUFFER_OES));
    EXPECT_EQ(surface().presentedFrames(), 0u);
    EXPECT_EQ(log.lines().size(), 3u);
    glDeleteRenderbuffersOES(1, &other);
}

TEST_F(HeadlessSurface, ReadingAnIncompleteFramebufferGivesNothing) {
    test::LogCapture log;
    GLuint empty = 0;
    glGenFramebuffersOES(1, &empty);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, empty);
    EXPECT_FALSE(surface().readPixels());
    EXPECT_TRUE(log.contains("not complete"));
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, framebuffer());
    glDeleteFramebuffersOES(1, &empty);
    EXPECT_FALSE(surface().readPixels(0, 0, 0, 4));
    EXPECT_TRUE(surface().readPixels());
}

TEST_F(HeadlessSurface, DrawsTexturesWithTheDrawTextureExtension) {
    clearTo(0, 0, 0, 1);
    GLubyte const texels[] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    GLint const crop[] = {0, 0, 2, 2};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_CROP_RECT_OES, crop);
    glEnable(GL_TEXTURE_2D);
    glDrawTexiOES(10, 20, 0, 30, 40);
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(pixel(10, 20), green);
    EXPECT_EQ(pixel(39, 59), green);
    EXPECT_EQ(pixel(40, 20), black);
    EXPECT_EQ(pixel(10, 60), black);
}

class SmallRGB565Surface : public test::GLFixture {
protected:
    SmallRGB565Surface()
        : GLFixture(64, 32, ColorFormat::RGB565) { }
};

TEST_F(SmallRGB565Surface, HasTheRequestedSizeAndNoAlpha) {
    GLint width = 0;
    GLint height = 0;
    GLint format = 0;
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &width);
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_HEIGHT_OES, &height);
    glGetRenderbufferParameterivOES(
        GL_RENDERBUFFER_OES, GL_RENDERBUFFER_INTERNAL_FORMAT_OES, &format);
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 32);
    EXPECT_EQ(format, GL_RGB565_OES);
    clearTo(1, 0.5f, 0, 0);
    auto image = surface().readPixels();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 64);
    EXPECT_EQ(image->alphaInfo(), graphics::AlphaInfo::NoneSkipLast);
    // Six bits of green: 0.5 lands within a step of 128.
    EXPECT_TRUE(near(image->pixel(3, 3), {255, 128, 0, 255}, 4)) << image->pixel(3, 3);
}

TEST(Surface, ChoosesHeadlessWhenAskedOrWithoutADisplay) {
    {
        ScopedEnvironment display("DISPLAY", nullptr);
        ScopedEnvironment wayland("WAYLAND_DISPLAY", nullptr);
        EXPECT_EQ(Surface::chooseSurface(false), SurfaceKind::Headless);
        EXPECT_EQ(Surface::chooseSurface(true), SurfaceKind::Headless);
    }
    {
        ScopedEnvironment display("DISPLAY", "");
        ScopedEnvironment wayland("WAYLAND_DISPLAY", "");
        EXPECT_EQ(Surface::chooseSurface(false), SurfaceKind::Headless);
    }
    {
        ScopedEnvironment display("DISPLAY", ":0");
        ScopedEnvironment wayland("WAYLAND_DISPLAY", nullptr);
        EXPECT_EQ(Surface::chooseSurface(false), SurfaceKind::Window);
        EXPECT_EQ(Surface::chooseSurface(true), SurfaceKind::Headless);
    }
    {
        ScopedEnvironment display("DISPLAY", nullptr);
        ScopedEnvironment wayland("WAYLAND_DISPLAY", "wayland-0");
        EXPECT_EQ(Surface::chooseSurface(false), SurfaceKind::Window);
    }
}

TEST(Surface, RefusesSizesItCannotMake) {
    struct Case {
        int width;
        int height;
        float scale;
    } const cases[] = {{0, 320, 1}, {480, -1, 1}, {480, 320, 0}, {480, 320, -2}, {9000, 10, 1},
        {4800, 320, 2}, {480, 320, 1.0f / 0.0f}, {1, 1, 0.1f}};
    for (auto const& c : cases) {
        test::LogCapture log;
        EXPECT_FALSE(Surface::createHeadless({c.width, c.height, c.scale, "x"}))
            << c.width << " " << c.height << " " << c.scale;
        EXPECT_EQ(log.lines().size(), 1u);
    }
}

TEST(Surface, SizeInPixelsIsPointsTimesScale) {
    auto surface = Surface::createHeadless({480, 320, 1.5f, "x"});
    ASSERT_TRUE(surface);
    EXPECT_EQ(surface->widthPoints(), 480);
    EXPECT_EQ(surface->pixelWidth(), 720);
    EXPECT_EQ(surface->pixelHeight(), 480);
    EXPECT_FLOAT_EQ(surface->scale(), 1.5f);
}

TEST(Surface, QueuesInjectedEventsInOrderWithTapCounts) {
    auto surface = Surface::createHeadless();
    ASSERT_TRUE(surface);
    EXPECT_TRUE(surface->pollEvents().empty());
    surface->injectPointer(Phase::Began, 10, 20, 1.0);
    surface->injectPointer(Phase::Ended, 10, 20, 1.05);
    surface->pushEvent(graphics::KeyEvent {true, 'x', false, 1.1});
    surface->injectPointer(Phase::Moved, 50, 50, 1.12); // no press: dropped
    surface->injectPointer(Phase::Began, 11, 21, 1.2);
    surface->pushEvent(graphics::CloseEvent {});
    auto events = surface->pollEvents();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0], Event(PointerEvent {Phase::Began, 10, 20, 1.0, 1}));
    EXPECT_EQ(events[1], Event(PointerEvent {Phase::Ended, 10, 20, 1.05, 1}));
    EXPECT_EQ(events[2], Event(graphics::KeyEvent {true, 'x', false, 1.1}));
    EXPECT_EQ(events[3], Event(PointerEvent {Phase::Began, 11, 21, 1.2, 2}));
    EXPECT_EQ(events[4], Event(graphics::CloseEvent {}));
    EXPECT_TRUE(surface->pollEvents().empty());
}
