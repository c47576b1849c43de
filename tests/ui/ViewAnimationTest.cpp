#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/LayerAnimation.hpp>
#include <ui/View.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

using graphics::AffineTransform;
using graphics::makeRect;
using graphics::Point;
using ui::View;

namespace {

// Every test runs under a manual clock with an empty main loop and animator.
class ViewAnimation : public ::testing::Test {
protected:
    void SetUp() override {
        foundation::RunLoop::main().reset();
        ui::Animator::reset();
    }
    void TearDown() override {
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
    }

    void run(double seconds) { foundation::RunLoop::main().runFor(seconds); }
    void turn() { foundation::RunLoop::main().runPending(); }

    foundation::ScopedManualClock clock;
};

struct Stop {
    std::string id;
    bool finished;
    void* context;
};

// Did-stop reports, in order.
struct Journal {
    std::vector<Stop> stops;
    std::vector<std::string> starts;

    View::DidStopSelector didStop() {
        return [this](std::string const& id, bool finished, void* context) {
            stops.push_back({id, finished, context});
        };
    }
    View::WillStartSelector willStart() {
        return [this](std::string const& id, void*) { starts.push_back(id); };
    }
};

void animateAlpha(View& view, float alpha, double duration, Journal& journal,
    std::string id = "fade", ui::AnimationCurve curve = ui::AnimationCurve::Linear) {
    View::beginAnimations(id, &journal);
    View::setAnimationDuration(duration);
    View::setAnimationCurve(curve);
    View::setAnimationDidStopSelector(journal.didStop());
    view.setAlpha(alpha);
    View::commitAnimations();
}

}

TEST_F(ViewAnimation, ModelChangesAtOnceWhilePresentationMovesOverTheDuration) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    Journal journal;
    animateAlpha(*view, 0, 1.0, journal);

    EXPECT_EQ(view->alpha(), 0);
    EXPECT_FLOAT_EQ(view->presentation().alpha, 1);
    run(0.25);
    EXPECT_NEAR(view->presentation().alpha, 0.75f, 1e-4);
    run(0.5);
    EXPECT_NEAR(view->presentation().alpha, 0.25f, 1e-4);
    EXPECT_TRUE(journal.stops.empty());
    run(0.25);
    EXPECT_FLOAT_EQ(view->presentation().alpha, 0);
}

TEST_F(ViewAnimation, DidStopComesAtTheEndWithFinishedTrueAndTheBlocksContext) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    Journal journal;
    animateAlpha(*view, 0.5f, 1.0, journal, "half");

    // Steps that add up exactly in binary, so the clock lands on the end itself.
    run(0.96875);
    EXPECT_TRUE(journal.stops.empty());
    run(0.03125);
    ASSERT_EQ(journal.stops.size(), 1u);
    EXPECT_EQ(journal.stops[0].id, "half");
    EXPECT_TRUE(journal.stops[0].finished);
    EXPECT_EQ(journal.stops[0].context, &journal);
    EXPECT_EQ(ui::Animator::shared().runningAnimationCount(), 0u);
}

TEST_F(ViewAnimation, ANewAnimationOfTheSamePropertyEndsTheOldOneWithFinishedFalse) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    Journal journal;
    animateAlpha(*view, 0, 1.0, journal, "first");
    run(0.5);
    animateAlpha(*view, 1, 1.0, journal, "second");
    // Reported at the next turn of the loop, not inside the commit.
    EXPECT_TRUE(journal.stops.empty());
    turn();
    ASSERT_EQ(journal.stops.size(), 1u);
    EXPECT_EQ(journal.stops[0].id, "first");
    EXPECT_FALSE(journal.stops[0].finished);

    // Without beginning from the current state, the new animation starts from the old
    // model value (the first animation's target), not from what was on screen.
    EXPECT_NEAR(view->presentation().alpha, 0, 1e-4);
    run(1.0);
    ASSERT_EQ(journal.stops.size(), 2u);
    EXPECT_EQ(journal.stops[1].id, "second");
    EXPECT_TRUE(journal.stops[1].finished);
}

