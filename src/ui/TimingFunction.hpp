#pragma once

namespace ui {

// The pace of an animation: maps the fraction of its time that has passed to the
// fraction of the change to show, as a cubic Bezier curve from (0, 0) to (1, 1) with two
// control points. A plain value.
class TimingFunction {
public:
    // The platform's named curves.
    static TimingFunction linear() { return {0, 0, 1, 1}; }
    static TimingFunction easeIn() { return {0.42f, 0, 1, 1}; }
    static TimingFunction easeOut() { return {0, 0, 0.58f, 1}; }
    static TimingFunction easeInEaseOut() { return {0.42f, 0, 0.58f, 1}; }

    TimingFunction(float x1, float y1, float x2, float y2)
        : x1_(x1)
        , y1_(y1)
        , x2_(x2)
        , y2_(y2) { }

    // The progress at time fraction t; t outside 0 to 1 is clamped.
    float valueAt(float t) const;

    bool operator==(TimingFunction const&) const = default;

private:
    float x1_, y1_, x2_, y2_;
};

}
