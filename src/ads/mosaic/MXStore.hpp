#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/URLRequest.hpp>
#include <services/StoreKit.hpp>

#include <optional>
#include <string>

namespace ads::mosaic {

// Buys a product for an HTML ad that asks for one, and reports every purchase that
// passes through the device's payment queue to the ad server ("/m/purchase"). One
// shared instance, made with the first ad manager; from then on it observes the
// default payment queue, so the game's own store purchases are reported as well. It
// never finishes a transaction (the game's store does). Main thread.
class MXStore final : public base::Object,
                      private services::SKProductsRequestDelegate,
                      private services::SKPaymentTransactionObserver {
public:
    static MXStore& sharedStore();
    // Drops the shared store and its observation of the queue (tests).
    static void resetSharedStore();

    // Starts a purchase of quantity items of the product. One at a time: a call while
    // another is under way only logs a warning. A purchase asked by an ad is outside
    // input: an empty id or a quantity below 1 is refused at once, and a product the
    // store does not return ends the purchase without a payment.
    void initiatePurchaseForProductIdentifier(std::string const& productIdentifier, int quantity);
    void requestProductDataForProductIdentifier(std::string const& productIdentifier);
    void startPaymentForProductIdentifier(std::string const& productIdentifier);
    // Sends the purchase report of a transaction; the reply is ignored.
    void recordTransaction(services::SKPaymentTransaction const& transaction);

    // The report of a transaction, or none while no ad server is configured. The
    // receipt goes as text when its bytes are UTF-8, else Base64-encoded; either way
    // escaped, and Content-Length counts the bytes of the body.
    static std::optional<foundation::URLRequest> purchaseReportRequest(
        services::SKPaymentTransaction const& transaction);

    bool isProcessing() const { return isProcessing_; }
    int quantity() const { return quantity_; }

protected:
    ~MXStore() override;

private:
    void productsRequestDidReceiveResponse(services::SKProductsRequest& request,
        services::SKProductsResponse const& response) override;
    void requestDidFailWithError(
        services::SKProductsRequest& request, services::SKError const& error) override;
    void paymentQueueUpdatedTransactions(services::SKPaymentQueue& queue,
        std::vector<base::Ref<services::SKPaymentTransaction>> const& transactions) override;

    bool isProcessing_ {false};
    int quantity_ {1};
    std::string requestedIdentifier_;
    base::Ref<services::SKProductsRequest> request_;
    // Kept alive while observed, so that letting go of the store is safe after the
    // default queue has been made again.
    base::Ref<services::SKPaymentQueue> observedQueue_;

    friend base::Factory;

    MXStore() = default;
};

}
