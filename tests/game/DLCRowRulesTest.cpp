#include <game/store/DLCRowRules.hpp>

#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using game::DLCRowRules;
using Cell = DLCRowRules::Cell;

// Fresh user defaults in a sandbox of their own.
class DLCRowRulesTest : public ::testing::Test {
protected:
    DLCRowRulesTest() {
        foundation::Sandbox::setRoot(home.path().string());
        foundation::UserDefaults::resetStandardUserDefaults();
    }
    ~DLCRowRulesTest() override {
        foundation::UserDefaults::resetStandardUserDefaults();
        foundation::Sandbox::setRoot({});
    }

    static base::Ref<base::Dictionary> listed(std::string const& uid, std::string const& type,
        int cost, std::optional<std::string> ver = "1") {
        auto entry = base::Dictionary::create();
        entry->setObject("uid", uid);
        entry->setObject("type", type);
        entry->setObject("cost", cost);
        if (ver)
            entry->setObject("ver", *ver);
        return entry;
    }
    static base::Ref<base::Dictionary> unpacked(
        std::string const& uid, std::optional<std::string> ver = "1", int amount = 0) {
        auto entry = base::Dictionary::create();
        entry->setObject("uid", "dlc_" + uid);
        if (ver)
            entry->setObject("ver", *ver);
        auto data = base::Dictionary::create();
        data->setObject("amt", amount);
        entry->setObject("data", data);
        return entry;
    }
    static foundation::UserDefaults& defaults() {
        return foundation::UserDefaults::standardUserDefaults();
    }
    static std::int64_t record(std::string const& key) { return defaults().integerForKey(key); }

    test::TempDir home;
};

}

TEST_F(DLCRowRulesTest, EachSlotGetsOneActionFromTheListsAndTheRecords) {
    struct Case {
        char const* name;
        std::string type;
        int cost;
        std::optional<std::string> listedVer;
        bool downloaded;
        std::optional<std::string> unpackedVer;
        int bought;
        int active;
        Cell cell;
        int boughtAfter;
        int activeAfter;
    };
    std::vector<Case> cases {
        {"not downloaded", "level", 5, "1", false, "1", 0, 0, Cell::Download, 0, 0},
        {"not downloaded though bought", "vip", 5, "1", false, "1", 1, 1, Cell::Download, 1, 1},
        {"paid, not bought", "vip", 5, "1", true, "1", 0, 0, Cell::Buy, 0, 0},
        {"paid, bought, newer listed", "vip", 5, "2", true, "1", 1, 1, Cell::Update, 1, 1},
        {"paid, bought, older listed", "vip", 5, "1", true, "2", 1, 0, Cell::Update, 1, 0},
        {"paid, bought, no listed ver", "vip", 5, std::nullopt, true, "1", 1, 1, Cell::Update, 1,
            1},
        {"paid, bought, active", "vip", 5, "1", true, "1", 1, 1, Cell::Deactivate, 1, 1},
        {"paid, bought, inactive", "vip", 5, "1", true, "1", 1, 0, Cell::Activate, 1, 0},
        {"paid level follows the paid rules", "level", 5, "1", true, "1", 1, 0, Cell::Activate, 1,
            0},
        {"free, first listed: switched on", "vip", 0, "1", true, "1", 0, 0, Cell::Deactivate, 1, 1},
        {"free, switched off later", "vip", 0, "1", true, "1", 1, 0, Cell::Activate, 1, 0},
        {"free, update", "vip", 0, "3", true, "1", 1, 0, Cell::Update, 1, 0},
        {"free level is always on", "level", 0, "1", true, "1", 1, 0, Cell::DisabledDeactivate, 1,
            1},
        {"free level to update", "level", 0, "2", true, "1", 0, 0, Cell::Update, 1, 1},
    };
    for (auto const& c : cases) {
        foundation::UserDefaults::resetStandardUserDefaults();
        auto entry = listed("7", c.type, c.cost, c.listedVer);
        auto list = base::Array::create();
        list->add(unpacked("3"));
        if (c.downloaded)
            list->add(unpacked("7", c.unpackedVer));
        auto bought = DLCRowRules::recordKey(*entry, "bought");
        auto active = DLCRowRules::recordKey(*entry, "active");
        EXPECT_EQ(bought, c.type + "_dlc_7_bought");
        defaults().setInteger(c.bought, bought);
        defaults().setInteger(c.active, active);
        EXPECT_EQ(DLCRowRules::cellFor(*entry, *list), c.cell) << c.name;
        EXPECT_EQ(record(bought), c.boughtAfter) << c.name;
        EXPECT_EQ(record(active), c.activeAfter) << c.name;
    }
}

