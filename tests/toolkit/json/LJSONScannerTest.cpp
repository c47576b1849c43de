#include <toolkit/json/LJSONScanner.hpp>

#include "ValuePrinter.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using base::Value;
using toolkit::json::LJSONError;
using toolkit::json::LJSONScanner;

namespace {

Value list(std::vector<Value> values) {
    return Value(base::Array::create(std::move(values)));
}

Value object(std::vector<base::Dictionary::Entry> entries) {
    return Value(base::Dictionary::create(std::move(entries)));
}

Value decimal(char const* text) {
    return Value(base::Decimal::fromString(text));
}

base::Bytes bytes(std::string_view text) {
    return base::Bytes(text.begin(), text.end());
}

struct Scan {
    bool ok;
    Value value;
    LJSONError error;
    std::size_t location;
};

Scan scan(base::Ref<LJSONScanner> const& scanner, std::string_view text) {
    Scan result {};
    EXPECT_TRUE(scanner->setData(bytes(text), &result.error)) << text;
    result.ok = scanner->scanJSONObject(&result.value, &result.error);
    result.location = scanner->scanLocation();
    return result;
}

Scan scan(std::string_view text) {
    return scan(LJSONScanner::scanner(), text);
}

}

TEST(LJSONScanner, ScansValuesLeniently) {
    struct Case {
        char const* text;
        Value expected;
    };
    Case const cases[] = {
        {"{\"a\":[1,-2,2.5,\"x\",true,false,null]}",
            object({{"a", list({1, -2, decimal("2.5"), "x", true, false, Value::nullObject()})}})},
        {" [ 1 , 2 , ] ", list({1, 2})},
        {"{\"a\":1,}", object({{"a", 1}})},
        {"{\"k\":1,\"k\":2}", object({{"k", 2}})},
        {"[null,null,null]", list({Value::nullObject(), Value::nullObject(), Value::nullObject()})},
        {"[1] [2]", list({1})},
        {"\"\\\"\\/\\\\\\b\\f\\n\\r\\t\"", "\"/\\\b\f\n\r\t"},
        {"\"\\u00e9\\u00E9\"", "\xC3\xA9\xC3\xA9"},
        {"\"\\ud83d\\ude00\"", "\xF0\x9F\x98\x80"},
        {"\"\\ud83d\"", "\xEF\xBF\xBD"},
        {"\"\\q\"", "q"},
        {"\"\\\xC3\xA9\"", "\xC3\xA9"},
        {"\"raw\ttab\"", "raw\ttab"},
        {"012", Value(std::uint64_t(10))},
        {"[1e5]", list({Value(std::uint64_t(1))})},
        {"{}", object({})},
        {"[]", list({})},
    };
    for (auto const& c : cases) {
        auto result = scan(c.text);
        ASSERT_TRUE(result.ok) << c.text << ": " << result.error.localizedDescription();
        EXPECT_EQ(result.value, c.expected) << c.text;
    }
}

TEST(LJSONScanner, DetectsTheEncodingFromTheFirstFourBytes) {
    struct Case {
        base::Bytes data;
        Value expected;
    };
    Case const cases[] = {
        {{'{', 0, '}', 0}, object({})},
        {{0, '{', 0, '}'}, object({})},
        {{'[', 0, 0, 0, ']', 0, 0, 0}, list({})},
        {{0, 0, 0, '[', 0, 0, 0, ']'}, list({})},
        {{'"', 0, 0xE9, 0, '"', 0}, "\xC3\xA9"},
        {{'[', 0, '"', 0, 0x3D, 0xD8, 0x00, 0xDE, '"', 0, ']', 0}, list({"\xF0\x9F\x98\x80"})},
        {{'1'}, Value(std::uint64_t(1))},
    };
    for (auto const& c : cases) {
        auto scanner = LJSONScanner::scanner();
        ASSERT_TRUE(scanner->setData(c.data));
        Value value;
        ASSERT_TRUE(scanner->scanJSONObject(&value));
        EXPECT_EQ(value, c.expected);
    }
}

TEST(LJSONScanner, RefusesDataItCannotDecode) {
    std::vector<base::Bytes> const undecodable = {
        {'[', '"', 0xFF, '"', ']'},
        {'"', 0xC3},
        {'{', 0, 0x00, 0xDC, '}', 0},
        {0, 0, 0, '[', 0, 0x11, 0, 0},
    };
    for (auto const& data : undecodable) {
        auto scanner = LJSONScanner::scanner();
        LJSONError error;
        EXPECT_FALSE(scanner->setData(data, &error));
        EXPECT_EQ(error.domain, "kJSONScannerErrorDomain");
        EXPECT_EQ(error.code, -12);
        EXPECT_EQ(
            error.localizedDescription(), "Could not scan data. Data wasn't encoded properly?");
    }
    // A second encoding is tried when the detected one fails.
    auto scanner = LJSONScanner::scanner();
    scanner->setAllowedEncoding(toolkit::json::LJSONISOLatin1StringEncoding);
    ASSERT_TRUE(scanner->setData({'[', '"', 0xE9, '"', ']'}));
    Value value;
    ASSERT_TRUE(scanner->scanJSONObject(&value));
    EXPECT_EQ(value, list({"\xC3\xA9"}));
}

