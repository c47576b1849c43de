#include <engine/Device.hpp>

#include <atomic>

namespace engine {

namespace {

std::atomic<DeviceKind> current {DeviceKind::Phone};

}

DeviceKind Device::kind() {
    return current.load(std::memory_order_relaxed);
}

void Device::setKind(DeviceKind kind) {
    current.store(kind, std::memory_order_relaxed);
}

}