TEST_F(ViewAnimation, AnimationsOfOtherPropertiesOrViewsDoNotInterrupt) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    auto other = View::create(makeRect(0, 0, 100, 100));
    Journal journal;
    animateAlpha(*view, 0, 1.0, journal, "alpha");
    View::beginAnimations("move");
    View::setAnimationDuration(1.0);
    View::setAnimationDidStopSelector(journal.didStop());
    view->setCenter({200, 200});
    other->setAlpha(0);
    View::commitAnimations();
    run(1.0);
    ASSERT_EQ(journal.stops.size(), 2u);
    EXPECT_TRUE(journal.stops[0].finished);
    EXPECT_TRUE(journal.stops[1].finished);
}

TEST_F(ViewAnimation, BeginningFromTheCurrentStateContinuesFromWhatIsOnScreen) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    Journal journal;
    animateAlpha(*view, 0, 1.0, journal);
    run(0.5);
    View::beginAnimations("back");
    View::setAnimationDuration(1.0);
    View::setAnimationCurve(ui::AnimationCurve::Linear);
    View::setAnimationBeginsFromCurrentState(true);
    view->setAlpha(1);
    View::commitAnimations();
    EXPECT_NEAR(view->presentation().alpha, 0.5f, 1e-4);
    run(0.5);
    EXPECT_NEAR(view->presentation().alpha, 0.75f, 1e-4);
}

TEST_F(ViewAnimation, ADelayedAnimationShowsItsStartUntilTheDelayHasPassed) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    Journal journal;
    View::beginAnimations("late", nullptr);
    View::setAnimationDuration(1.0);
    View::setAnimationDelay(2.0);
    View::setAnimationCurve(ui::AnimationCurve::Linear);
    View::setAnimationWillStartSelector(journal.willStart());
    View::setAnimationDidStopSelector(journal.didStop());
    view->setCenter({150, 50});
    View::commitAnimations();

    EXPECT_EQ(view->center(), (Point {150, 50}));
    run(1.0);
    EXPECT_EQ(view->presentation().center, (Point {50, 50}));
    EXPECT_TRUE(journal.starts.empty());
    run(1.0);
    EXPECT_EQ(journal.starts, (std::vector<std::string> {"late"}));
    run(0.5);
    EXPECT_NEAR(view->presentation().center.x, 100, 1e-3);
    run(0.46875);
    EXPECT_TRUE(journal.stops.empty());
    run(0.03125);
    ASSERT_EQ(journal.stops.size(), 1u);
    EXPECT_TRUE(journal.stops[0].finished);
}

TEST_F(ViewAnimation, CurvesPaceTheChangeAsTheirBezierCurvesSay) {
    struct Case {
        ui::AnimationCurve curve;
        double at;
        float expected;
    };
    // Reference values of the curves' cubic Beziers, worked out independently.
    Case const cases[] = {
        {ui::AnimationCurve::Linear, 0.25, 0.25f},
        {ui::AnimationCurve::Linear, 0.75, 0.75f},
        {ui::AnimationCurve::EaseIn, 0.25, 0.0935f},
        {ui::AnimationCurve::EaseIn, 0.5, 0.3154f},
        {ui::AnimationCurve::EaseIn, 0.75, 0.6219f},
        {ui::AnimationCurve::EaseOut, 0.25, 0.3781f},
        {ui::AnimationCurve::EaseOut, 0.5, 0.6846f},
        {ui::AnimationCurve::EaseInOut, 0.25, 0.1292f},
        {ui::AnimationCurve::EaseInOut, 0.5, 0.5f},
        {ui::AnimationCurve::EaseInOut, 0.75, 0.8708f},
    };
    for (auto const& c : cases) {
        ui::Animator::reset();
        auto view = View::create(makeRect(0, 0, 100, 100));
        view->setAlpha(0);
        Journal journal;
        animateAlpha(*view, 1, 1.0, journal, "curve", c.curve);
        run(c.at);
        EXPECT_NEAR(view->presentation().alpha, c.expected, 2e-3)
            << "curve " << int(c.curve) << " at " << c.at;
    }
}

