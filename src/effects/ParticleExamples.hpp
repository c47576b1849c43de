#pragma once

#include <effects/PointParticleSystem.hpp>

namespace effects {

// The values a ready-made emitter sets; see each preset below.
struct ParticlePresetValues {
    enum class Rate { TotalOverLife, TotalOverDuration, Fixed };

    float duration {-1};
    engine::Point gravity;
    float angle {0}, angleVar {0};
    float speed {0}, speedVar {0};
    float radialAccel {0}, radialAccelVar {0};
    float tangentialAccel {0}, tangentialAccelVar {0};
    engine::Point position;
    engine::Point posVar;
    float life {0}, lifeVar {0};
    float startSize {0}, startSizeVar {0};
    Rate rate {Rate::TotalOverLife};
    float fixedRate {0};
    ccColor4F startColor, startColorVar, endColor, endColorVar;
    bool blendAdditive {false};
};

// The base of the eleven ready-made point emitters: node() makes one of the preset's own
// capacity, initWithTotalParticles one of another capacity (rates given as total/life or
// total/duration follow it). Each sets its values and the texture "fire.png" from the texture
// cache; end size -1 (kept), no spin.
template<typename Self> class ParticlePreset : public PointParticleSystem {
public:
    static base::Ref<Self> node() { return initWithTotalParticles(Self::defaultCapacity); }
    static base::Ref<Self> initWithTotalParticles(int totalParticles) {
        auto system = base::make<Self>(totalParticles);
        if (!system->allocated())
            return nullptr;
        system->applyPresetValues(Self::values());
        return system;
    }

protected:
    explicit ParticlePreset(int totalParticles)
        : PointParticleSystem(totalParticles) { }
};

class ParticleFireworks final : public ParticlePreset<ParticleFireworks> {
public:
    static constexpr int defaultCapacity = 1500;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleFireworks(int n)
        : ParticlePreset(n) { }
};

class ParticleFire final : public ParticlePreset<ParticleFire> {
public:
    static constexpr int defaultCapacity = 250;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleFire(int n)
        : ParticlePreset(n) { }
};

class ParticleSun final : public ParticlePreset<ParticleSun> {
public:
    static constexpr int defaultCapacity = 350;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleSun(int n)
        : ParticlePreset(n) { }
};

class ParticleGalaxy final : public ParticlePreset<ParticleGalaxy> {
public:
    static constexpr int defaultCapacity = 200;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleGalaxy(int n)
        : ParticlePreset(n) { }
};

class ParticleFlower final : public ParticlePreset<ParticleFlower> {
public:
    static constexpr int defaultCapacity = 250;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleFlower(int n)
        : ParticlePreset(n) { }
};

class ParticleMeteor final : public ParticlePreset<ParticleMeteor> {
public:
    static constexpr int defaultCapacity = 150;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleMeteor(int n)
        : ParticlePreset(n) { }
};

class ParticleSpiral final : public ParticlePreset<ParticleSpiral> {
public:
    static constexpr int defaultCapacity = 500;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleSpiral(int n)
        : ParticlePreset(n) { }
};

class ParticleExplosion final : public ParticlePreset<ParticleExplosion> {
public:
    static constexpr int defaultCapacity = 700;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleExplosion(int n)
        : ParticlePreset(n) { }
};

class ParticleSmoke final : public ParticlePreset<ParticleSmoke> {
public:
    static constexpr int defaultCapacity = 200;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleSmoke(int n)
        : ParticlePreset(n) { }
};

// Placed from the director's window size.
class ParticleSnow final : public ParticlePreset<ParticleSnow> {
public:
    static constexpr int defaultCapacity = 700;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleSnow(int n)
        : ParticlePreset(n) { }
};

// Placed from the director's window size.
class ParticleRain final : public ParticlePreset<ParticleRain> {
public:
    static constexpr int defaultCapacity = 1000;
    static ParticlePresetValues values();

private:
    friend base::Factory;
    explicit ParticleRain(int n)
        : ParticlePreset(n) { }
};

}
