#pragma once

#include <string>

namespace game {

// The identifiers the game hands to the outside services it starts at launch: its
// own store application id, the Adnoria publisher id, the analytics key and the
// banner ad unit. Constants; never instantiated; any thread.
class GameSettingManager {
public:
    GameSettingManager() = delete;

    static std::string getiTunesID();
    static std::string getAdnoriaID();
    static std::string getKestrelID();
    static std::string getMosaicID();
};

}
