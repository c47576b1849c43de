#pragma once

#include "SalonFixture.hpp"

#include <game/interface/Interface.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/salon/Shop.hpp>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace test {

// The HUD, recording what the salon shows (the income markers are also shown); money and
// satisfaction change as the game's interface changes them.
class RecordingHud final : public game::Interface {
public:
    void updateGameplayMoney(int n) override {
        Interface::updateGameplayMoney(n);
        if (n != 0)
            moneyChanges.push_back(n);
    }
    void updateGameplaySatisfaction(float change) override {
        Interface::updateGameplaySatisfaction(change);
        if (change != 0)
            satisfactionChanges.push_back(change);
    }
    void showNewDay() override { calls.push_back("showNewDay"); }
    void showPonyNewDay() override { calls.push_back("showPonyNewDay"); }
    void showNextDayButton() override { calls.push_back("showNextDayButton"); }
    void showHelpMenu(bool) override { calls.push_back("showHelpMenu"); }
    void hiddenPauseButton() override { calls.push_back("hiddenPauseButton"); }
    void showIncomeDisplay(
        int income, float satisfaction, engine::Point at, engine::SceneNode* layer) override {
        Interface::showIncomeDisplay(income, satisfaction, at, layer);
        incomeShown.push_back(income);
        incomeShownAt.push_back(at);
    }
    void showIncomeBonusDisplay(engine::Point at, int z, engine::SceneNode* layer) override {
        Interface::showIncomeBonusDisplay(at, z, layer);
        bonusShown.push_back({at, z, layer});
    }
    void showEventCloseUp(int kind) override { calls.push_back("closeUp " + std::to_string(kind)); }
    void showDLCEventCloseUp(std::string const& picture) override {
        calls.push_back("dlcCloseUp " + picture);
    }
    void showQuestReport(std::string const& quest) override {
        calls.push_back("questReport " + quest);
    }
    void showReport(bool levelUp) override {
        calls.push_back(levelUp ? "report levelUp" : "report");
    }
    void showEOD1Bonus() override { calls.push_back("showEOD1Bonus"); }
    void showEOLBonus() override { calls.push_back("showEOLBonus"); }
    void showPonyDayPopup() override { calls.push_back("showPonyDayPopup"); }
    void showUpgradeMenu(base::Object* piece, bool purchase) override {
        calls.push_back(purchase ? "upgradeMenu purchase" : "upgradeMenu");
        menuTarget = piece;
    }
    void showHireMenu(base::Object* staff) override {
        calls.push_back("hireMenu");
        menuTarget = staff;
    }
    void didPurchaseConsumableNamed(std::string const& name, int count) override {
        items[name] += count;
    }
    int curUIState() override { return uiState; }

    std::vector<int> moneyChanges;
    std::vector<float> satisfactionChanges;
    std::vector<std::string> calls;
    std::vector<int> incomeShown;
    std::vector<engine::Point> incomeShownAt;
    struct Bonus {
        engine::Point at;
        int z;
        engine::SceneNode* layer;
    };
    std::vector<Bonus> bonusShown;
    std::map<std::string, int> items;
    base::Object* menuTarget {nullptr};
    int uiState {0};

private:
    friend base::Factory;
    RecordingHud()
        : Interface(nullptr) { }
};

// The services around the salon, recording what it reports; achievements and
// leaderboard scores go to the game's own book and reporter, over the local game
// service, and pony days follow the server kit's pony-day state in the user defaults.
class RecordingSalonServices final : public game::SalonServices {
public:
    bool isNetworkReachable() override { return reachable; }
    void reportPayPerAction(int slot, std::string const& key) override {
        reported.push_back(std::to_string(slot) + " " + key);
    }
    void reloadPetsWithPonyMode(bool pony) override { events.push_back(pony ? "ponies" : "pets"); }
    void logEvent(std::string const& name, base::Ref<base::Dictionary>) override {
        events.push_back(name);
    }
    bool isBannerEnabled() override { return banner; }
    void showAdView() override { events.push_back("showAdView"); }
    bool has(std::string const& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }

    bool reachable {true};
    bool banner {false};
    std::vector<std::string> reported;
    std::vector<std::string> events;
};

// A salon on the generated bundle with its path finder, a recording HUD and
// recording services, customers drawn from "CUS001".."CUS003" and pets from
// "DOG001", "CAT001"; the game starts at day 1, level 1, $200.
class SalonDayTest : public SalonFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // The path finder, the HUD, the character lists and a new shop, as the program
    // makes them when the salon state starts.
    void SetUpGlobalsForReload();
    // The shop built and its day restored.
    void load();
    // One salon frame of 1/60 s: the game-wide clocks, the shop, then the run loop
    // and the actions.
    void frame();
    void framesFor(float seconds);

    // Whether the achievement book holds the achievement of that number complete, and
    // the numbers of all that it holds complete.
    static bool achieved(int number);
    static std::set<int> achievedNumbers();

    // A customer and its pet made outside the arrival rules, for the counter.
    struct Pair {
        base::Ref<game::QBY_Character> customer;
        base::Ref<game::QBY_Character> pet;
    };
    Pair makePair();
    // "unpacked.plist" in the data folder, as downloaded content leaves it.
    void writeUnpacked(base::Ref<base::Array> entries);

    RecordingSalonServices services;
    base::Ref<RecordingHud> hud;
    base::Ref<game::Shop> shop;
};

}
