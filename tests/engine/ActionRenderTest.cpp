#include "EngineFixture.hpp"
#include <support/GLFixture.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Layer.hpp>
#include <engine/RGBAProtocol.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Scheduler.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

using namespace engine;

namespace {

constexpr int side = 64;

// Draws into a side x side off-screen framebuffer, with fresh engine singletons.
class ActionRenderTest : public test::GLFixture {
protected:
    ActionRenderTest()
        : GLFixture(side, side) { }

    void SetUp() override {
        GLFixture::SetUp();
        resetEngine();
    }

    void TearDown() override {
        resetEngine();
        GLFixture::TearDown();
    }

    static void resetEngine() {
        ActionManager::purgeSharedManager();
        Scheduler::purgeSharedScheduler();
        DirectorServices::install(nullptr);
    }

    static void tick(float dt) { engine::Scheduler::sharedScheduler().tick(dt); }

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

    void expectPixel(int x, int y, std::array<int, 3> expected, char const* when) const {
        auto p = pixel(x, y);
        std::array<int, 3> actual {p.r, p.g, p.b};
        for (int i = 0; i < 3; ++i)
            EXPECT_LE(std::abs(actual[i] - expected[i]), 2)
                << when << ": pixel (" << x << ", " << y << ") channel " << i << " is " << actual[i]
                << ", expected " << expected[i];
    }
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
