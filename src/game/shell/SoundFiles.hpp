#pragma once

#include <string>

namespace game {

// The data folder that downloaded content lives in, "/var/mobile/Library/Marrowby"
// on the device, inside the sandbox here. The sound code looks there for what the
// bundle lacks and records there.
class SoundFiles {
public:
    static std::string dataFolderPath();
    // The data folder's file name; empty for a name that would lead out of the
    // folder (names come from content data and downloads).
    static std::string dataFolderFile(std::string const& name);
};

}
