#include <base/Exception.hpp>
#include <base/Value.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using base::Array;
using base::Dictionary;
using base::DictionaryKey;
using base::Value;

TEST(Value, KeepsTheKindItWasMadeWith) {
    struct Case {
        Value value;
        Value::Kind kind;
    };
    Case const cases[] = {
        {Value(), Value::Kind::Null},
        {Value(true), Value::Kind::Boolean},
        {Value(3), Value::Kind::Integer},
        {Value(std::uint64_t(18446744073709551615ull)), Value::Kind::Unsigned},
        {Value(2.5), Value::Kind::Real},
        {Value("text"), Value::Kind::String},
        {Value(base::Bytes {1, 2}), Value::Kind::Data},
        {Value(base::Date {10}), Value::Kind::Date},
        {Value(Array::create()), Value::Kind::Array},
        {Value(Dictionary::create()), Value::Kind::Dictionary},
        {Value(static_cast<char const*>(nullptr)), Value::Kind::Null},
        {Value(base::Ref<Array>()), Value::Kind::Null},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.value.kind(), c.kind) << c.value.description();
}

TEST(Value, StringsConvertByTheirLeadingCharacters) {
    struct Case {
        char const* text;
        int intValue;
        double doubleValue;
        bool boolValue;
    };
    Case const cases[] = {
        {"42", 42, 42, true},
        {"  -17abc", -17, -17, true},
        {"+8", 8, 8, true},
        {"abc", 0, 0, false},
        {"", 0, 0, false},
        {"3.75", 3, 3.75, true},
        {"1e3", 1, 1000, true},
        {"YES", 0, 0, true},
        {"true", 0, 0, true},
        {"no", 0, 0, false},
        {"0", 0, 0, false},
        {"007", 7, 7, true},
        {"99999999999", std::numeric_limits<int>::max(), 99999999999.0, true},
        {"-99999999999", std::numeric_limits<int>::min(), -99999999999.0, true},
    };
    for (auto const& c : cases) {
        Value value(c.text);
        EXPECT_EQ(value.intValue(), c.intValue) << c.text;
        EXPECT_DOUBLE_EQ(value.doubleValue(), c.doubleValue) << c.text;
        EXPECT_EQ(value.boolValue(), c.boolValue) << c.text;
    }
}

