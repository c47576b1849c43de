#include <ads/mosaic/MXStore.hpp>

#include <ads/mosaic/MXConfiguration.hpp>
#include <ads/mosaic/MXDeviceHelpers.hpp>
#include <ads/mosaic/MXLogging.hpp>
#include <base/SharedInstance.hpp>
#include <foundation/Base64.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLConnection.hpp>

#include <algorithm>

namespace ads::mosaic {

using services::SKPaymentQueue;

MXStore& MXStore::sharedStore() {
    return base::SharedInstance<MXStore>::get([](MXStore& store) {
        store.observedQueue_ = base::Ref<SKPaymentQueue>(&SKPaymentQueue::defaultQueue());
        store.observedQueue_->addTransactionObserver(&store);
    });
}

void MXStore::resetSharedStore() {
    auto store = base::SharedInstance<MXStore>::reset();
    if (store && store->observedQueue_) {
        store->observedQueue_->removeTransactionObserver(store.get());
        store->observedQueue_ = nullptr;
    }
}

MXStore::~MXStore() {
    if (request_) {
        request_->setDelegate(nullptr);
        request_->cancel();
    }
}

void MXStore::initiatePurchaseForProductIdentifier(
    std::string const& productIdentifier, int quantity) {
    if (isProcessing_) {
        MXLogWarnMessage(
            "Warning - MXStore (%p) can only initiate one store request at a time.", this);
        return;
    }
    if (productIdentifier.empty() || quantity < 1) {
        MXLogWarnMessage("MXStore (%p) refused a purchase of %d of product \"%@\".", this, quantity,
            productIdentifier);
        return;
    }
    isProcessing_ = true;
    quantity_ = quantity;
    requestProductDataForProductIdentifier(productIdentifier);
}

void MXStore::requestProductDataForProductIdentifier(std::string const& productIdentifier) {
    requestedIdentifier_ = productIdentifier;
    request_ = services::SKProductsRequest::create({productIdentifier});
    request_->setDelegate(this);
    request_->start();
}

void MXStore::startPaymentForProductIdentifier(std::string const& productIdentifier) {
    services::SKPayment payment
        = services::SKPayment::paymentWithProductIdentifier(productIdentifier);
    payment.quantity = quantity_;
    SKPaymentQueue::defaultQueue().addPayment(payment);
    isProcessing_ = false;
}

void MXStore::productsRequestDidReceiveResponse(
    services::SKProductsRequest&, services::SKProductsResponse const& response) {
    request_ = nullptr;
    // Only the product that was asked for is bought; an empty answer (an unknown id)
    // ends the purchase with no payment and frees the store.
    auto const found = std::ranges::find_if(response.products, [&](auto const& product) {
        return product && product->productIdentifier() == requestedIdentifier_;
    });
    if (found == response.products.end()) {
        MXLogWarnMessage(
            "MXStore (%p) found no product \"%@\"; the purchase ends.", this, requestedIdentifier_);
        isProcessing_ = false;
        return;
    }
    startPaymentForProductIdentifier((*found)->productIdentifier());
}

void MXStore::requestDidFailWithError(
    services::SKProductsRequest&, services::SKError const& error) {
    request_ = nullptr;
    MXLogErrorMessage("SKProductsRequest failed with error %@.", error.localizedDescription);
    isProcessing_ = false;
}

void MXStore::paymentQueueUpdatedTransactions(
    SKPaymentQueue&, std::vector<base::Ref<services::SKPaymentTransaction>> const& transactions) {
    for (auto const& transaction : transactions) {
        if (transaction
            && transaction->transactionState() == services::SKPaymentTransactionState::Purchased)
            recordTransaction(*transaction);
    }
}

std::optional<foundation::URLRequest> MXStore::purchaseReportRequest(
    services::SKPaymentTransaction const& transaction) {
    auto const& host = MXConfiguration::current().adServerHost;
    if (host.empty())
        return std::nullopt;
    auto const& receipt = transaction.transactionReceipt();
    std::string const text(receipt.begin(), receipt.end());
    // A receipt that is not text would otherwise be lost; it goes Base64-encoded.
    std::string const receiptText
        = foundation::isValidUtf8(text) ? text : foundation::Base64::encode(receipt);
    std::string const body = foundation::format(
        "udid=%@&receipt=%@", MXHashedDeviceIdentifier(), URLEncodedString(receiptText));
    foundation::URLRequest request(foundation::format("http://%@%@", host, "/m/purchase"));
    request.setHTTPMethod("POST");
    request.setValue(std::to_string(body.size()), "Content-Length");
    request.setHTTPBody(std::string_view(body));
    return request;
}

void MXStore::recordTransaction(services::SKPaymentTransaction const& transaction) {
    auto request = purchaseReportRequest(transaction);
    if (!request) {
        MXLogInfoMessage("No ad server is configured; purchase %@ is not reported.",
            transaction.transactionIdentifier());
        return;
    }
    // The connection keeps itself alive until the reply ends; nobody listens.
    foundation::URLConnection::create(*request, nullptr);
}

}
