#include <toolkit/json/JSONDecoder.hpp>
#include <toolkit/json/JSONEncoder.hpp>

#include "ValuePrinter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

using base::Value;
using namespace toolkit::json;

namespace {

base::Ref<base::Array> list(std::vector<Value> values) {
    return base::Array::create(std::move(values));
}

base::Ref<base::Dictionary> object(std::vector<base::Dictionary::Entry> entries) {
    return base::Dictionary::create(std::move(entries));
}

}

TEST(JSONEncoder, WritesCompactText) {
    struct Case {
        base::Ref<base::Array> array;
        unsigned options;
        char const* text;
    };
    Case const cases[] = {
        {list({}), 0, "[]"},
        {list({Value(object({}))}), 0, "[{}]"},
        {list({Value(object({{"a", 1}, {"b", list({true, false, Value::nullObject()})}}))}), 0,
            "[{\"a\":1,\"b\":[true,false,null]}]"},
        {list({0, -1, 1.5, 0.1, 1.0, -0.0}), 0, "[0,-1,1.5,0.10000000000000001,1,-0]"},
        {list({Value(std::numeric_limits<std::int64_t>::min()),
             Value(std::numeric_limits<std::int64_t>::max()),
             Value(std::numeric_limits<std::uint64_t>::max())}),
            0, "[-9223372036854775808,9223372036854775807,18446744073709551615]"},
        {list({"tab\tquote\"back\\slash/"}), 0, "[\"tab\\tquote\\\"back\\\\slash/\"]"},
        {list({std::string("\x01\x08\x0c\n\r\x1f\x7f", 7)}), 0,
            "[\"\\u0001\\b\\f\\n\\r\\u001f\x7f\"]"},
        {list({"caf\xC3\xA9 \xF0\x9F\x98\x80"}), 0, "[\"caf\xC3\xA9 \xF0\x9F\x98\x80\"]"},
        {list({"caf\xC3\xA9 \xF0\x9F\x98\x80\xE2\x82\xAC"}), JCSerializeFlagEscapeUnicode,
            "[\"caf\\u00e9 \\ud83d\\ude00\\u20ac\"]"},
        {list({""}), 0, "[\"\"]"},
    };
    for (auto const& c : cases) {
        JCError error;
        auto text = JSONString(*c.array, c.options, &error);
        ASSERT_TRUE(text) << c.text << ": " << error.localizedDescription;
        EXPECT_EQ(*text, c.text);
        auto data = JSONData(*c.array, c.options);
        ASSERT_TRUE(data);
        EXPECT_EQ(std::string(data->begin(), data->end()), c.text);
    }
}

TEST(JSONEncoder, RefusesWhatJSONCannotHold) {
    struct Case {
        Value element;
        unsigned options;
        char const* message;
    };
    Case const cases[] = {
        {std::nan(""), 0,
            "Floating point values must be finite.  JSON does not support NaN or Infinity."},
        {std::numeric_limits<double>::infinity(), 0,
            "Floating point values must be finite.  JSON does not support NaN or Infinity."},
        {base::Date {0}, 0, "Unable to serialize object class NSDate."},
        {base::Bytes {1}, 0, "Unable to serialize object class NSData."},
        {"bad \xC3(", 0, "An error occurred converting the contents of a NSString to UTF8."},
        {"bad \xC3(", JCSerializeFlagEscapeUnicode, "Error converting UTF8."},
        {"\xEF\xBF\xBE", JCSerializeFlagEscapeUnicode, "Error converting UTF8."},
    };
    for (auto const& c : cases) {
        auto tree = object({{"k", list({1, c.element})}});
        JCError error;
        EXPECT_FALSE(JSONData(*tree, c.options, &error)) << c.message;
        EXPECT_EQ(error.localizedDescription, c.message);
        EXPECT_EQ(error.domain, "JCErrorDomain");
        EXPECT_FALSE(error.atIndex);
    }
    // A noncharacter is still well-formed UTF-8 and is copied when not escaping.
    EXPECT_EQ(JSONString(*list({"\xEF\xBF\xBE"})), "[\"\xEF\xBF\xBE\"]");
}

