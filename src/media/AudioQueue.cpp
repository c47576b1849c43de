#include <media/AudioQueue.hpp>

#include <media/AudioOutput.hpp>
#include <media/PacketDecoder.hpp>

#include <base/Verify.hpp>

#include <AL/alext.h>

#include <algorithm>
#include <chrono>

namespace media {

namespace {

// How often the thread looks at the source when nobody wakes it: far shorter
// than the second or so that three buffers of music last.
constexpr auto pollInterval = std::chrono::milliseconds(5);

bool canPlay(StreamFormat const& format) {
    return PacketDecoder::canDecode(format) && format.channelsPerFrame <= 2
        && format.sampleRate >= 1 && format.sampleRate <= 384000;
}

}

std::unique_ptr<AudioQueue> AudioQueue::newOutput(
    StreamFormat const& format, OutputCallback callback, Status* status) {
    Status ignored;
    if (!status)
        status = &ignored;
    if (!callback) {
        *status = status::parameter;
        return nullptr;
    }
    if (!canPlay(format)) {
        *status = status::unsupportedDataFormat;
        return nullptr;
    }
    ALCdevice* device = AudioOutput::openDevice();
    ALCcontext* context = device ? AudioOutput::createContext(device) : nullptr;
    if (!context) {
        AudioOutput::closeDevice(device);
        *status = status::noDevice;
        return nullptr;
    }
    auto queue = std::make_unique<AudioQueue>(format, std::move(callback), device, context);
    if (queue->source_ == 0) {
        *status = status::noDevice;
        return nullptr;
    }
    *status = status::ok;
    return queue;
}

AudioQueue::AudioQueue(
    StreamFormat const& format, OutputCallback callback, ALCdevice* device, ALCcontext* context)
    : format_(format)
    , callback_(std::move(callback))
    , device_(device)
    , context_(context) {
    alFormat_ = format.channelsPerFrame == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    ScopedContext current(context_);
    alGetError();
    alGenSources(1, &source_);
    if (alGetError() != AL_NO_ERROR) {
        source_ = 0;
        return;
    }
    alGenBuffers(ALsizei(alBufferCount), alBuffers_.data());
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &source_);
        source_ = 0;
        return;
    }
    freeAlBuffers_.assign(alBuffers_.begin(), alBuffers_.end());
    // Music is not placed in space: it plays at the listener, channels as they are.
    alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source_, AL_POSITION, 0, 0, 0);
    if (format.channelsPerFrame == 2)
        alSourcei(source_, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    thread_ = std::thread([this] { run(); });
}

AudioQueue::~AudioQueue() {
    dispose();
}

bool AudioQueue::ownsBuffer(AudioQueueBuffer* buffer) const {
    return std::any_of(buffers_.begin(), buffers_.end(),
        [buffer](auto const& owned) { return owned.get() == buffer; });
}

Status AudioQueue::allocateBuffer(std::uint32_t capacity, AudioQueueBuffer** out) {
    if (!out || capacity == 0)
        return status::parameter;
    std::lock_guard lock(mutex_);
    if (disposed_)
        return status::queueDisposed;
    buffers_.push_back(std::make_unique<AudioQueueBuffer>(capacity));
    *out = buffers_.back().get();
    return status::ok;
}

void AudioQueue::upload(
    ALuint alBuffer, std::vector<std::int16_t> const& samples, AudioQueueBuffer* owner) {
    alBufferData(alBuffer, alFormat_, samples.data(),
        ALsizei(samples.size() * sizeof(std::int16_t)), ALsizei(format_.sampleRate));
    alSourceQueueBuffers(source_, 1, &alBuffer);
    playing_.emplace_back(alBuffer, owner);
}

Status AudioQueue::enqueueBuffer(
    AudioQueueBuffer* buffer, std::span<PacketDescription const> descriptions) {
    std::lock_guard lock(mutex_);
    if (disposed_)
        return status::queueDisposed;
    if (!buffer || !ownsBuffer(buffer) || buffer->audioDataByteSize == 0
        || buffer->audioDataByteSize > buffer->audioDataBytesCapacity)
        return status::invalidBuffer;
    bool const alreadyIn = std::any_of(playing_.begin(), playing_.end(), [buffer](auto const& p) {
        return p.second == buffer;
    }) || std::any_of(waiting_.begin(), waiting_.end(), [buffer](auto const& w) {
        return w.first == buffer;
    }) || std::find(played_.begin(), played_.end(), buffer) != played_.end();
    if (alreadyIn)
        return status::invalidBuffer;

    std::vector<std::int16_t> samples;
    PacketDecoder::decode(
        format_, {buffer->audioData, buffer->audioDataByteSize}, descriptions, samples);
    if (samples.empty())
        return status::invalidBuffer;

    waiting_.emplace_back(buffer, std::move(samples));
    serviceLocked();
    return status::ok;
}

void AudioQueue::serviceLocked() {
    ScopedContext current(context_);
    // Played buffers come off first: a stopped source would play them again.
    reclaimPlayedLocked();
    feedWaitingLocked();
    restartIfStarvedLocked();
    // Handing back is the thread's work, with no lock held; and a thread that
    // sleeps while nothing plays starts watching the source again.
    wakeRequested_ = true;
    wake_.notify_all();
}

