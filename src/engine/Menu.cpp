#include <engine/Menu.hpp>

#include <base/Exception.hpp>
#include <base/Verify.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/TouchDispatcher.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <cmath>

namespace engine {

namespace {

// The platform status bar is 20 points across the top edge of the screen, whichever way the
// device is held, and none while hidden.
float statusBarExtent() {
    return ui::Application::sharedApplication().isStatusBarHidden() ? 0.0f : 20.0f;
}

}

base::Ref<Menu> Menu::menuWithItems(std::vector<base::Ref<MenuItem>> items) {
    return base::make<Menu>(std::move(items));
}

Menu::Menu() {
    throw base::Exception("MenuInit", "Use initWithItems instead");
}

Menu::Menu(std::vector<base::Ref<MenuItem>> items) {
    setIsTouchEnabled(true);
    setRelativeAnchorPoint(false);
    setAnchorPoint({0.5f, 0.5f});
    Size window = DirectorServices::current().winSize();
    setContentSize(window);
    setPosition({window.width / 2, (window.height - statusBarExtent()) / 2});
    int z = 0;
    for (auto& item : items)
        addChild(std::move(item), z++);
}

SceneNode& Menu::addChild(base::Ref<SceneNode> child, int z, int tag) {
    VERIFY_MSG(
        dynamic_cast<MenuItem*>(child.get()), "Menu only supports MenuItem objects as children");
    return Layer::addChild(std::move(child), z, tag);
}

void Menu::registerWithTouchDispatcher() {
    TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, handlerPriority, true);
}

bool Menu::ccTouchBegan(ui::Touch* touch, ui::Event*) {
    if (state_ != State::Waiting)
        return false;
    base::Ref<MenuItem> item(itemForTouch(touch));
    selectedItem_ = item.get();
    if (!item)
        return false;
    item->selected();
    state_ = State::TrackingTouch;
    return true;
}

void Menu::ccTouchMoved(ui::Touch* touch, ui::Event*) {
    VERIFY_MSG(state_ == State::TrackingTouch, "[Menu ccTouchMoved] -- invalid state");
    base::Ref<MenuItem> current(itemForTouch(touch));
    auto previous = selectedItem_.strong();
    if (current == previous)
        return;
    if (previous)
        previous->unselected();
    selectedItem_ = current.get();
    if (current)
        current->selected();
}

void Menu::ccTouchEnded(ui::Touch*, ui::Event*) {
    VERIFY_MSG(state_ == State::TrackingTouch, "[Menu ccTouchEnded] -- invalid state");
    state_ = State::Waiting;
    base::Ref<Menu> keepAlive(this);
    if (auto item = selectedItem_.strong()) {
        item->unselected();
        item->activate();
    }
}

void Menu::ccTouchCancelled(ui::Touch*, ui::Event*) {
    VERIFY_MSG(state_ == State::TrackingTouch, "[Menu ccTouchCancelled] -- invalid state");
    state_ = State::Waiting;
    if (auto item = selectedItem_.strong())
        item->unselected();
}

MenuItem* Menu::itemForTouch(ui::Touch* touch) {
    if (!touch)
        return nullptr;
    for (auto const& child : children()) {
        auto* item = dynamic_cast<MenuItem*>(child.get());
        if (!item)
            continue;
        Point local = item->convertTouchToNodeSpace(touch);
        Size size = item->contentSize();
        if (Rect {{0, 0}, size}.contains(local))
            return item;
    }
    return nullptr;
}

void Menu::alignItemsVerticallyWithPadding(float padding) {
    float height = -padding;
    for (auto const& child : children())
        height += child->contentSize().height * child->scaleY() + padding;
    float y = height / 2;
    for (auto const& child : children()) {
        float scaled = child->contentSize().height * child->scaleY();
        child->setPosition({0, y - scaled / 2});
        y -= scaled + padding;
    }
}

void Menu::alignItemsHorizontallyWithPadding(float padding) {
    float width = -padding;
    for (auto const& child : children())
        width += child->contentSize().width * child->scaleX() + padding;
    float x = -width / 2;
    for (auto const& child : children()) {
        float scaled = child->contentSize().width * child->scaleX();
        child->setPosition({x + scaled / 2, 0});
        x += scaled + padding;
    }
}

