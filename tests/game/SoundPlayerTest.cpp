#include <game/shell/SoundPlayer.hpp>

#include "SoundFixture.hpp"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using game::SoundPlayer;

namespace {

class SoundPlayerTest : public test::SoundTest {
protected:
    SoundPlayerTest() {
        test::writeSoundFile(
            dir / "ding.wav", test::rampPcm(1000, 2), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        path = (dir / "ding.wav").string();
    }

    void render(std::size_t frames) {
        test::renderSamples(media::AudioPlayer::outputDevice(), frames);
    }

    base::Ref<SoundPlayer> sounds = SoundPlayer::init();
    std::string path;
};

}

TEST_F(SoundPlayerTest, InstancesPlayTogetherAndGrowWhenAllAreBusy) {
    auto first = sounds->playSound(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(sounds->playerCount(path), 1u);
    auto second = sounds->playSound(path);
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(sounds->playerCount(path), 2u);
    EXPECT_TRUE(sounds->isPlayingSound(path));
    render(1000);
    loop().runFor(0.05);
    EXPECT_FALSE(sounds->isPlayingSound(path));
    EXPECT_EQ(sounds->playSound(path), first) << "an idle player is used again";
    EXPECT_EQ(sounds->playerCount(path), 2u);
}

TEST_F(SoundPlayerTest, WithoutInstancesTheFirstPlayerStartsAgainFromTheBeginning) {
    auto first = sounds->playSound(path, false);
    ASSERT_TRUE(first);
    render(600);
    EXPECT_EQ(sounds->playSound(path, false), first);
    EXPECT_NEAR(first->currentTime(), 0.0, 1e-6);
    EXPECT_EQ(sounds->playerCount(path), 1u);
}

TEST_F(SoundPlayerTest, TheRegisteredCallbackRunsOnceWhenItsPlayerFinishes) {
    auto player = sounds->playSound(path);
    int called = 0;
    sounds->setCallBackTarget([&] { ++called; }, player.get());
    render(1000);
    loop().runFor(0.05);
    EXPECT_EQ(called, 1);
    sounds->playSound(path);
    render(1000);
    loop().runFor(0.05);
    EXPECT_EQ(called, 1);
}

TEST_F(SoundPlayerTest, StopAndRemoveLetPlayersGo) {
    auto player = sounds->playSound(path);
    sounds->playSound(path);
    sounds->stopSound(path);
    EXPECT_FALSE(sounds->isPlayingSound(path));
    EXPECT_EQ(sounds->getPlayer(path), player);
    sounds->removeSoundPlayer(player.get());
    EXPECT_EQ(sounds->playerCount(path), 1u);
    EXPECT_EQ(player->delegate(), nullptr);
    sounds->removeSound(path);
    EXPECT_EQ(sounds->playerCount(path), 0u);
    EXPECT_FALSE(sounds->getPlayer(path));
}

TEST_F(SoundPlayerTest, SoundDataIsKeptUnderItsKey) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> const bytes(
        (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(sounds->preloadSoundData(bytes, "ding"));
    EXPECT_EQ(sounds->playerCount("ding"), 1u);
    EXPECT_TRUE(sounds->playSoundData(bytes, "ding"));
    sounds->releasePool();
    EXPECT_EQ(sounds->playerCount("ding"), 0u);
}

TEST_F(SoundPlayerTest, SoundsThatDoNotLoadGiveNoPlayer) {
    EXPECT_FALSE(sounds->addSound((dir / "absent.wav").string()));
    EXPECT_FALSE(sounds->playSound((dir / "absent.wav").string()));
    EXPECT_EQ(sounds->playerCount((dir / "absent.wav").string()), 0u);
}
