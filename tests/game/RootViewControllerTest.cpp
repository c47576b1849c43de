// The root view controller in a window under the manual clock: the view's life and the
// game it starts, pause and resume, every way Vov Azavuz come in, the offer wall, the
// interstitial or featured-app choice, the banners and the loading overlay.

#include "ShellFakes.hpp"

#include <ads/bountix/BTXFeaturedAppView.hpp>
#include <ads/bountix/BTXOffers.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <game/shell/BountixFeaturedAppViewController.hpp>
#include <ui/Label.hpp>

#include <game/progression/AchievementSystem.hpp>

#include <engine/Director.hpp>
#include <engine/EAGLView.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Random.hpp>
#include <game/shell/BountixSetting.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameSettingManager.hpp>
#include <game/shell/InAppPurchaseSetting.hpp>
#include <game/shell/LocalizedScreen.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/MainScene.hpp>
#include <game/shell/ServerConfig.hpp>
#include <support/LogCapture.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Button.hpp>
#include <ui/ImageView.hpp>

using game::GameGlobals;

namespace {

class RootViewControllerTest : public test::AppShellTest {
protected:
    ~RootViewControllerTest() override {
        if (root && root->mainScene() && engine::Director::sharedDirector().runningScene())
            engine::Director::sharedDirector().end();
    }

