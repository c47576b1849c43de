// Screenshots of the offer wall's other two screens as the game's window draws them: the
// featured app's full-screen ad (white page, grey border, the bundle's close button in
// the top-left corner, the loading box in the middle) on a phone and a tablet, and the
// auto-orienting box in portrait and turned for landscape; and the game's own featured-app
// screen, landscape, with its downloaded icon.
#include <ads/bountix/BTXAutoOrientView.hpp>
#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXFeaturedApp.hpp>
#include <ads/bountix/BTXFeaturedAppView.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/AdClients.hpp>
#include <game/shell/BountixFeaturedAppViewController.hpp>
#include <game/shell/DownloadManager.hpp>
#include <graphics/Font.hpp>
#include <graphics/Image.hpp>
#include <support/GLFixture.hpp>
#include <support/LoopbackServer.hpp>
#include <support/TempDir.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>
#include <ui/Label.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>

using namespace ads::bountix;

namespace {

struct Screen {
    char const* name;
    int width;
    int height;
};

class BountixScreenRender : public test::GLFixture {
protected:
    BountixScreenRender(int w, int h)
        : GLFixture(w, h) { }

    void SetUp() override {
        GLFixture::SetUp();
        ui::Application::reset();
        ui::Image::purgeCache();
        foundation::Bundle::setMainBundlePath(std::string(QUILLABY_BUILD_DIR) + "/bundle");
        BTXConfiguration configuration;
        configuration.primaryHost = "https://offers.example/";
        BTXConfiguration::setUp(configuration);
        window = ui::Window::create({{0, 0}, {float(width()), float(height())}});
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        BTXFeaturedAppView::resetShared();
        BTXViewCommons::resetShared();
        BTXConfiguration::reset();
        renderer.releaseTextures();
        window = nullptr;
        ui::Screen::reset();
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        ui::Image::purgeCache();
        foundation::Bundle::setMainBundlePath({});
        GLFixture::TearDown();
    }