TEST_F(ViewAnimation, BlockFormCallsCompletionAtTheEndAndHonoursDelayAndCurve) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    std::vector<bool> completions;
    View::animateWithDuration(
        2.0, 1.0, ui::AnimationOptions::CurveLinear,
        [&] {
            view->setCenter({250, 50});
        },
        [&](bool finished) { completions.push_back(finished); });
    EXPECT_EQ(view->center(), (Point {250, 50}));
    run(1.0);
    EXPECT_EQ(view->presentation().center, (Point {50, 50}));
    run(1.0);
    EXPECT_NEAR(view->presentation().center.x, 150, 1e-3);
    EXPECT_TRUE(completions.empty());
    run(1.0);
    EXPECT_EQ(completions, (std::vector<bool> {true}));
}

TEST_F(ViewAnimation, ABlockThatAnimatesNothingCompletesAtTheNextTurnNotInsideTheCall) {
    std::vector<bool> completions;
    View::animateWithDuration(
        1.0, [] {}, [&](bool finished) { completions.push_back(finished); });
    EXPECT_TRUE(completions.empty());
    turn();
    EXPECT_EQ(completions, (std::vector<bool> {true}));
}

TEST_F(ViewAnimation, WithAnimationsDisabledChangesTakeEffectAtOnceAndCallbacksStillCome) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    View::setAnimationsEnabled(false);
    std::vector<bool> completions;
    View::animateWithDuration(
        1.0, [&] { view->setAlpha(0.2f); },
        [&](bool finished) { completions.push_back(finished); });
    View::setAnimationsEnabled(true);
    EXPECT_FLOAT_EQ(view->presentation().alpha, 0.2f);
    turn();
    EXPECT_EQ(completions, (std::vector<bool> {true}));
}

TEST_F(ViewAnimation, BlockAnimationsKeepTouchesOffTheMovingViewUnlessAllowed) {
    ui::Application::reset();
    auto window = ui::Window::create(makeRect(0, 0, 480, 320));
    auto view = View::create(makeRect(0, 0, 100, 100));
    window->addSubview(view);
    window->setHidden(false);

    View::animateWithDuration(1.0, 0, 0, [&] { view->setAlpha(0.5f); }, {});
    EXPECT_EQ(window->hitTest({50, 50}, nullptr), window.get());
    run(1.0);
    EXPECT_EQ(window->hitTest({50, 50}, nullptr), view.get());

    View::animateWithDuration(
        1.0, 0, ui::AnimationOptions::AllowUserInteraction, [&] { view->setAlpha(1); }, {});
    EXPECT_EQ(window->hitTest({50, 50}, nullptr), view.get());
}

TEST_F(ViewAnimation, RepeatingAutoreversingAnimationGoesThereAndBackUntilReplaced) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    std::vector<bool> completions;
    View::animateWithDuration(
        1.0, 0,
        ui::AnimationOptions::Repeat | ui::AnimationOptions::Autoreverse
            | ui::AnimationOptions::CurveLinear,
        [&] { view->setAlpha(0); }, [&](bool finished) { completions.push_back(finished); });
    run(0.5);
    EXPECT_NEAR(view->presentation().alpha, 0.5f, 1e-4);
    run(1.0);
    EXPECT_NEAR(view->presentation().alpha, 0.5f, 1e-4);
    run(0.25);
    EXPECT_NEAR(view->presentation().alpha, 0.75f, 1e-4);
    run(100);
    EXPECT_TRUE(completions.empty());
    view->layer().removeAllAnimations();
    turn();
    EXPECT_EQ(completions, (std::vector<bool> {false}));
    EXPECT_FLOAT_EQ(view->presentation().alpha, 0);
}

TEST_F(ViewAnimation, ARepeatCountStretchesTheRunAndAFractionStopsPartWay) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    Journal journal;
    View::beginAnimations("twice");
    View::setAnimationDuration(1.0);
    View::setAnimationCurve(ui::AnimationCurve::Linear);
    View::setAnimationRepeatCount(2.5f);
    View::setAnimationDidStopSelector(journal.didStop());
    view->setAlpha(0);
    View::commitAnimations();
    run(1.25);
    EXPECT_NEAR(view->presentation().alpha, 0.75f, 1e-4);
    run(1.125);
    EXPECT_TRUE(journal.stops.empty());
    run(0.125);
    ASSERT_EQ(journal.stops.size(), 1u);
    EXPECT_TRUE(journal.stops[0].finished);
}

