#pragma once

#include <game/progression/ItemEffectProtocol.hpp>

namespace game {

// Finishes every staff member's current service at once. Nothing in the game makes
// one; it runs on the timeline like the power-ups, with no duration and no cooldown.
class StaffFinishEffect final : public ItemEffectProtocol {
public:
    static base::Ref<StaffFinishEffect> init();

    float effectDuration() override { return 0; }
    int defaultCount() override { return 3; }
    int defaultLevel() override { return 1; }
    float cooldownDuration() override { return 0; }
    void cooldown(float remaining) override { _remaining = remaining; }
    float remainingTime() override { return _remaining; }
    bool implements(Operation operation) const override {
        return operation == Operation::startEffect || operation == Operation::endCooldown;
    }
    void startEffect() override;
    void endCooldown() override { _remaining = 0; }

private:
    friend base::Factory;
    StaffFinishEffect() = default;

    float _remaining {0};
};

}
