#include "EffectsFixture.hpp"

#include <effects/ParallaxNode.hpp>

#include <engine/Layer.hpp>

using namespace effects;
using engine::Point;
using engine::SceneNode;

namespace {

using ParallaxNodeTest = test::EffectsTest;

}

TEST_F(ParallaxNodeTest, ChildrenMoveByTheirRatiosWhenTheAbsolutePositionChanges) {
    auto root = SceneNode::node();
    auto holder = SceneNode::node();
    holder->setPosition({-100, 20});
    auto parallax = ParallaxNode::node();
    parallax->setPosition({-100, 30});
    holder->addChild(parallax);
    root->addChild(holder);

    auto half = SceneNode::node();
    auto fixed = SceneNode::node();
    auto whole = SceneNode::node();
    half->setTag(7);
    parallax->addChild(half, 1, Point {0.5f, 0}, Point {0, 0});
    parallax->addChild(fixed, 0, Point {0, 0}, Point {10, 10});
    parallax->addChild(whole, 2, Point {1, 1}, Point {5, 6});
    EXPECT_EQ(half->tag(), 7);
    EXPECT_EQ(half->position(), (Point {-50, 0}));
    EXPECT_EQ(whole->position(), (Point {-95, 36}));

    // Absolute position (-200, 50): half of the horizontal movement, none of the vertical.
    root->visit();
    EXPECT_EQ(parallax->absolutePosition_(), (Point {-200, 50}));
    EXPECT_EQ(half->position(), (Point {100, -50}));
    EXPECT_EQ(half->convertToWorldSpace({0, 0}), (Point {-100, 0}));
    EXPECT_EQ(fixed->convertToWorldSpace({0, 0}), (Point {10, 10}));
    EXPECT_EQ(whole->position(), (Point {5, 6}));

    // Nothing moved: nothing repositioned.
    half->setPosition({1, 1});
    root->visit();
    EXPECT_EQ(half->position(), (Point {1, 1}));
    holder->setPosition({0, 0});
    root->visit();
    EXPECT_EQ(half->position(), (Point {50, -30}));
}

TEST_F(ParallaxNodeTest, AtMinusOneHundredTheChildrenKeepTheirFirstPlaces) {
    auto parallax = ParallaxNode::node();
    parallax->setPosition({-100, -100});
    auto child = SceneNode::node();
    parallax->addChild(child, 0, Point {0.5f, 0.5f}, Point {3, 4});
    child->setPosition({42, 43});
    parallax->visit();
    EXPECT_EQ(child->position(), (Point {42, 43}));
}

TEST_F(ParallaxNodeTest, MoreThanFiveChildrenAreKeptAndRemovalDropsTheirRecords) {
    auto parallax = ParallaxNode::node();
    std::vector<base::Ref<SceneNode>> children;
    for (int k = 0; k < 8; ++k) {
        children.push_back(SceneNode::node());
        parallax->addChild(children.back(), k, Point {float(k) / 8, 1}, Point {float(k), 0});
    }
    EXPECT_EQ(parallax->parallaxArray().size(), 8u);
    parallax->setPosition({80, 0});
    parallax->visit();
    EXPECT_EQ(children[7]->position(), (Point {-80 + 70 + 7, 0}));

    parallax->removeChild(children[5].get(), engine::Cleanup::Yes);
    EXPECT_EQ(parallax->parallaxArray().size(), 7u);
    EXPECT_EQ(parallax->parallaxArray()[5]->child(), children[6].get());
    EXPECT_EQ(children[5]->parent(), nullptr);
    parallax->removeChild(children[5].get(), engine::Cleanup::Yes);
    EXPECT_EQ(parallax->parallaxArray().size(), 7u);
    EXPECT_EQ(parallax->children().size(), 7u);

    parallax->removeAllChildrenWithCleanup(engine::Cleanup::Yes);
    EXPECT_TRUE(parallax->parallaxArray().empty());
    EXPECT_TRUE(parallax->children().empty());
}

TEST(ParallaxNodeDeathTest, PlainAddChildAndANullChildAreRefused) {
    auto parallax = ParallaxNode::node();
    EXPECT_DEATH(parallax->addChild(SceneNode::node(), 1),
        "ParallaxNode: use addChild:z:parallaxRatio:positionOffset instead");
    EXPECT_DEATH(
        parallax->addChild(nullptr, 1, Point {1, 1}, Point {0, 0}), "Argument must be non-nil");
}
