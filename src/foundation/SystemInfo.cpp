#include <foundation/SystemInfo.hpp>

#include <sys/utsname.h>

namespace foundation {

std::string hardwareMachineName() {
    struct utsname name { };
    return ::uname(&name) == 0 ? std::string(name.machine) : std::string();
}

}
