#include "ParticleFixture.hpp"

#include <effects/PointParticleSystem.hpp>
#include <effects/QuadParticleSystem.hpp>

#include <base/Exception.hpp>
#include <engine/Scheduler.hpp>
#include <foundation/Random.hpp>
#include <support/LogCapture.hpp>

#include <cmath>

using namespace effects;
using engine::Point;

namespace {

using ParticleSystemTest = test::ParticleTest;

// One draw of [-1, 1) from a generator seeded as the shared one is.
float draw(foundation::AdditiveRandom& random) {
    return float(random.next()) * (1.0f / 1073741824.0f) - 1.0f;
}

// A point system with no variance: particles fly right at 60 points a second for two seconds,
// turning from red to transparent blue and growing from 10 to 20.
base::Ref<PointParticleSystem> plainSystem(int capacity, float rate) {
    auto system = PointParticleSystem::initWithTotalParticles(capacity);
    system->setDuration(-1);
    system->setAngle(0);
    system->setSpeed(60);
    system->setLife(2);
    system->setStartSize(10);
    system->setEndSize(20);
    system->setStartColor({1, 0, 0, 1});
    system->setEndColor({0, 0, 1, 0});
    system->setEmissionRate(rate);
    return system;
}

}

TEST_F(ParticleSystemTest, ThePlainInitialiserIsRefused) {
    try {
        ParticleSystem::node();
        FAIL() << "init returned";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "Particle.init");
        EXPECT_EQ(
            e.reason(), "Particle.init shall not be called. Use initWithTotalParticles instead.");
    }
}

TEST_F(ParticleSystemTest, DefaultsOfANewSystem) {
    auto system = PointParticleSystem::initWithTotalParticles(10);
    ASSERT_TRUE(system);
    EXPECT_TRUE(system->active());
    EXPECT_FALSE(system->blendAdditive());
    EXPECT_EQ(system->blendFunc(), engine::defaultBlendFunc);
    EXPECT_EQ(system->positionType(), 0);
    EXPECT_FALSE(system->autoRemoveOnFinish());
    EXPECT_EQ(system->totalParticles(), 10);
    EXPECT_EQ(system->particleCount(), 0);
    EXPECT_EQ(system->duration(), 0);
    EXPECT_NE(system->verticesID(), 0u);
}

TEST_F(ParticleSystemTest, ANewParticleDrawsItsVariancesInOrder) {
    auto system = PointParticleSystem::initWithTotalParticles(4);
    system->setCenterOfGravity({10, -10});
    system->setPosVar({30, 30});
    system->setAngle(45);
    system->setAngleVar(20);
    system->setSpeed(100);
    system->setSpeedVar(10);
    system->setRadialAccel(5);
    system->setRadialAccelVar(2);
    system->setTangentialAccel(-5);
    system->setTangentialAccelVar(3);
    system->setLife(2);
    system->setLifeVar(0.5f);
    system->setStartColor({0.5f, 0.5f, 0.5f, 1});
    system->setStartColorVar({0.1f, 0.2f, 0.3f, 0.4f});
    system->setEndColor({0, 0, 0, 0});
    system->setEndColorVar({0.1f, 0.1f, 0.1f, 0.1f});
    system->setStartSize(20);
    system->setStartSizeVar(4);
    system->setEndSize(8);
    system->setEndSizeVar(2);
    system->setPosition({7, 9});

    foundation::AdditiveRandom mirror(1);
    ASSERT_TRUE(system->addParticle());
    sParticle const& p = system->particles()[0];

    EXPECT_EQ(p.pos.x, std::trunc(10 + 30 * draw(mirror)));
    EXPECT_EQ(p.pos.y, std::trunc(-10 + 30 * draw(mirror)));
    float a = (45 + 20 * draw(mirror)) / 180 * 3.1415927f;
    float v = 100 + 10 * draw(mirror);
    EXPECT_FLOAT_EQ(p.dir.x, std::cos(a) * v);
    EXPECT_FLOAT_EQ(p.dir.y, std::sin(a) * v);
    EXPECT_FLOAT_EQ(p.radialAccel, 5 + 2 * draw(mirror));
    EXPECT_FLOAT_EQ(p.tangentialAccel, -5 + 3 * draw(mirror));
    float life = 2 + 0.5f * draw(mirror);
    EXPECT_FLOAT_EQ(p.life, life);
    float sr = 0.5f + 0.1f * draw(mirror), sg = 0.5f + 0.2f * draw(mirror);
    float sb = 0.5f + 0.3f * draw(mirror), sa = 1 + 0.4f * draw(mirror);
    float er = 0.1f * draw(mirror), eg = 0.1f * draw(mirror), eb = 0.1f * draw(mirror);
    float ea = 0.1f * draw(mirror);
    EXPECT_EQ(p.color, (ccColor4F {sr, sg, sb, sa}));
    EXPECT_FLOAT_EQ(p.deltaColor.r, (er - sr) / life);
    EXPECT_FLOAT_EQ(p.deltaColor.g, (eg - sg) / life);
    EXPECT_FLOAT_EQ(p.deltaColor.b, (eb - sb) / life);
    EXPECT_FLOAT_EQ(p.deltaColor.a, (ea - sa) / life);
    float size = 20 + 4 * draw(mirror);
    EXPECT_FLOAT_EQ(p.size, size);
    EXPECT_FLOAT_EQ(p.deltaSize, (8 + 2 * draw(mirror) - size) / life);
    EXPECT_EQ(p.startPos, (Point {7, 9}));
    // Spin with no variances: two more draws, for the start and the end.
    draw(mirror);
    draw(mirror);
    EXPECT_EQ(foundation::random(), long(mirror.next()));
}

