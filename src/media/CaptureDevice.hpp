#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace media {

// A microphone: 16-bit PCM frames recorded since start(), read out in order.
// OpenAL's default capture device by default; tests install an opener of their
// own, since a machine without a sound card has no microphone. One owner.
class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;

    virtual bool start() = 0;
    virtual void stop() = 0;
    // Moves up to maxFrames recorded frames into out (channels samples each);
    // answers how many.
    virtual std::size_t read(std::int16_t* out, std::size_t maxFrames) = 0;

    using Opener = std::function<std::unique_ptr<CaptureDevice>(int sampleRate, int channels)>;
    // A microphone recording sampleRate frames a second of one or two channels,
    // or null when there is none.
    static std::unique_ptr<CaptureDevice> open(int sampleRate, int channels);
    // Replaces how microphones are opened; null restores OpenAL capture.
    static void setOpener(Opener opener);
};

}
