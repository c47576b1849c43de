// Path queries of the salon on its built-in road map: searches that run to the end
// (the cache emptied before each) and queries answered from the path cache, for a
// short trip (entrance to the first sofa), a middle one and one across the room.
// The peer of a search is a plain Dijkstra over the same junction graph on arrays
// and std::priority_queue; the peer of a cached query is a hash-map lookup that
// copies the stored points. Both put the same points into the walk path.

#include "Compare.hpp"

#include <game/salon/PathFindingSystem.hpp>
#include <game/salon/PathWalker.hpp>
#include <game/salon/SalonRoadMap.hpp>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <queue>
#include <unordered_map>
#include <vector>

namespace {

using game::PathFindingSystem;
using game::SalonRoadMap;

// Keeps the walk path as the characters do: each point goes to the front, which a
// reversed vector stands for.
class Walker final : public game::PathWalker {
public:
    void insertWalkPath(engine::Point point) override { points.push_back(point); }
    void setBWaitingPathFind(bool) override { }
    std::vector<engine::Point> points;
};

struct Trip {
    char const* name;
    int startX, startY, goalX, goalY;
};

constexpr Trip trips[] = {
    {"short", 16, 19, 22, 20},
    {"middle", 10, 6, 2, 20},
    {"cross-room", 8, 1, 46, 20},
};

// The same search on plain arrays: nodes found by scanning straight runs, costs
// relaxed in a priority queue, the turning points read back along the parents.
class PlainDijkstra {
public:
    PlainDijkstra() {
        for (int x = 0; x < 48; ++x)
            for (int y = 0; y < 32; ++y)
                map_[std::size_t(x * 32 + y)] = std::uint8_t(SalonRoadMap::tile(x, y));
    }

    void find(Trip const& trip, std::vector<engine::Point>& out) {
        cost_.fill(1e30f);
        parent_.fill(-1);
        done_.fill(false);
        using Entry = std::pair<float, int>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
        int start = trip.startX * 32 + trip.startY;
        int goal = trip.goalX * 32 + trip.goalY;
        cost_[std::size_t(start)] = 0;
        open.push({0.0f, start});
        int const steps[4][2] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};
        while (!open.empty()) {
            auto [cost, tile] = open.top();
            open.pop();
            if (done_[std::size_t(tile)])
                continue;
            done_[std::size_t(tile)] = true;
            if (tile == goal)
                break;
            int x = tile / 32, y = tile % 32;
            for (auto const& step : steps) {
                int nx = x, ny = y;
                for (;;) {
                    nx += step[0];
                    ny += step[1];
                    if (nx < 0 || nx >= 48 || ny < 0 || ny >= 32
                        || map_[std::size_t(nx * 32 + ny)] == 0) {
                        nx = -1;
                        break;
                    }
                    int value = map_[std::size_t(nx * 32 + ny)];
                    if (value == 3 || value == 4 || nx * 32 + ny == goal)
                        break;
                }
                if (nx < 0)
                    continue;
                int next = nx * 32 + ny;
                float through
                    = float(double(cost + 1.0f) + std::abs(nx - x) + 1.2 * std::abs(ny - y));
                if (!done_[std::size_t(next)] && through < cost_[std::size_t(next)]) {
                    cost_[std::size_t(next)] = through;
                    parent_[std::size_t(next)] = tile;
                    open.push({through, next});
                }
            }
        }
        for (int tile = goal; tile != start && tile >= 0; tile = parent_[std::size_t(tile)])
            out.push_back({float(tile / 32 * 10), float(tile % 32 * 10)});
    }

private:
    std::array<std::uint8_t, 48 * 32> map_ {};
    std::array<float, 48 * 32> cost_ {};
    std::array<int, 48 * 32> parent_ {};
    std::array<bool, 48 * 32> done_ {};
};

base::Ref<PathFindingSystem> salon() {
    auto finder = PathFindingSystem::create();
    SalonRoadMap::writeTo(*finder);
    return finder;
}

// Both searches must give the same walk path before anything is timed.
void checkSame(Trip const& trip) {
    auto finder = salon();
    Walker ours;
    finder->findPath(trip.startX, trip.startY, trip.goalX, trip.goalY, &ours);
    PlainDijkstra plain;
    std::vector<engine::Point> theirs;
    plain.find(trip, theirs);
    bool same = ours.points.size() == theirs.size();
    for (std::size_t i = 0; same && i < theirs.size(); ++i)
        same = ours.points[i].x == theirs[i].x && ours.points[i].y == theirs[i].y;
    if (!same || theirs.empty()) {
        std::fprintf(stderr, "the %s trip differs between the searches\n", trip.name);
        std::exit(1);
    }
}

void uncachedOurs(benchmark::State& state, Trip trip) {
    checkSame(trip);
    auto finder = salon();
    Walker walker;
    walker.points.reserve(64);
    for (auto _ : state) {
        finder->emptyPathCache();
        walker.points.clear();
        finder->findPath(trip.startX, trip.startY, trip.goalX, trip.goalY, &walker);
        benchmark::DoNotOptimize(walker.points.data());
    }
}

void uncachedPlain(benchmark::State& state, Trip trip) {
    PlainDijkstra plain;
    std::vector<engine::Point> points;
    points.reserve(64);
    for (auto _ : state) {
        points.clear();
        plain.find(trip, points);
        benchmark::DoNotOptimize(points.data());
    }
}

void cachedOurs(benchmark::State& state, Trip trip) {
    auto finder = salon();
    Walker walker;
    walker.points.reserve(64);
    finder->findPath(trip.startX, trip.startY, trip.goalX, trip.goalY, nullptr);
    for (auto _ : state) {
        walker.points.clear();
        finder->findPath(trip.startX, trip.startY, trip.goalX, trip.goalY, &walker);
        benchmark::DoNotOptimize(walker.points.data());
    }
}

void cachedMap(benchmark::State& state, Trip trip) {
    std::unordered_map<std::uint64_t, std::vector<engine::Point>> cache;
    auto key = [](Trip const& t) {
        return std::uint64_t(std::uint16_t(t.startX)) << 48
            | std::uint64_t(std::uint16_t(t.startY)) << 32
            | std::uint64_t(std::uint16_t(t.goalX)) << 16 | std::uint16_t(t.goalY);
    };
    PlainDijkstra plain;
    plain.find(trip, cache[key(trip)]);
    std::vector<engine::Point> points;
    points.reserve(64);
    for (auto _ : state) {
        points.clear();
        auto found = cache.find(key(trip));
        if (found != cache.end())
            points.insert(points.end(), found->second.begin(), found->second.end());
        benchmark::DoNotOptimize(points.data());
    }
}

[[maybe_unused]] auto const registered = [] {
    for (auto const& trip : trips) {
        bench::compare(
            std::string("Path/uncached/") + trip.name,
            [trip](benchmark::State& state) { uncachedOurs(state, trip); },
            {{"plain dijkstra", [trip](benchmark::State& state) { uncachedPlain(state, trip); }}},
            benchmark::kNanosecond);
        bench::compare(
            std::string("Path/cached/") + trip.name,
            [trip](benchmark::State& state) { cachedOurs(state, trip); },
            {{"hash map", [trip](benchmark::State& state) { cachedMap(state, trip); }}},
            benchmark::kNanosecond);
    }
    return true;
}();

}
