// The achievements screen and its list over the progression fixture's book of 42.

#include "ProgressionFixture.hpp"

#include <foundation/PropertyList.hpp>
#include <game/progression/AchievementSystem.hpp>
#include <game/progression/AchievementsViewController.hpp>
#include <game/shell/ShellServices.hpp>
#include <ui/Button.hpp>
#include <ui/Device.hpp>
#include <ui/GKAchievementViewController.hpp>
#include <ui/GKLeaderboardViewController.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/TableView.hpp>
#include <ui/TableViewCell.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

namespace test {
namespace {

using game::AchievementsTableViewController;
using game::AchievementsViewController;

class AchievementsScreenTest : public ProgressionFixture {
protected:
    AchievementsScreenTest() { ui::Device::currentDevice().setSystemVersion("5.0"); }
    ~AchievementsScreenTest() override {
        ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Phone);
    }

    static void useTablet(bool tablet) {
        ui::Device::currentDevice().setUserInterfaceIdiom(
            tablet ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
    }
    // Keeps only the first count achievements in the bundle's book, before it is read.
    void keepFirst(int count) {
        auto path = (sandbox / "bundle/Achievements.plist").string();
        auto list = foundation::PropertyList::propertyListWithContentsOfFile(path).arrayRef();
        auto trimmed = base::Array::create();
        for (int i = 0; i < count; ++i)
            trimmed->add(list->at(std::size_t(i)));
        foundation::PropertyList::writeToFile(base::Value(trimmed), path);
    }
    static ui::Label* label(ui::TableViewCell& cell, int tag) {
        return dynamic_cast<ui::Label*>(cell.contentView()->viewWithTag(tag));
    }
    static ui::ImageView* imageView(ui::TableViewCell& cell, int tag) {
        return dynamic_cast<ui::ImageView*>(cell.contentView()->viewWithTag(tag));
    }
};

}

TEST_F(AchievementsScreenTest, ThePhoneShowsOneAchievementARowGreyedUntilWonWithAPicture) {
    auto& book = game::AchievementSystem::sharedManager();
    auto all = book.getAllAchievements();
    all[0]->setPercent(100);
    all[1]->setPercent(100);
    all[1]->setPicName(""); // won, but no picture: still shown locked
    all[2]->setPercent(99);

    auto screen = AchievementsViewController::create();
    screen->view();
    auto* list = screen->tableViewController();
    auto& table = *list->tableView();
    EXPECT_FALSE(table.allowsSelection());
    EXPECT_EQ(list->numberOfRowsInSection(table, 0), 42);
    EXPECT_EQ(list->heightForRowAtIndexPath(table, {0, 0}), 80);

    struct Row {
        int row;
        bool won;
        char const* title;
    };
    Row const rows[] = {
        {0, true, "First Treasure"},
        {1, false, "Fifty %d%n %s days"}, // a localized text is shown as it stands
        {2, false, "T_ach_100days"},
    };
    for (auto const& r : rows) {
        auto cell = list->cellForRowAtIndexPath(table, {0, r.row});
        ASSERT_TRUE(cell) << r.row;
        EXPECT_EQ(cell->reuseIdentifier(), "Cell");
        for (int tag = 1; tag <= 4; ++tag)
            EXPECT_NE(cell->contentView()->viewWithTag(tag), nullptr) << r.row << " tag " << tag;
        EXPECT_EQ(cell->contentView()->viewWithTag(5), nullptr) << r.row;
        EXPECT_EQ(label(*cell, 2)->text(), r.title) << r.row;
        EXPECT_EQ(label(*cell, 3)->textColor(),
            r.won ? ui::Color::colorWithBytes(33, 100, 4) : ui::Color::darkGrayColor())
            << r.row;
        EXPECT_EQ(label(*cell, 3)->numberOfLines(), 2);
        EXPECT_EQ(imageView(*cell, 4)->center().x, table.bounds().size.width / 2);
    }
}

TEST_F(AchievementsScreenTest, TheTabletPairsAchievementsAndLeavesTheLastRightPlaceBlank) {
    useTablet(true);
    keepFirst(41);
    auto screen = AchievementsViewController::create();
    screen->view();
    auto* list = screen->tableViewController();
    auto& table = *list->tableView();
    ASSERT_EQ(list->achievementsArray().size(), 41u);
    EXPECT_EQ(list->numberOfRowsInSection(table, 0), 21);

    float width = table.bounds().size.width;
    auto first = list->cellForRowAtIndexPath(table, {0, 0});
    EXPECT_EQ(imageView(*first, 4)->center().x, width * 0.25f);
    EXPECT_EQ(imageView(*first, 8)->center().x, width * 0.75f);
    EXPECT_EQ(label(*first, 2)->text(), "First Treasure");
    EXPECT_EQ(label(*first, 6)->text(), "Fifty %d%n %s days");

    auto last = list->cellForRowAtIndexPath(table, {0, 20});
    EXPECT_FALSE(label(*last, 2)->text().empty());
    EXPECT_EQ(label(*last, 6)->text(), "");
    EXPECT_EQ(label(*last, 7)->text(), "");
    EXPECT_EQ(imageView(*last, 5)->image(), nullptr);
    EXPECT_EQ(imageView(*last, 8)->image(), nullptr);
}

TEST_F(AchievementsScreenTest, TheServiceButtonsShowOnlyWithTheServiceAndOpenItsScreens) {
    struct Case {
        char const* version;
        bool shown;
    };
    for (auto const& c : {Case {"4.0", false}, Case {"4.1", true}}) {
        ui::Device::currentDevice().setSystemVersion(c.version);
        auto screen = AchievementsViewController::create();
        screen->setTitleStr("Achievements");
        screen->view();
        EXPECT_EQ(screen->titleLabel()->text(), "Achievements");
        EXPECT_EQ(screen->iGameCenterView()->isHidden(), !c.shown) << c.version;
    }

    auto screen = AchievementsViewController::create();
    screen->view();
    screen->leaderboardButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    auto* board = dynamic_cast<ui::GKLeaderboardViewController*>(screen->presentedViewController());
    ASSERT_NE(board, nullptr);
    board->done();
    run(1);
    screen->achievementsButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_NE(
        dynamic_cast<ui::GKAchievementViewController*>(screen->presentedViewController()), nullptr);
}

TEST_F(AchievementsScreenTest, CloseDismissesTheScreenWithoutTheService) {
    ui::Device::currentDevice().setSystemVersion("4.0");
    auto window = ui::Window::create({{0, 0}, {480, 320}});
    window->makeKeyAndVisible();
    auto opener = ui::ViewController::create();
    window->addSubview(base::Ref<ui::View>(opener->view()));
    auto screen = AchievementsViewController::create();
    opener->presentViewController(screen, false);
    run(1);
    ASSERT_EQ(opener->presentedViewController(), screen.get());
    EXPECT_TRUE(screen->iGameCenterView()->isHidden());
    screen->closeButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    run(1);
    EXPECT_EQ(opener->presentedViewController(), nullptr);
    EXPECT_TRUE(
        screen->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(
        screen->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
}

}
