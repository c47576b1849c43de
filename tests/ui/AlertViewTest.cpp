#include "ControllerFixture.hpp"

#include <support/LogCapture.hpp>

#include <ui/AlertView.hpp>
#include <ui/ViewController.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using base::Ref;
using test::Journal;
using ui::AlertView;
using Entries = std::vector<std::string>;

namespace {

class AlertLog : public ui::AlertViewDelegate {
public:
    explicit AlertLog(Journal& journal)
        : journal_(journal) { }

    void clickedButtonAtIndex(AlertView& alert, int index) override {
        note(alert, "clicked", index);
    }
    void willPresentAlertView(AlertView& alert) override { note(alert, "willPresent"); }
    void didPresentAlertView(AlertView& alert) override { note(alert, "didPresent"); }
    void willDismissWithButtonIndex(AlertView& alert, int index) override {
        note(alert, "willDismiss", index);
    }
    void didDismissWithButtonIndex(AlertView& alert, int index) override {
        note(alert, "didDismiss", index);
    }

private:
    void note(AlertView& alert, std::string call, int index = -2) {
        journal_.add(alert.title() + "." + call + (index > -2 ? " " + std::to_string(index) : ""));
    }

    Journal& journal_;
};

class AlertViewTest : public test::ControllerTest {
protected:
    Journal journal;
    AlertLog log {journal};

    Ref<AlertView> restoreAlert() {
        return AlertView::create("Restore Previous Save",
            "New save data have been sent to your device. Proceed with the import?", &log, "Reject",
            {"Accept"});
    }
};

}

TEST_F(AlertViewTest, CancelButtonComesFirstAndOthersFollow) {
    auto alert = restoreAlert();
    EXPECT_EQ(alert->numberOfButtons(), 2);
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    EXPECT_EQ(alert->firstOtherButtonIndex(), 1);
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Reject");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Accept");
    EXPECT_EQ(alert->buttonTitleAtIndex(2), "");
    EXPECT_EQ(alert->addButtonWithTitle("Later"), 2);

    auto noCancel = AlertView::create("Save data import", "", nullptr, "", {"OK", "", "More"});
    EXPECT_EQ(noCancel->cancelButtonIndex(), -1);
    EXPECT_EQ(noCancel->numberOfButtons(), 2);
    EXPECT_EQ(noCancel->firstOtherButtonIndex(), 0);
}

TEST_F(AlertViewTest, ShowPutsTheAlertOverEverythingInTheKeyWindow) {
    auto cover = ui::View::create(window->bounds());
    window->addSubview(cover);
    auto alert = restoreAlert();
    alert->show();
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(window->subviews().back().get(), alert.get());
    EXPECT_EQ(alert->frame(), window->bounds());
    EXPECT_EQ(journal.take(), Entries {"Restore Previous Save.willPresent"});
    run(0.3);
    EXPECT_EQ(journal.take(), Entries {"Restore Previous Save.didPresent"});
    alert->dismissWithClickedButtonIndex(0, false);
}

TEST_F(AlertViewTest, ScriptedTapOnAButtonTellsTheDelegateAndDismisses) {
    for (int button : {0, 1}) {
        SCOPED_TRACE(button);
        auto alert = restoreAlert();
        alert->show();
        run(0.3);
        journal.take();
        auto target = alert->buttonAtIndex(button);
        ASSERT_NE(target, nullptr);
        tap(target);
        auto index = std::to_string(button);
        EXPECT_EQ(journal.take(),
            (Entries {"Restore Previous Save.clicked " + index,
                "Restore Previous Save.willDismiss " + index}));
        EXPECT_FALSE(alert->isVisible());
        run(0.3);
        EXPECT_EQ(journal.take(), Entries {"Restore Previous Save.didDismiss " + index});
        EXPECT_EQ(alert->superview(), nullptr);
    }
}

