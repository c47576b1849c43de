// The installation's registration with the stand-in marketing service.

#include "MarketingFixture.hpp"

#include <serverkit/marketing/CHKEventLogManager.hpp>
#include <serverkit/marketing/CHKObject.hpp>
#include <serverkit/marketing/RestApplication.hpp>

#include <foundation/Base64.hpp>
#include <foundation/Thread.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>

#include <thread>

using serverkit::CHKManager;
using test::HttpResponse;
using test::LoopbackServer;

namespace {

class CHKManagerTest : public test::MarketingTest { };

}

TEST_F(CHKManagerTest, TheFirstLaunchRegistersOnceAndTheNextSendsNothing) {
    service.route("POST", newInstallationsPath(),
        LoopbackServer::basicAuth("tessaline", "quilterBanjoes47", HttpResponse::text("", 201)));
    foundation::UserDefaults::standardUserDefaults().setObject(
        base::Value(base::Array::create({"fr", "en"})), "AppleLanguages");
    CHKManager::sharedManager().start();
    ASSERT_TRUE(runUntil([] { return installedTimestamp() != 0; }));
    EXPECT_GT(installedTimestamp(), 1700000000) << "not seconds since 1970";

    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 2u) << "a challenge, then the credentials";
    auto const& request = requests.back();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.headers.all("Content-Type"), std::vector<std::string>({"application/json"}));
    EXPECT_EQ(request.body,
        R"({"user":{"ios:deviceId":"device-1"},"appId":"ios:bundleId:com.quillaby.salon",)"
        R"("device":{"model":"iPhone","osName":"iPhone OS","osVer":")"
            + ui::Device::currentDevice().systemVersion() + R"(","lang":"fr"}})");

    // Written to disk at once: the next launch reads it back and sends nothing.
    relaunch();
    service.clearRequests();
    CHKManager::sharedManager().start();
    settle();
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(service.requestCount(), 0u);
}

TEST_F(CHKManagerTest, OnlyA201AnswerCountsAndAnythingElseIsTriedAgainAtTheNextLaunch) {
    struct Case {
        char const* name;
        HttpResponse answer;
    };
    Case const cases[] = {
        {"200", HttpResponse::text("", 200)},
        {"500", HttpResponse::text("", 500)},
        {"dropped", HttpResponse::dropped()},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        service.route("POST", newInstallationsPath(), c.answer);
        service.clearRequests();
        relaunch();
        CHKManager::sharedManager().start();
        ASSERT_TRUE(runUntil([&] { return service.requestCount() >= 1; }));
        settle();
        EXPECT_EQ(installedTimestamp(), 0);
    }
    service.route("POST", newInstallationsPath(), HttpResponse::text("", 201));
    relaunch();
    CHKManager::sharedManager().start();
    ASSERT_TRUE(runUntil([] { return installedTimestamp() != 0; }));
}

TEST_F(CHKManagerTest, WithoutABaseAddressNothingIsSent) {
    service.route("POST", newInstallationsPath(), HttpResponse::text("", 201));
    CHKManager::sharedManager().setApiBaseUrl("");
    CHKManager::sharedManager().start();
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_FALSE(toolkit::rest::RLClient::sharedClient());
}

TEST_F(CHKManagerTest, TheManagersAreProcessWideAndTheEventLogDoesNothing) {
    EXPECT_EQ(&CHKManager::sharedManager(), &CHKManager::sharedManager());
    EXPECT_EQ(CHKManager::sharedManager().apiNamespace(), "tessaline");
    EXPECT_EQ(CHKManager::sharedManager().httpBasicAuthUsername(), "tessaline");
    EXPECT_EQ(CHKManager::sharedManager().apiNewInstallationsPath(), "/api/%@/newInstallations/");
    auto& log = serverkit::CHKEventLogManager::sharedManager();
    log.logMessage("APP_START", "tag");
    log.logDictionary(*base::Dictionary::create(), "tag");
}

TEST(CHKObjectDeathTest, ADelegateCallOffTheMainThreadIsABrokenInvariant) {
    int calls = 0;
    serverkit::CHKObject::invokeSelector([&] { ++calls; });
    serverkit::CHKObject::invokeSelector(nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_DEATH(
        {
            std::thread worker([] { serverkit::CHKObject::invokeSelector([] {}); });
            worker.join();
        },
        "NSThread isMainThread");
}

TEST(RestApplication, PassesTasksTheIndicatorAndAlertsToTheApplication) {
    ui::Application::reset();
    serverkit::RestApplication::install();
    auto* application = toolkit::rest::RLApplication::shared();
    ASSERT_TRUE(application);
    bool expired = false;
    auto task = application->beginBackgroundTask([&] { expired = true; });
    EXPECT_EQ(ui::Application::sharedApplication().backgroundTaskCount(), 1u);
    application->endBackgroundTask(task);
    EXPECT_EQ(ui::Application::sharedApplication().backgroundTaskCount(), 0u);
    EXPECT_FALSE(expired);
    application->setNetworkActivityIndicatorVisible(true);
    EXPECT_TRUE(ui::Application::sharedApplication().isNetworkActivityIndicatorVisible());
    application->setNetworkActivityIndicatorVisible(false);
    toolkit::rest::RLApplication::setShared(nullptr);
}
