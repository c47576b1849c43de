#pragma once

#include <base/Ref.hpp>
#include <effects/Forward.hpp>
#include <effects/GridTypes.hpp>
#include <engine/Color.hpp>
#include <engine/Scene.hpp>

namespace effects {

// A scene that the director runs in place of a plain scene change: it holds the scene that
// was running when it was made (outScene) and the one that comes next (inScene), draws both
// and animates them with ordinary actions for its duration, then hands inScene to the
// director. Touch dispatch is off from its making until the hand-over.
//
// Order of events: the director swaps the transition in without onExit to the outgoing
// scene; onEnter starts the transition's own children and timers, then sends onEnter to
// inScene, then the concrete class sets both scenes up and runs its actions. The last action
// calls finish, which puts both scenes back to their plain state and schedules setNewScene
// for the next tick; setNewScene replaces the transition with inScene, switches touches on
// and shows outScene again. At the following frame the transition gets onExit (which sends
// onExit to outScene and onEnterTransitionDidFinish to inScene) and is released with both
// scenes; inScene gets no second onEnter. Main thread.
class TransitionScene : public engine::TransitionScene {
public:
    // Raises "TransitionWithInvalidScene" / "Incoming scene must be different from the
    // outgoing scene" when the scene is the running one (touches stay on); a null scene is a
    // broken invariant.
    static base::Ref<TransitionScene> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);

    // Which scene is drawn on top: inScene unless a transition says otherwise.
    virtual void sceneOrder();
    void draw() override;
    void finish();
    void setNewScene(float dt);
    void hideOutShowIn();

    void onEnter() override;
    void onExit() override;
    void onEnterTransitionDidFinish() override;

    engine::Scene* inScene() const { return inScene_.get(); }
    engine::Scene* outScene() const { return outScene_.get(); }
    float duration() const { return duration_; }
    bool inSceneOnTop() const { return inSceneOnTop_; }

protected:
    ~TransitionScene() override;

    // The steps of making after construction: touches off, then the scene order.
    template<typename T, typename... Args> static base::Ref<T> made(Args&&... args) {
        auto transition = base::make<T>(std::forward<Args>(args)...);
        transition->initTransition();
        return transition;
    }
    void initTransition();

    base::Ref<engine::Scene> inScene_;
    base::Ref<engine::Scene> outScene_;
    float duration_;
    bool inSceneOnTop_ {true};

    friend base::Factory;

    TransitionScene(float duration, base::Ref<engine::Scene> scene);
};

// The turning directions of the flip transitions.
inline constexpr int OrientationLeftOver = 0;
inline constexpr int OrientationRightOver = 1;
inline constexpr int OrientationUpOver = 0;
inline constexpr int OrientationDownOver = 1;

// A transition with a turning direction.
class OrientedTransitionScene : public TransitionScene {
public:
    static base::Ref<OrientedTransitionScene> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene, int orientation);

    int orientation() const { return orientation_; }

protected:
    ~OrientedTransitionScene() override = default;

    int orientation_;

    friend base::Factory;

    OrientedTransitionScene(float duration, base::Ref<engine::Scene> scene, int orientation)
        : TransitionScene(duration, std::move(scene))
        , orientation_(orientation) { }
};

// The concrete transitions. Each makes itself with transitionWithDuration(duration, scene)
// (the flips add an orientation, the fade a colour) and sets up and runs its actions in
// onEnter; w and h below are the window size at onEnter.

// The outgoing scene shrinks away spinning; the incoming one spins in growing.
class RotoZoomTransition final : public TransitionScene {
public:
    static base::Ref<RotoZoomTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void onEnter() override;

private:
    friend base::Factory;
    using TransitionScene::TransitionScene;
};

// The outgoing scene shrinks and jumps away to the left; the incoming one jumps in from the
// right and grows.
class JumpZoomTransition final : public TransitionScene {
public:
    static base::Ref<JumpZoomTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void onEnter() override;

private:
    friend base::Factory;
    using TransitionScene::TransitionScene;
};

