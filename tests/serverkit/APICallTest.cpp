#include "ServerKitFixture.hpp"

#include <serverkit/AuthToken.hpp>
#include <serverkit/CheckRestore.hpp>
#include <serverkit/ConfirmRestore.hpp>
#include <serverkit/Event.hpp>
#include <serverkit/PushSaveData.hpp>

#include <foundation/HTTPCookieStorage.hpp>
#include <toolkit/json/JSONDecoder.hpp>

using serverkit::APICall;
using serverkit::QBYConnect;
using test::GameServerStandIn;
using test::HttpResponse;

namespace {

constexpr char const* baseJSON = R"({"appid":"net.quillaby.salon","ver":"1.0","udid":"udid-1")";

class APICallTest : public test::ServerKitTest { };

}

TEST_F(APICallTest, BodiesAreTheFormTextsSignedAndUnsignedWithAndWithoutAToken) {
    struct Case {
        char const* name;
        std::optional<std::string> token;
        base::Ref<APICall> call;
        std::string json;
        bool isSigned;
    };
    auto statistics = base::Dictionary::create();
    statistics->setObject("DATA_MAX_DAY", "12");
    std::vector<Case> cases = {
        {"unsigned", std::nullopt, serverkit::AuthToken::apicall(), std::string(baseJSON) + "}",
            false},
        {"unsigned with a token held", "abc", serverkit::AuthToken::apicall(),
            std::string(baseJSON) + "}", false},
        {"signed without a token", std::nullopt, serverkit::CheckRestore::apicall(),
            std::string(baseJSON) + "}", true},
        {"signed with a token", "0123abcd", serverkit::CheckRestore::apicall(),
            std::string(baseJSON) + "}", true},
        {"declined restore", "0123abcd",
            serverkit::ConfirmRestore::apicallWithStatus("USER_CANCELLED"),
            std::string(baseJSON) + R"(,"status":"USER_CANCELLED"})", true},
        {"statistics", "0123abcd", serverkit::Event::apicallWithEventDictionary(statistics),
            std::string(baseJSON) + R"(,"eventdata":{"DATA_MAX_DAY":"12"}})", false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        connect().setObject({}, serverkit::QBYKeys::AuthDataStore);
        if (c.token)
            holdToken(*c.token);
        auto body = c.call->buildRequestData();
        std::string expected = "method=" + c.call->apiMethod() + "&data=" + c.json;
        if (c.isSigned)
            expected += "&sig=" + (c.token ? GameServerStandIn::hmacHex(*c.token, c.json) : "");
        EXPECT_EQ(std::string(body.begin(), body.end()), expected);
    }
}

TEST_F(APICallTest, AValueHoldingFormCharactersIsEscapedAndTheStandInReadsItBack) {
    holdToken("feed");
    server.setToken("feed");
    std::string value = "a&b=c+d%e f";
    auto call = serverkit::Event::apicallWithEventData(value, "id&1");
    std::string json = std::string(baseJSON) + R"(,"eventdata":"a&b=c+d%e f","eventid":"id&1"})";
    auto body = call->buildRequestData();
    EXPECT_EQ(std::string(body.begin(), body.end()),
        "method=event&data=" + std::string(baseJSON)
            + R"(,"eventdata":"a%26b%3Dc%2Bd%25e f","eventid":"id%261"})");

    auto push = serverkit::PushSaveData::apicallWithSaveDataObject(
        base::Value(base::Dictionary::create({{"DATA_name", "Tom & Jerry = 100%"}})));
    connect().callAPIMethod(call);
    connect().callAPIMethod(push);
    ASSERT_TRUE(runUntilIdle());
    auto calls = server.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].data, json);
    EXPECT_FALSE(calls[0].sig);
    auto save = toolkit::json::objectFromJSONString(calls[1].data);
    ASSERT_TRUE(save.dictionary());
    EXPECT_EQ(save.dictionary()->objectForKey("savedata").dictionary()->objectForKey("DATA_name"),
        base::Value("Tom & Jerry = 100%"));
    EXPECT_TRUE(calls[1].signatureValid);
    EXPECT_EQ(calls[1].sig, GameServerStandIn::hmacHex("feed", calls[1].data));
}

