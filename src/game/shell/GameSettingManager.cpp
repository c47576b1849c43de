#include <game/shell/GameSettingManager.hpp>

namespace game {

std::string GameSettingManager::getiTunesID() {
    return "728105396";
}

// No Adnoria publisher is registered, so the install ping goes out with an empty id.
std::string GameSettingManager::getAdnoriaID() {
    return "";
}

std::string GameSettingManager::getKestrelID() {
    return "QR7TNW3KZ5DJ9BVA2MXC";
}

std::string GameSettingManager::getMosaicID() {
    return "kQ7vR2nLpX9sWd4TfB8mZc3HyJ6gNa5UeKw";
}

}
