#include "ActionHelpers.hpp"
#include "EngineFixture.hpp"

#include <engine/Camera.hpp>
#include <engine/CameraAction.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/SceneNode.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace engine;

namespace {

constexpr float unset = std::numeric_limits<float>::quiet_NaN();

struct Vec3 {
    float x, y, z;
};

class CameraActionTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        director = std::make_unique<test::FakeDirector>(Size {480, 320}, 1);
        node = SceneNode::node();
    }
    void TearDown() override {
        node = nullptr;
        director.reset();
        EngineTest::TearDown();
    }

    Vec3 eye() const {
        Vec3 v {};
        node->camera()->eyeX(v.x, v.y, v.z);
        return v;
    }

    static void expectNear(Vec3 actual, Vec3 expected, char const* what) {
        EXPECT_NEAR(actual.x, expected.x, 1e-3f) << what;
        EXPECT_NEAR(actual.y, expected.y, 1e-3f) << what;
        EXPECT_NEAR(actual.z, expected.z, 1e-3f) << what;
    }

    std::unique_ptr<test::FakeDirector> director;
    base::Ref<SceneNode> node;
};

}

TEST_F(CameraActionTest, OrbitsTheEyeAroundTheCentre) {
    float z = Camera::getZEye();
    ASSERT_NEAR(z, 320 / 1.1566f, 1e-3f);
    struct Case {
        char const* name;
        float radius, deltaRadius, angleZ, deltaAngleZ, angleX, deltaAngleX;
        Vec3 atStart, atHalf, atEnd; // relative to the centre (240, 160, 0)
    };
    float const h = z * std::sqrt(0.5f);
    Case const cases[] = {
        {"a quarter turn of zenith swings the eye from the front to the side", 1, 0, 0, 90, 0, 0,
            {0, 0, z}, {h, 0, h}, {z, 0, 0}},
        {"azimuth alone from the axis leaves the eye in place", 1, 0, 0, 0, 0, 180, {0, 0, z},
            {0, 0, z}, {0, 0, z}},
        {"azimuth at a zenith of 90 circles the centre", 1, 0, 90, 0, 0, 180, {z, 0, 0}, {0, z, 0},
            {-z, 0, 0}},
        {"the radius changes linearly", 1, 1, 0, 0, 0, 0, {0, 0, z}, {0, 0, 1.5f * z},
            {0, 0, 2 * z}},
    };
    for (auto const& c : cases) {
        node->camera()->restore();
        auto orbit = OrbitCamera::actionWithDuration(
            1, c.radius, c.deltaRadius, c.angleZ, c.deltaAngleZ, c.angleX, c.deltaAngleX);
        test::startOn(*orbit, node.get());
        Vec3 const* expected[] = {&c.atStart, &c.atHalf, &c.atEnd};
        float const ts[] = {0, 0.5f, 1};
        for (int i = 0; i < 3; ++i) {
            orbit->update(ts[i]);
            Vec3 e = *expected[i];
            expectNear(eye(), {240 + e.x, 160 + e.y, e.z}, c.name);
        }
        EXPECT_TRUE(node->camera()->dirty()) << c.name;
    }
}

TEST_F(CameraActionTest, NaNStartValuesAreReadFromTheCamera) {
    node->camera()->setEyeX(240 + 30, 160 + 40, 120);
    node->camera()->setCenterX(240, 160, 0);
    auto orbit = OrbitCamera::actionWithDuration(1, unset, 0, unset, 0, unset, 0);
    test::startOn(*orbit, node.get());
    orbit->update(0);
    expectNear(eye(), {270, 200, 120}, "at t = 0");
    orbit->update(1);
    expectNear(eye(), {270, 200, 120}, "no change over the action");
}

TEST_F(CameraActionTest, SphericalPositionOfTheCamera) {
    float z = Camera::getZEye();
    struct Case {
        Vec3 eyeOffset;
        float radius, zenith, azimuth;
    };
    float const pi = 3.1415927f;
    Case const cases[] = {
        {{0, 0, z}, 1, 0, 0},
        {{z, 0, 0}, 1, pi / 2, 0},
        {{0, 2 * z, 0}, 2, pi / 2, pi / 2},
        {{-z, 0, 0}, 1, pi / 2, pi},
        // The eye at the centre: the zero distances become 1e-8.
        {{0, 0, 0}, 1e-8f / z, pi / 2, 0},
    };
    auto orbit = OrbitCamera::actionWithDuration(1, 1, 0, 0, 0, 0, 0);
    orbit->setTarget(node.get());
    for (auto const& c : cases) {
        node->camera()->setCenterX(240, 160, 0);
        node->camera()->setEyeX(240 + c.eyeOffset.x, 160 + c.eyeOffset.y, c.eyeOffset.z);
        float r, zenith, azimuth;
        orbit->sphericalRadius(r, zenith, azimuth);
        EXPECT_NEAR(r, c.radius, 1e-5f);
        EXPECT_NEAR(zenith, c.zenith, 1e-5f);
        EXPECT_NEAR(azimuth, c.azimuth, 1e-5f);
    }
}

TEST_F(CameraActionTest, OrbitKeepsCentreAndUp) {
    node->camera()->setCenterX(100, 50, 0);
    node->camera()->setUpX(0, 0, 1);
    auto orbit = OrbitCamera::actionWithDuration(1, 1, 0, 0, 90, 0, 90);
    test::startOn(*orbit, node.get());
    orbit->update(1);
    float x, y, zz;
    node->camera()->centerX(x, y, zz);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    node->camera()->upX(x, y, zz);
    EXPECT_EQ(zz, 1);
    expectNear(eye(), {100, 50 + Camera::getZEye(), 0}, "swung to the side of the centre");
}

TEST_F(CameraActionTest, ReversesByPlayingItselfBackwards) {
    auto orbit = OrbitCamera::actionWithDuration(1, 1, 0, 0, 90, 0, 0);
    auto reversed = base::ref_cast<ReverseTime>(orbit->reverse());
    ASSERT_TRUE(reversed);
    test::startOn(*reversed, node.get());
    reversed->update(0);
    expectNear(eye(), {240 + Camera::getZEye(), 160, 0}, "starts at the end");
    reversed->update(1);
    expectNear(eye(), {240, 160, Camera::getZEye()}, "ends at the start");
}

TEST_F(CameraActionTest, CopiesKeepNaNBeforeAStartAndTheResolvedValuesAfter) {
    node->camera()->setEyeX(240, 160 + 50, 0);
    auto orbit = OrbitCamera::actionWithDuration(1, unset, 0, unset, 0, unset, 0);
    auto before = base::ref_cast<OrbitCamera>(orbit->copy());
    test::startOn(*orbit, node.get());
    auto after = base::ref_cast<OrbitCamera>(orbit->copy());
    node->camera()->restore();
    auto other = SceneNode::node();
    other->camera()->setEyeX(240 + 10, 160, 0);
    test::startOn(*before, other.get());
    before->update(0);
    float x, y, z;
    other->camera()->eyeX(x, y, z);
    EXPECT_NEAR(x, 250, 1e-3f);
    EXPECT_NEAR(y, 160, 1e-3f);
    test::startOn(*after, other.get());
    after->update(0);
    other->camera()->eyeX(x, y, z);
    EXPECT_NEAR(x, 240, 1e-3f);
    EXPECT_NEAR(y, 210, 1e-3f);
}
