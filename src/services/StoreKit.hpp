#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace services {

// The device's store as a local stand-in: product requests, the payment queue and its
// transactions, numbered as the platform numbers them. Nothing is charged. The store
// sells the products that the bundle's "StoreProducts.plist" (an array of identifiers)
// names, and those its script adds; every answer comes later on the main run loop
// (after script().delay seconds), never inside the call. Transactions that have an
// outcome and are not finished yet are kept in the sandbox
// ("<Library>/StoreKit/Transactions.plist") and handed again to the first observer of
// the next launch. Main thread only.

// Error codes of a failed transaction or request.
enum class SKErrorCode {
    Unknown = 0,
    ClientInvalid = 1,
    PaymentCancelled = 2,
    PaymentInvalid = 3,
    PaymentNotAllowed = 4,
};

struct SKError {
    SKErrorCode code {SKErrorCode::Unknown};
    std::string localizedDescription;
};

enum class SKPaymentTransactionState {
    Purchasing = 0,
    Purchased = 1,
    Failed = 2,
    Restored = 3,
};

class SKProduct final : public base::Object {
public:
    static base::Ref<SKProduct> create(std::string productIdentifier);
    std::string const& productIdentifier() const { return productIdentifier_; }

private:
    friend base::Factory;
    explicit SKProduct(std::string productIdentifier)
        : productIdentifier_(std::move(productIdentifier)) { }
    std::string productIdentifier_;
};

// A payment: the product and how many of it (1 unless set).
struct SKPayment {
    std::string productIdentifier;
    int quantity {1};

    static SKPayment paymentWithProductIdentifier(std::string identifier) {
        return SKPayment {std::move(identifier), 1};
    }
};

class SKPaymentTransaction final : public base::Object {
public:
    static base::Ref<SKPaymentTransaction> create(std::string transactionIdentifier,
        SKPayment payment, SKPaymentTransactionState state, std::optional<SKError> error = {});

    std::string const& transactionIdentifier() const { return transactionIdentifier_; }
    SKPayment const& payment() const { return payment_; }
    SKPaymentTransactionState transactionState() const { return state_; }
    // Set when the state is failed.
    std::optional<SKError> const& error() const { return error_; }
    // The store's signed proof of a purchase (bytes; text in this stand-in), set when
    // the payment goes through; empty otherwise.
    base::Bytes const& transactionReceipt() const { return receipt_; }
    void setTransactionReceipt(base::Bytes receipt) { receipt_ = std::move(receipt); }

private:
    friend base::Factory;
    friend class SKPaymentQueue;
    SKPaymentTransaction(std::string transactionIdentifier, SKPayment payment,
        SKPaymentTransactionState state, std::optional<SKError> error)
        : transactionIdentifier_(std::move(transactionIdentifier))
        , payment_(std::move(payment))
        , state_(state)
        , error_(std::move(error)) { }

    std::string transactionIdentifier_;
    SKPayment payment_;
    SKPaymentTransactionState state_;
    std::optional<SKError> error_;
    base::Bytes receipt_;
};

struct SKProductsResponse {
    std::vector<base::Ref<SKProduct>> products;
    std::vector<std::string> invalidProductIdentifiers;
};

class SKProductsRequest;

class SKProductsRequestDelegate {
public:
    virtual ~SKProductsRequestDelegate() = default;
    virtual void productsRequestDidReceiveResponse(
        SKProductsRequest& request, SKProductsResponse const& response)
        = 0;
    // The request could not reach the store; it ends without a response.
    virtual void requestDidFailWithError(SKProductsRequest&, SKError const&) { }
};

// Asks the store which of a set of identifiers are products. The delegate is not
// retained; a cancelled request never calls back.
class SKProductsRequest final : public base::Object {
public:
    static base::Ref<SKProductsRequest> create(std::set<std::string> productIdentifiers);

    void setDelegate(SKProductsRequestDelegate* delegate) { delegate_ = delegate; }
    std::set<std::string> const& productIdentifiers() const { return identifiers_; }
    void start();
    void cancel();

private:
    friend base::Factory;
    explicit SKProductsRequest(std::set<std::string> identifiers)
        : identifiers_(std::move(identifiers)) { }
    void answer(int how);

    std::set<std::string> identifiers_;
    SKProductsRequestDelegate* delegate_ {nullptr};
    bool started_ {false};
    bool ended_ {false};
};

class SKPaymentQueue;

class SKPaymentTransactionObserver {
public:
    virtual ~SKPaymentTransactionObserver() = default;
    virtual void paymentQueueUpdatedTransactions(
        SKPaymentQueue& queue, std::vector<base::Ref<SKPaymentTransaction>> const& transactions)
        = 0;
};

class SKPaymentQueue final : public base::Object {
public:
    // What the store answers, set by tests and scripted plays.
    enum class RequestAnswer {
        Respond, // the response lists the known products and the unknown identifiers
        Fail, // the request fails with a client error
        Never, // no answer at all
    };
    enum class Outcome {
        Purchased,
        Cancelled, // the player cancels: failed with code 2
        Failed, // failed with another code
        Pending, // stays purchasing
    };
    struct Script {
        // False: payments are disabled on the device.
        bool canMakePayments {true};
        // The identifiers the store sells.
        std::set<std::string> products;
        // Answers of the next product requests, then defaultAnswer.
        std::deque<RequestAnswer> answers;
        RequestAnswer defaultAnswer {RequestAnswer::Respond};
        // Outcomes of the next payments, then defaultOutcome.
        std::deque<Outcome> outcomes;
        Outcome defaultOutcome {Outcome::Purchased};
        // Products bought earlier that a restore hands back.
        std::vector<std::string> restorable;
        // Seconds between a call and its answer.
        double delay {0};
    };

    // The queue, reading the kept transactions on first use.
    static SKPaymentQueue& defaultQueue();
    // Drops the queue (a new launch); what is not finished stays in the file.
    static void reset();
    static bool canMakePayments();
    static std::string storePath();
    // The transactions of the kept file's contents, and its last transaction number.
    static std::vector<base::Ref<SKPaymentTransaction>> keptTransactions(
        base::Value const& kept, long long* serial = nullptr);

    Script& script() { return script_; }

    // Observers are not retained. A new observer is handed, on the main run loop, every
    // transaction of the queue that has an outcome.
    void addTransactionObserver(SKPaymentTransactionObserver* observer);
    void removeTransactionObserver(SKPaymentTransactionObserver* observer);
    void addPayment(SKPayment const& payment);
    // Takes a transaction with an outcome off the queue; a purchasing one stays.
    void finishTransaction(SKPaymentTransaction& transaction);
    void restoreCompletedTransactions();
    // The transactions not finished, in the order they came.
    std::vector<base::Ref<SKPaymentTransaction>> const& transactions() const {
        return transactions_;
    }
    // Settles a pending (purchasing) transaction the way the player would.
    void settle(SKPaymentTransaction& transaction, Outcome outcome);

private:
    friend base::Factory;
    SKPaymentQueue();
    void update(std::vector<base::Ref<SKPaymentTransaction>> transactions);
    void save() const;
    std::string nextIdentifier();

    Script script_;
    std::vector<base::Ref<SKPaymentTransaction>> transactions_;
    std::vector<SKPaymentTransactionObserver*> observers_;
    long long serial_ {0};
};

}
