#include "TextureRenderFixture.hpp"

#include <engine/Animation.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Sprite.hpp>
#include <engine/TextureNode.hpp>
#include <graphics/DrawState.hpp>

#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

using namespace engine;
using graphics::Rgba;
using namespace test::colours;

namespace {

class SpriteTest : public test::TextureRenderTest {
protected:
    void SetUp() override {
        TextureRenderTest::SetUp();
        // 16 x 8: left half red, right half blue; the top two rows green.
        graphics::Image image(16, 8);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 16; ++x)
                image.setPixel(x, y, y < 2 ? green : x < 8 ? red : blue);
        }
        test::writePNG(resources->bundle() / "card.png", image);
        test::writePNG(resources->bundle() / "white.png", test::solidImage(8, 8, white));
        test::writePNG(resources->bundle() / "frame1.png", test::solidImage(4, 4, red));
        test::writePNG(resources->bundle() / "frame2.png", test::solidImage(4, 4, blue));
    }
};

TEST_F(SpriteTest, ASpriteIsCentredOnItsPosition) {
    auto sprite = Sprite::spriteWithFile("card.png");
    ASSERT_TRUE(sprite->texture());
    EXPECT_EQ(sprite->contentSize(), (Size {16, 8}));
    sprite->setPosition({40, 30});
    drawScene(*sprite);
    // Covers (32, 26) to (48, 34), the top rows green.
    EXPECT_TRUE(near(rgb(33, 27), red));
    EXPECT_TRUE(near(rgb(46, 27), blue));
    EXPECT_TRUE(near(rgb(33, 33), green));
    EXPECT_TRUE(near(rgb(31, 27), black));
    EXPECT_TRUE(near(rgb(48, 27), black));
    EXPECT_TRUE(near(rgb(40, 25), black));
    EXPECT_TRUE(near(rgb(40, 34), black));
}

TEST_F(SpriteTest, ScaleRotationAndAnchorMoveThePicture) {
    auto sprite = Sprite::spriteWithFile("card.png");
    sprite->setPosition({64, 64});
    sprite->setScale(2);
    drawScene(*sprite);
    // Covers (48, 56) to (80, 72).
    EXPECT_TRUE(near(rgb(49, 57), red));
    EXPECT_TRUE(near(rgb(78, 57), blue));
    EXPECT_TRUE(near(rgb(47, 57), black));
    EXPECT_TRUE(near(rgb(64, 70), green));

    // A quarter turn clockwise: the left half (red) goes up, the top rows right.
    sprite->setScale(1);
    sprite->setRotation(90);
    drawScene(*sprite);
    EXPECT_TRUE(near(rgb(62, 70), red));
    EXPECT_TRUE(near(rgb(62, 58), blue));
    EXPECT_TRUE(near(rgb(67, 61), green));
    EXPECT_TRUE(near(rgb(64, 73), black));

    // Anchored at its lower-left corner.
    sprite->setRotation(0);
    sprite->setAnchorPoint({0, 0});
    drawScene(*sprite);
    EXPECT_TRUE(near(rgb(64, 64), red));
    EXPECT_TRUE(near(rgb(63, 64), black));
    EXPECT_TRUE(near(rgb(79, 64), blue));
}

TEST_F(SpriteTest, SpritesOfOneFileShareOneTexture) {
    auto first = Sprite::spriteWithFile("card.png");
    auto second = Sprite::spriteWithFile("card.png");
    EXPECT_EQ(first->texture(), second->texture());
    auto third = Sprite::spriteWithTexture(base::Ref<engine::Texture2D>(first->texture()));
    EXPECT_EQ(third->texture(), first->texture());
}

TEST_F(SpriteTest, AMissingFileGivesASpriteThatDrawsNothing) {
    test::LogCapture log;
    auto sprite = Sprite::spriteWithFile("absent.png");
    ASSERT_TRUE(sprite);
    EXPECT_FALSE(sprite->texture());
    EXPECT_EQ(sprite->contentSize(), (Size {}));
    drawScene(*sprite);
    EXPECT_TRUE(near(rgb(0, 0), black));
    EXPECT_TRUE(log.contains("Image is Null"));
}

