#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNCallStackDescription.hpp>
#include <ads/adnoria/ADNSignals.hpp>

#include <foundation/NotificationCenter.hpp>
#include <foundation/Reachability.hpp>
#include <services/Accelerometer.hpp>
#include <ui/Application.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNGestureUtil;
using ads::adnoria::ADNSignals;

namespace {

using ADNSignalsTest = test::AdnoriaTest;

// The click value for seed 42, 2011-03-13 07:06:40 UTC, the fake facts and the key
// "ai-value": a change here changes what the server receives.
char const* const goldenClickValue
    = "xgZFCOusl7vrlOcl6TJVwhp87uLb3DU3JFQuSu_4_"
      "NvE8iYQMbJkGDN0uRzIULmMyxohyaQEzFU0DirFQchkyLyBX25ZwK9AWfamo73tClFk7l9"
      "45Iwduy7USDRUIORJRngRF63ZRH4muVwMcM-"
      "D42SQUI9mjYZl5sTIZJv82G9IvXsCdeUeCpsBmltzYIoAhHilahEgHNvpEFOAGBnfNx9Qw5y6"
      "IMXI7P8OmWRzX_ty1XUf62PDWXNe7IhZmoMvsc4K93YxZbxVsC0t88MspByOedNMRtoVb-A_4tgiRJojufIDH4L-"
      "weFxhDsJ_HY9jPdpBoP7D"
      "BLHAiYHXoWw9A";

bool isWebsafe(std::string const& text) {
    return text.find_first_not_of(
               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_")
        == std::string::npos;
}

class RecordingDelegate final : public services::AccelerometerDelegate {
public:
    void accelerometerDidAccelerate(double x, double, double, double) override {
        samples.push_back(x);
    }
    std::vector<double> samples;
};

std::string line(unsigned n, char const* className, char const* name) {
    return ads::adnoria::ADNCallStackLine(
        n, "/usr/lib/Quillaby", 0x1000 + n, className, false, name);
}

}

TEST_F(ADNSignalsTest, RequestValueBeforeAnyAdLoadRecordsTheMissingVersion) {
    std::string text;
    EXPECT_EQ(ADNSignals::requestSignalText(&text), 1);
    auto state = ADNSignals::snapshot();
    EXPECT_EQ(state.requestType, -1);
    EXPECT_EQ(state.sdkVersion, "missing");
    EXPECT_TRUE(state.initialised);
    ASSERT_EQ(text.substr(0, 3), "ms=");
    EXPECT_EQ(text.size(), 3u + 342u);
    EXPECT_TRUE(isWebsafe(text.substr(3)));
}

TEST_F(ADNSignalsTest, ValueIsStableForAFixedRandomSourceClockAndFacts) {
    ADNSignals::adLoadEntry(4, "anma-sdk-i-v4.1.0");
    std::string first;
    ADNSignals::buildSignal(ADNSignals::ClickMask, "ai-value", &first);
    ASSERT_EQ(first.size(), 342u);

    ADNSignals::reset();
    ADNSignals::setRandomSeed(42);
    ADNSignals::setFactsProvider([] {
        ADNSignals::DeviceFacts facts;
        facts.systemName = "iPhone";
        facts.systemVersion = "4.3";
        facts.deviceText = InstallationIdentifier;
        return facts;
    });
    ADNSignals::adLoadEntry(4, "anma-sdk-i-v4.1.0");
    std::string second;
    ADNSignals::buildSignal(ADNSignals::ClickMask, "ai-value", &second);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, goldenClickValue);
}

