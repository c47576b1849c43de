#include <base/Log.hpp>
#include <ui/Label.hpp>
#include <ui/TableView.hpp>
#include <ui/Touch.hpp>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

// Cells kept per reuse identifier; a data source that never dequeues would
// otherwise fill the pool without end as its rows scroll by.
std::size_t const poolLimit = 64;

// A plain header or footer that shows a section's title.
base::Ref<View> titleView(std::string const& title) {
    auto view = View::create();
    auto label = Label::create();
    label->setText(title);
    view->addSubview(label);
    return view;
}

}

float TableViewDelegate::heightForRowAtIndexPath(TableView& tableView, IndexPath) {
    return tableView.rowHeight();
}

float TableViewDelegate::heightForHeaderInSection(TableView& tableView, int section) {
    return tableView.standardHeaderHeight(section);
}

float TableViewDelegate::heightForFooterInSection(TableView& tableView, int section) {
    return tableView.standardFooterHeight(section);
}

float TableView::Section::rowsHeight() const {
    return rowTops.empty() ? 0 : rowTops.back() + rowHeights.back() - rowTops.front();
}

base::Ref<TableView> TableView::create(graphics::Rect frame, TableViewStyle style) {
    return base::make<TableView>(frame, style);
}

TableView::TableView(graphics::Rect frame, TableViewStyle style)
    : ScrollView(frame)
    , style_(style) {
    setAlwaysBounceVertical(true);
    if (style == TableViewStyle::Grouped)
        sectionHeaderHeight_ = sectionFooterHeight_ = 10;
}

TableView::~TableView() = default;

void TableView::setDataSource(TableViewDataSource* dataSource) {
    dataSource_ = dataSource;
    needsReload_ = true;
}

void TableView::setDelegate(TableViewDelegate* delegate) {
    delegate_ = delegate;
    ScrollView::setDelegate(delegate);
    needsReload_ = true;
}

void TableView::setRowHeight(float height) {
    rowHeight_ = std::max(0.0f, height);
    needsReload_ = true;
}

void TableView::setTableHeaderView(base::Ref<View> view) {
    if (tableHeaderView_ && tableHeaderView_->superview() == this)
        tableHeaderView_->removeFromSuperview();
    tableHeaderView_ = std::move(view);
    needsReload_ = true;
}

void TableView::setTableFooterView(base::Ref<View> view) {
    if (tableFooterView_ && tableFooterView_->superview() == this)
        tableFooterView_->removeFromSuperview();
    tableFooterView_ = std::move(view);
    needsReload_ = true;
}

void TableView::setBackgroundView(base::Ref<View> view) {
    if (backgroundView_ && backgroundView_->superview() == this)
        backgroundView_->removeFromSuperview();
    backgroundView_ = std::move(view);
    if (backgroundView_) {
        backgroundView_->setFrame(bounds());
        insertSubviewAtIndex(backgroundView_, 0);
    }
}

float TableView::standardHeaderHeight(int section) const {
    if (section < 0 || std::size_t(section) >= sections_.size())
        return 0;
    auto const& s = sections_[std::size_t(section)];
    return s.headerView || !s.headerTitle.empty() ? sectionHeaderHeight_ : 0;
}

float TableView::standardFooterHeight(int section) const {
    if (section < 0 || std::size_t(section) >= sections_.size())
        return 0;
    auto const& s = sections_[std::size_t(section)];
    return s.footerView || !s.footerTitle.empty() ? sectionFooterHeight_ : 0;
}

void TableView::reloadIfNeeded() {
    if (needsReload_)
        reloadData();
}

