#pragma once

#include <base/Ref.hpp>
#include <engine/Sprite.hpp>
#include <game/progression/ItemEffectProtocol.hpp>

#include <string>

namespace game {

// The picture of a power-up button. While its power-up runs, a darkening overlay
// covers it, clipped to a band whose height follows the remaining time over the whole
// time; at 0 the overlay goes and a light flashes over the button and fades. It reads
// the remaining time from the attached effect every frame, and lets go of the effect
// when that time is exactly 0. Its ratio is what makes the power-up bar treat the
// button as locked. Main thread.
class CCTimerSprite final : public engine::Sprite {
public:
    // The picture, no overlay or light yet; update() runs every frame.
    static base::Ref<CCTimerSprite> initWithFile(std::string const& path);

    // The same string again does nothing; a new one replaces the texture of the
    // overlay, or makes the overlay (centred, z 0) the first time.
    void setOverlayPath(std::string const& path);
    // The same for the light (centred, z 10, opacity 0 when made).
    void setLightPath(std::string const& path);
    std::string overlayPath() const { return _overlayPath; }
    std::string lightPath() const { return _lightPath; }

    // The overlay shown at opacity 200.
    void lock();
    // The overlay hidden and the light flashed, fading over 1.5 s.
    void unlock();

    double cooldownRatio() const { return _displayRatio; }
    void setCooldownRatio(double ratio) { _displayRatio = ratio; }
    std::string const& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    ItemEffectProtocol* itemEffect() const { return itemEffect_.get(); }
    void setItemEffect(base::Ref<ItemEffectProtocol> effect) { itemEffect_ = std::move(effect); }

    void update(float dt);

    engine::Sprite* overlay() const { return _overlay.get(); }
    engine::Sprite* light() const { return _light.get(); }
    // The overlay's clip box in window points: x, y, width, height.
    struct Box {
        double x, y, width, height;
    };
    Box scissorBox() const { return scissorbox; }
    float clock() const { return _clock; }

private:
    friend base::Factory;
    CCTimerSprite() = default;

    std::string _overlayPath;
    std::string _lightPath;
    base::Ref<engine::Sprite> _overlay;
    base::Ref<engine::Sprite> _light;
    double _displayRatio {0};
    Box scissorbox {0, 0, 0, 0};
    float _clock {0};
    std::string name_;
    base::Ref<ItemEffectProtocol> itemEffect_;
};

}
