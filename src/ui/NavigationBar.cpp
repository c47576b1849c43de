#include <base/Log.hpp>
#include <ui/Button.hpp>
#include <ui/Label.hpp>
#include <ui/NavigationBar.hpp>
#include <ui/NavigationItem.hpp>

#include <algorithm>

namespace ui {

namespace {

float const sideMargin = 5;
float const buttonHeight = 30;

}

base::Ref<NavigationBar> NavigationBar::create(graphics::Rect frame) {
    return base::make<NavigationBar>(frame);
}

NavigationBar::NavigationBar(graphics::Rect frame)
    : View(frame) {
}

NavigationBar::~NavigationBar() {
    for (auto const& item : items_)
        forget(*item);
}

NavigationItem* NavigationBar::topItem() const {
    return items_.empty() ? nullptr : items_.back().get();
}

NavigationItem* NavigationBar::backItem() const {
    return items_.size() < 2 ? nullptr : items_[items_.size() - 2].get();
}

void NavigationBar::forget(NavigationItem& item) {
    if (item.bar_.get() == this)
        item.bar_ = nullptr;
}

void NavigationBar::pushNavigationItem(base::Ref<NavigationItem> item, bool) {
    if (!item || std::find(items_.begin(), items_.end(), item) != items_.end()) {
        base::logLine("NavigationBar: an item can be pushed once");
        return;
    }
    base::Ref<NavigationBar> keep(this);
    if (delegate_ && !delegate_->shouldPushItem(*this, *item))
        return;
    item->bar_ = this;
    items_.push_back(item);
    rebuild();
    if (delegate_)
        delegate_->didPushItem(*this, *item);
}

base::Ref<NavigationItem> NavigationBar::popNavigationItem(bool) {
    if (items_.empty())
        return nullptr;
    base::Ref<NavigationBar> keep(this);
    base::Ref<NavigationItem> top = items_.back();
    if (delegate_ && !delegate_->shouldPopItem(*this, *top))
        return nullptr;
    // The delegate may have changed the items while it was asked.
    if (items_.empty() || items_.back() != top)
        return nullptr;
    items_.pop_back();
    forget(*top);
    rebuild();
    if (delegate_)
        delegate_->didPopItem(*this, *top);
    return top;
}

void NavigationBar::setItems(std::vector<base::Ref<NavigationItem>> items, bool) {
    std::erase(items, nullptr);
    for (auto const& item : items_)
        forget(*item);
    items_ = std::move(items);
    for (auto const& item : items_)
        item->bar_ = this;
    rebuild();
}

void NavigationBar::itemDidChange(NavigationItem* item) {
    if (item == topItem() || item == backItem())
        rebuild();
}

std::string NavigationBar::shownTitle() const {
    return titleLabel_ ? titleLabel_->text() : std::string();
}

void NavigationBar::rebuild() {
    for (auto view : {base::Ref<View>(backButton_), leftView_, rightView_, titleView_,
             base::Ref<View>(titleLabel_)}) {
        if (view && view->superview() == this)
            view->removeFromSuperview();
    }
    backButton_ = nullptr;
    leftView_ = nullptr;
    rightView_ = nullptr;
    titleView_ = nullptr;
    titleLabel_ = nullptr;

    NavigationItem* top = topItem();
    if (!top)
        return;
    if (auto left = top->leftBarButtonItem()) {
        leftView_ = left->makeView();
        addSubview(leftView_);
    } else if (auto back = backItem(); back && !top->hidesBackButton()) {
        std::string title = back->backBarButtonItem() ? back->backBarButtonItem()->title()
            : back->title().empty()                   ? std::string("Back")
                                                      : back->title();
        backButton_
            = Button::create({}, std::move(title), [bar = base::WeakRef<NavigationBar>(this)] {
                  if (auto strong = bar.strong())
                      strong->popNavigationItem(true);
              });
        addSubview(backButton_);
    }
    if (auto right = top->rightBarButtonItem()) {
        rightView_ = right->makeView();
        addSubview(rightView_);
    }
    if (top->titleView()) {
        titleView_ = base::Ref<View>(top->titleView());
        addSubview(titleView_);
    } else {
        titleLabel_ = Label::create();
        titleLabel_->setText(top->title());
        addSubview(titleLabel_);
    }
    setNeedsLayout();
    layoutIfNeeded();
}

void NavigationBar::layoutSubviews() {
    auto size = bounds().size;
    float y = (size.height - buttonHeight) / 2;
    float left = sideMargin;
    float right = size.width - sideMargin;
    if (backButton_) {
        float width = std::max(50.0f, 20 + 9.0f * float(backButton_->currentTitle().size()));
        backButton_->setFrame({{left, y}, {width, buttonHeight}});
        left += width;
    } else if (leftView_) {
        auto item = topItem()->leftBarButtonItem();
        float width = item->preferredWidth();
        leftView_->setFrame({{left, y}, {width, buttonHeight}});
        left += width;
    }
    if (rightView_) {
        float width = topItem()->rightBarButtonItem()->preferredWidth();
        rightView_->setFrame({{right - width, y}, {width, buttonHeight}});
        right -= width;
    }
    // The title sits in the middle of the bar as far as the buttons let it.
    float half = std::max(0.0f, std::min(size.width / 2 - left, right - size.width / 2));
    graphics::Rect titleFrame {{size.width / 2 - half, 0}, {2 * half, size.height}};
    if (titleView_) {
        auto viewSize = titleView_->frame().size;
        titleView_->setCenter({size.width / 2, size.height / 2});
        if (viewSize.width > titleFrame.size.width)
            titleView_->setFrame(titleFrame);
    } else if (titleLabel_) {
        titleLabel_->setFrame(titleFrame);
    }
}

}
