// Screenshots of the Vov Azavuz purchase screen (idle, and connecting to the store) and of
// the Vov Azavuz-to-coins screen in the middle of its change animation, as the game's
// window draws them on a phone and on a tablet.
#include <engine/ViewRenderer.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GameServerClient.hpp>
#include <game/shell/InAppPurchaseSetting.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/store/InAppPurchase.hpp>
#include <game/store/InAppPurchaseViewController.hpp>
#include <game/store/TransferPetPointsViewController.hpp>
#include <graphics/Image.hpp>
#include <services/StoreKit.hpp>
#include <support/GLFixture.hpp>
#include <support/TempDir.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Device.hpp>
#include <ui/Label.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Screen {
    char const* name;
    int width;
    int height;
    bool pad;
};

// The offer-wall settings with the offer wall switched on, so the earn button shows.
class OfferWallOn final : public game::GameServerClient {
public:
    base::Ref<base::Dictionary> objectForKey(std::string const& key) override {
        if (key != "btx_datastore")
            return nullptr;
        auto settings = base::Dictionary::create();
        settings->setObject("offerwall", true);
        return settings;
    }
};

class StoreScreensRender : public test::GLFixture, public ::testing::WithParamInterface<Screen> {
protected:
    StoreScreensRender()
        : GLFixture(GetParam().width, GetParam().height) { }

    void SetUp() override {
        GLFixture::SetUp();
        ui::Application::reset();
        ui::Device::currentDevice().setUserInterfaceIdiom(
            GetParam().pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        game::GameServerClient::setShared(&server);
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
        window = ui::Window::create({{0, 0}, {float(width()), float(height())}});
        window->makeKeyAndVisible();
        // The screens open over a plain controller; the root view controller, which
        // would run the game in its view, stays out of the window.
        opener = ui::ViewController::create();
        opener->view()->setFrame(window->bounds());
        window->addSubview(base::Ref<ui::View>(opener->view()));
        root = game::RootViewController::create();
        auto& globals = game::GameGlobals::shared();
        globals.petPoints = 1240;
        globals.money = 53500;
    }
    void TearDown() override {
        game::InAppPurchase::releaseSharedManager();
        services::SKPaymentQueue::reset();
        renderer.releaseTextures();
        root = nullptr;
        opener = nullptr;
        window = nullptr;
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        foundation::Reachability::clearForcedStatus();
        game::GameServerClient::setShared(nullptr);
        game::GameGlobals::reset();
        ui::Application::reset();
        ui::Device::reset();
        GLFixture::TearDown();
    }

    template<typename Controller> base::Ref<Controller> open() {
        auto screen = Controller::create();
        screen->setPRootViewController(root.get());
        game::StoreScreen::open(*opener, screen);
        foundation::RunLoop::main().runFor(0.5);
        return screen;
    }

    void draw() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }
    // The pixel at (x, y) of the screen, counted from the top-left.
    graphics::Rgba at(float x, float y) const { return pixel(int(x), height() - 1 - int(y)); }
    // The pixel in the middle of view's width, just above its bottom edge (below any
    // title).
    graphics::Rgba middleOf(ui::View const& view) const {
        auto frame = view.presentation().frame();
        auto origin = view.superview()->convertPointToView(frame.origin, nullptr);
        return at(origin.x + frame.size.width / 2, origin.y + frame.size.height - 5);
    }
    std::string shot(char const* name) const {
        return std::string("store-") + name + "-" + GetParam().name;
    }

    foundation::ScopedManualClock clock;
    test::TempDir dir;
    OfferWallOn server;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
    base::Ref<ui::ViewController> opener;
    base::Ref<game::RootViewController> root;
};

}

TEST_P(StoreScreensRender, ThePurchaseScreenIdleShowsFivePackagesAndTheEarnButton) {
    auto screen = open<game::InAppPurchaseViewController>();
    draw();
    saveImage(shot("purchase-idle"));
    EXPECT_EQ(screen->iPetPointsLabel()->text(), "1240");
    // The packages' orange, the earn button's green, no dimming panel.
    for (int package = 1; package <= 5; ++package) {
        auto button = middleOf(*screen->iBuyButton(package));
        EXPECT_GT(button.r, 200) << package;
        EXPECT_LT(button.b, 80) << package;
    }
    auto earn = middleOf(*screen->iEarnButton());
    EXPECT_GT(earn.g, 120);
    EXPECT_LT(earn.r, 90);
}

TEST_P(StoreScreensRender, ThePurchaseScreenConnectingIsDimmedUnderItsPanel) {
    services::SKPaymentQueue::defaultQueue().script().products
        = {game::InAppPurchaseSetting::getPackage2ProductID()};
    services::SKPaymentQueue::defaultQueue().script().answers
        = {services::SKPaymentQueue::RequestAnswer::Never};
    game::InAppPurchase::sharedManager();
    auto screen = open<game::InAppPurchaseViewController>();
    root->buyPackage(game::InAppPurchaseSetting::getPackage2ProductID());
    foundation::RunLoop::main().runFor(0.3);
    draw();
    saveImage(shot("purchase-connecting"));
    EXPECT_EQ(screen->iLoadingLabel()->text(), "Connecting...");
    EXPECT_FALSE(screen->iCancelPurchaseButton()->isHidden());
    // The packages under the panel are darkened; the cancel button stands out.
    auto button = middleOf(*screen->iBuyButton(1));
    EXPECT_LT(button.r, 110);
    auto cancel = middleOf(*screen->iCancelPurchaseButton());
    EXPECT_GT(cancel.r, 150);
    EXPECT_LT(cancel.g, 90);
}

TEST_P(StoreScreensRender, TheTransferScreenMidAnimationShowsBothChangesDrifting) {
    auto screen = open<game::TransferPetPointsViewController>();
    screen->playTransferAnimation();
    foundation::RunLoop::main().runFor(0.5);
    draw();
    saveImage(shot("transfer-animating"));
    auto spent = screen->iChangePetPointsLabel()->presentation();
    EXPECT_GT(spent.alpha, 0.1f);
    EXPECT_LT(spent.alpha, 0.9f);
    EXPECT_EQ(screen->iMoneyLabel()->text(), "$53500");
    EXPECT_TRUE(screen->iOKButton()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Screens, StoreScreensRender,
    ::testing::Values(Screen {"phone", 480, 320, false}, Screen {"tablet", 1024, 768, true}),
    [](auto const& screen) { return std::string(screen.param.name); });
