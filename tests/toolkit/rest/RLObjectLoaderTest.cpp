// Object loaders through the shared queue against loopback servers that serve the
// fixtures in data/rest.

#include "ObjectLoaderFixture.hpp"

#include <toolkit/rest/RLError.hpp>

#include <foundation/Perform.hpp>

#include <support/LogCapture.hpp>

using namespace toolkit::rest;
using test::Address;
using test::Booking;
using test::HttpResponse;
using test::LoopbackServer;
using test::ObjectLog;
using test::Owner;
using test::Pet;
using test::restFixture;

namespace {

class RLObjectLoaderTest : public test::ObjectLoaderTest { };

using Events = std::vector<std::string>;

// A loader that stores what it maps, as the managed-object loader does, in a store
// that refuses every save.
class RefusingStoreLoader final : public RLObjectLoader {
protected:
    void processLoadModelsInBackground(RLResponse& response) override {
        mappedOnMainThread = foundation::Thread::isMainThread();
        mapped = mapObjectsFromResponse(response).size();
        foundation::performOnMainThread(
            [this] {
                informDelegateOfSaveError(foundation::URLError::withDomain(
                    "NSCocoaErrorDomain", 1570, "The store refused the objects."));
            },
            true);
    }

public:
    std::atomic<bool> mappedOnMainThread {true};
    std::atomic<std::size_t> mapped {0};

private:
    friend base::Factory;
    using RLObjectLoader::RLObjectLoader;
};

// 2011-03-04 in seconds since 2001-01-01 00:00:00 GMT.
constexpr double March4th2011 = 320889600;

Owner& owner(base::Ref<RLObject> const& object) {
    return static_cast<Owner&>(*object);
}

}

TEST_F(RLObjectLoaderTest, MapsASuccessfulReplyOffTheMainThreadAndDeliversTheObjectsOnIt) {
    LoopbackServer server;
    server.route("GET", "/bookings/5", json(R"({"booking":{"id":5,"name":"Spa day"}})"));
    auto manager = ownerManager(server);
    ObjectLog log;
    record(log);
    auto loader = manager->loadObjectsAtResourcePath("/bookings/5", &log);
    ASSERT_TRUE(runUntil([&] { return log.ended(); }));
    // A single object comes as a one-element list; no did-load notification.
    EXPECT_EQ(log.events, (Events {"load 200", "objects 1", "received"}));
    EXPECT_FALSE(log.offMainThread);
    ASSERT_EQ(log.objects.size(), 1u);
    auto& booking = static_cast<Booking&>(*log.objects[0]);
    EXPECT_EQ(booking.value("name"), "Spa day");
    EXPECT_EQ(booking.nameWrittenOnMainThread, 0);
    EXPECT_TRUE(loader->isLoaded());
    EXPECT_FALSE(loader->isLoading());
    EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
    EXPECT_EQ(RLRequestQueue::sharedQueue().loadingCount(), 0u);
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].headers.get("Accept"), "application/json");
}

TEST_F(RLObjectLoaderTest, ConvertsTheValuesAndRelationshipsOfAServedFixture) {
    LoopbackServer server;
    server.route("GET", "/owners/7", json(restFixture("owner.json")));
    auto manager = ownerManager(server);
    manager->mapper().setLocalTimeZone(foundation::TimeZone::utc());
    ObjectLog log;
    manager->loadObjectsAtResourcePath("/owners/7", &log);
    ASSERT_TRUE(runUntil([&] { return !log.objects.empty(); }));
    auto& ann = owner(log.objects[0]);
    struct Case {
        char const* property;
        base::Value expected;
    };
    Case const cases[] = {
        {"ownerID", 7},
        {"name", "Ann"},
        {"visits", 42.5},
        {"balance", base::Decimal::fromString("42.5")},
        {"since", base::Date {March4th2011 + 36000}},
        {"homepage", "https://example.com/ann"},
        {"nicknames", base::Array::create({"Annie"})},
        {"note", base::Value()},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.property);
        EXPECT_EQ(ann.value(c.property), c.expected) << ann.value(c.property).description();
        EXPECT_EQ(ann.value(c.property).kind(), c.expected.kind());
    }
    auto address = ann.related("address");
    ASSERT_TRUE(address && address->size() == 1);
    EXPECT_EQ(static_cast<Address&>(*address->front()).value("city"), "Leeds");
    auto pets = ann.related("pets");
    ASSERT_TRUE(pets && pets->size() == 2);
    EXPECT_EQ(static_cast<Pet&>(*(*pets)[0]).value("name"), "Rex");
    EXPECT_EQ(static_cast<Pet&>(*(*pets)[1]).value("species"), "cat");
}

