#pragma once

#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <support/Tracked.hpp>

#include <gtest/gtest.h>

namespace test {

// A test on the main run loop under a manual clock: the loop and the default
// notification centre start and end empty, so no timer or observer of one case
// reaches the next.
class MainLoopTest : public ::testing::Test {
protected:
    MainLoopTest() { clear(); }
    ~MainLoopTest() override { clear(); }

    foundation::RunLoop& loop() { return foundation::RunLoop::main(); }
    double now() const { return foundation::Clock::current().monotonic(); }

    foundation::ScopedManualClock clock;

private:
    static void clear() {
        foundation::RunLoop::main().reset();
        foundation::NotificationCenter::resetDefaultCenter();
    }
};

}