void TableView::reloadData() {
    if (tiling_) {
        // Asked from a data source call in the middle of placing cells: later.
        needsReload_ = true;
        return;
    }
    base::Ref<TableView> keep(this);
    tiling_ = true;
    needsReload_ = false;
    clearPress();
    for (auto const& [path, cell] : visible_)
        putAside(cell);
    visible_.clear();
    for (auto const& s : sections_) {
        for (auto const& view : {s.headerView, s.footerView}) {
            if (view && view->superview() == this)
                view->removeFromSuperview();
        }
    }
    sections_.clear();
    selected_.reset();

    bool complained = false;
    auto sane = [&](float value) {
        if (std::isfinite(value) && value >= 0)
            return value;
        if (!complained)
            base::logLine("TableView: a negative count or height counts as 0");
        complained = true;
        return 0.0f;
    };
    float y = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
    int count = dataSource_ ? int(sane(float(dataSource_->numberOfSectionsInTableView(*this)))) : 0;
    sections_.resize(std::size_t(count));
    for (int index = 0; index < count; ++index) {
        auto& s = sections_[std::size_t(index)];
        int rows = int(sane(float(dataSource_->numberOfRowsInSection(*this, index))));
        s.headerTitle = dataSource_->titleForHeaderInSection(*this, index);
        s.footerTitle = dataSource_->titleForFooterInSection(*this, index);
        if (delegate_) {
            s.headerView = delegate_->viewForHeaderInSection(*this, index);
            s.footerView = delegate_->viewForFooterInSection(*this, index);
        }
        if (!s.headerView && !s.headerTitle.empty())
            s.headerView = titleView(s.headerTitle);
        if (!s.footerView && !s.footerTitle.empty())
            s.footerView = titleView(s.footerTitle);
        s.headerHeight = sane(delegate_ ? delegate_->heightForHeaderInSection(*this, index)
                                        : standardHeaderHeight(index));
        s.top = y;
        float rowY = y + s.headerHeight;
        for (int row = 0; row < rows; ++row) {
            float height = sane(
                delegate_ ? delegate_->heightForRowAtIndexPath(*this, {index, row}) : rowHeight_);
            s.rowTops.push_back(rowY);
            s.rowHeights.push_back(height);
            rowY += height;
        }
        s.footerHeight = sane(delegate_ ? delegate_->heightForFooterInSection(*this, index)
                                        : standardFooterHeight(index));
        y += s.height();
    }
    float footer = tableFooterView_ ? tableFooterView_->frame().size.height : 0;
    setContentSize({width(), y + footer});
    tiling_ = false;

    // Keep the offset within the content, which may have shrunk.
    if (!isDragging()) {
        auto offset = contentOffset();
        auto max = maximumContentOffset();
        if (offset.y > max.y || offset.x > max.x)
            setContentOffset({std::min(offset.x, max.x), std::min(offset.y, max.y)});
    }
    placeSupplementaryViews();
    tile();
}

void TableView::placeSupplementaryViews() {
    auto place = [this](base::Ref<View> const& view, graphics::Rect frame) {
        if (!view)
            return;
        view->setFrame(frame);
        for (auto const& child : view->subviews()) {
            if (dynamic_cast<Label*>(child.get()))
                child->setFrame(
                    {{10, 0}, {std::max(0.0f, frame.size.width - 20), frame.size.height}});
        }
        if (view->superview() != this)
            addSubview(view);
    };
    if (tableHeaderView_)
        place(tableHeaderView_, {{0, 0}, {width(), tableHeaderView_->frame().size.height}});
    for (int i = 0; i < int(sections_.size()); ++i) {
        place(sections_[std::size_t(i)].headerView, rectForHeaderInSection(i));
        place(sections_[std::size_t(i)].footerView, rectForFooterInSection(i));
    }
    if (tableFooterView_) {
        float top = sections_.empty()
            ? (tableHeaderView_ ? tableHeaderView_->frame().size.height : 0)
            : sections_.back().top + sections_.back().height();
        place(tableFooterView_, {{0, top}, {width(), tableFooterView_->frame().size.height}});
    }
}

bool TableView::isValid(IndexPath p) const {
    return p.section >= 0 && std::size_t(p.section) < sections_.size() && p.row >= 0
        && std::size_t(p.row) < sections_[std::size_t(p.section)].rowTops.size();
}

