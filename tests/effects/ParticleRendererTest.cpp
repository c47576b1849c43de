#include "ParticleFixture.hpp"

#include <effects/ParticleExamples.hpp>
#include <effects/PointParticleSystem.hpp>
#include <effects/QuadParticleSystem.hpp>

#include <cmath>
#include <functional>
#include <string>

using namespace effects;
using engine::Point;

namespace {

class ParticleRendererTest : public test::ParticleTest {
protected:
    void TearDown() override {
        PointParticleSystem::forcePointSpritesSupported(std::nullopt);
        test::ParticleTest::TearDown();
    }

    static GLint blendSource() {
        GLint value = 0;
        glGetIntegerv(GL_BLEND_SRC, &value);
        return value;
    }

    // Pixels of the framebuffer brighter than black.
    int litPixels() const {
        auto shot = image();
        int lit = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                auto p = shot.pixel(x, y);
                lit += p.r + p.g + p.b > 30 ? 1 : 0;
            }
        }
        return lit;
    }
};

template<typename S> base::Ref<S> still(int capacity) {
    auto system = S::initWithTotalParticles(capacity);
    system->setDuration(-1);
    system->setLife(10);
    system->setStartSize(20);
    system->setEndSize(-1);
    system->setStartColor({1, 1, 1, 1});
    system->setEndColor({1, 1, 1, 1});
    system->setEmissionRate(1000);
    system->setTexture(engine::TextureMgr::sharedTextureMgr().addImage("fire.png"));
    return system;
}

}

TEST(PointParticleSystemDeathTest, SizesAbove64AndSpinningAreRefused) {
    auto system = PointParticleSystem::initWithTotalParticles(1);
    system->setStartSize(64);
    EXPECT_EQ(system->startSize(), 64);
    EXPECT_DEATH(system->setStartSize(64.5f), "PointParticleSystem doesn't support size > 64");
    system->setEndSpin(0);
    EXPECT_EQ(system->startSpin(), 0);
    EXPECT_DEATH(system->setStartSpin(1), "PointParticleSystem doesn't support spinning");
    EXPECT_DEATH(system->setStartSpinVar(-1), "PointParticleSystem doesn't support spinning");
    EXPECT_DEATH(system->setEndSpin(0.5f), "PointParticleSystem doesn't support spinning");
    EXPECT_DEATH(system->setEndSpinVar(3), "PointParticleSystem doesn't support spinning");
}

TEST_F(ParticleRendererTest, QuadsCoverTheWholeTextureWithTheirIndexOrder) {
    auto system = QuadParticleSystem::initWithTotalParticles(3);
    ASSERT_TRUE(system);
    for (int k = 0; k < 3; ++k) {
        auto const& q = system->quads()[k];
        EXPECT_EQ(q.bl.u, 0);
        EXPECT_EQ(q.bl.v, 0);
        EXPECT_EQ(q.br.u, 1);
        EXPECT_EQ(q.br.v, 0);
        EXPECT_EQ(q.tl.u, 0);
        EXPECT_EQ(q.tl.v, 1);
        EXPECT_EQ(q.tr.u, 1);
        EXPECT_EQ(q.tr.v, 1);
    }
    std::vector<GLushort> indices(system->indices(), system->indices() + 18);
    EXPECT_EQ(
        indices, (std::vector<GLushort> {0, 1, 2, 3, 2, 1, 4, 5, 6, 7, 6, 5, 8, 9, 10, 11, 10, 9}));
    EXPECT_NE(system->quadsID(), 0u);
}

TEST_F(ParticleRendererTest, AQuadTurnsClockwiseByItsRotation) {
    struct Case {
        float startSpin;
        Point bl, br, tl, tr;
    };
    // A particle of size 4 at (10, 20), spinning from startSpin to startSpin over its life:
    // rotation stays at startSpin.
    Case cases[] = {
        {0, {8, 18}, {12, 18}, {8, 22}, {12, 22}},
        {90, {8, 22}, {8, 18}, {12, 22}, {12, 18}},
        {180, {12, 22}, {8, 22}, {12, 18}, {8, 18}},
    };
    for (Case const& c : cases) {
        auto system = QuadParticleSystem::initWithTotalParticles(1);
        system->setCenterOfGravity({10, 20});
        system->setLife(10);
        system->setStartSize(4);
        system->setEndSize(-1);
        system->setStartSpin(c.startSpin);
        system->setEndSpin(c.startSpin);
        system->setStartColor({0.25f, 0.5f, 0.75f, 1});
        system->setEndColor({0.25f, 0.5f, 0.75f, 1});
        system->addParticle();
        system->step(0);
        auto const& q = system->quads()[0];
        auto near = [](ccV2F_C4F_T2F const& v, Point p) {
            return std::abs(v.x - p.x) < 1e-4f && std::abs(v.y - p.y) < 1e-4f;
        };
        EXPECT_TRUE(near(q.bl, c.bl)) << c.startSpin << ": " << q.bl.x << "," << q.bl.y;
        EXPECT_TRUE(near(q.br, c.br)) << c.startSpin << ": " << q.br.x << "," << q.br.y;
        EXPECT_TRUE(near(q.tl, c.tl)) << c.startSpin << ": " << q.tl.x << "," << q.tl.y;
        EXPECT_TRUE(near(q.tr, c.tr)) << c.startSpin << ": " << q.tr.x << "," << q.tr.y;
        EXPECT_EQ(q.tr.r, 0.25f);
        EXPECT_EQ(q.tr.b, 0.75f);
        if (c.startSpin == 0) {
            EXPECT_EQ(q.bl.x, 8);
        }
    }
}

