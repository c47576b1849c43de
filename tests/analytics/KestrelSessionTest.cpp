// What a session records between its start and its end, and within which limits.
#include "AgentFixture.hpp"

#include <analytics/KestrelProtocolData.hpp>

#include <foundation/DateFormatter.hpp>

using analytics::KestrelAnalytics;
using analytics::KestrelSession;

namespace {

class KestrelSessionTest : public test::AgentTest {
protected:
    KestrelSessionTest() {
        KestrelSession::setSessionKey("KEY");
        session = KestrelSession::initWithAPIKey("KEY", "1.0");
        KestrelSession::setCurrentSession(session);
    }

    static base::Ref<base::Dictionary> parameters(int count) {
        auto made = base::Dictionary::create();
        for (int i = 0; i < count; ++i)
            made->setObject("p" + std::to_string(i), std::to_string(i));
        return made;
    }

    int countOf(std::string const& name) const {
        for (auto const& [counted, count] : session->eventCounts()) {
            if (counted == name)
                return count;
        }
        return 0;
    }

    base::Ref<KestrelSession> session;
};

struct LimitCase {
    char const* name;
    int distinctNamesBefore;
    int eventsBefore;
    int parameterCount;
    bool repeatAnEarlierName;
    // Expected for the last event.
    bool counted;
    bool logged;
    bool complete;
};

class KestrelSessionLimitTest : public KestrelSessionTest,
                                public ::testing::WithParamInterface<LimitCase> { };

TEST_P(KestrelSessionLimitTest, TheLastEventIsCountedAndLoggedAsTheLimitsSay) {
    auto const& c = GetParam();
    for (int i = 0; i < c.distinctNamesBefore; ++i)
        session->recordEvent("name" + std::to_string(i), nullptr);
    for (int i = c.distinctNamesBefore; i < c.eventsBefore; ++i)
        session->recordEvent("name0", nullptr);
    ASSERT_TRUE(session->eventLogComplete());
    auto logged = session->eventLog().size();

    std::string last = c.repeatAnEarlierName ? "name1" : "last";
    int before = countOf(last);
    session->recordEvent(last, c.parameterCount ? parameters(c.parameterCount) : nullptr);

    EXPECT_EQ(countOf(last), before + (c.counted ? 1 : 0));
    EXPECT_EQ(session->eventLog().size(), logged + (c.logged ? 1 : 0));
    EXPECT_EQ(session->eventLogComplete(), c.complete);
}

INSTANTIATE_TEST_SUITE_P(Limits, KestrelSessionLimitTest,
    ::testing::Values(LimitCase {"TenParameters", 0, 0, 10, false, true, true, true},
        LimitCase {"ElevenParameters", 0, 0, 11, false, false, false, false},
        LimitCase {"HundredthName", 99, 99, 0, false, true, true, true},
        LimitCase {"HundredAndFirstName", 100, 100, 0, false, false, false, false},
        LimitCase {"KnownNameAfterAHundred", 100, 100, 0, true, true, true, true},
        LimitCase {"ThousandthEvent", 2, 999, 0, true, true, true, true},
        LimitCase {"ThousandAndFirstEvent", 2, 1000, 0, true, true, false, false}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

TEST_F(KestrelSessionTest, AnEmptyNameIsNotRecorded) {
    session->recordEvent("", nullptr);
    EXPECT_TRUE(session->eventCounts().empty());
    EXPECT_FALSE(session->eventLogComplete());
}

TEST_F(KestrelSessionTest, WithLoggingOffEventsAreCountedButNotLogged) {
    session->setEventLoggingEnabled(false);
    session->recordEvent("Wheel", nullptr);
    EXPECT_EQ(countOf("Wheel"), 1);
    EXPECT_TRUE(session->eventLog().empty());
    EXPECT_FALSE(session->eventLogComplete());
}

TEST_F(KestrelSessionTest, TheEleventhErrorIsCountedButNotKept) {
    for (int i = 0; i < 11; ++i)
        session->recordError("id" + std::to_string(i), std::nullopt, std::nullopt);
    EXPECT_EQ(session->totalErrorCount(), 11);
    auto errors = session->errors();
    ASSERT_EQ(errors.size(), 10u);
    EXPECT_EQ(errors[9].errorId, "id9");
    EXPECT_EQ(errors[0].message, "");
    EXPECT_EQ(errors[0].exceptionText, "nil");
}

TEST_F(KestrelSessionTest, TimedEventsEndOnceByNameAndTheSessionClosesTheRest) {
    session->recordEvent("Shop", nullptr, true);
    session->recordEvent("Shop", nullptr, true);
    session->recordEvent("Wheel", nullptr, true);
    session->recordEvent("Plain", nullptr, false);
    clock->advance(2);
    auto changed = parameters(1);
    session->endTimedEvent("Shop", changed);
    auto log = session->eventLog();
    EXPECT_EQ(log[0]->duration(), 2000);
    EXPECT_EQ(log[1]->duration(), 2000);
    EXPECT_EQ(log[1]->parameters()->size(), 1u);
    EXPECT_TRUE(log[2]->isUnterminated());
    EXPECT_EQ(log[2]->duration(), 0) << "an open timed event has no duration yet";

    clock->advance(1);
    session->endTimedEvent("Shop", nullptr);
    EXPECT_EQ(log[0]->duration(), 2000) << "a second end finds nothing open";

    // A pause closes the open one at the pause; a later end moves it there.
    session->pauseSession();
    session->endSessionAndSend(false, false);
    EXPECT_TRUE(log[2]->automaticallyEnded());
    EXPECT_EQ(log[2]->duration(), 3000);
    EXPECT_FALSE(log[0]->automaticallyEnded());
    EXPECT_EQ(log[3]->duration(), 0) << "an untimed event has no duration";
    clock->advance(4);
    session->resumeSession();
    session->endSessionAndSend(false, false);
    EXPECT_EQ(log[2]->duration(), 7000);
    EXPECT_EQ(log[0]->duration(), 2000);
}

TEST_F(KestrelSessionTest, LocationKeepsThreeDecimalsOfTheMeanAccuracy) {
    session->setLatitude(48.8566, 2.3522, -10.12345f, 20.0f);
    EXPECT_EQ(session->latitude(), 48.8566);
    EXPECT_EQ(session->longitude(), 2.3522);
    EXPECT_FLOAT_EQ(session->accuracy(), 15.061f);
    session->setLatitude(0, 0, 1e30f, 1e30f);
    EXPECT_EQ(session->accuracy(), 0.0f) << "no integer overflow on absurd accuracies";
}

TEST_F(KestrelSessionTest, GenderIsCaseSensitive) {
    struct Case {
        std::optional<std::string> given;
        int gender;
    };
    for (auto const& c :
        {Case {"m", 1}, Case {"f", 0}, Case {"M", -1}, Case {"x", -1}, Case {std::nullopt, -1}}) {
        session->setGender(c.given);
        EXPECT_EQ(session->gender(), c.gender) << c.given.value_or("none");
    }
}

TEST_F(KestrelSessionTest, AgeBecomesTheFirstOfJanuaryOfTheBirthYear) {
    session->setAge(0);
    session->setAge(151);
    EXPECT_FALSE(session->age());
    session->setAge(30);
    ASSERT_TRUE(session->age());
    foundation::DateFormatter format("yyyy-MM-dd HH:mm");
    // The manual clock starts in 2026.
    EXPECT_EQ(format.stringFromDate(*session->age()), "1996-01-01 00:00");
    session->setAge(150);
    EXPECT_EQ(format.stringFromDate(*session->age()), "1876-01-01 00:00");
}

TEST_F(KestrelSessionTest, PageViewsCountWhenMoreThanThreeTenthsOfASecondApart) {
    KestrelSession::resetPageViewTime();
    session->maybeIncrementPageView();
    clock->advance(0.2);
    session->maybeIncrementPageView();
    EXPECT_EQ(session->pageViewCount(), 1) << "0.2 s after the last counted view";
    clock->advance(0.2);
    session->maybeIncrementPageView();
    EXPECT_EQ(session->pageViewCount(), 2) << "0.4 s after the last counted view";
    clock->advance(0.29);
    KestrelAnalytics::logPageView();
    EXPECT_EQ(session->pageViewCount(), 2) << "not the current session's way either";
    clock->advance(0.02);
    KestrelAnalytics::logPageView();
    EXPECT_EQ(session->pageViewCount(), 3);
}

TEST_F(KestrelSessionTest, AdImpressionsWithTheSameBytesReplaceEachOther) {
    session->recordAdImpression({1, 2, 3});
    session->recordAdImpression({4, 5});
    session->recordAdImpression({1, 2, 3});
    EXPECT_EQ(session->adLog(), (std::vector<base::Bytes> {{1, 2, 3}, {4, 5}}));
    for (int i = 0; i < 1100; ++i)
        session->recordAdSpotAdImpression({std::uint8_t(i >> 8), std::uint8_t(i)});
    EXPECT_EQ(session->adSpotAdLog().size(), 1000u);
}

TEST_F(KestrelSessionTest, AnArchivedSessionComesBackWithWhatItRecorded) {
    session->recordEvent("Theme Purchase", parameters(2), true);
    session->recordError("e", "m", std::string("x: y"));
    session->setUserID(std::string("u"));
    session->setAge(20);
    session->setGender(std::string("m"));
    session->recordAdImpression({9, 9});
    session->saveToDisk();
    auto read = foundation::KeyedUnarchiver::unarchiveObjectWithFile<KestrelSession>(
        KestrelSession::currentSessionFilePath());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->data(), session->data());
}

TEST_F(KestrelSessionTest, AnArchiveOfAnotherFormatVersionYieldsNoSession) {
    foundation::KeyedArchiver archiver;
    archiver.encodeInt(2, "serializationVersion");
    archiver.encodeObject(base::Value("KEY"), "apiKey");
    // Not a session at all.
    auto data = archiver.encodedData();
    ASSERT_TRUE(data);
    auto reader = foundation::KeyedUnarchiver::createForReadingWithData(*data);
    ASSERT_TRUE(reader);
    EXPECT_FALSE(KestrelSession::initWithCoder(*reader));
}

}
