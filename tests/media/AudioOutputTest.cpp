#include <media/AudioOutput.hpp>

#include "LoopbackOutput.hpp"

#include <AL/al.h>
#include <AL/alext.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using media::AudioOutput;

TEST(AudioOutput, LoopbackDevicesRenderOnlyWhenTold) {
    test::LoopbackOutput loopback;
    ALCdevice* device = AudioOutput::openDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(AudioOutput::isLoopback(device));
    ALCcontext* context = AudioOutput::createContext(device);
    ASSERT_NE(context, nullptr);
    ALCint frequency = 0;
    alcGetIntegerv(device, ALC_FREQUENCY, 1, &frequency);
    EXPECT_EQ(frequency, AudioOutput::loopbackSampleRate);
    EXPECT_EQ(AudioOutput::render(device, 64), std::vector<float>(128, 0.0f));
    EXPECT_FALSE(AudioOutput::isAudible());
    alcDestroyContext(context);
    AudioOutput::closeDevice(device);
    EXPECT_FALSE(AudioOutput::isLoopback(device));
}

TEST(AudioOutput, SystemDevicesOpenOnTheNullOutputWithoutASoundCard) {
    // The test runner sets ALSOFT_DRIVERS=null, as a machine without sound
    // hardware gets it set before OpenAL starts.
    ASSERT_EQ(AudioOutput::mode(), AudioOutput::Mode::System);
    ALCdevice* device = AudioOutput::openDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_FALSE(AudioOutput::isLoopback(device));
    EXPECT_TRUE(AudioOutput::render(device, 64).empty());
    EXPECT_FALSE(AudioOutput::isAudible());
    ALCcontext* context = AudioOutput::createContext(device);
    ASSERT_NE(context, nullptr);
    alcDestroyContext(context);
    AudioOutput::closeDevice(device);
}

TEST(AudioOutput, ScopedContextsAreThreadLocalAndRestoreThePreviousOne) {
    test::LoopbackOutput loopback;
    ALCdevice* device = AudioOutput::openDevice();
    ALCcontext* process = AudioOutput::createContext(device);
    ALCcontext* local = AudioOutput::createContext(device);
    ASSERT_TRUE(process && local);
    alcMakeContextCurrent(process);
    auto getThreadContext = reinterpret_cast<PFNALCGETTHREADCONTEXTPROC>(
        alcGetProcAddress(nullptr, "alcGetThreadContext"));
    {
        media::ScopedContext scoped(local);
        EXPECT_EQ(alcGetCurrentContext(), local);
        {
            media::ScopedContext inner(process);
            EXPECT_EQ(alcGetCurrentContext(), process);
            EXPECT_EQ(getThreadContext(), process);
        }
        EXPECT_EQ(getThreadContext(), local);
    }
    EXPECT_EQ(getThreadContext(), nullptr);
    EXPECT_EQ(alcGetCurrentContext(), process);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(local);
    alcDestroyContext(process);
    AudioOutput::closeDevice(device);
}

namespace {

// Runs this test program again, for one test, with the environment changed:
// OpenAL Soft reads its drivers once per process, so choosing them needs a
// process of its own. Answers the child's exit status.
int runChild(char const* filter, char const* drivers) {
    pid_t const child = ::fork();
    if (child == 0) {
        if (drivers)
            ::setenv("ALSOFT_DRIVERS", drivers, 1);
        else
            ::unsetenv("ALSOFT_DRIVERS");
        ::setenv("QUILLABY_AUDIO_CHILD", "1", 1);
        std::string const option = std::string("--gtest_filter=") + filter;
        ::execl("/proc/self/exe", "/proc/self/exe", option.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool isChild() {
    return std::getenv("QUILLABY_AUDIO_CHILD") != nullptr;
}

// A short sound on a fresh device and context: answers whether it finished
// playing within a few seconds of real time.
bool playsToTheEnd() {
    ALCdevice* device = AudioOutput::openDevice();
    ALCcontext* context = AudioOutput::createContext(device);
    if (!device || !context)
        return false;
    alcMakeContextCurrent(context);
    std::vector<std::int16_t> const silence(441, 0);
    ALuint buffer = 0;
    ALuint source = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, AL_FORMAT_MONO16, silence.data(), ALsizei(silence.size() * 2), 44100);
    alGenSources(1, &source);
    alSourcei(source, AL_BUFFER, ALint(buffer));
    alSourcePlay(source);
    ALint state = AL_PLAYING;
    // The output consumes sound in real time; there is no clock to advance.
    auto const deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (state == AL_PLAYING && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        alGetSourcei(source, AL_SOURCE_STATE, &state);
    }
    alDeleteSources(1, &source);
    alDeleteBuffers(1, &buffer);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    AudioOutput::closeDevice(device);
    return state == AL_STOPPED;
}

}

TEST(AudioOutputChild, OpensAndPlaysInRealTime) {
    if (!isChild())
        GTEST_SKIP() << "run by the tests below in a process of its own";
    EXPECT_TRUE(playsToTheEnd());
}

TEST(AudioOutput, WithoutChosenDriversAMachineWithoutSoundStillPlays) {
    if (isChild())
        GTEST_SKIP();
    EXPECT_EQ(runChild("AudioOutputChild.OpensAndPlaysInRealTime", nullptr), 0);
}

TEST(AudioOutput, WhenTheDefaultDeviceFailsASilentOutputTakesItsPlace) {
    if (isChild())
        GTEST_SKIP();
    // ALSA starts without a sound card but opens no device; with no fallback in
    // OpenAL Soft's list, the loopback stand-in must play instead.
    EXPECT_EQ(runChild("AudioOutputChild.OpensAndPlaysInRealTime", "alsa"), 0);
}
