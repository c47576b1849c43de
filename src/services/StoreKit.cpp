#include <services/StoreKit.hpp>

#include <base/SharedInstance.hpp>
#include <base/Value.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>

#include <algorithm>
#include <filesystem>
#include <limits>

namespace services {

namespace {

void later(std::function<void()> work, double delay) {
    foundation::RunLoop::main().performAfterDelay(nullptr, std::move(work), std::max(0.0, delay));
}

SKError errorFor(SKPaymentQueue::Outcome outcome) {
    if (outcome == SKPaymentQueue::Outcome::Cancelled)
        return SKError {SKErrorCode::PaymentCancelled, "Payment cancelled"};
    return SKError {SKErrorCode::Unknown, "Cannot connect to the store"};
}

}

base::Ref<SKProduct> SKProduct::create(std::string productIdentifier) {
    return base::make<SKProduct>(std::move(productIdentifier));
}

base::Ref<SKPaymentTransaction> SKPaymentTransaction::create(std::string transactionIdentifier,
    SKPayment payment, SKPaymentTransactionState state, std::optional<SKError> error) {
    return base::make<SKPaymentTransaction>(
        std::move(transactionIdentifier), std::move(payment), state, std::move(error));
}

// --- product requests ---

base::Ref<SKProductsRequest> SKProductsRequest::create(std::set<std::string> productIdentifiers) {
    return base::make<SKProductsRequest>(std::move(productIdentifiers));
}

void SKProductsRequest::start() {
    if (started_)
        return;
    started_ = true;
    auto& script = SKPaymentQueue::defaultQueue().script();
    auto answer = script.defaultAnswer;
    if (!script.answers.empty()) {
        answer = script.answers.front();
        script.answers.pop_front();
    }
    if (answer == SKPaymentQueue::RequestAnswer::Never)
        return;
    base::Ref<SKProductsRequest> self(this);
    later([self, answer] { self->answer(int(answer)); }, script.delay);
}

void SKProductsRequest::cancel() {
    ended_ = true;
}

void SKProductsRequest::answer(int how) {
    if (ended_)
        return;
    ended_ = true;
    if (!delegate_)
        return;
    if (SKPaymentQueue::RequestAnswer(how) == SKPaymentQueue::RequestAnswer::Fail) {
        delegate_->requestDidFailWithError(
            *this, SKError {SKErrorCode::ClientInvalid, "Cannot connect to the store"});
        return;
    }
    auto const& known = SKPaymentQueue::defaultQueue().script().products;
    SKProductsResponse response;
    for (auto const& identifier : identifiers_) {
        if (known.contains(identifier))
            response.products.push_back(SKProduct::create(identifier));
        else
            response.invalidProductIdentifiers.push_back(identifier);
    }
    delegate_->productsRequestDidReceiveResponse(*this, response);
}

// --- the payment queue ---

SKPaymentQueue& SKPaymentQueue::defaultQueue() {
    return base::SharedInstance<SKPaymentQueue>::get();
}

void SKPaymentQueue::reset() {
    base::SharedInstance<SKPaymentQueue>::reset();
}

bool SKPaymentQueue::canMakePayments() {
    return defaultQueue().script().canMakePayments;
}

std::string SKPaymentQueue::storePath() {
    return foundation::Sandbox::libraryPath() + "/StoreKit/Transactions.plist";
}

// An entry of the wrong shape is left out: the file is the store's own, but a damaged
// one must not stop the launch.
std::vector<base::Ref<SKPaymentTransaction>> SKPaymentQueue::keptTransactions(
    base::Value const& kept, long long* serial) {
    std::vector<base::Ref<SKPaymentTransaction>> found;
    auto stored = kept.dictionaryRef();
    if (!stored)
        return found;
    if (serial && stored->objectForKey("Serial").kind() == base::Value::Kind::Integer)
        *serial = std::max<long long>(0, stored->objectForKey("Serial").longLongValue());
    auto list = stored->objectForKey("Transactions").arrayRef();
    if (!list)
        return found;
    for (std::size_t index = 0; index < list->size(); ++index) {
        auto entry = list->at(index).dictionaryRef();
        if (!entry)
            continue;
        auto const* identifier = entry->objectForKey("Identifier").string();
        auto const* product = entry->objectForKey("Product").string();
        auto quantity = entry->objectForKey("Quantity");
        auto state = entry->objectForKey("State");
        if (!identifier || !product || quantity.kind() != base::Value::Kind::Integer
            || state.kind() != base::Value::Kind::Integer)
            continue;
        auto count = quantity.longLongValue();
        auto number = state.longLongValue();
        if (count < 1 || count > std::numeric_limits<int>::max() || number < 1 || number > 3)
            continue;
        std::optional<SKError> error;
        auto kind = SKPaymentTransactionState(number);
        if (kind == SKPaymentTransactionState::Failed) {
            auto code = entry->objectForKey("ErrorCode");
            auto value = code.kind() == base::Value::Kind::Integer ? code.longLongValue() : 0;
            error = SKError {value >= 0 && value <= 4 ? SKErrorCode(value) : SKErrorCode::Unknown,
                "Kept from an earlier launch"};
        }
        found.push_back(SKPaymentTransaction::create(
            *identifier, SKPayment {*product, int(count)}, kind, std::move(error)));
    }
    return found;
}

// Sells what the bundle's product list names and takes the transactions an earlier run
// left unfinished.
SKPaymentQueue::SKPaymentQueue() {
    if (auto path = foundation::Bundle::mainBundle().pathForResource("StoreProducts", "plist")) {
        if (auto products = foundation::PropertyList::arrayWithContentsOfFile(*path)) {
            for (std::size_t index = 0; index < products->size(); ++index) {
                if (auto const* identifier = products->at(index).string())
                    script_.products.insert(*identifier);
            }
        }
    }
    auto stored = foundation::PropertyList::dictionaryWithContentsOfFile(storePath());
    if (!stored)
        return;
    transactions_ = keptTransactions(base::Value(stored), &serial_);
    if (!transactions_.empty())
        foundation::log("Store: %d unfinished transactions kept", int(transactions_.size()));
}

void SKPaymentQueue::save() const {
    auto list = base::Array::create();
    for (auto const& transaction : transactions_) {
        if (transaction->transactionState() == SKPaymentTransactionState::Purchasing)
            continue; // nothing was charged yet
        auto entry = base::Dictionary::create();
        entry->setObject("Identifier", transaction->transactionIdentifier());
        entry->setObject("Product", transaction->payment().productIdentifier);
        entry->setObject("Quantity", (long long)transaction->payment().quantity);
        entry->setObject("State", (long long)transaction->transactionState());
        if (auto const& error = transaction->error())
            entry->setObject("ErrorCode", (long long)error->code);
        list->add(base::Value(entry));
    }
    auto root = base::Dictionary::create();
    root->setObject("Serial", (long long)serial_);
    root->setObject("Transactions", list);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(storePath()).parent_path(), ignored);
    if (!foundation::PropertyList::writeToFile(base::Value(root), storePath()))
        foundation::log("Store: could not keep the transactions in %@", storePath());
}

