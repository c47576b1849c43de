#include <ui/AlertView.hpp>
#include <ui/Button.hpp>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

float const boxWidth = 284;
float const padding = 16;
float const lineHeight = 20;
float const buttonHeight = 43;
float const buttonGap = 8;
// No text measuring here: about this many characters fit on a line of the message.
float const charactersPerLine = 36;

}

void AlertViewDelegate::alertViewCancel(AlertView& alertView) {
    clickedButtonAtIndex(alertView, alertView.cancelButtonIndex());
}

base::Ref<AlertView> AlertView::create(std::string title, std::string message,
    AlertViewDelegate* delegate, std::string cancelButtonTitle,
    std::vector<std::string> otherButtonTitles) {
    auto alert = base::make<AlertView>();
    alert->title_ = std::move(title);
    alert->message_ = std::move(message);
    alert->delegate_ = delegate;
    if (!cancelButtonTitle.empty())
        alert->setCancelButtonIndex(alert->addButtonWithTitle(std::move(cancelButtonTitle)));
    for (auto& other : otherButtonTitles) {
        if (!other.empty())
            alert->addButtonWithTitle(std::move(other));
    }
    return alert;
}

AlertView::AlertView()
    : titleLabel_(Label::create())
    , messageLabel_(Label::create()) {
    // The platform's deep blue rounded box, white text on it.
    box()->setBackgroundColor(panelColor());
    box()->layer().setCornerRadius(10);
    box()->layer().setBorderWidth(2);
    box()->layer().setBorderColor(Color::colorWithWhite(1, 0.8f));
    for (auto const& label : {titleLabel_, messageLabel_}) {
        label->setBackgroundColor(Color::clearColor());
        label->setOpaque(false);
        label->setTextColor(Color::whiteColor());
        label->setTextAlignment(TextAlignment::Center);
    }
    titleLabel_->setFont(graphics::Font::boldSystemFontOfSize(18));
    messageLabel_->setFont(graphics::Font::systemFontOfSize(16));
    messageLabel_->setNumberOfLines(0);
    box()->addSubview(titleLabel_);
    box()->addSubview(messageLabel_);
}

int AlertView::firstOtherButtonIndex() const {
    for (int i = 0; i < numberOfButtons(); ++i) {
        if (i != cancelButtonIndex())
            return i;
    }
    return -1;
}

void AlertView::show() {
    present(defaultWindow());
}

void AlertView::layoutBox(
    graphics::Size size, View& box, std::vector<base::Ref<View>> const& buttons) {
    float inner = boxWidth - 2 * 11;
    float y = padding;
    titleLabel_->setText(title_);
    titleLabel_->setFrame({{11, y}, {inner, title_.empty() ? 0 : lineHeight}});
    if (!title_.empty())
        y += lineHeight + buttonGap;
    float lines = std::max(1.0f, std::ceil(float(message_.size()) / charactersPerLine));
    messageLabel_->setText(message_);
    messageLabel_->setFrame({{11, y}, {inner, message_.empty() ? 0 : lines * lineHeight}});
    if (!message_.empty())
        y += lines * lineHeight + buttonGap;
    if (buttons.size() == 2) {
        // Side by side, the cancel button on the left.
        float width = (inner - buttonGap) / 2;
        int left = cancelButtonIndex() == 1 ? 1 : 0;
        buttons[std::size_t(left)]->setFrame({{11, y}, {width, buttonHeight}});
        buttons[std::size_t(1 - left)]->setFrame(
            {{11 + width + buttonGap, y}, {width, buttonHeight}});
        y += buttonHeight;
    } else {
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            if (int(i) != cancelButtonIndex())
                order.push_back(i);
        }
        if (cancelButtonIndex() >= 0 && std::size_t(cancelButtonIndex()) < buttons.size())
            order.push_back(std::size_t(cancelButtonIndex()));
        for (std::size_t k = 0; k < order.size(); ++k) {
            if (k > 0)
                y += buttonGap;
            buttons[order[k]]->setFrame({{11, y}, {inner, buttonHeight}});
            y += buttonHeight;
        }
    }
    float height = y + padding;
    box.setFrame({{(size.width - boxWidth) / 2, (size.height - height) / 2}, {boxWidth, height}});
}

Color AlertView::panelColor() {
    return Color::colorWithBytes(25, 45, 110);
}

Color AlertView::buttonColor() {
    return Color::colorWithBytes(75, 95, 160);
}

void AlertView::styleButton(Button& button, int index) {
    button.setBackgroundColor(buttonColor());
    button.layer().setCornerRadius(6);
    button.setTitleColor(Color::whiteColor(), ControlState::Normal);
    if (index == cancelButtonIndex())
        button.titleLabel()->setFont(graphics::Font::boldSystemFontOfSize(16));
}

void AlertView::panelWillPresent() {
    if (delegate_)
        delegate_->willPresentAlertView(*this);
}

void AlertView::panelDidPresent() {
    if (delegate_)
        delegate_->didPresentAlertView(*this);
}

void AlertView::panelClickedButton(int index) {
    if (delegate_)
        delegate_->clickedButtonAtIndex(*this, index);
}

void AlertView::panelCancel() {
    if (delegate_)
        delegate_->alertViewCancel(*this);
}

void AlertView::panelWillDismiss(int index) {
    if (delegate_)
        delegate_->willDismissWithButtonIndex(*this, index);
}

void AlertView::panelDidDismiss(int index) {
    if (delegate_)
        delegate_->didDismissWithButtonIndex(*this, index);
}

}
