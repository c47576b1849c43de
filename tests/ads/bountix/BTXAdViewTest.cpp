#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXAdView.hpp>
#include <ads/bountix/BountixConnect.hpp>

#include <foundation/Base64.hpp>
#include <foundation/RunLoop.hpp>
#include <graphics/Image.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Image.hpp>
#include <ui/Touch.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using ads::bountix::BountixConnect;
using ads::bountix::BTXAdView;
using test::HttpResponse;

namespace {

// A 320 x 50 picture, red on the left half and blue on the right, as the base64 text
// of a PNG broken into lines.
std::string bannerImageText() {
    graphics::Image picture(320, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 320; ++x)
            picture.setPixel(
                x, y, x < 160 ? graphics::Rgba {255, 0, 0, 255} : graphics::Rgba {0, 0, 255, 255});
    auto text = foundation::Base64::encode(*picture.encodePNG());
    std::string lines;
    for (std::size_t at = 0; at < text.size(); at += 76)
        lines += text.substr(at, 76) + "\n";
    return lines;
}

std::string adReply(std::string const& image, std::string const& click = "https://ads.example/go") {
    return "<BountixAd><ClickURL>" + click + "</ClickURL><Image>" + image + "</Image></BountixAd>";
}

class RecordingAdDelegate final : public ads::bountix::BTXAdDelegate {
public:
    void didReceiveAd(BTXAdView&) override { heard.push_back("received"); }
    void didFailWithMessage(std::string const& message) override {
        heard.push_back("failed " + message);
    }
    std::optional<std::string> adContentSize() override { return size; }
    bool shouldRefreshAd() override { return refresh; }

    std::optional<std::string> size {"320x50"};
    bool refresh {false};
    std::vector<std::string> heard;
};

class BTXAdViewTest : public test::BountixTest {
protected:
    BTXAdViewTest() {
        ui::Application::reset();
        BTXAdView::resetShared();
        BountixConnect::sharedBountixConnect().initConnectWithAppID(AppID, SecretKey);
    }
    ~BTXAdViewTest() override {
        BTXAdView::resetShared();
        ui::Animator::reset();
        ui::Application::reset();
    }

    static BTXAdView& view() { return BTXAdView::sharedBTXAdView(); }
    // Runs until the delegate heard count answers.
    bool heard(std::size_t count) {
        return foundation::RunLoop::main().runUntil(
            [&] { return delegate.heard.size() >= count; }, 20);
    }
    std::vector<test::HttpRequest> adRequests() const {
        std::vector<test::HttpRequest> found;
        for (auto const& request : primary.requests())
            if (request.path == "/display_ad")
                found.push_back(request);
        return found;
    }
    static std::string parameter(test::HttpRequest const& request, std::string const& key) {
        auto at = request.query.find("&" + key + "=");
        if (at == std::string::npos)
            return "<none>";
        auto start = at + key.size() + 2;
        return request.query.substr(start, request.query.find('&', start) - start);
    }

    RecordingAdDelegate delegate;
};

}

TEST_F(BTXAdViewTest, TheDelegatesSizeFramesTheViewAndGoesOutAsItIs) {
    primary.route("GET", "/display_ad", HttpResponse::text(adReply(bannerImageText())));
    struct Case {
        std::string size;
        float width;
        float height;
    };
    for (auto const& c : {Case {"320x50", 320, 50}, Case {"640x100", 640, 100},
             Case {"768x90", 768, 90}, Case {"999x1", 320, 50}}) {
        SCOPED_TRACE(c.size);
        delegate.size = c.size;
        delegate.heard.clear();
        primary.clearRequests();
        auto& shown = BountixConnect::getDisplayAdWithDelegate(&delegate);
        EXPECT_EQ(&shown, &view());
        EXPECT_EQ(view().frame().size.width, c.width);
        EXPECT_EQ(view().frame().size.height, c.height);
        ASSERT_TRUE(heard(1));
        auto requests = adRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(parameter(requests[0], "size"), c.size);
        EXPECT_EQ(parameter(requests[0], "publisher_user_id"), "install-0001");
        EXPECT_EQ(parameter(requests[0], "currency_id"), "<none>");
    }
    primary.clearRequests();
    delegate.heard.clear();
    BountixConnect::getDisplayAdWithDelegate(&delegate, std::string("gems"));
    ASSERT_TRUE(heard(1));
    EXPECT_EQ(parameter(adRequests().at(0), "currency_id"), "gems");
}

TEST_F(BTXAdViewTest, AGoodReplyShowsItsImageAndTheNextOneFadesItOut) {
    primary.route("GET", "/display_ad", HttpResponse::text(adReply(bannerImageText())));
    EXPECT_FALSE(BountixConnect::isDisplayAdLoaded());
    BountixConnect::getDisplayAdWithDelegate(&delegate);
    ASSERT_TRUE(heard(1));
    EXPECT_EQ(delegate.heard, std::vector<std::string>({"received"}));
    EXPECT_TRUE(BountixConnect::isDisplayAdLoaded());
    EXPECT_EQ(view().clickURL(), "https://ads.example/go");
    auto* first = view().imageView();
    ASSERT_TRUE(first && first->image());
    EXPECT_EQ(first->image()->size().width, 320);
    EXPECT_EQ(first->frame().size.width, 320);
    EXPECT_EQ(first->frame().size.height, 50);

    BountixConnect::getDisplayAdWithDelegate(&delegate);
    ASSERT_TRUE(heard(2));
    EXPECT_EQ(view().previousImageView(), first);
    EXPECT_EQ(view().subviews().size(), 2u);
    foundation::RunLoop::main().runFor(0.5);
    EXPECT_EQ(view().subviews().size(), 1u);
    EXPECT_EQ(view().subviews().front().get(), view().imageView());
    EXPECT_FLOAT_EQ(view().imageView()->alpha(), 1);
    // Without asking for refreshes, nothing more is requested.
    foundation::RunLoop::main().runFor(20);
    EXPECT_EQ(adRequests().size(), 2u);
}

