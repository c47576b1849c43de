#include "ServerKitFixture.hpp"

#include <serverkit/FBCheckSaveData.hpp>
#include <serverkit/FBCheckUser.hpp>
#include <serverkit/FBSaveData.hpp>
#include <serverkit/FBTransferSave.hpp>
#include <serverkit/QBYAPI2CheckRestore.hpp>

#include <support/LogCapture.hpp>

#include <foundation/Random.hpp>
#include <toolkit/json/JSONDecoder.hpp>

namespace QBYKeys = serverkit::QBYKeys;
using test::GameServerStandIn;
using test::HttpResponse;

namespace {

constexpr char const* token = "c0ffee";
constexpr std::uint64_t seed = 2024;

// Draws the request numbers from a seeded generator, so bodies can be compared
// whole, and puts the shared generator back on the system's seed afterwards.
class SecondVersionCallsTest : public test::ServerKitTest {
protected:
    SecondVersionCallsTest() { foundation::Arc4Random::shared().seed(seed); }
    ~SecondVersionCallsTest() override { foundation::Arc4Random::shared().seedFromSystem(); }

    // Empties the data store, keeping the configuration.
    void freshDataStore() {
        auto configuration = connect().configuration();
        serverkit::QBYConnect::resetSharedManager();
        connect().setConfiguration(configuration);
    }

    // The value the next request number takes after seeding.
    static std::int32_t firstSid() {
        foundation::Arc4Random generator(seed);
        return serverkit::APICall::requestNumberForDraw(generator.next());
    }
};

std::string const baseJSON = R"({"appid":"net.quillaby.salon","ver":"1.0","udid":"udid-1")";

std::string signedReplyWithData(std::string const& dataJSON, std::string const& sig) {
    return R"({"data":)" + dataJSON + R"(,"sig":")" + sig + "\"}";
}

std::string offByOneDigit(std::string reply) {
    auto at = reply.find("\"sig\":\"") + 7;
    reply[at] = reply[at] == '0' ? '1' : '0';
    return reply;
}

}

TEST_F(SecondVersionCallsTest, EveryCallSendsItsBodyToTheSecondVersionPath) {
    auto sid = std::to_string(firstSid());
    auto save = base::Dictionary::create({{"DATA_money", "120"}, {"DATA_day", 10}});
    struct Case {
        char const* name;
        std::function<base::Ref<serverkit::APICall>()> make;
        std::string json;
        bool isSigned;
    };
    Case const cases[] = {
        {"check user", [] { return serverkit::FBCheckUser::apicallWithFBID("fb-7"); },
            baseJSON + R"(,"fbid":"fb-7"})", false},
        {"save data",
            [&] { return serverkit::FBSaveData::apicallWithSaveDataObject(save, "fb-7"); },
            baseJSON + R"(,"savedata":{"DATA_money":"120","DATA_day":10},"fbid":"fb-7","sid":)"
                + sid + "}",
            true},
        {"check save", [] { return serverkit::FBCheckSaveData::apicallWithFBUID("fb-7"); },
            baseJSON + R"(,"fbid":"fb-7","sid":)" + sid + "}", true},
        {"check restore", [] { return serverkit::QBYAPI2CheckRestore::apicall(); }, baseJSON + "}",
            true},
        {"transfer save",
            [] { return serverkit::FBTransferSave::apicallWithFBUID("fb-7", "skey-9"); },
            baseJSON + R"(,"fbid":"fb-7","srcskey":"skey-9","sid":)" + sid + "}", true},
    };
    for (bool withToken : {true, false}) {
        for (auto const& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (withToken ? " with a token" : " without"));
            freshDataStore();
            if (withToken)
                holdToken(token);
            server.setToken(token);
            server.clearCalls();
            foundation::Arc4Random::shared().seed(seed);
            auto call = c.make();
            EXPECT_EQ(call->requestURLStr(), "http://" + server.host() + "/qbyapi/v2/api.php");
            connect().callAPIMethod(call);
            ASSERT_TRUE(runUntilIdle());
            auto calls = server.calls();
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(calls[0].path, "/qbyapi/v2/api.php");
            std::string expected = "method=" + calls[0].method + "&data=" + c.json;
            if (c.isSigned)
                expected += "&sig=" + (withToken ? GameServerStandIn::hmacHex(token, c.json) : "");
            EXPECT_EQ(calls[0].body, expected);
            EXPECT_EQ(calls[0].signatureValid, c.isSigned && withToken);
        }
    }
    auto methods = std::vector<std::string>();
    for (auto const& c : cases)
        methods.push_back(c.make()->apiMethod());
    EXPECT_EQ(methods,
        std::vector<std::string>(
            {"fb_checkuser", "fb_savedata", "fb_checksave", "checkrestore", "fb_xfrsave"}));
}

