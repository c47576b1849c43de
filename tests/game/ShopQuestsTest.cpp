#include "SalonDay.hpp"

#include <foundation/UserDefaults.hpp>
#include <game/shell/GameGlobals.hpp>

#include <gtest/gtest.h>

namespace {

using game::GameGlobals;

class ShopQuestsTest : public test::SalonDayTest {
protected:
    struct Counters {
        int level {1};
        int happy {0}, happyP {0}, angry {0}, angryP {0}, hurry {0}, hurryP {0};
        int income {0}, incomeP {0}, service {0}, serviceP {0}, fast {0};
    };
    static void set(Counters const& c) {
        auto& g = GameGlobals::shared();
        g.shopLevel = c.level;
        g.customerHappyCount = c.happy;
        g.customerHappyCountP = c.happyP;
        g.customerAngryCount = c.angry;
        g.customerAngryCountP = c.angryP;
        g.customerHurryCount = c.hurry;
        g.customerHurryCountP = c.hurryP;
        g.customerIncome = c.income;
        g.customerIncomeP = c.incomeP;
        g.customerService = c.service;
        g.customerServiceP = c.serviceP;
        g.customerFastService = c.fast;
    }
};

TEST_F(ShopQuestsTest, ConditionGrammar) {
    struct Case {
        char const* condition;
        Counters counters;
        bool met;
    } const cases[] = {
        {"", {}, true},
        {",", {}, true},
        {"mystery", {}, true},
        {"lvl:3,maxangry:2", {.level = 3, .angry = 2}, false},
        {"lvl:3,maxangry:3", {.level = 3, .angry = 2}, true},
        {"lvl:4", {.level = 3}, false},
        {"happypct:50", {.happy = 5, .happyP = 6, .angryP = 4}, true},
        {"happypct:50", {.happy = 4, .happyP = 6, .angryP = 4}, false},
        {"happypct:50", {.happy = 5}, false},
        {"fastpct:50", {.serviceP = 5, .fast = 3}, true},
        {"fastpct:50", {.serviceP = 5, .fast = 2}, false},
        {"fastpct:50", {.fast = 3}, false},
        // round(0.4) = 0: nobody can be below it, as the progress record shows.
        {"angrypct:10", {.happyP = 2, .angryP = 2}, false},
        {"angrypct:50", {.happyP = 2, .angry = 2, .angryP = 2}, false},
        {"angrypct:50", {.happyP = 4, .angry = 1, .angryP = 2}, true},
        {"hurrypct:50", {.happyP = 4, .angryP = 2, .hurry = 2}, true},
        {"incomepct:50", {.income = 50, .incomeP = 100}, true},
        {"incomepct:50", {.income = 49, .incomeP = 100}, false},
        {"incomepct:50", {.income = 49}, false},
        {"previncome:100", {.incomeP = 100}, true},
        {"service:3,prevservice:2", {.service = 3, .serviceP = 2}, true},
        {"service:3,prevservice:2", {.service = 3, .serviceP = 1}, false},
        {"maxhurry:1", {.hurry = 1}, false},
        {"prevhappypct:50", {.happyP = 2, .angryP = 2}, true},
        {"service:x", {}, true},
    };
    for (auto const& c : cases) {
        set(c.counters);
        EXPECT_EQ(shop->questConditionFinished(c.condition), c.met) << c.condition;
    }
}

TEST_F(ShopQuestsTest, ProgressRecordsAgreeWithTheTest) {
    set({.happyP = 2, .angry = 0, .angryP = 2});
    auto records
        = shop->questConditionState("angrypct:10,service:4,lvl:2,prevservice:1,maxhurry:3");
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].condition, "angrypct");
    EXPECT_EQ(records[0].maxprogress, 0);
    EXPECT_FALSE(records[0].complete);
    EXPECT_TRUE(records[0].fail);
    EXPECT_TRUE(records[0].reportFail);
    EXPECT_EQ(records[0].customdata, "Finish with < 0 angry customers (0/0)");
    EXPECT_FALSE(shop->questConditionFinished("angrypct:10"));
    EXPECT_EQ(records[1].customdata, "Successfully serve 4 times (0/4)");
    EXPECT_TRUE(records[1].reportComplete);
    EXPECT_EQ(records[2].progress, 1);
    EXPECT_EQ(records[2].maxprogress, 2);
    EXPECT_FALSE(records[2].complete);
    // No record for the keys the report does not show.
    EXPECT_EQ(records[3].customdata, "");
    EXPECT_TRUE(records[4].complete);
    EXPECT_EQ(records[4].customdata, "Finish with < 3 impatient customers (0/3)");

    set({.serviceP = 5, .fast = 2});
    auto fast = shop->questConditionState("fastpct:50");
    EXPECT_EQ(fast[0].maxprogress, 3);
    EXPECT_FALSE(fast[0].complete);
    EXPECT_EQ(fast[0].customdata, "Get tipped for fast service 3 times (2/3)");
    set({.happy = 5, .happyP = 6, .angryP = 4});
    auto happy = shop->questConditionState("happypct:50");
    EXPECT_TRUE(happy[0].complete);
    set({});
    EXPECT_FALSE(shop->questConditionState("happypct:50")[0].complete);
}

TEST_F(ShopQuestsTest, RewardsAreHandedOut) {
    load();
    auto& globals = GameGlobals::shared();
    globals.money = 0;
    globals.petPoints = 0;
    globals.customerIncome = 7;
    shop->markQuestComplete({"Q1", "coin:100,pp:2,tok:1,wild:3,tip,bogus:9"});
    EXPECT_EQ(globals.money, 100);
    EXPECT_EQ(globals.customerIncome, 7);
    EXPECT_EQ(globals.petPoints, 2);
    EXPECT_EQ(foundation::UserDefaults::standardUserDefaults().integerForKey("credit"), 1);
    EXPECT_EQ(hud->items["WildcardBonus"], 3);
    EXPECT_EQ(hud->items["IncomeBonus"], 0);
    EXPECT_EQ(hud->items.count("bogus"), 0u);
}

}
