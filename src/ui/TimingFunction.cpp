#include <ui/TimingFunction.hpp>

#include <cmath>

namespace ui {

namespace {

// One coordinate of the curve with end points 0 and 1 and control values p1, p2.
double bezier(double s, double p1, double p2) {
    double u = 1 - s;
    return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
}

double bezierSlope(double s, double p1, double p2) {
    double u = 1 - s;
    return 3 * u * u * p1 + 6 * u * s * (p2 - p1) + 3 * s * s * (1 - p2);
}

}

float TimingFunction::valueAt(float t) const {
    if (!(t > 0))
        return 0;
    if (t >= 1)
        return 1;
    // Find the curve parameter whose x is t: Newton's method from a good guess, with
    // bisection as the fallback where the slope is too flat to trust.
    double s = t;
    for (int i = 0; i < 8; ++i) {
        double error = bezier(s, x1_, x2_) - t;
        if (std::fabs(error) < 1e-7)
            return float(bezier(s, y1_, y2_));
        double slope = bezierSlope(s, x1_, x2_);
        if (std::fabs(slope) < 1e-6)
            break;
        s -= error / slope;
        if (s < 0 || s > 1)
            break;
    }
    double low = 0, high = 1;
    s = t;
    for (int i = 0; i < 60; ++i) {
        double x = bezier(s, x1_, x2_);
        if (std::fabs(x - t) < 1e-7)
            break;
        if (x < t)
            low = s;
        else
            high = s;
        s = (low + high) / 2;
    }
    return float(bezier(s, y1_, y2_));
}

}
