#include "SalonDay.hpp"

#include <game/salon/PathFindingSystem.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>

#include <gtest/gtest.h>

namespace {

using game::GameGlobals;
using game::QBY_Character;
using game::QBY_Furniture;
using game::Shop;

class ShopStaffTest : public test::SalonDayTest {
protected:
    void SetUp() override {
        SalonDayTest::SetUp();
        GameGlobals::shared().day = 2;
        game::DataConrtoller::saveDay();
        load();
    }
};

TEST_F(ShopStaffTest, HireCostsByTypeAndRefusesWhatCannotBePaid) {
    auto& globals = GameGlobals::shared();
    struct Case {
        int type;
        bool money;
        int cost;
    } const cases[] = {{1, true, 2000}, {2, false, 30}, {3, false, 100}, {5, false, 200},
        {6, false, 300}, {7, false, 10}, {9, false, 150}};
    for (auto const& c : cases) {
        auto* staff = shop->getStaff(c.type);
        ASSERT_FALSE(staff->bEnable()) << c.type;
        globals.money = c.money ? c.cost - 1 : 100000;
        globals.petPoints = c.money ? 100000 : c.cost - 1;
        EXPECT_EQ(shop->hireStaff(staff), nullptr) << c.type;
        EXPECT_FALSE(staff->bEnable());
        EXPECT_EQ(c.money ? globals.money : globals.petPoints, c.cost - 1);
        if (c.money)
            globals.money = c.cost;
        else
            globals.petPoints = c.cost;
        EXPECT_EQ(shop->hireStaff(staff), staff) << c.type;
        EXPECT_TRUE(staff->bEnable());
        EXPECT_EQ(staff->getLevel(), 1);
        EXPECT_EQ(c.money ? globals.money : globals.petPoints, 0) << c.type;
        EXPECT_TRUE(game::DataConrtoller::getStaffEnable(c.type));
        EXPECT_EQ(game::DataConrtoller::getStaffLevel(c.type), 1);
        // Hired once only.
        EXPECT_EQ(shop->hireStaff(staff), nullptr);
    }
    EXPECT_TRUE(achieved(36));
    // The hire is logged a tenth of a second later.
    ASSERT_NE(shop->staffLogTimer(), nullptr);
    framesFor(0.2f);
    EXPECT_TRUE(services.has("Hire Staff"));
    // Somebody else's staff member is refused.
    auto stranger = makePair().customer;
    EXPECT_EQ(shop->hireStaff(stranger.get()), nullptr);
    EXPECT_EQ(shop->upgradeStaff(stranger.get()), nullptr);
}

TEST_F(ShopStaffTest, UpgradePricesAndCurrencies) {
    // The bundle's list gives every type at least three levels.
    for (int type = 0; type < Shop::staffSlots; ++type)
        EXPECT_GE(Shop::staffLevelCount(type), 3) << type;
    // Past the last level the price is the impossible one.
    for (int type = 0; type < Shop::staffSlots; ++type)
        EXPECT_EQ(
            Shop::staffUpgradePrice(type, Shop::staffLevelCount(type)).cost, Shop::impossibleCost);
    struct Case {
        int type, level, cost;
        bool money;
    } const cases[] = {
        {0, 1, 5000, true},
        {0, 2, 100, false},
        {3, 1, 50, false},
        {3, 2, 100, false},
        {5, 1, 100, false},
        {6, 2, 200, false},
        {0, 0, 0, false},
        // Types 7 to 9 take the list's price and currency.
        {7, 1, 2500, true},
        {8, 3, 20000, true},
        {9, 2, 120, false},
    };
    for (auto const& c : cases) {
        auto price = Shop::staffUpgradePrice(c.type, c.level);
        EXPECT_EQ(price.cost, c.cost) << c.type << " " << c.level;
        if (c.cost != Shop::impossibleCost && c.cost != 0) {
            EXPECT_EQ(price.money, c.money) << c.type << " " << c.level;
        }
    }
}

TEST_F(ShopStaffTest, UpgradeChargesAndTheImpossibleLevelIsNeverSold) {
    auto& globals = GameGlobals::shared();
    auto* owner = shop->getStaff(0);
    ASSERT_EQ(owner->getLevel(), 1);
    globals.money = 4999;
    EXPECT_EQ(shop->upgradeStaff(owner), nullptr);
    EXPECT_EQ(owner->getLevel(), 1);
    globals.money = 5000;
    EXPECT_EQ(shop->upgradeStaff(owner), owner);
    EXPECT_EQ(owner->getLevel(), 2);
    EXPECT_EQ(globals.money, 0);
    EXPECT_EQ(game::DataConrtoller::getStaffLevel(0), 2);
    globals.petPoints = 100;
    EXPECT_EQ(shop->upgradeStaff(owner), owner);
    EXPECT_EQ(globals.petPoints, 0);
    // Level 4 does not exist: nothing is charged, whatever the balance.
    globals.money = 2000000000;
    globals.petPoints = 2000000000;
    EXPECT_EQ(shop->upgradeStaff(owner), nullptr);
    EXPECT_EQ(owner->getLevel(), 3);
    EXPECT_EQ(globals.money, 2000000000);
    EXPECT_EQ(globals.petPoints, 2000000000);
}

TEST_F(ShopStaffTest, NearestIdleWorkerGoesAndTheHigherSlotWinsATie) {
    auto& globals = GameGlobals::shared();
    globals.petPoints = 1000;
    shop->hireStaff(shop->getStaff(2));
    shop->hireStaff(shop->getStaff(3));
    auto* bath = shop->getFurniture(11);
    ASSERT_EQ(bath->furnType(), 2);
    auto spot = bath->getStaffPos();
    // Owner (slot 0) far away; slots 2 and 3 at the same walking distance.
    shop->getStaff(0)->pSprite()->setPosition({spot.x + 200, spot.y});
    shop->getStaff(2)->pSprite()->setPosition({spot.x + 30, spot.y});
    shop->getStaff(3)->pSprite()->setPosition({spot.x, spot.y - 30});
    for (int i = 0; i < Shop::staffSlots; ++i) {
        if (i != 0 && i != 2 && i != 3 && shop->getStaff(i)->bEnable())
            shop->getStaff(i)->changeAIState(QBY_Character::stateWalkingIn);
    }
    EXPECT_TRUE(shop->staffGoToWork(bath));
    EXPECT_EQ(shop->getStaff(3)->pTargetFurniture(), bath);
    EXPECT_EQ(shop->getStaff(2)->pTargetFurniture(), nullptr);
    // Already on its way: yes at once, nobody else is sent.
    EXPECT_TRUE(shop->staffGoToWork(bath));
    EXPECT_EQ(shop->getStaff(2)->pTargetFurniture(), nullptr);
    // A sofa needs nobody.
    EXPECT_FALSE(shop->staffGoToWork(shop->getFurniture(0)));
}

}
