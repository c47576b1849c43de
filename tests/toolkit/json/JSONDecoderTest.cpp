#include <toolkit/json/JCArray.hpp>
#include <toolkit/json/JCDictionary.hpp>
#include <toolkit/json/JSONDecoder.hpp>

#include <base/Exception.hpp>

#include "ValuePrinter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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

Value decode(std::string_view text, unsigned options = 0, JCError* error = nullptr) {
    return JSONDecoder::decoderWithParseOptions(options)->objectWithString(text, error);
}

}

TEST(JSONDecoder, DecodesValuesOfEveryKind) {
    struct Case {
        char const* text;
        Value expected;
    };
    Case const cases[] = {
        {"[]", list({})},
        {"{}", object({})},
        {"[1,-2,3.5,\"x\",true,false,null]",
            list({1, -2, 3.5, "x", true, false, Value::nullObject()})},
        {" \t\r\n[ 1 , 2 ]\n", list({1, 2})},
        {"{\"a\":{\"b\":[{}]},\"c\":\"\"}",
            object({{"a", object({{"b", list({object({})})}})}, {"c", ""}})},
        {"[\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"]", list({"\"\\/\b\f\n\r\t"})},
        {"[\"\\u00e9\\u20AC\"]", list({"\xC3\xA9\xE2\x82\xAC"})},
        {"[\"\\ud83d\\ude00\"]", list({"\xF0\x9F\x98\x80"})},
        {"[\"caf\xC3\xA9 \xF0\x9F\x98\x80\"]", list({"caf\xC3\xA9 \xF0\x9F\x98\x80"})},
        {"[0,1e2,1E-2,-0.5,2.5e+1]", list({0, 100.0, 0.01, -0.5, 25.0})},
        {"[18446744073709551615]", list({Value(std::uint64_t(18446744073709551615ull))})},
        {"[-9223372036854775808]", list({Value(std::numeric_limits<std::int64_t>::min())})},
        {"{\"k\":1,\"k\":2}", object({{"k", 2}})},
    };
    for (auto const& c : cases) {
        JCError error;
        auto value = decode(c.text, 0, &error);
        EXPECT_EQ(value, c.expected) << c.text << " -> " << error.localizedDescription;
    }
}

TEST(JSONDecoder, NumbersKeepTheirKind) {
    auto value = decode("[1,-1,1.0,18446744073709551615,-0]");
    auto& array = *value.array();
    EXPECT_EQ(array[0].kind(), Value::Kind::Integer);
    EXPECT_EQ(array[1].kind(), Value::Kind::Integer);
    EXPECT_EQ(array[2].kind(), Value::Kind::Real);
    EXPECT_EQ(array[3].kind(), Value::Kind::Unsigned);
    EXPECT_EQ(array[3].unsignedLongLongValue(), 18446744073709551615ull);
    // Minus zero is a negative-zero double.
    EXPECT_EQ(array[4].kind(), Value::Kind::Real);
    EXPECT_TRUE(std::signbit(array[4].doubleValue()));
}

TEST(JSONDecoder, NullIsTheNullObjectAndStaysInDictionaries) {
    auto value = decode("{\"a\":null}");
    auto& dictionary = *value.dictionary();
    ASSERT_EQ(dictionary.size(), 1u);
    EXPECT_TRUE(dictionary["a"].isNullObject());
    EXPECT_EQ(dictionary.begin()->first, "a");
}