TEST_F(ADNSignalsTest, SameRecordEncodesDifferentlyEachTimeAndPerKey) {
    base::Bytes record {1, 'i', 2};
    auto a = ADNSignals::encodeRecord(record, std::nullopt);
    auto b = ADNSignals::encodeRecord(record, std::nullopt);
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    EXPECT_EQ(a->size(), 342u);

    ADNSignals::setRandomSeed(7);
    auto plain = ADNSignals::encodeRecord(record, std::nullopt);
    ADNSignals::setRandomSeed(7);
    auto empty = ADNSignals::encodeRecord(record, "");
    ADNSignals::setRandomSeed(7);
    auto keyed = ADNSignals::encodeRecord(record, "key");
    ADNSignals::setRandomSeed(7);
    auto other = ADNSignals::encodeRecord(record, "kez");
    EXPECT_EQ(plain, empty);
    EXPECT_NE(plain, keyed);
    EXPECT_NE(keyed, other);
    EXPECT_FALSE(ADNSignals::encodeRecord({}, std::nullopt));
}

TEST_F(ADNSignalsTest, RecordTooLargeForTheBlockIsReplacedByTheOverflowRecord) {
    base::Bytes overflow {20, 'i', 2};
    ADNSignals::setRandomSeed(9);
    auto expected = ADNSignals::encodeRecord(overflow, "k");
    ADNSignals::setRandomSeed(9);
    EXPECT_EQ(ADNSignals::encodeRecord(base::Bytes(240, 7), "k"), expected);
    // 239 bytes of entries still fit beside the length byte.
    ADNSignals::setRandomSeed(9);
    EXPECT_NE(ADNSignals::encodeRecord(base::Bytes(239, 7), "k"), expected);
}

