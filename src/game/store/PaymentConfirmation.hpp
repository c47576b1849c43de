#pragma once

#include <services/StoreKit.hpp>

#include <set>
#include <string>
#include <vector>

namespace game {

// The player's side of the local store: each payment put on the queue waits until the
// player answers an alert, "Buy" completing it and "Cancel" cancelling it. Nothing is
// charged. The program installs it once the application has launched; tests script the
// store's answers instead. Main thread only.
class PaymentConfirmation final : public services::SKPaymentTransactionObserver {
public:
    // From now on payments wait for the player's answer.
    static void install();
    // Payments complete at once again, as the store's script says.
    static void uninstall();
    static bool isInstalled();

    void paymentQueueUpdatedTransactions(services::SKPaymentQueue& queue,
        std::vector<base::Ref<services::SKPaymentTransaction>> const& transactions) override;

    // The alert's title and buttons (cancel first).
    static constexpr char const* title = "Confirm Your In-App Purchase";
    static constexpr char const* cancelButton = "Cancel";
    static constexpr char const* buyButton = "Buy";

private:
    // The transactions already asked about, so that each is asked once.
    std::set<std::string> asked_;
};

}
