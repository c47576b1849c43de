#include <toolkit/json/PJSON.hpp>
#include <toolkit/json/PJsonParser.hpp>
#include <toolkit/json/PJsonWriter.hpp>

#include "ValuePrinter.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using base::Value;
using namespace toolkit::json;

namespace {

Value list(std::vector<Value> values) {
    return Value(base::Array::create(std::move(values)));
}

Value object(std::vector<base::Dictionary::Entry> entries) {
    return Value(base::Dictionary::create(std::move(entries)));
}

Value number(char const* text) {
    return Value(base::Decimal::fromString(text));
}

std::vector<std::pair<long, std::string>> trace(PJsonBase const& base) {
    std::vector<std::pair<long, std::string>> out;
    for (auto const& error : base.errorTrace())
        out.emplace_back(error.code, error.localizedDescription);
    return out;
}

std::string nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

}

TEST(PJsonParser, ParsesValues) {
    struct Case {
        char const* text;
        Value expected;
    };
    Case const cases[] = {
        {"[1 2]", list({number("1"), number("2")})},
        {"{\"a\":1 \"b\":2}", object({{"a", number("1")}, {"b", number("2")}})},
        {"{\"k\":1,\"k\":2}", object({{"k", number("2")}})},
        {" [ -0 , 0.5e+3 , 12.50 , 1E2 ] ",
            list({number("0"), number("500"), number("12.5"), number("100")})},
        {"[true,false,null]", list({true, false, Value::nullObject()})},
        {"[\"\\\"\\/\\\\\\b\\f\\n\\r\\t\"]", list({"\"/\\\b\f\n\r\t"})},
        {"[\"\\ud83d\\ude00\"]", list({"\xF0\x9F\x98\x80"})},
        {"[\"\\uD83D\\uDFFF\"]", list({"\xF0\x9F\x9F\xBF"})},
        {"[\"\\u00e9\"]", list({"\xC3\xA9"})},
        {"[0.1]", list({number("0.1")})},
        {"[12345678901234567890123456789012345678]",
            list({number("12345678901234567890123456789012345678")})},
    };
    for (auto const& c : cases) {
        auto parser = PJsonParser::parser();
        EXPECT_EQ(parser->objectWithString(c.text), c.expected) << c.text;
        EXPECT_TRUE(parser->errorTrace().empty()) << c.text;
    }
    // Numbers are exact: 0.1 is one tenth.
    auto tenth = PJsonParser::parser()->fragmentWithString("0.1");
    ASSERT_TRUE(tenth.isDecimal());
    EXPECT_EQ(tenth.decimal()->mantissa(), 1u);
    EXPECT_EQ(tenth.decimal()->exponent(), -1);
}

