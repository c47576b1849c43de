#include <game/progression/NetworkTime.hpp>

#include <game/progression/Base64.hpp>
#include <game/shell/ServerConfig.hpp>

#include <foundation/AwaitedWork.hpp>
#include <foundation/DateFormatter.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/URLRequest.hpp>

#include <thread>

namespace game {

namespace {

base::Ref<NetworkTime>& shared() {
    static base::Ref<NetworkTime> instance;
    return instance;
}

}

NetworkTime& NetworkTime::sharedManager() {
    auto& instance = shared();
    if (!instance)
        instance = base::make<NetworkTime>();
    return *instance;
}

void NetworkTime::releaseManager() {
    shared() = nullptr;
}

void NetworkTime::getServerTime() {
    sharedManager().startFetch();
}

std::optional<base::Date> NetworkTime::cachedDate() {
    return sharedManager().date();
}

std::optional<base::Date> NetworkTime::dateFromReply(std::string_view body) {
    auto text = decodeBase64(body);
    if (!text)
        return std::nullopt;
    return foundation::DateFormatter("yyyy-MM-dd HH:mm:ss").dateFromString(*text);
}

void NetworkTime::startFetch() {
    // The host is read here, on the main thread, where the user defaults live.
    auto host = ServerConfig::gameServerHost();
    if (host.empty())
        return;
    ++fetchesInFlight_;
    base::Ref<NetworkTime> self(this);
    // The mark ends once the reply is on the main loop's queue.
    std::thread([self, url = "http://" + host + path,
                    awaited = foundation::AwaitedWork()]() mutable {
        auto result
            = foundation::URLConnection::sendSynchronousRequest(foundation::URLRequest(url));
        // Whatever the status, a reply has a body (perhaps empty); no reply has none.
        std::optional<std::string> body;
        if (!result.error && result.response.statusCode() != 0)
            body = std::string(result.data.begin(), result.data.end());
        foundation::RunLoop::main().perform(
            [self, body = std::move(body)] { self->replyDidArrive(body); });
        awaited.finish();
    }).detach();
}

void NetworkTime::replyDidArrive(std::optional<std::string> body) {
    --fetchesInFlight_;
    if (!body)
        return;
    _cachedDate = dateFromReply(*body);
    foundation::NotificationCenter::defaultCenter().postNotification(
        GetServerTimeDidFinishNotification, this);
}

}
