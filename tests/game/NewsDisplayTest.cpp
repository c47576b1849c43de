#include "HudFixture.hpp"

#include <game/interface/Interface.hpp>
#include <game/server/NewsDisplay.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/ServerConfig.hpp>
#include <support/LoopbackServer.hpp>

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>

#include <gtest/gtest.h>

#include <graphics/GLES.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using game::NewsDisplay;

// Records the pages the ticker asks the game's browser to show.
class PageRecorder final : public game::RootViewController {
public:
    void showWebPage(std::string const& address) override { pages.push_back(address); }
    std::vector<std::string> pages;

private:
    friend base::Factory;
    PageRecorder() = default;
};

// Two items of the same title, a title split by a comment and a link in two pieces.
constexpr char const* feed = R"(<rss version="2.0"><channel><title>Salon</title>
<item><title>Same</title><link>http://news.invalid/first</link></item>
<item><title>Grand <!-- split -->opening</title><link>http://x.invalid/a<!---->/opening</link>
<description><![CDATA[<p>Doors open</p>]]></description></item>
<item><title>Same</title><link>http://news.invalid/second</link></item>
</channel></rss>)";

constexpr char const* oneItem
    = "<rss><channel><item><title>Only one</title><link>http://one.invalid/</link></item>"
      "</channel></rss>";

class NewsDisplayTest : public test::HudTest {
protected:
    void SetUp() override {
        HudTest::SetUp();
        setenv(game::ServerConfig::productWebBaseURLVariable, server.baseURL().c_str(), 1);
        online(true);
        gate = std::make_shared<test::Gate>();
        serve(feed);
    }
    void TearDown() override {
        if (ticker) {
            ticker->cleanup();
            layer->removeChild(ticker.get(), engine::Cleanup::Yes);
            ticker = nullptr;
        }
        gate->open();
        EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(20));
        game::GameGlobals::shared().mainLayer = nullptr;
        foundation::Reachability::clearForcedStatus();
        unsetenv(game::ServerConfig::productWebBaseURLVariable);
        HudTest::TearDown();
    }

    static void online(bool reachable) {
        foundation::Reachability::setForcedStatus(reachable
                ? foundation::Reachability::NetworkStatus::ReachableViaWiFi
                : foundation::Reachability::NetworkStatus::NotReachable);
    }
    // Serves the feed once the gate opens.
    void serve(std::string document) {
        test::HttpResponse reply = test::HttpResponse::text(document, 200, "application/rss+xml");
        reply.pieces.front().gateBefore = gate;
        server.route("GET", "/appfeed.php", reply);
    }
    void makeTicker() {
        ticker = NewsDisplay::node();
        ticker->setPosition({0, 20});
        layer->addChild(ticker, 5);
    }
    // Lets the feed through and waits (in real time) until the worker has read it.
    void deliverFeed() {
        gate->open();
        ASSERT_TRUE(
            foundation::RunLoop::main().runUntil([&] { return ticker->feedArrived(); }, 20));
    }
    void recordPages() {
        mainLayer = game::MainLayer::node();
        recorder = base::make<PageRecorder>();
        mainLayer->setPRootViewController(recorder.get());
        game::GameGlobals::shared().mainLayer = mainLayer;
        // Making the main layer brings up the real director; the scene keeps the
        // fixture's screen.
        engine::DirectorServices::install(&director);
    }
    std::vector<float> xs() const {
        std::vector<float> result;
        for (auto const& label : ticker->labels())
            result.push_back(label->position().x);
        return result;
    }
    static float width(engine::Label const& label) { return label.getTextSize().width; }
    // Runs past the ticker's next once-a-second poll.
    void poll() { frames(62); }
    // A touch at a point of the ticker's own space.
    bool tap(engine::Point point) {
        auto touches = touchAt(ticker->convertToWorldSpace(point));
        return ticker->ccTouchesBegan(touches, nullptr);
    }

    test::LoopbackServer server;
    std::shared_ptr<test::Gate> gate;
    base::Ref<NewsDisplay> ticker;
    base::Ref<game::MainLayer> mainLayer;
    base::Ref<PageRecorder> recorder;
};

TEST_F(NewsDisplayTest, ReadsTheFeedOffTheMainThreadAndLaysOutThePhoneTitles) {
    makeTicker();
    // The constructor came back while the server still holds the feed.
    ASSERT_TRUE(server.waitForRequests(1, 20));
    EXPECT_FALSE(ticker->feedArrived());
    seconds(3);
    EXPECT_TRUE(ticker->labels().empty()) << "nothing is built while the feed is on its way";
    EXPECT_EQ(ticker->clipBox(), (engine::Rect {{120, 0}, {390, 40}}));

    deliverFeed();
    poll();
    ASSERT_TRUE(ticker->newsList());
    ASSERT_EQ(ticker->labels().size(), 3u);
    auto const& labels = ticker->labels();
    EXPECT_EQ(labels[1]->getText(), "Grand opening");
    EXPECT_EQ(ticker->heading()->getText(), "News:");
    EXPECT_FLOAT_EQ(ticker->heading()->position().x, width(*ticker->heading()) / 2 - 180);
    // Placed at 500, 250 points apart, then one point a frame since.
    auto start = xs();
    EXPECT_NEAR(start[1] - start[0], width(*labels[0]) + 250, 0.01);
    EXPECT_NEAR(start[2] - start[1], width(*labels[1]) + 250, 0.01);
    EXPECT_LE(start[0], 500);
    EXPECT_GE(start[0], 500 - 61);
    frames(10);
    auto later = xs();
    for (std::size_t i = 0; i < later.size(); ++i)
        EXPECT_FLOAT_EQ(later[i], start[i] - 10) << i;
    for (auto const& label : labels) {
        EXPECT_EQ(label->anchorPoint(), (engine::Point {0, 0.5f}));
        EXPECT_FLOAT_EQ(label->position().y, -4);
    }
}