graphics::Rect TableView::rowRect(IndexPath p) const {
    if (!isValid(p))
        return {};
    auto const& s = sections_[std::size_t(p.section)];
    return {{0, s.rowTops[std::size_t(p.row)]}, {width(), s.rowHeights[std::size_t(p.row)]}};
}

void TableView::tile() {
    if (tiling_)
        return;
    base::Ref<TableView> keep(this);
    tiling_ = true;
    auto sight = bounds();
    std::vector<IndexPath> gone;
    for (auto const& [path, cell] : visible_) {
        if (!rowRect(path).intersects(sight))
            gone.push_back(path);
    }
    for (auto const& path : gone) {
        auto cell = visible_[path];
        visible_.erase(path);
        putAside(cell);
    }
    for (int index = 0; index < int(sections_.size()); ++index) {
        auto const& s = sections_[std::size_t(index)];
        if (!graphics::Rect {{0, s.top}, {width(), s.height()}}.intersects(sight))
            continue;
        auto first = std::upper_bound(s.rowTops.begin(), s.rowTops.end(), sight.minY());
        auto row = int(first - s.rowTops.begin()) - 1;
        for (row = std::max(row, 0); std::size_t(row) < s.rowTops.size(); ++row) {
            if (s.rowTops[std::size_t(row)] >= sight.maxY())
                break;
            IndexPath path {index, row};
            if (!visible_.contains(path) && rowRect(path).intersects(sight))
                showCell(path);
            if (needsReload_)
                break;
        }
        if (needsReload_)
            break;
    }
    tiling_ = false;
}

void TableView::showCell(IndexPath path) {
    base::Ref<TableViewCell> cell;
    if (dataSource_)
        cell = dataSource_->cellForRowAtIndexPath(*this, path);
    if (!cell) {
        base::logLine("TableView: the data source gave no cell for section "
            + std::to_string(path.section) + " row " + std::to_string(path.row)
            + "; the row shows empty");
        cell = TableViewCell::create(TableViewCellStyle::Default);
    }
    for (auto it = visible_.begin(); it != visible_.end(); ++it) {
        if (it->second == cell) {
            base::logLine("TableView: a cell in sight was handed out for another row");
            visible_.erase(it);
            break;
        }
    }
    cell->setFrame(rowRect(path));
    cell->setSelected(selected_ == path);
    cell->setHighlighted(false);
    cell->layoutIfNeeded();
    if (delegate_)
        delegate_->willDisplayCell(*this, *cell, path);
    visible_[path] = cell;
    if (cell->superview() != this)
        insertSubviewAtIndex(cell, backgroundView_ ? 1 : 0);
}

void TableView::putAside(base::Ref<TableViewCell> const& cell) {
    cell->removeFromSuperview();
    cell->setHighlighted(false);
    if (cell->reuseIdentifier().empty())
        return;
    auto& pool = reusable_[cell->reuseIdentifier()];
    if (pool.size() < poolLimit)
        pool.push_back(cell);
}

