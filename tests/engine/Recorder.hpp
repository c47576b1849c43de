#pragma once

#include <base/Object.hpp>

#include <functional>
#include <vector>

namespace test {

// A scheduling target that records the time of every call and counts its
// live instances.
class Recorder : public base::Object {
public:
    ~Recorder() override { --alive; }

    void call(float dt) {
        calls.push_back(dt);
        if (onCall)
            onCall(dt);
    }
    void other(float dt) { otherCalls.push_back(dt); }

    std::vector<float> calls;
    std::vector<float> otherCalls;
    std::function<void(float)> onCall;

    static inline int alive = 0;

protected:
    friend base::Factory;

    Recorder() { ++alive; }
};

}
