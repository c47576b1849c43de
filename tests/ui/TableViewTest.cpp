#include "ControllerFixture.hpp"

#include <support/LogCapture.hpp>

#include <ui/TableView.hpp>
#include <ui/TableViewCell.hpp>
#include <ui/TableViewController.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

using base::Ref;
using test::Journal;
using ui::IndexPath;
using ui::TableView;
using ui::TableViewCell;
using Entries = std::vector<std::string>;

namespace {

std::string text(IndexPath p) {
    return std::to_string(p.section) + "." + std::to_string(p.row);
}

// Rows named "section.row", cells made or reused under "Cell", every call written
// down.
class Rows : public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    explicit Rows(Journal& journal)
        : journal_(journal) { }

    std::vector<int> counts {100};
    std::map<int, std::string> titles;
    std::function<float(IndexPath)> height;
    std::function<std::optional<IndexPath>(IndexPath)> willSelect;
    std::set<TableViewCell*> made;
    int reused {0};
    bool giveNoCell {false};

    int numberOfSectionsInTableView(TableView&) override { return int(counts.size()); }
    int numberOfRowsInSection(TableView&, int section) override {
        return counts[std::size_t(section)];
    }
    std::string titleForHeaderInSection(TableView&, int section) override {
        return titles.contains(section) ? titles[section] : std::string();
    }
    Ref<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath p) override {
        journal_.add("cell " + text(p));
        if (giveNoCell)
            return nullptr;
        auto cell = table.dequeueReusableCellWithIdentifier("Cell");
        if (cell) {
            ++reused;
        } else {
            cell = TableViewCell::create(ui::TableViewCellStyle::Subtitle, "Cell");
            made.insert(cell.get());
        }
        cell->textLabel()->setText(text(p));
        return cell;
    }
    float heightForRowAtIndexPath(TableView& table, IndexPath p) override {
        return height ? height(p) : TableViewDelegate::heightForRowAtIndexPath(table, p);
    }
    void willDisplayCell(TableView&, TableViewCell& cell, IndexPath p) override {
        if (cell.textLabel()->text() != text(p))
            journal_.add("display mismatch " + text(p));
    }
    std::optional<IndexPath> willSelectRowAtIndexPath(TableView&, IndexPath p) override {
        journal_.add("willSelect " + text(p));
        return willSelect ? willSelect(p) : std::optional(p);
    }
    void didSelectRowAtIndexPath(TableView&, IndexPath p) override {
        journal_.add("didSelect " + text(p));
    }
    void willDeselectRowAtIndexPath(TableView&, IndexPath p) override {
        journal_.add("willDeselect " + text(p));
    }
    void didDeselectRowAtIndexPath(TableView&, IndexPath p) override {
        journal_.add("didDeselect " + text(p));
    }

private:
    Journal& journal_;
};

class TableViewTest : public test::ControllerTest {
protected:
    TableViewTest() {
        table->setDataSource(&rows);
        table->setDelegate(&rows);
    }
    void show() { window->addSubview(table); }
    // The rows that have cells, as "section.row".
    Entries shownRows() {
        Entries shown;
        for (auto const& p : table->indexPathsForVisibleRows())
            shown.push_back(text(p));
        return shown;
    }
    static Entries cellCalls(int from, int to) {
        Entries calls;
        for (int row = from; row <= to; ++row)
            calls.push_back("cell 0." + std::to_string(row));
        return calls;
    }

    Journal journal;
    Rows rows {journal};
    Ref<TableView> table = TableView::create(graphics::makeRect(0, 0, 480, 320));
};

}

TEST_F(TableViewTest, AsksForCellsOfTheRowsInSightOnly) {
    show();
    // 320 points show rows 0 to 7 of 44 points each.
    EXPECT_EQ(journal.take(), cellCalls(0, 7));
    EXPECT_EQ(shownRows().size(), 8u);
    EXPECT_EQ(table->contentSize(), (graphics::Size {480, 4400}));
    EXPECT_EQ(table->numberOfRowsInSection(0), 100);
    EXPECT_EQ(table->numberOfSections(), 1);
    EXPECT_EQ(journal.take(), Entries {});
}

TEST_F(TableViewTest, ScrollingReusesTheCellsThatLeftSight) {
    show();
    journal.take();
    std::set<TableViewCell*> before;
    for (auto const& cell : table->visibleCells())
        before.insert(cell.get());

    table->setContentOffset({0, 3 * 44});
    EXPECT_EQ(journal.take(), cellCalls(8, 10));
    EXPECT_EQ(rows.reused, 3);
    EXPECT_EQ(rows.made.size(), 8u);
    EXPECT_EQ(shownRows(), (Entries {"0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "0.10"}));
    for (auto const& cell : table->visibleCells())
        EXPECT_TRUE(before.contains(cell.get()));
    EXPECT_EQ(table->reusableCellCount("Cell"), 0u);

    table->setContentOffset({0, 3 * 44 + 50});
    EXPECT_EQ(journal.take(), cellCalls(11, 11)) << "the new row in sight only";
    EXPECT_EQ(table->reusableCellCount("Cell"), 0u);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 3}), nullptr);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 11})->textLabel()->text(), "0.11");
}

