#include "EffectsFixture.hpp"

#include <effects/Grid.hpp>
#include <effects/TiledGridEffects.hpp>

#include <engine/SceneNode.hpp>

#include <cmath>
#include <set>

using namespace effects;

namespace {

class TiledGridEffectsTest : public test::EffectActionTest {
protected:
    TiledGrid3D& tiles() const { return gridOf<TiledGrid3D>(); }

    bool isOff(int i, int j) const { return tiles().tile({i, j}) == ccQuad3 {}; }
    bool isWhole(int i, int j) const {
        return tiles().tile({i, j}) == tiles().originalTile({i, j});
    }

    base::Ref<engine::SceneNode> node;
};

ccQuad3 moved(ccQuad3 q, float dx, float dy) {
    for (auto* c : {&q.bl, &q.br, &q.tl, &q.tr}) {
        c->x += dx;
        c->y += dy;
    }
    return q;
}

}

TEST_F(TiledGridEffectsTest, ShuffleTilesRepeatsItsOrderForASeedAndEndsOnTheShuffledPlaces) {
    auto shuffle = ShuffleTiles::actionWithSeed(7, {3, 2}, 1);
    startAt(shuffle, 0);
    auto order = shuffle->tilesOrder();
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(std::set<int>(order.begin(), order.end()), (std::set<int> {0, 1, 2, 3, 4, 5}));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j)
            EXPECT_TRUE(isWhole(i, j)) << i << "," << j;

    // A second start of the same object reseeds and rebuilds its arrays in place.
    foundation::rand();
    startAt(shuffle, 1);
    EXPECT_EQ(shuffle->tilesOrder(), order);
    EXPECT_EQ(shuffle->tileRecords().size(), 6u);
    EXPECT_EQ(ShuffleTiles::actionWithSeed(7, {3, 2}, 1)->copy() != nullptr, true);
    // Tile (i, j) ends where tile number order[i*2+j] starts.
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 2; ++j) {
            int v = order[std::size_t(i * 2 + j)];
            ccQuad3 target = tiles().originalTile({v / 2, v % 2});
            EXPECT_EQ(tiles().tile({i, j}), target) << i << "," << j;
        }
    }
    // Half-way, offsets are whole points, truncated towards zero.
    startAt(shuffle, 0.5f);
    for (auto const& record : shuffle->tileRecords()) {
        EXPECT_FLOAT_EQ(record.position.x, float(record.delta.x) * 0.5f);
        EXPECT_FLOAT_EQ(record.position.y, float(record.delta.y) * 0.5f);
    }
    auto const& first = shuffle->tileRecords()[0];
    EXPECT_EQ(tiles().tile({0, 0}),
        moved(tiles().originalTile({0, 0}), std::trunc(float(first.delta.x) * 0.5f * 160),
            std::trunc(float(first.delta.y) * 0.5f * 160)));
}

TEST_F(TiledGridEffectsTest, TheSameSeedGivesTheSameOrderAndMinusOneContinuesTheSequence) {
    auto a = ShuffleTiles::actionWithSeed(3, {4, 4}, 1);
    auto b = ShuffleTiles::actionWithSeed(3, {4, 4}, 1);
    startAt(a, 0);
    startAt(b, 0);
    EXPECT_EQ(a->tilesOrder(), b->tilesOrder());
    auto c = ShuffleTiles::actionWithSeed(-1, {4, 4}, 1);
    auto d = ShuffleTiles::actionWithSeed(-1, {4, 4}, 1);
    startAt(c, 0);
    startAt(d, 0);
    EXPECT_NE(c->tilesOrder(), d->tilesOrder());
    // The plain constructor has seed 0.
    auto e = ShuffleTiles::actionWithSize({4, 4}, 1);
    auto f = ShuffleTiles::actionWithSeed(0, {4, 4}, 1);
    startAt(e, 0);
    startAt(f, 0);
    EXPECT_EQ(e->tilesOrder(), f->tilesOrder());
}

