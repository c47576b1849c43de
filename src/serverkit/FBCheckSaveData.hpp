#pragma once

#include <serverkit/APICall.hpp>

#include <optional>
#include <string>

namespace serverkit {

// Asks whether the second-version service keeps a save for the user id of an
// outside account ("fb_checksave" on "/qbyapi/v2/api.php", signed, not logged, with
// "fbid" and a request number "sid"). It keeps nothing in the data store: after a
// success it checks its own signed reply and posts
// "QBYAPI_V2_FB_CHECKSAVE_NOTIFICATION" with the decoded reply, "overwrite" set to
// the call's flag, only when the reply is genuine; a reply that is missing, not a
// JSON object, has a null or missing "data", or arrives while no session token is
// held posts nothing. A failure posts "QBYAPI_V2_FB_CHECKSAVE_FAIL"
// {"QBYAPI_V2_FB_CHECKSAVE_ERRORKEY": error}.
class FBCheckSaveData final : public APICall {
public:
    // overwrite starts false.
    static base::Ref<FBCheckSaveData> apicallWithFBUID(std::string fbuid);

    std::string const& fb_uid() const { return fb_uid_; }
    void setFBUID(std::string fbuid) { fb_uid_ = std::move(fbuid); }
    bool overwrite() const { return overwrite_; }
    void setOverwrite(bool overwrite) { overwrite_ = overwrite; }

    base::Ref<base::Dictionary> buildRequestJSONDict() override;
    base::Bytes buildRequestData() override { return buildSignedRequestData(RequestLog::No); }
    void postNotification(base::Dictionary const& dataStore) override;
    void postFailNotification(foundation::URLError const& error) override;

    // What a reply (null: none) posts with the session token held (or none): the
    // checked reply with "overwrite" added, or nothing.
    static std::optional<base::Value> checkedReply(
        base::Bytes const* reply, std::optional<std::string> const& token, bool overwrite);

private:
    friend base::Factory;
    FBCheckSaveData();

    std::string fb_uid_;
    bool overwrite_ {false};
};

}
