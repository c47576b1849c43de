#include <ads/kestrel/KestrelAdNavigationDelegate.hpp>

namespace ads::kestrel {

KestrelAdNavigationDelegate::KestrelAdNavigationDelegate(ui::NavigationController* controller)
    : navigationController_(controller) {
    navItems_.reserve(1);
}

base::Ref<KestrelAdNavigationDelegate> KestrelAdNavigationDelegate::initWithNavigationController(
    ui::NavigationController* controller) {
    return base::make<KestrelAdNavigationDelegate>(controller);
}

bool KestrelAdNavigationDelegate::shouldPopItem(ui::NavigationBar&, ui::NavigationItem&) {
    if (!navItems_.empty())
        navItems_.pop_back();
    if (auto* controller = navigationController_.get())
        controller->popViewController(true);
    return true;
}

}