TEST(LJSONScanner, ReportsNumberedErrorsWithThePosition) {
    struct Case {
        char const* text;
        long code;
        char const* message;
        std::size_t location;
    };
    Case const cases[] = {
        {"]", -15, "Could not scan object. Character not a valid JSON character.", 0},
        {"  ", -15, "Could not scan object. Character not a valid JSON character.", 2},
        {"{1:2}", -102, "Could not scan dictionary. Failed to scan a key.", 0},
        {" {\"a\" 1}", -103,
            "Could not scan dictionary. Key was not terminated with a ':' character.", 0},
        {"{\"a\":]}", -104, "Could not scan dictionary. Failed to scan a value.", 0},
        {"{\"a\":tru}", -105,
            "Could not scan dictionary. Key value pairs not delimited with a ',' character.", 0},
        {"{\"a\":1", -105,
            "Could not scan dictionary. Key value pairs not delimited with a ',' character.", 0},
        {"[1,[2,}]", -202, "Could not scan array. Could not scan a value.", 0},
        {"[tru]", -203, "Could not scan array. Value is NULL.", 1},
        {"[1 2]", -204, "Could not scan array. Array not terminated by a ']' character.", 0},
        {"'x'", -301, "Could not scan string constant. String not started by a '\"' character.", 0},
        {"\"\\u00ex\"", -302,
            "Could not scan string constant. Unicode character could not be decoded.", 0},
        {"\"abc", -304, "Could not scan string constant. No terminating double quote character.",
            4},
        {"\"ab\\", -304, "Could not scan string constant. No terminating double quote character.",
            4},
    };
    for (auto const& c : cases) {
        auto result = scan(c.text);
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.error.domain, "kJSONScannerErrorDomain") << c.text;
        EXPECT_EQ(result.error.code, c.code) << c.text;
        EXPECT_EQ(result.error.localizedDescription(), c.message) << c.text;
        EXPECT_EQ(result.location, c.location) << c.text;
        ASSERT_TRUE(result.error.userInfo);
        EXPECT_EQ(result.error.userInfo->objectForKey("location"), Value(c.location)) << c.text;
        EXPECT_TRUE(result.error.userInfo->objectForKey("snippet").isString());
    }
    // The kind-specific reads refuse other kinds.
    auto scanner = LJSONScanner::scanner();
    LJSONError error;
    Value value;
    scanner->setData(bytes("[]"));
    EXPECT_FALSE(scanner->scanJSONDictionary(&value, &error));
    EXPECT_EQ(error.code, -101);
    scanner->setData(bytes("{}"));
    EXPECT_FALSE(scanner->scanJSONArray(&value, &error));
    EXPECT_EQ(error.code, -201);
    scanner->setData(bytes(" x"));
    EXPECT_FALSE(scanner->scanJSONNumberConstant(&value, &error));
    EXPECT_EQ(error.code, -401);
    EXPECT_EQ(error.localizedDescription(), "Could not scan number constant.");
}

TEST(LJSONScanner, AnUnmatchedLiteralGivesNoValueAndNoError) {
    auto scanner = LJSONScanner::scanner();
    scanner->setData(bytes("tru"));
    Value value = "untouched";
    LJSONError error;
    EXPECT_TRUE(scanner->scanJSONObject(&value, &error));
    EXPECT_EQ(value, Value("untouched"));
    EXPECT_EQ(error.code, 0);
    EXPECT_EQ(scanner->scanLocation(), 0u);
}

TEST(LJSONScanner, StrictEscapesRefuseUndefinedOnes) {
    auto scanner = LJSONScanner::scanner();
    scanner->setStrictEscapeCodes(true);
    auto result = scan(scanner, "  \"\\q\"");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.code, -303);
    EXPECT_EQ(result.error.localizedDescription(),
        "Could not scan string constant. Unknown escape code.");
    EXPECT_EQ(result.location, 0u);
}

TEST(LJSONScanner, ANilNullObjectDropsNulls) {
    auto scanner = LJSONScanner::scanner();
    scanner->setNullObject(Value());
    auto result = scan(scanner, "[null,null,null]");
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.value, list({}));
    result = scan(scanner, "{\"a\":null,\"b\":1}");
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.value, object({{"b", 1}}));
    scanner->setNullObject("NULL");
    result = scan(scanner, "[null]");
    EXPECT_EQ(result.value, list({"NULL"}));
}

TEST(LJSONScanner, DeepNestingFailsInsteadOfExhaustingTheStack) {
    auto nested
        = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    auto result = scan(nested(LJSONScanner::LJSONMaximumNestingDepth));
    EXPECT_TRUE(result.ok);
    result = scan(nested(100000));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.code, -202);
    result = scan(std::string(LJSONScanner::LJSONMaximumNestingDepth + 1, '['));
    EXPECT_FALSE(result.ok);
    auto scanner = LJSONScanner::scanner();
    scanner->setData(bytes(nested(LJSONScanner::LJSONMaximumNestingDepth + 1)));
    Value value;
    LJSONError error;
    // The innermost failure is the nesting one; the outermost array reports its own.
    EXPECT_FALSE(scanner->scanJSONArray(&value, &error));
    EXPECT_EQ(error.code, -202);
    // A scanner that failed deep down starts the next text at depth 0.
    EXPECT_TRUE(scan(scanner, nested(LJSONScanner::LJSONMaximumNestingDepth)).ok);
}
