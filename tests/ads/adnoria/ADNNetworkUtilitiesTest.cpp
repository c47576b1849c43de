#include <ads/adnoria/ADNNetworkUtilities.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNNetworkUtilities;

TEST(ADNNetworkUtilities, AppendingAKeyUsesQuestionMarkOrAmpersand) {
    struct Case {
        char const* url;
        char const* expected;
    };
    for (auto c : {Case {"http://a.test/path", "http://a.test/path?unique=12"},
             Case {"http://a.test/path?x=1", "http://a.test/path?x=1&unique=12"},
             Case {"http://a.test/path?", "http://a.test/path??unique=12"}}) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(ADNNetworkUtilities::appendQueryKey("unique", "12", c.url), c.expected);
    }
}

TEST(ADNNetworkUtilities, ValuesAreEscapedKeysAreNotAndEmptyValuesGoBare) {
    auto parameters = base::Dictionary::create();
    parameters->setObject("a&b", "x&y=z");
    parameters->setObject("n", 5);
    parameters->setObject("bare", "");
    EXPECT_EQ(ADNNetworkUtilities::appendQueryParameters(*parameters, "http://a.test/"),
        "http://a.test/?a&b=x%26y%3Dz&n=5&bare");
    EXPECT_EQ(ADNNetworkUtilities::appendQueryKey("ms=abc", std::nullopt, "http://a.test/?ai=1"),
        "http://a.test/?ai=1&ms=abc");
}

TEST(ADNNetworkUtilities, EncodeURLEscapesTheReservedCharacters) {
    EXPECT_EQ(ADNNetworkUtilities::encodeURL("!*'();:@&=+$,/?%#[] a-b_c.d~"),
        "%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D%20a-b_c.d~");
    EXPECT_EQ(ADNNetworkUtilities::encodeURL("\xc3\xa9"), "%C3%A9");
}

TEST(ADNNetworkUtilities, ParameterValueIsTheFirstMatchAsSent) {
    auto url = "http://a.test/c?x=1&ai=ab%20c&ai=second&flag#ai=frag";
    EXPECT_EQ(ADNNetworkUtilities::parameterValueForKey("ai", url), "ab%20c");
    EXPECT_FALSE(ADNNetworkUtilities::parameterValueForKey("flag", url));
    EXPECT_FALSE(ADNNetworkUtilities::parameterValueForKey("missing", url));
    EXPECT_FALSE(ADNNetworkUtilities::parameterValueForKey("ai", "http://a.test/c"));
}

TEST(ADNNetworkUtilities, QueryStringToDictionary) {
    auto entries = ADNNetworkUtilities::dictionaryFromQueryString("a=1&b=2;c");
    EXPECT_EQ(entries->keys(), (std::vector<std::string> {"a", "b"}));
    auto escaped = ADNNetworkUtilities::dictionaryFromQueryString("A=%20&&;;b=x=y&c=%ZZ&a=2");
    EXPECT_EQ(escaped->objectForKey("a"), base::Value("2"));
    EXPECT_FALSE(escaped->contains("b"));
    EXPECT_FALSE(escaped->contains("c"));
    EXPECT_EQ(ADNNetworkUtilities::dictionaryFromQueryString("A=%20")->objectForKey("a"),
        base::Value(" "));
    EXPECT_TRUE(ADNNetworkUtilities::dictionaryFromQueryString(std::nullopt)->empty());
}

TEST(ADNNetworkUtilities, UserAgentIsKeptUnlessEmpty) {
    ADNNetworkUtilities::resetUserAgentString();
    EXPECT_FALSE(ADNNetworkUtilities::userAgentString());
    ADNNetworkUtilities::setUserAgentString("Agent/1");
    ADNNetworkUtilities::setUserAgentString("");
    EXPECT_EQ(ADNNetworkUtilities::userAgentString(), "Agent/1");
    ADNNetworkUtilities::resetUserAgentString();
}
