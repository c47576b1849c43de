#pragma once

#include <engine/Color.hpp>

namespace engine {

// The outline scheme that textured nodes, labels and sprite batches share: on or
// off, a colour and a size in points. Each node draws its outline its own way,
// before its own image. Main thread.
class Outline {
public:
    // Where the copies of an outline go, in units of its size, in drawing order.
    static constexpr float offsets[8][2]
        = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};

    Outline(Color3B color, float size)
        : strokeColor_(color)
        , strokeSize_(size) { }

    bool stroke() const { return stroke_; }
    void setStroke(bool stroke) { stroke_ = stroke; }
    Color3B strokeColor() const { return strokeColor_; }
    void setStrokeColor(Color3B color) { strokeColor_ = color; }
    float strokeSize() const { return strokeSize_; }
    void setStrokeSize(float size) { strokeSize_ = size; }

protected:
    ~Outline() = default;

private:
    bool stroke_ {false};
    Color3B strokeColor_;
    float strokeSize_;
};

}
