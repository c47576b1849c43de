#pragma once

#include <base/Ref.hpp>
#include <ui/BarButtonItem.hpp>
#include <ui/View.hpp>

#include <string>
#include <vector>

namespace ui {

class Label;

// Asked before the bar pushes or pops an item (by its own back button or a call),
// and told afterwards. Every operation is optional.
class NavigationBarDelegate {
public:
    virtual ~NavigationBarDelegate() = default;

    virtual bool shouldPushItem(NavigationBar&, NavigationItem&) { return true; }
    virtual void didPushItem(NavigationBar&, NavigationItem&) { }
    virtual bool shouldPopItem(NavigationBar&, NavigationItem&) { return true; }
    virtual void didPopItem(NavigationBar&, NavigationItem&) { }
};

// The bar at the top of a navigation: a stack of items, of which it shows the top
// one's title (or title view) and buttons, and a back button titled after the item
// below when there is one (and the top item shows no left button nor hides it). A
// tap on the back button pops the top item. The bar retains its items; its
// delegate is not retained. Main thread only.
class NavigationBar : public View {
public:
    static constexpr float DefaultHeight = 44;

    static base::Ref<NavigationBar> create(graphics::Rect frame);

    ~NavigationBar() override;

    NavigationBarDelegate* delegate() const { return delegate_; }
    void setDelegate(NavigationBarDelegate* delegate) { delegate_ = delegate; }

    std::vector<base::Ref<NavigationItem>> const& items() const { return items_; }
    NavigationItem* topItem() const;
    // The item below the top one.
    NavigationItem* backItem() const;
    // Pushes item unless the delegate refuses; an item already on the bar is refused.
    void pushNavigationItem(base::Ref<NavigationItem> item, bool animated);
    // Pops the top item unless the delegate refuses; answers the popped item.
    base::Ref<NavigationItem> popNavigationItem(bool animated);
    // Replaces the items without asking the delegate.
    void setItems(std::vector<base::Ref<NavigationItem>> items, bool animated = false);

    BarStyle barStyle() const { return barStyle_; }
    void setBarStyle(BarStyle style) { barStyle_ = style; }
    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent) { translucent_ = translucent; }

    // What the bar shows now: the back button (null when none), the views of the
    // top item's left and right buttons, the title text.
    Button* backButton() const { return backButton_.get(); }
    View* leftButtonView() const { return leftView_.get(); }
    View* rightButtonView() const { return rightView_.get(); }
    std::string shownTitle() const;

    void layoutSubviews() override;

private:
    friend class NavigationItem;
    void itemDidChange(NavigationItem* item);
    void rebuild();
    void forget(NavigationItem& item);

    NavigationBarDelegate* delegate_ {nullptr};
    std::vector<base::Ref<NavigationItem>> items_;
    base::Ref<Button> backButton_;
    base::Ref<View> leftView_;
    base::Ref<View> rightView_;
    base::Ref<View> titleView_;
    base::Ref<Label> titleLabel_;
    BarStyle barStyle_ {BarStyle::Default};
    bool translucent_ {false};

protected:
    friend base::Factory;

    explicit NavigationBar(graphics::Rect frame);
};

}
