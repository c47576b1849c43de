#include "KestrelFixture.hpp"

#include <ads/kestrel/KestrelAdCoding.hpp>
#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <gtest/gtest.h>

using ads::kestrel::KestrelAd;
using ads::kestrel::KestrelAdImpression;
using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelCookies;

namespace {

// 2026-01-01 00:00:00 UTC, where the manual clock starts, in milliseconds since 1970.
constexpr std::int64_t clockStart = 1767225600000;

class KestrelAdImpressionTest : public test::KestrelTest {
protected:
    KestrelAdImpressionTest() { session = startSession(); }

    static base::Ref<KestrelAd> ad101() {
        auto ad = KestrelAd::create();
        ad->setAdId(101);
        ad->setCanvasId(0);
        ad->setAdCookie(base::Bytes {0x0A, 0x1B, 0x2C, 0x3D, 0x4E});
        return ad;
    }

    base::Ref<analytics::KestrelSession> session;
};

TEST_F(KestrelAdImpressionTest, NewImpressionSnapshot) {
    clock->advance(2.5);
    auto impression = KestrelAdImpression::initWithHook("H", 1, nullptr);
    EXPECT_EQ(impression->currentState(), 1);
    base::Bytes expected = {0x00, 0x01, 'H', 0x01};
    expected.insert(expected.end(), 16, 0x00);
    expected.insert(expected.end(), {0x00, 0x00, 0x01, 0x01, 0, 0, 0, 0, 0, 0, 0x09, 0xC4});
    EXPECT_EQ(impression->data(), expected);
    EXPECT_EQ(session->adLog(), std::vector<base::Bytes> {expected});
}

TEST_F(KestrelAdImpressionTest, EveryStateLeavesItsOwnSnapshot) {
    auto impression = KestrelAdImpression::initWithHook("banner", 1, nullptr);
    clock->advance(1);
    impression->updateWithAd(*ad101());
    clock->advance(1);
    impression->updateWithResult(3, nullptr, nullptr, nullptr);
    EXPECT_EQ(impression->currentState(), 3);
    ASSERT_EQ(session->adLog().size(), 3u);
    base::Bytes expected = {0x00, 0x06, 'b', 'a', 'n', 'n', 'e', 'r', 0x01, 0, 0, 0, 0, 0, 0, 0,
        101, 0, 0, 0, 0, 0, 0, 0, 0, 0x05, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x00, 0x03, 0x01, 0, 0, 0,
        0, 0, 0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0x03, 0xE8, 0x03, 0, 0, 0, 0, 0, 0, 0x07, 0xD0};
    EXPECT_EQ(session->adLog().back(), expected);
    EXPECT_EQ(impression->adCookieString(), "0a1b2c3d4e");
}

TEST_F(KestrelAdImpressionTest, AdSpotAndVideoSnapshots) {
    auto spot = KestrelAdImpression::initWithAdSpaceName("S", 7, 9, 4, nullptr);
    EXPECT_EQ(spot->adType(), 3);
    spot->updateWithResult(3, nullptr, nullptr, nullptr);
    base::Bytes expected = {0x00, 0x01, 'S', 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 9, 0x04,
        0x00, 0x02, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0x03, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(spot->adSpotData(), expected);
    EXPECT_EQ(session->adLog().back(), expected);

    auto video = KestrelAdImpression::initWithHook("v", 1, nullptr);
    video->updateWithVideoAd({55, base::Bytes {0xFF}});
    EXPECT_EQ(video->adType(), 2);
    EXPECT_EQ(video->adId(), 55);
    EXPECT_FALSE(video->canvasId());
    EXPECT_EQ(video->adCookieString(), "ff");
}

TEST_F(KestrelAdImpressionTest, CallbackQuery) {
    clock->advance(2.5);
    auto impression = KestrelAdImpression::initWithHook("banner", 1, nullptr);
    clock->advance(1);
    impression->updateWithAd(*ad101());
    clock->advance(0.5);
    EXPECT_EQ(impression->buildAdCallBackQueryString(nullptr, nullptr, nullptr),
        "&hid=banner&adid=101&cid=0&apik=APIKEY&ac=0a1b2c3d4e&pid=IPHONEDEVICE-1"
        "&sid=1767225600000&its=2500&ats=1767225604000&adf=1&asid=2&pas=1-2500");

    impression->updateWithResult(4, nullptr, nullptr, nullptr);
    auto query = impression->buildAdCallBackQueryString(nullptr, nullptr, nullptr);
    EXPECT_NE(query.find("&asid=4&pas=1-2500&pas=2-3500"), std::string::npos) << query;
    EXPECT_EQ(query.find("pas=4"), std::string::npos) << "the last state is not a past state";

    auto single = KestrelAdImpression::initWithHook("x", 2, nullptr);
    EXPECT_EQ(single->buildAdCallBackQueryString(nullptr, nullptr, nullptr).find("pas="),
        std::string::npos);

    auto spot = KestrelAdImpression::initWithAdSpaceName("a b", 7, 9, 4, nullptr);
    auto spotQuery = spot->buildAdCallBackQueryString(nullptr, nullptr, nullptr);
    EXPECT_EQ(spotQuery.rfind("&caid=7&crid=9&apid=a%20b&apik=APIKEY", 0), 0u) << spotQuery;
}

TEST_F(KestrelAdImpressionTest, QueryValuesAreEscapedEachOnItsOwn) {
    // A hook name or cookie holding "&" or "=" cannot add or change a field.
    auto impression = KestrelAdImpression::initWithHook("a&apik=stolen b", 1, nullptr);
    KestrelCookies pub = {{"k&1", "v=2 x"}, {"plain", "ok"}};
    KestrelCookies adv = {{"ä", "/?#"}};
    KestrelCookies none;
    auto query = impression->buildAdCallBackQueryString(&pub, &adv, &none);
    EXPECT_EQ(query.rfind("&hid=a%26apik%3Dstolen%20b&adid=(null)&cid=(null)&apik=APIKEY", 0), 0u)
        << query;
    EXPECT_EQ(query.substr(query.find("&pub_")),
        "&pub_k%261=v%3D2%20x&pub_plain=ok&adv_%C3%A4=%2F%3F%23");

    struct Case {
        KestrelCookies const* cookies;
        std::string expected;
    };
    KestrelCookies reserved = {{"!*'();:@&=+$,/?%#[]", "-._~"}};
    for (auto const& c : std::vector<Case> {
             {nullptr, ""},
             {&none, ""},
             {&reserved, "&sys_%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D=-._~"},
         })
        EXPECT_EQ(KestrelAdImpression::buildCookieQueryString(c.cookies, "sys"), c.expected);
}

TEST_F(KestrelAdImpressionTest, RootDomains) {
    std::vector<std::pair<std::string, std::optional<std::string>>> table = {
        {"http://ads.kestrel.example/cb?x=1", "kestrel.example"},
        {"https://a.b.c.example.org:8080/p", "example.org"},
        {"http://Kestrel.Example/", "kestrel.example"},
        {"http://localhost:8080/cb", std::nullopt},
        {"no url at all", std::nullopt},
        {"", std::nullopt},
    };
    for (auto const& [url, root] : table)
        EXPECT_EQ(KestrelAdImpression::getRootDomain(url), root) << url;
}

TEST_F(KestrelAdImpressionTest, JoiningTheSuffix) {
    struct Case {
        std::string base;
        std::string suffix;
        std::string expected;
    };
    for (auto const& c : std::vector<Case> {
             {"http://t.example/a", "ats=5", "http://t.example/a?ats=5"},
             {"http://t.example/a?", "ats=5", "http://t.example/a?ats=5"},
             {"http://t.example/a?x=1", "ats=5", "http://t.example/a?x=1&ats=5"},
             {"http://k.example/a&", "&hid=h&adid=1", "http://k.example/a&?hid=h&adid=1"},
             {"http://k.example/a?x=1&", "&hid=h", "http://k.example/a?x=1&hid=h"},
             {"http://k.example/a?x=1", "&hid=h", "http://k.example/a?x=1&hid=h"},
             {"http://k.example/a", "&hid=h", "http://k.example/a?hid=h"},
             {"http://k.example/a", "", "http://k.example/a"},
         })
        EXPECT_EQ(KestrelAdImpression::joinCallbackUrl(c.base, c.suffix), c.expected) << c.base;
}

// Writes the older stored form of an impression: a result code and no states.
class LegacyImpression final : public base::Object, public foundation::Coding {
public:
    static base::Ref<LegacyImpression> initWithCoder(foundation::KeyedUnarchiver&) {
        return nullptr;
    }
    void encodeWithCoder(foundation::KeyedArchiver& coder) override {
        coder.encodeDouble(1234.0, "timeIntervalSinceSessionStart");
        coder.encodeObject(base::Value("old"), "hook");
        if (result)
            coder.encodeObject(base::Value(*result), "adResult");
    }
    std::optional<int> result;

private:
    friend base::Factory;
    LegacyImpression() = default;
};

TEST_F(KestrelAdImpressionTest, OlderArchivesMigrateToStates) {
    ads::kestrel::registerKestrelAdCoding();
    struct Case {
        std::optional<int> result;
        std::vector<int> states;
    };
    for (auto const& c : std::vector<Case> {
             {std::nullopt, {1}},
             {0, {1}},
             {2, {1, 4}},
             {4, {1, 8}},
             {9, {1, 0}},
         }) {
        auto legacy = base::make<LegacyImpression>();
        legacy->result = c.result;
        foundation::Coding::registerClass<LegacyImpression>("KestrelAdImpression");
        auto data = foundation::KeyedArchiver::archivedDataWithRootObject(legacy);
        foundation::Coding::registerClass<KestrelAdImpression>("KestrelAdImpression");
        ASSERT_TRUE(data);
        auto impression
            = foundation::KeyedUnarchiver::unarchiveObjectWithData<KestrelAdImpression>(*data);
        ASSERT_TRUE(impression);
        std::vector<int> states;
        for (auto const& state : impression->adStates()) {
            states.push_back(state->state());
            EXPECT_EQ(state->timeIntervalSinceSessionStart(), 1234);
        }
        EXPECT_EQ(states, c.states);
        EXPECT_EQ(impression->adFormat(), 0) << "a missing format reads as 0";
        EXPECT_EQ(impression->hook(), "old");
    }
}

TEST_F(KestrelAdImpressionTest, ArchiveRoundTrip) {
    clock->advance(1.25);
    auto impression = KestrelAdImpression::initWithHook("banner", 1, KestrelAdParser::instance());
    impression->updateWithAd(*ad101());
    auto data = foundation::KeyedArchiver::archivedDataWithRootObject(impression);
    ASSERT_TRUE(data);
    auto back = foundation::KeyedUnarchiver::unarchiveObjectWithData<KestrelAdImpression>(*data);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->data(), impression->data());
    EXPECT_EQ(back->timeIntervalSinceSessionStart(), 1250);
    EXPECT_EQ(back->adType(), 1);
    EXPECT_TRUE(back->parser());
}

}
