#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ads::bountix {

// Hardware facts of the device the game plays on: the machine identifier and the
// platform type, name and code derived from it.
class BTXHardware {
public:
    enum PlatformType {
        UnknownDevice = 0,
        Simulator = 1,
        SimulatorPhone = 2,
        SimulatorPad = 3,
        Phone1G = 4,
        Phone3G = 5,
        Phone3GS = 6,
        Phone4 = 7,
        Phone5 = 8,
        Pod1G = 9,
        Pod2G = 10,
        Pod3G = 11,
        Pod4G = 12,
        Pad1G = 13,
        Pad2G = 14,
        UnknownPhone = 15,
        UnknownPod = 16,
        UnknownPad = 17,
        FPGA = 18,
    };

    // The machine identifier ("x86_64" on a desktop, which counts as a simulator).
    static std::string platform();
    // The type of a machine identifier; a simulator is the tablet one when the main
    // screen is at least 768 points wide (a missing width counts as narrow).
    static PlatformType platformTypeFor(
        std::string_view platform, std::optional<float> screenWidth);
    static PlatformType platformType();
    static std::string platformString(PlatformType type);
    static std::string platformString() { return platformString(platformType()); }
    static std::string platformCode(PlatformType type);
    static std::string platformCode() { return platformCode(platformType()); }
};

}
