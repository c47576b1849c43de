#pragma once

#include <effects/GridAction.hpp>
#include <engine/Geometry.hpp>

namespace effects {

// The mesh effects. Each update rewrites the target's Grid3D from its original vertices
// (nothing accumulates between frames) in single precision; t runs from 0 to 1. The
// amplitude of those that have one is multiplied by amplitudeRate (1 after construction),
// which the amplitude wrappers drive.

// Waves across the mesh in z.
class Waves3D final : public Grid3DAction, public WithAmplitude {
public:
    static base::Ref<Waves3D> actionWithWaves(
        int waves, float amplitude, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

private:
    int waves_;

    friend base::Factory;

    Waves3D(int waves, float amplitude, ccGridSize gridSize, float duration);
};

// Turns the picture over about its vertical axis, on a 1 x 1 grid.
class FlipX3D : public Grid3DAction {
public:
    static base::Ref<FlipX3D> actionWithDuration(float duration);
    // Raises "FlipX3D" / "Grid size must be (1,1)" for any other size.
    static base::Ref<FlipX3D> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

protected:
    ~FlipX3D() override = default;

    friend base::Factory;

    FlipX3D(ccGridSize gridSize, float duration);
};

// Turns the picture over about its horizontal axis, on a 1 x 1 grid.
class FlipY3D final : public FlipX3D {
public:
    static base::Ref<FlipY3D> actionWithDuration(float duration);
    static base::Ref<FlipY3D> actionWithSize(ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

private:
    friend base::Factory;

    FlipY3D(ccGridSize gridSize, float duration)
        : FlipX3D(gridSize, duration) { }
};

// A lens bulging the mesh towards the viewer around a position that may move while the
// action runs; t is not used. Frames in which the position did not change do no work.
class Lens3D final : public Grid3DAction {
public:
    static base::Ref<Lens3D> actionWithPosition(
        engine::Point position, float radius, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

    engine::Point position() const { return position_; }
    void setPosition(engine::Point position) { position_ = position; }
    float lensEffect() const { return lensEffect_; }
    void setLensEffect(float lensEffect) { lensEffect_ = lensEffect; }

private:
    engine::Point position_;
    float radius_;
    float lensEffect_ {0.7f};
    engine::Point lastPosition_ {-1, -1};

    friend base::Factory;

    Lens3D(engine::Point position, float radius, ccGridSize gridSize, float duration);
};

// Rings in z spreading from a position, fading towards the radius.
class Ripple3D final : public Grid3DAction, public WithAmplitude {
public:
    static base::Ref<Ripple3D> actionWithPosition(engine::Point position, float radius, int waves,
        float amplitude, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

    engine::Point position() const { return position_; }
    void setPosition(engine::Point position) { position_ = position; }

private:
    engine::Point position_;
    float radius_;
    int waves_;

    friend base::Factory;

    Ripple3D(engine::Point position, float radius, int waves, float amplitude, ccGridSize gridSize,
        float duration);
};

// Shakes every grid point by whole random offsets in -range..range-1 each frame, drawn
// from foundation::rand(). The range must be at least 1.
class Shaky3D final : public Grid3DAction {
public:
    static base::Ref<Shaky3D> actionWithRange(
        int range, bool shakeZ, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

private:
    int randrange_;
    bool shakeZ_;

    friend base::Factory;

    Shaky3D(int range, bool shakeZ, ccGridSize gridSize, float duration);
};

// Waves in x and y of the interior points; the border stays.
class Liquid final : public Grid3DAction, public WithAmplitude {
public:
    static base::Ref<Liquid> actionWithWaves(
        int waves, float amplitude, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

private:
    int waves_;

    friend base::Factory;

    Liquid(int waves, float amplitude, ccGridSize gridSize, float duration);
};

// Waves in the plane: vertical ones move x, horizontal ones y.
class Waves final : public Grid3DAction, public WithAmplitude {
public:
    static base::Ref<Waves> actionWithWaves(int waves, float amplitude, bool horizontal,
        bool vertical, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

private:
    int waves_;
    bool vertical_;
    bool horizontal_;

    friend base::Factory;

    Waves(int waves, float amplitude, bool horizontal, bool vertical, ccGridSize gridSize,
        float duration);
};

// Twists the mesh about a position, more the farther a point is from the grid's middle.
class Twirl final : public Grid3DAction, public WithAmplitude {
public:
    static base::Ref<Twirl> actionWithPosition(
        engine::Point position, int twirls, float amplitude, ccGridSize gridSize, float duration);

    base::Ref<engine::Action> copy() const override;
    void update(float t) override;

    engine::Point position() const { return position_; }
    void setPosition(engine::Point position) { position_ = position; }

private:
    engine::Point position_;
    int twirls_;

    friend base::Factory;

    Twirl(engine::Point position, int twirls, float amplitude, ccGridSize gridSize, float duration);
};

}
