#include <ads/marquee/MQTaggedURLConnection.hpp>

#include <ads/marquee/MQAPIConnection.hpp>

namespace ads::marquee {

base::Ref<MQTaggedURLConnection> MQTaggedURLConnection::create(
    foundation::URLRequest request, MQAPIConnection& owner, std::uint64_t tag) {
    return base::make<MQTaggedURLConnection>(std::move(request), owner, tag);
}

MQTaggedURLConnection::MQTaggedURLConnection(
    foundation::URLRequest request, MQAPIConnection& owner, std::uint64_t tag)
    : owner_(owner)
    , tag_(tag)
    , connection_(foundation::URLConnection::create(std::move(request), this, false)) {
}

void MQTaggedURLConnection::start() {
    connection_->start();
}

void MQTaggedURLConnection::cancel() {
    connection_->cancel();
}

void MQTaggedURLConnection::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const& response) {
    owner_.receivedResponse(tag_, response);
}

void MQTaggedURLConnection::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    owner_.receivedData(tag_, data);
}

void MQTaggedURLConnection::connectionDidFinishLoading(foundation::URLConnection&) {
    owner_.finished(tag_);
}

void MQTaggedURLConnection::didFailWithError(
    foundation::URLConnection&, foundation::URLError const&) {
    owner_.failed(tag_);
}

}
