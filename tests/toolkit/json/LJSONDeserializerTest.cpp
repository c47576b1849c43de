#include <toolkit/json/LJSONDeserializer.hpp>
#include <toolkit/json/LJSONSerialization.hpp>

#include <foundation/RunLoop.hpp>

#include "ValuePrinter.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using base::Value;
using toolkit::json::LJSONDeserializer;
using toolkit::json::LJSONError;
using toolkit::json::LJSONSerialization;

namespace {

base::Bytes bytes(std::string_view text) {
    return base::Bytes(text.begin(), text.end());
}

Value list(std::vector<Value> values) {
    return Value(base::Array::create(std::move(values)));
}

}

TEST(LJSONDeserializer, ReadsValuesOfTheAskedShape) {
    struct Case {
        char const* text;
        int shape; // 0 any, 1 dictionary, 2 array
        char const* domain;
        long code;
    };
    Case const cases[] = {
        {"", 0, "LJSONDeserializerErrorDomain", -11},
        {"", 1, "LJSONDeserializerErrorDomain", -11},
        {"]", 0, "kJSONScannerErrorDomain", -15},
        {"[1]", 1, "kJSONScannerErrorDomain", -101},
        {"{}", 2, "kJSONScannerErrorDomain", -201},
        {"[\"\xFF\"]", 0, "kJSONScannerErrorDomain", -12},
    };
    for (auto const& c : cases) {
        auto deserializer = LJSONDeserializer::deserializer();
        LJSONError error;
        Value value = c.shape == 0 ? deserializer->deserialize(bytes(c.text), &error)
            : c.shape == 1         ? deserializer->deserializeAsDictionary(bytes(c.text), &error)
                                   : deserializer->deserializeAsArray(bytes(c.text), &error);
        EXPECT_TRUE(value.isNil()) << c.text;
        EXPECT_EQ(error.domain, c.domain) << c.text;
        EXPECT_EQ(error.code, c.code) << c.text;
    }
    auto deserializer = LJSONDeserializer::deserializer();
    EXPECT_EQ(deserializer->deserialize(bytes("[1,2]")), list({1, 2}));
    EXPECT_TRUE(deserializer->deserializeAsDictionary(bytes("{\"a\":1}")).isDictionary());
    EXPECT_EQ(deserializer->deserializeAsArray(bytes("[]")), list({}));
    // The -11 error carries no user info.
    LJSONError error;
    deserializer->deserialize({}, &error);
    EXPECT_FALSE(error.userInfo);
}

TEST(LJSONDeserializer, ForwardsTheScannerSettings) {
    auto deserializer = LJSONDeserializer::deserializer();
    EXPECT_TRUE(deserializer->nullObject().isNullObject());
    deserializer->setNullObject(Value());
    EXPECT_EQ(deserializer->deserialize(bytes("[null,1]")), list({1}));
    deserializer->setAllowedEncoding(toolkit::json::LJSONISOLatin1StringEncoding);
    EXPECT_EQ(
        deserializer->scanner().allowedEncoding(), toolkit::json::LJSONISOLatin1StringEncoding);
    deserializer->setOptions(3);
    EXPECT_EQ(deserializer->options(), 3u);
    EXPECT_EQ(deserializer->scanner().options(), 0u);
}

TEST(LJSONDeserializer, CompletionsRunOnceOnTheMainLoopAfterTheCall) {
    auto& loop = foundation::RunLoop::main();
    loop.reset();
    struct Answer {
        Value value;
        std::optional<LJSONError> error;
    };
    std::vector<Answer> answers;
    auto record = [&](Value value, std::optional<LJSONError> error) {
        answers.push_back({std::move(value), std::move(error)});
    };
    auto deserializer = LJSONDeserializer::deserializer();

    deserializer->deserializeAsDictionary({}, record);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].error->code, -11);

    deserializer->deserializeAsArray(bytes("[1]"), record);
    deserializer->deserializeAsDictionary(bytes("[1]"), record);
    deserializer->deserializeAsArray(bytes("\xFF\xFF"), record);
    EXPECT_EQ(answers.size(), 1u);
    while (loop.runPending()) { }
    ASSERT_EQ(answers.size(), 4u);
    EXPECT_EQ(answers[1].value, list({1}));
    EXPECT_FALSE(answers[1].error);
    EXPECT_EQ(answers[2].error->code, -101);
    EXPECT_EQ(answers[3].error->code, -12);
    loop.reset();
}

TEST(LJSONSerialization, ReadsAndWritesWholeValues) {
    EXPECT_EQ(toolkit::json::dictionaryWithJSONString("[1]"), list({1}));
    EXPECT_EQ(LJSONSerialization::JSONObjectWithData(bytes("[true]"), 0), list({true}));
    EXPECT_TRUE(LJSONSerialization::isValidJSONObject(list({})));
    EXPECT_FALSE(LJSONSerialization::isValidJSONObject(Value(base::Date {})));
    auto data = LJSONSerialization::dataWithJSONObject(list({1}), 0);
    EXPECT_EQ(data, bytes("[1]"));

    std::string written;
    int writes = 0;
    auto stream = [&](std::uint8_t const* out, std::size_t length) {
        ++writes;
        written.append(reinterpret_cast<char const*>(out), length);
        return long(length);
    };
    EXPECT_EQ(LJSONSerialization::writeJSONObject(list({1, 2}), stream, 0), 5);
    EXPECT_EQ(written, "[1,2]");
    EXPECT_EQ(LJSONSerialization::writeJSONObject(Value(base::Date {}), stream, 0), -1);
    EXPECT_EQ(writes, 1);

    LJSONError error;
    EXPECT_TRUE(LJSONSerialization::JSONObjectWithStream(
        [](std::uint8_t*, std::size_t) { return 0L; }, 0, &error)
                    .isNil());
    EXPECT_EQ(error.code, 0);
}
