#include "SalonDay.hpp"

#include <foundation/UserDefaults.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <vector>

namespace {

using game::GameGlobals;
using game::QBY_Character;
using game::QBY_Furniture;
using game::Shop;

class SalonDayCycleTest : public test::SalonDayTest {
protected:
    // Day 2 at level 1: the salon opens at once, with no help book.
    void openDayTwo() {
        GameGlobals::shared().day = 2;
        game::DataConrtoller::saveDay();
        load();
        ASSERT_FALSE(shop->isPaused());
    }

    // One frame of the given length.
    void step(float dt) {
        auto& globals = GameGlobals::shared();
        globals.deltaTime = dt;
        shop->update();
    }
};

TEST_F(SalonDayCycleTest, ArrivalIntervalByLevelAndSatisfaction) {
    struct Case {
        int level;
        float satisfaction;
        float interval;
    };
    Case const cases[] = {
        {1, 0, 14},
        {1, 500, 4},
        {1, 250, 9},
        {2, 60, 7.5f},
        {3, 330, 4},
        {4, 40, 4.5f},
        {5, 210, 3},
        {6, 150, 2.5f},
        {7, 90, 2.5f},
        {8, 0, 2.5f},
        {20, 1000, 0.5f},
        {0, 100, 1},
    };
    for (auto const& c : cases)
        EXPECT_FLOAT_EQ(Shop::arrivalBaseInterval(c.level, c.satisfaction), c.interval)
            << c.level << " " << c.satisfaction;
}

TEST_F(SalonDayCycleTest, FirstCustomerComesOnTheFirstFrameAndTheNextAfterTheInterval) {
    openDayTwo();
    frame();
    EXPECT_EQ(shop->customerCount(), 1);
    EXPECT_FLOAT_EQ(shop->lastGenCustomerTime(), 1.0f / 60);
    auto first = shop->lastGenCustomerTime();
    while (shop->customerCount() < 2)
        frame();
    float gap = shop->lastGenCustomerTime() - first;
    // 14 at level 1 with no satisfaction, plus a random 0 to 9 drawn each frame.
    EXPECT_GE(gap, 14.0f);
    EXPECT_LT(gap, 23.0f + 1.0f / 30);
    auto* pet = shop->getPet(1);
    ASSERT_NE(pet, nullptr);
    EXPECT_EQ(pet->pMaster(), shop->getCustomer(1));
    EXPECT_FLOAT_EQ(pet->fTimeOutSpeed(), 3.0f);
}

TEST_F(SalonDayCycleTest, DoorClosesOnTheFirstFrameAfterOneHundredFifty) {
    openDayTwo();
    auto& globals = GameGlobals::shared();
    globals.shopTime = 149.5f;
    step(0.5f);
    EXPECT_FLOAT_EQ(globals.shopTime, 150);
    EXPECT_TRUE(shop->isShopOpen());
    step(0.01f);
    EXPECT_FALSE(shop->isShopOpen());
    // Customers inside keep the day going; arrivals have stopped.
    int inside = shop->customerCount();
    ASSERT_GE(inside, 1);
    for (int i = 0; i < 120; ++i)
        frame();
    EXPECT_EQ(shop->getShopState(), 2);
    EXPECT_EQ(shop->customerCount(), inside);
}

TEST_F(SalonDayCycleTest, DayEndsWhenTheLastCustomerAndPetHaveGone) {
    openDayTwo();
    frame();
    auto& globals = GameGlobals::shared();
    globals.shopTime = 151;
    frame();
    ASSERT_FALSE(shop->isShopOpen());
    ASSERT_EQ(shop->customerCount(), 1);
    shop->getCustomer(0)->changeAIState(QBY_Character::stateGone);
    frame();
    EXPECT_EQ(shop->getShopState(), 2);
    shop->getPet(0)->changeAIState(QBY_Character::stateGone);
    frame();
    EXPECT_EQ(shop->customerCount(), 0);
    frame();
    EXPECT_EQ(shop->getShopState(), 3);
    EXPECT_EQ(game::DataConrtoller::getShopState(), 3);
    EXPECT_EQ(hud->calls.back(), "showNextDayButton");
}

TEST_F(SalonDayCycleTest, PausedSalonStandsStill) {
    openDayTwo();
    frame();
    auto& globals = GameGlobals::shared();
    float time = globals.shopTime;
    shop->pauseGame();
    for (int i = 0; i < 600; ++i)
        frame();
    EXPECT_EQ(globals.shopTime, time);
    EXPECT_EQ(shop->customerCount(), 1);
    shop->resumeGame();
    frame();
    EXPECT_GT(globals.shopTime, time);
}

TEST_F(SalonDayCycleTest, PresidentKeepsCustomersAwayExceptOnChallengeDays) {
    for (int day : {2, 30}) {
        TearDown();
        SetUp();
        GameGlobals::shared().day = day;
        game::DataConrtoller::saveDay();
        load();
        frame();
        ASSERT_EQ(shop->customerCount(), 1);
        shop->getCustomer(0)->setSpCharType(0);
        EXPECT_TRUE(shop->isPrezVisiting());
        framesFor(30);
        EXPECT_EQ(shop->customerCount() > 1, day == 30) << day;
    }
}

TEST_F(SalonDayCycleTest, NextDayStartsOnceTheAfterHoursViewEnds) {
    game::DataConrtoller::saveShopState(3);
    load();
    auto& globals = GameGlobals::shared();
    ASSERT_EQ(globals.day, 1);
    globals.money = 500;
    for (int i = 0; i < 3; ++i) {
        shop->startPreWorkingHour();
        EXPECT_EQ(shop->getShopState(), 1);
        frame();
        EXPECT_EQ(shop->getShopState(), 2);
        EXPECT_EQ(globals.day, 2 + i);
        EXPECT_EQ(globals.lastDayMoney, 500);
        EXPECT_EQ(globals.customerToday, 0);
        // Day two's offer-wall action is reported once, not every day.
        EXPECT_EQ(services.reported, (std::vector<std::string> {"2 BTX_DAY2_ACTION"}));
        shop->startNonWorkingHour();
    }
    EXPECT_EQ(game::DataConrtoller::getShopState(), 3);
}

TEST_F(SalonDayCycleTest, UpgradePreviewsFadeBeforeTheNextDay) {
    game::DataConrtoller::saveShopState(3);
    load();
    auto preview = QBY_Furniture::createFurniture("bath", 2, 220, 120, layer.get());
    shop->setUpgradePreview(11, preview);
    shop->startPreWorkingHour();
    frame();
    EXPECT_EQ(shop->getShopState(), 1);
    preview->pSprite()->setOpacity(0);
    frame();
    EXPECT_EQ(shop->getUpgradePreview(11), nullptr);
    EXPECT_EQ(shop->getShopState(), 2);
}

TEST_F(SalonDayCycleTest, DoorSlidesOpenForSomeoneInTheDoorway) {
    openDayTwo();
    auto* door = shop->pShopDoor();
    frame();
    auto* customer = shop->getCustomer(0);
    customer->pSprite()->setPosition({170, 240});
    customer->cleanWalkPath();
    customer->changeAIState(QBY_Character::stateIdle);
    shop->getPet(0)->changeAIState(QBY_Character::stateIdle);
    frame();
    framesFor(0.5f);
    EXPECT_EQ(door->position(), (engine::Point {115, 214}));
    customer->pSprite()->setPosition({300, 240});
    framesFor(0.5f);
    EXPECT_EQ(door->position(), (engine::Point {165, 214}));
}

TEST_F(SalonDayCycleTest, UpgradeChargesTheBalanceAndRefusesWhatCannotBePaid) {
    load();
    auto& globals = GameGlobals::shared();
    auto* bath = shop->getFurniture(11);
    ASSERT_EQ(bath->nUpgradeCostType(), "gc");
    int cost = bath->nUpgradeCost();
    ASSERT_GT(cost, 0);
    globals.money = cost - 1;
    EXPECT_EQ(shop->upgradeFurniture(bath), nullptr);
    EXPECT_EQ(globals.money, cost - 1);
    EXPECT_EQ(shop->getFurniture(11), bath);

    globals.money = cost + 5;
    auto* upgraded = shop->upgradeFurniture(bath);
    ASSERT_NE(upgraded, nullptr);
    EXPECT_EQ(globals.money, 5);
    EXPECT_EQ(upgraded->nLevel(), 2);
    EXPECT_EQ(upgraded->nFurnID(), 11);
    EXPECT_EQ(upgraded->nDurablity(), upgraded->nMaxDurablity());
    EXPECT_EQ(game::DataConrtoller::getFurnLevel(11), 2);
    EXPECT_EQ(game::DataConrtoller::getFurnType(11), 2);
    EXPECT_EQ(game::DataConrtoller::getShopState(), 2);
    // The lamp keeps no save.
    globals.money = 100000;
    for (int i = 0; i < Shop::furnitureSlots; ++i) {
        auto* piece = shop->getFurniture(i);
        if (piece && piece->nFurnID() == -1) {
            shop->upgradeFurniture(piece);
            EXPECT_EQ(game::DataConrtoller::getFurnLevel(-1), -1);
        }
    }
}

TEST_F(SalonDayCycleTest, BuyingAnEmptyPlacePutsThePieceThere) {
    load();
    auto& globals = GameGlobals::shared();
    globals.money = 100000;
    auto* place = shop->getFurniture(14);
    ASSERT_EQ(place->furnType(), -1);
    ASSERT_EQ(place->upgradeFurnType(), 3);
    auto* dryer = shop->upgradeFurniture(place);
    ASSERT_NE(dryer, nullptr);
    EXPECT_EQ(dryer->furnType(), 3);
    EXPECT_EQ(dryer->nLevel(), 1);
    EXPECT_EQ(shop->getFurnCount(3), 2);
    EXPECT_EQ(game::DataConrtoller::getFurnType(14), 3);
}

// A player who keeps the salon running: every pet asking for a service is sent to
// a free piece of that kind, a staff member is sent to every piece where a pet waits,
// and to the counter when an owner stands there. Records what the day brings.
class ScriptedDay : public SalonDayCycleTest {
protected:
    struct Visit {
        // Held, so that no later character takes the same address.
        base::Ref<QBY_Character> customer;
        base::Ref<QBY_Character> pet;
        std::vector<int> customerQueue;
        std::vector<int> petQueue;
        bool hurried {false};
        int paid {-1};
    };

