#pragma once

#include <string>
#include <vector>

namespace game {

// A finished payment as the store reports it.
struct PurchaseTransaction {
    std::string productIdentifier;
    int quantity {1};
    // The store's identifier of this payment; a store may deliver one payment again.
    std::string transactionIdentifier;
};

// What the purchase manager tells the controller that buys, on the main thread.
class InAppPurchaseDelegate {
public:
    virtual ~InAppPurchaseDelegate() = default;

    // The products the store knows among those asked for, by identifier.
    virtual void productDataDidReceiveResponse(std::vector<std::string> const& products) = 0;
    virtual void invalidProductDataDidReceiveResponse() = 0;
    virtual void transactionDidComplete(PurchaseTransaction const& transaction) = 0;
    virtual void transactionDidRestore(PurchaseTransaction const&) { }
    virtual void transactionDidCancelled(PurchaseTransaction const&) { }
    virtual void transactionDidFail(PurchaseTransaction const&) { }
};

// The store's purchase manager as the shell uses it: one request for product data
// or one payment at a time, answered through the delegate. The real one
// (InAppPurchase, made at launch) installs itself; until then the standing one has
// no store: it logs each request and never answers, and is never busy. Main thread.
class PurchaseManager {
public:
    virtual ~PurchaseManager() = default;

    // The installed manager (sharedManager), or the standing one.
    static PurchaseManager& shared();
    // Installs a manager that the caller keeps alive; null goes back to the standing one.
    static void setShared(PurchaseManager* manager);

    // The delegate is not retained.
    virtual void setDelegate(InAppPurchaseDelegate* delegate) { delegate_ = delegate; }
    InAppPurchaseDelegate* delegate() const { return delegate_; }

    virtual void requestProductData(std::string const& productIdentifier);
    virtual void purchaseProduct(std::string const& productIdentifier);
    virtual bool isRequestingProductData() { return false; }
    virtual bool isPurchasingProduct() { return false; }
    virtual void cancelRequestingProductData() { }
    // The process lets go of the manager.
    virtual void releaseManager() { delegate_ = nullptr; }

private:
    InAppPurchaseDelegate* delegate_ {nullptr};
};

}
