#include "KestrelFixture.hpp"

#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>

#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>

#include <gtest/gtest.h>

#include <algorithm>

using ads::kestrel::KestrelAdImpression;
using ads::kestrel::KestrelAdParser;

namespace {

class KestrelAdCallbackSendTest : public test::KestrelTest {
protected:
    KestrelAdCallbackSendTest() {
        server.route("GET", "/own", test::HttpResponse::text("ok"));
        server.route("GET", "/foreign", test::HttpResponse::text("ok"));
        startSession("SECRETKEY");
    }

    // A reply whose ad 101 (cookie 0a1b) has callbacks for state 2 at the loopback
    // server, reached once as 127.0.0.1 and once as localhost.
    base::Bytes reply() const {
        auto own = server.url("/own?x=1");
        auto foreign = "http://localhost:" + std::to_string(server.port()) + "/foreign";
        return test::ReplyWriter()
            .block(0x0103,
                test::ReplyWriter()
                    .u8(1)
                    .u16(1)
                    .i64(101)
                    .i64(0)
                    .str("a")
                    .str("b")
                    .i64(0)
                    .i64(0)
                    .u8(2)
                    .raw({0x0A, 0x1B}))
            .block(0x0122,
                test::ReplyWriter()
                    .u16(3)
                    .i64(101)
                    .u8(2)
                    .str(own)
                    .u8(1)
                    .i64(101)
                    .u8(2)
                    .str(foreign)
                    .u8(1)
                    .i64(101)
                    .u8(3)
                    .str(server.url("/own?never"))
                    .u8(1))
            .end()
            .bytes;
    }

    std::vector<std::string> targets() const {
        std::vector<std::string> all;
        for (auto const& request : server.requests())
            all.push_back(request.target);
        std::sort(all.begin(), all.end());
        return all;
    }

    test::LoopbackServer server;
};

TEST_F(KestrelAdCallbackSendTest, OwnDomainGetsTheQueryOthersOnlyTheTime) {
    // The loopback address's last two labels stand for the ad network's domain.
    KestrelAdImpression::setAdNetworkDomain("0.1");
    parse(reply());
    clock->advance(2);
    auto impression = KestrelAdImpression::initWithHook("banner", 1, KestrelAdParser::instance());
    clock->advance(1);
    impression->updateWithAd(*KestrelAdParser::instance()->adBlockMap().at(1)->ads()[0]);
    ASSERT_TRUE(server.waitForRequests(2, 10));
    settle();
    EXPECT_EQ(targets(),
        (std::vector<std::string> {"/foreign?ats=1767225603000",
            "/own?x=1&hid=banner&adid=101&cid=0&apik=SECRETKEY&ac=0a1b&pid=IPHONEDEVICE-1"
            "&sid=1767225600000&its=2000&ats=1767225603000&adf=1&asid=2&pas=1-2000"}));
}

TEST_F(KestrelAdCallbackSendTest, WithoutAConfiguredDomainNoCallbackCarriesTheKey) {
    parse(reply());
    test::LogCapture log;
    analytics::KestrelUtil::setDebugLogEnabled(true);
    auto impression = KestrelAdImpression::initWithHook("banner", 1, KestrelAdParser::instance());
    impression->updateWithAd(*KestrelAdParser::instance()->adBlockMap().at(1)->ads()[0]);
    ASSERT_TRUE(server.waitForRequests(2, 10));
    settle();
    analytics::KestrelUtil::setDebugLogEnabled(false);
    for (auto const& target : targets()) {
        EXPECT_EQ(target.find("SECRETKEY"), std::string::npos) << target;
        EXPECT_EQ(target.find("0a1b"), std::string::npos) << target;
    }
    // The ad client itself never logs a callback URL (the agent's sender reports its own).
    for (auto const& line : log.lines()) {
        if (line.find("ad state completed") != std::string::npos
            || line.find("HTTP Response for ad state") != std::string::npos)
            continue;
        EXPECT_EQ(line.find("SECRETKEY"), std::string::npos) << line;
    }
}

TEST_F(KestrelAdCallbackSendTest, NoFinishedParserAndNoArchiveCallsNothing) {
    KestrelAdImpression::setAdNetworkDomain("0.1");
    auto impression = KestrelAdImpression::initWithHook("banner", 1, KestrelAdParser::instance());
    auto ad = ads::kestrel::KestrelAd::create();
    ad->setAdId(101);
    impression->updateWithAd(*ad);
    impression->updateWithResult(3, nullptr, nullptr, nullptr);
    settle();
    EXPECT_EQ(server.requestCount(), 0u);
}

}
