#include "EffectsFixture.hpp"

#include <effects/Grid.hpp>
#include <effects/GridAction.hpp>
#include <effects/GridEffects.hpp>

#include <base/Exception.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/SceneNode.hpp>

#include <cmath>

using namespace effects;
using engine::Point;

namespace {

class GridActionTest : public test::EffectActionTest {
protected:
    Grid3D& mesh() const { return gridOf<Grid3D>(); }
};

std::string nameOf(base::Exception const& e) {
    return e.name() + " / " + e.reason();
}

void expectVertex(ccVertex3F actual, double x, double y, double z, char const* what) {
    EXPECT_NEAR(actual.x, x, 1e-3) << what;
    EXPECT_NEAR(actual.y, y, 1e-3) << what;
    EXPECT_NEAR(actual.z, z, 1e-3) << what;
}

}

TEST_F(GridActionTest, StartAttachesAnActiveGridOfTheActionsKindAndSize) {
    startAt(Waves3D::actionWithWaves(1, 10, {4, 3}, 1), 0);
    auto* first = dynamic_cast<Grid3D*>(node->grid());
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->active());
    EXPECT_EQ(first->gridSize(), (ccGridSize {4, 3}));

    // Without ReuseGrid the next grid action replaces the grid with a fresh, flat one.
    base::Ref<engine::GridBase> keep(first);
    startAt(Grid3DAction::actionWithSize({4, 3}, 1), 0);
    EXPECT_NE(node->grid(), keep.get());
    EXPECT_FALSE(keep->active());
    EXPECT_TRUE(node->grid()->active());
    EXPECT_EQ(mesh().vertex({1, 1}), (ccVertex3F {120, 320.0f / 3, 0}));
}

TEST_F(GridActionTest, ReuseGridLetsTheNextEffectStartFromTheCurrentShape) {
    startAt(Waves3D::actionWithWaves(1, 10, {2, 2}, 1), 0.25f);
    auto* grid = &mesh();
    ccVertex3F deformed = grid->vertex({1, 1});
    EXPECT_NE(deformed.z, 0);
    startAt(ReuseGrid::actionWithTimes(1), 1);
    EXPECT_EQ(grid->reuseGrid(), 1);

    startAt(Grid3DAction::actionWithSize({2, 2}, 1), 0);
    EXPECT_EQ(&mesh(), grid);
    EXPECT_EQ(grid->originalVertex({1, 1}), deformed);
    EXPECT_EQ(grid->reuseGrid(), 0);
}

TEST_F(GridActionTest, AReusableGridThatDoesNotFitRaises) {
    struct Case {
        char const* what;
        base::Ref<GridAction> next;
        bool deactivate;
    };
    Case cases[] = {
        {"another size", Grid3DAction::actionWithSize({3, 2}, 1), false},
        {"another kind", TiledGrid3DAction::actionWithSize({2, 2}, 1), false},
        {"an inactive grid", Grid3DAction::actionWithSize({2, 2}, 1), true},
    };
    for (auto& c : cases) {
        startAt(Grid3DAction::actionWithSize({2, 2}, 1), 0);
        mesh().setReuseGrid(1);
        if (c.deactivate)
            mesh().setActive(false);
        try {
            startAt(c.next, 0);
            ADD_FAILURE() << c.what << " did not raise";
        } catch (base::Exception const& e) {
            EXPECT_EQ(nameOf(e), "GridBase / Cannot reuse grid") << c.what;
        }
        mesh().setReuseGrid(0);
    }
}

TEST_F(GridActionTest, ReuseGridOnAnInactiveGridAddsNothingAndStopGridKeepsTheGrid) {
    startAt(Waves3D::actionWithWaves(1, 10, {2, 2}, 1), 0.5f);
    auto* grid = &mesh();
    startAt(StopGrid::action(), 1);
    EXPECT_EQ(&mesh(), grid);
    EXPECT_FALSE(grid->active());
    startAt(ReuseGrid::actionWithTimes(2), 1);
    EXPECT_EQ(grid->reuseGrid(), 0);
    startAt(Grid3DAction::actionWithSize({2, 2}, 1), 0);
    EXPECT_NE(node->grid(), grid);
}

TEST_F(GridActionTest, TheBareGridActionAndAnActionWithoutAmplitudeRaise) {
    try {
        startAt(GridAction::actionWithSize({1, 1}, 1), 0);
        ADD_FAILURE() << "no exception";
    } catch (base::Exception const& e) {
        EXPECT_EQ(nameOf(e), "GridBase / Abstract class needs implementation");
    }
    auto wrapped = AccelAmplitude::actionWithAction(FlipX3D::actionWithDuration(1), 1);
    try {
        startAt(wrapped, 0.5f);
        ADD_FAILURE() << "no exception";
    } catch (base::Exception const& e) {
        EXPECT_EQ(nameOf(e), "IntervalAction (Amplitude) / Abstract class needs implementation");
    }
    try {
        FlipY3D::actionWithSize({2, 1}, 1);
        ADD_FAILURE() << "no exception";
    } catch (base::Exception const& e) {
        EXPECT_EQ(nameOf(e), "FlipX3D / Grid size must be (1,1)");
    }
}

