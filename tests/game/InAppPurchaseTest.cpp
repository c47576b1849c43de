#include <game/shell/AlertPresenter.hpp>
#include <game/store/InAppPurchase.hpp>

#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <algorithm>

namespace game {
namespace {

using services::SKPaymentQueue;
using Answer = SKPaymentQueue::RequestAnswer;
using Outcome = SKPaymentQueue::Outcome;

// Writes each delegate call into a journal; may buy what it is told of.
class Buyer final : public InAppPurchaseDelegate {
public:
    void productDataDidReceiveResponse(std::vector<std::string> const& products) override {
        std::string line = "products";
        for (auto const& product : products)
            line += " " + product;
        journal.push_back(line);
        if (buyAtOnce) {
            for (auto const& product : products)
                InAppPurchase::sharedManager().purchaseProduct(product);
        }
    }
    void invalidProductDataDidReceiveResponse() override { journal.push_back("invalid"); }
    void transactionDidComplete(PurchaseTransaction const& transaction) override {
        journal.push_back(line("complete", transaction));
    }
    void transactionDidRestore(PurchaseTransaction const& transaction) override {
        journal.push_back(line("restore", transaction));
    }
    void transactionDidCancelled(PurchaseTransaction const& transaction) override {
        journal.push_back(line("cancelled", transaction));
    }
    void transactionDidFail(PurchaseTransaction const& transaction) override {
        journal.push_back(line("fail", transaction));
    }

    static std::string line(std::string what, PurchaseTransaction const& transaction) {
        return what + " " + transaction.productIdentifier + " x"
            + std::to_string(transaction.quantity);
    }

    std::vector<std::string> journal;
    bool buyAtOnce {false};
};

class Alerts final : public AlertPresenter {
public:
    void showAlert(
        std::string_view title, std::string_view message, std::string_view button) override {
        shown.push_back(
            std::string(title) + " / " + std::string(message) + " / " + std::string(button));
    }
    std::vector<std::string> shown;
};

// A fresh sandbox, run loop and store under a manual clock; the store sells pack.a and
// pack.b.
class InAppPurchaseTest : public ::testing::Test {
protected:
    InAppPurchaseTest() {
        foundation::Sandbox::setRoot(sandbox.path().string());
        foundation::RunLoop::main().reset();
        SKPaymentQueue::reset();
        queue().script().products = {"pack.a", "pack.b"};
        AlertPresenter::setShared(&alerts);
    }
    ~InAppPurchaseTest() override {
        InAppPurchase::releaseSharedManager();
        AlertPresenter::setShared(nullptr);
        SKPaymentQueue::reset();
        foundation::RunLoop::main().reset();
        foundation::Sandbox::setRoot({});
    }

    static SKPaymentQueue& queue() { return SKPaymentQueue::defaultQueue(); }
    static InAppPurchase& manager() { return InAppPurchase::sharedManager(); }
    static void run(double seconds = 0) {
        auto& loop = foundation::RunLoop::main();
        if (seconds > 0)
            loop.runFor(seconds);
        for (int pass = 0; pass < 100 && loop.runPending(); ++pass) { }
    }
    // A new launch: the manager and the queue are made again from the sandbox.
    static void relaunch() {
        InAppPurchase::releaseSharedManager();
        SKPaymentQueue::reset();
        queue().script().products = {"pack.a", "pack.b"};
    }

