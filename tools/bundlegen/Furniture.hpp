#pragma once

#include <string>
#include <vector>

namespace bundlegen {

constexpr int furnitureLevels = 3;
// Pieces that wear out have a picture for every number of uses left, 0 .. this.
constexpr int furnitureMaxDurability = 10;

// One furniture picture: which piece, level and remaining durability it shows, and
// the "pic" value the furniture list should carry for it (a format with "%d" for the
// pieces that wear out).
struct FurniturePicture {
    std::string name; // key of the furniture list
    int type; // furniture type, -1 for empty places and decoration
    int level;
    int durability; // -1: the piece does not wear out
    std::string file;
    std::string pic;
    double width;
    double height;
};

std::vector<FurniturePicture> const& furniturePictures();

}
