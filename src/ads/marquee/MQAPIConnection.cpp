#include <ads/marquee/MQAPIConnection.hpp>

#include <ads/marquee/MQConfiguration.hpp>
#include <ads/marquee/MQTaggedURLConnection.hpp>

#include <foundation/Format.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Strings.hpp>
#include <toolkit/json/PJsonParser.hpp>

namespace ads::marquee {

base::Ref<MQAPIConnection> MQAPIConnection::initWithDelegate(MQAPIConnectionDelegate* delegate) {
    return initWithEndpoint(MQConfiguration::current().apiRoot, delegate);
}

base::Ref<MQAPIConnection> MQAPIConnection::initWithEndpoint(
    std::string endpoint, MQAPIConnectionDelegate* delegate) {
    return base::make<MQAPIConnection>(std::move(endpoint), delegate);
}

MQAPIConnection::~MQAPIConnection() {
    for (auto& [tag, pending] : activeConnections_)
        pending.connection->cancel();
}

std::optional<foundation::URLRequest> MQAPIConnection::URLRequestFor(
    MQAPIRequest const& request) const {
    if (endpoint_.empty())
        return std::nullopt;
    std::string url = endpoint_ + request.controller() + "/" + request.action() + ".json";
    if (request.query())
        url += "?" + MQEncodePairs(*request.query());
    foundation::URLRequest urlRequest(std::move(url));
    urlRequest.addValue(ContentType, "Content-Type");
    if (request.body()) {
        urlRequest.setHTTPMethod("POST");
        urlRequest.setHTTPBody(std::string_view(MQEncodePairs(*request.body())));
    } else {
        urlRequest.setHTTPMethod("GET");
    }
    return urlRequest;
}

std::optional<base::Value> MQAPIConnection::replyFromBody(int statusCode, base::Bytes const& body) {
    if (statusCode < 200 || statusCode > 299)
        return std::nullopt;
    std::string_view text(reinterpret_cast<char const*>(body.data()), body.size());
    if (!foundation::isValidUtf8(text))
        return std::nullopt;
    auto reply = toolkit::json::PJsonParser::parser()->objectWithString(text);
    if (!reply.isDictionary())
        return std::nullopt;
    return reply;
}

void MQAPIConnection::sendRequest(base::Ref<MQAPIRequest> request) {
    auto tag = requestIdMax_++;
    auto urlRequest = URLRequestFor(*request);
    if (!urlRequest) {
        foundation::log("Marquee: no API root configured; call \"%@\" not sent", request->action());
        base::Ref<MQAPIConnection> self(this);
        foundation::RunLoop::current().perform([self, request] {
            if (self->delegate_)
                self->delegate_->didFailToReceiveAPIResponseForRequest(*request);
        });
        return;
    }
    auto connection = MQTaggedURLConnection::create(std::move(*urlRequest), *this, tag);
    activeConnections_.emplace(tag, Pending {request, {}, std::nullopt, connection});
    connection->start();
}

void MQAPIConnection::receivedResponse(std::uint64_t tag, foundation::URLResponse const& response) {
    if (auto found = activeConnections_.find(tag); found != activeConnections_.end())
        found->second.response = response;
}

void MQAPIConnection::receivedData(std::uint64_t tag, base::Bytes const& data) {
    if (auto found = activeConnections_.find(tag); found != activeConnections_.end())
        found->second.data.insert(found->second.data.end(), data.begin(), data.end());
}

void MQAPIConnection::finished(std::uint64_t tag) {
    auto found = activeConnections_.find(tag);
    if (found == activeConnections_.end())
        return;
    // Taken out first: the delegate may send further calls, and the tagged connection
    // must outlive this callback, which it is still inside.
    auto pending = std::move(found->second);
    activeConnections_.erase(found);
    base::Ref<MQAPIConnection> self(this);
    auto reply = replyFromBody(pending.response ? pending.response->statusCode() : 0, pending.data);
    if (!delegate_)
        return;
    if (reply)
        delegate_->didReceiveAPIResponse(*reply, *pending.request);
    else
        delegate_->didFailToReceiveAPIResponseForRequest(*pending.request);
}

void MQAPIConnection::failed(std::uint64_t tag) {
    auto found = activeConnections_.find(tag);
    if (found == activeConnections_.end())
        return;
    auto pending = std::move(found->second);
    activeConnections_.erase(found);
    base::Ref<MQAPIConnection> self(this);
    if (delegate_)
        delegate_->didFailToReceiveAPIResponseForRequest(*pending.request);
}

}
