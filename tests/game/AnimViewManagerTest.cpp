#include <game/progression/AnimViewManager.hpp>

#include <base/Exception.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <support/LogCapture.hpp>
#include <ui/Animator.hpp>
#include <ui/Button.hpp>
#include <ui/View.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace game;
using graphics::makePoint;
using graphics::makeRect;

namespace {

// Stands for the object a call-back action calls.
class Target final : public base::Object {
    friend base::Factory;
    Target() = default;
};

// Every test runs under a manual clock with an empty main loop, animator and manager.
class AnimViewQueue : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset() {
        AnimViewManager::releaseManager();
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
    }

    void run(double seconds) { foundation::RunLoop::main().runFor(seconds); }

    // A call-back action that notes name when it runs.
    base::Ref<AnimViewCallbackAction> note(std::string name) {
        return AnimViewCallbackAction::setCallbackTarget(
            target.get(), [this, name](ui::View&) { calls.push_back(name); });
    }

    foundation::ScopedManualClock clock;
    base::Ref<Target> target = base::make<Target>();
    std::vector<std::string> calls;
};

bool sameTransform(graphics::AffineTransform a, graphics::AffineTransform b) {
    return std::abs(a.a - b.a) < 1e-5f && std::abs(a.b - b.b) < 1e-5f && std::abs(a.c - b.c) < 1e-5f
        && std::abs(a.d - b.d) < 1e-5f;
}

}

TEST_F(AnimViewQueue, EachActionChangesItsOwnPropertyOfTheView) {
    struct Case {
        char const* name;
        base::Ref<AnimViewAction> action;
        std::function<bool(ui::View&)> holds;
    };
    Case const cases[] = {
        {"centre", AnimViewMoveAction::setCenter(makePoint(30, 40)),
            [](ui::View& v) { return v.center().x == 30 && v.center().y == 40; }},
        {"origin lands on the point", AnimViewMoveAction::setOrigin(makePoint(30, 40)),
            [](ui::View& v) { return v.frame().origin.x == 30 && v.frame().origin.y == 40; }},
        {"scale", AnimViewScaleAction::setScale(2),
            [](ui::View& v) {
                return sameTransform(v.transform(), graphics::AffineTransform::makeScale(2, 2));
            }},
        {"a scale of 0 stays invertible", AnimViewScaleAction::setScale(0),
            [](ui::View& v) {
                return sameTransform(
                    v.transform(), graphics::AffineTransform::makeScale(0.0001f, 0.0001f));
            }},
        {"rotation in degrees", AnimViewRotateAction::setDegree(90),
            [](ui::View& v) {
                return sameTransform(v.transform(),
                    graphics::AffineTransform::makeRotation(float(std::numbers::pi / 2)));
            }},
        {"fade", AnimViewFadeAction::setAlpha(0.25f),
            [](ui::View& v) { return v.alpha() == 0.25f; }},
        {"hidden", AnimViewHiddenAction::setHidden(true), [](ui::View& v) { return v.isHidden(); }},
        {"interaction", AnimViewInteractAction::setInteract(false),
            [](ui::View& v) { return !v.isUserInteractionEnabled(); }},
        {"enable on a view that is no control changes nothing",
            AnimViewEnableAction::setEnable(false),
            [](ui::View& v) { return v.isUserInteractionEnabled() && !v.isHidden(); }},
    };
    for (auto const& c : cases) {
        auto view = ui::View::create(makeRect(0, 0, 20, 10));
        AnimViewManager::addAnimView(view.get(), c.action);
        EXPECT_TRUE(c.holds(*view)) << c.name;
        EXPECT_EQ(AnimViewManager::sharedManager().animViewObjectCount(), 0u) << c.name;
    }

    auto button = ui::Button::create(makeRect(0, 0, 20, 10));
    AnimViewManager::addAnimView(button.get(), AnimViewEnableAction::setEnable(false));
    EXPECT_FALSE(button->isEnabled());
}

TEST_F(AnimViewQueue, ATransformReplacesTheOneBefore) {
    auto view = ui::View::create(makeRect(0, 0, 20, 10));
    AnimViewManager::addAnimView(
        view.get(), {AnimViewScaleAction::setScale(3), AnimViewRotateAction::setDegree(180)});
    EXPECT_TRUE(sameTransform(
        view->transform(), graphics::AffineTransform::makeRotation(float(std::numbers::pi))));
    AnimViewManager::addAnimView(view.get(), AnimViewScaleAction::setScale(0.5f));
    EXPECT_TRUE(sameTransform(view->transform(), graphics::AffineTransform::makeScale(0.5f, 0.5f)));
}

TEST_F(AnimViewQueue, ActionsWithoutADurationAreAppliedInOrderBeforeTheCallReturns) {
    auto view = ui::View::create(makeRect(0, 0, 20, 10));
    AnimViewManager::addAnimView(view.get(),
        {note("first"), AnimViewHiddenAction::setHidden(true), note("second"),
            AnimViewFadeAction::setAlpha(0.5f), note("third")});
    EXPECT_EQ(calls, (std::vector<std::string> {"first", "second", "third"}));
    EXPECT_TRUE(view->isHidden());
    EXPECT_EQ(view->alpha(), 0.5f);
    EXPECT_EQ(AnimViewManager::sharedManager().animViewObjectCount(), 0u);
}