    foundation::ScopedManualClock clock;
    test::TempDir sandbox;
    test::LogCapture logs;
    Alerts alerts;
    Buyer buyer;
};

TEST_F(InAppPurchaseTest, TheSharedManagerIsTheShellsPurchaseManagerWhileItLives) {
    EXPECT_FALSE(InAppPurchase::hasSharedManager());
    auto& made = manager();
    EXPECT_EQ(&PurchaseManager::shared(), &made);
    EXPECT_EQ(&manager(), &made);
    PurchaseManager::shared().releaseManager();
    EXPECT_FALSE(InAppPurchase::hasSharedManager());
    EXPECT_NE(&PurchaseManager::shared(), &made);
}

TEST_F(InAppPurchaseTest, ProductResponsesReachTheDelegateValidFirst) {
    struct Case {
        std::set<std::string> asked;
        std::vector<std::string> heard;
        std::vector<std::string> logged;
    };
    Case const cases[] = {
        {{"pack.a"}, {"products pack.a"}, {}},
        {{"pack.a", "zzz"}, {"products pack.a", "invalid"}, {"**** Invalid product: zzz"}},
        {{"nope", "zzz"}, {"invalid"}, {"**** Invalid product: nope", "**** Invalid product: zzz"}},
        {{}, {}, {}},
    };
    manager().setDelegate(&buyer);
    for (auto const& c : cases) {
        buyer.journal.clear();
        logs.clear();
        manager().requestSetofProductData(c.asked);
        EXPECT_TRUE(manager().isRequestingProductData());
        EXPECT_TRUE(buyer.journal.empty());
        run();
        EXPECT_EQ(buyer.journal, c.heard);
        EXPECT_EQ(logs.lines(), c.logged);
        EXPECT_FALSE(manager().isRequestingProductData());
    }
}

TEST_F(InAppPurchaseTest, InvalidProductsAreLoggedWithoutADelegate) {
    manager().requestProductData("zzz");
    run();
    EXPECT_TRUE(logs.contains("**** Invalid product: zzz"));
    EXPECT_FALSE(manager().isRequestingProductData());
}

TEST_F(InAppPurchaseTest, RequestsStayPendingUntilEachAnswersFailsOrIsCancelled) {
    manager().setDelegate(&buyer);
    queue().script().answers = {Answer::Respond, Answer::Never};
    manager().requestProductData("pack.a");
    manager().requestProductData("pack.b");
    run();
    EXPECT_EQ(buyer.journal, std::vector<std::string>({"products pack.a"}));
    EXPECT_TRUE(manager().isRequestingProductData());
    manager().cancelRequestingProductData();
    EXPECT_FALSE(manager().isRequestingProductData());
    manager().cancelRequestingProductData();

    // A failed request ends the busy state with a log line and no delegate call.
    buyer.journal.clear();
    queue().script().answers = {Answer::Fail};
    manager().requestProductData("pack.a");
    run();
    EXPECT_FALSE(manager().isRequestingProductData());
    EXPECT_TRUE(logs.contains("Product request failed"));
    EXPECT_TRUE(buyer.journal.empty());

    // A cancelled request is never heard of.
    queue().script().delay = 1;
    manager().requestProductData("pack.a");
    manager().cancelRequestingProductData();
    run(2);
    EXPECT_TRUE(buyer.journal.empty());
}

TEST_F(InAppPurchaseTest, PaymentsDisabledShowTheErrorAlertAndRequestNothing) {
    manager().setDelegate(&buyer);
    queue().script().canMakePayments = false;
    EXPECT_FALSE(manager().canMakePayments());
    manager().requestProductData("pack.a");
    EXPECT_FALSE(manager().isRequestingProductData());
    run();
    EXPECT_EQ(alerts.shown,
        std::vector<std::string>({"Error / In-App Purchases have been disabled. / OK"}));
    EXPECT_TRUE(buyer.journal.empty());
}

// (outcome, delegate set or not) -> the delegate's call, whether the transaction is
// finished, and the log line.
TEST_F(InAppPurchaseTest, EachOutcomeInformsThenFinishesOnlyWhenSomeoneListens) {
    struct Case {
        Outcome outcome;
        bool listening;
        std::vector<std::string> heard;
        bool finished;
        std::string logged;
    };
    Case const cases[] = {
        {Outcome::Purchased, true, {"complete pack.a x2"}, true, ""},
        {Outcome::Cancelled, true, {"cancelled pack.a x2"}, true, "In-app purchase cancelled"},
        {Outcome::Failed, true, {"fail pack.a x2"}, true,
            "Error processing in-app purchase:Error 0"},
        {Outcome::Pending, true, {}, false, ""},
        {Outcome::Purchased, false, {}, false, "kept until someone listens"},
        {Outcome::Cancelled, false, {}, false, "kept until someone listens"},
        {Outcome::Failed, false, {}, false, "kept until someone listens"},
    };
    for (auto const& c : cases) {
        relaunch();
        buyer.journal.clear();
        logs.clear();
        manager().setDelegate(c.listening ? &buyer : nullptr);
        queue().script().outcomes = {c.outcome};
        manager().purchaseProduct("pack.a", 2);
        EXPECT_TRUE(manager().isPurchasingProduct());
        run();
        EXPECT_EQ(buyer.journal, c.heard) << int(c.outcome) << c.listening;
        EXPECT_EQ(queue().transactions().empty(), c.finished) << int(c.outcome) << c.listening;
        EXPECT_EQ(manager().isPurchasingProduct(), !c.finished);
        if (!c.logged.empty()) {
            EXPECT_TRUE(logs.contains(c.logged)) << c.logged;
        }
    }
}

TEST_F(InAppPurchaseTest, AProductIsBoughtOnceWithQuantityOne) {
    buyer.buyAtOnce = true;
    manager().setDelegate(&buyer);
    manager().requestProductData("pack.b");
    run();
    EXPECT_EQ(buyer.journal, std::vector<std::string>({"products pack.b", "complete pack.b x1"}));
    EXPECT_FALSE(manager().isPurchasingProduct());
    EXPECT_FALSE(manager().isRequestingProductData());
}

TEST_F(InAppPurchaseTest, ATransactionThatCameUnheardIsToldOnceWhenADelegateIsSet) {
    manager().purchaseProduct("pack.a");
    run();
    ASSERT_EQ(queue().transactions().size(), 1u);
    manager().setDelegate(&buyer);
    run();
    manager().setDelegate(&buyer);
    run();
    EXPECT_EQ(buyer.journal, std::vector<std::string>({"complete pack.a x1"}));
    EXPECT_TRUE(queue().transactions().empty());
}

TEST_F(InAppPurchaseTest, APurchaseLeftBeforeARestartIsToldOnceAtTheNextLaunch) {
    manager().purchaseProduct("pack.b", 3);
    run();
    relaunch();
    manager();
    run();
    EXPECT_TRUE(buyer.journal.empty());
    manager().setDelegate(&buyer);
    run();
    EXPECT_EQ(buyer.journal, std::vector<std::string>({"complete pack.b x3"}));
    relaunch();
    manager().setDelegate(&buyer);
    run();
    EXPECT_EQ(buyer.journal.size(), 1u);
}

TEST_F(InAppPurchaseTest, RestoredTransactionsAreToldAndFinished) {
    manager().setDelegate(&buyer);
    queue().script().restorable = {"pack.a"};
    manager().restorePurchases();
    run();
    EXPECT_EQ(buyer.journal, std::vector<std::string>({"restore pack.a x1"}));
    EXPECT_TRUE(queue().transactions().empty());
}

TEST_F(InAppPurchaseTest, CancelPurchasingFinishesSettledTransactionsAndLeavesPurchasingOnes) {
    queue().script().outcomes = {Outcome::Purchased, Outcome::Failed, Outcome::Pending};
    manager().purchaseProduct("pack.a");
    manager().purchaseProduct("pack.b");
    manager().purchaseProduct("pack.a");
    queue().script().restorable = {"pack.b"};
    manager().restorePurchases();
    run();
    ASSERT_EQ(queue().transactions().size(), 4u);
    manager().cancelPurchasingProduct();
    ASSERT_EQ(queue().transactions().size(), 1u);
    EXPECT_EQ(queue().transactions().front()->transactionState(),
        services::SKPaymentTransactionState::Purchasing);
    EXPECT_TRUE(buyer.journal.empty());
}

}
}
