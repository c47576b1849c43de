#include "TransferWheelFixture.hpp"

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/RootViewController.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <numbers>

namespace {

using game::CCTransferPPView;
constexpr double pi = std::numbers::pi;

class RecordingRoot final : public game::RootViewController {
public:
    void showInAppPurchase() override { ++offerWalls; }
    int offerWalls {0};

private:
    friend base::Factory;
    RecordingRoot() = default;
};

class CCTransferPPViewTest : public test::TransferWheelTest {
protected:
    void TearDown() override {
        if (mainLayer)
            mainLayer->setPRootViewController(nullptr);
        root = nullptr;
        TransferWheelTest::TearDown();
    }
    // Turns the dial by the angle (clockwise) and lets it come to rest and tick.
    void turnBy(CCTransferPPView& view, double angle) {
        turn(dialCentre(view), 0, angle, pad() ? 160 : 80, 24);
        seconds(1);
    }
    base::Ref<RecordingRoot> root;
};

TEST_F(CCTransferPPViewTest, TheFixedRateAndTheStepsTheVovAzavuzReach) {
    struct Row {
        int n;
        int points;
        int coins;
    };
    // The promotion's shape does not change this wheel's rate; only its uid is taken.
    storePromotion(base::Dictionary::create(
        {{"base", 3.0}, {"scale", 7.0}, {"step", 2}, {"uid", 44}, {"active", true}}));
    auto view = CCTransferPPView::node();
    EXPECT_EQ(view->uid(), 44);
    EXPECT_EQ(view->stepsPerRev(), 50);
    Row const rows[] = {{0, 0, 0}, {1, 10, 500}, {3, 30, 1500}, {214748364, 2147483640, INT_MAX},
        {INT_MAX, INT_MAX, INT_MAX}, {-1, -10, -500}};
    for (auto const& row : rows) {
        SCOPED_TRACE(row.n);
        EXPECT_EQ(view->gamePointsForStep(row.n), row.points);
        EXPECT_EQ(view->coinsForStep(row.n), row.coins);
    }
    struct Reach {
        int points;
        int steps;
    };
    Reach const reaches[] = {{0, 0}, {9, 0}, {10, 1}, {37, 3}, {INT_MAX, 214748364}};
    for (auto const& reach : reaches) {
        SCOPED_TRACE(reach.points);
        EXPECT_EQ(view->stepsForCoins(reach.points), reach.steps);
    }
}

TEST_F(CCTransferPPViewTest, TheDialLocksBelowTenVovAzavuzAndStepsAFiftiethOfATurn) {
    struct Row {
        char const* name;
        int petPoints;
        double angle;
        bool locked;
        int step;
    };
    Row const rows[] = {
        {"9 Vov Azavuz lock the dial", 9, pi, true, 0},
        {"10 reach one step, after a fiftieth of a turn", 10, pi, false, 1},
        {"less than a fiftieth is step 0", 37, 2 * pi / 50 * 0.8, false, 0},
        {"37 reach 3 steps", 37, pi, false, 3},
        {"as many as an int holds", INT_MAX, 2 * pi / 50 * 7.3, false, 7},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.name);
        auto& view = openPP(0, row.petPoints);
        turnBy(view, row.angle);
        EXPECT_EQ(view.dial()->isTouchEnabled(), !row.locked);
        EXPECT_EQ(view.curStepGamePoints(), 10 * row.step);
        EXPECT_EQ(view.curStepMoney(), 500 * row.step);
        EXPECT_EQ(view.petPointText()->getText(), std::to_string(10 * row.step));
        EXPECT_EQ(view.costText()->getText(), std::to_string(500 * row.step));
        TearDown();
        SetUp();
    }
}

