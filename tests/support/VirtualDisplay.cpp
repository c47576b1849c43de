#include <support/VirtualDisplay.hpp>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test {

namespace {

// How long the server may take to come up before the test gives up on it.
constexpr int startLimitMilliseconds = 30000;

}

VirtualDisplay::VirtualDisplay(int width, int height) {
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) {
        why_ = "no pipe";
        return;
    }
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    server_ = fork();
    if (server_ == 0) {
        // Only the pipe's writing end is left open for the server to announce its number on.
        int announce = dup(channel[1]);
        int quiet = open("/dev/null", O_RDWR);
        if (quiet >= 0) {
            dup2(quiet, STDIN_FILENO);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        std::string fd = std::to_string(announce);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
            "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    if (server_ < 0) {
        close(channel[0]);
        why_ = "no process for Xvfb";
        return;
    }
    std::string number;
    pollfd wait {channel[0], POLLIN, 0};
    while (true) {
        int ready = poll(&wait, 1, startLimitMilliseconds);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            why_ = "Xvfb did not announce its display in time";
            break;
        }
        char c = 0;
        auto got = read(channel[0], &c, 1);
        if (got <= 0) {
            why_ = "Xvfb stopped before announcing its display (is it installed?)";
            break;
        }
        if (c == '\n') {
            name_ = ":" + number;
            break;
        }
        number += c;
    }
    close(channel[0]);
}

VirtualDisplay::~VirtualDisplay() {
    if (server_ <= 0)
        return;
    kill(server_, SIGTERM);
    int status = 0;
    while (waitpid(server_, &status, 0) < 0 && errno == EINTR) { }
}

ScopedEnvironment::ScopedEnvironment(char const* name, char const* value)
    : name_(name) {
    if (char const* old = std::getenv(name)) {
        had_ = true;
        old_ = old;
    }
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

}
