#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Geometry.hpp>

#include <string>

namespace engine {

// One frame of an atlas sprite: a rectangle of its sheet in texture pixels, from
// the sheet's top-left. Main thread.
class AtlasSpriteFrame final : public base::Object {
public:
    static base::Ref<AtlasSpriteFrame> frameWithRect(Rect rect);

    Rect rect() const { return rect_; }
    void setRect(Rect rect) { rect_ = rect; }

    std::string description() const;

private:
    Rect rect_;

    friend base::Factory;

    // Use frameWithRect.
    explicit AtlasSpriteFrame(Rect rect)
        : rect_(rect) { }
};

}
