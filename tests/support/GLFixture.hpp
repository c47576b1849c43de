#pragma once

#include <base/Ref.hpp>
#include <graphics/GLES.hpp>
#include <graphics/Image.hpp>
#include <graphics/Surface.hpp>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

namespace test {

// Whether colorNear compares alpha too.
enum class Alpha { Ignored, Compared };

// Each colour channel of actual within tolerance of expected (alpha only when compared); the
// failure names both colours.
::testing::AssertionResult colorNear(
    graphics::Rgba actual, graphics::Rgba expected, int tolerance, Alpha alpha = Alpha::Ignored);

// The current context's model-view matrix, column-major.
std::array<float, 16> modelViewMatrix();

// A framebuffer whose colour renderbuffer takes its storage from a surface, as the engine's
// drawing surface builds it: made in the surface's context (which must be current) and left
// bound. Zero names when GL refuses; the test then fails.
struct Drawable {
    GLuint renderbuffer {0};
    GLuint framebuffer {0};
};
Drawable makeDrawable(graphics::Surface& surface);

// A headless OpenGL ES 1.1 context drawing into a framebuffer object of width x height pixels
// (480 x 320 unless a derived fixture passes others), made for each test and bound when the
// test starts, with the viewport over all of it, an orthographic projection of one unit per
// pixel with the origin at the bottom-left, and an identity model-view matrix. No display is
// needed. When a test fails, the framebuffer is saved as a PNG file (to $QUILLABY_TEST_OUTPUT,
// else test-output/ in the working folder) and the path printed.
class GLFixture : public ::testing::Test {
protected:
    explicit GLFixture(int width = 480, int height = 320,
        graphics::ColorFormat format = graphics::ColorFormat::RGBA8);

    void SetUp() override;
    void TearDown() override;

    graphics::Surface& surface() const { return *surface_; }
    int width() const { return width_; }
    int height() const { return height_; }
    GLuint framebuffer() const { return framebuffer_; }
    GLuint renderbuffer() const { return renderbuffer_; }

    // The pixel at (x, y) counted from the BOTTOM-left, as GL counts: a point drawn at
    // (x + 0.5, y + 0.5) under the fixture's projection lands on it. Read afresh on each call.
    graphics::Rgba pixel(int x, int y) const;
    // The whole framebuffer, rows from the top as in any image.
    graphics::Image image() const;
    // Writes image() to the output folder as <name>.png and answers the path.
    std::filesystem::path saveImage(std::string const& name) const;

private:
    int width_;
    int height_;
    graphics::ColorFormat format_;
    base::Ref<graphics::Surface> surface_;
    GLuint framebuffer_ {0};
    GLuint renderbuffer_ {0};
};

}
