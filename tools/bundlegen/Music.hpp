#pragma once

#include <bundlegen/Synth.hpp>

#include <cstdint>
#include <vector>

namespace bundlegen {

// A small procedural composer: a chord progression per section, a bass, a soft pad, a
// light beat and a lead melody made of a seeded motif and its variations. The same
// style and seed always give the same piece.
struct MusicStyle {
    enum class Lead { Pluck, Bell, Flute };

    double bpm {96};
    int root {60}; // MIDI note of the key's tonic
    std::vector<int> verse {0, 5, 3, 4}; // scale degrees, one chord per bar
    std::vector<int> bridge {3, 4, 2, 5};
    int bars {32};
    uint32_t seed {1};
    Lead lead {Lead::Pluck};
    bool drums {true};
    double swing {0}; // 0..0.3 of an eighth
    double seconds {0}; // 0: exactly `bars` bars and loops; else cut and faded
};

synth::Buffer compose(MusicStyle const&);

}