// Every message with the offset and line where the reader stood.
TEST(JSONDecoder, ReportsTheFirstErrorWithItsOffsetAndLine) {
    struct Case {
        std::string text;
        unsigned options;
        char const* message;
        unsigned long atIndex;
        unsigned long line;
    };
    std::string const unexpected = "Unexpected token, wanted '{', '}', '[', ']', ',', ':', "
                                   "'true', 'false', 'null', '\"STRING\"', 'NUMBER'.";
    Case const cases[] = {
        {"", 0, "Reached the end of the buffer.", 0, 1},
        {"   ", 0, unexpected.c_str(), 3, 1},
        {"\"top\" ", 0, "Expected either '[' or '{'.", 5, 1},
        {"1 ", 0, "Expected either '[' or '{'.", 1, 1},
        {"true ", 0, "Expected either '[' or '{'.", 4, 1},
        {"\xEF\xBB\xBF[]", 0, unexpected.c_str(), 0, 1},
        {"[1,]", 0, "Unexpected ']'.", 4, 1},
        {"[,1]", 0, "Unexpected ','.", 2, 1},
        {"[1 2]", 0, "Unexpected value.", 4, 1},
        {"[0123]", 0, "Unexpected value.", 5, 1},
        {"[1 :]", 0, "Expected a comma or a ']', not ':'", 4, 1},
        {"[:]", 0, "Expected a value or a ']', not ':'", 2, 1},
        {"[1,:]", 0, "Expected a value, not ':'", 4, 1},
        {"{\"a\" 1}", 0, "Expected ':'.", 6, 1},
        {"{\"a\":}", 0, "Expected a value or a '}', not '}'", 6, 1},
        {"{\"a\":1,\"b\":]}", 0, "Expected a value, not ']'", 12, 1},
        {"{1:2}", 0, "Expected a \"STRING\" or a '}', not '1'", 2, 1},
        {"{\"a\":1 \"b\":2}", 0, "Unexpected string.", 10, 1},
        {"{\"a\":1,}", 0, "Unexpected '}'.", 8, 1},
        {"{,}", 0, "Unexpected ','.", 2, 1},
        {"[1,", 0, "Reached the end of the buffer.", 3, 1},
        {"[1", 0, "Invalid number.", 2, 1},
        {"[-]", 0, "Invalid number.", 2, 1},
        {"[1.]", 0, "Invalid number.", 3, 1},
        {"[1e+]", 0, "Invalid number.", 4, 1},
        {"[true", 0, unexpected.c_str(), 1, 1},
        {"[nul ]", 0, unexpected.c_str(), 1, 1},
        {"[\"abc", 0, "Invalid string.", 5, 1},
        {"[\"a\tb\"]", 0, "Invalid character < 0x20 found in string: 0x09.", 3, 1},
        {"[\"a\nb\"]", 0, "Invalid character < 0x20 found in string: 0x0a.", 3, 1},
        {"[\"\\x\"]", 0, "Invalid escape sequence found in \"\" string.", 3, 1},
        {"[\"\\u12g4\"]", 0,
            "Unexpected character found in \\u Unicode escape sequence.  Found 'g', expected "
            "[0-9a-fA-F].",
            6, 1},
        {"[\"\\ud83d\"]", 0,
            "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode "
            "escape sequence.",
            8, 1},
        {"[\"\\ud83d\\u0041\"]", 0, "Illegal \\u Unicode escape sequence.", 14, 1},
        {"[\"\\ude00\"]", 0, "Illegal \\u Unicode escape sequence.", 8, 1},
        {"[\"\\u0000\"]", 0, "Illegal \\u Unicode escape sequence.", 8, 1},
        {"[\"\\ufffe\"]", 0, "Illegal \\u Unicode escape sequence.", 8, 1},
        {"[\"\\ufdd0\"]", 0, "Illegal \\u Unicode escape sequence.", 8, 1},
        {"[\"a\xC3\"]", 0, "Illegal UTF8 sequence found in \"\" string.", 3, 1},
        {"[\"a\xC3", 0, "End of buffer reached while parsing UTF8 in \"\" string.", 3, 1},
        {"[\"\xEF\xBF\xBE\"]", 0, "Illegal UTF8 sequence found in \"\" string.", 2, 1},
        {"[\"\xED\xA0\x80\"]", 0, "Illegal UTF8 sequence found in \"\" string.", 2, 1},
        {"[18446744073709551616]", 0,
            "The value '18446744073709551616' exceeded the maximum value that could be "
            "represented: 18446744073709551615.",
            21, 1},
        {"[-9223372036854775809]", 0,
            "The value '-9223372036854775809' exceeded the minimum value that could be "
            "represented: -9223372036854775808.",
            21, 1},
        {"[1e400]", 0, "The value '1e400' could not be represented as a 'double' due to overflow.",
            6, 1},
        {"[1e-400]", 0,
            "The value '1e-400' could not be represented as a 'double' due to underflow.", 7, 1},
        {"[] x", 0,
            "A valid JSON object was parsed but there were additional non-white-space "
            "characters remaining.",
            3, 1},
        {"[]]", 0,
            "A valid JSON object was parsed but there were additional non-white-space "
            "characters remaining.",
            2, 1},
        {"[1,\n2,\r\n3,\r4 x]", 0, unexpected.c_str(), 13, 4},
        {"[1,\xE2\x80\xA8 x]", JCParseFlagUnicodeNewlines, unexpected.c_str(), 7, 2},
        {"[1,\xC2\x85\n x]", JCParseFlagUnicodeNewlines, unexpected.c_str(), 7, 3},
        {"[1,\xE2\x80\xA8 2]", 0, unexpected.c_str(), 3, 1},
        {"[1,/* \n */ x]", JCParseFlagAllowComments, unexpected.c_str(), 11, 2},
        {"[1, /* open", JCParseFlagAllowComments, unexpected.c_str(), 11, 1},
        {"[1,2 ", 0, unexpected.c_str(), 5, 1},
        {"[1,2 ] ]", 0,
            "A valid JSON object was parsed but there were additional non-white-space "
            "characters remaining.",
            7, 1},
        {"{\"a\":[1,2,{\"b\":[] }, 3 x ]}", 0, unexpected.c_str(), 23, 1},
        {"[1,// to the end\n x]", JCParseFlagAllowComments, unexpected.c_str(), 18, 2},
        {"[1,/x]", JCParseFlagAllowComments, unexpected.c_str(), 3, 1},
        {"[1,/* c */2]", 0, unexpected.c_str(), 3, 1},
    };
    for (auto const& c : cases) {
        JCError error;
        auto value = decode(c.text, c.options, &error);
        EXPECT_TRUE(value.isNil()) << c.text;
        EXPECT_EQ(error.domain, "JCErrorDomain");
        EXPECT_EQ(error.code, -1);
        EXPECT_EQ(error.localizedDescription, c.message) << c.text;
        EXPECT_EQ(error.atIndex, c.atIndex) << c.text;
        EXPECT_EQ(error.lineNumber, c.line) << c.text;
        auto info = error.userInfo();
        EXPECT_EQ((*info)["JCAtIndexKey"], Value(c.atIndex)) << c.text;
        EXPECT_EQ((*info)["JCLineNumberKey"], Value(c.line)) << c.text;
    }
}

