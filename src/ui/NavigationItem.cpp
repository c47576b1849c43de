#include <ui/BarButtonItem.hpp>
#include <ui/NavigationBar.hpp>
#include <ui/NavigationItem.hpp>

namespace ui {

base::Ref<NavigationItem> NavigationItem::create(std::string title) {
    return base::make<NavigationItem>(std::move(title));
}

NavigationItem::NavigationItem(std::string title)
    : title_(std::move(title)) {
}

void NavigationItem::changed() {
    if (auto bar = bar_.strong())
        bar->itemDidChange(this);
}

void NavigationItem::setTitle(std::string title) {
    title_ = std::move(title);
    changed();
}

void NavigationItem::setTitleView(base::Ref<View> view) {
    titleView_ = std::move(view);
    changed();
}

void NavigationItem::setBackBarButtonItem(base::Ref<BarButtonItem> item) {
    backBarButtonItem_ = std::move(item);
    changed();
}

void NavigationItem::setLeftBarButtonItem(base::Ref<BarButtonItem> item, bool) {
    leftBarButtonItem_ = std::move(item);
    changed();
}

void NavigationItem::setRightBarButtonItem(base::Ref<BarButtonItem> item, bool) {
    rightBarButtonItem_ = std::move(item);
    changed();
}

void NavigationItem::setHidesBackButton(bool hides, bool) {
    hidesBackButton_ = hides;
    changed();
}

}
