#pragma once

#include <base/Ref.hpp>
#include <effects/Forward.hpp>
#include <engine/BlendFunc.hpp>
#include <engine/Forward.hpp>
#include <engine/Geometry.hpp>
#include <engine/SceneNode.hpp>
#include <graphics/GLES.hpp>

#include <vector>

namespace effects {

// A colour of four floats 0..1, as particles fade through them.
struct ccColor4F {
    float r {0}, g {0}, b {0}, a {0};
    bool operator==(ccColor4F const&) const = default;
};

// One live particle. Positions are relative to the emitter; startPos is the node's position
// when the particle was born, so that particles of a moving emitter can stay where they were
// emitted.
struct sParticle {
    engine::Point pos;
    engine::Point startPos;
    engine::Point dir;
    float radialAccel {0};
    float tangentialAccel {0};
    ccColor4F color;
    ccColor4F deltaColor;
    float size {0};
    float deltaSize {0};
    float rotation {0};
    float deltaRotation {0};
    float life {0};
};

// A node that emits short-lived particles from a point and moves them each frame under
// gravity, radial and tangential acceleration, fading their colour and size over their life.
// The pool of particles is allocated once at the capacity given when the system is made; live
// particles fill slots 0 .. particleCount-1 without gaps, a dead one being replaced by the last
// live one. Variances draw from the shared random() generator. The renderers (point sprites,
// quads) derive from this class and write each particle's vertices during the step.
//
// step runs every frame from the scheduler while the node is in the running scene. A system
// with autoRemoveOnFinish removes itself from its parent in the step where its last particle
// dies after it stopped emitting. Main thread.
class ParticleSystem : public engine::SceneNode {
public:
    // Always raises "Particle.init": a system is made with a capacity, through a renderer.
    static base::Ref<ParticleSystem> node();

    // False when the pool is full.
    bool addParticle();
    void initParticle(sParticle& particle);
    // Stops emitting; live particles fly on until they die.
    void stopSystem();
    // Emits afresh; every live particle dies in the next step.
    void resetSystem();
    bool isFull() const { return particleCount_ == totalParticles_; }

    // Emission, physics and removal of dead particles (the renderers write their vertices on
    // the way). Scheduled every frame.
    virtual void step(float dt);

    // Properties: each setter stores the value.
    float duration() const { return duration_; }
    void setDuration(float value) { duration_ = value; }
    float elapsed() const { return elapsed_; }
    engine::Point gravity() const { return gravity_; }
    void setGravity(engine::Point value) { gravity_ = value; }
    engine::Point centerOfGravity() const { return centerOfGravity_; }
    void setCenterOfGravity(engine::Point value) { centerOfGravity_ = value; }
    engine::Point posVar() const { return posVar_; }
    void setPosVar(engine::Point value) { posVar_ = value; }
    float angle() const { return angle_; }
    void setAngle(float value) { angle_ = value; }
    float angleVar() const { return angleVar_; }
    void setAngleVar(float value) { angleVar_ = value; }
    float speed() const { return speed_; }
    void setSpeed(float value) { speed_ = value; }
    float speedVar() const { return speedVar_; }
    void setSpeedVar(float value) { speedVar_ = value; }
    float tangentialAccel() const { return tangentialAccel_; }
    void setTangentialAccel(float value) { tangentialAccel_ = value; }
    float tangentialAccelVar() const { return tangentialAccelVar_; }
    void setTangentialAccelVar(float value) { tangentialAccelVar_ = value; }
    float radialAccel() const { return radialAccel_; }
    void setRadialAccel(float value) { radialAccel_ = value; }
    float radialAccelVar() const { return radialAccelVar_; }
    void setRadialAccelVar(float value) { radialAccelVar_ = value; }
    float startSize() const { return startSize_; }
    virtual void setStartSize(float value) { startSize_ = value; }
    float startSizeVar() const { return startSizeVar_; }
    void setStartSizeVar(float value) { startSizeVar_ = value; }
    float endSize() const { return endSize_; }
    void setEndSize(float value) { endSize_ = value; }
    float endSizeVar() const { return endSizeVar_; }
    void setEndSizeVar(float value) { endSizeVar_ = value; }
    float life() const { return life_; }
    void setLife(float value) { life_ = value; }
    float lifeVar() const { return lifeVar_; }
    void setLifeVar(float value) { lifeVar_ = value; }
    ccColor4F startColor() const { return startColor_; }
    void setStartColor(ccColor4F value) { startColor_ = value; }
    ccColor4F startColorVar() const { return startColorVar_; }
    void setStartColorVar(ccColor4F value) { startColorVar_ = value; }
    ccColor4F endColor() const { return endColor_; }
    void setEndColor(ccColor4F value) { endColor_ = value; }
    ccColor4F endColorVar() const { return endColorVar_; }
    void setEndColorVar(ccColor4F value) { endColorVar_ = value; }
    float startSpin() const { return startSpin_; }
    virtual void setStartSpin(float value) { startSpin_ = value; }
    float startSpinVar() const { return startSpinVar_; }
    virtual void setStartSpinVar(float value) { startSpinVar_ = value; }
    float endSpin() const { return endSpin_; }
    virtual void setEndSpin(float value) { endSpin_ = value; }
    float endSpinVar() const { return endSpinVar_; }
    virtual void setEndSpinVar(float value) { endSpinVar_ = value; }
    float emissionRate() const { return emissionRate_; }
    void setEmissionRate(float value) { emissionRate_ = value; }
    int totalParticles() const { return totalParticles_; }
    // The pool is never resized: a value above the capacity the system was made with is
    // held to that capacity, a negative one to 0.
    void setTotalParticles(int value);
    int capacity() const { return int(particles_.size()); }
    engine::BlendFunc blendFunc() const { return blendFunc_; }
    void setBlendFunc(engine::BlendFunc value) { blendFunc_ = value; }
    bool blendAdditive() const { return blendAdditive_; }
    void setBlendAdditive(bool value) { blendAdditive_ = value; }
    bool colorModulate() const { return colorModulate_; }
    void setColorModulate(bool value) { colorModulate_ = value; }
    int positionType() const { return positionType_; }
    void setPositionType(int value) { positionType_ = value; }
    bool autoRemoveOnFinish() const { return autoRemoveOnFinish_; }
    void setAutoRemoveOnFinish(bool value) { autoRemoveOnFinish_ = value; }
    bool active() const { return active_; }
    int particleCount() const { return particleCount_; }
    int particleIdx() const { return particleIdx_; }
    float emitCounter() const { return emitCounter_; }
    int id() const { return id_; }
    void setId(int value) { id_ = value; }