    void draw() {
        glClearColor(0.2f, 0.5f, 0.3f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }
    graphics::Rgba at(int x, int y) const { return pixel(x, height() - 1 - y); }

    foundation::ScopedManualClock clock;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
};

class BountixFeaturedAppRender : public BountixScreenRender,
                                 public ::testing::WithParamInterface<Screen> {
protected:
    BountixFeaturedAppRender()
        : BountixScreenRender(GetParam().width, GetParam().height) { }
};

// A box as a game would fill it: the rounded path in a dim fill, and a line of text
// that shows which way it is turned.
class FilledBox final : public BTXAutoOrientView {
public:
    void drawRect(ui::GraphicsContext& context, graphics::Rect rect) override {
        BTXAutoOrientView::drawRect(context, rect, ui::Color::colorWithWhite(0, 0.75f), BoxRadius);
    }

private:
    friend base::Factory;
    FilledBox()
        : BTXAutoOrientView({0, 0, 321, 481}) { }
};

class BountixBoxRender : public BountixScreenRender,
                         public ::testing::WithParamInterface<ui::InterfaceOrientation> {
protected:
    BountixBoxRender()
        : BountixScreenRender(320, 480) { }
};

}

TEST_P(BountixFeaturedAppRender, TheAdShowsItsCloseButtonOverAWhitePage) {
    BTXViewCommons::sharedObject().setTransitionEffect(-1);
    auto& view = BTXFeaturedAppView::sharedBTXFeaturedAppView();
    view.refreshWithFrame(window->bounds());
    window->addSubview(base::Ref<ui::View>(&view));
    view.loadViewWithURL("https://offers.example/ad/full");
    view.webView().stopLoading();
    view.loadingView().enable();
    clock->advance(0.5);
    foundation::RunLoop::main().runFor(0.1);
    draw();
    saveImage(std::string("bountix-featured-app-") + GetParam().name);

    ASSERT_NE(view.closeButton(), nullptr);
    EXPECT_EQ(view.closeButton()->frame(), (graphics::Rect {0, 0, 40, 40}))
        << "the bundle's picture sizes the button";
    // The button's dark badge, the grey border, the white page and the loading box.
    EXPECT_LT(at(8, 20).r, 200);
    EXPECT_NEAR(at(width() - 2, height() / 2).r, 85, 12);
    auto page = at(width() - 30, 60);
    EXPECT_GT(page.r, 240);
    EXPECT_GT(page.g, 240);
    EXPECT_LT(at(width() / 2 - 50, height() / 2 - 40).r, 110);
}

INSTANTIATE_TEST_SUITE_P(Screens, BountixFeaturedAppRender,
    ::testing::Values(Screen {"phone", 320, 480}, Screen {"tablet", 768, 1024}),
    [](auto const& screen) { return std::string(screen.param.name); });

TEST_P(BountixBoxRender, TheBoxFillsTheScreenBelowTheStatusBarTurnedToIt) {
    auto const orientation = GetParam();
    // The screen is the window's size, so the box fills it below the status bar.
    ui::Screen::mainScreen().setSurface(base::Ref<graphics::Surface>(&surface()));
    ui::Application::sharedApplication().setStatusBarOrientation(orientation);
    auto box = base::make<FilledBox>();
    auto label = ui::Label::create({20, 20, 200, 30});
    label->setText("Box");
    label->setFont(graphics::Font::boldSystemFontOfSize(24));
    label->setTextColor(ui::Color::whiteColor());
    label->setBackgroundColor(ui::Color::clearColor());
    box->addSubview(label);
    box->show();
    foundation::RunLoop::main().runFor(0.1);
    draw();
    bool const portrait = orientation == ui::InterfaceOrientation::Portrait;
    saveImage(std::string("bountix-box-") + (portrait ? "portrait" : "landscape"));

    // The status bar's strip stays clear; the box's inside is dark.
    EXPECT_GT(at(160, 10).g, 100);
    EXPECT_LT(at(160, 250).g, 60);
    // The label sits in the box's top-left corner as the box is turned: top-left of the
    // screen in portrait, top-right when turned a quarter to the right.
    auto const labelArea = [&](int x0, int y0, int w, int h) {
        int bright = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                bright += at(x, y).r > 200;
        return bright;
    };
    if (portrait) {
        EXPECT_GT(labelArea(20, 40, 60, 30), 20);
        EXPECT_EQ(labelArea(250, 40, 50, 60), 0);
    } else {
        EXPECT_GT(labelArea(260, 40, 40, 60), 20);
        EXPECT_EQ(labelArea(20, 40, 60, 30), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Orientations, BountixBoxRender,
    ::testing::Values(ui::InterfaceOrientation::Portrait, ui::InterfaceOrientation::LandscapeRight),
    [](auto const& orientation) {
        return std::string(
            orientation.param == ui::InterfaceOrientation::Portrait ? "portrait" : "landscape");
    });

namespace {

class GameFeaturedAppRender : public BountixScreenRender,
                              public ::testing::WithParamInterface<Screen> {
protected:
    GameFeaturedAppRender()
        : BountixScreenRender(GetParam().width, GetParam().height) { }
    void SetUp() override {
        BountixScreenRender::SetUp();
        // No network: the screen's own icon download does not start, the test hands
        // the icon in.
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::NotReachable);
        if (GetParam().width > 480)
            ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    }
    void TearDown() override {
        ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Phone);
        foundation::Reachability::clearForcedStatus();
        game::DownloadManager::resetSharedManager();
        BountixScreenRender::TearDown();
    }
};

}

// The game's own featured-app screen, landscape: the panel with the name, cost and reward,
// and the icon the download brought (a plain blue square here).
TEST_P(GameFeaturedAppRender, TheScreenShowsNameCostRewardAndTheDownloadedIcon) {
    auto screen = game::BountixFeaturedAppViewController::initWithNibName();
    screen->setFeaturedAppModel(ads::bountix::BTXFeaturedAppModel::initWithDictionary(
        base::Dictionary::create({{"name", "Caf&#233; Pets"}, {"cost", "Free"}, {"amount", 25},
            {"iconURL", "http://icons.example/app.png"}})));
    window->addSubview(base::Ref<ui::View>(screen->view()));
    graphics::Image icon(57, 57);
    for (int y = 0; y < 57; ++y)
        for (int x = 0; x < 57; ++x)
            icon.setPixel(x, y, {20, 60, 230, 255});
    auto png = icon.encodePNG();
    screen->downloadDidFinish(
        "http://icons.example/app.png", base::Bytes(png->begin(), png->end()));
    foundation::RunLoop::main().runFor(0.1);
    draw();
    saveImage(std::string("game-featured-app-") + GetParam().name);

    float const s = GetParam().width > 480 ? 2 : 1;
    float const left = (float(width()) - 360 * s) / 2;
    float const top = (float(height()) - 240 * s) / 2;
    auto const icon_ = at(int(left + 50 * s), int(top + 80 * s));
    EXPECT_GT(icon_.b, 200) << "the downloaded icon";
    EXPECT_LT(icon_.r, 60);
    // The panel is light, the backdrop outside it dimmed.
    EXPECT_GT(at(int(left + 300 * s), int(top + 160 * s)).r, 200);
    EXPECT_LT(at(5, 5).g, 120);
    // Dark text where the name stands.
    int dark = 0;
    for (int y = int(top + 56 * s); y < int(top + 78 * s); ++y)
        for (int x = int(left + 96 * s); x < int(left + 200 * s); ++x)
            dark += at(x, y).r < 140;
    EXPECT_GT(dark, 30);
}

// The whole road: the offer service names a featured app, its notification carries the
// fields, the screen is made from them as the root view controller makes it, and the
// download manager fetches the icon from the same loopback server.
TEST_P(GameFeaturedAppRender, FromTheOfferServicesNotificationTheScreenShowsItsDownloadedIcon) {
    test::TempDir sandbox;
    // Puts the client and the process settings back however the test ends.
    struct Restore {
        std::string root {foundation::Sandbox::root()};
        ~Restore() {
            BTXFeaturedAppManager::resetShared();
            BTXFeaturedAppDBManager::resetShared();
            BountixConnect::resetShared();
            foundation::URLConnection::setCertificateAuthorityFile("");
            foundation::UserDefaults::resetStandardUserDefaults();
            foundation::Sandbox::setRoot(root);
        }
    } restore;
    foundation::Sandbox::setRoot(sandbox.path().string());
    foundation::UserDefaults::resetStandardUserDefaults();
    foundation::Reachability::setForcedStatus(
        foundation::Reachability::NetworkStatus::ReachableViaWiFi);
    foundation::URLConnection::setCertificateAuthorityFile(test::LoopbackServer::caFile());
    test::LoopbackServer offers(test::LoopbackServer::Tls::Trusted);
    graphics::Image icon(57, 57);
    for (int y = 0; y < 57; ++y)
        for (int x = 0; x < 57; ++x)
            icon.setPixel(x, y, {20, 60, 230, 255});
    auto png = icon.encodePNG();
    offers.route("GET", "/icons/app.png",
        test::HttpResponse::text(std::string(png->begin(), png->end()), 200, "image/png"));
    offers.route("GET", "/get_offers/featured",
        test::HttpResponse::text(
            "<BountixConnectReturnObject><OfferArray><BountixApp><Cost>&#36;0.99</Cost>"
            "<StoreID>pets</StoreID><Name>Caf&#233; Pets</Name><Amount>25</Amount><IconURL>"
            + offers.url("/icons/app.png")
            + "</IconURL><RedirectURL>https://store.example/app</RedirectURL></BountixApp>"
              "</OfferArray></BountixConnectReturnObject>"));
    BTXConfiguration configuration;
    configuration.primaryHost = offers.baseURL();
    configuration.fallbackHost = offers.baseURL();
    configuration.installationIdentifier = "INSTALL-0001";
    BTXConfiguration::setUp(configuration);
    BountixConnect::sharedBountixConnect().initConnectWithAppID("game-app", "secret");

    base::Ref<game::BountixFeaturedAppViewController> screen;
    auto observation = foundation::NotificationCenter::defaultCenter().observe(
        game::BTXFeaturedAppNotification, [&](foundation::Notification const& notification) {
            if (auto model = BTXFeaturedAppModel::initWithDictionary(notification.userInfo())) {
                screen = game::BountixFeaturedAppViewController::initWithNibName();
                screen->setFeaturedAppModel(model);
            }
        });
    BountixConnect::getFeaturedApp();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return bool(screen); }, 20));
    window->addSubview(base::Ref<ui::View>(screen->view()));
    auto* placeholder = screen->iAppIconImageView()->image();
    EXPECT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return screen->iAppIconImageView()->image() != placeholder; }, 20));
    EXPECT_EQ(screen->iAppNameLabel()->text(), "Caf\u00e9 Pets");
    EXPECT_EQ(screen->iAppCostLabel()->text(), "$0.99");
    EXPECT_EQ(screen->iEarnLabel()->text(), "25");
    foundation::RunLoop::main().runFor(0.1);
    draw();
    saveImage(std::string("game-featured-app-from-service-") + GetParam().name);

    float const s = GetParam().width > 480 ? 2 : 1;
    float const left = (float(width()) - 360 * s) / 2;
    float const top = (float(height()) - 240 * s) / 2;
    auto const shownIcon = at(int(left + 50 * s), int(top + 80 * s));
    EXPECT_GT(shownIcon.b, 200) << "the downloaded icon";
    EXPECT_LT(shownIcon.r, 60);
    screen->view()->removeFromSuperview();
}

INSTANTIATE_TEST_SUITE_P(Screens, GameFeaturedAppRender,
    ::testing::Values(Screen {"phone", 480, 320}, Screen {"tablet", 1024, 768}),
    [](auto const& screen) { return std::string(screen.param.name); });
