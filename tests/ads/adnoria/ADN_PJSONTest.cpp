#include <ads/adnoria/ADN_PJSON.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>

using ads::adnoria::ADN_PJSON;
using ads::adnoria::ADN_PJSONError;
using ads::adnoria::ADNMacros;

namespace {

// The innermost error of a chain.
ADN_PJSONError const& innermost(ADN_PJSONError const& error) {
    ADN_PJSONError const* at = &error;
    while (at->underlyingError)
        at = at->underlyingError.get();
    return *at;
}

std::string nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

}

TEST(ADN_PJSON, EveryReaderErrorFromASmallText) {
    struct Case {
        std::optional<std::string> text;
        bool fragment;
        int code;
        char const* message;
        // The wrapped error's message, when the error wraps one.
        char const* wrapped;
    };
    std::vector<Case> const cases {
        {"+1", true, 2, "Leading + disallowed in number", nullptr},
        {"01", true, 2, "Leading 0 disallowed in number", nullptr},
        {"-", true, 2, "No digits after initial minus", nullptr},
        {"1.", true, 2, "No digits after decimal point", nullptr},
        {"1e+", true, 2, "No digits after exponent", nullptr},
        {"1e999999", true, 2, "Failed creating decimal instance", nullptr},
        {"x", true, 3, "Unrecognised leading character", nullptr},
        {"nul", true, 3, "Expected 'null'", nullptr},
        {"tru", true, 3, "Expected 'true'", nullptr},
        {"fals", true, 3, "Expected 'false'", nullptr},
        {"{1:2}", false, 3, "Object key string expected", nullptr},
        {"{\"a\\q\":1}", false, 3, "Object key string expected", "Illegal escape sequence '0x71'"},
        {"{\"a\" 1}", false, 3, "Expected ':' separating key and value", nullptr},
        {"{\"a\":x}", false, 3, "Object value expected for key: a",
            "Unrecognised leading character"},
        {"[x]", false, 3, "Expected value while parsing array", "Unrecognised leading character"},
        {"true", false, 4, "Valid fragment, but not JSON", nullptr},
        {"\"abc", true, 5, "Unescaped control character '0x0'", nullptr},
        {"\"a\tb\"", true, 5, "Unescaped control character '0x9'", nullptr},
        {"\"\\u12x4\"", true, 6, "Broken unicode character", "Missing hex digit in quad"},
        {"\"\\u1\"", true, 6, "Broken unicode character", "Missing hex quad"},
        {"\"\\udc00\"", true, 6, "Broken unicode character",
            "Invalid high character in surrogate pair"},
        {"\"\\ud800x\"", true, 6, "Broken unicode character",
            "Missing low character in surrogate pair"},
        {"\"\\ud800\\u0041\"", true, 6, "Broken unicode character", "Invalid low surrogate char"},
        {"\"\\x\"", true, 8, "Illegal escape sequence '0x78'", nullptr},
        {"{\"a\":1,}", false, 9, "Trailing comma disallowed in object", nullptr},
        {"[1, ]", false, 9, "Trailing comma disallowed in array", nullptr},
        {"[1] x", false, 10, "Garbage after JSON", nullptr},
        {"", true, 11, "Unexpected end of string", nullptr},
        {"\"a\\n", true, 11, "Unexpected EOF while parsing string", nullptr},
        {"{\"a\":1", false, 11, "End of input while parsing object", nullptr},
        {"[1", false, 11, "End of input while parsing array", nullptr},
        {std::nullopt, true, 12, "Input was 'nil'", nullptr},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text.value_or("(nil)"));
        auto reader = ADN_PJSON::create();
        ADN_PJSONError error;
        auto value = c.fragment ? reader->fragmentWithString(c.text, &error)
                                : reader->objectWithString(c.text, &error);
        EXPECT_TRUE(value.isNil());
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.localizedDescription, c.message);
        if (c.wrapped) {
            ASSERT_TRUE(error.underlyingError);
            EXPECT_EQ(error.underlyingError->localizedDescription, c.wrapped);
        } else {
            EXPECT_FALSE(error.underlyingError);
        }
    }
}

TEST(ADN_PJSON, WriterErrors) {
    auto writer = ADN_PJSON::create();
    ADN_PJSONError error;
    EXPECT_FALSE(writer->stringWithObject(base::Value("text"), &error));
    EXPECT_EQ(error.code, 4);
    EXPECT_EQ(error.localizedDescription, "Not valid type for JSON");

    auto array = base::Array::create();
    array->add(base::Value());
    auto dictionary = base::Dictionary::create();
    dictionary->setObject("k", array);
    EXPECT_FALSE(writer->stringWithObject(dictionary, &error));
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(error.localizedDescription, "Unsupported value for key k in object");
    ASSERT_TRUE(error.underlyingError);
    EXPECT_EQ(
        error.underlyingError->localizedDescription, "JSON serialisation not supported for (null)");
}

TEST(ADN_PJSON, ValuesReadAsTheirKinds) {
    auto reader = ADN_PJSON::create();
    auto value = reader->objectWithString(
        " {\"s\":\"a\\\"b\\\\c\\/"
        "d\\b\\f\\n\\r\\t\",\"n\":-12.50e+1,\"t\":true,\"f\":false,\"z\":null,"
        "\"u\":\"\\ud83d\\ude00\\u00e9\",\"a\":[1 2],\"a\":[3]} ");
    ASSERT_TRUE(value.isDictionary());
    auto const& d = *value.dictionary();
    EXPECT_EQ(d["s"], base::Value("a\"b\\c/d\b\f\n\r\t"));
    ASSERT_TRUE(d["n"].isDecimal());
    EXPECT_EQ(d["n"].decimal()->stringValue(), "-125");
    EXPECT_EQ(d["t"], base::Value(true));
    EXPECT_EQ(d["f"], base::Value(false));
    EXPECT_TRUE(d["z"].isNullObject());
    EXPECT_EQ(d["u"], base::Value("\xf0\x9f\x98\x80\xc3\xa9"));
    // A repeated key keeps the last value.
    ASSERT_TRUE(d["a"].isArray());
    EXPECT_EQ(d["a"].array()->size(), 1u);
}

