#pragma once

#include <effects/GridAction.hpp>
#include <engine/Geometry.hpp>

#include <vector>

namespace effects {

// The tile effects. Each update rewrites the target's TiledGrid3D from its original quads;
// tiles are visited column by column (i across, then j up). Turning a tile off collapses it
// to a point at the origin; turning it on writes its original quad back. Random draws come
// from foundation::rand(), which the shuffling effects reseed when their seed is not -1.

// Shakes every tile by whole random offsets in -range..range-1 each frame: each corner's
// x, then each corner's y, then (with shakeZ) each corner's z. The range must be at least 1.
class ShakyTiles3D final : public TiledGrid3DAction {
public:
    static base::Ref<ShakyTiles3D> actionWithRange(
        int range, bool shakeZ, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

private:
    int randrange_;
    bool shakeZ_;

    friend base::Factory;

    ShakyTiles3D(int range, bool shakeZ, ccGridSize gridSize, float duration);
};

// Throws every tile by random offsets once, on the object's first update, and leaves them
// there; a second run of the same object changes nothing. The range must be at least 1.
class ShatteredTiles3D final : public TiledGrid3DAction {
public:
    static base::Ref<ShatteredTiles3D> actionWithRange(
        int range, bool shatterZ, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

private:
    int randrange_;
    bool once_ {false};
    bool shatterZ_;

    friend base::Factory;

    ShatteredTiles3D(int range, bool shatterZ, ccGridSize gridSize, float duration);
};

// Slides every tile, in whole points, from its place to a shuffled place. The shuffle is
// made at start, after reseeding with the seed unless it is -1; a second start makes a new
// one in place of the first.
class ShuffleTiles final : public TiledGrid3DAction {
public:
    struct Tile {
        engine::Point position;
        engine::Point startPosition;
        ccGridSize delta;
    };

    static base::Ref<ShuffleTiles> actionWithSeed(int seed, ccGridSize gridSize, float duration);
    // Seed 0.
    static base::Ref<ShuffleTiles> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void start() override;
    void update(float t) override;

    // Shuffles the entries in place: for k from count down to 1, swaps entry k-1 with entry
    // rand() mod k.
    static void shuffle(int* array, int count);
    ccGridSize getDelta(ccGridSize pos) const;
    void placeTile(ccGridSize pos, Tile const& tile);

    std::vector<int> const& tilesOrder() const { return tilesOrder_; }
    std::vector<Tile> const& tileRecords() const { return tiles_; }

private:
    int seed_;
    int tilesCount_ {0};
    std::vector<int> tilesOrder_;
    std::vector<Tile> tiles_;

    friend base::Factory;

    ShuffleTiles(int seed, ccGridSize gridSize, float duration);
};

// Shrinks the tiles away in a wave from the lower-left corner towards the upper right:
// testFunc gives each tile's distance d, 0 turns it off, 1 or more leaves it whole, values
// between shrink it by transformTile.
class FadeOutTRTiles : public TiledGrid3DAction {
public:
    static base::Ref<FadeOutTRTiles> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

    virtual float testFunc(ccGridSize pos, float time);
    void turnOnTile(ccGridSize pos);
    void turnOffTile(ccGridSize pos);
    // Shrinks the tile towards its centre by 1 - distance.
    virtual void transformTile(ccGridSize pos, float distance);

protected:
    ~FadeOutTRTiles() override = default;

    friend base::Factory;

    FadeOutTRTiles(ccGridSize gridSize, float duration)
        : TiledGrid3DAction(gridSize, duration) { }
};

// The same wave from the upper right towards the lower left; tile (0, 0) stays.
class FadeOutBLTiles final : public FadeOutTRTiles {
public:
    static base::Ref<FadeOutBLTiles> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    float testFunc(ccGridSize pos, float time) override;

private:
    friend base::Factory;

    FadeOutBLTiles(ccGridSize gridSize, float duration)
        : FadeOutTRTiles(gridSize, duration) { }
};

// Rows shrink away vertically from the bottom row up.
class FadeOutUpTiles : public FadeOutTRTiles {
public:
    static base::Ref<FadeOutUpTiles> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    float testFunc(ccGridSize pos, float time) override;
    // Shrinks the tile vertically only.
    void transformTile(ccGridSize pos, float distance) override;

protected:
    ~FadeOutUpTiles() override = default;

    friend base::Factory;

    FadeOutUpTiles(ccGridSize gridSize, float duration)
        : FadeOutTRTiles(gridSize, duration) { }
};

// Rows shrink away vertically from the top row down; the bottom row stays.
class FadeOutDownTiles final : public FadeOutUpTiles {
public:
    static base::Ref<FadeOutDownTiles> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    float testFunc(ccGridSize pos, float time) override;

private:
    friend base::Factory;

    FadeOutDownTiles(ccGridSize gridSize, float duration)
        : FadeOutUpTiles(gridSize, duration) { }
};

// Switches the tiles off one by one in a shuffled order, all of them by the end. The order
// is made at start, after reseeding with the seed unless it is -1.
class TurnOffTiles final : public TiledGrid3DAction {
public:
    static base::Ref<TurnOffTiles> actionWithSeed(int seed, ccGridSize gridSize, float duration);
    // Seed 0: the same order every run.
    static base::Ref<TurnOffTiles> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void start() override;
    void update(float t) override;

    void turnOnTile(ccGridSize pos);
    void turnOffTile(ccGridSize pos);

    std::vector<int> const& tilesOrder() const { return tilesOrder_; }

private:
    int seed_;
    int tilesCount_ {0};
    std::vector<int> tilesOrder_;

    friend base::Factory;

    TurnOffTiles(int seed, ccGridSize gridSize, float duration);
};

// Raises and lowers whole tiles in z, in waves across the grid.
class WavesTiles3D final : public TiledGrid3DAction, public WithAmplitude {
public:
    static base::Ref<WavesTiles3D> actionWithWaves(
        int waves, float amplitude, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

private:
    int waves_;

    friend base::Factory;

    WavesTiles3D(int waves, float amplitude, ccGridSize gridSize, float duration);
};

// Makes the tiles jump in z, neighbours in opposite phase.
class JumpTiles3D final : public TiledGrid3DAction, public WithAmplitude {
public:
    static base::Ref<JumpTiles3D> actionWithJumps(
        int jumps, float amplitude, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

private:
    int jumps_;

    friend base::Factory;

    JumpTiles3D(int jumps, float amplitude, ccGridSize gridSize, float duration);
};

// Slides the rows out of the window, even rows to the left and odd ones to the right, a
// whole window width by the end. The window size is read at start.
class SplitRows final : public TiledGrid3DAction {
public:
    static base::Ref<SplitRows> actionWithRows(int rows, float duration);

    base::Ref<engine::Action> copy() const override;
    void start() override;
    void update(float t) override;

private:
    int rows_;
    engine::Size winSize_;

    friend base::Factory;

    SplitRows(int rows, float duration);
};

// Slides the columns out of the window, even columns down and odd ones up.
class SplitCols final : public TiledGrid3DAction {
public:
    static base::Ref<SplitCols> actionWithCols(int cols, float duration);

    base::Ref<engine::Action> copy() const override;
    void start() override;
    void update(float t) override;

private:
    int cols_;
    engine::Size winSize_;

    friend base::Factory;

    SplitCols(int cols, float duration);
};

}
