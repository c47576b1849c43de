#include <bundlegen/Music.hpp>
#include <bundlegen/Sound.hpp>

#include <algorithm>
#include <cmath>

namespace bundlegen {

using namespace synth;

namespace {

int const majorScale[7] = {0, 2, 4, 5, 7, 9, 11};

// MIDI note of scale degree `degree` (may exceed 6 or be negative) in the key.
int noteOf(int root, int degree) {
    int octave = degree >= 0 ? degree / 7 : -((-degree + 6) / 7);
    int step = degree - octave * 7;
    return root + octave * 12 + majorScale[step];
}

struct Note {
    double beat; // onset within the phrase, in beats
    double length; // in beats
    int degree; // relative to the chord root for strong beats, to the key otherwise
    bool chordTone;
};

// A two-bar motif: rhythm and contour.
std::vector<Note> motif(Random& random) {
    static double const rhythms[][8] = {
        {1, 0.5, 0.5, 1, 1, 2, 1, 1},
        {0.5, 0.5, 1, 0.5, 0.5, 1, 2, 2},
        {1.5, 0.5, 1, 1, 1.5, 0.5, 2, 0},
        {1, 1, 0.5, 0.5, 1, 3, 1, 0},
    };
    auto const& rhythm = rhythms[random.below(4)];
    std::vector<Note> notes;
    double beat = 0;
    int degree = random.below(3) * 2;
    for (double length : rhythm) {
        if (length <= 0 || beat >= 8)
            break;
        bool strong = std::fmod(beat, 2.0) == 0;
        notes.push_back({beat, std::min(length, 8 - beat), degree, strong});
        int step = random.below(5) - 2;
        degree = std::clamp(degree + (step == 0 ? 1 : step), -2, 7);
        beat += length;
    }
    return notes;
}

void leadNote(Buffer& b, MusicStyle::Lead lead, double start, double seconds, int midi, double amp,
    uint32_t seed) {
    double hz = midiToHz(midi);
    switch (lead) {
    case MusicStyle::Lead::Bell:
        bell(b, start, hz, amp * 0.8, std::max(0.6, seconds * 1.6), 3.5, 1.4);
        break;
    case MusicStyle::Lead::Flute:
        tone(
            b, start, seconds * 0.92, hz, amp * 0.7, Wave::Triangle, {0.04, 0.1, 0.8, 0.12}, 0.006);
        tone(b, start, seconds * 0.92, hz * 2, amp * 0.08, Wave::Sine, {0.05, 0.1, 0.6, 0.1});
        break;
    case MusicStyle::Lead::Pluck:
    default:
        pluck(b, start, hz, amp, std::max(0.5, seconds * 1.8), seed);
        tone(b, start, seconds * 0.7, hz, amp * 0.18, Wave::Sine, {0.01, 0.2, 0.4, 0.1});
        break;
    }
}

}

Buffer compose(MusicStyle const& style) {
    double beat = 60.0 / style.bpm;
    double bar = beat * 4;
    int bars = style.bars;
    if (style.seconds > 0)
        bars = static_cast<int>(std::ceil(style.seconds / bar));
    double total = bars * bar;
    Buffer b = silence(total + 3);
    Random random(style.seed);

    // Four motifs: A, its answer, the bridge and a closing phrase.
    std::vector<Note> motifs[4];
    for (auto& m : motifs)
        m = motif(random);

    for (int barIndex = 0; barIndex < bars; ++barIndex) {
        double t0 = barIndex * bar;
        int section = (barIndex / 8) % 4; // A A' B A''
        bool bridge = section == 2;
        auto const& progression = bridge ? style.bridge : style.verse;
        int chord = progression[barIndex % progression.size()];
        bool last = barIndex == bars - 1;
        if (last)
            chord = 0;

        // Pad: the triad held through the bar.
        for (int k = 0; k < 3; ++k) {
            int midi = noteOf(style.root, chord + 2 * k);
            tone(b, t0, bar * 0.95, midiToHz(midi), 0.045, Wave::Triangle, {0.25, 0.4, 0.8, 0.35});
        }
        // Bass on beats 1 and 3, with a passing note before the next bar.
        int bassNote = noteOf(style.root - 24, chord);
        pluck(b, t0, midiToHz(bassNote), 0.32, beat * 1.8, 11 + barIndex);
        pluck(b, t0 + 2 * beat, midiToHz(bassNote + (barIndex % 2 ? 7 : 0)), 0.26, beat * 1.6,
            17 + barIndex);
        if (barIndex % 4 == 3)
            pluck(b, t0 + 3.5 * beat, midiToHz(noteOf(style.root - 24, chord + 1)), 0.2, beat, 23);
        // A light beat.
        if (style.drums) {
            kick(b, t0, 0.32);
            kick(b, t0 + 2 * beat, 0.24);
            for (int e = 0; e < 8; ++e) {
                double swing = (e % 2) ? style.swing * beat * 0.5 : 0;
                hat(b, t0 + e * beat / 2 + swing, (e % 2) ? 0.05 : 0.08, 31 + e + barIndex * 8);
            }
            if (barIndex % 2 == 1)
                noise(b, t0 + beat, 0.06, 0.09, 3000, {0.001, 0.05, 0.2, 0.06}, 77 + barIndex, 600);
        }
        // Melody: two-bar phrases; odd sections vary the motif by a step.
        if (barIndex % 2 == 0 && !last) {
            int which = section == 2 ? 2 : ((barIndex / 2) % 4 == 3 ? 3 : (barIndex / 2) % 2);
            int shift = section == 1 || section == 3 ? ((barIndex / 2) % 2 ? 1 : -1) : 0;
            for (Note const& n : motifs[which]) {
                double start = t0 + n.beat * beat;
                if (std::fmod(n.beat, 1.0) != 0)
                    start += style.swing * beat * 0.5;
                int harmonyChord = progression[(barIndex + int(n.beat / 4)) % progression.size()];
                int degree = n.chordTone ? harmonyChord + (n.degree / 2) * 2 : n.degree + shift;
                int midi = noteOf(style.root + 12, degree);
                while (midi > style.root + 26)
                    midi -= 12;
                leadNote(b, style.lead, start, n.length * beat, midi, 0.2,
                    static_cast<uint32_t>(barIndex * 31 + n.beat * 7 + 3));
            }
        }
    }
    // The closing chord rings on the last bar.
    for (int k = 0; k < 3; ++k)
        bell(b, (bars - 1) * bar, midiToHz(noteOf(style.root + 12, 2 * k)), 0.08, bar * 0.9, 2.0,
            0.8);

    echo(b, beat * 0.75, 0.3, 0.25);
    size_t length = static_cast<size_t>(total * soundRate);
    if (style.seconds > 0) {
        length = static_cast<size_t>(style.seconds * soundRate);
        b.resize(length);
        size_t fade = std::min(length, static_cast<size_t>(1.5 * soundRate));
        for (size_t i = 0; i < fade; ++i)
            b[length - 1 - i] *= static_cast<float>(double(i) / fade);
    } else {
        // Loop: what rings past the end is laid over the beginning.
        for (size_t i = length; i < b.size(); ++i)
            b[i - length] += b[i];
        b.resize(length);
    }
    normalize(b, 0.8);
    fadeEdges(b, 0.002);
    return b;
}

}
