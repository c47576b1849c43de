#pragma once

#include <game/shell/GBMusicTrack.hpp>
#include <game/shell/SoundEffect.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <map>
#include <string>

namespace foundation {
class Timer;
}

namespace game {

// The one object through which the game makes sound: short effects by file name
// or by logical name (mapped to files by "sfxList.plist"), one streamed music
// track whose volume can fade, the effects and music switches, and the audio
// session's category. Files are looked up in the bundle, then in the data folder.
//
// One per process (sharedManager), made on first use and kept; a repeating
// 0.05 s timer on the main run loop steps the music fades. Main thread only.
class SoundEngine final : public base::Object {
public:
    static constexpr double updateInterval = 0.05;

    static SoundEngine* sharedManager();
    // Empties the pool, stops the timer and forgets the engine.
    static void releaseManager();
    // Empties the effect pool of the engine, if there is one.
    static void releasePool();

    // One step of the music fade.
    void update();

    void changeToRecordMode();
    void changeToPlaybackMode();
    void changeToAmbientMode();
    void changeToPlayAndRecordMode();

    // The device's music volume, 0..1.
    float getSystemVolume();
    void setSystemVolume(float volume);
    // True when the audio route names no output.
    bool isMute();

    void enableSound(bool enable) { bSoundEnable = enable; }
    bool isSoundEnable() const { return bSoundEnable; }

    // The bundle's file, else the data folder's; empty when neither has it.
    std::string getSoundPath(std::string const& fileName);

    // Loads the effect of fileName into the pool unless it is there; true when it
    // loaded one.
    bool addSoundEffect(std::string const& fileName);
    bool preloadSoundEffect(std::string const& fileName) { return addSoundEffect(fileName); }
    // Only while effects are on: plays (loading it first) or stops the effect.
    void playSoundEffect(std::string const& fileName);
    void stopSoundEffect(std::string const& fileName);
    void releaseSoundEffectPool();
    // Only while effects are on: plays or stops the effect that "sfxList.plist"
    // names for name; an unknown name does nothing.
    void playSoundName(std::string const& name);
    void stopSoundName(std::string const& name);

    void enableMusicTrack(bool enable);
    bool isMusicTrackEnable() const { return bMusicTrackEnable; }
    // Closes any open track and opens fileName; true when it opened.
    bool preloadMusicTrack(std::string const& fileName);
    // Plays fileName from its start, unless it is the track already remembered.
    void playMusicTrack(std::string const& fileName);
    void pauseMusicTrack();
    // Closes the track, keeping its name and the playing flag, for resumeMusicTrack.
    void suspendMusicTrack();
    void playLastMusicTrack();
    void resumeMusicTrack();
    void stopMusicTrack();
    bool isPlayingMusicTrack() const { return bIsPlayingMusicTrack; }
    void setMusicTrackLoop(bool loop);

    // Moves the volume to volume over duration seconds, a step every 0.05 s.
    void fadeToVolumeMusicTrack(float volume, float duration);
    void setVolumeMusicTrack(float volume);
    void setDeltaVolumeMusicTrack(float delta);
    float getVolumeMusicTrack() const { return fCurMusicTrackVolume; }

    // The state, for tests and diagnostics.
    GBMusicTrack* currentMusicTrack() const { return pCurMusicTrack.get(); }
    std::string const& currentMusicTrackFileName() const { return sCurMusicTrackFileName; }
    float targetMusicTrackVolume() const { return fTarMusicTrackVolume; }
    float deltaMusicTrackVolume() const { return fDeltaMusicTrackVolume; }
    SoundEffect* pooledSoundEffect(std::string const& fileName) const;
    std::size_t soundEffectPoolSize() const { return soundEffectPool.size(); }

protected:
    ~SoundEngine() override;

private:
    std::string soundFileForName(std::string const& name);
    void applyVolume();

    bool bSoundEnable {true};
    std::map<std::string, base::Ref<SoundEffect>> soundEffectPool;
    base::Ref<GBMusicTrack> pCurMusicTrack;
    std::string sCurMusicTrackFileName;
    float fCurMusicTrackVolume {1.0f};
    float fTarMusicTrackVolume {1.0f};
    float fDeltaMusicTrackVolume {0.0f};
    bool bMusicTrackEnable {true};
    bool bIsPlayingMusicTrack {false};
    base::Ref<foundation::Timer> updateTimer_;

    friend base::Factory;

    // Use sharedManager.
    SoundEngine();
};

}
