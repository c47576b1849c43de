#pragma once

#include <game/progression/PowerUpEffect.hpp>

namespace game {

// "Supercharged Facilities": the salon's wildcard mode, any service at any station.
class WildcardServiceEffect final : public PowerUpEffect {
public:
    static base::Ref<WildcardServiceEffect> init();
    static base::Ref<base::Dictionary> purchaseData();

    // Level + 18 seconds: 19 at level 1.
    float effectDuration() override;

private:
    friend base::Factory;
    WildcardServiceEffect() = default;

    void apply(Shop& shop) override;
    void undo() override;
    base::Ref<ItemEffectAnim> makeAnim() override {
        return ItemEffectAnim::initWildcardBonusAnim();
    }
};

}
