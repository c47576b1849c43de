#include <media/AudioOutput.hpp>

#include "LoopbackOutput.hpp"

#include <AL/al.h>
#include <AL/alext.h>

#include <gtest/gtest.h>

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
