#include "TransferWheelFixture.hpp"

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <game/shell/DataManager.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <numbers>

namespace {

using game::CCTransferCoinsView;
constexpr double pi = std::numbers::pi;

class CCTransferCoinsViewTest : public test::TransferWheelTest {
protected:
    // Turns the dial a good deal further than any limit, then lets it tick.
    void turnFully(CCTransferCoinsView& view, double angle = 1.5 * pi) {
        turn(dialCentre(view), 0, angle);
        seconds(0.5f);
    }
    static int runCount(int uid) {
        return int(foundation::UserDefaults::standardUserDefaults().integerForKey(
            CCTransferCoinsView::runCountKey(uid)));
    }
    // Taps OK and answers the confirmation with the button titled answer.
    void confirm(CCTransferCoinsView& view, std::string const& answer = "OK") {
        tap(centreOf(view.okButton()));
        auto* alert = view.confirmAlert();
        ASSERT_NE(alert, nullptr);
        for (int i = 0; i < alert->numberOfButtons(); ++i) {
            if (alert->buttonTitleAtIndex(i) == answer) {
                base::Ref<ui::AlertView> keep(alert);
                alert->dismissWithClickedButtonIndex(i, false);
                return;
            }
        }
        FAIL() << "no button " << answer;
    }
};

TEST_F(CCTransferCoinsViewTest, ThePriceRulesFollowTheStoreAndSaturate) {
    struct Row {
        char const* name;
        std::vector<base::Dictionary::Entry> store;
        int step;
        int coins;
        int points;
        int reach;
        int stepsReached;
    };
    std::vector<Row> const rows {
        {"defaults, no store", {}, 3, 90000, 30, 100000, 3},
        {"money equal to the base", {}, 1, 10000, 10, 10000, 1},
        {"one coin less", {}, 1, 10000, 10, 9999, 0},
        {"step 9", {}, 9, 810000, 90, 1000000, 10},
        {"a step of 2.5 counts as 2", {{"step", 2.5}}, 3, 90000, 6, 40000, 2},
        {"scale 2 doubles the steps' size", {{"scale", 2.0}}, 2, 160000, 20, 160000, 2},
        {"a huge base saturates", {{"base", 1e300}}, 1, INT_MAX, 10, INT_MAX, 0},
        {"a huge scale saturates", {{"scale", 1e200}}, 1, INT_MAX, 10, INT_MAX, 0},
        {"a huge step saturates", {{"step", 1e20}}, 2, 40000, INT_MAX, 0, 0},
        {"scale 0: free steps without end", {{"scale", 0.0}}, 5, 0, 50, 10000, INT_MAX},
        {"base 0 and no coins", {{"base", 0}}, 5, 0, 50, 0, 0},
        {"base 0 and some coins", {{"base", 0}}, 5, 0, 50, 5000, INT_MAX},
        {"a negative base reaches nothing", {{"base", -10000}}, 1, -10000, 10, 10000, 0},
        {"the handler's defaults", {{"step", 0}, {"base", INT_MAX}, {"scale", 1}}, 1, INT_MAX, 0,
            INT_MAX, 1},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.name);
        foundation::UserDefaults::standardUserDefaults().removeObjectForKey(
            CCTransferCoinsView::dataStoreKey);
        if (!row.store.empty())
            storePromotion(base::Dictionary::create(row.store));
        auto view = CCTransferCoinsView::node();
        EXPECT_EQ(view->coinsForStep(row.step), row.coins);
        EXPECT_EQ(view->gamePointsForStep(row.step), row.points);
        EXPECT_EQ(view->stepsForCoins(row.reach), row.stepsReached);
    }
}

