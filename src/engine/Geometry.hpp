#pragma once

#include <cmath>

namespace engine {

// Plane geometry of the engine in points, as single-precision floats: points,
// sizes, rectangles and affine transforms with the platform's semantics. A
// rectangle's origin is its minimum corner; transforms act on row vectors, so
// concat(a, b) applies a first, then b. Member names follow the platform's
// structures so that the engine's types can become aliases of a shared
// geometry header without touching callers.

struct Point {
    float x {0};
    float y {0};

    bool operator==(Point const&) const = default;
    Point operator+(Point o) const { return {x + o.x, y + o.y}; }
    Point operator-(Point o) const { return {x - o.x, y - o.y}; }
    Point operator*(float s) const { return {x * s, y * s}; }
};

struct Size {
    float width {0};
    float height {0};

    bool operator==(Size const&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    bool operator==(Rect const&) const = default;

    float minX() const { return std::fmin(origin.x, origin.x + size.width); }
    float maxX() const { return std::fmax(origin.x, origin.x + size.width); }
    float minY() const { return std::fmin(origin.y, origin.y + size.height); }
    float maxY() const { return std::fmax(origin.y, origin.y + size.height); }
    bool contains(Point p) const {
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
};

inline Point makePoint(float x, float y) {
    return {x, y};
}
inline Size makeSize(float width, float height) {
    return {width, height};
}
inline Rect makeRect(float x, float y, float width, float height) {
    return {{x, y}, {width, height}};
}

// x' = a x + c y + tx, y' = b x + d y + ty.
struct AffineTransform {
    float a {1}, b {0}, c {0}, d {1}, tx {0}, ty {0};

    bool operator==(AffineTransform const&) const = default;

    static AffineTransform identity() { return {}; }
    static AffineTransform makeTranslation(float x, float y) { return {1, 0, 0, 1, x, y}; }
    static AffineTransform makeScale(float sx, float sy) { return {sx, 0, 0, sy, 0, 0}; }
    // Radians; a positive angle turns counter-clockwise in a y-up space.
    static AffineTransform makeRotation(float angle) {
        float s = std::sin(angle), co = std::cos(angle);
        return {co, s, -s, co, 0, 0};
    }

    bool isIdentity() const { return *this == identity(); }

    // t1 then t2.
    static AffineTransform concat(AffineTransform const& t1, AffineTransform const& t2) {
        return {t1.a * t2.a + t1.b * t2.c, t1.a * t2.b + t1.b * t2.d, t1.c * t2.a + t1.d * t2.c,
            t1.c * t2.b + t1.d * t2.d, t1.tx * t2.a + t1.ty * t2.c + t2.tx,
            t1.tx * t2.b + t1.ty * t2.d + t2.ty};
    }

    // The platform's translate, rotate and scale of an existing transform: the
    // new step acts on points before this transform does.
    AffineTransform translated(float x, float y) const {
        return concat(makeTranslation(x, y), *this);
    }
    AffineTransform rotated(float angle) const { return concat(makeRotation(angle), *this); }
    AffineTransform scaled(float sx, float sy) const { return concat(makeScale(sx, sy), *this); }

    // The inverse; a singular transform is returned unchanged, as the platform does.
    AffineTransform inverted() const {
        float det = a * d - b * c;
        if (det == 0)
            return *this;
        return {
            d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
    }

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    Size applyToSize(Size s) const {
        return {a * s.width + c * s.height, b * s.width + d * s.height};
    }
};

// The three point functions of the engine. A zero vector normalises to itself
// rather than to NaNs, which would otherwise reach GL vertex data.
float PointLength(Point p);
Point PointNormalize(Point p);
// Radians, from the two-argument arc tangent of y over x.
float PointToAngle(Point p);

}
