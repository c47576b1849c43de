#include <ui/Device.hpp>

namespace ui {

Device& Device::currentDevice() {
    static Device device;
    return device;
}

void Device::reset() {
    auto& device = currentDevice();
    device.setUserInterfaceIdiom(Idiom::Phone);
    device.setSystemVersion("4.3.1");
    device.setName("Quillaby");
}

}
