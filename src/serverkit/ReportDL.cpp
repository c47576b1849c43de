#include <serverkit/ReportDL.hpp>

#include <serverkit/QBYConnect.hpp>

#include <foundation/NotificationCenter.hpp>

namespace serverkit {

base::Ref<ReportDL> ReportDL::apicallWithDLCID(std::string dlcId) {
    return base::make<ReportDL>(std::move(dlcId));
}

ReportDL::ReportDL(std::string dlcId)
    : dlc_id_(std::move(dlcId)) {
    setApiMethod("reportdl");
}

base::Ref<base::Dictionary> ReportDL::buildRequestJSONDict() {
    auto dictionary = APICall::buildRequestJSONDict();
    dictionary->setObject("dlcid", dlc_id_);
    return dictionary;
}

void ReportDL::postNotification(base::Dictionary const&) {
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::ListDLC, this);
}

void ReportDL::postFailNotification(foundation::URLError const& error) {
    auto info = base::Dictionary::create();
    info->setObject("reportdl_error", errorValue(error));
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::ListDLCFail, this, info);
}

}