// The incoming scene moves in over the outgoing one, from the left (and from the right, top
// and bottom in the subclasses), slowing down.
class MoveInLTransition : public TransitionScene {
public:
    static base::Ref<MoveInLTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void onEnter() override;
    virtual void initScenes();
    virtual base::Ref<engine::IntervalAction> action();

protected:
    ~MoveInLTransition() override = default;

    friend base::Factory;
    using TransitionScene::TransitionScene;
};

class MoveInRTransition final : public MoveInLTransition {
public:
    static base::Ref<MoveInRTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void initScenes() override;

private:
    friend base::Factory;
    using MoveInLTransition::MoveInLTransition;
};

class MoveInTTransition final : public MoveInLTransition {
public:
    static base::Ref<MoveInTTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void initScenes() override;

private:
    friend base::Factory;
    using MoveInLTransition::MoveInLTransition;
};

class MoveInBTransition final : public MoveInLTransition {
public:
    static base::Ref<MoveInBTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void initScenes() override;

private:
    friend base::Factory;
    using MoveInLTransition::MoveInLTransition;
};

// Both scenes slide together, the incoming one pushing in from the left (right, top,
// bottom in the subclasses); the left and top slides draw the outgoing scene on top.
class SlideInLTransition : public TransitionScene {
public:
    static base::Ref<SlideInLTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void onEnter() override;
    void sceneOrder() override;
    virtual void initScenes();
    virtual base::Ref<engine::IntervalAction> action();

protected:
    ~SlideInLTransition() override = default;

    friend base::Factory;
    using TransitionScene::TransitionScene;
};

class SlideInRTransition final : public SlideInLTransition {
public:
    static base::Ref<SlideInRTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void sceneOrder() override;
    void initScenes() override;
    base::Ref<engine::IntervalAction> action() override;

private:
    friend base::Factory;
    using SlideInLTransition::SlideInLTransition;
};

class SlideInTTransition final : public SlideInLTransition {
public:
    static base::Ref<SlideInTTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void sceneOrder() override;
    void initScenes() override;
    base::Ref<engine::IntervalAction> action() override;

private:
    friend base::Factory;
    using SlideInLTransition::SlideInLTransition;
};

class SlideInBTransition final : public SlideInLTransition {
public:
    static base::Ref<SlideInBTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void sceneOrder() override;
    void initScenes() override;
    base::Ref<engine::IntervalAction> action() override;

private:
    friend base::Factory;
    using SlideInLTransition::SlideInLTransition;
};

// The outgoing scene shrinks towards its left third while the incoming one grows from its
// right third.
class ShrinkGrowTransition final : public TransitionScene {
public:
    static base::Ref<ShrinkGrowTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void onEnter() override;

private:
    friend base::Factory;
    using TransitionScene::TransitionScene;
};

// The flips turn the outgoing scene away through the camera in the first half and the
// incoming one in through the second; the zoom flips shrink and grow them as they turn.
// Orientation 1 (right over; down over for the Y flips' 0) turns in from 270 degrees by 90,
// the other from 90 by -90.
class FlipXTransition final : public OrientedTransitionScene {
public:
    static base::Ref<FlipXTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene, int orientation);
    void onEnter() override;

private:
    friend base::Factory;
    using OrientedTransitionScene::OrientedTransitionScene;
};

class FlipYTransition final : public OrientedTransitionScene {
public:
    static base::Ref<FlipYTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene, int orientation);
    void onEnter() override;

private:
    friend base::Factory;
    using OrientedTransitionScene::OrientedTransitionScene;
};

class FlipAngularTransition final : public OrientedTransitionScene {
public:
    static base::Ref<FlipAngularTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene, int orientation);
    void onEnter() override;

private:
    friend base::Factory;
    using OrientedTransitionScene::OrientedTransitionScene;
};

