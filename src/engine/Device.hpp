#pragma once

namespace engine {

// Which device the program plays as: the phone (480 x 320 points) or the tablet
// (1024 x 768, the program's --ipad flag). The resource lookup takes the tablet's
// art first on the tablet. Set once at start, before the first resource lookup;
// read from any thread.
enum class DeviceKind { Phone, Pad };

class Device {
public:
    static DeviceKind kind();
    static void setKind(DeviceKind kind);
    static bool isPad() { return kind() == DeviceKind::Pad; }
};

}
