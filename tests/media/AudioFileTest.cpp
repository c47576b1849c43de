#include <media/AudioFile.hpp>

#include "SoundFiles.hpp"
#include <support/TempDir.hpp>

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace status = media::status;

namespace {

class AudioFileTest : public ::testing::Test {
protected:
    test::TempDir dir;
};

std::vector<std::int16_t> asSamples(std::vector<std::uint8_t> const& bytes, std::uint32_t count) {
    std::vector<std::int16_t> samples(count / 2);
    std::memcpy(samples.data(), bytes.data(), count);
    return samples;
}

}

TEST_F(AudioFileTest, DecodedFilesReadAsConstantBitRatePcmPackets) {
    test::Pcm const pcm = test::rampPcm(20000, 2);
    test::writeSoundFile(dir / "music.wav", pcm, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    media::Status result = -1;
    auto file = media::AudioFile::open(dir / "music.wav", media::fileTypeCAF, &result);
    ASSERT_TRUE(file);
    EXPECT_EQ(result, status::ok);
    media::StreamFormat const format = file->dataFormat();
    EXPECT_TRUE(format.isPcm16());
    EXPECT_EQ(format.bytesPerPacket, 4u);
    EXPECT_EQ(format.channelsPerFrame, 2u);
    EXPECT_EQ(format.sampleRate, 44100.0);
    EXPECT_EQ(file->packetCount(), 20000u);
    EXPECT_EQ(file->packetSizeUpperBound(), 4u);

    std::vector<std::uint8_t> buffer(65536);
    std::uint32_t packets = 65536 / 4;
    std::uint32_t bytes = 0;
    ASSERT_EQ(file->readPackets(0, packets, buffer.data(), 65536, bytes, nullptr), status::ok);
    EXPECT_EQ(packets, 16384u);
    EXPECT_EQ(bytes, 65536u);
    std::vector<std::int16_t> const first = asSamples(buffer, bytes);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), pcm.samples.begin()));

    packets = 16384;
    ASSERT_EQ(file->readPackets(16384, packets, buffer.data(), 65536, bytes, nullptr), status::ok);
    EXPECT_EQ(packets, 20000u - 16384u);
    EXPECT_TRUE(std::equal(
        pcm.samples.begin() + 16384 * 2, pcm.samples.end(), asSamples(buffer, bytes).begin()));

    packets = 16384;
    ASSERT_EQ(file->readPackets(20000, packets, buffer.data(), 65536, bytes, nullptr), status::ok);
    EXPECT_EQ(packets, 0u);
    EXPECT_EQ(bytes, 0u);
}

TEST_F(AudioFileTest, ReadsOutOfOrderAndOnlyWholePacketsThatFit) {
    test::Pcm const pcm = test::rampPcm(5000, 2);
    test::writeSoundFile(dir / "music.wav", pcm, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    auto file = media::AudioFile::open(dir / "music.wav", 0, nullptr);
    ASSERT_TRUE(file);
    std::vector<std::uint8_t> buffer(64);
    std::uint32_t packets = 100;
    std::uint32_t bytes = 0;
    ASSERT_EQ(file->readPackets(3000, packets, buffer.data(), 10, bytes, nullptr), status::ok);
    EXPECT_EQ(packets, 2u);
    EXPECT_EQ(bytes, 8u);
    EXPECT_EQ(asSamples(buffer, bytes),
        std::vector<std::int16_t>(pcm.samples.begin() + 6000, pcm.samples.begin() + 6004));

    packets = 1;
    ASSERT_EQ(file->readPackets(0, packets, buffer.data(), 64, bytes, nullptr), status::ok);
    EXPECT_EQ(asSamples(buffer, bytes),
        std::vector<std::int16_t>(pcm.samples.begin(), pcm.samples.begin() + 2));

    packets = 1;
    EXPECT_EQ(
        file->readPackets(0, packets, buffer.data(), 3, bytes, nullptr), status::bufferTooSmall);
    EXPECT_EQ(packets, 0u);
    packets = 1;
    EXPECT_EQ(file->readPackets(5001, packets, buffer.data(), 64, bytes, nullptr),
        status::invalidPacketOffset);
    packets = 1;
    EXPECT_EQ(file->readPackets(-1, packets, buffer.data(), 64, bytes, nullptr),
        status::invalidPacketOffset);
}

TEST_F(AudioFileTest, Ima4CafFilesGiveTheirOwnPackets) {
    test::Pcm const pcm = test::sinePcm(64 * 10, 2, 22050);
    test::writeIma4Caf(dir / "music.caf", pcm);
    auto file = media::AudioFile::open(dir / "music.caf", media::fileTypeCAF, nullptr);
    ASSERT_TRUE(file);
    media::StreamFormat const format = file->dataFormat();
    EXPECT_EQ(format.formatID, media::formatAppleIMA4);
    EXPECT_EQ(format.bytesPerPacket, 68u);
    EXPECT_EQ(format.framesPerPacket, 64u);
    EXPECT_EQ(format.sampleRate, 22050.0);
    EXPECT_TRUE(format.isConstantBitRate());
    EXPECT_EQ(file->packetCount(), 10u);

    std::ifstream in(dir / "music.caf", std::ios::binary);
    std::vector<char> whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::uint8_t> buffer(65536);
    std::uint32_t packets = 65536 / 68;
    std::uint32_t bytes = 0;
    ASSERT_EQ(file->readPackets(0, packets, buffer.data(), 65536, bytes, nullptr), status::ok);
    EXPECT_EQ(packets, 10u);
    ASSERT_EQ(bytes, 680u);
    EXPECT_EQ(std::memcmp(buffer.data(), whole.data() + whole.size() - 680, 680), 0);
}

TEST_F(AudioFileTest, MissingAndForeignFilesDoNotOpen) {
    std::ofstream(dir / "notes.txt") << "not a sound at all, just some words";
    struct Case {
        std::string path;
        media::Status expected;
    } const cases[] = {
        {(dir / "absent.wav").string(), status::fileNotFound},
        {"", status::fileNotFound},
        {dir.path().string(), status::fileNotFound},
        {(dir / "notes.txt").string(), status::unsupportedFileType},
    };
    for (auto const& c : cases) {
        media::Status result = 0;
        EXPECT_FALSE(media::AudioFile::open(c.path, 0, &result)) << c.path;
        EXPECT_EQ(result, c.expected) << c.path;
    }
}
