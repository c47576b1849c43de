#include <ads/bountix/BTXViewCommons.hpp>

#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <support/LogCapture.hpp>
#include <ui/Animator.hpp>
#include <ui/View.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using ads::bountix::BTXViewCommons;

namespace {

class BTXViewCommonsTest : public ::testing::Test {
protected:
    BTXViewCommonsTest() {
        ui::Animator::reset();
        BTXViewCommons::resetShared();
        parent->addSubview(view);
    }
    ~BTXViewCommonsTest() override {
        BTXViewCommons::resetShared();
        ui::Animator::reset();
    }

    // Moves the clock on and lets the run loop fire what fell due.
    void advance(double seconds) {
        clock->advance(seconds);
        foundation::RunLoop::main().runUntil([] { return false; }, 0.001);
    }

    static BTXViewCommons& commons() { return BTXViewCommons::sharedObject(); }

    foundation::ScopedManualClock clock;
    base::Ref<ui::View> parent = ui::View::create({0, 0, 320, 480});
    base::Ref<ui::View> view = ui::View::create({10, 20, 300, 400});
};

TEST_F(BTXViewCommonsTest, EachEffectHasItsReverseAndTheDurationFollows) {
    struct Case {
        int effect;
        int reverse;
        float duration;
    };
    Case const cases[] {
        {-1, -1, 0.0f},
        {0, 5, 0.4f},
        {1, 6, 0.4f},
        {2, 7, 0.4f},
        {3, 8, 0.4f},
        {4, 9, 0.4f},
        {5, 5, 0.4f},
        {7, 5, 0.4f},
        {9, 5, 0.4f},
        {10, 11, 0.4f},
        {11, 10, 0.4f},
        {12, 13, 0.4f},
        {13, 5, 0.4f},
        {14, 15, 0.4f},
        {15, 5, 0.4f},
        {16, 5, 0.4f},
        {-7, 5, 0.4f},
    };
    EXPECT_EQ(commons().getTransitionDelay(), 0.0f) << "no effect set yet";
    for (auto const& c : cases) {
        commons().setTransitionEffect(c.effect);
        EXPECT_EQ(commons().getCurrentTransitionEffect(), c.effect);
        EXPECT_EQ(commons().getReverseTransitionEffect(), c.reverse) << "effect " << c.effect;
        EXPECT_FLOAT_EQ(commons().getTransitionDelay(), c.duration) << "effect " << c.effect;
    }
}

// Where the view is at the start, half way (the ease is symmetric) and at the end of
// an effect of 0.4 s.
TEST_F(BTXViewCommonsTest, SlideEffectsMoveTheFrameByItsOwnSize) {
    struct Case {
        int effect;
        graphics::Point start;
        graphics::Point half;
        graphics::Point end;
    };
    Case const cases[] {
        {0, {10, 420}, {10, 220}, {10, 20}},
        {99, {10, 420}, {10, 220}, {10, 20}},
        {1, {10, -380}, {10, -180}, {10, 20}},
        {2, {-290, 20}, {-140, 20}, {10, 20}},
        {3, {310, 20}, {160, 20}, {10, 20}},
        {5, {10, 20}, {10, 220}, {10, 420}},
        {6, {10, 20}, {10, -180}, {10, -380}},
        {7, {10, 20}, {-140, 20}, {-290, 20}},
        {8, {10, 20}, {160, 20}, {310, 20}},
    };
    for (auto const& c : cases) {
        ui::Animator::reset();
        view->setFrame({10, 20, 300, 400});
        BTXViewCommons::animateBTXView(view.get(), c.effect, 0.4f);
        auto at = [&] { return view->presentation().frame().origin; };
        EXPECT_NEAR(at().x, c.start.x, 0.5) << "effect " << c.effect;
        EXPECT_NEAR(at().y, c.start.y, 0.5) << "effect " << c.effect;
        advance(0.2);
        EXPECT_NEAR(at().x, c.half.x, 0.5) << "effect " << c.effect;
        EXPECT_NEAR(at().y, c.half.y, 0.5) << "effect " << c.effect;
        advance(0.25);
        EXPECT_NEAR(at().x, c.end.x, 0.5) << "effect " << c.effect;
        EXPECT_NEAR(at().y, c.end.y, 0.5) << "effect " << c.effect;
        EXPECT_EQ(view->frame().size, (graphics::Size {300, 400}));
    }
}

TEST_F(BTXViewCommonsTest, FadeEffectsMoveTheAlpha) {
    struct Case {
        int effect;
        float start;
        float end;
    };
    for (auto const& c : {Case {4, 0, 1}, Case {9, 1, 0}}) {
        view->setAlpha(0.3f);
        BTXViewCommons::animateBTXView(view.get(), c.effect, 0.4f);
        EXPECT_NEAR(view->presentation().alpha, c.start, 1e-3);
        advance(0.2);
        EXPECT_NEAR(view->presentation().alpha, 0.5, 1e-2);
        advance(0.25);
        EXPECT_NEAR(view->presentation().alpha, c.end, 1e-3);
        EXPECT_EQ(view->frame(), (graphics::Rect {10, 20, 300, 400}));
    }
}

TEST_F(BTXViewCommonsTest, GrowStartsAfterAShortWaitAndShrinkEndsInvisible) {
    BTXViewCommons::animateBTXView(view.get(), 10, 0.4f);
    EXPECT_EQ(view->presentation().alpha, 0.0f);
    EXPECT_TRUE(view->transform().isIdentity()) << "nothing scales before the wait";
    advance(0.05);
    EXPECT_NEAR(view->presentation().transform.a, 0.01f, 1e-4);
    EXPECT_NEAR(view->presentation().alpha, 0, 1e-3);
    advance(0.4);
    EXPECT_TRUE(view->presentation().transform.isIdentity());
    EXPECT_NEAR(view->presentation().alpha, 1, 1e-3);

    BTXViewCommons::animateBTXView(view.get(), 11, 0.4f);
    advance(0.2);
    auto const half = view->presentation();
    EXPECT_GT(half.transform.a, 0.01f);
    EXPECT_LT(half.transform.a, 1.0f);
    advance(0.25);
    EXPECT_NEAR(view->presentation().transform.a, 0.01f, 1e-4);
    EXPECT_NEAR(view->presentation().alpha, 0, 1e-3);
}

TEST_F(BTXViewCommonsTest, NoEffectAndNoViewMoveNothing) {
    BTXViewCommons::animateBTXView(view.get(), -1, 0.4f);
    BTXViewCommons::animateBTXView(nullptr, 0, 0.4f);
    EXPECT_EQ(ui::Animator::shared().runningAnimationCount(), 0u);
    EXPECT_EQ(view->frame(), (graphics::Rect {10, 20, 300, 400}));
    EXPECT_EQ(view->alpha(), 1.0f);
}

TEST_F(BTXViewCommonsTest, PageTransitionsRunOnTheSuperviewAndTheHidingOnesTakeTheViewAway) {
    struct Case {
        int effect;
        ui::TransitionState::Kind kind;
        bool removes;
    };
    Case const cases[] {
        {12, ui::TransitionState::Kind::FlipFromRight, false},
        {13, ui::TransitionState::Kind::FlipFromLeft, true},
        {14, ui::TransitionState::Kind::CurlDown, false},
        {15, ui::TransitionState::Kind::CurlUp, true},
    };
    for (auto const& c : cases) {
        ui::Animator::reset();
        parent->addSubview(view);
        BTXViewCommons::animateBTXView(view.get(), c.effect, 0.4f);
        advance(0.1);
        auto const transition = ui::Animator::shared().transition(*parent);
        ASSERT_TRUE(transition.has_value()) << "effect " << c.effect;
        EXPECT_EQ(transition->kind, c.kind) << "effect " << c.effect;
        EXPECT_EQ(view->superview() == nullptr, c.removes) << "effect " << c.effect;
    }
}

TEST_F(BTXViewCommonsTest, ColourComponentsOutOfRangeFallBackToTheDefault) {
    struct Case {
        int red, green, blue;
        int code;
        ui::Color colour;
        bool logged;
    };
    auto const fallback = BTXViewCommons::defaultColor();
    Case const cases[] {
        {255, 54, 90, 0xFF365A, ui::Color::colorWithBytes(255, 54, 90), false},
        {0, 0, 0, 0, ui::Color::colorWithBytes(0, 0, 0), false},
        {256, 0, 0, BTXViewCommons::DefaultColorCode, fallback, true},
        {-1, 0, 0, BTXViewCommons::DefaultColorCode, fallback, true},
        {0, 300, 0, BTXViewCommons::DefaultColorCode, fallback, true},
        {0, 0, -5, BTXViewCommons::DefaultColorCode, fallback, true},
    };
    for (auto const& c : cases) {
        test::LogCapture log;
        commons().setUserDefinedColorWithRed(c.red, c.green, c.blue);
        EXPECT_EQ(commons().getUserDefinedColorCode(), c.code) << c.red << "," << c.green;
        EXPECT_EQ(commons().getUserDefinedColor(), c.colour) << c.red << "," << c.green;
        EXPECT_EQ(log.contains("Invalid value of color Red/Blue/Green picking library's default"),
            c.logged);
    }
}

TEST_F(BTXViewCommonsTest, ColourFromAnIntegerAndTheDefaults) {
    EXPECT_EQ(commons().getUserDefinedColorCode(), BTXViewCommons::DefaultColorCode);
    EXPECT_EQ(commons().getUserDefinedColor(), ui::Color::colorWithBytes(14, 44, 76));
    commons().setUserdefinedColorWithIntValue(0x12FF365A);
    EXPECT_EQ(commons().getUserDefinedColorCode(), 0x12FF365A);
    EXPECT_EQ(commons().getUserDefinedColor(), ui::Color::colorWithBytes(255, 54, 90));
    commons().setUserdefinedColorWithIntValue(-1);
    EXPECT_EQ(commons().getUserDefinedColorCode(), BTXViewCommons::DefaultColorCode)
        << "a code of -1 reads as the default";
}

}
