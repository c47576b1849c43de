#pragma once

#include <base/Object.hpp>

#include <functional>

namespace serverkit {

// The base of the marketing kit's managers: hands results to their delegates.
class CHKObject : public base::Object {
public:
    // Runs call (a delegate's operation with its arguments bound) on the main
    // thread; from any other thread it is a broken invariant. A null call (a
    // delegate that is not there) does nothing.
    static void invokeSelector(std::function<void()> const& call);

protected:
    CHKObject() = default;
};

}