TEST_F(ParticleSystemTest, TheEmissionOffsetIsTruncatedTowardZero) {
    auto system = PointParticleSystem::initWithTotalParticles(50);
    system->setPosVar({0.9f, 0.9f});
    system->setLife(1);
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(system->addParticle());
    EXPECT_FALSE(system->addParticle());
    EXPECT_TRUE(system->isFull());
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(system->particles()[i].pos, (Point {0, 0}));
}

TEST_F(ParticleSystemTest, AStepMovesFadesAndGrowsEachParticleIntoItsVertex) {
    auto system = plainSystem(8, 4);
    // 0.5 s at 4 a second: the counter passes the rate once (0.5 > 0.25, then 0.25 is not).
    system->step(0.5f);
    ASSERT_EQ(system->particleCount(), 1);
    EXPECT_EQ(system->particleIdx(), 1);
    EXPECT_FLOAT_EQ(system->emitCounter(), 0.25f);
    EXPECT_EQ(system->vertices()[0], (ccPointSprite {30, 0, 0.75f, 0, 0.25f, 0.75f, 12.5f}));

    // A second step: the first particle moves on and two more are born.
    system->step(0.5f);
    EXPECT_EQ(system->particleCount(), 3);
    EXPECT_EQ(system->vertices()[0], (ccPointSprite {60, 0, 0.5f, 0, 0.5f, 0.5f, 15}));
    EXPECT_EQ(system->vertices()[1], (ccPointSprite {30, 0, 0.75f, 0, 0.25f, 0.75f, 12.5f}));
    EXPECT_EQ(system->vertices()[2], (ccPointSprite {30, 0, 0.75f, 0, 0.25f, 0.75f, 12.5f}));
}

TEST_F(ParticleSystemTest, GravityRadialAndTangentialAccelerationsBendThePath) {
    auto system = PointParticleSystem::initWithTotalParticles(1);
    system->setCenterOfGravity({10, 0});
    system->setLife(10);
    system->setRadialAccel(-4);
    system->setTangentialAccel(2);
    system->setGravity({0, -1});
    ASSERT_TRUE(system->addParticle());
    system->step(1);
    // radial (1, 0), tangential (0, 1): dir (-4, 2 - 1) after a second, pos = (6, 1).
    EXPECT_EQ(system->particles()[0].dir, (Point {-4, 1}));
    EXPECT_EQ(system->vertices()[0].x, 6);
    EXPECT_EQ(system->vertices()[0].y, 1);

    // From the origin the radial vector is zero, not a division by zero.
    auto still = PointParticleSystem::initWithTotalParticles(1);
    still->setLife(10);
    still->setRadialAccel(100);
    still->setTangentialAccel(100);
    ASSERT_TRUE(still->addParticle());
    still->step(1);
    EXPECT_EQ(still->particles()[0].pos, (Point {0, 0}));
}

