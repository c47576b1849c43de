#include <engine/HashSet.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

using engine::HashBytes;
using engine::HashSet;
using engine::nextPrime;

namespace {

// A keyed element: equal when the keys are equal, whatever the payload.
struct Item {
    int key;
    std::string payload;
};

bool sameKey(Item const* a, Item const* b) {
    return a->key == b->key;
}

std::uint32_t hashOf(int key) {
    return HashBytes(&key, sizeof key);
}

}

TEST(HashSet, HashBytesIsTheOneAtATimeHash) {
    struct Case {
        std::string bytes;
        std::uint32_t hash;
    };
    Case const cases[] = {
        {"", 0x00000000u},
        {"a", 0xca2e9442u},
        {"The quick brown fox jumps over the lazy dog", 0x519e91f5u},
        {"\x78\x56\x34\x12", 0x69b836b4u},
    };
    for (auto const& c : cases)
        EXPECT_EQ(HashBytes(c.bytes.data(), c.bytes.size()), c.hash) << c.bytes;
}

TEST(HashSet, NextPrimeIsTheFirstTablePrimeAtLeastN) {
    struct Case {
        int n;
        int prime;
    };
    Case const cases[] = {{-7, 5}, {0, 5}, {5, 5}, {6, 11}, {131, 131}, {132, 257}, {258, 521},
        {1073741827, 1073741827}};
    for (auto const& c : cases)
        EXPECT_EQ(nextPrime(c.n), c.prime) << c.n;
}

TEST(HashSet, NextPrimePastTheTableIsABrokenInvariant) {
    EXPECT_DEATH(nextPrime(1073741828), "primes\\[i\\]");
}

TEST(HashSet, StartsWithThePrimeBucketCountAndNoEntries) {
    HashSet<Item> set(131, sameKey);
    EXPECT_EQ(set.size(), 131);
    EXPECT_EQ(set.entries(), 0);
    HashSet<Item> small(2, sameKey);
    EXPECT_EQ(small.size(), 5);
}

TEST(HashSet, FindsInsertedElementsAndNothingElse) {
    HashSet<Item> set(5, sameKey);
    Item one {1, "one"}, two {2, "two"};
    EXPECT_EQ(set.insert(hashOf(1), &one), &one);
    EXPECT_EQ(set.insert(hashOf(2), &two), &two);
    Item key {2, ""};
    EXPECT_EQ(set.find(hashOf(2), &key), &two);
    Item missing {3, ""};
    EXPECT_EQ(set.find(hashOf(3), &missing), nullptr);
    EXPECT_EQ(set.entries(), 2);
}

TEST(HashSet, InsertingAnEqualElementReturnsTheStoredOne) {
    HashSet<Item> set(5, sameKey);
    Item stored {7, "first"}, equal {7, "second"};
    set.insert(hashOf(7), &stored);
    EXPECT_EQ(set.insert(hashOf(7), &equal), &stored);
    EXPECT_EQ(set.entries(), 1);
    EXPECT_EQ(set.find(hashOf(7), &equal)->payload, "first");
}

TEST(HashSet, RemoveUnlinksOnlyTheEqualElementAndLeavesItToTheCaller) {
    HashSet<Item> set(5, sameKey);
    // The same hash puts all three in one chain.
    Item a {1, "a"}, b {2, "b"}, c {3, "c"};
    set.insert(42, &a);
    set.insert(42, &b);
    set.insert(42, &c);
    Item key {2, ""};
    EXPECT_EQ(set.remove(42, &key), &b);
    EXPECT_EQ(set.entries(), 2);
    EXPECT_EQ(set.find(42, &key), nullptr);
    Item keyA {1, ""}, keyC {3, ""};
    EXPECT_EQ(set.find(42, &keyA), &a);
    EXPECT_EQ(set.find(42, &keyC), &c);
    EXPECT_EQ(set.remove(42, &key), nullptr);
    EXPECT_EQ(b.payload, "b");
}

TEST(HashSet, GrowsToTheNextPrimeAtThreeEntriesPerBucketAndKeepsEveryElement) {
    HashSet<Item> set(131, sameKey);
    std::vector<std::unique_ptr<Item>> items;
    for (int i = 0; i < 393; ++i) {
        items.push_back(std::make_unique<Item>(Item {i * 7919, std::to_string(i)}));
        set.insert(hashOf(items.back()->key), items.back().get());
        EXPECT_EQ(set.size(), i < 392 ? 131 : 257) << i;
    }
    EXPECT_EQ(set.entries(), 393);
    for (auto const& item : items) {
        Item key {item->key, ""};
        EXPECT_EQ(set.find(hashOf(item->key), &key), item.get());
    }
}

TEST(HashSet, ForEachVisitsEveryElementOnceAndAllowsRemovingTheVisitedOne) {
    HashSet<Item> set(5, sameKey);
    std::vector<std::unique_ptr<Item>> items;
    for (int i = 0; i < 40; ++i) {
        items.push_back(std::make_unique<Item>(Item {i, ""}));
        // Few distinct hashes, so chains are long.
        set.insert(static_cast<std::uint32_t>(i % 3), items.back().get());
    }
    std::set<int> seen;
    set.forEach([&](Item* item) {
        EXPECT_TRUE(seen.insert(item->key).second);
        set.remove(static_cast<std::uint32_t>(item->key % 3), item);
    });
    EXPECT_EQ(seen.size(), 40u);
    EXPECT_EQ(set.entries(), 0);
}
