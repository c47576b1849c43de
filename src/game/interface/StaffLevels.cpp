#include <game/interface/StaffLevels.hpp>

#include <engine/StaticFileCache.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/Theme.hpp>

#include <string>

namespace game {

namespace {

std::string localized(std::string_view key) {
    return foundation::Bundle::mainBundle().localizedString(key);
}

// The type's "levels" in the themed character list, or null.
base::Ref<base::Dictionary> listLevels(int staffType) {
    auto& cache = engine::StaticFileCache::sharedCache();
    auto path = cache.pathForResource(Theme::getThemeFile("characterList.plist"));
    if (!path)
        return nullptr;
    auto list = cache.dictionaryWithContentsOfFile(*path);
    if (!list)
        return nullptr;
    auto const* entry
        = list->objectForKey(foundation::format("NPC%03d", staffType + 1)).dictionary();
    return entry ? entry->objectForKey("levels").dictionaryRef() : nullptr;
}

// The type's "levels" in the active level pack, or null: a type outside the pack's
// list, or an entry or "levels" that is not a dictionary, counts as none.
base::Ref<base::Dictionary> packLevels(int staffType) {
    auto const* pack = GameGlobals::shared().levelCapData.get();
    if (!pack || staffType < 0)
        return nullptr;
    auto const* list = pack->objectForKey("staffList").array();
    if (!list || std::size_t(staffType) >= list->size())
        return nullptr;
    auto const* entry = (*list)[std::size_t(staffType)].dictionary();
    return entry ? entry->objectForKey("levels").dictionaryRef() : nullptr;
}

base::Dictionary const* levelEntry(base::Dictionary const* levels, int level) {
    return levels ? levels->objectForKey(std::to_string(level)).dictionary() : nullptr;
}

// A pack's price: a number from 0 up; anything else, a negative or a not-a-number
// price included, cannot be paid, and a price past the integers is out of reach.
int packCost(base::Value const& cost) {
    if (!cost.isNumber())
        return noStaffLevelCost;
    double price = cost.doubleValue();
    if (!(price >= 0))
        return noStaffLevelCost;
    if (price >= double(noStaffLevelCost))
        return noStaffLevelCost;
    return int(price);
}

// A flag that is a boolean or a number; anything else reads as not set.
bool flag(base::Dictionary const& entry, std::string_view key) {
    auto const& value = entry.objectForKey(key);
    return (value.isBoolean() || value.isNumber()) && value.boolValue();
}

// The names and plain descriptions of the furniture kinds 0 to 10.
struct FurnitureTexts {
    char const* name;
    char const* description;
};
constexpr FurnitureTexts furnitureTexts[] = {
    {"NAME_SOFA", "SOFA_DESC"},
    {"NAME_COUNTER", "COUNTER_DESC"},
    {"NAME_BATHTUB", nullptr},
    {"NAME_DRYING", nullptr},
    {"NAME_HAIRCUT", nullptr},
    {"NAME_FACIAL", nullptr},
    {"NAME_MASSAGE", nullptr},
    {"NAME_MUSIC", "MUSIC_DESC"},
    {"NAME_FLEA", nullptr},
    {"NAME_SOFA", "SOFA_DESC"},
    {"NAME_DOORBLOCK", "DOORBLOCK_DESC"},
};
constexpr int musicKind = 7;

FurnitureTexts const* textsOf(int kind) {
    if (kind < 0 || kind >= int(std::size(furnitureTexts)))
        return nullptr;
    return &furnitureTexts[kind];
}

base::Ref<base::Dictionary> shopItem(std::string const& uid, std::string const& name,
    std::string const& desc, char const* type, int cost, bool petPoints,
    base::Ref<base::Dictionary> data) {
    auto item = base::Dictionary::create();
    item->setObject("uid", uid);
    item->setObject("name", name);
    item->setObject("desc", desc);
    item->setObject("type", type);
    item->setObject("cost", cost);
    item->setObject("cost_type", petPoints ? "pp" : "gc");
    item->setObject("data", std::move(data));
    return item;
}

}

bool isStaffLevelPremium(int staffType, int level) {
    if (staffType == 0 && level == 2)
        return false;
    if (auto const* entry = levelEntry(listLevels(staffType).get(), level))
        return flag(*entry, "premium");
    if (!GameGlobals::shared().levelCapData)
        return true;
    auto const* entry = levelEntry(packLevels(staffType).get(), level);
    return !entry || flag(*entry, "premium");
}

int staffLevelCount(int staffType) {
    if (auto levels = listLevels(staffType))
        return int(levels->size());
    if (auto levels = packLevels(staffType))
        return int(levels->size());
    return 3;
}

int staffLevelCost(int staffType, int level) {
    if (staffType > 9)
        return noStaffLevelCost;
    if (level < 2)
        return 0;
    if (level > staffLevelCount(staffType))
        return noStaffLevelCost;
    if (staffType >= 0 && staffType <= 6 && level <= 3) {
        if (staffType == 0)
            return level == 2 ? 5000 : 100;
        if (staffType <= 4)
            return level == 2 ? 50 : 100;
        return level == 2 ? 100 : 200;
    }
    if (auto levels = listLevels(staffType)) {
        auto const* entry = levelEntry(levels.get(), level);
        // A counted level that the list leaves out, or lists without a price, is not
        // for sale: giving it away would be the wrong answer to a gap in the list.
        return entry && entry->contains("cost") ? entry->objectForKey("cost").intValue()
                                                : noStaffLevelCost;
    }
    auto const* entry = levelEntry(packLevels(staffType).get(), level);
    return entry ? packCost(entry->objectForKey("cost")) : noStaffLevelCost;
}

StaffPrice staffPurchasePrice(QBY_Character const& staff) {
    int type = staff.staffType();
    if (!staff.bEnable())
        return {staff.nHireCost(), type > 1};
    int next = staff.getLevel() + 1;
    return {staffLevelCost(type, next), isStaffLevelPremium(type, next)};
}

bool canPurchaseStaff(QBY_Character const& staff) {
    auto const& globals = GameGlobals::shared();
    auto price = staffPurchasePrice(staff);
    int balance = price.premium ? globals.petPoints : globals.money;
    return price.cost >= 0 && balance >= price.cost && globals.shopLevel >= staff.nReqShopLevel();
}

bool canPurchaseFurniture(QBY_Furniture const& furniture) {
    auto const& globals = GameGlobals::shared();
    int cost = furniture.nUpgradeCost();
    int balance = furniture.nUpgradeCostType() == "pp" ? globals.petPoints : globals.money;
    return cost >= 0 && balance >= cost && globals.shopLevel >= furniture.nReqShopLevel();
}

base::Ref<base::Dictionary> hireMenuItem(QBY_Character const& staff) {
    int type = staff.staffType();
    auto price = staffPurchasePrice(staff);
    std::string desc;
    if (staff.bEnable()) {
        desc = foundation::format(localized("STAFF_UPGRADE_FMT"), staff.sCharName(),
            staff.getLevel() + 1, localized(type == 5 ? "STAFF_UPGRADE1" : "STAFF_UPGRADE2"));
    } else {
        char const* key = type == 5 ? "STAFF_ROBOT" : type == 6 ? "HIRE_STAFF1" : "HIRE_STAFF2";
        desc = foundation::format(localized(key), staff.sCharName());
    }
    auto data = base::Dictionary::create();
    auto character = Theme::getThemeCharacter(foundation::format("NPC%03d", type + 1));
    data->setObject("thumb", foundation::format("%@_HireIcon.png", character));
    return shopItem("HIRE_", "", desc, "staff", price.cost, price.premium, data);
}

base::Ref<base::Dictionary> upgradeMenuItem(QBY_Furniture const& furniture, bool purchase) {
    int kind = furniture.furnType();
    int next = furniture.nLevel() + 1;
    auto const* texts = textsOf(kind);
    auto name
        = foundation::format(localized("NAME_FMT"), texts ? localized(texts->name) : " ", next);

    std::string desc;
    int charge = furniture.getCharge();
    if (charge >= 1) {
        desc = purchase
            ? foundation::format(localized("SERVICE_CHARGE1"), charge)
            : foundation::format(localized("SERVICE_CHARGE2"), charge, furniture.nUpgradeCharge());
    } else if (kind == musicKind) {
        int plays = furniture.nUpgradeDurablity();
        desc = foundation::format(localized("MUSIC_DESC"), plays,
            localized(plays <= 1 ? "TIME_SINGULAR" : "TIME_PLURAL"));
    } else if (texts && texts->description) {
        desc = localized(texts->description);
    }

    auto data = base::Dictionary::create();
    if (auto picture = QBY_Furniture::getPicName(kind, next))
        data->setObject("thumb", *picture);
    data->setObject("purchase", purchase);
    return shopItem("HIRE_" + name, name, desc, "device", furniture.nUpgradeCost(),
        furniture.nUpgradeCostType() == "pp", data);
}

}
