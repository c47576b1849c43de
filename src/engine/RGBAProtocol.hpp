#pragma once

#include <engine/Color.hpp>

#include <cstdint>

namespace engine {

// What a node with a colour and an opacity answers: colour layers, textured
// nodes, sprites and labels. Fades and tints find it on their target with
// dynamic_cast and leave targets without it alone. Opacity 0 is transparent,
// 255 opaque. Main thread only.
class RGBAProtocol {
public:
    virtual ~RGBAProtocol() = default;

    virtual Color3B color() const = 0;
    virtual void setColor(Color3B color) = 0;
    virtual std::uint8_t opacity() const = 0;
    virtual void setOpacity(std::uint8_t opacity) = 0;

    // Nodes whose texture has premultiplied alpha set all three colour channels
    // to the opacity whenever the opacity changes.
    virtual void setOpacityModifyRGB(bool) { }
    virtual bool doesOpacityModifyRGB() const { return false; }
};

}
