#include "SalonDay.hpp"

#include <foundation/Random.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/progression/QuestNotification.hpp>
#include <game/progression/QuestReport.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <support/LogCapture.hpp>

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
    // Makes the salon's only challenge "q" with this goal and reward, and activates it.
    game::QuestItem* activate(char const* condition, char const* reward) {
        auto entry = base::Dictionary::create();
        entry->setObject("prerequisite", "");
        entry->setObject("condition", condition);
        entry->setObject("rewardcode", reward);
        auto list = base::Dictionary::create();
        list->setObject("q", base::Value(entry));
        auto* controller = shop->questController();
        controller->loadQuestList(*list);
        controller->clearCurrentQuests();
        controller->addToCurrentQuestsById("q");
        return controller->getQuestById("q");
    }
    // The banners on the salon's layer, as "complete" or "fail", oldest first.
    std::vector<std::string> banners() const {
        std::vector<std::string> found;
        for (auto const& child : layer->children()) {
            if (auto* banner = dynamic_cast<game::QuestNotification*>(child.get())) {
                found.push_back(
                    banner->info()->getText() == "Challenge Complete" ? "complete" : "fail");
                EXPECT_EQ(banner->zOrder(), 10000);
            }
        }
        return found;
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
    auto quest = game::QuestItem::create();
    quest->setQuest_id("Q1");
    quest->setRewardcode("coin:100,pp:2,tok:1,wild:3,tip,bogus:9");
    shop->markQuestComplete(*quest);
    EXPECT_EQ(globals.money, 100);
    EXPECT_EQ(globals.customerIncome, 7);
    EXPECT_EQ(globals.petPoints, 2);
    EXPECT_EQ(foundation::UserDefaults::standardUserDefaults().integerForKey("credit"), 1);
    EXPECT_EQ(hud->items["WildcardBonus"], 3);
    EXPECT_EQ(hud->items["IncomeBonus"], 0);
    EXPECT_EQ(hud->items.count("bogus"), 0u);
}

TEST_F(ShopQuestsTest, BannerDecisionsReadThePreviousUpdate) {
    load();
    struct Step {
        Counters counters;
        std::vector<std::string> banners;
    };
    struct Case {
        char const* condition;
        std::vector<Step> steps;
    };
    std::vector<std::string> const none;
    std::vector<std::string> const complete {"complete"};
    std::vector<std::string> const fail {"fail"};
    Case const cases[] = {
        // Met at the second update: announced at the third, once.
        {"service:3",
            {{{.service = 2}, none}, {{.service = 3}, none}, {{.service = 3}, complete},
                {{.service = 4}, complete}}},
        // Met at the first update: nothing was stored before, so the fresh records count.
        {"service:3", {{{.service = 5}, complete}, {{.service = 5}, complete}}},
        // The third angry customer fails it one update later, and it is never met.
        {"maxangry:3",
            {{{.angry = 0}, none}, {{.angry = 2}, none}, {{.angry = 3}, none}, {{.angry = 3}, fail},
                {{.angry = 4}, fail}}},
        // A clause that is not announced on completion keeps the banner back.
        {"service:3,lvl:1", {{{.service = 3}, none}, {{.service = 3}, none}}},
        // Every clause must be met and announced.
        {"incomepct:50,fastpct:50",
            {{{.income = 60, .incomeP = 100, .serviceP = 4, .fast = 1}, none},
                {{.income = 60, .incomeP = 100, .serviceP = 4, .fast = 2}, none},
                {{.income = 60, .incomeP = 100, .serviceP = 4, .fast = 2}, complete}}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.condition);
        activate(c.condition, "coin:1");
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(i);
            set(c.steps[i].counters);
            shop->updateActiveQuests();
            EXPECT_EQ(banners(), c.steps[i].banners);
        }
        framesFor(3);
        EXPECT_TRUE(banners().empty()) << "a banner leaves after 2.5 s";
    }
}

TEST_F(ShopQuestsTest, TheThirdAngryCustomerFailsTheChallengeAtTheNextUpdate) {
    load();
    test::LogCapture log;
    activate("maxangry:3", "pp:1");
    for (int i = 0; i < 3; ++i) {
        // A customer walks out angry: counted, then the angry face updates the challenges.
        auto pair = makePair();
        GameGlobals::shared().customerAngryCount += 1;
        pair.customer->showEmotion(1);
        EXPECT_TRUE(banners().empty());
    }
    // The next reaction or bubble press.
    shop->updateActiveQuests();
    EXPECT_EQ(banners(), (std::vector<std::string> {"fail"}));
    EXPECT_TRUE(log.contains("Quest ID:q Failed"));
    EXPECT_FALSE(log.contains("Completed"));
}

TEST_F(ShopQuestsTest, AThreeClauseChallengeIsReportedAsItsRewardSays) {
    load();
    auto& globals = GameGlobals::shared();
    globals.petPoints = 0;
    // Both shown clauses hold; the level does not.
    set({.level = 2, .service = 5});
    auto* quest = activate("service:3,maxangry:3,lvl:9", "pp:5");
    shop->questController()->markCompletedQuests();
    EXPECT_EQ(globals.petPoints, 0);
    struct Listener final : game::QuestReportDelegate {
        void didDismissQuestReport(game::QuestReport&) override { }
    } listener;
    auto report = game::QuestReport::initWithQuest(quest, &listener);
    EXPECT_EQ(report->questTitleLabel()->getText(), "Challenge Failed");
    EXPECT_EQ(game::DataConrtoller::getChallengeFailCount(), 1);
    EXPECT_EQ(game::DataConrtoller::getChallengeCompleteCount(), 0);

    set({.level = 9, .service = 5});
    shop->questController()->markCompletedQuests();
    EXPECT_EQ(globals.petPoints, 5);
    report = game::QuestReport::initWithQuest(quest, &listener);
    EXPECT_EQ(report->questTitleLabel()->getText(), "Challenge Complete!");
    EXPECT_EQ(game::DataConrtoller::getChallengeCompleteCount(), 1);
    report = game::QuestReport::initWithQuest(quest, &listener);
    EXPECT_EQ(game::DataConrtoller::getChallengeCompleteCount(), 1);
}

TEST_F(ShopQuestsTest, ARestartMidDayBringsTheChallengeBack) {
    load();
    foundation::srand48(11);
    ASSERT_TRUE(shop->prepareDailyChallenge());
    auto id = shop->questController()->getActiveQuests().front()->quest_id();
    shop->questController()->getActiveQuests().front()->setNotified(true);
    shop->saveGame();

    // The program leaves the salon and comes back to it.
    shop->cleanup();
    SetUpGlobalsForReload();
    load();
    ASSERT_TRUE(shop->isDailyChallenge());
    auto active = shop->questController()->getActiveQuests();
    ASSERT_EQ(active.size(), 1u);
    EXPECT_EQ(active.front()->quest_id(), id);
    EXPECT_EQ(active.front()->questDelegate(), shop.get());
    EXPECT_FALSE(active.front()->notified());
    EXPECT_FALSE(active.front()->marked());

    // With daily challenges off the saved challenge stays saved but does not come back.
    game::DataConrtoller::setDailyChallengeEnabled(false);
    shop->cleanup();
    SetUpGlobalsForReload();
    load();
    EXPECT_FALSE(shop->isDailyChallenge());
    EXPECT_TRUE(foundation::UserDefaults::standardUserDefaults().arrayForKey(
        game::QuestController::activeQuestsKey));
}

}
