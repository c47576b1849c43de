#include <ui/Toolbar.hpp>

#include <algorithm>

namespace ui {

namespace {

float const edgeMargin = 6;
float const itemSpacing = 10;
float const itemHeight = 30;

}

base::Ref<Toolbar> Toolbar::create(graphics::Rect frame) {
    return base::make<Toolbar>(frame);
}

Toolbar::Toolbar(graphics::Rect frame)
    : View(frame) {
}

void Toolbar::setItems(std::vector<base::Ref<BarButtonItem>> items, bool) {
    std::erase(items, nullptr);
    for (auto const& view : views_) {
        if (view && view->superview() == this)
            view->removeFromSuperview();
    }
    items_ = std::move(items);
    views_.clear();
    for (auto const& item : items_) {
        if (item->isFlexibleSpace() || item->isFixedSpace()) {
            views_.emplace_back();
            continue;
        }
        views_.push_back(item->makeView());
        addSubview(views_.back());
    }
    setNeedsLayout();
    layoutIfNeeded();
}

View* Toolbar::viewForItem(BarButtonItem const* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].get() == item)
            return views_[i].get();
    }
    return nullptr;
}

void Toolbar::layoutSubviews() {
    auto size = bounds().size;
    float fixed = 0;
    int flexible = 0;
    for (auto const& item : items_) {
        if (item->isFlexibleSpace())
            ++flexible;
        else
            fixed += item->preferredWidth();
    }
    // Spacing goes between neighbouring buttons, not next to spaces.
    float gaps = 0;
    for (std::size_t i = 1; i < items_.size(); ++i) {
        if (views_[i] && views_[i - 1])
            gaps += itemSpacing;
    }
    float spare = std::max(0.0f, size.width - 2 * edgeMargin - fixed - gaps);
    float flexibleWidth = flexible ? spare / float(flexible) : 0;
    float x = edgeMargin;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (i > 0 && views_[i] && views_[i - 1])
            x += itemSpacing;
        auto const& item = items_[i];
        float width = item->isFlexibleSpace() ? flexibleWidth : item->preferredWidth();
        if (auto const& view = views_[i]) {
            float height = item->customView() ? view->frame().size.height : itemHeight;
            view->setFrame({{x, (size.height - height) / 2}, {width, height}});
        }
        x += width;
    }
}

}
