#pragma once

#include <serverkit/APICall.hpp>

namespace serverkit {

// Tells the server the player refused the transferred save ("rejectreward", signed, nothing added).
// Reports and posts nothing.
class RejectReward final : public APICall {
public:
    static base::Ref<RejectReward> apicall();

    base::Bytes buildRequestData() override { return buildSignedRequestData(); }

private:
    friend base::Factory;
    RejectReward();
};

}
