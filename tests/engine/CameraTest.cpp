#include "EngineFixture.hpp"

#include <engine/Camera.hpp>
#include <engine/GLMatrix.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

using engine::Camera;

namespace {

class CameraTest : public test::EngineTest { };

struct Vec3 {
    float x, y, z;
};

// The rotation's rows applied to a vector (column-major storage).
Vec3 rotate(std::array<float, 16> const& m, Vec3 v) {
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z, m[1] * v.x + m[5] * v.y + m[9] * v.z,
        m[2] * v.x + m[6] * v.y + m[10] * v.z};
}

}

TEST_F(CameraTest, RestoreLooksAtTheCentreOfTheDisplayFromTheZEye) {
    test::FakeDirector director({480, 320}, 1);
    auto camera = base::make<Camera>();
    float x, y, z;
    camera->eyeX(x, y, z);
    EXPECT_EQ(x, 240);
    EXPECT_EQ(y, 160);
    EXPECT_FLOAT_EQ(z, 320 / 1.1566f);
    EXPECT_FLOAT_EQ(Camera::getZEye(), 320 / 1.1566f);
    camera->centerX(x, y, z);
    EXPECT_EQ(x, 240);
    EXPECT_EQ(y, 160);
    EXPECT_EQ(z, 0);
    camera->upX(x, y, z);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 1);
    EXPECT_EQ(z, 0);
    EXPECT_FALSE(camera->dirty());
}

TEST_F(CameraTest, WithoutADirectorEverythingSitsAtTheOrigin) {
    auto camera = base::make<Camera>();
    float x, y, z;
    camera->eyeX(x, y, z);
    EXPECT_EQ(x + y + z, 0);
    EXPECT_EQ(Camera::getZEye(), 0);
}

TEST_F(CameraTest, SettersStoreAndMarkDirtyUntilRestored) {
    test::FakeDirector director({1024, 768}, 1);
    auto camera = base::make<Camera>();
    struct Case {
        char const* name;
        void (Camera::*set)(float, float, float);
        void (Camera::*get)(float&, float&, float&) const;
    };
    Case const cases[] = {
        {"eye", &Camera::setEyeX, &Camera::eyeX},
        {"centre", &Camera::setCenterX, &Camera::centerX},
        {"up", &Camera::setUpX, &Camera::upX},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        camera->setDirty(false);
        (camera.get()->*c.set)(1, 2, 3);
        EXPECT_TRUE(camera->dirty());
        float x, y, z;
        (camera.get()->*c.get)(x, y, z);
        EXPECT_EQ(x, 1);
        EXPECT_EQ(y, 2);
        EXPECT_EQ(z, 3);
    }
    camera->restore();
    EXPECT_FALSE(camera->dirty());
    float x, y, z;
    camera->centerX(x, y, z);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 384);
}

TEST_F(CameraTest, DescribesItsCentre) {
    test::FakeDirector director({480, 320}, 1);
    auto camera = base::make<Camera>();
    EXPECT_TRUE(std::regex_match(camera->description(),
        std::regex(R"(<Camera = [0-9A-F]{8,} \| center = \(240\.00,160\.00,0\.00\)>)")))
        << camera->description();
}

TEST(LookAt, TurnsTheViewSoTheCentreLiesStraightAhead) {
    struct Case {
        Vec3 eye, centre, up;
    };
    Case const cases[] = {
        {{0, 0, 1}, {0, 0, 0}, {0, 1, 0}},
        {{240, 160, 276.7f}, {240, 160, 0}, {0, 1, 0}},
        {{3, 0, 0}, {0, 0, 0}, {0, 1, 0}},
        {{0, 0, -5}, {0, 0, 0}, {0, 1, 0}},
        {{10, 20, 30}, {1, 2, 3}, {0, 0, 1}},
        {{0, 0, 1}, {0, 0, 0}, {1, 1, 0}},
    };
    for (auto const& c : cases) {
        auto m = engine::lookAtRotation(
            c.eye.x, c.eye.y, c.eye.z, c.centre.x, c.centre.y, c.centre.z, c.up.x, c.up.y, c.up.z);
        Vec3 ahead {c.centre.x - c.eye.x, c.centre.y - c.eye.y, c.centre.z - c.eye.z};
        float distance = std::sqrt(ahead.x * ahead.x + ahead.y * ahead.y + ahead.z * ahead.z);
        Vec3 seen = rotate(m, ahead);
        EXPECT_NEAR(seen.x, 0, 1e-3f);
        EXPECT_NEAR(seen.y, 0, 1e-3f);
        EXPECT_NEAR(seen.z, -distance, 1e-3f * distance);
        // Up stays up: its image has no x and a positive y.
        Vec3 up = rotate(m, c.up);
        EXPECT_NEAR(up.x, 0, 1e-4f);
        EXPECT_GT(up.y, 0);
        EXPECT_EQ(m[15], 1);
        EXPECT_EQ(m[3] + m[7] + m[11] + m[12] + m[13] + m[14], 0);
    }
}

TEST(LookAt, LooksStraightDownMinusZAsTheIdentity) {
    auto m = engine::lookAtRotation(0, 0, 7, 0, 0, 0, 0, 1, 0);
    std::array<float, 16> identity {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(m, identity);
}

TEST(LookAt, AnEyeOnTheCentreGivesNoNaN) {
    auto m = engine::lookAtRotation(1, 1, 1, 1, 1, 1, 0, 1, 0);
    for (float v : m)
        EXPECT_TRUE(std::isfinite(v));
}
