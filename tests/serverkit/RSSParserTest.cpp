#include <serverkit/RSSParser.hpp>

#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>

#include <foundation/Thread.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace {

using serverkit::RSSItem;
using serverkit::RSSParser;

base::Bytes bytes(std::string const& text) {
    return base::Bytes(text.begin(), text.end());
}

// A feed with the channel's own title and link before and after its items, a
// title and a link in several pieces (split by a comment and an entity), a CDATA
// description and two items of the same title.
constexpr char const* feed = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0"><channel>
<title>Salon news</title><link>http://example.invalid/</link>
<item>
  <title>Grand <!-- split -->opening &amp; more</title>
  <link>http://a.invalid/one<!-- split -->/two</link>
  <description><![CDATA[<b>Bold</b> caf)"
                             "\xc3\xa9"
                             R"(]]></description>
  <pubDate>Mon, 07 Dec 2026</pubDate>
  <lastBuildDate>Tue, 08 Dec 2026</lastBuildDate>
</item>
<item><title>Same</title><link>http://b.invalid/first</link></item>
<item><title>Same</title><link>http://b.invalid/second</link></item>
<title>Channel tail</title><link>http://tail.invalid/</link>
</channel></rss>)";

TEST(RSSParserTest, ReadsItemsInOrderJoiningTitlesAndKeepingTheLastLinkPiece) {
    auto items = RSSParser::parserWithData(bytes(feed))->getNewsItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].title, "Grand opening & more");
    EXPECT_EQ(items[0].link, "/two");
    EXPECT_EQ(items[0].description, "<b>Bold</b> caf\xc3\xa9");
    EXPECT_EQ(items[0].pubDate, "Mon, 07 Dec 2026");
    EXPECT_EQ(items[0].lastBuildDate, "Tue, 08 Dec 2026");
    EXPECT_EQ(items[1], (RSSItem {"Same", "http://b.invalid/first", "", "", ""}));
    EXPECT_EQ(items[2], (RSSItem {"Same", "http://b.invalid/second", "", "", ""}))
        << "the channel's title and link after the items leave the last item alone";
}

TEST(RSSParserTest, EdgeCasesOfTheItemElements) {
    struct Case {
        char const* name;
        std::string document;
        std::vector<RSSItem> items;
    };
    std::vector<Case> cases {
        {"no items", "<rss><channel><title>t</title></channel></rss>", {}},
        {"text in a child of title is not title text",
            "<rss><item><title>A<b>x</b>B</title></item></rss>", {{"A", "", "", "", ""}}},
        {"a description outside CDATA is not read",
            "<rss><item><description>plain</description></item></rss>", {{}}},
        {"CDATA outside description is not read",
            "<rss><item><title><![CDATA[t]]></title></item></rss>", {{}}},
        {"a Latin-1 feed's description comes as UTF-8",
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
            "<rss><item><description><![CDATA[caf\xe9]]></description></item></rss>",
            {{"", "", "caf\xc3\xa9", "", ""}}},
        {"an inner item replaces the outer one, which is not added",
            "<rss><item><title>outer</title><item><title>inner</title></item></item></rss>",
            {{"inner", "", "", "", ""}}},
        {"a broken document gives no items",
            "<rss><item><title>A</title></item><item><title>B</rss>", {}},
        {"not XML at all", "{\"items\": []}", {}},
        {"nothing", "", {}},
    };
    test::LogCapture quiet;
    for (auto const& c : cases)
        EXPECT_EQ(RSSParser::parserWithData(bytes(c.document))->getNewsItems(), c.items) << c.name;
}

TEST(RSSParserTest, FetchesTheFeedOnAWorkerThreadIgnoringCaches) {
    test::LoopbackServer server;
    server.route("GET", "/appfeed.php",
        test::HttpResponse::text(feed, 200, "application/rss+xml")
            .header("Cache-Control", "max-age=3600"));
    std::vector<RSSItem> first;
    std::vector<RSSItem> second;
    std::thread worker([&] {
        first = RSSParser::initParserWithURL(server.url("/appfeed.php"))->getNewsItems();
        second = RSSParser::initParserWithURL(server.url("/appfeed.php"))->getNewsItems();
    });
    worker.join();
    EXPECT_EQ(first.size(), 3u);
    EXPECT_EQ(second, first);
    ASSERT_EQ(server.requestCount(), 2u) << "the second read goes to the server again";
    for (auto const& request : server.requests())
        EXPECT_EQ(request.headers.get("Cache-Control"), "no-cache") << request.target;
}

TEST(RSSParserTest, AFeedThatCannotBeFetchedGivesNoItems) {
    test::LoopbackServer server;
    server.route("GET", "/error", test::HttpResponse::text(feed, 500, "application/rss+xml"));
    server.route("GET", "/dropped", test::HttpResponse::dropped());
    test::LogCapture log;
    for (auto path : {"/error", "/dropped", "/missing"})
        EXPECT_TRUE(RSSParser::initParserWithURL(server.url(path))->getNewsItems().empty()) << path;
    EXPECT_TRUE(RSSParser::initParserWithURL("")->getNewsItems().empty());
    EXPECT_TRUE(log.contains("could not be fetched"));
}

// The hand-over a caller on the main thread polls: no items while the reply is held,
// then every item; a read let go of before it ends finishes on its own.
TEST(RSSParserTest, AFeedReadInTheBackgroundHandsItsItemsOverWhenItEnds) {
    test::LoopbackServer server;
    auto gate = std::make_shared<test::Gate>();
    auto held = test::HttpResponse::text("", 200, "application/rss+xml");
    held.pieces = {{feed, 0, gate}};
    server.route("GET", "/appfeed.php", held);

    auto read = serverkit::RSSFeedRead::start(server.url("/appfeed.php"));
    auto dropped = serverkit::RSSFeedRead::start(server.url("/appfeed.php"));
    ASSERT_TRUE(server.waitForRequests(2, 20));
    EXPECT_FALSE(read->items());
    dropped.reset();
    gate->open();
    for (int i = 0; i < 2000 && !read->items(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(read->items());
    EXPECT_EQ(read->items()->size(), 3u);
    EXPECT_EQ(read->items()->front().title, "Grand opening & more");
    EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(20));
}

}
