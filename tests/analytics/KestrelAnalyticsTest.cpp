// The agent's session lifecycle under the manual clock: start, pause and resume
// through the application's notifications, the restart after a long pause, the end
// at termination, and the recovery of a session whose process died.
#include "AgentFixture.hpp"

#include <analytics/KestrelHeartBeater.hpp>
#include <analytics/KestrelProtocolData.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <support/LogCapture.hpp>

#include <base/Exception.hpp>

#include <filesystem>

using analytics::KestrelAnalytics;
using analytics::KestrelSession;
using test::decodeRecord;

namespace {

class KestrelAnalyticsTest : public test::AgentTest {
protected:
    static ui::Application& application() { return ui::Application::sharedApplication(); }

    void start(std::string const& key = "QR7TNW3KZ5DJ9BVA2MXC") {
        KestrelAnalytics::startSession(key);
        settle();
    }
};

struct PauseCase {
    char const* name;
    double seconds;
    bool background;
    bool terminate;
    // Expected afterwards.
    bool sameSession;
    std::size_t savedSessions;
    std::int64_t pauseTotal;
};

class KestrelAnalyticsPauseTest : public KestrelAnalyticsTest,
                                  public ::testing::WithParamInterface<PauseCase> { };

TEST_P(KestrelAnalyticsPauseTest, PauseThenResumeOrTerminateGivesTheSessionsOfTheCase) {
    auto const& c = GetParam();
    start();
    auto first = KestrelSession::currentSession();
    ASSERT_TRUE(first);
    KestrelAnalytics::logEvent("Hire Staff");

    application().resignActive();
    EXPECT_EQ(application().backgroundTaskCount(), 1u) << "the pause upload holds a task";
    if (c.background)
        application().enterBackground();
    clock->advance(c.seconds);
    settle();
    EXPECT_EQ(application().backgroundTaskCount(), 0u) << "the pause upload ended its task";
    if (c.terminate) {
        application().terminate();
    } else {
        if (c.background)
            application().enterForeground();
        application().becomeActive();
    }
    settle();

    auto now = KestrelSession::currentSession();
    auto records = saved();
    ASSERT_EQ(records.size(), c.savedSessions);
    if (c.terminate) {
        EXPECT_FALSE(now);
    } else {
        ASSERT_TRUE(now);
        EXPECT_EQ(now.get() == first.get(), c.sameSession);
    }
    if (c.sameSession) {
        EXPECT_EQ(first->totalPauseIntervalMillis(), c.pauseTotal);
        EXPECT_FALSE(first->pauseTime());
        // The pause set the end, and the resume leaves it.
        EXPECT_EQ(first->sessionLength(), 0);
    }
    if (!records.empty()) {
        auto record = decodeRecord(records.front());
        ASSERT_EQ(record.events.size(), 1u);
        EXPECT_EQ(record.events[0].name, "Hire Staff");
        EXPECT_EQ(record.pauseTotal, 0);
        EXPECT_EQ(record.length, c.terminate ? std::int64_t(c.seconds * 1000) : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Durations, KestrelAnalyticsPauseTest,
    ::testing::Values(PauseCase {"FourSeconds", 4, false, false, true, 0, 4000},
        PauseCase {"TenSeconds", 10, false, false, true, 0, 10000},
        PauseCase {"ElevenSeconds", 11, false, false, false, 1, 0},
        PauseCase {"Background", 60, true, false, false, 1, 0},
        PauseCase {"Terminate", 3, false, true, false, 1, 0}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

TEST_F(KestrelAnalyticsTest, ALeftoverCurrentArchiveBecomesExactlyOneSavedSessionOnTheNextStart) {
    start();
    KestrelAnalytics::logEvent("Wheel");
    // An error archives the session, with the event recorded before it.
    KestrelAnalytics::logError("Uncaught", "broken", std::optional<std::string>("Boom: why"));
    auto crashedStart = KestrelSession::currentSession()->startTime();
    settle();
    // The process dies: nothing ends the session.
    KestrelAnalytics::reset();
    ASSERT_TRUE(saved().empty());

    clock->advance(100);
    start();
    auto records = saved();
    ASSERT_EQ(records.size(), 1u);
    auto record = decodeRecord(records[0]);
    EXPECT_EQ(record.start, analytics::KestrelProtocolData::millisecondsSince1970(*crashedStart));
    EXPECT_EQ(record.length, -1) << "it never ended";
    ASSERT_EQ(record.events.size(), 1u);
    EXPECT_EQ(record.events[0].name, "Wheel");
    ASSERT_EQ(record.errors.size(), 1u);
    EXPECT_EQ(record.errors[0][1], "Uncaught");
    EXPECT_EQ(record.errors[0][3], "Boom: why");

    // The new session took the archive's place; the crashed one is not found again.
    auto current = KestrelSession::currentSession();
    ASSERT_TRUE(current);
    EXPECT_NE(current->startTime(), crashedStart);
    KestrelAnalytics::endSession();
    settle();
    EXPECT_EQ(saved().size(), 2u);
    KestrelAnalytics::reset();
    start();
    EXPECT_EQ(saved().size(), 2u) << "an ended session leaves no archive to recover";
}

TEST_F(KestrelAnalyticsTest, TheCrashedFlagSurvivesTheCurrentArchive) {
    start();
    auto session = KestrelSession::currentSession();
    session->setCrashed(true);
    session->saveToDisk();
    auto read = foundation::KeyedUnarchiver::unarchiveObjectWithFile<KestrelSession>(
        KestrelSession::currentSessionFilePath());
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->crashed());
    EXPECT_EQ(read->serializationVersion(), 1);
    EXPECT_EQ(read->data(), session->data());
}

TEST_F(KestrelAnalyticsTest, AKeyWithSpacesIsUsedWithoutThemAndNeverLogged) {
    test::LogCapture captured;
    KestrelAnalytics::setDebugLogEnabled(true);
    start(" QR7T NW3K\tZ5DJ ");
    auto session = KestrelSession::currentSession();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->apiKey(), "QR7TNW3KZ5DJ");
    EXPECT_NE(KestrelSession::currentSessionFilePath().find(
                  std::to_string(KestrelSession::keyHash("QR7TNW3KZ5DJ"))),
        std::string::npos);
    EXPECT_TRUE(captured.contains("KestrelAnalytics: Start session called with apiKey["));
    for (auto const& line : captured.lines()) {
        EXPECT_EQ(line.find("QR7T"), std::string::npos) << line;
        EXPECT_EQ(line.find("NW3K"), std::string::npos) << line;
    }
}

TEST_F(KestrelAnalyticsTest, SettingsReachEveryNewSession) {
    KestrelAnalytics::setUserID(std::string("player-1"));
    KestrelAnalytics::setGender(std::string("f"));
    KestrelAnalytics::setSessionReportsOnPauseEnabled(false);
    KestrelAnalytics::setAppVersion("2.5");
    start();
    auto first = KestrelSession::currentSession();
    EXPECT_EQ(first->userID(), "player-1");
    EXPECT_EQ(first->gender(), 0);
    EXPECT_EQ(first->appVersion(), "2.5");
    EXPECT_FALSE(first->sessionReportsOnPauseEnabled());
    EXPECT_TRUE(first->sessionReportsOnCloseEnabled());

    application().resignActive();
    EXPECT_EQ(application().backgroundTaskCount(), 0u) << "no pause upload, no task";
    clock->advance(30);
    application().becomeActive();
    settle();
    auto second = KestrelSession::currentSession();
    ASSERT_NE(second.get(), first.get());
    EXPECT_EQ(second->userID(), "player-1");
    EXPECT_EQ(second->gender(), 0);
    EXPECT_FALSE(second->sessionReportsOnPauseEnabled());
}

TEST_F(KestrelAnalyticsTest, SetAppVersionAfterTheStartChangesNothing) {
    KestrelAnalytics::setAppVersion("1.0");
    start();
    KestrelAnalytics::setAppVersion("9.9");
    EXPECT_EQ(KestrelAnalytics::appVersion(), std::optional<std::string>("1.0"));
    EXPECT_EQ(KestrelSession::currentSession()->appVersion(), "1.0");
}

TEST_F(KestrelAnalyticsTest, WithoutAVersionOverrideTheBundleVersionIsUsed) {
    start();
    auto bundle = foundation::Bundle::mainBundle().objectForInfoDictionaryKey("CFBundleVersion");
    EXPECT_EQ(KestrelSession::currentSession()->appVersion(), bundle.stringValue());
}

TEST_F(KestrelAnalyticsTest, OperationsBeforeTheStartOrAfterTheEndDoNothing) {
    KestrelAnalytics::logEvent("Early");
    KestrelAnalytics::logPageView();
    KestrelAnalytics::endSession();
    KestrelAnalytics::pauseSession();
    EXPECT_FALSE(KestrelSession::currentSession());
    EXPECT_TRUE(saved().empty());
    start();
    KestrelAnalytics::endSession();
    KestrelAnalytics::logEvent("Late");
    KestrelAnalytics::endSession();
    settle();
    EXPECT_EQ(saved().size(), 1u);
}

TEST_F(KestrelAnalyticsTest, AnErrorCarriesTheExceptionsNameAndReason) {
    start();
    KestrelAnalytics::setDebugLogEnabled(true);
    KestrelAnalytics::setShowErrorInLogEnabled(true);
    EXPECT_NO_THROW(KestrelAnalytics::logError(
        "Uncaught", "broken", std::make_exception_ptr(base::Exception("Name", "Reason"))));
    auto errors = KestrelSession::currentSession()->errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].exceptionText, "Name: Reason");
}

TEST_F(KestrelAnalyticsTest, TheHeartbeatPostsEverySecondOnTheRunLoop) {
    start();
    int beats = 0;
    auto token = foundation::NotificationCenter::defaultCenter().observe(
        analytics::KestrelHeartBeater::notificationName, [&](auto const&) { ++beats; });
    foundation::RunLoop::main().runFor(3.5);
    EXPECT_EQ(beats, 3);
    auto same = analytics::KestrelHeartBeater::createAndStartInstance(0.1);
    EXPECT_EQ(same.get(), analytics::KestrelHeartBeater::instance().get());
    foundation::RunLoop::main().runFor(1.0);
    EXPECT_EQ(beats, 4) << "a later call keeps the first interval";
}

}
