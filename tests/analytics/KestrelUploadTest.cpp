// Uploads against a loopback collector the tests start: what a reply does to the
// saved sessions, the network lock, the saved-list bound, a session ended during a
// slow start upload, and the hand-off of the reply to the ad parsers.
#include "AgentFixture.hpp"
#include "KestrelAdParser.hpp"

#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>

#include <foundation/AtomicFile.hpp>

#include <filesystem>
#include <memory>

using analytics::KestrelAnalytics;
using analytics::KestrelSession;
using test::HttpRequest;
using test::HttpResponse;
using test::LoopbackServer;

namespace {

class KestrelUploadTest : public test::AgentTest {
protected:
    KestrelUploadTest() {
        KestrelSession::setSessionKey("KEY");
        KestrelSession::setDeviceIdentifier("abc");
        KestrelAnalytics::setReportHost("127.0.0.1:" + std::to_string(server.port()));
    }

    // Records of n ended sessions, a second apart.
    std::vector<base::Bytes> records(int n) {
        std::vector<base::Bytes> made;
        for (int i = 0; i < n; ++i) {
            auto session = KestrelSession::initWithAPIKey("KEY", "1.0");
            session->recordEvent("session " + std::to_string(i), nullptr);
            clock->advance(1);
            session->setEndTime(base::Date {foundation::Clock::current().wallTime()});
            session->saveToDisk();
            made.push_back(*session->data());
        }
        std::filesystem::remove(KestrelSession::currentSessionFilePath());
        return made;
    }

    void makeCurrent() {
        current = KestrelSession::initWithAPIKey("KEY", "1.0");
        KestrelSession::setCurrentSession(current);
    }

    static test::ReportReader::Report decodeBody(HttpRequest const& request) {
        test::ReportReader reader(base::Bytes(request.body.begin(), request.body.end()));
        return reader.report();
    }

