#include <ui/ActionSheet.hpp>
#include <ui/Toolbar.hpp>
#include <ui/Window.hpp>

namespace ui {

namespace {

float const margin = 20;
float const buttonHeight = 44;
float const buttonGap = 8;
float const titleHeight = 30;

}

void ActionSheetDelegate::actionSheetCancel(ActionSheet& actionSheet) {
    clickedButtonAtIndex(actionSheet, actionSheet.cancelButtonIndex());
}

base::Ref<ActionSheet> ActionSheet::create(std::string title, ActionSheetDelegate* delegate,
    std::string cancelButtonTitle, std::string destructiveButtonTitle,
    std::vector<std::string> otherButtonTitles) {
    auto sheet = base::make<ActionSheet>();
    sheet->title_ = std::move(title);
    sheet->delegate_ = delegate;
    if (!destructiveButtonTitle.empty())
        sheet->destructiveButtonIndex_
            = sheet->addButtonWithTitle(std::move(destructiveButtonTitle));
    for (auto& other : otherButtonTitles) {
        if (!other.empty())
            sheet->addButtonWithTitle(std::move(other));
    }
    if (!cancelButtonTitle.empty())
        sheet->setCancelButtonIndex(sheet->addButtonWithTitle(std::move(cancelButtonTitle)));
    return sheet;
}

int ActionSheet::firstOtherButtonIndex() const {
    for (int i = 0; i < numberOfButtons(); ++i) {
        if (i != cancelButtonIndex() && i != destructiveButtonIndex_)
            return i;
    }
    return -1;
}

void ActionSheet::showInView(View* view) {
    Window* window = view ? view->window() : nullptr;
    present(window ? window : defaultWindow());
}

void ActionSheet::showFromToolbar(Toolbar* toolbar) {
    showInView(toolbar);
}

void ActionSheet::layoutBox(
    graphics::Size size, View& box, std::vector<base::Ref<View>> const& buttons) {
    float y = buttonGap;
    if (!title_.empty())
        y += titleHeight;
    float width = size.width - 2 * margin;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (int(i) == cancelButtonIndex())
            continue;
        buttons[i]->setFrame({{margin, y}, {width, buttonHeight}});
        y += buttonHeight + buttonGap;
    }
    if (cancelButtonIndex() >= 0 && std::size_t(cancelButtonIndex()) < buttons.size()) {
        y += buttonGap;
        buttons[std::size_t(cancelButtonIndex())]->setFrame({{margin, y}, {width, buttonHeight}});
        y += buttonHeight + buttonGap;
    }
    box.setFrame({{0, size.height - y}, {size.width, y}});
}

void ActionSheet::panelWillPresent() {
    if (delegate_)
        delegate_->willPresentActionSheet(*this);
}

void ActionSheet::panelDidPresent() {
    if (delegate_)
        delegate_->didPresentActionSheet(*this);
}

void ActionSheet::panelClickedButton(int index) {
    if (delegate_)
        delegate_->clickedButtonAtIndex(*this, index);
}

void ActionSheet::panelCancel() {
    if (delegate_)
        delegate_->actionSheetCancel(*this);
}

void ActionSheet::panelWillDismiss(int index) {
    if (delegate_)
        delegate_->willDismissWithButtonIndex(*this, index);
}

void ActionSheet::panelDidDismiss(int index) {
    if (delegate_)
        delegate_->didDismissWithButtonIndex(*this, index);
}

}