TEST_F(SecondVersionCallsTest, BodiesMatchTheGoldenTexts) {
    // The same bodies as literal text, for a fixed draw: nothing above derives them.
    holdToken(token);
    foundation::Arc4Random::shared().seed(seed);
    auto body = [](base::Ref<serverkit::APICall> call) {
        auto bytes = call->buildRequestData();
        return std::string(bytes.begin(), bytes.end());
    };
    auto sid = std::to_string(firstSid());
    auto check = body(serverkit::FBCheckSaveData::apicallWithFBUID("fb-7"));
    auto json = baseJSON + R"(,"fbid":"fb-7","sid":)" + sid + "}";
    EXPECT_EQ(check,
        "method=fb_checksave&data=" + json + "&sig=" + GameServerStandIn::hmacHex(token, json));
    EXPECT_EQ(body(serverkit::QBYAPI2CheckRestore::apicall()),
        "method=checkrestore&data={\"appid\":\"net.quillaby.salon\",\"ver\":\"1.0\",\"udid\":"
        "\"udid-1\"}&sig=57039825ff758f19ff1a2777320270c665e50d7f");
    EXPECT_EQ(body(serverkit::FBCheckUser::apicallWithFBID("a&b=c")),
        "method=fb_checkuser&data={\"appid\":\"net.quillaby.salon\",\"ver\":\"1.0\",\"udid\":"
        "\"udid-1\",\"fbid\":\"a%26b%3Dc\"}");
}

TEST_F(SecondVersionCallsTest, RestoreCheckRepliesGiveTheDataStoreEntry) {
    std::string save = R"({"DATA_money":"500"})";
    auto genuine = GameServerStandIn::signedReply(save, token);
    auto old = base::Value(base::Dictionary::create({{"DATA_old", "1"}}));
    struct Case {
        char const* name;
        std::string reply;
        bool withToken;
        std::optional<base::Value> entry; // nullopt: removed
    };
    Case const cases[] = {
        {"genuine", genuine, true, toolkit::json::objectFromJSONString(genuine)},
        {"one digit off", offByOneDigit(genuine), true, std::nullopt},
        {"data null", signedReplyWithData("null", GameServerStandIn::hmacHex(token, "")), true,
            std::nullopt},
        {"not JSON", "<html>", true, std::nullopt},
        {"no token", genuine, false, old},
        {"-1", "-1", true, old},
        {"none", GameServerStandIn::signedReply("none", token), true, std::nullopt},
        {"a number", signedReplyWithData("42", GameServerStandIn::hmacHex(token, "42")), true,
            toolkit::json::objectFromJSONString(
                signedReplyWithData("42", GameServerStandIn::hmacHex(token, "42")))},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        freshDataStore();
        if (c.withToken)
            holdToken(token);
        connect().setObject(old, QBYKeys::V2CheckRestoreDataStore);
        connect().setObject(old, QBYKeys::CheckRestoreDataStore);
        server.reply("checkrestore", c.reply);
        auto call = serverkit::QBYAPI2CheckRestore::apicall();
        connect().callAPIMethod(call);
        ASSERT_TRUE(runUntilIdle());
        auto entry = connect().objectForKey(QBYKeys::V2CheckRestoreDataStore);
        if (c.entry)
            EXPECT_EQ(entry, *c.entry);
        else
            EXPECT_TRUE(entry.isNull()) << entry.description();
        EXPECT_EQ(connect().objectForKey(QBYKeys::CheckRestoreDataStore), old)
            << "the first version's entry is left alone";
        ASSERT_EQ(seenNames(), std::vector<std::string>({"qbyapi_v2_checkrestore_notification"}));
        EXPECT_EQ(seen[0].userInfo, entry);
        EXPECT_EQ(seen[0].sender, call.get());
    }
}