TEST_F(ViewAnimation, FrameAnimatesCentreAndBoundsAndTransformTurnsThroughItsAngle) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    View::animateWithDuration(1.0, 0, ui::AnimationOptions::CurveLinear,
        [&] {
            view->setFrame(makeRect(100, 100, 200, 50));
            view->setTransform(AffineTransform::makeRotation(std::numbers::pi_v<float> / 2));
        },
        {});
    run(0.5);
    auto p = view->presentation();
    EXPECT_NEAR(p.center.x, 125, 1e-3);
    EXPECT_NEAR(p.center.y, 87.5, 1e-3);
    EXPECT_NEAR(p.bounds.size.width, 150, 1e-3);
    EXPECT_NEAR(p.bounds.size.height, 75, 1e-3);
    // Half way the view has turned an eighth of a turn, at full scale.
    EXPECT_NEAR(std::atan2(p.transform.b, p.transform.a), std::numbers::pi / 4, 1e-4);
    EXPECT_NEAR(std::hypot(p.transform.a, p.transform.b), 1, 1e-4);
}

TEST_F(ViewAnimation, AutoresizingInsideABlockAnimatesTheSubviews) {
    auto parent = View::create(makeRect(0, 0, 100, 100));
    auto child = View::create(makeRect(0, 0, 100, 20));
    child->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
    parent->addSubview(child);
    View::animateWithDuration(1.0, 0, ui::AnimationOptions::CurveLinear,
        [&] { parent->setBounds(makeRect(0, 0, 200, 100)); }, {});
    EXPECT_EQ(child->frame(), makeRect(0, 0, 200, 20));
    run(0.5);
    EXPECT_NEAR(child->presentation().bounds.size.width, 150, 1e-3);
}

TEST_F(ViewAnimation, ACallbackMayStartTheNextAnimationOfAChain) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    std::vector<std::string> steps;
    View::animateWithDuration(
        1.0, [&] { view->setAlpha(0.5f); },
        [&](bool) {
            steps.push_back("first");
            View::animateWithDuration(
                1.0, [&] { view->setAlpha(0); },
                [&](bool finished) { steps.push_back(finished ? "second" : "second-cut"); });
        });
    run(1.0);
    EXPECT_EQ(steps, (std::vector<std::string> {"first"}));
    run(1.0);
    EXPECT_EQ(steps, (std::vector<std::string> {"first", "second"}));
}

TEST_F(ViewAnimation, TheDelegateIsHeldUntilTheDidStopCall) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    auto delegate = View::create();
    int base = delegate->retainCount();
    View::beginAnimations("held");
    View::setAnimationDelegate(delegate.get());
    view->setAlpha(0);
    View::commitAnimations();
    EXPECT_GT(delegate->retainCount(), base);
    run(1.0);
    EXPECT_EQ(delegate->retainCount(), base);
}

TEST_F(ViewAnimation, ADyingViewEndsItsAnimationsWithFinishedFalse) {
    Journal journal;
    {
        auto view = View::create(makeRect(0, 0, 100, 100));
        animateAlpha(*view, 0, 1.0, journal, "doomed");
    }
    turn();
    ASSERT_EQ(journal.stops.size(), 1u);
    EXPECT_FALSE(journal.stops[0].finished);
}

TEST_F(ViewAnimation, BlocksNestAndEachCommitStartsItsOwnAnimations) {
    auto a = View::create(makeRect(0, 0, 100, 100));
    auto b = View::create(makeRect(0, 0, 100, 100));
    Journal journal;
    View::beginAnimations("outer");
    View::setAnimationDuration(2.0);
    View::setAnimationDidStopSelector(journal.didStop());
    a->setAlpha(0);
    View::beginAnimations("inner");
    View::setAnimationDuration(1.0);
    View::setAnimationDidStopSelector(journal.didStop());
    b->setAlpha(0);
    View::commitAnimations();
    View::commitAnimations();
    run(1.0);
    ASSERT_EQ(journal.stops.size(), 1u);
    EXPECT_EQ(journal.stops[0].id, "inner");
    run(1.0);
    ASSERT_EQ(journal.stops.size(), 2u);
    EXPECT_EQ(journal.stops[1].id, "outer");
}

