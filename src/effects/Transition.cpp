#include <effects/GridAction.hpp>
#include <effects/TiledGridEffects.hpp>
#include <effects/Transition.hpp>

#include <base/Exception.hpp>
#include <base/Verify.hpp>
#include <engine/Camera.hpp>
#include <engine/CameraAction.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/Director.hpp>
#include <engine/EaseAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Layer.hpp>
#include <engine/TouchDispatcher.hpp>

namespace effects {

using base::Ref;
using engine::CallFunc;
using engine::DelayTime;
using engine::EaseOut;
using engine::FiniteTimeAction;
using engine::IntervalAction;
using engine::OrbitCamera;
using engine::Point;
using engine::ScaleTo;
using engine::Sequence;
using engine::Spawn;

namespace {

engine::Size winSize() {
    return engine::DirectorServices::current().winSize();
}

Ref<IntervalAction> asInterval(Ref<FiniteTimeAction> action) {
    auto interval = base::ref_cast<IntervalAction>(action);
    VERIFY(interval);
    return interval;
}

// Puts a scene back to its plain state: position, scale, rotation and camera.
void resetScene(engine::Scene& scene, bool visible) {
    scene.setVisible(visible);
    scene.setPosition({0, 0});
    scene.setScale(1.0f);
    scene.setRotation(0);
    scene.camera()->restore();
}

// The tile grid of the tile transitions: 12 rows, columns in the window's proportion.
ccGridSize tileGrid() {
    engine::Size size = winSize();
    float aspect = size.width / size.height;
    return {int(12 * aspect), 12};
}

}

// TransitionScene

Ref<TransitionScene> TransitionScene::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<TransitionScene>(duration, std::move(scene));
}

TransitionScene::TransitionScene(float duration, Ref<engine::Scene> scene)
    : inScene_(std::move(scene))
    , duration_(duration) {
    VERIFY_MSG(inScene_, "Argument scene must be non-nil");
    outScene_ = Ref<engine::Scene>(engine::Director::sharedDirector().runningScene());
    if (inScene_ == outScene_)
        throw base::Exception("TransitionWithInvalidScene",
            "Incoming scene must be different from the outgoing scene");
}

TransitionScene::~TransitionScene() = default;

void TransitionScene::initTransition() {
    engine::TouchDispatcher::sharedDispatcher().setDispatchEvents(false);
    sceneOrder();
}

void TransitionScene::sceneOrder() {
    inSceneOnTop_ = true;
}

void TransitionScene::draw() {
    engine::Scene* first = inSceneOnTop_ ? outScene_.get() : inScene_.get();
    engine::Scene* second = inSceneOnTop_ ? inScene_.get() : outScene_.get();
    if (first)
        first->visit();
    if (second)
        second->visit();
}

void TransitionScene::finish() {
    resetScene(*inScene_, true);
    if (outScene_)
        resetScene(*outScene_, false);
    schedule(&TransitionScene::setNewScene, 0);
}

void TransitionScene::setNewScene(float) {
    // The director drops this transition at the next frame: keep it until the call ends.
    Ref<TransitionScene> keep(this);
    unschedule(&TransitionScene::setNewScene);
    engine::Director::sharedDirector().replaceScene(inScene_);
    engine::TouchDispatcher::sharedDispatcher().setDispatchEvents(true);
    if (outScene_)
        outScene_->setVisible(true);
}

void TransitionScene::hideOutShowIn() {
    inScene_->setVisible(true);
    if (outScene_)
        outScene_->setVisible(false);
}

void TransitionScene::onEnter() {
    engine::TransitionScene::onEnter();
    inScene_->onEnter();
}

void TransitionScene::onExit() {
    engine::TransitionScene::onExit();
    if (outScene_)
        outScene_->onExit();
    inScene_->onEnterTransitionDidFinish();
}

void TransitionScene::onEnterTransitionDidFinish() {
    engine::TransitionScene::onEnterTransitionDidFinish();
}

