// The store's file of unfinished transactions as a new launch reads it. Any bytes give
// a list of transactions, each settled (purchased, failed or restored), of at least one
// item, and at most one per element of the file's list; a failed one carries its error.
#include "FuzzSupport.hpp"

#include <foundation/PropertyList.hpp>
#include <services/StoreKit.hpp>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto root = foundation::PropertyList::propertyListWithData(foundation::ByteView(data, size));
    long long serial = 0;
    auto kept = services::SKPaymentQueue::keptTransactions(root, &serial);
    FUZZ_CHECK(serial >= 0);
    std::size_t listed = 0;
    if (auto dictionary = root.dictionaryRef()) {
        if (auto list = dictionary->objectForKey("Transactions").arrayRef())
            listed = list->size();
    }
    FUZZ_CHECK(kept.size() <= listed);
    for (auto const& transaction : kept) {
        auto state = transaction->transactionState();
        FUZZ_CHECK(state != services::SKPaymentTransactionState::Purchasing);
        FUZZ_CHECK(transaction->payment().quantity >= 1);
        FUZZ_CHECK((state == services::SKPaymentTransactionState::Failed)
            == transaction->error().has_value());
    }
    return 0;
}
