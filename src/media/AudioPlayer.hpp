#pragma once

#include <media/AudioFormat.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace foundation {
class Timer;
}

namespace media {

class AudioPlayer;
class ExtAudioFile;

// Told when a player reaches the end of its sound by itself (not when stopped).
class AudioPlayerDelegate {
public:
    virtual ~AudioPlayerDelegate() = default;
    virtual void audioPlayerDidFinishPlaying(AudioPlayer&, bool) { }
};

// Plays one sound, decoded whole when the player is made (the platform's audio
// player). All players share one output device, open while any player exists.
// The end of playback is noticed by a timer on the run loop of the thread that
// called play(), every 0.05 s, and reported to the delegate there. Main thread
// only; the delegate is not retained.
class AudioPlayer final : public base::Object {
public:
    // Null, with *status set, when the file is missing, not a sound, or has more
    // than two channels, or when no output opens.
    static base::Ref<AudioPlayer> createWithContentsOfFile(std::string const& path, Status* status);
    static base::Ref<AudioPlayer> createWithData(std::vector<std::uint8_t> data, Status* status);

    AudioPlayerDelegate* delegate() const { return delegate_; }
    void setDelegate(AudioPlayerDelegate* delegate) { delegate_ = delegate; }

    // Nothing to prepare: the sound is decoded and buffered already.
    bool prepareToPlay() { return true; }
    // Plays from currentTime().
    bool play();
    void pause();
    // Stops playing; currentTime() stays where playback stopped.
    void stop();
    bool isPlaying() const { return playing_; }

    double currentTime() const;
    void setCurrentTime(double seconds);
    double duration() const { return duration_; }
    float volume() const { return volume_; }
    void setVolume(float volume);

    // The device all players play on, null while there is no player; tests render
    // it when it is a loopback device.
    static ALCdevice* outputDevice();

protected:
    ~AudioPlayer() override;

private:
    static base::Ref<AudioPlayer> createFrom(std::unique_ptr<ExtAudioFile> file, Status* status);
    static base::Ref<AudioPlayer> create(
        std::vector<std::int16_t> const& samples, StreamFormat const& format, Status* status);
    void watch();
    void poll();

    ALuint source_;
    ALuint buffer_;
    double duration_;
    float volume_ {1.0f};
    bool playing_ {false};
    AudioPlayerDelegate* delegate_ {nullptr};
    base::Ref<foundation::Timer> watchTimer_;

    friend base::Factory;

    // Use the factories.
    AudioPlayer(ALuint source, ALuint buffer, double duration);
};

}
