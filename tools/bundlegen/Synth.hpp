#pragma once

#include <cstdint>
#include <vector>

namespace bundlegen::synth {

// Small sound-making vocabulary over mono float buffers at soundRate: tones with
// envelopes, FM bells, plucked strings, filtered noise and sweeps. Every sound effect
// and the music are mixed from these.

enum class Wave { Sine, Triangle, Square, Saw };

struct Envelope {
    double attack {0.005};
    double decay {0.1};
    double sustain {0.7};
    double release {0.1};
};

using Buffer = std::vector<float>;

Buffer silence(double seconds);
double midiToHz(double note);

// Adds a tone starting at `start` seconds lasting `duration` (then the release).
void tone(Buffer&, double start, double duration, double hz, double amp, Wave = Wave::Sine,
    Envelope = {}, double vibrato = 0);
// A bell: FM with a decaying index, `decay` seconds to silence.
void bell(Buffer&, double start, double hz, double amp, double decay = 1.2, double ratio = 3.5,
    double index = 2.0);
// A plucked string (Karplus-Strong).
void pluck(Buffer&, double start, double hz, double amp, double decay = 0.8, uint32_t seed = 1);
// A frequency glide from hz0 to hz1.
void sweep(Buffer&, double start, double duration, double hz0, double hz1, double amp,
    Wave = Wave::Sine, Envelope = {0.005, 0.05, 0.8, 0.05});
// Noise through a one-pole low-pass at `cutoff` Hz (and a high-pass at `highpass` Hz).
void noise(Buffer&, double start, double duration, double amp, double cutoff, Envelope = {},
    uint32_t seed = 7, double highpass = 0);
// A soft kick drum and a closed hat, for the music.
void kick(Buffer&, double start, double amp);
void hat(Buffer&, double start, double amp, uint32_t seed);

// A feedback echo, for space.
void echo(Buffer&, double delay, double feedback, double mix);
// Scales to the given peak; returns the buffer.
Buffer& normalize(Buffer&, double peak = 0.85);
// Short fades at both ends so nothing clicks.
void fadeEdges(Buffer&, double seconds = 0.004);

// A deterministic random source (the same on every machine).
class Random {
public:
    explicit Random(uint32_t seed)
        : state_(seed ? seed : 1) { }
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double uniform() { return next() / 4294967296.0; }
    int below(int n) { return static_cast<int>(uniform() * n); }

private:
    uint32_t state_;
};

}
