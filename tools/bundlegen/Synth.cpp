#include <bundlegen/Sound.hpp>
#include <bundlegen/Synth.hpp>

#include <algorithm>
#include <cmath>

namespace bundlegen::synth {

namespace {

constexpr double twoPi = 2 * M_PI;

double waveAt(Wave wave, double phase) {
    double p = phase - std::floor(phase);
    switch (wave) {
    case Wave::Triangle:
        return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    case Wave::Square:
        // Rounded a little so it is not harsh.
        return std::tanh(std::sin(twoPi * p) * 3.0);
    case Wave::Saw:
        return std::tanh((2 * p - 1) * 1.6) / std::tanh(1.6);
    case Wave::Sine:
    default:
        return std::sin(twoPi * p);
    }
}

double envelopeAt(Envelope const& e, double t, double duration) {
    if (t < 0)
        return 0;
    double level;
    if (t < e.attack)
        level = t / e.attack;
    else if (t < e.attack + e.decay)
        level = 1 - (1 - e.sustain) * (t - e.attack) / e.decay;
    else
        level = e.sustain;
    if (t > duration) {
        double r = (t - duration) / std::max(1e-4, e.release);
        if (r >= 1)
            return 0;
        double held = duration < e.attack   ? duration / e.attack
            : duration < e.attack + e.decay ? 1 - (1 - e.sustain) * (duration - e.attack) / e.decay
                                            : e.sustain;
        level = held * (1 - r);
    }
    return level;
}

size_t index(double seconds) {
    return static_cast<size_t>(std::max(0.0, seconds) * soundRate);
}

void ensure(Buffer& b, size_t n) {
    if (b.size() < n)
        b.resize(n, 0.0f);
}

}

Buffer silence(double seconds) {
    return Buffer(index(seconds), 0.0f);
}

double midiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

void tone(Buffer& b, double start, double duration, double hz, double amp, Wave wave, Envelope env,
    double vibrato) {
    size_t begin = index(start);
    size_t count = index(duration + env.release);
    ensure(b, begin + count);
    double phase = 0;
    for (size_t i = 0; i < count; ++i) {
        double t = double(i) / soundRate;
        double f = hz * (1 + vibrato * std::sin(twoPi * 5.5 * t) * std::min(1.0, t * 3));
        phase += f / soundRate;
        b[begin + i]
            += static_cast<float>(amp * envelopeAt(env, t, duration) * waveAt(wave, phase));
    }
}

void bell(Buffer& b, double start, double hz, double amp, double decay, double ratio, double idx) {
    size_t begin = index(start);
    size_t count = index(decay);
    ensure(b, begin + count);
    for (size_t i = 0; i < count; ++i) {
        double t = double(i) / soundRate;
        double env = std::exp(-t * 5.0 / decay) * std::min(1.0, t / 0.002);
        double mod = idx * std::exp(-t * 7.0 / decay) * std::sin(twoPi * hz * ratio * t);
        b[begin + i] += static_cast<float>(amp * env * std::sin(twoPi * hz * t + mod));
    }
}

void pluck(Buffer& b, double start, double hz, double amp, double decay, uint32_t seed) {
    size_t begin = index(start);
    size_t count = index(decay);
    ensure(b, begin + count);
    size_t period = std::max<size_t>(2, static_cast<size_t>(soundRate / hz));
    std::vector<double> line(period);
    Random random(seed);
    for (auto& v : line)
        v = random.uniform() * 2 - 1;
    // Smooth the excitation once: a rounder, warmer attack.
    for (size_t i = 1; i < period; ++i)
        line[i] = 0.5 * (line[i] + line[i - 1]);
    double damping = std::pow(0.001, 1.0 / (decay * hz));
    size_t pos = 0;
    for (size_t i = 0; i < count; ++i) {
        size_t next = (pos + 1) % period;
        double out = line[pos];
        line[pos] = 0.5 * (line[pos] + line[next]) * damping;
        pos = next;
        double fade = i + 200 > count ? (count - i) / 200.0 : 1.0;
        b[begin + i] += static_cast<float>(amp * out * fade);
    }
}

void sweep(Buffer& b, double start, double duration, double hz0, double hz1, double amp, Wave wave,
    Envelope env) {
    size_t begin = index(start);
    size_t count = index(duration + env.release);
    ensure(b, begin + count);
    double phase = 0;
    for (size_t i = 0; i < count; ++i) {
        double t = double(i) / soundRate;
        double k = std::min(1.0, t / duration);
        double f = hz0 * std::pow(hz1 / hz0, k);
        phase += f / soundRate;
        b[begin + i]
            += static_cast<float>(amp * envelopeAt(env, t, duration) * waveAt(wave, phase));
    }
}

void noise(Buffer& b, double start, double duration, double amp, double cutoff, Envelope env,
    uint32_t seed, double highpass) {
    size_t begin = index(start);
    size_t count = index(duration + env.release);
    ensure(b, begin + count);
    Random random(seed);
    double a = 1 - std::exp(-twoPi * cutoff / soundRate);
    double h = highpass > 0 ? 1 - std::exp(-twoPi * highpass / soundRate) : 0;
    double low = 0;
    double lowForHigh = 0;
    for (size_t i = 0; i < count; ++i) {
        double t = double(i) / soundRate;
        double n = random.uniform() * 2 - 1;
        low += a * (n - low);
        double out = low;
        if (h > 0) {
            lowForHigh += h * (out - lowForHigh);
            out -= lowForHigh;
        }
        b[begin + i] += static_cast<float>(amp * envelopeAt(env, t, duration) * out);
    }
}

void kick(Buffer& b, double start, double amp) {
    sweep(b, start, 0.12, 110, 42, amp, Wave::Sine, {0.002, 0.08, 0.3, 0.08});
}

void hat(Buffer& b, double start, double amp, uint32_t seed) {
    noise(b, start, 0.02, amp, 9000, {0.001, 0.02, 0.2, 0.03}, seed, 5000);
}

void echo(Buffer& b, double delay, double feedback, double mix) {
    size_t d = index(delay);
    if (d == 0)
        return;
    std::vector<float> wet(b.size(), 0.0f);
    for (size_t i = d; i < b.size(); ++i)
        wet[i] = static_cast<float>((b[i - d] + wet[i - d]) * feedback);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] += static_cast<float>(wet[i] * mix);
}

Buffer& normalize(Buffer& b, double peak) {
    float top = 0;
    for (float v : b)
        top = std::max(top, std::abs(v));
    if (top > 0)
        for (float& v : b)
            v = static_cast<float>(v * peak / top);
    return b;
}

void fadeEdges(Buffer& b, double seconds) {
    size_t n = std::min(b.size() / 2, index(seconds));
    for (size_t i = 0; i < n; ++i) {
        float k = static_cast<float>(double(i) / n);
        b[i] *= k;
        b[b.size() - 1 - i] *= k;
    }
}

}