Ref<OrientedTransitionScene> OrientedTransitionScene::transitionWithDuration(
    float duration, Ref<engine::Scene> scene, int orientation) {
    return made<OrientedTransitionScene>(duration, std::move(scene), orientation);
}

// RotoZoomTransition

Ref<RotoZoomTransition> RotoZoomTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<RotoZoomTransition>(duration, std::move(scene));
}

void RotoZoomTransition::onEnter() {
    TransitionScene::onEnter();
    inScene_->setScale(0.001f);
    outScene_->setScale(1.0f);
    inScene_->setAnchorPoint({0.5f, 0.5f});
    outScene_->setAnchorPoint({0.5f, 0.5f});
    float d = duration_;
    auto rotoZoom
        = Sequence::actionOne(Spawn::actionOne(engine::ScaleBy::actionWithDuration(d / 2, 0.001f),
                                  engine::RotateBy::actionWithDuration(d / 2, 360 * 2)),
            DelayTime::actionWithDuration(d / 2));
    outScene_->runAction(rotoZoom);
    inScene_->runAction(Sequence::actionOne(
        rotoZoom->reverse(), CallFunc::actionWithTarget(this, &TransitionScene::finish)));
}

// JumpZoomTransition

Ref<JumpZoomTransition> JumpZoomTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<JumpZoomTransition>(duration, std::move(scene));
}

void JumpZoomTransition::onEnter() {
    TransitionScene::onEnter();
    engine::Size s = winSize();
    float d = duration_;
    inScene_->setScale(0.5f);
    inScene_->setPosition({s.width, 0});
    inScene_->setAnchorPoint({0.5f, 0.5f});
    outScene_->setAnchorPoint({0.5f, 0.5f});
    auto jump = engine::JumpBy::actionWithDuration(d / 4, {-s.width, 0}, s.width / 4, 2);
    auto scaleIn = ScaleTo::actionWithDuration(d / 4, 1.0f);
    auto scaleOut = ScaleTo::actionWithDuration(d / 4, 0.5f);
    auto jumpZoomOut = Sequence::actionOne(scaleOut, jump);
    auto jumpZoomIn = Sequence::actionOne(jump, scaleIn);
    auto delay = DelayTime::actionWithDuration(d / 2);
    outScene_->runAction(jumpZoomOut);
    inScene_->runAction(Sequence::actions(
        delay, jumpZoomIn, CallFunc::actionWithTarget(this, &TransitionScene::finish)));
}

// MoveIn

Ref<MoveInLTransition> MoveInLTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<MoveInLTransition>(duration, std::move(scene));
}

void MoveInLTransition::onEnter() {
    TransitionScene::onEnter();
    initScenes();
    inScene_->runAction(Sequence::actionOne(EaseOut::actionWithAction(action(), 2.0f),
        CallFunc::actionWithTarget(this, &TransitionScene::finish)));
}

void MoveInLTransition::initScenes() {
    inScene_->setPosition({-winSize().width, 0});
}

Ref<IntervalAction> MoveInLTransition::action() {
    return engine::MoveTo::actionWithDuration(duration_, {0, 0});
}

Ref<MoveInRTransition> MoveInRTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<MoveInRTransition>(duration, std::move(scene));
}

void MoveInRTransition::initScenes() {
    inScene_->setPosition({winSize().width, 0});
}

Ref<MoveInTTransition> MoveInTTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<MoveInTTransition>(duration, std::move(scene));
}

void MoveInTTransition::initScenes() {
    inScene_->setPosition({0, winSize().height});
}

Ref<MoveInBTransition> MoveInBTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<MoveInBTransition>(duration, std::move(scene));
}

void MoveInBTransition::initScenes() {
    inScene_->setPosition({0, -winSize().height});
}

// SlideIn

Ref<SlideInLTransition> SlideInLTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<SlideInLTransition>(duration, std::move(scene));
}

void SlideInLTransition::onEnter() {
    TransitionScene::onEnter();
    initScenes();
    auto in = action();
    auto out = action();
    inScene_->runAction(EaseOut::actionWithAction(in, 2.0f));
    outScene_->runAction(Sequence::actionOne(EaseOut::actionWithAction(out, 2.0f),
        CallFunc::actionWithTarget(this, &TransitionScene::finish)));
}

