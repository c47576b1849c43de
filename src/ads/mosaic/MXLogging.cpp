#include <ads/mosaic/MXLogging.hpp>

#include <base/Log.hpp>

#include <atomic>

namespace ads::mosaic {

namespace {

std::atomic<int> threshold {MXLogLevelInfo};

}

int MXLogThreshold() {
    return threshold.load();
}

void MXSetLogThreshold(int value) {
    threshold.store(value);
}

void MXLogMessage(int, std::string const& message) {
    base::logLine("MOSAIC: " + message);
}

}
