#include <ui/BarButtonItem.hpp>
#include <ui/Button.hpp>

#include <algorithm>
#include <array>

namespace ui {

namespace {

// The title a standard item shows, as text.
std::string systemTitle(BarButtonSystemItem item) {
    static constexpr std::array<char const*, 21> titles {"Done", "Cancel", "Edit", "Save", "+", "",
        "", "Compose", "Reply", "Action", "Organize", "Bookmarks", "Search", "Refresh", "Stop",
        "Camera", "Trash", "Play", "Pause", "Rewind", "Fast Forward"};
    return titles[std::size_t(item)];
}

}

base::Ref<BarButtonItem> BarButtonItem::initWithTitle(
    std::string title, BarButtonItemStyle style, Action action) {
    auto item = base::make<BarButtonItem>();
    item->title_ = std::move(title);
    item->style_ = style;
    item->action_ = std::move(action);
    return item;
}

base::Ref<BarButtonItem> BarButtonItem::initWithBarButtonSystemItem(
    BarButtonSystemItem systemItem, Action action) {
    auto item = base::make<BarButtonItem>();
    item->systemItem_ = systemItem;
    item->title_ = systemTitle(systemItem);
    item->style_ = systemItem == BarButtonSystemItem::Done ? BarButtonItemStyle::Done
                                                           : BarButtonItemStyle::Bordered;
    item->action_ = std::move(action);
    return item;
}

base::Ref<BarButtonItem> BarButtonItem::initWithCustomView(base::Ref<View> customView) {
    auto item = base::make<BarButtonItem>();
    item->customView_ = std::move(customView);
    return item;
}

void BarButtonItem::setTitle(std::string title) {
    title_ = std::move(title);
    refreshView();
}

void BarButtonItem::setWidth(float width) {
    width_ = width;
    refreshView();
}

void BarButtonItem::setEnabled(bool enabled) {
    enabled_ = enabled;
    refreshView();
}

void BarButtonItem::setCustomView(base::Ref<View> view) {
    customView_ = std::move(view);
    refreshView();
}

void BarButtonItem::sendAction() {
    if (!enabled_ || !action_)
        return;
    base::Ref<BarButtonItem> keep(this);
    auto action = action_;
    action(*this);
}

base::Ref<View> BarButtonItem::makeView() {
    if (customView_)
        return customView_;
    auto button = Button::create(
        {{0, 0}, {preferredWidth(), 30}}, title_, [item = base::WeakRef<BarButtonItem>(this)] {
            if (auto strong = item.strong())
                strong->sendAction();
        });
    button->setEnabled(enabled_);
    area_ = button.get();
    return button;
}

float BarButtonItem::preferredWidth() const {
    if (width_ > 0)
        return width_;
    if (customView_)
        return customView_->frame().size.width;
    if (isFlexibleSpace() || isFixedSpace())
        return 0;
    // No text measuring here: an even width per character, as a bar button of
    // the platform's bold system font roughly takes.
    return std::max(30.0f, 12 + 9.0f * float(title_.size()));
}

void BarButtonItem::refreshView() {
    auto area = area_.get();
    if (!area)
        return;
    area->setTitle(title_, ControlState::Normal);
    area->setEnabled(enabled_);
    if (auto bar = area->superview())
        bar->setNeedsLayout();
}

}
