#pragma once

#include <engine/AnimationProtocol.hpp>
#include <engine/AtlasSpriteFrame.hpp>

#include <string>
#include <vector>

namespace engine {

// A named list of sheet rectangles shown one after another by the
// frame-animation action on an AtlasSprite. Main thread.
class AtlasAnimation final : public AnimationProtocol {
public:
    static base::Ref<AtlasAnimation> animationWithName(std::string name, float delay);
    static base::Ref<AtlasAnimation> animationWithName(
        std::string name, float delay, std::vector<base::Ref<AtlasSpriteFrame>> const& frames);

    // Appends a new frame of the rectangle.
    void addFrameWithRect(Rect rect);
    // Null is ignored.
    void addFrame(base::Ref<AtlasSpriteFrame> frame);

    std::string name() const override { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    float delay() const override { return delay_; }
    void setDelay(float delay) { delay_ = delay; }
    // AtlasSpriteFrames, as the frame protocol hands them around.
    std::vector<base::Ref<base::Object>> const& frames() const override { return frames_; }
    // The frame at index, or null.
    AtlasSpriteFrame* frameAt(std::size_t index) const;

private:
    std::string name_;
    float delay_;
    std::vector<base::Ref<base::Object>> frames_;

    friend base::Factory;

    // Use the factories.
    AtlasAnimation(std::string name, float delay);
};

}