    static std::vector<int> services(QBY_Character const& character) {
        std::vector<int> queue;
        for (int i = 1; i < QBY_Character::serviceQuerySize && character.serviceAt(i) != 1; ++i)
            queue.push_back(character.serviceAt(i));
        return queue;
    }

    void play() {
        for (int i = 0; i < Shop::customerSlots; ++i) {
            auto* customer = shop->getCustomer(i);
            auto* pet = shop->getPet(i);
            if (!customer || !pet)
                break;
            auto& visit = visits[customer];
            if (!visit.customer) {
                visit.customer = base::Ref<QBY_Character>(customer);
                visit.pet = base::Ref<QBY_Character>(pet);
                visit.customerQueue = services(*customer);
                visit.petQueue = services(*pet);
                order.push_back(customer);
                arrivals.push_back(
                    {shop->lastGenCustomerTime(), GameGlobals::shared().satisfaction});
            }
            if (customer->curSatisfactionState() == 1 || pet->curSatisfactionState() == 1)
                visit.hurried = true;
            if (pet->getAIState() == QBY_Character::stateWaitingForService
                && pet->getService() != 1)
                pet->processCommand();
        }
        for (int i = 0; i < Shop::furnitureSlots; ++i) {
            auto* piece = shop->getFurniture(i);
            if (!piece || piece->furnType() < 2)
                continue;
            if (piece->curFurnState() == QBY_Furniture::stateTaken && piece->nNumOfPet >= 1)
                shop->staffGoToWork(piece);
        }
        if (shop->canServeCounter())
            shop->staffGoToWork(shop->getCounterFurniture());
    }

