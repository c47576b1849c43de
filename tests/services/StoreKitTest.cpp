#include <services/StoreKit.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace services {
namespace {

using Answer = SKPaymentQueue::RequestAnswer;
using Outcome = SKPaymentQueue::Outcome;
using State = SKPaymentTransactionState;

// Writes what the store tells it into a journal.
class Listener final : public SKProductsRequestDelegate, public SKPaymentTransactionObserver {
public:
    void productsRequestDidReceiveResponse(
        SKProductsRequest&, SKProductsResponse const& response) override {
        std::string line = "response";
        for (auto const& product : response.products)
            line += " +" + product->productIdentifier();
        for (auto const& identifier : response.invalidProductIdentifiers)
            line += " -" + identifier;
        journal.push_back(line);
    }
    void requestDidFailWithError(SKProductsRequest&, SKError const& error) override {
        journal.push_back("failed " + std::to_string(int(error.code)));
    }
    void paymentQueueUpdatedTransactions(SKPaymentQueue&,
        std::vector<base::Ref<SKPaymentTransaction>> const& transactions) override {
        for (auto const& transaction : transactions) {
            std::string line = "tx " + transaction->payment().productIdentifier + " x"
                + std::to_string(transaction->payment().quantity) + " state "
                + std::to_string(int(transaction->transactionState()));
            if (auto const& error = transaction->error())
                line += " error " + std::to_string(int(error->code));
            journal.push_back(line);
        }
        seen.insert(seen.end(), transactions.begin(), transactions.end());
    }

    std::vector<std::string> journal;
    std::vector<base::Ref<SKPaymentTransaction>> seen;
};

// A fresh sandbox and run loop and no queue yet, under a manual clock.
class StoreKitTest : public ::testing::Test {
protected:
    StoreKitTest() {
        foundation::Sandbox::setRoot(sandbox.path().string());
        foundation::RunLoop::main().reset();
        SKPaymentQueue::reset();
        queue().script().products = {"pack.a", "pack.b"};
    }
    ~StoreKitTest() override {
        SKPaymentQueue::reset();
        foundation::RunLoop::main().reset();
        foundation::Sandbox::setRoot({});
    }

    static SKPaymentQueue& queue() { return SKPaymentQueue::defaultQueue(); }
    static void run(double seconds = 0) {
        auto& loop = foundation::RunLoop::main();
        if (seconds > 0)
            loop.runFor(seconds);
        for (int pass = 0; pass < 100 && loop.runPending(); ++pass) { }
    }
    // A new launch: the queue is read again from the sandbox.
    static void relaunch() {
        SKPaymentQueue::reset();
        SKPaymentQueue::defaultQueue().script().products = {"pack.a", "pack.b"};
    }