TEST_F(ParticleRendererTest, TheQuadRotationAdvancesWithTheStep) {
    auto system = QuadParticleSystem::initWithTotalParticles(1);
    system->setLife(2);
    system->setStartSize(2);
    system->setEndSize(-1);
    system->setEndSpin(180);
    system->addParticle();
    system->step(1);
    // Half-way through its life: 90 degrees.
    EXPECT_FLOAT_EQ(system->particles()[0].rotation, 90);
    EXPECT_NEAR(system->quads()[0].bl.x, -1, 1e-5);
    EXPECT_NEAR(system->quads()[0].bl.y, 1, 1e-5);
}

TEST_F(ParticleRendererTest, BothRenderersDrawTheirParticlesAndRestoreTheBlend) {
    struct Case {
        std::string name;
        std::function<base::Ref<ParticleSystem>()> make;
        std::optional<bool> pointSprites;
        bool additive;
    };
    Case cases[] = {
        {"points", [] { return still<PointParticleSystem>(4); }, std::nullopt, false},
        {"points-additive", [] { return still<PointParticleSystem>(4); }, std::nullopt, true},
        {"points-as-quads", [] { return still<PointParticleSystem>(4); }, false, false},
        {"quads", [] { return still<QuadParticleSystem>(4); }, std::nullopt, true},
    };
    for (Case const& c : cases) {
        PointParticleSystem::forcePointSpritesSupported(c.pointSprites);
        auto system = c.make();
        system->setBlendAdditive(c.additive);
        system->setCenterOfGravity({100, 100});
        system->step(0.01f);
        ASSERT_GT(system->particleIdx(), 0) << c.name;
        drawFrame(*system);
        EXPECT_EQ(blendSource(), GL_ONE) << c.name;
        auto centre = pixel(100, 100);
        EXPECT_GT(centre.r, 150) << c.name;
        EXPECT_LT(pixel(100, 125).r, 10) << c.name;
        EXPECT_LT(pixel(125, 100).r, 10) << c.name;
        EXPECT_GT(pixel(106, 100).r, 20) << c.name;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << c.name;
    }
}