TEST_F(TiledGridEffectsTest, TheFadeOutFamilyShrinksTilesAwayInItsDirection) {
    // 480 x 320 in 4 x 4 tiles of 120 x 80.
    startAt(FadeOutTRTiles::actionWithSize({4, 4}, 1), 0);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_TRUE(isWhole(i, j));
    startAt(FadeOutTRTiles::actionWithSize({4, 4}, 1), 1);
    EXPECT_TRUE(isOff(0, 0));
    // Tile (3, 3): d = (6/8)^6, shrunk by 1 - d towards its centre.
    float d = std::pow(6.0f / 8, 6.0f);
    ccQuad3 q = tiles().originalTile({3, 3});
    float hx = 60 * (1 - d), hy = 40 * (1 - d);
    ccQuad3 shrunk = tiles().tile({3, 3});
    EXPECT_FLOAT_EQ(shrunk.bl.x, q.bl.x + hx);
    EXPECT_FLOAT_EQ(shrunk.bl.y, q.bl.y + hy);
    EXPECT_FLOAT_EQ(shrunk.tr.x, q.tr.x - hx);
    EXPECT_FLOAT_EQ(shrunk.tr.y, q.tr.y - hy);

    for (float t : {0.0f, 0.5f, 1.0f}) {
        startAt(FadeOutBLTiles::actionWithSize({4, 4}, 1), t);
        EXPECT_TRUE(isWhole(0, 0)) << t;
        startAt(FadeOutDownTiles::actionWithSize({4, 4}, 1), t);
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(isWhole(i, 0)) << t;
    }
    startAt(FadeOutBLTiles::actionWithSize({4, 4}, 1), 1);
    EXPECT_TRUE(isOff(3, 3));

    // Up: at t = 0.5 rows below n = 2 are gone or shrinking, the top rows whole.
    startAt(FadeOutUpTiles::actionWithSize({4, 4}, 1), 0.5f);
    EXPECT_TRUE(isOff(1, 0));
    EXPECT_TRUE(isWhole(1, 2));
    EXPECT_TRUE(isWhole(1, 3));
    ccQuad3 row1 = tiles().tile({2, 1});
    ccQuad3 o = tiles().originalTile({2, 1});
    float dy = 40 * (1 - std::pow(0.5f, 6.0f));
    EXPECT_FLOAT_EQ(row1.bl.y, o.bl.y + dy);
    EXPECT_FLOAT_EQ(row1.tl.y, o.tl.y - dy);
    EXPECT_FLOAT_EQ(row1.bl.x, o.bl.x);
}

TEST_F(TiledGridEffectsTest, TurnOffTilesSwitchesOffItsShareOfTilesInAFixedOrder) {
    struct Row {
        float t;
        int off;
    };
    for (Row row : {Row {0, 0}, Row {0.5f, 3}, Row {0.99f, 5}, Row {1, 6}}) {
        startAt(TurnOffTiles::actionWithSeed(5, {3, 2}, 1), row.t);
        int off = 0;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 2; ++j)
                off += isOff(i, j) ? 1 : (isWhole(i, j) ? 0 : 100);
        EXPECT_EQ(off, row.off) << row.t;
    }
    auto first = TurnOffTiles::actionWithSize({18, 12}, 1);
    startAt(first, 0.5f);
    auto second = TurnOffTiles::actionWithSize({18, 12}, 1);
    startAt(second, 0.5f);
    EXPECT_EQ(first->tilesOrder(), second->tilesOrder());
    EXPECT_EQ(first->tilesOrder().size(), 216u);
    // Started again, the same object rebuilds its order rather than adding to it.
    startAt(first, 0.5f);
    EXPECT_EQ(first->tilesOrder().size(), 216u);
    EXPECT_EQ(first->tilesOrder(), second->tilesOrder());
}