TEST_F(SecondVersionCallsTest, AFailedRestoreCheckPostsNothingAndDropsTheEntry) {
    holdToken(token);
    connect().setObject(base::Dictionary::create({{"a", 1}}), QBYKeys::V2CheckRestoreDataStore);
    server.reply("checkrestore", HttpResponse::text("oops", 500));
    connect().callAPIMethod(serverkit::QBYAPI2CheckRestore::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(connect().objectForKey(QBYKeys::V2CheckRestoreDataStore).isNull());
}

TEST_F(SecondVersionCallsTest, ASaveCheckPostsOnlyAGenuineReplyWithTheOverwriteFlag) {
    std::string save = R"({"DATA_money":"500"})";
    auto genuine = GameServerStandIn::signedReply(save, token);
    auto withOverwrite = [&](bool overwrite) {
        auto reply = toolkit::json::mutableObjectFromJSONString(genuine);
        reply.dictionary()->setObject("overwrite", overwrite);
        return reply;
    };
    struct Case {
        char const* name;
        std::string reply;
        bool withToken;
        bool overwrite;
        std::optional<base::Value> posted; // nullopt: nothing posted
    };
    Case const cases[] = {
        {"genuine", genuine, true, false, withOverwrite(false)},
        {"genuine, overwrite set", genuine, true, true, withOverwrite(true)},
        {"one digit off", offByOneDigit(genuine), true, false, std::nullopt},
        {"data null", signedReplyWithData("null", GameServerStandIn::hmacHex(token, "")), true,
            false, std::nullopt},
        {"no data", R"({"sig":")" + GameServerStandIn::hmacHex(token, "") + "\"}", true, false,
            std::nullopt},
        {"not JSON", "<html>", true, false, std::nullopt},
        {"an array", "[1,2]", true, false, std::nullopt},
        {"empty", "", true, false, std::nullopt},
        {"no token", genuine, false, false, std::nullopt},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        freshDataStore();
        if (c.withToken)
            holdToken(token);
        server.reply("fb_checksave", c.reply);
        auto call = serverkit::FBCheckSaveData::apicallWithFBUID("fb-7");
        EXPECT_FALSE(call->overwrite());
        call->setOverwrite(c.overwrite);
        connect().callAPIMethod(call);
        // A call behind it shows that the queue goes on whatever the reply was.
        connect().callAPIMethod(serverkit::FBCheckUser::apicallWithFBID("fb-7"));
        ASSERT_TRUE(runUntilIdle());
        std::vector<std::string> expected;
        if (c.posted)
            expected.push_back("QBYAPI_V2_FB_CHECKSAVE_NOTIFICATION");
        expected.push_back("QBYAPI_V2_FB_CHECKUSER_NOTIFICATION");
        ASSERT_EQ(seenNames(), expected);
        if (c.posted) {
            EXPECT_EQ(seen[0].userInfo, *c.posted);
            EXPECT_EQ(seen[0].sender, call.get());
        }
        EXPECT_EQ(connect().dataStore()->size(), c.withToken ? 1u : 0u)
            << "nothing but the token in the data store";
    }
}

