#include <media/CaptureDevice.hpp>

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <mutex>

namespace media {

namespace {

class OpenALCapture final : public CaptureDevice {
public:
    explicit OpenALCapture(ALCdevice* device)
        : device_(device) { }
    ~OpenALCapture() override {
        stop();
        alcCaptureCloseDevice(device_);
    }

    bool start() override {
        alcCaptureStart(device_);
        started_ = alcGetError(device_) == ALC_NO_ERROR;
        return started_;
    }

    void stop() override {
        if (started_)
            alcCaptureStop(device_);
        started_ = false;
    }

    std::size_t read(std::int16_t* out, std::size_t maxFrames) override {
        ALCint available = 0;
        alcGetIntegerv(device_, ALC_CAPTURE_SAMPLES, 1, &available);
        std::size_t const frames
            = std::min<std::size_t>(std::size_t(std::max(available, 0)), maxFrames);
        if (frames > 0)
            alcCaptureSamples(device_, out, ALCsizei(frames));
        return frames;
    }

private:
    ALCdevice* const device_;
    bool started_ {false};
};

std::mutex openerMutex;
CaptureDevice::Opener currentOpener;

}

std::unique_ptr<CaptureDevice> CaptureDevice::open(int sampleRate, int channels) {
    Opener opener;
    {
        std::lock_guard lock(openerMutex);
        opener = currentOpener;
    }
    if (opener)
        return opener(sampleRate, channels);
    if (sampleRate <= 0 || channels < 1 || channels > 2)
        return nullptr;
    // One second of room: the recorder drains it many times a second.
    ALCdevice* device = alcCaptureOpenDevice(nullptr, ALCuint(sampleRate),
        channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, sampleRate);
    if (!device)
        return nullptr;
    return std::make_unique<OpenALCapture>(device);
}

void CaptureDevice::setOpener(Opener opener) {
    std::lock_guard lock(openerMutex);
    currentOpener = std::move(opener);
}

}