TEST_F(RLObjectLoaderTest, MapsToTheGivenClassAtTheKeyPathWithTheQuery) {
    LoopbackServer server;
    server.route("GET", "/owners", json(restFixture("owners.json")));
    auto manager = ownerManager(server);
    manager->mapper().setLocalTimeZone(foundation::TimeZone::utc());
    ObjectLog log;
    auto query = base::Dictionary::create();
    query->setObject("town", "Leeds");
    auto loader = manager->objectLoaderWithResourcePath(
        RLResourcePathWithQueryParams("/owners", *query), &log);
    loader->setObjectClass(&Owner::describedClass());
    loader->setKeyPath("data.owners");
    loader->send();
    ASSERT_TRUE(runUntil([&] { return !log.events.empty() && log.events.back() == "objects 2"; }));
    EXPECT_EQ(owner(log.objects[0]).value("since"), base::Date {March4th2011});
    EXPECT_EQ(owner(log.objects[0]).value("visits"), true);
    EXPECT_EQ(owner(log.objects[1]).value("visits"), false);
    EXPECT_EQ(owner(log.objects[1]).value("name"), "Bea");
    EXPECT_EQ(server.requests().at(0).query, "town=Leeds");

    // The loading calls with a class send at once, with the query in the path.
    ObjectLog second;
    manager->loadObjectsAtResourcePath("/owners", *query, Owner::describedClass(), &second);
    ASSERT_TRUE(
        runUntil([&] { return !second.events.empty() && second.events.back() == "objects 1"; }));
    // The payload's one dictionary has no registered element, so the whole of it is
    // mapped into the class.
    EXPECT_EQ(owner(second.objects[0]).value("name"), base::Value());
    EXPECT_EQ(server.requests().at(1).target, "/owners?town=Leeds");
}

TEST_F(RLObjectLoaderTest, APayloadThatMapsToNothingIsDeliveredAsAnEmptyList) {
    LoopbackServer server;
    server.route("GET", "/nobody", json(R"({"nobody":{"name":"Ann"}})"));
    auto manager = ownerManager(server);
    ObjectLog log;
    record(log);
    manager->loadObjectsAtResourcePath("/nobody", &log);
    ASSERT_TRUE(runUntil([&] { return log.ended(); }));
    EXPECT_EQ(log.events, (Events {"load 200", "objects 0", "received"}));
}

TEST_F(RLObjectLoaderTest, RepliesThatAreNotMappedEndWithTheirOwnCallsAndTheFailureNotification) {
    struct Case {
        char const* name;
        HttpResponse reply;
        std::int32_t format;
        Events events;
        char const* logLine;
    };
    Case const cases[] = {
        {"a JSON reply as HTML", HttpResponse::text(restFixture("owner.json"), 200, "text/html"), 1,
            {"load 200", "unexpected", "failed"},
            "Encountered unexpected response code: 200 (MIME Type: text/html)"},
        {"a redirection status", json("{}", 300), 1, {"load 300", "unexpected", "failed"},
            "Encountered unexpected response code: 300 (MIME Type: application/json)"},
        {"a format with no payload type", json(restFixture("owner.json")), 2,
            {"load 200", "unexpected", "failed"},
            "Encountered unexpected response code: 200 (MIME Type: application/json)"},
        {"an XML manager and a JSON reply", json(restFixture("owner.json")), 0,
            {"load 200", "unexpected", "failed"},
            "Encountered unexpected response code: 200 (MIME Type: application/json)"},
        {"a 503 page", HttpResponse::text(restFixture("unavailable.html"), 503, "text/html"), 1,
            {"load 503", "unavailable", "unexpected", "failed"}, nullptr},
        {"a 404 page", HttpResponse::text("missing", 404, "text/html"), 1,
            {"load 404", "unexpected", "failed"}, nullptr},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        server.route("GET", "/owners/7", c.reply);
        auto manager = ownerManager(server);
        manager->setFormat(c.format);
        ObjectLog log;
        record(log);
        test::LogCapture lines;
        auto loader = manager->loadObjectsAtResourcePath("/owners/7", &log);
        ASSERT_TRUE(runUntil([&] { return log.ended(); }));
        EXPECT_EQ(log.events, c.events);
        if (c.logLine) {
            EXPECT_TRUE(lines.contains(c.logLine));
        }
        EXPECT_FALSE(loader->isLoaded());
        EXPECT_FALSE(loader->isLoading());
        EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
        tokens.clear();
        RLObjectManager::setSharedManager(nullptr);
        RLClient::setSharedClient(nullptr);
    }
}