TEST_F(GridActionTest, Waves3DRaisesThePointsInWavesAcrossTheMesh) {
    auto waves = Waves3D::actionWithWaves(2, 10, {2, 2}, 1);
    for (float t : {0.0f, 0.5f, 1.0f}) {
        startAt(waves, t);
        for (int i = 0; i <= 2; ++i) {
            for (int j = 0; j <= 2; ++j) {
                double x = 240.0 * i, y = 160.0 * j;
                double z = std::sin(M_PI * t * 2 * 2 + (x + y) * 0.01) * 10;
                expectVertex(mesh().vertex({i, j}), x, y, z, "Waves3D");
            }
        }
    }
    waves->setAmplitudeRate(0);
    startAt(waves, 0.3f);
    for (auto const& v : mesh().vertices())
        EXPECT_EQ(v.z, 0);
}

TEST_F(GridActionTest, FlipX3DMirrorsThePictureByTheEnd) {
    auto flip = FlipX3D::actionWithDuration(1);
    startAt(flip, 0);
    EXPECT_EQ(mesh().vertices(), mesh().originalVertices());
    // Half-way the quad stands edge-on: each column moves towards the middle and z opens.
    startAt(flip, 0.5f);
    double dx = 480 - 480 * std::cos(M_PI / 4);
    expectVertex(mesh().vertex({0, 0}), dx, 0, std::floor(480 * 0.25), "left at 0.5");
    expectVertex(mesh().vertex({1, 1}), 480 - dx, 320, -std::floor(480 * 0.25), "right at 0.5");
    // At the end sinf(pi) is a hair below zero, so the floor leaves one point of depth.
    startAt(flip, 1);
    expectVertex(mesh().vertex({0, 1}), 480, 320, 1, "left at 1");
    expectVertex(mesh().vertex({1, 0}), 0, 0, -1, "right at 1");

    auto flipY = FlipY3D::actionWithDuration(1);
    startAt(flipY, 1);
    expectVertex(mesh().vertex({1, 0}), 480, 320, 1, "bottom at 1");
    expectVertex(mesh().vertex({0, 1}), 0, 0, -1, "top at 1");
}

TEST_F(GridActionTest, LensAndRippleLeavePointsOutsideTheirRadiusAlone) {
    auto lens = Lens3D::actionWithPosition({240, 160}, 100, {4, 4}, 1);
    startAt(lens, 0);
    expectVertex(mesh().vertex({0, 0}), 0, 0, 0, "corner");
    // The centre point: r = 0 gives no direction, so it stays flat; (2, 1) is 80 away.
    float p = 20.0f / 100;
    double newR = std::exp(std::log(p) * 0.7) * 100;
    expectVertex(mesh().vertex({2, 1}), 240, 80, newR * 0.7, "inside");
    // An unchanged position does no work; a moved one bulges elsewhere on the next update.
    mesh().setVertex({2, 1}, {1, 2, 3});
    lens->update(0.5f);
    expectVertex(mesh().vertex({2, 1}), 1, 2, 3, "untouched");
    lens->setPosition({0, 0});
    lens->update(0.5f);
    expectVertex(mesh().vertex({2, 1}), 240, 80, 0, "outside now");
    EXPECT_GT(mesh().vertex({0, 1}).z, 0);

    auto ripple = Ripple3D::actionWithPosition({240, 160}, 100, 1, 10, {4, 4}, 1);
    startAt(ripple, 0.5f);
    expectVertex(mesh().vertex({0, 2}), 0, 160, 0, "far");
    double inside = 20, fade = inside / 100;
    expectVertex(mesh().vertex({2, 1}), 240, 80,
        std::sin(M_PI * 0.5 * 2 + inside * 0.1) * 10 * fade * fade, "ripple inside");
}

TEST_F(GridActionTest, ShakingMovesEveryPointByWholeOffsetsInItsRange) {
    startAt(Shaky3D::actionWithRange(3, true, {4, 4}, 1), 0.5f);
    for (int i = 0; i <= 4; ++i) {
        for (int j = 0; j <= 4; ++j) {
            auto v = mesh().vertex({i, j}), o = mesh().originalVertex({i, j});
            for (float d : {v.x - o.x, v.y - o.y, v.z - o.z}) {
                EXPECT_GE(d, -3);
                EXPECT_LE(d, 2);
                EXPECT_EQ(d, std::floor(d));
            }
        }
    }
}

TEST(GridActionDeathTest, ARandomRangeOfZeroIsRefused) {
    EXPECT_DEATH(Shaky3D::actionWithRange(0, false, {1, 1}, 1), "range must be at least 1");
}

TEST_F(GridActionTest, LiquidMovesOnlyInteriorPoints) {
    startAt(Liquid::actionWithWaves(1, 10, {1, 1}, 1), 0.5f);
    EXPECT_EQ(mesh().vertices(), mesh().originalVertices());
    startAt(Liquid::actionWithWaves(1, 10, {2, 2}, 1), 0.25f);
    double phase = M_PI * 0.25 * 2;
    expectVertex(mesh().vertex({1, 1}), 240 + std::sin(phase + 2.4) * 10,
        160 + std::sin(phase + 1.6) * 10, 0, "interior");
    expectVertex(mesh().vertex({2, 1}), 480, 160, 0, "border");
}

