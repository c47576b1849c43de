#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/ByteView.hpp>
#include <foundation/URLConnection.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace serverkit {

class APICall;

// Hears how a game-server call ended: exactly one of the two results ends every
// started call, on the main run loop. QBYConnect is the delegate of every call.
class QBYAPICallDelegate {
public:
    virtual ~QBYAPICallDelegate() = default;
    virtual void QBYAPICallDidFailWithError(APICall& call, foundation::URLError const& error) = 0;
    // data is null when no reply bytes were kept.
    virtual void QBYAPICallDidSucceedWithData(APICall& call, base::Bytes const* data) = 0;
};

// One request to the game server: a POST to "http://<host>/api.php" whose form body
// is "method=<name>&data=<JSON object>" (signed calls add "&sig=<HMAC-SHA1 hex>"),
// a 30-second timeout, cookies kept from replies of status 200 and 201, and every
// other status turned into an error of the domain "QBYKIT" whose code is the status.
//
// Wire format of the body: the JSON text and the signature go into the form with
// exactly the four characters "&", "=", "+" and "%" percent-escaped (%26, %3D, %2B,
// %25), so that a value holding one of them cannot break the form apart; every other
// byte is sent as it stands, so a body without those characters is the plain text.
// The signature is made over the JSON text before escaping.
//
// A call is made by its class's factory and handed to QBYConnect, which starts it
// and is its delegate. Subclasses set their method name, add keys to the JSON
// object, sign the body, and turn the reply into a data-store entry and a
// notification (the three optional operations below do nothing here).
// A call that fails keeps no reply bytes: what arrived before a failure is never
// taken for a reply. Main thread only.
class APICall : public base::Object, public foundation::URLConnectionDelegate {
public:
    ~APICall() override;

    static constexpr char const* ErrorDomain = "QBYKIT";
    static constexpr double TimeoutInterval = 30;
    // The path of the second-version service on the same host.
    static constexpr char const* V2Path = "/qbyapi/v2/api.php";

    std::string const& appBundleId() const { return appBundleId_; }
    void setAppBundleId(std::string value) { appBundleId_ = std::move(value); }
    std::string const& appBundleVersion() const { return appBundleVersion_; }
    void setAppBundleVersion(std::string value) { appBundleVersion_ = std::move(value); }
    std::string const& deviceIdentifier() const { return deviceIdentifier_; }
    void setDeviceIdentifier(std::string value) { deviceIdentifier_ = std::move(value); }
    std::string const& requestMethod() const { return requestMethod_; }
    void setRequestMethod(std::string value) { requestMethod_ = std::move(value); }
    std::string const& apiMethod() const { return apiMethod_; }
    void setApiMethod(std::string value) { apiMethod_ = std::move(value); }
    std::string const& requestURLStr() const { return requestURLStr_; }
    void setRequestURLStr(std::string value) { requestURLStr_ = std::move(value); }
    std::string const& param() const { return param_; }
    void setParam(std::string value) { param_ = std::move(value); }

    // Sends the request; the delegate (required, not retained) hears the result
    // later. With no game server configured nothing is sent and the delegate hears
    // a failure on the next pass of the run loop.
    virtual void startWithDelegate(QBYAPICallDelegate* delegate);
    // Stops the request and forgets the reply; nothing more is reported.
    virtual void cancel();

    // What to merge into the data store after the call ended, or null.
    virtual base::Ref<base::Dictionary> getDataStoreInfo() { return nullptr; }
    // After a success, with the whole data store.
    virtual void postNotification(base::Dictionary const&) { }
    // After a failure, with its error.
    virtual void postFailNotification(foundation::URLError const&) { }

    // {"appid", "ver", "udid"}; subclasses add their keys to a copy.
    virtual base::Ref<base::Dictionary> buildRequestJSONDict();
    // The JSON text of buildRequestJSONDict.
    virtual std::string buildRequestJSON();
    // The body: "method=%@&data=%@" (see the class comment for the escaping).
    virtual base::Bytes buildRequestData();

    // The signature of json: HMAC-SHA1 keyed with the session token held in the
    // data store, as 40 lower-case hex digits; empty when no token is held.
    static std::string buildSig(std::string_view json);
    // An error as notification user information: {"domain", "code",
    // "localizedDescription"}.
    static base::Value errorValue(foundation::URLError const& error);
    // Each byte as two lower-case hex digits.
    static std::string hexStringWithNSData(foundation::ByteView bytes);
    // text with "&", "=", "+" and "%" percent-escaped, every other byte unchanged.
    static std::string formEscape(std::string_view text);
    // The request number "sid": the low 31 bits of a random 32-bit draw, so every
    // value from 0 to 2147483647 is as likely.
    static std::int32_t requestNumber();
    static std::int32_t requestNumberForDraw(std::uint32_t draw);

    // The reply bytes of a call that finished loading; null before that, after a
    // failure and after cancel.
    base::Bytes const* receivedData() const {
        return finished_ && mReceivedData ? &*mReceivedData : nullptr;
    }
    QBYAPICallDelegate* delegate() const { return mDelegate; }

    void didReceiveResponse(foundation::URLConnection&, foundation::URLResponse const&) override;
    void didReceiveData(foundation::URLConnection&, base::Bytes const&) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const&) override;

protected:
    APICall();

    // Whether a body is written to the log as "Request:%@" when it is built.
    enum class RequestLog { Yes, No };
    // The signed body: "method=%@&data=%@&sig=%@", the signature over the JSON text.
    base::Bytes buildSignedRequestData(RequestLog log = RequestLog::Yes);
    // "http://<host><path>" on the configured game server; empty without one, so that
    // nothing is sent.
    static std::string gameServerURL(std::string_view path);
    // The request that startWithDelegate sends; subclasses with another service
    // change it.
    virtual foundation::URLRequest buildRequest();
    // Ends the call with a failure: the reply is dropped first.
    void fail(foundation::URLError const& error);

private:
    std::string appBundleId_;
    std::string appBundleVersion_;
    std::string deviceIdentifier_;
    std::string requestMethod_ {"POST"};
    std::string apiMethod_;
    std::string requestURLStr_;
    std::string param_;

    QBYAPICallDelegate* mDelegate {nullptr};
    base::Ref<foundation::URLConnection> mConnection;
    std::optional<base::Bytes> mReceivedData;
    bool finished_ {false};
    // Bumped by cancel, so that a failure queued before it is not reported.
    std::uint64_t generation_ {0};
};

}
