#include "HudFixture.hpp"

#include <game/interface/CCTabBar.hpp>
#include <game/shell/DataManager.hpp>

#include <gtest/gtest.h>

#include <vector>

namespace {

using game::CCTabBar;

class CCTabBarTest : public test::HudTest, public game::CCTabBarDelegate {
protected:
    void SetUp() override {
        HudTest::SetUp();
        bar = CCTabBar::init();
        bar->setBarPosition({2, 290});
        bar->setDelegate(this);
        layer->addChild(bar, 10002);
    }
    void addFourTabs() {
        for (char const* icon :
            {"tab_staffs.png", "tab_device.png", "tab_wall.png", "tab_pet_pt.png"})
            bar->addTab(icon);
    }
    void ccTabBar(CCTabBar&, int tab) override { told.push_back(tab); }

    // The top edge of each tab.
    std::vector<float> tops() const {
        std::vector<float> edges;
        for (auto const& tab : bar->tabs())
            edges.push_back(tab->position().y + tab->contentSize().height / 2);
        return edges;
    }
    void noHint() { game::DataManager::setBool(true, CCTabBar::firstRunKey); }

    base::Ref<CCTabBar> bar;
    std::vector<int> told;
};

TEST_F(CCTabBarTest, LayoutOverlapsNeighboursAndHighlightsTheSelectedTab) {
    addFourTabs();
    auto const& tabs = bar->tabs();
    ASSERT_EQ(tabs.size(), 4u);
    float x = 2;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        auto size = tabs[i]->contentSize();
        EXPECT_EQ(tabs[i]->position(), (engine::Point {x + size.width / 2, 340 - size.height / 2}));
        EXPECT_EQ(tabs[i]->texture(), texture(i == 0 ? "tab2.png" : "tab1.png"));
        x += size.width - 5;
    }
    EXPECT_TRUE(bar->isRetracted());
}

TEST_F(CCTabBarTest, SlideStates) {
    noHint();
    addFourTabs();
    struct Step {
        char const* what;
        void (CCTabBar::*op)();
        float after;
        bool retracted, inTransition;
        float top;
    };
    Step const steps[] = {
        {"extend", &CCTabBar::extendTabs, 0.4f, false, true, 315},
        {"extended", nullptr, 0.5f, false, false, 290},
        {"extend again: ignored", &CCTabBar::extendTabs, 0.1f, false, false, 290},
        {"retract", &CCTabBar::retractTabs, 0.9f, true, false, 340},
        {"retract again: ignored", &CCTabBar::retractTabs, 0.1f, true, false, 340},
        {"extend, then retract half way", &CCTabBar::extendTabs, 0.4f, false, true, 315},
        {"retract from there", &CCTabBar::retractTabs, 0.5f, true, true, 346.5f},
        {"still ends in place", nullptr, 0.4f, true, false, 340},
    };
    for (auto const& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.op)
            (bar.get()->*step.op)();
        seconds(step.after);
        EXPECT_EQ(bar->isRetracted(), step.retracted);
        EXPECT_EQ(bar->inTransition(), step.inTransition);
        for (float top : tops())
            EXPECT_NEAR(top, step.top, 1.5f);
    }
}

TEST_F(CCTabBarTest, SelectionDuringASlideShowsWhenTheSlideEnds) {
    noHint();
    addFourTabs();
    bar->extendTabs();
    seconds(0.2f);
    bar->selectTab(2, false);
    EXPECT_EQ(told, (std::vector<int> {2}));
    EXPECT_EQ(bar->selectedTab(), 2);
    EXPECT_EQ(bar->tabs()[2]->texture(), texture("tab1.png"));
    seconds(0.7f);
    EXPECT_EQ(bar->tabs()[2]->texture(), texture("tab2.png"));
    EXPECT_EQ(bar->tabs()[0]->texture(), texture("tab1.png"));
}

TEST_F(CCTabBarTest, OutOfRangeOrCurrentSelectionsAndSilentOnesTellNobody) {
    addFourTabs();
    for (int index : {0, -1, 4, 9})
        bar->selectTab(index, false);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(bar->selectedTab(), 0);
    bar->selectTab(3, true);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(bar->selectedTab(), 3);
}

TEST_F(CCTabBarTest, TouchesPassOnUnlessTheTabsAreOutOrComingOut) {
    noHint();
    addFourTabs();
    auto on = [&](std::size_t i) {
        auto* tab = bar->tabs()[i].get();
        return engine::Point {tab->position().x, tab->position().y};
    };
    auto touches = touchAt(on(1));
    EXPECT_FALSE(bar->ccTouchesBegan(touches, nullptr)) << "retracted";
    bar->extendTabs();
    seconds(0.1f);
    touches = touchAt(on(1));
    EXPECT_TRUE(bar->ccTouchesBegan(touches, nullptr)) << "extending";
    EXPECT_EQ(told, (std::vector<int> {1}));
    seconds(1);
    touches = touchAt(on(1));
    EXPECT_TRUE(bar->ccTouchesBegan(touches, nullptr)) << "the selected tab swallows the touch";
    EXPECT_EQ(told, (std::vector<int> {1}));
    touches = touchAt({470, 100});
    EXPECT_FALSE(bar->ccTouchesBegan(touches, nullptr)) << "outside every tab";
    bar->retractTabs();
    seconds(0.1f);
    touches = touchAt(on(2));
    EXPECT_FALSE(bar->ccTouchesBegan(touches, nullptr)) << "retracting";
}

TEST_F(CCTabBarTest, TheFirstRunHintTellsTabsOneTwoAndZeroOncePerInstallation) {
    addFourTabs();
    bar->extendTabs();
    seconds(0.9f);
    ASSERT_TRUE(bar->tutorialFinger());
    EXPECT_TRUE(game::DataManager::getBoolForKey(CCTabBar::firstRunKey));
    auto& first = *bar->tabs()[0];
    EXPECT_EQ(bar->tutorialFinger()->position(),
        (engine::Point {
            first.position().x + 20, first.position().y - first.contentSize().height / 2}));
    seconds(2.6f);
    EXPECT_EQ(told, (std::vector<int> {1}));
    seconds(5);
    EXPECT_EQ(told, (std::vector<int> {1, 2, 0}));
    EXPECT_EQ(bar->selectedTab(), 0);
    EXPECT_FALSE(bar->tutorialFinger());

    bar->retractTabs();
    seconds(1);
    bar->extendTabs();
    seconds(1);
    EXPECT_FALSE(bar->tutorialFinger());
}

TEST_F(CCTabBarTest, ATouchOrARetractionEndsTheHintButItStillCountsAsShown) {
    addFourTabs();
    bar->extendTabs();
    seconds(0.9f);
    ASSERT_TRUE(bar->tutorialFinger());
    bar->retractTabs();
    EXPECT_FALSE(bar->tutorialFinger());
    EXPECT_TRUE(game::DataManager::getBoolForKey(CCTabBar::firstRunKey));
    seconds(8);
    EXPECT_TRUE(told.empty());
}

TEST_F(CCTabBarTest, WithFewerThanTwoTabsTheHintNeverShows) {
    bar->addTab("tab_staffs.png");
    bar->extendTabs();
    seconds(1);
    EXPECT_FALSE(bar->tutorialFinger());
    EXPECT_FALSE(game::DataManager::getStringForKey(CCTabBar::firstRunKey).has_value());
}

}
