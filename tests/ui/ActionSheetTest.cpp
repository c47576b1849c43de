#include "ControllerFixture.hpp"

#include <ui/ActionSheet.hpp>
#include <ui/Toolbar.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using test::Journal;
using ui::ActionSheet;
using Entries = std::vector<std::string>;

namespace {

class SheetLog : public ui::ActionSheetDelegate {
public:
    explicit SheetLog(Journal& journal)
        : journal_(journal) { }

    void clickedButtonAtIndex(ActionSheet&, int index) override {
        journal_.add("clicked " + std::to_string(index));
    }
    void willDismissWithButtonIndex(ActionSheet&, int index) override {
        journal_.add("willDismiss " + std::to_string(index));
    }
    void didDismissWithButtonIndex(ActionSheet&, int index) override {
        journal_.add("didDismiss " + std::to_string(index));
    }

private:
    Journal& journal_;
};

class ActionSheetTest : public test::ControllerTest {
protected:
    Journal journal;
    SheetLog log {journal};
};

}

TEST_F(ActionSheetTest, DestructiveButtonComesFirstAndCancelLast) {
    auto sheet = ActionSheet::create("Share", &log, "Cancel", "Delete", {"Mail", "Copy"});
    EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
    EXPECT_EQ(sheet->firstOtherButtonIndex(), 1);
    EXPECT_EQ(sheet->cancelButtonIndex(), 3);
    EXPECT_EQ(sheet->buttonTitleAtIndex(3), "Cancel");

    auto plain = ActionSheet::create("", nullptr, "", "", {"Only"});
    EXPECT_EQ(plain->destructiveButtonIndex(), -1);
    EXPECT_EQ(plain->cancelButtonIndex(), -1);
    EXPECT_EQ(plain->firstOtherButtonIndex(), 0);
}

TEST_F(ActionSheetTest, RisesFromTheBottomWithCancelSetApartBelow) {
    auto toolbar = ui::Toolbar::create(graphics::makeRect(0, 276, 480, 44));
    window->addSubview(toolbar);
    auto sheet = ActionSheet::create("Share", &log, "Cancel", "", {"Mail", "Copy"});
    sheet->showFromToolbar(toolbar.get());
    EXPECT_EQ(window->subviews().back().get(), sheet.get());
    auto box = sheet->box()->frame();
    EXPECT_EQ(box.maxY(), 320);
    auto copy = sheet->buttonAtIndex(1)->frame();
    auto cancel = sheet->buttonAtIndex(2)->frame();
    EXPECT_GT(cancel.origin.y - copy.maxY(), 8) << "a wider gap before the cancel button";
    sheet->dismissWithClickedButtonIndex(2, false);
}

TEST_F(ActionSheetTest, TapOnAChoiceTellsTheDelegate) {
    auto sheet = ActionSheet::create("Share", &log, "Cancel", "", {"Mail", "Copy"});
    sheet->showInView(window.get());
    tap(sheet->buttonAtIndex(1));
    run(0.3);
    EXPECT_EQ(journal.take(), (Entries {"clicked 1", "willDismiss 1", "didDismiss 1"}));
    EXPECT_EQ(sheet->superview(), nullptr);
}

TEST_F(ActionSheetTest, CancelledSheetClicksItsCancelButtonByDefault) {
    auto sheet = ActionSheet::create("Share", &log, "Cancel", "Delete");
    sheet->showInView(nullptr);
    sheet->cancel();
    EXPECT_EQ(journal.take(), (Entries {"clicked 1", "willDismiss 1", "didDismiss 1"}));
}
