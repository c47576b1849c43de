#pragma once

#include <base/Value.hpp>

#include <string>
#include <string_view>
#include <vector>

// Helpers shared by the checks of the authored bundle data (resources/) and of the
// generated bundle: reading the lists once per test program, and the facts about the
// data that the game's code fixes (names it asks for, the room's places, the walk map).
namespace bundletest {

// The authored data folder and the generated bundle folder, as built in.
std::string resourcesDir();
std::string bundleDir();

// A property list of resources/ (read once and kept); null when missing or malformed.
base::Ref<base::Dictionary> dictionary(std::string const& name);
base::Ref<base::Array> array(std::string const& name);
// English.lproj/Localizable.strings of resources/, read once.
base::Ref<base::Dictionary> strings();

// Whether the value is a number that holds a whole value (what the game reads as an int).
bool isInteger(base::Value const& value);

// The conversion letters of a printf-style format in order ("%d of %@" gives "d@");
// "%%" is a literal and counts as none. An unknown or unfinished specifier gives "?".
std::string formatConversions(std::string_view format);

// Furniture kinds 0-10 by the name the code asks for.
struct FurnitureKind {
    int type;
    char const* name;
};
std::vector<FurnitureKind> const& furnitureKinds();

// The fixed places of the salon room: furniture name, phone position, the kind an
// empty place can be filled with (-1 none) and the salon level that opens it.
struct RoomPlace {
    char const* name;
    int x;
    int y;
    int purchaseType;
    int requiredLevel;
};
std::vector<RoomPlace> const& roomPlaces();

// The room's walk map: tile value at phone point (x, y), 0 where nobody can walk.
int walkTileAt(double x, double y);

// The logical sound names the game plays.
std::vector<char const*> const& logicalSounds();

// The 42 achievement identifiers, numbers 0-41.
std::vector<char const*> const& achievementIds();

// The effect sheets the game creates by name.
std::vector<char const*> const& effectSheets();

}
