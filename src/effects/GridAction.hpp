#pragma once

#include <base/Ref.hpp>
#include <effects/Forward.hpp>
#include <effects/GridTypes.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>

namespace effects {

// The actions that deform a node's grid over their duration. Start makes a fresh grid of
// the action's size and class; when the target's grid may be reused (its reuseGrid is
// positive) and is active, of the same size and class, that grid is kept and its current
// shape becomes the starting shape; a reusable grid that does not fit raises "GridBase" /
// "Cannot reuse grid". Otherwise the target's old grid is switched off and replaced by the
// fresh one, active. The grid stays on the node, active and in its last shape, after the
// action ends: StopGrid switches it off. Main thread.
class GridAction : public engine::IntervalAction {
public:
    static base::Ref<GridAction> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void start() override;
    // A new grid of the action's size; raises "GridBase" / "Abstract class needs
    // implementation" on this base.
    virtual base::Ref<GridBase> grid();
    // Runs this action backwards in time.
    base::Ref<engine::FiniteTimeAction> reverse() override;

    ccGridSize gridSize() const { return gridSize_; }
    void setGridSize(ccGridSize gridSize) { gridSize_ = gridSize; }

protected:
    ~GridAction() override = default;

    // The target's grid as an effects grid, or null.
    GridBase* targetGrid() const;

    ccGridSize gridSize_;

    friend base::Factory;

    GridAction(ccGridSize gridSize, float duration);
};

// A grid action on a connected mesh (Grid3D).
class Grid3DAction : public GridAction {
public:
    static base::Ref<Grid3DAction> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    base::Ref<GridBase> grid() override;
    // Of the target's grid; (0, 0, 0) when it has none.
    ccVertex3F vertex(ccGridSize pos) const;
    ccVertex3F originalVertex(ccGridSize pos) const;
    void setVertex(ccGridSize pos, ccVertex3F vertex);

protected:
    ~Grid3DAction() override = default;

    // The target's grid when it is a Grid3D, or null.
    Grid3D* mesh() const;

    friend base::Factory;

    Grid3DAction(ccGridSize gridSize, float duration);
};

// A grid action on independent tiles (TiledGrid3D).
class TiledGrid3DAction : public GridAction {
public:
    static base::Ref<TiledGrid3DAction> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    base::Ref<GridBase> grid() override;
    // Of the target's grid; all zero when it has none.
    ccQuad3 tile(ccGridSize pos) const;
    ccQuad3 originalTile(ccGridSize pos) const;
    void setTile(ccGridSize pos, ccQuad3 coords);

protected:
    ~TiledGrid3DAction() override = default;

    // The target's grid when it is a TiledGrid3D, or null.
    TiledGrid3D* tiles() const;

    friend base::Factory;

    TiledGrid3DAction(ccGridSize gridSize, float duration);
};

// What the amplitude wrappers need of the effect they wrap: a factor on its amplitude.
class AmplitudeProtocol {
public:
    virtual float amplitudeRate() const = 0;
    virtual void setAmplitudeRate(float rate) = 0;

protected:
    ~AmplitudeProtocol() = default;
};

// The amplitude of an effect and the factor on it (1 after construction).
class WithAmplitude : public AmplitudeProtocol {
public:
    float amplitude() const { return amplitude_; }
    void setAmplitude(float amplitude) { amplitude_ = amplitude; }
    float amplitudeRate() const override { return amplitudeRate_; }
    void setAmplitudeRate(float rate) override { amplitudeRate_ = rate; }

protected:
    explicit WithAmplitude(float amplitude)
        : amplitude_(amplitude) { }
    ~WithAmplitude() = default;

    float amplitude_;
    float amplitudeRate_ {1};
};

// The amplitude rate of any interval action: one without an amplitude raises
// "IntervalAction (Amplitude)" / "Abstract class needs implementation".
void setAmplitudeRate(engine::IntervalAction& action, float rate);
float getAmplitudeRate(engine::IntervalAction& action);

// Scales the amplitude of the wrapped effect by f^rate as it runs, with f rising from 0 to
// 1 at the middle and back to 0 (AccelDeccelAmplitude), rising (AccelAmplitude) or falling
// (DeccelAmplitude). The wrapper retains the effect and gives it its own target.
class AmplitudeWrapper : public engine::IntervalAction {
public:
    void start() override;
    void update(float t) override;

    float rate() const { return rate_; }
    void setRate(float rate) { rate_ = rate; }
    engine::IntervalAction* other() const { return other_.get(); }

protected:
    ~AmplitudeWrapper() override = default;

    virtual float factor(float t) const = 0;

    float rate_ {1};
    base::Ref<engine::IntervalAction> other_;

    AmplitudeWrapper(base::Ref<engine::IntervalAction> action, float duration);
};

class AccelDeccelAmplitude final : public AmplitudeWrapper {
public:
    static base::Ref<AccelDeccelAmplitude> actionWithAction(
        base::Ref<engine::IntervalAction> action, float duration);

    base::Ref<engine::Action> copy() const override;
    base::Ref<engine::FiniteTimeAction> reverse() override;

private:
    float factor(float t) const override;

    friend base::Factory;

    AccelDeccelAmplitude(base::Ref<engine::IntervalAction> action, float duration)
        : AmplitudeWrapper(std::move(action), duration) { }
};

class AccelAmplitude final : public AmplitudeWrapper {
public:
    static base::Ref<AccelAmplitude> actionWithAction(
        base::Ref<engine::IntervalAction> action, float duration);

    base::Ref<engine::Action> copy() const override;
    base::Ref<engine::FiniteTimeAction> reverse() override;

private:
    float factor(float t) const override { return t; }

    friend base::Factory;

    AccelAmplitude(base::Ref<engine::IntervalAction> action, float duration)
        : AmplitudeWrapper(std::move(action), duration) { }
};

class DeccelAmplitude final : public AmplitudeWrapper {
public:
    static base::Ref<DeccelAmplitude> actionWithAction(
        base::Ref<engine::IntervalAction> action, float duration);

    base::Ref<engine::Action> copy() const override;
    base::Ref<engine::FiniteTimeAction> reverse() override;

private:
    float factor(float t) const override { return 1 - t; }

    friend base::Factory;

    DeccelAmplitude(base::Ref<engine::IntervalAction> action, float duration)
        : AmplitudeWrapper(std::move(action), duration) { }
};

// Switches the target's grid off (it stays attached), so the node draws normally again.
class StopGrid final : public engine::InstantAction {
public:
    static base::Ref<StopGrid> action();

    base::Ref<engine::Action> copy() const override;
    void start() override;

private:
    friend base::Factory;

    StopGrid() = default;
};

// Lets the next `times` grid actions on the target start from its active grid's current
// shape. Nothing happens when the target has no active grid.
class ReuseGrid final : public engine::InstantAction {
public:
    static base::Ref<ReuseGrid> actionWithTimes(int times);

    base::Ref<engine::Action> copy() const override;
    void start() override;

private:
    int t;

    friend base::Factory;

    explicit ReuseGrid(int times)
        : t(times) { }
};

}
