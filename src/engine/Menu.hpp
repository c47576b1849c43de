#pragma once

#include <base/WeakRef.hpp>
#include <engine/Layer.hpp>
#include <engine/MenuItem.hpp>
#include <engine/RGBAProtocol.hpp>

#include <vector>

namespace engine {

// A full-screen layer of menu items: lays them out in a column, a row or a grid, follows one
// touch at a time, shows the item under the finger as selected and activates the item on
// which the touch ends. It takes touches as a targeted handler just above the lowest
// priority, before every standard handler, and swallows the touches it claims. The item
// under the touch is not retained; one removed meanwhile is simply forgotten. Main thread.
class Menu : public Layer, public RGBAProtocol {
public:
    enum class State { Waiting, TrackingTouch };

    // The priority menus register at: one above the lowest int.
    static constexpr int handlerPriority = -2147483647;

    // The items become children at z 0, 1, 2 ... in their order.
    static base::Ref<Menu> menuWithItems(std::vector<base::Ref<MenuItem>> items);

    // Children must be menu items ("Menu only supports MenuItem objects as children").
    using SceneNode::addChild;
    SceneNode& addChild(base::Ref<SceneNode> child, int z, int tag) override;

    void registerWithTouchDispatcher() override;
    bool ccTouchBegan(ui::Touch* touch, ui::Event* event) override;
    void ccTouchMoved(ui::Touch* touch, ui::Event* event) override;
    void ccTouchEnded(ui::Touch* touch, ui::Event* event) override;
    void ccTouchCancelled(ui::Touch* touch, ui::Event* event) override;

    // A column, or a row, centred on the menu's position, with padding between the items
    // (5 points by default); item sizes count with their scale.
    void alignItemsVertically() { alignItemsVerticallyWithPadding(5); }
    void alignItemsVerticallyWithPadding(float padding);
    void alignItemsHorizontally() { alignItemsHorizontallyWithPadding(5); }
    void alignItemsHorizontallyWithPadding(float padding);
    // A grid of rows holding the given numbers of items each, top row first, each row
    // spread over the window's width; or of columns holding the given numbers each, spread
    // from the left. The numbers must add up to the number of items and none may be 0.
    void alignItemsInColumns(std::vector<unsigned> const& itemsPerRow);
    void alignItemsInRows(std::vector<unsigned> const& itemsPerColumn);

    // The first child, in child order, whose rectangle holds the touch; null for none.
    MenuItem* itemForTouch(ui::Touch* touch);

    State state() const { return state_; }
    MenuItem* selectedItem() const { return selectedItem_.get(); }

    // Stored, and passed to every child that has a colour.
    Color3B color() const override { return color_; }
    void setColor(Color3B color) override;
    void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) { setColor({r, g, b}); }
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override;

private:
    State state_ {State::Waiting};
    base::WeakRef<MenuItem> selectedItem_;
    std::uint8_t opacity_ {0};
    Color3B color_;

    friend base::Factory;

    // Raises "MenuInit": a menu is made with its items.
    Menu();
    explicit Menu(std::vector<base::Ref<MenuItem>> items);
};

}