TEST_F(RLObjectLoaderTest, AJSONErrorReplyGivesTheJoinedMessagesAsAnError) {
    struct Case {
        char const* name;
        std::int32_t format;
        char const* description;
    };
    Case const cases[] = {
        {"JSON manager", 1, "a, b"},
        // A mapper with no parser for its format still reports the error reply.
        {"XML manager", 0,
            "Unable to find an appropriate parser.: The object mapper attempted "
            "to process a payload via the 'RLXMLParser' parser, but it was not "
            "found."},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        server.route("POST", "/owners", json(restFixture("errors.json"), 422));
        auto manager = ownerManager(server);
        manager->setFormat(c.format);
        ObjectLog log;
        record(log);
        manager->loadObjectsAtResourcePathAsPost("/owners", Owner::describedClass(), &log);
        ASSERT_TRUE(runUntil([&] { return log.ended(); }));
        EXPECT_EQ(log.events, (Events {"load 422", "error 1", "failed"}));
        EXPECT_EQ(log.error.domain, RLRestKitErrorDomain);
        EXPECT_EQ(log.error.localizedDescription, c.description);
        EXPECT_EQ(server.requests().at(0).method, "POST");
        EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
        tokens.clear();
        RLObjectManager::setSharedManager(nullptr);
        RLClient::setSharedClient(nullptr);
    }
}

TEST_F(RLObjectLoaderTest, AMappingFailureOnTheWorkerReachesTheDelegateAsAnErrorAndFreesTheSlot) {
    struct Case {
        char const* name;
        std::string body;
        std::string keyPath;
        bool withTarget;
        char const* failure;
    };
    Case const cases[] = {
        {"a number for a string property", restFixture("bad-name.json"), "", false,
            "NoElementValueConversionMethod: Don't know how to convert 42 (NSNumber) to NSString"},
        {"text at the key path", R"({"a":"text"})", "a", false,
            "Unable to map from requested string: The object was deserialized into a NSString."},
        {"an unregistered element", R"([{"stranger":{}}])", "", false,
            "NSInternalInconsistencyException: Unable to perform object mapping without a "
            "destination class"},
        {"a list for a target", "[1]", "", true,
            "Unable to map from requested string: The object was serialized into a NSArray."},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        server.route("GET", "/owners/7", json(c.body));
        auto manager = ownerManager(server);
        ObjectLog log;
        record(log);
        test::LogCapture lines;
        auto loader = manager->objectLoaderWithResourcePath("/owners/7", &log);
        loader->setKeyPath(c.keyPath);
        if (c.withTarget)
            loader->setTargetObject(Owner::create());
        loader->send();
        ASSERT_TRUE(runUntil([&] { return log.ended(); }));
        EXPECT_EQ(log.events, (Events {"load 200", "error 1", "failed"}));
        EXPECT_FALSE(log.offMainThread);
        EXPECT_EQ(log.error.domain, RLRestKitErrorDomain);
        EXPECT_EQ(log.error.localizedDescription.rfind(c.failure, 0), 0u)
            << log.error.localizedDescription;
        EXPECT_TRUE(lines.contains("[RestLink] RLObjectLoader: Failed to map the reply of"));
        EXPECT_FALSE(loader->isLoaded());
        EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
        EXPECT_EQ(RLRequestQueue::sharedQueue().loadingCount(), 0u);
        tokens.clear();
        RLObjectManager::setSharedManager(nullptr);
        RLClient::setSharedClient(nullptr);
    }
}

TEST_F(RLObjectLoaderTest, AFailedConnectionTellsTheRequestThenTheLoaderDelegate) {
    LoopbackServer server;
    server.route("GET", "/drop", HttpResponse::dropped());
    auto manager = ownerManager(server);
    ObjectLog log;
    record(log);
    auto loader = manager->loadObjectsAtResourcePath("/drop", &log);
    ASSERT_TRUE(runUntil([&] { return log.ended(); }));
    ASSERT_EQ(log.events.size(), 3u);
    EXPECT_EQ(log.events[0], "request fail");
    EXPECT_EQ(log.events[1].rfind("error ", 0), 0u);
    EXPECT_EQ(log.events[2], "failed");
    EXPECT_EQ(log.error.domain, foundation::URLError::URLErrorDomain);
    EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
}

