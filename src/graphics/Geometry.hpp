#pragma once

#include <cmath>

namespace graphics {

// The platform's plane geometry in points, as floats: points, sizes, rectangles
// and affine transforms, with the platform's semantics (a rectangle's origin is
// its minimum corner; transforms act on row vectors, so concat(a, b) applies a
// first, then b).

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
    float midX() const { return origin.x + size.width / 2; }
    float midY() const { return origin.y + size.height / 2; }
    bool isEmpty() const { return size.width == 0 || size.height == 0; }

    // Inside on the minimum edges, outside on the maximum edges, as the platform
    // decides hits.
    bool contains(Point p) const {
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
    bool intersects(Rect const& o) const {
        return minX() < o.maxX() && o.minX() < maxX() && minY() < o.maxY() && o.minY() < maxY();
    }
    Rect offsetBy(float dx, float dy) const { return {{origin.x + dx, origin.y + dy}, size}; }
    Rect insetBy(float dx, float dy) const {
        return {{origin.x + dx, origin.y + dy}, {size.width - 2 * dx, size.height - 2 * dy}};
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
    // Angle in radians, counter-clockwise for positive angles in a y-up space.
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

    // The platform's translate, rotate and scale of an existing transform: the new
    // step acts before this transform.
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
    Size apply(Size s) const { return {a * s.width + c * s.height, b * s.width + d * s.height}; }
    // The smallest rectangle holding the transformed corners.
    Rect apply(Rect const& r) const {
        Point p[4] = {apply(Point {r.minX(), r.minY()}), apply(Point {r.maxX(), r.minY()}),
            apply(Point {r.minX(), r.maxY()}), apply(Point {r.maxX(), r.maxY()})};
        float x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
        for (auto const& q : p) {
            x0 = std::fmin(x0, q.x);
            x1 = std::fmax(x1, q.x);
            y0 = std::fmin(y0, q.y);
            y1 = std::fmax(y1, q.y);
        }
        return {{x0, y0}, {x1 - x0, y1 - y0}};
    }
};

}
