#include <game/salon/PathFindingSystem.hpp>
#include <game/salon/PathWalker.hpp>
#include <game/salon/SalonRoadMap.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using game::PathFindingSystem;
using game::SalonRoadMap;

// A walker that keeps its walk path as the path finder builds it.
class RecordingWalker final : public game::PathWalker {
public:
    void insertWalkPath(engine::Point point) override { path.push_front(point); }
    void setBWaitingPathFind(bool isWaiting) override { waiting.push_back(isWaiting); }

    // The path as tiles (phone points / 10).
    std::vector<std::pair<int, int>> tiles() const {
        std::vector<std::pair<int, int>> out;
        for (auto point : path)
            out.push_back({int(point.x) / 10, int(point.y) / 10});
        return out;
    }

    std::deque<engine::Point> path;
    std::vector<bool> waiting;
};

using Tiles = std::vector<std::pair<int, int>>;

base::Ref<PathFindingSystem> salon() {
    auto finder = PathFindingSystem::create();
    SalonRoadMap::writeTo(*finder);
    return finder;
}

// A path finder whose grid is blocked except for the rows given, top row first, at
// the bottom-left corner.
base::Ref<PathFindingSystem> smallMap(std::vector<std::string> const& rows) {
    auto finder = PathFindingSystem::create();
    for (int x = 0; x < PathFindingSystem::mapWidth; ++x)
        for (int y = 0; y < PathFindingSystem::mapHeight; ++y)
            finder->setRoad(x, y, 0);
    int height = int(rows.size());
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < int(rows[std::size_t(row)].size()); ++x)
            finder->setRoad(x, height - 1 - row, rows[std::size_t(row)][std::size_t(x)] - '0');
    return finder;
}

// What a route costs: 1 per edge, 1 per tile along x and 1.2 per tile along y.
double routeCost(int startX, int startY, Tiles const& tiles) {
    double cost = 0;
    int x = startX, y = startY;
    for (auto [nx, ny] : tiles) {
        cost += 1 + std::abs(nx - x) + 1.2 * std::abs(ny - y);
        x = nx;
        y = ny;
    }
    return cost;
}

// Least cost against an exhaustive search of every simple route between nodes on
// small random maps.
class BruteForce {
public:
    explicit BruteForce(PathFindingSystem const& finder)
        : finder_(finder) { }

    double best(int startX, int startY, int goalX, int goalY) {
        best_ = std::numeric_limits<double>::infinity();
        visited_.assign(48 * 32, false);
        walk(startX, startY, goalX, goalY, 0);
        return best_;
    }

    // The same least cost by relaxing every edge until nothing changes (for maps too
    // large to try every route). Start and goal lie on the grid.
    double relaxed(int startX, int startY, int goalX, int goalY) const {
        double const infinity = std::numeric_limits<double>::infinity();
        std::vector<double> cost(48 * 32, infinity);
        cost[std::size_t(startX * 32 + startY)] = 0;
        int const dirs[4][2] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};
        for (bool changed = true; changed;) {
            changed = false;
            for (int x = 0; x < 48; ++x) {
                for (int y = 0; y < 32; ++y) {
                    double here = cost[std::size_t(x * 32 + y)];
                    if (std::isinf(here) || (x == goalX && y == goalY))
                        continue;
                    for (auto const& d : dirs) {
                        int nx, ny;
                        if (!next(x, y, goalX, goalY, d[0], d[1], nx, ny))
                            continue;
                        double through = here + 1 + std::abs(nx - x) + 1.2 * std::abs(ny - y);
                        if (through < cost[std::size_t(nx * 32 + ny)] - 1e-9) {
                            cost[std::size_t(nx * 32 + ny)] = through;
                            changed = true;
                        }
                    }
                }
            }
        }
        return cost[std::size_t(goalX * 32 + goalY)];
    }

