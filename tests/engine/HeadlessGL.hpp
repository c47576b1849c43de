#pragma once

#include <array>

namespace test {

// A GL ES 1.1 context made current on this thread without any surface, for
// tests that issue matrix operations and read them back. One per test program,
// made on first use and kept until exit.
class HeadlessGL {
public:
    // False when no context could be made; tests then skip.
    static bool makeCurrent();

    // The current model-view matrix, column-major.
    static std::array<float, 16> modelView();
};

}
