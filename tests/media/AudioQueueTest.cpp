#include <media/AudioQueue.hpp>
#include <media/Ima4.hpp>

#include "LoopbackOutput.hpp"
#include "SoundFiles.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

namespace status = media::status;
using media::AudioQueue;
using media::AudioQueueBuffer;

namespace {

// A queue on a loopback device whose callback records every buffer handed back
// and, when asked, refills it from a stream of samples.
class AudioQueueTest : public ::testing::Test {
protected:
    void open(media::StreamFormat const& format) {
        media::Status result = -1;
        queue = AudioQueue::newOutput(
            format, [this](AudioQueue& q, AudioQueueBuffer* buffer) { handBack(q, buffer); },
            &result);
        ASSERT_EQ(result, status::ok);
        ASSERT_TRUE(queue);
    }

    AudioQueueBuffer* buffer(std::vector<std::int16_t> const& samples) {
        AudioQueueBuffer* b = nullptr;
        EXPECT_EQ(queue->allocateBuffer(std::uint32_t(samples.size() * 2), &b), status::ok);
        std::memcpy(b->audioData, samples.data(), samples.size() * 2);
        b->audioDataByteSize = std::uint32_t(samples.size() * 2);
        return b;
    }

    void handBack(AudioQueue& q, AudioQueueBuffer* buffer) {
        std::lock_guard lock(mutex);
        handedBack.push_back(buffer);
        if (!refill || next >= stream.size())
            return;
        std::size_t const count
            = std::min<std::size_t>(buffer->audioDataBytesCapacity / 2, stream.size() - next);
        std::memcpy(buffer->audioData, stream.data() + next, count * 2);
        buffer->audioDataByteSize = std::uint32_t(count * 2);
        next += count;
        q.enqueueBuffer(buffer);
    }

    std::vector<AudioQueueBuffer*> takeHandedBack() {
        std::lock_guard lock(mutex);
        return std::exchange(handedBack, {});
    }

    std::vector<std::int32_t> render(std::size_t frames) {
        auto samples = test::renderSamples(queue->device(), frames);
        EXPECT_TRUE(queue->sync(5.0));
        return samples;
    }

    test::LoopbackOutput loopback;
    std::unique_ptr<AudioQueue> queue;
    std::mutex mutex;
    std::vector<AudioQueueBuffer*> handedBack;
    bool refill {false};
    std::vector<std::int16_t> stream;
    std::size_t next {0};
};

std::vector<std::int32_t> widen(
    std::vector<std::int16_t> const& samples, std::size_t from, std::size_t count) {
    return std::vector<std::int32_t>(
        samples.begin() + std::ptrdiff_t(from), samples.begin() + std::ptrdiff_t(from + count));
}

}

TEST_F(AudioQueueTest, PlaysBuffersInOrderAndHandsEachBackOncePlayed) {
    open(media::StreamFormat::pcm16(44100, 2));
    test::Pcm const pcm = test::rampPcm(3000, 2);
    std::vector<AudioQueueBuffer*> buffers;
    for (std::size_t i = 0; i < 3; ++i) {
        buffers.push_back(
            buffer(std::vector<std::int16_t>(pcm.samples.begin() + std::ptrdiff_t(i * 2000),
                pcm.samples.begin() + std::ptrdiff_t((i + 1) * 2000))));
        ASSERT_EQ(queue->enqueueBuffer(buffers.back()), status::ok);
    }
    EXPECT_EQ(queue->enqueuedBufferCount(), 3u);
    ASSERT_EQ(queue->start(), status::ok);

    EXPECT_EQ(render(1000), widen(pcm.samples, 0, 2000));
    EXPECT_EQ(takeHandedBack(), std::vector<AudioQueueBuffer*> {buffers[0]});
    EXPECT_EQ(render(2000), widen(pcm.samples, 2000, 4000));
    EXPECT_EQ(takeHandedBack(), (std::vector<AudioQueueBuffer*> {buffers[1], buffers[2]}));
    EXPECT_EQ(queue->enqueuedBufferCount(), 0u);
    EXPECT_EQ(render(100), std::vector<std::int32_t>(200, 0));
}

TEST_F(AudioQueueTest, StreamsWithoutAGapWhileTheCallbackRefills) {
    open(media::StreamFormat::pcm16(44100, 2));
    stream = test::rampPcm(20000, 2).samples;
    refill = true;
    for (int i = 0; i < 3; ++i) {
        std::vector<std::int16_t> const first(stream.begin() + std::ptrdiff_t(next),
            stream.begin() + std::ptrdiff_t(next + 2 * 1500));
        next += first.size();
        ASSERT_EQ(queue->enqueueBuffer(buffer(first)), status::ok);
    }
    ASSERT_EQ(queue->start(), status::ok);
    std::vector<std::int32_t> played;
    for (int step = 0; step < 20; ++step) {
        auto const part = render(1000);
        played.insert(played.end(), part.begin(), part.end());
    }
    EXPECT_EQ(played, widen(stream, 0, 40000));
}

