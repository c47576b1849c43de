#include <effects/QuadParticleSystem.hpp>

#include <base/Log.hpp>
#include <engine/Texture2D.hpp>

#include <algorithm>
#include <cmath>
#include <new>

namespace effects {

base::Ref<QuadParticleSystem> QuadParticleSystem::initWithTotalParticles(int totalParticles) {
    if (totalParticles > maxCapacity) {
        base::logLine("QuadParticleSystem: at most 16384 particles");
        return nullptr;
    }
    auto system = base::make<QuadParticleSystem>(totalParticles);
    return system->allocated() ? system : nullptr;
}

QuadParticleSystem::QuadParticleSystem(int totalParticles)
    : ParticleSystem(std::min(totalParticles, maxCapacity)) {
    if (!allocated())
        return;
    try {
        quads_.assign(std::size_t(totalParticles), ccV2F_C4F_T2F_Quad {});
        indices_.assign(std::size_t(totalParticles) * 6, 0);
    } catch (std::bad_alloc const&) {
        base::logLine("Particle system: not enough memory");
        quads_ = {};
        indices_ = {};
        setAllocationFailed();
        return;
    }
    initTexCoords();
    initIndices();
    quadsID_ = makeArrayBuffer(quads_.data(), sizeof(ccV2F_C4F_T2F_Quad) * quads_.size());
}

QuadParticleSystem::~QuadParticleSystem() {
    if (quadsID_)
        glDeleteBuffers(1, &quadsID_);
}

void QuadParticleSystem::initTexCoords() {
    for (auto& quad : quads_) {
        quad.bl.u = 0, quad.bl.v = 0;
        quad.br.u = 1, quad.br.v = 0;
        quad.tl.u = 0, quad.tl.v = 1;
        quad.tr.u = 1, quad.tr.v = 1;
    }
}

void QuadParticleSystem::initIndices() {
    for (std::size_t k = 0; k < quads_.size(); ++k) {
        auto base = GLushort(k * 4);
        GLushort* out = &indices_[k * 6];
        out[0] = base;
        out[1] = GLushort(base + 1);
        out[2] = GLushort(base + 2);
        out[3] = GLushort(base + 3);
        out[4] = GLushort(base + 2);
        out[5] = GLushort(base + 1);
    }
}

void QuadParticleSystem::updateParticle(sParticle& p, engine::Point drawn, float dt) {
    ccV2F_C4F_T2F_Quad& quad = quads_[std::size_t(particleIdx_)];
    for (ccV2F_C4F_T2F* v : {&quad.bl, &quad.br, &quad.tl, &quad.tr}) {
        v->r = p.color.r;
        v->g = p.color.g;
        v->b = p.color.b;
        v->a = p.color.a;
    }
    p.rotation += p.deltaRotation * dt;
    float h = p.size / 2;
    float x = drawn.x, y = drawn.y;
    static constexpr float offsets[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    ccV2F_C4F_T2F* corners[4] = {&quad.bl, &quad.br, &quad.tl, &quad.tr};
    if (p.rotation == 0) {
        for (int i = 0; i < 4; ++i) {
            corners[i]->x = x + offsets[i][0] * h;
            corners[i]->y = y + offsets[i][1] * h;
        }
        return;
    }
    // A positive rotation turns the quad clockwise.
    float r = p.rotation / -180.0f * 3.1415927f;
    float c = std::cos(r), s = std::sin(r);
    for (int i = 0; i < 4; ++i) {
        float ox = offsets[i][0] * h, oy = offsets[i][1] * h;
        corners[i]->x = ox * c - oy * s + x;
        corners[i]->y = ox * s + oy * c + y;
    }
}

void QuadParticleSystem::postStep() {
    if (!quadsID_)
        return;
    uploadArrayBuffer(
        quadsID_, quads_.data(), sizeof(ccV2F_C4F_T2F_Quad) * std::size_t(particleCount()));
}

void QuadParticleSystem::draw() {
    if (particleIdx_ <= 0 || !quadsID_)
        return;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture() ? texture()->name() : 0);
    glBindBuffer(GL_ARRAY_BUFFER, quadsID_);
    GLsizei stride = sizeof(ccV2F_C4F_T2F);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, stride, nullptr);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, stride, reinterpret_cast<void const*>(8));
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, reinterpret_cast<void const*>(24));

    bool changed = applyBlend();
    glDrawElements(GL_TRIANGLES, particleIdx_ * 6, GL_UNSIGNED_SHORT, indices_.data());
    restoreBlend(changed);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_TEXTURE_2D);
}

}
