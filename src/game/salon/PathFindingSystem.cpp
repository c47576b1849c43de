#include <game/salon/PathFindingSystem.hpp>

#include <foundation/Format.hpp>
#include <game/salon/PathWalker.hpp>

#include <cmath>
#include <cstdlib>
#include <functional>

namespace game {

namespace {

constexpr float tabletScaleX = 2.1333334f;
constexpr float tabletScaleY = 2.4f;

// Steps of the four scan directions: +y, +x, -y, -x.
constexpr int stepX[4] = {0, 1, 0, -1};
constexpr int stepY[4] = {1, 0, -1, 0};

}

std::size_t PathFindingSystem::PathKeyHash::operator()(PathKey const& key) const {
    std::uint64_t h = std::uint32_t(key.startX);
    h = h * 0x9E3779B97F4A7C15ull + std::uint32_t(key.startY);
    h = h * 0x9E3779B97F4A7C15ull + std::uint32_t(key.goalX);
    h = h * 0x9E3779B97F4A7C15ull + std::uint32_t(key.goalY);
    return std::size_t(h ^ (h >> 29));
}

base::Ref<PathFindingSystem> PathFindingSystem::create() {
    return base::make<PathFindingSystem>();
}

PathFindingSystem::PathFindingSystem() {
    cleanMap();
    nodes_.reserve(256);
}

void PathFindingSystem::cleanMap() {
    for (auto& column : tileMap)
        column.fill(3);
    pathCache.clear();
}

void PathFindingSystem::setRoad(int x, int y, int value) {
    if (inGrid(x, y))
        tileMap[std::size_t(x)][std::size_t(y)] = std::uint8_t(value);
}

void PathFindingSystem::appendRoad(int x, int y, int value) {
    if (!inGrid(x, y))
        return;
    auto& tile = tileMap[std::size_t(x)][std::size_t(y)];
    int current = tile;
    if (value == current || value == 5)
        return;
    if (value == 0) {
        tile = 0;
        return;
    }
    switch (current) {
    case 1:
    case 2:
        if (value != 4)
            tile = 3;
        break;
    case 4:
    case 5:
        tile = std::uint8_t(value);
        break;
    default:
        break;
    }
}

int PathFindingSystem::getRoad(int x, int y) const {
    return inGrid(x, y) ? tileMap[std::size_t(x)][std::size_t(y)] : 0;
}

bool PathFindingSystem::spaceIsBlocked(int x, int y) const {
    return getRoad(x, y) == 0;
}

engine::Point PathFindingSystem::pointForTile(int x, int y) const {
    float scaleX = iPadScaling_ ? tabletScaleX : 1.0f;
    float scaleY = iPadScaling_ ? tabletScaleY : 1.0f;
    // Single precision throughout, then the nearest whole point (halves away from
    // zero, as roundf rounds).
    float px = std::round(float(x) * scaleX * 10.0f);
    float py = std::round(float(y) * scaleY * 10.0f);
    return {px, py};
}

engine::Point PathFindingSystem::searchConnectedNode(
    int x, int y, int goalX, int goalY, int direction) const {
    if (direction < 0 || direction > 3)
        return {-1, -1};
    for (;;) {
        x += stepX[direction];
        y += stepY[direction];
        int value = getRoad(x, y);
        if (value == 0)
            return {-1, -1};
        if (value == 3 || value == 4 || (x == goalX && y == goalY))
            return {float(x), float(y)};
    }
}

PathFindNode const* PathFindingSystem::nodeInArray(
    std::vector<PathFindNode> const& nodes, int x, int y) {
    for (auto const& node : nodes) {
        if (node.nodeX == x && node.nodeY == y)
            return &node;
    }
    return nullptr;
}

PathFindNode const* PathFindingSystem::lowestCostNodeInArray(
    std::vector<PathFindNode> const& nodes) {
    PathFindNode const* lowest = nullptr;
    for (auto const& node : nodes) {
        if (!lowest || node.cost < lowest->cost)
            lowest = &node;
    }
    return lowest;
}

int PathFindingSystem::comparator(PathFindNode const& first, PathFindNode const& second) {
    if (first.cost < second.cost)
        return -1;
    if (first.cost > second.cost)
        return 1;
    return 0;
}

bool PathFindingSystem::search(int startX, int startY, int goalX, int goalY, int& goalIndex) {
    nodes_.clear();
    closed_.reset();
    open_.reset();
    open_.setComparator([this](int a, int b) {
        return comparator(nodes_[std::size_t(a)], nodes_[std::size_t(b)]);
    });
    open_.setHashCoder([this](int index) -> std::optional<std::int64_t> {
        return hashCoder(nodes_[std::size_t(index)]);
    });

    nodes_.push_back({startX, startY, 0.0f, -1});
    open_.push(0);

    while (auto popped = open_.pop()) {
        int current = *popped;
        PathFindNode node = nodes_[std::size_t(current)];
        bool inside = inGrid(node.nodeX, node.nodeY);
        // A node pushed again at a lower cost leaves its earlier entry in the heap;
        // that entry comes out after the tile was closed and is passed over.
        if (inside && closed_[std::size_t(node.nodeX * mapHeight + node.nodeY)])
            continue;
        if (node.nodeX == goalX && node.nodeY == goalY) {
            goalIndex = current;
            return true;
        }
        if (inside)
            closed_[std::size_t(node.nodeX * mapHeight + node.nodeY)] = true;

        for (int direction = 0; direction < 4; ++direction) {
            engine::Point found
                = searchConnectedNode(node.nodeX, node.nodeY, goalX, goalY, direction);
            int mx = int(found.x);
            int my = int(found.y);
            if (!inGrid(mx, my) || closed_[std::size_t(mx * mapHeight + my)])
                continue;
            // The turn costs 1; the run 1 per tile along x and 1.2 per tile along y.
            // The turn is added in single precision and the run in double, the total
            // rounded to single: the mixed precision decides which of two near-equal
            // routes wins, so it is kept exactly.
            float withTurn = node.cost + 1.0f;
            double run = std::abs(mx - node.nodeX) + 1.2 * std::abs(my - node.nodeY);
            float cost = float(double(withTurn) + run);
            if (int const* open = open_.objectForKey(tileKey(mx, my))) {
                // Already open: only a strictly cheaper way replaces it, so of equal
                // routes the first found stays.
                if (nodes_[std::size_t(*open)].cost <= cost)
                    continue;
            }
            nodes_.push_back({mx, my, cost, current});
            open_.push(int(nodes_.size()) - 1);
        }
    }
    return false;
}

void PathFindingSystem::findPath(int startX, int startY, int goalX, int goalY, PathWalker* walker) {
    ++nInvokeCount;
    if (startX == goalX && startY == goalY)
        return;

    PathKey key {startX, startY, goalX, goalY};
    if (auto cached = pathCache.find(key); cached != pathCache.end()) {
        if (!walker)
            return;
        for (auto const& tile : cached->second)
            walker->insertWalkPath(pointForTile(tile.x, tile.y));
        return;
    }

    int goalIndex = -1;
    if (!search(startX, startY, goalX, goalY, goalIndex)) {
        foundation::log("PATH NOT FOUND! (%d,%d)", goalX, goalY);
        if (walker)
            walker->insertWalkPath(pointForTile(goalX, goalY));
        if (getRoad(goalX, goalY) == 0)
            foundation::log("Dest Point is wall! (%d,%d)", goalX, goalY);
        return;
    }

    auto& path = pathCache[key];
    path.clear();
    for (int index = goalIndex; index >= 0;) {
        auto const& node = nodes_[std::size_t(index)];
        // The start (the only node without a parent) is not part of the path.
        if (node.parentNode < 0)
            break;
        path.push_back({node.nodeX, node.nodeY});
        if (walker)
            walker->insertWalkPath(pointForTile(node.nodeX, node.nodeY));
        index = node.parentNode;
    }
}

auto PathFindingSystem::cachedPath(int startX, int startY, int goalX, int goalY) const
    -> std::vector<Tile> const* {
    auto found = pathCache.find(PathKey {startX, startY, goalX, goalY});
    return found == pathCache.end() ? nullptr : &found->second;
}

void PathFindingSystem::addToQuery(
    int startX, int startY, int goalX, int goalY, PathWalker* walker) {
    for (auto& request : requests_) {
        if (request.walker)
            continue;
        request = {startX, startY, goalX, goalY, walker};
        if (walker)
            walker->setBWaitingPathFind(true);
        return;
    }
}

void PathFindingSystem::update() {
    for (auto& request : requests_) {
        if (!request.walker)
            continue;
        Request served = request;
        request = {};
        findPath(served.startX, served.startY, served.goalX, served.goalY, served.walker);
        served.walker->setBWaitingPathFind(false);
        return;
    }
}

void PathFindingSystem::cancelRequests(PathWalker const* walker) {
    for (auto& request : requests_) {
        if (request.walker == walker)
            request = {};
    }
}

}
