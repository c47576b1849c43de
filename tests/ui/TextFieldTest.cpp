#include "ControllerFixture.hpp"

#include <graphics/Event.hpp>
#include <ui/TextField.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using base::Ref;
using test::Journal;
using ui::TextField;
using ui::TextRange;
using Entries = std::vector<std::string>;

namespace {

class FieldLog : public ui::TextFieldDelegate {
public:
    explicit FieldLog(Journal& journal)
        : journal_(journal) { }

    bool mayBegin {true};
    bool mayEnd {true};
    std::size_t maxLength {1000};
    std::function<void(TextField&)> onReturn;

    bool textFieldShouldBeginEditing(TextField&) override {
        journal_.add("shouldBegin");
        return mayBegin;
    }
    void textFieldDidBeginEditing(TextField&) override { journal_.add("didBegin"); }
    bool textFieldShouldEndEditing(TextField&) override {
        journal_.add("shouldEnd");
        return mayEnd;
    }
    void textFieldDidEndEditing(TextField&) override { journal_.add("didEnd"); }
    bool shouldChangeCharactersInRange(
        TextField& field, TextRange range, std::string const& replacement) override {
        journal_.add("change " + std::to_string(range.location) + "+" + std::to_string(range.length)
            + " '" + replacement + "'");
        return field.text().size() - range.length + replacement.size() <= maxLength;
    }
    bool textFieldShouldReturn(TextField& field) override {
        journal_.add("shouldReturn");
        if (onReturn)
            onReturn(field);
        return true;
    }

private:
    Journal& journal_;
};

class TextFieldTest : public test::ControllerTest {
protected:
    TextFieldTest() {
        field->setDelegate(&log);
        window->addSubview(field);
        notifications = foundation::NotificationCenter::defaultCenter().observe(
            "", [this](foundation::Notification const& n) {
                if (n.object() == field.get())
                    journal.add(n.name());
            });
    }

    void type(std::string text) { app().sendTextEvent({std::move(text)}); }
    void press(std::int32_t key) { app().sendKeyEvent({true, key, false, 0}); }
    static ui::Application& app() { return ui::Application::sharedApplication(); }

    Journal journal;
    FieldLog log {journal};
    Ref<TextField> field = TextField::create(graphics::makeRect(20, 20, 200, 30));
    foundation::ObservationToken notifications;
};

}

TEST_F(TextFieldTest, TapBeginsEditingAndMakesTheFieldFirstResponder) {
    tap(field.get());
    EXPECT_TRUE(field->isEditing());
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(ui::Responder::firstResponder(), field.get());
    EXPECT_EQ(journal.take(),
        (Entries {"shouldBegin", "didBegin", "UITextFieldTextDidBeginEditingNotification"}));
}

TEST_F(TextFieldTest, TypedTextGoesThroughTheDelegateAndIsAddedAtTheEnd) {
    field->setText("Sa");
    field->becomeFirstResponder();
    journal.take();
    type("lon");
    EXPECT_EQ(field->text(), "Salon");
    EXPECT_EQ(
        journal.take(), (Entries {"change 2+0 'lon'", "UITextFieldTextDidChangeNotification"}));
    log.maxLength = 6;
    type("s!");
    EXPECT_EQ(field->text(), "Salon") << "the delegate refused";
    type("\x01\t");
    EXPECT_EQ(journal.take(), Entries {"change 5+0 's!'"}) << "control characters are dropped";
}

TEST_F(TextFieldTest, BackspaceRemovesTheWholeLastCharacter) {
    field->setText("caf\xc3\xa9");
    field->becomeFirstResponder();
    journal.take();
    press(graphics::KeyEvent::Backspace);
    EXPECT_EQ(field->text(), "caf");
    EXPECT_EQ(journal.take(), (Entries {"change 3+2 ''", "UITextFieldTextDidChangeNotification"}));
    field->setText("");
    press(graphics::KeyEvent::Backspace);
    EXPECT_EQ(journal.take(), Entries {});
}

TEST_F(TextFieldTest, ReturnAsksTheDelegateWhichMayEndEditing) {
    log.onReturn = [](TextField& f) { f.resignFirstResponder(); };
    field->becomeFirstResponder();
    journal.take();
    press(graphics::KeyEvent::Return);
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(ui::Responder::firstResponder(), nullptr);
    EXPECT_EQ(journal.take(),
        (Entries {
            "shouldReturn", "shouldEnd", "didEnd", "UITextFieldTextDidEndEditingNotification"}));
    EXPECT_EQ(field->text(), "");
}

TEST_F(TextFieldTest, DelegateMayKeepEditingFromStartingOrEnding) {
    log.mayBegin = false;
    tap(field.get());
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(journal.take(), Entries {"shouldBegin"});

    log.mayBegin = true;
    log.mayEnd = false;
    field->becomeFirstResponder();
    EXPECT_FALSE(field->resignFirstResponder());
    EXPECT_TRUE(field->isEditing());

    auto other = TextField::create(graphics::makeRect(20, 100, 200, 30));
    window->addSubview(other);
    tap(other.get());
    EXPECT_TRUE(field->isFirstResponder()) << "the editing field did not let go";
    EXPECT_FALSE(other->isEditing());
    log.mayEnd = true;
    tap(other.get());
    EXPECT_TRUE(other->isFirstResponder());
    EXPECT_FALSE(field->isEditing());
}

TEST_F(TextFieldTest, OnlyEnabledFieldsInAWindowEdit) {
    field->setEnabled(false);
    EXPECT_FALSE(field->becomeFirstResponder());
    auto loose = TextField::create();
    EXPECT_FALSE(loose->becomeFirstResponder());
    field->setEnabled(true);
    EXPECT_TRUE(field->becomeFirstResponder());
    field->setEnabled(false);
    EXPECT_FALSE(field->isEditing());
}

TEST_F(TextFieldTest, LeavingTheWindowEndsEditingWithoutAsking) {
    log.mayEnd = false;
    field->becomeFirstResponder();
    journal.take();
    field->removeFromSuperview();
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(ui::Responder::firstResponder(), nullptr);
    EXPECT_EQ(journal.take(), (Entries {"didEnd", "UITextFieldTextDidEndEditingNotification"}));
}

TEST_F(TextFieldTest, KeyboardWithoutAnEditingFieldDoesNothing) {
    type("abc");
    press(graphics::KeyEvent::Return);
    app().sendKeyEvent({false, 'a', false, 0});
    EXPECT_EQ(field->text(), "");
    field->becomeFirstResponder();
    app().sendKeyEvent({false, graphics::KeyEvent::Backspace, false, 0});
    EXPECT_EQ(journal.take().back(), "UITextFieldTextDidBeginEditingNotification")
        << "key releases are dropped";
}

TEST_F(TextFieldTest, ClearingAsksTheDelegateAndBeginningMayClear) {
    field->setText("old");
    field->setClearsOnBeginEditing(true);
    field->becomeFirstResponder();
    EXPECT_EQ(field->text(), "");
    field->setText("more");
    field->clear();
    EXPECT_EQ(field->text(), "");
}
