#include "BundleData.hpp"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>

using namespace bundletest;
using base::Dictionary;
using base::Value;

namespace {

// Text of a dictionary entry, or empty when it is missing or not text.
std::string text(Dictionary const& d, std::string_view key) {
    auto const* s = d.objectForKey(key).string();
    return s ? *s : std::string();
}

bool isNumber(Dictionary const& d, std::string_view key) {
    return d.objectForKey(key).isNumber();
}
bool isInt(Dictionary const& d, std::string_view key) {
    return isInteger(d.objectForKey(key));
}
long long integer(Dictionary const& d, std::string_view key) {
    return d.objectForKey(key).longLongValue();
}
double number(Dictionary const& d, std::string_view key) {
    return d.objectForKey(key).doubleValue();
}

// A plain resource name: no folder part, so it cannot reach outside the bundle.
bool isPlainName(std::string const& name) {
    return !name.empty() && name.find('/') == std::string::npos
        && name.find("..") == std::string::npos;
}

// Levels of a furniture entry or a staff entry, in order; their keys must run "1", "2", ...
std::vector<Dictionary*> levelsInOrder(Dictionary const& levels) {
    std::vector<Dictionary*> out;
    for (std::size_t n = 1; n <= levels.size(); ++n) {
        auto* level = levels.objectForKey(std::to_string(n)).dictionary();
        if (!level)
            return {};
        out.push_back(level);
    }
    return out;
}

Dictionary* furnitureNamed(std::string const& name) {
    auto list = dictionary("furnitureList.plist");
    return list ? list->objectForKey(name).dictionary() : nullptr;
}

Dictionary* furnitureOfType(int type) {
    auto list = dictionary("furnitureList.plist");
    for (auto const& [name, value] : *list)
        if (auto* entry = value.dictionary();
            entry && isInt(*entry, "type") && integer(*entry, "type") == type)
            return entry;
    return nullptr;
}

std::vector<std::string> split(std::string const& s, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        auto end = s.find(separator, start);
        parts.push_back(s.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

// A challenge clause "key:number" or a bare "key"; false when the value is not a number.
bool parseClause(std::string const& clause, std::string& key, long long& value) {
    auto colon = clause.find(':');
    key = clause.substr(0, colon);
    value = 0;
    if (colon == std::string::npos)
        return true;
    auto digits = clause.substr(colon + 1);
    if (digits.empty()
        || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::stoll(digits);
    return true;
}

}

// Every list is where the game looks for it and of the kind it reads.
TEST(BundleData, EveryListReadsAsTheKindTheGameExpects) {
    for (auto const* name : {"furnitureList.plist", "characterList.plist", "sfxList.plist",
             "vfxList.plist", "questList.plist", "LuckyWheel.plist", "Info.plist"})
        EXPECT_TRUE(dictionary(name)) << name;
    for (auto const* name : {"StoreItemList.plist", "Achievements.plist"}) {
        EXPECT_TRUE(array(name)) << name;
    }
    EXPECT_TRUE(strings());
}

TEST(FurnitureList, HasExactlyOneEntryForEachKind) {
    auto list = dictionary("furnitureList.plist");
    ASSERT_TRUE(list);
    for (auto const& kind : furnitureKinds()) {
        auto* entry = furnitureNamed(kind.name);
        ASSERT_TRUE(entry) << kind.name;
        EXPECT_TRUE(isInt(*entry, "type")) << kind.name;
        EXPECT_EQ(integer(*entry, "type"), kind.type) << kind.name;
        int sameType = 0;
        for (auto const& [name, value] : *list)
            if (auto* other = value.dictionary(); other && integer(*other, "type") == kind.type)
                ++sameType;
        EXPECT_EQ(sameType, 1) << "furniture kind " << kind.type;
    }
}

TEST(FurnitureList, EveryRoomPlaceIsAnEmptyPlaceOrItsKind) {
    for (auto const& place : roomPlaces()) {
        auto* entry = furnitureNamed(place.name);
        ASSERT_TRUE(entry) << place.name;
        auto kind = std::find_if(furnitureKinds().begin(), furnitureKinds().end(),
            [&](FurnitureKind const& k) { return std::string(k.name) == place.name; });
        int expected = kind == furnitureKinds().end() ? -1 : kind->type;
        EXPECT_EQ(integer(*entry, "type"), expected) << place.name;
    }
}

TEST(FurnitureList, EveryEntryHasSpotsAndLevelsWithTheFieldsTheSalonReads) {
    auto list = dictionary("furnitureList.plist");
    ASSERT_TRUE(list);
    for (auto const& [name, value] : *list) {
        SCOPED_TRACE(name);
        auto* entry = value.dictionary();
        ASSERT_TRUE(entry);
        auto* spots = entry->objectForKey("charPos").dictionary();
        ASSERT_TRUE(spots);
        for (auto const* who : {"customer", "pet", "staff"}) {
            auto* spot = spots->objectForKey(who).dictionary();
            ASSERT_TRUE(spot) << who;
            EXPECT_TRUE(isNumber(*spot, "x") && isNumber(*spot, "y")) << who;
        }
        auto* levelTable = entry->objectForKey("level").dictionary();
        ASSERT_TRUE(levelTable);
        auto levels = levelsInOrder(*levelTable);
        ASSERT_FALSE(levels.empty()) << "levels must be keyed 1, 2, 3 ... without gaps";
        for (std::size_t i = 0; i < levels.size(); ++i) {
            SCOPED_TRACE("level " + std::to_string(i + 1));
            auto const& level = *levels[i];
            EXPECT_TRUE(isPlainName(text(level, "pic")));
            EXPECT_TRUE(isNumber(level, "offsetX") && isNumber(level, "offsetY"));
            EXPECT_TRUE(isInt(level, "charge") && integer(level, "charge") >= 0);
            EXPECT_TRUE(isNumber(level, "servingTime") && number(level, "servingTime") >= 0);
            EXPECT_TRUE(isNumber(level, "timeOut") && number(level, "timeOut") >= 0);
            EXPECT_TRUE(isInt(level, "cost") && integer(level, "cost") >= 0);
            auto currency = text(level, "cost_type");
            EXPECT_TRUE(currency == "pp" || currency == "gc") << currency;
            EXPECT_TRUE(isInt(level, "reqShopLv") && integer(level, "reqShopLv") >= 1);
            for (auto const* key : {"durability", "durablity"})
                if (level.contains(key)) {
                    EXPECT_TRUE(isInt(level, key) && integer(level, key) >= 0) << key;
                }
        }
    }
}

// An image name is used as a format when the level wears out: it must then hold
// exactly one integer placeholder, and otherwise none at all.
TEST(FurnitureList, WornPiecesNameOneImagePerUseLeftAndOthersNone) {
    auto list = dictionary("furnitureList.plist");
    ASSERT_TRUE(list);
    for (auto const& [name, value] : *list) {
        auto levels = levelsInOrder(*value.dictionary()->objectForKey("level").dictionary());
        for (std::size_t i = 0; i < levels.size(); ++i) {
            auto const& level = *levels[i];
            bool wears = level.contains("durability") || level.contains("durablity");
            auto pic = text(level, "pic");
            EXPECT_EQ(formatConversions(pic), wears ? "d" : "")
                << name << " level " << i + 1 << ": " << pic;
            if (!wears) {
                EXPECT_EQ(pic.find('%'), std::string::npos) << name << ": " << pic;
            }
        }
    }
    // The music player and the door block do nothing once worn out: every level needs uses.
    for (auto const* name : {"musicplayer", "doorblock"})
        for (auto* level :
            levelsInOrder(*furnitureNamed(name)->objectForKey("level").dictionary())) {
            EXPECT_GE(integer(*level, "durability"), 1) << name;
        }
}

TEST(FurnitureList, EveryPlaceCanBeBoughtOnceItsLevelIsReached) {
    for (auto const& place : roomPlaces()) {
        if (place.purchaseType < 0)
            continue;
        SCOPED_TRACE(std::string(place.name) + " at " + std::to_string(place.x) + ","
            + std::to_string(place.y));
        auto* kind = furnitureOfType(place.purchaseType);
        ASSERT_TRUE(kind);
        auto* first = kind->objectForKey("level").dictionary()->objectForKey("1").dictionary();
        ASSERT_TRUE(first);
        EXPECT_GE(integer(*first, "cost"), 1);
        EXPECT_LE(integer(*first, "reqShopLv"), place.requiredLevel);
    }
}

TEST(FurnitureList, EveryUpgradeHasAPriceAndOpensNoEarlierThanTheLevelBelow) {
    for (auto const& kind : furnitureKinds()) {
        SCOPED_TRACE(kind.name);
        auto levels = levelsInOrder(*furnitureNamed(kind.name)->objectForKey("level").dictionary());
        for (std::size_t i = 1; i < levels.size(); ++i) {
            EXPECT_GE(integer(*levels[i], "cost"), 1) << "level " << i + 1;
            EXPECT_GE(integer(*levels[i], "reqShopLv"), integer(*levels[i - 1], "reqShopLv"))
                << "level " << i + 1;
        }
    }
}

// A higher level of a treatment station must be a better station: a higher fee, a
// shorter treatment and more patience. Otherwise buying it would hurt the salon.
TEST(FurnitureList, EveryUpgradeOfATreatmentStationIsBetter) {
    for (auto const* name : {"bath", "drying", "hair", "facial", "massage", "flea"}) {
        SCOPED_TRACE(name);
        auto levels = levelsInOrder(*furnitureNamed(name)->objectForKey("level").dictionary());
        ASSERT_GE(levels.size(), 2u);
        EXPECT_GE(integer(*levels[0], "charge"), 1);
        for (std::size_t i = 1; i < levels.size(); ++i) {
            EXPECT_GT(integer(*levels[i], "charge"), integer(*levels[i - 1], "charge"))
                << "level " << i + 1;
            EXPECT_LT(number(*levels[i], "servingTime"), number(*levels[i - 1], "servingTime"))
                << "level " << i + 1;
            EXPECT_GE(number(*levels[i], "timeOut"), number(*levels[i - 1], "timeOut"))
                << "level " << i + 1;
        }
    }
}

// Characters walk between the spots of the pieces along the room's walk map; a spot
// off the map makes them walk straight through the furniture.
TEST(FurnitureList, PetAndStaffSpotsOfEveryPieceLieOnTheWalkMap) {
    std::map<std::string, int> kindOfPlace;
    for (auto const& kind : furnitureKinds())
        kindOfPlace[kind.name] = kind.type;
    for (auto const& place : roomPlaces()) {
        int type = place.purchaseType >= 0  ? place.purchaseType
            : kindOfPlace.count(place.name) ? kindOfPlace[place.name]
                                            : -1;
        if (type < 0 || type == 1 || type == 7 || type == 10)
            continue; // nobody stands at empty places, the music player or the door block; the
                      // counter is below
        auto* kind = furnitureOfType(type);
        ASSERT_TRUE(kind);
        auto* spots = kind->objectForKey("charPos").dictionary();
        std::vector<char const*> who {"pet"};
        if (type == 0)
            who.push_back("customer");
        else
            who.push_back("staff");
        for (auto const* w : who) {
            auto* spot = spots->objectForKey(w).dictionary();
            double x = place.x + number(*spot, "x");
            double y = place.y + number(*spot, "y");
            EXPECT_NE(walkTileAt(x, y), 0)
                << w << " spot of kind " << type << " at place " << place.x << "," << place.y
                << " falls on a wall at " << x << "," << y;
        }
    }
    // The counter: the cashier and the first owner and pet of the queue.
    auto* counter = furnitureNamed("counter")->objectForKey("charPos").dictionary();
    for (auto const* w : {"customer", "pet", "staff"}) {
        auto* spot = counter->objectForKey(w).dictionary();
        EXPECT_NE(walkTileAt(60 + number(*spot, "x"), 20 + number(*spot, "y")), 0)
            << "counter " << w;
    }
}

TEST(CharacterList, HasTheTenStaffWithLevelsTheShopCanSell) {
    auto list = dictionary("characterList.plist");
    ASSERT_TRUE(list);
    for (int type = 0; type < 10; ++type) {
        char key[16];
        std::snprintf(key, sizeof key, "NPC%03d", type + 1);
        SCOPED_TRACE(key);
        auto* entry = list->objectForKey(key).dictionary();
        ASSERT_TRUE(entry);
        EXPECT_EQ(integer(*entry, "type"), 2);
        auto* levelTable = entry->objectForKey("levels").dictionary();
        ASSERT_TRUE(levelTable);
        auto levels = levelsInOrder(*levelTable);
        // Levels 2 and 3 of types 0-6 have prices of their own; the list must still
        // hold them, or the staff member could not be trained that far.
        ASSERT_GE(levels.size(), 3u) << "levels must be keyed 1, 2, 3 ... without gaps";
        for (std::size_t i = 0; i < levels.size(); ++i) {
            auto const& level = *levels[i];
            EXPECT_TRUE(isInt(level, "cost")) << "level " << i + 1;
            EXPECT_TRUE(level.objectForKey("premium").isBoolean()) << "level " << i + 1;
            if (level.contains("speed")) {
                EXPECT_TRUE(isNumber(level, "speed") && number(level, "speed") > 0)
                    << "level " << i + 1;
            }
            // A price comes from the list for types 7-9 and from level 4 on.
            if (i >= 1 && (type >= 7 || i >= 3)) {
                EXPECT_GE(integer(level, "cost"), 1) << "level " << i + 1;
            }
        }
    }
}

TEST(CharacterList, HasCustomersPetsPoniesAndTheThreeSpecialVisitors) {
    auto list = dictionary("characterList.plist");
    ASSERT_TRUE(list);
    int customers = 0, pets = 0, ponies = 0;
    for (auto const& [key, value] : *list) {
        SCOPED_TRACE(key);
        auto* entry = value.dictionary();
        ASSERT_TRUE(entry);
        ASSERT_TRUE(isInt(*entry, "type"));
        auto type = integer(*entry, "type");
        EXPECT_TRUE(type >= 0 && type <= 3);
        EXPECT_TRUE(isPlainName(key));
        EXPECT_NE(key.str().rfind("MS", 0), 0u) << "keys beginning MS are never preloaded";
        for (auto const* field : {"offsetX", "offsetY", "walkSpeed", "servingSpeed"})
            if (entry->contains(field)) {
                EXPECT_TRUE(isNumber(*entry, field)) << field;
            }
        if (entry->contains("ThemeName")) {
            EXPECT_TRUE(isPlainName(text(*entry, "ThemeName")));
        }
        customers += type == 0;
        if (type == 1)
            ++(key.str().rfind("pony", 0) == 0 ? ponies : pets);
    }
    EXPECT_GE(customers, 1);
    EXPECT_GE(pets, 1);
    EXPECT_GE(ponies, 1) << "a pony day needs pony pets";
    for (auto const* visitor : {"PREZ", "RICHLADY", "SKYW"}) {
        auto* entry = list->objectForKey(visitor).dictionary();
        ASSERT_TRUE(entry) << visitor;
        EXPECT_EQ(integer(*entry, "type"), 3) << visitor;
    }
}

// With the default theme the game looks for a Christmas variant of the character
// list first; shipping one would dress the salon for Christmas all year.
TEST(CharacterList, NoThemedVariantShipsForTheDefaultTheme) {
    EXPECT_FALSE(std::filesystem::exists(resourcesDir() + "/characterList_Christmas.plist"));
}

TEST(SoundList, MapsEveryLogicalSoundToAFile) {
    auto list = dictionary("sfxList.plist");
    ASSERT_TRUE(list);
    for (auto const* name : logicalSounds()) {
        auto file = text(*list, name);
        EXPECT_TRUE(isPlainName(file)) << name;
        EXPECT_NE(file.rfind('.'), std::string::npos)
            << name << ": the file name needs its extension";
    }
    for (auto const& [name, value] : *list) {
        EXPECT_TRUE(value.isString()) << name;
    }
}

TEST(EffectList, GivesEveryEffectSheetAnOffset) {
    auto list = dictionary("vfxList.plist");
    ASSERT_TRUE(list);
    for (auto const* name : effectSheets()) {
        auto* entry = list->objectForKey(name).dictionary();
        ASSERT_TRUE(entry) << name;
        EXPECT_TRUE(isNumber(*entry, "offsetX") && isNumber(*entry, "offsetY")) << name;
    }
    for (auto const& [name, value] : *list) {
        EXPECT_TRUE(value.isDictionary() && isPlainName(name)) << name;
    }
}

TEST(LuckyWheel, UnitsFillTheRimAndEveryPrizePays) {
    auto wheel = dictionary("LuckyWheel.plist");
    ASSERT_TRUE(wheel);
    ASSERT_TRUE(isNumber(*wheel, "degreeUnit"));
    double unit = number(*wheel, "degreeUnit");
    ASSERT_GT(unit, 0);
    auto* prizes = wheel->objectForKey("prizes").array();
    ASSERT_TRUE(prizes);
    ASSERT_FALSE(prizes->values().empty());
    EXPECT_LE(prizes->size(), 7u) << "the prize list shows seven rows";
    long long units = 0;
    for (std::size_t i = 0; i < prizes->size(); ++i) {
        SCOPED_TRACE("prize " + std::to_string(i + 1));
        auto* prize = prizes->at(i).dictionary();
        ASSERT_TRUE(prize);
        ASSERT_TRUE(isInt(*prize, "unit"));
        EXPECT_GE(integer(*prize, "unit"), 1);
        units += integer(*prize, "unit");
        bool money = prize->contains("money"), points = prize->contains("gamePoint");
        EXPECT_TRUE(money || points);
        EXPECT_FALSE(money && points) << "money would hide the points";
        auto const& amount = prize->objectForKey(money ? "money" : "gamePoint");
        EXPECT_TRUE(isInteger(amount) && amount.longLongValue() >= 1);
    }
    EXPECT_DOUBLE_EQ(double(units), 360.0 / unit);
}

// Tokens cost at best 50 Vov Azavuz for 20; a spin must pay back fewer Vov Azavuz than
// a token costs, or buying tokens would print them.
TEST(LuckyWheel, ASpinPaysBackLessPremiumCurrencyThanATokenCosts) {
    auto* prizes = dictionary("LuckyWheel.plist")->objectForKey("prizes").array();
    ASSERT_TRUE(prizes);
    double units = 0, points = 0;
    for (auto const& value : *prizes) {
        auto const& prize = *value.dictionary();
        units += number(prize, "unit");
        if (!prize.contains("money"))
            points += number(prize, "unit") * number(prize, "gamePoint");
    }
    EXPECT_LT(points / units, 50.0 / 20.0);
}

TEST(QuestList, EveryChallengeIsWellFormedAndReportable) {
    auto list = dictionary("questList.plist");
    ASSERT_TRUE(list);
    ASSERT_FALSE(list->entries().empty());
    std::set<std::string> const goals {"service", "maxangry", "maxhurry", "fastpct", "happypct",
        "angrypct", "hurrypct", "incomepct"};
    std::set<std::string> const prerequisites {"lvl", "prevservice", "previncome", "prevhappypct"};
    std::set<std::string> const rewards {"coin", "pp", "tok", "tip", "wild", "pow"};
    bool openAtLevelOne = false;
    for (auto const& [id, value] : *list) {
        SCOPED_TRACE(id);
        auto* quest = value.dictionary();
        ASSERT_TRUE(quest);
        for (auto const* field : {"prerequisite", "condition", "rewardcode"}) {
            ASSERT_TRUE(quest->objectForKey(field).isString()) << field;
        }
        std::set<std::string> needs;
        auto prerequisite = text(*quest, "prerequisite");
        if (prerequisite.empty()) {
            openAtLevelOne = true;
        } else {
            bool levelGated = false;
            for (auto const& clause : split(prerequisite, ',')) {
                std::string key;
                long long n;
                EXPECT_TRUE(parseClause(clause, key, n) && prerequisites.count(key)) << clause;
                needs.insert(key);
                levelGated |= key == "lvl" && n > 1;
            }
            openAtLevelOne |= !levelGated;
        }
        auto goalClauses = split(text(*quest, "condition"), ',');
        // The report shows two goal lines; a third would be judged but never shown.
        EXPECT_LE(goalClauses.size(), 2u);
        for (auto const& clause : goalClauses) {
            std::string key;
            long long n;
            EXPECT_TRUE(parseClause(clause, key, n) && goals.count(key) && n >= 1) << clause;
            // Shares of the previous day need a previous day to compare with.
            if (key == "fastpct") {
                EXPECT_TRUE(needs.count("prevservice")) << clause;
            }
            if (key == "incomepct") {
                EXPECT_TRUE(needs.count("previncome")) << clause;
            }
            if (key == "happypct" || key == "angrypct" || key == "hurrypct") {
                EXPECT_TRUE(needs.count("prevhappypct") || needs.count("prevservice")) << clause;
            }
        }
        auto rewardClauses = split(text(*quest, "rewardcode"), ',');
        EXPECT_LE(rewardClauses.size(), 2u) << "the report shows two rewards";
        for (auto const& clause : rewardClauses) {
            std::string key;
            long long n;
            EXPECT_TRUE(parseClause(clause, key, n) && rewards.count(key) && n >= 1) << clause;
        }
    }
    EXPECT_TRUE(openAtLevelOne) << "a new salon needs a challenge it can be offered";
}

TEST(StoreItemList, ListsTheBuiltInThemeAndPricedBundleThemes) {
    auto items = array("StoreItemList.plist");
    ASSERT_TRUE(items);
    std::set<std::string> uids;
    bool builtIn = false;
    for (auto const& value : *items) {
        auto* item = value.dictionary();
        ASSERT_TRUE(item);
        auto uid = text(*item, "uid");
        SCOPED_TRACE(uid);
        EXPECT_FALSE(uid.empty());
        EXPECT_EQ(uid.find("dlc"), std::string::npos)
            << "a dlc uid reads its art from the data folder";
        EXPECT_TRUE(uids.insert(uid).second) << "uids are the ownership keys and must differ";
        EXPECT_EQ(text(*item, "type"), "theme") << "the theme store lists every item of this list";
        EXPECT_FALSE(text(*item, "name").empty());
        EXPECT_FALSE(text(*item, "desc").empty());
        auto currency = text(*item, "cost_type");
        EXPECT_TRUE(currency == "pp" || currency == "gc") << currency;
        ASSERT_TRUE(isInt(*item, "cost"));
        auto* data = item->objectForKey("data").dictionary();
        ASSERT_TRUE(data);
        EXPECT_TRUE(isPlainName(text(*data, "thumb")));
        if (uid == "thm_000") {
            builtIn = true;
            continue;
        }
        EXPECT_GE(integer(*item, "cost"), 1);
        EXPECT_TRUE(isPlainName(text(*data, "bg")));
        EXPECT_TRUE(isPlainName(text(*data, "wall")));
        if (data->contains("door")) {
            EXPECT_TRUE(data->objectForKey("door").isBoolean());
        }
    }
    EXPECT_TRUE(builtIn);
}

TEST(Achievements, ListsEachOfTheFortyTwoOnceWithAnIconAndTexts) {
    auto list = array("Achievements.plist");
    ASSERT_TRUE(list);
    auto table = strings();
    ASSERT_TRUE(table);
    std::multiset<std::string> ids;
    for (auto const& value : *list) {
        auto* entry = value.dictionary();
        ASSERT_TRUE(entry);
        auto id = text(*entry, "ID");
        SCOPED_TRACE(id);
        ids.insert(id);
        EXPECT_TRUE(isPlainName(text(*entry, "Pic")));
        for (auto const* field : {"Title", "Desc"}) {
            auto key = text(*entry, field);
            ASSERT_FALSE(key.empty()) << field;
            auto textOfKey = text(*table, key);
            EXPECT_FALSE(textOfKey.empty()) << key;
            EXPECT_EQ(formatConversions(textOfKey), "")
                << key << " is shown as text, not as a format";
        }
    }
    std::multiset<std::string> expected(achievementIds().begin(), achievementIds().end());
    EXPECT_EQ(ids, expected);
}

TEST(StringTable, EveryKeyTheGameLooksUpHasATextWithTheArgumentsItPasses) {
    auto table = strings();
    ASSERT_TRUE(table);
    // Key and the conversions the code fills it with, in order ("" for a plain text).
    std::vector<std::pair<std::string, std::string>> keys {
        {"TOPBAR_LEVEL_FMT", "d"},
        {"SHOP_CLOSED", ""},
        {"SHOP_REPORT", ""},
        {"SHOP_INCOME", ""},
        {"SHOP_HAPPINESS", ""},
        {"SHOP_HAPPYCOUNT", ""},
        {"SHOP_ANGRYCOUNT", ""},
        {"SHOP_LVLREQ", ""},
        {"SHOP_NEWLEVEL", ""},
        {"BUTTON_NEXTDAY", ""},
        {"OPTIONS", ""},
        {"MUSIC", ""},
        {"SOUNDS", ""},
        {"PAUSE", ""},
        {"BUTTON_OK", ""},
        {"BUTTON_CANCEL", ""},
        {"BUTTON_BACK", ""},
        {"BUTTON_YES", ""},
        {"BUTTON_NO", ""},
        {"BUTTON_ERASE", ""},
        {"BUTTON_RESUME", ""},
        {"BUTTON_SAVEQUIT", ""},
        {"BUTTON_DOWNLOAD", ""},
        {"TEXT_NEWGAME", ""},
        {"TEXT_NEWGAME2", ""},
        {"TEXT_CONFIRMERASE", ""},
        {"TEXT_FINISHERASE", ""},
        {"VIP_DAY_NAME", ""},
        {"VIP_DAY_DESC", "d"},
        {"EOD1BONUS_TITLE", ""},
        {"EOD1BONUS_CONTENT", ""},
        {"EOLBONUS_CONTENT", "d"},
        {"SEASONS_BONUS_NAME", ""},
        {"SEASONS_BONUS_DESC_1", ""},
        {"SEASONS_BONUS_DESC_2", ""},
        {"SEASONS_BONUS_DESC_3", ""},
        {"HELP_PG1", ""},
        {"HELP_PG2", ""},
        {"HELP_PG3", ""},
        {"HELP_PG4", ""},
        {"HELP_PG5", ""},
        {"HELP_PG6_1", ""},
        {"HELP_PG6_2", ""},
        {"HELP_PG7_1", ""},
        {"HELP_PG7_2", ""},
        {"HELP_PG8", ""},
        {"HELP_PG9", ""},
        {"HELP_PG10", ""},
        {"HELP_PG11", ""},
        {"NAME_SOFA", ""},
        {"NAME_COUNTER", ""},
        {"NAME_BATHTUB", ""},
        {"NAME_DRYING", ""},
        {"NAME_HAIRCUT", ""},
        {"NAME_FACIAL", ""},
        {"NAME_MASSAGE", ""},
        {"NAME_MUSIC", ""},
        {"NAME_FLEA", ""},
        {"NAME_DOORBLOCK", ""},
        {"SOFA_DESC", ""},
        {"COUNTER_DESC", ""},
        {"DOORBLOCK_DESC", ""},
        {"MUSIC_DESC", "d@"},
        {"TIME_SINGULAR", ""},
        {"TIME_PLURAL", ""},
        {"NAME_FMT", "@d"},
        {"SERVICE_CHARGE1", "d"},
        {"SERVICE_CHARGE2", "dd"},
        {"STAFF_UPGRADE_FMT", "@d@"},
        {"STAFF_UPGRADE1", ""},
        {"STAFF_UPGRADE2", ""},
        {"STAFF_ROBOT", "@"},
        {"HIRE_STAFF1", "@"},
        {"HIRE_STAFF2", "@"},
        {"FAST_BONUS", "d"},
        {"SPEED_BONUS", "d"},
        {"SHOP_PURCHASE", ""},
        {"SHOP_HIRE", ""},
        {"SHOP_UPGRADE2", ""},
        {"BUYPP", ""},
        {"SHORTBUYPP", ""},
        {"EARNPP", ""},
        {"SHORTEARNPP", ""},
        {"GETMONEY", ""},
        {"MOREAPPS", ""},
        {"XFRPP", ""},
        {"ACHIEVEMENTS", ""},
        {"ACH_UNLOCKED", "@"},
        {"More Themes", ""},
        {"DOWNLOAD_TEXT_NONE", ""},
        {"Transfer Money to Vov Azavuz", ""},
        {"Transfer Vov Azavuz to Money", ""},
        {"Buy", ""},
        {"Loading...", ""},
        {"Server returned status code %d", "d"},
        {"Service Unavailable", ""},
        {"The remote resource is unavailable. Please try again later.", ""},
        {"OK", ""},
    };
    for (int n = 1; n <= 10; ++n)
        keys.emplace_back("STAFF_NAME" + std::to_string(n), "");
    for (auto const& [key, conversions] : keys) {
        auto value = text(*table, key);
        EXPECT_FALSE(value.empty()) << key;
        EXPECT_EQ(formatConversions(value), conversions) << key << " = \"" << value << "\"";
    }
}

TEST(StringTable, NoTextCarriesAStrayFormatSpecifier) {
    auto table = strings();
    ASSERT_TRUE(table);
    for (auto const& [key, value] : *table) {
        ASSERT_TRUE(value.isString()) << key;
        EXPECT_EQ(formatConversions(*value.string()).find('?'), std::string::npos) << key;
    }
}

TEST(Bundle, InfoNamesTheApplicationItsVersionAndItsUrlScheme) {
    auto info = dictionary("Info.plist");
    ASSERT_TRUE(info);
    for (auto const* key :
        {"CFBundleIdentifier", "CFBundleVersion", "CFBundleName", "CFBundleDisplayName"}) {
        EXPECT_FALSE(text(*info, key).empty()) << key;
    }
    auto* icons = info->objectForKey("CFBundleIconFiles").array();
    ASSERT_TRUE(icons && icons->size() >= 1);
    EXPECT_TRUE(isPlainName(icons->at(0).string() ? *icons->at(0).string() : ""));
    auto* types = info->objectForKey("CFBundleURLTypes").array();
    ASSERT_TRUE(types && types->size() >= 1);
    auto* schemes = types->at(0).dictionary()->objectForKey("CFBundleURLSchemes").array();
    ASSERT_TRUE(schemes && schemes->size() >= 1);
    EXPECT_TRUE(schemes->at(0).isString());
}

// The offer wall counts displays per store id in this database; a second row for the
// same id must be refused.
TEST(Bundle, FeaturedAppDatabaseIsEmptyAndRefusesADuplicateStoreId) {
    auto path = resourcesDir() + "/featured_app.sql";
    ASSERT_TRUE(std::filesystem::exists(path));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* count = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM featured_apps", -1, &count, nullptr),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), 0);
    sqlite3_finalize(count);
    // Try the inserts on an in-memory copy, leaving the shipped file untouched.
    sqlite3* copy = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &copy), SQLITE_OK);
    auto* backup = sqlite3_backup_init(copy, "main", db, "main");
    ASSERT_TRUE(backup);
    sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    sqlite3_close(db);
    char const* insert
        = "insert into featured_apps(store_id, no_of_times_displayed) Values('42', 1)";
    EXPECT_EQ(sqlite3_exec(copy, insert, nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_NE(sqlite3_exec(copy, insert, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(copy);
}
