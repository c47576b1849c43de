#pragma once

namespace media {

// The device's music player as far as the game uses it: the music volume that
// the player sets with the volume buttons (0..1). One per process; main thread.
class MusicPlayer {
public:
    static MusicPlayer& applicationMusicPlayer();

    float volume() const { return volume_; }
    // Clamped to 0..1.
    void setVolume(float volume);

private:
    float volume_ {1.0f};
};

}
