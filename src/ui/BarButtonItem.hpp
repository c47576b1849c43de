#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <ui/Forward.hpp>

#include <functional>
#include <optional>
#include <string>

namespace ui {

// How a toolbar or navigation bar looks, numbered as the platform numbers them.
enum class BarStyle {
    Default = 0,
    Black = 1,
    BlackTranslucent = 2,
};

enum class BarButtonItemStyle {
    Plain = 0,
    Bordered = 1,
    Done = 2,
};

// The platform's standard bar items, numbered as it numbers them.
enum class BarButtonSystemItem {
    Done = 0,
    Cancel = 1,
    Edit = 2,
    Save = 3,
    Add = 4,
    FlexibleSpace = 5,
    FixedSpace = 6,
    Compose = 7,
    Reply = 8,
    Action = 9,
    Organize = 10,
    Bookmarks = 11,
    Search = 12,
    Refresh = 13,
    Stop = 14,
    Camera = 15,
    Trash = 16,
    Play = 17,
    Pause = 18,
    Rewind = 19,
    FastForward = 20,
};

// A button (or a space) of a toolbar or a navigation bar: a title or a standard
// kind or a view of the caller's, and the action a tap on it calls (its target
// bound in). The bar that shows the item makes the view that takes the taps and
// keeps it up to date with the item's title and enabled state. Main thread only.
class BarButtonItem : public base::Object {
public:
    using Action = std::function<void(BarButtonItem&)>;

    static base::Ref<BarButtonItem> initWithTitle(
        std::string title, BarButtonItemStyle style, Action action);
    static base::Ref<BarButtonItem> initWithBarButtonSystemItem(
        BarButtonSystemItem systemItem, Action action);
    static base::Ref<BarButtonItem> initWithCustomView(base::Ref<View> customView);

    std::string const& title() const { return title_; }
    void setTitle(std::string title);
    BarButtonItemStyle style() const { return style_; }
    void setStyle(BarButtonItemStyle style) { style_ = style; }
    std::optional<BarButtonSystemItem> systemItem() const { return systemItem_; }
    bool isFlexibleSpace() const { return systemItem_ == BarButtonSystemItem::FlexibleSpace; }
    bool isFixedSpace() const { return systemItem_ == BarButtonSystemItem::FixedSpace; }
    // The width asked for; 0 lets the bar choose.
    float width() const { return width_; }
    void setWidth(float width);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    View* customView() const { return customView_.get(); }
    void setCustomView(base::Ref<View> view);
    void setAction(Action action) { action_ = std::move(action); }
    std::string const& accessibilityLabel() const { return accessibilityLabel_; }
    void setAccessibilityLabel(std::string label) { accessibilityLabel_ = std::move(label); }
    bool isAccessibilityElement() const { return accessibilityElement_; }
    void setIsAccessibilityElement(bool element) { accessibilityElement_ = element; }

    // What a tap on the item does: calls the action, unless the item is disabled.
    void sendAction();

    // For the bars that show the item: the view to place (the custom view, or a
    // tappable area that follows the item), and the width it wants.
    base::Ref<View> makeView();
    float preferredWidth() const;

private:
    void refreshView();

    std::string title_;
    BarButtonItemStyle style_ {BarButtonItemStyle::Plain};
    std::optional<BarButtonSystemItem> systemItem_;
    float width_ {0};
    bool enabled_ {true};
    int tag_ {0};
    bool accessibilityElement_ {false};
    std::string accessibilityLabel_;
    base::Ref<View> customView_;
    Action action_;
    // The button the bar showing the item took from makeView().
    base::WeakRef<Button> area_;

    friend base::Factory;

    BarButtonItem() = default;
};

}
