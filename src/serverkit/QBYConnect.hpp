#pragma once

#include <serverkit/APICall.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/Reachability.hpp>

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace serverkit {

// What the application hands the server client at launch: the server kit sits below
// the game and never asks it. Every field is empty until set; with no host nothing
// is sent and each call fails.
struct QBYConfiguration {
    // The game server, "host" or "host:port"; requests go to "http://<host>/api.php".
    std::string host;
    // The installation's identifier, sent as "udid".
    std::string deviceIdentifier;
    // The folder of downloaded content ("dlclist.plist" lives there).
    std::string dataFolder;
    // The marketing service, "host" or "host:port", reached over HTTPS.
    std::string marketingHost;
    // The marketing service's Basic credential (user "tessaline").
    std::string marketingPassword;
};

// The data-store keys and notification names of the server client.
namespace QBYKeys {
inline constexpr char const* BTXDataStore = "btx_datastore";
inline constexpr char const* ListDLCDataStore = "listdlc_datastore";
inline constexpr char const* AuthDataStore = "qbykit_auth_datastore";
inline constexpr char const* AuthSession = "qbykit_auth_session";
inline constexpr char const* AuthExpire = "qbykit_auth_expire";
inline constexpr char const* CheckRestoreDataStore = "qbykit_checkrestore_datastore";
inline constexpr char const* CheckRewardDataStore = "qbykit_checkreward_datastore";
inline constexpr char const* CheckDirectivesDataStore = "QBYKIT_CHECKDIRECTIVES_DATASTORE_KEY";
inline constexpr char const* V2CheckRestoreDataStore = "qbyapi_v2_checkrestore_datastore";
}
namespace QBYNotifications {
inline constexpr char const* BTXComponents = "btx_components_notification";
inline constexpr char const* ListDLC = "qbykit_listdlc_notification";
inline constexpr char const* ListDLCFail = "qbykit_listdlc_fail_notification";
inline constexpr char const* Fetch = "qbykit_fetch_notification";
inline constexpr char const* FetchFail = "qbykit_fetch_fail_notification";
inline constexpr char const* SaveData = "qbykit_savedata_notification";
inline constexpr char const* SaveDataFail = "qbykit_savedata_fail";
inline constexpr char const* CheckRestore = "qbykit_checkrestore_notification";
inline constexpr char const* CheckReward = "qbykit_checkreward_notification";
inline constexpr char const* CheckDirectives = "QBYKIT_CHECKDIRECTIVES_NOTIFICTAION";
inline constexpr char const* V2CheckUser = "QBYAPI_V2_FB_CHECKUSER_NOTIFICATION";
inline constexpr char const* V2CheckUserFail = "QBYAPI_V2_FB_CHECKUSER_FAIL";
inline constexpr char const* V2SaveData = "QBYAPI_V2_FB_SAVEDATA_NOTIFICATION";
inline constexpr char const* V2SaveDataFail = "QBYAPI_V2_FB_SAVEDATA_FAIL";
inline constexpr char const* V2CheckSave = "QBYAPI_V2_FB_CHECKSAVE_NOTIFICATION";
inline constexpr char const* V2CheckSaveFail = "QBYAPI_V2_FB_CHECKSAVE_FAIL";
inline constexpr char const* V2CheckRestore = "qbyapi_v2_checkrestore_notification";
}
// The user-information keys of the second-version calls' fail notifications; the
// first is spelt with a lower-case "v2".
namespace QBYErrorKeys {
inline constexpr char const* V2CheckUser = "QBYAPI_v2_FB_CHECKUSER_ERROR";
inline constexpr char const* V2SaveData = "QBYAPI_V2_FB_SAVEDATA_ERRORKEY";
inline constexpr char const* V2CheckSave = "QBYAPI_V2_FB_CHECKSAVE_ERRORKEY";
}

// The single entry of the game server client: sends the calls handed to it one at a
// time, in order, while the network is reachable; merges what each ended call
// reports into the data store (a null object removes its key, after a failure too)
// and then lets the call post its notification, and only after that starts the
// next. The call in flight stays at the head of the queue until it ends.
// Calls queued while offline wait; they leave, in order, as soon as reachability
// reports the network back or another call is queued online.
// One instance per process (tests reset it). Main thread only; the queue and the
// data store have locks of their own as well.
class QBYConnect final : public base::Object, public QBYAPICallDelegate {
public:
    static QBYConnect& sharedManager();
    // Drops the instance with its queue (cancelling the call in flight), its data
    // store and its configuration; for tests.
    static void resetSharedManager();

    void setConfiguration(QBYConfiguration configuration);
    QBYConfiguration const& configuration() const { return configuration_; }

    void callAPIMethod(base::Ref<APICall> call);
    void loadNext();

    // The value under key, or null. A session token past its expiry counts as
    // absent: its entry is dropped and null returned.
    base::Value objectForKey(std::string_view key);
    void setObject(base::Value value, std::string_view key);
    // The held, unexpired session token.
    std::optional<std::string> sessionToken();
    // A copy of the data store.
    base::Ref<base::Dictionary> dataStore();

    bool isLoading() const { return mIsLoading; }
    std::size_t queuedCallCount();

    void QBYAPICallDidFailWithError(APICall& call, foundation::URLError const& error) override;
    void QBYAPICallDidSucceedWithData(APICall& call, base::Bytes const* data) override;

    ~QBYConnect() override;

private:
    friend base::Factory;
    QBYConnect();

    bool isNetworkReachable();
    void watchReachability();
    void callEnded(APICall& call, foundation::URLError const* error);

    bool mIsLoading {false};
    std::vector<base::Ref<APICall>> mRequestQueue;
    base::Ref<base::Dictionary> mDataStore;
    std::mutex queueLock_;
    std::mutex storeLock_;
    QBYConfiguration configuration_;
    base::Ref<foundation::Reachability> reachability_;
};

}