TEST(ADN_PJSON, CommasBetweenElementsAreOptional) {
    auto reader = ADN_PJSON::create();
    EXPECT_EQ(reader->objectWithString("[1 2]"), reader->objectWithString("[1,2]"));
    EXPECT_EQ(reader->objectWithString("{\"a\":1 \"b\":2}"),
        reader->objectWithString("{\"a\":1,\"b\":2}"));
}

TEST(ADN_PJSON, NumbersKeepEveryDigit) {
    auto reader = ADN_PJSON::create();
    auto value = reader->fragmentWithString("0.1000000000000000055511151231257827");
    ASSERT_TRUE(value.isDecimal());
    EXPECT_EQ(value.decimal()->stringValue(), "0.1000000000000000055511151231257827");
}

TEST(ADN_PJSON, NestingIsLimitedAndZeroMeansTheHardCap) {
    auto reader = ADN_PJSON::create();
    EXPECT_TRUE(reader->objectWithString(nested(512)).isArray());
    ADN_PJSONError error;
    EXPECT_TRUE(reader->objectWithString(nested(513), &error).isNil());
    EXPECT_EQ(innermost(error).code, 7);
    EXPECT_EQ(innermost(error).localizedDescription, "Nested too deep");

    reader->setMaxDepth(3);
    EXPECT_TRUE(reader->objectWithString("[[[]]]").isArray());
    EXPECT_TRUE(reader->objectWithString("[[[{}]]]").isNil());

    // No setting turns the bound off: 100,000 open brackets are refused cleanly.
    for (unsigned depth : {0u, 1000000u}) {
        reader->setMaxDepth(depth);
        EXPECT_TRUE(reader->objectWithString(nested(512)).isArray());
        ADN_PJSONError deep;
        EXPECT_TRUE(reader->objectWithString(std::string(100000, '['), &deep).isNil());
        EXPECT_EQ(innermost(deep).code, 7);
    }
}

TEST(ADN_PJSON, WriterGoldenStrings) {
    auto reader = ADN_PJSON::create();
    auto value
        = reader->objectWithString("{\"b\":[1,2,{\"y\":null,\"x\":true}],\"a\":{},\"c\":[]}");
    auto writer = ADN_PJSON::create();
    EXPECT_EQ(
        writer->stringWithObject(value), "{\"b\":[1,2,{\"y\":null,\"x\":true}],\"a\":{},\"c\":[]}");
    writer->setSortKeys(true);
    EXPECT_EQ(
        writer->stringWithObject(value), "{\"a\":{},\"b\":[1,2,{\"x\":true,\"y\":null}],\"c\":[]}");
    writer->setHumanReadable(true);
    EXPECT_EQ(writer->stringWithObject(value),
        "{\n"
        "  \"a\" : {},\n"
        "  \"b\" : [\n"
        "    1,\n"
        "    2,\n"
        "    {\n"
        "      \"x\" : true,\n"
        "      \"y\" : null\n"
        "    }\n"
        "  ],\n"
        "  \"c\" : []\n"
        "}");
}

TEST(ADN_PJSON, WriterEscapesControlCharactersQuotesAndBackslashesOnly) {
    auto writer = ADN_PJSON::create();
    EXPECT_EQ(writer->stringWithFragment(
                  base::Value(std::string("a\"b\\c/\b\t\n\f\r\x01\x1f\xc3\xa9", 15))),
        "\"a\\\"b\\\\c/\\b\\t\\n\\f\\r\\u0001\\u001f\xc3\xa9\"");
    EXPECT_EQ(writer->stringWithFragment(base::Value(12)), "12");
    EXPECT_EQ(writer->stringWithFragment(base::Value(false)), "false");
}

TEST(ADN_PJSON, WriterRefusesACollectionThatHoldsItself) {
    auto array = base::Array::create();
    array->add(base::Value(array));
    ADN_PJSONError error;
    EXPECT_FALSE(ADN_PJSON::create()->stringWithObject(array, &error));
    EXPECT_EQ(error.code, 7);
    array->removeAll();
}

TEST(ADN_PJSON, JsonifyWritesContainersOnly) {
    EXPECT_FALSE(ADNMacros::jsonify(base::Value()));
    EXPECT_EQ(ADNMacros::jsonify(base::Value("plain")), "");
    auto dictionary = base::Dictionary::create();
    dictionary->setObject("kw", base::Array::create({base::Value("a"), base::Value("b")}));
    EXPECT_EQ(ADNMacros::jsonify(dictionary), "{\"kw\":[\"a\",\"b\"]}");
}

TEST(ADN_PJSON, WrittenTextReadsBackToTheSameValue) {
    auto text = "{\"s\":\"\\u0000x\\ud83d\\ude00\",\"n\":[0,-1.5,2e3],\"d\":{\"e\":[[],{}]}}";
    auto reader = ADN_PJSON::create();
    auto value = reader->objectWithString(text);
    ASSERT_FALSE(value.isNil());
    auto written = ADN_PJSON::create()->stringWithObject(value);
    ASSERT_TRUE(written);
    EXPECT_EQ(reader->objectWithString(*written), value);
}
