#pragma once

#include <effects/ParticleSystem.hpp>
#include <graphics/GLES.hpp>

#include <vector>

namespace effects {

struct ccV2F_C4F_T2F {
    float x {0}, y {0};
    float r {0}, g {0}, b {0}, a {0};
    float u {0}, v {0};
    bool operator==(ccV2F_C4F_T2F const&) const = default;
};

// A particle's quad: bottom-left, bottom-right, top-left, top-right; 128 bytes.
struct ccV2F_C4F_T2F_Quad {
    ccV2F_C4F_T2F bl, br, tl, tr;
    bool operator==(ccV2F_C4F_T2F_Quad const&) const = default;
};
static_assert(sizeof(ccV2F_C4F_T2F_Quad) == 128);

// A particle system that draws each particle as a textured quad of its size, turned
// clockwise by its rotation, from one GL buffer rewritten every step and one index array
// (triangles 0-1-2 and 3-2-1 of each quad). Sixteen-bit indices reach 16384 quads, the most
// a system can hold. Main thread, with the GL context current.
class QuadParticleSystem : public ParticleSystem {
public:
    static constexpr int maxCapacity = 16384;

    // Null, with a log line, for a capacity above maxCapacity or arrays that cannot be had.
    static base::Ref<QuadParticleSystem> initWithTotalParticles(int totalParticles);

    void draw() override;

    void initTexCoords();
    void initIndices();

    ccV2F_C4F_T2F_Quad const* quads() const { return quads_.data(); }
    GLushort const* indices() const { return indices_.data(); }
    GLuint quadsID() const { return quadsID_; }

protected:
    explicit QuadParticleSystem(int totalParticles);
    ~QuadParticleSystem() override;

    void updateParticle(sParticle& p, engine::Point drawn, float dt) override;
    void postStep() override;

    friend base::Factory;

private:
    std::vector<ccV2F_C4F_T2F_Quad> quads_;
    std::vector<GLushort> indices_;
    GLuint quadsID_ {0};
};

}