TEST_F(ViewAnimation, BasicLayerAnimationLeavesTheModelAndShowsItAgainAfterwards) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    std::vector<bool> stops;
    int starts = 0;
    auto fade = ui::BasicAnimation::animationWithKeyPath("opacity");
    fade->setFromValue(1.0f);
    fade->setToValue(0.0f);
    fade->setDuration(0.5);
    fade->setDidStart([&](ui::LayerAnimation const&) { ++starts; });
    fade->setDidStop([&](ui::LayerAnimation const&, bool finished) { stops.push_back(finished); });
    view->layer().addAnimation(*fade, "fade");

    EXPECT_FLOAT_EQ(view->alpha(), 1);
    ASSERT_NE(view->layer().animationForKey("fade"), nullptr);
    EXPECT_EQ(view->layer().animationKeys(), (std::vector<std::string> {"fade"}));
    run(0.25);
    EXPECT_EQ(starts, 1);
    EXPECT_NEAR(view->presentation().alpha, 0.5f, 1e-4);
    run(0.25);
    EXPECT_EQ(stops, (std::vector<bool> {true}));
    EXPECT_FLOAT_EQ(view->presentation().alpha, 1);
    EXPECT_EQ(view->layer().animationForKey("fade"), nullptr);
}

TEST_F(ViewAnimation, AddingUnderAKeyInUseEndsTheAnimationThere) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    std::vector<std::string> stops;
    auto make = [&](std::string name) {
        auto move = ui::BasicAnimation::animationWithKeyPath("position");
        move->setToValue(Point {300, 300});
        move->setDidStop([&stops, name](ui::LayerAnimation const&, bool finished) {
            stops.push_back(name + (finished ? ":done" : ":cut"));
        });
        return move;
    };
    view->layer().addAnimation(*make("one"), "move");
    view->layer().addAnimation(*make("two"), "move");
    turn();
    EXPECT_EQ(stops, (std::vector<std::string> {"one:cut"}));
    run(0.25);
    EXPECT_EQ(stops, (std::vector<std::string> {"one:cut", "two:done"}));
}

TEST_F(ViewAnimation, KeyframesPassThroughTheirValuesAtTheirKeyTimes) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    auto bounce = ui::KeyframeAnimation::animationWithKeyPath("transform");
    bounce->setValues(
        {AffineTransform::makeScale(0.001f, 0.001f), AffineTransform::makeScale(1.1f, 1.1f),
            AffineTransform::makeScale(0.9f, 0.9f), AffineTransform::identity()});
    bounce->setKeyTimes({0, 0.5f, 0.75f, 1});
    bounce->setDuration(1.0);
    view->layer().addAnimation(*bounce, "bounce");
    struct Case {
        double advance;
        float scale;
    };
    Case const cases[]
        = {{0.25, 0.5505f}, {0.25, 1.1f}, {0.125, 1.0f}, {0.125, 0.9f}, {0.125, 0.95f}};
    for (auto const& c : cases) {
        run(c.advance);
        EXPECT_NEAR(view->presentation().transform.a, c.scale, 1e-3);
    }
}

TEST_F(ViewAnimation, ALayerTransitionReportsItsTimingAndProgress) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    std::vector<bool> stops;
    auto fade = ui::Transition::animation();
    fade->setDuration(0.5);
    fade->setTimingFunction(ui::TimingFunction::linear());
    fade->setDidStop([&](ui::LayerAnimation const&, bool finished) { stops.push_back(finished); });
    view->layer().addAnimation(*fade, "transition");
    run(0.25);
    auto state = ui::Animator::shared().transition(*view);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->kind, ui::TransitionState::Kind::Fade);
    EXPECT_NEAR(state->progress, 0.5f, 1e-4);
    run(0.25);
    EXPECT_FALSE(ui::Animator::shared().transition(*view));
    EXPECT_EQ(stops, (std::vector<bool> {true}));
}

