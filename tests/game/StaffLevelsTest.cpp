#include "HudFixture.hpp"

#include <engine/StaticFileCache.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/PropertyList.hpp>
#include <game/interface/StaffLevels.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/Theme.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using game::GameGlobals;
using game::isStaffLevelPremium;
using game::noStaffLevelCost;
using game::staffLevelCost;
using game::staffLevelCount;

base::Ref<base::Dictionary> level(base::Value cost, base::Value premium) {
    auto entry = base::Dictionary::create();
    entry->setObject("cost", std::move(cost));
    entry->setObject("premium", std::move(premium));
    return entry;
}

base::Ref<base::Dictionary> staff(base::Ref<base::Dictionary> levels) {
    auto entry = base::Dictionary::create();
    entry->setObject("levels", std::move(levels));
    return entry;
}

class StaffLevelsTest : public test::HudTest {
protected:
    void TearDown() override {
        GameGlobals::reset();
        engine::StaticFileCache::clearCache();
        HudTest::TearDown();
    }

    // A bundle of its own whose character list has the given entries.
    void useCharacterList(base::Dictionary const& list) {
        ASSERT_TRUE(foundation::PropertyList::writeToFile(
            base::Value(list.copy()), (bundle.path() / "characterList.plist").string()));
        foundation::Bundle::setMainBundlePath(bundle.path().string());
        engine::StaticFileCache::clearCache();
    }

    test::TempDir bundle;
};

struct Case {
    int type;
    int level;
    int cost;
    bool premium;
};

void expectCases(std::initializer_list<Case> cases) {
    for (auto const& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " level " + std::to_string(c.level));
        EXPECT_EQ(staffLevelCost(c.type, c.level), c.cost);
        EXPECT_EQ(isStaffLevelPremium(c.type, c.level), c.premium);
    }
}

TEST_F(StaffLevelsTest, TheBundlesCharacterListAndTheFixedPrices) {
    expectCases({
        {0, 2, 5000, false}, // the first upgrade of type 0 is paid in money
        {0, 3, 100, true},
        {3, 2, 50, true},
        {3, 3, 100, true},
        {6, 2, 100, true},
        {6, 3, 200, true},
        {7, 2, 2500, false}, // from the list: types above 6 have no fixed price
        {7, 4, 20000, false},
        {7, 5, noStaffLevelCost, true}, // past its four levels
        {9, 2, 60, true},
        {10, 2, noStaffLevelCost, true},
    });
    for (int type = 0; type <= 9; ++type)
        EXPECT_EQ(staffLevelCost(type, 1), 0) << type;
    EXPECT_EQ(staffLevelCount(7), 4);
    EXPECT_EQ(staffLevelCount(0), 3);
}

TEST_F(StaffLevelsTest, FixedPricesWinOverTheListAndAMissingListLevelIsNotForSale) {
    auto list = base::Dictionary::create();
    auto levels = base::Dictionary::create();
    levels->setObject("1", level(0, false));
    levels->setObject("2", level(999, false));
    levels->setObject("3", level(999, false));
    list->setObject("NPC004", staff(levels));
    auto gappy = base::Dictionary::create();
    gappy->setObject("1", level(0, false));
    gappy->setObject("2", level(700, true));
    gappy->setObject("5", level(900, false));
    list->setObject("NPC008", staff(gappy));
    auto unpriced = base::Dictionary::create();
    auto withoutCost = base::Dictionary::create();
    withoutCost->setObject("premium", false);
    unpriced->setObject("1", level(0, false));
    unpriced->setObject("2", withoutCost);
    unpriced->setObject("3", level(0, false));
    list->setObject("NPC010", staff(unpriced));
    useCharacterList(*list);
    expectCases({
        {3, 2, 50, false}, // fixed price, the list's currency
        {3, 3, 100, false}, {7, 2, 700, true},
        // Three levels listed, level 3 missing: not for sale (never free), no flag.
        {7, 3, noStaffLevelCost, true}, {7, 4, noStaffLevelCost, true},
        {9, 2, noStaffLevelCost, false}, // listed without a price
        {9, 3, 0, false}, // listed at a price of 0
    });
}

TEST_F(StaffLevelsTest, WithoutListOrPackThreeLevelsAllPremium) {
    useCharacterList(*base::Dictionary::create());
    EXPECT_EQ(staffLevelCount(8), 3);
    expectCases({
        {8, 1, 0, true},
        {8, 2, noStaffLevelCost, true},
        {8, 3, noStaffLevelCost, true},
        {8, 4, noStaffLevelCost, true},
        {2, 2, 50, true},
        {0, 2, 5000, false},
    });
}

