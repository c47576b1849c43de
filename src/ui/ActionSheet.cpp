#include <ui/ActionSheet.hpp>
#include <ui/Button.hpp>
#include <ui/Label.hpp>
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

ActionSheet::ActionSheet()
    : titleLabel_(Label::create()) {
    // The platform's dark translucent sheet: white buttons, a red destructive one, a
    // dark cancel one.
    box()->setBackgroundColor(Color::colorWithWhite(0.1f, 0.85f));
    titleLabel_->setBackgroundColor(Color::clearColor());
    titleLabel_->setOpaque(false);
    titleLabel_->setTextColor(Color::colorWithWhite(0.9f));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setFont(graphics::Font::systemFontOfSize(13));
    box()->addSubview(titleLabel_);
}

void ActionSheet::styleButton(Button& button, int index) {
    button.layer().setCornerRadius(8);
    if (index == destructiveButtonIndex_) {
        button.setBackgroundColor(Color::colorWithBytes(200, 40, 40));
        button.setTitleColor(Color::whiteColor(), ControlState::Normal);
    } else if (index == cancelButtonIndex()) {
        button.setBackgroundColor(Color::colorWithWhite(0.25f));
        button.setTitleColor(Color::whiteColor(), ControlState::Normal);
    } else {
        button.setBackgroundColor(Color::whiteColor());
        button.setTitleColor(Color::blackColor(), ControlState::Normal);
    }
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
    titleLabel_->setText(title_);
    titleLabel_->setFrame(
        {{margin, y}, {size.width - 2 * margin, title_.empty() ? 0 : titleHeight}});
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
