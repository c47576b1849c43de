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
    expectNear(t.apply({1, 1}), {3, 3});
    auto u = AffineTransform::concat(
        AffineTransform::makeTranslation(1, 1), AffineTransform::makeScale(2, 2));
    expectNear(u.apply({1, 1}), {4, 4});
}

TEST(AffineTransform, InverseUndoesTheTransform) {
    auto t = AffineTransform::makeTranslation(7, -3).rotated(0.7f).scaled(2, 0.5f);
    auto back = t.inverted();
    for (Point p : {Point {0, 0}, Point {10, 20}, Point {-4, 9}})
        expectNear(back.apply(t.apply(p)), p);
}

TEST(AffineTransform, SingularInverseIsReturnedUnchanged) {
    auto singular = AffineTransform::makeScale(0, 2).translated(3, 4);
    EXPECT_EQ(singular.inverted(), singular);
}

TEST(AffineTransform, AppliesToSizesWithoutTranslation) {
    auto t = AffineTransform::makeTranslation(100, 100).scaled(2, 3);
    EXPECT_EQ(t.applyToSize({4, 5}), (engine::Size {8, 15}));
}

TEST(Rect, ContainsItsMinimumEdgesButNotItsMaximumEdges) {
    auto r = engine::makeRect(10, 20, 30, 40);
    EXPECT_TRUE(r.contains({10, 20}));
    EXPECT_TRUE(r.contains({39.9f, 59.9f}));
    EXPECT_FALSE(r.contains({40, 30}));
    EXPECT_FALSE(r.contains({20, 60}));
    EXPECT_TRUE(engine::makeRect(10, 10, -5, -5).contains({6, 6}));
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