TEST_F(TableViewTest, DraggingAsksForTheRowsThatComeIntoSightAsTheyCome) {
    show();
    journal.take();
    window->injectTouch(ui::TouchPhase::Began, {200, 300}, 1, 1);
    window->injectTouch(ui::TouchPhase::Moved, {200, 289}, 1, 1.1);
    EXPECT_EQ(journal.take(), Entries {}) << "nothing new in sight yet";
    window->injectTouch(ui::TouchPhase::Moved, {200, 245}, 1, 1.2);
    EXPECT_EQ(journal.take(), cellCalls(8, 8));
    window->injectTouch(ui::TouchPhase::Moved, {200, 157}, 1, 1.3);
    EXPECT_EQ(journal.take(), cellCalls(9, 10));
    window->injectTouch(ui::TouchPhase::Ended, {200, 157}, 1, 2);
    EXPECT_EQ(table->contentOffset().y, 132);
    EXPECT_EQ(journal.take(), Entries {}) << "a drag selects nothing";
    EXPECT_EQ(rows.made.size(), 8u);
}

TEST_F(TableViewTest, RowHeightsAndSectionHeadersPlaceTheRows) {
    rows.counts = {2, 3};
    rows.titles = {{1, "Second"}};
    rows.height = [](IndexPath p) { return p.section == 0 ? 80.0f : 30.0f; };
    show();
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 1}), graphics::makeRect(0, 80, 480, 80));
    EXPECT_EQ(table->rectForHeaderInSection(0), graphics::makeRect(0, 0, 480, 0));
    EXPECT_EQ(table->rectForFooterInSection(0), graphics::makeRect(0, 160, 480, 0));
    EXPECT_EQ(table->rectForHeaderInSection(1), graphics::makeRect(0, 160, 480, 22));
    EXPECT_EQ(table->rectForRowAtIndexPath({1, 2}), graphics::makeRect(0, 242, 480, 30));
    EXPECT_EQ(table->rectForSection(1), graphics::makeRect(0, 160, 480, 112));
    EXPECT_EQ(table->contentSize().height, 272);
    EXPECT_EQ(table->headerViewForSection(0), nullptr);
    ASSERT_NE(table->headerViewForSection(1), nullptr);
    EXPECT_EQ(table->headerViewForSection(1)->frame(), table->rectForHeaderInSection(1));
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 170}), std::nullopt) << "on the header";
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 190}), (IndexPath {1, 0}));
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 300}), std::nullopt);
    EXPECT_EQ(table->rectForRowAtIndexPath({2, 0}), graphics::Rect {});
}

TEST_F(TableViewTest, TapSelectsARowAndTheNextTapMovesTheSelection) {
    show();
    journal.take();
    tapAt({100, 50});
    EXPECT_EQ(journal.take(), (Entries {"willSelect 0.1", "didSelect 0.1"}));
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath {0, 1}));
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 1})->isSelected());
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 1})->isHighlighted());

    tapAt({100, 140});
    EXPECT_EQ(journal.take(),
        (Entries {"willSelect 0.3", "willDeselect 0.1", "didDeselect 0.1", "didSelect 0.3"}));
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 1})->isSelected());
}

TEST_F(TableViewTest, DelegateMayRedirectOrRefuseASelection) {
    show();
    journal.take();
    rows.willSelect = [](IndexPath p) -> std::optional<IndexPath> {
        if (p.row == 2)
            return std::nullopt;
        return IndexPath {0, 0};
    };
    tapAt({100, 100});
    EXPECT_EQ(journal.take(), Entries {"willSelect 0.2"});
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
    tapAt({100, 140});
    EXPECT_EQ(journal.take(), (Entries {"willSelect 0.3", "didSelect 0.0"}));
    table->setAllowsSelection(false);
    tapAt({100, 100});
    EXPECT_EQ(journal.take(), Entries {});
}

TEST_F(TableViewTest, FingerDownHighlightsTheRowUntilItLiftsOrDrags) {
    show();
    window->injectTouch(ui::TouchPhase::Began, {100, 50}, 1, 1);
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 1})->isHighlighted());
    window->injectTouch(ui::TouchPhase::Moved, {100, 20}, 1, 1.1);
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 1})->isHighlighted());
    window->injectTouch(ui::TouchPhase::Ended, {100, 20}, 1, 1.5);
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
}

