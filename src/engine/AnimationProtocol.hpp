#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <string>
#include <vector>

namespace engine {

// A named list of frames shown one after another, each for `delay` seconds:
// the source of the frame-animation action. Sprites keep animations of whole
// textures, atlas sprites animations of sheet rectangles; both derive from
// this. The frames are the objects a FrameSettable node displays. Main thread.
class AnimationProtocol : public base::Object {
public:
    virtual std::vector<base::Ref<base::Object>> const& frames() const = 0;
    // Seconds per frame.
    virtual float delay() const = 0;
    virtual std::string name() const = 0;

protected:
    ~AnimationProtocol() override = default;

    friend base::Factory;

    AnimationProtocol() = default;
};

}