void Menu::alignItemsInColumns(std::vector<unsigned> const& itemsPerRow) {
    int height = -5;
    std::size_t row = 0;
    int rowHeight = 0;
    unsigned columnsOccupied = 0;
    for (auto const& child : children()) {
        VERIFY_MSG(row < itemsPerRow.size(), "Too many menu items for the amount of rows/columns.");
        unsigned rowColumns = itemsPerRow[row];
        VERIFY_MSG(rowColumns != 0, "Can't have zero columns on a row");
        rowHeight = int(std::fmax(float(rowHeight), child->contentSize().height));
        if (++columnsOccupied >= rowColumns) {
            height += rowHeight + 5;
            columnsOccupied = 0;
            rowHeight = 0;
            ++row;
        }
    }
    VERIFY_MSG(columnsOccupied == 0, "Too many rows/columns for available menu items.");

    Size window = DirectorServices::current().winSize();
    row = 0;
    rowHeight = 0;
    unsigned rowColumns = 0;
    float w = 0, x = 0;
    float y = float(height / 2);
    for (auto const& child : children()) {
        if (rowColumns == 0) {
            rowColumns = itemsPerRow[row];
            w = window.width / float(rowColumns + 1);
            x = w;
        }
        float childHeight = child->contentSize().height;
        rowHeight = int(std::fmax(float(rowHeight), childHeight));
        child->setPosition({x - window.width / 2, y - childHeight / 2});
        x += w + 10;
        if (++columnsOccupied >= rowColumns) {
            y -= float(rowHeight + 5);
            columnsOccupied = 0;
            rowColumns = 0;
            rowHeight = 0;
            ++row;
        }
    }
}

void Menu::alignItemsInRows(std::vector<unsigned> const& itemsPerColumn) {
    std::vector<int> columnWidths, columnHeights;
    int width = -10, columnHeight = -5;
    std::size_t column = 0;
    int columnWidth = 0;
    unsigned rowsOccupied = 0;
    for (auto const& child : children()) {
        VERIFY_MSG(
            column < itemsPerColumn.size(), "Too many menu items for the amount of rows/columns.");
        unsigned columnRows = itemsPerColumn[column];
        VERIFY_MSG(columnRows != 0, "Can't have zero rows on a column");
        Size size = child->contentSize();
        columnWidth = int(std::fmax(float(columnWidth), size.width));
        columnHeight = int(float(columnHeight) + size.height + 5);
        if (++rowsOccupied >= columnRows) {
            columnWidths.push_back(columnWidth);
            columnHeights.push_back(columnHeight);
            width += columnWidth + 10;
            rowsOccupied = 0;
            columnWidth = 0;
            columnHeight = -5;
            ++column;
        }
    }
    VERIFY_MSG(rowsOccupied == 0, "Too many rows/columns for available menu items.");

    Size window = DirectorServices::current().winSize();
    column = 0;
    columnWidth = 0;
    unsigned columnRows = 0;
    float x = float(-width / 2);
    float y = 0;
    for (auto const& child : children()) {
        if (columnRows == 0) {
            columnRows = itemsPerColumn[column];
            y = (float(columnHeights[column]) + window.height) / 2;
        }
        Size size = child->contentSize();
        columnWidth = int(std::fmax(float(columnWidth), size.width));
        child->setPosition({x + float(columnWidths[column] / 2), y - window.height / 2});
        y -= size.height + 10;
        if (++rowsOccupied >= columnRows) {
            x += float(columnWidth + 5);
            rowsOccupied = 0;
            columnRows = 0;
            columnWidth = 0;
            ++column;
        }
    }
}

void Menu::setColor(Color3B color) {
    color_ = color;
    for (auto const& child : children()) {
        if (auto* rgba = dynamic_cast<RGBAProtocol*>(child.get()))
            rgba->setColor(color);
    }
}

void Menu::setOpacity(std::uint8_t opacity) {
    opacity_ = opacity;
    for (auto const& child : children()) {
        if (auto* rgba = dynamic_cast<RGBAProtocol*>(child.get()))
            rgba->setOpacity(opacity);
    }
}

}
