#include "ControllerFixture.hpp"

#include <support/LogCapture.hpp>

#include <ui/Application.hpp>
#include <ui/Screen.hpp>
#include <ui/ViewController.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using base::Ref;
using test::ControllerTest;
using test::Journal;
using test::RecordingController;
using ui::InterfaceOrientation;
using Entries = std::vector<std::string>;

namespace {

// Makes its own view in loadView, remembering how often it was asked.
class CustomController : public RecordingController {
public:
    using RecordingController::RecordingController;

    void loadView() override {
        ++loads;
        note("loadView");
        setView(ui::View::create(graphics::makeRect(0, 0, 10, 10)));
    }

    int loads {0};

    friend base::Factory;
};

class LandscapeController : public RecordingController {
public:
    using RecordingController::RecordingController;

    bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) override {
        return o == InterfaceOrientation::LandscapeLeft
            || o == InterfaceOrientation::LandscapeRight;
    }
    void willRotateToInterfaceOrientation(InterfaceOrientation o, double) override {
        note("willRotate" + std::to_string(int(o)));
    }
    void didRotateFromInterfaceOrientation(InterfaceOrientation o) override {
        note("didRotateFrom" + std::to_string(int(o)));
    }

    friend base::Factory;
};

class TouchCounter : public RecordingController {
public:
    using RecordingController::RecordingController;

    void touchesEnded(ui::TouchSet const&, ui::Event*) override { note("touchesEnded"); }

    friend base::Factory;
};

class ViewControllerTest : public ControllerTest {
protected:
    Journal journal;

    Ref<RecordingController> make(std::string name) {
        return base::make<RecordingController>(std::move(name), journal);
    }
    // A root controller on screen, with its appearance calls already taken.
    Ref<RecordingController> shownRoot() {
        auto root = make("A");
        window->setRootViewController(root);
        journal.take();
        return root;
    }
};

}

TEST_F(ViewControllerTest, LoadsTheViewOnFirstAccessOnly) {
    auto controller = base::make<CustomController>("C", journal);
    EXPECT_FALSE(controller->isViewLoaded());
    auto view = controller->view();
    EXPECT_TRUE(controller->isViewLoaded());
    EXPECT_EQ(controller->view(), view);
    EXPECT_EQ(controller->loads, 1);
    EXPECT_EQ(journal.take(), (Entries {"C.loadView", "C.viewDidLoad"}));
}

TEST_F(ViewControllerTest, DefaultViewIsAPlainViewTheSizeOfTheKeyWindow) {
    auto controller = ui::ViewController::create();
    EXPECT_EQ(controller->view()->frame(), graphics::makeRect(0, 0, 480, 320));
}

TEST_F(ViewControllerTest, ViewEnteringAndLeavingAWindowBringsAppearanceCalls) {
    auto controller = make("A");
    window->addSubview(Ref<ui::View>(controller->view()));
    EXPECT_TRUE(controller->isVisible());
    controller->view()->removeFromSuperview();
    EXPECT_FALSE(controller->isVisible());
    EXPECT_EQ(journal.take(),
        (Entries {"A.viewDidLoad", "A.viewWillAppear", "A.viewDidAppear", "A.viewWillDisappear",
            "A.viewDidDisappear"}));
}

TEST_F(ViewControllerTest, RootViewControllerFillsTheWindowAndAppears) {
    auto root = make("A");
    window->setRootViewController(root);
    EXPECT_EQ(window->rootViewController(), root.get());
    EXPECT_EQ(root->view()->superview(), window.get());
    EXPECT_EQ(root->view()->frame(), window->bounds());
    EXPECT_EQ(journal.take(), (Entries {"A.viewDidLoad", "A.viewWillAppear", "A.viewDidAppear"}));

    auto next = make("B");
    window->setRootViewController(next);
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_EQ(journal.take(),
        (Entries {"A.viewWillDisappear", "A.viewDidDisappear", "B.viewDidLoad", "B.viewWillAppear",
            "B.viewDidAppear"}));
}

