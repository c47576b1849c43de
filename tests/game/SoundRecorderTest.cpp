#include <game/shell/SoundRecorder.hpp>

#include "SoundFixture.hpp"

#include <media/CaptureDevice.hpp>

#include <gtest/gtest.h>

#include <algorithm>

using game::SoundRecorder;

namespace {

struct Alert {
    std::string title;
    std::string message;
    std::string button;
};

// A microphone that hears a steady level, as much as the test lets it.
class SteadyMicrophone final : public media::CaptureDevice {
public:
    explicit SteadyMicrophone(std::size_t* available)
        : available_(available) { }
    bool start() override { return true; }
    void stop() override { }
    std::size_t read(std::int16_t* out, std::size_t maxFrames) override {
        std::size_t const frames = std::min(maxFrames, *available_);
        std::fill(out, out + frames, std::int16_t(3277));
        *available_ -= frames;
        return frames;
    }

private:
    std::size_t* available_;
};

class SoundRecorderTest : public test::SoundTest {
protected:
    SoundRecorderTest() {
        SoundRecorder::setAlertPresenter(
            [this](
                std::string const& title, std::string const& message, std::string const& button) {
                alerts.push_back({title, message, button});
            });
    }
    ~SoundRecorderTest() override {
        SoundRecorder::setAlertPresenter(nullptr);
        media::CaptureDevice::setOpener(nullptr);
    }

    void withMicrophone() {
        media::CaptureDevice::setOpener(
            [this](int, int) { return std::make_unique<SteadyMicrophone>(&available); });
    }
    void withoutMicrophone() {
        media::CaptureDevice::setOpener(
            [](int, int) { return std::unique_ptr<media::CaptureDevice>(); });
    }

    base::Ref<SoundRecorder> recorder = SoundRecorder::init();
    std::vector<Alert> alerts;
    std::size_t available {0};
};

}

TEST_F(SoundRecorderTest, WithoutAMicrophoneItWarnsAndFails) {
    withoutMicrophone();
    EXPECT_FALSE(recorder->startRecording("voice.wav", 1.0));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, "Warning");
    EXPECT_EQ(alerts[0].message, "Audio input hardware not available");
    EXPECT_EQ(alerts[0].button, "OK");
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->getRecordTime(), 0.0);
    EXPECT_EQ(recorder->getVolume(), 0.0f);
}

TEST_F(SoundRecorderTest, RecordsIntoTheDataFolderForItsDuration) {
    withMicrophone();
    int finished = 0;
    recorder->setCallBackTarget([&] { ++finished; });
    ASSERT_TRUE(recorder->startRecording("voice.wav", 0.5));
    EXPECT_TRUE(recorder->isRecording());
    available = 10000;
    loop().runFor(0.05);
    EXPECT_NEAR(recorder->getRecordTime(), 10000.0 / 44100.0, 1e-9);
    // A steady tenth of full scale is -20 dB: (160 - 20) / 160.
    EXPECT_NEAR(recorder->getVolume(), 0.875f, 1e-3);
    available = 100000;
    loop().runFor(0.05);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(recorder->isRecordExisted("voice.wav"));
    test::Pcm const recorded = test::readSoundFile(dataFolder / "voice.wav");
    EXPECT_EQ(recorded.sampleRate, 44100);
    EXPECT_EQ(recorded.channels, 1);
    EXPECT_EQ(recorded.samples.size(), 22050u);
}

TEST_F(SoundRecorderTest, StoppingEndsTheRecordingAndCallsBack) {
    withMicrophone();
    int finished = 0;
    recorder->setCallBackTarget([&] { ++finished; });
    ASSERT_TRUE(recorder->startRecording("voice.caf", 0));
    available = 300;
    recorder->stopRecording();
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(test::readSoundFile(dataFolder / "voice.caf").samples.size(), 300u);
}

TEST_F(SoundRecorderTest, FileNamesStayInTheDataFolder) {
    struct Case {
        std::string name;
        std::string path;
    } const cases[] = {
        {"voice.wav", (dataFolder / "voice.wav").string()},
        {"../../escape.wav", ""},
        {"/tmp/escape.wav", ""},
        {"", ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(recorder->getRecordFilePath(c.name), c.path) << c.name;

    withMicrophone();
    EXPECT_FALSE(recorder->startRecording("../escape.wav", 1.0));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, "Warning");
    EXPECT_FALSE(std::filesystem::exists(dir / "home" / "Library" / "escape.wav"));
}

TEST_F(SoundRecorderTest, OnlyReadableFilesCountAsRecorded) {
    EXPECT_FALSE(recorder->isRecordExisted("voice.wav"));
    std::filesystem::create_directories(dataFolder / "folder.wav");
    EXPECT_FALSE(recorder->isRecordExisted("folder.wav"));
    std::ofstream(dataFolder / "voice.wav") << "x";
    EXPECT_TRUE(recorder->isRecordExisted("voice.wav"));
}

TEST_F(SoundRecorderTest, RecordsAsMonoSixteenBitPcmAt44100) {
    media::RecordSettings const& settings = recorder->recordSetting();
    EXPECT_EQ(settings.formatID, media::formatLinearPCM);
    EXPECT_EQ(settings.sampleRate, 44100.0);
    EXPECT_EQ(settings.numberOfChannels, 1);
    EXPECT_EQ(settings.linearPCMBitDepth, 16);
    EXPECT_FALSE(settings.linearPCMIsBigEndian);
    EXPECT_FALSE(settings.linearPCMIsFloat);
}