TEST_F(ParticleRendererTest, PresetsHoldTheirValues) {
    struct Case {
        std::string name;
        std::function<base::Ref<PointParticleSystem>()> make;
        int capacity;
        float duration;
        float rate;
        Point position;
        bool additive;
    };
    // The window of the fixture's director: 480 x 320.
    Case cases[] = {
        {"fireworks", [] { return ParticleFireworks::node(); }, 1500, -1, 1500 / 3.5f, {160, 160},
            false},
        {"fire", [] { return ParticleFire::node(); }, 250, -1, 250 / 3.0f, {160, 60}, true},
        {"sun", [] { return ParticleSun::node(); }, 350, -1, 350, {160, 240}, true},
        {"galaxy", [] { return ParticleGalaxy::node(); }, 200, -1, 50, {160, 240}, true},
        {"flower", [] { return ParticleFlower::node(); }, 250, -1, 62.5f, {160, 240}, true},
        {"meteor", [] { return ParticleMeteor::node(); }, 150, -1, 75, {160, 240}, true},
        {"spiral", [] { return ParticleSpiral::node(); }, 500, -1, 500 / 12.0f, {160, 240}, false},
        {"explosion", [] { return ParticleExplosion::node(); }, 700, 0.1f, 700 / 0.1f, {160, 240},
            false},
        {"smoke", [] { return ParticleSmoke::node(); }, 200, -1, 50, {160, 0}, false},
        {"snow", [] { return ParticleSnow::node(); }, 700, -1, 10, {240, 330}, false},
        {"rain", [] { return ParticleRain::node(); }, 1000, -1, 20, {240, 320}, false},
    };
    for (Case const& c : cases) {
        auto system = c.make();
        ASSERT_TRUE(system) << c.name;
        EXPECT_EQ(system->totalParticles(), c.capacity) << c.name;
        EXPECT_EQ(system->duration(), c.duration) << c.name;
        EXPECT_FLOAT_EQ(system->emissionRate(), c.rate) << c.name;
        EXPECT_EQ(system->position(), c.position) << c.name;
        EXPECT_EQ(system->blendAdditive(), c.additive) << c.name;
        EXPECT_EQ(system->endSize(), -1) << c.name;
        EXPECT_EQ(system->endSizeVar(), 0) << c.name;
        EXPECT_EQ(system->startSpin(), 0) << c.name;
        ASSERT_TRUE(system->texture()) << c.name;
        EXPECT_EQ(
            system->texture(), engine::TextureMgr::sharedTextureMgr().addImage("fire.png").get());
    }
    auto fire = ParticleFire::node();
    EXPECT_EQ(fire->posVar(), (Point {40, 20}));
    EXPECT_EQ(fire->startColor(), (ccColor4F {0.76f, 0.25f, 0.12f, 1.0f}));
    EXPECT_EQ(fire->startSize(), 54);
    auto galaxy = ParticleGalaxy::node();
    EXPECT_EQ(galaxy->radialAccel(), -80);
    EXPECT_EQ(galaxy->tangentialAccel(), 80);
    auto rain = ParticleRain::node();
    EXPECT_EQ(rain->posVar(), (Point {240, 0}));
    EXPECT_EQ(rain->gravity(), (Point {10, -10}));
}

TEST_F(ParticleRendererTest, AnotherCapacityCarriesTheRateWithIt) {
    EXPECT_FLOAT_EQ(ParticleFire::initWithTotalParticles(30)->emissionRate(), 10);
    EXPECT_FLOAT_EQ(ParticleExplosion::initWithTotalParticles(70)->emissionRate(), 700);
    EXPECT_FLOAT_EQ(ParticleSnow::initWithTotalParticles(30)->emissionRate(), 10);
    EXPECT_EQ(ParticleSnow::initWithTotalParticles(30)->totalParticles(), 30);
}

TEST_F(ParticleRendererTest, TheExplosionBurstsOnceAndSnowKeepsFalling) {
    auto explosion = ParticleExplosion::node();
    auto snow = ParticleSnow::node();
    for (int frame = 0; frame < 60; ++frame) {
        explosion->step(1.0f / 60);
        snow->step(1.0f / 60);
    }
    EXPECT_FALSE(explosion->active());
    EXPECT_EQ(explosion->particleCount(), 700);
    for (int frame = 0; frame < 600; ++frame) {
        explosion->step(1.0f / 60);
        snow->step(1.0f / 60);
    }
    EXPECT_EQ(explosion->particleCount(), 0);
    EXPECT_TRUE(snow->active());
    // Eleven seconds at ten a second; snowflakes live at least 30 s.
    EXPECT_NEAR(snow->particleCount(), 110, 1);
}

namespace {

struct PresetRun {
    std::string name;
    std::function<base::Ref<PointParticleSystem>()> make;
    std::vector<int> counts;
    ccPointSprite first;
};

}

