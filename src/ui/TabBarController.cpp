#include <ui/TabBarController.hpp>

namespace ui {

base::Ref<TabBarController> TabBarController::create() {
    return base::make<TabBarController>();
}

void TabBarController::setViewControllers(std::vector<base::Ref<ViewController>> controllers) {
    tabs_ = std::move(controllers);
    selected_ = tabs_.empty() ? NotFound : 0;
}

ViewController* TabBarController::selectedViewController() const {
    return selected_ < tabs_.size() ? tabs_[selected_].get() : nullptr;
}

void TabBarController::setSelectedIndex(std::size_t index) {
    if (index < tabs_.size())
        selected_ = index;
}

bool TabBarController::userSelectTab(std::size_t index) {
    if (index >= tabs_.size())
        return false;
    // Held for the calls, in case the delegate changes the tabs.
    base::Ref<ViewController> tab = tabs_[index];
    if (delegate_ && !delegate_->shouldSelectViewController(*this, *tab))
        return false;
    selected_ = index;
    if (delegate_)
        delegate_->didSelectViewController(*this, *tab);
    return true;
}

void TabBarController::beginCustomizing() {
    if (delegate_)
        delegate_->willBeginCustomizingViewControllers(*this, tabs_);
}

void TabBarController::endCustomizing(bool changed) {
    if (!delegate_)
        return;
    auto tabs = tabs_;
    delegate_->willEndCustomizingViewControllers(*this, tabs, changed);
    if (delegate_)
        delegate_->didEndCustomizingViewControllers(*this, tabs, changed);
}

}
