#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/URLConnection.hpp>

#include <string>
#include <string_view>

namespace serverkit {

// Tells a pay-per-install service that this application was installed on this
// device: one signed GET to "<base>/api/installconfirm?app_id=..&phone_id=..&signature=..",
// whose reply is not read. The signature is the lower-case hexadecimal SHA-256 of
// the application id, the device identifier and the shared key joined in that order
// (over the raw text); the key itself never travels. The query values are
// percent-escaped so that an id holding '&', '=' or non-ASCII text cannot change
// the query's shape. Main thread (the connection calls back on its run loop).
class PayPing final : public base::Object, public foundation::URLConnectionDelegate {
public:
    static constexpr char const* Path = "/api/installconfirm";
    static constexpr double TimeoutInterval = 60;

    // baseURL is the service's "http://host:port" (no path) and has no default: when
    // empty, nothing is sent. deviceIdentifier identifies this installation.
    static base::Ref<PayPing> create(std::string baseURL, std::string deviceIdentifier);
    ~PayPing() override;

    // Both send the ping.
    void trackWithAppId(std::string_view appId, std::string_view key);
    void payPerInstall(std::string_view appId, std::string_view key);

    // SHA-256 of text's UTF-8 bytes as 64 lower-case hexadecimal digits.
    static std::string hashGen(std::string_view text);
    // The address the ping goes to; empty when baseURL is.
    static std::string pingURL(std::string_view baseURL, std::string_view appId,
        std::string_view deviceIdentifier, std::string_view key);

    foundation::URLConnection* connection() const { return connection_.get(); }
    void setConnection(base::Ref<foundation::URLConnection> connection);
    // The last piece of the reply received; nothing reads it.
    base::Bytes const& data() const { return data_; }
    void setData(base::Bytes data) { data_ = std::move(data); }

    void didReceiveData(foundation::URLConnection&, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override { }

private:
    friend base::Factory;
    PayPing(std::string baseURL, std::string deviceIdentifier);

    std::string baseURL_;
    std::string deviceIdentifier_;
    base::Ref<foundation::URLConnection> connection_;
    base::Bytes data_;
};

}
