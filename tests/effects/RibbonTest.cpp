#include "ParticleFixture.hpp"

#include <effects/Ribbon.hpp>

#include <engine/Scheduler.hpp>
#include <engine/Texture2D.hpp>

#include <cmath>

using namespace effects;
using engine::Color4B;
using engine::Point;

namespace {

using RibbonTest = test::ParticleTest;

constexpr Color4B orange {255, 128, 0, 200};

std::vector<float> vertsOf(RibbonSegment const& segment, unsigned from, unsigned to) {
    return {segment.verts.begin() + from * 6, segment.verts.begin() + to * 6};
}

std::vector<float> coordsOf(RibbonSegment const& segment, unsigned from, unsigned to) {
    return {segment.coords.begin() + from * 4, segment.coords.begin() + to * 4};
}

void expectNear(std::vector<float> const& got, std::vector<float> const& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 1e-4) << "entry " << i;
}

}

TEST_F(RibbonTest, TheHelpersRotateAndTellTheSideOfALine) {
    Point p = Ribbon::rotatePoint({1, 0}, 3.1415927f / 2);
    EXPECT_NEAR(p.x, 0, 1e-6);
    EXPECT_NEAR(p.y, 1, 1e-6);
    EXPECT_EQ(Ribbon::sideOfLine({0, 1}, {0, 0}, {1, 0}), -1);
    EXPECT_EQ(Ribbon::sideOfLine({0, -1}, {0, 0}, {1, 0}), 1);
    EXPECT_EQ(Ribbon::sideOfLine({5, 0}, {0, 0}, {1, 0}), 0);
}

TEST_F(RibbonTest, ANewRibbonTakesItsTextureRepeatingAndLinear) {
    auto ribbon = Ribbon::ribbonWithWidth(10, "fire.png", 256, orange, 1);
    ASSERT_TRUE(ribbon->texture());
    EXPECT_EQ(ribbon->contentSize(), (engine::Size {32, 32}));
    EXPECT_EQ(ribbon->blendFunc(), engine::straightAlphaBlendFunc);
    EXPECT_EQ(ribbon->segments().size(), 1u);
    EXPECT_EQ(ribbon->textureLength(), 256);
    GLint wrap = 0;
    glBindTexture(GL_TEXTURE_2D, ribbon->texture()->name());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);
    auto segment = RibbonSegment::create();
    EXPECT_EQ(segment->description().substr(0, 16), "<RibbonSegment =");
    EXPECT_NE(segment->description().find("| end = 0, begin = 0>"), std::string::npos);
}

TEST_F(RibbonTest, TheSecondPointMakesTheFirstQuadOfTheStrip) {
    auto ribbon = Ribbon::ribbonWithWidth(10, "fire.png", 256, orange, 1);
    ribbon->update(0.25f);
    ribbon->addPointAt({0, 0}, 10);
    RibbonSegment const& segment = *ribbon->segments()[0];
    EXPECT_EQ(segment.end, 0u);
    ribbon->update(0.25f);
    // Moving up by 128: across the movement is the x axis; v advances by 128 / 256.
    ribbon->addPointAt({0, 128}, 20);
    EXPECT_EQ(segment.end, 2u);
    expectNear(vertsOf(segment, 0, 2), {-5, 0, 0, 5, 0, 0, -10, 128, 0, 10, 128, 0});
    expectNear(coordsOf(segment, 0, 2), {0, 0, 1, 0, 0, 0.5f, 1, 0.5f});
    EXPECT_EQ(segment.creationTime[0], 0.25f);
    EXPECT_EQ(segment.creationTime[1], 0.5f);
    EXPECT_EQ(ribbon->texVPos(), 0.5f);
    // Then right by 64: across is the y axis.
    ribbon->addPointAt({64, 128}, 20);
    expectNear(vertsOf(segment, 2, 3), {64, 138, 0, 64, 118, 0});
    expectNear(coordsOf(segment, 2, 3), {0, 0.75f, 1, 0.75f});
}

TEST_F(RibbonTest, FullSegmentsChainThroughTheirLastPointAndAreRecycled) {
    auto ribbon = Ribbon::ribbonWithWidth(4, "fire.png", 100, orange, 1);
    ribbon->update(0.01f);
    // The first call only records; the second writes two points, each later one more.
    for (int i = 0; i < 50; ++i)
        ribbon->addPointAt({float(i), 0}, 4);
    ASSERT_EQ(ribbon->segments().size(), 1u);
    RibbonSegment const& first = *ribbon->segments()[0];
    EXPECT_EQ(first.end, 50u);
    ribbon->addPointAt({50, 0}, 4);
    ASSERT_EQ(ribbon->segments().size(), 2u);
    RibbonSegment const& second = *ribbon->segments()[1];
    EXPECT_EQ(second.end, 2u);
    EXPECT_EQ(vertsOf(second, 0, 1), vertsOf(first, 49, 50));
    EXPECT_EQ(coordsOf(second, 0, 1), coordsOf(first, 49, 50));
    EXPECT_EQ(second.creationTime[0], first.creationTime[49]);

    // All of the first segment's points fade; a draw finishes it; the next point parks it
    // for reuse, and the next full segment takes it back instead of a new one.
    ribbon->update(5);
    ribbon->draw();
    ribbon->draw();
    EXPECT_TRUE(first.finished);
    RibbonSegment const* recycled = &first;
    ribbon->addPointAt({51, 0}, 4);
    ASSERT_EQ(ribbon->segments().size(), 1u);
    EXPECT_EQ(ribbon->reusableSegments().size(), 1u);
    for (int i = 52; i < 52 + 48; ++i)
        ribbon->addPointAt({float(i), 0}, 4);
    EXPECT_EQ(ribbon->segments().size(), 2u);
    EXPECT_EQ(ribbon->segments()[1].get(), recycled);
    EXPECT_TRUE(ribbon->reusableSegments().empty());
    EXPECT_EQ(recycled->begin, 0u);
    EXPECT_FALSE(recycled->finished);
    EXPECT_EQ(recycled->end, 2u);
}

