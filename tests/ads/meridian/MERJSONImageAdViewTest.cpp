#include <ads/meridian/MERJSONImageAdView.hpp>

#include "MeridianTestSupport.hpp"

#include <graphics/Image.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/LayerAnimation.hpp>
#include <ui/Touch.hpp>

#include <string>
#include <vector>

using ads::meridian::MERJSONImageAdView;

namespace {

class RecordingDelegate final : public ads::meridian::MERJSONImageAdViewDelegate {
public:
    void imageAdViewFailed(MERJSONImageAdView&) override { events.push_back("failed"); }
    void imageAdViewSucceeded(MERJSONImageAdView&) override { events.push_back("succeeded"); }
    void imageAdViewWasTapped(MERJSONImageAdView&) override { events.push_back("tapped"); }
    void imageAdDidLoadNewAd(MERJSONImageAdView&, ads::meridian::MERJSONAd&) override {
        events.push_back("newAd");
    }
    std::vector<std::string> events;
};

// A PNG of one colour.
std::string png(int width, int height, std::uint8_t red) {
    graphics::Image bitmap(width, height);
    auto pixels = bitmap.pixels();
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = red;
        pixels[i + 1] = 0;
        pixels[i + 2] = 0;
        pixels[i + 3] = 255;
    }
    auto bytes = bitmap.encodePNG();
    return std::string(bytes->begin(), bytes->end());
}

class MERJSONImageAdViewTest : public test::MeridianTest {
protected:
    MERJSONImageAdViewTest() {
        server.route(
            "GET", "/first.png", test::HttpResponse::text(png(32, 5, 200), 200, "image/png"));
        server.route(
            "GET", "/second.png", test::HttpResponse::text(png(32, 5, 50), 200, "image/png"));
    }
    // Loads path and waits for the outcome.
    void load(std::string const& path) {
        auto before = delegate.events.size();
        view->loadWithURL(server.url(path));
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return delegate.events.size() > before; }, 20));
    }

    test::LoopbackServer server;
    RecordingDelegate delegate;
    base::Ref<MERJSONImageAdView> view
        = MERJSONImageAdView::initWithFrame({{10, 20}, {320, 50}}, &delegate);
};

}

TEST_F(MERJSONImageAdViewTest, TheViewFillsItsParentWhateverTheOriginGiven) {
    EXPECT_EQ(view->frame(), (graphics::Rect {{0, 0}, {320, 50}}));
    EXPECT_EQ(view->imageView().frame(), (graphics::Rect {{0, 0}, {320, 50}}));
}

TEST_F(MERJSONImageAdViewTest, TheFirstImageShowsAtOnceAndTheNextCrossFadesIn) {
    load("/first.png");
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"succeeded"}));
    ASSERT_NE(view->imageView().image(), nullptr);
    auto* first = view->imageView().image();
    EXPECT_EQ(first, view->image());
    EXPECT_EQ(view->imageView().layer().animationForKey(MERJSONImageAdView::crossfadeKey), nullptr);
    EXPECT_FALSE(view->isLoading());

    load("/second.png");
    EXPECT_EQ(delegate.events.back(), "succeeded");
    auto const* fade = dynamic_cast<ui::BasicAnimation const*>(
        view->imageView().layer().animationForKey(MERJSONImageAdView::crossfadeKey));
    ASSERT_NE(fade, nullptr);
    EXPECT_EQ(fade->keyPath(), "contents");
    EXPECT_DOUBLE_EQ(fade->duration(), 0.75);
    // The old picture stays in the view until the fade has run.
    EXPECT_EQ(view->imageView().image(), first);
    foundation::RunLoop::main().runFor(1);
    EXPECT_NE(view->imageView().image(), first);
    EXPECT_EQ(view->imageView().image(), view->image());
}

TEST_F(MERJSONImageAdViewTest, AFailedDownloadLeavesTheShownImage) {
    server.route(
        "GET", "/corrupt.png", test::HttpResponse::text("not a picture", 200, "image/png"));
    server.route("GET", "/missing.png", test::HttpResponse::text(png(4, 4, 9), 404, "image/png"));
    server.route("GET", "/empty.png", test::HttpResponse::text("", 200, "image/png"));
    server.route("GET", "/huge.png",
        test::HttpResponse::text(
            std::string(MERJSONImageAdView::maximumImageBytes + 1, 'x'), 200, "image/png"));
    load("/first.png");
    auto* shown = view->imageView().image();
    for (std::string path :
        {"/corrupt.png", "/missing.png", "/empty.png", "/huge.png", "/nothing-served-here"}) {
        SCOPED_TRACE(path);
        delegate.events.clear();
        load(path);
        foundation::RunLoop::main().runFor(1);
        EXPECT_EQ(delegate.events, (std::vector<std::string> {"failed"}));
        EXPECT_EQ(view->imageView().image(), shown);
        EXPECT_FALSE(view->isLoading());
    }
}

TEST_F(MERJSONImageAdViewTest, ANewLoadCancelsTheRunningOne) {
    auto gate = std::make_shared<test::Gate>();
    test::HttpResponse slow;
    slow.status = 200;
    slow.pieces.push_back({png(8, 8, 1), 0, gate});
    server.route("GET", "/slow.png", slow);
    view->loadWithURL(server.url("/slow.png"));
    load("/first.png");
    gate->open();
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"succeeded"}));
}

TEST_F(MERJSONImageAdViewTest, ANewAdIsAnnouncedAndATapReported) {
    std::string json = R"({"type":"image","image":{"content-url":"http://x/a.png"}})";
    view->setAd(ads::meridian::MERJSONAd::initWithJSONAd(
        foundation::ByteView(reinterpret_cast<std::uint8_t const*>(json.data()), json.size()),
        nullptr));
    view->setAd(nullptr);
    view->touchesEnded(ui::TouchSet(), nullptr);
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"newAd", "tapped"}));
}
