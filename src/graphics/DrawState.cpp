#include <graphics/DrawState.hpp>

namespace graphics {

namespace {

// Main thread only, like all drawing; a value per thread keeps tests that draw on
// other threads from sharing it.
struct Known {
    bool valid {false};
    unsigned flags {0};
    int runDepth {0};
    unsigned long long changes {0};
};

thread_local Known known;

void apply(unsigned flag, bool on) {
    ++known.changes;
    switch (flag) {
    case DrawState::Texture2D:
        on ? glEnable(GL_TEXTURE_2D) : glDisable(GL_TEXTURE_2D);
        return;
    case DrawState::VertexArray:
        on ? glEnableClientState(GL_VERTEX_ARRAY) : glDisableClientState(GL_VERTEX_ARRAY);
        return;
    case DrawState::ColorArray:
        on ? glEnableClientState(GL_COLOR_ARRAY) : glDisableClientState(GL_COLOR_ARRAY);
        return;
    case DrawState::TexCoordArray:
        on ? glEnableClientState(GL_TEXTURE_COORD_ARRAY)
           : glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        return;
    default:
        return;
    }
}

}

void DrawState::set(unsigned wanted) {
    if (known.valid && known.flags == wanted)
        return;
    for (unsigned flag : {Texture2D, VertexArray, ColorArray, TexCoordArray}) {
        bool on = (wanted & flag) != 0;
        if (!known.valid || ((known.flags & flag) != 0) != on)
            apply(flag, on);
    }
    known.flags = wanted;
    known.valid = true;
}

void DrawState::forget() {
    known.valid = false;
}

bool DrawState::inRun() {
    return known.runDepth > 0;
}

DrawState::Run::Run() {
    if (known.runDepth++ == 0)
        forget();
}

DrawState::Run::~Run() {
    if (--known.runDepth == 0)
        restoreDefaults();
}

unsigned long long DrawState::changeCount() {
    return known.changes;
}

}
