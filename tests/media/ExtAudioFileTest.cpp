#include <media/ExtAudioFile.hpp>

#include "SoundFiles.hpp"
#include <support/TempDir.hpp>

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace status = media::status;

namespace {

class ExtAudioFileTest : public ::testing::Test {
protected:
    test::TempDir dir;
};

struct Decoded {
    media::StreamFormat fileFormat;
    std::int64_t lengthFrames {0};
    std::vector<std::int16_t> samples;
};

Decoded decodeWhole(std::filesystem::path const& path) {
    Decoded decoded;
    media::Status result = -1;
    auto file = media::ExtAudioFile::open(path, &result);
    EXPECT_TRUE(file) << path;
    if (!file)
        return decoded;
    EXPECT_EQ(file->fileDataFormat(decoded.fileFormat), status::ok);
    auto const channels = decoded.fileFormat.channelsPerFrame;
    EXPECT_EQ(
        file->setClientFormat(media::StreamFormat::pcm16(decoded.fileFormat.sampleRate, channels)),
        status::ok);
    EXPECT_EQ(file->fileLengthFrames(decoded.lengthFrames), status::ok);
    // Read in odd-sized steps, so packet boundaries fall inside reads.
    std::vector<std::int16_t> block(777 * channels);
    for (;;) {
        std::uint32_t frames = 777;
        EXPECT_EQ(file->read(frames, block.data()), status::ok);
        if (frames == 0)
            break;
        decoded.samples.insert(
            decoded.samples.end(), block.begin(), block.begin() + frames * channels);
    }
    return decoded;
}

// The root mean square difference over a window in the middle of source, with
// decoded shifted by shift samples.
double rmsDifference(std::vector<std::int16_t> const& decoded,
    std::vector<std::int16_t> const& source, std::ptrdiff_t shift) {
    std::ptrdiff_t const start = std::ptrdiff_t(source.size() / 2);
    std::ptrdiff_t const n = 4096;
    if (start + shift < 0 || start + shift + n > std::ptrdiff_t(decoded.size()))
        return 1e9;
    double sum = 0;
    for (std::ptrdiff_t i = start; i < start + n; ++i) {
        double const d = double(decoded[std::size_t(i + shift)]) - double(source[std::size_t(i)]);
        sum += d * d;
    }
    return std::sqrt(sum / double(n));
}

}

