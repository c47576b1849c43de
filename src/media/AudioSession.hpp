#pragma once

#include <media/AudioFormat.hpp>

#include <cstdint>
#include <string>

namespace media {

// The program's audio session (the platform's): what kind of audio the program
// makes (its category), whether its audio is active, where sound goes (the
// route), whether there is a microphone, and the interruptions (a call, an
// alarm) that the system reports to one listener.
//
// On this machine nothing interrupts the program by itself: beginInterruption()
// and endInterruption() deliver an interruption as the system would, for tests
// and for whatever stands in for the system (the window's loss of the audio
// device). Main thread only.
class AudioSession {
public:
    enum class Category {
        SoloAmbientSound,
        AmbientSound,
        MediaPlayback,
        RecordAudio,
        PlayAndRecord
    };
    enum class RouteOverride { None, Speaker };

    // The interruption states a listener receives, numbered as the platform does.
    static constexpr std::uint32_t beginInterruptionState = 1;
    static constexpr std::uint32_t endInterruptionState = 0;
    using InterruptionListener = void (*)(void* clientData, std::uint32_t interruptionState);

    static AudioSession& sharedInstance();
    // Back to a new session (tests).
    static void reset();

    // Installs the interruption listener once; a second call answers
    // status::sessionAlreadyInitialized and keeps the first listener.
    Status initialize(InterruptionListener listener, void* clientData);
    bool isInitialized() const { return initialized_; }

    Status setCategory(Category category);
    Category category() const { return category_; }

    Status setActive(bool active);
    bool isActive() const { return active_; }

    // Sends play-and-record output to the loudspeaker instead of the receiver.
    Status overrideAudioRoute(RouteOverride routeOverride);
    RouteOverride audioRouteOverride() const { return routeOverride_; }

    // The name of the current route: "Speaker" and its kin while sound reaches a
    // speaker, empty when it reaches none (no sound card, null output).
    std::string audioRoute() const;
    // Whether a microphone can be opened now.
    bool audioInputIsAvailable() const;

    // Delivers an interruption to the listener, as the system would. Nothing
    // happens before initialize().
    void beginInterruption();
    void endInterruption();
    void deliverInterruption(std::uint32_t state);

private:
    bool initialized_ {false};
    InterruptionListener listener_ {nullptr};
    void* clientData_ {nullptr};
    Category category_ {Category::SoloAmbientSound};
    RouteOverride routeOverride_ {RouteOverride::None};
    bool active_ {false};
};

}