TEST_F(APICallTest, SignaturesMatchHMACSHA1KnownAnswers) {
    struct Case {
        std::string key;
        std::string message;
        char const* digest;
    };
    Case const cases[] = {
        {std::string(20, '\x0b'), "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00"},
        {"Jefe", "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
        {std::string(80, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
            "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
    };
    for (auto const& c : cases) {
        holdToken(c.key);
        EXPECT_EQ(APICall::buildSig(c.message), c.digest);
    }
    connect().setObject({}, serverkit::QBYKeys::AuthDataStore);
    EXPECT_EQ(APICall::buildSig("anything"), "");
}

TEST_F(APICallTest, HexDigitsAreLowerCaseTwoPerByte) {
    EXPECT_EQ(APICall::hexStringWithNSData(base::Bytes {0x0A, 0xFF}), "0aff");
    EXPECT_EQ(APICall::hexStringWithNSData(base::Bytes {}), "");
    EXPECT_EQ(APICall::hexStringWithNSData(base::Bytes {0x00, 0x10, 0xab}), "0010ab");
}

TEST_F(APICallTest, FormEscapingTouchesExactlyFourCharacters) {
    EXPECT_EQ(APICall::formEscape("&=+%"), "%26%3D%2B%25");
    EXPECT_EQ(APICall::formEscape(R"({"a b":"c/d?é\n"})"), R"({"a b":"c/d?é\n"})");
    for (std::string text : {"a&b", "x=1+2", "100%", "%26", "plain"}) {
        auto fields = test::decodeForm("data=" + APICall::formEscape(text));
        ASSERT_EQ(fields.size(), 1u);
        EXPECT_EQ(fields[0].second, text);
    }
}

TEST_F(APICallTest, RequestNumbersKeepTheLowThirtyOneBits) {
    struct Case {
        std::uint32_t draw;
        std::int32_t sid;
    };
    Case const cases[] = {
        {4294967295u, 2147483647},
        {12, 12},
        {0, 0},
        {2147483647u, 2147483647},
        {2147483648u, 0},
        {2147483653u, 5},
    };
    for (auto const& c : cases)
        EXPECT_EQ(APICall::requestNumberForDraw(c.draw), c.sid) << c.draw;
    int saturated = 0;
    for (int i = 0; i < 200; ++i) {
        auto sid = APICall::requestNumber();
        EXPECT_GE(sid, 0);
        saturated += sid == 2147483647;
    }
    EXPECT_LT(saturated, 2);
}

TEST_F(APICallTest, StatusesOtherThan200And201EndTheCallWithAQBYKITError) {
    struct Case {
        int status;
        bool succeeds;
    };
    Case const cases[] = {{200, true}, {201, true}, {204, false}, {404, false}, {500, false}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.status);
        seen.clear();
        server.reply("savedata", HttpResponse::text("body", c.status));
        connect().callAPIMethod(serverkit::PushSaveData::apicallWithSaveDataObject(
            base::Value(base::Dictionary::create())));
        ASSERT_TRUE(runUntilIdle());
        ASSERT_EQ(seen.size(), 1u);
        if (c.succeeds) {
            EXPECT_EQ(seen[0].name, "qbykit_savedata_notification");
        } else {
            EXPECT_EQ(seen[0].name, "qbykit_savedata_fail");
            auto const& error = seen[0].userInfo.dictionary()->objectForKey("qbykit_savedata_err");
            EXPECT_EQ(error.dictionary()->objectForKey("domain"), base::Value("QBYKIT"));
            EXPECT_EQ(error.dictionary()->objectForKey("code").intValue(), c.status);
        }
    }
}

TEST_F(APICallTest, CookiesAreKeptFromSuccessfulRepliesOnly) {
    server.reply("event", HttpResponse::text("1", 200).header("Set-Cookie", "good=1; Path=/"));
    server.reply("events", HttpResponse::text("no", 500).header("Set-Cookie", "bad=1; Path=/"));
    connect().callAPIMethod(serverkit::Event::apicallWithEventData("d", "i"));
    connect().callAPIMethod(
        serverkit::Event::apicallWithEventDictionary(base::Dictionary::create()));
    connect().callAPIMethod(serverkit::CheckRestore::apicall());
    ASSERT_TRUE(runUntilIdle());
    auto requests = server.http().requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_FALSE(requests[0].headers.has("Cookie"));
    EXPECT_EQ(requests[1].headers.get("Cookie"), "good=1");
    EXPECT_EQ(requests[2].headers.get("Cookie"), "good=1");
    EXPECT_EQ(requests[2].method, "POST");
    EXPECT_EQ(requests[2].path, "/api.php");
}

TEST_F(APICallTest, WithoutAGameServerNothingIsSentAndTheCallFails) {
    auto configuration = connect().configuration();
    configuration.host.clear();
    connect().setConfiguration(configuration);
    connect().callAPIMethod(serverkit::PushSaveData::apicallWithSaveDataObject(base::Value(1)));
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(seenNames(), std::vector<std::string>({"qbykit_savedata_fail"}));
    EXPECT_EQ(server.calls().size(), 0u);
}
