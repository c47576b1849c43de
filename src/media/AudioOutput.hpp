#pragma once

#include <AL/alc.h>

#include <cstddef>
#include <vector>

namespace media {

// Opens the OpenAL output devices that everything in the program plays through
// (the effects engine, each music queue, the audio players).
//
// In the system mode a device opens on the default output. A machine without a
// sound card still plays, silently: before the first device opens, when no sound
// hardware or sound server is visible, OpenAL Soft is told to use its null
// output (the ALSOFT_DRIVERS variable, which it reads once, when it starts); and
// should the default device still fail, a loopback device takes its place,
// rendered into nothing in real time by a thread of its own, so sources advance
// and finish as they would on a speaker.
//
// In the loopback mode (tests) every device is a loopback device that renders
// only when render() is called: sources advance exactly as far as the test
// renders, deterministic and without any sound hardware.
//
// Thread-safe.
class AudioOutput {
public:
    enum class Mode { System, Loopback };

    // The mode for devices opened from now on.
    static void setMode(Mode mode);
    static Mode mode();

    // A new output device; null only when even the fallback cannot be made.
    static ALCdevice* openDevice();
    // A context on device (the loopback render format included); null on failure.
    static ALCcontext* createContext(ALCdevice* device);
    // Closes a device from openDevice, after its contexts are destroyed.
    static void closeDevice(ALCdevice* device);

    static bool isLoopback(ALCdevice* device);
    // Mixes frames of output from a loopback device opened in the loopback mode
    // and answers them as interleaved stereo floats; its sources advance by that
    // many frames. Empty for other devices.
    static std::vector<float> render(ALCdevice* device, std::size_t frames);

    // Whether the last device opened reaches a speaker: false for OpenAL Soft's
    // null output, the silent fallback and loopback devices.
    static bool isAudible();

    static constexpr int loopbackSampleRate = 44100;
};

// Makes context current for the calling thread alone while it lives (an OpenAL
// thread-local context), and restores the thread's previous one after. Lets a
// queue or a player use its own device without disturbing the context that the
// effects engine makes current for the whole process.
class ScopedContext {
public:
    explicit ScopedContext(ALCcontext* context);
    ~ScopedContext();
    ScopedContext(ScopedContext const&) = delete;
    ScopedContext& operator=(ScopedContext const&) = delete;

    // The same for a whole thread: sets its context until changed again.
    static bool setThreadContext(ALCcontext* context);

private:
    ALCcontext* previous_;
};

}
