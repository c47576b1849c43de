#include "MosaicTestSupport.hpp"

#include <ads/mosaic/MXAdConversionTracker.hpp>
#include <ads/mosaic/MXStore.hpp>
#include <foundation/Thread.hpp>
#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>

#include <gtest/gtest.h>

#include <filesystem>

using ads::mosaic::MXAdConversionTracker;
using ads::mosaic::MXStore;
using services::SKPayment;
using services::SKPaymentQueue;
using services::SKPaymentTransaction;
using services::SKPaymentTransactionState;
using test::HttpResponse;
using test::LoopbackServer;

namespace {

void settle() {
    auto& loop = foundation::RunLoop::main();
    for (int pass = 0; pass < 100 && loop.runPending(); ++pass) { }
}

struct PurchaseCase {
    char const* name;
    std::string productIdentifier;
    int quantity;
    SKPaymentQueue::RequestAnswer answer;
    int paidQuantity; // 0: no payment
    char const* logged;
};

class MXStorePurchaseTest : public ::testing::TestWithParam<PurchaseCase> { };

TEST_P(MXStorePurchaseTest, PaysOnlyForAProductTheStoreReturnsInAQuantityOfAtLeastOne) {
    auto const& c = GetParam();
    test::MosaicScope scope("");
    test::LogCapture log;
    SKPaymentQueue::defaultQueue().script().products = {"pack.a"};
    SKPaymentQueue::defaultQueue().script().defaultAnswer = c.answer;
    SKPaymentQueue::defaultQueue().script().defaultOutcome = SKPaymentQueue::Outcome::Pending;
    auto& store = MXStore::sharedStore();

    store.initiatePurchaseForProductIdentifier(c.productIdentifier, c.quantity);
    settle();

    auto const& transactions = SKPaymentQueue::defaultQueue().transactions();
    if (c.paidQuantity == 0) {
        EXPECT_TRUE(transactions.empty());
    } else {
        ASSERT_EQ(transactions.size(), 1u);
        EXPECT_EQ(transactions[0]->payment().productIdentifier, c.productIdentifier);
        EXPECT_EQ(transactions[0]->payment().quantity, c.paidQuantity);
    }
    // Whatever happened, the store is free for the next purchase.
    EXPECT_FALSE(store.isProcessing());
    if (*c.logged)
        EXPECT_TRUE(log.contains(c.logged)) << c.logged;
    else
        EXPECT_TRUE(log.lines().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, MXStorePurchaseTest,
    ::testing::Values(
        PurchaseCase {"Bought", "pack.a", 2, SKPaymentQueue::RequestAnswer::Respond, 2, ""},
        PurchaseCase {"BoughtOne", "pack.a", 1, SKPaymentQueue::RequestAnswer::Respond, 1, ""},
        PurchaseCase {"NoIdentifier", "", 1, SKPaymentQueue::RequestAnswer::Respond, 0, "refused"},
        PurchaseCase {
            "QuantityZero", "pack.a", 0, SKPaymentQueue::RequestAnswer::Respond, 0, "refused"},
        PurchaseCase {
            "NegativeQuantity", "pack.a", -3, SKPaymentQueue::RequestAnswer::Respond, 0, "refused"},
        PurchaseCase {"UnknownProduct", "pack.x", 1, SKPaymentQueue::RequestAnswer::Respond, 0,
            "found no product \"pack.x\""},
        PurchaseCase {"RequestFails", "pack.a", 1, SKPaymentQueue::RequestAnswer::Fail, 0,
            "MOSAIC: SKProductsRequest failed with error"}),
    [](auto const& param) { return std::string(param.param.name); });

TEST(MXStore, ASecondPurchaseWhileTheFirstIsAskedOnlyWarns) {
    test::MosaicScope scope("");
    test::LogCapture log;
    SKPaymentQueue::defaultQueue().script().products = {"pack.a", "pack.b"};
    SKPaymentQueue::defaultQueue().script().defaultOutcome = SKPaymentQueue::Outcome::Pending;
    auto& store = MXStore::sharedStore();
    store.initiatePurchaseForProductIdentifier("pack.a", 1);
    store.initiatePurchaseForProductIdentifier("pack.b", 1);
    EXPECT_TRUE(log.contains("can only initiate one store request at a time."));
    settle();
    ASSERT_EQ(SKPaymentQueue::defaultQueue().transactions().size(), 1u);
    EXPECT_EQ(
        SKPaymentQueue::defaultQueue().transactions()[0]->payment().productIdentifier, "pack.a");
}

base::Ref<SKPaymentTransaction> purchased(base::Bytes receipt) {
    auto transaction = SKPaymentTransaction::create(
        "7", SKPayment {"pack.a", 1}, SKPaymentTransactionState::Purchased);
    transaction->setTransactionReceipt(std::move(receipt));
    return transaction;
}

TEST(MXStore, PurchaseReportBodiesAreByteExact) {
    test::MosaicScope scope("127.0.0.1:9");
    struct Case {
        base::Bytes receipt;
        std::string receiptField;
    } const cases[] = {
        // Text goes as it is, escaped.
        {{'{', '"', 'a', '"', ' ', '=', ' ', '1', ';', '}'}, "%7B%22a%22%20%3D%201%3B%7D"},
        // Not UTF-8: Base64 ("/wCAYQ=="), then escaped; never "(null)".
        {{0xFF, 0x00, 0x80, 'a'}, "%2FwCAYQ%3D%3D"},
        {{0xC3, 0xA9}, "%C3%A9"},
        {{}, ""},
    };
    for (auto const& c : cases) {
        auto request = MXStore::purchaseReportRequest(*purchased(c.receipt));
        ASSERT_TRUE(request);
        std::string const expected
            = std::string("udid=") + test::MosaicHashedId + "&receipt=" + c.receiptField;
        EXPECT_EQ(std::string(request->HTTPBody().begin(), request->HTTPBody().end()), expected);
        EXPECT_EQ(request->URL(), "http://127.0.0.1:9/m/purchase");
        EXPECT_EQ(request->HTTPMethod(), "POST");
        EXPECT_EQ(
            request->valueForHTTPHeaderField("Content-Length"), std::to_string(expected.size()));
    }
}

TEST(MXStore, NothingIsReportedWithoutAnAdServer) {
    test::MosaicScope scope("");
    EXPECT_FALSE(MXStore::purchaseReportRequest(*purchased({'x'})));
}

TEST(MXStore, ReportsEveryPurchaseOfTheAppOnceTheStoreExists) {
    LoopbackServer server;
    server.route("POST", "/m/purchase", HttpResponse::text("ok"));
    test::MosaicScope scope(test::hostOf(server.baseURL()));
    auto& queue = SKPaymentQueue::defaultQueue();
    queue.script().products = {"pack.a"};
    MXStore::sharedStore();

    // The game's own store screen buys; the banner client only watches the queue.
    queue.addPayment(services::SKPayment {"pack.a", 3});
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return server.requestCount() >= 1; }, 10));
    auto const request = server.requests().at(0);
    EXPECT_EQ(request.path, "/m/purchase");
    auto const& transaction = *queue.transactions().at(0);
    auto const& receipt = transaction.transactionReceipt();
    ASSERT_FALSE(receipt.empty());
    EXPECT_EQ(request.body,
        std::string("udid=") + test::MosaicHashedId + "&receipt="
            + ads::mosaic::URLEncodedString(std::string(receipt.begin(), receipt.end())));
    EXPECT_EQ(request.headers.get("Content-Length"), std::to_string(request.body.size()));
    // The report leaves the transaction to the game's store to finish.
    EXPECT_EQ(queue.transactions().size(), 1u);
    // Purchasing (not yet purchased) was not reported.
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(server.requestCount(), 1u);
}