// Each preset from a fresh random() seeded with 1, ten frames at 60 a second: the live count
// after each frame and the first vertex of the buffer (position in the node's space, colour,
// size).
TEST_F(ParticleRendererTest, SeededPresetsGiveTheirCountsAndVerticesStepByStep) {
    PresetRun runs[] = {
        {"fireworks", [] { return ParticleFireworks::node(); },
            {7, 14, 21, 28, 35, 42, 49, 57, 64, 71},
            {-6.86736536f, 32.9181519f, 0.73445642f, 0.267007738f, 0.530246139f, 0.963171303f,
                9.66478062f}},
        {"fire", [] { return ParticleFire::node(); }, {1, 2, 4, 5, 6, 8, 9, 11, 12, 13},
            {25.8171196f, 7.93110514f, 0.716585755f, 0.235718876f, 0.113145091f, 1, 62.3239021f}},
        {"sun", [] { return ParticleSun::node(); }, {5, 11, 17, 23, 29, 34, 40, 46, 52, 58},
            {1.54779875f, -3.50411677f, 0.60834372f, 0.200113147f, 0.0960542783f, 1, 38.3239021f}},
        {"galaxy", [] { return ParticleGalaxy::node(); }, {0, 1, 2, 3, 4, 5, 5, 6, 7, 8},
            {4.38087606f, -7.98720503f, 0.11509598f, 0.239783198f, 0.728941083f, 1, 45.3239021f}},
        {"flower", [] { return ParticleFlower::node(); }, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
            {5.65471554f, -12.3452063f, 0.733345985f, 0.265161484f, 0.528815627f, 0.978423476f,
                38.3239021f}},
        {"meteor", [] { return ParticleMeteor::node(); }, {1, 2, 3, 5, 6, 7, 8, 10, 11, 12},
            {-1.84446371f, 0.313720226f, 0.180045262f, 0.360090524f, 0.649592102f, 0.995930612f,
                68.3238983f}},
        {"spiral", [] { return ParticleSpiral::node(); }, {0, 1, 2, 2, 3, 4, 4, 5, 6, 6},
            {-0.426284045f, 18.6973248f, 0.766487777f, 0.278862357f, 0.553463042f, 1, 20}},
        {"explosion", [] { return ParticleExplosion::node(); },
            {116, 233, 349, 466, 583, 699, 700, 700, 700, 700},
            {6.32167482f, -15.8396454f, 0.955200016f, -0.103526779f, 0.263930798f, 0.961605668f,
                23.3239021f}},
        {"smoke", [] { return ParticleSmoke::node(); }, {0, 1, 2, 3, 4, 5, 5, 6, 7, 8},
            {12.770566f, 4.63965082f, 0.777596951f, 0.758780718f, 0.769376874f, 1, 68.3238983f}},
        {"snow", [] { return ParticleSnow::node(); }, {0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
            {163.020721f, -0.377129346f, 1, 1, 1, 0.9983356f, 14.1619511f}},
        {"rain", [] { return ParticleRain::node(); }, {0, 0, 1, 1, 1, 2, 2, 2, 3, 3},
            {164.082031f, -19.8031158f, 0.7f, 0.8f, 1, 0.985185146f, 5.66478062f}},
    };
    for (PresetRun const& run : runs) {
        foundation::srandom(1);
        auto system = run.make();
        std::vector<int> counts;
        for (int frame = 0; frame < 10; ++frame) {
            system->step(1.0f / 60);
            counts.push_back(system->particleCount());
            // Within one particle of rate x time.
            EXPECT_NEAR(counts.back(),
                std::min(float(system->totalParticles()),
                    system->emissionRate() * float(frame + 1) / 60),
                1.01)
                << run.name << " frame " << frame;
        }
        EXPECT_EQ(counts, run.counts) << run.name;
        auto const& v = system->vertices()[0];
        auto const& e = run.first;
        float got[] = {v.x, v.y, v.r, v.g, v.b, v.a, v.size};
        float want[] = {e.x, e.y, e.r, e.g, e.b, e.a, e.size};
        for (int i = 0; i < 7; ++i)
            EXPECT_NEAR(got[i], want[i], 1e-3) << run.name << " field " << i;
    }
}

// The fire, smoke and galaxy presets after two seconds, side by side, written out as
// particles-burning.png to look at.
TEST_F(ParticleRendererTest, FireSmokeAndGalaxyBurnOnScreen) {
    auto root = engine::SceneNode::node();
    auto fire = ParticleFire::node();
    auto smoke = ParticleSmoke::node();
    auto galaxy = ParticleGalaxy::node();
    fire->setPosition({80, 60});
    smoke->setPosition({240, 40});
    galaxy->setPosition({400, 200});
    root->addChild(fire);
    root->addChild(smoke);
    root->addChild(galaxy);
    for (int frame = 0; frame < 120; ++frame) {
        fire->step(1.0f / 60);
        smoke->step(1.0f / 60);
        galaxy->step(1.0f / 60);
    }
    drawFrame(*root);
    saveImage("particles-burning");
    // Fire: orange above its base; smoke: grey above its source; galaxy: blue around its
    // centre; black between them.
    auto flame = pixel(80, 100);
    EXPECT_GT(flame.r, 100);
    EXPECT_GT(flame.r, flame.b);
    auto cloud = pixel(240, 70);
    EXPECT_GT(cloud.g, 60);
    EXPECT_NEAR(cloud.r, cloud.b, 20);
    int blue = 0;
    for (int dy = -30; dy <= 30; dy += 5) {
        for (int dx = -30; dx <= 30; dx += 5) {
            auto p = pixel(400 + dx, 200 + dy);
            blue += p.b > 60 && p.b > p.r ? 1 : 0;
        }
    }
    EXPECT_GT(blue, 10);
    EXPECT_LT(pixel(330, 300).r, 10);
    EXPECT_GT(litPixels(), 3000);
}
