#include <game/store/InAppPurchase.hpp>

#include <foundation/Format.hpp>
#include <game/shell/AlertPresenter.hpp>

#include <algorithm>
#include <memory>

namespace game {

namespace {

std::unique_ptr<InAppPurchase>& sharedSlot() {
    static std::unique_ptr<InAppPurchase> slot;
    return slot;
}

using services::SKPaymentQueue;
using services::SKPaymentTransaction;
using services::SKPaymentTransactionState;

}

PurchaseTransaction purchaseTransaction(SKPaymentTransaction const& transaction) {
    return PurchaseTransaction {transaction.payment().productIdentifier,
        transaction.payment().quantity, transaction.transactionIdentifier()};
}

InAppPurchase& InAppPurchase::sharedManager() {
    auto& slot = sharedSlot();
    if (!slot) {
        slot.reset(new InAppPurchase());
        PurchaseManager::setShared(slot.get());
    }
    return *slot;
}

void InAppPurchase::releaseSharedManager() {
    auto& slot = sharedSlot();
    if (!slot)
        return;
    auto released = std::move(slot);
    if (&PurchaseManager::shared() == released.get())
        PurchaseManager::setShared(nullptr);
}

bool InAppPurchase::hasSharedManager() {
    return sharedSlot() != nullptr;
}

InAppPurchase::InAppPurchase() {
    SKPaymentQueue::defaultQueue().addTransactionObserver(this);
}

// Unlike the outcome handlers, letting go never finishes a transaction nobody heard of:
// cancelPurchasingProduct is left to callers that mean it.
InAppPurchase::~InAppPurchase() {
    PurchaseManager::setDelegate(nullptr);
    cancelRequestingProductData();
    SKPaymentQueue::defaultQueue().removeTransactionObserver(this);
}

void InAppPurchase::releaseManager() {
    PurchaseManager::setDelegate(nullptr);
    if (sharedSlot().get() == this)
        releaseSharedManager(); // deletes this
}

void InAppPurchase::setDelegate(InAppPurchaseDelegate* delegate) {
    PurchaseManager::setDelegate(delegate);
    if (delegate)
        handOverUnfinished();
}

// Transactions that came while nobody listened are told now, in queue order.
void InAppPurchase::handOverUnfinished() {
    std::vector<base::Ref<SKPaymentTransaction>> settled;
    for (auto const& transaction : SKPaymentQueue::defaultQueue().transactions()) {
        if (transaction->transactionState() != SKPaymentTransactionState::Purchasing)
            settled.push_back(transaction);
    }
    if (!settled.empty())
        paymentQueueUpdatedTransactions(SKPaymentQueue::defaultQueue(), settled);
}

bool InAppPurchase::canMakePayments() const {
    return SKPaymentQueue::canMakePayments();
}

void InAppPurchase::requestProductData(std::string const& productIdentifier) {
    requestSetofProductData({productIdentifier});
}

void InAppPurchase::requestSetofProductData(std::set<std::string> const& productIdentifiers) {
    if (!SKPaymentQueue::canMakePayments()) {
        AlertPresenter::shared().showAlert("Error", "In-App Purchases have been disabled.", "OK");
        return;
    }
    auto request = services::SKProductsRequest::create(productIdentifiers);
    request->setDelegate(this);
    pSKProductsRequestArray.push_back(request);
    request->start();
}

void InAppPurchase::cancelRequestingProductData() {
    auto pending = std::move(pSKProductsRequestArray);
    pSKProductsRequestArray.clear();
    for (auto const& request : pending)
        request->cancel();
}

void InAppPurchase::removeRequest(services::SKProductsRequest& request) {
    std::erase_if(
        pSKProductsRequestArray, [&](auto const& kept) { return kept.get() == &request; });
}

void InAppPurchase::productsRequestDidReceiveResponse(
    services::SKProductsRequest& request, services::SKProductsResponse const& response) {
    base::Ref<services::SKProductsRequest> keep(&request);
    for (auto const& identifier : response.invalidProductIdentifiers)
        foundation::log("**** Invalid product: %@", identifier);
    // Off the pending list before the delegate hears, so that a delegate that buys at
    // once finds the manager no longer requesting.
    removeRequest(request);
    if (auto* listener = delegate()) {
        if (!response.products.empty()) {
            std::vector<std::string> products;
            for (auto const& product : response.products)
                products.push_back(product->productIdentifier());
            listener->productDataDidReceiveResponse(products);
        }
        if (!response.invalidProductIdentifiers.empty() && delegate())
            delegate()->invalidProductDataDidReceiveResponse();
    }
}

void InAppPurchase::requestDidFailWithError(
    services::SKProductsRequest& request, services::SKError const& error) {
    base::Ref<services::SKProductsRequest> keep(&request);
    foundation::log("Product request failed: %@", error.localizedDescription);
    removeRequest(request);
}

void InAppPurchase::purchaseProduct(std::string const& productIdentifier) {
    SKPaymentQueue::defaultQueue().addPayment(
        services::SKPayment::paymentWithProductIdentifier(productIdentifier));
}

void InAppPurchase::purchaseProduct(std::string const& productIdentifier, int quantity) {
    SKPaymentQueue::defaultQueue().addPayment(services::SKPayment {productIdentifier, quantity});
}

void InAppPurchase::restorePurchases() {
    SKPaymentQueue::defaultQueue().restoreCompletedTransactions();
}

bool InAppPurchase::isPurchasingProduct() {
    return !SKPaymentQueue::defaultQueue().transactions().empty();
}

void InAppPurchase::cancelPurchasingProduct() {
    auto& queue = SKPaymentQueue::defaultQueue();
    auto copy = queue.transactions();
    for (auto const& transaction : copy) {
        if (transaction->transactionState() != SKPaymentTransactionState::Purchasing)
            queue.finishTransaction(*transaction);
    }
}

void InAppPurchase::paymentQueueUpdatedTransactions(
    SKPaymentQueue&, std::vector<base::Ref<SKPaymentTransaction>> const& transactions) {
    auto const& open = SKPaymentQueue::defaultQueue().transactions();
    for (auto const& transaction : transactions) {
        // One finished meanwhile (told twice: on hand-over and by the queue) is skipped.
        if (std::ranges::find(open, transaction) == open.end())
            continue;
        switch (transaction->transactionState()) {
        case SKPaymentTransactionState::Purchased:
            completeTransaction(*transaction);
            break;
        case SKPaymentTransactionState::Failed:
            failedTransaction(*transaction);
            break;
        case SKPaymentTransactionState::Restored:
            restoreTransaction(*transaction);
            break;
        case SKPaymentTransactionState::Purchasing:
            break;
        }
    }
}

InAppPurchaseDelegate* InAppPurchase::listenerFor(SKPaymentTransaction const& transaction) const {
    auto* listener = delegate();
    if (!listener)
        foundation::log(
            "Transaction %@ kept until someone listens", transaction.transactionIdentifier());
    return listener;
}

void InAppPurchase::completeTransaction(SKPaymentTransaction& transaction) {
    auto* listener = listenerFor(transaction);
    if (!listener)
        return;
    base::Ref<SKPaymentTransaction> keep(&transaction);
    listener->transactionDidComplete(purchaseTransaction(transaction));
    SKPaymentQueue::defaultQueue().finishTransaction(transaction);
}

void InAppPurchase::restoreTransaction(SKPaymentTransaction& transaction) {
    auto* listener = listenerFor(transaction);
    if (!listener)
        return;
    base::Ref<SKPaymentTransaction> keep(&transaction);
    listener->transactionDidRestore(purchaseTransaction(transaction));
    SKPaymentQueue::defaultQueue().finishTransaction(transaction);
}

void InAppPurchase::failedTransaction(SKPaymentTransaction& transaction) {
    auto* listener = listenerFor(transaction);
    if (!listener)
        return;
    base::Ref<SKPaymentTransaction> keep(&transaction);
    auto const& error = transaction.error();
    if (error && error->code == services::SKErrorCode::PaymentCancelled) {
        foundation::log("In-app purchase cancelled");
        listener->transactionDidCancelled(purchaseTransaction(transaction));
    } else {
        foundation::log("Error processing in-app purchase:%@",
            error ? foundation::format(
                "Error %d \"%@\"", int(error->code), error->localizedDescription)
                  : std::string("(no error)"));
        listener->transactionDidFail(purchaseTransaction(transaction));
    }
    SKPaymentQueue::defaultQueue().finishTransaction(transaction);
}

}
