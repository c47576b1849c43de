#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

namespace game {

class QBY_Character;
class QBY_Furniture;

// The staff level rules: whether reaching a level of a staff type (0 to 9) is paid in
// Vov Azavuz, and what it costs. The hire menu, the purchase on acceptance and the
// salon apply the same rules.
//
// A staff type's levels are read from its "NPC%03d" entry (type + 1) of the themed
// "characterList.plist", a dictionary "levels" keyed by the level in decimal digits,
// each level a dictionary with "premium" (boolean) and "cost" (integer). Without that
// entry or its "levels", from the active level pack's "staffList", indexed by type.
// The pack comes from outside the game: a type past the end of its list, or any value
// there of the wrong kind, counts as missing, and a pack level without a "cost" of 0 or
// more cannot be bought. Main thread (the lists are read through the shared cache).

// The price of a level that does not exist: no balance reaches it.
inline constexpr int noStaffLevelCost = 2147483647;

// Level 2 of type 0 is paid in money; else the level's "premium" from the character
// list; else premium unless the pack has the level and says otherwise.
bool isStaffLevelPremium(int staffType, int level);
// 0 below level 2; noStaffLevelCost for a type above 9 and for a level past the
// type's level count (3 when no list has the type). Levels 2 and 3 of types 0 to 6
// have fixed prices; other levels cost what the character list says (noStaffLevelCost
// when its level or the level's "cost" is missing) or, without a list entry, what the
// pack says.
int staffLevelCost(int staffType, int level);
// How many levels the type has: the size of its "levels", 3 when none is found.
int staffLevelCount(int staffType);

// What the hire menu asks for a staff member: its hire price (Vov Azavuz for types above
// 1) until it is hired, then the price of its next level under the rules above.
struct StaffPrice {
    int cost;
    bool premium;
};
StaffPrice staffPurchasePrice(QBY_Character const& staff);
// Whether the player may buy what the menus offer now: the balance of the price's
// currency covers it and the shop level reaches the one required. A piece with no
// next level (no upgrade price) cannot be bought.
bool canPurchaseStaff(QBY_Character const& staff);
bool canPurchaseFurniture(QBY_Furniture const& furniture);

// The item that the hire menu offers for a staff member: hiring it at its hire price
// (Vov Azavuz for types above 1) or, once hired, raising it one level at the level
// rules' price.
base::Ref<base::Dictionary> hireMenuItem(QBY_Character const& staff);
// The item that the upgrade menu offers for a furniture piece: its next level, being
// bought (purchase) or upgraded.
base::Ref<base::Dictionary> upgradeMenuItem(QBY_Furniture const& furniture, bool purchase);

}