TEST_F(ADNSignalsTest, BuilderWithoutMaskOrOutputWritesNothing) {
    std::string out;
    EXPECT_EQ(ADNSignals::buildSignal(0, std::nullopt, &out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(ADNSignals::buildSignal(ADNSignals::ClickMask, std::nullopt, nullptr), 0);
    EXPECT_EQ(ADNSignals::clickSignalText("ai", nullptr), 0);
    EXPECT_EQ(ADNSignals::requestSignalText(nullptr), 0);
    EXPECT_GT(ADNSignals::buildSignal(ADNSignals::RequestMask, std::nullopt, &out), 0);
}

TEST_F(ADNSignalsTest, TouchWithAMinusOneKeepsThePreviousTouch) {
    ADNSignals::touchEntry(10, 20, 30);
    for (auto [x, y, d] : {std::tuple {-1, 1, 1}, std::tuple {1, -1, 1}, std::tuple {1, 1, -1}})
        ADNSignals::touchEntry(x, y, d);
    auto state = ADNSignals::snapshot();
    EXPECT_EQ(state.touchX, 10);
    EXPECT_EQ(state.touchY, 20);
    EXPECT_EQ(state.touchDuration, 30);
}

TEST_F(ADNSignalsTest, NetworkValueFollowsTheReachableAndCellularBits) {
    namespace flags = foundation::ReachabilityFlags;
    EXPECT_EQ(ADNSignals::networkValue(flags::Reachable), 1);
    EXPECT_EQ(ADNSignals::networkValue(flags::Reachable | flags::IsWWAN), 0);
    EXPECT_EQ(ADNSignals::networkValue(flags::IsWWAN), -1);
    EXPECT_EQ(ADNSignals::networkValue(0), -1);
}

TEST_F(ADNSignalsTest, ActivityFollowsTheApplicationAndTheFirstAdLoad) {
    ADNSignals::adLoadEntry(4, "v1");
    auto state = ADNSignals::snapshot();
    EXPECT_EQ(state.firstActivity, 1300000000);
    EXPECT_EQ(state.lastActivity, 1300000000);
    EXPECT_TRUE(state.active);
    EXPECT_EQ(state.sdkVersion, "v1");

    setUnixTime(1300000100);
    ADNSignals::adLoadEntry(5, "v2");
    EXPECT_EQ(ADNSignals::snapshot().requestType, 5);
    EXPECT_EQ(ADNSignals::snapshot().sdkVersion, "v1");

    auto& center = foundation::NotificationCenter::defaultCenter();
    center.postNotification(ui::Application::WillResignActiveNotification);
    EXPECT_EQ(ADNSignals::snapshot().lastActivity, -1);
    EXPECT_FALSE(ADNSignals::snapshot().active);
    center.postNotification(ui::Application::DidBecomeActiveNotification);
    EXPECT_EQ(ADNSignals::snapshot().lastActivity, 1300000100);
    EXPECT_TRUE(ADNSignals::snapshot().active);
    EXPECT_EQ(ADNSignals::snapshot().firstActivity, 1300000000);
}

TEST_F(ADNSignalsTest, AccelerometerHookKeepsSamplesAndChainsTheEarlierDelegate) {
    auto& accelerometer = services::Accelerometer::sharedAccelerometer();
    RecordingDelegate earlier;
    accelerometer.setDelegate(&earlier);
    ADNSignals::adLoadEntry(4, "v");
    EXPECT_EQ(accelerometer.delegate(), &ADNGestureUtil::shared());
    accelerometer.report(0.505, -1.2, 0.999, 12.75);
    auto state = ADNSignals::snapshot();
    EXPECT_EQ(state.accelX, 50);
    EXPECT_EQ(state.accelY, -120);
    EXPECT_EQ(state.accelZ, 99);
    EXPECT_EQ(state.accelTime, 12);
    EXPECT_EQ(earlier.samples, (std::vector<double> {0.505}));

    // A delegate installed later is chained again on the next click value.
    RecordingDelegate later;
    accelerometer.setDelegate(&later);
    std::string out;
    ADNSignals::clickSignalText("ai", &out);
    EXPECT_EQ(accelerometer.delegate(), &ADNGestureUtil::shared());
    accelerometer.report(1, 1, 1, 1);
    EXPECT_EQ(later.samples.size(), 1u);
    ADNSignals::reset();
    EXPECT_EQ(accelerometer.delegate(), &later);
    accelerometer.setDelegate(nullptr);
}

TEST_F(ADNSignalsTest, ClickPathIsTheCallerOfTheClickHandler) {
    auto handler
        = line(1, "ADNBannerWebViewDelegate", "webView:shouldStartLoadWithRequest:navigationType:");
    struct Case {
        char const* name;
        std::string stack;
        char const* expected;
    };
    std::vector<Case> const cases {
        {"method after handler",
            line(0, "ADNStatistics", "urlForClick:") + "\n" + handler + "\n"
                + line(2, "UIWebView",
                    "webView:decidePolicyForNavigationAction:request:frame:decisionListener:")
                + "\n" + line(3, "UIApplication", "run"),
            "UIWebView"},
        {"plain symbol after handler", handler + "\n" + line(2, nullptr, "objc_msgSend"),
            "objc_msgSend()"},
        {"no handler", line(0, "UIWebView", "loadRequest:") + "\n" + line(1, nullptr, "main"),
            "INVALID"},
        {"short lines skipped",
            "#0 a b\n" + handler + "\nshort line\n" + line(3, "UIView", "touchesEnded:withEvent:"),
            "UIView"},
        {"handler last", handler, "INVALID"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ADNSignals::clickPathFromStackText(c.stack), c.expected);
    }
}

TEST(ADNCallStackDescription, LinesHaveTheirColumnsAndTheStackItsFrames) {
    EXPECT_EQ(ads::adnoria::ADNCallStackLine(
                  3, "/usr/lib/libQuillaby.so", 0x1234, "UIWebView", false, "loadRequest:"),
        "#3  libQuillaby.so                      0x00001234 -[UIWebView loadRequest:]");
    EXPECT_EQ(ads::adnoria::ADNCallStackLine(12, "", 0xabcdef12345, nullptr, false, nullptr),
        "#12 ??                                  0xabcdef12345 ?"
        "?()");
    auto stack = ads::adnoria::ADNCallStackDescription();
    ASSERT_FALSE(stack.empty());
    EXPECT_EQ(stack.substr(0, 4), "#0  ");
}
