#include <foundation/HTTPCookie.hpp>
#include <foundation/HTTPCookieStorage.hpp>
#include <foundation/URLParts.hpp>

#include <foundation/Clock.hpp>

#include <gtest/gtest.h>

using foundation::HTTPCookie;
using foundation::HTTPCookieStorage;
using foundation::HTTPHeaderFields;
using foundation::URLParts;

namespace {

std::optional<HTTPCookie> parse(std::string_view text, std::string_view url, double now = 1000) {
    return HTTPCookie::parseSetCookie(text, *URLParts::parse(url), now);
}

}

TEST(HTTPCookie, ReadsAttributesAndDefaultsPathToTheRequestFolder) {
    auto cookie
        = parse("id=42; Secure; HttpOnly; Max-Age=60", "https://shop.example.com/a/b/page?x");
    ASSERT_TRUE(cookie);
    EXPECT_EQ(cookie->name, "id");
    EXPECT_EQ(cookie->value, "42");
    EXPECT_EQ(cookie->domain, "shop.example.com");
    EXPECT_EQ(cookie->path, "/a/b");
    EXPECT_TRUE(cookie->secure);
    EXPECT_TRUE(cookie->httpOnly);
    ASSERT_TRUE(cookie->expiresDate);
    EXPECT_DOUBLE_EQ(*cookie->expiresDate, 1060);
}

TEST(HTTPCookie, DomainAttributeMustCoverTheHost) {
    struct Case {
        char const* setCookie;
        char const* url;
        char const* domain; // null: refused
    };
    Case const cases[] = {
        {"a=1; Domain=example.com", "http://shop.example.com/", ".example.com"},
        {"a=1; Domain=.example.com", "http://example.com/", ".example.com"},
        {"a=1; Domain=other.com", "http://shop.example.com/", nullptr},
        {"a=1; Domain=ample.com", "http://example.com/", nullptr},
        {"a=1; Domain=com", "http://example.com/", nullptr},
        {"a=1; Domain=127.0.0.1", "http://127.0.0.1/", "127.0.0.1"},
        {"a=1; Domain=0.0.1", "http://127.0.0.1/", nullptr},
        {"a=1", "http://127.0.0.1:8080/", "127.0.0.1"},
        {"noequals", "http://example.com/", nullptr},
        {"=value", "http://example.com/", nullptr},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.setCookie);
        auto cookie = parse(c.setCookie, c.url);
        if (!c.domain) {
            EXPECT_FALSE(cookie);
            continue;
        }
        ASSERT_TRUE(cookie);
        EXPECT_EQ(cookie->domain, c.domain);
    }
}

TEST(HTTPCookie, AppliesByDomainPathAndScheme) {
    HTTPCookie domainCookie {"a", "1", ".example.com", "/shop", std::nullopt, false, false};
    HTTPCookie hostCookie {"b", "2", "example.com", "/", std::nullopt, true, false};
    struct Case {
        char const* url;
        bool domainApplies;
        bool hostApplies;
    };
    Case const cases[] = {
        {"https://example.com/shop", true, true},
        {"https://www.example.com/shop/cart", true, false},
        {"http://example.com/shopping", false, false},
        {"http://example.com/shop/", true, false},
        {"https://badexample.com/shop", false, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.url);
        auto url = *URLParts::parse(c.url);
        EXPECT_EQ(domainCookie.appliesTo(url), c.domainApplies);
        EXPECT_EQ(hostCookie.appliesTo(url), c.hostApplies);
    }
}

TEST(HTTPCookie, SplitsJoinedFieldsButNotTheCommaOfADate) {
    HTTPHeaderFields fields;
    fields.add("Set-Cookie", "a=1; Expires=Wed, 21 Oct 2037 07:28:00 GMT; Path=/");
    fields.add("Set-Cookie", "b=2");
    ASSERT_EQ(fields.valueForKey("set-cookie"),
        "a=1; Expires=Wed, 21 Oct 2037 07:28:00 GMT; Path=/, b=2");
    auto cookies = HTTPCookie::cookiesWithResponseHeaderFields(fields, "http://example.com/x");
    ASSERT_EQ(cookies.size(), 2u);
    EXPECT_EQ(cookies[0].name, "a");
    ASSERT_TRUE(cookies[0].expiresDate);
    // 2037-10-21 07:28:00 UTC is 2139722880 s after 1970, minus the 2001 reference.
    EXPECT_DOUBLE_EQ(*cookies[0].expiresDate, 2139722880.0 - 978307200.0);
    EXPECT_EQ(cookies[1].name, "b");
    EXPECT_TRUE(cookies[1].isSessionOnly());
}

TEST(HTTPCookie, RequestFieldJoinsNameValuePairs) {
    std::vector<HTTPCookie> cookies {
        {"a", "1", "h", "/", {}, false, false}, {"b", "2", "h", "/", {}, false, false}};
    EXPECT_EQ(
        HTTPCookie::requestHeaderFieldsWithCookies(cookies).valueForKey("Cookie"), "a=1; b=2");
    EXPECT_TRUE(HTTPCookie::requestHeaderFieldsWithCookies({}).empty());
}

TEST(HTTPCookieStorage, ReplacesSameCookieAndExpiresByTheClock) {
    foundation::ScopedManualClock clock;
    HTTPCookieStorage storage;
    double now = clock->wallTime();
    auto url = "http://example.com/";
    auto set = [&](std::string_view line) {
        HTTPHeaderFields fields {{"Set-Cookie", std::string(line)}};
        storage.setCookies(HTTPCookie::cookiesWithResponseHeaderFields(fields, url), url);
    };
    set("a=1; Max-Age=10");
    set("a=2; Max-Age=10");
    set("b=3");
    auto cookies = storage.cookiesForURL(url);
    ASSERT_EQ(cookies.size(), 2u);
    EXPECT_EQ(cookies[0].value, "2");
    EXPECT_DOUBLE_EQ(*cookies[0].expiresDate, now + 10);

    clock->advance(11);
    cookies = storage.cookiesForURL(url);
    ASSERT_EQ(cookies.size(), 1u);
    EXPECT_EQ(cookies[0].name, "b");

    // A reply that expires a cookie deletes it.
    set("b=gone; Max-Age=0");
    EXPECT_TRUE(storage.cookies().empty());
}

TEST(HTTPCookieStorage, SecureCookiesGoOnlyOverHttps) {
    HTTPCookieStorage storage;
    storage.setCookie({"s", "1", "example.com", "/", std::nullopt, true, false});
    EXPECT_TRUE(storage.cookiesForURL("http://example.com/").empty());
    EXPECT_EQ(storage.cookiesForURL("https://example.com/").size(), 1u);
}