TEST_F(AudioQueueTest, PauseHoldsThePlaceAndStartContinuesFromIt) {
    open(media::StreamFormat::pcm16(44100, 2));
    test::Pcm const pcm = test::rampPcm(3000, 2);
    ASSERT_EQ(queue->enqueueBuffer(buffer(pcm.samples)), status::ok);
    ASSERT_EQ(queue->start(), status::ok);
    EXPECT_EQ(render(1000), widen(pcm.samples, 0, 2000));
    ASSERT_EQ(queue->pause(), status::ok);
    EXPECT_FALSE(queue->isRunning());
    EXPECT_EQ(render(500), std::vector<std::int32_t>(1000, 0));
    ASSERT_EQ(queue->start(), status::ok);
    EXPECT_EQ(render(1000), widen(pcm.samples, 2000, 2000));
}

TEST_F(AudioQueueTest, StopDropsEveryBufferWithoutHandingItBack) {
    open(media::StreamFormat::pcm16(44100, 2));
    test::Pcm const pcm = test::rampPcm(1000, 2);
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(queue->enqueueBuffer(buffer(pcm.samples)), status::ok);
    EXPECT_EQ(queue->enqueuedBufferCount(), 4u);
    ASSERT_EQ(queue->start(), status::ok);
    ASSERT_EQ(queue->stop(), status::ok);
    EXPECT_EQ(queue->enqueuedBufferCount(), 0u);
    EXPECT_EQ(render(500), std::vector<std::int32_t>(1000, 0));
    EXPECT_TRUE(takeHandedBack().empty());
}

TEST_F(AudioQueueTest, ASourceThatRanDryRestartsWhenABufferArrives) {
    open(media::StreamFormat::pcm16(44100, 2));
    test::Pcm const pcm = test::rampPcm(1000, 2);
    AudioQueueBuffer* only = buffer(pcm.samples);
    ASSERT_EQ(queue->enqueueBuffer(only), status::ok);
    ASSERT_EQ(queue->start(), status::ok);
    auto played = render(1500);
    EXPECT_EQ(std::vector<std::int32_t>(played.begin(), played.begin() + 2000),
        widen(pcm.samples, 0, 2000));
    EXPECT_EQ(takeHandedBack(), std::vector<AudioQueueBuffer*> {only});
    ASSERT_EQ(queue->enqueueBuffer(only), status::ok);
    EXPECT_EQ(render(1000), widen(pcm.samples, 0, 2000));
}

TEST_F(AudioQueueTest, DecodesIma4Packets) {
    media::StreamFormat format;
    format.sampleRate = 44100;
    format.formatID = media::formatAppleIMA4;
    format.bytesPerPacket = 68;
    format.framesPerPacket = 64;
    format.channelsPerFrame = 2;
    open(format);

    test::Pcm const pcm = test::sinePcm(64 * 20, 2);
    std::vector<std::uint8_t> packets(20 * 68);
    std::vector<std::int16_t> expected(pcm.samples.size());
    int predictors[2] = {0, 0};
    int indexes[2] = {0, 0};
    std::int16_t block[64];
    for (std::size_t p = 0; p < 20; ++p)
        for (std::size_t c = 0; c < 2; ++c) {
            test::encodeIma4Block(pcm.samples.data() + p * 128 + c, 2, predictors[c], indexes[c],
                packets.data() + p * 68 + c * 34, block);
            for (std::size_t i = 0; i < 64; ++i)
                expected[(p * 64 + i) * 2 + c] = block[i];
        }
    AudioQueueBuffer* b = nullptr;
    ASSERT_EQ(queue->allocateBuffer(65536, &b), status::ok);
    std::memcpy(b->audioData, packets.data(), packets.size());
    b->audioDataByteSize = std::uint32_t(packets.size());
    ASSERT_EQ(queue->enqueueBuffer(b), status::ok);
    ASSERT_EQ(queue->start(), status::ok);
    EXPECT_EQ(render(64 * 20), widen(expected, 0, expected.size()));
}

