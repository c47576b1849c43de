#include <base/Log.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/ButtonPanel.hpp>
#include <ui/Window.hpp>

#include <algorithm>

namespace ui {

namespace {

// The panels on the screen, each kept alive until it has gone.
std::vector<base::Ref<ButtonPanel>>& shownPanels() {
    static std::vector<base::Ref<ButtonPanel>> panels;
    return panels;
}

}

ButtonPanel::ButtonPanel()
    : box_(View::create()) {
    addSubview(box_);
}

ButtonPanel::~ButtonPanel() = default;

int ButtonPanel::addButtonWithTitle(std::string title) {
    titles_.push_back(std::move(title));
    return int(titles_.size()) - 1;
}

std::string ButtonPanel::buttonTitleAtIndex(int index) const {
    if (index < 0 || index >= numberOfButtons())
        return {};
    return titles_[std::size_t(index)];
}

View* ButtonPanel::buttonAtIndex(int index) const {
    if (index < 0 || std::size_t(index) >= buttons_.size())
        return nullptr;
    return buttons_[std::size_t(index)].get();
}

Window* ButtonPanel::defaultWindow() {
    auto& application = Application::sharedApplication();
    if (auto window = application.keyWindow())
        return window;
    auto windows = application.windows();
    return windows.empty() ? nullptr : windows.front();
}

void ButtonPanel::present(Window* window) {
    if (visible_)
        return;
    base::Ref<ButtonPanel> keep(this);
    visible_ = true;
    shownPanels().emplace_back(this);
    panelWillPresent();
    if (!visible_)
        return;

    for (auto const& button : buttons_)
        button->removeFromSuperview();
    buttons_.clear();
    for (std::size_t i = 0; i < titles_.size(); ++i) {
        auto button = Button::create(
            {}, titles_[i], [panel = base::WeakRef<ButtonPanel>(this), index = int(i)] {
                if (auto strong = panel.strong())
                    strong->buttonTapped(index);
            });
        styleButton(*button, int(i));
        buttons_.push_back(button);
        box_->addSubview(buttons_.back());
    }
    if (window) {
        setFrame(window->bounds());
        window->addSubview(keep);
    } else {
        base::logLine("ButtonPanel: no window to show the panel in");
    }
    setNeedsLayout();
    layoutIfNeeded();
    // The step lives in the panel's own transition and dies with the panel.
    transition_.start(TransitionTimer::StandardDuration, [this] {
        base::Ref<ButtonPanel> self(this);
        panelDidPresent();
    });
}

void ButtonPanel::layoutSubviews() {
    layoutBox(bounds().size, *box_, buttons_);
}

void ButtonPanel::buttonTapped(int index) {
    if (!visible_)
        return;
    base::Ref<ButtonPanel> keep(this);
    panelClickedButton(index);
    dismissWithClickedButtonIndex(index, true);
}

void ButtonPanel::cancel() {
    if (!visible_)
        return;
    base::Ref<ButtonPanel> keep(this);
    panelCancel();
    dismissWithClickedButtonIndex(cancelButtonIndex_, false);
}

void ButtonPanel::dismissWithClickedButtonIndex(int index, bool animated) {
    if (!visible_)
        return;
    base::Ref<ButtonPanel> keep(this);
    transition_.finishNow();
    if (!visible_)
        return;
    visible_ = false;
    panelWillDismiss(index);
    transition_.start(animated ? TransitionTimer::StandardDuration : 0,
        [this, index] { finishDismissal(index); });
}

void ButtonPanel::finishDismissal(int index) {
    base::Ref<ButtonPanel> keep(this);
    removeFromSuperview();
    for (auto const& button : buttons_)
        button->removeFromSuperview();
    buttons_.clear();
    auto& panels = shownPanels();
    if (auto it = std::find(panels.begin(), panels.end(), this); it != panels.end())
        panels.erase(it);
    panelDidDismiss(index);
}

}
