#include <game/shell/ServerEventQueue.hpp>

namespace game {

namespace {

ServerEventQueue* installed = nullptr;

}

ServerEventQueue* ServerEventQueue::shared() {
    return installed;
}

void ServerEventQueue::setShared(ServerEventQueue* queue) {
    installed = queue;
}

}
