#include <media/AudioRecorder.hpp>
#include <media/CaptureDevice.hpp>

#include "SoundFiles.hpp"
#include "foundation/MainLoopFixture.hpp"
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using media::AudioRecorder;

namespace {

// A microphone that hears a constant level, as much as the test lets it.
struct FakeMicrophone {
    std::int16_t level {1000};
    std::size_t available {0};
    int starts {0};
};

class FakeCapture final : public media::CaptureDevice {
public:
    explicit FakeCapture(std::shared_ptr<FakeMicrophone> microphone)
        : microphone_(std::move(microphone)) { }
    bool start() override {
        ++microphone_->starts;
        return true;
    }
    void stop() override { }
    std::size_t read(std::int16_t* out, std::size_t maxFrames) override {
        std::size_t const frames = std::min(maxFrames, microphone_->available);
        std::fill(out, out + frames, microphone_->level);
        microphone_->available -= frames;
        return frames;
    }

private:
    std::shared_ptr<FakeMicrophone> microphone_;
};

struct FinishRecorder : media::AudioRecorderDelegate {
    void audioRecorderDidFinishRecording(AudioRecorder&, bool successfully) override {
        flags.push_back(successfully);
    }
    std::vector<bool> flags;
};

class AudioRecorderTest : public test::MainLoopTest {
protected:
    AudioRecorderTest() {
        settings.formatID = media::formatLinearPCM;
        media::CaptureDevice::setOpener(
            [m = microphone](int, int) { return std::make_unique<FakeCapture>(m); });
    }
    ~AudioRecorderTest() override { media::CaptureDevice::setOpener(nullptr); }

    test::TempDir dir;
    media::RecordSettings settings;
    std::shared_ptr<FakeMicrophone> microphone = std::make_shared<FakeMicrophone>();
    FinishRecorder delegate;
};

}

TEST_F(AudioRecorderTest, RecordsExactlyItsDurationThenTellsTheDelegate) {
    auto recorder = AudioRecorder::create(dir / "take.wav", settings, nullptr);
    ASSERT_TRUE(recorder);
    recorder->setDelegate(&delegate);
    microphone->available = 3000;
    ASSERT_TRUE(recorder->recordForDuration(0.1));
    EXPECT_TRUE(recorder->isRecording());
    loop().runFor(0.05);
    EXPECT_EQ(recorder->currentTime(), 3000.0 / 44100.0);
    EXPECT_TRUE(delegate.flags.empty());
    microphone->available = 10000;
    loop().runFor(0.05);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(delegate.flags, std::vector<bool> {true});

    test::Pcm const recorded = test::readSoundFile(dir / "take.wav");
    EXPECT_EQ(recorded.sampleRate, 44100);
    EXPECT_EQ(recorded.channels, 1);
    EXPECT_EQ(recorded.samples, std::vector<std::int16_t>(4410, 1000));
}

TEST_F(AudioRecorderTest, StopKeepsWhatWasHeardAndRecordingAgainReplacesIt) {
    auto recorder = AudioRecorder::create(dir / "take.caf", settings, nullptr);
    ASSERT_TRUE(recorder);
    recorder->setDelegate(&delegate);
    ASSERT_TRUE(recorder->record());
    microphone->available = 500;
    recorder->stop();
    EXPECT_EQ(delegate.flags, std::vector<bool> {true});
    EXPECT_EQ(test::readSoundFile(dir / "take.caf").samples.size(), 500u);

    microphone->level = -7;
    ASSERT_TRUE(recorder->record());
    microphone->available = 20;
    loop().runFor(0.05);
    recorder->stop();
    EXPECT_EQ(test::readSoundFile(dir / "take.caf").samples, std::vector<std::int16_t>(20, -7));
}

TEST_F(AudioRecorderTest, MetersTheMeanAndPeakPower) {
    auto recorder = AudioRecorder::create(dir / "take.wav", settings, nullptr);
    ASSERT_TRUE(recorder);
    recorder->setMeteringEnabled(true);
    EXPECT_EQ(recorder->averagePowerForChannel(0), -160.0f);
    microphone->level = 16384;
    microphone->available = 1000;
    ASSERT_TRUE(recorder->record());
    loop().runFor(0.05);
    recorder->updateMeters();
    EXPECT_NEAR(recorder->averagePowerForChannel(0), -6.0206, 1e-3);
    EXPECT_NEAR(recorder->peakPowerForChannel(0), -6.0206, 1e-3);
    EXPECT_EQ(recorder->averagePowerForChannel(1), -160.0f);
    recorder->stop();
}

TEST_F(AudioRecorderTest, WithoutAMicrophoneNothingRecords) {
    media::CaptureDevice::setOpener(
        [](int, int) { return std::unique_ptr<media::CaptureDevice>(); });
    auto recorder = AudioRecorder::create(dir / "take.wav", settings, nullptr);
    ASSERT_TRUE(recorder);
    EXPECT_FALSE(recorder->prepareToRecord());
    EXPECT_FALSE(recorder->record());
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(AudioRecorderTest, RefusesSettingsItCannotWriteAndPlacesItCannotCreate) {
    media::RecordSettings notPcm = settings;
    notPcm.formatID = media::fourCharCode("aac ");
    media::RecordSettings threeChannels = settings;
    threeChannels.numberOfChannels = 3;
    media::RecordSettings twelveBits = settings;
    twelveBits.linearPCMBitDepth = 12;
    struct Case {
        char const* name;
        std::filesystem::path path;
        media::RecordSettings settings;
    } const cases[] = {
        {"not linear PCM", dir / "a.wav", notPcm},
        {"three channels", dir / "b.wav", threeChannels},
        {"twelve bits", dir / "c.wav", twelveBits},
        {"missing folder", dir / "no" / "such" / "d.wav", settings},
    };
    for (auto const& c : cases) {
        media::RecorderError error;
        EXPECT_FALSE(AudioRecorder::create(c.path, c.settings, &error)) << c.name;
        EXPECT_EQ(error.domain, "NSOSStatusErrorDomain") << c.name;
        EXPECT_NE(error.code, 0) << c.name;
        EXPECT_FALSE(error.localizedDescription.empty()) << c.name;
    }
}