class ZoomFlipXTransition final : public OrientedTransitionScene {
public:
    static base::Ref<ZoomFlipXTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene, int orientation);
    void onEnter() override;

private:
    friend base::Factory;
    using OrientedTransitionScene::OrientedTransitionScene;
};

class ZoomFlipYTransition final : public OrientedTransitionScene {
public:
    static base::Ref<ZoomFlipYTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene, int orientation);
    void onEnter() override;

private:
    friend base::Factory;
    using OrientedTransitionScene::OrientedTransitionScene;
};

class ZoomFlipAngularTransition final : public OrientedTransitionScene {
public:
    static base::Ref<ZoomFlipAngularTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene, int orientation);
    void onEnter() override;

private:
    friend base::Factory;
    using OrientedTransitionScene::OrientedTransitionScene;
};

// Fades to a colour (black by default) and from it to the incoming scene, swapping the
// scenes exactly half-way, through a colour layer over both (tag 0xFADEFADE, removed at
// onExit).
class FadeTransition final : public TransitionScene {
public:
    static constexpr int fadeLayerTag = static_cast<int>(0xFADEFADEu);

    static base::Ref<FadeTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    static base::Ref<FadeTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene, engine::Color3B color);
    void onEnter() override;
    void onExit() override;

    engine::Color4B color() const { return color_; }

private:
    engine::Color4B color_;

    friend base::Factory;

    FadeTransition(float duration, base::Ref<engine::Scene> scene, engine::Color3B color);
};

// The outgoing scene's tiles switch off in a fixed shuffled order, showing the incoming one.
class TurnOffTilesTransition final : public TransitionScene {
public:
    static base::Ref<TurnOffTilesTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void onEnter() override;
    void sceneOrder() override;

private:
    friend base::Factory;
    using TransitionScene::TransitionScene;
};

// Both scenes are cut into three columns (rows) on the transition's own grid: the outgoing
// scene's pieces slide apart, the scenes swap, and the incoming scene's pieces close in.
class SplitColsTransition : public TransitionScene {
public:
    static base::Ref<SplitColsTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void onEnter() override;
    virtual base::Ref<engine::IntervalAction> action();

protected:
    ~SplitColsTransition() override = default;

    friend base::Factory;
    using TransitionScene::TransitionScene;
};

class SplitRowsTransition final : public SplitColsTransition {
public:
    static base::Ref<SplitRowsTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    base::Ref<engine::IntervalAction> action() override;

private:
    friend base::Factory;
    using SplitColsTransition::SplitColsTransition;
};

// The outgoing scene's tiles shrink away in a wave towards the upper right (lower left,
// up, down in the subclasses), uncovering the incoming scene.
class FadeTRTransition : public TransitionScene {
public:
    static base::Ref<FadeTRTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    void onEnter() override;
    void sceneOrder() override;
    virtual base::Ref<engine::IntervalAction> actionWithSize(ccGridSize size);

protected:
    ~FadeTRTransition() override = default;

    friend base::Factory;
    using TransitionScene::TransitionScene;
};

class FadeBLTransition final : public FadeTRTransition {
public:
    static base::Ref<FadeBLTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    base::Ref<engine::IntervalAction> actionWithSize(ccGridSize size) override;

private:
    friend base::Factory;
    using FadeTRTransition::FadeTRTransition;
};

class FadeUpTransition final : public FadeTRTransition {
public:
    static base::Ref<FadeUpTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    base::Ref<engine::IntervalAction> actionWithSize(ccGridSize size) override;

private:
    friend base::Factory;
    using FadeTRTransition::FadeTRTransition;
};

class FadeDownTransition final : public FadeTRTransition {
public:
    static base::Ref<FadeDownTransition> transitionWithDuration(
        float duration, base::Ref<engine::Scene> scene);
    base::Ref<engine::IntervalAction> actionWithSize(ccGridSize size) override;

private:
    friend base::Factory;
    using FadeTRTransition::FadeTRTransition;
};

}
