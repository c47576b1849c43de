#pragma once

// A broken invariant: prints the condition with its file and line and aborts.
// On in every build, release included.
#define VERIFY(condition)                                                                          \
    do {                                                                                           \
        if (!(condition)) [[unlikely]]                                                             \
            ::base::verificationFailed(#condition, __FILE__, __LINE__, nullptr);                   \
    } while (0)

// As VERIFY, with a message that the failure report carries.
#define VERIFY_MSG(condition, message)                                                             \
    do {                                                                                           \
        if (!(condition)) [[unlikely]]                                                             \
            ::base::verificationFailed(#condition, __FILE__, __LINE__, message);                   \
    } while (0)

#define VERIFY_NOT_REACHED() ::base::verificationFailed("not reached", __FILE__, __LINE__, nullptr)

namespace base {

[[noreturn]] void verificationFailed(
    char const* condition, char const* file, int line, char const* message);

}