struct OpenCase {
    char const* name;
    HttpResponse reply;
    bool marked;
};

class MXAdConversionTrackerTest : public ::testing::TestWithParam<OpenCase> { };

TEST_P(MXAdConversionTrackerTest, MarksTheOpenOnlyWhenTheServerConfirmedIt) {
    auto const& c = GetParam();
    LoopbackServer server;
    server.route("GET", "/m/open", c.reply);
    test::MosaicScope scope(test::hostOf(server.baseURL()));
    auto& tracker = MXAdConversionTracker::sharedConversionTracker();

    tracker.reportApplicationOpenForApplicationID("app-1");
    ASSERT_TRUE(server.waitForRequests(1, 10));
    ASSERT_TRUE(foundation::Thread::waitForDetachedThreads(10));
    EXPECT_EQ(
        server.requests()[0].query, std::string("v=6&udid=") + test::MosaicHashedId + "&id=app-1");
    EXPECT_EQ(std::filesystem::exists(MXAdConversionTracker::markerPath()), c.marked);
    if (c.marked) {
        EXPECT_EQ(std::filesystem::file_size(MXAdConversionTracker::markerPath()), 0u);
    }

    // Confirmed once, never again; otherwise the next call reports again.
    tracker.reportApplicationOpenSynchronous("app-1");
    EXPECT_EQ(server.requestCount(), c.marked ? 1u : 2u);
}

INSTANTIATE_TEST_SUITE_P(Cases, MXAdConversionTrackerTest,
    ::testing::Values(OpenCase {"Confirmed", HttpResponse::text("ok"), true},
        OpenCase {"EmptyBody", HttpResponse::text(""), false},
        OpenCase {"ServerError", HttpResponse::text("no", 500), false}),
    [](auto const& param) { return std::string(param.param.name); });

TEST(MXAdConversionTracker, SendsNothingWithoutAnAdServer) {
    test::MosaicScope scope("");
    EXPECT_FALSE(MXAdConversionTracker::applicationOpenURL("app"));
    MXAdConversionTracker::sharedConversionTracker().reportApplicationOpenSynchronous("app");
    EXPECT_FALSE(std::filesystem::exists(MXAdConversionTracker::markerPath()));
}

}
