#include <game/shell/OpenALAudioData.hpp>
#include <game/shell/OpenALEngine.hpp>
#include <game/shell/SoundEffect.hpp>

#include "SoundFixture.hpp"
#include <support/LogCapture.hpp>

#include <sndfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using game::OpenALEngine;

namespace {

class OpenALEngineTest : public test::SoundTest {
protected:
    std::string writeWav(std::string const& name, std::size_t frames = 2000, int channels = 1) {
        test::Pcm const pcm = test::sinePcm(frames, channels);
        test::writeSoundFile(dir / name, pcm, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        return (dir / name).string();
    }

    ALuint sourceFor(std::string const& key) {
        auto const& sounds = OpenALEngine::sharedEngine()->soundDictionary();
        auto found = sounds.find(key);
        return found == sounds.end() ? 0 : found->second;
    }

    std::vector<std::int32_t> render(std::size_t frames) {
        return test::renderSamples(OpenALEngine::sharedEngine()->device(), frames);
    }
};

bool silent(std::vector<std::int32_t> const& samples) {
    return std::all_of(samples.begin(), samples.end(), [](std::int32_t s) { return s == 0; });
}

}

TEST(OpenALAudioData, DecodesToSixteenBitPcmOfTheFilesLayout) {
    test::TempDir dir;
    test::Pcm const mono = test::rampPcm(1234, 1, 22050);
    test::writeSoundFile(dir / "mono.wav", mono, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    test::Pcm const stereo = test::sinePcm(64 * 12, 2, 11025);
    std::vector<std::int16_t> const stereoExpected = test::writeIma4Caf(dir / "stereo.caf", stereo);

    auto const a = game::MyGetOpenALAudioData(dir / "mono.wav");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->format, AL_FORMAT_MONO16);
    EXPECT_EQ(a->sampleRate, 22050);
    EXPECT_EQ(a->size, 1234 * 2);
    EXPECT_EQ(a->data, mono.samples);

    auto const b = game::MyGetOpenALAudioData(dir / "stereo.caf");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->format, AL_FORMAT_STEREO16);
    EXPECT_EQ(b->sampleRate, 11025);
    EXPECT_EQ(b->size, ALsizei(stereoExpected.size() * 2));
    EXPECT_EQ(b->data, stereoExpected);
}

