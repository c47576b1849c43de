#pragma once

#include <media/AudioFile.hpp>
#include <media/AudioFormat.hpp>
#include <media/AudioQueue.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace game {

// Posted on the main thread, with the track as its object, when a track that does
// not repeat reaches the end of its file.
inline constexpr char const* GBMusicTrackFinishedPlayingNotification
    = "GBMusicTrackFinishedPlayingNotification";

// One music file streamed through an audio queue with three rotating 64 KiB
// buffers, never decoded whole. At the end of the file the track starts again
// from the first packet without a gap, unless its repeat flag is cleared: then
// it pauses and posts GBMusicTrackFinishedPlayingNotification.
//
// Made and controlled on the main thread. The queue refills buffers on its own
// thread through callbackForBuffer, which reads the file there; close() (also run
// on destruction) waits for that thread to finish, so nothing of the track is
// touched after it. Release a track on the main thread.
class GBMusicTrack final : public base::Object {
public:
    static constexpr std::uint32_t bufferByteSize = 65536;
    static constexpr std::size_t numberOfBuffers = 3;

    // Opens and primes the track; null, logged, when path is empty or the file
    // cannot be opened or played.
    static base::Ref<GBMusicTrack> initWithPath(std::string const& path);
    // The same for a file already open; path only names it in log lines.
    static base::Ref<GBMusicTrack> initWithAudioFile(
        std::string const& path, std::unique_ptr<media::AudioFile> file);

    void play();
    void pause();
    // Stops the queue at once, dropping what it holds.
    void stop();
    // Stops and releases the queue and the file; later calls do nothing. Once only.
    void close();

    // The queue's volume, 0..1.
    void setGain(float gain);
    void setRepeat(bool repeat);

    // Refills a buffer that the queue has played (the queue's thread).
    void callbackForBuffer(media::AudioQueueBuffer* buffer);
    // Reads the next packets into buffer and enqueues it; answers the packets read.
    std::uint32_t readPacketsIntoBuffer(media::AudioQueueBuffer* buffer);
    void postTrackFinishedPlayingNotification();

    // The state, for tests and diagnostics.
    media::AudioQueue* audioQueue() const { return queue.get(); }
    media::StreamFormat const& format() const { return dataFormat; }
    std::uint64_t currentPacketIndex() const { return packetIndex.load(); }
    std::uint32_t packetsPerRead() const { return numPacketsToRead; }
    bool hasPacketDescriptions() const { return !packetDescs.empty(); }
    bool repeats() const { return repeat.load(); }
    bool isClosed() const { return trackClosed; }
    // Buffers filled and enqueued when the track was opened.
    std::size_t primedBufferCount() const { return primedBuffers_; }

protected:
    ~GBMusicTrack() override;

private:
    bool prime(std::string const& path);

    std::unique_ptr<media::AudioFile> audioFile;
    media::StreamFormat const dataFormat;
    std::unique_ptr<media::AudioQueue> queue;
    std::atomic<std::uint64_t> packetIndex {0};
    std::uint32_t numPacketsToRead {0};
    std::vector<media::PacketDescription> packetDescs;
    std::atomic<bool> repeat {true};
    bool trackClosed {false};
    std::array<media::AudioQueueBuffer*, numberOfBuffers> buffers {};
    std::size_t primedBuffers_ {0};
    // Reaches the track from the queue's thread without keeping it alive.
    base::WeakRef<GBMusicTrack> weakSelf_;

    friend base::Factory;

    // Use the factories.
    GBMusicTrack(std::unique_ptr<media::AudioFile> file, media::StreamFormat const& format);
};

}
