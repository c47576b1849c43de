#include <game/shell/DeviceSettings.hpp>

namespace game {

namespace {

DeviceSettings settings;

}

DeviceSettings& DeviceSettings::current() {
    return settings;
}

void DeviceSettings::reset() {
    settings = DeviceSettings();
}

}
