#include "BundleData.hpp"

#include <foundation/PropertyList.hpp>

#include <cmath>
#include <cstring>
#include <map>

namespace bundletest {

std::string resourcesDir() {
    return QUILLABY_RESOURCES_DIR;
}
std::string bundleDir() {
    return QUILLABY_BUNDLE_DIR;
}

namespace {

base::Value const& load(std::string const& name) {
    static std::map<std::string, base::Value> cache;
    auto found = cache.find(name);
    if (found == cache.end())
        found = cache
                    .emplace(name,
                        foundation::PropertyList::propertyListWithContentsOfFile(
                            resourcesDir() + "/" + name))
                    .first;
    return found->second;
}

}

base::Ref<base::Dictionary> dictionary(std::string const& name) {
    return load(name).dictionaryRef();
}

base::Ref<base::Array> array(std::string const& name) {
    return load(name).arrayRef();
}

base::Ref<base::Dictionary> strings() {
    static auto table = foundation::PropertyList::stringsTableWithContentsOfFile(
        resourcesDir() + "/English.lproj/Localizable.strings");
    return table;
}

bool isInteger(base::Value const& value) {
    if (value.kind() == base::Value::Kind::Integer || value.kind() == base::Value::Kind::Unsigned)
        return true;
    if (value.kind() != base::Value::Kind::Real)
        return false;
    double d = value.doubleValue();
    return std::isfinite(d) && d == std::trunc(d);
}

std::string formatConversions(std::string_view format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        ++i;
        if (i < format.size() && format[i] == '%')
            continue;
        while (i < format.size() && std::strchr("-+ #0123456789.", format[i]))
            ++i;
        while (i < format.size() && std::strchr("hlqLzjt", format[i]))
            ++i;
        if (i < format.size() && std::strchr("diouxXeEfgGcs@", format[i]))
            out += format[i] == 'i' ? 'd' : format[i];
        else
            out += '?';
    }
    return out;
}

std::vector<FurnitureKind> const& furnitureKinds() {
    static std::vector<FurnitureKind> const kinds {
        {0, "sofa"},
        {1, "counter"},
        {2, "bath"},
        {3, "drying"},
        {4, "hair"},
        {5, "facial"},
        {6, "massage"},
        {7, "musicplayer"},
        {8, "flea"},
        {9, "sofa2"},
        {10, "doorblock"},
    };
    return kinds;
}

std::vector<RoomPlace> const& roomPlaces() {
    static std::vector<RoomPlace> const places {
        {"sofa", 220, 200, -1, 1},
        {"sofa", 260, 200, -1, 1},
        {"sofa", 300, 200, -1, 1},
        {"sofa", 340, 200, -1, 1},
        {"counter", 60, 20, -1, 1},
        {"magazine01", 100, 200, 0, 5},
        {"magazine02", 60, 200, 0, 4},
        {"magazine02", 380, 200, 0, 2},
        {"magazine01", 420, 200, 0, 3},
        {"mini", 220, 170, 2, 3},
        {"mini", 300, 170, 2, 5},
        {"bath", 220, 120, -1, 1},
        {"bath", 300, 120, -1, 1},
        {"drying", 250, 50, -1, 1},
        {"closet", 180, 50, 3, 1},
        {"restbed", 60, 170, 5, 3},
        {"restbed", 50, 120, 5, 3},
        {"hifi", 440, 170, 4, 1},
        {"hair", 450, 110, -1, 1},
        {"cd", 340, 50, 6, 4},
        {"cd", 400, 50, 6, 4},
        {"empty", 450, 60, 7, 2},
        {"empty", 20, 200, 0, 6},
        {"empty", 460, 200, 0, 6},
        {"empty", 370, 170, 8, 9},
        {"empty", 370, 120, 8, 9},
        {"lamp", 20, 130, -1, 1},
        {"empty", 185, 200, 10, 1},
    };
    return places;
}

