#include <engine/Animation.hpp>
#include <engine/TextureMgr.hpp>

namespace engine {

base::Ref<Animation> Animation::animationWithName(std::string name, float delay) {
    return base::make<Animation>(std::move(name), delay);
}

base::Ref<Animation> Animation::animationWithName(
    std::string name, float delay, std::vector<std::string> const& images) {
    auto animation = animationWithName(std::move(name), delay);
    for (auto const& image : images)
        animation->addFrameWithFilename(image);
    return animation;
}

base::Ref<Animation> Animation::animationWithName(
    std::string name, float delay, std::vector<base::Ref<Texture2D>> const& textures) {
    auto animation = animationWithName(std::move(name), delay);
    animation->setFrames(textures);
    return animation;
}

Animation::Animation(std::string name, float delay)
    : name_(std::move(name))
    , delay_(delay) {
}

void Animation::addFrameWithFilename(std::string const& filename) {
    addFrameWithTexture(TextureMgr::sharedTextureMgr().addImage(filename));
}

void Animation::addFrameWithTexture(base::Ref<Texture2D> texture) {
    // A frame with no texture would show nothing at its turn; the animation skips
    // it instead.
    if (texture)
        frames_.emplace_back(std::move(texture));
}

void Animation::setFrames(std::vector<base::Ref<Texture2D>> const& frames) {
    frames_.clear();
    for (auto const& texture : frames)
        addFrameWithTexture(texture);
}

Texture2D* Animation::textureAt(std::size_t index) const {
    return index < frames_.size() ? dynamic_cast<Texture2D*>(frames_[index].get()) : nullptr;
}

}
