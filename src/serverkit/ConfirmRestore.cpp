#include <serverkit/ConfirmRestore.hpp>

namespace serverkit {

base::Ref<ConfirmRestore> ConfirmRestore::apicallWithStatus(std::string status) {
    return base::make<ConfirmRestore>(std::move(status));
}

ConfirmRestore::ConfirmRestore(std::string status)
    : mStatus(std::move(status)) {
    setApiMethod("confirmrestore");
}

base::Ref<base::Dictionary> ConfirmRestore::buildRequestJSONDict() {
    auto dictionary = APICall::buildRequestJSONDict();
    dictionary->setObject("status", mStatus);
    return dictionary;
}

}