TEST_F(AlertViewTest, TwoButtonsSitSideBySideWithCancelOnTheLeft) {
    auto alert = restoreAlert();
    alert->show();
    auto cancel = alert->buttonAtIndex(0)->frame();
    auto accept = alert->buttonAtIndex(1)->frame();
    EXPECT_LT(cancel.origin.x, accept.origin.x);
    EXPECT_EQ(cancel.origin.y, accept.origin.y);
    EXPECT_FALSE(cancel.intersects(accept));

    auto three = AlertView::create("T", "", nullptr, "Cancel", {"One", "Two"});
    three->show();
    auto one = three->buttonAtIndex(1)->frame();
    auto two = three->buttonAtIndex(2)->frame();
    auto last = three->buttonAtIndex(0)->frame();
    EXPECT_LT(one.origin.y, two.origin.y);
    EXPECT_LT(two.origin.y, last.origin.y) << "the cancel button goes last";
    three->dismissWithClickedButtonIndex(0, false);
    alert->dismissWithClickedButtonIndex(0, false);
}

TEST_F(AlertViewTest, ProgrammaticDismissalReportsNoClick) {
    auto alert = restoreAlert();
    alert->show();
    journal.take();
    alert->dismissWithClickedButtonIndex(1, false);
    EXPECT_EQ(journal.take(),
        (Entries {"Restore Previous Save.didPresent", "Restore Previous Save.willDismiss 1",
            "Restore Previous Save.didDismiss 1"}));
    alert->dismissWithClickedButtonIndex(1, false);
    EXPECT_EQ(journal.take(), Entries {});
}

TEST_F(AlertViewTest, CancelledAlertClicksItsCancelButtonByDefault) {
    auto alert = restoreAlert();
    alert->show();
    run(0.3);
    journal.take();
    alert->cancel();
    EXPECT_EQ(journal.take(),
        (Entries {"Restore Previous Save.clicked 0", "Restore Previous Save.willDismiss 0",
            "Restore Previous Save.didDismiss 0"}));
}

TEST_F(AlertViewTest, TouchesOnTheCoverDoNotReachTheViewsBelow) {
    Journal touches;
    auto root = base::make<test::RecordingController>("A", touches);
    window->setRootViewController(root);
    auto alert = restoreAlert();
    alert->show();
    auto hit = window->hitTest({5, 5}, nullptr);
    EXPECT_EQ(hit, alert.get());
    tapAt({5, 5});
    EXPECT_TRUE(alert->isVisible());
    alert->dismissWithClickedButtonIndex(0, false);
    EXPECT_EQ(window->hitTest({5, 5}, nullptr), root->view());
}

TEST_F(AlertViewTest, ShownAlertLivesUntilItHasGone) {
    base::WeakRef<AlertView> weak;
    {
        auto alert = restoreAlert();
        weak = alert.get();
        alert->show();
    }
    ASSERT_TRUE(weak);
    auto target = weak->buttonAtIndex(1);
    tap(target);
    run(0.3);
    EXPECT_FALSE(weak);
    EXPECT_EQ(journal.take().back(), "Restore Previous Save.didDismiss 1");
}

TEST_F(AlertViewTest, DelegateMayShowAnotherAlertFromAClick) {
    struct Chain : ui::AlertViewDelegate {
        Ref<AlertView> next;
        void clickedButtonAtIndex(AlertView&, int index) override {
            if (index == 1) {
                next = AlertView::create(
                    "Save data import", "Save Data successfully imported.", nullptr, "OK");
                next->show();
            }
        }
    } chain;
    auto alert = AlertView::create("Data Transfer", "", &chain, "Reject", {"Accept"});
    alert->show();
    tap(alert->buttonAtIndex(1));
    run(0.3);
    ASSERT_TRUE(chain.next);
    EXPECT_TRUE(chain.next->isVisible());
    EXPECT_EQ(window->subviews().back().get(), chain.next.get());
    chain.next->dismissWithClickedButtonIndex(0, false);
}

TEST_F(AlertViewTest, WithoutAWindowTheAlertStillGoesThroughItsCalls) {
    test::LogCapture capture;
    window = nullptr;
    auto alert = restoreAlert();
    alert->show();
    EXPECT_TRUE(capture.contains("no window"));
    alert->dismissWithClickedButtonIndex(0, true);
    run(0.3);
    EXPECT_EQ(journal.take(),
        (Entries {"Restore Previous Save.willPresent", "Restore Previous Save.didPresent",
            "Restore Previous Save.willDismiss 0", "Restore Previous Save.didDismiss 0"}));
}
