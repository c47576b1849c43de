#include "ServerKitFixture.hpp"

#include <serverkit/BTXComponents.hpp>
#include <serverkit/Event.hpp>
#include <serverkit/ListDLC.hpp>
#include <serverkit/PPIReg.hpp>
#include <serverkit/ReportDL.hpp>

#include <foundation/PropertyList.hpp>
#include <toolkit/json/JSONDecoder.hpp>

#include <filesystem>

namespace QBYKeys = serverkit::QBYKeys;
using test::GameServerStandIn;
using test::HttpResponse;

namespace {

class SmallCallsTest : public test::ServerKitTest {
protected:
    std::string listPath() const { return (dataFolder() / "dlclist.plist").string(); }
};

constexpr char const* list
    = R"([{"uid":"7","ver":"2","type":"theme","link":"http://x/a.zip","md5":"00"}])";

}

TEST_F(SmallCallsTest, BTXComponentsStoresTheSwitchesAndPostsThem) {
    connect().callAPIMethod(serverkit::BTXComponents::apicall());
    ASSERT_TRUE(runUntilIdle());
    auto store = connect().objectForKey(QBYKeys::BTXDataStore);
    ASSERT_TRUE(store.dictionary());
    EXPECT_EQ(store.dictionary()->objectForKey("iad").intValue(), 1);
    ASSERT_EQ(seenNames(), std::vector<std::string>({"btx_components_notification"}));
    EXPECT_EQ(seen[0].userInfo, store);
    EXPECT_EQ(server.calls()[0].body,
        R"(method=btxomponents&data={"appid":"net.quillaby.salon","ver":"1.0","udid":"udid-1"})");

    seen.clear();
    server.reply("btxomponents", "not json");
    connect().callAPIMethod(serverkit::BTXComponents::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(connect().objectForKey(QBYKeys::BTXDataStore), store) << "left as it was";
}

TEST_F(SmallCallsTest, ListDLCFillsTheStoreFromTheSavedListWhenMade) {
    auto call = serverkit::ListDLC::apicall();
    auto empty = connect().objectForKey(QBYKeys::ListDLCDataStore);
    ASSERT_TRUE(empty.array());
    EXPECT_TRUE(empty.array()->empty());

    auto saved = toolkit::json::objectFromJSONString(list);
    ASSERT_TRUE(foundation::PropertyList::writeToFile(saved, listPath()));
    call = serverkit::ListDLC::apicall();
    EXPECT_EQ(connect().objectForKey(QBYKeys::ListDLCDataStore), saved);
}

TEST_F(SmallCallsTest, ListDLCWritesTheListAndPostsItOnce) {
    server.setDLCList(list);
    auto call = serverkit::ListDLC::apicall();
    connect().callAPIMethod(call);
    ASSERT_TRUE(runUntilIdle());
    auto expected = toolkit::json::objectFromJSONString(list);
    EXPECT_EQ(connect().objectForKey(QBYKeys::ListDLCDataStore), expected);
    EXPECT_EQ(foundation::PropertyList::propertyListWithContentsOfFile(listPath()), expected);
    ASSERT_EQ(seenNames(), std::vector<std::string>({"qbykit_listdlc_notification"}));
    EXPECT_EQ(seen[0].userInfo, expected);
    EXPECT_EQ(seen[0].sender, call.get());
    for (auto const& entry : std::filesystem::directory_iterator(dataFolder()))
        EXPECT_EQ(entry.path().filename(), "dlclist.plist") << "no temporary left behind";
}

TEST_F(SmallCallsTest, AnEmptyOrBrokenListIsAnnouncedOnceAndWritesNothing) {
    for (char const* reply : {"", "[1,"}) {
        SCOPED_TRACE(reply);
        seen.clear();
        server.reply("listdlc", reply);
        connect().callAPIMethod(serverkit::ListDLC::apicall());
        ASSERT_TRUE(runUntilIdle());
        EXPECT_EQ(seenNames(), std::vector<std::string>({"qbykit_listdlc_notification"}));
        EXPECT_FALSE(std::filesystem::exists(listPath()));
        EXPECT_EQ(
            connect().objectForKey(QBYKeys::ListDLCDataStore), base::Value(base::Array::create()));
    }
}

TEST_F(SmallCallsTest, AFailedListPostsOnlyItsFailNotification) {
    server.reply("listdlc", HttpResponse::dropped());
    connect().callAPIMethod(serverkit::ListDLC::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(seenNames(), std::vector<std::string>({"qbykit_listdlc_fail_notification"}));
}

TEST_F(SmallCallsTest, ReportDLAndEventBodies) {
    auto statistics = base::Dictionary::create({{"DATA_MAX_DAY", "3"}});
    connect().callAPIMethod(serverkit::ReportDL::apicallWithDLCID("dlc_9"));
    connect().callAPIMethod(serverkit::Event::apicallWithEventDictionary(statistics));
    connect().callAPIMethod(serverkit::Event::apicallWithEventData("level=3", "finish"));
    server.reply("reportdl", HttpResponse::text("", 200));
    ASSERT_TRUE(runUntilIdle());
    auto calls = server.calls();
    ASSERT_EQ(calls.size(), 3u);
    std::string base = R"({"appid":"net.quillaby.salon","ver":"1.0","udid":"udid-1")";
    EXPECT_EQ(calls[0].body, "method=reportdl&data=" + base + R"(,"dlcid":"dlc_9"})");
    EXPECT_EQ(
        calls[1].body, "method=events&data=" + base + R"(,"eventdata":{"DATA_MAX_DAY":"3"}})");
    EXPECT_EQ(calls[2].body,
        "method=event&data=" + base + R"(,"eventdata":"level%3D3","eventid":"finish"})");
    EXPECT_EQ(seenNames(), std::vector<std::string>({"qbykit_listdlc_notification"}));
    EXPECT_TRUE(seen[0].userInfo.isNull());

    seen.clear();
    server.reply("reportdl", HttpResponse::text("", 503));
    connect().callAPIMethod(serverkit::ReportDL::apicallWithDLCID("dlc_9"));
    ASSERT_TRUE(runUntilIdle());
    ASSERT_EQ(seenNames(), std::vector<std::string>({"qbykit_listdlc_fail_notification"}));
    EXPECT_TRUE(seen[0].userInfo.dictionary()->contains("reportdl_error"));
}

TEST_F(SmallCallsTest, PPIRegRegistersOverHTTPSAnsweringTheChallengeOnce) {
    connect().callAPIMethod(serverkit::PPIReg::apicall());
    ASSERT_TRUE(runUntilIdle());
    auto requests = server.https().requests();
    ASSERT_EQ(requests.size(), 2u) << "the challenge, then the answer";
    auto const& request = requests[1];
    EXPECT_EQ(request.path, GameServerStandIn::MarketingPath);
    EXPECT_EQ(request.body,
        R"({"userId":"ios:deviceId:udid-1","appId":"ios:bundleId:net.quillaby.salon"})");
    EXPECT_EQ(request.headers.get("content-type"), "text/json");
    EXPECT_EQ(request.headers.get("content-length"), std::to_string(request.body.size()));
    EXPECT_EQ(request.headers.all("content-length").size(), 1u);
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(server.calls().empty());
}

TEST_F(SmallCallsTest, PPIRegWithARefusedPasswordAsksOnceAndFails) {
    auto configuration = connect().configuration();
    configuration.marketingPassword = "wrong";
    connect().setConfiguration(configuration);
    connect().callAPIMethod(serverkit::PPIReg::apicall());
    connect().callAPIMethod(serverkit::BTXComponents::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(server.https().requests().size(), 2u);
    EXPECT_EQ(server.methods(), std::vector<std::string>({"btxomponents"}));
}
