// The object manager: its shared slot, format, online state and the loaders it makes.

#include "ObjectLoaderFixture.hpp"

#include <toolkit/rest/RLParams.hpp>

#include <foundation/Reachability.hpp>

using namespace toolkit::rest;
using test::Booking;
using test::ObjectLog;

namespace {

class RLObjectManagerTest : public test::ObjectLoaderTest { };

// Stands in for the loader of managed objects, which registers under its name.
class FakeManagedObjectLoader final : public RLObjectLoader {
private:
    friend base::Factory;
    using RLObjectLoader::RLObjectLoader;
};

}

TEST_F(RLObjectManagerTest, TheFirstManagerMadeFromABaseURLIsSharedUntilReplaced) {
    auto first = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:9");
    auto second = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:10");
    EXPECT_EQ(RLObjectManager::sharedManager(), first);
    RLObjectManager::setGlobalManager(second);
    EXPECT_EQ(RLObjectManager::sharedManager(), second);
    EXPECT_EQ(RLObjectManager::globalManager(), second);
    RLObjectManager::setSharedManager(nullptr);
    EXPECT_FALSE(RLObjectManager::globalManager());
}

TEST_F(RLObjectManagerTest, StartsWithAClientJSONADynamicRouterAndNoStoreOffline) {
    auto mapper = RLObjectMapper::create();
    mapper->setFormat(0);
    auto manager = RLObjectManager::objectManagerWithBaseURL(
        "http://127.0.0.1:9/api", mapper, RLRailsRouter::create());
    EXPECT_EQ(&manager->mapper(), mapper.get());
    EXPECT_EQ(manager->client()->baseURL(), "http://127.0.0.1:9/api");
    EXPECT_EQ(manager->format(), 1);
    EXPECT_EQ(mapper->format(), 1);
    EXPECT_EQ(manager->client()->HTTPHeaders()->objectForKey("Accept"), "application/json");
    EXPECT_TRUE(dynamic_cast<RLRailsRouter*>(manager->router().get()));
    EXPECT_FALSE(manager->objectStore());
    EXPECT_EQ(manager->onlineState(), RLObjectManager::RLObjectManagerOnlineStateUndetermined);
    EXPECT_TRUE(manager->isOffline());
    EXPECT_FALSE(manager->isOnline());

    auto plain = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:9");
    EXPECT_TRUE(dynamic_cast<RLDynamicRouter*>(plain->router().get()));
    EXPECT_NE(&plain->mapper(), mapper.get());
}

TEST_F(RLObjectManagerTest, TheFormatReachesTheMapperAndSetsAcceptOnlyForXMLAndJSON) {
    struct Case {
        std::int32_t format;
        char const* accept;
    };
    Case const cases[] = {
        {0, "application/xml"},
        {2, "application/xml"},
        {1, "application/json"},
        {-1, "application/json"},
    };
    auto manager = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:9");
    for (auto const& c : cases) {
        SCOPED_TRACE(c.format);
        manager->setFormat(c.format);
        EXPECT_EQ(manager->format(), c.format);
        EXPECT_EQ(manager->mapper().format(), c.format);
        EXPECT_EQ(manager->client()->HTTPHeaders()->objectForKey("Accept"), c.accept);
    }
}

TEST_F(RLObjectManagerTest, EveryReachabilityReportSetsTheStateAndPostsTheMode) {
    auto manager = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:9");
    auto hostless = RLObjectManager::objectManagerWithBaseURL("not a url");
    std::vector<std::string> posted;
    for (auto name : {RLDidEnterOnlineModeNotification, RLDidEnterOfflineModeNotification}) {
        tokens.push_back(foundation::NotificationCenter::defaultCenter().observe(
            name, [&posted, name, &manager](auto const& notification) {
                posted.push_back(
                    std::string(notification.object() == manager.get() ? "" : "other ") + name);
            }));
    }
    using Status = foundation::Reachability::NetworkStatus;
    struct Step {
        Status status;
        std::int32_t state;
    };
    Step const steps[] = {
        {Status::ReachableViaWiFi, RLObjectManager::RLObjectManagerOnlineStateConnected},
        {Status::ReachableViaWiFi, RLObjectManager::RLObjectManagerOnlineStateConnected},
        {Status::NotReachable, RLObjectManager::RLObjectManagerOnlineStateDisconnected},
    };
    for (auto const& step : steps) {
        posted.clear();
        foundation::Reachability::setForcedStatus(step.status);
        foundation::NotificationCenter::defaultCenter().postNotification(
            RLReachabilityStateChangedNotification,
            manager->client()->baseURLReachabilityObserver().get());
        EXPECT_EQ(manager->onlineState(), step.state);
        EXPECT_EQ(manager->isOnline(), step.status != Status::NotReachable);
        EXPECT_EQ(manager->isOffline(), step.status == Status::NotReachable);
        // Each manager hears every report; one whose base URL has no host is offline.
        bool online = step.status != Status::NotReachable;
        EXPECT_EQ(posted,
            (std::vector<std::string> {
                online ? RLDidEnterOnlineModeNotification : RLDidEnterOfflineModeNotification,
                std::string("other ") + RLDidEnterOfflineModeNotification}));
        EXPECT_EQ(hostless->onlineState(), RLObjectManager::RLObjectManagerOnlineStateDisconnected);
    }
}