base::Ref<TableViewCell> TableView::dequeueReusableCellWithIdentifier(
    std::string const& identifier) {
    auto it = reusable_.find(identifier);
    if (it == reusable_.end() || it->second.empty())
        return nullptr;
    auto cell = std::move(it->second.back());
    it->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

std::size_t TableView::reusableCellCount(std::string const& identifier) const {
    auto it = reusable_.find(identifier);
    return it == reusable_.end() ? 0 : it->second.size();
}

void TableView::reloadRowsAtIndexPaths(std::vector<IndexPath> const& indexPaths) {
    reloadIfNeeded();
    for (auto const& path : indexPaths) {
        auto it = visible_.find(path);
        if (it == visible_.end())
            continue;
        auto cell = it->second;
        visible_.erase(it);
        putAside(cell);
        showCell(path);
    }
}

int TableView::numberOfSections() {
    reloadIfNeeded();
    return int(sections_.size());
}

int TableView::numberOfRowsInSection(int section) {
    reloadIfNeeded();
    if (section < 0 || std::size_t(section) >= sections_.size())
        return 0;
    return int(sections_[std::size_t(section)].rowTops.size());
}

graphics::Rect TableView::rectForSection(int section) {
    reloadIfNeeded();
    if (section < 0 || std::size_t(section) >= sections_.size())
        return {};
    auto const& s = sections_[std::size_t(section)];
    return {{0, s.top}, {width(), s.height()}};
}

graphics::Rect TableView::rectForHeaderInSection(int section) {
    reloadIfNeeded();
    if (section < 0 || std::size_t(section) >= sections_.size())
        return {};
    auto const& s = sections_[std::size_t(section)];
    return {{0, s.top}, {width(), s.headerHeight}};
}

graphics::Rect TableView::rectForFooterInSection(int section) {
    reloadIfNeeded();
    if (section < 0 || std::size_t(section) >= sections_.size())
        return {};
    auto const& s = sections_[std::size_t(section)];
    return {{0, s.top + s.headerHeight + s.rowsHeight()}, {width(), s.footerHeight}};
}

graphics::Rect TableView::rectForRowAtIndexPath(IndexPath indexPath) {
    reloadIfNeeded();
    return rowRect(indexPath);
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(graphics::Point point) {
    reloadIfNeeded();
    if (point.x < 0 || point.x >= width())
        return std::nullopt;
    for (int index = 0; index < int(sections_.size()); ++index) {
        auto const& s = sections_[std::size_t(index)];
        if (s.rowTops.empty() || point.y < s.rowTops.front()
            || point.y >= s.rowTops.front() + s.rowsHeight())
            continue;
        auto after = std::upper_bound(s.rowTops.begin(), s.rowTops.end(), point.y);
        return IndexPath {index, int(after - s.rowTops.begin()) - 1};
    }
    return std::nullopt;
}

std::vector<IndexPath> TableView::indexPathsForRowsInRect(graphics::Rect rect) {
    reloadIfNeeded();
    std::vector<IndexPath> paths;
    for (int index = 0; index < int(sections_.size()); ++index) {
        for (int row = 0; std::size_t(row) < sections_[std::size_t(index)].rowTops.size(); ++row) {
            if (rowRect({index, row}).intersects(rect))
                paths.push_back({index, row});
        }
    }
    return paths;
}

std::optional<IndexPath> TableView::indexPathForCell(TableViewCell const* cell) const {
    for (auto const& [path, shown] : visible_) {
        if (shown.get() == cell)
            return path;
    }
    return std::nullopt;
}

TableViewCell* TableView::cellForRowAtIndexPath(IndexPath indexPath) {
    reloadIfNeeded();
    auto it = visible_.find(indexPath);
    return it == visible_.end() ? nullptr : it->second.get();
}

std::vector<base::Ref<TableViewCell>> TableView::visibleCells() {
    reloadIfNeeded();
    std::vector<base::Ref<TableViewCell>> cells;
    for (auto const& [path, cell] : visible_)
        cells.push_back(cell);
    return cells;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() {
    reloadIfNeeded();
    std::vector<IndexPath> paths;
    for (auto const& [path, cell] : visible_)
        paths.push_back(path);
    return paths;
}

View* TableView::headerViewForSection(int section) {
    reloadIfNeeded();
    if (section < 0 || std::size_t(section) >= sections_.size())
        return nullptr;
    return sections_[std::size_t(section)].headerView.get();
}

View* TableView::footerViewForSection(int section) {
    reloadIfNeeded();
    if (section < 0 || std::size_t(section) >= sections_.size())
        return nullptr;
    return sections_[std::size_t(section)].footerView.get();
}

void TableView::scrollToRowAtIndexPath(
    IndexPath indexPath, TableViewScrollPosition position, bool animated) {
    reloadIfNeeded();
    if (!isValid(indexPath))
        return;
    auto row = rowRect(indexPath);
    float height = bounds().size.height;
    auto offset = contentOffset();
    switch (position) {
    case TableViewScrollPosition::None:
        scrollRectToVisible(row, animated);
        return;
    case TableViewScrollPosition::Top:
        offset.y = row.minY();
        break;
    case TableViewScrollPosition::Middle:
        offset.y = row.midY() - height / 2;
        break;
    case TableViewScrollPosition::Bottom:
        offset.y = row.maxY() - height;
        break;
    }
    offset.y = std::clamp(offset.y, minimumContentOffset().y, maximumContentOffset().y);
    setContentOffset(offset, animated);
}

void TableView::selectRowAtIndexPath(
    std::optional<IndexPath> indexPath, bool animated, TableViewScrollPosition position) {
    reloadIfNeeded();
    if (selected_)
        deselectRowAtIndexPath(*selected_, animated);
    if (!indexPath || !isValid(*indexPath))
        return;
    selected_ = indexPath;
    if (auto cell = cellForRowAtIndexPath(*indexPath))
        cell->setSelected(true, animated);
    if (position != TableViewScrollPosition::None)
        scrollToRowAtIndexPath(*indexPath, position, animated);
}

void TableView::deselectRowAtIndexPath(IndexPath indexPath, bool animated) {
    if (selected_ != indexPath)
        return;
    selected_.reset();
    if (auto it = visible_.find(indexPath); it != visible_.end())
        it->second->setSelected(false, animated);
}

void TableView::userSelect(IndexPath indexPath) {
    base::Ref<TableView> keep(this);
    auto target = delegate_ ? delegate_->willSelectRowAtIndexPath(*this, indexPath)
                            : std::optional(indexPath);
    if (!target || !isValid(*target))
        return;
    if (selected_ && *selected_ != *target) {
        auto old = *selected_;
        if (delegate_)
            delegate_->willDeselectRowAtIndexPath(*this, old);
        deselectRowAtIndexPath(old, false);
        if (delegate_)
            delegate_->didDeselectRowAtIndexPath(*this, old);
    }
    if (!isValid(*target))
        return;
    selected_ = target;
    if (auto it = visible_.find(*target); it != visible_.end())
        it->second->setSelected(true, false);
    if (delegate_)
        delegate_->didSelectRowAtIndexPath(*this, *target);
}

void TableView::clearPress() {
    if (!pressed_)
        return;
    if (auto it = visible_.find(*pressed_); it != visible_.end())
        it->second->setHighlighted(false);
    pressed_.reset();
}

void TableView::touchesBegan(TouchSet const& touches, Event* event) {
    ScrollView::touchesBegan(touches, event);
    clearPress();
    auto touch = touches.anyObject();
    if (!allowsSelection_ || !touch)
        return;
    pressed_ = indexPathForRowAtPoint(touch->locationInView(this));
    if (pressed_) {
        if (auto it = visible_.find(*pressed_); it != visible_.end())
            it->second->setHighlighted(true);
    }
}

void TableView::touchesMoved(TouchSet const& touches, Event* event) {
    ScrollView::touchesMoved(touches, event);
    if (touchMoved())
        clearPress();
}

void TableView::touchesEnded(TouchSet const& touches, Event* event) {
    base::Ref<TableView> keep(this);
    auto pressed = pressed_;
    bool tapped = pressed && !touchMoved();
    clearPress();
    ScrollView::touchesEnded(touches, event);
    auto touch = touches.anyObject();
    if (tapped && touch && indexPathForRowAtPoint(touch->locationInView(this)) == pressed)
        userSelect(*pressed);
}

void TableView::touchesCancelled(TouchSet const& touches, Event* event) {
    clearPress();
    ScrollView::touchesCancelled(touches, event);
}

void TableView::layoutSubviews() {
    reloadIfNeeded();
    if (contentSize().width != width()) {
        setContentSize({width(), contentSize().height});
        for (auto const& [path, cell] : visible_) {
            cell->setFrame(rowRect(path));
            cell->layoutIfNeeded();
        }
        placeSupplementaryViews();
    }
    if (backgroundView_)
        backgroundView_->setFrame(bounds());
    tile();
}

void TableView::contentOffsetDidChange() {
    if (!needsReload_)
        tile();
}

void TableView::didMoveToWindow() {
    if (!window())
        return;
    reloadIfNeeded();
    tile();
}

}
