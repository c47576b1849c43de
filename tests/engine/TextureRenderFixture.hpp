#pragma once

#include "EngineFixture.hpp"
#include "ResourceHelpers.hpp"

#include <engine/SceneNode.hpp>
#include <engine/Texture2D.hpp>
#include <engine/TextureMgr.hpp>
#include <support/GLFixture.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace test {

// Opaque colours that every texture format stores exactly.
namespace colours {
inline constexpr graphics::Rgba black {0, 0, 0, 255};
inline constexpr graphics::Rgba red {255, 0, 0, 255};
inline constexpr graphics::Rgba green {0, 255, 0, 255};
inline constexpr graphics::Rgba blue {0, 0, 255, 255};
inline constexpr graphics::Rgba white {255, 255, 255, 255};
}

// Off-screen GL of 128 x 128 pixels set up as the director leaves it (blending on
// with the default blend function, a black clear colour), a bundle and sandbox
// of the test's own, and fresh engine singletons. The texture cache is purged
// while the context is still current.
class TextureRenderTest : public GLFixture {
protected:
    TextureRenderTest()
        : GLFixture(128, 128) { }

    void SetUp() override {
        resources = std::make_unique<ResourceSandbox>();
        resetEngine();
        engine::TextureMgr::purgeSharedTextureMgr();
        GLFixture::SetUp();
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    void TearDown() override {
        engine::TextureMgr::purgeSharedTextureMgr();
        engine::Texture2D::setDefaultAlphaPixelFormat(engine::Texture2DPixelFormat::RGBA8888);
        engine::Texture2D::setAliasNextInit(false);
        resetEngine();
        GLFixture::TearDown();
        resources.reset();
    }

    static void resetEngine() {
        engine::ActionManager::purgeSharedManager();
        engine::Scheduler::purgeSharedScheduler();
        engine::DirectorServices::install(nullptr);
    }

    void clear() { glClear(GL_COLOR_BUFFER_BIT); }

    void drawScene(engine::SceneNode& root) {
        clear();
        root.visit();
        glFinish();
    }

    // Each channel within tolerance.
    static ::testing::AssertionResult near(
        graphics::Rgba actual, graphics::Rgba expected, int tolerance = 1) {
        return colorNear(actual, expected, tolerance, Alpha::Compared);
    }

    // Colour without alpha (the framebuffer's alpha is not what the tests check).
    graphics::Rgba rgb(int x, int y) const {
        auto p = pixel(x, y);
        p.a = 255;
        return p;
    }

    std::unique_ptr<ResourceSandbox> resources;
};

}
