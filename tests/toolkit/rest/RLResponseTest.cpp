#include <toolkit/rest/RLReachabilityObserver.hpp>
#include <toolkit/rest/RLResponse.hpp>
#include <toolkit/rest/RLURL.hpp>

#include <gtest/gtest.h>

using namespace toolkit::rest;
namespace Flags = foundation::ReachabilityFlags;

namespace {

base::Ref<RLResponse> responseWith(
    int status, std::string contentType = {}, std::string body = {}) {
    std::vector<foundation::HTTPHeaderFields::Entry> lines;
    if (!contentType.empty())
        lines.emplace_back("Content-Type", contentType);
    return RLResponse::responseWithSynchronousRequest(nullptr,
        foundation::URLResponse("http://h/x", status, lines), base::Bytes(body.begin(), body.end()),
        std::nullopt);
}

}

TEST(RLResponse, StatusTestsFollowTheirRanges) {
    struct Case {
        int status;
        char const* classes;
    };
    // I invalid, N informational, S successful, R redirection, C client error,
    // V server error, E error; then the exact tests: o ok, c created, u unauthorized,
    // f forbidden, n not found, p unprocessable, a unavailable, r redirect, e empty.
    Case const cases[] = {
        {99, "I"},
        {100, "N"},
        {199, "N"},
        {200, "So"},
        {201, "Sce"},
        {204, "Se"},
        {299, "S"},
        {301, "Rr"},
        {302, "Rr"},
        {303, "Rr"},
        {304, "Re"},
        {307, "Rr"},
        {308, "R"},
        {401, "CEu"},
        {403, "CEf"},
        {404, "CEn"},
        {422, "CEp"},
        {499, "CE"},
        {500, "VE"},
        {503, "VEa"},
        {599, "VE"},
        {600, ""},
        {601, "I"},
    };
    for (auto const& c : cases) {
        auto response = responseWith(c.status);
        std::string got;
        auto mark = [&](bool test, char letter) {
            if (test)
                got += letter;
        };
        mark(response->isInvalid(), 'I');
        mark(response->isInformational(), 'N');
        mark(response->isSuccessful(), 'S');
        mark(response->isRedirection(), 'R');
        mark(response->isClientError(), 'C');
        mark(response->isServerError(), 'V');
        mark(response->isError(), 'E');
        mark(response->isOK(), 'o');
        mark(response->isCreated(), 'c');
        mark(response->isUnauthorized(), 'u');
        mark(response->isForbidden(), 'f');
        mark(response->isNotFound(), 'n');
        mark(response->isUnprocessableEntity(), 'p');
        mark(response->isServiceUnavailable(), 'a');
        mark(response->isRedirect(), 'r');
        mark(response->isEmpty(), 'e');
        EXPECT_EQ(got, c.classes) << c.status;
    }
}

TEST(RLResponse, ContentTestsMatchTheStartOfTheTypeIgnoringCase) {
    struct Case {
        char const* type;
        bool html, xhtml, xml, json;
    };
    Case const cases[] = {
        {"", false, false, false, false},
        {"Application/JSON; charset=utf-8", false, false, false, true},
        {"application/json", false, false, false, true},
        {"text/json", false, false, false, false},
        {"TEXT/HTML", true, false, false, false},
        {"application/xhtml+xml", true, true, false, false},
        {"application/xml; charset=utf-8", false, false, true, false},
        {"text/xml", false, false, false, false},
        {"application/js", false, false, false, false},
    };
    for (auto const& c : cases) {
        auto response = responseWith(200, c.type);
        EXPECT_EQ(response->isHTML(), c.html) << c.type;
        EXPECT_EQ(response->isXHTML(), c.xhtml) << c.type;
        EXPECT_EQ(response->isXML(), c.xml) << c.type;
        EXPECT_EQ(response->isJSON(), c.json) << c.type;
    }
}

TEST(RLResponse, BodyReadsAsTextAndJSON) {
    auto response = responseWith(200, "application/json", R"([{"id":1}])");
    EXPECT_EQ(response->bodyAsString(), R"([{"id":1}])");
    auto json = response->bodyAsJSON();
    ASSERT_TRUE(json.isArray());
    EXPECT_EQ(json.array()->at(0).dictionary()->objectForKey("id").intValue(), 1);
    EXPECT_TRUE(responseWith(200, "application/json", "<html>")->bodyAsJSON().isNil());
    EXPECT_FALSE(response->isFailure());
    EXPECT_FALSE(response->failureErrorDescription());

    auto failed = RLResponse::responseWithSynchronousRequest(
        nullptr, std::nullopt, {}, foundation::URLError::make(foundation::URLError::TimedOut));
    EXPECT_TRUE(failed->isFailure());
    EXPECT_TRUE(failed->failureErrorDescription());
    EXPECT_EQ(failed->statusCode(), 0);
    EXPECT_TRUE(failed->isInvalid());
}

TEST(RLURL, JoinsBaseAndPathWithoutASeparator) {
    auto url = RLURL::URLWithBaseURLString("http://h/api", "/items");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->absoluteString(), "http://h/api/items");
    EXPECT_EQ(url->baseURLString(), "http://h/api");
    EXPECT_EQ(url->resourcePath(), "/items");
    EXPECT_EQ(url->host(), "h");
    EXPECT_EQ(RLURL::URLWithBaseURLString("http://h/api", "items")->absoluteString(),
        "http://h/apiitems");
    EXPECT_FALSE(RLURL::URLWithBaseURLString("", "/items"));
    EXPECT_FALSE(RLURL::URLWithBaseURLString("not a url", "/items"));
    auto plain = RLURL::URLWithString("https://example.test/x");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->resourcePath());
}

TEST(RLReachabilityObserver, FlagsGiveTheirStatusWithWWANWinning) {
    struct Case {
        char const* name;
        std::optional<std::uint32_t> flags;
        RLNetworkStatus status;
    };
    Case const cases[] = {
        {"unreadable", std::nullopt, RLNetworkStatusNotReachable},
        {"nothing", 0u, RLNetworkStatusNotReachable},
        {"reachable", Flags::Reachable, RLNetworkStatusReachableViaWiFi},
        {"reachable, WWAN, connection required",
            Flags::Reachable | Flags::IsWWAN | Flags::ConnectionRequired,
            RLNetworkStatusReachableViaWWAN},
        {"connection required on demand",
            Flags::Reachable | Flags::ConnectionRequired | Flags::ConnectionOnDemand,
            RLNetworkStatusReachableViaWiFi},
        {"connection required on traffic",
            Flags::Reachable | Flags::ConnectionRequired | Flags::ConnectionOnTraffic,
            RLNetworkStatusReachableViaWiFi},
        {"intervention required",
            Flags::Reachable | Flags::ConnectionRequired | Flags::InterventionRequired,
            RLNetworkStatusNotReachable},
        {"on demand but intervention required",
            Flags::Reachable | Flags::ConnectionRequired | Flags::ConnectionOnDemand
                | Flags::InterventionRequired,
            RLNetworkStatusNotReachable},
        {"WWAN without reachable", Flags::IsWWAN, RLNetworkStatusNotReachable},
    };
    for (auto const& c : cases)
        EXPECT_EQ(RLReachabilityObserver::statusForFlags(c.flags), c.status) << c.name;
}