TEST_F(RLObjectManagerTest, MakesTheManagedObjectLoaderOnlyWhenItIsRegisteredAndThereIsAStore) {
    auto manager = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:9");
    auto isManaged = [&] {
        auto loader = manager->objectLoaderWithResourcePath("/items", nullptr);
        return dynamic_cast<FakeManagedObjectLoader*>(loader.get()) != nullptr;
    };
    EXPECT_FALSE(isManaged());
    manager->setObjectStore(test::scratchObjectStore());
    EXPECT_FALSE(isManaged());
    RLObjectLoader::registerLoaderClass("RLManagedObjectLoader",
        [](std::string const& path, RLObjectManager& objectManager, RLRequestDelegate* delegate) {
            auto const& client = objectManager.client();
            return base::Ref<RLObjectLoader>(base::make<FakeManagedObjectLoader>(
                client->URLForResourcePath(path), objectManager, delegate));
        });
    EXPECT_TRUE(isManaged());
    manager->setObjectStore(nullptr);
    EXPECT_FALSE(isManaged());
    RLObjectLoader::registerLoaderClass("RLManagedObjectLoader", nullptr);
    EXPECT_FALSE(RLObjectLoader::loaderClassNamed("RLManagedObjectLoader"));
}

TEST_F(RLObjectManagerTest, ALoaderTakesItsURLHeadersAndCredentialsFromTheClientAndIsNotSent) {
    auto manager = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:9/api");
    manager->client()->setValue("secret", "X-Token");
    manager->client()->setUsername("tessa");
    manager->client()->setPassword("banjo");
    ObjectLog log;
    auto loader = manager->objectLoaderWithResourcePath("/owners", &log);
    EXPECT_EQ(loader->URL()->absoluteString(), "http://127.0.0.1:9/api/owners");
    EXPECT_EQ(loader->additionalHTTPHeaders()->objectForKey("X-Token"), "secret");
    EXPECT_EQ(loader->additionalHTTPHeaders()->objectForKey("Accept"), "application/json");
    EXPECT_EQ(loader->username(), "tessa");
    EXPECT_EQ(loader->password(), "banjo");
    EXPECT_EQ(loader->delegate(), &log);
    EXPECT_EQ(loader->objectManager(), manager.get());
    EXPECT_EQ(loader->client(), manager->client());
    EXPECT_EQ(&loader->objectMapper(), &manager->mapper());
    EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
}

TEST_F(RLObjectManagerTest, ALoaderForAnObjectTakesTheRoutersPathAndParameters) {
    auto router = RLDynamicRouter::create();
    router->routeClass(Booking::describedClass(), "/bookings/(bookingID)");
    router->routeClass(Booking::describedClass(), "/bookings", RLRequest::POST);
    auto manager = RLObjectManager::objectManagerWithBaseURL(
        "http://127.0.0.1:9", RLObjectMapper::create(), router);
    auto booking = Booking::create();
    booking->values["bookingID"] = 5;
    booking->values["name"] = "Spa day";
    struct Case {
        std::int32_t method;
        char const* path;
        bool hasParams;
    };
    Case const cases[] = {
        {RLRequest::GET, "/bookings/5", false},
        {RLRequest::POST, "/bookings", true},
        {RLRequest::PUT, "/bookings/5", true},
        {RLRequest::DELETE, "/bookings/5", true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.method);
        auto loader = manager->objectLoaderForObject(*booking, c.method, nullptr);
        EXPECT_EQ(loader->method(), c.method);
        EXPECT_EQ(loader->resourcePath(), c.path);
        EXPECT_EQ(bool(loader->params()), c.hasParams);
        EXPECT_EQ(loader->targetObject().get(), booking.get());
        EXPECT_EQ(loader->objectClass(), &Booking::describedClass());
    }
    EXPECT_TRUE(booking->toldBeforeSending.empty());
    EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
}
