#include <toolkit/json/LJSONSerializer.hpp>

#include "ValuePrinter.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using base::Value;
using toolkit::json::CFilteringJSONSerializer;
using toolkit::json::LJSONError;
using toolkit::json::LJSONSerializer;

namespace {

Value list(std::vector<Value> values) {
    return Value(base::Array::create(std::move(values)));
}

Value object(std::vector<base::Dictionary::Entry> entries) {
    return Value(base::Dictionary::create(std::move(entries)));
}

std::string text(std::optional<base::Bytes> const& bytes) {
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
}

}

TEST(LJSONSerializer, WritesCompactJSON) {
    struct Case {
        Value object;
        char const* json;
    };
    Case const cases[] = {
        {object({{"a", 1}}), "{\"a\":1}"},
        {list({}), "[]"},
        {object({}), "{}"},
        {true, "true"},
        {false, "false"},
        {1, "1"},
        {-12, "-12"},
        {Value(std::uint64_t(18446744073709551615ull)), "18446744073709551615"},
        {0.5, "0.5"},
        {Value(base::Decimal::fromString("12.50")), "12.5"},
        {Value::nullObject(), "null"},
        {"/\"\t", "\"\\/\\\"\\t\""},
        {"\b\f\n\r\\", "\"\\b\\f\\n\\r\\\\\""},
        {"\x01\x1F", "\"\\u0001\\u001F\""},
        {"caf\xC3\xA9", "\"caf\xC3\xA9\""},
        {Value(base::Bytes {'h', 'i'}), "\"hi\""},
        {object({{"z", list({1, "x", Value::nullObject()})}, {"a", object({{"b", false}})}}),
            "{\"z\":[1,\"x\",null],\"a\":{\"b\":false}}"},
    };
    auto serializer = LJSONSerializer::serializer();
    for (auto const& c : cases) {
        LJSONError error;
        EXPECT_EQ(text(serializer->serializeObject(c.object, &error)), c.json)
            << error.localizedDescription();
        EXPECT_TRUE(serializer->isValidJSONObject(c.object));
    }
    EXPECT_EQ(text(serializer->serializeNull(Value::nullObject())), "null");
    EXPECT_EQ(text(serializer->serializeString("a")), "\"a\"");
    EXPECT_EQ(text(serializer->serializeNumber(7)), "7");
    EXPECT_EQ(text(serializer->serializeArray(base::Array::create({1, 2}))), "[1,2]");
    EXPECT_EQ(text(serializer->serializeDictionary(base::Dictionary::create({{"k", "v"}}))),
        "{\"k\":\"v\"}");
}

TEST(LJSONSerializer, NamesWhatItCannotWrite) {
    struct Case {
        Value object;
        std::string message;
    };
    auto date = Value(base::Date {0});
    auto inArray = list({1, date});
    auto nested = object({{"a", inArray}});
    Case const cases[] = {
        {date, "Cannot serialize data of type 'NSDate'"},
        {inArray, "Could not serialize object '" + inArray.description() + "'"},
        {nested, "Could not serialize object '" + nested.description() + "'"},
        {Value(base::Bytes {0xFF}), "Could not serialize object '<ff>'"},
        {Value(std::numeric_limits<double>::quiet_NaN()), "Could not serialize object 'nan'"},
        {Value(base::Decimal::notANumber()), "Could not serialize object 'NaN'"},
    };
    auto serializer = LJSONSerializer::serializer();
    for (auto const& c : cases) {
        LJSONError error;
        EXPECT_EQ(serializer->serializeObject(c.object, &error), std::nullopt);
        EXPECT_EQ(error.domain, "TODO_DOMAIN");
        EXPECT_EQ(error.code, -1);
        EXPECT_EQ(error.localizedDescription(), c.message);
    }
    EXPECT_FALSE(serializer->isValidJSONObject(date));
    // Collections are not looked into.
    EXPECT_TRUE(serializer->isValidJSONObject(inArray));
}

TEST(CFilteringJSONSerializer, ConvertsObjectsAtEveryDepth) {
    auto serializer = CFilteringJSONSerializer::serializer();
    serializer->addTest([](Value const& value) -> std::optional<std::string> {
        if (value.isDate())
            return "date";
        return std::nullopt;
    });
    EXPECT_EQ(serializer->tests().size(), 1u);
    serializer->addConverter(
        [](Value const& value) { return Value(std::to_string(int(value.date()->seconds))); },
        "date");
    EXPECT_EQ(text(serializer->serializeObject(list({Value(base::Date {5})}))), "[\"5\"]");
    EXPECT_EQ(text(serializer->serializeObject(object({{"d", list({Value(base::Date {7})})}}))),
        "{\"d\":[\"7\"]}");

    // Data from a converter is written form already.
    auto raw = CFilteringJSONSerializer::serializer();
    raw->addTest([](Value const&) -> std::optional<std::string> { return "raw"; });
    raw->addConverter(
        [](Value const& value) {
            return value.isDate() ? Value(base::Bytes {'{', '}'}) : Value();
        },
        "raw");
    EXPECT_EQ(text(raw->serializeObject(list({1, Value(base::Date {0})}))), "[1,{}]");

    // A test naming no converter, or a converter answering nothing, leaves the object.
    auto none = CFilteringJSONSerializer::serializer();
    none->addTest([](Value const&) -> std::optional<std::string> { return "missing"; });
    LJSONError error;
    EXPECT_EQ(none->serializeObject(Value(base::Date {0}), &error), std::nullopt);
    EXPECT_EQ(error.localizedDescription(), "Cannot serialize data of type 'NSDate'");
}

TEST(LJSONSerializedData, KeepsItsBytesButIsNotAValueTheSerializerTakes) {
    auto data = toolkit::json::LJSONSerializedData::create({'[', ']'});
    EXPECT_EQ(data->data(), (base::Bytes {'[', ']'}));
    EXPECT_EQ(data->serializedJSONData(), data->data());
}
