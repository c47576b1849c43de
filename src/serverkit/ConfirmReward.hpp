#pragma once

#include <serverkit/APICall.hpp>

namespace serverkit {

// Tells the server the player took the transferred save ("confirmreward", signed, nothing added).
// Reports and posts nothing.
class ConfirmReward final : public APICall {
public:
    static base::Ref<ConfirmReward> apicall();

    base::Bytes buildRequestData() override { return buildSignedRequestData(); }

private:
    friend base::Factory;
    ConfirmReward();
};

}