private:
    // The next node of a straight run, found without the path finder's scan.
    bool next(int x, int y, int goalX, int goalY, int dx, int dy, int& nx, int& ny) const {
        for (;;) {
            x += dx;
            y += dy;
            int value = finder_.getRoad(x, y);
            if (value == 0)
                return false;
            if (value == 3 || value == 4 || (x == goalX && y == goalY)) {
                nx = x;
                ny = y;
                return true;
            }
        }
    }

    void walk(int x, int y, int goalX, int goalY, double cost) {
        // No route from here costs less than the straight distance plus one turn.
        double bound = cost + std::abs(goalX - x) + 1.2 * std::abs(goalY - y)
            + ((x != goalX || y != goalY) ? 1 : 0);
        if (bound >= best_ - 1e-9)
            return;
        if (x == goalX && y == goalY) {
            best_ = cost;
            return;
        }
        bool inside = x >= 0 && x < 48 && y >= 0 && y < 32;
        if (inside)
            visited_[std::size_t(x * 32 + y)] = true;
        int const dirs[4][2] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};
        for (auto const& d : dirs) {
            int nx, ny;
            if (!next(x, y, goalX, goalY, d[0], d[1], nx, ny)
                || visited_[std::size_t(nx * 32 + ny)])
                continue;
            walk(nx, ny, goalX, goalY, cost + 1 + std::abs(nx - x) + 1.2 * std::abs(ny - y));
        }
        if (inside)
            visited_[std::size_t(x * 32 + y)] = false;
    }

    PathFindingSystem const& finder_;
    double best_ {0};
    std::vector<bool> visited_;
};

TEST(PathFindingSystem, BuiltInMapHasItsTileCounts) {
    auto finder = salon();
    int counts[5] = {};
    for (int x = 0; x < 48; ++x)
        for (int y = 0; y < 32; ++y)
            counts[finder->getRoad(x, y)]++;
    EXPECT_EQ(counts[0], 1142);
    EXPECT_EQ(counts[1], 102);
    EXPECT_EQ(counts[2], 185);
    EXPECT_EQ(counts[3], 77);
    EXPECT_EQ(counts[4], 30);
    // Spot checks of the table's orientation: y counts from the bottom.
    EXPECT_EQ(finder->getRoad(0, 25), 4);
    EXPECT_EQ(finder->getRoad(16, 25), 3);
    EXPECT_EQ(finder->getRoad(8, 1), 4);
    EXPECT_EQ(finder->getRoad(0, 0), 0);
}

TEST(PathFindingSystem, GridAccessOutsideTheMap) {
    auto finder = PathFindingSystem::create();
    // A clean map is all junctions.
    EXPECT_EQ(finder->getRoad(0, 0), 3);
    EXPECT_EQ(finder->getRoad(47, 31), 3);
    struct Case {
        int x, y;
    };
    for (auto [x, y] :
        {Case {-1, 0}, Case {48, 0}, Case {0, 32}, Case {0, -1}, Case {1000, 1000}}) {
        finder->setRoad(x, y, 1);
        finder->appendRoad(x, y, 1);
        EXPECT_EQ(finder->getRoad(x, y), 0) << x << "," << y;
        EXPECT_TRUE(finder->spaceIsBlocked(x, y));
    }
    finder->setRoad(3, 3, 0x102);
    EXPECT_EQ(finder->getRoad(3, 3), 2);
    EXPECT_FALSE(finder->spaceIsBlocked(3, 3));
}

TEST(PathFindingSystem, AppendRoadMergesByTheTilesValue) {
    struct Case {
        int current, value, expected;
    };
    Case const cases[] = {
        {1, 2, 3},
        {2, 1, 3},
        {1, 4, 1},
        {2, 4, 2},
        {1, 1, 1},
        {1, 5, 1},
        {1, 0, 0},
        {4, 1, 1},
        {4, 2, 2},
        {4, 3, 3},
        {5, 2, 2},
        {3, 1, 3},
        {3, 4, 3},
        {3, 0, 0},
        {0, 1, 0},
        {0, 4, 0},
        {7, 1, 7},
        {2, 6, 3},
    };
    auto finder = PathFindingSystem::create();
    for (auto c : cases) {
        finder->setRoad(5, 5, c.current);
        finder->appendRoad(5, 5, c.value);
        EXPECT_EQ(finder->getRoad(5, 5), c.expected) << c.current << " + " << c.value;
    }
}

TEST(PathFindingSystem, ScanStopsOnNodesTheGoalAndWalls) {
    auto finder = smallMap({
        "0000000",
        "4121213",
        "0000000",
    });
    struct Case {
        int x, y, goalX, goalY, direction;
        float expectedX, expectedY;
    };
    Case const cases[] = {
        {0, 1, 9, 9, 1, 6, 1}, // over the road to the junction
        {0, 1, 3, 1, 1, 3, 1}, // the goal on the middle of a run
        {0, 1, 9, 9, 0, -1, -1}, // blocked at once
        {0, 1, 9, 9, 3, -1, -1}, // off the grid
        {6, 1, 9, 9, 3, 0, 1}, // back to the end point
        {3, 1, 9, 9, 7, -1, -1}, // no such direction
    };
    for (auto c : cases) {
        auto found = finder->searchConnectedNode(c.x, c.y, c.goalX, c.goalY, c.direction);
        EXPECT_EQ(found.x, c.expectedX) << c.x << "," << c.y << " dir " << c.direction;
        EXPECT_EQ(found.y, c.expectedY) << c.x << "," << c.y << " dir " << c.direction;
    }
}