TEST_F(DLCRowRulesTest, AFreeTokenPackCreditsItsAmountOnceAndOnlyWhileActive) {
    auto pack = listed("9", "free_dbtoken", 0);
    auto list = base::Array::create();
    list->add(unpacked("9", "1", 25));
    defaults().setInteger(4, "credit");
    // Switched off: drawing credits nothing, and switches it on (it is always on).
    defaults().setInteger(1, "free_dbtoken_dlc_9_bought");
    defaults().setInteger(0, "free_dbtoken_dlc_9_active");
    EXPECT_EQ(DLCRowRules::cellFor(*pack, *list), Cell::DisabledDeactivate);
    EXPECT_EQ(record("credit"), 4);
    EXPECT_EQ(record("free_dbtoken_dlc_9_redeemed"), 0);
    EXPECT_EQ(record("free_dbtoken_dlc_9_active"), 1);
    // Active: the next drawing credits, and no later one again.
    for (int draw = 0; draw < 5; ++draw)
        EXPECT_EQ(DLCRowRules::cellFor(*pack, *list), Cell::DisabledDeactivate);
    EXPECT_EQ(record("credit"), 29);
    EXPECT_EQ(record("free_dbtoken_dlc_9_redeemed"), 1);

    // A new pack, first listed, is switched on and credited at once; an absent
    // "credit" counts as 0, and a second unpacked entry of the same uid adds nothing.
    auto other = listed("10", "free_dbtoken", 0);
    list->add(unpacked("10", "1", 7));
    list->add(unpacked("10", "1", 100));
    defaults().setObject(base::Value(), "credit");
    EXPECT_EQ(DLCRowRules::cellFor(*other, *list), Cell::DisabledDeactivate);
    EXPECT_EQ(record("credit"), 7);
}

TEST_F(DLCRowRulesTest, OnlyTheFirstUnpackedEntryOfAUidDecidesAnUpdate) {
    auto entry = listed("4", "vip", 5, "2");
    auto list = base::Array::create();
    list->add(unpacked("4", "2"));
    list->add(unpacked("4", "1"));
    EXPECT_TRUE(DLCRowRules::isDownloaded(*entry, *list));
    EXPECT_FALSE(DLCRowRules::isUpdateAvailable(*entry, *list));
    auto missing = base::Array::create();
    missing->add(unpacked("4", std::nullopt));
    EXPECT_TRUE(DLCRowRules::isUpdateAvailable(*entry, *missing));
    // Not downloaded: no update; a uid is matched whole, with its prefix.
    auto others = base::Array::create();
    others->add(unpacked("44"));
    auto plain = base::Dictionary::create();
    plain->setObject("uid", "4");
    others->add(plain);
    others->add("not a dictionary");
    EXPECT_FALSE(DLCRowRules::isDownloaded(*entry, *others));
    EXPECT_FALSE(DLCRowRules::isUpdateAvailable(*entry, *others));
}

TEST_F(DLCRowRulesTest, ThemesAreLeftOutAndRowsHoldOneOrTwoEntries) {
    auto list = base::Array::create();
    list->add(listed("1", "level", 0));
    list->add(listed("2", "theme", 5));
    list->add(listed("3", "vip", 5));
    list->add("junk");
    auto shown = DLCRowRules::listedEntries(base::Value(list));
    ASSERT_EQ(shown->size(), 2u);
    EXPECT_EQ(shown->at(1).dictionary()->objectForKey("uid").stringValue(), "3");
    EXPECT_EQ(DLCRowRules::listedEntries(base::Value("not a list"))->size(), 0u);

    struct Case {
        bool known;
        std::size_t count;
        bool pad;
        std::size_t rows;
    };
    for (auto c : std::vector<Case> {{false, 0, false, 0}, {false, 3, true, 0}, {true, 0, false, 1},
             {true, 0, true, 1}, {true, 3, false, 3}, {true, 3, true, 2}, {true, 4, true, 2},
             {true, 1, true, 1}})
        EXPECT_EQ(DLCRowRules::rowCount(c.known, c.count, c.pad), c.rows)
            << c.known << " " << c.count << " " << c.pad;
}