TEST(JSONEncoder, ACollectionHoldingItselfEndsInTheDepthError) {
    auto array = list({});
    array->add(Value(array));
    JCError error;
    EXPECT_FALSE(JSONString(*array, 0, &error));
    EXPECT_EQ(error.localizedDescription, "Arrays and objects are nested deeper than 512 levels.");
    array->removeAll();
}

// Shared strings and collections met again are copied from their earlier text.
TEST(JSONEncoder, RepeatedObjectsWriteTheSameText) {
    auto decoder = JSONDecoder::decoder();
    auto tree = decoder->objectWithString("[\"same\",{\"same\":\"same\"},\"same\"]");
    auto inner = object({{"k", "v\n"}});
    tree.array()->add(Value(inner));
    tree.array()->add(Value(inner));
    EXPECT_EQ(JSONString(*tree.array()),
        "[\"same\",{\"same\":\"same\"},\"same\",{\"k\":\"v\\n\"},{\"k\":\"v\\n\"}]");
}

TEST(JSONEncoder, LongOutputsAreWholeAndDecodeBack) {
    auto tree = list({});
    for (int i = 0; i < 3000; ++i)
        tree->add(Value(object({{"index", i}, {"name", "item " + std::to_string(i)}})));
    auto text = JSONString(*tree);
    ASSERT_TRUE(text);
    EXPECT_GT(text->size(), 4096u);
    EXPECT_EQ(objectFromJSONString(*text), Value(tree));
}

namespace {

// A random tree of the kinds JSON holds, with strings that need escapes and
// non-ASCII text.
Value randomValue(std::mt19937& random, int depth) {
    static char const* const texts[] = {"", "plain", "tab\there", "quote\"", "back\\slash",
        "caf\xC3\xA9", "\xF0\x9F\x98\x80", "\x01\x1f", "line\nbreak", "/"};
    switch (random() % (depth > 3 ? 6 : 8)) {
    case 0:
        return Value(std::int64_t(random()) - std::int64_t(random()) * 4096);
    case 1:
        return Value(std::ldexp(double(random()), int(random() % 200) - 100));
    case 2:
        return Value(texts[random() % 10]);
    case 3:
        return Value(bool(random() % 2));
    case 4:
        return Value::nullObject();
    case 5:
        return Value(std::uint64_t(random()) << 40 | random());
    case 6: {
        auto array = base::Array::create();
        for (int i = int(random() % 5); i > 0; --i)
            array->add(randomValue(random, depth + 1));
        return Value(array);
    }
    default: {
        auto dictionary = base::Dictionary::create();
        for (int i = int(random() % 5); i > 0; --i)
            dictionary->setObject(
                texts[random() % 10] + std::to_string(i), randomValue(random, depth + 1));
        return Value(dictionary);
    }
    }
}

}

TEST(JSONEncoder, DecodingTheTextGivesTheTreeBack) {
    std::mt19937 random(102);
    auto decoder = JSONDecoder::decoder();
    for (int i = 0; i < 300; ++i) {
        auto tree = base::Array::create({randomValue(random, 0), randomValue(random, 0)});
        for (unsigned options : {0u, unsigned(JCSerializeFlagEscapeUnicode)}) {
            auto text = JSONString(*tree, options);
            ASSERT_TRUE(text);
            JCError error;
            auto back = decoder->objectWithString(*text, &error);
            ASSERT_EQ(back, Value(tree)) << *text << ": " << error.localizedDescription;
            // And the decoded tree, walked in its table order, writes text that
            // decodes to the same tree.
            auto again = JSONString(*back.array(), options);
            ASSERT_TRUE(again);
            EXPECT_EQ(decoder->objectWithString(*again), Value(tree));
        }
    }
}