TEST_F(CCTransferCoinsViewTest, TheStoreSetsThePromotionAndItsUseCountPerUid) {
    // Without a store: the defaults, and nothing may be converted.
    auto plain = CCTransferCoinsView::node();
    EXPECT_EQ(plain->baseCost(), 10000);
    EXPECT_EQ(plain->curveScale(), 1);
    EXPECT_EQ(plain->stepSize(), 10);
    EXPECT_EQ(plain->uid(), 0);
    EXPECT_FALSE(CCTransferCoinsView::active());
    EXPECT_EQ(CCTransferCoinsView::max_usecount(), 0);

    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.setInteger(2, CCTransferCoinsView::runCountKey(17));
    EXPECT_EQ(CCTransferCoinsView::runCountKey(17), "xfercoins_runcount17");
    storePromotion(base::Dictionary::create({{"active", true}, {"freq", 3}, {"step", 20},
        {"base", 5000}, {"scale", 0.5}, {"uid", 17}}));
    auto view = CCTransferCoinsView::node();
    EXPECT_EQ(view->baseCost(), 5000);
    EXPECT_EQ(view->curveScale(), 0.5);
    EXPECT_EQ(view->stepSize(), 20);
    EXPECT_EQ(view->uid(), 17);
    EXPECT_TRUE(CCTransferCoinsView::active());
    EXPECT_EQ(CCTransferCoinsView::max_usecount(), 3);
    EXPECT_EQ(CCTransferCoinsView::usecount(), 2);

    // A new uid starts at 0 uses; a store that is not a dictionary counts as none.
    storePromotion(base::Dictionary::create({{"active", false}, {"uid", 18}}));
    CCTransferCoinsView::loadStaticCachedValues();
    EXPECT_FALSE(CCTransferCoinsView::active());
    EXPECT_EQ(CCTransferCoinsView::usecount(), 0);
    defaults.setObject(base::Value("active"), CCTransferCoinsView::dataStoreKey);
    auto odd = CCTransferCoinsView::node();
    EXPECT_EQ(odd->baseCost(), 10000);
    EXPECT_EQ(CCTransferCoinsView::max_usecount(), 0);
}

TEST_F(CCTransferCoinsViewTest, TheDialReachesTheStepsTheMoneyPaysFor) {
    struct Row {
        char const* name;
        std::vector<base::Dictionary::Entry> store;
        int money;
        bool locked;
        double maxTheta;
        int step;
    };
    std::vector<Row> const rows {
        {"money equal to the base", {}, 10000, false, 2 * pi / 10, 1},
        {"one coin less locks the dial", {}, 9999, true, 0, 0},
        {"100000 coins reach step 3", {}, 100000, false, 3 * 2 * pi / 10, 3},
        {"no reachable step: the dial is free", {{"scale", 10.0}}, 10000, false, 0, 0},
        {"a huge base locks", {{"base", 1e300}}, INT_MAX, true, 0, 0},
        {"scale 0 steps on without end", {{"scale", 0.0}}, 10000, false,
            double(INT_MAX) / 10 * 2 * pi, 8},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.name);
        foundation::UserDefaults::standardUserDefaults().removeObjectForKey(
            CCTransferCoinsView::dataStoreKey);
        if (!row.store.empty())
            storePromotion(base::Dictionary::create(row.store));
        auto& view = openCoins(row.money, 3);
        auto* dial = view.dial();
        EXPECT_EQ(dial->isTouchEnabled(), !row.locked);
        EXPECT_EQ(dial->min_theta(), 0);
        EXPECT_NEAR(dial->max_theta(), row.maxTheta, 1e-6);
        turnFully(view);
        if (!row.locked && row.maxTheta == 0) {
            EXPECT_GT(dial->theta(), 1.5 * pi) << "turns without limits";
        }
        EXPECT_EQ(view.curStepMoney(), view.coinsForStep(row.step));
        EXPECT_EQ(view.curStepGamePoints(), view.gamePointsForStep(row.step));
        EXPECT_EQ(view.costText()->getText(), std::to_string(view.coinsForStep(row.step)));
        EXPECT_EQ(view.petPointText()->getText(), std::to_string(view.gamePointsForStep(row.step)));
        TearDown();
        SetUp();
    }
}