TEST(JSONDecoder, OptionsRelaxWhatTheyName) {
    struct Case {
        char const* text;
        unsigned options;
        Value expected;
    };
    Case const cases[] = {
        {"/* a */[1, // b\n 2]// c", JCParseFlagAllowComments, list({1, 2})},
        {"[1,\xE2\x80\xA9\xC2\x85 2]", JCParseFlagUnicodeNewlines, list({1, 2})},
        {"[\"a\xC3\" ]", JCParseFlagLooseUnicode, list({"a\xEF\xBF\xBD"})},
        {"[\"\\ude00\"]", JCParseFlagLooseUnicode, list({"\xEF\xBF\xBD"})},
        {"[\"\\u0000\"]", JCParseFlagLooseUnicode, list({"\xEF\xBF\xBD"})},
        {"[\"\\ufffe\"]", JCParseFlagLooseUnicode, list({"\xEF\xBF\xBD"})},
        {"[\"\xEF\xBF\xBF!\"]", JCParseFlagLooseUnicode, list({"\xEF\xBF\xBD!"})},
        // The bytes after a lone high surrogate are read again as content.
        {"[\"\\ud83dx\"]", JCParseFlagLooseUnicode, list({"\xEF\xBF\xBDx"})},
        {"[\"\\ud83d\\u0041\"]", JCParseFlagLooseUnicode, list({"\xEF\xBF\xBD"})},
        {"[1] trailing {", JCParseFlagAllowTrailingText, list({1})},
        {"[1]  \n", 0, list({1})},
        {"[1] /* c */ // d", JCParseFlagAllowComments, list({1})},
    };
    for (auto const& c : cases) {
        JCError error;
        EXPECT_EQ(decode(c.text, c.options, &error), c.expected)
            << c.text << " -> " << error.localizedDescription;
    }
}

TEST(JSONDecoder, RefusesOptionsAboveFifteen) {
    EXPECT_NO_THROW(JSONDecoder::decoderWithParseOptions(15));
    try {
        JSONDecoder::decoderWithParseOptions(16);
        FAIL();
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "NSInvalidArgumentException");
        EXPECT_EQ(e.reason(), "Invalid parse options.");
    }
    EXPECT_THROW(objectFromJSONString("[]", 0x10), base::Exception);
}

TEST(JSONDecoder, RefusesANullStringWithALength) {
    try {
        JSONDecoder::decoder()->objectWithUTF8String(nullptr, 3);
        FAIL();
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.reason(), "The string argument is NULL.");
    }
}

