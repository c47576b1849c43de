#include <analytics/KestrelPageViewDelegate.hpp>

#include <analytics/KestrelSession.hpp>

#include <ui/NavigationController.hpp>
#include <ui/TabBarController.hpp>

#include <foundation/Clock.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using analytics::KestrelPageViewDelegate;
using analytics::KestrelSession;
using base::Ref;

namespace {

// The controller's own delegate: writes down every call it hears.
class RecordingDelegate final : public base::Object,
                                public ui::NavigationControllerDelegate,
                                public ui::TabBarControllerDelegate {
public:
    void willShowViewController(
        ui::NavigationController&, ui::ViewController& shown, bool animated) override {
        calls.push_back("willShow " + shown.title() + (animated ? " animated" : ""));
    }
    void didShowViewController(
        ui::NavigationController&, ui::ViewController& shown, bool animated) override {
        calls.push_back("didShow " + shown.title() + (animated ? " animated" : ""));
    }
    bool shouldSelectViewController(ui::TabBarController&, ui::ViewController& tab) override {
        calls.push_back("shouldSelect " + tab.title());
        return tab.title() != refused;
    }
    void didSelectViewController(ui::TabBarController&, ui::ViewController& tab) override {
        calls.push_back("didSelect " + tab.title());
    }
    void willBeginCustomizingViewControllers(
        ui::TabBarController&, std::vector<Ref<ui::ViewController>> const& tabs) override {
        calls.push_back("willBegin " + std::to_string(tabs.size()));
    }
    void willEndCustomizingViewControllers(ui::TabBarController&,
        std::vector<Ref<ui::ViewController>> const& tabs, bool changed) override {
        calls.push_back("willEnd " + std::to_string(tabs.size()) + (changed ? " changed" : ""));
    }
    void didEndCustomizingViewControllers(ui::TabBarController&,
        std::vector<Ref<ui::ViewController>> const& tabs, bool changed) override {
        calls.push_back("didEnd " + std::to_string(tabs.size()) + (changed ? " changed" : ""));
    }

    std::vector<std::string> calls;
    std::string refused;

private:
    friend base::Factory;

    RecordingDelegate() = default;
};

Ref<ui::ViewController> screen(std::string title) {
    auto controller = ui::ViewController::create();
    controller->setTitle(std::move(title));
    return controller;
}

// A navigation whose view is loaded, so that it shows its screens (off the screen,
// without animation).
Ref<ui::NavigationController> navigationWithView() {
    auto navigation = ui::NavigationController::create(screen("root"));
    navigation->view();
    return navigation;
}

class KestrelPageViewDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        KestrelSession::resetPageViewTime();
        session = KestrelSession::initWithAPIKey("KEY", "1.0");
        KestrelSession::setCurrentSession(session);
    }
    void TearDown() override {
        KestrelPageViewDelegate::removeInstalledDelegates();
        KestrelSession::setCurrentSession(nullptr);
        KestrelSession::resetPageViewTime();
    }

    foundation::ScopedManualClock clock;
    Ref<KestrelSession> session;
};

}

TEST_F(KestrelPageViewDelegateTest, PlainControllerGetsNoWrapperAndKeepsNothingChanged) {
    auto controller = ui::ViewController::create();
    EXPECT_EQ(KestrelPageViewDelegate::createDelegateOnTarget(controller.get()), nullptr);
    EXPECT_EQ(KestrelPageViewDelegate::createDelegateOnTarget(nullptr), nullptr);
}

TEST_F(KestrelPageViewDelegateTest, NavigationPushesCountPageViewsAndEveryCallIsPassedOnOnce) {
    auto navigation = navigationWithView();
    auto own = base::make<RecordingDelegate>();
    navigation->setDelegate(own.get());

    auto wrapper = KestrelPageViewDelegate::createDelegateOnTarget(navigation.get());
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(navigation->delegate(), wrapper.get());
    EXPECT_EQ(wrapper->navigationDelegate(), own.get());
    EXPECT_EQ(wrapper->session(), session);

    navigation->pushViewController(screen("first"), false);
    clock->advance(1);
    navigation->pushViewController(screen("second"), false);
    clock->advance(1);
    navigation->popViewController(false);

    EXPECT_EQ(own->calls,
        (std::vector<std::string> {"willShow first", "didShow first", "willShow second",
            "didShow second", "willShow first", "didShow first"}));
    EXPECT_EQ(session->pageViewCount(), 3);
}

