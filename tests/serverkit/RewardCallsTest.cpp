#include "ServerKitFixture.hpp"

#include <serverkit/CheckReward.hpp>
#include <serverkit/ConfirmReward.hpp>
#include <serverkit/RejectReward.hpp>

#include <toolkit/json/JSONDecoder.hpp>

namespace QBYKeys = serverkit::QBYKeys;
using test::GameServerStandIn;
using test::HttpResponse;

namespace {

class RewardCallsTest : public test::ServerKitTest { };

constexpr char const* token = "abc123";

}

TEST_F(RewardCallsTest, CheckRewardRepliesGiveTheDataStoreEntry) {
    std::string save = R"({"DATA_Transfer":"yes"})";
    auto genuine = GameServerStandIn::signedReply(save, token);
    auto offByOne = genuine;
    auto sigAt = offByOne.find("\"sig\":\"") + 7 + 39;
    offByOne[sigAt] = offByOne[sigAt] == 'a' ? 'b' : 'a';
    auto decoded
        = [](std::string const& text) { return toolkit::json::objectFromJSONString(text); };
    struct Case {
        char const* name;
        std::string reply;
        std::optional<base::Value> entry; // nullopt: removed
    };
    Case const cases[] = {
        {"-1", "-1", std::nullopt},
        {"none", GameServerStandIn::signedReply("none", token), std::nullopt},
        {"genuine", genuine, decoded(save)},
        {"one digit off", offByOne, decoded(offByOne)},
        {"not JSON", "<html>", std::nullopt},
        {"genuine 1", GameServerStandIn::signedReply("1", token),
            decoded(GameServerStandIn::signedReply("1", token))},
        {"genuine 0", GameServerStandIn::signedReply("0", token),
            decoded(GameServerStandIn::signedReply("0", token))},
        {"genuine empty object", GameServerStandIn::signedReply("{}", token),
            decoded(GameServerStandIn::signedReply("{}", token))},
        {"genuine empty object with space", GameServerStandIn::signedReply("{ }", token),
            base::Value(base::Dictionary::create())},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        holdToken(token);
        connect().setObject(base::Dictionary::create({{"old", 1}}), QBYKeys::CheckRewardDataStore);
        server.reply("checkreward", c.reply);
        connect().callAPIMethod(serverkit::CheckReward::apicallWithTargetBundleId("zorel"));
        ASSERT_TRUE(runUntilIdle());
        auto entry = connect().objectForKey(QBYKeys::CheckRewardDataStore);
        if (c.entry)
            EXPECT_EQ(entry, *c.entry);
        else
            EXPECT_TRUE(entry.isNull()) << entry.description();
        ASSERT_EQ(seenNames(), std::vector<std::string>({"qbykit_checkreward_notification"}));
        EXPECT_TRUE(seen[0].userInfo.isNull());
    }
}

TEST_F(RewardCallsTest, TheRequestNamesTheSourceApplicationAndIsSigned) {
    holdToken(token);
    server.setToken(token);
    connect().callAPIMethod(serverkit::CheckReward::apicallWithTargetBundleId("zorel"));
    connect().callAPIMethod(serverkit::ConfirmReward::apicall());
    connect().callAPIMethod(serverkit::RejectReward::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(server.methods(),
        std::vector<std::string>({"checkreward", "confirmreward", "rejectreward"}));
    auto calls = server.calls();
    for (auto const& call : calls)
        EXPECT_TRUE(call.signatureValid) << call.method;
    auto check = toolkit::json::objectFromJSONString(calls[0].data);
    EXPECT_EQ(check.dictionary()->objectForKey("srcappid"), base::Value("zorel"));
    EXPECT_GE(check.dictionary()->objectForKey("sid").longLongValue(), 0);
    EXPECT_EQ(calls[1].data, R"({"appid":"net.quillaby.salon","ver":"1.0","udid":"udid-1"})");
    EXPECT_EQ(seenNames(), std::vector<std::string>({"qbykit_checkreward_notification"}));
}

TEST_F(RewardCallsTest, WithoutATokenTheReplyIsIgnoredAndAFailureDropsTheEntry) {
    connect().setObject(base::Dictionary::create({{"old", 1}}), QBYKeys::CheckRewardDataStore);
    connect().callAPIMethod(serverkit::CheckReward::apicallWithTargetBundleId("zorel"));
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(connect().objectForKey(QBYKeys::CheckRewardDataStore),
        base::Value(base::Dictionary::create({{"old", 1}})));

    holdToken(token);
    seen.clear();
    server.reply("checkreward", HttpResponse::dropped());
    connect().callAPIMethod(serverkit::CheckReward::apicallWithTargetBundleId("zorel"));
    ASSERT_TRUE(runUntilIdle());
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(connect().objectForKey(QBYKeys::CheckRewardDataStore).isNull());
}