std::string SKPaymentQueue::nextIdentifier() {
    return foundation::format("%lld", ++serial_);
}

void SKPaymentQueue::addTransactionObserver(SKPaymentTransactionObserver* observer) {
    if (!observer || std::ranges::find(observers_, observer) != observers_.end())
        return;
    observers_.push_back(observer);
    std::vector<base::Ref<SKPaymentTransaction>> settled;
    for (auto const& transaction : transactions_) {
        if (transaction->transactionState() != SKPaymentTransactionState::Purchasing)
            settled.push_back(transaction);
    }
    if (settled.empty())
        return;
    base::Ref<SKPaymentQueue> self(this);
    later(
        [self, observer, settled] {
            if (std::ranges::find(self->observers_, observer) == self->observers_.end())
                return;
            // Only those still unfinished.
            std::vector<base::Ref<SKPaymentTransaction>> open;
            for (auto const& transaction : settled) {
                if (std::ranges::find(self->transactions_, transaction)
                    != self->transactions_.end())
                    open.push_back(transaction);
            }
            if (!open.empty())
                observer->paymentQueueUpdatedTransactions(*self, open);
        },
        script_.delay);
}

void SKPaymentQueue::removeTransactionObserver(SKPaymentTransactionObserver* observer) {
    std::erase(observers_, observer);
}

void SKPaymentQueue::update(std::vector<base::Ref<SKPaymentTransaction>> transactions) {
    base::Ref<SKPaymentQueue> self(this);
    later(
        [self, transactions] {
            auto observers = self->observers_;
            for (auto* observer : observers) {
                if (std::ranges::find(self->observers_, observer) != self->observers_.end())
                    observer->paymentQueueUpdatedTransactions(*self, transactions);
            }
        },
        script_.delay);
}

void SKPaymentQueue::addPayment(SKPayment const& payment) {
    auto transaction = SKPaymentTransaction::create(
        nextIdentifier(), payment, SKPaymentTransactionState::Purchasing);
    transactions_.push_back(transaction);
    update({transaction});
    auto outcome = script_.defaultOutcome;
    if (!script_.outcomes.empty()) {
        outcome = script_.outcomes.front();
        script_.outcomes.pop_front();
    }
    save();
    if (outcome == Outcome::Pending)
        return;
    // The player answers after the queue has told of the purchasing transaction.
    base::Ref<SKPaymentQueue> self(this);
    later([self, transaction, outcome] { self->settle(*transaction, outcome); }, script_.delay);
}

void SKPaymentQueue::settle(SKPaymentTransaction& transaction, Outcome outcome) {
    if (transaction.state_ != SKPaymentTransactionState::Purchasing || outcome == Outcome::Pending)
        return;
    if (outcome == Outcome::Purchased) {
        transaction.state_ = SKPaymentTransactionState::Purchased;
        if (transaction.receipt_.empty()) {
            auto const receipt = "{\"transaction-id\" = \"" + transaction.transactionIdentifier()
                + "\"; \"product-id\" = \"" + transaction.payment().productIdentifier
                + "\"; \"quantity\" = \"" + std::to_string(transaction.payment().quantity) + "\";}";
            transaction.receipt_.assign(receipt.begin(), receipt.end());
        }
    } else {
        transaction.state_ = SKPaymentTransactionState::Failed;
        transaction.error_ = errorFor(outcome);
    }
    save();
    update({base::Ref<SKPaymentTransaction>(&transaction)});
}

void SKPaymentQueue::finishTransaction(SKPaymentTransaction& transaction) {
    if (transaction.transactionState() == SKPaymentTransactionState::Purchasing)
        return;
    auto found = std::ranges::find_if(
        transactions_, [&](auto const& kept) { return kept.get() == &transaction; });
    if (found == transactions_.end())
        return;
    transactions_.erase(found);
    save();
}

void SKPaymentQueue::restoreCompletedTransactions() {
    std::vector<base::Ref<SKPaymentTransaction>> restored;
    for (auto const& product : script_.restorable) {
        auto transaction = SKPaymentTransaction::create(
            nextIdentifier(), SKPayment {product, 1}, SKPaymentTransactionState::Restored);
        transactions_.push_back(transaction);
        restored.push_back(transaction);
    }
    save();
    if (!restored.empty())
        update(std::move(restored));
}

}
