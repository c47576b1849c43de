#include "DirectorFixture.hpp"

#include <engine/IntervalAction.hpp>
#include <engine/Layer.hpp>
#include <support/GLFixture.hpp>

#include <cstdlib>

using engine::Color4B;
using engine::ColorLayer;
using engine::Director;
using engine::makeRect;
using engine::Point;
using graphics::Rgba;

namespace {

// Draws through the director onto an RGBA8 surface and reads its pixels back.
class DirectorRenderTest : public test::DirectorTest {
protected:
    engine::Director& attachedRGBA() { return attached(engine::PixelFormatRGBA8888); }

    // The pixel at (x, y) from the bottom-left, the engine's way up.
    static Rgba pixel(int x, int y) {
        auto* view = Director::sharedDirector().openGLView();
        view->setCurrentContext();
        auto image = view->drawable()->readPixels(x, y, 1, 1);
        return image ? image->pixel(0, 0) : Rgba {};
    }

    static void expectNear(Rgba actual, Rgba expected, int tolerance = 2) {
        EXPECT_TRUE(test::colorNear(actual, expected, tolerance));
    }
};

constexpr Rgba blue {0, 0, 255, 255};
constexpr Rgba red {255, 0, 0, 255};
constexpr Rgba green {0, 255, 0, 255};
constexpr Rgba black {0, 0, 0, 255};

}

TEST_F(DirectorRenderTest, DrawsAColourLayerAndItsNestedNodesAsTheyMove) {
    attachedRGBA();
    auto scene = engine::Scene::node();
    scene->addChild(ColorLayer::layerWithColor(Color4B {0, 0, 255, 255}), -1);
    auto parent = ColorLayer::layerWithColor(Color4B {255, 0, 0, 255}, 200, 100);
    parent->setPosition({40, 40});
    auto child = ColorLayer::layerWithColor(Color4B {0, 255, 0, 255}, 40, 40);
    child->setPosition({20, 20});
    parent->addChild(child);
    scene->addChild(parent);
    auto veil = ColorLayer::layerWithColor(Color4B {255, 255, 255, 128}, 100, 80);
    veil->setPosition({300, 200});
    scene->addChild(veil, 5);
    Director::sharedDirector().runWithScene(scene);
    frame();

    expectNear(pixel(20, 20), blue);
    expectNear(pixel(460, 300), blue);
    expectNear(pixel(50, 130), red);
    expectNear(pixel(230, 50), red);
    expectNear(pixel(80, 80), green);
    expectNear(pixel(250, 90), blue);
    // Translucent layers blend by their alpha over what is below.
    expectNear(pixel(350, 240), Rgba {128, 128, 255, 255}, 3);

    // The parent's move carries its child: one second later both are 100 points right.
    parent->runAction(engine::MoveBy::actionWithDuration(1, Point {100, 0}));
    frame(61);
    expectNear(pixel(50, 130), blue);
    expectNear(pixel(150, 130), red);
    expectNear(pixel(80, 80), blue);
    expectNear(pixel(180, 80), green);
    expectNear(pixel(330, 50), red);
}

TEST_F(DirectorRenderTest, EveryFrameStartsFromTheClearColour) {
    auto& director = attachedRGBA();
    auto scene = engine::Scene::node();
    scene->addChild(ColorLayer::layerWithColor(Color4B {255, 0, 0, 255}));
    director.runWithScene(scene);
    frame();
    expectNear(pixel(240, 160), red);
    director.replaceScene(engine::Scene::node());
    frame();
    expectNear(pixel(240, 160), black);
}

TEST_F(DirectorRenderTest, APausedDirectorStillDrawsChanges) {
    auto& director = attachedRGBA();
    auto scene = engine::Scene::node();
    auto layer = ColorLayer::layerWithColor(Color4B {255, 0, 0, 255});
    scene->addChild(layer);
    director.runWithScene(scene);
    frame();
    director.pause();
    layer->setColor({0, 255, 0});
    foundation::RunLoop::main().runFor(0.3);
    expectNear(pixel(240, 160), green);
}

TEST_F(DirectorRenderTest, TheLandscapeOrientationTurnsTheSceneOntoAPortraitSurface) {
    auto& director = Director::sharedDirector();
    director.setPixelFormat(engine::PixelFormatRGBA8888);
    director.setDeviceOrientation(engine::DeviceOrientationLandscapeLeft);
    director.attachInView(window.get(), makeRect(0, 0, 320, 480));
    ASSERT_EQ(director.winSize(), (engine::Size {480, 320}));
    auto scene = engine::Scene::node();
    scene->addChild(ColorLayer::layerWithColor(Color4B {0, 0, 255, 255}), -1);
    // The scene's lower-left corner, 100 x 50 points.
    scene->addChild(ColorLayer::layerWithColor(Color4B {255, 0, 0, 255}, 100, 50));
    director.runWithScene(scene);
    frame();
    // (x, y) of the scene lands on (y, 480 - x) of the surface.
    expectNear(pixel(25, 430), red);
    expectNear(pixel(25, 50), blue);
    expectNear(pixel(75, 430), blue);
}
