#pragma once

#include <base/Ref.hpp>
#include <engine/BlendFunc.hpp>
#include <engine/Forward.hpp>

namespace engine {

// What a node that draws a texture answers: textured nodes, sprite batches and
// tile nodes. Main thread only.
class TextureProtocol {
public:
    virtual ~TextureProtocol() = default;

    virtual Texture2D* texture() const = 0;
    virtual void setTexture(base::Ref<Texture2D> texture) = 0;
    virtual BlendFunc blendFunc() const = 0;
    virtual void setBlendFunc(BlendFunc blendFunc) = 0;
};

}
