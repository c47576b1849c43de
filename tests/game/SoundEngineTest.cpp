#include <game/shell/SoundEngine.hpp>

#include "SoundFixture.hpp"
#include <support/LogCapture.hpp>

#include <media/MusicPlayer.hpp>

#include <sndfile.h>

#include <gtest/gtest.h>

using game::OpenALEngine;
using game::SoundEngine;

namespace {

class SoundEngineTest : public test::SoundTest {
protected:
    SoundEngineTest() {
        music = test::rampPcm(30000, 2);
        test::writeSoundFile(bundle / "theme.wav", music, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        test::writeSoundFile(
            bundle / "other.wav", test::rampPcm(20000, 2), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    }

    static void writeEffect(std::filesystem::path const& path, std::size_t frames = 3000) {
        test::writeSoundFile(path, test::sinePcm(frames, 1), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    }

    bool effectPlaying(std::string const& path) {
        return OpenALEngine::sharedEngine()->isPlayingSoundWithKey(path);
    }

    // Ticks of the 0.05 s update timer.
    void ticks(int count) { loop().runFor(count * SoundEngine::updateInterval); }

    // The music's output in steps no longer than a buffer, refilled after each.
    std::vector<std::int32_t> playMusic(std::size_t frames) {
        media::AudioQueue* queue = engine->currentMusicTrack()->audioQueue();
        std::vector<std::int32_t> out;
        while (frames > 0) {
            std::size_t const step = std::min<std::size_t>(frames, 4096);
            auto part = test::renderSamples(queue->device(), step);
            EXPECT_TRUE(queue->sync(5.0));
            out.insert(out.end(), part.begin(), part.end());
            frames -= step;
        }
        return out;
    }

    std::vector<std::int32_t> musicFrom(std::size_t frame, std::size_t frames) const {
        return std::vector<std::int32_t>(music.samples.begin() + std::ptrdiff_t(frame * 2),
            music.samples.begin() + std::ptrdiff_t((frame + frames) * 2));
    }

    test::Pcm music;
    SoundEngine* engine = SoundEngine::sharedManager();
};

}

TEST_F(SoundEngineTest, StartsWithEverythingOnAndFullVolume) {
    EXPECT_TRUE(engine->isSoundEnable());
    EXPECT_TRUE(engine->isMusicTrackEnable());
    EXPECT_FALSE(engine->isPlayingMusicTrack());
    EXPECT_EQ(engine->getVolumeMusicTrack(), 1.0f);
    EXPECT_EQ(engine->targetMusicTrackVolume(), 1.0f);
    EXPECT_EQ(engine->deltaMusicTrackVolume(), 0.0f);
    EXPECT_EQ(engine->currentMusicTrack(), nullptr);
    EXPECT_TRUE(media::AudioSession::sharedInstance().isInitialized());
    EXPECT_EQ(SoundEngine::sharedManager(), engine);
}

TEST_F(SoundEngineTest, PlaysANamedEffectFromTheListInTheBundle) {
    writeSoundList(bundle / "sfxList.plist", {{"Click", "click.wav"}, {"Money", "coins.wav"}});
    writeEffect(bundle / "click.wav");
    engine->playSoundName("Click");
    ASSERT_NE(engine->pooledSoundEffect("click.wav"), nullptr);
    EXPECT_EQ(engine->pooledSoundEffect("click.wav")->key(), (bundle / "click.wav").string());
    EXPECT_TRUE(effectPlaying((bundle / "click.wav").string()));
    engine->stopSoundName("Click");
    EXPECT_FALSE(effectPlaying((bundle / "click.wav").string()));
}

TEST_F(SoundEngineTest, FindsTheListAndTheSoundsInTheDataFolder) {
    writeSoundList(dataFolder / "sfxList.plist", {{"EventRichLady", "lady.wav"}});
    writeEffect(dataFolder / "lady.wav");
    EXPECT_EQ(engine->getSoundPath("lady.wav"), (dataFolder / "lady.wav").string());
    engine->playSoundName("EventRichLady");
    EXPECT_TRUE(effectPlaying((dataFolder / "lady.wav").string()));
}

TEST_F(SoundEngineTest, ABundleFileWinsOverTheDataFolder) {
    writeEffect(bundle / "click.wav");
    writeEffect(dataFolder / "click.wav");
    EXPECT_EQ(engine->getSoundPath("click.wav"), (bundle / "click.wav").string());
    engine->playSoundEffect("click.wav");
    EXPECT_EQ(engine->pooledSoundEffect("click.wav")->key(), (bundle / "click.wav").string());
}

TEST_F(SoundEngineTest, NamesCannotLeadOutOfTheDataFolder) {
    writeEffect(dir / "home" / "Library" / "secret.wav");
    EXPECT_EQ(engine->getSoundPath("../secret.wav"), "");
    EXPECT_EQ(engine->getSoundPath("/etc/passwd"), "");
    engine->playSoundEffect("../secret.wav");
    EXPECT_EQ(engine->soundEffectPoolSize(), 0u);
}

TEST_F(SoundEngineTest, UnknownNamesAndMissingListsPlayNothing) {
    engine->playSoundName("Click");
    EXPECT_EQ(engine->soundEffectPoolSize(), 0u);
    writeSoundList(bundle / "sfxList.plist", {{"Click", "click.wav"}});
    writeEffect(bundle / "click.wav");
    engine->playSoundName("Nonsense");
    engine->stopSoundName("Nonsense");
    EXPECT_EQ(engine->soundEffectPoolSize(), 0u);
    std::ofstream(bundle / "sfxList.plist", std::ios::trunc) << "<plist><dict><key>Click</key>";
    engine->playSoundName("Click");
    EXPECT_EQ(engine->soundEffectPoolSize(), 0u);
}

TEST_F(SoundEngineTest, AMissingFileIsLoggedAndPlaysNothing) {
    writeSoundList(bundle / "sfxList.plist", {{"Click", "click.wav"}});
    test::LogCapture log;
    engine->playSoundName("Click");
    EXPECT_EQ(log.lines(), std::vector<std::string> {"NSURL is nil for path: (null)"});
    EXPECT_EQ(engine->soundEffectPoolSize(), 0u);
    EXPECT_FALSE(engine->addSoundEffect("click.wav"));
}

TEST_F(SoundEngineTest, WithEffectsOffNothingPlaysStopsOrLoads) {
    writeSoundList(bundle / "sfxList.plist", {{"Click", "click.wav"}});
    writeEffect(bundle / "click.wav");
    ASSERT_TRUE(engine->addSoundEffect("click.wav"));
    engine->playSoundEffect("click.wav");
    engine->enableSound(false);
    EXPECT_FALSE(engine->isSoundEnable());
    engine->stopSoundEffect("click.wav");
    engine->stopSoundName("Click");
    EXPECT_TRUE(effectPlaying((bundle / "click.wav").string()))
        << "a stop while off does nothing either";
    writeEffect(bundle / "other-click.wav");
    engine->playSoundEffect("other-click.wav");
    engine->playSoundName("Click");
    EXPECT_EQ(engine->soundEffectPoolSize(), 1u);
}

TEST_F(SoundEngineTest, EffectsLoadOnceIntoThePool) {
    writeEffect(bundle / "click.wav");
    EXPECT_TRUE(engine->preloadSoundEffect("click.wav"));
    EXPECT_FALSE(engine->addSoundEffect("click.wav"));
    game::SoundEffect* effect = engine->pooledSoundEffect("click.wav");
    engine->playSoundEffect("click.wav");
    EXPECT_EQ(engine->pooledSoundEffect("click.wav"), effect);
    EXPECT_EQ(OpenALEngine::sharedEngine()->bufferStorageArray().size(), 1u);
    SoundEngine::releasePool();
    EXPECT_EQ(engine->soundEffectPoolSize(), 0u);
    engine->playSoundEffect("click.wav");
    EXPECT_EQ(OpenALEngine::sharedEngine()->bufferStorageArray().size(), 1u)
        << "the reload replaced the old sound";
}

TEST_F(SoundEngineTest, PlaysMusicAtTheCurrentVolumeAndNeverRestartsTheSameFile) {
    engine->setVolumeMusicTrack(0.5f);
    engine->playMusicTrack("theme.wav");
    ASSERT_NE(engine->currentMusicTrack(), nullptr);
    EXPECT_TRUE(engine->isPlayingMusicTrack());
    EXPECT_EQ(engine->currentMusicTrackFileName(), "theme.wav");
    game::GBMusicTrack* track = engine->currentMusicTrack();
    EXPECT_TRUE(track->audioQueue()->isRunning());
    EXPECT_EQ(track->audioQueue()->volume(), 0.5f);
    playMusic(5000);
    engine->playMusicTrack("theme.wav");
    EXPECT_EQ(engine->currentMusicTrack(), track);
    EXPECT_EQ(track->audioQueue()->volume(), 0.5f);
}

TEST_F(SoundEngineTest, MusicStartedWhileSwitchedOffWaitsPausedAndResumesInPlace) {
    engine->enableMusicTrack(false);
    engine->playMusicTrack("theme.wav");
    ASSERT_NE(engine->currentMusicTrack(), nullptr);
    EXPECT_TRUE(engine->isPlayingMusicTrack());
    EXPECT_FALSE(engine->currentMusicTrack()->audioQueue()->isRunning());
    EXPECT_EQ(playMusic(1000), std::vector<std::int32_t>(2000, 0));
    engine->enableMusicTrack(true);
    EXPECT_EQ(playMusic(1000), musicFrom(0, 1000));
    engine->enableMusicTrack(false);
    EXPECT_EQ(playMusic(500), std::vector<std::int32_t>(1000, 0));
    engine->enableMusicTrack(true);
    EXPECT_EQ(playMusic(1000), musicFrom(1000, 1000));
}

TEST_F(SoundEngineTest, FadesStepEveryTickAndLandExactlyOnTheTarget) {
    struct Case {
        float from;
        float to;
        float duration;
        float step;
        int ticks;
    } const cases[] = {
        {1.0f, 0.0f, 1.0f, -0.05f, 20},
        {0.2f, 1.0f, 0.5f, 0.08f, 10},
        {0.5f, 0.5f, 1.0f, 0.0f, 0},
    };
    engine->playMusicTrack("theme.wav");
    for (auto const& c : cases) {
        engine->setVolumeMusicTrack(c.from);
        engine->fadeToVolumeMusicTrack(c.to, c.duration);
        EXPECT_FLOAT_EQ(engine->deltaMusicTrackVolume(), c.step);
        float previous = c.from;
        // Float steps may fall a hair short of the target on the last whole
        // step; the next tick then lands on it.
        for (int tick = 1; tick < c.ticks; ++tick) {
            ticks(1);
            float const now = engine->getVolumeMusicTrack();
            EXPECT_NEAR(now - previous, c.step, 1e-5) << "tick " << tick;
            previous = now;
        }
        for (int tick = 0; tick < 2; ++tick) {
            ticks(1);
            EXPECT_LE(engine->getVolumeMusicTrack(), std::max(c.from, c.to));
            EXPECT_GE(engine->getVolumeMusicTrack(), std::min(c.from, c.to));
        }
        EXPECT_EQ(engine->getVolumeMusicTrack(), c.to);
        ticks(5);
        EXPECT_EQ(engine->getVolumeMusicTrack(), c.to);
        EXPECT_EQ(engine->currentMusicTrack()->audioQueue()->volume(), c.to);
    }
}

TEST_F(SoundEngineTest, AFadeWithNoTimeToRunLandsAtTheNextTick) {
    engine->playMusicTrack("theme.wav");
    for (float duration : {0.0f, -1.0f}) {
        engine->setVolumeMusicTrack(1.0f);
        engine->fadeToVolumeMusicTrack(0.25f, duration);
        ticks(1);
        EXPECT_EQ(engine->getVolumeMusicTrack(), 0.25f) << duration;
        ticks(10);
        EXPECT_EQ(engine->getVolumeMusicTrack(), 0.25f) << duration;
    }
}

TEST_F(SoundEngineTest, FadesWaitForATrack) {
    engine->fadeToVolumeMusicTrack(0.0f, 0.5f);
    ticks(20);
    EXPECT_EQ(engine->getVolumeMusicTrack(), 1.0f);
    engine->playMusicTrack("theme.wav");
    ticks(10);
    EXPECT_EQ(engine->getVolumeMusicTrack(), 0.0f);
}

TEST_F(SoundEngineTest, SettingTheVolumeClampsAndEndsAFade) {
    struct Case {
        float given;
        float stored;
    } const cases[] = {{1.7f, 1.0f}, {-0.3f, 0.0f}, {0.4f, 0.4f}};
    engine->playMusicTrack("theme.wav");
    for (auto const& c : cases) {
        engine->fadeToVolumeMusicTrack(0.9f, 2.0f);
        engine->setVolumeMusicTrack(c.given);
        EXPECT_EQ(engine->getVolumeMusicTrack(), c.stored);
        EXPECT_EQ(engine->targetMusicTrackVolume(), c.stored);
        ticks(3);
        EXPECT_EQ(engine->getVolumeMusicTrack(), c.stored);
    }
    engine->setVolumeMusicTrack(0.9f);
    engine->setDeltaVolumeMusicTrack(0.3f);
    EXPECT_EQ(engine->getVolumeMusicTrack(), 1.0f);
    engine->setDeltaVolumeMusicTrack(-0.25f);
    EXPECT_EQ(engine->getVolumeMusicTrack(), 0.75f);
    EXPECT_EQ(engine->targetMusicTrackVolume(), 0.75f);
    EXPECT_EQ(engine->currentMusicTrack()->audioQueue()->volume(), 0.75f);
}

TEST_F(SoundEngineTest, SuspendAndResumeRestartTheSameFileAtTheCurrentVolume) {
    engine->playMusicTrack("theme.wav");
    playMusic(8000);
    engine->suspendMusicTrack();
    EXPECT_EQ(engine->currentMusicTrack(), nullptr);
    EXPECT_TRUE(engine->isPlayingMusicTrack());
    EXPECT_EQ(engine->currentMusicTrackFileName(), "theme.wav");
    engine->playMusicTrack("theme.wav");
    EXPECT_EQ(engine->currentMusicTrack(), nullptr) << "the remembered name is not played again";
    engine->setVolumeMusicTrack(0.25f);
    engine->resumeMusicTrack();
    ASSERT_NE(engine->currentMusicTrack(), nullptr);
    EXPECT_EQ(engine->currentMusicTrack()->audioQueue()->volume(), 0.25f);
    EXPECT_TRUE(engine->currentMusicTrack()->audioQueue()->isRunning());
    EXPECT_EQ(engine->currentMusicTrackFileName(), "theme.wav");
    engine->setVolumeMusicTrack(1.0f);
    EXPECT_EQ(playMusic(1000), musicFrom(0, 1000));
}

TEST_F(SoundEngineTest, AfterSuspendADifferentFilePlaysAtOnce) {
    engine->playMusicTrack("theme.wav");
    engine->suspendMusicTrack();
    engine->playMusicTrack("other.wav");
    ASSERT_NE(engine->currentMusicTrack(), nullptr);
    EXPECT_EQ(engine->currentMusicTrackFileName(), "other.wav");
}

TEST_F(SoundEngineTest, PauseAndResumeKeepThePlace) {
    engine->playMusicTrack("theme.wav");
    EXPECT_EQ(playMusic(2000), musicFrom(0, 2000));
    engine->pauseMusicTrack();
    EXPECT_EQ(playMusic(500), std::vector<std::int32_t>(1000, 0));
    engine->resumeMusicTrack();
    EXPECT_EQ(playMusic(2000), musicFrom(2000, 2000));
}

TEST_F(SoundEngineTest, ResumingKeepsMusicThatIsSwitchedOffPaused) {
    engine->playMusicTrack("theme.wav");
    engine->enableMusicTrack(false);
    engine->resumeMusicTrack();
    EXPECT_FALSE(engine->currentMusicTrack()->audioQueue()->isRunning());
    engine->suspendMusicTrack();
    engine->resumeMusicTrack();
    ASSERT_NE(engine->currentMusicTrack(), nullptr);
    EXPECT_FALSE(engine->currentMusicTrack()->audioQueue()->isRunning());
}

TEST_F(SoundEngineTest, SwitchingMusicOnAfterSuspendPlaysTheLastTrack) {
    engine->playMusicTrack("theme.wav");
    engine->enableMusicTrack(false);
    engine->suspendMusicTrack();
    engine->enableMusicTrack(true);
    ASSERT_NE(engine->currentMusicTrack(), nullptr);
    EXPECT_TRUE(engine->currentMusicTrack()->audioQueue()->isRunning());
}

TEST_F(SoundEngineTest, StopForgetsTheTrack) {
    engine->playMusicTrack("theme.wav");
    engine->stopMusicTrack();
    EXPECT_EQ(engine->currentMusicTrack(), nullptr);
    EXPECT_FALSE(engine->isPlayingMusicTrack());
    EXPECT_EQ(engine->currentMusicTrackFileName(), "");
    engine->resumeMusicTrack();
    engine->enableMusicTrack(true);
    EXPECT_EQ(engine->currentMusicTrack(), nullptr);
    engine->playMusicTrack("theme.wav");
    EXPECT_NE(engine->currentMusicTrack(), nullptr);
}

TEST_F(SoundEngineTest, AMissingMusicFileIsLoggedAndLeavesTheOldTrackStopped) {
    test::LogCapture log;
    EXPECT_FALSE(engine->preloadMusicTrack("absent.mp3"));
    EXPECT_EQ(log.lines(),
        std::vector<std::string> {"GBMusicTrack Error - initWithPath: could not open audio file. "
                                  "Path given was: (null)"});
    engine->playMusicTrack("theme.wav");
    ASSERT_NE(engine->currentMusicTrack(), nullptr);
    engine->playMusicTrack("absent.mp3");
    EXPECT_EQ(engine->currentMusicTrack(), nullptr);
    EXPECT_FALSE(engine->isPlayingMusicTrack());
}

TEST_F(SoundEngineTest, MusicFromTheDataFolderPlays) {
    test::writeSoundFile(
        dataFolder / "pack.wav", test::rampPcm(5000, 2), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    engine->playMusicTrack("pack.wav");
    EXPECT_NE(engine->currentMusicTrack(), nullptr);
}

TEST_F(SoundEngineTest, TheLoopSwitchReachesTheOpenTrack) {
    engine->setMusicTrackLoop(false);
    engine->playMusicTrack("theme.wav");
    EXPECT_TRUE(engine->currentMusicTrack()->repeats());
    engine->setMusicTrackLoop(false);
    EXPECT_FALSE(engine->currentMusicTrack()->repeats());
}

TEST_F(SoundEngineTest, ModesSetTheSessionCategory) {
    using Category = media::AudioSession::Category;
    auto& session = media::AudioSession::sharedInstance();
    engine->changeToRecordMode();
    EXPECT_EQ(session.category(), Category::RecordAudio);
    engine->changeToPlaybackMode();
    EXPECT_EQ(session.category(), Category::MediaPlayback);
    engine->changeToAmbientMode();
    EXPECT_EQ(session.category(), Category::AmbientSound);
    engine->changeToPlayAndRecordMode();
    EXPECT_EQ(session.category(), Category::PlayAndRecord);
    EXPECT_EQ(session.audioRouteOverride(), media::AudioSession::RouteOverride::Speaker);
}

TEST_F(SoundEngineTest, WithoutASpeakerTheEngineIsMute) {
    EXPECT_TRUE(engine->isMute());
}

TEST_F(SoundEngineTest, TheSystemVolumeIsTheMusicPlayersClamped) {
    engine->setSystemVolume(0.3f);
    EXPECT_EQ(engine->getSystemVolume(), 0.3f);
    engine->setSystemVolume(4.0f);
    EXPECT_EQ(engine->getSystemVolume(), 1.0f);
    media::MusicPlayer::applicationMusicPlayer().setVolume(1.0f);
}

TEST_F(SoundEngineTest, ReleasingTheManagerStopsItsTimerAndMakesAFreshOne) {
    std::size_t const timers = loop().timerCount();
    SoundEngine::releaseManager();
    EXPECT_EQ(loop().timerCount(), timers - 1);
    SoundEngine* fresh = SoundEngine::sharedManager();
    EXPECT_EQ(loop().timerCount(), timers);
    EXPECT_EQ(fresh->soundEffectPoolSize(), 0u);
    engine = fresh;
}
