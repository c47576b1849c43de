#pragma once

#include <serverkit/APICall.hpp>

namespace serverkit {

// Fetches the server's switches for the offer-wall and ad features ("btxomponents",
// unsigned). The decoded reply becomes "btx_datastore"; a reply that is not JSON
// leaves the data store as it was. Posts "btx_components_notification" with the
// entry after a success.
class BTXComponents final : public APICall {
public:
    static base::Ref<BTXComponents> apicall();

    base::Ref<base::Dictionary> getDataStoreInfo() override;
    // What a reply (null: none) gives to merge.
    static base::Ref<base::Dictionary> dataStoreInfoForReply(base::Bytes const* reply);
    void postNotification(base::Dictionary const& dataStore) override;

private:
    friend base::Factory;
    BTXComponents();
};

}
