#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/URLConnection.hpp>

#include <cstdint>

namespace ads::marquee {

class MQAPIConnection;

// One call's URL connection, tagged with the request id of the pending record it
// serves. It hears the connection's news and hands it to its owner with the tag. The
// owner keeps it in the pending record; when it goes, its connection is cancelled.
// Main thread only.
class MQTaggedURLConnection final : public base::Object, private foundation::URLConnectionDelegate {
public:
    static base::Ref<MQTaggedURLConnection> create(
        foundation::URLRequest request, MQAPIConnection& owner, std::uint64_t tag);

    std::uint64_t tag() const { return tag_; }
    void start();
    void cancel();

private:
    void didReceiveResponse(
        foundation::URLConnection& connection, foundation::URLResponse const& response) override;
    void didReceiveData(foundation::URLConnection& connection, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection& connection) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const& error) override;

    MQAPIConnection& owner_;
    std::uint64_t tag_;
    base::Ref<foundation::URLConnection> connection_;

    friend base::Factory;
    MQTaggedURLConnection(
        foundation::URLRequest request, MQAPIConnection& owner, std::uint64_t tag);
};

}
