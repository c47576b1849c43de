#pragma once

#include <engine/DirectorServices.hpp>

#include <graphics/GLES.hpp>

#include <algorithm>
#include <cmath>

namespace engine {

// Clips drawing to a box of the window for the length of the scope. The box is
// given in whole points from the bottom-left, as the scene counts; it becomes
// pixels by the surface's pixels per point, so the clip covers the same part of
// the scene at any window scale. A negative width or height clips everything.
// The scissor test and box in force before are put back when the scope ends.
// Main thread, GL context current.
class ScissorScope {
public:
    ScissorScope(int x, int y, int width, int height) {
        enabled_ = glIsEnabled(GL_SCISSOR_TEST);
        glGetIntegerv(GL_SCISSOR_BOX, box_);
        float scale = DirectorServices::current().contentScaleFactor();
        auto pixels = [scale](int points) { return GLint(std::lround(float(points) * scale)); };
        glEnable(GL_SCISSOR_TEST);
        glScissor(pixels(x), pixels(y), std::max(0, pixels(width)), std::max(0, pixels(height)));
    }
    ~ScissorScope() {
        glScissor(box_[0], box_[1], box_[2], box_[3]);
        if (!enabled_)
            glDisable(GL_SCISSOR_TEST);
    }
    ScissorScope(ScissorScope const&) = delete;
    ScissorScope& operator=(ScissorScope const&) = delete;

private:
    GLboolean enabled_ {GL_FALSE};
    GLint box_[4] {};
};

}