TEST_F(TableViewTest, ReloadAsksAgainAndClearsTheSelection) {
    show();
    table->selectRowAtIndexPath(IndexPath {0, 2}, false, ui::TableViewScrollPosition::None);
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 2})->isSelected());
    journal.take();
    rows.counts = {3};
    table->reloadData();
    EXPECT_EQ(journal.take(), cellCalls(0, 2));
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
    EXPECT_EQ(rows.reused, 3);
    EXPECT_EQ(table->reusableCellCount("Cell"), 5u);
    for (auto const& cell : table->visibleCells())
        EXPECT_FALSE(cell->isSelected()) << "reused cells come back cleared";
}

TEST_F(TableViewTest, ReloadOfShorterDataBringsTheOffsetBackInside) {
    show();
    table->setContentOffset({0, 2000});
    rows.counts = {10};
    table->reloadData();
    EXPECT_EQ(table->contentOffset().y, 440 - 320);
    EXPECT_EQ(shownRows().back(), "0.9");
}

TEST_F(TableViewTest, BadAnswersOfTheDataSourceGiveEmptyRows) {
    test::LogCapture log;
    rows.counts = {-5, 2};
    rows.giveNoCell = true;
    show();
    EXPECT_EQ(table->numberOfRowsInSection(0), 0);
    EXPECT_EQ(table->numberOfRowsInSection(1), 2);
    EXPECT_TRUE(log.contains("negative"));
    EXPECT_TRUE(log.contains("no cell"));
    ASSERT_NE(table->cellForRowAtIndexPath({1, 1}), nullptr);
    EXPECT_EQ(table->cellForRowAtIndexPath({1, 1})->reuseIdentifier(), "");
}

TEST_F(TableViewTest, ScrollToRowPlacesItAsAsked) {
    show();
    struct Case {
        ui::TableViewScrollPosition position;
        float offset;
    };
    Case const cases[] = {
        {ui::TableViewScrollPosition::Top, 20 * 44},
        {ui::TableViewScrollPosition::Middle, 20 * 44 + 22 - 160},
        {ui::TableViewScrollPosition::Bottom, 21 * 44 - 320},
        {ui::TableViewScrollPosition::Top, 20 * 44},
        {ui::TableViewScrollPosition::None, 20 * 44},
    };
    for (auto const& c : cases) {
        table->scrollToRowAtIndexPath({0, 20}, c.position, false);
        EXPECT_EQ(table->contentOffset().y, c.offset) << int(c.position);
    }
    table->scrollToRowAtIndexPath({0, 99}, ui::TableViewScrollPosition::Top, true);
    run(0.4);
    EXPECT_EQ(table->contentOffset().y, 4400 - 320) << "never past the end";
}

TEST(TableViewCell, StylesHaveTheirLabelsAndReuseClearsTheState) {
    auto plain = TableViewCell::create(ui::TableViewCellStyle::Default, "Cell");
    EXPECT_EQ(plain->detailTextLabel(), nullptr);
    auto subtitle = TableViewCell::create(ui::TableViewCellStyle::Subtitle, "Cell");
    subtitle->textLabel()->setText("Title");
    subtitle->detailTextLabel()->setText("Detail");
    subtitle->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    subtitle->setFrame(graphics::makeRect(0, 0, 320, 60));
    subtitle->layoutIfNeeded();
    EXPECT_EQ(subtitle->contentView()->frame().size.width, 290);
    EXPECT_LT(subtitle->textLabel()->frame().maxY(), subtitle->detailTextLabel()->frame().maxY());
    EXPECT_EQ(subtitle->textLabel()->superview(), subtitle->contentView());

    subtitle->setSelected(true);
    subtitle->setHighlighted(true);
    subtitle->prepareForReuse();
    EXPECT_FALSE(subtitle->isSelected());
    EXPECT_FALSE(subtitle->isHighlighted());
    EXPECT_EQ(subtitle->textLabel()->text(), "Title") << "the texts are the data source's to set";
}

namespace {

class ListController : public ui::TableViewController {
public:
    int numberOfRowsInSection(TableView&, int) override { return 3; }
    Ref<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath p) override {
        auto cell = table.dequeueReusableCellWithIdentifier("Cell");
        if (!cell)
            cell = TableViewCell::create(ui::TableViewCellStyle::Default, "Cell");
        cell->textLabel()->setText(text(p));
        return cell;
    }
    float heightForRowAtIndexPath(TableView&, IndexPath) override { return 80; }

private:
    friend base::Factory;

    ListController() = default;
};

}

TEST_F(TableViewTest, TableControllerServesItsOwnTable) {
    auto controller = base::make<ListController>();
    window->setRootViewController(controller);
    auto list = controller->tableView();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->dataSource(), controller.get());
    EXPECT_EQ(list->visibleCells().size(), 3u);
    EXPECT_EQ(list->rectForRowAtIndexPath({0, 2}), graphics::makeRect(0, 160, 480, 80));

    list->selectRowAtIndexPath(IndexPath {0, 1}, false, ui::TableViewScrollPosition::None);
    window->setRootViewController(nullptr);
    window->setRootViewController(controller);
    EXPECT_EQ(list->indexPathForSelectedRow(), std::nullopt) << "cleared as the view appears";
}