TEST(PJsonParser, ReportsErrorTraces) {
    using Trace = std::vector<std::pair<long, std::string>>;
    struct Case {
        std::optional<std::string_view> text;
        Trace expected;
    };
    std::string const tooDeep = nested(513);
    Case const cases[] = {
        {"[1,2,]", {{9, "Trailing comma disallowed in array"}}},
        {"{\"a\":1,}", {{9, "Trailing comma disallowed in object"}}},
        {"[0123]",
            {{2, "Leading 0 disallowed in number"}, {3, "Expected value while parsing array"}}},
        {"[+1]",
            {{2, "Leading + disallowed in number"}, {3, "Expected value while parsing array"}}},
        {"[-x]", {{2, "No digits after initial minus"}, {3, "Expected value while parsing array"}}},
        {"[1.]", {{2, "No digits after decimal point"}, {3, "Expected value while parsing array"}}},
        {"[1e]", {{2, "No digits after exponent"}, {3, "Expected value while parsing array"}}},
        {"[1e400]",
            {{2, "Failed creating decimal instance"}, {3, "Expected value while parsing array"}}},
        {"[x]", {{3, "Unrecognised leading character"}, {3, "Expected value while parsing array"}}},
        {"[tru]", {{3, "Expected 'true'"}, {3, "Expected value while parsing array"}}},
        {"[fals]", {{3, "Expected 'false'"}, {3, "Expected value while parsing array"}}},
        {"[nul]", {{3, "Expected 'null'"}, {3, "Expected value while parsing array"}}},
        {"{1:2}", {{3, "Object key string expected"}}},
        {"{\"a\" 1}", {{3, "Expected ':' separating key and value"}}},
        {"{\"a\":}",
            {{3, "Unrecognised leading character"}, {3, "Object value expected for key: a"}}},
        {"\"x\"", {{4, "Valid fragment, but not JSON"}}},
        {"[\"a\tb\"]",
            {{5, "Unescaped control character '0x9'"}, {3, "Expected value while parsing array"}}},
        {"[\"ab",
            {{5, "Unescaped control character '0x0'"}, {3, "Expected value while parsing array"}}},
        {"[\"ab\\n",
            {{11, "Unexpected EOF while parsing string"},
                {3, "Expected value while parsing array"}}},
        {"[\"\\q\"]",
            {{8, "Illegal escape sequence '0x71'"}, {3, "Expected value while parsing array"}}},
        {"[\"\\u12x4\"]",
            {{6, "Missing hex digit in quad"}, {6, "Missing hex quad"},
                {6, "Broken unicode character"}, {3, "Expected value while parsing array"}}},
        {"[\"\\ude00\"]",
            {{6, "Invalid high character in surrogate pair"}, {6, "Broken unicode character"},
                {3, "Expected value while parsing array"}}},
        {"[\"\\ud83dx\"]",
            {{6, "Missing low character in surrogate pair"}, {6, "Broken unicode character"},
                {3, "Expected value while parsing array"}}},
        {"[\"\\ud83d\\u0041\"]",
            {{6, "Invalid low surrogate char"}, {6, "Broken unicode character"},
                {3, "Expected value while parsing array"}}},
        {"[1] x", {{10, "Garbage after JSON"}}},
        {"[1", {{11, "End of input while parsing array"}}},
        {"{\"a\":1", {{11, "End of input while parsing object"}}},
        {"", {{11, "Unexpected end of string"}}},
        {std::nullopt, {{12, "Input was 'nil'"}}},
        {tooDeep, {{7, "Nested too deep"}}},
    };
    for (auto const& c : cases) {
        auto parser = PJsonParser::parser();
        EXPECT_TRUE(parser->objectWithString(c.text).isNil()) << c.text.value_or("nil");
        auto got = trace(*parser);
        if (got.size() > 1 && c.expected.size() == 1 && c.expected[0].first == 7)
            got.resize(1);
        EXPECT_EQ(got, c.expected) << c.text.value_or("nil");
    }
}

TEST(PJsonParser, ChainsEachErrorToThePreviousOne) {
    auto parser = PJsonParser::parser();
    std::vector<std::string> announced;
    parser->setChangeObserver([&](std::string_view key) { announced.emplace_back(key); });
    parser->objectWithString("[tru]");
    auto errors = parser->errorTrace();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].domain, PJsonError::PJsonErrorDomain);
    EXPECT_FALSE(errors[0].underlyingError);
    ASSERT_TRUE(errors[1].underlyingError);
    EXPECT_EQ(errors[1].underlyingError->localizedDescription, "Expected 'true'");
    // One announcement for the clearing at the start and one per error.
    EXPECT_EQ(announced, std::vector<std::string>({"errorTrace", "errorTrace", "errorTrace"}));
    parser->clearErrorTrace();
    EXPECT_TRUE(parser->errorTrace().empty());
    EXPECT_EQ(announced.size(), 4u);
}

TEST(PJsonParser, LimitsNestingAlwaysWithAHardCap) {
    auto parser = PJsonParser::parser();
    EXPECT_EQ(parser->maxDepth(), 512u);
    EXPECT_TRUE(parser->objectWithString(nested(512)).isArray());
    EXPECT_TRUE(parser->objectWithString(nested(513)).isNil());
    EXPECT_EQ(parser->errorTrace().front().localizedDescription, "Nested too deep");
    parser->setMaxDepth(0);
    EXPECT_TRUE(parser->objectWithString(nested(2000)).isArray());
    EXPECT_TRUE(parser->objectWithString(nested(PJsonBase::PJsonHardMaximumDepth)).isArray());
    EXPECT_TRUE(parser->objectWithString(nested(1000000)).isNil());
    EXPECT_EQ(parser->errorTrace().front().code, 7);
    // The next call starts at depth 0 again.
    parser->setMaxDepth(2);
    EXPECT_TRUE(parser->objectWithString("[[1]]").isArray());
    EXPECT_TRUE(parser->objectWithString("{\"a\":{\"b\":{}}}").isNil());
}