    engine::Texture2D* texture() const { return texture_.get(); }
    // A texture without premultiplied alpha switches the blend to (GL_SRC_ALPHA,
    // GL_ONE_MINUS_SRC_ALPHA).
    void setTexture(base::Ref<engine::Texture2D> texture);

    // The live particles, slots 0 .. particleCount-1.
    sParticle const* particles() const { return particles_.data(); }

protected:
    // Allocates the pool of n particles and schedules step. allocated() is false when the pool
    // cannot be had ("Particle system: not enough memory" logged).
    explicit ParticleSystem(int totalParticles);
    ~ParticleSystem() override;

    bool allocated() const { return allocated_; }
    // For a renderer whose own arrays could not be had.
    void setAllocationFailed() { allocated_ = false; }

    // The renderer's part of the step: write particle p (drawn at `drawn`) into vertex slot
    // particleIdx, and upload the vertices once the particles have moved.
    virtual void updateParticle(sParticle& p, engine::Point drawn, float dt) = 0;
    virtual void postStep() { }

    // Sets blendFunc for a draw (additive or the system's own) and answers whether the
    // standing function must be restored afterwards.
    bool applyBlend() const;
    // Puts the standing blend function back when applyBlend changed it.
    static void restoreBlend(bool changed);
    // A new GL array buffer holding the bytes, and the rewrite of one; both leave no buffer
    // bound.
    static GLuint makeArrayBuffer(void const* data, std::size_t bytes);
    static void uploadArrayBuffer(GLuint buffer, void const* data, std::size_t bytes);

    int particleIdx_ {0};

private:
    int id_ {0};
    bool active_ {true};
    float duration_ {0};
    float elapsed_ {0};
    engine::Point gravity_;
    engine::Point centerOfGravity_;
    engine::Point posVar_;
    float angle_ {0}, angleVar_ {0};
    float speed_ {0}, speedVar_ {0};
    float tangentialAccel_ {0}, tangentialAccelVar_ {0};
    float radialAccel_ {0}, radialAccelVar_ {0};
    float startSize_ {0}, startSizeVar_ {0}, endSize_ {0}, endSizeVar_ {0};
    float life_ {0}, lifeVar_ {0};
    ccColor4F startColor_, startColorVar_, endColor_, endColorVar_;
    float startSpin_ {0}, startSpinVar_ {0}, endSpin_ {0}, endSpinVar_ {0};
    std::vector<sParticle> particles_;
    int totalParticles_ {0};
    int particleCount_ {0};
    bool blendAdditive_ {false};
    bool colorModulate_ {false};
    float emissionRate_ {0};
    float emitCounter_ {0};
    base::Ref<engine::Texture2D> texture_;
    engine::BlendFunc blendFunc_ {engine::defaultBlendFunc};
    int positionType_ {0};
    bool autoRemoveOnFinish_ {false};
    bool allocated_ {false};
};

// A random number in [-1, 1) from one draw of random().
float particleRandomMinus1To1();

}
