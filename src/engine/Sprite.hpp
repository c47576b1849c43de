#pragma once

#include <engine/Animation.hpp>
#include <engine/FrameSettable.hpp>
#include <engine/TextureNode.hpp>

#include <graphics/Forward.hpp>

#include <map>
#include <memory>
#include <string>

namespace engine {

// The ordinary picture node: a TextureNode whose texture comes from an image
// file through the texture cache, from an in-memory image, or from a texture the
// caller has. It can hold named Animations of whole textures, which the
// frame-animation action shows through the frame protocol (a frame is a
// Texture2D). Main thread.
class Sprite : public TextureNode, public FrameSettable {
public:
    // A sprite whose image does not load has no texture and draws nothing (the
    // cache has logged the name).
    static base::Ref<Sprite> spriteWithFile(std::string const& file);
    // Cached under the image's address, so sprites of the same image share one
    // texture.
    static base::Ref<Sprite> spriteWithCGImage(graphics::Image const& image);
    static base::Ref<Sprite> spriteWithTexture(base::Ref<Texture2D> texture);

    // A texture becomes the sprite's texture; null clears it; frames of other
    // kinds are ignored.
    void setDisplayFrame(base::Object* frame) override;
    // Frame number index of the named animation. A missing animation or frame
    // leaves the sprite as it is, with a log line.
    void setDisplayFrame(std::string const& animationName, std::size_t index);
    // True when the frame is the very texture shown.
    bool isFrameDisplayed(base::Object* frame) const override;
    base::Object* displayFrame() const override;

    // Replaces an animation of the same name.
    void addAnimation(base::Ref<Animation> animation);
    Animation* animationByName(std::string const& name) const;
    // Made on first use; null until then.
    std::map<std::string, base::Ref<Animation>> const* animations() const {
        return animations_.get();
    }

private:
    std::map<std::string, base::Ref<Animation>>& ensureAnimations();

    std::unique_ptr<std::map<std::string, base::Ref<Animation>>> animations_;

protected:
    friend base::Factory;

    // For sprites of the game's own kinds, which set their texture after.
    Sprite() = default;
};

}
