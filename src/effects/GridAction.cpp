#include <effects/Grid.hpp>
#include <effects/GridAction.hpp>

#include <base/Exception.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/SceneNode.hpp>

#include <cmath>
#include <typeinfo>

namespace effects {

// GridAction

base::Ref<GridAction> GridAction::actionWithSize(ccGridSize gridSize, float duration) {
    return base::make<GridAction>(gridSize, duration);
}

GridAction::GridAction(ccGridSize gridSize, float duration)
    : IntervalAction(duration)
    , gridSize_(gridSize) {
}

base::Ref<engine::Action> GridAction::copy() const {
    return base::make<GridAction>(gridSize_, duration());
}

GridBase* GridAction::targetGrid() const {
    return target() ? dynamic_cast<GridBase*>(target()->grid()) : nullptr;
}

base::Ref<GridBase> GridAction::grid() {
    throw base::Exception("GridBase", "Abstract class needs implementation");
}

void GridAction::start() {
    IntervalAction::start();
    base::Ref<GridBase> fresh = grid();
    engine::SceneNode* node = target();
    if (!node)
        return;
    engine::GridBase* current = node->grid();
    auto* reusable = dynamic_cast<GridBase*>(current);
    if (reusable && reusable->reuseGrid() > 0) {
        if (reusable->active() && reusable->gridSize() == gridSize_
            && typeid(*reusable) == typeid(*fresh)) {
            reusable->reuse();
            return;
        }
        throw base::Exception("GridBase", "Cannot reuse grid");
    }
    if (current && current->active())
        current->setActive(false);
    node->setGrid(fresh);
    fresh->setActive(true);
}

base::Ref<engine::FiniteTimeAction> GridAction::reverse() {
    return engine::ReverseTime::actionWithAction(base::Ref<engine::FiniteTimeAction>(this));
}

// Grid3DAction

base::Ref<Grid3DAction> Grid3DAction::actionWithSize(ccGridSize gridSize, float duration) {
    return base::make<Grid3DAction>(gridSize, duration);
}

Grid3DAction::Grid3DAction(ccGridSize gridSize, float duration)
    : GridAction(gridSize, duration) {
}

base::Ref<engine::Action> Grid3DAction::copy() const {
    return base::make<Grid3DAction>(gridSize_, duration());
}

base::Ref<GridBase> Grid3DAction::grid() {
    return Grid3D::gridWithSize(gridSize_);
}

Grid3D* Grid3DAction::mesh() const {
    return target() ? dynamic_cast<Grid3D*>(target()->grid()) : nullptr;
}

ccVertex3F Grid3DAction::vertex(ccGridSize pos) const {
    auto* g = mesh();
    return g ? g->vertex(pos) : ccVertex3F {};
}

ccVertex3F Grid3DAction::originalVertex(ccGridSize pos) const {
    auto* g = mesh();
    return g ? g->originalVertex(pos) : ccVertex3F {};
}

void Grid3DAction::setVertex(ccGridSize pos, ccVertex3F vertex) {
    if (auto* g = mesh())
        g->setVertex(pos, vertex);
}

// TiledGrid3DAction

base::Ref<TiledGrid3DAction> TiledGrid3DAction::actionWithSize(
    ccGridSize gridSize, float duration) {
    return base::make<TiledGrid3DAction>(gridSize, duration);
}

TiledGrid3DAction::TiledGrid3DAction(ccGridSize gridSize, float duration)
    : GridAction(gridSize, duration) {
}

base::Ref<engine::Action> TiledGrid3DAction::copy() const {
    return base::make<TiledGrid3DAction>(gridSize_, duration());
}

base::Ref<GridBase> TiledGrid3DAction::grid() {
    return TiledGrid3D::gridWithSize(gridSize_);
}

TiledGrid3D* TiledGrid3DAction::tiles() const {
    return target() ? dynamic_cast<TiledGrid3D*>(target()->grid()) : nullptr;
}

ccQuad3 TiledGrid3DAction::tile(ccGridSize pos) const {
    auto* g = tiles();
    return g ? g->tile(pos) : ccQuad3 {};
}

ccQuad3 TiledGrid3DAction::originalTile(ccGridSize pos) const {
    auto* g = tiles();
    return g ? g->originalTile(pos) : ccQuad3 {};
}

void TiledGrid3DAction::setTile(ccGridSize pos, ccQuad3 coords) {
    if (auto* g = tiles())
        g->setTile(pos, coords);
}

// Amplitude

namespace {

AmplitudeProtocol& amplitudeOf(engine::IntervalAction& action) {
    auto* amplitude = dynamic_cast<AmplitudeProtocol*>(&action);
    if (!amplitude)
        throw base::Exception("IntervalAction (Amplitude)", "Abstract class needs implementation");
    return *amplitude;
}

}

void setAmplitudeRate(engine::IntervalAction& action, float rate) {
    amplitudeOf(action).setAmplitudeRate(rate);
}

float getAmplitudeRate(engine::IntervalAction& action) {
    return amplitudeOf(action).amplitudeRate();
}

AmplitudeWrapper::AmplitudeWrapper(base::Ref<engine::IntervalAction> action, float duration)
    : IntervalAction(duration)
    , other_(std::move(action)) {
}

void AmplitudeWrapper::start() {
    IntervalAction::start();
    other_->setTarget(target());
    other_->start();
}

void AmplitudeWrapper::update(float t) {
    setAmplitudeRate(*other_, std::pow(factor(t), rate_));
    other_->update(t);
}

float AccelDeccelAmplitude::factor(float t) const {
    float f = t * 2;
    if (f > 1)
        f = 1 - (f - 1);
    return f;
}

base::Ref<AccelDeccelAmplitude> AccelDeccelAmplitude::actionWithAction(
    base::Ref<engine::IntervalAction> action, float duration) {
    return base::make<AccelDeccelAmplitude>(std::move(action), duration);
}

base::Ref<engine::Action> AccelDeccelAmplitude::copy() const {
    return base::make<AccelDeccelAmplitude>(engine::copyOf(*other_), duration());
}

base::Ref<engine::FiniteTimeAction> AccelDeccelAmplitude::reverse() {
    return base::make<AccelDeccelAmplitude>(engine::intervalReverse(*other_), duration());
}

base::Ref<AccelAmplitude> AccelAmplitude::actionWithAction(
    base::Ref<engine::IntervalAction> action, float duration) {
    return base::make<AccelAmplitude>(std::move(action), duration);
}

base::Ref<engine::Action> AccelAmplitude::copy() const {
    return base::make<AccelAmplitude>(engine::copyOf(*other_), duration());
}

base::Ref<engine::FiniteTimeAction> AccelAmplitude::reverse() {
    return base::make<AccelAmplitude>(engine::intervalReverse(*other_), duration());
}

base::Ref<DeccelAmplitude> DeccelAmplitude::actionWithAction(
    base::Ref<engine::IntervalAction> action, float duration) {
    return base::make<DeccelAmplitude>(std::move(action), duration);
}

base::Ref<engine::Action> DeccelAmplitude::copy() const {
    return base::make<DeccelAmplitude>(engine::copyOf(*other_), duration());
}

base::Ref<engine::FiniteTimeAction> DeccelAmplitude::reverse() {
    return base::make<DeccelAmplitude>(engine::intervalReverse(*other_), duration());
}

// StopGrid, ReuseGrid

base::Ref<StopGrid> StopGrid::action() {
    return base::make<StopGrid>();
}

base::Ref<engine::Action> StopGrid::copy() const {
    return base::make<StopGrid>();
}

void StopGrid::start() {
    InstantAction::start();
    engine::GridBase* grid = target() ? target()->grid() : nullptr;
    if (grid && grid->active())
        grid->setActive(false);
}

base::Ref<ReuseGrid> ReuseGrid::actionWithTimes(int times) {
    return base::make<ReuseGrid>(times);
}

base::Ref<engine::Action> ReuseGrid::copy() const {
    return base::make<ReuseGrid>(t);
}

void ReuseGrid::start() {
    InstantAction::start();
    auto* grid = target() ? dynamic_cast<GridBase*>(target()->grid()) : nullptr;
    if (grid && grid->active())
        grid->setReuseGrid(grid->reuseGrid() + t);
}

}
