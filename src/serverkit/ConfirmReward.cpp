#include <serverkit/ConfirmReward.hpp>

namespace serverkit {

base::Ref<ConfirmReward> ConfirmReward::apicall() {
    return base::make<ConfirmReward>();
}

ConfirmReward::ConfirmReward() {
    setApiMethod("confirmreward");
}

}
