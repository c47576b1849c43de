// The server clock against a loopback game server: a Base64 date, an error page, a
// dropped connection and overlapping fetches, each ending on the main thread.

#include "ShellFixture.hpp"

#include <foundation/DateFormatter.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <game/progression/Base64.hpp>
#include <game/progression/NetworkTime.hpp>
#include <game/shell/ServerConfig.hpp>
#include <support/LoopbackServer.hpp>

#include <cstdlib>
#include <thread>

using game::NetworkTime;

namespace {

class NetworkTimeTest : public test::ShellFixture {
protected:
    NetworkTimeTest() {
        NetworkTime::releaseManager();
        setenv(game::ServerConfig::gameServerHostVariable,
            ("127.0.0.1:" + std::to_string(server.port())).c_str(), 1);
        observation = foundation::NotificationCenter::defaultCenter().observe(
            NetworkTime::GetServerTimeDidFinishNotification,
            [this](foundation::Notification const& notification) {
                posts.push_back({notification.object() == &NetworkTime::sharedManager(),
                    std::this_thread::get_id() == mainThread});
            });
    }
    ~NetworkTimeTest() override {
        // Every fetch is let end, so no thread outlives the test.
        foundation::RunLoop::main().runUntil(
            [] { return NetworkTime::sharedManager().fetchesInFlight() == 0; }, 10);
        unsetenv(game::ServerConfig::gameServerHostVariable);
        NetworkTime::releaseManager();
        foundation::RunLoop::main().reset();
    }

    bool waitForEnds() {
        return foundation::RunLoop::main().runUntil(
            [] { return NetworkTime::sharedManager().fetchesInFlight() == 0; }, 10);
    }
    static base::Date local(std::string_view text) {
        return *foundation::DateFormatter("yyyy-MM-dd HH:mm:ss").dateFromString(text);
    }

    struct Post {
        bool fromTheSharedInstance;
        bool onTheMainThread;
    };

    test::LoopbackServer server;
    std::thread::id mainThread = std::this_thread::get_id();
    foundation::ObservationToken observation;
    std::vector<Post> posts;
};

}

TEST_F(NetworkTimeTest, ABase64DateIsKeptInTheDevicesTimeZoneAndAnnouncedOnTheMainThread) {
    server.route("GET", "/time.php",
        test::HttpResponse::text(game::encodeBase64("2012-03-04 05:06:07"), 200, "text/html"));
    NetworkTime::getServerTime();
    ASSERT_TRUE(waitForEnds());
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_TRUE(posts[0].fromTheSharedInstance);
    EXPECT_TRUE(posts[0].onTheMainThread);
    ASSERT_TRUE(NetworkTime::cachedDate());
    EXPECT_EQ(*NetworkTime::cachedDate(), local("2012-03-04 05:06:07"));
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests()[0].path, "/time.php");
}

TEST_F(NetworkTimeTest, AnErrorPageClearsTheDateAndIsStillAnnounced) {
    server.route("GET", "/time.php",
        test::HttpResponse::text(game::encodeBase64("2012-03-04 05:06:07"), 200));
    NetworkTime::getServerTime();
    ASSERT_TRUE(waitForEnds());
    ASSERT_TRUE(NetworkTime::cachedDate());

    server.route("GET", "/time.php", test::HttpResponse::text("<html>Not here</html>", 500));
    NetworkTime::getServerTime();
    ASSERT_TRUE(waitForEnds());
    EXPECT_EQ(posts.size(), 2u);
    EXPECT_FALSE(NetworkTime::cachedDate());
}

TEST_F(NetworkTimeTest, NoReplyChangesNothingAndAnnouncesNothing) {
    server.route("GET", "/time.php",
        test::HttpResponse::text(game::encodeBase64("2012-03-04 05:06:07"), 200));
    NetworkTime::getServerTime();
    ASSERT_TRUE(waitForEnds());

    server.route("GET", "/time.php", test::HttpResponse::dropped());
    NetworkTime::getServerTime();
    ASSERT_TRUE(waitForEnds());
    EXPECT_EQ(posts.size(), 1u);
    ASSERT_TRUE(NetworkTime::cachedDate());
    EXPECT_EQ(*NetworkTime::cachedDate(), local("2012-03-04 05:06:07"));
}

TEST_F(NetworkTimeTest, WithoutAGameServerNothingIsSent) {
    unsetenv(game::ServerConfig::gameServerHostVariable);
    NetworkTime::getServerTime();
    EXPECT_EQ(NetworkTime::sharedManager().fetchesInFlight(), 0);
    foundation::RunLoop::main().runFor(0.1);
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_TRUE(posts.empty());
}

TEST_F(NetworkTimeTest, OverlappingFetchesEachEndOnTheMainThread) {
    // The first reply is held back until the second fetch has been answered.
    auto gate = std::make_shared<test::Gate>();
    std::atomic<int> served {0};
    server.route("GET", "/time.php", [&](test::HttpRequest const&) {
        if (served++ == 0) {
            test::HttpResponse held;
            held.pieces.push_back({game::encodeBase64("2012-03-04 05:06:07"), 0, gate});
            return held;
        }
        return test::HttpResponse::text(game::encodeBase64("2013-01-02 03:04:05"));
    });
    NetworkTime::getServerTime();
    ASSERT_TRUE(server.waitForRequests(1, 10));
    NetworkTime::getServerTime();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return posts.size() == 1; }, 10));
    EXPECT_EQ(*NetworkTime::cachedDate(), local("2013-01-02 03:04:05"));
    gate->open();
    ASSERT_TRUE(waitForEnds());
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_TRUE(posts[0].onTheMainThread && posts[1].onTheMainThread);
    // The later reply is the one kept.
    EXPECT_EQ(*NetworkTime::cachedDate(), local("2012-03-04 05:06:07"));
}

TEST(NetworkTimeReply, ReadsOnlyBase64OfTheWholePattern) {
    struct Case {
        char const* body;
        char const* date; // null: no date
    };
    Case const cases[] = {
        {"MjAxMi0wMy0wNCAwNTowNjowNw==", "2012-03-04 05:06:07"},
        {"MjAxMi0wMy0wNCAwNTowNjowNw", nullptr}, // padding left out: the length is wrong
        {"MjAxMi0wMy0wNCAwNTowNjowNw==\n", nullptr}, {"", nullptr},
        {"MjAxMi0wMy0wNA==", nullptr}, // a date without the time
        {"MjAxMi0xMy0wNCAwNTowNjowNw==", nullptr}, // month 13
    };
    for (auto const& c : cases) {
        auto date = NetworkTime::dateFromReply(c.body);
        if (!c.date) {
            EXPECT_FALSE(date) << c.body;
            continue;
        }
        ASSERT_TRUE(date) << c.body;
        EXPECT_EQ(*date, *foundation::DateFormatter("yyyy-MM-dd HH:mm:ss").dateFromString(c.date))
            << c.body;
    }
}
