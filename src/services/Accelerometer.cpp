#include <services/Accelerometer.hpp>

namespace services {

Accelerometer& Accelerometer::sharedAccelerometer() {
    static Accelerometer accelerometer;
    return accelerometer;
}

void Accelerometer::report(double x, double y, double z, double timestamp) {
    if (delegate_)
        delegate_->accelerometerDidAccelerate(x, y, z, timestamp);
}

}
