#pragma once

#include <game/progression/PowerUpEffect.hpp>

namespace game {

// "Tip Magnet": every customer and pet of the salon is charged double while it runs,
// those who arrive meanwhile included.
class IncomeBonusEffect final : public PowerUpEffect {
public:
    static base::Ref<IncomeBonusEffect> init();
    static base::Ref<base::Dictionary> purchaseData();

    // 2 x level + 27 seconds: 29 at level 1.
    float effectDuration() override;

private:
    friend base::Factory;
    IncomeBonusEffect() = default;

    void apply(Shop& shop) override;
    void reapply(Shop& shop) override { apply(shop); }
    void undo() override;
    base::Ref<ItemEffectAnim> makeAnim() override { return ItemEffectAnim::initIncomeBonusAnim(); }
};

}
