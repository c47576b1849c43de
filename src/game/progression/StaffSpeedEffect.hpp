#pragma once

#include <game/progression/PowerUpEffect.hpp>

namespace game {

// "Power Boost": the staff hired when it starts walk and serve 0.5 x level + 2 times
// as fast (2.5 at level 1); the end puts back the speeds of each member's level.
class StaffSpeedEffect final : public PowerUpEffect {
public:
    static base::Ref<StaffSpeedEffect> init();
    static base::Ref<base::Dictionary> purchaseData();

    // 2 x level + 17 seconds: 19 at level 1.
    float effectDuration() override;
    float speedFactor() const { return 0.5f * float(mEffectLevel) + 2.0f; }

private:
    friend base::Factory;
    StaffSpeedEffect() = default;

    void apply(Shop& shop) override;
    void undo() override;
    base::Ref<ItemEffectAnim> makeAnim() override { return ItemEffectAnim::initSpeedBonusAnim(); }
};

}
