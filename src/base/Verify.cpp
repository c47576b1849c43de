#include <base/Verify.hpp>

#include <cstdio>
#include <cstdlib>

namespace base {

void verificationFailed(char const* condition, char const* file, int line, char const* message) {
    if (message)
        std::fprintf(
            stderr, "Assertion failure: %s (%s) at %s:%d\n", message, condition, file, line);
    else
        std::fprintf(stderr, "Assertion failure: %s at %s:%d\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}

}
