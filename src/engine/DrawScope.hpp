#pragma once

#include <engine/BlendFunc.hpp>

#include <graphics/GLES.hpp>

namespace engine {

// The GL state of one textured draw, undone when the scope ends, so that a node
// leaves the state as the next one expects it: texturing and the vertex and
// texture-coordinate arrays (and the colour array when asked) on for the draw,
// then off again with an opaque white colour. Main thread, GL context current.
class TexturedDrawScope {
public:
    enum class Colours { Constant, PerVertex };

    explicit TexturedDrawScope(Colours colours)
        : perVertex_(colours == Colours::PerVertex) {
        glEnableClientState(GL_VERTEX_ARRAY);
        if (perVertex_)
            glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
    }
    ~TexturedDrawScope() {
        glColor4ub(255, 255, 255, 255);
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_VERTEX_ARRAY);
        if (perVertex_)
            glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    TexturedDrawScope(TexturedDrawScope const&) = delete;
    TexturedDrawScope& operator=(TexturedDrawScope const&) = delete;

private:
    bool perVertex_;
};

// A node's blend function for the length of the scope; the default one is put
// back after any other.
class BlendScope {
public:
    explicit BlendScope(BlendFunc blend)
        : changed_(blend != defaultBlendFunc) {
        if (changed_)
            glBlendFunc(blend.src, blend.dst);
    }
    ~BlendScope() {
        if (changed_)
            glBlendFunc(defaultBlendFunc.src, defaultBlendFunc.dst);
    }
    BlendScope(BlendScope const&) = delete;
    BlendScope& operator=(BlendScope const&) = delete;

private:
    bool changed_;
};

}
