#include "HudFixture.hpp"

#include <game/interface/CCStatusBar.hpp>

#include <gtest/gtest.h>

namespace {

using game::CCStatusBar;

class CCStatusBarTest : public test::HudTest { };

TEST_F(CCStatusBarTest, PhoneLayoutHangsFromTheTopLeftCorner) {
    auto bar = CCStatusBar::init();
    auto bg = bar->bgBar()->contentSize();
    EXPECT_EQ(bar->bgBar()->position(), (engine::Point {bg.width / 2, 320 - bg.height / 2}));
    EXPECT_EQ(bar->levelIcon()->position(), (engine::Point {10, 305}));
    EXPECT_EQ(bar->levelText()->position(),
        (engine::Point {10 + bar->levelIcon()->contentSize().width / 2 + 2, 290}));
    EXPECT_EQ(bar->moneyIcon()->position(), (engine::Point {135, 305}));
    EXPECT_EQ(bar->dayBG()->position(), (engine::Point {245, 305}));
    EXPECT_EQ(bar->dayText()->position(), (engine::Point {235, 287}));
    float timeX = 245 + bar->dayBG()->contentSize().width + 2;
    EXPECT_EQ(bar->timeBG()->position(), (engine::Point {timeX, 305}));
    EXPECT_EQ(bar->timeText()->position(), (engine::Point {timeX - 10, 287}));
    EXPECT_EQ(bar->levelText()->anchorPoint(), (engine::Point {0, 0.5f}));
    EXPECT_EQ(bar->levelText()->fontSize(), 15);
    EXPECT_EQ(bar->dayText()->fontSize(), 11);
    EXPECT_FALSE(bar->changeMoneyText());
}

TEST_F(CCStatusBarTest, TabletOffsetsAreThePhonesScaledInDoubleAndTheDayBackgroundSitsTenLeft) {
    tablet();
    auto bar = CCStatusBar::init();
    EXPECT_EQ(bar->levelIcon()->position(), (engine::Point {float(10 * 1024.0 / 480), 738}));
    EXPECT_EQ(bar->scoreIcon()->position().x, float(50 * 1024.0 / 480));
    EXPECT_EQ(bar->moneyIcon()->position().x, 288);
    EXPECT_EQ(bar->dayBG()->position().x, float(1568.0 / 3 - 10));
    EXPECT_EQ(bar->timeBG()->position().x,
        float(1568.0 / 3 + double(bar->dayBG()->contentSize().width) + 2));
    EXPECT_EQ(bar->dayText()->position().y, 728);
    EXPECT_EQ(bar->levelText()->fontSize(), 32);
    EXPECT_EQ(bar->timeText()->fontSize(), 24);
}

TEST_F(CCStatusBarTest, HitTestTakesTheLeftAndBottomEdgesButNotTheRightAndTop) {
    auto bar = CCStatusBar::init();
    auto size = bar->bgBar()->contentSize();
    float bottom = 320 - size.height;
    struct Case {
        engine::Point point;
        bool hit;
    };
    Case const cases[] = {
        {{0, bottom}, true},
        {{0, 319.5f}, true},
        {{size.width / 2, bottom}, true},
        {{size.width - 0.5f, 319.5f}, true},
        {{size.width, 310}, false},
        {{size.width / 2, 320}, false},
        {{-0.5f, 310}, false},
        {{10, bottom - 0.5f}, false},
    };
    for (auto const& c : cases)
        EXPECT_EQ(bar->hitTest(c.point), c.hit) << c.point.x << ", " << c.point.y;
}

TEST_F(CCStatusBarTest, BarPositionTakesEffectAtTheNextLayout) {
    auto bar = CCStatusBar::init();
    auto before = bar->moneyIcon()->position();
    bar->setBarPosition({20, 300});
    EXPECT_EQ(bar->moneyIcon()->position(), before);
    bar->layout();
    EXPECT_EQ(bar->moneyIcon()->position(), (engine::Point {before.x + 20, before.y - 20}));
}

TEST_F(CCStatusBarTest, ASecondChangeRestartsTheFirst) {
    auto bar = CCStatusBar::init();
    layer->addChild(bar, 10002);
    bar->setMoneyText("120");
    bar->showChangeMoneyText("+20", true);
    auto* change = bar->changeMoneyText();
    ASSERT_TRUE(change);
    EXPECT_EQ(change->zOrder(), 20);
    EXPECT_EQ(change->color(), (engine::Color3B {17, 116, 0}));
    seconds(1);
    auto home = bar->moneyText()->position();
    EXPECT_GT(change->position().y, home.y);
    EXPECT_LT(change->opacity(), 255);

    bar->showChangeMoneyText("-7", false);
    EXPECT_EQ(bar->changeMoneyText(), change) << "made once and reused";
    EXPECT_EQ(change->getText(), "-7");
    EXPECT_EQ(change->opacity(), 255);
    EXPECT_EQ(change->position(), home);
    EXPECT_EQ(change->color(), (engine::Color3B {119, 0, 0}));
    seconds(2.1f);
    EXPECT_FLOAT_EQ(change->position().y, home.y - 8);
    EXPECT_EQ(change->opacity(), 0);

    bar->showChangeScoreText("+0.5%", true);
    EXPECT_EQ(bar->changeScoreText()->position(), bar->scoreText()->position());
}

TEST_F(CCStatusBarTest, TextsAndCleanup) {
    auto bar = CCStatusBar::init();
    layer->addChild(bar, 10002);
    bar->setTimeText("09:30");
    bar->setDayText("12");
    EXPECT_EQ(bar->timeText()->getText(), "09:30");
    EXPECT_EQ(bar->dayText()->getText(), "12");
    bar->showChangeScoreText("+1", true);
    layer->removeChild(bar.get(), engine::Cleanup::Yes);
    EXPECT_TRUE(bar->children().empty());
    EXPECT_FALSE(bar->bgBar());
    EXPECT_FALSE(bar->changeScoreText());
    EXPECT_FALSE(bar->hitTest({10, 310}));
}

}