TEST_F(NewsDisplayTest, ALoneTitleComesBackAtItsRestartPosition) {
    serve(oneItem);
    makeTicker();
    deliverFeed();
    poll();
    ASSERT_TRUE(ticker->newsList());
    ASSERT_EQ(ticker->newsList()->size(), 1u) << server.requests().size();
    ASSERT_EQ(ticker->labels().size(), 1u);
    auto* label = ticker->labels()[0].get();
    float w = width(*label);
    // It leaves once its left end passes -250 - its width, and starts again at 500.
    int steps = int(label->position().x - (-250 - w)) + 1;
    frames(steps - 1);
    EXPECT_LT(label->position().x, 0.0f);
    frames(1);
    EXPECT_FLOAT_EQ(label->position().x, 500);
    frames(1);
    EXPECT_FLOAT_EQ(label->position().x, 499);
}

TEST_F(NewsDisplayTest, ALabelThatLeftGoesBehindTheLastOne) {
    makeTicker();
    deliverFeed();
    poll();
    auto* first = ticker->labels()[0].get();
    float w = width(*first);
    while (ticker->labels()[0].get() == first)
        frames(1);
    ASSERT_EQ(ticker->labels().back().get(), first);
    auto* last = ticker->labels()[1].get();
    EXPECT_FLOAT_EQ(first->position().x, last->position().x + width(*last) + 250);
    EXPECT_LT(ticker->labels()[0]->position().x, 500);
    EXPECT_GT(w, 0);
}

TEST_F(NewsDisplayTest, OnTheTabletTitlesAreCentredAndALoneOneRestartsAtItsWidthPast700) {
    tablet();
    serve(oneItem);
    makeTicker();
    EXPECT_EQ(ticker->clipBox(), (engine::Rect {{230, 0}, {798, 50}}));
    EXPECT_EQ(ticker->button()->position(), (engine::Point {-456, 8}));
    deliverFeed();
    poll();
    ASSERT_EQ(ticker->labels().size(), 1u);
    auto* label = ticker->labels()[0].get();
    float w = width(*label);
    EXPECT_FLOAT_EQ(ticker->heading()->position().x, width(*ticker->heading()) / 2 - 380);
    EXPECT_FLOAT_EQ(ticker->heading()->position().y, -10);
    EXPECT_FLOAT_EQ(label->position().y, -10);
    EXPECT_LE(label->position().x, w / 2 + 700);
    // A tap within half the width of the centre and 50 points of it opens the link.
    recordPages();
    auto centre = label->position();
    EXPECT_TRUE(tap({centre.x + w / 2 - 1, centre.y + 49}));
    EXPECT_FALSE(tap({centre.x + w / 2 + 2, centre.y}));
    EXPECT_FALSE(tap({centre.x, centre.y + 52}));
    EXPECT_EQ(recorder->pages, (std::vector<std::string> {"http://one.invalid/"}));
    // It leaves once its centre passes -512 - half its width.
    int steps = int(label->position().x - (-512 - w / 2)) + 1;
    frames(steps - 1);
    EXPECT_LT(label->position().x, -512);
    frames(1);
    EXPECT_FLOAT_EQ(label->position().x, w / 2 + 700);
}

TEST_F(NewsDisplayTest, TapsOpenTheFirstItemOfTheTitleAndTheButtonItsPage) {
    recordPages();
    makeTicker();
    deliverFeed();
    poll();
    auto const& labels = ticker->labels();
    ASSERT_EQ(labels.size(), 3u);
    // Without the game's main layer nothing opens and the touch goes on.
    game::GameGlobals::shared().mainLayer = nullptr;
    EXPECT_FALSE(tap({labels[0]->position().x + 2, -4}));
    EXPECT_FALSE(tap(ticker->button()->position()));

    game::GameGlobals::shared().mainLayer = mainLayer;
    EXPECT_TRUE(tap({labels[2]->position().x + 2, -4}));
    EXPECT_TRUE(tap({labels[1]->position().x + 2, 10}));
    EXPECT_TRUE(tap(ticker->button()->position()));
    EXPECT_FALSE(tap({labels[1]->position().x - 20, -4})) << "between two titles";
    EXPECT_FALSE(tap({labels[0]->position().x + 2, 26})) << "above the strip";
    EXPECT_EQ(recorder->pages,
        (std::vector<std::string> {"http://news.invalid/first", "/opening",
            server.baseURL() + "/appfeed.php?fblink=1&iphone=1"}));

    ticker->setVisible(false);
    EXPECT_FALSE(tap({labels[0]->position().x + 2, -4})) << "hidden";
}