TEST(JSONDecoder, DeepNestingEndsInTheDepthError) {
    std::string deep(100000, '[');
    JCError error;
    EXPECT_TRUE(decode(deep, 0, &error).isNil());
    EXPECT_EQ(error.localizedDescription, "Arrays and objects are nested deeper than 512 levels.");
    EXPECT_EQ(error.atIndex, 513u);

    std::string objects;
    for (int i = 0; i < 1000; ++i)
        objects += "{\"a\":";
    EXPECT_TRUE(decode(objects, 0, &error).isNil());
    EXPECT_EQ(error.localizedDescription, "Arrays and objects are nested deeper than 512 levels.");

    // 512 levels are fine.
    std::string fine = std::string(512, '[') + std::string(512, ']');
    EXPECT_TRUE(decode(fine).isArray());
}

TEST(JSONDecoder, MutableResultsAreMutableAllTheWayDown) {
    auto decoder = JSONDecoder::decoder();
    auto value = decoder->mutableObjectWithString("{\"a\":[{\"b\":[]}],\"s\":\"x\"}");
    auto outer = dynamic_cast<JCMutableDictionary*>(value.dictionary());
    ASSERT_TRUE(outer);
    auto inner = dynamic_cast<JCMutableArray*>((*outer)["a"].array());
    ASSERT_TRUE(inner);
    EXPECT_TRUE(dynamic_cast<JCMutableDictionary*>((*inner)[0].dictionary()));
    EXPECT_TRUE((*outer)["s"].sharedString());

    auto frozen = decoder->objectWithString("{\"a\":[]}");
    EXPECT_FALSE(dynamic_cast<JCMutableDictionary*>(frozen.dictionary()));
    EXPECT_TRUE(dynamic_cast<JCDictionary*>(frozen.dictionary()));
    EXPECT_FALSE(dynamic_cast<JCMutableArray*>((*frozen.dictionary())["a"].array()));
}

// Documents beyond the 1024 working slots and the 2048-byte string buffer.
TEST(JSONDecoder, LargeDocumentsOutgrowTheWorkingStorage) {
    std::string text = "[";
    base::Ref<base::Array> expected = base::Array::create();
    for (int i = 0; i < 5000; ++i) {
        text += (i ? "," : "") + std::string("{\"n\":") + std::to_string(i) + ",\"s\":[\"v"
            + std::to_string(i) + "\"]}";
        expected->add(object({{"n", i}, {"s", list({"v" + std::to_string(i)})}}));
    }
    std::string escaped(5000, 'e');
    text += ",\"" + escaped + "\\n" + escaped + "\"]";
    expected->add(escaped + "\n" + escaped);
    auto decoder = JSONDecoder::decoder();
    EXPECT_EQ(decoder->objectWithString(text), Value(expected));
    // The decoder is ready again afterwards.
    EXPECT_EQ(decoder->objectWithString("[1]"), list({1}));
}

TEST(JSONDecoder, DecodingTwiceGivesEqualTreesFromTheCache) {
    auto decoder = JSONDecoder::decoder();
    char const* text = "{\"name\":\"Pony\",\"items\":[\"Pony\",1,2.5]}";
    auto first = decoder->objectWithString(text);
    auto second = decoder->objectWithString(text);
    EXPECT_EQ(first, second);
    auto& a = *first.dictionary();
    auto& b = *second.dictionary();
    // One string object for equal texts, within a tree and across trees.
    EXPECT_EQ(a["name"].string(), b["name"].string());
    EXPECT_EQ(a["name"].string(), (*a["items"].array())[0].string());
}

TEST(JSONDecoder, AFailedParseLeavesTheDecoderUsable) {
    auto decoder = JSONDecoder::decoder();
    JCError error;
    EXPECT_TRUE(decoder->objectWithString("[1,{\"a\":[2,3,", &error).isNil());
    EXPECT_EQ(decoder->objectWithString("[4]"), list({4}));
    // A success leaves the caller's error untouched.
    EXPECT_EQ(error.localizedDescription, "Reached the end of the buffer.");
}

TEST(JSONDecoder, ConveniencesDecodeStringsAndData) {
    EXPECT_EQ(objectFromJSONString("[1]"), list({1}));
    base::Bytes data {'{', '}'};
    EXPECT_EQ(objectFromJSONData(data), object({}));
    EXPECT_TRUE(dynamic_cast<JCMutableArray*>(mutableObjectFromJSONString("[]").array()));
    EXPECT_TRUE(dynamic_cast<JCMutableDictionary*>(mutableObjectFromJSONData(data).dictionary()));
    JCError error;
    EXPECT_TRUE(objectFromJSONString("[1] x", 0, &error).isNil());
    EXPECT_EQ(error.atIndex, 4u);
    EXPECT_EQ(objectFromJSONString("[1] x", JCParseFlagAllowTrailingText), list({1}));
}