TEST(PathFindingSystem, GoldenPathsOnTheBuiltInMap) {
    struct Case {
        int startX, startY, goalX, goalY;
        Tiles expected;
    };
    // Entrance (16, 19) to the first sofa's seat and pet spot, and back; counter
    // spot to the exit corridor; a trip across the room.
    Case const cases[] = {
        {16, 19, 22, 20, {{18, 19}, {22, 19}, {22, 20}}},
        {22, 20, 16, 19, {{22, 19}, {18, 19}, {16, 19}}},
        {16, 19, 22, 19, {{18, 19}, {22, 19}}},
        {10, 6, 2, 20, {{10, 9}, {10, 13}, {10, 14}, {10, 19}, {6, 19}, {2, 19}, {2, 20}}},
        {8, 1, 46, 20,
            {{14, 1}, {18, 1}, {25, 1}, {30, 1}, {30, 6}, {30, 8}, {33, 8}, {33, 13}, {37, 13},
                {41, 13}, {41, 18}, {44, 18}, {44, 19}, {46, 19}, {46, 20}}},
    };
    for (auto const& c : cases) {
        auto finder = salon();
        RecordingWalker walker;
        finder->findPath(c.startX, c.startY, c.goalX, c.goalY, &walker);
        EXPECT_EQ(walker.tiles(), c.expected)
            << c.startX << "," << c.startY << " -> " << c.goalX << "," << c.goalY;
        // Nothing cheaper exists: edges are relaxed until no cost changes.
        EXPECT_NEAR(routeCost(c.startX, c.startY, c.expected),
            BruteForce(*finder).relaxed(c.startX, c.startY, c.goalX, c.goalY), 1e-3);
    }
}

TEST(PathFindingSystem, SecondCallIsServedFromTheCache) {
    auto finder = salon();
    RecordingWalker first, second;
    finder->findPath(16, 19, 22, 20, &first);
    ASSERT_EQ(finder->cachedPathCount(), 1u);
    // The cache keeps the tiles goal first, the start left out.
    auto const* cached = finder->cachedPath(16, 19, 22, 20);
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(*cached, (std::vector<PathFindingSystem::Tile> {{22, 20}, {22, 19}, {18, 19}}));

    // Blocking the road now changes nothing for a cached trip: it is not searched.
    finder->setRoad(20, 19, 0);
    finder->findPath(16, 19, 22, 20, &second);
    EXPECT_EQ(second.tiles(), first.tiles());
    EXPECT_EQ(finder->invokeCount(), 2);

    // cleanMap empties the cache.
    finder->cleanMap();
    EXPECT_EQ(finder->cachedPathCount(), 0u);
}

TEST(PathFindingSystem, NullWalkerOnlyFillsTheCache) {
    auto finder = salon();
    finder->findPath(16, 19, 22, 20, nullptr);
    EXPECT_NE(finder->cachedPath(16, 19, 22, 20), nullptr);
    finder->findPath(16, 19, 22, 20, nullptr);
    RecordingWalker walker;
    finder->findPath(16, 19, 22, 20, &walker);
    EXPECT_EQ(walker.tiles(), (Tiles {{18, 19}, {22, 19}, {22, 20}}));
}

TEST(PathFindingSystem, StartEqualToGoalDoesNothingButCount) {
    auto finder = salon();
    RecordingWalker walker;
    finder->findPath(22, 19, 22, 19, &walker);
    EXPECT_TRUE(walker.path.empty());
    EXPECT_EQ(finder->cachedPathCount(), 0u);
    EXPECT_EQ(finder->invokeCount(), 1);
    finder->resetInvokeCount();
    EXPECT_EQ(finder->invokeCount(), 0);
}

