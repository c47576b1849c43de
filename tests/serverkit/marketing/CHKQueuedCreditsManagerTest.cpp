// Unread credits from the stand-in marketing service.

#include "MarketingFixture.hpp"

#include <toolkit/rest/RLObject.hpp>

using serverkit::CHKQueuedCredits;
using serverkit::CHKQueuedCreditsManager;
using test::HttpResponse;
using test::LoopbackServer;

namespace {

// Keeps what the credits manager tells.
class CreditsLog : public serverkit::CHKQueuedCreditsDelegate {
public:
    void didLoadObjects(std::vector<base::Ref<CHKQueuedCredits>> const& credits) override {
        loads.push_back(credits);
    }
    void didFailWithError(foundation::URLError const& error) override { errors.push_back(error); }

    std::size_t answers() const { return loads.size() + errors.size(); }

    std::vector<std::vector<base::Ref<CHKQueuedCredits>>> loads;
    std::vector<foundation::URLError> errors;
};

class CHKQueuedCreditsManagerTest : public test::MarketingTest {
protected:
    CHKQueuedCreditsManagerTest() { manager().setDelegate(&log); }

    static CHKQueuedCreditsManager& manager() { return CHKQueuedCreditsManager::sharedManager(); }

    void answer(std::string body, std::string contentType = "application/json") {
        service.route("POST", unreadPath(),
            LoopbackServer::basicAuth("tessaline", "quilterBanjoes47",
                HttpResponse::text(std::move(body), 200, std::move(contentType))));
    }
    // One fetch, to its answer (or, for a dropped reply, to its end).
    void fetch() {
        manager().requestUnreadCredits();
        ASSERT_TRUE(settle());
        foundation::RunLoop::main().runPending();
    }

    CreditsLog log;
};

std::string const twoCredits
    = R"([{"id":7,"credits":10,"reason":"Welcome","timePosted":1300000000},)"
      R"({"id":8,"credits":25,"reason":"Thanks","timePosted":1300000100}])";

}

TEST_F(CHKQueuedCreditsManagerTest, CreditsArriveInOrderAndTheSameReplyLaterCreditsNothing) {
    answer(twoCredits);
    fetch();
    ASSERT_EQ(log.loads.size(), 1u);
    auto const& credits = log.loads[0];
    ASSERT_EQ(credits.size(), 2u);
    EXPECT_EQ(
        credits[0]->description(), "identifier=7, value=10, reason=Welcome, timePosted=1300000000");
    EXPECT_EQ(credits[1]->identifier(), 8u);
    EXPECT_EQ(credits[1]->value(), 25u);
    EXPECT_EQ(credits[1]->reason(), "Thanks");
    auto requests = service.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().method, "POST");
    EXPECT_TRUE(requests.back().body.empty());

    // The service lists them again: the next activation credits nothing.
    fetch();
    ASSERT_EQ(log.loads.size(), 2u);
    EXPECT_TRUE(log.loads[1].empty());

    // Nor does the next run; a new id beside an old one comes alone.
    relaunch();
    manager().setDelegate(&log);
    answer(R"([{"id":8,"credits":25,"reason":"Thanks"},{"id":9,"credits":5,"reason":"Bonus"}])");
    fetch();
    ASSERT_EQ(log.loads.size(), 3u);
    ASSERT_EQ(log.loads[2].size(), 1u);
    EXPECT_EQ(log.loads[2][0]->identifier(), 9u);
}

TEST_F(CHKQueuedCreditsManagerTest, MissingFieldsReadAsNothingAndAnEmptyListIsDelivered) {
    answer(R"([{"id":1,"credits":3},{"id":2,"reason":"r"},{"id":-4,"credits":"12"},"odd"])");
    fetch();
    ASSERT_EQ(log.loads.size(), 1u);
    auto const& credits = log.loads[0];
    ASSERT_EQ(credits.size(), 3u) << "an element that is not an object was taken";
    EXPECT_FALSE(credits[0]->reason());
    EXPECT_EQ(credits[0]->description(), "identifier=1, value=3, reason=(null), timePosted=0");
    EXPECT_EQ(credits[1]->value(), 0u);
    EXPECT_EQ(credits[2]->identifier(), 0u);
    EXPECT_EQ(credits[2]->value(), 0u);

    answer("[]");
    fetch();
    ASSERT_EQ(log.loads.size(), 2u);
    EXPECT_TRUE(log.loads[1].empty());
}

TEST_F(CHKQueuedCreditsManagerTest, RepliesThatAreNotAListOfCredits) {
    struct Case {
        char const* name;
        char const* body;
        char const* type;
        std::size_t loads;
        std::size_t errors;
    };
    Case const cases[] = {
        {"not JSON, dropped", R"([{"id":1,"credits":3}])", "text/html", 0, 0},
        {"no content type, dropped", R"([{"id":1,"credits":3}])", "", 0, 0},
        {"text that does not decode", "[{", "application/json", 1, 0},
        {"an error object", R"({"error":"unknown device"})", "application/json; charset=utf-8", 0,
            1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        log = CreditsLog();
        answer(c.body, c.type);
        fetch();
        EXPECT_EQ(log.loads.size(), c.loads);
        EXPECT_EQ(log.errors.size(), c.errors);
        for (auto const& load : log.loads)
            EXPECT_TRUE(load.empty());
    }
}

TEST_F(CHKQueuedCreditsManagerTest, AFailureReachesTheDelegateAndNoServiceSendsNothing) {
    service.route("POST", unreadPath(), HttpResponse::dropped());
    fetch();
    EXPECT_TRUE(log.loads.empty());
    EXPECT_EQ(log.errors.size(), 1u);

    service.clearRequests();
    serverkit::CHKManager::sharedManager().setApiBaseUrl("");
    manager().requestUnreadCredits();
    EXPECT_EQ(log.errors.size(), 2u);
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(service.requestCount(), 0u);

    // Without a delegate nothing is told.
    manager().setDelegate(nullptr);
    manager().requestUnreadCredits();
    EXPECT_EQ(log.errors.size(), 2u);
}

TEST(CHKQueuedCredits, MapsThePayloadKeysToItsFields) {
    auto const& described = CHKQueuedCredits::describedClass();
    ASSERT_TRUE(described.elementToPropertyMappings);
    EXPECT_EQ(*described.elementToPropertyMappings,
        toolkit::rest::RLMappings({{"id", "identifier_"}, {"credits", "value_"},
            {"reason", "reason_"}, {"timePosted", "timePosted_"}}));
    auto credit = CHKQueuedCredits::create();
    credit->setIdentifier(5);
    credit->setValue(12);
    credit->setReason("why");
    auto properties = credit->propertiesForSerialization();
    EXPECT_EQ(properties->objectForKey("id").unsignedLongLongValue(), 5u);
    EXPECT_EQ(properties->objectForKey("credits").unsignedLongLongValue(), 12u);
    EXPECT_EQ(properties->objectForKey("reason").stringValue(), "why");
    credit->setValueForKey(base::Value(std::uint64_t(99)), "timePosted_");
    EXPECT_EQ(credit->timePosted(), 99u);
}