TEST_F(ViewControllerTest, PresentAndDismissCallInThePlatformOrder) {
    struct Case {
        bool animated;
        Entries present;
        Entries presentEnd;
        Entries dismiss;
        Entries dismissEnd;
    };
    Case const cases[] = {
        {false,
            {"B.viewDidLoad", "A.viewWillDisappear", "B.viewWillAppear", "A.viewDidDisappear",
                "B.viewDidAppear", "presented"},
            {},
            {"B.viewWillDisappear", "A.viewWillAppear", "B.viewDidDisappear", "A.viewDidAppear",
                "dismissed"},
            {}},
        {true, {"B.viewDidLoad", "A.viewWillDisappear+", "B.viewWillAppear+"},
            {"A.viewDidDisappear+", "B.viewDidAppear+", "presented"},
            {"B.viewWillDisappear+", "A.viewWillAppear+"},
            {"B.viewDidDisappear+", "A.viewDidAppear+", "dismissed"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.animated ? "animated" : "not animated");
        auto root = shownRoot();
        auto presented = make("B");
        root->presentViewController(presented, c.animated, [&] { journal.add("presented"); });
        EXPECT_EQ(journal.take(), c.present);
        run(0.29);
        EXPECT_EQ(journal.take(), Entries {});
        run(0.02);
        EXPECT_EQ(journal.take(), c.presentEnd);
        EXPECT_EQ(presented->view()->superview(), window.get());
        EXPECT_EQ(root->view()->superview(), nullptr) << "the covered view leaves the window";

        root->dismissViewController(c.animated, [&] { journal.add("dismissed"); });
        EXPECT_EQ(journal.take(), c.dismiss);
        run(0.31);
        EXPECT_EQ(journal.take(), c.dismissEnd);
        EXPECT_EQ(root->view()->superview(), window.get());
        EXPECT_EQ(presented->view()->superview(), nullptr);
        EXPECT_EQ(root->presentedViewController(), nullptr);
        EXPECT_EQ(presented->presentingViewController(), nullptr);
        window->setRootViewController(nullptr);
    }
}

TEST_F(ViewControllerTest, PresentationLinksBothControllers) {
    auto root = shownRoot();
    auto presented = make("B");
    root->presentModalViewController(presented, false);
    EXPECT_EQ(root->modalViewController(), presented.get());
    EXPECT_EQ(root->presentedViewController(), presented.get());
    EXPECT_EQ(presented->presentingViewController(), root.get());
    EXPECT_EQ(presented->parentViewController(), root.get());
    EXPECT_EQ(presented->view()->frame(), window->bounds());
}

TEST_F(ViewControllerTest, PresentedControllerDismissingItselfAsksItsPresenter) {
    auto root = shownRoot();
    auto presented = make("B");
    root->presentModalViewController(presented, false);
    journal.take();
    presented->dismissModalViewController(false);
    EXPECT_EQ(journal.take(),
        (Entries {
            "B.viewWillDisappear", "A.viewWillAppear", "B.viewDidDisappear", "A.viewDidAppear"}));
    EXPECT_EQ(root->modalViewController(), nullptr);
}

TEST_F(ViewControllerTest, RefusesASecondPresentationAndAControllerShownElsewhere) {
    test::LogCapture log;
    auto root = shownRoot();
    auto first = make("B");
    root->presentModalViewController(first, false);
    journal.take();
    root->presentModalViewController(make("C"), false);
    EXPECT_EQ(root->modalViewController(), first.get());
    EXPECT_TRUE(log.contains("already presents"));

    first->presentModalViewController(root, false);
    EXPECT_EQ(first->modalViewController(), nullptr) << "root is already shown";
    root->presentModalViewController(nullptr, false);
    EXPECT_EQ(journal.take(), Entries {});
}

TEST_F(ViewControllerTest, DismissingALowerControllerDismissesEverythingAbove) {
    auto root = shownRoot();
    auto b = make("B");
    auto c = make("C");
    root->presentModalViewController(b, false);
    b->presentModalViewController(c, false);
    EXPECT_EQ(b->view()->superview(), nullptr);
    journal.take();

    root->dismissModalViewController(true);
    EXPECT_EQ(journal.take(), (Entries {"C.viewWillDisappear+", "A.viewWillAppear+"}));
    run(0.3);
    EXPECT_EQ(journal.take(), (Entries {"C.viewDidDisappear+", "A.viewDidAppear+"}));
    EXPECT_EQ(root->modalViewController(), nullptr);
    EXPECT_EQ(b->modalViewController(), nullptr);
    EXPECT_EQ(c->presentingViewController(), nullptr);
    EXPECT_EQ(c->view()->superview(), nullptr);
    EXPECT_EQ(window->subviews().size(), 1u);
}

TEST_F(ViewControllerTest, DismissDuringAnAnimatedPresentationFinishesThePresentationFirst) {
    auto root = shownRoot();
    auto b = make("B");
    root->presentViewController(b, true, [&] { journal.add("presented"); });
    root->dismissViewController(true, [&] { journal.add("dismissed"); });
    EXPECT_EQ(journal.take(),
        (Entries {"B.viewDidLoad", "A.viewWillDisappear+", "B.viewWillAppear+",
            "A.viewDidDisappear+", "B.viewDidAppear+", "presented", "B.viewWillDisappear+",
            "A.viewWillAppear+"}));
    run(0.3);
    EXPECT_EQ(journal.take(), (Entries {"B.viewDidDisappear+", "A.viewDidAppear+", "dismissed"}));
}

TEST_F(ViewControllerTest, PresentingFromAControllerOffTheScreenOnlyLinksThem) {
    test::LogCapture log;
    auto loose = make("A");
    auto b = make("B");
    bool completed = false;
    loose->presentViewController(b, true, [&] { completed = true; });
    EXPECT_EQ(loose->modalViewController(), b.get());
    EXPECT_FALSE(b->isViewLoaded());
    EXPECT_TRUE(log.contains("in no window"));
    run(0.3);
    EXPECT_TRUE(completed);
    EXPECT_EQ(journal.take(), Entries {});
}

TEST_F(ViewControllerTest, DismissingWithNothingPresentedOnlyLogs) {
    test::LogCapture log;
    auto root = shownRoot();
    bool completed = false;
    root->dismissViewController(false, [&] { completed = true; });
    EXPECT_FALSE(completed);
    EXPECT_TRUE(log.contains("nothing to dismiss"));
}

TEST_F(ViewControllerTest, ControllerIsTheNextResponderOfItsView) {
    auto root = base::make<TouchCounter>("A", journal);
    window->setRootViewController(root);
    auto child = ui::View::create(graphics::makeRect(10, 10, 50, 50));
    root->view()->addSubview(child);
    journal.take();
    EXPECT_EQ(root->view()->nextResponder(), root.get());
    EXPECT_EQ(root->nextResponder(), window.get());
    tap(child.get());
    EXPECT_EQ(journal.take(), Entries {"A.touchesEnded"});
}

TEST_F(ViewControllerTest, MemoryWarningUnloadsOnlyViewsOffTheScreen) {
    auto root = shownRoot();
    auto covered = make("B");
    covered->view();
    journal.take();
    ui::Application::sharedApplication().receiveMemoryWarning();
    EXPECT_TRUE(root->isViewLoaded());
    EXPECT_FALSE(covered->isViewLoaded());
    EXPECT_EQ(journal.take(), Entries {"B.viewDidUnload"});
    covered->view();
    EXPECT_EQ(journal.take(), Entries {"B.viewDidLoad"});
}

TEST_F(ViewControllerTest, CoveredControllerUnloadedByAWarningLoadsAgainWhenUncovered) {
    auto root = shownRoot();
    root->presentModalViewController(make("B"), false);
    journal.take();
    ui::Application::sharedApplication().receiveMemoryWarning();
    EXPECT_FALSE(root->isViewLoaded());
    root->dismissModalViewController(false);
    EXPECT_EQ(journal.take(),
        (Entries {"A.viewDidUnload", "B.viewWillDisappear", "A.viewDidLoad", "A.viewWillAppear",
            "B.viewDidDisappear", "A.viewDidAppear"}));
    EXPECT_EQ(root->view()->superview(), window.get());
    EXPECT_EQ(root->view()->frame(), window->bounds());
}

TEST_F(ViewControllerTest, RotationAsksTheControllerOnTop) {
    auto& application = ui::Application::sharedApplication();
    application.setStatusBarOrientation(InterfaceOrientation::LandscapeRight);
    auto root = shownRoot();
    auto top = base::make<LandscapeController>("L", journal);
    root->presentModalViewController(top, false);
    journal.take();
    EXPECT_FALSE(root->rotateToInterfaceOrientation(InterfaceOrientation::Portrait));
    EXPECT_TRUE(root->rotateToInterfaceOrientation(InterfaceOrientation::LandscapeLeft));
    EXPECT_EQ(application.statusBarOrientation(), InterfaceOrientation::LandscapeLeft);
    EXPECT_EQ(top->interfaceOrientation(), InterfaceOrientation::LandscapeLeft);
    EXPECT_EQ(journal.take(), (Entries {"L.willRotate4", "L.didRotateFrom3"}));
}

TEST_F(ViewControllerTest, DefaultControllersTurnToPortraitOnly) {
    auto controller = ui::ViewController::create();
    EXPECT_TRUE(controller->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::Portrait));
    EXPECT_FALSE(
        controller->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeLeft));
}

TEST_F(ViewControllerTest, ControllerDroppedDuringItsAnimatedPresentationCallsNothingMore) {
    auto root = make("A");
    window->setRootViewController(root);
    root->presentViewController(make("B"), true, [&] { journal.add("presented"); });
    journal.take();
    window->setRootViewController(nullptr);
    root = nullptr;
    run(0.5);
    EXPECT_EQ(journal.take(), Entries {});
}

TEST_F(ViewControllerTest, WithoutAKeyWindowTheDefaultViewTakesTheScreenSize) {
    window = nullptr;
    auto controller = ui::ViewController::create();
    EXPECT_EQ(controller->view()->frame(), ui::Screen::mainScreen().bounds());
}
