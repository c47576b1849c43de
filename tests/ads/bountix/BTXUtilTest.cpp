#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BTXNetReachability.hpp>
#include <ads/bountix/BTXUtil.hpp>

#include <foundation/Reachability.hpp>
#include <support/LogCapture.hpp>
#include <ui/Device.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace ads::bountix;
using foundation::Reachability;
namespace Flags = foundation::ReachabilityFlags;

TEST(BTXUtil, DecodesBase64Leniently) {
    struct Case {
        std::optional<std::string_view> input;
        std::string expected;
    };
    Case const cases[] {
        {std::nullopt, ""},
        {"", ""},
        {"YWJj", "abc"},
        {"YWI=", "ab"},
        {"YWI", "ab"},
        {"YQ==", "a"},
        {"YQ", "a"},
        {"Y", ""},
        {"YWI=YWJj", "ab"},
        {"Y W\nJ*j", "abc"},
        {"Zm9vYmFy", "foobar"},
        {"+/+/", "\xFB\xFF\xBF"},
        {"-_-_", ""},
    };
    for (auto const& c : cases) {
        auto bytes = BTXUtil::dataWithBase64EncodedString(c.input);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.expected)
            << (c.input ? *c.input : "<none>");
    }
}

TEST(BTXUtil, ComparesWithoutCaseOnlyWhenBothArePresent) {
    EXPECT_TRUE(BTXUtil::caseInsenstiveCompare("BountixAd", "bountixad"));
    EXPECT_FALSE(BTXUtil::caseInsenstiveCompare("BountixAd", "BountixAds"));
    EXPECT_FALSE(BTXUtil::caseInsenstiveCompare(std::nullopt, "x"));
    EXPECT_FALSE(BTXUtil::caseInsenstiveCompare("x", std::nullopt));
    EXPECT_FALSE(BTXUtil::caseInsenstiveCompare(std::nullopt, std::nullopt));
}

TEST(BTXUtil, IsPadFollowsTheDevice) {
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    EXPECT_TRUE(BTXUtil::isPad());
    ui::Device::reset();
    EXPECT_FALSE(BTXUtil::isPad());
}

TEST(BTXLog, WritesOnlyLevelsUpToTheThreshold) {
    test::LogCapture capture;
    BTXLog::logWithLevel(BTXLog::Error, "broken");
    BTXLog::logWithLevel(BTXLog::Progress, "going");
    BTXLog::logWithLevel(5, "chatter");
    BTXLog::setLogThreshold(3);
    BTXLog::logWithLevel(BTXLog::Progress, "hidden");
    BTXLog::setLogThreshold(4);
    EXPECT_TRUE(capture.contains("[Log Level: 3]; broken"));
    EXPECT_TRUE(capture.contains("[Log Level: 4]; going"));
    EXPECT_FALSE(capture.contains("chatter"));
    EXPECT_FALSE(capture.contains("hidden"));
}

TEST(BTXNetReachability, ConnectionTypeFromTheFlags) {
    struct Case {
        std::optional<std::uint32_t> flags;
        char const* type;
    };
    Case const cases[] {
        {std::nullopt, "none"},
        {0u, "none"},
        {Flags::Reachable | Flags::IsDirect, "wifi"},
        {Flags::Reachable | Flags::IsDirect | Flags::IsWWAN, "wifi"},
        {Flags::Reachable | Flags::IsWWAN, "mobile"},
        {Flags::Reachable, "mobile"},
        {Flags::Reachable | Flags::ConnectionRequired, "none"},
    };
    for (auto const& c : cases) {
        Reachability::setForcedFlags(c.flags);
        EXPECT_EQ(BTXNetReachability::getReachibilityType(), c.type);
    }
    Reachability::clearForcedStatus();
}

TEST(BTXNetReachability, StatusOfLocalWiFiNeedsADirectLink) {
    EXPECT_EQ(BTXNetReachability::localWiFiStatusForFlags(Flags::Reachable),
        BTXNetReachability::NotReachable);
    EXPECT_EQ(BTXNetReachability::localWiFiStatusForFlags(Flags::Reachable | Flags::IsDirect),
        BTXNetReachability::ReachableViaWiFi);
    EXPECT_EQ(BTXNetReachability::networkStatusForFlags(Flags::Reachable | Flags::IsWWAN),
        BTXNetReachability::ReachableViaWWAN);
    EXPECT_EQ(BTXNetReachability::networkStatusForFlags(
                  Flags::Reachable | Flags::ConnectionRequired | Flags::ConnectionOnDemand),
        BTXNetReachability::ReachableViaWiFi);
}
