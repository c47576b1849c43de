// The Vov Azavuz purchase screen and the Vov Azavuz-to-coins screen over the root view
// controller in a window, under the manual clock and with the scripted device store:
// the loading panel's phases and which taps act in each, the titles and texts, the
// offer-wall switch, opening and closing on the phone and the tablet, and the lots of
// the transfer with their money, saved values and animation.

#include "ShellFakes.hpp"

#include <game/interface/Interface.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/InAppPurchaseSetting.hpp>
#include <game/store/InAppPurchaseViewController.hpp>
#include <game/store/PaymentConfirmation.hpp>
#include <game/store/TransferPetPointsViewController.hpp>
#include <support/LogCapture.hpp>
#include <ui/Button.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

using game::GameGlobals;
using game::InAppPurchaseViewController;
using game::TransferPetPointsViewController;
using Outcome = services::SKPaymentQueue::Outcome;
using Answer = services::SKPaymentQueue::RequestAnswer;

namespace {

std::string const productIDs[] = {game::InAppPurchaseSetting::getPackage1ProductID(),
    game::InAppPurchaseSetting::getPackage2ProductID(),
    game::InAppPurchaseSetting::getPackage3ProductID(),
    game::InAppPurchaseSetting::getPackage4ProductID(),
    game::InAppPurchaseSetting::getPackage5ProductID()};

void tap(ui::Button* button) {
    ASSERT_TRUE(button);
    button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
}

class StoreScreensTest : public test::AppShellTest {
protected:
    StoreScreensTest() { game::InAppPurchase::sharedManager(); }
    ~StoreScreensTest() override {
        game::PaymentConfirmation::uninstall();
        if (root && root->mainScene() && engine::Director::sharedDirector().runningScene())
            engine::Director::sharedDirector().end();
    }