TEST_F(RLObjectLoaderTest, LoadersOfEveryEndFreeTheirPlacesForTheNextOnes) {
    LoopbackServer server;
    server.route("GET", "/ok", json(restFixture("owner.json")));
    server.route("GET", "/html", HttpResponse::text("<p>hi</p>", 200, "text/html"));
    server.route("GET", "/invalid", json(restFixture("errors.json"), 422));
    server.route(
        "GET", "/busy", HttpResponse::text(restFixture("unavailable.html"), 503, "text/html"));
    server.route("GET", "/bad", json(restFixture("bad-name.json")));
    auto manager = ownerManager(server);
    char const* const paths[] = {"/ok", "/html", "/invalid", "/busy", "/bad", "/ok", "/bad", "/ok"};
    std::vector<std::unique_ptr<ObjectLog>> logs;
    for (auto const* path : paths) {
        logs.push_back(std::make_unique<ObjectLog>());
        record(*logs.back());
        manager->loadObjectsAtResourcePath(path, logs.back().get());
    }
    // Eight loaders with at most five at a time: the last three start only when
    // earlier ones give up their places.
    EXPECT_EQ(RLRequestQueue::sharedQueue().concurrentRequestsLimit(), 5u);
    ASSERT_TRUE(runUntil([&] {
        return RLRequestQueue::sharedQueue().count() == 0
            && std::all_of(
                logs.begin(), logs.end(), [](auto const& log) { return !log->events.empty(); });
    }));
    EXPECT_EQ(RLRequestQueue::sharedQueue().loadingCount(), 0u);
    EXPECT_EQ(server.requestCount(), 8u);
    ASSERT_TRUE(foundation::Thread::waitForDetachedThreads(10));
    std::size_t delivered = 0;
    for (auto const& log : logs) {
        for (auto const& event : log->events)
            delivered += event == "objects 1" ? 1 : 0;
    }
    EXPECT_EQ(delivered, 3u);
}

TEST_F(RLObjectLoaderTest, ALoaderForAnObjectUpdatesItAsTheTargetWritingOnlyChangedValues) {
    LoopbackServer server;
    server.route(
        "*", "/bookings/5", json(R"({"booking":{"id":5,"name":"Spa day","time":"10:00"}})"));
    auto router = RLDynamicRouter::create();
    router->routeClass(Booking::describedClass(), "/bookings/(bookingID)");
    auto manager = RLObjectManager::objectManagerWithBaseURL(
        server.baseURL(), RLObjectMapper::create(), router);
    manager->registerClass(Booking::describedClass(), "booking");
    auto booking = Booking::create();
    booking->values["bookingID"] = 5;
    booking->values["name"] = "Spa day";

    struct Step {
        char const* method;
        base::Ref<RLObjectLoader> (RLObjectManager::*send)(RLObject&, RLRequestDelegate*);
    };
    Step const steps[]
        = {{"PUT", &RLObjectManager::putObject}, {"GET", &RLObjectManager::getObject},
            {"POST", &RLObjectManager::postObject}, {"DELETE", &RLObjectManager::deleteObject}};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(steps[i].method);
        ObjectLog log;
        auto loader = ((*manager).*steps[i].send)(*booking, &log);
        EXPECT_EQ(loader->targetObject().get(), booking.get());
        EXPECT_EQ(loader->objectClass(), &Booking::describedClass());
        ASSERT_TRUE(
            runUntil([&] { return !log.events.empty() && log.events.back() == "objects 1"; }));
        EXPECT_EQ(log.objects[0].get(), booking.get());
        auto request = server.requests().at(i);
        EXPECT_EQ(request.method, steps[i].method);
        EXPECT_EQ(request.path, "/bookings/5");
        // The router's parameters travel as the body of every method but GET.
        EXPECT_EQ(request.body.find("name=Spa%20day") != std::string::npos
                || request.body.find("name=Spa+day") != std::string::npos,
            std::string(steps[i].method) != "GET")
            << request.body;
        EXPECT_EQ(booking->toldBeforeSending.size(), i + 1);
    }
    EXPECT_EQ(booking->toldBeforeSending, (std::vector<std::int32_t> {2, 0, 1, 3}));
    // The name came back unchanged each time and was never written; the time was
    // written once.
    EXPECT_EQ(booking->writes("name"), 0);
    EXPECT_EQ(booking->writes("time"), 1);
    EXPECT_EQ(booking->value("time"), "10:00");
}