TEST_F(AudioQueueTest, VariableBitRateBuffersPlayTheDescribedPacketsOnly) {
    media::StreamFormat format = media::StreamFormat::pcm16(44100, 2);
    format.bytesPerPacket = 0;
    format.framesPerPacket = 0;
    open(format);
    std::vector<std::int16_t> const samples {1, 2, 3, 4, 99, 99, 5, 6, 7, 8, 9, 10};
    AudioQueueBuffer* b = buffer(samples);
    // Two packets with a stray frame between them.
    media::PacketDescription const descriptions[] = {{0, 0, 8}, {12, 0, 12}};
    ASSERT_EQ(queue->enqueueBuffer(b, descriptions), status::ok);
    ASSERT_EQ(queue->start(), status::ok);
    EXPECT_EQ(render(5), (std::vector<std::int32_t> {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST_F(AudioQueueTest, VolumeIsClampedAndScalesTheOutput) {
    open(media::StreamFormat::pcm16(44100, 2));
    struct Case {
        float given;
        float stored;
    } const cases[] = {{1.7f, 1.0f}, {-0.3f, 0.0f}, {0.25f, 0.25f}};
    for (auto const& c : cases) {
        ASSERT_EQ(queue->setVolume(c.given), status::ok);
        EXPECT_EQ(queue->volume(), c.stored);
    }
    std::vector<std::int16_t> const loud(2 * 2000, 16000);
    ASSERT_EQ(queue->enqueueBuffer(buffer(loud)), status::ok);
    ASSERT_EQ(queue->start(), status::ok);
    auto const played = render(2000);
    // OpenAL eases gain changes in over its first frames; the rest is steady.
    EXPECT_NEAR(played[3000], 4000, 2);
}

TEST_F(AudioQueueTest, RefusesFormatsItCannotPlay) {
    media::StreamFormat eightBit = media::StreamFormat::pcm16(44100, 1);
    eightBit.bitsPerChannel = 8;
    media::StreamFormat floats = media::StreamFormat::pcm16(44100, 1);
    floats.formatFlags = media::formatFlags::isFloat;
    media::StreamFormat mp3 = media::StreamFormat::pcm16(44100, 2);
    mp3.formatID = media::fourCharCode(".mp3");
    media::StreamFormat const cases[]
        = {eightBit, floats, mp3, media::StreamFormat::pcm16(44100, 6),
            media::StreamFormat::pcm16(44100, 0), media::StreamFormat::pcm16(0, 2)};
    for (auto const& format : cases) {
        media::Status result = 0;
        EXPECT_FALSE(AudioQueue::newOutput(
            format, [](AudioQueue&, AudioQueueBuffer*) {}, &result));
        EXPECT_EQ(result, status::unsupportedDataFormat);
    }
}

TEST_F(AudioQueueTest, RefusesBuffersThatAreNotItsOwnEmptyOrAlreadyEnqueued) {
    open(media::StreamFormat::pcm16(44100, 2));
    AudioQueueBuffer stranger(64);
    stranger.audioDataByteSize = 64;
    EXPECT_EQ(queue->enqueueBuffer(&stranger), status::invalidBuffer);
    EXPECT_EQ(queue->enqueueBuffer(nullptr), status::invalidBuffer);
    AudioQueueBuffer* b = nullptr;
    ASSERT_EQ(queue->allocateBuffer(64, &b), status::ok);
    EXPECT_EQ(queue->enqueueBuffer(b), status::invalidBuffer) << "empty";
    b->audioDataByteSize = 65;
    EXPECT_EQ(queue->enqueueBuffer(b), status::invalidBuffer) << "larger than its capacity";
    b->audioDataByteSize = 64;
    EXPECT_EQ(queue->enqueueBuffer(b), status::ok);
    EXPECT_EQ(queue->enqueueBuffer(b), status::invalidBuffer) << "twice";
}

TEST_F(AudioQueueTest, EverythingAnswersDisposedAfterDispose) {
    open(media::StreamFormat::pcm16(44100, 2));
    AudioQueueBuffer* b = buffer(std::vector<std::int16_t>(8, 1));
    ASSERT_EQ(queue->dispose(), status::ok);
    EXPECT_EQ(queue->dispose(), status::ok);
    EXPECT_EQ(queue->start(), status::queueDisposed);
    EXPECT_EQ(queue->pause(), status::queueDisposed);
    EXPECT_EQ(queue->stop(), status::queueDisposed);
    EXPECT_EQ(queue->setVolume(1), status::queueDisposed);
    AudioQueueBuffer* another = nullptr;
    EXPECT_EQ(queue->allocateBuffer(16, &another), status::queueDisposed);
    (void)b;
    EXPECT_FALSE(queue->sync(1.0));
}

TEST_F(AudioQueueTest, KeepsTheMagicCookie) {
    open(media::StreamFormat::pcm16(44100, 1));
    ASSERT_EQ(queue->setMagicCookie({7, 8, 9}), status::ok);
    EXPECT_EQ(queue->magicCookie(), (std::vector<std::uint8_t> {7, 8, 9}));
}
