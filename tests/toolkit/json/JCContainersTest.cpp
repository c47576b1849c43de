#include <toolkit/json/JCArray.hpp>
#include <toolkit/json/JCDictionary.hpp>
#include <toolkit/json/JCUTF8.hpp>
#include <toolkit/json/JSONDecoder.hpp>

#include <base/Exception.hpp>

#include "ValuePrinter.hpp"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

using base::Value;
using namespace toolkit::json;

namespace {

base::Ref<JCDictionary> makeDictionary(
    std::vector<std::pair<std::string, Value>> pairs, bool mutableCollection = false) {
    std::vector<base::DictionaryKey> keys;
    std::vector<std::uint32_t> hashes;
    std::vector<Value> objects;
    for (auto& [key, value] : pairs) {
        hashes.push_back(JCKeyHash(key));
        keys.push_back(key);
        objects.push_back(value);
    }
    return JCDictionaryCreate(
        keys.data(), hashes.data(), objects.data(), keys.size(), mutableCollection);
}

base::Ref<JCArray> makeArray(std::vector<Value> values, bool mutableCollection = false) {
    return JCArrayCreate(values.data(), values.size(), mutableCollection);
}

std::string raised(auto&& body) {
    try {
        body();
    } catch (base::Exception const& e) {
        return e.name() + ": " + e.reason();
    }
    return "nothing raised";
}

}

TEST(JCKeyHash, IsFNV1aOfTheUTF8Bytes) {
    EXPECT_EQ(JCKeyHash(""), 0x811C9DC5u);
    EXPECT_EQ(JCKeyHash("a"), 0xE40C292Cu);
    EXPECT_EQ(JCKeyHash("foobar"), 0xBF9CF968u);
}

TEST(JCDictionary, CapacityComesFromTheFixedTable) {
    struct Case {
        std::size_t count;
        std::size_t capacity;
    };
    Case const cases[] = {{0, 0}, {1, 3}, {2, 3}, {3, 3}, {4, 7}, {6, 7}, {7, 13}, {10, 13},
        {100, 191}, {1000, 1723}, {355000000, 472907251}};
    for (auto c : cases)
        EXPECT_EQ(JCDictionary::capacityForCount(c.count), c.capacity) << c.count;
}

TEST(JCDictionary, EmptyDictionaryHasNoTableAndGrowsOnFirstInsert) {
    auto value = JSONDecoder::decoder()->mutableObjectWithString("{}");
    auto dictionary = dynamic_cast<JCMutableDictionary*>(value.dictionary());
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->capacity(), 0u);
    EXPECT_TRUE(dictionary->objectForKey("x").isNil());
    dictionary->setObject("x", 1);
    EXPECT_EQ(dictionary->capacity(), 3u);
    EXPECT_EQ(dictionary->objectForKey("x"), Value(1));
}

TEST(JCDictionary, LaterDuplicateKeyWins) {
    auto dictionary = makeDictionary({{"a", 1}, {"b", 2}, {"a", 3}});
    EXPECT_EQ(dictionary->count(), 2u);
    EXPECT_EQ((*dictionary)["a"], Value(3));
    EXPECT_EQ((*dictionary)["b"], Value(2));
}

