#pragma once

#include <base/Ref.hpp>
#include <ui/TransitionTimer.hpp>
#include <ui/View.hpp>

#include <string>
#include <vector>

namespace ui {

// What alerts and action sheets share: a list of titled buttons numbered from 0, a
// cover over the whole window that keeps touches from what lies below, a box that
// holds the texts and buttons, and the show and dismiss sequence. A tap on a button
// reports the click, then dismisses the panel with that button's index.
//
// A shown panel keeps itself alive until it has gone. Showing calls
// panelWillPresent at once and panelDidPresent after TransitionTimer's standard
// duration; dismissing calls panelWillDismiss at once and panelDidDismiss once the
// panel has left the screen (after the duration when animated). A dismissal while
// the panel still comes in lets it arrive first. Main thread only.
class ButtonPanel : public View {
public:
    ~ButtonPanel() override;

    // Adds a button; answers its index.
    int addButtonWithTitle(std::string title);
    int numberOfButtons() const { return int(titles_.size()); }
    // The title of the button, empty for an index out of range.
    std::string buttonTitleAtIndex(int index) const;
    // -1 when there is none.
    int cancelButtonIndex() const { return cancelButtonIndex_; }
    void setCancelButtonIndex(int index) { cancelButtonIndex_ = index; }

    bool isVisible() const { return visible_; }
    // Dismisses the panel as if button index had been tapped, without reporting a
    // click. Nothing happens when the panel is not shown.
    void dismissWithClickedButtonIndex(int index, bool animated);
    // The system takes the panel away (as when the program leaves the screen):
    // panelCancel, then a dismissal with the cancel button's index, not animated.
    void cancel();

    // The view of a button while the panel is shown, for taps; null otherwise.
    View* buttonAtIndex(int index) const;
    // The box that holds the texts and buttons, in the panel's coordinates.
    View* box() const { return box_.get(); }

    // Touches on the cover stop there.
    void touchesBegan(TouchSet const&, Event*) override { }
    void touchesMoved(TouchSet const&, Event*) override { }
    void touchesEnded(TouchSet const&, Event*) override { }
    void touchesCancelled(TouchSet const&, Event*) override { }

    void layoutSubviews() override;

protected:
    ButtonPanel();

    // Shows the panel over everything in window; with no window it is shown
    // nowhere, with a logged line, but goes through the same calls.
    void present(Window* window);
    // The key window, else the program's first window, else null.
    static Window* defaultWindow();

    // Places the box and the buttons in a panel of size; buttons[i] is button i.
    virtual void layoutBox(
        graphics::Size size, View& box, std::vector<base::Ref<View>> const& buttons)
        = 0;
    // Gives button index its look as it is made.
    virtual void styleButton(Button&, int) { }
    virtual void panelWillPresent() { }
    virtual void panelDidPresent() { }
    virtual void panelClickedButton(int) { }
    virtual void panelCancel() { }
    virtual void panelWillDismiss(int) { }
    virtual void panelDidDismiss(int) { }

private:
    void buttonTapped(int index);
    void finishDismissal(int index);

    std::vector<std::string> titles_;
    std::vector<base::Ref<View>> buttons_;
    base::Ref<View> box_;
    TransitionTimer transition_;
    int cancelButtonIndex_ {-1};
    bool visible_ {false};

    friend base::Factory;
};

}