TEST_F(ParticleSystemTest, EmissionIsBoundByTheCapacityAndTheRestCarriesOver) {
    // Rate 7000 a second for 0.1 s, capacity 700, at 60 frames a second.
    auto system = plainSystem(700, 7000);
    system->setLife(5);
    system->setDuration(0.1f);
    // Single-precision carrying of the counter, step by step.
    std::vector<int> counts;
    for (int frame = 0; frame < 9; ++frame) {
        system->step(1.0f / 60);
        counts.push_back(system->particleCount());
        EXPECT_LE(system->particleCount(), 700);
    }
    EXPECT_EQ(counts, (std::vector<int> {116, 233, 349, 466, 583, 699, 700, 700, 700}));
    EXPECT_FALSE(system->active());
    EXPECT_EQ(system->emitCounter(), 0);
    EXPECT_EQ(system->elapsed(), 0.1f);

    // A full pool holds back what the counter has gathered.
    auto full = plainSystem(3, 100);
    full->step(0.1f);
    EXPECT_EQ(full->particleCount(), 3);
    EXPECT_GT(full->emitCounter(), 0.06f);
}

TEST_F(ParticleSystemTest, ARateOfZeroEmitsNothingAndNeverRunsOut) {
    auto system = plainSystem(10, 0);
    system->setDuration(0.5f);
    for (int i = 0; i < 10; ++i)
        system->step(0.25f);
    EXPECT_EQ(system->particleCount(), 0);
    EXPECT_EQ(system->elapsed(), 0);
    EXPECT_TRUE(system->active());
}

TEST_F(ParticleSystemTest, AParticleBornWithoutLifeIsRemovedUndrawnAndHarmless) {
    auto system = plainSystem(4, 1);
    system->setLife(0);
    system->setEndSize(5);
    ASSERT_TRUE(system->addParticle());
    sParticle const& p = system->particles()[0];
    EXPECT_EQ(p.life, 0);
    EXPECT_TRUE(std::isfinite(p.deltaColor.r) && std::isfinite(p.deltaColor.a));
    EXPECT_TRUE(std::isfinite(p.deltaSize) && std::isfinite(p.deltaRotation));
    system->setEmissionRate(0);
    system->step(0.1f);
    EXPECT_EQ(system->particleCount(), 0);
    EXPECT_EQ(system->particleIdx(), 0);
}

TEST_F(ParticleSystemTest, DeadParticlesAreReplacedByTheLastLiveOne) {
    auto system = PointParticleSystem::initWithTotalParticles(4);
    system->setLife(1);
    for (int i = 0; i < 4; ++i)
        system->addParticle();
    // Give each particle its own life and a position that names it.
    auto* particles = const_cast<sParticle*>(system->particles());
    float lives[] = {0, 2, 0, 2};
    for (int i = 0; i < 4; ++i) {
        particles[i].life = lives[i];
        particles[i].pos = {float(i), 0};
        particles[i].dir = {0, 0};
    }
    system->step(0.5f);
    // Slot 0 is dead and takes particle 3, which is handled next; slot 2 is dead and is by
    // then the last live slot, so it is simply dropped.
    ASSERT_EQ(system->particleCount(), 2);
    EXPECT_EQ(system->vertices()[0].x, 3);
    EXPECT_EQ(system->vertices()[1].x, 1);
}

TEST_F(ParticleSystemTest, EndSizeMinusOneKeepsTheStartSizeAndSizesStayPositive) {
    auto keep = plainSystem(2, 1);
    keep->setEndSize(-1);
    keep->addParticle();
    keep->step(1);
    EXPECT_EQ(keep->vertices()[0].size, 10);

    auto shrink = plainSystem(2, 1);
    shrink->setStartSize(4);
    shrink->setEndSize(0);
    shrink->setEndSizeVar(0);
    shrink->setLife(1);
    shrink->addParticle();
    const_cast<sParticle*>(shrink->particles())[0].life = 3;
    shrink->step(2);
    EXPECT_EQ(shrink->vertices()[0].size, 0);
}

