#include <engine/AtlasAnimation.hpp>

namespace engine {

base::Ref<AtlasAnimation> AtlasAnimation::animationWithName(std::string name, float delay) {
    return base::make<AtlasAnimation>(std::move(name), delay);
}

base::Ref<AtlasAnimation> AtlasAnimation::animationWithName(
    std::string name, float delay, std::vector<base::Ref<AtlasSpriteFrame>> const& frames) {
    auto animation = animationWithName(std::move(name), delay);
    for (auto const& frame : frames)
        animation->addFrame(frame);
    return animation;
}

AtlasAnimation::AtlasAnimation(std::string name, float delay)
    : name_(std::move(name))
    , delay_(delay) {
}

void AtlasAnimation::addFrameWithRect(Rect rect) {
    frames_.emplace_back(AtlasSpriteFrame::frameWithRect(rect));
}

void AtlasAnimation::addFrame(base::Ref<AtlasSpriteFrame> frame) {
    if (frame)
        frames_.emplace_back(std::move(frame));
}

AtlasSpriteFrame* AtlasAnimation::frameAt(std::size_t index) const {
    return index < frames_.size() ? dynamic_cast<AtlasSpriteFrame*>(frames_[index].get()) : nullptr;
}

}
