#include <effects/Grid.hpp>
#include <effects/TiledGridEffects.hpp>

#include <base/Verify.hpp>
#include <engine/DirectorServices.hpp>
#include <foundation/Random.hpp>

#include <cmath>
#include <utility>

namespace effects {

namespace {

constexpr float pi = 3.1415927f;

float randomOffset(int range) {
    return float(foundation::rand() % (2 * range) - range);
}

// Each corner's x, then each corner's y, then (when asked) each corner's z moved by a
// fresh random offset.
void shake(ccQuad3& q, int range, bool z) {
    ccVertex3F* corners[4] = {&q.bl, &q.br, &q.tl, &q.tr};
    for (auto* c : corners)
        c->x += randomOffset(range);
    for (auto* c : corners)
        c->y += randomOffset(range);
    if (z) {
        for (auto* c : corners)
            c->z += randomOffset(range);
    }
}

void setZ(ccQuad3& q, float z) {
    q.bl.z = q.br.z = q.tl.z = q.tr.z = z;
}

void addZ(ccQuad3& q, float z) {
    q.bl.z += z;
    q.br.z += z;
    q.tl.z += z;
    q.tr.z += z;
}

// 0, 1, ..., count - 1 shuffled.
std::vector<int> shuffledOrder(int count) {
    std::vector<int> order(std::size_t(count > 0 ? count : 0));
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = int(k);
    ShuffleTiles::shuffle(order.data(), int(order.size()));
    return order;
}

}

// ShakyTiles3D

base::Ref<ShakyTiles3D> ShakyTiles3D::actionWithRange(
    int range, bool shakeZ, ccGridSize gridSize, float duration) {
    return base::make<ShakyTiles3D>(range, shakeZ, gridSize, duration);
}

ShakyTiles3D::ShakyTiles3D(int range, bool shakeZ, ccGridSize gridSize, float duration)
    : TiledGrid3DAction(gridSize, duration)
    , randrange_(range)
    , shakeZ_(shakeZ) {
    VERIFY_MSG(range >= 1, "ShakyTiles3D: range must be at least 1");
}

base::Ref<engine::Action> ShakyTiles3D::copy() const {
    return base::make<ShakyTiles3D>(randrange_, shakeZ_, gridSize_, duration());
}

void ShakyTiles3D::update(float) {
    TiledGrid3D* g = tiles();
    if (!g)
        return;
    for (int i = 0; i < gridSize_.x; ++i) {
        for (int j = 0; j < gridSize_.y; ++j) {
            ccQuad3 q = g->originalTile({i, j});
            shake(q, randrange_, shakeZ_);
            g->setTile({i, j}, q);
        }
    }
}

// ShatteredTiles3D

base::Ref<ShatteredTiles3D> ShatteredTiles3D::actionWithRange(
    int range, bool shatterZ, ccGridSize gridSize, float duration) {
    return base::make<ShatteredTiles3D>(range, shatterZ, gridSize, duration);
}

ShatteredTiles3D::ShatteredTiles3D(int range, bool shatterZ, ccGridSize gridSize, float duration)
    : TiledGrid3DAction(gridSize, duration)
    , randrange_(range)
    , shatterZ_(shatterZ) {
    VERIFY_MSG(range >= 1, "ShatteredTiles3D: range must be at least 1");
}

base::Ref<engine::Action> ShatteredTiles3D::copy() const {
    return base::make<ShatteredTiles3D>(randrange_, shatterZ_, gridSize_, duration());
}

void ShatteredTiles3D::update(float) {
    TiledGrid3D* g = tiles();
    if (!g || once_)
        return;
    for (int i = 0; i < gridSize_.x; ++i) {
        for (int j = 0; j < gridSize_.y; ++j) {
            ccQuad3 q = g->originalTile({i, j});
            shake(q, randrange_, shatterZ_);
            g->setTile({i, j}, q);
        }
    }
    once_ = true;
}

// ShuffleTiles

base::Ref<ShuffleTiles> ShuffleTiles::actionWithSeed(
    int seed, ccGridSize gridSize, float duration) {
    return base::make<ShuffleTiles>(seed, gridSize, duration);
}

base::Ref<ShuffleTiles> ShuffleTiles::actionWithSize(ccGridSize gridSize, float duration) {
    return base::make<ShuffleTiles>(0, gridSize, duration);
}

ShuffleTiles::ShuffleTiles(int seed, ccGridSize gridSize, float duration)
    : TiledGrid3DAction(gridSize, duration)
    , seed_(seed) {
}

base::Ref<engine::Action> ShuffleTiles::copy() const {
    return base::make<ShuffleTiles>(seed_, gridSize_, duration());
}

void ShuffleTiles::shuffle(int* array, int count) {
    for (int k = count; k >= 1; --k) {
        int r = foundation::rand() % k;
        std::swap(array[k - 1], array[r]);
    }
}

void ShuffleTiles::start() {
    TiledGrid3DAction::start();
    if (seed_ != -1)
        foundation::srand(unsigned(seed_));
    tilesCount_ = gridSize_.x * gridSize_.y;
    tilesOrder_ = shuffledOrder(tilesCount_);
    tiles_.clear();
    tiles_.reserve(tilesOrder_.size());
    for (int i = 0; i < gridSize_.x; ++i) {
        for (int j = 0; j < gridSize_.y; ++j) {
            engine::Point place {float(i), float(j)};
            tiles_.push_back({place, place, getDelta({i, j})});
        }
    }
}

ccGridSize ShuffleTiles::getDelta(ccGridSize pos) const {
    int v = tilesOrder_[std::size_t(pos.x * gridSize_.y + pos.y)];
    return {v / gridSize_.y - pos.x, v % gridSize_.y - pos.y};
}

void ShuffleTiles::placeTile(ccGridSize pos, Tile const& tile) {
    TiledGrid3D* g = tiles();
    if (!g)
        return;
    ccQuad3 q = g->originalTile(pos);
    engine::Point step = g->step();
    float dx = std::trunc(tile.position.x * step.x);
    float dy = std::trunc(tile.position.y * step.y);
    for (auto* c : {&q.bl, &q.br, &q.tl, &q.tr}) {
        c->x += dx;
        c->y += dy;
    }
    g->setTile(pos, q);
}

void ShuffleTiles::update(float t) {
    std::size_t k = 0;
    for (int i = 0; i < gridSize_.x; ++i) {
        for (int j = 0; j < gridSize_.y; ++j, ++k) {
            if (k >= tiles_.size())
                return;
            Tile& tile = tiles_[k];
            tile.position = {float(tile.delta.x) * t, float(tile.delta.y) * t};
            placeTile({i, j}, tile);
        }
    }
}

// The fade-out family

base::Ref<FadeOutTRTiles> FadeOutTRTiles::actionWithSize(ccGridSize gridSize, float duration) {
    return base::make<FadeOutTRTiles>(gridSize, duration);
}

base::Ref<engine::Action> FadeOutTRTiles::copy() const {
    return base::make<FadeOutTRTiles>(gridSize_, duration());
}

float FadeOutTRTiles::testFunc(ccGridSize pos, float time) {
    float n = float(gridSize_.x) * time + float(gridSize_.y) * time;
    if (n == 0)
        return 1;
    return std::pow(float(pos.x + pos.y) / n, 6.0f);
}

void FadeOutTRTiles::turnOnTile(ccGridSize pos) {
    setTile(pos, originalTile(pos));
}

void FadeOutTRTiles::turnOffTile(ccGridSize pos) {
    setTile(pos, ccQuad3 {});
}

void FadeOutTRTiles::transformTile(ccGridSize pos, float distance) {
    TiledGrid3D* g = tiles();
    if (!g)
        return;
    ccQuad3 q = g->originalTile(pos);
    engine::Point step = g->step();
    float s = 1 - distance;
    float hx = step.x / 2 * s;
    float hy = step.y / 2 * s;
    q.bl.x += hx;
    q.bl.y += hy;
    q.br.x -= hx;
    q.br.y += hy;
    q.tl.x += hx;
    q.tl.y -= hy;
    q.tr.x -= hx;
    q.tr.y -= hy;
    g->setTile(pos, q);
}

void FadeOutTRTiles::update(float t) {
    for (int i = 0; i < gridSize_.x; ++i) {
        for (int j = 0; j < gridSize_.y; ++j) {
            float distance = testFunc({i, j}, t);
            if (distance == 0)
                turnOffTile({i, j});
            else if (distance < 1)
                transformTile({i, j}, distance);
            else
                turnOnTile({i, j});
        }
    }
}

base::Ref<FadeOutBLTiles> FadeOutBLTiles::actionWithSize(ccGridSize gridSize, float duration) {
    return base::make<FadeOutBLTiles>(gridSize, duration);
}

base::Ref<engine::Action> FadeOutBLTiles::copy() const {
    return base::make<FadeOutBLTiles>(gridSize_, duration());
}

float FadeOutBLTiles::testFunc(ccGridSize pos, float time) {
    if (pos.x + pos.y == 0)
        return 1;
    float n = float(gridSize_.x) * (1 - time) + float(gridSize_.y) * (1 - time);
    return std::pow(n / float(pos.x + pos.y), 6.0f);
}

base::Ref<FadeOutUpTiles> FadeOutUpTiles::actionWithSize(ccGridSize gridSize, float duration) {
    return base::make<FadeOutUpTiles>(gridSize, duration);
}

base::Ref<engine::Action> FadeOutUpTiles::copy() const {
    return base::make<FadeOutUpTiles>(gridSize_, duration());
}

float FadeOutUpTiles::testFunc(ccGridSize pos, float time) {
    float n = float(gridSize_.y) * time;
    if (n == 0)
        return 1;
    return std::pow(float(pos.y) / n, 6.0f);
}

void FadeOutUpTiles::transformTile(ccGridSize pos, float distance) {
    TiledGrid3D* g = tiles();
    if (!g)
        return;
    ccQuad3 q = g->originalTile(pos);
    float hy = g->step().y / 2 * (1 - distance);
    q.bl.y += hy;
    q.br.y += hy;
    q.tl.y -= hy;
    q.tr.y -= hy;
    g->setTile(pos, q);
}

base::Ref<FadeOutDownTiles> FadeOutDownTiles::actionWithSize(ccGridSize gridSize, float duration) {
    return base::make<FadeOutDownTiles>(gridSize, duration);
}

base::Ref<engine::Action> FadeOutDownTiles::copy() const {
    return base::make<FadeOutDownTiles>(gridSize_, duration());
}

float FadeOutDownTiles::testFunc(ccGridSize pos, float time) {
    if (pos.y == 0)
        return 1;
    return std::pow(float(gridSize_.y) * (1 - time) / float(pos.y), 6.0f);
}

// TurnOffTiles

base::Ref<TurnOffTiles> TurnOffTiles::actionWithSeed(
    int seed, ccGridSize gridSize, float duration) {
    return base::make<TurnOffTiles>(seed, gridSize, duration);
}

base::Ref<TurnOffTiles> TurnOffTiles::actionWithSize(ccGridSize gridSize, float duration) {
    return base::make<TurnOffTiles>(0, gridSize, duration);
}

TurnOffTiles::TurnOffTiles(int seed, ccGridSize gridSize, float duration)
    : TiledGrid3DAction(gridSize, duration)
    , seed_(seed) {
}

base::Ref<engine::Action> TurnOffTiles::copy() const {
    return base::make<TurnOffTiles>(seed_, gridSize_, duration());
}

void TurnOffTiles::start() {
    TiledGrid3DAction::start();
    if (seed_ != -1)
        foundation::srand(unsigned(seed_));
    tilesCount_ = gridSize_.x * gridSize_.y;
    tilesOrder_ = shuffledOrder(tilesCount_);
}

void TurnOffTiles::turnOnTile(ccGridSize pos) {
    setTile(pos, originalTile(pos));
}

void TurnOffTiles::turnOffTile(ccGridSize pos) {
    setTile(pos, ccQuad3 {});
}

void TurnOffTiles::update(float t) {
    int l = int(float(tilesCount_) * t);
    for (std::size_t k = 0; k < tilesOrder_.size(); ++k) {
        int v = tilesOrder_[k];
        ccGridSize pos {v / gridSize_.y, v % gridSize_.y};
        if (int(k) < l)
            turnOffTile(pos);
        else
            turnOnTile(pos);
    }
}

// WavesTiles3D

base::Ref<WavesTiles3D> WavesTiles3D::actionWithWaves(
    int waves, float amplitude, ccGridSize gridSize, float duration) {
    return base::make<WavesTiles3D>(waves, amplitude, gridSize, duration);
}

WavesTiles3D::WavesTiles3D(int waves, float amplitude, ccGridSize gridSize, float duration)
    : TiledGrid3DAction(gridSize, duration)
    , WithAmplitude(amplitude)
    , waves_(waves) {
}

base::Ref<engine::Action> WavesTiles3D::copy() const {
    return base::make<WavesTiles3D>(waves_, amplitude_, gridSize_, duration());
}

void WavesTiles3D::update(float t) {
    TiledGrid3D* g = tiles();
    if (!g)
        return;
    for (int i = 0; i < gridSize_.x; ++i) {
        for (int j = 0; j < gridSize_.y; ++j) {
            ccQuad3 q = g->originalTile({i, j});
            float z = std::sin(pi * t * float(waves_) * 2 + (q.bl.y + q.bl.x) * 0.01f) * amplitude_
                * amplitudeRate_;
            setZ(q, z);
            g->setTile({i, j}, q);
        }
    }
}

// JumpTiles3D

base::Ref<JumpTiles3D> JumpTiles3D::actionWithJumps(
    int jumps, float amplitude, ccGridSize gridSize, float duration) {
    return base::make<JumpTiles3D>(jumps, amplitude, gridSize, duration);
}

JumpTiles3D::JumpTiles3D(int jumps, float amplitude, ccGridSize gridSize, float duration)
    : TiledGrid3DAction(gridSize, duration)
    , WithAmplitude(amplitude)
    , jumps_(jumps) {
}

base::Ref<engine::Action> JumpTiles3D::copy() const {
    return base::make<JumpTiles3D>(jumps_, amplitude_, gridSize_, duration());
}

void JumpTiles3D::update(float t) {
    TiledGrid3D* g = tiles();
    if (!g)
        return;
    float a = std::sin(pi * t * float(jumps_) * 2) * amplitude_ * amplitudeRate_;
    float b = std::sin(pi * (t * float(jumps_) * 2 + 1)) * amplitude_ * amplitudeRate_;
    for (int i = 0; i < gridSize_.x; ++i) {
        for (int j = 0; j < gridSize_.y; ++j) {
            ccQuad3 q = g->originalTile({i, j});
            addZ(q, (i + j) % 2 == 0 ? a : b);
            g->setTile({i, j}, q);
        }
    }
}

// SplitRows, SplitCols

base::Ref<SplitRows> SplitRows::actionWithRows(int rows, float duration) {
    return base::make<SplitRows>(rows, duration);
}

SplitRows::SplitRows(int rows, float duration)
    : TiledGrid3DAction({1, rows}, duration)
    , rows_(rows) {
}

base::Ref<engine::Action> SplitRows::copy() const {
    return base::make<SplitRows>(rows_, duration());
}

void SplitRows::start() {
    TiledGrid3DAction::start();
    winSize_ = engine::DirectorServices::current().winSize();
}

void SplitRows::update(float t) {
    TiledGrid3D* g = tiles();
    if (!g)
        return;
    for (int j = 0; j < gridSize_.y; ++j) {
        ccQuad3 q = g->originalTile({0, j});
        float direction = j % 2 == 0 ? -1.0f : 1.0f;
        for (auto* c : {&q.bl, &q.br, &q.tl, &q.tr})
            c->x += direction * winSize_.width * t;
        g->setTile({0, j}, q);
    }
}

base::Ref<SplitCols> SplitCols::actionWithCols(int cols, float duration) {
    return base::make<SplitCols>(cols, duration);
}

SplitCols::SplitCols(int cols, float duration)
    : TiledGrid3DAction({cols, 1}, duration)
    , cols_(cols) {
}

base::Ref<engine::Action> SplitCols::copy() const {
    return base::make<SplitCols>(cols_, duration());
}

void SplitCols::start() {
    TiledGrid3DAction::start();
    winSize_ = engine::DirectorServices::current().winSize();
}

void SplitCols::update(float t) {
    TiledGrid3D* g = tiles();
    if (!g)
        return;
    for (int i = 0; i < gridSize_.x; ++i) {
        ccQuad3 q = g->originalTile({i, 0});
        float direction = i % 2 == 0 ? -1.0f : 1.0f;
        for (auto* c : {&q.bl, &q.br, &q.tl, &q.tr})
            c->y += direction * winSize_.height * t;
        g->setTile({i, 0}, q);
    }
}

}
