#pragma once

#include <serverkit/APICall.hpp>

namespace serverkit {

// Fetches the list of downloadable content ("listdlc", unsigned). Made, it fills
// "listdlc_datastore" with the list saved in "dlclist.plist" of the data folder (an
// empty array without one). The decoded reply replaces that entry and is written to
// "dlclist.plist" whole (through a temporary file); a reply that is empty or not JSON
// leaves both as they were. Posts "qbykit_listdlc_notification" once with the list
// after a success, and only "qbykit_listdlc_fail_notification" {"listdlc_error":
// error} after a failure.
class ListDLC final : public APICall {
public:
    static constexpr char const* FileName = "dlclist.plist";

    static base::Ref<ListDLC> apicall();

    base::Ref<base::Dictionary> getDataStoreInfo() override;
    // What a reply (null: none) gives to merge; writes the list to path unless empty.
    static base::Ref<base::Dictionary> dataStoreInfoForReply(
        base::Bytes const* reply, std::string const& path);
    void postNotification(base::Dictionary const& dataStore) override;
    void postFailNotification(foundation::URLError const& error) override;

    // The path of "dlclist.plist" in the configured data folder; empty without one.
    static std::string listPath();

private:
    friend base::Factory;
    ListDLC();
};

}