TEST_F(AnimViewQueue, AnAnimatedActionHoldsTheQueueUntilItEnds) {
    auto view = ui::View::create(makeRect(0, 0, 20, 10));
    AnimViewManager::addAnimView(
        view.get(), {note("start"), AnimViewFadeAction::actionWithDuration(1.0, 0), note("faded")});
    EXPECT_EQ(calls, (std::vector<std::string> {"start"}));
    auto* queue = AnimViewManager::sharedManager().animViewObjectForView(view.get());
    ASSERT_NE(queue, nullptr);
    EXPECT_TRUE(queue->isPlayingAction());
    EXPECT_EQ(queue->numOfAction(), 1u);

    // Added while the fade runs: it waits behind the call-back.
    AnimViewManager::addAnimView(view.get(), note("added later"));
    run(0.5);
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_GT(view->presentation().alpha, 0.0f);
    run(0.6);
    EXPECT_EQ(calls, (std::vector<std::string> {"start", "faded", "added later"}));
    EXPECT_EQ(AnimViewManager::sharedManager().animViewObjectCount(), 0u);
}

TEST_F(AnimViewQueue, ADelayWaitsItsDurationOnATimer) {
    auto view = ui::View::create(makeRect(0, 0, 20, 10));
    AnimViewManager::addAnimView(
        view.get(), {AnimViewDelayAction::actionWithDuration(2.0), note("after the wait")});
    run(1.9);
    EXPECT_TRUE(calls.empty());
    run(0.2);
    EXPECT_EQ(calls, (std::vector<std::string> {"after the wait"}));
}

TEST_F(AnimViewQueue, QueuesOfDifferentViewsRunSideBySide) {
    auto slow = ui::View::create(makeRect(0, 0, 20, 10));
    auto quick = ui::View::create(makeRect(0, 0, 20, 10));
    AnimViewManager::addAnimView(
        slow.get(), {AnimViewDelayAction::actionWithDuration(3.0), note("slow")});
    AnimViewManager::addAnimView(
        quick.get(), {AnimViewDelayAction::actionWithDuration(1.0), note("quick")});
    EXPECT_EQ(AnimViewManager::sharedManager().animViewObjectCount(), 2u);
    run(1.5);
    EXPECT_EQ(calls, (std::vector<std::string> {"quick"}));
    run(2.0);
    EXPECT_EQ(calls, (std::vector<std::string> {"quick", "slow"}));
}

TEST_F(AnimViewQueue, StoppingAViewEmptiesItsQueueAndIgnoresTheEndedAnimation) {
    auto idle = ui::View::create(makeRect(0, 0, 20, 10));
    AnimViewManager::stopAllActionForView(idle.get());
    EXPECT_EQ(AnimViewManager::sharedManager().animViewObjectCount(), 0u);

    auto view = ui::View::create(makeRect(0, 0, 20, 10));
    AnimViewManager::addAnimView(view.get(),
        {AnimViewMoveAction::actionWithDuration(1.0, makePoint(100, 100), true), note("never")});
    run(0.3);
    AnimViewManager::stopAllActionForView(view.get());
    EXPECT_EQ(AnimViewManager::sharedManager().animViewObjectCount(), 0u);
    EXPECT_TRUE(view->layer().animationKeys().empty());
    run(2.0);
    EXPECT_TRUE(calls.empty());

    // The view takes a new queue afterwards.
    AnimViewManager::addAnimView(view.get(), note("new"));
    EXPECT_EQ(calls, (std::vector<std::string> {"new"}));
}

TEST_F(AnimViewQueue, AnAnimationCutShortByAnotherStillLetsTheQueueGoOn) {
    auto view = ui::View::create(makeRect(0, 0, 20, 10));
    AnimViewManager::addAnimView(
        view.get(), {AnimViewFadeAction::actionWithDuration(1.0, 0), note("next")});
    run(0.2);
    // Another animation of the same property replaces the queue's one, which then
    // reports that it did not finish.
    ui::View::beginAnimations();
    ui::View::setAnimationDuration(0.5);
    view->setAlpha(1);
    ui::View::commitAnimations();
    run(0.1);
    EXPECT_EQ(calls, (std::vector<std::string> {"next"}));
    EXPECT_EQ(AnimViewManager::sharedManager().animViewObjectCount(), 0u);
}

TEST_F(AnimViewQueue, AFailingOrOrphanedCallBackIsPassedOverAndTheQueueGoesOn) {
    test::LogCapture log;
    auto view = ui::View::create(makeRect(0, 0, 20, 10));
    auto gone = base::make<Target>();
    auto orphan = AnimViewCallbackAction::setCallbackTarget(
        gone.get(), [this](ui::View&) { calls.push_back("orphan"); });
    gone = nullptr;
    auto throwing = AnimViewCallbackAction::setCallbackTarget(
        target.get(), [](ui::View&) { throw base::Exception("TestException", "the call failed"); });
    AnimViewManager::addAnimView(view.get(), {orphan, throwing, note("after")});
    EXPECT_EQ(calls, (std::vector<std::string> {"after"}));
    EXPECT_TRUE(log.contains("<AnimViewCallbackAction> Error TestException: the call failed"));
}
