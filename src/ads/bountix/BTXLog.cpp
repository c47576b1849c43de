#include <ads/bountix/BTXLog.hpp>

#include <base/Log.hpp>

#include <atomic>
#include <string>

namespace ads::bountix {

namespace {
std::atomic<int> threshold {BTXLog::Progress};
}

void BTXLog::setLogThreshold(int value) {
    threshold = value;
}

int BTXLog::logThreshold() {
    return threshold;
}

void BTXLog::logWithLevel(int level, std::string_view message) {
    if (level > threshold)
        return;
    base::logLine("[Log Level: " + std::to_string(level) + "]; " + std::string(message));
}

}
