#pragma once

#include <services/GameKit.hpp>

#include <string>

namespace services {

// The player signed in to the game service on this device; a view of GameKit's state.
// Main thread only.
class GKLocalPlayer final : public base::Object {
public:
    // The one local player (the service's state decides what it answers).
    static GKLocalPlayer& localPlayer();

    bool isAuthenticated() const { return GameKit::shared().isAuthenticated(); }
    std::string playerID() const { return GameKit::shared().playerID(); }
    // Signs the player in; the handler runs later on the main run loop with the
    // error, or null on success.
    void authenticateWithCompletionHandler(GameKit::Completion handler) {
        GameKit::shared().authenticate(std::move(handler));
    }

private:
    friend base::Factory;
    GKLocalPlayer() = default;
};

}
