#include <ads/bountix/BTXHardware.hpp>

#include <foundation/Strings.hpp>
#include <foundation/SystemInfo.hpp>
#include <ui/Screen.hpp>

#include <array>

namespace ads::bountix {

std::string BTXHardware::platform() {
    return foundation::hardwareMachineName();
}

BTXHardware::PlatformType BTXHardware::platformTypeFor(
    std::string_view platform, std::optional<float> screenWidth) {
    using foundation::hasPrefix;
    struct Exact {
        char const* name;
        PlatformType type;
    };
    // Exact names and prefixes, in the order they are tried; the first match wins.
    static constexpr std::array<Exact, 3> firstExact {{
        {"iFPGA", FPGA},
        {"iPhone1,1", Phone1G},
        {"iPhone1,2", Phone3G},
    }};
    for (auto const& entry : firstExact)
        if (platform == entry.name)
            return entry.type;
    static constexpr std::array<Exact, 3> phonePrefixes {{
        {"iPhone2", Phone3GS},
        {"iPhone3", Phone4},
        {"iPhone4", Phone5},
    }};
    for (auto const& entry : phonePrefixes)
        if (hasPrefix(platform, entry.name))
            return entry.type;
    static constexpr std::array<Exact, 6> laterExact {{
        {"iPod1,1", Pod1G},
        {"iPod2,1", Pod2G},
        {"iPod3,1", Pod3G},
        {"iPod4,1", Pod4G},
        {"iPad1,1", Pad1G},
        {"iPad2,1", Pad2G},
    }};
    for (auto const& entry : laterExact)
        if (platform == entry.name)
            return entry.type;
    static constexpr std::array<Exact, 3> familyPrefixes {{
        {"iPhone", UnknownPhone},
        {"iPod", UnknownPod},
        {"iPad", UnknownPad},
    }};
    for (auto const& entry : familyPrefixes)
        if (hasPrefix(platform, entry.name))
            return entry.type;
    if (foundation::hasSuffix(platform, "86") || platform == "x86_64")
        return screenWidth && *screenWidth >= 768 ? SimulatorPad : SimulatorPhone;
    return UnknownDevice;
}

BTXHardware::PlatformType BTXHardware::platformType() {
    return platformTypeFor(platform(), ui::Screen::mainScreen().bounds().size.width);
}

std::string BTXHardware::platformString(PlatformType type) {
    static constexpr std::array<char const*, 19> names {
        "Unknown iOS device",
        "iPhone Simulator",
        "iPhone Simulator",
        "iPad Simulator",
        "iPhone 1G",
        "iPhone 3G",
        "iPhone 3GS",
        "iPhone 4",
        "iPhone 5",
        "iPod touch 1G",
        "iPod touch 2G",
        "iPod touch 3G",
        "iPod touch 4G",
        "iPad 1G",
        "iPad 2G",
        "Unknown iPhone",
        "Unknown iPod",
        "Unknown iPad",
        "iFPGA",
    };
    auto index = static_cast<std::size_t>(type);
    return index < names.size() ? names[index] : names[0];
}

std::string BTXHardware::platformCode(PlatformType type) {
    switch (type) {
    case Simulator:
        return "iPhone Simulator";
    case Phone1G:
        return "M68";
    case Phone3G:
        return "N82";
    case Phone3GS:
        return "N88";
    case Phone4:
        return "N89";
    case Phone5:
    case UnknownPhone:
        return "Unknown iPhone";
    case Pod1G:
        return "N45";
    case Pod2G:
        return "N72";
    case Pod3G:
        return "N18";
    case Pod4G:
        return "N80";
    case Pad1G:
        return "K48";
    case Pad2G:
    case UnknownPad:
        return "Unknown iPad";
    case UnknownPod:
        return "Unknown iPod";
    default:
        return "Unknown iOS device";
    }
}

}
