#pragma once

#include <base/Ref.hpp>
#include <ui/ScrollView.hpp>
#include <ui/TableViewCell.hpp>

#include <compare>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// A row of a section.
struct IndexPath {
    int section {0};
    int row {0};

    static IndexPath indexPathForRow(int row, int section) { return {section, row}; }

    auto operator<=>(IndexPath const&) const = default;
};

enum class TableViewStyle {
    Plain = 0,
    Grouped = 1,
};

enum class TableViewScrollPosition {
    None = 0,
    Top = 1,
    Middle = 2,
    Bottom = 3,
};

enum class TableViewCellSeparatorStyle {
    None = 0,
    SingleLine = 1,
    SingleLineEtched = 2,
};

// Where a table's rows come from. The table asks for the counts and titles of
// every section when it reloads, and for a cell only when its row comes into
// sight; a data source normally dequeues a reusable cell and fills it.
class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;

    virtual int numberOfRowsInSection(TableView& tableView, int section) = 0;
    virtual base::Ref<TableViewCell> cellForRowAtIndexPath(
        TableView& tableView, IndexPath indexPath)
        = 0;
    virtual int numberOfSectionsInTableView(TableView&) { return 1; }
    virtual std::string titleForHeaderInSection(TableView&, int) { return {}; }
    virtual std::string titleForFooterInSection(TableView&, int) { return {}; }
};

// What a table asks and tells its delegate, beyond the scroll view's calls.
// Heights are asked for every row and section when the table reloads. A tap on a
// row brings willSelectRowAtIndexPath (which may choose another row or none), the
// deselection of the row selected before, and didSelectRowAtIndexPath. Every
// operation is optional.
class TableViewDelegate : public ScrollViewDelegate {
public:
    // The table's rowHeight by default.
    virtual float heightForRowAtIndexPath(TableView& tableView, IndexPath indexPath);
    // The table's standard heights by default.
    virtual float heightForHeaderInSection(TableView& tableView, int section);
    virtual float heightForFooterInSection(TableView& tableView, int section);
    virtual base::Ref<View> viewForHeaderInSection(TableView&, int) { return nullptr; }
    virtual base::Ref<View> viewForFooterInSection(TableView&, int) { return nullptr; }
    // Just before a cell appears for a row.
    virtual void willDisplayCell(TableView&, TableViewCell&, IndexPath) { }
    virtual std::optional<IndexPath> willSelectRowAtIndexPath(TableView&, IndexPath indexPath) {
        return indexPath;
    }
    virtual void didSelectRowAtIndexPath(TableView&, IndexPath) { }
    virtual void willDeselectRowAtIndexPath(TableView&, IndexPath) { }
    virtual void didDeselectRowAtIndexPath(TableView&, IndexPath) { }
};

// A scrolling column of rows in sections, each section with an optional header and
// footer (a title shown in a plain header view, or a view of the delegate's), and
// an optional view above and below all sections. Only the rows in sight have
// cells: a cell that scrolls out goes to the reuse pool of its identifier, from
// which dequeueReusableCellWithIdentifier hands it out again. The table loads its
// data on first need (first layout, entering a window, or a question about its
// rows) and again on reloadData, which also clears the selection. A tap on a row
// (a touch that lifts without dragging) selects it. Data sources that answer
// negative counts or heights get 0 (with a logged line), and a row whose cell
// does not come shows empty. Data source and delegate are not retained. Main
// thread only.
class TableView : public ScrollView {
public:
    static constexpr float DefaultRowHeight = 44;
    static constexpr float DefaultSectionHeaderHeight = 22;

    // initWithFrame:style:.
    static base::Ref<TableView> create(
        graphics::Rect frame, TableViewStyle style = TableViewStyle::Plain);

    ~TableView() override;

    TableViewStyle style() const { return style_; }
    TableViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(TableViewDataSource* dataSource);
    TableViewDelegate* delegate() const { return delegate_; }
    // Also the scroll view's delegate.
    void setDelegate(TableViewDelegate* delegate);

    float rowHeight() const { return rowHeight_; }
    void setRowHeight(float height);
    float sectionHeaderHeight() const { return sectionHeaderHeight_; }
    void setSectionHeaderHeight(float height) { sectionHeaderHeight_ = height; }
    float sectionFooterHeight() const { return sectionFooterHeight_; }
    void setSectionFooterHeight(float height) { sectionFooterHeight_ = height; }
    // The height of a section's header (footer) without a delegate's answer: the
    // section height when the section has a title or a view for it, else 0.
    float standardHeaderHeight(int section) const;
    float standardFooterHeight(int section) const;

    TableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
    void setSeparatorStyle(TableViewCellSeparatorStyle style) { separatorStyle_ = style; }
    View* tableHeaderView() const { return tableHeaderView_.get(); }
    void setTableHeaderView(base::Ref<View> view);
    View* tableFooterView() const { return tableFooterView_.get(); }
    void setTableFooterView(base::Ref<View> view);
    View* backgroundView() const { return backgroundView_.get(); }
    void setBackgroundView(base::Ref<View> view);
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
    bool isEditing() const { return editing_; }
    void setEditing(bool editing, bool = false) { editing_ = editing; }

    void reloadData();
    // Asks the data source again for the cells of these rows, where in sight.
    void reloadRowsAtIndexPaths(std::vector<IndexPath> const& indexPaths);

    int numberOfSections();
    int numberOfRowsInSection(int section);
    // Rectangles in the table's content coordinates; empty for what does not exist.
    graphics::Rect rectForSection(int section);
    graphics::Rect rectForHeaderInSection(int section);
    graphics::Rect rectForFooterInSection(int section);
    graphics::Rect rectForRowAtIndexPath(IndexPath indexPath);
    std::optional<IndexPath> indexPathForRowAtPoint(graphics::Point point);
    std::vector<IndexPath> indexPathsForRowsInRect(graphics::Rect rect);
    std::optional<IndexPath> indexPathForCell(TableViewCell const* cell) const;
    // The cell of a row in sight; null otherwise.
    TableViewCell* cellForRowAtIndexPath(IndexPath indexPath);
    // The cells in sight, by row.
    std::vector<base::Ref<TableViewCell>> visibleCells();
    std::vector<IndexPath> indexPathsForVisibleRows();
    // The header (footer) view shown for a section, made from its title or given by
    // the delegate; null when it has none.
    View* headerViewForSection(int section);
    View* footerViewForSection(int section);

    void scrollToRowAtIndexPath(
        IndexPath indexPath, TableViewScrollPosition position, bool animated);

    // A cell put aside under identifier, readied with prepareForReuse; null when
    // the pool is empty.
    base::Ref<TableViewCell> dequeueReusableCellWithIdentifier(std::string const& identifier);
    // How many cells wait in the pool of identifier.
    std::size_t reusableCellCount(std::string const& identifier) const;

    std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }
    // Selects (or, with none, clears) without telling the delegate.
    void selectRowAtIndexPath(
        std::optional<IndexPath> indexPath, bool animated, TableViewScrollPosition position);
    void deselectRowAtIndexPath(IndexPath indexPath, bool animated);

    void touchesBegan(TouchSet const& touches, Event* event) override;
    void touchesMoved(TouchSet const& touches, Event* event) override;
    void touchesEnded(TouchSet const& touches, Event* event) override;
    void touchesCancelled(TouchSet const& touches, Event* event) override;

    void layoutSubviews() override;

protected:
    void contentOffsetDidChange() override;
    void didMoveToWindow() override;

private:
    struct Section {
        float top {0};
        float headerHeight {0};
        float footerHeight {0};
        std::vector<float> rowTops;
        std::vector<float> rowHeights;
        std::string headerTitle;
        std::string footerTitle;
        base::Ref<View> headerView;
        base::Ref<View> footerView;
        float rowsHeight() const;
        float height() const { return headerHeight + rowsHeight() + footerHeight; }
    };

    void reloadIfNeeded();
    bool isValid(IndexPath indexPath) const;
    graphics::Rect rowRect(IndexPath indexPath) const;
    // Takes cells out of sight, brings cells into sight.
    void tile();
    void showCell(IndexPath indexPath);
    void putAside(base::Ref<TableViewCell> const& cell);
    void placeSupplementaryViews();
    void clearPress();
    void userSelect(IndexPath indexPath);
    float width() const { return bounds().size.width; }

    TableViewStyle style_;
    TableViewDataSource* dataSource_ {nullptr};
    TableViewDelegate* delegate_ {nullptr};
    float rowHeight_ {DefaultRowHeight};
    float sectionHeaderHeight_ {DefaultSectionHeaderHeight};
    float sectionFooterHeight_ {DefaultSectionHeaderHeight};
    TableViewCellSeparatorStyle separatorStyle_ {TableViewCellSeparatorStyle::SingleLine};
    base::Ref<View> tableHeaderView_;
    base::Ref<View> tableFooterView_;
    base::Ref<View> backgroundView_;
    bool allowsSelection_ {true};
    bool editing_ {false};

    bool needsReload_ {true};
    bool tiling_ {false};
    std::vector<Section> sections_;
    std::map<IndexPath, base::Ref<TableViewCell>> visible_;
    std::map<std::string, std::vector<base::Ref<TableViewCell>>> reusable_;
    std::optional<IndexPath> selected_;
    std::optional<IndexPath> pressed_;

    friend base::Factory;

    TableView(graphics::Rect frame, TableViewStyle style);
};

}
