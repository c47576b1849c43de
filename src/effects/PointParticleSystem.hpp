#pragma once

#include <effects/ParticleSystem.hpp>
#include <graphics/GLES.hpp>

#include <optional>
#include <vector>

namespace effects {

struct ParticlePresetValues;

// One point sprite: position, colour and size, 28 bytes as the vertex arrays read them.
struct ccPointSprite {
    float x {0}, y {0};
    float r {0}, g {0}, b {0}, a {0};
    float size {0};
    bool operator==(ccPointSprite const&) const = default;
};
static_assert(sizeof(ccPointSprite) == 28);

// A particle system that draws each particle as one point sprite of its size, from one GL
// buffer rewritten every step. Where the context lacks point sprites or the point-size array
// (checked when drawing), the same vertices are drawn as axis-aligned quads instead. Sizes
// above 64 and spinning are refused. Main thread, with the GL context current.
class PointParticleSystem : public ParticleSystem {
public:
    // Null, with "Particle system: not enough memory" logged, when the arrays cannot be had.
    static base::Ref<PointParticleSystem> initWithTotalParticles(int totalParticles);

    void draw() override;

    // Assertions: "PointParticleSystem doesn't support size > 64" and "PointParticleSystem
    // doesn't support spinning" (for any non-zero spin).
    void setStartSize(float value) override;
    void setStartSpin(float value) override;
    void setStartSpinVar(float value) override;
    void setEndSpin(float value) override;
    void setEndSpinVar(float value) override;

    ccPointSprite const* vertices() const { return vertices_.data(); }
    GLuint verticesID() const { return verticesID_; }

    // Whether the current context has point sprites and the point-size array. Tests may force
    // the answer (nullopt asks the context again).
    static bool pointSpritesSupported();
    static void forcePointSpritesSupported(std::optional<bool> supported);

protected:
    explicit PointParticleSystem(int totalParticles);
    ~PointParticleSystem() override;

    // Sets a ready-made emitter's values, stored directly (without the renderer's checks),
    // and the texture "fire.png".
    void applyPresetValues(ParticlePresetValues const& values);

    void updateParticle(sParticle& p, engine::Point drawn, float dt) override;
    void postStep() override;

    friend base::Factory;

private:
    void drawAsQuads();

    std::vector<ccPointSprite> vertices_;
    GLuint verticesID_ {0};
    // Quads of the fallback, made on first use at the system's capacity.
    std::vector<float> fallbackVertices_;
    std::vector<GLushort> fallbackIndices_;
};

}
