#pragma once

#include <game/shell/GameServerClient.hpp>
#include <game/shell/ServerEventQueue.hpp>

#include <serverkit/APICall.hpp>
#include <serverkit/QBYConnect.hpp>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace game {

// The game's side of the game server client: turns the shell's server calls (by
// class name, with their arguments) into the server kit's calls on the one
// QBYConnect queue, reads its data store, and sends the shell's statistics as
// "events" calls. setUp hands the server kit what only the game knows (the hosts,
// the installation identifier and the data folder), installs the connection for
// the shell and lets FetchArchive empty the engine's StaticFileCache. Calls the server kit does not
// make are made by registered makers, or logged and dropped. The marketing kit and the
// cross-promotion page stay those of GameServerClient. Main thread only; the owner keeps it alive
// while installed.
class GameServerConnection final : public GameServerClient, public ServerEventQueue {
public:
    using CallMaker = std::function<base::Ref<serverkit::APICall>(std::vector<std::string> const&)>;

    GameServerConnection() = default;
    ~GameServerConnection() override;
    GameServerConnection(GameServerConnection const&) = delete;
    GameServerConnection& operator=(GameServerConnection const&) = delete;

    // The server kit's configuration for this installation: the game server and the
    // marketing service from ServerConfig, Utilities::getUDID and the data folder.
    static serverkit::QBYConfiguration configurationForInstallation();
    // Configures the server kit and installs this connection as the shell's game
    // server client and event queue; the destructor takes it out again.
    void setUp(serverkit::QBYConfiguration configuration);

    // Makes calls of that class name from now on.
    void setCallMaker(std::string name, CallMaker maker);
    // The server kit's call for a shell call; null for a name nobody makes.
    base::Ref<serverkit::APICall> makeCall(ServerCall const& call) const;

    void callAPIMethod(ServerCall call) override;
    base::Ref<base::Dictionary> objectForKey(std::string const& key) override;
    void queueEvent(base::Ref<base::Dictionary> eventDictionary) override;

private:
    std::map<std::string, CallMaker, std::less<>> makers_;
    bool installed_ {false};
};

}