TEST_F(StaffLevelsTest, ThePacksLevelsWithValuesOfTheWrongKindCountingAsMissing) {
    useCharacterList(*base::Dictionary::create());
    auto packLevels = base::Dictionary::create();
    packLevels->setObject("1", level(0, false));
    packLevels->setObject("2", level(300, false));
    packLevels->setObject("3", level("300", "no"));
    packLevels->setObject("4", level(10, true));
    auto withoutFlag = base::Dictionary::create();
    withoutFlag->setObject("cost", 40);
    packLevels->setObject("5", withoutFlag);
    packLevels->setObject("6", level(-500, false)); // would pay the player
    packLevels->setObject("7", level(4294967301LL, false)); // past the integers
    packLevels->setObject("8", level(12.75, false));
    auto staffList = base::Array::create();
    for (int type = 0; type < 8; ++type)
        staffList->add(base::Dictionary::create());
    staffList->add(staff(packLevels)); // type 8
    staffList->add("not a staff entry"); // type 9
    auto pack = base::Dictionary::create();
    pack->setObject("staffList", staffList);
    GameGlobals::shared().levelCapData = pack;

    EXPECT_EQ(staffLevelCount(8), 8);
    EXPECT_EQ(staffLevelCount(9), 3);
    expectCases({
        {8, 2, 300, false},
        {8, 3, noStaffLevelCost, false}, // a text is no price, nor a flag
        {8, 4, 10, true},
        {8, 5, 40, false},
        {8, 6, noStaffLevelCost, false},
        {8, 7, noStaffLevelCost, false},
        {8, 8, 12, false},
        {8, 9, noStaffLevelCost, true},
        {9, 2, noStaffLevelCost, true},
        {6, 2, 100, true}, // an entry without levels: fixed price
        {6, 4, noStaffLevelCost, true},
    });

    // A list that is not an array, and a type past the list's end.
    auto shortList = base::Array::create();
    shortList->add(staff(packLevels));
    pack->setObject("staffList", shortList);
    EXPECT_EQ(staffLevelCount(0), 8);
    EXPECT_EQ(staffLevelCost(0, 5), 40);
    EXPECT_EQ(staffLevelCount(8), 3);
    EXPECT_EQ(staffLevelCost(8, 2), noStaffLevelCost);
    pack->setObject("staffList", base::Dictionary::create());
    EXPECT_EQ(staffLevelCount(0), 3);
    EXPECT_EQ(staffLevelCost(0, 5), noStaffLevelCost);
}

TEST_F(StaffLevelsTest, TheListGoesBeforeThePack) {
    auto list = base::Dictionary::create();
    auto levels = base::Dictionary::create();
    levels->setObject("2", level(77, false));
    list->setObject("NPC010", staff(levels));
    useCharacterList(*list);
    auto packLevels = base::Dictionary::create();
    packLevels->setObject("1", level(0, false));
    packLevels->setObject("2", level(5, true));
    packLevels->setObject("3", level(6, true));
    auto staffList = base::Array::create();
    for (int type = 0; type < 10; ++type)
        staffList->add(staff(packLevels));
    auto pack = base::Dictionary::create();
    pack->setObject("staffList", staffList);
    GameGlobals::shared().levelCapData = pack;
    EXPECT_EQ(staffLevelCount(9), 1);
    EXPECT_EQ(staffLevelCost(9, 2), noStaffLevelCost) << "past the list's one level";
    EXPECT_FALSE(isStaffLevelPremium(9, 2));
    EXPECT_EQ(staffLevelCost(8, 3), 6);
}

// The menus' items on the bundle's characters and furniture.
class MenuItemTest : public StaffLevelsTest {
protected:
    base::Ref<game::QBY_Character> member(int type) {
        auto character = game::QBY_Character::createCharacter("NPC00" + std::to_string(type + 1),
            100, 100, layer.get(), game::QBY_Character::typeStaff);
        character->setStaffType(type);
        character->setSCharName("Mo");
        character->setNHireCost(120);
        return character;
    }
};

