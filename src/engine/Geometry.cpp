#include <engine/Geometry.hpp>

namespace engine {

float PointLength(Point p) {
    return std::sqrt(p.x * p.x + p.y * p.y);
}

Point PointNormalize(Point p) {
    float length = PointLength(p);
    if (length == 0)
        return p;
    return p * (1.0f / length);
}

float PointToAngle(Point p) {
    return std::atan2(p.y, p.x);
}

}