    // The controller shown in a window of the phone's (or the tablet's) screen, its
    // delayed start run.
    game::RootViewController& show(bool pad = false) {
        ui::Device::currentDevice().setUserInterfaceIdiom(
            pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        auto size = pad ? graphics::makeSize(1024, 768) : graphics::makeSize(480, 320);
        ui::Screen::mainScreen();
        window = ui::Window::create(graphics::makeRect(0, 0, size.width, size.height));
        root = game::RootViewController::create();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        frame();
        return *root;
    }

    static GameGlobals& globals() { return GameGlobals::shared(); }
    static engine::Director& director() { return engine::Director::sharedDirector(); }

    static void post(char const* name, int points) {
        auto info = base::Dictionary::create();
        info->setObject(game::BTXPointsKey, points);
        foundation::NotificationCenter::defaultCenter().postNotification(
            name, nullptr, base::Value(info));
    }
    // A balance notification delivered by hand, and a frame for the controller's
    // conversion.
    void balance(int points) {
        post(game::BTXOfferPointsNotification, points);
        frame();
    }
    // The offer wall connected as at launch, with its first balance (0) answered.
    void connectOfferWall() {
        game::AdClients::shared().requestBountixConnect(
            game::BountixSetting::getBountixID(), game::BountixSetting::getBountixSecret());
        ASSERT_TRUE(offersSettled());
        log.take();
    }
    // The stand-in offer service holds that balance and the controller checks it, as
    // when the offer wall closes; runs until the balance, and the spend it starts,
    // have been answered.
    void checkBalance(int points) {
        routeOfferBalance(points);
        root->checkEarnPetPointsByBountix();
        ASSERT_TRUE(offersSettled());
    }

    void setBtxStore(std::initializer_list<std::pair<char const*, base::Value>> entries) {
        auto btx = base::Dictionary::create();
        for (auto const& [key, value] : entries)
            btx->setObject(key, value);
        server.stores["btx_datastore"] = btx;
    }

    base::Ref<game::RootViewController> root;
};

TEST_F(RootViewControllerTest, ItsViewAttachesTheDirectorAtTheScreenSizeAndRunsTheMainSceneOnce) {
    for (bool pad : {false, true}) {
        SCOPED_TRACE(pad ? "tablet" : "phone");
        if (root) {
            director().end();
            root = nullptr;
            window = nullptr;
            resetSingletons();
            log.take();
        }
        auto& controller = show(pad);
        ASSERT_TRUE(director().openGLView());
        auto frameSize = director().openGLView()->frame().size;
        EXPECT_EQ(frameSize.width, pad ? 1024 : 480);
        EXPECT_EQ(frameSize.height, pad ? 768 : 320);
        EXPECT_TRUE(director().isAnimating());
        ASSERT_TRUE(controller.mainScene());
        EXPECT_EQ(director().runningScene(), controller.mainScene());
        EXPECT_EQ(globals().mainLayer->pRootViewController(), &controller);
        EXPECT_EQ(game::PurchaseManager::shared().delegate(), &controller);
        EXPECT_EQ(game::AchievementSystem::sharedManager().parentViewController(), &controller);
        EXPECT_DOUBLE_EQ(director().animationInterval(), 1.0 / 60);
        EXPECT_FALSE(director().displayFPS());

        auto* scene = controller.mainScene();
        controller.playIntroVideoDidFinished();
        EXPECT_EQ(controller.mainScene(), scene);
    }
}

TEST_F(RootViewControllerTest, TheServerChecksAreQueuedHalfASecondAfterTheViewAppears) {
    struct Case {
        char const* name;
        bool session;
        int state;
        std::vector<std::string> calls;
    };
    for (auto const& c :
        {Case {"no session", false, game::ProgramStateNone,
             {"server.AuthToken", "server.CheckRestore", "server.CheckReward zorel"}},
            Case {"a session", true, game::ProgramStateMainMenu,
                {"server.CheckRestore", "server.CheckReward zorel"}},
            Case {"in the salon", false, game::ProgramStateShop, {}}}) {
        SCOPED_TRACE(c.name);
        if (!root) {
            show();
            frame(40);
        }
        // What the first appearance queued goes out first.
        server.take();
        if (c.session) {
            auto auth = base::Dictionary::create();
            auth->setObject("qbykit_auth_session", "abc");
            auth->setObject(
                "qbykit_auth_expire", base::Date {foundation::Clock::current().wallTime() + 1800});
            server.stores["qbykit_auth_datastore"] = auth;
        } else {
            server.stores.erase("qbykit_auth_datastore");
        }
        globals().curProgramState = c.state;
        // Off the window and back: the view appears again.
        root->view()->removeFromSuperview();
        log.take();
        window->addSubview(base::Ref<ui::View>(root->view()));
        frame(20);
        EXPECT_TRUE(server.calls().empty()) << "before half a second";
        frame(20);
        EXPECT_EQ(server.calls(), c.calls);
        log.take();
    }
}

TEST_F(RootViewControllerTest, DisappearingStopsAndDetachesTheDirectorAndAppearingAttachesItAgain) {
    auto& controller = show();
    controller.view()->removeFromSuperview();
    EXPECT_FALSE(director().isAnimating());
    EXPECT_FALSE(director().isOpenGLAttached());
    window->addSubview(base::Ref<ui::View>(controller.view()));
    EXPECT_TRUE(director().isAnimating());
    EXPECT_TRUE(director().isOpenGLAttached());
}

TEST_F(RootViewControllerTest, PauseAndResumeReachTheDirectorTheSalonAndTheOfferWall) {
    auto& controller = show();
    ASSERT_TRUE(frameUntil([] { return globals().interface != nullptr; }));
    log.take();
    controller.pauseGame();
    EXPECT_TRUE(director().isPaused());
    EXPECT_TRUE(controller.isPausingGame());
    EXPECT_EQ(
        log.only("interface.autoPause"), std::vector<std::string>({"interface.autoPauseGame"}));
    controller.resumeGame();
    EXPECT_FALSE(director().isPaused());
    EXPECT_FALSE(controller.isPausingGame());
    EXPECT_EQ(log.only("ads."), std::vector<std::string>({"ads.getOfferPoints"}));
}

TEST_F(RootViewControllerTest, ItTurnsOnlyTheLandscapeOrientations) {
    auto root_ = game::RootViewController::create();
    EXPECT_TRUE(
        root_->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
    EXPECT_TRUE(
        root_->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeRight));
    EXPECT_FALSE(root_->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
    EXPECT_FALSE(root_->shouldAutorotateToInterfaceOrientation(
        ui::InterfaceOrientation::PortraitUpsideDown));
}

TEST_F(RootViewControllerTest, AddedPetPointsAreCountedTwiceAndSaved) {
    auto& controller = show();
    globals().petPoints = 5;
    globals().overallPetPoints = 50;
    controller.addPetPoints(7);
    EXPECT_EQ(globals().petPoints, 12);
    EXPECT_EQ(globals().overallPetPoints, 57);
    globals().petPoints = 0;
    globals().overallPetPoints = 0;
    game::DataConrtoller::loadPetPoints();
    EXPECT_EQ(globals().petPoints, 12);
    EXPECT_EQ(globals().overallPetPoints, 57);
}

TEST_F(RootViewControllerTest, APurchaseBuysOnlyTheProductAskedForOneAtATime) {
    game::InAppPurchase::sharedManager();
    auto& controller = show();
    auto wanted = game::InAppPurchaseSetting::getPackage2ProductID();
    auto other = game::InAppPurchaseSetting::getPackage5ProductID();
    // The player has not confirmed the payment yet.
    storeQueue().script().defaultOutcome = services::SKPaymentQueue::Outcome::Pending;
    auto bought = [&] {
        std::vector<std::string> products;
        for (auto const& transaction : storeQueue().transactions())
            products.push_back(transaction->payment().productIdentifier);
        return products;
    };

    setOnline(false);
    controller.buyPackage(wanted);
    EXPECT_EQ(log.only("alert"), std::vector<std::string>({"alert Connection Error"}));
    EXPECT_FALSE(controller.isBuyingPackage());

    setOnline(true);
    log.take();
    test::LogCapture captured;
    controller.buyPackage(wanted);
    EXPECT_TRUE(controller.isBuyingPackage());
    EXPECT_TRUE(controller.canCancelBuyingPackage());
    controller.buyPackage(other);
    EXPECT_TRUE(captured.contains("Cannot buy " + other + " because somethings is now purchasing"));

    frame();
    EXPECT_EQ(bought(), std::vector<std::string>({wanted}));
    EXPECT_TRUE(controller.isBuyingPackage());
    EXPECT_FALSE(controller.canCancelBuyingPackage());

    // A reply nobody asked for buys nothing.
    controller.productDataDidReceiveResponse({other, wanted, other});
    EXPECT_EQ(bought(), std::vector<std::string>({wanted}));

    // Once the payment is settled and told, the controller is free again.
    storeQueue().settle(
        *storeQueue().transactions().front(), services::SKPaymentQueue::Outcome::Cancelled);
    frame();
    EXPECT_TRUE(bought().empty());
    EXPECT_FALSE(controller.isBuyingPackage());

    // Of a reply that lists more than was asked for, only the one asked for is bought.
    storeQueue().script().answers = {services::SKPaymentQueue::RequestAnswer::Never};
    controller.buyPackage(wanted);
    controller.productDataDidReceiveResponse({other, wanted, other});
    EXPECT_EQ(bought(), std::vector<std::string>({wanted}));
    controller.cancelBuyingPackage();
    EXPECT_FALSE(controller.canCancelBuyingPackage());
    EXPECT_TRUE(controller.isBuyingPackage());
}

// Through the scripted store: each package, bought with a quantity, credits its points
// times the quantity once, with its alert and event; cancelled and failed payments
// credit nothing.
TEST_F(RootViewControllerTest, EachPackageBoughtThroughTheStoreCreditsItsPointsOnce) {
    using Outcome = services::SKPaymentQueue::Outcome;
    game::InAppPurchase::sharedManager();
    show();
    struct Case {
        std::string product;
        int quantity;
        Outcome outcome;
        int credited;
    };
    Case const cases[] = {
        {game::InAppPurchaseSetting::getPackage1ProductID(), 1, Outcome::Purchased, 100},
        {game::InAppPurchaseSetting::getPackage2ProductID(), 2, Outcome::Purchased, 420},
        {game::InAppPurchaseSetting::getPackage3ProductID(), 1, Outcome::Purchased, 460},
        {game::InAppPurchaseSetting::getPackage4ProductID(), 3, Outcome::Purchased, 3750},
        {game::InAppPurchaseSetting::getPackage5ProductID(), 1, Outcome::Purchased, 3000},
        {game::InAppPurchaseSetting::getPackage5ProductID(), 1, Outcome::Cancelled, 0},
        {game::InAppPurchaseSetting::getPackage5ProductID(), 1, Outcome::Failed, 0},
    };
    for (auto const& c : cases) {
        globals().petPoints = 0;
        log.take();
        storeQueue().script().outcomes = {c.outcome};
        game::InAppPurchase::sharedManager().purchaseProduct(c.product, c.quantity);
        frame(2);
        EXPECT_EQ(globals().petPoints, c.credited) << c.product;
        EXPECT_TRUE(storeQueue().transactions().empty());
        if (c.credited) {
            EXPECT_EQ(log.only("alert"), std::vector<std::string>({"alert Purchase Complete!"}));
            EXPECT_EQ(log.only("event"),
                std::vector<std::string>(
                    {"event Pet Point IAP Package=" + std::to_string(c.credited)}));
        } else {
            EXPECT_TRUE(log.only("alert").empty());
            EXPECT_TRUE(log.only("event").empty());
        }
    }
}

// A purchase the store settled before the controller listened, or before a restart, is
// credited once when it does.
TEST_F(RootViewControllerTest, APurchaseSettledBeforeTheControllerListensIsCreditedOnce) {
    auto product = game::InAppPurchaseSetting::getPackage3ProductID();
    game::InAppPurchase::sharedManager().purchaseProduct(product, 2);
    frame(2);
    // A restart: the manager and the queue are made again.
    game::InAppPurchase::releaseSharedManager();
    services::SKPaymentQueue::reset();
    storeQueue().script().products = {product};
    game::InAppPurchase::sharedManager();
    frame(2);
    globals().petPoints = 0;
    auto& controller = show();
    frame(2);
    EXPECT_EQ(globals().petPoints, 920);
    controller.playIntroVideoDidFinished();
    frame(2);
    EXPECT_EQ(globals().petPoints, 920);
    EXPECT_TRUE(storeQueue().transactions().empty());
}

TEST_F(RootViewControllerTest, ACompletedTransactionCreditsQuantityTimesThePackageOnce) {
    auto& controller = show();
    globals().petPoints = 0;
    globals().overallPetPoints = 0;
    log.take();
    controller.transactionDidComplete(
        {game::InAppPurchaseSetting::getPackage2ProductID(), 3, "t-1"});
    int expected = 3 * game::InAppPurchaseSetting::getPackage2Points();
    EXPECT_EQ(globals().petPoints, expected);
    EXPECT_EQ(log.only("alert"), std::vector<std::string>({"alert Purchase Complete!"}));
    EXPECT_EQ(log.only("event"),
        std::vector<std::string>({"event Pet Point IAP Package=" + std::to_string(expected)}));

    // The store delivers the same payment again; an unknown product adds nothing.
    controller.transactionDidComplete(
        {game::InAppPurchaseSetting::getPackage2ProductID(), 3, "t-1"});
    controller.transactionDidComplete({"net.elsewhere.coins", 1, "t-2"});
    EXPECT_EQ(globals().petPoints, expected);
    EXPECT_EQ(log.only("alert").size(), 1u);

    controller.transactionDidComplete(
        {game::InAppPurchaseSetting::getPackage1ProductID(), 1, "t-3"});
    EXPECT_EQ(globals().petPoints, expected + game::InAppPurchaseSetting::getPackage1Points());

    controller.invalidProductDataDidReceiveResponse();
    EXPECT_EQ(log.only("alert").back(), "alert Product not available!");
}

TEST_F(RootViewControllerTest, MarketingCreditsAddEachValueWithItsAlertAndAFailureAddsNothing) {
    auto& controller = show();
    globals().petPoints = 0;
    log.take();
    controller.didLoadObjects({{10, "Welcome"}, {25, "Thanks"}});
    EXPECT_EQ(globals().petPoints, 35);
    EXPECT_EQ(log.only("alert"),
        std::vector<std::string>(
            {"alert You Received 10 Free Vov Azavuz!", "alert You Received 25 Free Vov Azavuz!"}));
    EXPECT_EQ(alerts.messages, std::vector<std::string>({"Welcome", "Thanks"}));
    controller.didFailWithError("offline");
    EXPECT_EQ(globals().petPoints, 35);
}

TEST_F(RootViewControllerTest, AMarketingCreditDeliveredAgainIsAddedOnce) {
    auto& controller = show();
    globals().petPoints = 0;
    log.take();
    controller.didLoadObjects({{10, "Welcome", 7}, {25, "Thanks", 8}});
    // The same reply again, and a later one repeating one id beside a new one.
    controller.didLoadObjects({{10, "Welcome", 7}, {25, "Thanks", 8}});
    controller.didLoadObjects({{25, "Thanks", 8}, {5, "Bonus", 9}});
    EXPECT_EQ(globals().petPoints, 40);
    EXPECT_EQ(alerts.messages, std::vector<std::string>({"Welcome", "Thanks", "Bonus"}));
    // Credits without an id cannot be told apart: each one counts.
    controller.didLoadObjects({{1, "A"}, {1, "A"}});
    EXPECT_EQ(globals().petPoints, 42);
}

TEST_F(RootViewControllerTest, OfferPointsAreCreditedOnlyWhenTheirSpendIsConfirmedAndOnlyOnce) {
    auto& controller = show();
    connectOfferWall();
    globals().petPoints = 0;
    log.take();

    // The stand-in holds its spend confirmation until the gate opens.
    auto gate = std::make_shared<test::Gate>();
    auto held = test::HttpResponse::text("");
    held.pieces.front() = {offerAccount(0), 0, gate};
    routeOfferSpend(held);
    routeOfferBalance(15);
    controller.checkEarnPetPointsByBountix();
    ASSERT_TRUE(frameUntil([&] { return offerRequests("/points/spend").size() == 1; }));
    EXPECT_EQ(log.only("ads.spend"), std::vector<std::string>({"ads.spend 15"}));
    frame(10);
    EXPECT_EQ(globals().petPoints, 0) << "credited before the spend was confirmed";
    // The same balance delivered again while the spend waits spends nothing more.
    balance(15);
    EXPECT_EQ(log.only("ads.spend").size(), 1u);

    gate->open();
    ASSERT_TRUE(offersSettled());
    EXPECT_EQ(globals().petPoints, 15);
    EXPECT_EQ(log.only("alert"), std::vector<std::string>({"alert You Earned Free Vov Azavuz!"}));
    ASSERT_EQ(offerRequests("/points/spend").size(), 1u);
    EXPECT_NE(offerRequests("/points/spend")[0].query.find("offer_points=15"), std::string::npos)
        << offerRequests("/points/spend")[0].query;
    post(game::BTXSpendOfferPointsNotification, 0);
    EXPECT_EQ(globals().petPoints, 15) << "a repeated confirmation credited again";

    // A failed spend credits nothing; the points are spent again at the next check.
    routeOfferSpend(test::HttpResponse::text("busy", 500));
    checkBalance(8);
    EXPECT_EQ(log.only("ads.spend").back(), "ads.spend 8");
    EXPECT_EQ(globals().petPoints, 15);
    EXPECT_EQ(controller.pendingOfferPoints(), 0);
    routeOfferSpend(test::HttpResponse::text(offerAccount(0)));
    checkBalance(8);
    EXPECT_EQ(globals().petPoints, 23);
    EXPECT_EQ(game::DataManager::getIntForKey("BTX_FREE_OFFER_POINTS", 0), 23);

    // Nothing for an empty or negative balance.
    log.take();
    checkBalance(0);
    checkBalance(-3);
    EXPECT_EQ(log.only("ads.getOfferPoints").size(), 2u);
    EXPECT_TRUE(log.only("ads.spend").empty());
    EXPECT_EQ(globals().petPoints, 23);
}

TEST_F(RootViewControllerTest, ThePayPerActionIsReportedOnceWhenTheLifetimeTotalReachesTwenty) {
    show();
    connectOfferWall();
    auto id = game::BountixSetting::getPayPerAction(1);
    auto reports = [&] {
        std::size_t count = 0;
        for (auto const& request : offerRequests("/connect"))
            count += request.query.find("app_id=" + id) != std::string::npos;
        return count;
    };
    checkBalance(15);
    EXPECT_EQ(globals().petPoints, 15);
    EXPECT_TRUE(log.only("ads.action").empty());
    // Without network the report waits for a later conversion.
    setOnline(false);
    checkBalance(5);
    EXPECT_EQ(globals().petPoints, 20);
    EXPECT_TRUE(log.only("ads.action").empty());
    setOnline(true);
    checkBalance(5);
    EXPECT_EQ(log.only("ads.action"), std::vector<std::string>({"ads.action " + id}));
    EXPECT_EQ(reports(), 1u) << "the offer service heard no pay-per-action";
    checkBalance(30);
    EXPECT_EQ(globals().petPoints, 55);
    EXPECT_EQ(log.only("ads.action").size(), 1u);
    EXPECT_EQ(reports(), 1u);
    EXPECT_EQ(game::DataManager::getIntForKey("BTX_FREE_OFFER_POINTS_REPORTED", 0), 1);
}

TEST_F(RootViewControllerTest, TheOfferWallOpensOnceUntilItClosesAndStaysUsableAfterNoNetwork) {
    auto& controller = show();
    log.take();
    setOnline(false);
    controller.showBountixOffers();
    EXPECT_EQ(log.only("alert"), std::vector<std::string>({"alert Connection Error"}));
    EXPECT_FALSE(controller.offersOpen());

    setOnline(true);
    connectOfferWall();
    controller.showInAppPurchase();
    controller.showBountixOffers();
    EXPECT_EQ(log.only("ads."),
        std::vector<std::string>(
            {"ads.transition 0", "ads.colour 255 54 90", "ads.showOffers", "ads.getOfferPoints"}));
    EXPECT_TRUE(controller.offersOpen());

    log.take();
    foundation::NotificationCenter::defaultCenter().postNotification(game::BTXShowBoxNotification);
    EXPECT_FALSE(controller.offersOpen());
    EXPECT_EQ(log.only("ads."), std::vector<std::string>({"ads.getOfferPoints"}));
    controller.showBountixOffers();
    EXPECT_EQ(log.only("ads.showOffers").size(), 1u);
}

TEST_F(RootViewControllerTest, TheWallOpensOverTheRootAndBackClosesItThenTheBalanceIsAskedFor) {
    auto& controller = show();
    connectOfferWall();
    controller.showBountixOffers();
    auto& wall = ads::bountix::BTXOffersWebView::sharedBTXOffersWebView();
    EXPECT_EQ(wall.superview(), controller.view());
    EXPECT_EQ(ads::bountix::BTXViewCommons::sharedObject().getCurrentTransitionEffect(), 0);
    ASSERT_NE(wall.navBar(), nullptr);
    EXPECT_EQ(wall.navBar()->tintColor(), ui::Color::colorWithBytes(255, 54, 90));
    ASSERT_TRUE(offersSettled());

    std::vector<std::string> heard;
    auto& center = foundation::NotificationCenter::defaultCenter();
    for (auto const* name : {"BTX_VIEW_CLOSED_NOTIFICATION", "BTX_SHOW_BOX_NOTIFICATION"})
        center.addObserver(&heard, name, [&heard](auto const& n) { heard.push_back(n.name()); });
    log.take();
    wall.navBar()->navBarLeftBtn()->sendAction();
    EXPECT_TRUE(controller.offersOpen()) << "the wall slides away first";
    ASSERT_TRUE(frameUntil([&] { return !controller.offersOpen(); }));
    center.removeObserver(&heard);
    EXPECT_EQ(heard,
        (std::vector<std::string> {"BTX_VIEW_CLOSED_NOTIFICATION", "BTX_SHOW_BOX_NOTIFICATION"}));
    EXPECT_EQ(wall.superview(), nullptr);
    EXPECT_EQ(log.only("ads."), std::vector<std::string>({"ads.getOfferPoints"}));
}

TEST_F(RootViewControllerTest, WithoutAnOfferWallTheOffersCloseAtOnce) {
    auto& controller = show();
    game::AdClients::setShared(nullptr);
    controller.showBountixOffers();
    EXPECT_FALSE(controller.offersOpen());
}

TEST_F(RootViewControllerTest, TheMqShareChoosesBetweenAnInterstitialAndTheFeaturedApp) {
    auto& controller = show();
    struct Case {
        char const* name;
        std::optional<int> mq;
        bool featured;
        bool online;
        int interstitials;
        int featuredRequests;
    };
    constexpr int visits = 200;
    for (auto const& c : {Case {"no mq", std::nullopt, false, true, 0, 0},
             Case {"mq 0", 0, false, true, 0, 0}, Case {"mq 101", 101, true, true, visits, 0},
             Case {"mq 0 and featured", 0, true, true, 0, visits},
             Case {"offline", 101, true, false, 0, 0}}) {
        SCOPED_TRACE(c.name);
        auto btx = base::Dictionary::create();
        if (c.mq)
            btx->setObject("mq", *c.mq);
        btx->setObject("featuredapp", c.featured);
        server.stores["btx_datastore"] = btx;
        setOnline(c.online);
        foundation::srand48(7);
        log.take();
        for (int i = 0; i < visits; ++i)
            controller.showBountixFeaturedApp();
        EXPECT_EQ(int(log.only("ads.interstitial").size()), c.interstitials);
        EXPECT_EQ(int(log.only("ads.getFeaturedApp").size()), c.featuredRequests);
    }
}

TEST_F(RootViewControllerTest, AFeaturedAppTheOfferServiceNamesIsPresentedOverTheRoot) {
    auto& controller = show();
    connectOfferWall();
    offers.route("GET", "/get_offers/featured",
        test::HttpResponse::text(
            "<BountixConnectReturnObject><OfferArray><BountixApp><StoreID>other"
            "</StoreID><Name>Other Game</Name><Amount>25</Amount></BountixApp>"
            "</OfferArray></BountixConnectReturnObject>"));
    setBtxStore({{"mq", 0}, {"featuredapp", true}});
    log.take();
    controller.showBountixFeaturedApp();
    ASSERT_TRUE(frameUntil([&] { return controller.presentedViewController() != nullptr; }));
    // (The main menu may have asked too, by its own draw.)
    auto const counts = log.only("ads.featuredCount");
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts.back(), "ads.featuredCount 1000");
    EXPECT_FALSE(offerRequests("/get_offers/featured").empty());
    EXPECT_EQ(ads::bountix::BTXFeaturedAppView::sharedBTXFeaturedAppView().publisherUserID(),
        ads::bountix::BountixConnect::getUserID())
        << "the full-screen ad would be built for the same player";
    auto* screen = dynamic_cast<game::BountixFeaturedAppViewController*>(
        controller.presentedViewController());
    ASSERT_NE(screen, nullptr) << "the game's own screen shows the featured app";
    EXPECT_EQ(screen->iAppNameLabel()->text(), "Other Game");
    EXPECT_EQ(screen->iEarnLabel()->text(), "25");
}

TEST_F(RootViewControllerTest, AnMqOfFiftyShowsAnInterstitialOnAboutHalfTheVisitsRepeatably) {
    auto& controller = show();
    setBtxStore({{"mq", 50}, {"featuredapp", true}});
    std::vector<std::size_t> counts;
    for (int run = 0; run < 2; ++run) {
        foundation::srand48(1234);
        log.take();
        for (int i = 0; i < 400; ++i)
            controller.showBountixFeaturedApp();
        counts.push_back(log.only("ads.interstitial").size());
        EXPECT_EQ(counts.back() + log.only("ads.getFeaturedApp").size(), 400u);
    }
    EXPECT_EQ(counts[0], counts[1]);
    EXPECT_GT(counts[0], 150u);
    EXPECT_LT(counts[0], 250u);
}

TEST_F(RootViewControllerTest,
    TheFeaturedAppIsPresentedHalfASecondLaterUnlessTheCrossPromotionIsOpen) {
    auto& controller = show();
    auto model = base::Dictionary::create();
    model->setObject("name", "Other Game");
    auto& center = foundation::NotificationCenter::defaultCenter();

    controller.showRVCCrossPromote();
    EXPECT_TRUE(controller.featuredDisabled());
    ASSERT_TRUE(crossPromotion().cpAPIView());
    EXPECT_EQ(crossPromotion().cpAPIView()->superview(), controller.view());
    center.postNotification(game::BTXFeaturedAppNotification, nullptr, base::Value(model));
    center.postNotification(game::BTXFeaturedAppNotification);
    frame(60);
    EXPECT_TRUE(log.only("ads.makeFeaturedApp").empty());
    EXPECT_FALSE(controller.presentedViewController());

    ASSERT_TRUE(finishCrossPromotion("77"));
    EXPECT_FALSE(controller.featuredDisabled());
    EXPECT_EQ(log.only("alert"), std::vector<std::string>({"alert Offer Finished!"}));
    EXPECT_EQ(log.only("ads.action"),
        std::vector<std::string>({"ads.action " + game::BountixSetting::getPayPerAction(7)}));
    EXPECT_FALSE(crossPromotion().cpAPIView()) << "dismissed";

    center.postNotification(game::BTXFeaturedAppNotification, nullptr, base::Value(model));
    frame(20);
    EXPECT_FALSE(controller.presentedViewController());
    frame(60);
    EXPECT_TRUE(controller.presentedViewController());
}

TEST_F(RootViewControllerTest, TheDailyBonusWheelNeedsMoneyAndNoOtherScreen) {
    auto& controller = show();
    game::DataManager::setInt(0, "money");
    globals().money = 0;
    controller.dailyBonusDidReceived();
    EXPECT_TRUE(log.only("make wheel").empty());

    auto screen = ui::ViewController::create();
    controller.presentViewController(screen, false);
    globals().money = 100;
    game::DataConrtoller::saveMoney();
    foundation::NotificationCenter::defaultCenter().postNotification(
        "LuckyWheelDailyBonusDidReceiveNotification");
    EXPECT_TRUE(log.only("make wheel").empty());

    controller.dismissViewController(false);
    foundation::NotificationCenter::defaultCenter().postNotification(
        "LuckyWheelDailyBonusDidReceiveNotification");
    EXPECT_EQ(log.only("make wheel").size(), 1u);
    EXPECT_TRUE(controller.presentedViewController());
}

TEST_F(RootViewControllerTest, ScreensArePresentedAndFilledWithLocalizedTexts) {
    auto& controller = show();
    controller.showAchievements();
    ASSERT_TRUE(controller.presentedViewController());
    EXPECT_EQ(controller.presentedViewController()->title(), "ACHIEVEMENTS");
    controller.dismissViewController(false);
    controller.showDownloadPage();
    EXPECT_EQ(log.only("make dlc").size(), 1u);
    controller.dismissViewController(false);
    controller.showTransferPetPointsToMoney();
    EXPECT_EQ(log.only("interface.showTransferPPView").size(), 1u);

    struct Screen final : game::LocalizedScreen {
        void setTitleStr(std::string const& text) override { texts.push_back("title " + text); }
        void setOkStr(std::string const& text) override { texts.push_back("ok " + text); }
        void setCancelStr(std::string const& text) override { texts.push_back("cancel " + text); }
        void setBackStr(std::string const& text) override { texts.push_back("back " + text); }
        void setEarnStr(std::string const& text) override { texts.push_back("earn " + text); }
        void setBuyStr(std::string const& text) override { texts.push_back("buy " + text); }
        std::vector<std::string> texts;
    };
    Screen transfer;
    controller.createLocalizedTransferPPImages(transfer);
    EXPECT_EQ(transfer.texts,
        std::vector<std::string>({"title XFRPP", "ok BUTTON_OK", "cancel BUTTON_CANCEL",
            "back BUTTON_BACK", "earn EARNPP", "buy BUYPP"}));
    Screen purchase;
    controller.createLocalizedInAppPurchaseImages(purchase);
    EXPECT_EQ(purchase.texts,
        std::vector<std::string>(
            {"title BUYPP", "back BUTTON_BACK", "cancel BUTTON_CANCEL", "earn EARNPP"}));
}

TEST_F(RootViewControllerTest, ACrossPromotionSkippedShowsItsAlertAndReportsNothing) {
    auto& controller = show();
    controller.showRVCCrossPromote();
    ASSERT_TRUE(crossPromotion().cpAPIView());
    ASSERT_EQ(crossPromotion().cpAPIToolbar()->items().size(), 1u);
    EXPECT_EQ(crossPromotion().cpAPIToolbar()->items()[0]->title(), "Back");
    // The final page with an empty result element: nothing was published.
    ASSERT_TRUE(finishCrossPromotion(""));
    EXPECT_EQ(log.only("alert"), std::vector<std::string>({"alert Offer Not Finished!"}));
    EXPECT_TRUE(log.only("ads.action").empty());
    EXPECT_FALSE(controller.featuredDisabled());
    EXPECT_FALSE(crossPromotion().cpAPIView());
}

TEST_F(RootViewControllerTest, TheCrossPromotionsBackButtonClosesItWithoutAnAlert) {
    auto& controller = show();
    controller.showRVCCrossPromote();
    ASSERT_TRUE(crossPromotionLoaded());
    crossPromotion().cpAPIToolbar()->items()[0]->sendAction();
    EXPECT_FALSE(crossPromotion().cpAPIView());
    EXPECT_FALSE(controller.featuredDisabled());
    EXPECT_TRUE(log.only("alert").empty());
    EXPECT_TRUE(log.only("ads.action").empty());
}

TEST_F(RootViewControllerTest, WithoutAStoreSiteTheCrossPromotionClosesAtOnce) {
    game::DataManager::setString("", game::ServerConfig::productWebBaseURLDefault);
    auto& controller = show();
    controller.showRVCCrossPromote();
    EXPECT_FALSE(crossPromotion().cpAPIView());
    EXPECT_FALSE(controller.featuredDisabled());
    EXPECT_TRUE(log.only("alert").empty());
}

// The banner against a loopback ad server whose HTML creatives the test plays.
class RootViewControllerBannerTest : public RootViewControllerTest {
protected:
    RootViewControllerBannerTest() {
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return test::ScriptedWebView::create(frame);
        });
        adServer.route("GET", "/m/ad",
            test::HttpResponse::text("<html>ad</html>")
                .header("X-Adtype", "html")
                .header("X-Refreshtime", "30"));
        auto const base = adServer.baseURL();
        game::DataManager::setString(
            base.substr(base.find("://") + 3), game::ServerConfig::mosaicHostDefault);
    }
    ~RootViewControllerBannerTest() override { ui::WebView::setFactory(nullptr); }

