#pragma once

#include <serverkit/APICall.hpp>

namespace serverkit {

// Tells the server what the player decided about a waiting save ("confirmrestore",
// signed): "status" "COMPLETE" or "USER_CANCELLED". Reports and posts nothing.
class ConfirmRestore final : public APICall {
public:
    static base::Ref<ConfirmRestore> apicallWithStatus(std::string status);

    std::string const& status() const { return mStatus; }

    base::Ref<base::Dictionary> buildRequestJSONDict() override;
    base::Bytes buildRequestData() override { return buildSignedRequestData(); }

private:
    friend base::Factory;
    explicit ConfirmRestore(std::string status);

    std::string mStatus;
};

}
