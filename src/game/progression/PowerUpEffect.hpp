#pragma once

#include <base/Value.hpp>
#include <game/progression/ItemEffectAnim.hpp>
#include <game/progression/ItemEffectProtocol.hpp>

#include <string>

namespace game {

class Shop;

// What the three power-ups of the bar share: a level, the remaining time the timeline
// tells, and the announcement that plays while the salon stands still. Starting one
// pauses the salon for the announcement (a pause reason of its own, so a pause menu
// opened meanwhile outlives it); the first update after the announcement has finished
// removes it and lets go of that reason. A new object serves one use.
class PowerUpEffect : public ItemEffectProtocol {
public:
    void setLevel(int level) { mEffectLevel = level; }
    int level() const { return mEffectLevel; }

    float cooldownDuration() override { return 0; }
    int defaultCount() override { return 10; }
    int defaultLevel() override { return 1; }
    void cooldown(float remaining) override { _remaining = remaining; }
    void endCooldown() override { _remaining = 0; }
    float remainingTime() override { return _remaining; }

    bool implements(Operation) const override { return true; }
    void startEffect() override;
    void updateEffect(float) override;
    // Undoes the change; an announcement still playing goes with it, so the salon is
    // not left paused for it.
    void endEffect(float) override;

    ItemEffectAnim* effectAnim() const { return _effectAnim.get(); }

    // The purchase description shared by the three: 15 Vov Azavuz for a batch of 5.
    static base::Ref<base::Dictionary> purchaseInfo(std::string const& uid, std::string const& name,
        std::string const& desc, std::string const& thumb, std::string const& dataKey);

protected:
    void removeAnim(Shop* shop);
    // The salon's change, its repetition on every update while active, and its undoing.
    virtual void apply(Shop& shop) = 0;
    virtual void reapply(Shop&) { }
    virtual void undo() = 0;
    virtual base::Ref<ItemEffectAnim> makeAnim() = 0;

    int mEffectLevel {1};
    float _remaining {0};
    base::Ref<ItemEffectAnim> _effectAnim;
};

}
