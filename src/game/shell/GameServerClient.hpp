#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ui {
class View;
}

namespace game {

// One call for the game server's first-in first-out queue, named as the server kit
// names its call classes ("BTXComponents", "CheckDirectives", "AuthToken",
// "CheckRestore", "CheckReward", "ConfirmReward", "RejectReward", "ConfirmRestore"),
// with its arguments in order: the directive handlers' class names for
// "CheckDirectives", the other application's identifier for "CheckReward", the
// status for "ConfirmRestore".
struct ServerCall {
    std::string name;
    std::vector<std::string> arguments;

    bool operator==(ServerCall const&) const = default;
};

// One unread credit of the marketing service; identifier is the service's id of the
// credit, 0 when the reply had none.
struct MarketingCredit {
    int value {0};
    std::string reason;
    std::uint64_t identifier {0};
};

// Hears the answer to requestUnreadCredits, on the main thread.
class MarketingCreditsDelegate {
public:
    virtual ~MarketingCreditsDelegate() = default;
    virtual void didLoadObjects(std::vector<MarketingCredit> const& credits) = 0;
    virtual void didFailWithError(std::string const& error) = 0;
};

// What the shell asks of the game server client: the server connection's queue and
// data stores, the marketing kit and the cross-promotion page. The client is built
// elsewhere; until one is installed the standing one logs each request and answers
// nothing (no store exists), so the game runs offline. The marketing operations go
// to the real marketing kit (MarketingKit) unless a client replaces them. Main thread.
class GameServerClient {
public:
    virtual ~GameServerClient() = default;

    // The installed client, or the standing one.
    static GameServerClient& shared();
    // Installs a client that the caller keeps alive; null goes back to the standing one.
    static void setShared(GameServerClient* client);

    // Appends the call to the connection's queue; nobody waits for its result.
    virtual void callAPIMethod(ServerCall call);
    // The data store a finished call merged under key, or null.
    virtual base::Ref<base::Dictionary> objectForKey(std::string const& key);

    // Registers a new installation once with the marketing service.
    virtual void startMarketingKit();
    // Fetches unread credits; the delegate (not retained) hears the answer.
    virtual void requestUnreadCredits(MarketingCreditsDelegate* delegate);

    // Shows the cross-promotion page in container: done hears whether the offer was
    // finished when its call ends, close is the page's button.
    virtual void presentCrossPromote(std::function<void(bool finished)> done,
        std::function<void()> close, std::string const& buttonLabel, ui::View* container);
    virtual void dismissCrossPromote();
};

}
