#pragma once

#include <ui/ButtonPanel.hpp>

#include <string>
#include <vector>

namespace ui {

enum class ActionSheetStyle {
    Automatic = -1,
    Default = 0,
    BlackTranslucent = 1,
    BlackOpaque = 2,
};

// What an action sheet tells its delegate, in the order of AlertViewDelegate.
// Every operation is optional.
class ActionSheetDelegate {
public:
    virtual ~ActionSheetDelegate() = default;

    virtual void clickedButtonAtIndex(ActionSheet&, int) { }
    // The system cancelled the sheet. By default a click on the cancel button.
    virtual void actionSheetCancel(ActionSheet& actionSheet);
    virtual void willPresentActionSheet(ActionSheet&) { }
    virtual void didPresentActionSheet(ActionSheet&) { }
    virtual void willDismissWithButtonIndex(ActionSheet&, int) { }
    virtual void didDismissWithButtonIndex(ActionSheet&, int) { }
};

// A column of choices that rises from the bottom of the window over everything.
// The destructive button, when there is one, is button 0, the other buttons follow
// and the cancel button comes last, set apart at the bottom. The delegate is not
// retained. Main thread only.
class ActionSheet : public ButtonPanel {
public:
    // initWithTitle:delegate:cancelButtonTitle:destructiveButtonTitle:otherButtonTitles:.
    // Empty titles add no button.
    static base::Ref<ActionSheet> create(std::string title, ActionSheetDelegate* delegate,
        std::string cancelButtonTitle, std::string destructiveButtonTitle,
        std::vector<std::string> otherButtonTitles = {});

    std::string const& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    ActionSheetDelegate* delegate() const { return delegate_; }
    void setDelegate(ActionSheetDelegate* delegate) { delegate_ = delegate; }
    int destructiveButtonIndex() const { return destructiveButtonIndex_; }
    void setDestructiveButtonIndex(int index) { destructiveButtonIndex_ = index; }
    int firstOtherButtonIndex() const;
    ActionSheetStyle actionSheetStyle() const { return style_; }
    void setActionSheetStyle(ActionSheetStyle style) { style_ = style; }

    // Shows the sheet over the window of view (the key window when view is in none).
    void showInView(View* view);
    void showFromToolbar(Toolbar* toolbar);

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
    base::Ref<Label> titleLabel_;
    ActionSheetDelegate* delegate_ {nullptr};
    int destructiveButtonIndex_ {-1};
    ActionSheetStyle style_ {ActionSheetStyle::Automatic};

    friend base::Factory;

    ActionSheet();
};

}