TEST_F(NewsDisplayTest, WithoutNetworkTheOfflineStripScrollsAndALateFeedIsNotShown) {
    online(false);
    makeTicker();
    EXPECT_EQ(ticker->clipBox(), (engine::Rect {{90, 0}, {420, 40}}));
    poll();
    ASSERT_EQ(ticker->labels().size(), 1u);
    EXPECT_EQ(ticker->labels()[0]->getText(), "No Internet Connection");
    EXPECT_EQ(ticker->heading()->getText(), "");
    EXPECT_LE(ticker->labels()[0]->position().x, 500);

    online(true);
    deliverFeed();
    seconds(2);
    ASSERT_EQ(ticker->labels().size(), 1u);
    EXPECT_EQ(ticker->labels()[0]->getText(), "No Internet Connection");
}

TEST_F(NewsDisplayTest, AFeedThatCannotBeReadShowsTheHeadingAlone) {
    server.route("GET", "/appfeed.php", test::HttpResponse::text("oops", 500));
    makeTicker();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return ticker->feedArrived(); }, 20));
    poll();
    ASSERT_TRUE(ticker->newsList());
    EXPECT_TRUE(ticker->labels().empty());
    EXPECT_EQ(ticker->heading()->getText(), "News:");
}

TEST_F(NewsDisplayTest, CleanupStopsTheScrolling) {
    makeTicker();
    deliverFeed();
    poll();
    ticker->cleanup();
    auto before = xs();
    frames(5);
    EXPECT_EQ(xs(), before);
    EXPECT_FALSE(ticker->isTouchEnabled());
}

// The salon's interface with its news bar, drawn off-screen.
class NewsOverSalonTest : public NewsDisplayTest {
protected:
    void TearDown() override {
        if (face)
            face->removeInterface(face->curProgramState());
        face = nullptr;
        if (mainLayer)
            layer->removeChild(mainLayer.get(), engine::Cleanup::Yes);
        mainLayer = nullptr;
        game::GameGlobals::reset();
        NewsDisplayTest::TearDown();
    }
    void draw() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        layer->visit();
        glDisable(GL_BLEND);
        glFinish();
    }
    // The pixels of a row between two x, left to right.
    std::vector<graphics::Rgba> row(int y, int from, int to) const {
        std::vector<graphics::Rgba> result;
        for (int x = std::max(from, 0); x < std::min(to, 480); ++x)
            result.push_back(pixel(x, y));
        return result;
    }

    base::Ref<game::Interface> face;
};

TEST_F(NewsOverSalonTest, TheTitlesAreCutAtTheTextWindow) {
    auto& globals = game::GameGlobals::shared();
    globals.day = 3;
    globals.money = 200;
    recordPages();
    layer->addChild(mainLayer, 0);
    face = base::Ref<game::Interface>(mainLayer->interface());
    face->initInterface(game::ProgramStateShop);
    auto* news = dynamic_cast<NewsDisplay*>(face->newsBar());
    ASSERT_TRUE(news);
    ticker = base::Ref<NewsDisplay>(news);
    face->showNews();
    deliverFeed();
    poll();
    ASSERT_EQ(ticker->labels().size(), 3u);
    // Scroll until the first title stands across the window's left edge (x 120 on the screen).
    auto* title = ticker->labels()[0].get();
    float w = width(*title);
    ASSERT_GT(w, 20);
    while (ticker->position().x + title->position().x > 120 - w / 2)
        frames(1);
    int left = int(ticker->position().x + title->position().x);
    int right = left + int(w);
    int y = int(ticker->position().y + title->position().y);
    ASSERT_LT(left, 118);
    ASSERT_GT(right, 122);

    draw();
    auto shot = saveImage("NewsOverSalon");
    std::printf("news ticker over the salon: %s\n", shot.string().c_str());
    auto outsideWith = row(y, left - 2, 119);
    auto insideWith = row(y, 121, right + 2);
    for (auto const& label : ticker->labels())
        label->setVisible(false);
    draw();
    EXPECT_EQ(row(y, left - 2, 119), outsideWith) << "nothing of the title left of the window";
    EXPECT_NE(row(y, 121, right + 2), insideWith) << "the title shows inside the window";
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST)) << "the scissor test is off again";
    for (auto const& label : ticker->labels())
        label->setVisible(true);

    // Moved below the screen's bottom it draws nothing at all.
    ticker->setPosition({ticker->position().x, -1});
    draw();
    auto hidden = row(y, 0, 480);
    ticker->setVisible(false);
    draw();
    EXPECT_EQ(hidden, row(y, 0, 480));
    ticker = nullptr;
}

}
