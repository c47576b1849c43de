#pragma once

#include <base/Ref.hpp>
#include <game/shell/PurchaseManager.hpp>
#include <services/StoreKit.hpp>

#include <set>
#include <string>
#include <vector>

namespace game {

// The game's door to the device's store: asks for product data, puts payments on the
// payment queue, observes the queue and tells its delegate of every outcome. One
// instance serves the process (sharedManager); while it exists it is the shell's
// purchase manager. It knows nothing of packages or points.
//
// A transaction with an outcome is finished only after a delegate heard of it: while
// no delegate is set it stays on the queue (and in the store's keeping across
// launches) and is handed over when one is set, so a paid purchase is never lost.
// A product request that fails leaves the pending list, so the busy state ends.
// Main thread.
class InAppPurchase final : public PurchaseManager,
                            public services::SKProductsRequestDelegate,
                            public services::SKPaymentTransactionObserver {
public:
    // The shared manager, made (and installed as the shell's purchase manager) on the
    // first call.
    static InAppPurchase& sharedManager();
    // Drops the shared manager, if any.
    static void releaseSharedManager();
    // Whether the shared manager exists.
    static bool hasSharedManager();

    ~InAppPurchase() override;

    void setDelegate(InAppPurchaseDelegate* delegate) override;
    bool canMakePayments() const;
    void requestProductData(std::string const& productIdentifier) override;
    void requestSetofProductData(std::set<std::string> const& productIdentifiers);
    bool isRequestingProductData() override { return !pSKProductsRequestArray.empty(); }
    void cancelRequestingProductData() override;
    void purchaseProduct(std::string const& productIdentifier) override;
    void purchaseProduct(std::string const& productIdentifier, int quantity);
    void restorePurchases();
    bool isPurchasingProduct() override;
    // Finishes every transaction of the queue that has an outcome.
    void cancelPurchasingProduct();
    void releaseManager() override;

    // The store's callbacks.
    void productsRequestDidReceiveResponse(services::SKProductsRequest& request,
        services::SKProductsResponse const& response) override;
    void requestDidFailWithError(
        services::SKProductsRequest& request, services::SKError const& error) override;
    void paymentQueueUpdatedTransactions(services::SKPaymentQueue& queue,
        std::vector<base::Ref<services::SKPaymentTransaction>> const& transactions) override;

    void completeTransaction(services::SKPaymentTransaction& transaction);
    void failedTransaction(services::SKPaymentTransaction& transaction);
    void restoreTransaction(services::SKPaymentTransaction& transaction);

private:
    InAppPurchase();
    void removeRequest(services::SKProductsRequest& request);
    void handOverUnfinished();
    // The delegate to tell of a settled transaction; with none the transaction is left
    // unfinished in the queue (logged) and handed over when one is set.
    InAppPurchaseDelegate* listenerFor(services::SKPaymentTransaction const& transaction) const;

    std::vector<base::Ref<services::SKProductsRequest>> pSKProductsRequestArray;
};

// What the shell's delegate hears of a store transaction.
PurchaseTransaction purchaseTransaction(services::SKPaymentTransaction const& transaction);

}