TEST(PathFindingSystem, UnreachableGoalFallsBackToAStraightLine) {
    struct Case {
        int goalX, goalY;
        bool wall;
    };
    // A blocked tile, and a road tile of the top corridor cut off below.
    for (auto [goalX, goalY, wall] : {Case {30, 30, true}, Case {30, 25, false}}) {
        auto finder = salon();
        finder->setRoad(16, 24, 0);
        RecordingWalker walker;
        test::LogCapture log;
        finder->findPath(16, 19, goalX, goalY, &walker);
        EXPECT_EQ(walker.tiles(), (Tiles {{goalX, goalY}}));
        EXPECT_TRUE(log.contains(
            "PATH NOT FOUND! (" + std::to_string(goalX) + "," + std::to_string(goalY) + ")"));
        EXPECT_EQ(log.contains("Dest Point is wall!"), wall);
        EXPECT_EQ(finder->cachedPathCount(), 0u);

        // Not cached: the next request searches again and fails again.
        log.clear();
        finder->findPath(16, 19, goalX, goalY, nullptr);
        EXPECT_TRUE(log.contains("PATH NOT FOUND!"));
    }
}

TEST(PathFindingSystem, StartInsideABlockedArea) {
    auto finder = smallMap({
        "00000",
        "30003",
        "10001",
        "32223",
    });
    RecordingWalker walker;
    // From a blocked tile beside the left column the first step of every scan but +x
    // is blocked or off the grid, and +x meets the wall too: no way out.
    finder->findPath(2, 1, 0, 2, &walker);
    EXPECT_EQ(walker.tiles(), (Tiles {{0, 2}}));
    // From a blocked tile whose -x scan reaches the road, the path exists.
    RecordingWalker out;
    finder->findPath(1, 2, 4, 0, &out);
    EXPECT_EQ(out.tiles(), (Tiles {{0, 2}, {0, 0}, {4, 0}}));
}

TEST(PathFindingSystem, FewerVerticalTilesWinBetweenEqualLengths) {
    // Two routes of 5 + 5 tiles; costs from the start: along x first 6 + 7 = 13, along
    // y first 7 + 6 = 13; the tie goes to the first found. A run of 5 along x costs 6
    // and one of 5 along y costs 7.
    auto finder = smallMap({
        "322223",
        "100001",
        "100001",
        "100001",
        "100001",
        "322223",
    });
    RecordingWalker walker;
    finder->findPath(0, 0, 5, 0, &walker);
    EXPECT_EQ(walker.tiles(), (Tiles {{5, 0}}));
    EXPECT_DOUBLE_EQ(routeCost(0, 0, walker.tiles()), 6);
    RecordingWalker up;
    finder->findPath(0, 0, 0, 5, &up);
    EXPECT_DOUBLE_EQ(routeCost(0, 0, up.tiles()), 7);
}

TEST(PathFindingSystem, AWayFoundLaterThatIsCheaperReplacesTheFirst) {
    // From S (1, 1) the node N0 below is cheap (2.2) and leads round by (0, 0) and up
    // the left column to the goal (0, 6): 12.4. Up the right column and one step left
    // costs 9, but its corner (1, 6) is reached after the goal was first opened.
    auto finder = smallMap({
        "33",
        "11",
        "11",
        "11",
        "11",
        "13",
        "33",
    });
    RecordingWalker walker;
    finder->findPath(1, 1, 0, 6, &walker);
    EXPECT_EQ(walker.tiles(), (Tiles {{1, 6}, {0, 6}}));
    EXPECT_NEAR(routeCost(1, 1, walker.tiles()), 9.0, 1e-4);
}

TEST(PathFindingSystem, TabletPointsAreStretchedAndRounded) {
    auto finder = salon();
    EXPECT_FALSE(finder->iPadScaling());
    struct Case {
        int x, y;
        bool tablet;
        float px, py;
    };
    Case const cases[] = {
        {47, 31, true, 1003, 744},
        {47, 31, false, 470, 310},
        {1, 1, true, 21, 24},
        {3, 0, true, 64, 0},
        {0, 0, true, 0, 0},
    };
    for (auto c : cases) {
        finder->setIPadScaling(c.tablet);
        auto point = finder->pointForTile(c.x, c.y);
        EXPECT_EQ(point.x, c.px) << c.x << "," << c.y;
        EXPECT_EQ(point.y, c.py) << c.x << "," << c.y;
    }
    finder->setIPadScaling(true);
    RecordingWalker walker;
    finder->findPath(16, 19, 22, 20, &walker);
    ASSERT_EQ(walker.path.size(), 3u);
    EXPECT_EQ(walker.path.back().x, std::round(22 * 2.1333334f * 10.0f));
    EXPECT_EQ(walker.path.back().y, 480);
}

