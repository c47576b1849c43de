#include "EngineFixture.hpp"

#include <base/Exception.hpp>
#include <engine/Layer.hpp>
#include <engine/Scene.hpp>
#include <engine/TouchDispatcher.hpp>

using engine::TouchDispatcher;

namespace {

class LayerTest : public test::EngineTest {
protected:
    static std::size_t handlerCount() {
        return TouchDispatcher::sharedDispatcher().touchHandlers().size();
    }
};

}

TEST_F(LayerTest, ScenesAndLayersFillTheWindowAroundTheirCentre) {
    test::FakeDirector director({320, 480}, 3);
    auto scene = engine::Scene::node();
    auto layer = engine::Layer::node();
    EXPECT_EQ(scene->contentSize(), (engine::Size {480, 320}));
    EXPECT_EQ(layer->contentSize(), (engine::Size {480, 320}));
    EXPECT_EQ(layer->anchorPoint(), (engine::Point {0.5f, 0.5f}));
    EXPECT_FALSE(layer->relativeAnchorPoint());
    EXPECT_FALSE(layer->isTouchEnabled());
}

TEST_F(LayerTest, ATouchLayerIsRegisteredExactlyWhileItRuns) {
    auto scene = engine::Scene::node();
    auto layer = engine::Layer::node();
    layer->setIsTouchEnabled(true);
    EXPECT_EQ(handlerCount(), 0u);
    scene->addChild(layer);
    scene->onEnter();
    EXPECT_EQ(handlerCount(), 1u);
    EXPECT_EQ(TouchDispatcher::sharedDispatcher().touchHandlers()[0]->delegate(), layer.get());
    layer->setIsTouchEnabled(false);
    EXPECT_EQ(handlerCount(), 0u);
    layer->setIsTouchEnabled(true);
    EXPECT_EQ(handlerCount(), 1u);
    scene->onExit();
    EXPECT_EQ(handlerCount(), 0u);
}

TEST_F(LayerTest, ChildLayersAreAskedBeforeTheirParent) {
    auto scene = engine::Scene::node();
    auto parent = engine::Layer::node();
    auto child = engine::Layer::node();
    parent->setIsTouchEnabled(true);
    child->setIsTouchEnabled(true);
    parent->addChild(child);
    scene->addChild(parent);
    scene->onEnter();
    auto const& handlers = TouchDispatcher::sharedDispatcher().touchHandlers();
    ASSERT_EQ(handlers.size(), 2u);
    EXPECT_EQ(handlers[0]->delegate(), child.get());
    EXPECT_EQ(handlers[1]->delegate(), parent.get());
    scene->onExit();
}

TEST_F(LayerTest, TheAccelerometerFollowsTheRunningLayer) {
    auto layer = engine::Layer::node();
    auto& accelerometer = services::Accelerometer::sharedAccelerometer();
    layer->setIsAccelerometerEnabled(true);
    EXPECT_EQ(accelerometer.delegate(), nullptr);
    layer->onEnter();
    EXPECT_EQ(accelerometer.delegate(), layer.get());
    layer->onExit();
    EXPECT_EQ(accelerometer.delegate(), nullptr);
}

TEST_F(LayerTest, ColorLayerKeepsItsCornersAndColoursInStep) {
    auto layer = engine::ColorLayer::layerWithColor({10, 20, 30, 40}, 100, 50);
    EXPECT_EQ(layer->color(), (engine::Color3B {10, 20, 30}));
    EXPECT_EQ(layer->opacity(), 40);
    float const expected[8] = {0, 0, 100, 0, 0, 50, 100, 50};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(layer->squareVertices()[i], expected[i]) << i;
    layer->changeHeight(70);
    EXPECT_EQ(layer->squareVertices()[7], 70);
    EXPECT_EQ(layer->contentSize(), (engine::Size {100, 70}));
    layer->setRGB(1, 2, 3);
    layer->setOpacity(255);
    for (int corner = 0; corner < 4; ++corner) {
        EXPECT_EQ(layer->squareColors()[corner * 4 + 0], 1);
        EXPECT_EQ(layer->squareColors()[corner * 4 + 3], 255);
    }
    try {
        base::make<engine::ColorLayer>();
        FAIL() << "a colour layer without a colour was made";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "ColorLayerInit");
        EXPECT_EQ(e.reason(), "Use ColorLayer initWithColor instead");
    }
}

TEST_F(LayerTest, MultiplexLayerShowsOneLayerAtATime) {
    auto a = engine::Layer::node(), b = engine::Layer::node();
    auto multiplex = engine::MultiplexLayer::layerWithLayers({a, b});
    ASSERT_EQ(multiplex->children().size(), 1u);
    EXPECT_EQ(multiplex->children()[0].get(), a.get());
    multiplex->switchTo(1);
    EXPECT_EQ(multiplex->children()[0].get(), b.get());
    multiplex->switchToAndReleaseMe(0);
    EXPECT_EQ(multiplex->children()[0].get(), a.get());
    EXPECT_FALSE(multiplex->layers()[1]);
    multiplex->switchTo(1);
    EXPECT_TRUE(multiplex->children().empty());
}
