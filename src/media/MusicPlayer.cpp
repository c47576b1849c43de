#include <media/MusicPlayer.hpp>

#include <algorithm>

namespace media {

MusicPlayer& MusicPlayer::applicationMusicPlayer() {
    static MusicPlayer player;
    return player;
}

void MusicPlayer::setVolume(float volume) {
    volume_ = std::clamp(volume, 0.0f, 1.0f);
}

}
