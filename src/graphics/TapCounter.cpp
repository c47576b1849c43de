#include <graphics/TapCounter.hpp>

#include <cmath>

namespace graphics {

namespace {

// Timestamps are sums of binary fractions: 1.3 - 1.0 is a hair above 0.3.
constexpr double slack = 1e-9;

bool near(float x1, float y1, float x2, float y2) {
    return std::hypot(x1 - x2, y1 - y2) <= TapCounter::maxDistance;
}

}

int TapCounter::press(float x, float y, double timestamp) {
    bool continues = hasPrevious_ && !dragged_ && timestamp >= timestamp_
        && timestamp - timestamp_ <= maxInterval + slack && near(x, y, x_, y_);
    count_ = continues ? count_ + 1 : 1;
    hasPrevious_ = true;
    dragged_ = false;
    x_ = x;
    y_ = y;
    timestamp_ = timestamp;
    return count_;
}

void TapCounter::move(float x, float y) {
    if (hasPrevious_ && !near(x, y, x_, y_))
        dragged_ = true;
}

void TapCounter::reset() {
    *this = TapCounter();
}

}
