#include <media/AudioPlayer.hpp>

#include "LoopbackOutput.hpp"
#include "SoundFiles.hpp"
#include "foundation/MainLoopFixture.hpp"
#include <support/TempDir.hpp>

#include <sndfile.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace status = media::status;
using media::AudioPlayer;

namespace {

struct FinishRecorder : media::AudioPlayerDelegate {
    void audioPlayerDidFinishPlaying(AudioPlayer& player, bool successfully) override {
        finished.push_back(&player);
        flags.push_back(successfully);
    }
    std::vector<AudioPlayer*> finished;
    std::vector<bool> flags;
};

class AudioPlayerTest : public test::MainLoopTest {
protected:
    AudioPlayerTest() {
        pcm = test::rampPcm(1000, 2);
        test::writeSoundFile(dir / "sound.wav", pcm, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    }

    std::vector<std::int32_t> expected(std::size_t fromFrame, std::size_t frames) const {
        return std::vector<std::int32_t>(pcm.samples.begin() + std::ptrdiff_t(fromFrame * 2),
            pcm.samples.begin() + std::ptrdiff_t((fromFrame + frames) * 2));
    }

    test::LoopbackOutput loopback;
    test::TempDir dir;
    test::Pcm pcm;
    FinishRecorder delegate;
};

}

TEST_F(AudioPlayerTest, PlaysTheWholeSoundAndTellsTheDelegateOnce) {
    media::Status result = -1;
    auto player = AudioPlayer::createWithContentsOfFile(dir / "sound.wav", &result);
    ASSERT_TRUE(player);
    EXPECT_EQ(result, status::ok);
    EXPECT_NEAR(player->duration(), 1000.0 / 44100.0, 1e-9);
    player->setDelegate(&delegate);
    EXPECT_TRUE(player->prepareToPlay());
    EXPECT_TRUE(player->play());
    EXPECT_TRUE(player->isPlaying());
    EXPECT_EQ(test::renderSamples(AudioPlayer::outputDevice(), 1000), expected(0, 1000));
    loop().runFor(0.05);
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(delegate.finished, std::vector<AudioPlayer*> {player.get()});
    EXPECT_EQ(delegate.flags, std::vector<bool> {true});
    loop().runFor(1.0);
    EXPECT_EQ(delegate.finished.size(), 1u);
}

TEST_F(AudioPlayerTest, StopKeepsThePlaceAndTellsNobody) {
    auto player = AudioPlayer::createWithContentsOfFile(dir / "sound.wav", nullptr);
    ASSERT_TRUE(player);
    player->setDelegate(&delegate);
    player->play();
    EXPECT_EQ(test::renderSamples(AudioPlayer::outputDevice(), 400), expected(0, 400));
    player->stop();
    EXPECT_NEAR(player->currentTime(), 400.0 / 44100.0, 1e-4);
    loop().runFor(0.5);
    EXPECT_TRUE(delegate.finished.empty());
    player->play();
    EXPECT_EQ(test::renderSamples(AudioPlayer::outputDevice(), 600), expected(400, 600));
}

TEST_F(AudioPlayerTest, PlaysFromAChosenTime) {
    auto player = AudioPlayer::createWithContentsOfFile(dir / "sound.wav", nullptr);
    ASSERT_TRUE(player);
    player->setCurrentTime(500.0 / 44100.0);
    player->play();
    // OpenAL fades in a sound that starts mid-way over the first frames it mixes.
    test::renderSamples(AudioPlayer::outputDevice(), 100);
    EXPECT_EQ(test::renderSamples(AudioPlayer::outputDevice(), 400), expected(600, 400));
}

TEST_F(AudioPlayerTest, PlaysSoundHeldInMemory) {
    std::ifstream in(dir / "sound.wav", std::ios::binary);
    std::vector<std::uint8_t> bytes(
        (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto player = AudioPlayer::createWithData(bytes, nullptr);
    ASSERT_TRUE(player);
    player->play();
    EXPECT_EQ(test::renderSamples(AudioPlayer::outputDevice(), 1000), expected(0, 1000));
}

TEST_F(AudioPlayerTest, RefusesWhatItCannotPlay) {
    test::writeSoundFile(
        dir / "surround.wav", test::rampPcm(100, 6), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::ofstream(dir / "text.wav") << "no sound here";
    struct Case {
        char const* name;
        media::Status expected;
    } const cases[] = {
        {"absent.wav", status::fileNotFound},
        {"text.wav", status::unsupportedFileType},
        {"surround.wav", status::unsupportedDataFormat},
    };
    for (auto const& c : cases) {
        media::Status result = 0;
        EXPECT_FALSE(AudioPlayer::createWithContentsOfFile(dir / c.name, &result)) << c.name;
        EXPECT_EQ(result, c.expected) << c.name;
    }
}

TEST_F(AudioPlayerTest, TheSharedOutputClosesWithTheLastPlayer) {
    auto first = AudioPlayer::createWithContentsOfFile(dir / "sound.wav", nullptr);
    auto second = AudioPlayer::createWithContentsOfFile(dir / "sound.wav", nullptr);
    ALCdevice* device = AudioPlayer::outputDevice();
    ASSERT_NE(device, nullptr);
    first = nullptr;
    EXPECT_EQ(AudioPlayer::outputDevice(), device);
    second = nullptr;
    EXPECT_EQ(AudioPlayer::outputDevice(), nullptr);
}
