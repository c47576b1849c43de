#pragma once

#include <string>
#include <sys/types.h>

namespace test {

// An X server of its own for a test: Xvfb on the first free display number, with one screen
// of the given size, stopped when the object goes. name() is empty (and why() tells) when it
// could not be started.
class VirtualDisplay {
public:
    explicit VirtualDisplay(int width = 1280, int height = 1024);
    ~VirtualDisplay();
    VirtualDisplay(VirtualDisplay const&) = delete;
    VirtualDisplay& operator=(VirtualDisplay const&) = delete;

    // ":N", for DISPLAY.
    std::string const& name() const { return name_; }
    std::string const& why() const { return why_; }

private:
    pid_t server_ {-1};
    std::string name_;
    std::string why_;
};

// Sets an environment variable for a scope, putting the old value back (or unsetting it)
// after; a null value unsets it for the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(char const* name, char const* value);
    ~ScopedEnvironment();
    ScopedEnvironment(ScopedEnvironment const&) = delete;
    ScopedEnvironment& operator=(ScopedEnvironment const&) = delete;

private:
    std::string name_;
    bool had_ {false};
    std::string old_;
};

}
