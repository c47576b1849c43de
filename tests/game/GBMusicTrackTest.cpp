#include <game/shell/GBMusicTrack.hpp>

#include "SoundFixture.hpp"
#include <support/LogCapture.hpp>

#include <foundation/NotificationCenter.hpp>

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cstring>

using game::GBMusicTrack;

namespace {

class GBMusicTrackTest : public test::SoundTest {
protected:
    std::string writeStereo(std::string const& name, std::size_t frames) {
        pcm = test::rampPcm(frames, 2);
        test::writeSoundFile(dir / name, pcm, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        return (dir / name).string();
    }

    // Renders frames of the track's output in steps no longer than a buffer,
    // letting the queue refill after each.
    std::vector<std::int32_t> play(GBMusicTrack& track, std::size_t frames) {
        std::vector<std::int32_t> out;
        while (frames > 0) {
            std::size_t const step = std::min<std::size_t>(frames, 4096);
            auto part = test::renderSamples(track.audioQueue()->device(), step);
            EXPECT_TRUE(track.audioQueue()->sync(5.0));
            out.insert(out.end(), part.begin(), part.end());
            frames -= step;
        }
        return out;
    }

    std::vector<std::int32_t> repeated(std::size_t frames) const {
        std::vector<std::int32_t> out;
        while (out.size() < frames * 2)
            out.push_back(pcm.samples[out.size() % pcm.samples.size()]);
        return out;
    }

    test::Pcm pcm;
};

// A file of variable-size packets, for what the decoded files never are.
class VariableBitRateFile final : public media::AudioFile {
public:
    VariableBitRateFile(std::uint32_t upperBound, std::vector<std::uint32_t> packetSizes)
        : upperBound_(upperBound)
        , sizes_(std::move(packetSizes)) { }

    media::StreamFormat dataFormat() const override {
        media::StreamFormat format = media::StreamFormat::pcm16(44100, 2);
        format.bytesPerPacket = 0;
        format.framesPerPacket = 0;
        return format;
    }
    std::uint64_t packetCount() const override { return sizes_.size(); }
    std::uint32_t packetSizeUpperBound() const override { return upperBound_; }
    std::vector<std::uint8_t> magicCookie() const override { return {0xC0, 0x0C}; }

    media::Status readPackets(std::int64_t start, std::uint32_t& ioNumPackets, std::uint8_t* out,
        std::uint32_t capacity, std::uint32_t& outNumBytes,
        media::PacketDescription* descriptions) override {
        reads.push_back(ioNumPackets);
        std::uint32_t const wanted = ioNumPackets;
        ioNumPackets = 0;
        outNumBytes = 0;
        for (auto packet = std::size_t(start); packet < sizes_.size() && ioNumPackets < wanted;
             ++packet) {
            if (outNumBytes + sizes_[packet] > capacity)
                return ioNumPackets == 0 ? media::status::bufferTooSmall : media::status::ok;
            std::memset(out + outNumBytes, 0, sizes_[packet]);
            descriptions[ioNumPackets] = {outNumBytes, 0, sizes_[packet]};
            outNumBytes += sizes_[packet];
            ++ioNumPackets;
        }
        return media::status::ok;
    }

    std::vector<std::uint32_t> reads;

private:
    std::uint32_t upperBound_;
    std::vector<std::uint32_t> sizes_;
};

}

TEST_F(GBMusicTrackTest, ConstantBitRateFilesReadAWholeBufferOfPackets) {
    auto track = GBMusicTrack::initWithPath(writeStereo("music.wav", 60000));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->format().bytesPerPacket, 4u);
    EXPECT_EQ(track->packetsPerRead(), 16384u);
    EXPECT_FALSE(track->hasPacketDescriptions());
    EXPECT_EQ(track->primedBufferCount(), 3u);
    EXPECT_EQ(track->currentPacketIndex(), 3u * 16384u);
    EXPECT_TRUE(track->repeats());
    EXPECT_FALSE(track->isClosed());
}

TEST_F(GBMusicTrackTest, AShortFilePrimesOneBufferAndLoopsWithoutAGap) {
    auto track = GBMusicTrack::initWithPath(writeStereo("short.wav", 3000));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->primedBufferCount(), 1u);
    EXPECT_EQ(track->audioQueue()->enqueuedBufferCount(), 1u);
    track->play();
    // The source runs dry at each end of the file until the refill arrives, so
    // play one file length at a time.
    std::vector<std::int32_t> out;
    for (int i = 0; i < 4; ++i) {
        auto part = play(*track, 3000);
        out.insert(out.end(), part.begin(), part.end());
    }
    EXPECT_EQ(out, repeated(12000));
}

TEST_F(GBMusicTrackTest, ALongFileStreamsAndLoopsWithoutAGap) {
    auto track = GBMusicTrack::initWithPath(writeStereo("long.wav", 40000));
    ASSERT_TRUE(track);
    track->play();
    EXPECT_EQ(play(*track, 100000), repeated(100000));
}

TEST_F(GBMusicTrackTest, WithoutRepeatTheEndPausesAndPostsOnce) {
    auto track = GBMusicTrack::initWithPath(writeStereo("short.wav", 3000));
    ASSERT_TRUE(track);
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().observe(
        game::GBMusicTrackFinishedPlayingNotification, [&](foundation::Notification const& n) {
            EXPECT_EQ(n.object(), track.get());
            ++posted;
        });
    track->setRepeat(false);
    track->play();
    play(*track, 3000);
    EXPECT_FALSE(track->audioQueue()->isRunning());
    EXPECT_EQ(posted, 0) << "posted on the main thread, not the queue's";
    loop().runFor(0);
    EXPECT_EQ(posted, 1);
    play(*track, 3000);
    loop().runFor(1.0);
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(track->currentPacketIndex(), 3000u) << "the file is read again from its start";
}