TEST_F(RLObjectLoaderTest, ALoaderOutlivingItsManagerStillMapsItsReply) {
    LoopbackServer server;
    auto gate = std::make_shared<test::Gate>();
    auto reply = json("");
    reply.pieces.clear();
    reply.pieces.push_back({R"({"booking":{"name":"Late"}})", 0, gate});
    server.route("GET", "/late", reply);
    ObjectLog log;
    base::Ref<RLObjectLoader> loader;
    {
        auto manager = ownerManager(server);
        loader = manager->loadObjectsAtResourcePath("/late", &log);
        ASSERT_TRUE(runUntil([&] { return server.requestCount() == 1; }));
        RLObjectManager::setSharedManager(nullptr);
    }
    EXPECT_FALSE(loader->objectManager());
    EXPECT_FALSE(loader->client());
    gate->open();
    ASSERT_TRUE(runUntil([&] { return !log.events.empty() && log.events.back() == "objects 1"; }));
    EXPECT_EQ(static_cast<Booking&>(*log.objects[0]).value("name"), "Late");
}

TEST_F(RLObjectLoaderTest, AnElementAbsentFromTheReplyIsLeftAloneOrClearedByThePolicy) {
    using Policy = RLObjectMapper::MissingElementMappingPolicy;
    struct Case {
        Policy policy;
        base::Value name;
        int nameWrites;
    };
    Case const cases[] = {
        {Policy::IgnoreMissingElement, "Ann", 0},
        {Policy::SetNilForMissingElement, base::Value(), 1},
    };
    LoopbackServer server;
    server.route("GET", "/owners/7", json(restFixture("owner-without-name.json")));
    auto manager = ownerManager(server);
    for (auto const& c : cases) {
        SCOPED_TRACE(int(c.policy));
        manager->mapper().setMissingElementMappingPolicy(c.policy);
        auto ann = Owner::create();
        ann->values["name"] = "Ann";
        ObjectLog log;
        auto loader = manager->objectLoaderWithResourcePath("/owners/7", &log);
        loader->setTargetObject(ann);
        loader->send();
        ASSERT_TRUE(
            runUntil([&] { return !log.events.empty() && log.events.back() == "objects 1"; }));
        EXPECT_EQ(log.objects[0].get(), ann.get());
        EXPECT_EQ(ann->value("name"), c.name);
        EXPECT_EQ(ann->writes("name"), c.nameWrites);
        EXPECT_EQ(ann->value("visits"), 3);
    }
}

TEST_F(RLObjectLoaderTest, AReplyWithTwoRegisteredElementsMapsTheFirstRegisteredWithAWarning) {
    LoopbackServer server;
    server.route("GET", "/both", json(restFixture("owner-and-booking.json")));
    auto manager = ownerManager(server);
    ObjectLog log;
    test::LogCapture lines;
    manager->loadObjectsAtResourcePath("/both", &log);
    ASSERT_TRUE(runUntil([&] { return !log.events.empty() && log.events.back() == "objects 1"; }));
    // "owner" was registered before "booking", though the reply lists it second.
    EXPECT_EQ(log.objects[0]->objectClass().name, "Owner");
    EXPECT_EQ(owner(log.objects[0]).value("name"), "Ann");
    EXPECT_TRUE(lines.contains("WARNING: Multiple mapping targets match in dictionary, using the "
                               "first match: 'owner' => [Owner class]."));
}

TEST_F(RLObjectLoaderTest, AStoringLoaderReportsAFailedSaveAsAnErrorOfTheToolkit) {
    LoopbackServer server;
    server.route("GET", "/owners/7", json(restFixture("owner.json")));
    auto manager = ownerManager(server);
    manager->setObjectStore(test::scratchObjectStore());
    RLObjectLoader::registerLoaderClass("RLManagedObjectLoader",
        [](std::string const& path, RLObjectManager& objectManager, RLRequestDelegate* delegate) {
            auto loader = base::make<RefusingStoreLoader>(
                objectManager.client()->URLForResourcePath(path), objectManager, delegate);
            objectManager.client()->setupRequest(*loader);
            return base::Ref<RLObjectLoader>(loader);
        });
    ObjectLog log;
    record(log);
    test::LogCapture lines;
    auto loader = manager->loadObjectsAtResourcePath("/owners/7", &log);
    RLObjectLoader::registerLoaderClass("RLManagedObjectLoader", nullptr);
    auto* storing = dynamic_cast<RefusingStoreLoader*>(loader.get());
    ASSERT_TRUE(storing);
    ASSERT_TRUE(runUntil([&] { return log.ended(); }));
    EXPECT_EQ(log.events, (Events {"load 200", "error 1", "failed"}));
    EXPECT_FALSE(storing->mappedOnMainThread);
    EXPECT_EQ(storing->mapped, 1u);
    EXPECT_EQ(log.error.domain, RLRestKitErrorDomain);
    EXPECT_EQ(log.error.localizedDescription, "The store refused the objects.");
    EXPECT_TRUE(lines.contains("[RestLink] RLObjectLoader: Error saving managed object context: "
                               "error=The store refused the objects. userInfo="));
    EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
}
