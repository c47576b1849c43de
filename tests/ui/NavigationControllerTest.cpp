#include "ControllerFixture.hpp"

#include <support/LogCapture.hpp>

#include <ui/BarButtonItem.hpp>
#include <ui/Button.hpp>
#include <ui/NavigationBar.hpp>
#include <ui/NavigationController.hpp>
#include <ui/NavigationItem.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using base::Ref;
using test::Journal;
using test::RecordingController;
using ui::NavigationController;
using Entries = std::vector<std::string>;

namespace {

class ShowLog : public ui::NavigationControllerDelegate {
public:
    explicit ShowLog(Journal& journal)
        : journal_(journal) { }

    void willShowViewController(NavigationController&, ui::ViewController& c, bool) override {
        journal_.add("willShow " + static_cast<RecordingController&>(c).name());
    }
    void didShowViewController(NavigationController&, ui::ViewController& c, bool) override {
        journal_.add("didShow " + static_cast<RecordingController&>(c).name());
    }

private:
    Journal& journal_;
};

class NavigationControllerTest : public test::ControllerTest {
protected:
    Journal journal;
    ShowLog showLog {journal};

    Ref<RecordingController> make(std::string name) {
        auto controller = base::make<RecordingController>(name, journal);
        controller->setTitle(name);
        return controller;
    }
    // A navigation with root A as the window's root, its calls already taken.
    Ref<NavigationController> shown(Ref<RecordingController> root) {
        auto navigation = NavigationController::create(root);
        navigation->setDelegate(&showLog);
        window->setRootViewController(navigation);
        journal.take();
        return navigation;
    }
    std::vector<std::string> barTitles(NavigationController& navigation) {
        std::vector<std::string> titles;
        for (auto const& item : navigation.navigationBar()->items())
            titles.push_back(item->title());
        return titles;
    }
};

}