void SlideInLTransition::sceneOrder() {
    inSceneOnTop_ = false;
}

// Half a point short of the window, so the two scenes overlap by a hair and no seam shows.
void SlideInLTransition::initScenes() {
    inScene_->setPosition({-(winSize().width - 0.5f), 0});
}

Ref<IntervalAction> SlideInLTransition::action() {
    return engine::MoveBy::actionWithDuration(duration_, {winSize().width - 0.5f, 0});
}

Ref<SlideInRTransition> SlideInRTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<SlideInRTransition>(duration, std::move(scene));
}

void SlideInRTransition::sceneOrder() {
    inSceneOnTop_ = true;
}

void SlideInRTransition::initScenes() {
    inScene_->setPosition({winSize().width - 0.5f, 0});
}

Ref<IntervalAction> SlideInRTransition::action() {
    return engine::MoveBy::actionWithDuration(duration_, {-(winSize().width - 0.5f), 0});
}

Ref<SlideInTTransition> SlideInTTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<SlideInTTransition>(duration, std::move(scene));
}

void SlideInTTransition::sceneOrder() {
    inSceneOnTop_ = false;
}

void SlideInTTransition::initScenes() {
    inScene_->setPosition({0, winSize().height - 0.5f});
}

Ref<IntervalAction> SlideInTTransition::action() {
    return engine::MoveBy::actionWithDuration(duration_, {0, -(winSize().height - 0.5f)});
}

Ref<SlideInBTransition> SlideInBTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<SlideInBTransition>(duration, std::move(scene));
}

void SlideInBTransition::sceneOrder() {
    inSceneOnTop_ = true;
}

void SlideInBTransition::initScenes() {
    inScene_->setPosition({0, -(winSize().height - 0.5f)});
}

Ref<IntervalAction> SlideInBTransition::action() {
    return engine::MoveBy::actionWithDuration(duration_, {0, winSize().height - 0.5f});
}

// ShrinkGrowTransition

Ref<ShrinkGrowTransition> ShrinkGrowTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<ShrinkGrowTransition>(duration, std::move(scene));
}

void ShrinkGrowTransition::onEnter() {
    TransitionScene::onEnter();
    inScene_->setScale(0.001f);
    outScene_->setScale(1.0f);
    inScene_->setAnchorPoint({2 / 3.0f, 0.5f});
    outScene_->setAnchorPoint({1 / 3.0f, 0.5f});
    inScene_->runAction(
        EaseOut::actionWithAction(ScaleTo::actionWithDuration(duration_, 1.0f), 2.0f));
    outScene_->runAction(Sequence::actionOne(
        EaseOut::actionWithAction(ScaleTo::actionWithDuration(duration_, 0.01f), 2.0f),
        CallFunc::actionWithTarget(this, &TransitionScene::finish)));
}

// The flips