    // The root view controller shown in a window of the phone's (or the tablet's)
    // screen, the game started.
    game::RootViewController& show(bool pad = false) {
        ui::Device::currentDevice().setUserInterfaceIdiom(
            pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        auto size = pad ? graphics::makeSize(1024, 768) : graphics::makeSize(480, 320);
        window = ui::Window::create(graphics::makeRect(0, 0, size.width, size.height));
        root = game::RootViewController::create();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        frame();
        return *root;
    }

    // A screen opened over the root view controller as its openers open it: given the
    // root view controller (or none) and its texts filled by it.
    template<typename Screen> base::Ref<Screen> open(bool withRoot = true) {
        auto screen = Screen::create();
        if (withRoot) {
            screen->setPRootViewController(root.get());
            if constexpr (std::is_same_v<Screen, InAppPurchaseViewController>)
                root->createLocalizedInAppPurchaseImages(*screen);
            else
                root->createLocalizedTransferPPImages(*screen);
        }
        game::StoreScreen::open(*root, screen);
        frame(30);
        return screen;
    }

    void offerWall(bool on) {
        auto btx = base::Dictionary::create();
        btx->setObject("offerwall", on);
        server.stores["btx_datastore"] = btx;
    }

    // Frames past the screens' next refresh.
    static void refresh() { frame(16); }

    static GameGlobals& globals() { return GameGlobals::shared(); }

    base::Ref<game::RootViewController> root;
};

// --- the purchase screen ---

TEST_F(StoreScreensTest, ThePanelFollowsThePhaseAndWhileBuyingOnlyCancelActsAndOnlyWhenConnecting) {
    enum class Phase { Idle, Requesting, Paying };
    struct Case {
        char const* name;
        Phase phase;
        bool panel;
        bool cancelShown;
        char const* text;
    };
    Case const cases[] = {
        {"idle", Phase::Idle, false, false, ""},
        {"requesting", Phase::Requesting, true, true, "Connecting..."},
        {"paying", Phase::Paying, true, false, "Loading purchase item..."},
    };
    show();
    offerWall(true);
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto screen = open<InAppPurchaseViewController>();
        ASSERT_EQ(root->presentedViewController(), screen.get());
        if (c.phase == Phase::Requesting) {
            storeQueue().script().answers = {Answer::Never};
            root->buyPackage(productIDs[0]);
        } else if (c.phase == Phase::Paying) {
            storeQueue().script().defaultOutcome = Outcome::Pending;
            root->buyPackage(productIDs[0]);
            frame();
        }
        refresh();
        EXPECT_EQ(screen->iLoadingView()->isHidden(), !c.panel);
        if (c.panel) {
            EXPECT_EQ(screen->iCancelPurchaseButton()->isHidden(), !c.cancelShown);
            EXPECT_EQ(screen->iLoadingLabel()->text(), c.text);
        }
        if (c.phase == Phase::Idle) {
            // Idle, buy, earn and close act; cancel does nothing.
            tap(screen->iCancelPurchaseButton());
            tap(screen->iEarnButton());
            EXPECT_EQ(log.only("ads.showOffers").size(), 1u);
            tap(screen->iBackButton());
            frame(30);
            EXPECT_FALSE(root->presentedViewController());
            continue;
        }
        // Busy: buy, earn and close are ignored.
        test::LogCapture captured;
        log.take();
        tap(screen->iBuyButton(2));
        tap(screen->iEarnButton());
        tap(screen->iBackButton());
        frame(30);
        EXPECT_FALSE(captured.contains("Cannot buy"));
        EXPECT_TRUE(log.only("ads.showOffers").empty());
        EXPECT_EQ(root->presentedViewController(), screen.get());
        EXPECT_TRUE(screen->updateTimer()->isValid());
        // Cancel ends a request; a payment on the queue cannot be cancelled.
        tap(screen->iCancelPurchaseButton());
        EXPECT_EQ(root->isBuyingPackage(), c.phase == Phase::Paying);
        if (c.phase == Phase::Paying)
            storeQueue().settle(*storeQueue().transactions().front(), Outcome::Cancelled);
        frame(2);
        refresh();
        EXPECT_FALSE(root->isBuyingPackage());
        EXPECT_TRUE(screen->iLoadingView()->isHidden());
        EXPECT_EQ(globals().petPoints, 0);
        // Idle again: the screen can be left.
        tap(screen->iBackButton());
        frame(30);
        EXPECT_FALSE(root->presentedViewController());
        storeQueue().script() = {};
        storeQueue().script().products = {std::begin(productIDs), std::end(productIDs)};
    }
}

TEST_F(StoreScreensTest, AFailedRequestOrAnUnknownProductEndsTheBusyPanel) {
    show();
    for (auto answer : {Answer::Fail, Answer::Respond}) {
        auto screen = open<InAppPurchaseViewController>();
        // Respond with nothing on sale: the product is unknown to the store.
        storeQueue().script().products.clear();
        storeQueue().script().answers = {answer};
        tap(screen->iBuyButton(3));
        refresh();
        EXPECT_FALSE(root->isBuyingPackage());
        EXPECT_TRUE(screen->iLoadingView()->isHidden());
        tap(screen->iBackButton());
        frame(30);
        EXPECT_FALSE(root->presentedViewController());
    }
}

TEST_F(StoreScreensTest, EachPackageBoughtFromTheScreenCreditsItsPointsOnce) {
    show();
    auto screen = open<InAppPurchaseViewController>();
    int const points[] = {100, 210, 460, 1250, 3000};
    for (int package = 1; package <= 5; ++package) {
        SCOPED_TRACE(package);
        globals().petPoints = 0;
        log.take();
        tap(screen->iBuyButton(package));
        frame(4);
        EXPECT_EQ(globals().petPoints, points[package - 1]);
        EXPECT_EQ(log.only("alert"), std::vector<std::string>({"alert Purchase Complete!"}));
        EXPECT_EQ(log.only("event"),
            std::vector<std::string>(
                {"event Pet Point IAP Package=" + std::to_string(points[package - 1])}));
        refresh();
        EXPECT_EQ(screen->iPetPointsLabel()->text(), std::to_string(points[package - 1]));
        EXPECT_FALSE(root->isBuyingPackage());
    }
    // Cancelled and failed payments credit nothing and free the screen.
    for (auto outcome : {Outcome::Cancelled, Outcome::Failed}) {
        globals().petPoints = 0;
        storeQueue().script().outcomes = {outcome};
        tap(screen->iBuyButton(5));
        frame(4);
        refresh();
        EXPECT_EQ(globals().petPoints, 0);
        EXPECT_TRUE(screen->iLoadingView()->isHidden());
    }
}

TEST_F(
    StoreScreensTest, WithoutARootViewControllerItShowsTheBalanceAndTitlesAndIgnoresEveryButton) {
    show();
    offerWall(true);
    globals().petPoints = 37;
    auto screen = open<InAppPurchaseViewController>(false);
    EXPECT_EQ(screen->iPetPointsLabel()->text(), "37");
    int const points[] = {100, 210, 460, 1250, 3000};
    for (int package = 1; package <= 5; ++package)
        EXPECT_EQ(screen->iBuyButton(package)->currentTitle(),
            "+" + std::to_string(points[package - 1]) + "PP");
    for (int package = 1; package <= 5; ++package)
        tap(screen->iBuyButton(package));
    tap(screen->iEarnButton());
    tap(screen->iBackButton());
    frame(30);
    EXPECT_FALSE(root->isBuyingPackage());
    EXPECT_TRUE(log.only("ads.showOffers").empty());
    EXPECT_EQ(root->presentedViewController(), screen.get());
    EXPECT_TRUE(screen->iLoadingView()->isHidden());
    // A credit made elsewhere shows at the next refresh.
    globals().petPoints = 52;
    refresh();
    EXPECT_EQ(screen->iPetPointsLabel()->text(), "52");
}

TEST_F(StoreScreensTest, TextsReplaceTheBuiltInTitlesOnlyWhenSetAndTheOfferWallSwitchShowsEarn) {
    show();
    auto plain = open<InAppPurchaseViewController>(false);
    auto builtIn = [](InAppPurchaseViewController& s) {
        return std::vector<std::string>({s.iTitleLabel()->text(), s.iBackButton()->currentTitle(),
            s.iCancelPurchaseButton()->titleForState(ui::ControlState::Normal),
            s.iEarnButton()->titleForState(ui::ControlState::Normal)});
    };
    auto nibTitles = builtIn(*plain);
    for (auto const& title : nibTitles)
        EXPECT_FALSE(title.empty());
    root->dismissViewController(false);
    auto filled = open<InAppPurchaseViewController>();
    EXPECT_EQ(builtIn(*filled),
        std::vector<std::string>({"BUYPP", "BUTTON_BACK", "BUTTON_CANCEL", "EARNPP"}));
    tap(filled->iBackButton());
    frame(30);

    struct Case {
        char const* name;
        std::optional<bool> offerwall;
        bool shown;
    };
    for (auto const& c : {Case {"absent", std::nullopt, false}, Case {"off", false, false},
             Case {"on", true, true}}) {
        SCOPED_TRACE(c.name);
        server.stores.erase("btx_datastore");
        if (c.offerwall)
            offerWall(*c.offerwall);
        auto screen = open<InAppPurchaseViewController>();
        EXPECT_EQ(screen->iEarnButton()->alpha(), c.shown ? 1 : 0);
        EXPECT_EQ(screen->iEarnIcon()->alpha(), c.shown ? 1 : 0);
        EXPECT_EQ(screen->iEarnButton()->isEnabled(), c.shown);
        EXPECT_TRUE(screen->iEarnButton()->titleLabel()->adjustsFontSizeToFitWidth());
        tap(screen->iBackButton());
        frame(30);
    }
}

TEST_F(StoreScreensTest, OnTheTabletTheScreenSlidesUpAndCloseSlidesItAwayAndLetsItGo) {
    show(true);
    auto subviews = root->view()->subviews().size();
    base::WeakRef<InAppPurchaseViewController> weak;
    {
        auto screen = InAppPurchaseViewController::create();
        weak = screen.get();
        screen->setPRootViewController(root.get());
        game::StoreScreen::open(*root, screen);
        EXPECT_EQ(screen->view()->superview(), root->view());
        EXPECT_EQ(screen->view()->presentation().frame().origin.y, 768);
    }
    frame(10);
    ASSERT_TRUE(weak);
    auto middle = weak->view()->presentation().frame().origin.y;
    EXPECT_GT(middle, 0);
    EXPECT_LT(middle, 768);
    frame(20);
    EXPECT_EQ(weak->view()->presentation().frame(), graphics::makeRect(0, 0, 1024, 768));
    EXPECT_FALSE(root->presentedViewController());

    tap(weak->iBackButton());
    EXPECT_FALSE(weak->updateTimer()->isValid());
    frame(10);
    ASSERT_TRUE(weak);
    EXPECT_GT(weak->view()->presentation().frame().origin.y, 0);
    frame(20);
    EXPECT_FALSE(weak);
    EXPECT_EQ(root->view()->subviews().size(), subviews);
}

TEST_F(StoreScreensTest, OnThePhoneTheScreenIsPresentedAndItsTimerHoldsItUntilClosed) {
    show();
    base::WeakRef<InAppPurchaseViewController> weak;
    {
        auto screen = open<InAppPurchaseViewController>();
        weak = screen.get();
    }
    root->view();
    ASSERT_TRUE(weak);
    EXPECT_EQ(root->presentedViewController(), weak.get());
    EXPECT_TRUE(
        weak->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(weak->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
    tap(weak->iBackButton());
    frame(30);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_FALSE(weak);
}

// In the program the player confirms each payment in an alert: "Buy" credits the
// package once, "Cancel" credits nothing; the screen waits in its payment phase meanwhile.
TEST_F(StoreScreensTest, ThePlayerConfirmsOrCancelsEachPaymentInAnAlertAndIsAskedOnce) {
    show();
    game::PaymentConfirmation::install();
    auto screen = open<InAppPurchaseViewController>();
    struct Case {
        int answer;
        int credited;
    };
    for (auto const& c : {Case {1, 210}, Case {0, 0}}) {
        SCOPED_TRACE(c.answer);
        globals().petPoints = 0;
        log.take();
        alerts.messages.clear();
        tap(screen->iBuyButton(2));
        frame(4);
        refresh();
        EXPECT_EQ(log.only("question"),
            std::vector<std::string>({"question Confirm Your In-App Purchase [Cancel|Buy]"}));
        ASSERT_EQ(alerts.questions.size(), 1u);
        EXPECT_EQ(screen->iLoadingLabel()->text(), "Loading purchase item...");
        EXPECT_TRUE(screen->iCancelPurchaseButton()->isHidden());
        // Further updates of the queue ask nothing more.
        frame(30);
        EXPECT_EQ(alerts.questions.size(), 1u);
        ASSERT_TRUE(alerts.answer(game::PaymentConfirmation::title, c.answer));
        frame(4);
        refresh();
        EXPECT_EQ(globals().petPoints, c.credited);
        EXPECT_EQ(log.only("alert").size(), c.credited ? 1u : 0u);
        EXPECT_FALSE(root->isBuyingPackage());
        EXPECT_TRUE(screen->iLoadingView()->isHidden());
        EXPECT_TRUE(storeQueue().transactions().empty());
    }
    game::PaymentConfirmation::uninstall();
    tap(screen->iBuyButton(1));
    frame(4);
    EXPECT_EQ(globals().petPoints, 100);
    EXPECT_TRUE(alerts.questions.empty());
}

// --- the transfer screen ---

TEST_F(StoreScreensTest, EachLotTradesTenVovAzavuzForFiveHundredCoinsFromTen) {
    struct Case {
        int petPoints;
        bool lot;
        int petPointsAfter;
        int moneyAfter;
        bool okAfter;
    };
    show();
    ASSERT_TRUE(globals().interface);
    for (auto const& c : {Case {9, false, 9, 1000, false}, Case {10, true, 0, 1500, false},
             Case {11, true, 1, 1500, false}, Case {25, true, 15, 1500, true}}) {
        SCOPED_TRACE(c.petPoints);
        globals().petPoints = c.petPoints;
        globals().overallPetPoints = 100;
        globals().money = 1000;
        game::DataConrtoller::savePetPoints();
        game::DataConrtoller::saveMoney();
        auto screen = open<TransferPetPointsViewController>();
        EXPECT_TRUE(screen->iOKButton()->isEnabled() == (c.petPoints >= 10));
        tap(screen->iOKButton());
        EXPECT_EQ(globals().petPoints, c.petPointsAfter);
        EXPECT_EQ(globals().money, c.moneyAfter);
        EXPECT_EQ(screen->iPetPointsLabel()->text(), std::to_string(c.petPointsAfter));
        EXPECT_EQ(screen->iMoneyLabel()->text(), "$" + std::to_string(c.moneyAfter));
        EXPECT_EQ(screen->iOKButton()->isEnabled(), c.okAfter);
        EXPECT_EQ(screen->iChangeMoneyLabel()->alpha() == 0 && !c.lot, !c.lot);
        // What was saved comes back.
        globals().petPoints = -1;
        globals().money = -1;
        game::DataConrtoller::loadPetPoints();
        game::DataConrtoller::loadMoney();
        EXPECT_EQ(globals().petPoints, c.petPointsAfter);
        EXPECT_EQ(globals().money, c.moneyAfter);
        EXPECT_EQ(globals().overallPetPoints, 100);
        tap(screen->iCancelButton());
        frame(30);
        EXPECT_FALSE(root->presentedViewController());
    }
}

TEST_F(StoreScreensTest, ALotIsRefusedWithoutTheInterface) {
    show();
    auto screen = open<TransferPetPointsViewController>();
    globals().petPoints = 40;
    globals().money = 7;
    auto interface = globals().interface;
    globals().interface = nullptr;
    EXPECT_FALSE(screen->transferPetPointsToMoney());
    tap(screen->iOKButton());
    EXPECT_EQ(globals().petPoints, 40);
    EXPECT_EQ(globals().money, 7);
    EXPECT_EQ(screen->iChangePetPointsLabel()->presentation().alpha, 0);
    globals().interface = interface;
    EXPECT_TRUE(screen->transferPetPointsToMoney());
    EXPECT_EQ(globals().petPoints, 30);
    EXPECT_EQ(globals().money, 507);
}

TEST_F(StoreScreensTest, TheChangesDriftFromTheBalancesAndFadeInOneAndAHalfSeconds) {
    show();
    globals().petPoints = 30;
    auto screen = open<TransferPetPointsViewController>();
    EXPECT_EQ(screen->iTransferPetPointsLabel()->text(), "10");
    EXPECT_EQ(screen->iTransferMoneyLabel()->text(), "$500");
    EXPECT_EQ(screen->iChangePetPointsLabel()->text(), "-10");
    EXPECT_EQ(screen->iChangeMoneyLabel()->text(), "+$500");
    EXPECT_EQ(screen->iChangePetPointsLabel()->alpha(), 0);
    EXPECT_EQ(screen->iChangeMoneyLabel()->alpha(), 0);

    auto petPoints = screen->iPetPointsLabel()->center();
    auto money = screen->iMoneyLabel()->center();
    tap(screen->iOKButton());
    auto spent = screen->iChangePetPointsLabel()->presentation();
    auto earned = screen->iChangeMoneyLabel()->presentation();
    EXPECT_EQ(spent.center, petPoints);
    EXPECT_EQ(earned.center, money);
    EXPECT_FLOAT_EQ(spent.alpha, 1);
    frame(45);
    spent = screen->iChangePetPointsLabel()->presentation();
    earned = screen->iChangeMoneyLabel()->presentation();
    EXPECT_GT(spent.center.y, petPoints.y);
    EXPECT_LT(spent.center.y, petPoints.y + 20);
    EXPECT_LT(earned.center.y, money.y);
    EXPECT_GT(spent.alpha, 0);
    EXPECT_LT(spent.alpha, 1);
    frame(50);
    spent = screen->iChangePetPointsLabel()->presentation();
    earned = screen->iChangeMoneyLabel()->presentation();
    EXPECT_FLOAT_EQ(spent.center.y, petPoints.y + 20);
    EXPECT_FLOAT_EQ(earned.center.y, money.y - 20);
    EXPECT_FLOAT_EQ(spent.alpha, 0);
    EXPECT_FLOAT_EQ(earned.alpha, 0);
}

TEST_F(StoreScreensTest, TheTransferScreenLeadsToThePurchaseScreenAndTheOfferWall) {
    for (bool pad : {false, true}) {
        SCOPED_TRACE(pad ? "tablet" : "phone");
        show(pad);
        auto transfer = open<TransferPetPointsViewController>();
        EXPECT_EQ(transfer->iTitleLabel()->text(), "XFRPP");
        EXPECT_EQ(transfer->iBuyButton()->currentTitle(), "BUYPP");
        EXPECT_EQ(transfer->iOKButton()->currentTitle(), "BUTTON_OK");
        EXPECT_TRUE(transfer->iOKButton()->isExclusiveTouch());
        EXPECT_TRUE(transfer->iTitleLabel()->isExclusiveTouch());
        tap(transfer->iBuyButton());
        frame(30);
        InAppPurchaseViewController* purchase = nullptr;
        if (pad) {
            // Slid in over the transfer screen's view.
            ASSERT_EQ(
                transfer->view()->subviews().back()->frame(), graphics::makeRect(0, 0, 1024, 768));
            for (auto const& view : transfer->view()->subviews())
                if (auto* controller
                    = dynamic_cast<InAppPurchaseViewController*>(view->nextResponder()))
                    purchase = controller;
        } else {
            purchase
                = dynamic_cast<InAppPurchaseViewController*>(transfer->presentedViewController());
        }
        ASSERT_TRUE(purchase);
        EXPECT_EQ(purchase->pRootViewController(), root.get());
        EXPECT_EQ(purchase->iTitleLabel()->text(), "BUYPP");
        tap(purchase->iBackButton());
        frame(30);
        EXPECT_FALSE(transfer->presentedViewController());

        log.take();
        tap(transfer->iEarnButton());
        EXPECT_EQ(log.only("ads.showOffers").size(), 1u);
        tap(transfer->iBackButton());
        frame(30);
        EXPECT_FALSE(root->presentedViewController());
        if (pad)
            break;
        engine::Director::sharedDirector().end();
        root = nullptr;
        window = nullptr;
    }
}

}