TEST_F(BTXAdViewTest, ADelegateThatAsksForRefreshesGetsANewAdEveryFifteenSeconds) {
    primary.route("GET", "/display_ad", HttpResponse::text(adReply(bannerImageText())));
    delegate.refresh = true;
    BountixConnect::getDisplayAdWithDelegate(&delegate, std::string("gems"));
    ASSERT_TRUE(heard(1));
    foundation::RunLoop::main().runFor(14);
    EXPECT_EQ(adRequests().size(), 1u);
    foundation::RunLoop::main().runFor(1.5);
    ASSERT_TRUE(heard(2));
    ASSERT_EQ(adRequests().size(), 2u);
    EXPECT_EQ(parameter(adRequests()[1], "currency_id"), "<none>");
}

TEST_F(BTXAdViewTest, AnImageThatDoesNotDecodeIsAFailureAndTheShownOneStays) {
    primary.route("GET", "/display_ad", HttpResponse::text(adReply(bannerImageText())));
    BountixConnect::getDisplayAdWithDelegate(&delegate);
    ASSERT_TRUE(heard(1));
    auto* shown = view().imageView();
    std::string const failed = "failed Bountix Ad request failed to receive any data.";
    for (std::string image : std::vector<std::string> {
             "bm90IGFuIGltYWdl", "", "!!!!", bannerImageText().substr(0, 200)}) {
        SCOPED_TRACE(image);
        primary.route("GET", "/display_ad", HttpResponse::text(adReply(image, "https://other")));
        delegate.heard.clear();
        BountixConnect::getDisplayAdWithDelegate(&delegate);
        ASSERT_TRUE(heard(1));
        foundation::RunLoop::main().runFor(0.5);
        EXPECT_EQ(delegate.heard, std::vector<std::string>({failed}));
        EXPECT_EQ(view().imageView(), shown);
        EXPECT_EQ(view().subviews().size(), 1u);
        EXPECT_EQ(view().clickURL(), "https://ads.example/go");
        EXPECT_FALSE(BountixConnect::isDisplayAdLoaded());
    }
}

TEST_F(BTXAdViewTest, EveryUnusableReplyTellsTheDelegateOnce) {
    for (auto const& answer : {HttpResponse::text("<BountixAd><ClickURL>x</ClickURL></BountixAd>"),
             HttpResponse::text("<BountixAd><ErrorMessage>no</ErrorMessage></BountixAd>"),
             HttpResponse::text("down", 500), HttpResponse::text("<Other/>")}) {
        primary.route("GET", "/display_ad", answer);
        fallback.route("GET", "/display_ad", answer);
        delegate.heard.clear();
        BountixConnect::getDisplayAdWithDelegate(&delegate);
        ASSERT_TRUE(heard(1));
        foundation::RunLoop::main().runFor(0.2);
        EXPECT_EQ(delegate.heard,
            std::vector<std::string>({"failed Bountix Ad request failed to receive any data."}));
        EXPECT_FALSE(BountixConnect::isDisplayAdLoaded());
    }
}

TEST_F(BTXAdViewTest, ARefreshNeedsADelegateAndASize) {
    BountixConnect::refreshDisplayAd();
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(primary.requestCount(), 0u);
    primary.route("GET", "/display_ad", HttpResponse::text(adReply(bannerImageText())));
    BountixConnect::getDisplayAdWithDelegate(&delegate);
    ASSERT_TRUE(heard(1));
    delegate.size.reset();
    BountixConnect::refreshDisplayAdWithCurrencyID("gems");
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(adRequests().size(), 1u);
}

TEST_F(BTXAdViewTest, ATapThatEndsInsideOpensTheClickURLOutsideTheProgram) {
    primary.route("GET", "/display_ad", HttpResponse::text(adReply(bannerImageText())));
    auto window = ui::Window::create({{0, 0}, {480, 320}});
    window->makeKeyAndVisible();
    auto& banner = BountixConnect::getDisplayAdWithDelegate(&delegate);
    window->addSubview(base::Ref<ui::View>(&banner));
    ASSERT_TRUE(heard(1));
    foundation::RunLoop::main().runFor(0.5);
    auto& application = ui::Application::sharedApplication();
    struct Case {
        char const* name;
        graphics::Point down;
        graphics::Point up;
        bool opens;
    };
    for (auto const& c : {Case {"inside", {100, 20}, {110, 25}, true},
             Case {"ends outside", {100, 20}, {100, 200}, false},
             Case {"outside", {400, 200}, {400, 200}, false}}) {
        SCOPED_TRACE(c.name);
        auto before = application.openedExternalURLs().size();
        window->injectTouch(ui::TouchPhase::Began, c.down, 1, 1);
        bool inside = c.down.x < 320 && c.down.y < 50;
        EXPECT_FLOAT_EQ(banner.adViewOverlay()->alpha(), inside ? 0.4f : 0.f);
        window->injectTouch(ui::TouchPhase::Ended, c.up, 1, 1.1);
        EXPECT_FLOAT_EQ(banner.adViewOverlay()->alpha(), 0);
        auto const& opened = application.openedExternalURLs();
        EXPECT_EQ(opened.size() - before, c.opens ? 1u : 0u);
        if (c.opens && !opened.empty()) {
            EXPECT_EQ(opened.back(), "https://ads.example/go");
        }
    }
}
