#pragma once

#include <engine/AnimationProtocol.hpp>
#include <engine/Texture2D.hpp>

#include <string>
#include <vector>

namespace engine {

// A named list of whole textures shown one after another by the frame-animation
// action on a Sprite. The frames hold their textures, so they survive a purge of
// the texture cache while the animation lives. Main thread.
class Animation final : public AnimationProtocol {
public:
    static base::Ref<Animation> animationWithName(std::string name, float delay);
    // Each image loaded through the texture cache, in order; names that do not
    // load are left out (the cache has logged them).
    static base::Ref<Animation> animationWithName(
        std::string name, float delay, std::vector<std::string> const& images);
    static base::Ref<Animation> animationWithName(
        std::string name, float delay, std::vector<base::Ref<Texture2D>> const& textures);

    // Appends the image's texture; nothing when it does not load.
    void addFrameWithFilename(std::string const& filename);
    // Null is ignored.
    void addFrameWithTexture(base::Ref<Texture2D> texture);

    std::string name() const override { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    float delay() const override { return delay_; }
    void setDelay(float delay) { delay_ = delay; }
    // Textures, as the frame protocol hands them around.
    std::vector<base::Ref<base::Object>> const& frames() const override { return frames_; }
    // Frames that are not textures are left out.
    void setFrames(std::vector<base::Ref<Texture2D>> const& frames);
    // The frame at index as a texture, or null.
    Texture2D* textureAt(std::size_t index) const;

private:
    std::string name_;
    float delay_;
    std::vector<base::Ref<base::Object>> frames_;

    friend base::Factory;

    // Use the factories.
    Animation(std::string name, float delay);
};

}
