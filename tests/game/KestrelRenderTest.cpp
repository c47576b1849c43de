// Screenshots of the Kestrel ad client's surfaces as a window draws them, with the
// artwork of a parsed ad reply: a banner on a phone, the canvas page of a tablet and
// the takeover of a phone.
#include "../ads/kestrel/KestrelViewsFixture.hpp"

#include <ads/kestrel/KestrelAdCanvasViewController.hpp>
#include <ads/kestrel/KestrelAdTakeOverViewController.hpp>
#include <engine/ViewRenderer.hpp>
#include <support/GLFixture.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

using ads::kestrel::KestrelAdCanvasViewController;
using ads::kestrel::KestrelAdImpression;
using ads::kestrel::KestrelAdLoop;
using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelAdTakeOverViewController;
using ads::kestrel::KestrelAdView;

namespace {

// The client over a parsed reply with light artwork, in a fresh sandbox.
class KestrelRender : public test::GLFixture {
protected:
    KestrelRender(int width, int height, bool pad)
        : GLFixture(width, height)
        , pad_(pad) { }

    void SetUp() override {
        GLFixture::SetUp();
        previousRoot_ = foundation::Sandbox::root();
        foundation::Sandbox::setRoot(dir.path().string());
        reset();
        ui::Device::currentDevice().setUserInterfaceIdiom(
            pad_ ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        auto files = analytics::KestrelFileCache::createInstanceWithApiKey("APIKEY", "53");
        analytics::KestrelImageCache::createInstanceWithFileCache(files.get());
        analytics::KestrelSession::setCurrentSession(
            analytics::KestrelSession::initWithAPIKey("APIKEY", "1.0"));
        KestrelAdLoop::setAdServiceBaseURL("http://127.0.0.1:9");
        auto reply = test::viewsReply(3, true);
        ASSERT_TRUE(KestrelAdParser::instance()->parseData(reply.data(), reply.size()));
        window = ui::Window::create({{0, 0}, {float(width()), float(height())}});
        window->setBackgroundColor(ui::Color::whiteColor());
        window->makeKeyAndVisible();
    }

    void TearDown() override {
        KestrelAdCanvasViewController::freeOpenCanvasController();
        KestrelAdTakeOverViewController::freeOpenTakeOverController();
        renderer.releaseTextures();
        window = nullptr;
        reset();
        foundation::Sandbox::setRoot(previousRoot_);
        GLFixture::TearDown();
    }

    static void reset() {
        ads::kestrel::KestrelAdParser::resetInstances();
        ads::kestrel::KestrelAdLoop::reset();
        ads::kestrel::KestrelAdAssignment::resetInstance();
        ads::kestrel::KestrelAdProperties::reset();
        analytics::KestrelSession::resetClassState();
        analytics::KestrelImageCache::resetInstance();
        analytics::KestrelFileCache::resetInstance();
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        ui::Device::reset();
    }

    // The surfaces lay themselves out for a portrait device of the fixture's size,
    // whatever the size of the display's window: that is the size drawn.
    void draw(ui::View& root) {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(root, {float(width()), float(height())});
    }
    // The pixel at (x, y) counted from the top-left, in points.
    graphics::Rgba at(int x, int y) const { return pixel(x, height() - 1 - y); }

    test::TempDir dir;
    foundation::ScopedManualClock clock;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;

private:
    bool pad_;
    std::string previousRoot_;
};

class KestrelPhoneRender : public KestrelRender {
protected:
    KestrelPhoneRender()
        : KestrelRender(320, 480, false) { }
};

class KestrelTabletRender : public KestrelRender {
protected:
    KestrelTabletRender()
        : KestrelRender(768, 1024, true) { }
};

}

TEST_F(KestrelPhoneRender, ABannerWithItsThemeAndBadge) {
    auto ad = KestrelAdParser::fastAdWithHook("banner", std::nullopt);
    auto banner = KestrelAdView::initWithAd(
        ad, "banner", 0, 100, window.get(), true, "portrait", "portrait", false, std::nullopt);
    ASSERT_TRUE(banner);
    draw(*window);
    saveImage("kestrel-phone-banner");
    // The icon (image 11, red 200) at the theme's place 4, 4 in the banner.
    auto icon = at(24, 124);
    EXPECT_GT(icon.r, 180);
    EXPECT_LT(icon.g, 40);
    // The paid badge (image 21 through code 9) at the right end of the banner.
    auto badge = at(320 - 4 - 36, 124);
    EXPECT_NE(badge, (graphics::Rgba {255, 255, 255, 255}));
    // White page above the banner.
    EXPECT_EQ(at(160, 50).r, 255);
}

TEST_F(KestrelTabletRender, TheCanvasPageWithFurtherBanners) {
    auto ad = KestrelAdParser::fastAdWithHook("banner", std::nullopt);
    ad->setCanvasId(5);
    auto impression = KestrelAdImpression::initWithHook(
        "banner", KestrelAdImpression::formatCatalogCanvas, KestrelAdParser::instance());
    impression->updateWithAd(*ad);
    auto canvas = KestrelAdCanvasViewController::initWithUrl(std::nullopt,
        "http://127.0.0.1:9/getIPhoneApp.do", impression, ad, nullptr, "portrait", false, 1);
    canvas->createCanvasWindow();
    auto* canvasWindow = KestrelAdCanvasViewController::canvasWindow();
    ASSERT_TRUE(canvasWindow);
    ASSERT_EQ(canvas->banners().size(), 3u);
    draw(*canvasWindow);
    saveImage("kestrel-tablet-canvas");
    // The page's grey.
    auto page = at(740, 600);
    EXPECT_EQ(page.r, 213);
    EXPECT_EQ(page.b, 215);
    // The paid store button (image 13 -> image 41, red 120) at 576, 132.
    auto store = at(650, 190);
    EXPECT_NEAR(store.r, 120, 3);
    // The first further banner's icon (image 31, red 230) at 20 + 4, 654 + 4.
    auto icon = at(40, 674);
    EXPECT_NEAR(icon.r, 230, 3);
}

TEST_F(KestrelPhoneRender, TheTakeoverWithAReward) {
    KestrelAdLoop::setAdLoopEnabled(true);
    KestrelAdLoop::openTakeover(
        "banner", "portrait", KestrelAdParser::fastImageWithCode(12), "100 gems", std::nullopt);
    auto* takeover = KestrelAdTakeOverViewController::getOpenTakeOverController();
    ASSERT_TRUE(takeover);
    auto* takeoverWindow = KestrelAdTakeOverViewController::takeOverWindow();
    draw(*takeoverWindow);
    saveImage("kestrel-phone-takeover");
    // The background (image 44 -> image 51, red 190) below the panels.
    EXPECT_NEAR(at(5, 470).r, 190, 3);
    // The close button (image 48 -> image 41, red 120) at 293, 38.
    EXPECT_NEAR(at(300, 45).r, 120, 3);
    // The app's icon (image 11, red 200) at 11, 48 in the panel at 10, 250.
    EXPECT_NEAR(at(40, 320).r, 200, 3);
    // The paid app's store button (image 5 -> image 41, red 120) at 243, 75 in the panel.
    EXPECT_NEAR(at(278, 337).r, 120, 3);
    // The reward's gold heading is drawn in its frame (reward panel at 10, 60).
    bool gold = false;
    for (int x = 21; x < 146 && !gold; ++x) {
        for (int y = 68; y < 88 && !gold; ++y) {
            auto p = at(x, y);
            gold = p.r > 200 && p.g > 150 && p.b < 80;
        }
    }
    EXPECT_TRUE(gold);
}