    foundation::ScopedManualClock clock;
    test::TempDir sandbox;
    Listener listener;
};

TEST_F(StoreKitTest, ProductRequestsAnswerAsScriptedAndNeverInsideTheCall) {
    struct Case {
        Answer answer;
        std::set<std::string> asked;
        std::vector<std::string> heard;
    };
    Case const cases[] = {
        {Answer::Respond, {"pack.a"}, {"response +pack.a"}},
        {Answer::Respond, {"pack.b", "nope", "pack.a"}, {"response +pack.a +pack.b -nope"}},
        {Answer::Respond, {}, {"response"}},
        {Answer::Fail, {"pack.a"}, {"failed 1"}},
        {Answer::Never, {"pack.a"}, {}},
    };
    for (auto const& c : cases) {
        listener.journal.clear();
        queue().script().answers = {c.answer};
        auto request = SKProductsRequest::create(c.asked);
        request->setDelegate(&listener);
        request->start();
        EXPECT_TRUE(listener.journal.empty());
        run(5);
        EXPECT_EQ(listener.journal, c.heard) << int(c.answer);
    }
}

TEST_F(StoreKitTest, ACancelledRequestNeverCallsBackAndAnswersWaitForTheDelay) {
    queue().script().delay = 2;
    auto cancelled = SKProductsRequest::create({"pack.a"});
    cancelled->setDelegate(&listener);
    cancelled->start();
    cancelled->cancel();
    auto answered = SKProductsRequest::create({"pack.b"});
    answered->setDelegate(&listener);
    answered->start();
    run(1);
    EXPECT_TRUE(listener.journal.empty());
    run(1.5);
    EXPECT_EQ(listener.journal, std::vector<std::string>({"response +pack.b"}));
}

TEST_F(StoreKitTest, PaymentsGoThroughPurchasingToTheirOutcome) {
    struct Case {
        Outcome outcome;
        std::vector<std::string> heard;
        bool settled;
    };
    Case const cases[] = {
        {Outcome::Purchased, {"tx pack.a x3 state 0", "tx pack.a x3 state 1"}, true},
        {Outcome::Cancelled, {"tx pack.a x3 state 0", "tx pack.a x3 state 2 error 2"}, true},
        {Outcome::Failed, {"tx pack.a x3 state 0", "tx pack.a x3 state 2 error 0"}, true},
        {Outcome::Pending, {"tx pack.a x3 state 0"}, false},
    };
    queue().addTransactionObserver(&listener);
    for (auto const& c : cases) {
        listener.journal.clear();
        listener.seen.clear();
        queue().script().outcomes = {c.outcome};
        queue().addPayment(SKPayment {"pack.a", 3});
        EXPECT_TRUE(listener.journal.empty());
        run();
        EXPECT_EQ(listener.journal, c.heard) << int(c.outcome);
        ASSERT_EQ(queue().transactions().size(), 1u);
        auto transaction = queue().transactions().front();
        queue().finishTransaction(*transaction);
        // A purchasing transaction cannot be finished.
        EXPECT_EQ(queue().transactions().empty(), c.settled);
        if (!c.settled) {
            queue().settle(*transaction, Outcome::Purchased);
            run();
            EXPECT_EQ(listener.journal.back(), "tx pack.a x3 state 1");
            queue().finishTransaction(*transaction);
            EXPECT_TRUE(queue().transactions().empty());
        }
    }
}

TEST_F(StoreKitTest, PaymentsDisabledAreReported) {
    EXPECT_TRUE(SKPaymentQueue::canMakePayments());
    queue().script().canMakePayments = false;
    EXPECT_FALSE(SKPaymentQueue::canMakePayments());
}

TEST_F(StoreKitTest, UnfinishedTransactionsAreDeliveredAgainAtTheNextLaunch) {
    queue().script().outcomes = {Outcome::Purchased, Outcome::Cancelled, Outcome::Pending};
    queue().addPayment(SKPayment {"pack.a", 2});
    queue().addPayment(SKPayment {"pack.b", 1});
    queue().addPayment(SKPayment {"pack.b", 1});
    run();
    relaunch();
    // The purchasing one charged nothing and is gone.
    ASSERT_EQ(queue().transactions().size(), 2u);
    queue().addTransactionObserver(&listener);
    EXPECT_TRUE(listener.journal.empty());
    run();
    EXPECT_EQ(listener.journal,
        std::vector<std::string>({"tx pack.a x2 state 1", "tx pack.b x1 state 2 error 2"}));
    auto const first = listener.seen.at(0)->transactionIdentifier();
    queue().finishTransaction(*listener.seen.at(0));
    relaunch();
    ASSERT_EQ(queue().transactions().size(), 1u);
    EXPECT_EQ(queue().transactions().front()->payment().productIdentifier, "pack.b");
    // Identifiers keep counting across launches.
    queue().addPayment(SKPayment {"pack.a", 1});
    EXPECT_NE(queue().transactions().back()->transactionIdentifier(), first);
}

TEST_F(StoreKitTest, AnObserverRemovedBeforeTheAnswerHearsNothing) {
    queue().addTransactionObserver(&listener);
    queue().addPayment(SKPayment {"pack.a", 1});
    queue().removeTransactionObserver(&listener);
    run();
    EXPECT_TRUE(listener.journal.empty());
}

TEST_F(StoreKitTest, RestoreHandsBackTheScriptedProducts) {
    queue().addTransactionObserver(&listener);
    queue().script().restorable = {"pack.b"};
    queue().restoreCompletedTransactions();
    run();
    EXPECT_EQ(listener.journal, std::vector<std::string>({"tx pack.b x1 state 3"}));
}

TEST_F(StoreKitTest, DamagedEntriesOfTheKeptFileAreLeftOut) {
    std::filesystem::create_directories(
        std::filesystem::path(SKPaymentQueue::storePath()).parent_path());
    auto good = base::Dictionary::create();
    good->setObject("Identifier", "7");
    good->setObject("Product", "pack.a");
    good->setObject("Quantity", 1LL);
    good->setObject("State", 1LL);
    auto list = base::Array::create();
    list->add(base::Value(good));
    list->add(base::Value("not a dictionary"));
    for (auto [quantity, state] : {std::pair {0LL, 1LL}, {1LL, 0LL}, {1LL, 4LL}, {-5LL, 1LL}}) {
        auto bad = base::Dictionary::create();
        bad->setObject("Identifier", "8");
        bad->setObject("Product", "pack.a");
        bad->setObject("Quantity", quantity);
        bad->setObject("State", state);
        list->add(base::Value(bad));
    }
    auto root = base::Dictionary::create();
    root->setObject("Transactions", list);
    root->setObject("Serial", "many");
    ASSERT_TRUE(
        foundation::PropertyList::writeToFile(base::Value(root), SKPaymentQueue::storePath()));
    relaunch();
    ASSERT_EQ(queue().transactions().size(), 1u);
    EXPECT_EQ(queue().transactions().front()->transactionIdentifier(), "7");

    std::ofstream(SKPaymentQueue::storePath()) << "garbage";
    relaunch();
    EXPECT_TRUE(queue().transactions().empty());
}

TEST_F(StoreKitTest, TheStoreSellsWhatTheBundlesProductListNames) {
    auto previous = foundation::Bundle::mainBundle().bundlePath();
    auto bundle = sandbox.path() / "bundle";
    std::filesystem::create_directories(bundle);
    auto products = base::Array::create();
    products->add(base::Value("pack.c"));
    products->add(base::Value(7LL)); // not an identifier: left out
    ASSERT_TRUE(foundation::PropertyList::writeToFile(
        base::Value(products), (bundle / "StoreProducts.plist").string()));
    foundation::Bundle::setMainBundlePath(bundle.string());
    SKPaymentQueue::reset();
    EXPECT_EQ(queue().script().products, std::set<std::string>({"pack.c"}));
    auto request = SKProductsRequest::create({"pack.c", "7"});
    request->setDelegate(&listener);
    request->start();
    run();
    EXPECT_EQ(listener.journal, std::vector<std::string>({"response +pack.c -7"}));
    foundation::Bundle::setMainBundlePath(previous);
}

}
}