int walkTileAt(double x, double y) {
    // Rows from y 25 (top) down to y 1; rows 26-31 and 0 are walls.
    static char const* const rows[] = {
        "422222222222222232222222222222222222222222222224",
        "000000000000000010000000000000000000000000000000",
        "000000000000000010000000000000000000000000000000",
        "000000000000000010000000000000000000000000000000",
        "000000000000000010000000000000000000000000000000",
        "004000400040000010000040004000400040004000400040",
        "003222322232222232322232323222322332233223323230",
        "000000000010000010100032223222322332232223223000",
        "000000000010000010100000001000000100000001000000",
        "000000400010000010100040001000400100040001004000",
        "000000100010000010100010001000100100010001001000",
        "000000104230000010100010001000100100010001401000",
        "000000322232222232322232223222322322232223323000",
        "000000000010000010100000001000000100000001000000",
        "000004000010000010100040001000400100040001000000",
        "000001000010000010100010001000100100010001000400",
        "000001042230000010100010001000100100010001000100",
        "000003222222223232323232233232322332333233222300",
        "000000000010001010101000011010100010101010000000",
        "000000000032223232323222233232322232323230000000",
        "000000000000001000000000000000100000000000000000",
        "000000000000001000400000040000100040000040000000",
        "000000000000001000100000010000100010000010000000",
        "000000000000001000100000010000100010000010000000",
        "000000004222223222322222232222322232222230000000",
    };
    int tx = int(x / 10);
    int ty = int(y / 10);
    if (tx < 0 || tx > 47 || ty < 1 || ty > 25)
        return 0;
    return rows[25 - ty][tx] - '0';
}

std::vector<char const*> const& logicalSounds() {
    static std::vector<char const*> const names {
        "Click",
        "Cancel",
        "Confirm",
        "Pause",
        "Money",
        "GetFreePP",
        "ClickEffect",
        "ClickOnBubble",
        "ClickForUpgrade",
        "ClickForHire",
        "DragStart",
        "DragSnap",
        "DragOnFurn",
        "DragCancel",
        "ShopOpen",
        "ShopClose",
        "ShowReport",
        "LevelUp",
        "ChallengeStart",
        "ChallengeSuccess",
        "ChallengeFail",
        "EventPrez",
        "EventRichLady",
        "EventSkyward",
        "ConsumableActivate",
        "ConsumableMoney",
        "ConsumableWildcard",
        "ConsumableLightning",
        "FurnBath",
        "FurnDying",
        "FurnHairCut",
        "FurnFacial",
        "FurnMassage",
        "FurnFlea",
        "FurnMusicPlayer",
        "fire",
    };
    return names;
}

std::vector<char const*> const& achievementIds() {
    static std::vector<char const*> const ids {
        "ach_firstpp",
        "ach_50days",
        "ach_100days",
        "ach_200days",
        "ach_happiness100",
        "ach_happiness500",
        "ach_happiness999",
        "ach_customers2500",
        "ach_customers5000",
        "ach_customers10000",
        "ach_shoplv5",
        "ach_shopmaxlv",
        "ach_allequipment",
        "ach_maxupgrade",
        "ach_allstaff",
        "ach_spvisit",
        "ach_dayearn5000",
        "ach_dayearn10000",
        "ach_dayearn15000",
        "ach_dayearn0",
        "ach_dayhappiness10",
        "ach_dayhappiness15",
        "ach_daysad10",
        "ach_daysad15",
        "ach_daycustomers40",
        "ach_daycustomers60",
        "ach_daycustomers80",
        "ach_perfectday",
        "ach_silence",
        "ach_prez",
        "ach_perfectday6",
        "ach_angrylady",
        "ach_10angry",
        "ach_perfectday7",
        "ach_angryprez",
        "ach_perfectday8",
        "ach_mvp",
        "ach_theme",
        "ach_challenge5",
        "ach_challenge15",
        "ach_challenge30",
        "ach_challenge100",
    };
    return ids;
}

std::vector<char const*> const& effectSheets() {
    static std::vector<char const*> const names {
        "Emotion_Happy", "Emotion_Angry", "vfx006", "fs", "wh"};
    return names;
}

}
