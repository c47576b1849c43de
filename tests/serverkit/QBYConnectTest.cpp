#include "ServerKitFixture.hpp"

#include <serverkit/BTXComponents.hpp>
#include <serverkit/ListDLC.hpp>
#include <serverkit/ReportDL.hpp>

using serverkit::APICall;
namespace QBYKeys = serverkit::QBYKeys;
using test::HttpResponse;

namespace {

class QBYConnectTest : public test::ServerKitTest { };

// A call whose result merges a fixed dictionary, to watch the merge rule.
class MergingCall final : public APICall {
public:
    base::Ref<base::Dictionary> getDataStoreInfo() override { return info; }
    void postNotification(base::Dictionary const& store) override {
        foundation::NotificationCenter::defaultCenter().postNotification(
            "qbykit_test_success", this, store.copy());
    }
    void postFailNotification(foundation::URLError const&) override {
        foundation::NotificationCenter::defaultCenter().postNotification(
            "qbykit_test_fail", this, serverkit::QBYConnect::sharedManager().dataStore());
    }

    base::Ref<base::Dictionary> info;

private:
    friend base::Factory;
    explicit MergingCall(base::Ref<base::Dictionary> merged)
        : info(std::move(merged)) {
        setApiMethod("merge");
    }
};

}

TEST_F(QBYConnectTest, CallsGoOutInOrderEachAfterThePreviousNotification) {
    connect().callAPIMethod(serverkit::BTXComponents::apicall());
    connect().callAPIMethod(serverkit::ListDLC::apicall());
    connect().callAPIMethod(serverkit::ReportDL::apicallWithDLCID("dlc_7"));
    EXPECT_TRUE(connect().isLoading());
    EXPECT_EQ(connect().queuedCallCount(), 3u);
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(server.methods(), std::vector<std::string>({"btxomponents", "listdlc", "reportdl"}));
    ASSERT_EQ(seen.size(), 3u);
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i].callsBefore, i + 1) << seen[i].name;
    EXPECT_FALSE(connect().isLoading());
}

TEST_F(QBYConnectTest, TheMergeComesBeforeTheNotificationAndNullRemovesAKeyAfterAFailureToo) {
    for (bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "failure" : "success");
        std::vector<base::Value> stores;
        auto token = foundation::NotificationCenter::defaultCenter().observe(
            "", [&](foundation::Notification const& n) {
                if (n.name().starts_with("qbykit_test"))
                    stores.push_back(n.userInfo());
            });
        connect().setObject("kept", "other");
        connect().setObject(
            base::Dictionary::create({{"qbykit_auth_session", "ab"}}), QBYKeys::AuthDataStore);
        server.reply("merge", fails ? HttpResponse::text("", 500) : HttpResponse::text("ok"));
        auto info = base::Dictionary::create();
        info->setObject(QBYKeys::AuthDataStore, base::Value::nullObject());
        info->setObject("added", 5);
        connect().callAPIMethod(base::make<MergingCall>(info));
        ASSERT_TRUE(runUntilIdle());
        ASSERT_EQ(stores.size(), 1u);
        auto const& store = *stores[0].dictionary();
        EXPECT_FALSE(store.contains(QBYKeys::AuthDataStore));
        EXPECT_EQ(store.objectForKey("added"), base::Value(5));
        EXPECT_EQ(store.objectForKey("other"), base::Value("kept"));
        EXPECT_EQ(seenNames().back(), fails ? "qbykit_test_fail" : "qbykit_test_success");
        EXPECT_TRUE(APICall::buildSig("x").empty()) << "no token left to sign with";
    }
}

TEST_F(QBYConnectTest, CallsQueuedOfflineLeaveInOrderWhenTheNetworkComesBack) {
    setOnline(false);
    connect().callAPIMethod(serverkit::ReportDL::apicallWithDLCID("a"));
    connect().callAPIMethod(serverkit::BTXComponents::apicall());
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(server.calls().size(), 0u);
    EXPECT_FALSE(connect().isLoading());
    EXPECT_EQ(connect().queuedCallCount(), 2u);

    setOnline(true);
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return server.calls().size() == 2 && connect().queuedCallCount() == 0; }, 20));
    EXPECT_EQ(server.methods(), std::vector<std::string>({"reportdl", "btxomponents"}));
}

TEST_F(QBYConnectTest, AnEnqueueAfterTheNetworkReturnsSendsTheOldestCallFirst) {
    setOnline(false);
    connect().callAPIMethod(serverkit::ReportDL::apicallWithDLCID("a"));
    foundation::Reachability::setForcedFlags(foundation::ReachabilityFlags::Reachable);
    connect().callAPIMethod(serverkit::BTXComponents::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(server.methods(), std::vector<std::string>({"reportdl", "btxomponents"}));
}

TEST_F(QBYConnectTest, FailuresPostTheirFailNotificationsAndTheQueueGoesOn) {
    int listDLC = 0;
    server.reply("listdlc", [&](test::GameServerCall const&) {
        switch (listDLC++) {
        case 0:
            return HttpResponse::text("missing", 404);
        case 1:
            return HttpResponse::text("broken", 500);
        default:
            return HttpResponse::dropped();
        }
    });
    for (int i = 0; i < 3; ++i)
        connect().callAPIMethod(serverkit::ListDLC::apicall());
    connect().callAPIMethod(serverkit::BTXComponents::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(seenNames(),
        std::vector<std::string>(
            {"qbykit_listdlc_fail_notification", "qbykit_listdlc_fail_notification",
                "qbykit_listdlc_fail_notification", "btx_components_notification"}));
    auto codeOf = [&](std::size_t i) {
        return seen[i].userInfo.dictionary()->objectForKey("listdlc_error").dictionary();
    };
    EXPECT_EQ(codeOf(0)->objectForKey("code").intValue(), 404);
    EXPECT_EQ(codeOf(1)->objectForKey("code").intValue(), 500);
    EXPECT_EQ(codeOf(1)->objectForKey("domain"), base::Value("QBYKIT"));
    EXPECT_EQ(codeOf(2)->objectForKey("domain"), base::Value("NSURLErrorDomain"));
    // A dropped connection may be tried again once by the transport.
    EXPECT_EQ(server.methods().back(), "btxomponents");
}

TEST_F(QBYConnectTest, TheSharedManagerIsOneInstance) {
    EXPECT_EQ(&serverkit::QBYConnect::sharedManager(), &serverkit::QBYConnect::sharedManager());
    connect().setObject(1, "key");
    EXPECT_EQ(connect().objectForKey("key"), base::Value(1));
    connect().setObject({}, "key");
    EXPECT_TRUE(connect().objectForKey("key").isNull());
}
