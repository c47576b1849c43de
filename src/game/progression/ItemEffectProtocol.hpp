#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

namespace game {

// What a timed power-up answers to the power-up timeline, the power-up bar and its
// cooldown button. The durations, counts and the remaining time are required; the
// four operations that act on the salon are optional: an effect says which of them
// it implements through implements(), and the timeline sends only those.
// Effects are reference counted: the timeline's event and the bar's button each
// keep the effect they hold. Main thread only.
class ItemEffectProtocol : public base::Object {
public:
    enum class Operation { startEffect, updateEffect, endEffect, endCooldown };

    // Seconds the effect stays active once started.
    virtual float effectDuration() = 0;
    // How many of the item a new player owns, and the item's first level.
    virtual int defaultCount() = 0;
    virtual int defaultLevel() = 0;
    // Seconds the slot stays blocked after the effect has ended.
    virtual float cooldownDuration() = 0;
    // Time left until the cooldown ends (cooldown end minus now); sent on every update
    // from the start until the cooldown runs out, so it can be 0 or just below 0 on the
    // update on which the effect ends.
    virtual void cooldown(float remaining) = 0;
    // The last value received through cooldown(), 0 after endCooldown().
    virtual float remainingTime() = 0;

    // Whether the effect implements an optional operation.
    virtual bool implements(Operation) const { return false; }
    // Applies the effect to the salon.
    virtual void startEffect() { }
    // Every update while active, with start time minus now (0 or negative).
    virtual void updateEffect(float) { }
    // Undoes startEffect: with start time minus now when the duration has run out, the
    // current stage time when the effect is cancelled.
    virtual void endEffect(float) { }
    // The cooldown has run out, or an active effect was cancelled.
    virtual void endCooldown() { }
};

}