TEST_F(RibbonTest, PointsFadeOverTheFadeTime) {
    auto ribbon = Ribbon::ribbonWithWidth(10, "fire.png", 256, orange, 1);
    ribbon->addPointAt({100, 100}, 10);
    ribbon->addPointAt({100, 200}, 10);
    RibbonSegment const& segment = *ribbon->segments()[0];
    // The point of time 0 at time 0.5: alpha 127, the colour's own alpha unused.
    ribbon->update(0.5f);
    ribbon->draw();
    EXPECT_EQ(segment.colors[1 * 8 + 3], 127);
    EXPECT_EQ(segment.colors[1 * 8 + 0], 255);
    EXPECT_EQ(segment.colors[1 * 8 + 1], 128);
    EXPECT_EQ(segment.begin, 0u);
    ribbon->update(0.6f);
    ribbon->draw();
    EXPECT_EQ(segment.begin, 2u);
    EXPECT_EQ(segment.colors[1 * 8 + 7], 0);
}

TEST_F(RibbonTest, ARibbonDrawnBeforeItsFirstUpdateUsesItsPlainColour) {
    auto ribbon = Ribbon::ribbonWithWidth(40, "fire.png", 256, {255, 0, 0, 255}, 0.01f);
    auto white = engine::Texture2D::initWithData(std::vector<std::uint8_t>(4 * 4 * 4, 255),
        engine::Texture2DPixelFormat::RGBA8888, 4, 4, {4, 4});
    ribbon->setTexture(white);
    ribbon->addPointAt({100, 100}, 40);
    ribbon->addPointAt({300, 100}, 40);
    for (int i = 0; i < 3; ++i)
        drawFrame(*ribbon);
    auto p = pixel(200, 100);
    EXPECT_GT(p.r, 240);
    EXPECT_LT(p.g, 10);
    EXPECT_EQ(ribbon->segments()[0]->begin, 0u);
    GLint src = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    EXPECT_EQ(src, GL_ONE);
}

TEST_F(RibbonTest, AStreakFollowsAMovingNodeAndFades) {
    auto root = engine::SceneNode::node();
    root->setPosition({20, 10});
    auto streak = MotionStreak::streakWithFade(1, 5, "fire.png", 24, 64, {255, 200, 80, 255});
    auto white = engine::Texture2D::initWithData(std::vector<std::uint8_t>(4 * 4 * 4, 255),
        engine::Texture2DPixelFormat::RGBA8888, 4, 4, {4, 4});
    streak->setTexture(white);
    EXPECT_EQ(streak->texture(), white.get());
    streak->setBlendFunc(engine::defaultBlendFunc);
    EXPECT_EQ(streak->ribbon()->blendFunc(), engine::defaultBlendFunc);
    streak->setBlendFunc(engine::straightAlphaBlendFunc);
    root->addChild(streak);
    root->onEnter();
    auto& scheduler = engine::Scheduler::sharedScheduler();

    // Moving 2 points a frame: a point every third frame (the distance must exceed 5).
    std::vector<unsigned> ends;
    for (int frame = 0; frame < 9; ++frame) {
        streak->setPosition({float(40 + 2 * frame), 150});
        scheduler.tick(0.1f);
        ends.push_back(streak->ribbon()->segments()[0]->end);
    }
    EXPECT_EQ(ends, (std::vector<unsigned> {0, 0, 0, 2, 2, 2, 3, 3, 3}));
    EXPECT_EQ(streak->ribbon()->position(), (Point {-(20 + 56), -(10 + 150)}));
    EXPECT_EQ(streak->ribbon()->lastLocation(), (Point {20 + 52, 160}));

    // A long sweep to the right, then a look: the head is bright, the tail faded.
    for (int frame = 0; frame < 40; ++frame) {
        streak->setPosition({float(60 + 8 * frame), 150});
        scheduler.tick(0.05f);
    }
    drawFrame(*root);
    saveImage("motion-streak");
    auto head = pixel(20 + 60 + 8 * 38, 160);
    // Forty frames of 0.05 s with a fade of 1 s: only the last twenty frames still show.
    auto middle = pixel(20 + 60 + 8 * 30, 160);
    auto tail = pixel(20 + 60 + 8 * 10, 160);
    EXPECT_GT(head.r, 200);
    EXPECT_GT(head.r, middle.r);
    EXPECT_GT(middle.r, 60);
    EXPECT_LT(tail.r, 10);
    EXPECT_LT(pixel(200, 200).r, 10);
    root->onExit();
}
