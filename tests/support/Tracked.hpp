#pragma once

#include <base/Object.hpp>

namespace test {

// An object that counts its live instances in a counter of the test, to see what keeps
// objects alive (references, timers, delayed calls) and when they go.
struct Tracked : base::Object {
    ~Tracked() override { --alive; }
    int& alive;

protected:
    friend base::Factory;

    explicit Tracked(int& counter)
        : alive(counter) {
        ++alive;
    }
};

}
