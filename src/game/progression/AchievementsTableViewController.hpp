#pragma once

#include <base/Ref.hpp>
#include <game/progression/Achievement.hpp>
#include <ui/TableViewController.hpp>

#include <vector>

namespace game {

// The list of the achievements screen: every achievement of the book in rows of 80
// points, its picture, title and description, or the locked art for one not yet won.
// The phone shows one achievement a row, the tablet two side by side. The book's
// records are taken once, when the view loads, so progress made while the screen is up
// shows the next time it opens. Rows cannot be selected. Main thread.
class AchievementsTableViewController final : public ui::TableViewController {
public:
    static constexpr char const* cellIdentifier = "Cell";
    static constexpr float rowHeight = 80;

    static base::Ref<AchievementsTableViewController> create();

    void viewDidLoad() override;

    int numberOfRowsInSection(ui::TableView& tableView, int section) override;
    float heightForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
    base::Ref<ui::TableViewCell> cellForRowAtIndexPath(
        ui::TableView& tableView, ui::IndexPath indexPath) override;
    void didSelectRowAtIndexPath(ui::TableView&, ui::IndexPath) override { }

    std::vector<base::Ref<Achievement>> const& achievementsArray() const {
        return achievementsArray_;
    }

private:
    friend base::Factory;
    AchievementsTableViewController() = default;

    // Builds the places of a new cell: one on the phone (tags 1 to 4), two on the
    // tablet (tags 1 to 8).
    void buildPlaces(ui::TableViewCell& cell, float tableWidth);
    // Fills the place whose tags start at firstTag; with no record it is left blank.
    static void fillPlace(ui::TableViewCell& cell, int firstTag, Achievement const* record);

    std::vector<base::Ref<Achievement>> achievementsArray_;
};

}