namespace {

struct FlipAngles {
    float inAngleZ;
    float deltaZ;
};

FlipAngles flipAngles(bool turnsFrom270) {
    return turnsFrom270 ? FlipAngles {270, 90} : FlipAngles {90, -90};
}

// The plain flip: the outgoing scene turns away in the first half, the incoming one turns
// in through the second.
void runFlip(TransitionScene& transition, FlipAngles angles, float inAngleX, float outAngleX) {
    engine::Scene* in = transition.inScene();
    engine::Scene* out = transition.outScene();
    float d = transition.duration();
    in->setVisible(false);
    in->runAction(Sequence::actions(DelayTime::actionWithDuration(d / 2), engine::Show::action(),
        OrbitCamera::actionWithDuration(d / 2, 1, 0, angles.inAngleZ, angles.deltaZ, inAngleX, 0),
        CallFunc::actionWithTarget(&transition, &TransitionScene::finish)));
    out->runAction(Sequence::actions(
        OrbitCamera::actionWithDuration(d / 2, 1, 0, 0, angles.deltaZ, outAngleX, 0),
        engine::Hide::action(), DelayTime::actionWithDuration(d / 2)));
}

// The zoom flip: as the plain one, with the scenes shrinking to half as they turn away and
// growing back as they turn in; the angular one shows the incoming scene once more at the end.
void runZoomFlip(TransitionScene& transition, FlipAngles angles, float inAngleX, float outAngleX,
    bool showAgain) {
    engine::Scene* in = transition.inScene();
    engine::Scene* out = transition.outScene();
    float d = transition.duration();
    in->setVisible(false);
    in->setScale(0.5f);
    auto turnIn = Spawn::actions(
        OrbitCamera::actionWithDuration(d / 2, 1, 0, angles.inAngleZ, angles.deltaZ, inAngleX, 0),
        ScaleTo::actionWithDuration(d / 2, 1), engine::Show::action());
    auto finish = CallFunc::actionWithTarget(&transition, &TransitionScene::finish);
    if (showAgain)
        in->runAction(Sequence::actions(
            DelayTime::actionWithDuration(d / 2), turnIn, engine::Show::action(), finish));
    else
        in->runAction(Sequence::actions(DelayTime::actionWithDuration(d / 2), turnIn, finish));
    out->runAction(Sequence::actions(
        Spawn::actions(OrbitCamera::actionWithDuration(d / 2, 1, 0, 0, angles.deltaZ, outAngleX, 0),
            ScaleTo::actionWithDuration(d / 2, 0.5f)),
        engine::Hide::action(), DelayTime::actionWithDuration(d / 2)));
}

}

Ref<FlipXTransition> FlipXTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene, int orientation) {
    return made<FlipXTransition>(duration, std::move(scene), orientation);
}

void FlipXTransition::onEnter() {
    TransitionScene::onEnter();
    runFlip(*this, flipAngles(orientation_ == OrientationRightOver), 0, 0);
}

Ref<FlipYTransition> FlipYTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene, int orientation) {
    return made<FlipYTransition>(duration, std::move(scene), orientation);
}

void FlipYTransition::onEnter() {
    TransitionScene::onEnter();
    runFlip(*this, flipAngles(orientation_ == OrientationUpOver), 90, 90);
}

Ref<FlipAngularTransition> FlipAngularTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene, int orientation) {
    return made<FlipAngularTransition>(duration, std::move(scene), orientation);
}

void FlipAngularTransition::onEnter() {
    TransitionScene::onEnter();
    runFlip(*this, flipAngles(orientation_ == OrientationRightOver), -45, 45);
}

Ref<ZoomFlipXTransition> ZoomFlipXTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene, int orientation) {
    return made<ZoomFlipXTransition>(duration, std::move(scene), orientation);
}

void ZoomFlipXTransition::onEnter() {
    TransitionScene::onEnter();
    runZoomFlip(*this, flipAngles(orientation_ == OrientationRightOver), 0, 0, false);
}

Ref<ZoomFlipYTransition> ZoomFlipYTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene, int orientation) {
    return made<ZoomFlipYTransition>(duration, std::move(scene), orientation);
}

void ZoomFlipYTransition::onEnter() {
    TransitionScene::onEnter();
    runZoomFlip(*this, flipAngles(orientation_ == OrientationUpOver), 90, 90, false);
}

Ref<ZoomFlipAngularTransition> ZoomFlipAngularTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene, int orientation) {
    return made<ZoomFlipAngularTransition>(duration, std::move(scene), orientation);
}

void ZoomFlipAngularTransition::onEnter() {
    TransitionScene::onEnter();
    runZoomFlip(*this, flipAngles(orientation_ == OrientationRightOver), -45, 45, true);
}

// FadeTransition

Ref<FadeTransition> FadeTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<FadeTransition>(duration, std::move(scene), engine::Color3B {0, 0, 0});
}

Ref<FadeTransition> FadeTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene, engine::Color3B color) {
    return made<FadeTransition>(duration, std::move(scene), color);
}

FadeTransition::FadeTransition(float duration, Ref<engine::Scene> scene, engine::Color3B color)
    : TransitionScene(duration, std::move(scene))
    , color_ {color.r, color.g, color.b, 0} {
}

