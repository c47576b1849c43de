#include <game/salon/MinHeap.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

struct Item {
    int cost;
    std::string name;
};

int byCost(Item const& a, Item const& b) {
    return a.cost < b.cost ? -1 : a.cost > b.cost ? 1 : 0;
}

game::MinHeap<Item> heapOf(std::vector<int> costs) {
    game::MinHeap<Item> heap;
    heap.setComparator(byCost);
    heap.setHashCoder([](Item const& item) -> std::optional<std::string> {
        if (item.name.empty())
            return std::nullopt;
        return item.name;
    });
    for (int cost : costs)
        heap.push({cost, "n" + std::to_string(cost)});
    return heap;
}

std::vector<int> drain(game::MinHeap<Item>& heap) {
    std::vector<int> out;
    while (auto item = heap.pop())
        out.push_back(item->cost);
    return out;
}

TEST(MinHeap, PopsInAscendingOrder) {
    auto heap = heapOf({5, 3, 4, 1});
    EXPECT_EQ(heap.peek()->cost, 1);
    EXPECT_EQ(heap.count(), 4u);
    EXPECT_EQ(drain(heap), (std::vector<int> {1, 3, 4, 5}));
    EXPECT_FALSE(heap.pop());
    EXPECT_EQ(heap.peek(), nullptr);
}

TEST(MinHeap, KeepsTheHeapPropertyOverRandomPushesAndPops) {
    std::mt19937 random(7);
    game::MinHeap<Item> heap;
    heap.setComparator(byCost);
    std::multiset<int> model;
    for (int step = 0; step < 2000; ++step) {
        if (random() % 3 != 0 || model.empty()) {
            int cost = int(random() % 50);
            heap.push({cost, {}});
            model.insert(cost);
        } else {
            auto item = heap.pop();
            ASSERT_TRUE(item);
            EXPECT_EQ(item->cost, *model.begin());
            model.erase(model.begin());
        }
        auto const& array = heap.array();
        for (std::size_t i = 1; i < array.size(); ++i)
            ASSERT_LE(array[std::size_t(game::MinHeap<Item>::getParentIndex(long(i)))].cost,
                array[i].cost);
    }
}

TEST(MinHeap, FindsElementsByKeyUntilTheyArePopped) {
    auto heap = heapOf({5, 3, 4});
    ASSERT_NE(heap.objectForKey("n4"), nullptr);
    EXPECT_EQ(heap.objectForKey("n4")->cost, 4);
    EXPECT_EQ(heap.objectForKey("n9"), nullptr);
    heap.pop();
    EXPECT_EQ(heap.objectForKey("n3"), nullptr);
    EXPECT_NE(heap.objectForKey("n5"), nullptr);

    // An element the key coder does not name is kept but not indexed.
    heap.push({1, {}});
    EXPECT_EQ(heap.peek()->cost, 1);
    EXPECT_EQ(heap.pop()->cost, 1);
    EXPECT_NE(heap.objectForKey("n4"), nullptr);
}

TEST(MinHeap, EqualChildrenSiftToTheRight) {
    // Root 9 over two children of 2: the root moves to the right child's place.
    game::MinHeap<Item> heap;
    heap.setComparator(byCost);
    heap.push({1, "root"});
    heap.push({2, "left"});
    heap.push({2, "right"});
    heap.push({9, "last"});
    heap.pop();
    // "last" became the root and went right: left stays at index 1.
    ASSERT_EQ(heap.count(), 3u);
    EXPECT_EQ(heap.array()[0].name, "right");
    EXPECT_EQ(heap.array()[1].name, "left");
}

TEST(MinHeap, SwapOutOfRangeLogsAndChangesNothing) {
    auto heap = heapOf({1, 2, 3});
    auto before = heap.array();
    struct Case {
        long first, second;
    };
    for (auto [first, second] : {Case {0, 3}, Case {-1, 0}, Case {3, 3}, Case {1, -5}}) {
        test::LogCapture log;
        heap.swapElement(first, second);
        EXPECT_TRUE(log.contains("Index out of range")) << first << "," << second;
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(heap.array()[i].name, before[i].name);
    }
}

TEST(MinHeap, IndexArithmetic) {
    using Heap = game::MinHeap<Item>;
    EXPECT_EQ(Heap::getParentIndex(0), 0);
    EXPECT_EQ(Heap::getParentIndex(1), 0);
    EXPECT_EQ(Heap::getParentIndex(2), 0);
    EXPECT_EQ(Heap::getParentIndex(6), 2);
    EXPECT_EQ(Heap::getLeftChildIndex(2), 5);
    EXPECT_EQ(Heap::getRightChildIndex(2), 6);
}

TEST(MinHeap, ResetEmptiesAndForgetsTheDelegates) {
    auto heap = heapOf({2, 1});
    heap.reset();
    EXPECT_EQ(heap.count(), 0u);
    EXPECT_EQ(heap.objectForKey("n1"), nullptr);
    // No key coder any more: a pushed element is not indexed.
    heap.setComparator(byCost);
    heap.push({3, "n3"});
    EXPECT_EQ(heap.objectForKey("n3"), nullptr);
}

}
