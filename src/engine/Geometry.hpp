#pragma once

#include <graphics/Geometry.hpp>

namespace engine {

// The engine works in the platform's plane geometry: points, sizes, rectangles
// and affine transforms in single-precision points.
using graphics::AffineTransform;
using graphics::makePoint;
using graphics::makeRect;
using graphics::makeSize;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

// The three point functions of the engine. A zero vector normalises to itself
// rather than to NaNs, which would otherwise reach GL vertex data.
float PointLength(Point p);
Point PointNormalize(Point p);
// Radians, from the two-argument arc tangent of y over x.
float PointToAngle(Point p);

}
