#include <engine/Sprite.hpp>
#include <engine/TextureMgr.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>
#include <graphics/Image.hpp>

namespace engine {

base::Ref<Sprite> Sprite::spriteWithFile(std::string const& file) {
    return spriteWithTexture(TextureMgr::sharedTextureMgr().addImage(file));
}

base::Ref<Sprite> Sprite::spriteWithCGImage(graphics::Image const& image) {
    auto& manager = TextureMgr::sharedTextureMgr();
    return spriteWithTexture(manager.addCGImage(image, TextureMgr::addressKey(&image)));
}

base::Ref<Sprite> Sprite::spriteWithTexture(base::Ref<Texture2D> texture) {
    auto sprite = base::make<Sprite>();
    sprite->setTexture(std::move(texture));
    return sprite;
}

void Sprite::setDisplayFrame(base::Object* frame) {
    if (!frame) {
        setTexture(nullptr);
        return;
    }
    if (auto* texture = dynamic_cast<Texture2D*>(frame))
        setTexture(base::Ref<Texture2D>(texture));
}

void Sprite::setDisplayFrame(std::string const& animationName, std::size_t index) {
    auto& animations = ensureAnimations();
    auto found = animations.find(animationName);
    Texture2D* frame = found == animations.end() ? nullptr : found->second->textureAt(index);
    if (!frame) {
        base::logLine("Sprite: no frame " + std::to_string(index) + " in the animation \""
            + animationName + "\"");
        return;
    }
    setTexture(base::Ref<Texture2D>(frame));
}

bool Sprite::isFrameDisplayed(base::Object* frame) const {
    return frame && frame == texture();
}

base::Object* Sprite::displayFrame() const {
    return texture();
}

void Sprite::addAnimation(base::Ref<Animation> animation) {
    VERIFY_MSG(animation, "Argument must be non-nil");
    ensureAnimations()[animation->name()] = std::move(animation);
}

Animation* Sprite::animationByName(std::string const& name) const {
    if (!animations_)
        return nullptr;
    auto found = animations_->find(name);
    return found == animations_->end() ? nullptr : found->second.get();
}

std::map<std::string, base::Ref<Animation>>& Sprite::ensureAnimations() {
    if (!animations_)
        animations_ = std::make_unique<std::map<std::string, base::Ref<Animation>>>();
    return *animations_;
}

}