    void playFrame() {
        play();
        base::Ref<QBY_Character> atCounter(shop->getCounterCustomer(0));
        int money = GameGlobals::shared().money;
        frame();
        int paid = GameGlobals::shared().money - money;
        if (paid != 0) {
            ASSERT_TRUE(atCounter);
            visits[atCounter.get()].paid = paid;
        }
    }

    std::map<QBY_Character const*, Visit> visits;
    std::vector<QBY_Character const*> order;
    struct Arrival {
        float time;
        float satisfaction;
    };
    std::vector<Arrival> arrivals;
};

// What an unhurried visit pays at level 1, worked out by hand. The owner's visit is
// worth 0.05 on arrival, 0.05 a service it asked for and 0.05 at the counter; the
// pet's 0.05 a service. The sum is cut to one decimal (0.25 and 0.35 lose their
// last 0.05), and the fee, the sum of the charges (hair 10, bath 8, drying 6), grows
// by half of it: 10 -> 11, 14 -> 15 or 16, 24 -> 26, 27 or 28.
int handWorkedIncome(std::vector<int> const& customerQueue, std::vector<int> const& petQueue) {
    using Q = std::vector<int>;
    std::map<Q, int> owner {{Q {4}, 0}, {Q {2, 3}, 1}, {Q {4, 2, 3}, 2}};
    std::map<Q, int> pet {{Q {4}, 0}, {Q {2, 3}, 1}, {Q {4, 2, 3}, 2}};
    // Rows: the owner's queue (hair; bath, drying; all three). Columns: the pet's.
    int const table[3][3] = {
        {11, 15, 27}, // owner 0.15: s 0.2, 0.2, 0.3
        {11, 16, 27}, // owner 0.20: s 0.2, 0.3, 0.3
        {11, 16, 28}, // owner 0.25: s 0.3, 0.3, 0.4
    };
    return table[owner.at(customerQueue)][pet.at(petQueue)];
}

float handWorkedSatisfaction(
    std::vector<int> const& customerQueue, std::vector<int> const& petQueue) {
    int services = int(customerQueue.size() + petQueue.size());
    // 0.1 for the owner's arrival and counter, 0.05 a service, cut to one decimal.
    return std::floor((0.1f + 0.05f * float(services)) * 10 + 1e-4f) / 10;
}

TEST_F(ScriptedDay, LevelOneDayPaysAsWorkedOutByHand) {
    openDayTwo();
    auto& globals = GameGlobals::shared();
    int frames = 0;
    while (shop->getShopState() == 2 && frames < 60 * 400) {
        playFrame();
        ++frames;
    }
    ASSERT_EQ(shop->getShopState(), 3);
    EXPECT_GT(globals.shopTime, 150);
    EXPECT_EQ(shop->customerCount(), 0);

    // Arrivals: the first at once, each next one after the interval for the
    // satisfaction of the moment, plus the random 0 to 9.
    ASSERT_GE(arrivals.size(), 6u);
    EXPECT_FLOAT_EQ(arrivals[0].time, 1.0f / 60);
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        float gap = arrivals[i].time - arrivals[i - 1].time;
        float base = std::max(1.5f, Shop::arrivalBaseInterval(1, arrivals[i].satisfaction));
        EXPECT_GE(gap + 1e-3f, base) << i;
        EXPECT_LT(gap, base + 9 + 0.1f) << i;
    }

