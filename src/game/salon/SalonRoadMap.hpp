#pragma once

namespace game {

class PathFindingSystem;

// The road map of the salon room: 48 x 32 tile codes (0 blocked, 1 road along y,
// 2 road along x, 3 junction, 4 end point where a character stands). Horizontal
// corridors with junctions where vertical runs cross them, short spurs ending at
// the spots of the furniture, and one run from the top corridor down to the rest.
class SalonRoadMap {
public:
    SalonRoadMap() = delete;

    // The code of tile (x, y), y counted from the bottom; 0 outside the map.
    static int tile(int x, int y);
    // Writes every tile of the map into the path finder, one setRoad per tile.
    static void writeTo(PathFindingSystem& pathFinder);
};

}
