#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

namespace game {

// Where the shell sends game-server events: the game server client implements it
// by making its "events" call, which carries the dictionary under "eventdata",
// and queueing it on the server connection. Until a client is installed, events
// are logged and dropped. Main thread only.
class ServerEventQueue {
public:
    virtual ~ServerEventQueue() = default;

    // Queues the event; nothing waits for its result.
    virtual void queueEvent(base::Ref<base::Dictionary> eventDictionary) = 0;

    // The installed queue, or null.
    static ServerEventQueue* shared();
    // Installs a queue that the caller keeps alive; null removes it.
    static void setShared(ServerEventQueue* queue);
};

}
