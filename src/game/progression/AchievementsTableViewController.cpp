#include <game/progression/AchievementsTableViewController.hpp>

#include <game/progression/AchievementSystem.hpp>
#include <game/shell/Utilities.hpp>

#include <foundation/Bundle.hpp>
#include <graphics/Font.hpp>
#include <ui/Color.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/TableView.hpp>
#include <ui/TableViewCell.hpp>

namespace game {

namespace {

// The tags of a place's views, counted from the place's first tag.
constexpr int iconTag = 0;
constexpr int titleTag = 1;
constexpr int descriptionTag = 2;
constexpr int backgroundTag = 3;

constexpr char const* unlockedBackground = "Achievements_List.png";
constexpr char const* lockedBackground = "Achievements_Bg_Locked.png";
constexpr char const* lockedIcon = "Achievements_Locked.png";
constexpr ui::Color wonColor = ui::Color::colorWithBytes(33, 100, 4);

base::Ref<ui::Label> makeLabel(graphics::Rect frame, float size, int lines) {
    auto label = ui::Label::create(frame);
    label->setFont(graphics::Font::fontWithName("Arial-BoldMT", size));
    label->setNumberOfLines(lines);
    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumFontSize(10);
    label->setBackgroundColor(ui::Color::clearColor());
    return label;
}

}

base::Ref<AchievementsTableViewController> AchievementsTableViewController::create() {
    return base::make<AchievementsTableViewController>();
}

void AchievementsTableViewController::viewDidLoad() {
    achievementsArray_ = AchievementSystem::sharedManager().getAllAchievements();
    if (auto* table = tableView())
        table->setAllowsSelection(false);
}

int AchievementsTableViewController::numberOfRowsInSection(ui::TableView&, int) {
    auto count = int(achievementsArray_.size());
    return Utilities::isiPad() ? (count + 1) / 2 : count;
}

float AchievementsTableViewController::heightForRowAtIndexPath(ui::TableView&, ui::IndexPath) {
    return rowHeight;
}

base::Ref<ui::TableViewCell> AchievementsTableViewController::cellForRowAtIndexPath(
    ui::TableView& tableView, ui::IndexPath indexPath) {
    auto cell = tableView.dequeueReusableCellWithIdentifier(cellIdentifier);
    if (!cell) {
        cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, cellIdentifier);
        buildPlaces(*cell, tableView.bounds().size.width);
    }
    auto record = [this](std::size_t index) -> Achievement const* {
        return index < achievementsArray_.size() ? achievementsArray_[index].get() : nullptr;
    };
    auto row = std::size_t(indexPath.row);
    if (Utilities::isiPad()) {
        fillPlace(*cell, 1, record(2 * row));
        fillPlace(*cell, 5, record(2 * row + 1));
    } else {
        fillPlace(*cell, 1, record(row));
    }
    return cell;
}

void AchievementsTableViewController::buildPlaces(ui::TableViewCell& cell, float tableWidth) {
    auto background = ui::Image::imageNamed(unlockedBackground);
    auto size = background ? background->size() : graphics::makeSize(370, 80);
    std::vector<std::pair<int, float>> places; // first tag and centre x
    if (Utilities::isiPad())
        places = {{1, tableWidth * 0.25f}, {5, tableWidth * 0.75f}};
    else
        places = {{1, tableWidth / 2}};
    for (auto [firstTag, centreX] : places) {
        auto place = ui::ImageView::create(graphics::makeRect(0, 0, size.width, size.height));
        place->setImage(background);
        place->setCenter(graphics::makePoint(centreX, rowHeight / 2));
        place->setTag(firstTag + backgroundTag);

        auto icon = ui::ImageView::create(graphics::makeRect(0, 0, 60, 60));
        icon->setCenter(graphics::makePoint(40, size.height / 2));
        icon->setTag(firstTag + iconTag);
        place->addSubview(icon);

        auto title = makeLabel(graphics::makeRect(80, 0, 290, 28), 18, 1);
        title->setTextColor(ui::Color::whiteColor());
        title->setTag(firstTag + titleTag);
        place->addSubview(title);

        auto description = makeLabel(graphics::makeRect(80, 28, 290, 36), 14, 2);
        description->setTag(firstTag + descriptionTag);
        place->addSubview(description);

        cell.contentView()->addSubview(place);
    }
}

void AchievementsTableViewController::fillPlace(
    ui::TableViewCell& cell, int firstTag, Achievement const* record) {
    auto* content = cell.contentView();
    auto* background = dynamic_cast<ui::ImageView*>(content->viewWithTag(firstTag + backgroundTag));
    auto* icon = dynamic_cast<ui::ImageView*>(content->viewWithTag(firstTag + iconTag));
    auto* title = dynamic_cast<ui::Label*>(content->viewWithTag(firstTag + titleTag));
    auto* description = dynamic_cast<ui::Label*>(content->viewWithTag(firstTag + descriptionTag));
    if (!background || !icon || !title || !description)
        return;
    if (!record) {
        background->setImage(nullptr);
        icon->setImage(nullptr);
        title->setText({});
        description->setText({});
        return;
    }
    // A completed achievement without a picture still shows locked.
    bool unlocked = record->percent() >= 100 && !record->picName().empty();
    icon->setImage(ui::Image::imageNamed(unlocked ? record->picName() : lockedIcon));
    background->setImage(ui::Image::imageNamed(unlocked ? unlockedBackground : lockedBackground));
    description->setTextColor(unlocked ? wonColor : ui::Color::darkGrayColor());
    auto& bundle = foundation::Bundle::mainBundle();
    title->setText(bundle.localizedString(record->title()));
    description->setText(bundle.localizedString(record->desc()));
}

}