TEST(Value, LongLongSaturatesOnOverflow) {
    EXPECT_EQ(
        Value("99999999999999999999999").longLongValue(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(
        Value("-9223372036854775808").longLongValue(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(
        Value("9223372036854775807").longLongValue(), std::numeric_limits<std::int64_t>::max());
}

TEST(Value, NumbersAndBooleansGiveTheirText) {
    EXPECT_EQ(Value(12).stringValue(), "12");
    EXPECT_EQ(Value(0.5).stringValue(), "0.5");
    EXPECT_EQ(Value(true).stringValue(), "1");
    EXPECT_EQ(Value(std::uint64_t(18446744073709551615ull)).stringValue(), "18446744073709551615");
    EXPECT_EQ(Value("x").stringValue(), "x");
    EXPECT_EQ(Value().stringValue(), "");
}

TEST(Value, DescriptionsMatchThePlatformsForm) {
    EXPECT_EQ(Value().description(), "(null)");
    EXPECT_EQ(Value("plain text").description(), "plain text");
    EXPECT_EQ(Value(base::Bytes {0xde, 0xad, 0xbe, 0xef, 0x01}).description(), "<deadbeef 01>");
    EXPECT_EQ(Value(base::Date {0}).description(), "2001-01-01 00:00:00 +0000");

    auto inner = Array::create({Value(1), Value("two words")});
    auto dictionary = Dictionary::create({{"key", Value(inner)}, {"name", Value("Bob")}});
    EXPECT_EQ(Value(dictionary).description(),
        "{\n    key = (\n        1,\n        \"two words\"\n    );\n    name = Bob;\n}");
}

// Dates read from a damaged file (or put into a format) may be NaN or far beyond any
// calendar; their description must still be text and nothing undefined.
TEST(Value, DescribesDatesWithNoCalendarDayAsTheirSeconds) {
    struct Case {
        double seconds;
        char const* expected;
    };
    Case const cases[] = {
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {-1e300, "-1e+300"},
        {1e16, "1e+16"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(Value(base::Date {c.seconds}).description(), c.expected) << c.seconds;
    EXPECT_EQ(Value(base::Date {-63113904000}).description(), "0001-01-01 00:00:00 +0000");
    EXPECT_EQ(Value(base::Date {31556908800}).description(), "3001-01-01 00:00:00 +0000");
}

TEST(Value, NumbersCompareByValueAcrossKinds) {
    EXPECT_EQ(Value(1), Value(1.0));
    EXPECT_EQ(Value(std::uint64_t(5)), Value(5));
    EXPECT_FALSE(Value(-1) == Value(std::uint64_t(18446744073709551615ull)));
    EXPECT_FALSE(Value(true) == Value("1"));
    EXPECT_FALSE(Value(1) == Value("1"));
}

TEST(Dictionary, KeepsInsertionOrderAndPlaceOnReplace) {
    auto d = Dictionary::create();
    d->setObject("b", 1);
    d->setObject("a", 2);
    d->setObject("c", 3);
    d->setObject("b", 4);
    EXPECT_EQ(d->keys(), (std::vector<std::string> {"b", "a", "c"}));
    EXPECT_EQ(d->objectForKey("b").intValue(), 4);
    d->removeObjectForKey("a");
    EXPECT_EQ(d->keys(), (std::vector<std::string> {"b", "c"}));
    EXPECT_EQ(d->objectForKey("c").intValue(), 3);
    EXPECT_TRUE(d->objectForKey("a").isNull());
    d->setObject("c", Value());
    EXPECT_FALSE(d->contains("c"));
}

// Removals leave empty places that are compacted later: against a plain list of pairs,
// every mix of setting, replacing and removing keeps the same keys in the same order,
// through the compactions, copies and enumerations.
TEST(Dictionary, KeepsInsertionOrderThroughAnyMixOfRemovals) {
    struct Case {
        char const* name;
        int keys;
        int steps;
        int removePercent;
    };
    for (auto const& c : {Case {"mostly adds", 40, 600, 25}, Case {"balanced", 30, 800, 50},
             Case {"mostly removals", 50, 800, 80}, Case {"one key", 1, 50, 50},
             Case {"around the size that starts the index", 10, 800, 45},
             Case {"hundreds of keys", 600, 20000, 40}}) {
        SCOPED_TRACE(c.name);
        auto d = Dictionary::create();
        std::vector<std::pair<std::string, int>> model;
        std::uint32_t seed = 12345;
        auto next = [&seed](int bound) {
            seed = seed * 1664525u + 1013904223u;
            return int((seed >> 8) % std::uint32_t(bound));
        };
        for (int step = 0; step < c.steps; ++step) {
            std::string key = "k" + std::to_string(next(c.keys));
            auto found = std::find_if(
                model.begin(), model.end(), [&key](auto const& e) { return e.first == key; });
            if (next(100) < c.removePercent) {
                d->removeObjectForKey(key);
                if (found != model.end())
                    model.erase(found);
            } else {
                d->setObject(key, step);
                if (found != model.end())
                    found->second = step;
                else
                    model.emplace_back(key, step);
            }
            ASSERT_EQ(d->size(), model.size());
            ASSERT_EQ(d->empty(), model.empty());
            bool inModel = std::any_of(
                model.begin(), model.end(), [&key](auto const& e) { return e.first == key; });
            ASSERT_EQ(d->contains(key), inModel);
            if (step % 7 == 0) {
                std::vector<std::pair<std::string, int>> walked;
                for (auto const& [k, v] : *d)
                    walked.emplace_back(k, v.intValue());
                ASSERT_EQ(walked, model);
            }
        }
        for (auto const& [key, value] : model)
            EXPECT_EQ(d->objectForKey(key).intValue(), value);
        auto copied = d->copy();
        auto entries = d->entries();
        ASSERT_EQ(entries.size(), model.size());
        ASSERT_EQ(copied->keys(), d->keys());
        for (std::size_t i = 0; i < model.size(); ++i)
            EXPECT_EQ(entries[i].first.str(), model[i].first);
        EXPECT_EQ(Value(d->deepCopy()), Value(d));
    }
}

// The empty key is a key like any other, also beside the emptied places of removed
// keys (which hold an empty key too), in a small dictionary and in an indexed one.
TEST(Dictionary, TheEmptyKeyIsAKeyBesideEmptiedPlaces) {
    for (int others : {2, 40}) {
        SCOPED_TRACE(others);
        auto d = Dictionary::create();
        for (int i = 0; i < others; ++i)
            d->setObject("k" + std::to_string(i), i);
        d->removeObjectForKey("k0");
        EXPECT_FALSE(d->contains(""));
        d->removeObjectForKey("");
        EXPECT_EQ(d->size(), std::size_t(others - 1));
        d->setObject("", "empty");
        EXPECT_EQ(d->objectForKey("").stringValue(), "empty");
        EXPECT_EQ(d->keys().back(), "");
        d->removeObjectForKey("");
        EXPECT_FALSE(d->contains(""));
        EXPECT_EQ(d->size(), std::size_t(others - 1));
    }
}

// Emptied at once, a dictionary that had many keys takes new ones as a fresh one.
TEST(Dictionary, RemoveAllThenRefillFindsOnlyTheNewKeys) {
    auto d = Dictionary::create();
    for (int i = 0; i < 500; ++i)
        d->setObject("old" + std::to_string(i), i);
    d->removeAll();
    EXPECT_TRUE(d->empty());
    for (int i = 0; i < 30; ++i)
        d->setObject("new" + std::to_string(i), i);
    EXPECT_EQ(d->size(), 30u);
    EXPECT_FALSE(d->contains("old7"));
    EXPECT_EQ(d->objectForKey("new29").intValue(), 29);
    EXPECT_EQ(d->keys().front(), "new0");
    auto copy = d->deepCopy();
    EXPECT_EQ(copy->keys(), d->keys());
    EXPECT_EQ(copy->objectForKey("new17").intValue(), 17);
}

TEST(Dictionary, RemovingOldestFirstLeavesTheRestInOrder) {
    auto d = Dictionary::create();
    for (int i = 0; i < 1000; ++i)
        d->setObject("key" + std::to_string(i), i);
    for (int i = 0; i < 990; ++i) {
        d->removeObjectForKey("key" + std::to_string(i));
        ASSERT_EQ(d->begin()->first.str(), "key" + std::to_string(i + 1));
    }
    d->setObject("late", 1);
    EXPECT_EQ(d->keys(),
        (std::vector<std::string> {"key990", "key991", "key992", "key993", "key994", "key995",
            "key996", "key997", "key998", "key999", "late"}));
    for (auto const& key : d->keys())
        d->removeObjectForKey(key);
    EXPECT_TRUE(d->empty());
    EXPECT_EQ(d->begin(), d->end());
}

TEST(Dictionary, IsSharedByReferenceAndCopiedExplicitly) {
    auto d = Dictionary::create({{"list", Value(Array::create({Value(1)}))}});
    Value shared(d);
    shared.dictionary()->setObject("x", 1);
    EXPECT_TRUE(d->contains("x"));

    auto shallow = d->copy();
    auto deep = d->deepCopy();
    d->objectForKey("list").array()->add(2);
    EXPECT_EQ(shallow->objectForKey("list").array()->size(), 2u);
    EXPECT_EQ(deep->objectForKey("list").array()->size(), 1u);
    EXPECT_EQ(Value(shallow), Value(d));
    EXPECT_FALSE(Value(deep) == Value(d));
}

TEST(Array, RaisesRangeExceptionOutOfBounds) {
    auto a = Array::create({Value(1), Value(2)});
    try {
        a->at(2);
        FAIL() << "no exception";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "NSRangeException");
    }
    EXPECT_THROW(a->insert(3, 0), base::Exception);
    a->insert(2, 3);
    a->removeAt(0);
    EXPECT_EQ(a->indexOf(Value(3)), 1u);
    EXPECT_EQ(a->indexOf(Value(9)), Array::npos);
}

TEST(Value, SharedStringsAreStringsThatShareTheirText) {
    auto text = std::make_shared<std::string const>("shared");
    Value a(text);
    Value b = a;
    EXPECT_EQ(a.kind(), Value::Kind::String);
    EXPECT_EQ(a.string(), text.get());
    EXPECT_EQ(b.string(), text.get());
    EXPECT_EQ(a, Value("shared"));
    EXPECT_EQ(Value("shared"), a);
    EXPECT_FALSE(Value("shared").sharedString());
    EXPECT_EQ(a.stringValue(), "shared");
    EXPECT_TRUE(Value(base::SharedString()).isNil());
}

// A key holds its own text or shares one; either way it reads, compares, orders and
// joins as the text, and an emptied key is the empty text.
TEST(DictionaryKey, ReadsAsItsTextWhetherOwnOrShared) {
    auto text = std::make_shared<std::string const>("uid");
    struct Case {
        DictionaryKey key;
        bool shared;
    };
    Case const cases[] = {{DictionaryKey(std::string("uid")), false},
        {DictionaryKey(std::string_view("uid")), false}, {DictionaryKey("uid"), false},
        {DictionaryKey(text), true}};
    for (auto const& [key, shared] : cases) {
        EXPECT_EQ(key.str(), "uid");
        EXPECT_EQ(key, "uid");
        EXPECT_EQ(key, std::string_view("uid"));
        EXPECT_EQ(key, DictionaryKey("uid"));
        EXPECT_NE(key, "ui");
        EXPECT_LT(key, DictionaryKey("vid"));
        EXPECT_GT(key, std::string_view("aaa"));
        EXPECT_EQ(key.size(), 3u);
        EXPECT_EQ(key + "=1", "uid=1");
        EXPECT_EQ(std::string("the ") + key, "the uid");
        std::string const& asString = key;
        EXPECT_EQ(asString, "uid");
        EXPECT_EQ(key.shared() != nullptr, shared);
        if (shared) {
            EXPECT_EQ(key.shared()->get(), text.get());
        }
    }
    EXPECT_TRUE(DictionaryKey(base::SharedString()).empty());
    EXPECT_FALSE(DictionaryKey(base::SharedString()).shared());
    EXPECT_TRUE(DictionaryKey(static_cast<char const*>(nullptr)).empty());
}

TEST(Value, TheNullObjectIsANullThatDictionariesKeep) {
    auto null = Value::nullObject();
    EXPECT_TRUE(null.isNull());
    EXPECT_TRUE(null.isNullObject());
    EXPECT_FALSE(null.isNil());
    EXPECT_EQ(null.kind(), Value::Kind::Null);
    EXPECT_EQ(null.description(), "<null>");
    EXPECT_EQ(null, Value::nullObject());
    EXPECT_FALSE(null == Value());

    auto dictionary = Dictionary::create();
    dictionary->setObject("a", null);
    dictionary->setObject("b", 1);
    EXPECT_EQ(dictionary->size(), 2u);
    EXPECT_TRUE((*dictionary)["a"].isNullObject());
    EXPECT_EQ(dictionary->begin()->first, "a");
    // A plain null still removes.
    dictionary->setObject("a", Value());
    EXPECT_EQ(dictionary->size(), 1u);
    EXPECT_FALSE(dictionary->contains("a"));
}