TEST(OpenALAudioData, SaysWhichStepFailed) {
    test::TempDir dir;
    test::writeSoundFile(
        dir / "surround.wav", test::rampPcm(100, 6), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::ofstream(dir / "text.wav") << "words";
    struct Case {
        char const* name;
        char const* logged;
    } const cases[] = {
        {"absent.wav", "MyGetOpenALAudioData: ExtAudioFileOpenURL FAILED, Error = -43"},
        {"text.wav", "MyGetOpenALAudioData: ExtAudioFileOpenURL FAILED, Error = 1954115647"},
        {"surround.wav",
            "MyGetOpenALAudioData - Unsupported Format, channel count is greater than stereo"},
    };
    for (auto const& c : cases) {
        test::LogCapture log;
        EXPECT_FALSE(game::MyGetOpenALAudioData(dir / c.name)) << c.name;
        EXPECT_EQ(log.lines(), std::vector<std::string> {c.logged}) << c.name;
    }
}

TEST_F(OpenALEngineTest, LoadsOneBufferAndSourcePerKeyAndPlaysIt) {
    std::string const path = writeWav("click.wav");
    OpenALEngine* engine = OpenALEngine::sharedEngine();
    ASSERT_TRUE(engine->loadSoundWithKey("click", path, false));
    EXPECT_EQ(engine->bufferStorageArray().size(), 1u);
    ALuint const source = sourceFor("click");
    ASSERT_NE(source, 0u);
    ALint looping = -1;
    alGetSourcei(source, AL_LOOPING, &looping);
    EXPECT_EQ(looping, AL_FALSE);

    EXPECT_FALSE(engine->isPlayingSoundWithKey("click"));
    engine->playSoundWithKey("click");
    EXPECT_TRUE(engine->isPlayingSoundWithKey("click"));
    auto const played = render(2000);
    EXPECT_FALSE(silent(played));
    // A centred mono sound reaches both ears alike.
    for (std::size_t i = 0; i < played.size(); i += 2)
        ASSERT_EQ(played[i], played[i + 1]);
    render(1);
    EXPECT_FALSE(engine->isPlayingSoundWithKey("click"));
    EXPECT_TRUE(silent(render(100)));
}

TEST_F(OpenALEngineTest, PlayingASoundingEffectStartsItAgain) {
    OpenALEngine* engine = OpenALEngine::sharedEngine();
    ASSERT_TRUE(engine->loadSoundWithKey("click", writeWav("click.wav", 4000), false));
    engine->playSoundWithKey("click");
    render(3000);
    ALint offset = 0;
    alGetSourcei(sourceFor("click"), AL_SAMPLE_OFFSET, &offset);
    EXPECT_EQ(offset, 3000);
    engine->playSoundWithKey("click");
    alGetSourcei(sourceFor("click"), AL_SAMPLE_OFFSET, &offset);
    EXPECT_EQ(offset, 0);
    engine->stopSoundWithKey("click");
    EXPECT_FALSE(engine->isPlayingSoundWithKey("click"));
    engine->rewindSoundWithKey("click");
    ALint state = 0;
    alGetSourcei(sourceFor("click"), AL_SOURCE_STATE, &state);
    EXPECT_EQ(state, AL_INITIAL);
}

TEST_F(OpenALEngineTest, UnknownKeysDoNothing) {
    OpenALEngine* engine = OpenALEngine::sharedEngine();
    engine->playSoundWithKey("nothing");
    engine->stopSoundWithKey("nothing");
    engine->rewindSoundWithKey("nothing");
    EXPECT_FALSE(engine->isPlayingSoundWithKey("nothing"));
}

TEST_F(OpenALEngineTest, LoadingAgainUnderAKeyReplacesTheOldSoundWholly) {
    OpenALEngine* engine = OpenALEngine::sharedEngine();
    ASSERT_TRUE(engine->loadSoundWithKey("click", writeWav("a.wav"), false));
    ALuint const first = sourceFor("click");
    ASSERT_TRUE(engine->loadSoundWithKey("click", writeWav("b.wav"), true));
    EXPECT_NE(sourceFor("click"), first);
    EXPECT_FALSE(alIsSource(first));
    EXPECT_EQ(engine->bufferStorageArray().size(), 1u);
    EXPECT_EQ(engine->soundDictionary().size(), 1u);
    ALint looping = 0;
    alGetSourcei(sourceFor("click"), AL_LOOPING, &looping);
    EXPECT_EQ(looping, AL_TRUE);
}

TEST_F(OpenALEngineTest, AFileThatFailsLeavesNothingBehind) {
    OpenALEngine* engine = OpenALEngine::sharedEngine();
    test::LogCapture log;
    EXPECT_FALSE(engine->loadSoundWithKey("gone", (dir / "absent.wav").string(), false));
    EXPECT_FALSE(engine->loadSoundWithKey("empty", "", false));
    EXPECT_TRUE(log.contains("OpenALEngine: file (null) not found."));
    EXPECT_EQ(engine->bufferStorageArray().size(), 0u);
    EXPECT_EQ(engine->soundDictionary().size(), 0u);
}

TEST_F(OpenALEngineTest, WithoutAContextLoadingFailsWithTheOpenALError) {
    OpenALEngine* engine = OpenALEngine::sharedEngine();
    engine->suspendOpenALSession();
    test::LogCapture log;
    EXPECT_FALSE(engine->loadSoundWithKey("click", writeWav("click.wav"), false));
    EXPECT_TRUE(log.contains("OpenALEngine: error loading sound: a004"));
    EXPECT_EQ(engine->bufferStorageArray().size(), 0u);
    engine->resumeOpenALSession();
    EXPECT_TRUE(engine->loadSoundWithKey("click", writeWav("click.wav"), false));
}

TEST_F(OpenALEngineTest, AnInterruptionParksAndRestoresTheSameContext) {
    media::AudioSession& session = media::AudioSession::sharedInstance();
    ASSERT_EQ(session.initialize(game::openALInterruptionListener, nullptr), media::status::ok);
    session.setActive(true);
    OpenALEngine* engine = OpenALEngine::sharedEngine();
    ALCcontext* context = alcGetCurrentContext();
    ASSERT_EQ(context, engine->context());
    session.beginInterruption();
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    EXPECT_FALSE(session.isActive());
    session.deliverInterruption(5);
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    session.endInterruption();
    EXPECT_EQ(alcGetCurrentContext(), context);
    EXPECT_TRUE(session.isActive());
}

TEST_F(OpenALEngineTest, SuspendingTheSessionDetachesTheContextUntilResumed) {
    media::AudioSession& session = media::AudioSession::sharedInstance();
    session.initialize(nullptr, nullptr);
    OpenALEngine* engine = OpenALEngine::sharedEngine();
    engine->resumeOpenALSession();
    EXPECT_TRUE(session.isActive());
    engine->suspendOpenALSession();
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    EXPECT_FALSE(session.isActive());
    engine->resumeOpenALSession();
    EXPECT_EQ(alcGetCurrentContext(), engine->context());
}

TEST_F(OpenALEngineTest, ShutDownMakesAFreshEngineNextTime) {
    OpenALEngine* first = OpenALEngine::sharedEngine();
    EXPECT_EQ(OpenALEngine::sharedEngine(), first);
    ASSERT_TRUE(first->loadSoundWithKey("click", writeWav("click.wav"), false));
    OpenALEngine::shutdownOpenAlEngine();
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    OpenALEngine* second = OpenALEngine::sharedEngine();
    EXPECT_EQ(second->soundDictionary().size(), 0u);
    EXPECT_EQ(alcGetCurrentContext(), second->context());
}

TEST_F(OpenALEngineTest, SoundEffectsPlayTheirFileThroughTheEngine) {
    std::string const path = writeWav("click.wav");
    test::LogCapture log;
    EXPECT_FALSE(game::SoundEffect::initWithContentsOfFile(""));
    EXPECT_EQ(log.lines(), std::vector<std::string> {"NSURL is nil for path: (null)"});
    EXPECT_FALSE(game::SoundEffect::soundEffectWithContentsOfFile((dir / "absent.wav").string()));

    auto effect = game::SoundEffect::soundEffectWithContentsOfFile(path);
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->key(), path);
    effect->play();
    EXPECT_TRUE(OpenALEngine::sharedEngine()->isPlayingSoundWithKey(path));
    effect->stop();
    EXPECT_FALSE(OpenALEngine::sharedEngine()->isPlayingSoundWithKey(path));
}