void AudioQueue::reclaimPlayedLocked() {
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0 && !playing_.empty()) {
        ALuint alBuffer = playing_.front().first;
        alSourceUnqueueBuffers(source_, 1, &alBuffer);
        freeAlBuffers_.push_back(playing_.front().first);
        played_.push_back(playing_.front().second);
        playing_.pop_front();
    }
}

void AudioQueue::feedWaitingLocked() {
    while (!waiting_.empty() && !freeAlBuffers_.empty()) {
        ALuint const alBuffer = freeAlBuffers_.front();
        freeAlBuffers_.erase(freeAlBuffers_.begin());
        upload(alBuffer, waiting_.front().second, waiting_.front().first);
        waiting_.pop_front();
    }
}

void AudioQueue::restartIfStarvedLocked() {
    if (!running_ || playing_.empty())
        return;
    ALint state = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING)
        alSourcePlay(source_);
}

Status AudioQueue::start() {
    std::lock_guard lock(mutex_);
    if (disposed_)
        return status::queueDisposed;
    running_ = true;
    serviceLocked();
    return status::ok;
}

Status AudioQueue::pause() {
    std::lock_guard lock(mutex_);
    if (disposed_)
        return status::queueDisposed;
    running_ = false;
    ScopedContext current(context_);
    alSourcePause(source_);
    return status::ok;
}

Status AudioQueue::stop() {
    std::lock_guard lock(mutex_);
    if (disposed_)
        return status::queueDisposed;
    running_ = false;
    ScopedContext current(context_);
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    freeAlBuffers_.assign(alBuffers_.begin(), alBuffers_.end());
    playing_.clear();
    waiting_.clear();
    played_.clear();
    return status::ok;
}

Status AudioQueue::dispose() {
    {
        std::lock_guard lock(mutex_);
        if (disposed_)
            return status::ok;
        VERIFY_MSG(!thread_.joinable() || thread_.get_id() != std::this_thread::get_id(),
            "An audio queue cannot be disposed of from its own callback");
        disposed_ = true;
        quit_ = true;
        running_ = false;
    }
    wake_.notify_all();
    passDone_.notify_all();
    if (thread_.joinable())
        thread_.join();
    {
        ScopedContext current(context_);
        if (source_) {
            alSourceStop(source_);
            alSourcei(source_, AL_BUFFER, 0);
            alDeleteSources(1, &source_);
            alDeleteBuffers(ALsizei(alBufferCount), alBuffers_.data());
        }
    }
    alcDestroyContext(context_);
    AudioOutput::closeDevice(device_);
    std::lock_guard lock(mutex_);
    playing_.clear();
    waiting_.clear();
    played_.clear();
    buffers_.clear();
    return status::ok;
}

Status AudioQueue::setVolume(float volume) {
    std::lock_guard lock(mutex_);
    if (disposed_)
        return status::queueDisposed;
    volume_ = std::clamp(volume, 0.0f, 1.0f);
    ScopedContext current(context_);
    alSourcef(source_, AL_GAIN, volume_);
    return status::ok;
}

float AudioQueue::volume() const {
    std::lock_guard lock(mutex_);
    return volume_;
}

Status AudioQueue::setMagicCookie(std::vector<std::uint8_t> cookie) {
    std::lock_guard lock(mutex_);
    if (disposed_)
        return status::queueDisposed;
    cookie_ = std::move(cookie);
    return status::ok;
}

std::vector<std::uint8_t> AudioQueue::magicCookie() const {
    std::lock_guard lock(mutex_);
    return cookie_;
}

bool AudioQueue::isRunning() const {
    std::lock_guard lock(mutex_);
    return running_;
}

std::size_t AudioQueue::enqueuedBufferCount() const {
    std::lock_guard lock(mutex_);
    return playing_.size() + waiting_.size() + played_.size();
}

bool AudioQueue::sync(double timeoutSeconds) {
    std::unique_lock lock(mutex_);
    VERIFY_MSG(thread_.get_id() != std::this_thread::get_id(),
        "An audio queue cannot wait for its own thread");
    if (disposed_)
        return false;
    std::uint64_t const target = passesStarted_ + 1;
    wakeRequested_ = true;
    wake_.notify_all();
    return passDone_.wait_for(lock, std::chrono::duration<double>(timeoutSeconds), [&] {
        return passesDone_ >= target || disposed_;
    }) && !disposed_;
}

void AudioQueue::run() {
    ScopedContext::setThreadContext(context_);
    std::unique_lock lock(mutex_);
    while (!quit_) {
        ++passesStarted_;
        reclaimPlayedLocked();
        feedWaitingLocked();
        restartIfStarvedLocked();
        if (!played_.empty()) {
            std::vector<AudioQueueBuffer*> handBack;
            handBack.swap(played_);
            lock.unlock();
            for (AudioQueueBuffer* buffer : handBack) {
                if (buffer)
                    callback_(*this, buffer);
            }
            lock.lock();
        }
        ++passesDone_;
        passDone_.notify_all();
        if (quit_)
            break;
        // Only a playing source needs watching; otherwise sleep until called.
        auto const called = [this] { return quit_ || wakeRequested_; };
        if (running_ && !playing_.empty())
            wake_.wait_for(lock, pollInterval, called);
        else
            wake_.wait(lock, called);
        wakeRequested_ = false;
    }
    lock.unlock();
    ScopedContext::setThreadContext(nullptr);
}

}
