#include <game/progression/CCTimerSprite.hpp>

#include <engine/ScissorScope.hpp>
#include <engine/TextureMgr.hpp>
#include <game/shell/GraphicEngine.hpp>

namespace game {

namespace {

// The overlay: drawn, with its children, only inside its owner's clip box.
class ClippedOverlay final : public engine::Sprite {
public:
    static base::Ref<ClippedOverlay> create(std::string const& path, CCTimerSprite const& owner) {
        auto overlay = base::make<ClippedOverlay>(owner);
        overlay->setTexture(engine::TextureMgr::sharedTextureMgr().addImage(path));
        return overlay;
    }

    void visit() override {
        if (!visible())
            return;
        auto box = owner_.scissorBox();
        engine::ScissorScope clip(int(box.x), int(box.y), int(box.width), int(box.height));
        Sprite::visit();
    }

private:
    friend base::Factory;
    explicit ClippedOverlay(CCTimerSprite const& owner)
        : owner_(owner) { }

    // The owner is the overlay's parent, which outlives its drawing.
    CCTimerSprite const& owner_;
};

}

base::Ref<CCTimerSprite> CCTimerSprite::initWithFile(std::string const& path) {
    auto sprite = base::make<CCTimerSprite>();
    sprite->setTexture(engine::TextureMgr::sharedTextureMgr().addImage(path));
    sprite->schedule(&CCTimerSprite::update);
    return sprite;
}

void CCTimerSprite::setOverlayPath(std::string const& path) {
    if (path == _overlayPath && _overlay)
        return;
    _overlayPath = path;
    if (_overlay) {
        _overlay->setTexture(engine::TextureMgr::sharedTextureMgr().addImage(path));
        return;
    }
    _overlay = ClippedOverlay::create(path, *this);
    auto size = contentSize();
    _overlay->setPosition({size.width * 0.5f, size.height * 0.5f});
    addChild(_overlay, 0);
}

void CCTimerSprite::setLightPath(std::string const& path) {
    if (path == _lightPath && _light)
        return;
    _lightPath = path;
    if (_light) {
        _light->setTexture(engine::TextureMgr::sharedTextureMgr().addImage(path));
        return;
    }
    _light = engine::Sprite::spriteWithFile(path);
    auto size = contentSize();
    _light->setPosition({size.width * 0.5f, size.height * 0.5f});
    _light->setOpacity(0);
    addChild(_light, 10);
}

void CCTimerSprite::lock() {
    if (_overlay) {
        _overlay->setVisible(true);
        _overlay->setOpacity(200);
    }
    _clock = 0;
}

void CCTimerSprite::unlock() {
    if (_overlay)
        _overlay->setVisible(false);
    if (_light) {
        _light->setOpacity(255);
        GraphicEngine::fadeOutSprite(_light.get(), 1.5f);
    }
}

void CCTimerSprite::update(float dt) {
    _clock += dt;
    if (itemEffect_) {
        float remaining = itemEffect_->remainingTime();
        _displayRatio
            = double(remaining / (itemEffect_->effectDuration() + itemEffect_->cooldownDuration()));
        if (remaining == 0) {
            _displayRatio = 0;
            itemEffect_ = nullptr;
            unlock();
        }
    } else {
        _displayRatio = 0;
    }
    if (!_overlay)
        return;
    auto centre = convertToWorldSpace(_overlay->position());
    auto size = _overlay->contentSize();
    scissorbox.x = double(centre.x - size.width * 0.5f);
    scissorbox.y = double(centre.y - size.height * 0.5f + 6);
    scissorbox.width = double(size.width);
    scissorbox.height = double(size.height - 16) * _displayRatio;
}

}
