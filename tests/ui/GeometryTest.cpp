#include <graphics/Geometry.hpp>

#include <gtest/gtest.h>

#include <numbers>

using namespace graphics;

namespace {

void expectNear(Point actual, Point expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
}

}

TEST(Geometry, RectContainsItsMinimumEdgesButNotItsMaximumEdges) {
    struct Case {
        Point point;
        bool inside;
    };
    Rect r = makeRect(10, 20, 30, 40);
    Case const cases[] = {
        {{10, 20}, true},
        {{39.9f, 59.9f}, true},
        {{40, 30}, false},
        {{20, 60}, false},
        {{9.9f, 30}, false},
    };
    for (auto const& c : cases)
        EXPECT_EQ(r.contains(c.point), c.inside) << c.point.x << "," << c.point.y;
    EXPECT_TRUE(makeRect(10, 10, -5, -5).contains({7, 7}));
}

TEST(Geometry, TransformStepsActBeforeTheExistingTransform) {
    auto t = AffineTransform::makeTranslation(10, 0).scaled(2, 2);
    expectNear(t.apply(Point {1, 1}), {12, 2});
    auto r = AffineTransform::identity().rotated(std::numbers::pi_v<float> / 2);
    expectNear(r.apply(Point {1, 0}), {0, 1});
    auto both = AffineTransform::concat(
        AffineTransform::makeScale(2, 2), AffineTransform::makeTranslation(5, 5));
    expectNear(both.apply(Point {1, 1}), {7, 7});
}

TEST(Geometry, InverseUndoesTransformAndSingularStaysUnchanged) {
    auto t = AffineTransform::makeTranslation(3, -4).rotated(0.7f).scaled(1.5f, 0.5f);
    expectNear(t.inverted().apply(t.apply(Point {2, 5})), {2, 5});
    auto singular = AffineTransform::makeScale(0, 1);
    EXPECT_EQ(singular.inverted(), singular);
}

TEST(Geometry, TransformedRectIsTheBoundingBoxOfItsCorners) {
    auto r
        = AffineTransform::makeRotation(std::numbers::pi_v<float> / 2).apply(makeRect(0, 0, 2, 1));
    EXPECT_NEAR(r.origin.x, -1, 1e-5f);
    EXPECT_NEAR(r.origin.y, 0, 1e-5f);
    EXPECT_NEAR(r.size.width, 1, 1e-5f);
    EXPECT_NEAR(r.size.height, 2, 1e-5f);
}
