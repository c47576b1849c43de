#include <graphics/GLContext.hpp>
#include <graphics/Surface.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

using graphics::GLContext;
using graphics::Surface;

TEST(GLContext, NewSurfaceContextIsCurrentAndOpenGLES11) {
    auto surface = Surface::createHeadless();
    ASSERT_TRUE(surface);
    EXPECT_TRUE(surface->context().isCurrent());
    EXPECT_EQ(GLContext::currentContext(), &surface->context());
    std::string version = reinterpret_cast<char const*>(glGetString(GL_VERSION));
    EXPECT_EQ(version.rfind("OpenGL ES-CM 1.1", 0), 0u) << version;
}

TEST(GLContext, OneContextIsCurrentAtATime) {
    auto first = Surface::createHeadless();
    auto second = Surface::createHeadless();
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(second->context().isCurrent());
    EXPECT_FALSE(first->context().isCurrent());

    ASSERT_TRUE(GLContext::setCurrentContext(&first->context()));
    EXPECT_TRUE(first->context().isCurrent());
    EXPECT_FALSE(second->context().isCurrent());

    ASSERT_TRUE(GLContext::setCurrentContext(nullptr));
    EXPECT_EQ(GLContext::currentContext(), nullptr);
    EXPECT_FALSE(first->context().isCurrent());
    ASSERT_TRUE(GLContext::setCurrentContext(nullptr));
}

TEST(GLContext, ReleasingTheCurrentSurfaceLeavesNoContextCurrent) {
    auto kept = Surface::createHeadless();
    auto released = Surface::createHeadless();
    ASSERT_TRUE(kept && released);
    released = nullptr;
    EXPECT_EQ(GLContext::currentContext(), nullptr);
    EXPECT_FALSE(kept->context().isCurrent());
    EXPECT_TRUE(GLContext::setCurrentContext(&kept->context()));
}

TEST(GLContext, ContextsOfSurfacesKeepTheirOwnObjects) {
    auto first = Surface::createHeadless({8, 8, 1, "a"});
    auto second = Surface::createHeadless({8, 8, 1, "b"});
    ASSERT_TRUE(first && second);
    GLuint name = 0;
    glGenRenderbuffersOES(1, &name);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, name);
    EXPECT_TRUE(glIsRenderbufferOES(name));
    ASSERT_TRUE(GLContext::setCurrentContext(&first->context()));
    EXPECT_FALSE(glIsRenderbufferOES(name));
}

TEST(GLContext, RenderbufferStorageRefusesWhatItCannotBack) {
    auto surface = Surface::createHeadless({16, 8, 1, "a"});
    auto other = Surface::createHeadless({16, 8, 1, "b"});
    ASSERT_TRUE(surface && other);
    ASSERT_TRUE(GLContext::setCurrentContext(&surface->context()));
    test::LogCapture log;
    auto& context = surface->context();

    EXPECT_FALSE(context.renderbufferStorage(GL_RENDERBUFFER_OES, *surface)) << "nothing bound";
    GLuint name = 0;
    glGenRenderbuffersOES(1, &name);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, name);
    EXPECT_FALSE(context.renderbufferStorage(GL_RENDERBUFFER_OES, *other)) << "another surface";
    EXPECT_FALSE(context.renderbufferStorage(GL_TEXTURE_2D, *surface)) << "wrong target";
    ASSERT_TRUE(GLContext::setCurrentContext(&other->context()));
    EXPECT_FALSE(context.renderbufferStorage(GL_RENDERBUFFER_OES, *surface)) << "not current";
    EXPECT_EQ(log.lines().size(), 4u);
    EXPECT_EQ(surface->drawableRenderbuffer(), 0u);

    ASSERT_TRUE(GLContext::setCurrentContext(&context));
    EXPECT_TRUE(context.renderbufferStorage(GL_RENDERBUFFER_OES, *surface));
    EXPECT_EQ(surface->drawableRenderbuffer(), name);
    GLint width = 0;
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &width);
    EXPECT_EQ(width, 16);
}

TEST(GLContext, ReadingNeedsTheSurfaceContextCurrent) {
    auto surface = Surface::createHeadless({8, 8, 1, "a"});
    ASSERT_TRUE(surface);
    GLContext::setCurrentContext(nullptr);
    test::LogCapture log;
    EXPECT_FALSE(surface->readPixels());
    EXPECT_FALSE(surface->present());
    EXPECT_EQ(log.lines().size(), 2u);
}
