#include <effects/ParticleExamples.hpp>

#include <engine/DirectorServices.hpp>
#include <engine/TextureMgr.hpp>

namespace effects {

using Rate = ParticlePresetValues::Rate;

void PointParticleSystem::applyPresetValues(ParticlePresetValues const& v) {
    setDuration(v.duration);
    setGravity(v.gravity);
    setAngle(v.angle);
    setAngleVar(v.angleVar);
    setSpeed(v.speed);
    setSpeedVar(v.speedVar);
    setRadialAccel(v.radialAccel);
    setRadialAccelVar(v.radialAccelVar);
    setTangentialAccel(v.tangentialAccel);
    setTangentialAccelVar(v.tangentialAccelVar);
    setPosition(v.position);
    setPosVar(v.posVar);
    setLife(v.life);
    setLifeVar(v.lifeVar);
    ParticleSystem::setStartSize(v.startSize);
    setStartSizeVar(v.startSizeVar);
    setEndSize(-1);
    switch (v.rate) {
    case Rate::TotalOverLife:
        setEmissionRate(float(totalParticles()) / life());
        break;
    case Rate::TotalOverDuration:
        setEmissionRate(float(totalParticles()) / duration());
        break;
    case Rate::Fixed:
        setEmissionRate(v.fixedRate);
        break;
    }
    setStartColor(v.startColor);
    setStartColorVar(v.startColorVar);
    setEndColor(v.endColor);
    setEndColorVar(v.endColorVar);
    setTexture(engine::TextureMgr::sharedTextureMgr().addImage("fire.png"));
    setBlendAdditive(v.blendAdditive);
}

ParticlePresetValues ParticleFireworks::values() {
    ParticlePresetValues v;
    v.gravity = {0, -90};
    v.angle = 90, v.angleVar = 20;
    v.speed = 180, v.speedVar = 50;
    v.position = {160, 160};
    v.life = 3.5f, v.lifeVar = 1;
    v.startSize = 8, v.startSizeVar = 2;
    v.startColor = {0.5f, 0.5f, 0.5f, 1.0f}, v.startColorVar = {0.5f, 0.5f, 0.5f, 0.1f};
    v.endColor = {0.1f, 0.1f, 0.1f, 0.2f}, v.endColorVar = {0.1f, 0.1f, 0.1f, 0.2f};
    return v;
}

ParticlePresetValues ParticleFire::values() {
    ParticlePresetValues v;
    v.angle = 90, v.angleVar = 10;
    v.speed = 60, v.speedVar = 20;
    v.position = {160, 60}, v.posVar = {40, 20};
    v.life = 3, v.lifeVar = 0.25f;
    v.startSize = 54, v.startSizeVar = 10;
    v.startColor = {0.76f, 0.25f, 0.12f, 1.0f};
    v.endColor = {0, 0, 0, 1};
    v.blendAdditive = true;
    return v;
}

ParticlePresetValues ParticleSun::values() {
    ParticlePresetValues v;
    v.angle = 90, v.angleVar = 360;
    v.speed = 20, v.speedVar = 5;
    v.position = {160, 240};
    v.life = 1, v.lifeVar = 0.5f;
    v.startSize = 30, v.startSizeVar = 10;
    v.startColor = {0.76f, 0.25f, 0.12f, 1.0f};
    v.endColor = {0, 0, 0, 1};
    v.blendAdditive = true;
    return v;
}

ParticlePresetValues ParticleGalaxy::values() {
    ParticlePresetValues v;
    v.angle = 90, v.angleVar = 360;
    v.speed = 60, v.speedVar = 10;
    v.radialAccel = -80;
    v.tangentialAccel = 80;
    v.position = {160, 240};
    v.life = 4, v.lifeVar = 1;
    v.startSize = 37, v.startSizeVar = 10;
    v.startColor = {0.12f, 0.25f, 0.76f, 1.0f};
    v.endColor = {0, 0, 0, 1};
    v.blendAdditive = true;
    return v;
}

ParticlePresetValues ParticleFlower::values() {
    ParticlePresetValues v;
    v.angle = 90, v.angleVar = 360;
    v.speed = 80, v.speedVar = 10;
    v.radialAccel = -60;
    v.tangentialAccel = 15;
    v.position = {160, 240};
    v.life = 4, v.lifeVar = 1;
    v.startSize = 30, v.startSizeVar = 10;
    v.startColor = {0.5f, 0.5f, 0.5f, 1.0f}, v.startColorVar = {0.5f, 0.5f, 0.5f, 0.5f};
    v.endColor = {0, 0, 0, 1};
    v.blendAdditive = true;
    return v;
}

ParticlePresetValues ParticleMeteor::values() {
    ParticlePresetValues v;
    v.gravity = {-200, 200};
    v.angle = 90, v.angleVar = 360;
    v.speed = 15, v.speedVar = 5;
    v.position = {160, 240};
    v.life = 2, v.lifeVar = 1;
    v.startSize = 60, v.startSizeVar = 10;
    v.startColor = {0.2f, 0.4f, 0.7f, 1.0f}, v.startColorVar = {0, 0, 0.2f, 0.1f};
    v.endColor = {0, 0, 0, 1};
    v.blendAdditive = true;
    return v;
}

ParticlePresetValues ParticleSpiral::values() {
    ParticlePresetValues v;
    v.angle = 90;
    v.speed = 150;
    v.radialAccel = -380;
    v.tangentialAccel = 45;
    v.position = {160, 240};
    v.life = 12;
    v.startSize = 20;
    v.startColor = {0.5f, 0.5f, 0.5f, 1.0f}, v.startColorVar = {0.5f, 0.5f, 0.5f, 0};
    v.endColor = {0.5f, 0.5f, 0.5f, 1.0f}, v.endColorVar = {0.5f, 0.5f, 0.5f, 0};
    return v;
}

ParticlePresetValues ParticleExplosion::values() {
    ParticlePresetValues v;
    v.duration = 0.1f;
    v.gravity = {0, -100};
    v.angle = 90, v.angleVar = 360;
    v.speed = 70, v.speedVar = 40;
    v.position = {160, 240};
    v.life = 5, v.lifeVar = 2;
    v.startSize = 15, v.startSizeVar = 10;
    v.rate = Rate::TotalOverDuration;
    v.startColor = {0.7f, 0.1f, 0.2f, 1.0f}, v.startColorVar = {0.5f, 0.5f, 0.5f, 0};
    v.endColor = {0.5f, 0.5f, 0.5f, 0}, v.endColorVar = {0.5f, 0.5f, 0.5f, 0};
    return v;
}

ParticlePresetValues ParticleSmoke::values() {
    ParticlePresetValues v;
    v.angle = 90, v.angleVar = 5;
    v.speed = 25, v.speedVar = 10;
    v.position = {160, 0}, v.posVar = {20, 0};
    v.life = 4, v.lifeVar = 1;
    v.startSize = 60, v.startSizeVar = 10;
    v.startColor = {0.8f, 0.8f, 0.8f, 1.0f}, v.startColorVar = {0.02f, 0.02f, 0.02f, 0};
    v.endColor = {0, 0, 0, 1};
    return v;
}

ParticlePresetValues ParticleSnow::values() {
    engine::Size win = engine::DirectorServices::current().winSize();
    ParticlePresetValues v;
    v.gravity = {0, -1};
    v.angle = -90, v.angleVar = 5;
    v.speed = 5, v.speedVar = 1;
    v.radialAccelVar = 1;
    v.tangentialAccelVar = 1;
    v.position = {win.width / 2, win.height + 10}, v.posVar = {win.width / 2, 0};
    v.life = 45, v.lifeVar = 15;
    v.startSize = 10, v.startSizeVar = 5;
    v.rate = Rate::Fixed, v.fixedRate = 10;
    v.startColor = {1, 1, 1, 1};
    v.endColor = {1, 1, 1, 0};
    return v;
}

ParticlePresetValues ParticleRain::values() {
    engine::Size win = engine::DirectorServices::current().winSize();
    ParticlePresetValues v;
    v.gravity = {10, -10};
    v.angle = -90, v.angleVar = 5;
    v.speed = 130, v.speedVar = 30;
    v.radialAccelVar = 1;
    v.tangentialAccelVar = 1;
    v.position = {win.width / 2, win.height}, v.posVar = {win.width / 2, 0};
    v.life = 4.5f;
    v.startSize = 4, v.startSizeVar = 2;
    v.rate = Rate::Fixed, v.fixedRate = 20;
    v.startColor = {0.7f, 0.8f, 1.0f, 1.0f};
    v.endColor = {0.7f, 0.8f, 1.0f, 0.5f};
    return v;
}

}