    LoopbackServer server;
    base::Ref<KestrelSession> current;
};

struct StatusCase {
    char const* name;
    int status;
    bool drop;
    bool success;
};

class KestrelUploadStatusTest : public KestrelUploadTest,
                                public ::testing::WithParamInterface<StatusCase> { };

TEST_P(KestrelUploadStatusTest, TheStartUploadClearsTheSavedSessionsOnlyOnSuccess) {
    auto const& c = GetParam();
    auto saved3 = records(3);
    KestrelSession::setSavedSessions(saved3);
    makeCurrent();
    server.route(
        "POST", "/aas.do", c.drop ? HttpResponse::dropped() : HttpResponse::text("", c.status));
    KestrelAnalytics::setDebugLogEnabled(true);
    test::LogCapture captured;

    KestrelSession::sendSessionsToServerForAdLoop();

    ASSERT_EQ(server.requestCount(), 1u);
    auto request = server.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/aas.do");
    EXPECT_EQ(request.headers.get("Content-Type"), "application/octet-stream");
    auto report = decodeBody(request);
    ASSERT_EQ(report.sessions.size(), 3u) << "the current session is not sent at start";
    EXPECT_EQ(report.sessions[2].events[0].name, "session 2");
    EXPECT_EQ(report.deviceId, "IPHONEabc");

    EXPECT_EQ(saved().size(), c.success ? 0u : 3u);
    EXPECT_EQ(KestrelSession::sentSession(), c.success);
    EXPECT_EQ(current->internetAvailable(), c.success);
    EXPECT_EQ(captured.contains("KestrelAnalytics: Sent 3 session(s)."), c.success);
    EXPECT_EQ(captured.contains("KestrelAnalytics: Could not connect to server."), !c.success);
}

INSTANTIATE_TEST_SUITE_P(Statuses, KestrelUploadStatusTest,
    ::testing::Values(StatusCase {"Status199", 199, false, false},
        StatusCase {"Status200", 200, false, true}, StatusCase {"Status399", 399, false, true},
        StatusCase {"Status400", 400, false, false}, StatusCase {"Dropped", 0, true, false}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

TEST_F(KestrelUploadTest, APauseUploadSendsTheCurrentSessionTooAndKeepsTheSavedOnes) {
    KestrelSession::setSavedSessions(records(3));
    makeCurrent();
    server.route("POST", "/aas.do", HttpResponse::text("", 200));
    KestrelSession::sendSessionsToServerForSessionPause();
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(decodeBody(server.requests()[0]).sessions.size(), 4u);
    EXPECT_EQ(saved().size(), 3u);
    EXPECT_FALSE(KestrelSession::sentSession());
    EXPECT_TRUE(current->internetAvailable()) << "a short upload does not judge the network";
}

TEST_F(KestrelUploadTest, AnUploadWhileTheLockIsHeldIsSkipped) {
    makeCurrent();
    KestrelAnalytics::setDebugLogEnabled(true);
    test::LogCapture captured;
    {
        std::lock_guard held(KestrelSession::getNetworkLock());
        KestrelSession::sendSessionsToServerForEndOfSession();
    }
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_TRUE(captured.contains("Could not acquire network lock. Skipping"));
}

TEST_F(KestrelUploadTest, WithoutAReportHostNothingIsSent) {
    KestrelAnalytics::reset();
    KestrelSession::setSessionKey("KEY");
    KestrelSession::setSavedSessions(records(1));
    makeCurrent();
    EXPECT_EQ(KestrelAnalytics::serverURL(), "");
    KestrelSession::sendSessionsToServerForAdLoop();
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(saved().size(), 1u);
    EXPECT_FALSE(current->internetAvailable());
}

TEST_F(KestrelUploadTest, SecureTransportSwitchesTheSchemeOfTheConfiguredHost) {
    auto host = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(KestrelAnalytics::serverURL(), "http://" + host + "/aas.do");
    KestrelAnalytics::setServerURL("http://elsewhere/aas.do");
    EXPECT_EQ(KestrelAnalytics::serverURL(), "http://elsewhere/aas.do");
    KestrelAnalytics::setSecureTransportEnabled(true);
    EXPECT_EQ(KestrelAnalytics::serverURL(), "https://" + host + "/aas.do");
}

TEST_F(KestrelUploadTest, TheFiftyFirstSavedSessionTrimsTheOldest) {
    auto made = records(51);
    KestrelSession::setSavedSessions(std::vector<base::Bytes>(made.begin(), made.begin() + 50));
    auto last = KestrelSession::initWithAPIKey("KEY", "1.0");
    KestrelSession::addToSavedSessions(*last);
    auto list = saved();
    ASSERT_EQ(list.size(), 50u);
    EXPECT_EQ(list.front(), made[1]);
    EXPECT_EQ(list.back(), *last->data());
    KestrelAnalytics::setMaxSessionsSaved(2);
    KestrelSession::addToSavedSessions(*last);
    EXPECT_EQ(saved().size(), 2u);
}

TEST_F(KestrelUploadTest, ASessionEndedDuringASlowStartUploadSurvivesIt) {
    auto older = records(1);
    KestrelSession::setSavedSessions(older);
    auto gate = std::make_shared<test::Gate>();
    server.route("POST", "/aas.do", [gate](HttpRequest const&) {
        HttpResponse response;
        response.pieces.push_back({"ok", 0, gate});
        return response;
    });
    KestrelAnalytics::startSession("KEY");
    ASSERT_TRUE(server.waitForRequests(1, 30));
    auto ended = KestrelSession::currentSession();
    ended->recordEvent("Download DLC", nullptr);

    // The end upload finds the lock held and is skipped; the session is saved.
    KestrelAnalytics::endSession();
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(saved().size(), 2u);

    gate->open();
    settle();
    auto list = saved();
    ASSERT_EQ(list.size(), 1u) << "only what the report carried leaves the list";
    EXPECT_EQ(test::decodeRecord(list[0]).events[0].name, "Download DLC");

    // The next start sends it.
    server.route("POST", "/aas.do", HttpResponse::text("", 200));
    KestrelAnalytics::startSession("KEY");
    settle();
    ASSERT_EQ(server.requestCount(), 2u);
    auto report = decodeBody(server.requests()[1]);
    ASSERT_EQ(report.sessions.size(), 1u);
    EXPECT_EQ(report.sessions[0].events[0].name, "Download DLC");
    EXPECT_TRUE(saved().empty());
}

TEST_F(KestrelUploadTest, WithReportsOnCloseOffTheEndSendsNothingButSaves) {
    server.route("POST", "/aas.do", HttpResponse::text("", 200));
    KestrelAnalytics::setSessionReportsOnCloseEnabled(false);
    KestrelAnalytics::startSession("KEY");
    settle();
    auto sent = server.requestCount();
    KestrelAnalytics::endSession();
    EXPECT_EQ(server.requestCount(), sent);
    EXPECT_EQ(saved().size(), 1u);
}

TEST_F(KestrelUploadTest, TheEndUploadCarriesTheEndedSession) {
    server.route("POST", "/aas.do", HttpResponse::text("", 200));
    KestrelAnalytics::startSession("KEY");
    settle();
    KestrelAnalytics::logEvent("PonyDay_Finish");
    clock->advance(2);
    KestrelAnalytics::endSession();
    ASSERT_EQ(server.requestCount(), 2u);
    auto report = decodeBody(server.requests()[1]);
    ASSERT_EQ(report.sessions.size(), 1u);
    EXPECT_EQ(report.sessions[0].length, 2000);
    EXPECT_EQ(report.sessions[0].events[0].name, "PonyDay_Finish");
    EXPECT_EQ(saved().size(), 1u) << "kept until a start upload succeeds";
}

TEST_F(KestrelUploadTest, AnOlderUndottedFileKeepsBeingUsed) {
    auto dotted = KestrelSession::sessionsFilePath();
    EXPECT_NE(dotted.find("/.kestrelStored"), std::string::npos);
    ASSERT_TRUE(
        foundation::AtomicFile::write(KestrelSession::oldSessionsFilePath(), base::Bytes {}));
    EXPECT_EQ(KestrelSession::sessionsFilePath(), KestrelSession::oldSessionsFilePath());
    KestrelSession::setSavedSessions(records(2));
    EXPECT_EQ(saved().size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dotted));
}

TEST_F(KestrelUploadTest, TheStartUploadHandsTheReplyToTheParsersWhenAdsAreOn) {
    test::KestrelAdParser adSpot;
    KestrelSession::setAdSpotAdParser(&adSpot);
    KestrelAnalytics::setAdSpotEnabled(true);
    makeCurrent();
    std::string reply = "\x02\x01" + std::string(10, 'x');
    server.route("POST", "/aas.do", HttpResponse::text(reply, 200));
    KestrelSession::sendSessionsToServerForAdLoop();
    ASSERT_EQ(adSpot.calls.size(), 1u);
    EXPECT_EQ(adSpot.calls[0].bufferLength, 12u);
    EXPECT_EQ(adSpot.delegateCalls, std::vector<std::string>({"dataAvailable"}));
}

// ---- the hand-off

struct HandOffCase {
    char const* name;
    std::vector<std::uint8_t> reply;
    bool adLoop;
    bool video;
    bool adSpot;
    bool registerParsers;
    std::size_t consume;
    std::size_t adLoopCalls;
    std::size_t videoCalls;
    std::size_t adSpotCalls;
};

class KestrelHandOffTest : public test::AgentTest,
                           public ::testing::WithParamInterface<HandOffCase> { };

std::vector<std::uint8_t> blocks(std::initializer_list<std::uint16_t> tags, std::size_t each) {
    std::vector<std::uint8_t> bytes;
    for (auto tag : tags) {
        bytes.push_back(std::uint8_t(tag >> 8));
        bytes.push_back(std::uint8_t(tag));
        bytes.insert(bytes.end(), each - 2, 0xAA);
    }
    return bytes;
}

TEST_P(KestrelHandOffTest, TheHandOffStopsWhereItMust) {
    auto const& c = GetParam();
    test::KestrelAdParser adLoop;
    test::KestrelAdParser video;
    test::KestrelAdParser adSpot;
    adLoop.consume = video.consume = adSpot.consume = c.consume;
    if (c.registerParsers) {
        KestrelSession::setAdLoopAdParser(&adLoop);
        KestrelSession::setVideoAdParser(&video);
        KestrelSession::setAdSpotAdParser(&adSpot);
    }
    KestrelAnalytics::setAdLoopEnabled(c.adLoop);
    KestrelAnalytics::setVideoAdsEnabled(c.video);
    KestrelAnalytics::setAdSpotEnabled(c.adSpot);
    base::Bytes reply(c.reply.begin(), c.reply.end());
    KestrelSession::handOffToParsers(reply);
    EXPECT_EQ(adLoop.calls.size(), c.adLoopCalls);
    EXPECT_EQ(video.calls.size(), c.videoCalls);
    EXPECT_EQ(adSpot.calls.size(), c.adSpotCalls);
    for (auto const& call : adSpot.calls) {
        EXPECT_GE(call.data, reply.data());
        EXPECT_LE(call.data + call.bufferLength, reply.data() + reply.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, KestrelHandOffTest,
    ::testing::Values(HandOffCase {"OneByteHasNoTag", {0x02}, true, true, true, true, 12, 0, 0, 0},
        HandOffCase {
            "UnknownTagStops", blocks({0x0333, 0x0201}, 12), true, true, true, true, 12, 0, 0, 0},
        HandOffCase {"AdSpotBlocksOneAfterTheOther", blocks({0x0201, 0x0201}, 12), false, false,
            true, true, 12, 0, 0, 2},
        HandOffCase {"AppCircleBlockDisabledConsumesNothing", blocks({0x0102}, 12), false, false,
            true, true, 12, 0, 0, 0},
        HandOffCase {"ParserConsumingNothingStops", blocks({0x0201, 0x0201}, 12), false, false,
            true, true, 0, 0, 0, 1},
        HandOffCase {
            "MissingParserStops", blocks({0x0201}, 12), false, false, true, false, 12, 0, 0, 0},
        HandOffCase {
            "ShortBlockParsesNothing", blocks({0x0201}, 8), false, false, true, true, 12, 0, 0, 1},
        HandOffCase {"AppCircleThenAppSpot", blocks({0x0102, 0x0201}, 12), true, false, true, true,
            12, 1, 0, 1},
        HandOffCase {"AppCircleAndVideoReadFromTheStart", blocks({0x0102}, 12), true, true, false,
            true, 12, 1, 1, 0}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

TEST_F(KestrelUploadTest, AParserAnsweringOutsideTheReplyStopsTheHandOff) {
    test::KestrelAdParser adSpot;
    base::Bytes reply = blocks({0x0201, 0x0201}, 12);
    static std::uint8_t elsewhere[4];
    adSpot.answer = elsewhere;
    KestrelSession::setAdSpotAdParser(&adSpot);
    KestrelAnalytics::setAdSpotEnabled(true);
    KestrelSession::handOffToParsers(reply);
    EXPECT_EQ(adSpot.calls.size(), 1u);
}

// ---- ad-state callbacks

TEST_F(KestrelUploadTest, AFailedCallbackIsRetriedUntilItsFifthFailure) {
    server.route("GET", "/state", HttpResponse::text("", 500));
    KestrelAnalytics::setDebugLogEnabled(true);
    test::LogCapture captured;
    auto entry = base::Dictionary::create({{"url", server.url("/state")}, {"attempts", 3}});
    KestrelSession::sendAdStateCompleted(base::Value(entry), false);
    auto list = KestrelSession::savedAdStateCallbacks();
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ(list->at(0).dictionary()->objectForKey("attempts").intValue(), 4);

    KestrelSession::sendSavedAdStateCallbacks();
    EXPECT_TRUE(KestrelSession::savedAdStateCallbacks()->empty());
    EXPECT_TRUE(captured.contains("Exceeded number of attempts for callback["));
    EXPECT_TRUE(captured.contains("Discarded Items count[1]"));
}

TEST_F(KestrelUploadTest, SavedCallbacksGoFiveAtATimeAndSucceededOnesLeave) {
    server.route("GET", "/state", HttpResponse::text("", 200));
    for (int i = 0; i < 7; ++i) {
        KestrelSession::addToSavedAdStateCallbacks(base::Value(base::Dictionary::create(
            {{"url", server.url("/state") + "?n=" + std::to_string(i)}, {"attempts", 0}})));
    }
    KestrelSession::sendSavedAdStateCallbacks();
    EXPECT_EQ(server.requestCount(), 5u);
    EXPECT_EQ(KestrelSession::savedAdStateCallbacks()->size(), 2u);
    KestrelSession::resetClassState();
    KestrelSession::setSessionKey("KEY");
    EXPECT_EQ(KestrelSession::savedAdStateCallbacks()->size(), 2u) << "the list was archived";
}

TEST_F(KestrelUploadTest, AtMostAHundredCallbacksAreKept) {
    for (int i = 0; i < 105; ++i) {
        KestrelSession::addToSavedAdStateCallbacks(
            base::Value(base::Dictionary::create({{"url", std::to_string(i)}, {"attempts", 0}})));
    }
    auto list = KestrelSession::savedAdStateCallbacks();
    ASSERT_EQ(list->size(), 100u);
    EXPECT_EQ(list->at(0).dictionary()->objectForKey("url").stringValue(), "5");
}

}
