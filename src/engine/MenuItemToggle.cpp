#include <engine/MenuItemToggle.hpp>

#include <base/Verify.hpp>

namespace engine {

base::Ref<MenuItemToggle> MenuItemToggle::itemWithTarget(
    Invocation invocation, std::vector<base::Ref<MenuItem>> items) {
    return base::make<MenuItemToggle>(std::move(invocation), std::move(items));
}

MenuItemToggle::MenuItemToggle(Invocation invocation, std::vector<base::Ref<MenuItem>> items)
    : MenuItem(std::move(invocation))
    , subItems_(std::move(items)) {
    VERIFY_MSG(!subItems_.empty(), "MenuItemToggle needs at least one item");
    setSelectedIndex(0);
}

void MenuItemToggle::setSubItems(std::vector<base::Ref<MenuItem>> items) {
    VERIFY_MSG(!items.empty(), "MenuItemToggle needs at least one item");
    removeChildByTag(currentItemTag, Cleanup::No);
    subItems_ = std::move(items);
    selectedIndex_ = noIndex;
    setSelectedIndex(0);
}

void MenuItemToggle::setSelectedIndex(unsigned index) {
    VERIFY_MSG(index < subItems_.size(), "MenuItemToggle: index out of range");
    if (index == selectedIndex_)
        return;
    selectedIndex_ = index;
    removeChildByTag(currentItemTag, Cleanup::No);
    auto const& item = subItems_[index];
    addChild(item, 0, currentItemTag);
    Size size = item->contentSize();
    setContentSize(size);
    item->setPosition({size.width / 2, size.height / 2});
}

MenuItem* MenuItemToggle::selectedItem() const {
    return subItems_[selectedIndex_].get();
}

void MenuItemToggle::selected() {
    selectedItem()->selected();
}

void MenuItemToggle::unselected() {
    selectedItem()->unselected();
}

void MenuItemToggle::activate() {
    if (!isEnabled())
        return;
    setSelectedIndex(unsigned((selectedIndex_ + 1) % subItems_.size()));
    MenuItem::activate();
}

void MenuItemToggle::setIsEnabled(bool enabled) {
    MenuItem::setIsEnabled(enabled);
    for (auto const& item : subItems_)
        item->setIsEnabled(enabled);
}

void MenuItemToggle::setColor(Color3B color) {
    color_ = color;
    for (auto const& item : subItems_) {
        if (auto* rgba = dynamic_cast<RGBAProtocol*>(item.get()))
            rgba->setColor(color);
    }
}

void MenuItemToggle::setOpacity(std::uint8_t opacity) {
    opacity_ = opacity;
    for (auto const& item : subItems_) {
        if (auto* rgba = dynamic_cast<RGBAProtocol*>(item.get()))
            rgba->setOpacity(opacity);
    }
}

}
