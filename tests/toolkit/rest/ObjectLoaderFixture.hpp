#pragma once

#include "MappingModels.hpp"
#include "RestFixture.hpp"
#include <support/TempDir.hpp>

#include <toolkit/rest/RLManagedObjectStore.hpp>
#include <toolkit/rest/RLObjectLoader.hpp>
#include <toolkit/rest/RLObjectManager.hpp>

#include <foundation/Thread.hpp>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace test {

// The text of a fixture file under data/rest.
inline std::string restFixture(std::string const& name) {
    std::ifstream file(std::string(QUILLABY_TEST_DATA) + "/rest/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Everything an object loader tells, in one log: the delegate's calls ("load 200",
// "request fail", "objects 2", "error 1", "unexpected") and the loader's
// notifications ("received", "failed", "unavailable", "did load"). Delegate calls
// note whether they came on the main thread.
class ObjectLog : public toolkit::rest::RLObjectLoaderDelegate {
public:
    void requestDidLoadResponse(
        toolkit::rest::RLRequest&, toolkit::rest::RLResponse& response) override {
        add("load " + std::to_string(response.statusCode()));
    }
    void requestDidFailLoadWithError(
        toolkit::rest::RLRequest&, foundation::URLError const&) override {
        add("request fail");
    }
    void objectLoaderDidLoadObjects(
        toolkit::rest::RLObjectLoader&, toolkit::rest::RLObjectList const& loaded) override {
        objects = loaded;
        add("objects " + std::to_string(loaded.size()));
    }
    void objectLoaderDidFailWithError(
        toolkit::rest::RLObjectLoader&, foundation::URLError const& failure) override {
        error = failure;
        add("error " + std::to_string(failure.code));
    }
    void objectLoaderDidLoadUnexpectedResponse(toolkit::rest::RLObjectLoader&) override {
        add("unexpected");
    }

    void add(std::string event) {
        if (!foundation::Thread::isMainThread())
            offMainThread = true;
        events.push_back(std::move(event));
    }
    bool ended() const {
        return std::any_of(events.begin(), events.end(),
            [](auto const& event) { return event == "received" || event == "failed"; });
    }

    std::vector<std::string> events;
    toolkit::rest::RLObjectList objects;
    foundation::URLError error;
    bool offMainThread {false};
};

// A booking: a model whose loader tells it before sending, and which notes on which
// thread its name was last written.
class Booking final : public DescribedModel<Booking> {
public:
    static toolkit::rest::RLObjectClass describe() {
        using toolkit::rest::RLPropertyKind;
        toolkit::rest::RLObjectClass made;
        made.name = "Booking";
        auto name = modelProperty("name", RLPropertyKind::String);
        name.set = [set = name.set](toolkit::rest::RLObject& object, base::Value const& value) {
            static_cast<Booking&>(object).nameWrittenOnMainThread
                = foundation::Thread::isMainThread() ? 1 : 0;
            set(object, value);
        };
        made.properties = {modelProperty("bookingID", RLPropertyKind::Number), std::move(name),
            modelProperty("time", RLPropertyKind::String)};
        made.elementToPropertyMappings
            = toolkit::rest::RLMappings {{"id", "bookingID"}, {"name", "name"}, {"time", "time"}};
        return made;
    }

    void willSendWithObjectLoader(toolkit::rest::RLObjectLoader& loader) override {
        toldBeforeSending.push_back(loader.method());
    }

    std::vector<std::int32_t> toldBeforeSending;
    // -1 until the name is written, then 1 on the main thread and 0 elsewhere.
    std::atomic<int> nameWrittenOnMainThread {-1};

private:
    friend base::Factory;
    Booking() = default;
};

// An empty object store in a folder that lasts as long as the test program, for
// managers that only need to have one.
inline base::Ref<toolkit::rest::RLManagedObjectStore> scratchObjectStore() {
    static TempDir folder;
    static int made = 0;
    return toolkit::rest::RLManagedObjectStore::objectStoreWithStoreFilename(
        "scratch" + std::to_string(++made) + ".sqlite", folder.path().string(), std::nullopt, {});
}

// A loader test: the REST fixture, with the loader's notifications recorded into a log,
// the shared manager dropped, and every mapping thread finished before the next test.
class ObjectLoaderTest : public RestTest {
protected:
    ObjectLoaderTest() { toolkit::rest::RLObjectManager::setSharedManager(nullptr); }
    ~ObjectLoaderTest() override {
        // The test's observers go first: what the loop still runs must not reach them.
        tokens.clear();
        EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(10));
        loop().runFor(0);
        toolkit::rest::RLObjectManager::setSharedManager(nullptr);
    }

    void record(ObjectLog& log) {
        using namespace toolkit::rest;
        std::pair<char const*, char const*> const names[] = {
            {RLResponseReceivedNotification, "received"},
            {RLRequestFailedWithErrorNotification, "failed"},
            {RLServiceDidBecomeUnavailableNotification, "unavailable"},
            {RLRequestDidLoadResponseNotification, "did load"},
        };
        for (auto [name, event] : names) {
            tokens.push_back(foundation::NotificationCenter::defaultCenter().observe(
                name, [&log, event](auto const&) { log.add(event); }));
        }
    }

    // A manager for the server with the owner model's elements registered.
    static base::Ref<toolkit::rest::RLObjectManager> ownerManager(LoopbackServer const& server) {
        auto manager = toolkit::rest::RLObjectManager::objectManagerWithBaseURL(server.baseURL());
        manager->registerClass(Owner::describedClass(), "owner");
        manager->registerClass(Pet::describedClass(), "pets");
        manager->registerClass(Address::describedClass(), "address");
        manager->registerClass(Booking::describedClass(), "booking");
        return manager;
    }

    static HttpResponse json(std::string body, int status = 200) {
        return HttpResponse::text(std::move(body), status, "application/json");
    }
};

}
