#include <services/Accelerometer.hpp>

#include <base/SharedInstance.hpp>

namespace services {

Accelerometer& Accelerometer::sharedAccelerometer() {
    return base::SharedInstance<Accelerometer>::get();
}

void Accelerometer::purgeSharedAccelerometer() {
    base::SharedInstance<Accelerometer>::reset();
}

void Accelerometer::report(double x, double y, double z, double timestamp) {
    if (delegate_)
        delegate_->accelerometerDidAccelerate(x, y, z, timestamp);
}

}
