#include <effects/ParticleSystem.hpp>

#include <base/Exception.hpp>
#include <base/Log.hpp>
#include <engine/Texture2D.hpp>
#include <foundation/Random.hpp>
#include <graphics/GLES.hpp>

#include <algorithm>
#include <cmath>
#include <new>

namespace effects {

float particleRandomMinus1To1() {
    return float(foundation::random()) * (1.0f / 1073741824.0f) - 1.0f;
}

namespace {

float vary(float value, float variance) {
    return value + variance * particleRandomMinus1To1();
}

}

base::Ref<ParticleSystem> ParticleSystem::node() {
    throw base::Exception(
        "Particle.init", "Particle.init shall not be called. Use initWithTotalParticles instead.");
}

ParticleSystem::ParticleSystem(int totalParticles) {
    if (totalParticles < 0) {
        base::logLine("Particle system: not enough memory");
        return;
    }
    try {
        particles_.assign(std::size_t(totalParticles), sParticle {});
    } catch (std::bad_alloc const&) {
        base::logLine("Particle system: not enough memory");
        return;
    }
    totalParticles_ = totalParticles;
    allocated_ = true;
    schedule(&ParticleSystem::step);
}

ParticleSystem::~ParticleSystem() = default;

void ParticleSystem::setTotalParticles(int value) {
    totalParticles_ = std::clamp(value, 0, capacity());
    particleCount_ = std::min(particleCount_, totalParticles_);
}

void ParticleSystem::setTexture(base::Ref<engine::Texture2D> texture) {
    texture_ = std::move(texture);
    if (texture_ && !texture_->hasPremultipliedAlpha())
        blendFunc_ = engine::straightAlphaBlendFunc;
}

bool ParticleSystem::addParticle() {
    if (isFull())
        return false;
    initParticle(particles_[std::size_t(particleCount_)]);
    ++particleCount_;
    return true;
}

void ParticleSystem::initParticle(sParticle& particle) {
    particle.pos.x = std::trunc(vary(centerOfGravity_.x, posVar_.x));
    particle.pos.y = std::trunc(vary(centerOfGravity_.y, posVar_.y));

    float a = vary(angle_, angleVar_) / 180.0f * 3.1415927f;
    float v = vary(speed_, speedVar_);
    particle.dir = {std::cos(a) * v, std::sin(a) * v};

    particle.radialAccel = vary(radialAccel_, radialAccelVar_);
    particle.tangentialAccel = vary(tangentialAccel_, tangentialAccelVar_);

    particle.life = std::max(0.0f, vary(life_, lifeVar_));
    // A particle born dead is removed in its first step before anything reads its deltas;
    // they stay 0 rather than becoming infinities.
    float life = particle.life;
    auto perSecond = [life](float change) { return life > 0 ? change / life : 0.0f; };

    ccColor4F start {vary(startColor_.r, startColorVar_.r), vary(startColor_.g, startColorVar_.g),
        vary(startColor_.b, startColorVar_.b), vary(startColor_.a, startColorVar_.a)};
    ccColor4F end {vary(endColor_.r, endColorVar_.r), vary(endColor_.g, endColorVar_.g),
        vary(endColor_.b, endColorVar_.b), vary(endColor_.a, endColorVar_.a)};
    particle.color = start;
    particle.deltaColor = {perSecond(end.r - start.r), perSecond(end.g - start.g),
        perSecond(end.b - start.b), perSecond(end.a - start.a)};

    particle.size = std::max(0.0f, vary(startSize_, startSizeVar_));
    if (endSize_ == -1)
        particle.deltaSize = 0;
    else
        particle.deltaSize = perSecond(vary(endSize_, endSizeVar_) - particle.size);

    particle.rotation = vary(startSpin_, startSpinVar_);
    particle.deltaRotation = perSecond(vary(endSpin_, endSpinVar_) - particle.rotation);

    particle.startPos = position();
}

void ParticleSystem::stopSystem() {
    active_ = false;
    elapsed_ = duration_;
    emitCounter_ = 0;
}

void ParticleSystem::resetSystem() {
    active_ = true;
    elapsed_ = 0;
    for (int i = 0; i < particleCount_; ++i)
        particles_[std::size_t(i)].life = 0;
}

void ParticleSystem::step(float dt) {
    // Removing itself from its parent may drop the last other reference.
    base::Ref<ParticleSystem> keep(this);

    if (active_ && emissionRate_ != 0) {
        float rate = 1.0f / emissionRate_;
        emitCounter_ += dt;
        while (particleCount_ < totalParticles_ && emitCounter_ > rate) {
            addParticle();
            emitCounter_ -= rate;
        }
        elapsed_ += dt;
        if (duration_ != -1 && duration_ < elapsed_)
            stopSystem();
    }

    particleIdx_ = 0;
    engine::Point current = position();
    while (particleIdx_ < particleCount_) {
        sParticle& p = particles_[std::size_t(particleIdx_)];
        if (p.life > 0) {
            engine::Point radial = engine::PointNormalize(p.pos);
            engine::Point tangential {-radial.y, radial.x};
            engine::Point accel {
                radial.x * p.radialAccel + tangential.x * p.tangentialAccel + gravity_.x,
                radial.y * p.radialAccel + tangential.y * p.tangentialAccel + gravity_.y};
            p.dir.x += accel.x * dt;
            p.dir.y += accel.y * dt;
            p.pos.x += p.dir.x * dt;
            p.pos.y += p.dir.y * dt;
            p.color.r += p.deltaColor.r * dt;
            p.color.g += p.deltaColor.g * dt;
            p.color.b += p.deltaColor.b * dt;
            p.color.a += p.deltaColor.a * dt;
            p.size = std::max(0.0f, p.size + p.deltaSize * dt);
            p.life -= dt;

            engine::Point drawn = p.pos;
            if (positionType_ == 0)
                drawn
                    = {p.pos.x - (current.x - p.startPos.x), p.pos.y - (current.y - p.startPos.y)};
            updateParticle(p, drawn, dt);
            ++particleIdx_;
        } else {
            if (particleIdx_ != particleCount_ - 1)
                p = particles_[std::size_t(particleCount_ - 1)];
            --particleCount_;
            if (particleCount_ == 0 && autoRemoveOnFinish_) {
                unschedule(&ParticleSystem::step);
                if (parent())
                    parent()->removeChild(this, engine::Cleanup::Yes);
            }
        }
    }
    postStep();
}

bool ParticleSystem::applyBlend() const {
    if (blendAdditive_) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        return true;
    }
    if (blendFunc_ != engine::defaultBlendFunc) {
        glBlendFunc(blendFunc_.src, blendFunc_.dst);
        return true;
    }
    return false;
}

void ParticleSystem::restoreBlend(bool changed) {
    if (changed)
        glBlendFunc(engine::defaultBlendFunc.src, engine::defaultBlendFunc.dst);
}

GLuint ParticleSystem::makeArrayBuffer(void const* data, std::size_t bytes) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    uploadArrayBuffer(buffer, data, bytes);
    return buffer;
}

void ParticleSystem::uploadArrayBuffer(GLuint buffer, void const* data, std::size_t bytes) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(bytes), data, GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

}
