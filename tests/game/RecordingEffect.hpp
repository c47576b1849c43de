#pragma once

#include <game/progression/ItemEffectProtocol.hpp>

#include <functional>
#include <string>
#include <vector>

namespace test {

// A power-up that writes every call the timeline makes into a shared log, tagged with
// its name, e.g. "a start", "a cooldown 2.5", "a update -1", "a end 0", "a endCooldown".
// Optional operations can be left out, and a call can be made to throw.
class RecordingEffect final : public game::ItemEffectProtocol {
public:
    static base::Ref<RecordingEffect> create(std::string name, std::vector<std::string>& log,
        float duration = 1, float cooldownSeconds = 0) {
        return base::make<RecordingEffect>(std::move(name), log, duration, cooldownSeconds);
    }

    float effectDuration() override { return duration_; }
    int defaultCount() override { return 10; }
    int defaultLevel() override { return 1; }
    float cooldownDuration() override { return cooldown_; }
    void cooldown(float remaining) override {
        remaining_ = remaining;
        note("cooldown", remaining);
    }
    float remainingTime() override { return remaining_; }

    bool implements(Operation operation) const override {
        return operation != Operation::startEffect || !withoutStart;
    }
    void startEffect() override {
        if (onStart)
            onStart();
        log_.push_back(name_ + " start");
    }
    void updateEffect(float time) override { note("update", time); }
    void endEffect(float time) override { note("end", time); }
    void endCooldown() override {
        remaining_ = 0;
        log_.push_back(name_ + " endCooldown");
    }

    bool withoutStart {false};
    std::function<void()> onStart;

private:
    friend base::Factory;
    RecordingEffect(
        std::string name, std::vector<std::string>& log, float duration, float cooldownSeconds)
        : name_(std::move(name))
        , log_(log)
        , duration_(duration)
        , cooldown_(cooldownSeconds) { }

    void note(char const* what, float value) {
        char text[64];
        std::snprintf(text, sizeof text, "%s %s %g", name_.c_str(), what, double(value));
        log_.push_back(text);
    }

    std::string name_;
    std::vector<std::string>& log_;
    float duration_;
    float cooldown_;
    float remaining_ {0};
};

}
