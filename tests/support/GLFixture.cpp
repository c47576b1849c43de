#include <support/GLFixture.hpp>

#include <cstdlib>
#include <iostream>

namespace test {

::testing::AssertionResult colorNear(
    graphics::Rgba actual, graphics::Rgba expected, int tolerance, Alpha alpha) {
    auto close = [tolerance](int a, int b) { return std::abs(a - b) <= tolerance; };
    if (close(actual.r, expected.r) && close(actual.g, expected.g) && close(actual.b, expected.b)
        && (alpha == Alpha::Ignored || close(actual.a, expected.a)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << actual << " is not " << expected << " within " << tolerance;
}

std::array<float, 16> modelViewMatrix() {
    std::array<float, 16> m {};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

Drawable makeDrawable(graphics::Surface& surface) {
    Drawable drawable;
    glGenRenderbuffersOES(1, &drawable.renderbuffer);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, drawable.renderbuffer);
    EXPECT_TRUE(surface.context().renderbufferStorage(GL_RENDERBUFFER_OES, surface));
    glGenFramebuffersOES(1, &drawable.framebuffer);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, drawable.framebuffer);
    glFramebufferRenderbufferOES(
        GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, drawable.renderbuffer);
    EXPECT_EQ(glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES), GLenum(GL_FRAMEBUFFER_COMPLETE_OES));
    glViewport(0, 0, surface.pixelWidth(), surface.pixelHeight());
    return drawable;
}

GLFixture::GLFixture(int width, int height, graphics::ColorFormat format)
    : width_(width)
    , height_(height)
    , format_(format) {
}

void GLFixture::SetUp() {
    surface_ = graphics::Surface::createHeadless({width_, height_, 1, "test"});
    ASSERT_TRUE(surface_) << "no headless OpenGL ES 1.1 context";
    surface_->setDrawableFormat(format_);
    auto drawable = makeDrawable(*surface_);
    renderbuffer_ = drawable.renderbuffer;
    framebuffer_ = drawable.framebuffer;
    ASSERT_FALSE(HasFailure());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, GLfloat(width_), 0, GLfloat(height_), -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

void GLFixture::TearDown() {
    if (!surface_)
        return;
    if (HasFailure() && graphics::GLContext::setCurrentContext(&surface_->context())) {
        glBindFramebufferOES(GL_FRAMEBUFFER_OES, framebuffer_);
        auto const* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        for (auto& c : name) {
            if (c == '/')
                c = '_';
        }
        auto path = saveImage(name);
        if (!path.empty())
            std::cout << "The framebuffer was saved to " << path.string() << "\n";
    }
    if (graphics::GLContext::setCurrentContext(&surface_->context())) {
        glBindFramebufferOES(GL_FRAMEBUFFER_OES, 0);
        glDeleteFramebuffersOES(1, &framebuffer_);
        glDeleteRenderbuffersOES(1, &renderbuffer_);
    }
    surface_ = nullptr;
}

graphics::Rgba GLFixture::pixel(int x, int y) const {
    auto image = surface_->readPixels(x, y, 1, 1);
    return image ? image->pixel(0, 0) : graphics::Rgba {};
}

graphics::Image GLFixture::image() const {
    auto image = surface_->readPixels();
    return image ? *image : graphics::Image();
}

std::filesystem::path GLFixture::saveImage(std::string const& name) const {
    auto const* configured = std::getenv("QUILLABY_TEST_OUTPUT");
    std::filesystem::path folder = configured && *configured ? configured : "test-output";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    auto path = std::filesystem::absolute(folder / (name + ".png"), error);
    auto frame = image();
    if (frame.isEmpty() || !frame.writePNG(path))
        return {};
    return path;
}

}
