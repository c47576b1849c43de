#pragma once

#include <string>
#include <vector>

namespace test {

// Collects every log line while it lives, so tests can check what was logged.
// One at a time.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(LogCapture const&) = delete;
    LogCapture& operator=(LogCapture const&) = delete;

    std::vector<std::string> lines() const;
    bool contains(std::string const& fragment) const;
    void clear();
};

}
