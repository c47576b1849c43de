#include <engine/Geometry.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using engine::AffineTransform;
using engine::Point;

namespace {

void expectNear(Point actual, Point expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
}

constexpr float halfPi = std::numbers::pi_v<float> / 2;

}

// What the node transforms rely on: step order and the sense of rotation.
TEST(AffineTransform, MapsPointsByTable) {
    struct Case {
        char const* name;
        AffineTransform transform;
        Point in;
        Point out;
    };
    Case const cases[] = {
        {"identity", AffineTransform::identity(), {3, 4}, {3, 4}},
        {"translation", AffineTransform::makeTranslation(10, -5), {3, 4}, {13, -1}},
        {"scale", AffineTransform::makeScale(2, 3), {3, 4}, {6, 12}},
        {"quarter turn is counter-clockwise", AffineTransform::makeRotation(halfPi), {1, 0},
            {0, 1}},
        {"translated acts before", AffineTransform::makeScale(2, 2).translated(1, 0), {0, 0},
            {2, 0}},
        {"scaled acts before", AffineTransform::makeTranslation(1, 0).scaled(2, 2), {1, 1}, {3, 2}},
        {"rotated acts before", AffineTransform::makeTranslation(5, 0).rotated(halfPi), {1, 0},
            {5, 1}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        expectNear(c.transform.apply(c.in), c.out);
    }
}

TEST(AffineTransform, ConcatAppliesFirstThenSecond) {
    auto t = AffineTransform::concat(
        AffineTransform::makeScale(2, 2), AffineTransform::makeTranslation(1, 1));
    expectNear(t.apply(Point {1, 1}), {3, 3});
    auto u = AffineTransform::concat(
        AffineTransform::makeTranslation(1, 1), AffineTransform::makeScale(2, 2));
    expectNear(u.apply(Point {1, 1}), {4, 4});
}

TEST(PointFunctions, LengthNormalizeAndAngle) {
    EXPECT_FLOAT_EQ(engine::PointLength({3, 4}), 5);
    expectNear(engine::PointNormalize({3, 4}), {0.6f, 0.8f});
    EXPECT_FLOAT_EQ(engine::PointToAngle({0, 1}), halfPi);
    EXPECT_FLOAT_EQ(engine::PointToAngle({-1, 0}), std::numbers::pi_v<float>);
    EXPECT_FLOAT_EQ(engine::PointToAngle({0, -2}), -halfPi);
}

TEST(PointFunctions, NormalizingTheZeroVectorGivesZeroNotNaN) {
    Point p = engine::PointNormalize({0, 0});
    EXPECT_EQ(p, (Point {0, 0}));
}
