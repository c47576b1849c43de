#pragma once

#include <media/AudioFormat.hpp>

#include <AL/al.h>
#include <AL/alc.h>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <utility>
#include <vector>

namespace media {

// One buffer of an audio queue: capacity bytes of packet data that the client
// fills, sets audioDataByteSize for, and enqueues. The queue owns its buffers;
// they live until the queue is disposed of.
struct AudioQueueBuffer {
    explicit AudioQueueBuffer(std::uint32_t capacity)
        : audioDataBytesCapacity(capacity)
        , storage_(capacity)
        , audioData(storage_.data()) { }

    std::uint32_t const audioDataBytesCapacity;

private:
    std::vector<std::uint8_t> storage_;

public:
    std::uint8_t* const audioData;
    std::uint32_t audioDataByteSize {0};
};

// Plays a stream of packets that its client hands over buffer by buffer (the
// platform's audio output queue). The queue has a thread of its own that feeds
// an OpenAL streaming source on a device of its own with three rotating OpenAL
// buffers: each enqueued buffer is decoded to 16-bit PCM into a free OpenAL
// buffer and queued on the source, and once the source has played it, the
// client's output callback receives the buffer back, on the queue's thread, to
// refill and enqueue again. Buffers enqueued while all three OpenAL buffers are
// in use wait their turn. When the source runs dry while the queue is started,
// it restarts as soon as a buffer arrives.
//
// Control calls (start, pause, stop, volume) act at once and may come from any
// thread, the callback included; dispose() must not be called from the callback.
// The callback runs with no lock held. stop() drops every enqueued buffer
// without handing it back. Owned by its client, whose destruction disposes of it.
class AudioQueue {
public:
    using OutputCallback = std::function<void(AudioQueue& queue, AudioQueueBuffer* buffer)>;

    static constexpr std::size_t alBufferCount = 3;

    // A queue playing streams of format (16-bit linear PCM or IMA4, one or two
    // channels); null, with *status set, for other formats or without output.
    static std::unique_ptr<AudioQueue> newOutput(
        StreamFormat const& format, OutputCallback callback, Status* status);
    ~AudioQueue();

    Status allocateBuffer(std::uint32_t capacity, AudioQueueBuffer** out);
    // Hands buffer to the queue to play after those before it. Variable bit rate
    // streams describe their packets; constant bit rate ones give none.
    Status enqueueBuffer(
        AudioQueueBuffer* buffer, std::span<PacketDescription const> descriptions = {});

    Status start();
    Status pause();
    Status stop();
    // Stops, waits for the queue's thread to end, and releases the buffers and the
    // device. Later calls answer status::queueDisposed.
    Status dispose();

    // Gain 0..1 (values outside are clamped).
    Status setVolume(float volume);
    float volume() const;
    Status setMagicCookie(std::vector<std::uint8_t> cookie);
    std::vector<std::uint8_t> magicCookie() const;

    StreamFormat const& format() const { return format_; }
    bool isRunning() const;
    // Buffers enqueued and not yet handed back.
    std::size_t enqueuedBufferCount() const;
    // The output device, for rendering a loopback device in tests.
    ALCdevice* device() const { return device_; }

    // Wakes the queue's thread and waits until it has completed one pass of its
    // work (handing back what the source has played, restarting a starved
    // source) that started after this call; false on time-out or once disposed.
    // For tests that render a loopback device and for orderly shutdown.
    bool sync(double timeoutSeconds);

    AudioQueue(AudioQueue const&) = delete;
    AudioQueue& operator=(AudioQueue const&) = delete;

    // Use newOutput.
    AudioQueue(StreamFormat const& format, OutputCallback callback, ALCdevice* device,
        ALCcontext* context);

private:
    void run();
    // Moves played buffers off the source, feeds it waiting ones and restarts it
    // if it ran dry; wakes the thread when there is something to hand back.
    void serviceLocked();
    void reclaimPlayedLocked();
    void feedWaitingLocked();
    void restartIfStarvedLocked();
    bool ownsBuffer(AudioQueueBuffer* buffer) const;
    void upload(ALuint alBuffer, std::vector<std::int16_t> const& samples, AudioQueueBuffer* owner);

    StreamFormat const format_;
    OutputCallback const callback_;
    ALCdevice* const device_;
    ALCcontext* const context_;
    ALenum alFormat_ {0};

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable passDone_;
    bool wakeRequested_ {false};
    bool quit_ {false};
    bool disposed_ {false};
    bool running_ {false};
    float volume_ {1.0f};
    std::uint64_t passesStarted_ {0};
    std::uint64_t passesDone_ {0};
    std::vector<std::uint8_t> cookie_;

    ALuint source_ {0};
    std::array<ALuint, alBufferCount> alBuffers_ {};
    std::vector<ALuint> freeAlBuffers_;
    // Queued on the source, oldest first.
    std::deque<std::pair<ALuint, AudioQueueBuffer*>> playing_;
    // Enqueued and decoded, waiting for a free OpenAL buffer.
    std::deque<std::pair<AudioQueueBuffer*, std::vector<std::int16_t>>> waiting_;
    // Played, to be handed back by the next pass of the thread.
    std::vector<AudioQueueBuffer*> played_;
    std::vector<std::unique_ptr<AudioQueueBuffer>> buffers_;
    std::thread thread_;
};

}