void FadeTransition::onEnter() {
    TransitionScene::onEnter();
    inScene_->setVisible(false);
    auto layer = engine::ColorLayer::layerWithColor(color_);
    addChild(layer, 2, fadeLayerTag);
    float d = duration_;
    layer->runAction(Sequence::actions(engine::FadeIn::actionWithDuration(d / 2),
        CallFunc::actionWithTarget(this, &TransitionScene::hideOutShowIn),
        engine::FadeOut::actionWithDuration(d / 2),
        CallFunc::actionWithTarget(this, &TransitionScene::finish)));
}

void FadeTransition::onExit() {
    TransitionScene::onExit();
    removeChildByTag(fadeLayerTag, engine::Cleanup::No);
}

// TurnOffTilesTransition

Ref<TurnOffTilesTransition> TurnOffTilesTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<TurnOffTilesTransition>(duration, std::move(scene));
}

void TurnOffTilesTransition::sceneOrder() {
    inSceneOnTop_ = false;
}

void TurnOffTilesTransition::onEnter() {
    TransitionScene::onEnter();
    auto turnOff = TurnOffTiles::actionWithSize(tileGrid(), duration_);
    outScene_->runAction(Sequence::actions(
        turnOff, CallFunc::actionWithTarget(this, &TransitionScene::finish), StopGrid::action()));
}

// SplitColsTransition, SplitRowsTransition

Ref<SplitColsTransition> SplitColsTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<SplitColsTransition>(duration, std::move(scene));
}

void SplitColsTransition::onEnter() {
    TransitionScene::onEnter();
    inScene_->setVisible(false);
    auto split = action();
    auto halves = asInterval(Sequence::actions(split,
        CallFunc::actionWithTarget(this, &TransitionScene::hideOutShowIn), split->reverse()));
    runAction(Sequence::actions(engine::EaseInOut::actionWithAction(halves, 3.0f),
        CallFunc::actionWithTarget(this, &TransitionScene::finish), StopGrid::action()));
}

Ref<IntervalAction> SplitColsTransition::action() {
    return SplitCols::actionWithCols(3, duration_ / 2);
}

Ref<SplitRowsTransition> SplitRowsTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<SplitRowsTransition>(duration, std::move(scene));
}

Ref<IntervalAction> SplitRowsTransition::action() {
    return SplitRows::actionWithRows(3, duration_ / 2);
}

// The fading tile transitions

Ref<FadeTRTransition> FadeTRTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<FadeTRTransition>(duration, std::move(scene));
}

void FadeTRTransition::sceneOrder() {
    inSceneOnTop_ = false;
}

void FadeTRTransition::onEnter() {
    TransitionScene::onEnter();
    outScene_->runAction(Sequence::actions(actionWithSize(tileGrid()),
        CallFunc::actionWithTarget(this, &TransitionScene::finish), StopGrid::action()));
}

Ref<IntervalAction> FadeTRTransition::actionWithSize(ccGridSize size) {
    return FadeOutTRTiles::actionWithSize(size, duration_);
}

Ref<FadeBLTransition> FadeBLTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<FadeBLTransition>(duration, std::move(scene));
}

Ref<IntervalAction> FadeBLTransition::actionWithSize(ccGridSize size) {
    return FadeOutBLTiles::actionWithSize(size, duration_);
}

Ref<FadeUpTransition> FadeUpTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<FadeUpTransition>(duration, std::move(scene));
}

Ref<IntervalAction> FadeUpTransition::actionWithSize(ccGridSize size) {
    return FadeOutUpTiles::actionWithSize(size, duration_);
}

Ref<FadeDownTransition> FadeDownTransition::transitionWithDuration(
    float duration, Ref<engine::Scene> scene) {
    return made<FadeDownTransition>(duration, std::move(scene));
}

Ref<IntervalAction> FadeDownTransition::actionWithSize(ccGridSize size) {
    return FadeOutDownTiles::actionWithSize(size, duration_);
}

}
