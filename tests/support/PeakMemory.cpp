#include <support/PeakMemory.hpp>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace test {

namespace {

// A "Vm...:" line of /proc/self/status, in bytes; 0 when it cannot be read.
std::size_t statusBytes(char const* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::size_t(std::stoull(line.substr(std::strlen(field)))) * 1024;
    }
    return 0;
}

}

std::optional<std::size_t> peakMemoryGrowth(std::function<bool()> const& body) {
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(channel[0]);
        ::alarm(60);
        // The peak starts again from what the child holds now.
        std::FILE* clear = std::fopen("/proc/self/clear_refs", "w");
        bool reset = clear && std::fputs("5", clear) >= 0;
        if (clear)
            reset = std::fclose(clear) == 0 && reset;
        std::size_t start = reset ? statusBytes("VmRSS:") : statusBytes("VmHWM:");
        if (!body())
            ::_exit(2);
        std::size_t peak = statusBytes("VmHWM:");
        std::size_t growth = peak > start ? peak - start : 0;
        bool sent = ::write(channel[1], &growth, sizeof growth) == sizeof growth;
        ::_exit(sent ? 0 : 3);
    }
    ::close(channel[1]);
    std::size_t growth = 0;
    bool received = ::read(channel[0], &growth, sizeof growth) == sizeof growth;
    ::close(channel[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0
        || !received)
        return std::nullopt;
    return growth;
}

}
