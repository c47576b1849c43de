#pragma once

#include <ui/ViewController.hpp>

#include <cstddef>
#include <vector>

namespace ui {

class TabBarController;

// Told when the user selects a tab or rearranges the tabs. Every operation is
// optional; a delegate without an opinion lets every selection happen.
class TabBarControllerDelegate {
public:
    virtual ~TabBarControllerDelegate() = default;

    virtual bool shouldSelectViewController(TabBarController&, ViewController&) { return true; }
    virtual void didSelectViewController(TabBarController&, ViewController&) { }
    virtual void willBeginCustomizingViewControllers(
        TabBarController&, std::vector<base::Ref<ViewController>> const&) { }
    virtual void willEndCustomizingViewControllers(
        TabBarController&, std::vector<base::Ref<ViewController>> const&, bool) { }
    virtual void didEndCustomizingViewControllers(
        TabBarController&, std::vector<base::Ref<ViewController>> const&, bool) { }
};

// A row of tabs, each showing one of its view controllers (retained). It keeps
// which one is selected and asks its delegate (not retained) about selections
// the user makes; a selection made in code asks nobody. It lays out no views of
// its own. Main thread only.
class TabBarController : public ViewController {
public:
    static base::Ref<TabBarController> create();

    std::vector<base::Ref<ViewController>> const& viewControllers() const { return tabs_; }
    // Replaces the tabs; the first one is selected (none for an empty list).
    void setViewControllers(std::vector<base::Ref<ViewController>> controllers);

    ViewController* selectedViewController() const;
    std::size_t selectedIndex() const { return selected_; }
    // Selects a tab in code, without asking the delegate; out of range does nothing.
    void setSelectedIndex(std::size_t index);

    // A tap on the tab at index: the delegate may refuse it; otherwise the tab
    // is selected and the delegate told. Answers whether it was selected.
    bool userSelectTab(std::size_t index);
    // The user starts and ends rearranging the tabs.
    void beginCustomizing();
    void endCustomizing(bool changed);

    TabBarControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(TabBarControllerDelegate* delegate) { delegate_ = delegate; }

    static constexpr std::size_t NotFound = std::size_t(-1);

protected:
    friend base::Factory;
    TabBarController() = default;

private:
    std::vector<base::Ref<ViewController>> tabs_;
    std::size_t selected_ {NotFound};
    TabBarControllerDelegate* delegate_ {nullptr};
};

}
