#pragma once

#include <base/Ref.hpp>
#include <ui/BarButtonItem.hpp>
#include <ui/View.hpp>

#include <vector>

namespace ui {

// A bar of buttons, usually at the bottom of a screen: its items in a row from the
// left, flexible spaces sharing what width is left. The toolbar retains its items.
// Main thread only.
class Toolbar : public View {
public:
    static constexpr float DefaultHeight = 44;

    static base::Ref<Toolbar> create(graphics::Rect frame);

    std::vector<base::Ref<BarButtonItem>> const& items() const { return items_; }
    void setItems(std::vector<base::Ref<BarButtonItem>> items, bool animated = false);
    // The view that shows item (null for spaces and for items not on the bar).
    View* viewForItem(BarButtonItem const* item) const;

    BarStyle barStyle() const { return barStyle_; }
    void setBarStyle(BarStyle style) { barStyle_ = style; }
    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent) { translucent_ = translucent; }

    void layoutSubviews() override;

private:
    std::vector<base::Ref<BarButtonItem>> items_;
    // One per item; null for spaces.
    std::vector<base::Ref<View>> views_;
    BarStyle barStyle_ {BarStyle::Default};
    bool translucent_ {false};

    friend base::Factory;

    explicit Toolbar(graphics::Rect frame);
};

}
