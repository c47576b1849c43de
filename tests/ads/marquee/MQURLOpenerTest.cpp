#include <ads/marquee/MQURLOpener.hpp>

#include <foundation/RunLoop.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/Application.hpp>

#include <gtest/gtest.h>

using ads::marquee::MQURLOpener;
using test::HttpResponse;

namespace {

class Recorder final : public ads::marquee::MQUrlOpenerDelegate {
public:
    void urlWillOpen(std::string const& url) override {
        // Told before the system gets the URL.
        events.push_back("will " + url + " after "
            + std::to_string(ui::Application::sharedApplication().openedExternalURLs().size()));
    }
    void urlOpenerDidFail(std::string const& url) override { events.push_back("fail " + url); }

    std::vector<std::string> events;
};

class MQURLOpenerTest : public ::testing::Test {
protected:
    ~MQURLOpenerTest() override {
        foundation::RunLoop::main().reset();
        ui::Application::reset();
    }

    // Opens url and waits until the opener has ended; the opener is held by nobody else.
    void open(std::string const& url) {
        base::WeakRef<MQURLOpener> weak;
        {
            auto opener = MQURLOpener::openerWithDelegate(&recorder);
            weak = opener;
            opener->open(url);
            EXPECT_TRUE(opener->isOpening());
        }
        ASSERT_TRUE(
            foundation::RunLoop::main().runUntil([&] { return !recorder.events.empty(); }, 20));
        // It let go of itself.
        EXPECT_EQ(weak.get(), nullptr);
    }
    static std::vector<std::string> opened() {
        return ui::Application::sharedApplication().openedExternalURLs();
    }

    test::LoopbackServer server;
    Recorder recorder;
};

}

// The system follows the last redirect itself: the address that sent it is opened.
TEST_F(MQURLOpenerTest, AChainOfThreeRedirectsOpensTheAddressThatSentTheLast) {
    server.route("GET", "/r1", HttpResponse::redirect(302, "/r2"));
    server.route("GET", "/r2", HttpResponse::redirect(302, "/r3"));
    server.route("GET", "/r3", HttpResponse::redirect(302, "/store"));
    server.route("GET", "/store", HttpResponse::text("store page"));
    open(server.url("/r1"));
    EXPECT_EQ(
        recorder.events, (std::vector<std::string> {"will " + server.url("/r3") + " after 0"}));
    EXPECT_EQ(opened(), (std::vector<std::string> {server.url("/r3")}));
    EXPECT_EQ(server.requestCount(), 4u);
}

TEST_F(MQURLOpenerTest, ALinkWithoutRedirectsOpensItself) {
    server.route("GET", "/direct", HttpResponse::text("hello"));
    open(server.url("/direct"));
    EXPECT_EQ(opened(), (std::vector<std::string> {server.url("/direct")}));
}

TEST_F(MQURLOpenerTest, AFailedConnectionOpensNothingAndTellsTheDelegate) {
    server.route("GET", "/gone", HttpResponse::dropped());
    open(server.url("/gone"));
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"fail " + server.url("/gone")}));
    EXPECT_TRUE(opened().empty());
}

TEST_F(MQURLOpenerTest, EndlessRedirectsStopAfterTheBoundAndOpenTheLastSender) {
    server.route("GET", "/loop", [](test::HttpRequest const& request) {
        int hop = request.query.empty() ? 0 : std::stoi(request.query);
        return HttpResponse::redirect(302, "/loop?" + std::to_string(hop + 1));
    });
    open(server.url("/loop?0"));
    auto last = server.url("/loop?" + std::to_string(MQURLOpener::MaximumRedirects));
    EXPECT_EQ(opened(), (std::vector<std::string> {last}));
    EXPECT_EQ(server.requestCount(), std::size_t(MQURLOpener::MaximumRedirects + 1));
}
