#pragma once

#include <graphics/GLES.hpp>

namespace graphics {

// Remembers the four pieces of fixed-function state that nearly every textured draw
// changes (texturing and the vertex, colour and texture-coordinate arrays), so that a
// run of draws needing the same state sets it once. Turning one of them on or off is
// cheap to call but makes the driver validate its state again at the next draw, which
// for a run of small draws costs more than the draws themselves.
//
// The rule for everyone else stays as it was: between draws the four are off. Inside
// a run (see Run) the engine's textured draws leave them as they need them and the
// next draw of the run sets only what differs; the run's end, and any draw of the run
// that does not go through this cache, first turn them off again. A run starts by
// forgetting what it knows, so state changed by foreign code between runs (the view
// renderer, tests, another context) is never trusted. Main thread, GL context current.
class DrawState {
public:
    enum Flag : unsigned {
        Texture2D = 1u << 0,
        VertexArray = 1u << 1,
        ColorArray = 1u << 2,
        TexCoordArray = 1u << 3,
    };

    // Makes exactly the flags in wanted on and the others off, issuing the GL calls
    // for those that differ from what was last set (all of them when nothing is known).
    static void set(unsigned wanted);
    // All four off, as code outside the cache expects.
    static void restoreDefaults() { set(0); }
    // Forgets what was last set: the next set issues every call.
    static void forget();
    // Whether a run is under way, so that a draw may leave its state for the next.
    static bool inRun();

    // One run of draws, such as the visit of a scene: runs nest, and the outermost
    // one forgets the known state when it starts and turns everything off when it ends.
    class Run {
    public:
        Run();
        ~Run();
        Run(Run const&) = delete;
        Run& operator=(Run const&) = delete;
    };

    // GL enable and disable calls issued through the cache so far, for tests and benchmarks.
    static unsigned long long changeCount();
};

}
