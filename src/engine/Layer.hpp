#pragma once

#include <engine/Color.hpp>
#include <engine/RGBAProtocol.hpp>
#include <engine/SceneNode.hpp>
#include <engine/TouchDelegate.hpp>
#include <services/Accelerometer.hpp>

#include <vector>

namespace engine {

// A full-screen node that can take touches and accelerometer readings. With
// touch enabled it is registered with the TouchDispatcher exactly while it is
// running (as a standard handler at priority 0 unless a subclass registers
// otherwise). Main thread only.
class Layer : public SceneNode,
              public StandardTouchDelegate,
              public TargetedTouchDelegate,
              public services::AccelerometerDelegate {
public:
    static base::Ref<Layer> node();

    virtual void registerWithTouchDispatcher();

    bool isTouchEnabled() const { return isTouchEnabled_; }
    void setIsTouchEnabled(bool enabled);
    bool isAccelerometerEnabled() const { return isAccelerometerEnabled_; }
    void setIsAccelerometerEnabled(bool enabled);

    void onEnter() override;
    void onExit() override;

    // A layer registered as a targeted handler must override this.
    bool ccTouchBegan(ui::Touch* touch, ui::Event* event) override;

private:
    bool isTouchEnabled_ {false};
    bool isAccelerometerEnabled_ {false};

protected:
    friend base::Factory;

    Layer();
};

// A layer filled with one colour and opacity.
class ColorLayer : public Layer, public RGBAProtocol {
public:
    static base::Ref<ColorLayer> layerWithColor(Color4B color, float width, float height);
    // Fills the director's window size.
    static base::Ref<ColorLayer> layerWithColor(Color4B color);

    void setContentSize(Size size) override;
    void changeWidth(float width, float height);
    void changeWidth(float width);
    void changeHeight(float height);

    void draw() override;

    Color3B color() const override { return color_; }
    void setColor(Color3B color) override;
    void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) { setColor({r, g, b}); }
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override;

    float const* squareVertices() const { return squareVertices_; }
    std::uint8_t const* squareColors() const { return squareColors_; }

private:
    void updateColor();

    std::uint8_t opacity_ {255};
    Color3B color_;
    float squareVertices_[8] {};
    std::uint8_t squareColors_[16] {};

    friend base::Factory;

    // Raises "ColorLayerInit": a colour layer needs its colour.
    ColorLayer();
    ColorLayer(Color4B color, float width, float height);
};

// Shows one of several layers at a time.
class MultiplexLayer : public Layer {
public:
    // Shows the first layer.
    static base::Ref<MultiplexLayer> layerWithLayers(std::vector<base::Ref<Layer>> layers);

    // Asserts "Invalid index in MultiplexLayer switchTo message" for an index out
    // of range; removes the shown layer with cleanup and shows the one at index.
    void switchTo(unsigned index);
    // As switchTo, and drops the multiplexer's hold on the layer it hides.
    void switchToAndReleaseMe(unsigned index);

    unsigned enabledLayer() const { return enabledLayer_; }
    std::vector<base::Ref<Layer>> const& layers() const { return layers_; }

private:
    void show(unsigned index);

    unsigned enabledLayer_ {0};
    std::vector<base::Ref<Layer>> layers_;

    friend base::Factory;

    MultiplexLayer() = default;
};

}