TEST_F(SpriteTest, TexturesSetTheBlendAndOpacityBehaviour) {
    auto node = TextureNode::node();
    EXPECT_EQ(node->blendFunc(), defaultBlendFunc);
    EXPECT_EQ(node->opacity(), 255);
    EXPECT_EQ(node->color(), (Color3B {255, 255, 255}));
    EXPECT_EQ(node->anchorPoint(), (Point {0.5f, 0.5f}));
    EXPECT_FALSE(node->stroke());
    EXPECT_EQ(node->strokeColor(), (Color3B {0, 0, 0}));
    EXPECT_EQ(node->strokeSize(), 1.0f);

    // Decoded images are premultiplied: opacity then sets the colour too.
    node->setTexture(TextureMgr::sharedTextureMgr().addImage("card.png"));
    EXPECT_TRUE(node->doesOpacityModifyRGB());
    EXPECT_EQ(node->blendFunc(), defaultBlendFunc);
    node->setColor({10, 20, 30});
    node->setOpacity(100);
    EXPECT_EQ(node->color(), (Color3B {100, 100, 100}));

    std::vector<std::uint8_t> pixel = {255, 255, 255, 255};
    node->setTexture(Texture2D::initWithData(pixel, Texture2DPixelFormat::RGBA8888, 1, 1, {1, 1}));
    EXPECT_FALSE(node->doesOpacityModifyRGB());
    EXPECT_EQ(node->blendFunc(), straightAlphaBlendFunc);
    node->setOpacity(50);
    EXPECT_EQ(node->color(), (Color3B {100, 100, 100}));
    EXPECT_EQ(node->contentSize(), (Size {1, 1}));
    node->setTexture(nullptr);
    EXPECT_EQ(node->contentSize(), (Size {}));
}

TEST_F(SpriteTest, OpacityAndColourTintThePicture) {
    auto sprite = Sprite::spriteWithFile("white.png");
    sprite->setPosition({20, 20});
    sprite->setOpacityModifyRGB(false);
    sprite->setColor({255, 0, 255});
    drawScene(*sprite);
    EXPECT_TRUE(near(rgb(20, 20), {255, 0, 255, 255}));
    sprite->setOpacityModifyRGB(true);
    sprite->setOpacity(102);
    drawScene(*sprite);
    // Premultiplied: a white picture at 40 % over black.
    EXPECT_TRUE(near(rgb(20, 20), {102, 102, 102, 255}));
}

TEST_F(SpriteTest, TheOutlineDrawsEightFaintCopiesUnderThePicture) {
    auto sprite = Sprite::spriteWithFile("white.png");
    sprite->setPosition({64, 64}); // covers (60, 60) to (68, 68)
    sprite->setStroke(true);
    sprite->setStrokeColor({255, 0, 0});
    sprite->setStrokeSize(2);
    sprite->setOpacity(200);
    drawScene(*sprite);
    // Left of the picture only the copies moved left reach: three of them at
    // rows in the middle, each adding 200 / 4 = 50 of red.
    EXPECT_TRUE(near(rgb(59, 64), {150, 0, 0, 255}, 3));
    // Diagonally out, one copy.
    EXPECT_TRUE(near(rgb(69, 69), {50, 0, 0, 255}, 2));
    EXPECT_TRUE(near(rgb(57, 64), black));
    // The picture on top, at its opacity over the copies.
    EXPECT_TRUE(near(rgb(64, 64), {255, 200, 200, 255}, 2));

    // An outline texture replaces the copies.
    graphics::Image ring(16, 16, graphics::Image::Format::A8);
    ring.setPixel(0, 15, {0, 0, 0, 255});
    sprite->setOutlineTexture(Texture2D::initWithMask(ring, {16, 16}));
    drawScene(*sprite);
    EXPECT_TRUE(near(rgb(59, 64), black));
}

TEST_F(SpriteTest, AnimationsShowWholeTextures) {
    auto sprite = Sprite::spriteWithFile("white.png");
    EXPECT_FALSE(sprite->animations());
    test::LogCapture log;
    sprite->setDisplayFrame("run", 0);
    ASSERT_TRUE(sprite->animations());
    EXPECT_TRUE(sprite->animations()->empty());
    EXPECT_TRUE(log.contains("no frame 0"));

    auto animation = Animation::animationWithName(
        "blink", 0.5f, std::vector<std::string> {"frame1.png", "frame2.png", "absent.png"});
    EXPECT_EQ(animation->frames().size(), 2u);
    EXPECT_EQ(
        Animation::animationWithName("none", 1, std::vector<std::string> {})->frames().size(), 0u);
    sprite->addAnimation(animation);
    EXPECT_EQ(sprite->animationByName("blink"), animation.get());

    auto* original = sprite->texture();
    sprite->setDisplayFrame("blink", 1);
    EXPECT_EQ(sprite->texture(), animation->textureAt(1));
    EXPECT_TRUE(sprite->isFrameDisplayed(animation->textureAt(1)));
    EXPECT_FALSE(sprite->isFrameDisplayed(original));
    sprite->setDisplayFrame("blink", 5);
    EXPECT_EQ(sprite->texture(), animation->textureAt(1));

    // The frame-animation action steps through the textures and restores.
    auto animate = Animate::actionWithAnimation(animation);
    animate->setTarget(sprite.get());
    sprite->setDisplayFrame(original);
    animate->start();
    animate->update(0.25f);
    EXPECT_EQ(sprite->displayFrame(), animation->textureAt(0));
    sprite->setPosition({20, 20});
    drawScene(*sprite);
    EXPECT_TRUE(near(rgb(20, 20), red));
    animate->update(0.75f);
    drawScene(*sprite);
    EXPECT_TRUE(near(rgb(20, 20), blue));
    animate->stop();
    EXPECT_EQ(sprite->texture(), original);
}