    // Waits for the banner's next creative, which then reports that it has loaded.
    void arrive(game::RootViewController& controller) {
        auto* banner = controller.mxAdView();
        ASSERT_TRUE(banner);
        auto* manager = banner->adManager();
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return manager->loadingWebView() != nullptr; }, 10));
        auto* creative = static_cast<test::ScriptedWebView*>(manager->loadingWebView());
        EXPECT_FALSE(creative->fireNavigation("mosaic://finishLoad"));
    }
    std::size_t adRequests() const {
        std::size_t count = 0;
        for (auto const& request : adServer.requests())
            count += request.path == "/m/ad";
        return count;
    }

    test::LoopbackServer adServer;
};

TEST_F(RootViewControllerBannerTest, ABannerLoadedInWorkingHoursIsNotShownAndTheNextLoadIsPlaced) {
    auto& controller = show();
    controller.showAdView();
    auto* banner = controller.mxAdView();
    ASSERT_TRUE(banner);
    EXPECT_EQ(banner->adUnitId(), game::GameSettingManager::getMosaicID());
    EXPECT_EQ(banner->delegate(), &controller);
    EXPECT_EQ(banner->delegate()->viewControllerForPresentingModalView(), &controller);

    globals().shopState = 2;
    arrive(controller);
    EXPECT_EQ(adRequests(), 1u);
    EXPECT_FALSE(controller.isAdViewAvailable());
    EXPECT_FALSE(banner->superview());

    globals().shopState = 1;
    banner->forceRefreshAd();
    arrive(controller);
    EXPECT_EQ(adRequests(), 2u);
    EXPECT_TRUE(controller.isAdViewAvailable());
    EXPECT_EQ(banner->superview(), controller.view());
    EXPECT_TRUE(banner->ignoresAutorefresh());
    EXPECT_FALSE(banner->adManager()->autorefreshTimer()->isScheduled());
    // Moved up from just below the screen by its height.
    EXPECT_EQ(banner->frame().origin.y, 270);
    ASSERT_TRUE(controller.adBGBtn());
    EXPECT_EQ(controller.adBGBtn()->frame().origin.y, 320 - 66);

    controller.hideAdView();
    EXPECT_FALSE(controller.isAdViewAvailable());
    EXPECT_FALSE(controller.isAdViewVisible());
    EXPECT_FALSE(banner->superview());
    EXPECT_FALSE(controller.adBGBtn()->superview());
    EXPECT_FALSE(banner->delegate());

    // With a popup open the banner stays away.
    globals().interface.get();
    services.interface->uiState = 3;
    controller.showAdView();
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(adRequests(), 2u);
}

