#include <media/AudioSession.hpp>
#include <media/CaptureDevice.hpp>

#include <gtest/gtest.h>

#include <vector>

using media::AudioSession;
namespace status = media::status;

namespace {

struct Heard {
    std::vector<std::uint32_t> states;
};

void listen(void* clientData, std::uint32_t state) {
    static_cast<Heard*>(clientData)->states.push_back(state);
}

void other(void*, std::uint32_t) {
    ADD_FAILURE() << "the second listener must not be installed";
}

class AudioSessionTest : public ::testing::Test {
protected:
    AudioSessionTest() { AudioSession::reset(); }
    ~AudioSessionTest() override {
        AudioSession::reset();
        media::CaptureDevice::setOpener(nullptr);
    }
    AudioSession& session = AudioSession::sharedInstance();
};

class SilentMicrophone final : public media::CaptureDevice {
public:
    bool start() override { return true; }
    void stop() override { }
    std::size_t read(std::int16_t*, std::size_t) override { return 0; }
};

}

TEST_F(AudioSessionTest, DeliversInterruptionsToTheFirstListenerOnly) {
    Heard heard;
    session.beginInterruption();
    EXPECT_EQ(session.initialize(listen, &heard), status::ok);
    EXPECT_EQ(session.initialize(other, nullptr), status::sessionAlreadyInitialized);
    session.beginInterruption();
    session.endInterruption();
    session.deliverInterruption(7);
    EXPECT_EQ(heard.states, (std::vector<std::uint32_t> {1, 0, 7}));
}

TEST_F(AudioSessionTest, SettingsNeedAnInitialisedSession) {
    EXPECT_EQ(
        session.setCategory(AudioSession::Category::AmbientSound), status::sessionNotInitialized);
    EXPECT_EQ(session.setActive(true), status::sessionNotInitialized);
    EXPECT_EQ(session.category(), AudioSession::Category::SoloAmbientSound);
    ASSERT_EQ(session.initialize(nullptr, nullptr), status::ok);
    EXPECT_EQ(session.setCategory(AudioSession::Category::AmbientSound), status::ok);
    EXPECT_EQ(session.category(), AudioSession::Category::AmbientSound);
    EXPECT_EQ(session.setActive(true), status::ok);
    EXPECT_TRUE(session.isActive());
}

TEST_F(AudioSessionTest, TheSpeakerOverrideBelongsToPlayAndRecord) {
    ASSERT_EQ(session.initialize(nullptr, nullptr), status::ok);
    session.setCategory(AudioSession::Category::MediaPlayback);
    EXPECT_EQ(session.overrideAudioRoute(AudioSession::RouteOverride::Speaker), status::parameter);
    session.setCategory(AudioSession::Category::PlayAndRecord);
    EXPECT_EQ(session.overrideAudioRoute(AudioSession::RouteOverride::Speaker), status::ok);
    EXPECT_EQ(session.audioRouteOverride(), AudioSession::RouteOverride::Speaker);
    session.setCategory(AudioSession::Category::AmbientSound);
    EXPECT_EQ(session.audioRouteOverride(), AudioSession::RouteOverride::None);
}

TEST_F(AudioSessionTest, TheRouteIsEmptyWhenNoSoundReachesASpeaker) {
    ASSERT_EQ(session.initialize(nullptr, nullptr), status::ok);
    EXPECT_EQ(session.audioRoute(), "");
}

TEST_F(AudioSessionTest, InputIsAvailableWhenAMicrophoneOpens) {
    media::CaptureDevice::setOpener([](int, int) { return std::make_unique<SilentMicrophone>(); });
    EXPECT_TRUE(session.audioInputIsAvailable());
    media::CaptureDevice::setOpener(
        [](int, int) { return std::unique_ptr<media::CaptureDevice>(); });
    EXPECT_FALSE(session.audioInputIsAvailable());
}
