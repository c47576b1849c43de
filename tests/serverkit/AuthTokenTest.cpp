#include "ServerKitFixture.hpp"

#include <serverkit/AuthToken.hpp>
#include <serverkit/CheckRestore.hpp>

using serverkit::AuthToken;
namespace QBYKeys = serverkit::QBYKeys;
using test::GameServerStandIn;
using test::HttpResponse;

namespace {

class AuthTokenTest : public test::ServerKitTest {
protected:
    std::optional<std::string> heldToken() { return connect().sessionToken(); }
};

base::Bytes opened(std::string const& prefix, std::string const& rest) {
    auto text = prefix + std::string(1, '\0') + rest;
    return base::Bytes(text.begin(), text.end());
}

}

TEST_F(AuthTokenTest, TheTokenIsTheHexTextAfterTheFirstZeroByte) {
    struct Case {
        char const* name;
        base::Bytes block;
        std::optional<std::string> token;
    };
    Case const cases[] = {
        {"text then zeros", opened("\x01\x7f\xff", std::string("00ff9a") + std::string(4, '\0')),
            "00ff9a"},
        {"text to the end", opened("\x05", "abcdef0123456789"), "abcdef0123456789"},
        {"empty token", opened("\x09\x09", std::string(3, '\0')), ""},
        {"upper-case letter", opened("\x01", std::string("00fF") + '\0'), std::nullopt},
        {"other character", opened("\x01", std::string("12 4") + '\0'), std::nullopt},
        {"text after a second zero is ignored", opened("\x01", std::string("ab\0XYZ", 6)), "ab"},
        {"no zero byte",
            test::bytesOf("\x01\x02"
                          "abc"),
            std::nullopt},
        {"nothing", base::Bytes {}, std::nullopt},
    };
    for (auto const& c : cases)
        EXPECT_EQ(AuthToken::tokenFromOpenedBlock(c.block), c.token) << c.name;
}

TEST_F(AuthTokenTest, TokenBlocksFromTheServerGiveTheDataStoreEntry) {
    struct Case {
        char const* name;
        std::string reply;
        std::optional<std::string> token; // nullopt: the held token is removed
    };
    Case const cases[] = {
        {"good", GameServerStandIn::tokenBlock("00ff9a77"), "00ff9a77"},
        {"upper-case letter", GameServerStandIn::tokenBlock("00FF9A77"), std::nullopt},
        {"no zero byte",
            GameServerStandIn::privateBlock(GameServerStandIn::plainTokenBlock("abc", false)),
            std::nullopt},
        {"empty token", GameServerStandIn::tokenBlock(""), ""},
        {"wrong key",
            GameServerStandIn::privateBlock(GameServerStandIn::plainTokenBlock("abc"), true),
            std::nullopt},
        {"not a block", "short reply", std::nullopt},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        holdToken("0ld");
        server.reply("authtoken", HttpResponse::text(c.reply, 200, "application/octet-stream"));
        double before = foundation::Clock::current().wallTime();
        connect().callAPIMethod(AuthToken::apicall());
        ASSERT_TRUE(runUntilIdle());
        EXPECT_EQ(heldToken(), c.token);
        if (c.token) {
            auto entry = connect().objectForKey(QBYKeys::AuthDataStore);
            auto const* expire = entry.dictionary()->objectForKey(QBYKeys::AuthExpire).date();
            ASSERT_TRUE(expire);
            EXPECT_GE(expire->seconds, before + 1800);
            EXPECT_LE(expire->seconds, foundation::Clock::current().wallTime() + 1800);
        } else {
            EXPECT_TRUE(connect().objectForKey(QBYKeys::AuthDataStore).isNull());
        }
    }
    EXPECT_TRUE(seen.empty()) << "AuthToken posts nothing";
}

TEST_F(AuthTokenTest, AFailedCallKeepsTheHeldTokenWhateverBytesCame) {
    HttpResponse cut = HttpResponse::text(GameServerStandIn::tokenBlock("abcd").substr(0, 100));
    cut.announcedLength = 256;
    HttpResponse const replies[] = {
        HttpResponse::text(GameServerStandIn::tokenBlock("abcd"), 500),
        HttpResponse::text("", 404),
        HttpResponse::dropped(),
        cut,
        HttpResponse::text(""),
    };
    for (auto const& reply : replies) {
        holdToken("0ld");
        server.reply("authtoken", reply);
        connect().callAPIMethod(AuthToken::apicall());
        ASSERT_TRUE(runUntilIdle());
        EXPECT_EQ(heldToken(), "0ld");
    }
}

TEST_F(AuthTokenTest, ATokenPastItsExpiryCountsAsAbsent) {
    holdToken("0ld", -1);
    EXPECT_EQ(heldToken(), std::nullopt);
    EXPECT_TRUE(connect().objectForKey(QBYKeys::AuthDataStore).isNull());

    holdToken("0ld", -1);
    connect().callAPIMethod(serverkit::CheckRestore::apicall());
    ASSERT_TRUE(runUntilIdle());
    auto calls = server.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].sig, "") << "an expired token signs nothing";
    EXPECT_TRUE(calls[0].body.ends_with("&sig="));

    holdToken("fresh", 60);
    EXPECT_EQ(heldToken(), "fresh");
}

TEST_F(AuthTokenTest, AFetchedTokenSignsTheNextCallsAndTheStandInAcceptsThem) {
    server.setToken("9f86d081884c7d659a2feaa0c55ad015");
    connect().callAPIMethod(AuthToken::apicall());
    connect().callAPIMethod(serverkit::CheckRestore::apicall());
    ASSERT_TRUE(runUntilIdle());
    auto calls = server.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].method, "authtoken");
    EXPECT_FALSE(calls[0].sig);
    EXPECT_EQ(calls[1].method, "checkrestore");
    EXPECT_TRUE(calls[1].signatureValid);
}

TEST_F(AuthTokenTest, WithoutTheCertificateThereIsNoToken) {
    auto reply = test::bytesOf(GameServerStandIn::tokenBlock("abcd"));
    auto result = AuthToken::dataStoreInfoForReply(&reply, nullptr, 0);
    ASSERT_TRUE(result.info);
    EXPECT_TRUE(result.info->objectForKey(QBYKeys::AuthDataStore).isNullObject());
    auto key = AuthToken::certificateKey();
    ASSERT_TRUE(key);
    result = AuthToken::dataStoreInfoForReply(&reply, key.get(), 100);
    EXPECT_EQ(result.token, "abcd");
    EXPECT_EQ(result.expireTime, 1900);
}