TEST_F(RootViewControllerTest, TheDisplayAdComesUpOnceAndHidingItEndsDisplayAdsForTheRun) {
    auto& controller = show();
    setBtxStore({{"bannerad", true}});
    controller.showBTXAd();
    ASSERT_TRUE(ads.displayAdDelegate);
    auto ad = ui::View::create(graphics::makeRect(0, 0, 320, 50));
    ads.displayAdDelegate->didReceiveAd(ad);
    ASSERT_TRUE(controller.btxAdBackground());
    EXPECT_EQ(ad->superview(), controller.btxAdBackground());
    EXPECT_EQ(ad->frame().origin.y, 15);
    EXPECT_EQ(controller.btxAdBackground()->frame().origin.y, 260);

    controller.hideBTXAd();
    EXPECT_TRUE(controller.displayAdDisabled());
    EXPECT_EQ(controller.btxAdBackground()->frame().origin.y, 320);
    auto second = ui::View::create(graphics::makeRect(0, 0, 320, 50));
    ads.displayAdDelegate->didReceiveAd(second);
    EXPECT_FALSE(second->superview());
}

TEST_F(RootViewControllerTest, TheLoadingOverlayCoversTheScreenOnceAndGoes) {
    for (bool pad : {false, true}) {
        SCOPED_TRACE(pad ? "tablet" : "phone");
        if (root) {
            director().end();
            root = nullptr;
            window = nullptr;
            resetSingletons();
        }
        auto& controller = show(pad);
        controller.showDLCLoading();
        controller.showDLCLoading();
        int overlays = 0;
        for (auto const& child : controller.view()->subviews())
            overlays += child.get() == controller.dlcLoadingView();
        EXPECT_EQ(overlays, 1);
        ASSERT_TRUE(controller.dlcLoadingView());
        EXPECT_EQ(controller.dlcLoadingView()->frame().size.width, pad ? 1024 : 480);
        EXPECT_EQ(controller.dlcLoadingView()->subviews().size(), 2u);
        auto* overlay = controller.dlcLoadingView();
        controller.hideDLCLoading();
        EXPECT_FALSE(controller.dlcLoadingView());
        EXPECT_EQ(std::count_if(controller.view()->subviews().begin(),
                      controller.view()->subviews().end(),
                      [overlay](auto const& child) { return child.get() == overlay; }),
            0);
        controller.hideDLCLoading();
    }
}

}
