#pragma once

#include <game/progression/ItemEffectProtocol.hpp>

namespace game {

// A diagnostic effect that logs its start, updates and end with a random id. It runs
// 2.5 seconds with no cooldown; nothing in the game makes one.
class TestEffect final : public ItemEffectProtocol {
public:
    static base::Ref<TestEffect> init();

    // Drawn from the 48-bit generator the first time it is asked while 0.
    int uid();
    int effectLevel() const { return 1; }

    float effectDuration() override { return 2.5f; }
    int defaultCount() override { return 3; }
    int defaultLevel() override { return 1; }
    float cooldownDuration() override { return 0; }
    void cooldown(float remaining) override { _remaining = remaining; }
    float remainingTime() override { return _remaining; }
    bool implements(Operation operation) const override {
        return operation != Operation::endCooldown;
    }
    void startEffect() override;
    void updateEffect(float time) override;
    void endEffect(float time) override;

private:
    friend base::Factory;
    TestEffect() = default;

    int mUID {0};
    float _remaining {0};
};

}
