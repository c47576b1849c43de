#include <engine/TextureAtlas.hpp>

#include <gtest/gtest.h>

#include <vector>

using engine::TextureAtlas;
using engine::V3F_C4B_T2F_Quad;

namespace {

// A quad recognisable by its number.
V3F_C4B_T2F_Quad quad(int number) {
    V3F_C4B_T2F_Quad q {};
    q.tl.vertices.x = float(number);
    q.br.texCoords.u = float(number);
    return q;
}

std::vector<int> numbers(TextureAtlas const& atlas) {
    std::vector<int> out;
    for (std::size_t i = 0; i < atlas.totalQuads(); ++i)
        out.push_back(int(atlas.quads()[i].tl.vertices.x));
    return out;
}

// An atlas holding quads 0 .. count - 1. No texture: no GL is needed.
base::Ref<TextureAtlas> atlasOf(int count, std::size_t capacity) {
    auto atlas = TextureAtlas::textureAtlasWithTexture(nullptr, capacity);
    for (int i = 0; i < count; ++i)
        atlas->updateQuad(quad(i), std::size_t(i));
    return atlas;
}

TEST(TextureAtlas, IndicesMakeTwoTrianglesPerQuad) {
    auto atlas = atlasOf(0, 3);
    std::vector<GLushort> expected = {0, 1, 2, 3, 2, 1, 4, 5, 6, 7, 6, 5, 8, 9, 10, 11, 10, 9};
    auto indices = atlas->indices();
    EXPECT_EQ(std::vector<GLushort>(indices.begin(), indices.end()), expected);
    EXPECT_EQ(atlas->quads().size(), 3u);
}

TEST(TextureAtlas, UpdateGrowsTheCountToCoverTheIndex) {
    auto atlas = atlasOf(0, 5);
    atlas->updateQuad(quad(7), 3);
    EXPECT_EQ(atlas->totalQuads(), 4u);
    atlas->updateQuad(quad(8), 1);
    EXPECT_EQ(atlas->totalQuads(), 4u);
    EXPECT_EQ(atlas->quads()[3], quad(7));
}

TEST(TextureAtlas, InsertsAtEveryPosition) {
    for (int at = 0; at <= 4; ++at) {
        auto atlas = atlasOf(4, 6);
        ASSERT_TRUE(atlas->insertQuad(quad(9), std::size_t(at)));
        std::vector<int> expected = {0, 1, 2, 3};
        expected.insert(expected.begin() + at, 9);
        EXPECT_EQ(numbers(*atlas), expected) << "at " << at;
    }
}

TEST(TextureAtlas, RemovesAtEveryPosition) {
    for (int at = 0; at < 5; ++at) {
        auto atlas = atlasOf(5, 5);
        atlas->removeQuadAtIndex(std::size_t(at));
        std::vector<int> expected = {0, 1, 2, 3, 4};
        expected.erase(expected.begin() + at);
        EXPECT_EQ(numbers(*atlas), expected) << "at " << at;
        EXPECT_EQ(atlas->capacity(), 5u);
    }
}

TEST(TextureAtlas, MovesAQuadBetweenAnyTwoPositions) {
    struct Case {
        std::size_t from, to;
        std::vector<int> expected;
    } const cases[] = {
        {4, 1, {0, 4, 1, 2, 3, 5}},
        {1, 4, {0, 2, 3, 4, 1, 5}},
        {0, 5, {1, 2, 3, 4, 5, 0}},
        {5, 0, {5, 0, 1, 2, 3, 4}},
        {2, 2, {0, 1, 2, 3, 4, 5}},
        {2, 3, {0, 1, 3, 2, 4, 5}},
    };
    for (auto const& c : cases) {
        auto atlas = atlasOf(6, 6);
        atlas->insertQuadFromIndex(c.from, c.to);
        EXPECT_EQ(numbers(*atlas), c.expected) << c.from << " to " << c.to;
    }
}

TEST(TextureAtlas, AFullAtlasGrowsRatherThanWritePastItsBuffer) {
    auto atlas = atlasOf(3, 3);
    ASSERT_TRUE(atlas->insertQuad(quad(9), 1));
    EXPECT_EQ(atlas->capacity(), 5u); // (3 x 4 + 4) / 3
    EXPECT_EQ(numbers(*atlas), (std::vector<int> {0, 9, 1, 2}));
    EXPECT_EQ(atlas->indices().size(), 30u);
    ASSERT_TRUE(atlas->insertQuad(quad(8), 4));
    EXPECT_EQ(numbers(*atlas), (std::vector<int> {0, 9, 1, 2, 8}));
    // An empty atlas of no capacity grows too.
    auto empty = atlasOf(0, 0);
    ASSERT_TRUE(empty->insertQuad(quad(1), 0));
    EXPECT_EQ(empty->capacity(), 1u);
}

TEST(TextureAtlas, ResizingKeepsTheQuadsThatStillFit) {
    auto atlas = atlasOf(5, 6);
    ASSERT_TRUE(atlas->resizeCapacity(2));
    EXPECT_EQ(atlas->capacity(), 2u);
    EXPECT_EQ(numbers(*atlas), (std::vector<int> {0, 1}));
    ASSERT_TRUE(atlas->resizeCapacity(10));
    EXPECT_EQ(numbers(*atlas), (std::vector<int> {0, 1}));
    EXPECT_EQ(atlas->indices().size(), 60u);
    EXPECT_EQ(atlas->indices()[59], 37);
}

TEST(TextureAtlas, RefusesCapacitiesBeyondSixteenBitIndices) {
    auto atlas = atlasOf(2, 4);
    EXPECT_FALSE(atlas->resizeCapacity(TextureAtlas::maxCapacity + 1));
    EXPECT_EQ(atlas->capacity(), 4u);
    EXPECT_EQ(numbers(*atlas), (std::vector<int> {0, 1}));
    ASSERT_TRUE(atlas->resizeCapacity(TextureAtlas::maxCapacity));
    EXPECT_EQ(atlas->indices().back(), 65533);
}

TEST(TextureAtlas, OwnsTheQuadsItIsGiven) {
    auto atlas = atlasOf(4, 4);
    {
        std::vector<V3F_C4B_T2F_Quad> given = {quad(5), quad(6)};
        atlas->setQuads(given);
        given[0] = quad(99);
    }
    EXPECT_EQ(atlas->capacity(), 2u);
    EXPECT_EQ(atlas->totalQuads(), 2u);
    EXPECT_EQ(numbers(*atlas), (std::vector<int> {5, 6}));
    EXPECT_EQ(atlas->indices().size(), 12u);
    atlas->removeAllQuads();
    EXPECT_EQ(atlas->totalQuads(), 0u);
    EXPECT_EQ(atlas->capacity(), 2u);
}

TEST(TextureAtlas, DescriptionCountsTheQuads) {
    auto atlas = atlasOf(3, 4);
    auto text = atlas->description();
    EXPECT_TRUE(text.starts_with("<TextureAtlas = ")) << text;
    EXPECT_TRUE(text.ends_with(" | totalQuads =  3>")) << text;
}

TEST(TextureAtlasDeathTest, OutOfRangeIndicesAreBrokenInvariants) {
    auto atlas = atlasOf(3, 4);
    EXPECT_DEATH(atlas->updateQuad(quad(1), 4), "updateQuadWithTexture: Invalid index");
    EXPECT_DEATH(atlas->insertQuad(quad(1), 4), "updateQuadWithTexture: Invalid index");
    EXPECT_DEATH(atlas->insertQuadFromIndex(0, 3), "insertQuadFromIndex:atIndex: Invalid index");
    EXPECT_DEATH(atlas->removeQuadAtIndex(3), "removeQuadAtIndex: Invalid index");
}

}