TEST_F(TiledGridEffectsTest, WavingAndJumpingTilesMoveWholeTilesInZ) {
    startAt(WavesTiles3D::actionWithWaves(2, 20, {4, 4}, 1), 0.25f);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            ccQuad3 q = tiles().tile({i, j});
            double z = std::sin(M_PI * 0.25 * 2 * 2 + (80.0 * j + 120.0 * i) * 0.01) * 20;
            for (auto const* c : {&q.bl, &q.br, &q.tl, &q.tr})
                EXPECT_NEAR(c->z, z, 1e-3);
            EXPECT_EQ(q.bl.x, tiles().originalTile({i, j}).bl.x);
        }
    }
    startAt(JumpTiles3D::actionWithJumps(1, 30, {4, 4}, 1), 0);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(tiles().tile({i, j}).tr.z, 0, 1e-4);
    startAt(JumpTiles3D::actionWithJumps(1, 30, {4, 4}, 1), 0.25f);
    EXPECT_NEAR(tiles().tile({0, 0}).bl.z, 30, 1e-3);
    EXPECT_NEAR(tiles().tile({1, 0}).bl.z, -30, 1e-3);
    EXPECT_NEAR(tiles().tile({1, 1}).tr.z, 30, 1e-3);
}

TEST_F(TiledGridEffectsTest, SplitRowsAndColsSlideAlternatelyOutOfTheWindow) {
    startAt(SplitRows::actionWithRows(3, 1), 0.5f);
    EXPECT_EQ(tiles().gridSize(), (ccGridSize {1, 3}));
    EXPECT_FLOAT_EQ(tiles().tile({0, 0}).bl.x, -240);
    EXPECT_FLOAT_EQ(tiles().tile({0, 1}).bl.x, 240);
    EXPECT_FLOAT_EQ(tiles().tile({0, 2}).tr.x, 480 - 240);
    startAt(SplitCols::actionWithCols(3, 1), 1);
    EXPECT_EQ(tiles().gridSize(), (ccGridSize {3, 1}));
    EXPECT_FLOAT_EQ(tiles().tile({0, 0}).bl.y, -320);
    EXPECT_FLOAT_EQ(tiles().tile({1, 0}).tl.y, 640);
    EXPECT_FLOAT_EQ(tiles().tile({2, 0}).bl.x, 320);
}

TEST_F(TiledGridEffectsTest, ShakyTilesShakeEachFrameAndShatteredTilesFlyOnce) {
    startAt(ShakyTiles3D::actionWithRange(4, false, {3, 3}, 1), 0.1f);
    ccQuad3 first = tiles().tile({1, 1});
    ccQuad3 o = tiles().originalTile({1, 1});
    for (auto [c, oc] : {std::pair {first.bl, o.bl}, {first.tr, o.tr}}) {
        EXPECT_GE(c.x - oc.x, -4);
        EXPECT_LE(c.x - oc.x, 3);
        EXPECT_EQ(c.z, oc.z);
    }

    auto shatter = ShatteredTiles3D::actionWithRange(5, true, {3, 3}, 1);
    startAt(shatter, 0);
    ccQuad3 flown = tiles().tile({2, 1});
    EXPECT_NE(flown, tiles().originalTile({2, 1}));
    shatter->update(0.5f);
    EXPECT_EQ(tiles().tile({2, 1}), flown);
    // Run again on a fresh grid, the same object does not shatter a second time.
    startAt(shatter, 0.5f);
    EXPECT_EQ(tiles().tile({2, 1}), tiles().originalTile({2, 1}));
}

TEST(TiledGridEffectsDeathTest, ARandomRangeOfZeroIsRefused) {
    EXPECT_DEATH(ShakyTiles3D::actionWithRange(0, false, {1, 1}, 1), "range must be at least 1");
    EXPECT_DEATH(ShatteredTiles3D::actionWithRange(0, true, {1, 1}, 1), "range must be at least 1");
}