TEST_F(KestrelPageViewDelegateTest, ScreensShownWithinAThirdOfASecondCountOnce) {
    auto navigation = navigationWithView();
    KestrelPageViewDelegate::createDelegateOnTarget(navigation.get());
    navigation->pushViewController(screen("a"), false);
    clock->advance(0.1);
    navigation->pushViewController(screen("b"), false);
    EXPECT_EQ(session->pageViewCount(), 1);
    clock->advance(0.5);
    navigation->pushViewController(screen("c"), false);
    EXPECT_EQ(session->pageViewCount(), 2);
}

TEST_F(KestrelPageViewDelegateTest, WrapperKeepsItsOwnSessionAndWorksWithoutADelegate) {
    auto navigation = navigationWithView();
    auto wrapper = KestrelPageViewDelegate::createDelegateOnTarget(navigation.get());
    EXPECT_EQ(wrapper->navigationDelegate(), nullptr);
    KestrelSession::setCurrentSession(KestrelSession::initWithAPIKey("KEY", "1.0"));
    navigation->pushViewController(screen("a"), false);
    EXPECT_EQ(session->pageViewCount(), 1);
}

TEST_F(KestrelPageViewDelegateTest, InstalledWrapperLivesAsLongAsItsController) {
    auto navigation = navigationWithView();
    base::WeakRef<KestrelPageViewDelegate> weak(
        KestrelPageViewDelegate::createDelegateOnTarget(navigation.get()));
    ASSERT_TRUE(weak);
    // Nobody but the agent holds the wrapper, and the controller still reaches it.
    navigation->pushViewController(screen("a"), false);
    EXPECT_EQ(session->pageViewCount(), 1);
    EXPECT_TRUE(weak);
}

TEST_F(KestrelPageViewDelegateTest, TabSelectionsCountAndTheWrappedDelegateDecides) {
    auto tabs = ui::TabBarController::create();
    tabs->setViewControllers({screen("one"), screen("two"), screen("three")});
    auto own = base::make<RecordingDelegate>();
    own->refused = "three";
    tabs->setDelegate(own.get());

    auto wrapper = KestrelPageViewDelegate::createDelegateOnTarget(tabs.get());
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(tabs->delegate(), wrapper.get());

    EXPECT_TRUE(tabs->userSelectTab(1));
    clock->advance(1);
    EXPECT_FALSE(tabs->userSelectTab(2));
    clock->advance(1);
    EXPECT_TRUE(tabs->userSelectTab(0));
    tabs->beginCustomizing();
    tabs->endCustomizing(true);

    EXPECT_EQ(own->calls,
        (std::vector<std::string> {"shouldSelect two", "didSelect two", "shouldSelect three",
            "shouldSelect one", "didSelect one", "willBegin 3", "willEnd 3 changed",
            "didEnd 3 changed"}));
    EXPECT_EQ(session->pageViewCount(), 2);
    EXPECT_EQ(tabs->selectedIndex(), 0u);
}

TEST_F(KestrelPageViewDelegateTest, TabWrapperWithoutADelegateLetsEverySelectionHappen) {
    auto tabs = ui::TabBarController::create();
    tabs->setViewControllers({screen("one"), screen("two")});
    auto wrapper = KestrelPageViewDelegate::createDelegateOnTarget(tabs.get());
    EXPECT_TRUE(wrapper->shouldSelectViewController(*tabs, *tabs->viewControllers()[1]));
    EXPECT_TRUE(tabs->userSelectTab(1));
    EXPECT_EQ(session->pageViewCount(), 1);
}

TEST_F(KestrelPageViewDelegateTest, WrapperOverAWrapperPassesOnWithoutCountingTwiceInOneInstant) {
    auto navigation = navigationWithView();
    auto own = base::make<RecordingDelegate>();
    navigation->setDelegate(own.get());
    KestrelPageViewDelegate::createDelegateOnTarget(navigation.get());
    KestrelPageViewDelegate::createDelegateOnTarget(navigation.get());
    navigation->pushViewController(screen("a"), false);
    EXPECT_EQ(own->calls, (std::vector<std::string> {"willShow a", "didShow a"}));
    EXPECT_EQ(session->pageViewCount(), 1);
}

TEST_F(KestrelPageViewDelegateTest, InvocationCallsTheSelectorOnItsTarget) {
    auto wrapper = KestrelPageViewDelegate::initWithSession(session, nullptr, nullptr);
    auto invocation = KestrelPageViewDelegate::createInvocationOnSelector(
        [](KestrelPageViewDelegate& target) { target.session()->setPageViewCount(9); }, *wrapper);
    invocation();
    EXPECT_EQ(session->pageViewCount(), 9);
}
