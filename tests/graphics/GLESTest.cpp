#include <graphics/GLES.hpp>
#include <graphics/Surface.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

using namespace graphics;

TEST(GLES, ExtensionEntryPointsAreLoadedWithTheFirstContext) {
    auto surface = Surface::createHeadless({8, 8, 1, "x"});
    ASSERT_TRUE(surface);
    for (auto const* name : {"glBindFramebufferOES", "glGenRenderbuffersOES",
             "glRenderbufferStorageOES", "glCheckFramebufferStatusOES",
             "glGetRenderbufferParameterivOES", "glDeleteFramebuffersOES",
             "glFramebufferTexture2DOES", "glGenerateMipmapOES", "glBlendFuncSeparateOES",
             "glBlendEquationOES", "glDrawTexfOES", "glMapBufferOES", "glDiscardFramebufferEXT"})
        EXPECT_TRUE(gles::hasEntryPoint(name)) << name;
    EXPECT_FALSE(gles::hasEntryPoint("glNoSuchThingOES"));
}

TEST(GLES, FramebufferOfATextureCanBeDrawnAndMipmapped) {
    auto surface = Surface::createHeadless({8, 8, 1, "x"});
    ASSERT_TRUE(surface);
    GLuint texture = 0;
    GLuint framebuffer = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffersOES(1, &framebuffer);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, framebuffer);
    glFramebufferTexture2DOES(
        GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D, texture, 0);
    ASSERT_EQ(glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES), GLenum(GL_FRAMEBUFFER_COMPLETE_OES));
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glGenerateMipmapOES(GL_TEXTURE_2D);
    EXPECT_EQ(gles::takeError(), GLenum(GL_NO_ERROR));
    auto image = surface->readPixels(0, 0, 4, 4);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixel(3, 3), (Rgba {0, 0, 255, 255}));
    glDeleteFramebuffersOES(1, &framebuffer);
    glDeleteTextures(1, &texture);
}

TEST(GLES, FindsExtensionsByWholeName) {
    auto surface = Surface::createHeadless({8, 8, 1, "x"});
    ASSERT_TRUE(surface);
    EXPECT_TRUE(gles::hasExtension("GL_OES_framebuffer_object"));
    EXPECT_FALSE(gles::hasExtension("GL_OES_framebuffer"));
    EXPECT_FALSE(gles::hasExtension(""));
    EXPECT_FALSE(gles::hasExtension("GL_IMG_texture_compression_pvrtc"));
}

TEST(GLES, CheckErrorLogsWhereAndClearsTheError) {
    auto surface = Surface::createHeadless({8, 8, 1, "x"});
    ASSERT_TRUE(surface);
    test::LogCapture log;
    glEnable(0x1234);
    EXPECT_EQ(gles::checkError("the test"), GLenum(GL_INVALID_ENUM));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], "OpenGL error 0x0500 (GL_INVALID_ENUM) in the test");
    EXPECT_EQ(gles::checkError("again"), GLenum(GL_NO_ERROR));
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(GLES, NamesErrors) {
    EXPECT_EQ(gles::errorName(GL_INVALID_OPERATION), "GL_INVALID_OPERATION");
    EXPECT_EQ(gles::errorName(GL_INVALID_FRAMEBUFFER_OPERATION_OES),
        "GL_INVALID_FRAMEBUFFER_OPERATION_OES");
    EXPECT_EQ(gles::errorName(0x1234), "0x1234");
}
