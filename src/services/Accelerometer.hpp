#pragma once

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
class Accelerometer {
public:
    static Accelerometer& sharedAccelerometer();

    AccelerometerDelegate* delegate() const { return delegate_; }
    void setDelegate(AccelerometerDelegate* delegate) { delegate_ = delegate; }
    double updateInterval() const { return updateInterval_; }
    void setUpdateInterval(double interval) { updateInterval_ = interval; }

    // Hands a reading to the delegate, as the device would.
    void report(double x, double y, double z, double timestamp);

private:
    AccelerometerDelegate* delegate_ {nullptr};
    double updateInterval_ {0.1};
};

}
