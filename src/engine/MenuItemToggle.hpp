#pragma once

#include <engine/MenuItem.hpp>
#include <engine/RGBAProtocol.hpp>

#include <vector>

namespace engine {

// A menu item that cycles through sub-items: the selected one is its only child, centred in
// it, and each activation moves to the next (after the last, the first) before calling the
// target, so the target reads the new index. Main thread.
class MenuItemToggle final : public MenuItem, public RGBAProtocol {
public:
    // The tag of the shown sub-item.
    static constexpr int currentItemTag = int(0xC0C05001u);

    // At least one sub-item ("MenuItemToggle needs at least one item"); the first shows.
    static base::Ref<MenuItemToggle> itemWithTarget(
        Invocation invocation, std::vector<base::Ref<MenuItem>> items);

    unsigned selectedIndex() const { return selectedIndex_; }
    // Shows sub-item index (below the number of sub-items); nothing when it shows already.
    void setSelectedIndex(unsigned index);
    MenuItem* selectedItem() const;
    std::vector<base::Ref<MenuItem>> const& subItems() const { return subItems_; }
    void setSubItems(std::vector<base::Ref<MenuItem>> items);

    // Forwarded to the shown sub-item.
    void selected() override;
    void unselected() override;
    void activate() override;
    // Also to every sub-item.
    void setIsEnabled(bool enabled) override;

    // Stored and passed to every sub-item that has a colour.
    Color3B color() const override { return color_; }
    void setColor(Color3B color) override;
    void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) { setColor({r, g, b}); }
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override;

private:
    static constexpr unsigned noIndex = ~0u;

    unsigned selectedIndex_ {noIndex};
    std::vector<base::Ref<MenuItem>> subItems_;
    std::uint8_t opacity_ {0};
    Color3B color_;

    friend base::Factory;

    MenuItemToggle(Invocation invocation, std::vector<base::Ref<MenuItem>> items);
};

}
