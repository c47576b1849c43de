#pragma once

#include <engine/BlendFunc.hpp>

#include <graphics/DrawState.hpp>
#include <graphics/GLES.hpp>

namespace engine {

// The GL state of one textured draw: texturing and the vertex and texture-coordinate
// arrays (and the colour array when asked) on for the draw, and the colour back to
// opaque white after it. Outside a run of draws (graphics::DrawState::Run, which every
// visit of the tree opens) the state is turned off again when the scope ends; inside
// one it is left for the next draw, which sets only what it needs differently.
// Main thread, GL context current.
class TexturedDrawScope {
public:
    enum class Colours { Constant, PerVertex };

    explicit TexturedDrawScope(Colours colours) {
        using graphics::DrawState;
        DrawState::set(DrawState::Texture2D | DrawState::VertexArray | DrawState::TexCoordArray
            | (colours == Colours::PerVertex ? DrawState::ColorArray : 0u));
    }
    ~TexturedDrawScope() {
        glColor4ub(255, 255, 255, 255);
        if (!graphics::DrawState::inRun())
            graphics::DrawState::restoreDefaults();
    }
    TexturedDrawScope(TexturedDrawScope const&) = delete;
    TexturedDrawScope& operator=(TexturedDrawScope const&) = delete;
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