TEST_F(SecondVersionCallsTest, FailuresPostTheirErrorUnderTheirOwnKeys) {
    struct Case {
        std::string method;
        std::function<base::Ref<serverkit::APICall>()> make;
        std::string notification;
        std::string errorKey;
    };
    Case const cases[] = {
        {"fb_checkuser", [] { return serverkit::FBCheckUser::apicallWithFBID("x"); },
            "QBYAPI_V2_FB_CHECKUSER_FAIL", "QBYAPI_v2_FB_CHECKUSER_ERROR"},
        {"fb_savedata",
            [] { return serverkit::FBSaveData::apicallWithSaveDataObject(base::Value(), "x"); },
            "QBYAPI_V2_FB_SAVEDATA_FAIL", "QBYAPI_V2_FB_SAVEDATA_ERRORKEY"},
        {"fb_checksave", [] { return serverkit::FBCheckSaveData::apicallWithFBUID("x"); },
            "QBYAPI_V2_FB_CHECKSAVE_FAIL", "QBYAPI_V2_FB_CHECKSAVE_ERRORKEY"},
        {"fb_xfrsave", [] { return serverkit::FBTransferSave::apicallWithFBUID("x", "y"); }, "",
            ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.method);
        seen.clear();
        server.reply(c.method, HttpResponse::text("gone", 404));
        auto call = c.make();
        connect().callAPIMethod(call);
        ASSERT_TRUE(runUntilIdle());
        if (c.notification.empty()) {
            EXPECT_TRUE(seen.empty());
            continue;
        }
        ASSERT_EQ(seenNames(), std::vector<std::string>({c.notification}));
        EXPECT_EQ(seen[0].sender, call.get());
        auto const* info = seen[0].userInfo.dictionary();
        ASSERT_TRUE(info);
        ASSERT_EQ(info->size(), 1u);
        auto const* error = info->objectForKey(c.errorKey).dictionary();
        ASSERT_TRUE(error);
        EXPECT_EQ(error->objectForKey("domain"), base::Value("QBYKIT"));
        EXPECT_EQ(error->objectForKey("code").intValue(), 404);
    }
}

TEST_F(SecondVersionCallsTest, SuccessesPostWithoutUserInformation) {
    struct Case {
        std::function<base::Ref<serverkit::APICall>()> make;
        std::vector<std::string> names;
    };
    Case const cases[] = {
        {[] { return serverkit::FBCheckUser::apicallWithFBID("x"); },
            {"QBYAPI_V2_FB_CHECKUSER_NOTIFICATION"}},
        {[] { return serverkit::FBSaveData::apicallWithSaveDataObject(base::Value(), "x"); },
            {"QBYAPI_V2_FB_SAVEDATA_NOTIFICATION"}},
        {[] { return serverkit::FBTransferSave::apicallWithFBUID("x", "y"); }, {}},
    };
    for (auto const& c : cases) {
        seen.clear();
        connect().callAPIMethod(c.make());
        ASSERT_TRUE(runUntilIdle());
        EXPECT_EQ(seenNames(), c.names);
        for (auto const& notification : seen)
            EXPECT_TRUE(notification.userInfo.isNull());
    }
}

TEST_F(SecondVersionCallsTest, TheSaveIsHeldNotCopiedAndOnlyTheRestoreCheckIsLogged) {
    holdToken(token);
    server.setToken(token);
    auto save = base::Dictionary::create({{"DATA_money", "120"}});
    auto call = serverkit::FBSaveData::apicallWithSaveDataObject(base::Value(save), "fb-7");
    save->setObject("DATA_money", "changed before sending");
    test::LogCapture log;
    connect().callAPIMethod(call);
    connect().callAPIMethod(serverkit::FBCheckSaveData::apicallWithFBUID("fb-7"));
    connect().callAPIMethod(serverkit::FBTransferSave::apicallWithFBUID("fb-7", "s"));
    ASSERT_TRUE(runUntilIdle());
    auto request = toolkit::json::objectFromJSONString(server.calls()[0].data);
    EXPECT_EQ(request.dictionary()->objectForKey("savedata"),
        base::Value(base::Dictionary::create({{"DATA_money", "changed before sending"}})));
    EXPECT_FALSE(log.contains("Request:")) << "signed second-version bodies stay out of the log";
    connect().callAPIMethod(serverkit::QBYAPI2CheckRestore::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_TRUE(log.contains("Request:method=checkrestore&data="));
}

TEST_F(SecondVersionCallsTest, WithoutAGameServerNothingIsSent) {
    serverkit::QBYConnect::resetSharedManager();
    auto call = serverkit::FBCheckUser::apicallWithFBID("x");
    EXPECT_EQ(call->requestURLStr(), "");
    connect().callAPIMethod(call);
    ASSERT_TRUE(runUntilIdle());
    EXPECT_TRUE(server.calls().empty());
    EXPECT_EQ(seenNames(), std::vector<std::string>({"QBYAPI_V2_FB_CHECKUSER_FAIL"}));
}