TEST_F(MenuItemTest, HireItemsByStateAndType) {
    struct HireCase {
        int type;
        bool hired;
        int level;
        int cost;
        char const* costType;
        char const* desc;
    };
    HireCase const cases[] = {
        {1, false, 1, 120, "gc", "Hire Mo to help around the salon?"},
        {2, false, 1, 120, "pp", "Hire Mo to help around the salon?"},
        {5, false, 1, 120, "pp", "Hire Mo, the robot cashier? It runs the counter all by itself."},
        {6, false, 1, 120, "pp", "Hire Mo, the star groomer? The fastest paws in town!"},
        {0, true, 1, 5000, "gc", "Train Mo to level 2? Works and walks faster."},
        {5, true, 2, 200, "pp", "Train Mo to level 3? Checkout gets even faster."},
        {7, true, 4, noStaffLevelCost, "pp", "Train Mo to level 5? Works and walks faster."},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type));
        auto character = member(c.type);
        character->enableStaff(c.hired);
        character->setLevel(c.level);
        auto item = game::hireMenuItem(*character);
        EXPECT_EQ(item->objectForKey("uid"), base::Value("HIRE_"));
        EXPECT_EQ(item->objectForKey("name"), base::Value(""));
        EXPECT_EQ(item->objectForKey("type"), base::Value("staff"));
        EXPECT_EQ(item->objectForKey("cost"), base::Value(c.cost));
        EXPECT_EQ(item->objectForKey("cost_type"), base::Value(c.costType));
        EXPECT_EQ(item->objectForKey("desc"), base::Value(c.desc));
        auto const* data = item->objectForKey("data").dictionary();
        ASSERT_TRUE(data);
        auto themed = game::Theme::getThemeCharacter("NPC00" + std::to_string(c.type + 1));
        EXPECT_EQ(data->objectForKey("thumb"), base::Value(themed + "_HireIcon.png"));
    }
}

TEST_F(MenuItemTest, UpgradeItemsNameDescriptionAndPrice) {
    auto check = [&](char const* kind, int lv, bool purchase) {
        auto piece = game::QBY_Furniture::createFurniture(kind, lv, 200, 100, layer.get());
        EXPECT_TRUE(piece) << kind;
        if (piece)
            piece->setUpgradeData(piece->furnType());
        return piece ? game::upgradeMenuItem(*piece, purchase) : nullptr;
    };

    auto bath = check("bath", 1, false);
    ASSERT_TRUE(bath);
    EXPECT_EQ(bath->objectForKey("name"), base::Value("Bathtub Lv 2"));
    EXPECT_EQ(bath->objectForKey("uid"), base::Value("HIRE_Bathtub Lv 2"));
    EXPECT_EQ(bath->objectForKey("type"), base::Value("device"));
    auto const* data = bath->objectForKey("data").dictionary();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->objectForKey("purchase"), base::Value(false));
    EXPECT_EQ(data->objectForKey("thumb"), base::Value(*game::QBY_Furniture::getPicName(2, 2)));
    auto desc = bath->objectForKey("desc").stringValue();
    EXPECT_EQ(desc.rfind("The fee rises from $", 0), 0u) << desc;

    auto bought = check("bath", 1, true);
    ASSERT_TRUE(bought);
    EXPECT_EQ(
        bought->objectForKey("desc").stringValue().rfind("Every treatment here earns $", 0), 0u);
    EXPECT_EQ(
        bought->objectForKey("data").dictionary()->objectForKey("purchase"), base::Value(true));

    auto sofa = check("sofa", 1, false);
    ASSERT_TRUE(sofa);
    EXPECT_EQ(sofa->objectForKey("name"), base::Value("Sofa Lv 2"));
    EXPECT_EQ(sofa->objectForKey("desc"),
        base::Value("A comfier seat: pets wait longer before they grow restless."));

    auto music = check("musicplayer", 1, false);
    ASSERT_TRUE(music);
    auto musicDesc = music->objectForKey("desc").stringValue();
    EXPECT_EQ(musicDesc.rfind("Tap it for happy music", 0), 0u) << musicDesc;
    EXPECT_TRUE(musicDesc.ends_with(" times a day.") || musicDesc.ends_with(" time a day."))
        << musicDesc;
}

