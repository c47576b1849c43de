#pragma once

#include <ui/ButtonPanel.hpp>
#include <ui/Label.hpp>

#include <string>
#include <vector>

namespace ui {

// What an alert tells its delegate, in this order for a tap on a button:
// clickedButtonAtIndex, willDismissWithButtonIndex, didDismissWithButtonIndex
// (after the alert has gone). willPresentAlertView and didPresentAlertView bracket
// its coming. Every operation is optional.
class AlertViewDelegate {
public:
    virtual ~AlertViewDelegate() = default;

    virtual void clickedButtonAtIndex(AlertView&, int) { }
    // The system cancelled the alert. By default a click on the cancel button.
    virtual void alertViewCancel(AlertView& alertView);
    virtual void willPresentAlertView(AlertView&) { }
    virtual void didPresentAlertView(AlertView&) { }
    virtual void willDismissWithButtonIndex(AlertView&, int) { }
    virtual void didDismissWithButtonIndex(AlertView&, int) { }
};

// A titled message with buttons over everything in the key window, waiting for a
// tap. The cancel button, when there is one, is button 0 and the other buttons
// follow in order; with two buttons they sit side by side, cancel on the left,
// otherwise one under the other with cancel last. The delegate is not retained: a
// delegate that goes before the alert clears it. Main thread only.
class AlertView : public ButtonPanel {
public:
    // initWithTitle:message:delegate:cancelButtonTitle:otherButtonTitles:. Empty
    // titles add no button.
    static base::Ref<AlertView> create(std::string title, std::string message,
        AlertViewDelegate* delegate, std::string cancelButtonTitle,
        std::vector<std::string> otherButtonTitles = {});

    std::string const& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    std::string const& message() const { return message_; }
    void setMessage(std::string message) { message_ = std::move(message); }
    AlertViewDelegate* delegate() const { return delegate_; }
    void setDelegate(AlertViewDelegate* delegate) { delegate_ = delegate; }
    // The first button that is not the cancel button; -1 when there is none.
    int firstOtherButtonIndex() const;

    // Puts the alert over everything in the key window.
    void show();

    // The colour of the alert's box, and of its buttons.
    static Color panelColor();
    static Color buttonColor();

protected:
    void layoutBox(
        graphics::Size size, View& box, std::vector<base::Ref<View>> const& buttons) override;
    void styleButton(Button& button, int index) override;
    void panelWillPresent() override;
    void panelDidPresent() override;
    void panelClickedButton(int index) override;
    void panelCancel() override;
    void panelWillDismiss(int index) override;
    void panelDidDismiss(int index) override;

private:
    std::string title_;
    std::string message_;
    AlertViewDelegate* delegate_ {nullptr};
    base::Ref<Label> titleLabel_;
    base::Ref<Label> messageLabel_;

    friend base::Factory;

    AlertView();
};

}
