#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string_view>

namespace game {

// The game server's clock, which the daily bonus counts days on. Each fetch asks the
// game server (ServerConfig::gameServerHost) for "/time.php" on a thread of its own;
// the reply, Base64 text of "yyyy-MM-dd HH:mm:ss" in the device's time zone, is handed
// to the main run loop, where the date is stored (none when the reply does not read
// as one) and "NetworkTimeGetServerTimeDidFinishNotification" is posted with the
// shared instance as its object. A fetch that gets no reply changes nothing and posts
// nothing. Fetches may overlap; each ends on the main thread, so the date is only
// ever read and written there.
class NetworkTime final : public base::Object {
public:
    static constexpr char const* GetServerTimeDidFinishNotification
        = "NetworkTimeGetServerTimeDidFinishNotification";
    static constexpr char const* path = "/time.php";

    // The shared instance, made on first use; releaseManager forgets it (a fetch
    // still running then ends on the instance that started it).
    static NetworkTime& sharedManager();
    static void releaseManager();

    // Starts a fetch on the shared instance; every call starts its own thread. With
    // no game server configured nothing is sent.
    static void getServerTime();
    // The server time of the last fetch that had a reply, or none.
    static std::optional<base::Date> cachedDate();

    // The date a reply body stands for, or none when it is not Base64 of the pattern.
    static std::optional<base::Date> dateFromReply(std::string_view body);

    void startFetch();
    std::optional<base::Date> date() const { return _cachedDate; }
    // Fetches started and not yet ended on the main thread.
    int fetchesInFlight() const { return fetchesInFlight_; }

private:
    friend base::Factory;
    NetworkTime() = default;

    void replyDidArrive(std::optional<std::string> body);

    std::optional<base::Date> _cachedDate;
    int fetchesInFlight_ {0};
};

}
