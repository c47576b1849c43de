// The salon's answers to the daily challenges: condition tests, progress records,
// rewards and notifications.

#include <foundation/UserDefaults.hpp>
#include <game/progression/QuestClause.hpp>
#include <game/progression/QuestNotification.hpp>
#include <game/salon/Shop.hpp>
#include <game/salon/ShopSupport.hpp>
#include <game/shell/DataConrtoller.hpp>

#include <cmath>

namespace game {

using namespace shop_support;

namespace {

// The target of a percentage term over the customers of the previous period. The
// rounded target is used by the test and the progress record alike, so a condition
// shown as not complete is never counted as met.
double roundedShare(double p, int base) {
    return std::round(p * double(base));
}

// Above the salon's characters and furniture.
constexpr int questBannerZ = 10000;

}

bool Shop::questConditionFinished(std::string const& condition) {
    auto const& g = GameGlobals::shared();
    bool met = true;
    int totalP = g.customerHappyCountP + g.customerAngryCountP;
    for (auto const& term : QuestClause::parseList(condition)) {
        int n = term.value;
        double p = double(n) / 100;
        bool holds = true;
        auto const& key = term.key;
        if (key == "lvl") {
            holds = g.shopLevel >= n;
        } else if (key == "maxangry") {
            holds = g.customerAngryCount < n;
        } else if (key == "maxhurry") {
            holds = g.customerHurryCount < n;
        } else if (key == "fastpct") {
            holds = g.customerServiceP != 0
                && double(g.customerFastService) >= roundedShare(p, g.customerServiceP);
        } else if (key == "service") {
            holds = g.customerService >= n;
        } else if (key == "prevservice") {
            holds = g.customerServiceP >= n;
        } else if (key == "happypct" || key == "prevhappypct") {
            double target = p * double(totalP);
            int count = key == "happypct" ? g.customerHappyCount : g.customerHappyCountP;
            holds = totalP != 0 && target != 0 && double(count) >= target;
        } else if (key == "angrypct" || key == "hurrypct") {
            double target = roundedShare(p, totalP);
            int count = key == "angrypct" ? g.customerAngryCount : g.customerHurryCount;
            holds = totalP != 0 && p * double(totalP) != 0 && double(count) < target;
        } else if (key == "incomepct") {
            holds = g.customerIncomeP != 0
                && double(g.customerIncome) >= p * double(g.customerIncomeP);
        } else if (key == "previncome") {
            holds = g.customerIncomeP != 0 && g.customerIncomeP >= n;
        }
        met = met && holds;
    }
    return met;
}

std::vector<QuestConditionState> Shop::questConditionState(std::string const& condition) {
    auto const& g = GameGlobals::shared();
    int totalP = g.customerHappyCountP + g.customerAngryCountP;
    std::vector<QuestConditionState> records;
    for (auto const& term : QuestClause::parseList(condition)) {
        QuestConditionState state;
        state.condition = term.key;
        int n = term.value;
        double p = double(n) / 100;
        auto line = [&state](char const* format, double target, int count) {
            state.customdata = foundation::format(format, int(target), count, int(target));
        };
        auto const& key = term.key;
        auto upperBound = [&](int count, double target, bool complete, char const* format) {
            state.progress = count;
            state.maxprogress = target;
            state.complete = complete;
            state.fail = !complete;
            state.reportFail = true;
            state.reportComplete = false;
            line(format, target, count);
        };
        auto goal = [&](int count, double target, bool complete, char const* format) {
            state.progress = count;
            state.maxprogress = target;
            state.complete = complete;
            state.fail = false;
            state.reportFail = false;
            state.reportComplete = true;
            if (format)
                line(format, target, count);
        };
        if (key == "lvl") {
            state.progress = g.shopLevel;
            state.maxprogress = n;
            state.complete = g.shopLevel >= n;
        } else if (key == "service") {
            goal(g.customerService, n, g.customerService >= n,
                "Successfully serve %d times (%d/%d)");
        } else if (key == "maxangry") {
            upperBound(g.customerAngryCount, n, g.customerAngryCount < n,
                "Finish with < %d angry customers (%d/%d)");
        } else if (key == "maxhurry") {
            upperBound(g.customerHurryCount, n, g.customerHurryCount < n,
                "Finish with < %d impatient customers (%d/%d)");
        } else if (key == "fastpct") {
            double target = roundedShare(p, g.customerServiceP);
            goal(g.customerFastService, target,
                g.customerServiceP != 0 && double(g.customerFastService) >= target,
                "Get tipped for fast service %d times (%d/%d)");
        } else if (key == "happypct") {
            double target = p * double(totalP);
            goal(g.customerHappyCount, target,
                target != 0 && double(g.customerHappyCount) >= target,
                "Serve %d Happy Customers (%d/%d)");
        } else if (key == "angrypct") {
            double target = roundedShare(p, totalP);
            upperBound(g.customerAngryCount, target,
                totalP != 0 && double(g.customerAngryCount) < target,
                "Finish with < %d angry customers (%d/%d)");
        } else if (key == "hurrypct") {
            double target = roundedShare(p, totalP);
            upperBound(g.customerHurryCount, target,
                totalP != 0 && double(g.customerHurryCount) < target,
                "Finish with < %d impatient customers (%d/%d)");
        } else if (key == "incomepct") {
            double target = p * double(g.customerIncomeP);
            goal(g.customerIncome, target,
                g.customerIncomeP != 0 && double(g.customerIncome) >= target,
                "Finish with $%d in income (%d/%d)");
        } else if (key == "previncome") {
            goal(g.customerIncomeP, n, g.customerIncomeP >= n, nullptr);
        }
        records.push_back(std::move(state));
    }
    return records;
}

void Shop::notifyQuestComplete(QuestItem& quest) {
    foundation::log("QUEST ID:%@ Completed", quest.quest_id());
    if (pLayer)
        pLayer->addChild(QuestNotification::initComplete(), questBannerZ);
}

void Shop::notifyQuestFail(QuestItem& quest) {
    foundation::log("Quest ID:%@ Failed", quest.quest_id());
    if (pLayer)
        pLayer->addChild(QuestNotification::initFail(), questBannerZ);
}

void Shop::markQuestComplete(QuestItem& quest) {
    auto& globals = GameGlobals::shared();
    for (auto const& term : QuestClause::parseList(quest.rewardcode())) {
        int c = term.value;
        auto* hud = interface();
        if (term.key == "coin") {
            if (hud)
                hud->updateGameplayMoney(c);
            else
                globals.money += c;
            // A reward is not income.
            if (hud && c > 0)
                globals.customerIncome -= c;
            DataConrtoller::saveMoney();
        } else if (term.key == "pp") {
            globals.petPoints += c;
            DataConrtoller::savePetPoints();
        } else if (term.key == "tok") {
            auto& defaults = foundation::UserDefaults::standardUserDefaults();
            defaults.setInteger(defaults.integerForKey("credit") + c, "credit");
        } else if (term.key == "tip" || term.key == "wild" || term.key == "pow") {
            char const* item = term.key == "tip" ? "IncomeBonus"
                : term.key == "wild"             ? "WildcardBonus"
                                                 : "SpeedBonus";
            if (hud)
                hud->didPurchaseConsumableNamed(item, c);
        }
    }
}

}
