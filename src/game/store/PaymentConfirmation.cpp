#include <game/store/PaymentConfirmation.hpp>

#include <base/WeakRef.hpp>
#include <foundation/Format.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/InAppPurchaseSetting.hpp>

#include <memory>

namespace game {

namespace {

std::unique_ptr<PaymentConfirmation> installed;

// What the payment buys, in the player's words: the package's Vov Azavuz when it is one.
std::string describe(services::SKPayment const& payment) {
    if (int package = InAppPurchaseSetting::packageOfProduct(payment.productIdentifier))
        return foundation::format(
            "%d Vov Azavuz", InAppPurchaseSetting::getPackagePoints(package) * payment.quantity);
    return foundation::format("%d x %@", payment.quantity, payment.productIdentifier);
}

}

void PaymentConfirmation::install() {
    if (installed)
        return;
    installed = std::make_unique<PaymentConfirmation>();
    auto& queue = services::SKPaymentQueue::defaultQueue();
    queue.script().defaultOutcome = services::SKPaymentQueue::Outcome::Pending;
    queue.addTransactionObserver(installed.get());
}

void PaymentConfirmation::uninstall() {
    if (!installed)
        return;
    auto& queue = services::SKPaymentQueue::defaultQueue();
    queue.removeTransactionObserver(installed.get());
    queue.script().defaultOutcome = services::SKPaymentQueue::Outcome::Purchased;
    installed = nullptr;
}

bool PaymentConfirmation::isInstalled() {
    return installed != nullptr;
}

void PaymentConfirmation::paymentQueueUpdatedTransactions(services::SKPaymentQueue& queue,
    std::vector<base::Ref<services::SKPaymentTransaction>> const& transactions) {
    for (auto const& transaction : transactions) {
        if (transaction->transactionState() != services::SKPaymentTransactionState::Purchasing
            || !asked_.insert(transaction->transactionIdentifier()).second)
            continue;
        // The queue may be made again (a new launch) before the player answers: the answer
        // then settles nothing.
        base::WeakRef<services::SKPaymentQueue> weakQueue(&queue);
        base::WeakRef<services::SKPaymentTransaction> weakTransaction(transaction.get());
        AlertPresenter::shared().showQuestion(title,
            foundation::format("Do you want to buy %@?\nNothing is charged in this store.",
                describe(transaction->payment())),
            cancelButton, buyButton, [weakQueue, weakTransaction](int index) {
                auto* answeredQueue = weakQueue.get();
                auto* answered = weakTransaction.get();
                if (!answeredQueue || !answered
                    || answered->transactionState()
                        != services::SKPaymentTransactionState::Purchasing)
                    return;
                answeredQueue->settle(*answered,
                    index == 1 ? services::SKPaymentQueue::Outcome::Purchased
                               : services::SKPaymentQueue::Outcome::Cancelled);
            });
    }
}

}
