#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Geometry.hpp>
#include <game/salon/MinHeap.hpp>

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace game {

class PathWalker;

// One node of a search: a tile, the cost of the best way found to it from the
// start, and the node it was reached from (an index into the search's node list,
// -1 for the start).
struct PathFindNode {
    int nodeX {0};
    int nodeY {0};
    float cost {0};
    int parentNode {-1};

    static PathFindNode node() { return {}; }
};

// The salon's road network and the searches over it. The floor is a grid of
// 48 x 32 tiles of 10 points; each tile holds a road code (0 blocked, 1 and 2
// road, 3 junction, 4 end point, anything else passable). A search runs between
// nodes only: the start, the junctions and end points, and the goal, each edge a
// straight run of road. An edge costs 1 for the turn plus 1 per tile along x and
// 1.2 per tile along y, so of two routes of one length the one with fewer turns
// and fewer vertical tiles wins; the result is the least-cost route.
//
// Found paths are cached by start and goal until the grid is cleaned; failures are
// not cached. One path finder lives as long as the main scene; main thread only.
class PathFindingSystem final : public base::Object {
public:
    static constexpr int mapWidth = 48;
    static constexpr int mapHeight = 32;
    static constexpr int queueSize = 50;

    // A clean map (all junctions), an empty cache and an empty request queue.
    static base::Ref<PathFindingSystem> create();

    // Every tile a junction, and the path cache emptied.
    void cleanMap();
    // Stores the value's low byte; coordinates outside the grid are ignored.
    void setRoad(int x, int y, int value);
    // Merges a value into a tile: a new 0 always blocks; a road (1 or 2) becomes a
    // junction unless the value is 4; an end point or a 5 takes the value; a
    // junction or a blocked tile stays. A value equal to the tile's, or 5, changes
    // nothing.
    void appendRoad(int x, int y, int value);
    // The tile's value; 0 outside the grid.
    int getRoad(int x, int y) const;
    // True for a blocked tile or one outside the grid.
    bool spaceIsBlocked(int x, int y) const;

    // Puts the turning points from the start tile to the goal tile into the walker's
    // walk path (walker may be null: the path is only cached). Start equal to goal
    // does nothing. Without a way to the goal the walker gets the goal's point alone
    // and walks straight to it; the failure is logged and not cached.
    void findPath(int startX, int startY, int goalX, int goalY, PathWalker* walker);

    // The next node tile from (x, y) in direction 0 (+y), 1 (+x), 2 (-y) or 3 (-x):
    // the first junction, end point or goal tile of the run, or (-1, -1) when the
    // run leaves the grid or meets a blocked tile first.
    engine::Point searchConnectedNode(int x, int y, int goalX, int goalY, int direction) const;

    // The first node of the list with that tile, or null.
    static PathFindNode const* nodeInArray(std::vector<PathFindNode> const& nodes, int x, int y);
    // The node with the lowest cost, the earliest of equal ones; null when empty.
    static PathFindNode const* lowestCostNodeInArray(std::vector<PathFindNode> const& nodes);
    // -1 when the first costs less, 1 when more, 0 when equal.
    static int comparator(PathFindNode const& first, PathFindNode const& second);
    // The key of a tile in the open set.
    static std::int64_t hashCoder(PathFindNode const& node) {
        return tileKey(node.nodeX, node.nodeY);
    }

    // The request queue: the lowest free of 50 slots takes the request and marks its
    // walker waiting (a full queue drops it); update serves the lowest taken slot,
    // one per call. A walker that goes away must be taken out with cancelRequests.
    void addToQuery(int startX, int startY, int goalX, int goalY, PathWalker* walker);
    void update();
    void cancelRequests(PathWalker const* walker);

    // Calls of findPath since the last reset.
    void resetInvokeCount() { nInvokeCount = 0; }
    int invokeCount() const { return nInvokeCount; }

    // The tablet's point conversion: the grid stretched over 1024 x 768 points.
    bool iPadScaling() const { return iPadScaling_; }
    void setIPadScaling(bool scaling) { iPadScaling_ = scaling; }

    // The point a tile stands for: (10x, 10y) on the phone; on the tablet each
    // stretched (x by 2.1333334, y by 2.4) and rounded, halves away from zero.
    engine::Point pointForTile(int x, int y) const;

    // A tile of a cached path.
    struct Tile {
        int x, y;
        bool operator==(Tile const&) const = default;
    };
    // The cached path from start to goal (goal first, the start left out), or null.
    std::vector<Tile> const* cachedPath(int startX, int startY, int goalX, int goalY) const;
    std::size_t cachedPathCount() const { return pathCache.size(); }
    // Forgets every cached path and keeps the grid (measuring searches).
    void emptyPathCache() { pathCache.clear(); }

private:
    friend base::Factory;
    PathFindingSystem();

    struct PathKey {
        int startX, startY, goalX, goalY;
        bool operator==(PathKey const&) const = default;
    };
    struct PathKeyHash {
        std::size_t operator()(PathKey const& key) const;
    };
    struct Request {
        int startX {0}, startY {0}, goalX {0}, goalY {0};
        PathWalker* walker {nullptr};
    };

    static std::int64_t tileKey(int x, int y) {
        return (std::int64_t(x) << 32) ^ std::int64_t(std::uint32_t(y));
    }
    static bool inGrid(int x, int y) { return x >= 0 && x < mapWidth && y >= 0 && y < mapHeight; }

    // Runs the search; true with nodes_ ending the found path at goalIndex.
    bool search(int startX, int startY, int goalX, int goalY, int& goalIndex);

    std::array<std::array<std::uint8_t, mapHeight>, mapWidth> tileMap {};
    std::array<Request, queueSize> requests_ {};
    bool iPadScaling_ {false};
    // The tiles of each found path, goal first.
    std::unordered_map<PathKey, std::vector<Tile>, PathKeyHash> pathCache;
    int nInvokeCount {0};

    // Scratch of one search, kept between searches so that they do not allocate.
    std::vector<PathFindNode> nodes_;
    MinHeap<int, std::int64_t> open_;
    std::bitset<mapWidth * mapHeight> closed_;
};

}