TEST(PJsonParser, FragmentsAreAnyValueAndTheInputEndsAtANul) {
    auto parser = PJsonParser::parser();
    EXPECT_EQ(parser->fragmentWithString(" \"x\" "), Value("x"));
    EXPECT_EQ(parser->fragmentWithString("true"), Value(true));
    EXPECT_EQ(
        parser->fragmentWithString(std::string_view("[1]\0garbage", 11)), list({number("1")}));
    EXPECT_EQ(JSONFragmentValue("7"), number("7"));
    EXPECT_TRUE(JSONValue("7").isNil());
    EXPECT_EQ(JSONValue("[7]"), list({number("7")}));
}

TEST(PJsonWriter, WritesCompactAndHumanReadableText) {
    auto value = object({{"b", 1}, {"a", list({})}});
    auto writer = PJsonWriter::writer();
    EXPECT_EQ(writer->stringWithObject(value), "{\"b\":1,\"a\":[]}");
    writer->setSortKeys(true);
    EXPECT_EQ(writer->stringWithObject(value), "{\"a\":[],\"b\":1}");
    writer->setHumanReadable(true);
    EXPECT_EQ(writer->stringWithObject(value), "{\n  \"a\" : [],\n  \"b\" : 1\n}");
    EXPECT_EQ(writer->stringWithObject(list({1, list({2})})), "[\n  1,\n  [\n    2\n  ]\n]");
    EXPECT_EQ(writer->stringWithObject(object({})), "{}");

    struct Case {
        Value value;
        char const* json;
    };
    Case const cases[] = {
        {"\"\x01", "\"\\\"\\u0001\""},
        {"\b\t\n\f\r\\/\xC3\xA9", "\"\\b\\t\\n\\f\\r\\\\/\xC3\xA9\""},
        {true, "true"},
        {false, "false"},
        {-3, "-3"},
        {0.25, "0.25"},
        {number("12.50"), "12.5"},
        {Value::nullObject(), "null"},
    };
    auto compact = PJsonWriter::writer();
    for (auto const& c : cases)
        EXPECT_EQ(compact->stringWithFragment(c.value), c.json) << c.json;
}

TEST(PJsonWriter, ReportsWhatItCannotWrite) {
    using Trace = std::vector<std::pair<long, std::string>>;
    auto writer = PJsonWriter::writer();
    EXPECT_EQ(writer->stringWithObject("x"), std::nullopt);
    EXPECT_EQ(trace(*writer), Trace({{4, "Not valid type for JSON"}}));
    EXPECT_EQ(writer->stringWithObject(object({{"when", Value(base::Date {})}})), std::nullopt);
    EXPECT_EQ(trace(*writer),
        Trace({{1, "JSON serialisation not supported for NSDate"},
            {1, "Unsupported value for key when in object"}}));
    EXPECT_EQ(
        writer->stringWithFragment(Value(std::numeric_limits<double>::infinity())), std::nullopt);
    auto deep = list({});
    for (int i = 0; i < 600; ++i)
        deep = list({deep});
    EXPECT_EQ(writer->stringWithObject(deep), std::nullopt);
    EXPECT_EQ(writer->errorTrace().front().localizedDescription, "Nested too deep");
    EXPECT_EQ(JSONRepresentation("x"), std::nullopt);
    EXPECT_EQ(JSONFragment("x"), "\"x\"");
}

TEST(PJSON, BundlesAParserAndAWriter) {
    auto json = PJSON::create();
    EXPECT_EQ(json->maxDepth(), 512u);
    json->setMaxDepth(3);
    EXPECT_EQ(json->maxDepth(), 3u);
    PJsonError error;
    EXPECT_TRUE(json->objectWithString(nested(4), &error).isNil());
    // The error out holds the last (outermost) error; the trace starts with the cause.
    EXPECT_EQ(error.code, 3);
    EXPECT_EQ(trace(*json).front().second, "Nested too deep");
    EXPECT_TRUE(json->objectWithString("1", &error).isNil());
    EXPECT_EQ(error.code, 4);
    EXPECT_EQ(json->fragmentWithString("1"), number("1"));
    json->setSortKeys(true);
    json->setHumanReadable(true);
    EXPECT_TRUE(json->sortKeys());
    EXPECT_TRUE(json->humanReadable());
    EXPECT_EQ(
        json->stringWithObject(object({{"b", 1}, {"a", 2}})), "{\n  \"a\" : 2,\n  \"b\" : 1\n}");
    EXPECT_EQ(json->stringWithObject(Value(1), &error), std::nullopt);
    EXPECT_EQ(error.localizedDescription, "Not valid type for JSON");
    EXPECT_EQ(json->stringWithFragment(Value(1)), "1");
}
