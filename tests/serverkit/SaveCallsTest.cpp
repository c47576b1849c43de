#include "ServerKitFixture.hpp"

#include <serverkit/CheckRestore.hpp>
#include <serverkit/ConfirmRestore.hpp>
#include <serverkit/PushSaveData.hpp>
#include <serverkit/SignedReply.hpp>

#include <toolkit/json/JSONDecoder.hpp>

namespace QBYKeys = serverkit::QBYKeys;
using test::GameServerStandIn;
using test::HttpResponse;

namespace {

class SaveCallsTest : public test::ServerKitTest { };

constexpr char const* token = "c0ffee";

base::Value oldEntry() {
    return base::Dictionary::create({{"DATA_old", "1"}});
}

}

TEST_F(SaveCallsTest, CheckRestoreRepliesGiveTheDataStoreEntry) {
    std::string save = R"({"DATA_money":"500","DATA_day":"10"})";
    auto genuine = GameServerStandIn::signedReply(save, token);
    auto offByOne = genuine;
    auto sigAt = offByOne.find("\"sig\":\"") + 7;
    offByOne[sigAt] = offByOne[sigAt] == '0' ? '1' : '0';
    struct Case {
        char const* name;
        std::string reply;
        std::optional<base::Value> entry; // nullopt: removed
    };
    Case const cases[] = {
        {"-1", "-1", oldEntry()},
        {"none", GameServerStandIn::signedReply("none", token), std::nullopt},
        {"genuine", genuine, toolkit::json::objectFromJSONString(save)},
        {"one digit off", offByOne, std::nullopt},
        {"not JSON", "<html>", std::nullopt},
        {"genuine but data not JSON", GameServerStandIn::signedReply("{nope", token), std::nullopt},
        {"data a number", GameServerStandIn::signedReply("42", token), std::nullopt},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        holdToken(token);
        connect().setObject(oldEntry(), QBYKeys::CheckRestoreDataStore);
        server.reply("checkrestore", c.reply);
        connect().callAPIMethod(serverkit::CheckRestore::apicall());
        ASSERT_TRUE(runUntilIdle());
        auto entry = connect().objectForKey(QBYKeys::CheckRestoreDataStore);
        if (c.entry)
            EXPECT_EQ(entry, *c.entry);
        else
            EXPECT_TRUE(entry.isNull()) << entry.description();
        ASSERT_EQ(seenNames(), std::vector<std::string>({"qbykit_checkrestore_notification"}));
        EXPECT_EQ(seen[0].userInfo, entry);
    }
}

TEST_F(SaveCallsTest, ANumberInDataIsSignedAsItsDecimalText) {
    auto reply = toolkit::json::objectFromJSONString(
        R"({"data":42,"sig":")" + GameServerStandIn::hmacHex(token, "42") + "\"}");
    EXPECT_EQ(serverkit::SignedReply::dataText(reply), "42");
    EXPECT_TRUE(serverkit::SignedReply::isGenuine(reply, token));
    EXPECT_FALSE(serverkit::SignedReply::isGenuine(reply, "other"));
    auto noSig = toolkit::json::objectFromJSONString(R"({"data":"42"})");
    EXPECT_FALSE(serverkit::SignedReply::isGenuine(noSig, token));
    auto noData = toolkit::json::objectFromJSONString(R"({"sig":"00"})");
    EXPECT_FALSE(serverkit::SignedReply::isGenuine(noData, token));
}

TEST_F(SaveCallsTest, SignaturesCompareWholeAndExactly) {
    struct Case {
        char const* a;
        char const* b;
        bool equal;
    };
    Case const cases[] = {{"abc", "abc", true}, {"abc", "abd", false}, {"abc", "ab", false},
        {"", "", true}, {"ABC", "abc", false}};
    for (auto const& c : cases)
        EXPECT_EQ(serverkit::SignedReply::constantTimeEquals(c.a, c.b), c.equal) << c.a << c.b;
}

TEST_F(SaveCallsTest, WithoutATokenTheRestoreReplyIsNotLookedAt) {
    connect().setObject(oldEntry(), QBYKeys::CheckRestoreDataStore);
    server.offerRestore(R"({"DATA_money":"1"})");
    connect().callAPIMethod(serverkit::CheckRestore::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(connect().objectForKey(QBYKeys::CheckRestoreDataStore), oldEntry());
    ASSERT_EQ(server.calls().size(), 1u);
    EXPECT_TRUE(server.calls()[0].body.ends_with("&sig="));
}

TEST_F(SaveCallsTest, AFailedRestoreCheckPostsNothingAndDropsTheEntry) {
    holdToken(token);
    connect().setObject(oldEntry(), QBYKeys::CheckRestoreDataStore);
    server.reply("checkrestore", HttpResponse::text("oops", 500));
    connect().callAPIMethod(serverkit::CheckRestore::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(connect().objectForKey(QBYKeys::CheckRestoreDataStore).isNull());
}

TEST_F(SaveCallsTest, AnUploadCarriesTheSaveAsANestedObjectAndARequestNumber) {
    holdToken(token);
    server.setToken(token);
    auto save = base::Dictionary::create({{"DATA_money", "120"}, {"DATA_day", 10}});
    auto call = serverkit::PushSaveData::apicallWithSaveDataObject(base::Value(save));
    save->setObject("DATA_money", "changed later");
    connect().callAPIMethod(call);
    ASSERT_TRUE(runUntilIdle());
    ASSERT_EQ(server.uploads().size(), 1u);
    auto request = toolkit::json::objectFromJSONString(server.uploads()[0]);
    auto const& object = *request.dictionary();
    EXPECT_EQ(object.objectForKey("savedata"),
        base::Value(base::Dictionary::create({{"DATA_money", "120"}, {"DATA_day", 10}})));
    EXPECT_TRUE(object.objectForKey("sid").isNumber());
    EXPECT_GE(object.objectForKey("sid").longLongValue(), 0);
    EXPECT_EQ(object.objectForKey("udid"), base::Value("udid-1"));
    EXPECT_TRUE(server.calls()[0].signatureValid);
    EXPECT_EQ(seenNames(), std::vector<std::string>({"qbykit_savedata_notification"}));
}

TEST_F(SaveCallsTest, TheRestoreRoundTripImportsAndConfirms) {
    holdToken(token);
    server.setToken(token);
    server.offerRestore(R"({"DATA_money":"777"})");
    connect().callAPIMethod(serverkit::CheckRestore::apicall());
    ASSERT_TRUE(runUntilIdle());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].userInfo, base::Value(base::Dictionary::create({{"DATA_money", "777"}})));
    connect().callAPIMethod(serverkit::ConfirmRestore::apicallWithStatus("COMPLETE"));
    connect().callAPIMethod(serverkit::CheckRestore::apicall());
    ASSERT_TRUE(runUntilIdle());
    auto calls = server.calls();
    ASSERT_EQ(calls.size(), 3u);
    auto confirm = toolkit::json::objectFromJSONString(calls[1].data);
    EXPECT_EQ(confirm.dictionary()->objectForKey("status"), base::Value("COMPLETE"));
    EXPECT_TRUE(calls[1].signatureValid);
    // Confirmed, the server holds nothing more: "-1" leaves the entry as it was.
    EXPECT_EQ(connect().objectForKey(QBYKeys::CheckRestoreDataStore),
        base::Value(base::Dictionary::create({{"DATA_money", "777"}})));
}