TEST_F(CCTransferCoinsViewTest, ConfirmingPaysTheCoinsGivesTheVovAzavuzAndCountsTheRun) {
    storePromotion(base::Dictionary::create({{"active", true}, {"freq", 2}, {"uid", 7}}));
    auto& view = openCoins(100000, 5);
    base::Ref<CCTransferCoinsView> kept(&view);
    EXPECT_EQ(view.cashLabel()->getText(), "100000");
    EXPECT_EQ(view.ppLabel()->getText(), "5");
    turnFully(view);
    EXPECT_EQ(view.costText()->getText(), "90000");
    EXPECT_EQ(view.petPointText()->getText(), "30");
    tap(centreOf(view.okButton()));
    auto* alert = view.confirmAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Confirm Conversion");
    EXPECT_EQ(alert->message(),
        "Convert 90000 coins to 30 Vov Azavuz? This is a limited time offer and can be done only "
        "once per promotion.");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Cancel");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "OK");
    // Behind the alert the dial is turned back: what the alert showed is converted.
    turn(dialCentre(view), 0, -1.5 * pi);
    seconds(0.5f);
    EXPECT_EQ(view.curStepMoney(), 0);
    base::Ref<ui::AlertView> keep(alert);
    alert->dismissWithClickedButtonIndex(1, false);

    auto const& globals = game::GameGlobals::shared();
    EXPECT_EQ(globals.money, 10000);
    EXPECT_EQ(globals.petPoints, 35);
    EXPECT_EQ(game::DataManager::getIntForKey("DATA_MONEY", -1), 10000);
    EXPECT_EQ(game::DataManager::getIntForKey("SYS_PETPOINTS", -1), 35);
    EXPECT_EQ(CCTransferCoinsView::usecount(), 1);
    EXPECT_EQ(runCount(7), 1);
    EXPECT_EQ(view.confirmAlert(), nullptr);
    // The wheel slides away and is gone.
    seconds(0.5f);
    EXPECT_EQ(face->transferCoinsView(), nullptr);
    EXPECT_EQ(kept->parent(), nullptr);
    EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(CCTransferCoinsViewTest, UsedUpOrWithoutAPromotionTheConversionIsRefused) {
    struct Row {
        char const* name;
        bool store;
        int runs;
    };
    Row const rows[] = {{"no promotion stored", false, 0}, {"the uses are spent", true, 1}};
    for (auto const& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.store)
            storePromotion(base::Dictionary::create({{"active", true}, {"freq", 1}, {"uid", 9}}));
        foundation::UserDefaults::standardUserDefaults().setInteger(
            row.runs, CCTransferCoinsView::runCountKey(9));
        auto& view = openCoins(20000, 5);
        turnFully(view);
        ASSERT_EQ(view.curStepMoney(), 10000);
        confirm(view);
        ASSERT_EQ(alerts.shown.size(), 1u);
        EXPECT_EQ(alerts.shown[0].title, "");
        EXPECT_EQ(alerts.shown[0].message, "Sorry coins to PP convertion is not available");
        auto const& globals = game::GameGlobals::shared();
        EXPECT_EQ(globals.money, 20000);
        EXPECT_EQ(globals.petPoints, 5);
        EXPECT_EQ(runCount(9), row.runs);
        seconds(0.5f);
        EXPECT_EQ(face->transferCoinsView(), &view);
        TearDown();
        SetUp();
    }
}

