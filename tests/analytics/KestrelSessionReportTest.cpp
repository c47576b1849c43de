// The session record and the report: golden bytes for a fixed clock and
// installation id, and the header's variants.
#include "AgentFixture.hpp"

#include <analytics/KestrelFileCache.hpp>
#include <analytics/KestrelImageCache.hpp>
#include <analytics/KestrelProtocolData.hpp>

#include <cstdlib>

using analytics::KestrelSession;

namespace {

std::string toHex(base::Bytes const& bytes) {
    static char const digits[] = "0123456789abcdef";
    std::string hex;
    for (auto byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

// Sets an environment variable for the test and puts it back afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(char const* name, char const* value)
        : name_(name) {
        if (char const* old = std::getenv(name))
            old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnvironment() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    char const* name_;
    std::optional<std::string> old_;
};

class KestrelSessionReportTest : public test::AgentTest {
protected:
    KestrelSessionReportTest() {
        KestrelSession::setSessionKey("KEY");
        KestrelSession::setDeviceIdentifier("0123456789abcdef0123456789abcdef01234567");
    }

    base::Ref<KestrelSession> makeCurrent() {
        auto session = KestrelSession::initWithAPIKey("KEY", "1.0");
        KestrelSession::setCurrentSession(session);
        return session;
    }
};

TEST_F(KestrelSessionReportTest, AReportOfOneSessionHasTheGoldenBytes) {
    ScopedEnvironment locale("LC_ALL", "fr_FR.UTF-8");
    ScopedEnvironment zone("TZ", "Europe/Paris");
    auto session = makeCurrent();
    clock->advance(1);
    auto prize = base::Dictionary::create({{"prize", "coins"}});
    session->recordEvent("Wheel", prize);
    session->recordEvent("Shop", nullptr, true);
    clock->advance(2);
    session->endTimedEvent("Shop", nullptr);
    clock->advance(1);
    session->recordError("Uncaught", "broken", std::string("Boom: why"));
    session->setLatitude(1.5, -2.25, 10, 20);
    session->maybeIncrementPageView();
    clock->advance(1);
    session->endSessionAndSend(false, false);

    auto report = KestrelSession::dataForSessions({session}, false, false, false);
    std::string golden =
        // report version 17, no ad kinds
        "00110000"
        // image cache: update time 0, no images
        "00000000000000000000"
        // platform 2 (phone), agent version 53
        "00020035"
        // report time: start + 5 s
        "0000019b76dabb88"
        // key "KEY", version "1.0"
        "00034b45590003312e30"
        // device id kind 0, "IPHONE" + the installation id
        "0000002e4950484f4e4530313233343536373839616263646566303132333435363738396162636465663031"
        "323334353637"
        // first use and session start
        "0000019b76daa8000000019b76daa800"
        // 3 device properties
        "0003000e6465766963652e6d6f64656c2e3100096950686f6e65332c3100097363722e77696474680003343830"
        "000a7363722e6865696768740003333230"
        // 1 session
        "0001"
        // record: version 1, "1.0", start, length 5000 ms, no pause
        "00010003312e300000019b76daa80000000000000013880000000000000000"
        // locale, time zone, internet available, no user id
        "000566725f4652000c4575726f70652f5061726973010000"
        // location present, 1.5, -2.25, accuracy 15
        "013ff8000000000000c00200000000000041700000"
        // 1 page view, reserved 0 0, gender unknown, no age
        "000000010000ff00"
        // counts: Wheel 1, Shop 1
        "00020005576865656c00000001000453686f7000000001"
        // events: Wheel {prize: coins} at 1 s, untimed
        "00020005576865656c000100057072697a650005636f696e7300000000000003e80000000000000000"
        // Shop at 1 s for 2 s
        "000453686f70000000000000000003e800000000000007d0"
        // log complete, 1 error of 1
        "01000000010001"
        // error at 4 s: "Uncaught", "broken", "Boom: why"
        "0000019b76dab7a00008556e636175676874000662726f6b656e0009426f6f6d3a20776879"
        // no ad impressions
        "0000";
    EXPECT_EQ(toHex(report), golden);
}

TEST_F(KestrelSessionReportTest, AnEmptyReportWithoutAdKindsOrImageCache) {
    auto report = KestrelSession::dataForSessions({}, false, false, false);
    auto hex = toHex(report);
    EXPECT_EQ(hex.substr(0, 36),
        "0011"
        "0000"
        "0000000000000000"
        "0000"
        "0002"
        "0035");
    test::ReportReader reader(report);
    auto decoded = reader.report();
    EXPECT_TRUE(decoded.sessions.empty());
    EXPECT_EQ(decoded.apiKey, "") << "no current session";
    EXPECT_EQ(hex.substr(hex.size() - 4), "0000");
}

struct AdCase {
    char const* name;
    bool adLoop;
    bool video;
    bool adSpot;
    char const* head;
};

class KestrelReportAdTest : public KestrelSessionReportTest,
                            public ::testing::WithParamInterface<AdCase> { };

TEST_P(KestrelReportAdTest, TheAdBlockTellsTheRequestedKinds) {
    auto const& c = GetParam();
    makeCurrent();
    auto report = KestrelSession::dataForSessions({}, c.adLoop, c.video, c.adSpot);
    EXPECT_EQ(toHex(report).substr(0, std::string(c.head).size()), c.head);
}

INSTANTIATE_TEST_SUITE_P(Kinds, KestrelReportAdTest,
    ::testing::Values(AdCase {"None", false, false, false,
                          "00110000"
                          "0000000000000000"},
        AdCase {"AppSpotOnly", false, false, true,
            "0011"
            "000300000001"},
        AdCase {"AppCircleOnly", true, false, false,
            "0011"
            "000300030000"},
        AdCase {"VideoOnly", false, true, false,
            "0011"
            "000300030000"},
        AdCase {"All", true, true, true,
            "0011"
            "000300030001"}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

TEST_F(KestrelSessionReportTest, CachedImagesAreListedAndANonNumericIdIsLeftOut) {
    auto session = makeCurrent();
    auto files = analytics::KestrelFileCache::createInstanceWithApiKey("KEY", "53");
    auto images = analytics::KestrelImageCache::createInstanceWithFileCache(files.get());
    images->save(base::Value("a"), "42");
    images->save(base::Value("b"), "../etc");
    images->setCacheUpdateTimestamp(7);
    auto report = KestrelSession::dataForSessions({}, true, false, false);
    test::ReportReader reader(report);
    EXPECT_EQ(reader.u16(), 17);
    EXPECT_EQ(reader.u16(), 3);
    EXPECT_EQ(reader.u16(), 3);
    EXPECT_EQ(reader.u16(), 0);
    EXPECT_EQ(reader.i64(), 7);
    ASSERT_EQ(reader.u16(), 1);
    EXPECT_EQ(reader.u8(), 1);
    EXPECT_EQ(reader.i64(), 42);
}

TEST_F(KestrelSessionReportTest, OnAPadThePlatformIsEight) {
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    auto report = KestrelSession::dataForSessions({}, false, false, false);
    EXPECT_EQ(toHex(report).substr(28, 8), "00080035");
}

TEST_F(KestrelSessionReportTest, AnOpenSessionHasLengthMinusOneAndAnAgeWritesItsDate) {
    auto session = makeCurrent();
    auto open = test::decodeRecord(*session->data());
    EXPECT_EQ(open.length, -1);
    EXPECT_FALSE(open.birth);
    session->setAge(30);
    auto aged = test::decodeRecord(*session->data());
    ASSERT_TRUE(aged.birth);
    EXPECT_EQ(*aged.birth, analytics::KestrelProtocolData::millisecondsSince1970(*session->age()));
}

TEST_F(KestrelSessionReportTest, RecordsAreCopiedAsTheyAreAndEmptyItemsSkipped) {
    auto session = makeCurrent();
    auto record = *session->data();
    auto report = KestrelSession::dataForSessions(
        {record, base::Bytes {}, base::Ref<KestrelSession>(), session}, false, false, false);
    test::ReportReader reader(report);
    auto decoded = reader.report();
    ASSERT_EQ(decoded.sessions.size(), 2u);
    EXPECT_EQ(decoded.sessions[0].start, decoded.sessions[1].start);
}

TEST_F(KestrelSessionReportTest, TheInitialTimestampIsTheFirstReportsSessionStartForEver) {
    auto session = makeCurrent();
    auto first = KestrelSession::initialTimestamp();
    EXPECT_EQ(first, *session->startTime());
    clock->advance(1000);
    makeCurrent();
    EXPECT_EQ(KestrelSession::initialTimestamp(), first);
}

TEST_F(KestrelSessionReportTest, TheHashedDeviceIdIsTheSha1OfThePhoneId) {
    EXPECT_EQ(KestrelSession::phoneID(), "IPHONE0123456789abcdef0123456789abcdef01234567");
    auto hashed = KestrelSession::kestrelID();
    EXPECT_EQ(hashed.size(), 20u);
    EXPECT_EQ(KestrelSession::hashDataToHexString(hashed, 20).size(), 40u);
    EXPECT_EQ(KestrelSession::hashDataToHexString({0x0a, 0xff}, 2), "0aff");
}

}
