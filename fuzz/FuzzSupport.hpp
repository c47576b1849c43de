#pragma once

#include <base/Log.hpp>

#include <cstdio>
#include <cstdlib>
#include <string_view>

// Shared by the fuzz targets: a check that turns a broken property of the code under
// test into a crash libFuzzer records, and a log sink that drops the line every
// refused input writes (printing them would cost more than the parsing). Set
// QUILLABY_FUZZ_LOG=1 to see those lines while reproducing one input.

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(                                                                          \
                stderr, "%s:%d: FUZZ_CHECK failed: %s\n", __FILE__, __LINE__, #condition);         \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

inline void silenceLog() {
    static bool const done = [] {
        if (!std::getenv("QUILLABY_FUZZ_LOG"))
            base::setLogSink([](std::string_view) {});
        return true;
    }();
    (void)done;
}

}
