#include <base/Log.hpp>

#include <cstdio>
#include <mutex>

namespace base {

namespace {

std::mutex& logMutex() {
    static std::mutex mutex;
    return mutex;
}

LogSink currentSink = nullptr;

}

void setLogSink(LogSink sink) {
    std::lock_guard lock(logMutex());
    currentSink = sink;
}

void logLine(std::string_view line) {
    std::lock_guard lock(logMutex());
    if (currentSink) {
        currentSink(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
}

}
