#include <media/AudioPlayer.hpp>

#include <media/AudioFile.hpp>
#include <media/AudioOutput.hpp>
#include <media/ExtAudioFile.hpp>

#include <foundation/Timer.hpp>

#include <algorithm>
#include <memory>

namespace media {

namespace {

constexpr double watchInterval = 0.05;

// The device and context every player plays on, open while a player exists.
struct SharedOutput {
    ALCdevice* device {nullptr};
    ALCcontext* context {nullptr};
    int users {0};
};

SharedOutput& output() {
    static SharedOutput shared;
    return shared;
}

bool acquireOutput() {
    SharedOutput& shared = output();
    if (shared.users == 0) {
        shared.device = AudioOutput::openDevice();
        shared.context = AudioOutput::createContext(shared.device);
        if (!shared.context) {
            AudioOutput::closeDevice(shared.device);
            shared.device = nullptr;
            return false;
        }
    }
    ++shared.users;
    return true;
}

void releaseOutput() {
    SharedOutput& shared = output();
    if (--shared.users > 0)
        return;
    alcDestroyContext(shared.context);
    AudioOutput::closeDevice(shared.device);
    shared = SharedOutput {};
}

bool decodeWhole(
    ExtAudioFile& file, std::vector<std::int16_t>& samples, StreamFormat& format, Status* status) {
    file.fileDataFormat(format);
    if (format.channelsPerFrame == 0 || format.channelsPerFrame > 2) {
        *status = status::unsupportedDataFormat;
        return false;
    }
    *status = file.setClientFormat(StreamFormat::pcm16(format.sampleRate, format.channelsPerFrame));
    if (*status != status::ok)
        return false;
    // Read until the end rather than trusting the declared length, which
    // compressed files only estimate.
    std::vector<std::int16_t> block(std::size_t(4096) * format.channelsPerFrame);
    for (;;) {
        std::uint32_t frames = 4096;
        *status = file.read(frames, block.data());
        if (*status != status::ok)
            return false;
        if (frames == 0)
            break;
        samples.insert(samples.end(), block.begin(),
            block.begin() + std::ptrdiff_t(frames * format.channelsPerFrame));
    }
    if (samples.empty()) {
        *status = status::invalidFile;
        return false;
    }
    return true;
}

}

base::Ref<AudioPlayer> AudioPlayer::createWithContentsOfFile(
    std::string const& path, Status* status) {
    Status ignored;
    if (!status)
        status = &ignored;
    return createFrom(ExtAudioFile::open(path, status), status);
}

base::Ref<AudioPlayer> AudioPlayer::createWithData(std::vector<std::uint8_t> data, Status* status) {
    Status ignored;
    if (!status)
        status = &ignored;
    return createFrom(ExtAudioFile::openData(std::move(data), status), status);
}

base::Ref<AudioPlayer> AudioPlayer::createFrom(std::unique_ptr<ExtAudioFile> file, Status* status) {
    if (!file)
        return nullptr;
    std::vector<std::int16_t> samples;
    StreamFormat format;
    if (!decodeWhole(*file, samples, format, status))
        return nullptr;
    return create(samples, format, status);
}

base::Ref<AudioPlayer> AudioPlayer::create(
    std::vector<std::int16_t> const& samples, StreamFormat const& format, Status* status) {
    if (!acquireOutput()) {
        *status = status::noDevice;
        return nullptr;
    }
    ScopedContext current(output().context);
    alGetError();
    ALuint buffer = 0;
    ALuint source = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, format.channelsPerFrame == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16,
        samples.data(), ALsizei(samples.size() * sizeof(std::int16_t)), ALsizei(format.sampleRate));
    alGenSources(1, &source);
    alSourcei(source, AL_BUFFER, ALint(buffer));
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &source);
        alDeleteBuffers(1, &buffer);
        releaseOutput();
        *status = status::unsupportedDataFormat;
        return nullptr;
    }
    *status = status::ok;
    double const duration = double(samples.size() / format.channelsPerFrame) / format.sampleRate;
    return base::make<AudioPlayer>(source, buffer, duration);
}

AudioPlayer::AudioPlayer(ALuint source, ALuint buffer, double duration)
    : source_(source)
    , buffer_(buffer)
    , duration_(duration) {
}

AudioPlayer::~AudioPlayer() {
    if (watchTimer_)
        watchTimer_->invalidate();
    {
        ScopedContext current(output().context);
        alSourceStop(source_);
        alDeleteSources(1, &source_);
        alDeleteBuffers(1, &buffer_);
    }
    releaseOutput();
}

ALCdevice* AudioPlayer::outputDevice() {
    return output().device;
}

bool AudioPlayer::play() {
    ScopedContext current(output().context);
    alSourcePlay(source_);
    playing_ = true;
    watch();
    return true;
}

void AudioPlayer::pause() {
    ScopedContext current(output().context);
    alSourcePause(source_);
    playing_ = false;
    if (watchTimer_)
        watchTimer_->invalidate();
    watchTimer_ = nullptr;
}

void AudioPlayer::stop() {
    pause();
}

double AudioPlayer::currentTime() const {
    ScopedContext current(output().context);
    ALfloat seconds = 0;
    alGetSourcef(source_, AL_SEC_OFFSET, &seconds);
    return seconds;
}

void AudioPlayer::setCurrentTime(double seconds) {
    ScopedContext current(output().context);
    // A source that is not playing takes the offset when it next plays.
    alSourcef(source_, AL_SEC_OFFSET, ALfloat(std::clamp(seconds, 0.0, duration_)));
}

void AudioPlayer::setVolume(float volume) {
    volume_ = std::clamp(volume, 0.0f, 1.0f);
    ScopedContext current(output().context);
    alSourcef(source_, AL_GAIN, volume_);
}

void AudioPlayer::watch() {
    if (watchTimer_)
        return;
    watchTimer_ = foundation::Timer::scheduledTimer(
        watchInterval, [this](foundation::Timer&) { poll(); }, true);
}

void AudioPlayer::poll() {
    ALint state = 0;
    {
        ScopedContext current(output().context);
        alGetSourcei(source_, AL_SOURCE_STATE, &state);
    }
    if (state == AL_PLAYING || !playing_)
        return;
    playing_ = false;
    watchTimer_->invalidate();
    watchTimer_ = nullptr;
    base::Ref<AudioPlayer> keepAlive(this);
    if (delegate_)
        delegate_->audioPlayerDidFinishPlaying(*this, true);
}

}
