#pragma once

#include <engine/ActionManager.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/Scheduler.hpp>
#include <engine/TouchDispatcher.hpp>
#include <services/Accelerometer.hpp>

#include <gtest/gtest.h>

namespace test {

// Drops the engine's shared objects and the director, so that a test starts and ends with
// new ones.
inline void resetEngineSingletons() {
    engine::ActionManager::purgeSharedManager();
    engine::Scheduler::purgeSharedScheduler();
    engine::TouchDispatcher::purgeSharedDispatcher();
    services::Accelerometer::purgeSharedAccelerometer();
    engine::DirectorServices::install(nullptr);
}

// Starts and ends every engine test with fresh singletons and no director.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset() { resetEngineSingletons(); }

    static void tick(float dt = 1.0f / 60) { engine::Scheduler::sharedScheduler().tick(dt); }
};

// A director of a given surface size and orientation, with the portrait and
// landscape touch conversions.
class FakeDirector final : public engine::DirectorServices {
public:
    FakeDirector(engine::Size size, int orientation)
        : size_(size)
        , orientation_(orientation) {
        install(this);
    }
    ~FakeDirector() override { install(nullptr); }

    engine::Size displaySize() const override { return size_; }
    int deviceOrientation() const override { return orientation_; }
    engine::Point convertCoordinate(engine::Point p) const override {
        float w = size_.width, h = size_.height;
        switch (orientation_) {
        case 2:
            return {w - p.x, p.y};
        case 3:
            return {p.y, p.x};
        case 4:
            return {h - p.y, w - p.x};
        default:
            return {p.x, h - p.y};
        }
    }

private:
    engine::Size size_;
    int orientation_;
};

}
