#pragma once

#include <base/Object.hpp>
#include <engine/Forward.hpp>

#include <string>

namespace engine {

// A node's look-at camera: an eye, a centre and an up vector. While dirty it
// replaces the model-view matrix with its view each time the node is drawn, so
// a camera that was moved keeps applying until setDirty(false) or restore().
// The node owns it and makes it on first use. Main thread; locate needs a
// current GL ES 1.1 context.
class Camera final : public base::Object {
public:
    // Eye at the centre of the display at getZEye(), looking at the display's
    // centre with y up; not dirty.
    void restore();
    // When dirty: identity, the device orientation's rotation, the look-at, and
    // for the landscape orientations the fixed shift of (-80, 80).
    void locate();
    // The eye's distance from the screen plane at which one unit is one point:
    // the display height / 1.1566.
    static float getZEye();

    void setEyeX(float x, float y, float z);
    void setCenterX(float x, float y, float z);
    void setUpX(float x, float y, float z);
    void eyeX(float& x, float& y, float& z) const;
    void centerX(float& x, float& y, float& z) const;
    void upX(float& x, float& y, float& z) const;

    bool dirty() const { return dirty_; }
    void setDirty(bool dirty) { dirty_ = dirty; }

    std::string description() const;

private:
    float eyeX_, eyeY_, eyeZ_;
    float centerX_, centerY_, centerZ_;
    float upX_, upY_, upZ_;
    bool dirty_ {false};

    friend base::Factory;

    // Starts restored.
    Camera();
};

}