// Walking through base::Dictionary, the entry index and the key enumerator all give
// the occupied entries in table order.
TEST(JCDictionary, EnumeratesInTableOrderEveryWay) {
    auto dictionary = makeDictionary({{"one", 1}, {"two", 2}, {"three", 3}, {"four", 4}});
    std::vector<std::string> tableOrder;
    for (std::size_t i = 0; i < dictionary->capacity(); ++i) {
        if (auto entry = dictionary->entryAtIndex(i))
            tableOrder.push_back(entry->first);
    }
    ASSERT_EQ(tableOrder.size(), 4u);
    std::vector<std::string> walked;
    for (auto const& [key, value] : *dictionary)
        walked.push_back(key);
    EXPECT_EQ(walked, tableOrder);
    EXPECT_EQ(dictionary->keys(), tableOrder);

    auto enumerator = dictionary->keyEnumerator();
    EXPECT_EQ(enumerator->nextObject(), tableOrder[0]);
    auto rest = enumerator->allObjects();
    ASSERT_EQ(rest->size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ((*rest)[i], Value(tableOrder[i + 1]));
    EXPECT_FALSE(enumerator->nextObject());

    std::vector<std::string> keys;
    std::vector<Value> objects;
    dictionary->getObjectsAndKeys(&objects, &keys);
    EXPECT_EQ(keys, tableOrder);
    EXPECT_EQ(objects.size(), 4u);
}

// A reference map follows random inserts and removals on a small key space, so
// that probe runs collide, wrap round the table and lose members in the middle.
TEST(JCDictionary, LookupsStayRightAfterRandomInsertsAndRemovals) {
    std::mt19937 random(21);
    for (int round = 0; round < 20; ++round) {
        auto value = JSONDecoder::decoder()->mutableObjectWithString("{}");
        auto& dictionary = dynamic_cast<JCMutableDictionary&>(*value.dictionary());
        std::map<std::string, int> reference;
        for (int step = 0; step < 400; ++step) {
            std::string key = "k" + std::to_string(random() % 40);
            if (random() % 3 == 0) {
                dictionary.removeObjectForKey(key);
                reference.erase(key);
            } else {
                int n = int(random() % 1000);
                dictionary.setObject(key, n);
                reference[key] = n;
            }
            ASSERT_EQ(dictionary.count(), reference.size());
            for (int k = 0; k < 40; ++k) {
                std::string probe = "k" + std::to_string(k);
                auto found = reference.find(probe);
                if (found == reference.end())
                    ASSERT_FALSE(dictionary.find(probe)) << probe << " at step " << step;
                else
                    ASSERT_EQ(dictionary[probe], Value(found->second)) << probe;
            }
        }
        std::size_t walked = 0;
        for (auto const& [key, element] : dictionary) {
            EXPECT_EQ(element, Value(reference.at(key)));
            ++walked;
        }
        EXPECT_EQ(walked, reference.size());
    }
}

// Three entries fill a table of capacity 3: a missing key still ends its search, an
// existing key is replaced in place and a new key grows the table.
TEST(JCDictionary, AFullTableAnswersAndGrows) {
    auto dictionary = makeDictionary({{"a", 1}, {"b", 2}, {"c", 3}}, true);
    ASSERT_EQ(dictionary->capacity(), 3u);
    EXPECT_FALSE(dictionary->find("missing"));
    dictionary->setObject("b", 20);
    EXPECT_EQ(dictionary->capacity(), 7u);
    EXPECT_EQ((*dictionary)["b"], Value(20));
    auto full = makeDictionary({{"a", 1}, {"b", 2}, {"c", 3}});
    // Through the base interface on the immutable form as well.
    full->base::Dictionary::addEntriesFrom(*base::Dictionary::create({{"d", 4}}));
    EXPECT_EQ(full->count(), 4u);
    for (auto [key, n] :
        std::vector<std::pair<char const*, int>> {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}})
        EXPECT_EQ((*full)[key], Value(n)) << key;
}

TEST(JCDictionary, MutationsCountAndRemovalOfAMissingKeyIsNone) {
    auto dictionary = makeDictionary({{"a", 1}}, true);
    EXPECT_EQ(dictionary->mutations(), 0u);
    dictionary->setObject("b", 2);
    dictionary->removeObjectForKey("a");
    EXPECT_EQ(dictionary->mutations(), 2u);
    dictionary->removeObjectForKey("zzz");
    EXPECT_EQ(dictionary->mutations(), 2u);
    EXPECT_EQ(dictionary->count(), 1u);
}

TEST(JCDictionary, NilValueRaisesAndTheNullObjectIsStored) {
    auto dictionary = makeDictionary({}, true);
    EXPECT_EQ(raised([&] { dictionary->setObject("k", Value()); }),
        "NSInvalidArgumentException: *** -[JCMutableDictionary setObject:forKey:]: attempt to "
        "insert nil value (key: k)");
    dictionary->setObject("k", Value::nullObject());
    EXPECT_TRUE((*dictionary)["k"].isNullObject());
    EXPECT_EQ(dictionary->count(), 1u);
}