TEST_F(GBMusicTrackTest, ANotificationForATrackReleasedMeanwhileIsDropped) {
    auto track = GBMusicTrack::initWithPath(writeStereo("short.wav", 3000));
    ASSERT_TRUE(track);
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().observe(
        game::GBMusicTrackFinishedPlayingNotification,
        [&](foundation::Notification const&) { ++posted; });
    track->setRepeat(false);
    track->play();
    play(*track, 3000);
    track = nullptr;
    loop().runFor(0);
    EXPECT_EQ(posted, 0);
}

TEST_F(GBMusicTrackTest, CloseHappensOnceAndEndsTheQueue) {
    auto track = GBMusicTrack::initWithPath(writeStereo("music.wav", 10000));
    ASSERT_TRUE(track);
    track->play();
    track->close();
    EXPECT_TRUE(track->isClosed());
    EXPECT_EQ(track->audioQueue()->start(), media::status::queueDisposed);
    track->close();
    track->play();
    track->pause();
    track->setGain(0.5f);
    EXPECT_TRUE(track->isClosed());
}

TEST_F(GBMusicTrackTest, GainIsTheQueuesVolume) {
    auto track = GBMusicTrack::initWithPath(writeStereo("music.wav", 10000));
    ASSERT_TRUE(track);
    track->setGain(0.3f);
    EXPECT_EQ(track->audioQueue()->volume(), 0.3f);
    track->setGain(1.5f);
    EXPECT_EQ(track->audioQueue()->volume(), 1.0f);
}

TEST_F(GBMusicTrackTest, Ima4MusicPlaysDecoded) {
    test::Pcm const source = test::sinePcm(64 * 40, 2);
    std::vector<std::int16_t> const decoded = test::writeIma4Caf(dir / "music.caf", source);
    auto track = GBMusicTrack::initWithPath((dir / "music.caf").string());
    ASSERT_TRUE(track);
    EXPECT_EQ(track->packetsPerRead(), 65536u / 68u);
    track->play();
    EXPECT_EQ(play(*track, decoded.size() / 2),
        std::vector<std::int32_t>(decoded.begin(), decoded.end()));
}

TEST_F(GBMusicTrackTest, LargeVariablePacketsAreLimitedToTheBufferWithAWarning) {
    auto file = std::make_unique<VariableBitRateFile>(
        100000, std::vector<std::uint32_t> {400, 800, 1200});
    VariableBitRateFile* reader = file.get();
    test::LogCapture log;
    auto track = GBMusicTrack::initWithAudioFile("/music/big.vbr", std::move(file));
    ASSERT_TRUE(track);
    EXPECT_EQ(log.lines(),
        std::vector<std::string> {"GBMusicTrack Warning - initWithPath: had to limit packet size "
                                  "requested for file path: /music/big.vbr"});
    EXPECT_EQ(track->packetsPerRead(), 1u);
    EXPECT_TRUE(track->hasPacketDescriptions());
    EXPECT_EQ(reader->reads, (std::vector<std::uint32_t> {1, 1, 1}));
    EXPECT_EQ(track->primedBufferCount(), 3u);
    EXPECT_EQ(track->audioQueue()->magicCookie(), (std::vector<std::uint8_t> {0xC0, 0x0C}));
}

TEST_F(GBMusicTrackTest, SmallVariablePacketsFillABufferByTheirUpperBound) {
    auto file = std::make_unique<VariableBitRateFile>(1000, std::vector<std::uint32_t>(200, 400));
    auto track = GBMusicTrack::initWithAudioFile("/music/small.vbr", std::move(file));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->packetsPerRead(), 65u);
    EXPECT_EQ(track->currentPacketIndex(), 3u * 65u);
}

TEST_F(GBMusicTrackTest, APacketLargerThanABufferEndsTheFileInsteadOfOverrunning) {
    auto file = std::make_unique<VariableBitRateFile>(
        100000, std::vector<std::uint32_t> {400, 70000, 400});
    auto track = GBMusicTrack::initWithAudioFile("/music/broken.vbr", std::move(file));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->primedBufferCount(), 1u);
    EXPECT_EQ(track->currentPacketIndex(), 1u);
}

TEST_F(GBMusicTrackTest, FilesThatDoNotOpenAreLoggedAndGiveNoTrack) {
    std::ofstream(dir / "text.mp3") << "not music";
    struct Case {
        std::string path;
        std::string logged;
    } const cases[] = {
        {(dir / "absent.mp3").string(), "Path given was: " + (dir / "absent.mp3").string()},
        {(dir / "text.mp3").string(), "Path given was: " + (dir / "text.mp3").string()},
        {"", "Path given was: (null)"},
    };
    for (auto const& c : cases) {
        test::LogCapture log;
        EXPECT_FALSE(GBMusicTrack::initWithPath(c.path)) << c.path;
        ASSERT_EQ(log.lines().size(), 1u) << c.path;
        EXPECT_EQ(log.lines()[0],
            "GBMusicTrack Error - initWithPath: could not open audio file. " + c.logged);
    }
}

TEST_F(GBMusicTrackTest, FilesWithMoreThanTwoChannelsGiveNoTrack) {
    test::writeSoundFile(
        dir / "surround.wav", test::rampPcm(1000, 6), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    test::LogCapture log;
    EXPECT_FALSE(GBMusicTrack::initWithPath((dir / "surround.wav").string()));
    EXPECT_TRUE(log.contains("could not create an audio queue"));
}
