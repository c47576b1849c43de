#pragma once

#include <engine/Layer.hpp>
#include <engine/Sprite.hpp>
#include <game/interface/AnimatedSprite.hpp>

namespace game {

// The 1.1-second full-screen announcement of a power-up: a backdrop opens in the
// middle of the screen, the power-up's icon flies in from the right, rests and flies
// out to the left, and the backdrop closes. The power-up that starts it adds it to the
// main game layer, polls isAnimFinished on each timeline update and removes it with
// cleanup once it is. While it is on screen it takes every touch. Its actions run on
// the engine's action manager, so it plays while the salon is paused. Main thread.
class ItemEffectAnim final : public engine::Layer {
public:
    static base::Ref<ItemEffectAnim> initSpeedBonusAnim();
    static base::Ref<ItemEffectAnim> initIncomeBonusAnim();
    static base::Ref<ItemEffectAnim> initWildcardBonusAnim();

    void setAnimFinished() { _finished = true; }
    bool isAnimFinished() const { return _finished; }
    // Gives the frame time to the frame animations of the backdrop and the icon.
    void update(float dt);

    bool ccTouchesBegan(ui::TouchSet&, ui::Event*) override { return true; }
    bool ccTouchesMoved(ui::TouchSet&, ui::Event*) override { return true; }
    bool ccTouchesEnded(ui::TouchSet&, ui::Event*) override { return true; }
    bool ccTouchesCancelled(ui::TouchSet&, ui::Event*) override { return true; }

    void cleanup() override;

    AnimatedSprite* background() const { return _background.get(); }
    AnimatedSprite* animatedIcon() const { return _ani_icon.get(); }
    engine::Sprite* icon() const { return _icon.get(); }
    engine::Sprite* spinner() const { return _spin_sfx.get(); }

private:
    friend base::Factory;
    ItemEffectAnim();

    void initBackground(char const* name);
    // The icon's path: a quick move to the first stop, a short one to the second, a
    // rest, the exit, then the end of the announcement.
    base::Ref<engine::FiniteTimeAction> iconPath(
        engine::Point first, engine::Point second, engine::Point exit);

    base::Ref<AnimatedSprite> _background;
    base::Ref<AnimatedSprite> _ani_icon;
    base::Ref<engine::Sprite> _icon;
    base::Ref<engine::Sprite> _spin_sfx;
    bool _finished {false};
};

}