TEST(JCDictionary, CopiesFollowTheFoundationRules) {
    auto frozen = makeDictionary({{"a", 1}});
    EXPECT_EQ(frozen->copy().get(), frozen.get());
    auto mutableCopy = frozen->mutableCopy();
    EXPECT_NE(mutableCopy.get(), frozen.get());
    EXPECT_FALSE(dynamic_cast<JCDictionary*>(mutableCopy.get()));
    EXPECT_EQ(Value(mutableCopy), Value(base::Ref<base::Dictionary>(frozen)));

    auto changing = makeDictionary({{"a", 1}}, true);
    auto copy = changing->copy();
    EXPECT_NE(copy.get(), changing.get());
    EXPECT_FALSE(dynamic_cast<JCDictionary*>(copy.get()));
}

TEST(JCArray, RaisesTheRangeMessages) {
    auto array = makeArray({1, 2, 3});
    EXPECT_EQ(raised([&] { array->objectAtIndex(3); }),
        "NSRangeException: *** -[JCArray objectAtIndex:]: index (3) beyond bounds (3)");
    Value out[2];
    EXPECT_EQ(raised([&] { array->getObjects(out, 2, 2); }),
        "NSRangeException: *** -[JCArray getObjects:range:]: index (4) beyond bounds (3)");
    array->getObjects(out, 1, 2);
    EXPECT_EQ(out[0], Value(2));
    EXPECT_EQ(out[1], Value(3));

    auto changing = base::ref_cast<JCMutableArray>(makeArray({1}, true));
    ASSERT_TRUE(changing);
    EXPECT_EQ(raised([&] { changing->insertObject(Value(), 0); }),
        "NSInvalidArgumentException: *** -[JCMutableArray insertObject:atIndex:]: attempt to "
        "insert nil");
    EXPECT_EQ(raised([&] { changing->insertObject(5, 2); }),
        "NSRangeException: *** -[JCMutableArray insertObject:atIndex:]: index (2) beyond bounds "
        "(2)");
    EXPECT_EQ(raised([&] { changing->removeObjectAtIndex(1); }),
        "NSRangeException: *** -[JCMutableArray removeObjectAtIndex:]: index (1) beyond bounds "
        "(1)");
    EXPECT_EQ(raised([&] { changing->replaceObjectAtIndex(0, Value()); }),
        "NSInvalidArgumentException: *** -[JCMutableArray replaceObjectAtIndex:withObject:]: "
        "attempt to insert nil");
}

TEST(JCArray, EmptyArrayHasNoCapacityAndInsertsGrowBySixteen) {
    auto value = JSONDecoder::decoder()->mutableObjectWithString("[]");
    auto array = dynamic_cast<JCMutableArray*>(value.array());
    ASSERT_TRUE(array);
    EXPECT_EQ(array->count(), 0u);
    EXPECT_EQ(array->capacity(), 0u);
    EXPECT_TRUE(array->empty());
    array->insertObject(1, 0);
    EXPECT_EQ(array->capacity(), 16u);

    auto three = base::ref_cast<JCMutableArray>(makeArray({1, 2, 3}, true));
    EXPECT_EQ(three->capacity(), 3u);
    three->insertObject(0, 0);
    EXPECT_EQ(three->capacity(), 19u);
    three->replaceObjectAtIndex(3, 30);
    three->removeObjectAtIndex(1);
    EXPECT_EQ(Value(base::Ref<base::Array>(three)), Value(base::Array::create({0, 2, 30})));
    EXPECT_EQ(three->mutations(), 3u);
}

TEST(JCArray, CopiesFollowTheFoundationRules) {
    auto frozen = makeArray({1});
    EXPECT_EQ(frozen->copy().get(), frozen.get());
    auto mutableCopy = frozen->mutableCopy();
    EXPECT_FALSE(dynamic_cast<JCArray*>(mutableCopy.get()));
    EXPECT_EQ(mutableCopy->size(), 1u);
    auto changing = makeArray({1}, true);
    EXPECT_NE(changing->copy().get(), changing.get());
}
