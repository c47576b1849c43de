#include <base/Exception.hpp>
#include <base/Log.hpp>
#include <base/Verify.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/Layer.hpp>
#include <engine/Scene.hpp>
#include <engine/TouchDispatcher.hpp>

#include <GLES/gl.h>

namespace engine {

base::Ref<Scene> Scene::node() {
    return base::make<Scene>();
}

Scene::Scene() {
    setRelativeAnchorPoint(false);
    setAnchorPoint({0.5f, 0.5f});
    setContentSize(DirectorServices::current().winSize());
}

base::Ref<Layer> Layer::node() {
    return base::make<Layer>();
}

Layer::Layer() {
    setAnchorPoint({0.5f, 0.5f});
    setContentSize(DirectorServices::current().winSize());
    setRelativeAnchorPoint(false);
}

void Layer::registerWithTouchDispatcher() {
    TouchDispatcher::sharedDispatcher().addStandardDelegate(this, 0);
}

void Layer::setIsTouchEnabled(bool enabled) {
    if (enabled == isTouchEnabled_)
        return;
    isTouchEnabled_ = enabled;
    if (!isRunning())
        return;
    if (enabled)
        registerWithTouchDispatcher();
    else
        TouchDispatcher::sharedDispatcher().removeDelegate(this);
}

void Layer::setIsAccelerometerEnabled(bool enabled) {
    if (enabled == isAccelerometerEnabled_)
        return;
    isAccelerometerEnabled_ = enabled;
    if (isRunning())
        services::Accelerometer::sharedAccelerometer().setDelegate(enabled ? this : nullptr);
}

void Layer::onEnter() {
    if (isTouchEnabled_)
        registerWithTouchDispatcher();
    SceneNode::onEnter();
    if (isAccelerometerEnabled_)
        services::Accelerometer::sharedAccelerometer().setDelegate(this);
}

void Layer::onExit() {
    if (isTouchEnabled_)
        TouchDispatcher::sharedDispatcher().removeDelegate(this);
    if (isAccelerometerEnabled_)
        services::Accelerometer::sharedAccelerometer().setDelegate(nullptr);
    SceneNode::onExit();
}

bool Layer::ccTouchBegan(ui::Touch*, ui::Event*) {
    VERIFY_MSG(false, "Layer#ccTouchBegan override me");
    return true;
}

base::Ref<ColorLayer> ColorLayer::layerWithColor(Color4B color, float width, float height) {
    return base::make<ColorLayer>(color, width, height);
}

base::Ref<ColorLayer> ColorLayer::layerWithColor(Color4B color) {
    auto size = DirectorServices::current().winSize();
    return base::make<ColorLayer>(color, size.width, size.height);
}

ColorLayer::ColorLayer() {
    throw base::Exception("ColorLayerInit", "Use ColorLayer initWithColor instead");
}

ColorLayer::ColorLayer(Color4B color, float width, float height)
    : opacity_(color.a)
    , color_ {color.r, color.g, color.b} {
    updateColor();
    setContentSize({width, height});
}

void ColorLayer::setContentSize(Size size) {
    squareVertices_[2] = size.width;
    squareVertices_[5] = size.height;
    squareVertices_[6] = size.width;
    squareVertices_[7] = size.height;
    SceneNode::setContentSize(size);
}

void ColorLayer::changeWidth(float width, float height) {
    setContentSize({width, height});
}

void ColorLayer::changeWidth(float width) {
    setContentSize({width, contentSize().height});
}

void ColorLayer::changeHeight(float height) {
    setContentSize({contentSize().width, height});
}

void ColorLayer::updateColor() {
    for (int corner = 0; corner < 4; ++corner) {
        squareColors_[corner * 4 + 0] = color_.r;
        squareColors_[corner * 4 + 1] = color_.g;
        squareColors_[corner * 4 + 2] = color_.b;
        squareColors_[corner * 4 + 3] = opacity_;
    }
}

void ColorLayer::setColor(Color3B color) {
    color_ = color;
    updateColor();
}

void ColorLayer::setOpacity(std::uint8_t opacity) {
    opacity_ = opacity;
    updateColor();
}

void ColorLayer::draw() {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, squareVertices_);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, squareColors_);
    bool translucent = opacity_ != 255;
    if (translucent)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    if (translucent)
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}

base::Ref<MultiplexLayer> MultiplexLayer::layerWithLayers(std::vector<base::Ref<Layer>> layers) {
    auto multiplex = base::make<MultiplexLayer>();
    multiplex->layers_ = std::move(layers);
    multiplex->enabledLayer_ = 0;
    if (!multiplex->layers_.empty() && multiplex->layers_[0])
        multiplex->addChild(multiplex->layers_[0]);
    return multiplex;
}

void MultiplexLayer::switchTo(unsigned index) {
    VERIFY_MSG(index < layers_.size(), "Invalid index in MultiplexLayer switchTo message");
    removeChild(layers_[enabledLayer_].get(), Cleanup::Yes);
    show(index);
}

void MultiplexLayer::switchToAndReleaseMe(unsigned index) {
    VERIFY_MSG(index < layers_.size(), "Invalid index in MultiplexLayer switchTo message");
    removeChild(layers_[enabledLayer_].get(), Cleanup::Yes);
    layers_[enabledLayer_] = nullptr;
    show(index);
}

void MultiplexLayer::show(unsigned index) {
    enabledLayer_ = index;
    // A slot given up by switchToAndReleaseMe has no layer left to show.
    if (layers_[index])
        addChild(layers_[index]);
    else
        base::logLine("MultiplexLayer: no layer left at index " + std::to_string(index));
}

}
