#include <toolkit/rest/RLJSONParser.hpp>
#include <toolkit/rest/RLRequestSerializable.hpp>

#include <gtest/gtest.h>

using namespace toolkit::rest;

namespace {

base::Ref<base::Dictionary> dictionary(
    std::initializer_list<std::pair<char const*, base::Value>> entries) {
    auto made = base::Dictionary::create();
    for (auto const& [key, value] : entries)
        made->setObject(key, value);
    return made;
}

base::Ref<base::Array> array(std::initializer_list<base::Value> values) {
    return base::Array::create(std::vector<base::Value>(values));
}

}

TEST(RLFormEncoding, EncodesPairsInOrderEscapingAllButUnreservedCharacters) {
    struct Case {
        char const* name;
        base::Ref<base::Dictionary> params;
        char const* encoded;
    };
    Case const cases[] = {
        {"empty", dictionary({}), ""},
        {"space and array", dictionary({{"name", "a b"}, {"tags", array({"x", "y"})}}),
            "name=a%20b&tags[]=x&tags[]=y"},
        {"brackets inside a key", dictionary({{"a[b]", "c"}}), "a%5Bb%5D=c"},
        {"e-acute, tilde, plus", dictionary({{"v", "\xC3\xA9~+"}}), "v=%C3%A9~%2B"},
        {"reserved characters", dictionary({{"q", "!*'();:@&=+$,/?%#[]"}}),
            "q=%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D"},
        {"unreserved kept", dictionary({{"k", "AZaz09-._~"}}), "k=AZaz09-._~"},
        {"numbers as decimal text", dictionary({{"n", 42}, {"m", -7}}), "n=42&m=-7"},
        {"dictionaries inside an array",
            dictionary({{"items", array({dictionary({{"id", 1}, {"name", "a&b"}}), "plain"})}}),
            "items[][id]=1&items[][name]=a%26b&items[]=plain"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(URLEncodedString(*c.params), c.encoded) << c.name;
        auto form = RLFormSerialization::formWithDictionary(c.params);
        EXPECT_EQ(form->HTTPHeaderValueForContentType(), "application/x-www-form-urlencoded");
        auto body = form->HTTPBody();
        ASSERT_TRUE(body);
        EXPECT_EQ(std::string(body->begin(), body->end()), c.encoded) << c.name;
    }
}

TEST(RLJSONSerialization, SendsTheEncodersTextAndComparesByIt) {
    auto object = dictionary({{"user", dictionary({{"ios:deviceId", "abc"}})}, {"n", 1}});
    auto body = RLJSONSerialization::JSONSerializationWithObject(base::Value(object));
    auto expected = *RLJSONParser().stringFromObject(base::Value(object));
    EXPECT_EQ(expected, R"({"user":{"ios:deviceId":"abc"},"n":1})");
    EXPECT_EQ(body->HTTPHeaderValueForContentType(), "application/json");
    EXPECT_EQ(body->JSONRepresentation(), expected);
    auto data = body->HTTPBody();
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->begin(), data->end()), expected);

    EXPECT_TRUE(body->isEqual(base::Value(expected)));
    EXPECT_FALSE(body->isEqual(base::Value(R"({"n":1,"user":{"ios:deviceId":"abc"}})")));
    EXPECT_TRUE(body->isEqual(base::Value(object->copy())));
    EXPECT_FALSE(body->isEqual(base::Value(dictionary({{"n", 1}}))));
    EXPECT_FALSE(body->isEqual(base::Value(5)));
}
