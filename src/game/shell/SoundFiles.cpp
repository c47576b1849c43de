#include <game/shell/SoundFiles.hpp>

#include <foundation/Sandbox.hpp>

namespace game {

std::string SoundFiles::dataFolderPath() {
    return foundation::Sandbox::devicePath("/var/mobile/Library/Marrowby").value_or(std::string());
}

std::string SoundFiles::dataFolderFile(std::string const& name) {
    return foundation::Sandbox::safeJoin(dataFolderPath(), name).value_or(std::string());
}

}
