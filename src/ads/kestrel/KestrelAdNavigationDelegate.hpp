#pragma once

#include <ui/NavigationBar.hpp>
#include <ui/NavigationController.hpp>
#include <ui/NavigationItem.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>

#include <vector>

namespace ads::kestrel {

// Keeps the canvas's own navigation bar and its navigation controller (not retained)
// in step: when the bar's back button pops an item, the controller pops its top view
// controller too. It is also the controller's delegate, so that each canvas pushed on
// the controller finds the shared list of bar items there. Main thread only.
class KestrelAdNavigationDelegate final : public base::Object,
                                          public ui::NavigationBarDelegate,
                                          public ui::NavigationControllerDelegate {
public:
    static base::Ref<KestrelAdNavigationDelegate> initWithNavigationController(
        ui::NavigationController* controller);

    // Forgets the last pushed item, pops the controller (animated) and lets the bar pop.
    bool shouldPopItem(ui::NavigationBar& bar, ui::NavigationItem& item) override;

    std::vector<base::Ref<ui::NavigationItem>>& navItems() { return navItems_; }
    ui::NavigationController* navigationController() const { return navigationController_.get(); }

private:
    friend base::Factory;
    explicit KestrelAdNavigationDelegate(ui::NavigationController* controller);

    std::vector<base::Ref<ui::NavigationItem>> navItems_;
    base::WeakRef<ui::NavigationController> navigationController_;
};

}