TEST_F(ExtAudioFileTest, LosslessFilesDecodeToTheirExactSamples) {
    struct Case {
        char const* name;
        int format;
        int channels;
        int rate;
    } const cases[] = {
        {"mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 22050},
        {"stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100},
        {"stereo.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 2, 48000},
        {"mono.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 11025},
    };
    for (auto const& c : cases) {
        test::Pcm const pcm = test::rampPcm(3001, c.channels, c.rate);
        test::writeSoundFile(dir / c.name, pcm, c.format);
        Decoded const decoded = decodeWhole(dir / c.name);
        EXPECT_EQ(decoded.fileFormat.channelsPerFrame, std::uint32_t(c.channels)) << c.name;
        EXPECT_EQ(decoded.fileFormat.sampleRate, double(c.rate)) << c.name;
        EXPECT_EQ(decoded.lengthFrames, 3001) << c.name;
        EXPECT_EQ(decoded.samples, pcm.samples) << c.name;
    }
}

TEST_F(ExtAudioFileTest, CompressedFilesDecodeCloseToTheirSource) {
    struct Case {
        char const* name;
        int format;
    } const cases[] = {
        {"music.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"music.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
    };
    for (auto const& c : cases) {
        test::Pcm const pcm = test::sinePcm(44100, 2);
        test::writeSoundFile(dir / c.name, pcm, c.format);
        Decoded const decoded = decodeWhole(dir / c.name);
        EXPECT_EQ(decoded.fileFormat.channelsPerFrame, 2u) << c.name;
        EXPECT_EQ(decoded.fileFormat.sampleRate, 44100.0) << c.name;
        // Lossy codecs may pad the end and shift by their delay: compare the
        // length loosely and the sound after finding the best alignment.
        EXPECT_NEAR(double(decoded.samples.size()), double(pcm.samples.size()), 2 * 2 * 1152.0)
            << c.name;
        double best = 1e9;
        for (std::ptrdiff_t shift = -3000; shift < 3000; ++shift)
            best = std::min(best, rmsDifference(decoded.samples, pcm.samples, shift * 2));
        // The source's own level is about 9000; a wrong decoding is as far off as that.
        EXPECT_LT(best, 1500.0) << c.name;
    }
}

TEST_F(ExtAudioFileTest, Ima4CafDecodesToWhatTheEncoderReconstructed) {
    struct Case {
        char const* name;
        int channels;
        std::size_t frames;
        test::CafOptions options;
    } const cases[] = {
        {"mono.caf", 1, 64 * 30, {}},
        {"stereo.caf", 2, 64 * 30, {}},
        {"padded.caf", 2, 64 * 30 - 17, {.packetTable = true}},
        {"primed.caf", 1, 64 * 30 - 5, {.packetTable = true, .primingFrames = 40}},
        {"open-ended.caf", 1, 64 * 3, {.dataSizeUnknown = true}},
    };
    for (auto const& c : cases) {
        test::Pcm const pcm = test::sinePcm(c.frames, c.channels, 22050);
        std::vector<std::int16_t> const expected = test::writeIma4Caf(dir / c.name, pcm, c.options);
        Decoded const decoded = decodeWhole(dir / c.name);
        EXPECT_EQ(decoded.fileFormat.formatID, media::formatAppleIMA4) << c.name;
        EXPECT_EQ(decoded.fileFormat.sampleRate, 22050.0) << c.name;
        EXPECT_EQ(decoded.lengthFrames, std::int64_t(expected.size()) / c.channels) << c.name;
        EXPECT_EQ(decoded.samples, expected) << c.name;
    }
}

TEST_F(ExtAudioFileTest, SeekingStartsReadingAtThatFrame) {
    test::Pcm const pcm = test::sinePcm(64 * 10, 1, 22050);
    std::vector<std::int16_t> const expected = test::writeIma4Caf(dir / "music.caf", pcm);
    auto file = media::ExtAudioFile::open(dir / "music.caf", nullptr);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->setClientFormat(media::StreamFormat::pcm16(22050, 1)), status::ok);
    ASSERT_EQ(file->seek(100), status::ok);
    std::vector<std::int16_t> out(10);
    std::uint32_t frames = 10;
    ASSERT_EQ(file->read(frames, out.data()), status::ok);
    EXPECT_EQ(frames, 10u);
    EXPECT_EQ(out, std::vector<std::int16_t>(expected.begin() + 100, expected.begin() + 110));
}

TEST_F(ExtAudioFileTest, RefusesClientFormatsItCannotProduce) {
    test::writeSoundFile(
        dir / "mono.wav", test::rampPcm(100, 1, 22050), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    auto file = media::ExtAudioFile::open(dir / "mono.wav", nullptr);
    ASSERT_TRUE(file);
    std::vector<std::int16_t> out(10);
    std::uint32_t frames = 10;
    EXPECT_EQ(file->read(frames, out.data()), status::unsupportedConversion)
        << "no client format yet";
    EXPECT_EQ(frames, 0u);

    media::StreamFormat eightBit = media::StreamFormat::pcm16(22050, 1);
    eightBit.bitsPerChannel = 8;
    media::StreamFormat floats = media::StreamFormat::pcm16(22050, 1);
    floats.formatFlags = media::formatFlags::isFloat;
    media::StreamFormat const cases[] = {
        media::StreamFormat::pcm16(44100, 1),
        media::StreamFormat::pcm16(22050, 2),
        eightBit,
        floats,
    };
    for (auto const& format : cases)
        EXPECT_EQ(file->setClientFormat(format), status::unsupportedConversion);
}

TEST_F(ExtAudioFileTest, ReportsWhyAFileDoesNotOpen) {
    std::ofstream(dir / "text.wav") << "RIFF but not really";
    media::Status result = 0;
    EXPECT_FALSE(media::ExtAudioFile::open(dir / "absent.caf", &result));
    EXPECT_EQ(result, status::fileNotFound);
    EXPECT_FALSE(media::ExtAudioFile::open(dir / "text.wav", &result));
    EXPECT_EQ(result, status::unsupportedFileType);
}
