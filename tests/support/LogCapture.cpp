#include <base/Log.hpp>
#include <support/LogCapture.hpp>

#include <mutex>

namespace test {

namespace {

std::mutex mutex;
std::vector<std::string> captured;

void capture(std::string_view line) {
    std::lock_guard lock(mutex);
    captured.emplace_back(line);
}

}

LogCapture::LogCapture() {
    clear();
    base::setLogSink(capture);
}

LogCapture::~LogCapture() {
    base::setLogSink(nullptr);
}

std::vector<std::string> LogCapture::lines() const {
    std::lock_guard lock(mutex);
    return captured;
}

bool LogCapture::contains(std::string const& fragment) const {
    std::lock_guard lock(mutex);
    for (auto const& line : captured) {
        if (line.find(fragment) != std::string::npos)
            return true;
    }
    return false;
}

void LogCapture::clear() {
    std::lock_guard lock(mutex);
    captured.clear();
}

}