    int earned = 0;
    float satisfaction = 0;
    int unhurriedPaid = 0;
    int angry = 0;
    for (auto const* customer : order) {
        auto const& visit = visits.at(customer);
        if (visit.paid < 0) {
            ++angry;
            continue;
        }
        earned += visit.paid;
        if (!visit.hurried) {
            EXPECT_EQ(visit.paid, handWorkedIncome(visit.customerQueue, visit.petQueue));
            satisfaction += handWorkedSatisfaction(visit.customerQueue, visit.petQueue);
            ++unhurriedPaid;
        }
    }
    EXPECT_GE(unhurriedPaid, 5);
    EXPECT_EQ(globals.money, 200 + earned);
    EXPECT_EQ(globals.customerToday, int(order.size()) - angry);
    if (unhurriedPaid + angry == int(order.size())) {
        EXPECT_NEAR(
            globals.satisfaction, std::max(0.0f, satisfaction - 0.48f * float(angry)), 1e-3);
    }
    // The exact day this seed plays: the salon's challenge controller seeds the shared
    // generator from the (manual) clock when the salon is made.
    EXPECT_EQ(order.size(), 11u);
    EXPECT_EQ(angry, 0);
    // Nobody hurried: every payment of the day is in the table.
    EXPECT_EQ(unhurriedPaid, 11);
    EXPECT_EQ(globals.money, 375);
    EXPECT_NEAR(globals.satisfaction, 3.2f, 1e-4);
}

TEST_F(ScriptedDay, SaveAndRestoreMidDayBringBackTheSameSalon) {
    openDayTwo();
    framesFor(40);
    auto& globals = GameGlobals::shared();
    shop->saveGame();
    struct Snapshot {
        int day, level, money;
        float satisfaction, shopTime;
        int lastDayMoney, customerToday;
        std::vector<std::pair<int, int>> furniture;
        std::vector<bool> staff;
    };
    auto snapshot = [&] {
        Snapshot s {globals.day, globals.shopLevel, globals.money, globals.satisfaction,
            globals.shopTime, globals.lastDayMoney, globals.customerToday, {}, {}};
        for (int i = 0; i < Shop::furnitureSlots; ++i) {
            if (auto* piece = shop->getFurniture(i))
                s.furniture.push_back({piece->furnType(), piece->nLevel()});
        }
        for (int i = 0; i < Shop::staffSlots; ++i)
            s.staff.push_back(shop->getStaff(i)->bEnable());
        return s;
    };
    auto before = snapshot();
    // A new salon from the save, as after the program was closed.
    shop->cleanup();
    globals = game::GameGlobals();
    // What the program reads at its start, then the salon state.
    game::DataConrtoller::loadDay();
    game::DataConrtoller::loadShopLevel();
    game::DataConrtoller::loadMoney();
    game::DataConrtoller::loadSatisfaction();
    SetUpGlobalsForReload();
    load();
    auto after = snapshot();
    EXPECT_EQ(after.day, before.day);
    EXPECT_EQ(after.level, before.level);
    EXPECT_EQ(after.money, before.money);
    EXPECT_FLOAT_EQ(after.satisfaction, before.satisfaction);
    EXPECT_FLOAT_EQ(after.shopTime, before.shopTime);
    EXPECT_EQ(after.lastDayMoney, before.lastDayMoney);
    EXPECT_EQ(after.customerToday, before.customerToday);
    EXPECT_EQ(after.furniture, before.furniture);
    EXPECT_EQ(after.staff, before.staff);
    EXPECT_EQ(shop->getShopState(), 2);
    EXPECT_TRUE(std::find(hud->calls.begin(), hud->calls.end(), "showNewDay") == hud->calls.end());
}

}
