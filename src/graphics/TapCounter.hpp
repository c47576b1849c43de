#pragma once

namespace graphics {

// Counts taps as the platform does for a finger: a press within maxInterval seconds of the
// previous press and within maxDistance points of where that one began continues its series
// (tap count 2, 3, ...); any other press starts a new series at 1. A press that wanders more
// than maxDistance from where it began is a drag, not a tap, and ends the series. Intervals run
// from press to press, so a long hold followed by a quick press counts 1. Owned by whatever
// turns raw input into pointer events; main thread.
class TapCounter {
public:
    static constexpr double maxInterval = 0.3;
    static constexpr float maxDistance = 8;

    // The tap count of a press at (x, y) at timestamp seconds.
    int press(float x, float y, double timestamp);
    // The press in progress moved to (x, y).
    void move(float x, float y);
    void reset();

private:
    bool hasPrevious_ {false};
    bool dragged_ {false};
    float x_ {0};
    float y_ {0};
    double timestamp_ {0};
    int count_ {0};
};

}
