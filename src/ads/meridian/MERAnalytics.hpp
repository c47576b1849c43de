#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/URLConnection.hpp>

#include <string_view>

namespace ads::meridian {

// The client's analytics object: its session operations do nothing, and `connect`
// loads a request into a buffer that nobody reads. Nothing in the client uses it; it
// stays for hosts that call it. One instance for the process; main thread only.
class MERAnalytics final : public base::Object, private foundation::URLConnectionDelegate {
public:
    static MERAnalytics& shared();

    void startSessionWithKey(std::string_view) { }
    void endSession() { }
    // Cancels a running request, empties the buffer and starts request.
    void connect(foundation::URLRequest request);

    base::Bytes const& connectionData() const { return connectionData_; }

private:
    void didReceiveData(foundation::URLConnection&, base::Bytes const& data) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const&) override;

    base::Bytes connectionData_;
    base::Ref<foundation::URLConnection> connection_;

    friend base::Factory;
    MERAnalytics() = default;
};

}