TEST_F(NavigationControllerTest, PushAndPopCallInThePlatformOrder) {
    struct Case {
        bool animated;
        Entries push;
        Entries pushEnd;
        Entries pop;
        Entries popEnd;
    };
    Case const cases[] = {
        {false,
            {"willShow B", "B.viewDidLoad", "A.viewWillDisappear", "B.viewWillAppear",
                "A.viewDidDisappear", "B.viewDidAppear", "didShow B"},
            {},
            {"willShow A", "B.viewWillDisappear", "A.viewWillAppear", "B.viewDidDisappear",
                "A.viewDidAppear", "didShow A"},
            {}},
        {true, {"willShow B", "B.viewDidLoad", "A.viewWillDisappear+", "B.viewWillAppear+"},
            {"A.viewDidDisappear+", "B.viewDidAppear+", "didShow B"},
            {"willShow A", "B.viewWillDisappear+", "A.viewWillAppear+"},
            {"B.viewDidDisappear+", "A.viewDidAppear+", "didShow A"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.animated ? "animated" : "not animated");
        auto a = make("A");
        auto navigation = shown(a);
        auto b = make("B");
        navigation->pushViewController(b, c.animated);
        EXPECT_EQ(journal.take(), c.push);
        EXPECT_EQ(navigation->topViewController(), b.get());
        run(0.3);
        EXPECT_EQ(journal.take(), c.pushEnd);
        EXPECT_EQ(a->view()->superview(), nullptr);
        EXPECT_EQ(b->view()->superview(), navigation->view());
        EXPECT_EQ(b->view()->frame(), graphics::makeRect(0, 44, 480, 276));

        auto popped = navigation->popViewController(c.animated);
        EXPECT_EQ(popped, b);
        EXPECT_EQ(journal.take(), c.pop);
        run(0.3);
        EXPECT_EQ(journal.take(), c.popEnd);
        EXPECT_EQ(b->view()->superview(), nullptr);
        EXPECT_EQ(b->navigationController(), nullptr);
        EXPECT_EQ(a->view()->superview(), navigation->view());
        window->setRootViewController(nullptr);
        journal.take();
    }
}

TEST_F(NavigationControllerTest, BarFollowsTheStackAndItsBackButtonPops) {
    auto navigation = shown(make("A"));
    auto bar = navigation->navigationBar();
    EXPECT_EQ(bar->backButton(), nullptr);
    EXPECT_EQ(bar->shownTitle(), "A");
    auto b = make("B");
    navigation->pushViewController(b, false);
    EXPECT_EQ(barTitles(*navigation), (Entries {"A", "B"}));
    EXPECT_EQ(bar->shownTitle(), "B");
    ASSERT_NE(bar->backButton(), nullptr);
    EXPECT_EQ(bar->backButton()->currentTitle(), "A");
    b->setTitle("Renamed");
    EXPECT_EQ(bar->shownTitle(), "Renamed");
    journal.take();

    tap(bar->backButton());
    EXPECT_EQ(
        journal.take(), (Entries {"willShow A", "B.viewWillDisappear+", "A.viewWillAppear+"}));
    run(0.3);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(barTitles(*navigation), Entries {"A"});
    EXPECT_EQ(bar->backButton(), nullptr);
}

TEST_F(NavigationControllerTest, BackButtonSaysBackWithoutATitleOrTheBackItemsTitle) {
    auto a = make("A");
    a->setTitle("");
    auto navigation = shown(a);
    navigation->pushViewController(make("B"), false);
    EXPECT_EQ(navigation->navigationBar()->backButton()->currentTitle(), "Back");
    a->navigationItem()->setBackBarButtonItem(
        ui::BarButtonItem::initWithTitle("Salon", ui::BarButtonItemStyle::Bordered, nullptr));
    EXPECT_EQ(navigation->navigationBar()->backButton()->currentTitle(), "Salon");
}

TEST_F(NavigationControllerTest, ItemButtonsCallTheirActions) {
    auto a = make("A");
    int pressed = 0;
    a->navigationItem()->setRightBarButtonItem(ui::BarButtonItem::initWithBarButtonSystemItem(
        ui::BarButtonSystemItem::Done, [&](ui::BarButtonItem&) { ++pressed; }));
    auto navigation = shown(a);
    auto right = navigation->navigationBar()->rightButtonView();
    ASSERT_NE(right, nullptr);
    tap(right);
    EXPECT_EQ(pressed, 1);
    a->navigationItem()->rightBarButtonItem()->setEnabled(false);
    tap(right);
    EXPECT_EQ(pressed, 1);
}

TEST_F(NavigationControllerTest, OffTheScreenPushesOnlyChangeTheStack) {
    auto a = make("A");
    auto navigation = NavigationController::create(a);
    navigation->pushViewController(make("B"), true);
    EXPECT_EQ(journal.take(), Entries {});
    window->setRootViewController(navigation);
    EXPECT_EQ(journal.take(), (Entries {"B.viewDidLoad", "B.viewWillAppear", "B.viewDidAppear"}));
    EXPECT_FALSE(a->isViewLoaded());
}

TEST_F(NavigationControllerTest, PresentedNavigationForwardsAppearanceToItsTopController) {
    auto root = make("R");
    window->setRootViewController(root);
    auto navigation = NavigationController::create(make("A"));
    journal.take();
    root->presentModalViewController(navigation, true);
    EXPECT_EQ(
        journal.take(), (Entries {"A.viewDidLoad", "R.viewWillDisappear+", "A.viewWillAppear+"}));
    run(0.3);
    EXPECT_EQ(journal.take(), (Entries {"R.viewDidDisappear+", "A.viewDidAppear+"}));

    auto top = navigation->topViewController();
    EXPECT_EQ(top->presentingViewController(), root.get());
    top->dismissModalViewController(false);
    EXPECT_EQ(journal.take(),
        (Entries {
            "A.viewWillDisappear", "R.viewWillAppear", "A.viewDidDisappear", "R.viewDidAppear"}));
}

TEST_F(NavigationControllerTest, ChildPresentsThroughItsNavigation) {
    auto navigation = shown(make("A"));
    auto top = navigation->topViewController();
    auto modal = make("M");
    top->presentModalViewController(modal, false);
    EXPECT_EQ(navigation->modalViewController(), modal.get());
    EXPECT_EQ(top->modalViewController(), modal.get());
    EXPECT_EQ(navigation->visibleViewController(), modal.get());
    EXPECT_EQ(modal->presentingViewController(), navigation.get());
    EXPECT_EQ(navigation->view()->superview(), nullptr);
}

TEST_F(NavigationControllerTest, RootStaysAndPopsAnswerWhatWasPopped) {
    test::LogCapture log;
    auto a = make("A");
    auto navigation = shown(a);
    EXPECT_EQ(navigation->popViewController(false), nullptr);
    auto b = make("B");
    auto c = make("C");
    navigation->pushViewController(b, false);
    navigation->pushViewController(c, false);
    auto stranger = make("X");
    EXPECT_TRUE(navigation->popToViewController(stranger.get(), false).empty());
    EXPECT_TRUE(log.contains("not in the stack"));
    journal.take();

    auto popped = navigation->popToRootViewController(true);
    EXPECT_EQ(popped, (std::vector<Ref<ui::ViewController>> {b, c}));
    EXPECT_EQ(
        journal.take(), (Entries {"willShow A", "C.viewWillDisappear+", "A.viewWillAppear+"}));
    run(0.3);
    EXPECT_EQ(journal.take(), (Entries {"C.viewDidDisappear+", "A.viewDidAppear+", "didShow A"}));
    EXPECT_EQ(b->parentViewController(), nullptr);
    EXPECT_EQ(c->navigationController(), nullptr);
}

TEST_F(NavigationControllerTest, RefusesControllersThatAreMissingOrShownElsewhere) {
    test::LogCapture log;
    auto a = make("A");
    auto navigation = shown(a);
    navigation->pushViewController(nullptr, false);
    navigation->pushViewController(a, false);
    auto other = NavigationController::create(make("B"));
    navigation->pushViewController(Ref<ui::ViewController>(other->topViewController()), false);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_TRUE(log.contains("cannot push"));
    navigation->setViewControllers({a, a}, false);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
}

TEST_F(NavigationControllerTest, NewStackShowsItsTopAndReleasesTheRest) {
    auto a = make("A");
    auto b = make("B");
    auto navigation = shown(a);
    navigation->pushViewController(b, false);
    auto c = make("C");
    journal.take();
    navigation->setViewControllers({a, c}, false);
    EXPECT_EQ(journal.take(),
        (Entries {"willShow C", "C.viewDidLoad", "B.viewWillDisappear", "C.viewWillAppear",
            "B.viewDidDisappear", "C.viewDidAppear", "didShow C"}));
    EXPECT_EQ(b->navigationController(), nullptr);
    EXPECT_EQ(c->navigationController(), navigation.get());
    EXPECT_EQ(c->parentViewController(), navigation.get());
}

TEST_F(NavigationControllerTest, PushWhileAnotherPushRunsFinishesTheFirst) {
    auto navigation = shown(make("A"));
    navigation->pushViewController(make("B"), true);
    navigation->pushViewController(make("C"), true);
    EXPECT_EQ(journal.take(),
        (Entries {"willShow B", "B.viewDidLoad", "A.viewWillDisappear+", "B.viewWillAppear+",
            "A.viewDidDisappear+", "B.viewDidAppear+", "didShow B", "willShow C", "C.viewDidLoad",
            "B.viewWillDisappear+", "C.viewWillAppear+"}));
    run(0.3);
    EXPECT_EQ(journal.take(), (Entries {"B.viewDidDisappear+", "C.viewDidAppear+", "didShow C"}));
}

TEST_F(NavigationControllerTest, HiddenBarGivesTheContentTheWholeView) {
    auto a = make("A");
    auto navigation = shown(a);
    navigation->setNavigationBarHidden(true);
    EXPECT_TRUE(navigation->navigationBar()->isHidden());
    EXPECT_EQ(a->view()->frame(), graphics::makeRect(0, 0, 480, 320));
}