TEST_F(MenuItemTest, UpgradeItemsOfPiecesWithoutCharge) {
    // The bundle's furniture list, changed through an active level pack.
    auto& cache = engine::StaticFileCache::sharedCache();
    auto path = cache.pathForResource("furnitureList.plist");
    ASSERT_TRUE(path);
    auto bundled = cache.dictionaryWithContentsOfFile(*path);
    ASSERT_TRUE(bundled);
    auto list = bundled->deepCopy();
    auto levelOf = [&](char const* kind, char const* lv) {
        return list->objectForKey(kind)
            .dictionary()
            ->objectForKey("level")
            .dictionary()
            ->objectForKey(lv)
            .dictionary();
    };
    levelOf("bath", "1")->setObject("charge", 0);
    levelOf("bath", "2")->setObject("cost", 30);
    levelOf("bath", "2")->setObject("cost_type", "pp");
    levelOf("musicplayer", "2")->setObject("durability", 1);
    auto deco = list->objectForKey("sofa").dictionary()->copy();
    deco->setObject("type", 11);
    list->setObject("deco", deco);
    auto pack = base::Dictionary::create();
    pack->setObject("furnitureList", list);
    GameGlobals::shared().levelCapData = pack;

    struct UpgradeCase {
        char const* kind;
        char const* name;
        char const* desc;
        int cost;
        char const* costType;
    };
    UpgradeCase const cases[] = {
        {"bath", "Bathtub Lv 2", "", 30, "pp"},
        {"musicplayer", "Music Player Lv 2",
            "Tap it for happy music: nobody loses patience while it plays. Works 1 time a day.",
            4000, "gc"},
        {"doorblock", "Door Block Lv 2",
            "Tap it to close the door when the salon is packed. Tap again to open.", -1, "gc"},
        {"deco", "  Lv 2", "", -1, "gc"}, // one space for the name
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.kind);
        auto piece = game::QBY_Furniture::createFurniture(c.kind, 1, 200, 100, layer.get());
        ASSERT_TRUE(piece);
        auto upgrade = game::upgradeMenuItem(*piece, false);
        EXPECT_EQ(upgrade->objectForKey("name"), base::Value(c.name));
        EXPECT_EQ(upgrade->objectForKey("desc"), base::Value(c.desc));
        if (c.cost >= 0) {
            EXPECT_EQ(upgrade->objectForKey("cost"), base::Value(c.cost));
        }
        EXPECT_EQ(upgrade->objectForKey("cost_type"), base::Value(c.costType));
    }
}

TEST_F(MenuItemTest, APurchaseNeedsTheBalanceOfItsCurrencyAndTheShopLevel) {
    auto& globals = GameGlobals::shared();
    struct StaffCase {
        int type;
        bool hired;
        int level;
        int petPoints;
        int money;
        int shopLevel;
        bool can;
    };
    // Hire price 120; type 0's level 2 costs 5000 in money, type 3's level 3 100 in
    // Vov Azavuz, type 7 has no level 5.
    StaffCase const cases[] = {
        {1, false, 1, 0, 120, 2, true},
        {1, false, 1, 500, 119, 2, false},
        {2, false, 1, 120, 0, 2, true},
        {2, false, 1, 119, 500, 2, false},
        {2, false, 1, 120, 0, 1, false}, // below the required shop level 2
        {0, true, 1, 0, 5000, 2, true},
        {0, true, 1, 9999, 4999, 2, false},
        {3, true, 2, 100, 0, 2, true},
        {3, true, 2, 99, 9999, 2, false},
        {7, true, 4, 2147483646, 2147483646, 30, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " hired " + std::to_string(c.hired) + " pp "
            + std::to_string(c.petPoints) + " money " + std::to_string(c.money));
        auto character = member(c.type);
        character->enableStaff(c.hired);
        character->setLevel(c.level);
        character->setNReqShopLevel(2);
        globals.petPoints = c.petPoints;
        globals.money = c.money;
        globals.shopLevel = c.shopLevel;
        EXPECT_EQ(game::canPurchaseStaff(*character), c.can);
    }

    // The bath's next level, priced in money by the bundle's list.
    auto bath = game::QBY_Furniture::createFurniture("bath", 1, 200, 100, layer.get());
    ASSERT_TRUE(bath);
    globals.petPoints = 100000;
    globals.shopLevel = bath->nReqShopLevel();
    globals.money = bath->nUpgradeCost();
    EXPECT_TRUE(game::canPurchaseFurniture(*bath));
    globals.money = bath->nUpgradeCost() - 1;
    EXPECT_FALSE(game::canPurchaseFurniture(*bath));
    globals.money = bath->nUpgradeCost();
    globals.shopLevel = bath->nReqShopLevel() - 1;
    EXPECT_FALSE(game::canPurchaseFurniture(*bath));
    // The last level has no upgrade price: never bought, however rich.
    auto top = game::QBY_Furniture::createFurniture("bath", 3, 200, 100, layer.get());
    ASSERT_TRUE(top);
    EXPECT_EQ(top->nUpgradeCost(), -1);
    globals.money = 100000;
    globals.shopLevel = 30;
    EXPECT_FALSE(game::canPurchaseFurniture(*top));
}

}
