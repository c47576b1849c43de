#include <effects/PointParticleSystem.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>
#include <engine/Texture2D.hpp>

#include <new>

namespace effects {

namespace {

std::optional<bool> forcedPointSprites;

}

base::Ref<PointParticleSystem> PointParticleSystem::initWithTotalParticles(int totalParticles) {
    auto system = base::make<PointParticleSystem>(totalParticles);
    return system->allocated() ? system : nullptr;
}

PointParticleSystem::PointParticleSystem(int totalParticles)
    : ParticleSystem(totalParticles) {
    if (!allocated())
        return;
    try {
        vertices_.assign(std::size_t(totalParticles), ccPointSprite {});
    } catch (std::bad_alloc const&) {
        base::logLine("Particle system: not enough memory");
        setAllocationFailed();
        return;
    }
    verticesID_ = makeArrayBuffer(vertices_.data(), sizeof(ccPointSprite) * vertices_.size());
}

PointParticleSystem::~PointParticleSystem() {
    if (verticesID_)
        glDeleteBuffers(1, &verticesID_);
}

bool PointParticleSystem::pointSpritesSupported() {
    if (forcedPointSprites)
        return *forcedPointSprites;
    return graphics::gles::hasExtension("GL_OES_point_sprite")
        && graphics::gles::hasExtension("GL_OES_point_size_array");
}

void PointParticleSystem::forcePointSpritesSupported(std::optional<bool> supported) {
    forcedPointSprites = supported;
}

void PointParticleSystem::setStartSize(float value) {
    VERIFY_MSG(value <= 64, "PointParticleSystem doesn't support size > 64");
    ParticleSystem::setStartSize(value);
}

void PointParticleSystem::setStartSpin(float value) {
    VERIFY_MSG(value == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setStartSpin(value);
}

void PointParticleSystem::setStartSpinVar(float value) {
    VERIFY_MSG(value == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setStartSpinVar(value);
}

void PointParticleSystem::setEndSpin(float value) {
    VERIFY_MSG(value == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setEndSpin(value);
}

void PointParticleSystem::setEndSpinVar(float value) {
    VERIFY_MSG(value == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setEndSpinVar(value);
}

void PointParticleSystem::updateParticle(sParticle& p, engine::Point drawn, float) {
    vertices_[std::size_t(particleIdx_)]
        = {drawn.x, drawn.y, p.color.r, p.color.g, p.color.b, p.color.a, p.size};
}

void PointParticleSystem::postStep() {
    if (!verticesID_)
        return;
    uploadArrayBuffer(
        verticesID_, vertices_.data(), sizeof(ccPointSprite) * std::size_t(particleCount()));
}

void PointParticleSystem::draw() {
    if (particleIdx_ <= 0 || !verticesID_)
        return;
    if (!pointSpritesSupported()) {
        drawAsQuads();
        return;
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture() ? texture()->name() : 0);
    glEnable(GL_POINT_SPRITE_OES);
    glTexEnvi(GL_POINT_SPRITE_OES, GL_COORD_REPLACE_OES, GL_TRUE);

    glBindBuffer(GL_ARRAY_BUFFER, verticesID_);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(ccPointSprite), nullptr);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, sizeof(ccPointSprite), reinterpret_cast<void const*>(8));
    glEnableClientState(GL_POINT_SIZE_ARRAY_OES);
    glPointSizePointerOES(GL_FLOAT, sizeof(ccPointSprite), reinterpret_cast<void const*>(24));

    bool changed = applyBlend();
    glDrawArrays(GL_POINTS, 0, particleIdx_);
    restoreBlend(changed);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableClientState(GL_POINT_SIZE_ARRAY_OES);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_POINT_SPRITE_OES);
}

// Without point sprites: two triangles a particle, of x, y, r, g, b, a, u, v, drawn from
// client memory without indices (so no 16-bit index limit applies).
void PointParticleSystem::drawAsQuads() {
    constexpr std::size_t floatsPerVertex = 8;
    constexpr std::size_t verticesPerParticle = 6;
    if (fallbackVertices_.empty())
        fallbackVertices_.resize(vertices_.size() * verticesPerParticle * floatsPerVertex);
    static constexpr float corners[verticesPerParticle][2]
        = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}, {-1, 1}, {1, -1}};
    float* out = fallbackVertices_.data();
    for (int i = 0; i < particleIdx_; ++i) {
        ccPointSprite const& v = vertices_[std::size_t(i)];
        float h = v.size / 2;
        for (auto const& corner : corners) {
            *out++ = v.x + corner[0] * h;
            *out++ = v.y + corner[1] * h;
            *out++ = v.r;
            *out++ = v.g;
            *out++ = v.b;
            *out++ = v.a;
            *out++ = (corner[0] + 1) / 2;
            *out++ = (corner[1] + 1) / 2;
        }
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture() ? texture()->name() : 0);
    GLsizei stride = GLsizei(floatsPerVertex * sizeof(float));
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, stride, fallbackVertices_.data());
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, stride, fallbackVertices_.data() + 2);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, fallbackVertices_.data() + 6);

    bool changed = applyBlend();
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(std::size_t(particleIdx_) * verticesPerParticle));
    restoreBlend(changed);

    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_TEXTURE_2D);
}

}
