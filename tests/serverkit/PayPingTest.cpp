#include <serverkit/PayPing.hpp>

#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>

#include <foundation/RunLoop.hpp>

#include <gtest/gtest.h>

namespace {

using serverkit::PayPing;

// "app&1\u00e9" + "dev-1" + "secret" and the same with the key "other".
constexpr char const* appId = "app&1\xc3\xa9";
constexpr char const* signature
    = "4bea80a3434a0b95a21edcfdd4f8b9b64e3a1cf8107e53bfeb29ad540a64a613";
constexpr char const* otherSignature
    = "1550a48f6810f2abca940dab89ea039cd682bf549aab26369a5622c5bc7ec6bf";

TEST(PayPingTest, HashGenIsLowerCaseHexSHA256OverAllUTF8Bytes) {
    EXPECT_EQ(PayPing::hashGen("abc"),
        "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(PayPing::hashGen("app&1\xc3\xa9"
                               "dev-1secret"),
        signature);
}

TEST(PayPingTest, TheURLEscapesTheValuesAndSignsTheRawTextWithoutTheKey) {
    auto url = PayPing::pingURL("http://h:1", appId, "dev-1", "secret");
    EXPECT_EQ(url,
        std::string("http://h:1/api/installconfirm?app_id=app%261%C3%A9&phone_id=dev-1&signature=")
            + signature);
    EXPECT_EQ(url.find("secret"), std::string::npos);

    auto other = PayPing::pingURL("http://h:1", appId, "dev-1", "other");
    EXPECT_EQ(other.substr(0, other.size() - 64), url.substr(0, url.size() - 64))
        << "only the signature changes with the key";
    EXPECT_EQ(other.substr(other.size() - 64), otherSignature);

    EXPECT_EQ(PayPing::pingURL("", appId, "dev-1", "secret"), "");
}

TEST(PayPingTest, SendsOneGetWhoseReplyIsKeptButNotRead) {
    test::LoopbackServer server;
    server.route("GET", PayPing::Path, test::HttpResponse::text("thanks"));
    auto ping = PayPing::create(server.baseURL(), "dev-1");
    ping->trackWithAppId(appId, "secret");
    ASSERT_TRUE(ping->connection());
    EXPECT_DOUBLE_EQ(ping->connection()->originalRequest().timeoutInterval(), 60);
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return !ping->connection()->isLoading(); }, 20));

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].query,
        std::string("app_id=app%261%C3%A9&phone_id=dev-1&signature=") + signature);
    EXPECT_EQ(std::string(ping->data().begin(), ping->data().end()), "thanks");
}

TEST(PayPingTest, WithoutAServiceNothingIsSent) {
    test::LogCapture log;
    auto ping = PayPing::create("", "dev-1");
    ping->payPerInstall("app", "secret");
    EXPECT_FALSE(ping->connection());
    EXPECT_TRUE(log.contains("nothing is sent"));
}

}
