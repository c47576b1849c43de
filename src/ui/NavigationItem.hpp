#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <ui/Forward.hpp>

#include <string>

namespace ui {

// What a navigation bar shows for one level: a title (or a view in its place), the
// buttons on either side, and what the back button leading to this level says.
// Every view controller has one. A bar that shows the item is told of each change.
// Main thread only.
class NavigationItem : public base::Object {
public:
    static base::Ref<NavigationItem> create(std::string title = {});

    std::string const& title() const { return title_; }
    void setTitle(std::string title);
    View* titleView() const { return titleView_.get(); }
    void setTitleView(base::Ref<View> view);
    std::string const& prompt() const { return prompt_; }
    void setPrompt(std::string prompt) { prompt_ = std::move(prompt); }

    // The button that leads back to this level from the next one; without one the
    // back button says this item's title, or "Back" when it has none.
    BarButtonItem* backBarButtonItem() const { return backBarButtonItem_.get(); }
    void setBackBarButtonItem(base::Ref<BarButtonItem> item);
    BarButtonItem* leftBarButtonItem() const { return leftBarButtonItem_.get(); }
    void setLeftBarButtonItem(base::Ref<BarButtonItem> item, bool animated = false);
    BarButtonItem* rightBarButtonItem() const { return rightBarButtonItem_.get(); }
    void setRightBarButtonItem(base::Ref<BarButtonItem> item, bool animated = false);
    bool hidesBackButton() const { return hidesBackButton_; }
    void setHidesBackButton(bool hides, bool animated = false);

private:
    friend class NavigationBar;
    void changed();

    std::string title_;
    std::string prompt_;
    base::Ref<View> titleView_;
    base::Ref<BarButtonItem> backBarButtonItem_;
    base::Ref<BarButtonItem> leftBarButtonItem_;
    base::Ref<BarButtonItem> rightBarButtonItem_;
    bool hidesBackButton_ {false};
    // The bar showing the item, if any.
    base::WeakRef<NavigationBar> bar_;

    friend base::Factory;

    explicit NavigationItem(std::string title = {});
};

}
