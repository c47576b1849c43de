#pragma once

#include <serverkit/APICall.hpp>

namespace serverkit {

// Reports a content download ("reportdl", unsigned, "dlcid"). Posts
// "qbykit_listdlc_notification" without user information after a success and
// "qbykit_listdlc_fail_notification" {"reportdl_error": error} after a failure.
class ReportDL final : public APICall {
public:
    static base::Ref<ReportDL> apicallWithDLCID(std::string dlcId);

    std::string const& dlc_id() const { return dlc_id_; }

    base::Ref<base::Dictionary> buildRequestJSONDict() override;
    void postNotification(base::Dictionary const& dataStore) override;
    void postFailNotification(foundation::URLError const& error) override;

private:
    friend base::Factory;
    explicit ReportDL(std::string dlcId);

    std::string dlc_id_;
};

}