TEST(PathFindingSystem, NodeListHelpers) {
    std::vector<game::PathFindNode> nodes {{1, 1, 5.0f, -1}, {2, 2, 3.0f, 0}, {3, 3, 3.0f, 1}};
    EXPECT_EQ(PathFindingSystem::nodeInArray(nodes, 2, 2), &nodes[1]);
    EXPECT_EQ(PathFindingSystem::nodeInArray(nodes, 9, 9), nullptr);
    EXPECT_EQ(PathFindingSystem::lowestCostNodeInArray(nodes), &nodes[1]);
    EXPECT_EQ(PathFindingSystem::lowestCostNodeInArray({}), nullptr);
    EXPECT_EQ(PathFindingSystem::comparator(nodes[1], nodes[0]), -1);
    EXPECT_EQ(PathFindingSystem::comparator(nodes[0], nodes[1]), 1);
    EXPECT_EQ(PathFindingSystem::comparator(nodes[1], nodes[2]), 0);
    EXPECT_NE(PathFindingSystem::hashCoder(nodes[1]), PathFindingSystem::hashCoder(nodes[2]));
    EXPECT_EQ(game::PathFindNode::node().parentNode, -1);
}

TEST(PathFindingSystem, QueueServesOneRequestPerUpdateLowestSlotFirst) {
    auto finder = salon();
    RecordingWalker first, second;
    finder->addToQuery(16, 19, 22, 20, &first);
    finder->addToQuery(16, 19, 26, 20, &second);
    EXPECT_EQ(first.waiting, (std::vector<bool> {true}));
    finder->update();
    EXPECT_EQ(first.waiting, (std::vector<bool> {true, false}));
    EXPECT_FALSE(first.path.empty());
    EXPECT_TRUE(second.path.empty());
    finder->update();
    EXPECT_FALSE(second.path.empty());
    finder->update();
    EXPECT_EQ(finder->invokeCount(), 2);
}

TEST(PathFindingSystem, FullQueueDropsAndCancelledRequestsAreNotServed) {
    auto finder = salon();
    std::vector<RecordingWalker> walkers(51);
    for (auto& walker : walkers)
        finder->addToQuery(16, 19, 22, 20, &walker);
    EXPECT_TRUE(walkers[50].waiting.empty());
    finder->cancelRequests(&walkers[0]);
    finder->update();
    EXPECT_TRUE(walkers[0].path.empty());
    EXPECT_FALSE(walkers[1].path.empty());
}

TEST(PathFindingSystem, FindsTheLeastCostOnSmallRandomMaps) {
    std::mt19937 random(20261210);
    int found = 0, unreachable = 0;
    for (int round = 0; round < 400; ++round) {
        int width = 4 + int(random() % 5);
        int height = 4 + int(random() % 5);
        std::vector<std::string> rows(std::size_t(height), std::string(std::size_t(width), '0'));
        // Mostly road, some junctions and end points, a few walls.
        char const codes[] = "01122333334";
        for (auto& row : rows)
            for (auto& tile : row)
                tile = codes[random() % (sizeof codes - 1)];
        auto finder = smallMap(rows);
        int startX = int(random() % unsigned(width)), startY = int(random() % unsigned(height));
        int goalX = int(random() % unsigned(width)), goalY = int(random() % unsigned(height));
        if (startX == goalX && startY == goalY)
            continue;
        double best = BruteForce(*finder).best(startX, startY, goalX, goalY);
        RecordingWalker walker;
        test::LogCapture log;
        finder->findPath(startX, startY, goalX, goalY, &walker);
        std::string where = "round " + std::to_string(round);
        if (std::isinf(best)) {
            ++unreachable;
            EXPECT_EQ(walker.tiles(), (Tiles {{goalX, goalY}})) << where;
            EXPECT_TRUE(log.contains("PATH NOT FOUND!")) << where;
            continue;
        }
        ++found;
        auto tiles = walker.tiles();
        ASSERT_FALSE(tiles.empty()) << where;
        EXPECT_EQ(tiles.back(), std::make_pair(goalX, goalY)) << where;
        // Every leg is a straight run over open tiles.
        int x = startX, y = startY;
        for (auto [nx, ny] : tiles) {
            ASSERT_TRUE(nx == x || ny == y) << where;
            while (x != nx || y != ny) {
                x += (nx > x) - (nx < x);
                y += (ny > y) - (ny < y);
                ASSERT_NE(finder->getRoad(x, y), 0) << where;
            }
        }
        EXPECT_NEAR(routeCost(startX, startY, tiles), best, 1e-3) << where;
    }
    // The maps are varied enough to exercise both outcomes.
    EXPECT_GT(found, 150);
    EXPECT_GT(unreachable, 20);
}

}