TEST_F(CCTransferPPViewTest, ConfirmingTurnsVovAzavuzIntoCoins) {
    auto& view = openPP(100, 10);
    turnBy(view, pi);
    tap(centreOf(view.okButton()));
    auto* alert = view.confirmAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Confirm Conversion");
    EXPECT_EQ(alert->message(), "Convert 10 Vov Azavuz to 500 coins?");
    base::Ref<ui::AlertView> keep(alert);
    alert->dismissWithClickedButtonIndex(1, false);
    auto const& globals = game::GameGlobals::shared();
    EXPECT_EQ(globals.money, 600);
    EXPECT_EQ(globals.petPoints, 0);
    EXPECT_EQ(game::DataManager::getIntForKey("SYS_PETPOINTS", -1), 0);
    EXPECT_EQ(game::DataManager::getIntForKey("DATA_MONEY", -1), 600);
    seconds(0.5f);
    EXPECT_EQ(face->transferPPView(), nullptr);
    EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(CCTransferPPViewTest, TheModeButtonShowsOnlyWhileThePromotionCanBeUsed) {
    struct Row {
        char const* name;
        bool active;
        int freq;
        int runs;
        int money;
        bool shown;
    };
    Row const rows[] = {
        {"exactly 10000 coins", true, 2, 0, 10000, false},
        {"10001 coins, active, uses left", true, 2, 1, 10001, true},
        {"not active", false, 2, 0, 50000, false},
        {"uses spent", true, 2, 2, 50000, false},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.name);
        storePromotion(
            base::Dictionary::create({{"active", row.active}, {"freq", row.freq}, {"uid", 5}}));
        foundation::UserDefaults::standardUserDefaults().setInteger(
            row.runs, game::CCTransferCoinsView::runCountKey(5));
        auto& view = openPP(row.money, 0);
        EXPECT_EQ(view.modeButton()->visible(), row.shown);
        // A tap on it switches wheels only while it shows.
        tap(centreOf(view.modeButton()));
        seconds(0.5f);
        EXPECT_EQ(coinsView() != nullptr, row.shown);
        EXPECT_EQ(ppView() == nullptr, row.shown);
        TearDown();
        SetUp();
    }
}

TEST_F(CCTransferPPViewTest, TheBuyButtonOpensTheOfferWallAndCloseCloses) {
    auto& view = openPP(0, 0);
    root = base::make<RecordingRoot>();
    mainLayer->setPRootViewController(root.get());
    tap(centreOf(view.purchaseButton()));
    EXPECT_EQ(root->offerWalls, 1);
    // OK without a step asks nothing.
    tap(centreOf(view.okButton()));
    EXPECT_EQ(view.confirmAlert(), nullptr);
    tap(centreOf(view.closeButton()));
    seconds(0.5f);
    EXPECT_EQ(face->transferPPView(), nullptr);
}

TEST_F(CCTransferPPViewTest, OnTheTabletPositionsDoubleAndTheDialTurnsRoundItsArrow) {
    tablet();
    auto& view = openPP(20000, 1000);
    EXPECT_EQ(view.position(), (engine::Point {32, 64}));
    EXPECT_EQ(view.scaleX(), 2);
    ASSERT_NE(view.dim(), nullptr);
    EXPECT_EQ(view.dim()->position(), (engine::Point {512, 384}));
    EXPECT_EQ(view.wheel()->position(), (engine::Point {260, 260}));
    EXPECT_EQ(view.dial()->rotatorSprite()->position(), (engine::Point {260, 260}));
    EXPECT_EQ(view.okButton()->position(), (engine::Point {800, 60}));
    EXPECT_EQ(view.closeButton()->position(), (engine::Point {890, 590}));
    EXPECT_EQ(view.purchaseButton()->position(), (engine::Point {760, 490}));
    EXPECT_EQ(view.ppStatus()->position(), (engine::Point {400, 490}));
    EXPECT_EQ(view.titleText()->fontSize(), 36);
    // A quarter turn of the finger round the arrow, where the panel shows it, is a
    // quarter turn of the dial, and its coasting after: 13 whole steps of 50 a turn.
    turnBy(view, pi / 2);
    EXPECT_NEAR(view.dial()->theta(), pi / 2 * (1 + 1 / 0.55 / 24), 1e-3);
    EXPECT_EQ(view.curStepGamePoints(), 130);
    EXPECT_EQ(view.curStepMoney(), 6500);
}

}