TEST_F(ParticleSystemTest, PositionTypeDecidesWhetherParticlesFollowTheNode) {
    struct Case {
        int positionType;
        float expectedX;
    };
    for (Case c : {Case {0, 30 - 100}, Case {1, 30}}) {
        auto system = plainSystem(2, 1);
        system->setPositionType(c.positionType);
        system->addParticle();
        system->setPosition({100, 0});
        system->step(0.5f);
        EXPECT_EQ(system->vertices()[0].x, c.expectedX) << "type " << c.positionType;
    }
}

TEST_F(ParticleSystemTest, StopAndResetControlEmission) {
    auto system = plainSystem(10, 10);
    system->setLife(100);
    system->step(0.25f);
    EXPECT_EQ(system->particleCount(), 2);
    system->stopSystem();
    EXPECT_FALSE(system->active());
    system->step(1);
    EXPECT_EQ(system->particleCount(), 2);
    system->resetSystem();
    EXPECT_TRUE(system->active());
    EXPECT_EQ(system->elapsed(), 0);
    // Every old particle dies in this step; the new ones are born in it.
    system->step(0.25f);
    EXPECT_EQ(system->particleCount(), 2);
    EXPECT_EQ(system->vertices()[0].x, 15);
}

TEST_F(ParticleSystemTest, AFinishedSystemRemovesItselfInTheStepItsLastParticleDies) {
    auto parent = engine::SceneNode::node();
    auto system = plainSystem(3, 10);
    system->setLife(0.5f);
    system->setDuration(0.1f);
    system->setAutoRemoveOnFinish(true);
    parent->addChild(system);
    parent->onEnter();
    ParticleSystem* raw = system.get();
    system = nullptr;
    auto& scheduler = engine::Scheduler::sharedScheduler();
    int steps = 0;
    int most = 0;
    while (!parent->children().empty() && steps < 100) {
        most = std::max(most, raw->particleCount());
        scheduler.tick(0.1f);
        ++steps;
    }
    EXPECT_TRUE(parent->children().empty());
    EXPECT_GT(most, 0);
    EXPECT_LT(steps, 12);
    parent->onExit();
}

TEST_F(ParticleSystemTest, TheCapacityIsNeverExceeded) {
    auto system = plainSystem(5, 1000);
    system->setLife(10);
    system->setTotalParticles(50);
    EXPECT_EQ(system->totalParticles(), 5);
    system->step(1);
    EXPECT_EQ(system->particleCount(), 5);
    system->setTotalParticles(2);
    EXPECT_EQ(system->totalParticles(), 2);
    EXPECT_EQ(system->particleCount(), 2);
    system->setTotalParticles(-4);
    EXPECT_EQ(system->totalParticles(), 0);
    EXPECT_FALSE(system->addParticle());
}

TEST_F(ParticleSystemTest, AnImpossiblePoolIsRefused) {
    test::LogCapture log;
    EXPECT_FALSE(PointParticleSystem::initWithTotalParticles(-1));
    EXPECT_TRUE(log.contains("Particle system: not enough memory"));
    EXPECT_FALSE(QuadParticleSystem::initWithTotalParticles(16385));
    EXPECT_TRUE(QuadParticleSystem::initWithTotalParticles(16384));
}

TEST_F(ParticleSystemTest, ATextureWithoutPremultipliedAlphaBlendsByItsAlpha) {
    auto system = PointParticleSystem::initWithTotalParticles(1);
    std::vector<std::uint8_t> pixel = {255, 255, 255, 255};
    system->setTexture(engine::TextureMgr::sharedTextureMgr().addImage("fire.png"));
    EXPECT_EQ(system->blendFunc(), engine::defaultBlendFunc);
    system->setTexture(engine::Texture2D::initWithData(
        pixel, engine::Texture2DPixelFormat::RGBA8888, 1, 1, {1, 1}));
    EXPECT_EQ(system->blendFunc(), engine::straightAlphaBlendFunc);
}
