#include <serverkit/RejectReward.hpp>

namespace serverkit {

base::Ref<RejectReward> RejectReward::apicall() {
    return base::make<RejectReward>();
}

RejectReward::RejectReward() {
    setApiMethod("rejectreward");
}

}
