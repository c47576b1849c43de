#include "SandboxFixture.hpp"

#include <analytics/KestrelHTTPEater.hpp>
#include <analytics/KestrelHTTPResponse.hpp>
#include <analytics/KestrelUtil.hpp>

#include <foundation/Clock.hpp>
#include <foundation/Dates.hpp>
#include <foundation/PropertyList.hpp>

#include <gtest/gtest.h>

#include <filesystem>

using analytics::KestrelHTTPEater;
using analytics::KestrelHTTPResponse;

namespace {

using KestrelHTTPResponseTest = test::AnalyticsSandboxTest;

base::Bytes bytes(std::string_view text) {
    return base::Bytes(text.begin(), text.end());
}

}

TEST(KestrelHTTPResponse, SuccessIsTwoHundredUpToThreeNinetyNine) {
    struct Case {
        int status;
        bool success;
    };
    Case const cases[] = {{0, false}, {199, false}, {200, true}, {302, true}, {399, true},
        {400, false}, {500, false}};
    for (auto const& c : cases) {
        auto response = KestrelHTTPResponse::initWithBody({}, c.status, nullptr, std::nullopt);
        EXPECT_EQ(response->isSuccess(), c.success) << c.status;
        EXPECT_EQ(response->isError(), !c.success) << c.status;
    }
}

TEST(KestrelHTTPResponse, WithoutAResponseOnlyTheErrorIsKept) {
    auto error = foundation::URLError::make(foundation::URLError::TimedOut);
    auto response = KestrelHTTPResponse::initWithResponse(nullptr, bytes("ignored"), error);
    EXPECT_EQ(response->statusCode(), 0);
    EXPECT_TRUE(response->body().empty());
    EXPECT_TRUE(response->headers()->empty());
    ASSERT_TRUE(response->error());
    EXPECT_EQ(response->error()->code, foundation::URLError::TimedOut);
    EXPECT_FALSE(response->isSuccess());
}

TEST(KestrelHTTPResponse, FromAResponseStatusHeadersAndBodyAreKept) {
    foundation::URLResponse reply("http://127.0.0.1/", 201, {{"X-One", "1"}, {"X-Two", "2"}});
    auto response = KestrelHTTPResponse::initWithResponse(&reply, bytes("body"), std::nullopt);
    EXPECT_EQ(response->statusCode(), 201);
    EXPECT_EQ(response->body(), bytes("body"));
    EXPECT_EQ(response->headers()->objectForKey("X-One"), base::Value("1"));
    EXPECT_EQ(response->headers()->objectForKey("X-Two"), base::Value("2"));
    EXPECT_FALSE(response->error());
}

TEST(KestrelHTTPResponse, DescriptionShowsStatusErrorAndBody) {
    auto ok = KestrelHTTPResponse::initWithBody(bytes("fine"), 200, nullptr, std::nullopt);
    EXPECT_EQ(ok->description(), "status:200 error:(null) body:fine");
    auto failed = KestrelHTTPResponse::initWithBody(
        {}, 0, nullptr, foundation::URLError::withDomain("NSURLErrorDomain", -1, "broken"));
    EXPECT_EQ(failed->description(), "status:0 error:broken body:");
}

TEST_F(KestrelHTTPResponseTest, DumpIsWrittenOnlyWithDebugLoggingAndReadsBack) {
    foundation::ScopedManualClock clock;
    auto headers = base::Dictionary::create();
    headers->setObject("Content-Type", "text/plain");
    auto response = KestrelHTTPResponse::initWithBody(bytes("hello"), 204, headers, std::nullopt);

    EXPECT_FALSE(response->saveToDisk());
    EXPECT_TRUE(filesInSandbox().empty());

    analytics::KestrelUtil::setDebugLogEnabled(true);
    auto path = response->saveToDisk();
    ASSERT_TRUE(path);
    auto seconds = std::int64_t(foundation::unixTimeFromDate(foundation::now()));
    EXPECT_EQ(*path, (dir / ("Documents/kestrelResponse" + std::to_string(seconds))).string());
    EXPECT_EQ(KestrelHTTPResponse::filePath(seconds), *path);

    auto read = KestrelHTTPResponse::readFromURL(*path);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->statusCode(), 204);
    EXPECT_EQ(read->body(), bytes("hello"));
    EXPECT_EQ(read->headers()->objectForKey("Content-Type"), base::Value("text/plain"));
    EXPECT_FALSE(read->error());
}

TEST_F(KestrelHTTPResponseTest, DumpsThatAreMissingOrDamagedReadAsNothing) {
    EXPECT_EQ(KestrelHTTPResponse::readFromURL((dir / "none").string()), nullptr);
    EXPECT_EQ(KestrelHTTPResponse::readFromData(std::string_view("not a plist")), nullptr);
    auto noStatus = base::Dictionary::create();
    noStatus->setObject("body", base::Bytes {1});
    auto data = foundation::PropertyList::dataWithPropertyList(
        base::Value(noStatus), foundation::PropertyList::Format::XML);
    ASSERT_TRUE(data);
    EXPECT_EQ(KestrelHTTPResponse::readFromData(*data), nullptr);
}

TEST(KestrelHTTPEater, URLBuilderTable) {
    struct Case {
        std::optional<std::string_view> protocol;
        std::optional<std::string_view> host;
        int port;
        std::optional<std::string_view> path;
        std::optional<std::string_view> query;
        char const* url;
    };
    Case const cases[] = {
        {std::nullopt, "example.net", 80, "aas.do", std::nullopt, "http://example.net/aas.do"},
        {std::nullopt, "example.net", 0, "aas.do", std::nullopt, "http://example.net/aas.do"},
        {std::nullopt, "example.net", 8080, "aas.do", std::nullopt,
            "http://example.net:8080/aas.do"},
        {"https", "example.net", 443, "a/b", "x=1", "https://example.net:443/a/b?x=1"},
        {"https", "example.net", 0, std::nullopt, "x=1", "https://example.net?x=1"},
        {std::nullopt, std::nullopt, 0, std::nullopt, std::nullopt, "http://"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(
            KestrelHTTPEater::urlWithProtocol(c.protocol, c.host, c.port, c.path, c.query), c.url);
    }
}

TEST(KestrelHTTPEater, DictionaryQueriesAreJoinedInOrderAndEscaped) {
    auto one = base::Dictionary::create();
    one->setObject("key", "value");
    EXPECT_EQ(KestrelHTTPEater::urlWithProtocol(std::nullopt, "h", 80, "p", *one),
        "http://h/p?key=value");

    auto several = base::Dictionary::create();
    several->setObject("b", 2);
    several->setObject("a", "x&y=z #");
    several->setObject("c d", true);
    EXPECT_EQ(KestrelHTTPEater::queryDictionaryToString(*several), "b=2&a=x%26y%3Dz%20%23&c%20d=1");
    EXPECT_EQ(KestrelHTTPEater::queryDictionaryToString(*base::Dictionary::create()), "");
}
