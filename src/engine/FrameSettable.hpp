#pragma once

#include <base/Object.hpp>

namespace engine {

// What a node that shows one frame of an animation at a time answers: sprites
// show a texture, atlas sprites a rectangle of their sheet. A frame is whatever
// object the node's kind uses; the node decides what a frame of another kind
// means. The frame-animation action finds it on its target with dynamic_cast.
// Main thread only.
class FrameSettable {
public:
    virtual ~FrameSettable() = default;

    virtual void setDisplayFrame(base::Object* frame) = 0;
    // True when the frame is the very object shown.
    virtual bool isFrameDisplayed(base::Object* frame) const = 0;
    // The frame shown, or null.
    virtual base::Object* displayFrame() const = 0;
};

}
