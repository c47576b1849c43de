#include <ads/mosaic/MXConfiguration.hpp>
#include <ads/mosaic/MXDeviceHelpers.hpp>
#include <ads/mosaic/MXLogging.hpp>

#include <support/LogCapture.hpp>
#include <support/ScriptedWebView.hpp>

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

using namespace ads::mosaic;

namespace {

void setIdentifier(std::string identifier) {
    MXConfiguration configuration;
    configuration.installationIdentifier = std::move(identifier);
    MXConfiguration::setUp(configuration);
}

class MXDeviceHelpersTest : public ::testing::Test {
protected:
    MXDeviceHelpersTest() {
        setIdentifier("install-1234");
        MXResetDeviceHelpers();
    }
    ~MXDeviceHelpersTest() override {
        ui::WebView::setFactory({});
        MXConfiguration::reset();
        MXResetDeviceHelpers();
    }
};

TEST_F(MXDeviceHelpersTest, HashedIdentifierIsTheUpperCaseSha1OfTheInstallationIdentifier) {
    EXPECT_EQ(MXHashedDeviceIdentifier(), "sha:D74FF3A1238C65734E081454E0BC31B7F1408C58");
    // Kept for the process: a later change of the identifier does not change it.
    setIdentifier("another");
    EXPECT_EQ(MXHashedDeviceIdentifier(), "sha:D74FF3A1238C65734E081454E0BC31B7F1408C58");
}

TEST_F(MXDeviceHelpersTest, HashedIdentifierIsComputedOnceWhenAskedFromSeveralThreads) {
    std::vector<std::string> answers(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < answers.size(); ++i)
        threads.emplace_back([&answers, i] { answers[i] = MXHashedDeviceIdentifier(); });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(std::set<std::string>(answers.begin(), answers.end()),
        std::set<std::string> {"sha:D74FF3A1238C65734E081454E0BC31B7F1408C58"});
}

TEST_F(MXDeviceHelpersTest, UserAgentIsWhatTheWebViewAnswersOrAFixedText) {
    EXPECT_EQ(MXBrowserUserAgent(), MXFallbackUserAgent);

    MXResetDeviceHelpers();
    int asked = 0;
    ui::WebView::setFactory([&](graphics::Rect frame) -> base::Ref<ui::WebView> {
        auto view = test::ScriptedWebView::create(frame);
        view->answerScript("navigator.userAgent", "Agent/1.0");
        ++asked;
        return view;
    });
    EXPECT_EQ(MXBrowserUserAgent(), "Agent/1.0");
    EXPECT_EQ(MXBrowserUserAgent(), "Agent/1.0");
    EXPECT_EQ(asked, 1);
}

TEST(URLEncodedString, EncodesEveryReservedCharacterAndUtf8) {
    struct Case {
        std::string text;
        std::string encoded;
    } const cases[] = {
        {"", ""},
        {"AZaz09-._~", "AZaz09-._~"},
        {"!*'();:@&=+$,/?%#[]<>",
            "%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D%3C%3E"},
        {"a b", "a%20b"},
        {"http://x.test/p?q=1&r=2", "http%3A%2F%2Fx.test%2Fp%3Fq%3D1%26r%3D2"},
        {"\xC3\xA9", "%C3%A9"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(URLEncodedString(c.text), c.encoded) << c.text;
}

TEST(MXLog, WritesWithThePrefixFromTheInfoLevelUp) {
    test::LogCapture log;
    MXLogDebugMessage("hidden %d", 1);
    MXLogTraceMessage("hidden %d", 2);
    MXLogInfoMessage("shown %d", 3);
    MXLogWarnMessage("warned %@", std::string("x"));
    MXLogErrorMessage("failed");
    EXPECT_EQ(log.lines(),
        (std::vector<std::string> {"MOSAIC: shown 3", "MOSAIC: warned x", "MOSAIC: failed"}));
    EXPECT_EQ(MXLogThreshold(), 30);
}

}