TEST_F(CCTransferCoinsViewTest, OnlyItsOwnAlertsOKConverts) {
    storePromotion(base::Dictionary::create({{"active", true}, {"freq", 5}, {"uid", 3}}));
    auto& view = openCoins(40000, 0);
    turnFully(view);
    struct Row {
        char const* title;
        char const* button;
    };
    Row const others[] = {{"Restore Previous Save", "OK"}, {"Confirm Conversion", "Yes"}};
    for (auto const& other : others) {
        auto alert = ui::AlertView::create(other.title, "", nullptr, "Cancel", {other.button});
        view.didDismissWithButtonIndex(*alert, 1);
    }
    // Its own alert, cancelled.
    confirm(view, "Cancel");
    EXPECT_EQ(game::GameGlobals::shared().money, 40000);
    EXPECT_EQ(runCount(3), 0);
    confirm(view);
    EXPECT_EQ(game::GameGlobals::shared().money, 0);
    EXPECT_EQ(game::GameGlobals::shared().petPoints, 20);
    EXPECT_EQ(runCount(3), 1);
}

TEST_F(CCTransferCoinsViewTest, TheButtonsCloseSwitchAndAskNothingWithoutAStep) {
    auto& view = openCoins(5000, 0);
    // OK with step 0 asks nothing.
    tap(centreOf(view.okButton()));
    EXPECT_EQ(view.confirmAlert(), nullptr);
    // The mode button switches to the other wheel.
    tap(centreOf(view.modeButton()));
    seconds(0.5f);
    EXPECT_EQ(face->transferCoinsView(), nullptr);
    ASSERT_NE(ppView(), nullptr);
    face->hideTransferPPView();
    seconds(0.5f);
    face->showTransferCoinsView();
    seconds(0.5f);
    ASSERT_NE(coinsView(), nullptr);
    tap(centreOf(coinsView()->closeButton()));
    seconds(0.5f);
    EXPECT_EQ(face->transferCoinsView(), nullptr);
    EXPECT_EQ(face->transferPPView(), nullptr);
}

TEST_F(CCTransferCoinsViewTest, TheLampsRingTheWheelAndOneRunsRound) {
    auto& view = openCoins(0, 0);
    ASSERT_EQ(view.lamps().size(), 12u);
    auto centre = view.wheel()->position();
    float radius = view.wheel()->contentSize().width * 0.85f * 0.5f;
    auto const& lamps = view.lamps();
    EXPECT_NEAR(lamps[0]->position().x, centre.x, 1e-3);
    EXPECT_NEAR(lamps[0]->position().y, centre.y - radius, 1e-3);
    // Clockwise from the bottom: the fourth lamp stands left of the centre.
    EXPECT_NEAR(lamps[3]->position().x, centre.x - radius, 1e-3);
    EXPECT_NEAR(lamps[3]->position().y, centre.y, 1e-3);
    for (int i = 0; i < 14; ++i) {
        seconds(0.1f);
        int lit = (view.blinkStep() + 11) % 12;
        EXPECT_EQ(view.litLamp()->position(), lamps[std::size_t(lit)]->position());
    }
}

}

namespace {

TEST_F(CCTransferCoinsViewTest, OnTheTabletThePanelKeepsThePhonesSize) {
    tablet();
    auto& view = openCoins(20000, 0);
    EXPECT_EQ(view.position(), (engine::Point {0, 0}));
    // The tablet's art is twice the phone's: it is drawn at half its size, where the
    // phone's layout puts it.
    EXPECT_EQ(view.wheel()->scale(), 0.5f);
    EXPECT_EQ(view.wheel()->position(), (engine::Point {130, 130}));
    EXPECT_EQ(view.dial()->rotatorSprite()->scale(), 0.5f);
    auto radius = view.wheel()->contentSize().width * 0.5f * 0.85f * 0.5f;
    EXPECT_NEAR(view.lamps()[0]->position().y, 130 - radius, 1e-3);
    // A quarter turn round the arrow reaches the one step that 20000 coins pay for.
    turn(dialCentre(view), 0, pi / 2, 60);
    seconds(1);
    EXPECT_EQ(view.curStepMoney(), 10000);
    // The drawn box of the close button takes the tap.
    auto close = view.closeButton()->position();
    tap({close.x + view.closeButton()->contentSize().width * 0.2f, close.y});
    seconds(0.5f);
    EXPECT_EQ(face->transferCoinsView(), nullptr);
}

}