TEST_F(GridActionTest, WavesMoveHorizontallyFromTheAlreadyMovedX) {
    startAt(Waves::actionWithWaves(1, 10, true, true, {2, 2}, 1), 0);
    double x = 240 + std::sin(1.6) * 10;
    double y = 160 + std::sin(x * 0.01) * 10;
    expectVertex(mesh().vertex({1, 1}), x, y, 0, "both");
    startAt(Waves::actionWithWaves(1, 10, false, true, {2, 2}, 1), 0);
    expectVertex(mesh().vertex({1, 1}), x, 160, 0, "vertical only");
}

TEST_F(GridActionTest, TwirlTurnsPointsAboutItsCentreKeepingTheirDistance) {
    Point c {240, 160};
    startAt(Twirl::actionWithPosition(c, 1, 10, {4, 4}, 1), 0.25f);
    // The middle grid point has r = 0: no turn.
    expectVertex(mesh().vertex({2, 2}), 240, 160, 0, "middle");
    auto v = mesh().vertex({0, 0});
    EXPECT_NEAR(std::hypot(v.x - c.x, v.y - c.y), std::hypot(240.0, 160.0), 1e-2);
    double a = std::hypot(2.0, 2.0) * std::cos(M_PI / 2 + 0.25 * M_PI * 2) * 1.0;
    expectVertex(v, 240 + std::sin(a) * -160 + std::cos(a) * -240,
        160 + std::cos(a) * -160 - std::sin(a) * -240, 0, "corner");
}

TEST_F(GridActionTest, AmplitudeWrappersScaleTheRateOverTime) {
    struct Case {
        float t;
        float accelDeccel;
        float accel;
        float deccel;
    };
    Case cases[] = {{0, 0, 0, 1}, {0.25f, 0.5f, 0.25f, 0.75f}, {0.5f, 1, 0.5f, 0.5f}, {1, 0, 1, 0}};
    for (auto const& c : cases) {
        auto w1 = Waves3D::actionWithWaves(1, 10, {2, 2}, 1);
        startAt(AccelDeccelAmplitude::actionWithAction(w1, 1), c.t);
        EXPECT_FLOAT_EQ(w1->amplitudeRate(), c.accelDeccel) << c.t;
        auto w2 = Waves3D::actionWithWaves(1, 10, {2, 2}, 1);
        startAt(AccelAmplitude::actionWithAction(w2, 1), c.t);
        EXPECT_FLOAT_EQ(w2->amplitudeRate(), c.accel) << c.t;
        auto w3 = Waves3D::actionWithWaves(1, 10, {2, 2}, 1);
        startAt(DeccelAmplitude::actionWithAction(w3, 1), c.t);
        EXPECT_FLOAT_EQ(w3->amplitudeRate(), c.deccel) << c.t;
    }
    // The rate is an exponent on the factor.
    auto w = Waves3D::actionWithWaves(1, 10, {2, 2}, 1);
    auto wrapper = AccelAmplitude::actionWithAction(w, 1);
    wrapper->setRate(2);
    startAt(wrapper, 0.5f);
    EXPECT_FLOAT_EQ(w->amplitudeRate(), 0.25f);
    EXPECT_FLOAT_EQ(getAmplitudeRate(*w), 0.25f);
}

TEST_F(GridActionTest, ReversedEffectsRunBackwards) {
    auto waves = Waves3D::actionWithWaves(1, 10, {2, 2}, 2);
    auto reversed = base::ref_cast<engine::IntervalAction>(waves->reverse());
    ASSERT_TRUE(dynamic_cast<engine::ReverseTime*>(reversed.get()));
    EXPECT_FLOAT_EQ(reversed->duration(), 2);
    startAt(reversed, 0.75f);
    auto backwards = mesh().vertex({1, 1});
    startAt(waves, 0.25f);
    EXPECT_EQ(mesh().vertex({1, 1}), backwards);
}

TEST_F(GridActionTest, AnEffectRunOnANodeFollowsTheClockToItsEnd) {
    node->onEnter();
    auto ripple = Ripple3D::actionWithPosition({240, 160}, 200, 2, 20, {8, 8}, 1);
    node->runAction(ripple);
    // The first tick gives t = 0, later ones the elapsed fraction.
    struct Row {
        int ticks;
        float t;
    };
    Row rows[] = {{1, 0}, {2, 0.5f}, {2, 1}};
    for (auto const& row : rows) {
        for (int k = 0; k < row.ticks; ++k)
            tick(0.25f);
        double inside = 200 - std::hypot(240 - 180.0, 160 - 120.0), fade = inside / 200;
        expectVertex(mesh().vertex({3, 3}), 180, 120,
            std::sin(M_PI * row.t * 2 * 2 + inside * 0.1) * 20 * fade * fade, "ripple");
    }
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_TRUE(node->grid()->active());
}
