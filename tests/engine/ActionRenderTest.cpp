#include "EngineFixture.hpp"
#include "HeadlessGL.hpp"

#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Layer.hpp>
#include <engine/RGBAProtocol.hpp>
#include <engine/SceneNode.hpp>

#include <EGL/egl.h>
#include <GLES/gl.h>
#include <GLES/glext.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

using namespace engine;

namespace {

constexpr int side = 64;

// Draws into a side x side colour buffer of a framebuffer object.
class ActionRenderTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (!test::HeadlessGL::makeCurrent())
            GTEST_SKIP() << "no GL ES 1.1 context";
        auto genFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSOESPROC>(
            eglGetProcAddress("glGenFramebuffersOES"));
        auto bindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFEROESPROC>(
            eglGetProcAddress("glBindFramebufferOES"));
        auto genRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSOESPROC>(
            eglGetProcAddress("glGenRenderbuffersOES"));
        auto bindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFEROESPROC>(
            eglGetProcAddress("glBindRenderbufferOES"));
        auto renderbufferStorage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEOESPROC>(
            eglGetProcAddress("glRenderbufferStorageOES"));
        auto framebufferRenderbuffer = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFEROESPROC>(
            eglGetProcAddress("glFramebufferRenderbufferOES"));
        auto checkStatus = reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSOESPROC>(
            eglGetProcAddress("glCheckFramebufferStatusOES"));
        deleteFramebuffers = reinterpret_cast<PFNGLDELETEFRAMEBUFFERSOESPROC>(
            eglGetProcAddress("glDeleteFramebuffersOES"));
        deleteRenderbuffers = reinterpret_cast<PFNGLDELETERENDERBUFFERSOESPROC>(
            eglGetProcAddress("glDeleteRenderbuffersOES"));
        if (!genFramebuffers || !bindFramebuffer || !genRenderbuffers || !bindRenderbuffer
            || !renderbufferStorage || !framebufferRenderbuffer || !checkStatus
            || !deleteFramebuffers || !deleteRenderbuffers)
            GTEST_SKIP() << "no framebuffer objects";
        genRenderbuffers(1, &renderbuffer);
        bindRenderbuffer(GL_RENDERBUFFER_OES, renderbuffer);
        renderbufferStorage(GL_RENDERBUFFER_OES, GL_RGBA8_OES, side, side);
        genFramebuffers(1, &framebuffer);
        bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer);
        framebufferRenderbuffer(
            GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, renderbuffer);
        ASSERT_EQ(
            checkStatus(GL_FRAMEBUFFER_OES), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE_OES));
        glViewport(0, 0, side, side);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrthof(0, side, 0, side, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    void TearDown() override {
        if (framebuffer)
            deleteFramebuffers(1, &framebuffer);
        if (renderbuffer)
            deleteRenderbuffers(1, &renderbuffer);
        EngineTest::TearDown();
    }

    // With the director's blending: premultiplied by default, a colour layer
    // switches to source alpha while it is translucent.
    void drawScene(SceneNode& root) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        root.visit();
        glDisable(GL_BLEND);
        glFinish();
    }

    static std::array<int, 3> pixel(int x, int y) {
        std::array<GLubyte, 4> p {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        return {p[0], p[1], p[2]};
    }

    static void expectPixel(int x, int y, std::array<int, 3> expected, char const* when) {
        auto actual = pixel(x, y);
        for (int i = 0; i < 3; ++i)
            EXPECT_LE(std::abs(actual[i] - expected[i]), 2)
                << when << ": pixel (" << x << ", " << y << ") channel " << i << " is " << actual[i]
                << ", expected " << expected[i];
    }

    GLuint framebuffer {0};
    GLuint renderbuffer {0};
    PFNGLDELETEFRAMEBUFFERSOESPROC deleteFramebuffers {nullptr};
    PFNGLDELETERENDERBUFFERSOESPROC deleteRenderbuffers {nullptr};
};

}

TEST_F(ActionRenderTest, AMovingFadingColorLayerIsDrawnWhereAndAsOpaqueAsItsActionsSay) {
    auto root = SceneNode::node();
    root->onEnter();
    auto quad = ColorLayer::layerWithColor({255, 128, 0, 255}, 16, 16);
    root->addChild(quad);
    quad->runAction(Spawn::actionOne(
        MoveTo::actionWithDuration(1, {40, 40}), FadeTo::actionWithDuration(1, 64)));

    drawScene(*root);
    expectPixel(8, 8, {255, 128, 0}, "before any tick");

    // The first tick counts no time; two more bring the progress to 0.5.
    for (int i = 0; i < 3; ++i)
        tick(0.25f);
    EXPECT_EQ(quad->position(), (Point {20, 20}));
    EXPECT_EQ(quad->opacity(), 159);
    drawScene(*root);
    // 159/255 of the colour over black.
    expectPixel(28, 28, {159, 80, 0}, "half way");
    expectPixel(8, 8, {0, 0, 0}, "half way, where it started");
    expectPixel(48, 48, {0, 0, 0}, "half way, where it ends");

    while (quad->numberOfRunningActions() > 0)
        tick(0.25f);
    drawScene(*root);
    expectPixel(48, 48, {64, 32, 0}, "at the end");
    expectPixel(28, 28, {0, 0, 0}, "at the end, half way");
    expectPixel(39, 39, {0, 0, 0}, "at the end, just outside");
}
