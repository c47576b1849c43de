#pragma once

#include <base/Ref.hpp>

namespace services {

// Receives the device's acceleration, in g along each axis.
class AccelerometerDelegate {
public:
    virtual ~AccelerometerDelegate() = default;
    virtual void accelerometerDidAccelerate(double, double, double, double) { }
};

// The device's shared accelerometer. This machine has none: nothing arrives unless
// a test or a scripted play reports a reading. The delegate is not retained.
// Main thread only.
class Accelerometer final : public base::Object {
public:
    static Accelerometer& sharedAccelerometer();
    // Drops the instance; the next sharedAccelerometer() makes a new one with no
    // delegate and the default interval.
    static void purgeSharedAccelerometer();

    AccelerometerDelegate* delegate() const { return delegate_; }
    void setDelegate(AccelerometerDelegate* delegate) { delegate_ = delegate; }
    double updateInterval() const { return updateInterval_; }
    void setUpdateInterval(double interval) { updateInterval_ = interval; }

    // Hands a reading to the delegate, as the device would.
    void report(double x, double y, double z, double timestamp);

private:
    friend base::Factory;

    Accelerometer() = default;

    AccelerometerDelegate* delegate_ {nullptr};
    double updateInterval_ {0.1};
};

}