TEST_F(ViewAnimation, PageTransitionsRunOnTheirViewAndReplaceSubviews) {
    auto container = View::create(makeRect(0, 0, 100, 100));
    auto front = View::create(makeRect(0, 0, 100, 100));
    auto back = View::create(makeRect(0, 0, 100, 100));
    container->addSubview(front);

    std::vector<bool> completions;
    View::transitionFromView(front.get(), back.get(), 1.0,
        ui::AnimationOptions::TransitionFlipFromRight,
        [&](bool finished) { completions.push_back(finished); });
    ASSERT_EQ(container->subviews().size(), 1u);
    EXPECT_EQ(container->subviews()[0].get(), back.get());
    EXPECT_EQ(front->superview(), nullptr);
    run(0.5);
    auto state = ui::Animator::shared().transition(*container);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->kind, ui::TransitionState::Kind::FlipFromRight);
    run(0.5);
    EXPECT_EQ(completions, (std::vector<bool> {true}));

    // The begin/commit form: a curl on the container, with the block's callbacks.
    Journal journal;
    View::beginAnimations("curl");
    View::setAnimationDuration(0.4);
    View::setAnimationTransition(ui::AnimationTransition::CurlUp, container.get(), true);
    View::setAnimationDidStopSelector(journal.didStop());
    back->removeFromSuperview();
    View::commitAnimations();
    run(0.2);
    ASSERT_TRUE(ui::Animator::shared().transition(*container));
    EXPECT_EQ(
        ui::Animator::shared().transition(*container)->kind, ui::TransitionState::Kind::CurlUp);
    run(0.2);
    ASSERT_EQ(journal.stops.size(), 1u);
    EXPECT_TRUE(journal.stops[0].finished);
}

TEST_F(ViewAnimation, TransitionBlocksDoNotAnimatePropertiesUnlessAsked) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    View::transitionWithView(view.get(), 1.0, ui::AnimationOptions::TransitionCrossDissolve,
        [&] { view->setAlpha(0.5f); }, {});
    EXPECT_FLOAT_EQ(view->presentation().alpha, 0.5f);
    View::transitionWithView(view.get(), 1.0,
        ui::AnimationOptions::TransitionCrossDissolve | ui::AnimationOptions::AllowAnimatedContent
            | ui::AnimationOptions::CurveLinear,
        [&] { view->setAlpha(1); }, {});
    run(0.5);
    EXPECT_NEAR(view->presentation().alpha, 0.75f, 1e-4);
}

TEST_F(ViewAnimation, ReportsDueTogetherComeInCommitOrder) {
    auto a = View::create(makeRect(0, 0, 100, 100));
    auto b = View::create(makeRect(0, 0, 100, 100));
    Journal journal;
    animateAlpha(*a, 0, 1.0, journal, "a");
    animateAlpha(*b, 0, 1.0, journal, "b");
    run(1.0);
    ASSERT_EQ(journal.stops.size(), 2u);
    EXPECT_EQ(journal.stops[0].id, "a");
    EXPECT_EQ(journal.stops[1].id, "b");
}

TEST_F(ViewAnimation, OtherKeyPathsKeepTheTimingAndCallbacksOnly) {
    auto view = View::create(makeRect(0, 0, 100, 100));
    auto oldImage = ui::Image::imageWithBitmap(graphics::Image(1, 1));
    auto newImage = ui::Image::imageWithBitmap(graphics::Image(1, 1));
    std::vector<bool> stops;
    auto contents = ui::BasicAnimation::animationWithKeyPath("contents");
    contents->setFromValue(oldImage);
    contents->setToValue(newImage);
    contents->setDuration(0.75);
    contents->setDidStop(
        [&](ui::LayerAnimation const&, bool finished) { stops.push_back(finished); });
    view->layer().addAnimation(*contents, "animateContents");
    run(0.5);
    EXPECT_TRUE(stops.empty());
    EXPECT_EQ(view->presentation().alpha, 1);
    run(0.25);
    EXPECT_EQ(stops, (std::vector<bool> {true}));
    EXPECT_EQ(std::get<base::Ref<ui::Image>>(ui::interpolate(oldImage, newImage, 0.25f)).get(),
        oldImage.get());
    EXPECT_EQ(std::get<base::Ref<ui::Image>>(ui::interpolate(oldImage, newImage, 0.75f)).get(),
        newImage.get());
}