TEST_F(SpriteTest, AnimationTexturesSurviveACachePurge) {
    auto animation = Animation::animationWithName("a", 0.1f);
    animation->addFrameWithFilename("frame1.png");
    animation->addFrameWithTexture(nullptr);
    EXPECT_EQ(animation->frames().size(), 1u);
    TextureMgr::sharedTextureMgr().removeAllTextures();
    ASSERT_TRUE(animation->textureAt(0));
    EXPECT_NE(animation->textureAt(0)->name(), 0u);
    animation->setName("b");
    animation->setDelay(0.2f);
    EXPECT_EQ(animation->name(), "b");
    EXPECT_EQ(animation->delay(), 0.2f);
}

}

namespace {

// Draws a plain white square with the vertex array only, as code outside the engine
// does: it relies on texturing and the other arrays being off.
void drawPlainSquare(float x, float y, float side) {
    GLfloat const vertices[] = {x, y, x + side, y, x, y + side, x + side, y + side};
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glColor4ub(255, 255, 255, 255);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_VERTEX_ARRAY);
}

class CountingNode final : public SceneNode {
public:
    void draw() override {
        texturing = glIsEnabled(GL_TEXTURE_2D);
        textureArray = glIsEnabled(GL_TEXTURE_COORD_ARRAY);
        drawPlainSquare(0, 0, 4);
    }
    GLboolean texturing {GL_TRUE};
    GLboolean textureArray {GL_TRUE};

private:
    friend base::Factory;

    CountingNode() = default;
};

}

// A run of sprites sets texturing and the arrays once instead of around every
// sprite; a node drawing with GL of its own still finds them off, and so does any
// code after the visit.
TEST_F(SpriteTest, SpritesInARowShareTheirDrawStateAndLeaveItOffAfterwards) {
    auto root = SceneNode::node();
    for (int i = 0; i < 20; ++i) {
        auto sprite = Sprite::spriteWithFile("white.png");
        sprite->setPosition({10.0f + float(i) * 4, 10});
        root->addChild(sprite, 0);
    }
    auto own = base::make<CountingNode>();
    own->setPosition({100, 100});
    root->addChild(own, 1);
    auto after = Sprite::spriteWithFile("card.png");
    after->setPosition({40, 60});
    root->addChild(after, 2);

    auto changesBefore = graphics::DrawState::changeCount();
    drawScene(*root);
    auto changes = graphics::DrawState::changeCount() - changesBefore;
    // On for the first sprite, off for the node, on for the last sprite, off at the end:
    // about four changes of three or four pieces, where one by one it would be 8 a sprite.
    EXPECT_LE(changes, 16u);
    EXPECT_EQ(own->texturing, GL_FALSE);
    EXPECT_EQ(own->textureArray, GL_FALSE);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    // Every sprite drew, the card after the node included.
    EXPECT_TRUE(near(rgb(11, 11), white));
    EXPECT_TRUE(near(rgb(87, 11), white));
    EXPECT_TRUE(near(rgb(101, 101), white));
    EXPECT_TRUE(near(rgb(33, 57), red));
}

// State changed behind the engine's back between two visits is not trusted: the next
// visit sets everything it needs again.
TEST_F(SpriteTest, AVisitDoesNotTrustStateChangedBetweenVisits) {
    auto sprite = Sprite::spriteWithFile("white.png");
    sprite->setPosition({20, 20});
    drawScene(*sprite);
    glEnableClientState(GL_COLOR_ARRAY);
    glDisable(GL_TEXTURE_2D);
    sprite->setPosition({60, 20});
    drawScene(*sprite);
    EXPECT_TRUE(near(rgb(60, 20), white));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
}
