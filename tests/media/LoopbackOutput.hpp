#pragma once

#include <media/AudioOutput.hpp>

#include <cstdint>
#include <vector>

namespace test {

// Makes every output device opened while it lives a loopback device, which
// plays only as far as the test renders it.
class LoopbackOutput {
public:
    LoopbackOutput() { media::AudioOutput::setMode(media::AudioOutput::Mode::Loopback); }
    ~LoopbackOutput() { media::AudioOutput::setMode(media::AudioOutput::Mode::System); }
    LoopbackOutput(LoopbackOutput const&) = delete;
    LoopbackOutput& operator=(LoopbackOutput const&) = delete;
};

// The loopback's float output scaled back to 16-bit sample values.
inline std::vector<std::int32_t> renderSamples(ALCdevice* device, std::size_t frames) {
    std::vector<float> const out = media::AudioOutput::render(device, frames);
    std::vector<std::int32_t> samples(out.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        samples[i] = std::int32_t(out[i] * 32768.0f + (out[i] >= 0 ? 0.5f : -0.5f));
    return samples;
}

}
