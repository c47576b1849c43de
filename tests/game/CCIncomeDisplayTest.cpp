#include "HudFixture.hpp"

#include <game/interface/CCIncomeDisplay.hpp>

#include <gtest/gtest.h>

namespace {

using game::CCIncomeBonusDisplay;
using game::CCIncomeDisplay;

class CCIncomeDisplayTest : public test::HudTest { };

TEST_F(CCIncomeDisplayTest, TagsBySign) {
    struct Case {
        int income;
        float satisfaction;
        char const* incomeText;
        engine::Texture2D* incomePicture;
        char const* satText;
        engine::Texture2D* satPicture;
    };
    Case const cases[] = {
        {12, 0.5f, "12", texture("income_positive.png"), "0.50", texture("sat_positive.png")},
        {-5, 0.5f, "-5", texture("income_negative.png"), "0.50", texture("sat_positive.png")},
        {3, -0.5f, "3", texture("income_positive.png"), "-0.50", texture("sat_negative.png")},
        {0, -1.25f, nullptr, nullptr, "-1.25", texture("sat_negative.png")},
        {7, 0, "7", texture("income_positive.png"), nullptr, nullptr},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.income);
        auto marker = CCIncomeDisplay::initWithIncome(c.income, c.satisfaction, {100, 50});
        ASSERT_TRUE(marker);
        EXPECT_EQ(marker->position(), (engine::Point {100, 120}));
        ASSERT_EQ(marker->incomeMsgBg() != nullptr, c.incomeText != nullptr);
        ASSERT_EQ(marker->satMsgBg() != nullptr, c.satText != nullptr);
        if (c.incomeText) {
            EXPECT_EQ(marker->incomeMsgBg()->texture(), c.incomePicture);
            EXPECT_EQ(marker->incomeMsgLabel()->getText(), c.incomeText);
            EXPECT_EQ(marker->incomeMsgBg()->position(), (engine::Point {0, 0}));
            EXPECT_EQ(marker->incomeMsgLabel()->position(), (engine::Point {20, -10}));
            EXPECT_EQ(marker->incomeMsgBg()->opacity(), 0);
        }
        if (c.satText) {
            EXPECT_EQ(marker->satMsgBg()->texture(), c.satPicture);
            EXPECT_EQ(marker->satMsgLabel()->getText(), c.satText);
            float x = 0;
            if (auto* income = marker->incomeMsgBg())
                x = income->contentSize().width / 2 + marker->satMsgBg()->contentSize().width / 2;
            EXPECT_EQ(marker->satMsgBg()->position(), (engine::Point {x, 0}));
        }
    }
    EXPECT_FALSE(CCIncomeDisplay::initWithIncome(0, 0, {100, 50}));
}

TEST_F(CCIncomeDisplayTest, TheMarkerStaysWithinTheScreen) {
    EXPECT_EQ(
        CCIncomeDisplay::initWithIncome(5, 0, {450, 10})->position(), (engine::Point {400, 80}));
    EXPECT_EQ(
        CCIncomeDisplay::initWithIncome(5, 0, {400, 10})->position(), (engine::Point {400, 80}));
    tablet();
    EXPECT_EQ(
        CCIncomeDisplay::initWithIncome(5, 0, {1000, 10})->position(), (engine::Point {960, 80}));
}

TEST_F(CCIncomeDisplayTest, RisesAndRemovesItselfAfterItsActions) {
    auto marker = CCIncomeDisplay::initWithIncome(-5, 0.5f, {100, 50});
    layer->addChild(marker, 30000);
    seconds(1);
    EXPECT_EQ(marker->incomeMsgBg()->opacity(), 255);
    EXPECT_GT(marker->satMsgLabel()->position().y, -10);
    seconds(1);
    EXPECT_TRUE(marker->parent());
    seconds(0.15f);
    EXPECT_FALSE(marker->parent());
    EXPECT_TRUE(marker->children().size() <= 2u) << "the pictures went with their actions";
    marker->destroy();
    EXPECT_FALSE(marker->parent());
}

TEST_F(CCIncomeDisplayTest, TheClockRemovesAMarkerWhoseActionsStopped) {
    auto marker = CCIncomeDisplay::initWithIncome(5, 0, {100, 50});
    layer->addChild(marker, 30000);
    marker->incomeMsgBg()->stopAllActions();
    seconds(2.4f);
    EXPECT_TRUE(marker->parent());
    seconds(0.2f);
    EXPECT_FALSE(marker->parent());
}

TEST_F(CCIncomeDisplayTest, TheBonusMarkerRisesFromItsPointAndGoes) {
    auto marker = CCIncomeBonusDisplay::initWithPosition({120, 200});
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->position(), (engine::Point {120, 200}));
    layer->addChild(marker, 5);
    seconds(1.65f);
    EXPECT_NEAR(marker->incomeMsgBg()->position().y, 25, 0.01f);
    seconds(0.55f);
    EXPECT_FALSE(marker->parent());
}

}
