#pragma once

#include <media/AudioPlayer.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace game {

// Pools of audio players by key (a file path, or a key given with sound data),
// so that one sound can play several times at once. Nothing in the game uses it
// yet. Main thread only; it is the delegate of its players and lets go of them
// when it goes.
class SoundPlayer final : public base::Object, public media::AudioPlayerDelegate {
public:
    static base::Ref<SoundPlayer> init();

    // Adds one prepared player for the file or data to its key's array; null
    // when the sound cannot be loaded.
    base::Ref<media::AudioPlayer> addSound(std::string const& path);
    base::Ref<media::AudioPlayer> addSoundData(
        std::vector<std::uint8_t> const& data, std::string const& key);
    base::Ref<media::AudioPlayer> preloadSound(std::string const& path) { return addSound(path); }
    base::Ref<media::AudioPlayer> preloadSoundData(
        std::vector<std::uint8_t> const& data, std::string const& key) {
        return addSoundData(data, key);
    }

    // Plays with several instances allowed.
    base::Ref<media::AudioPlayer> playSound(std::string const& path) {
        return playSound(path, true);
    }
    base::Ref<media::AudioPlayer> playSoundData(
        std::vector<std::uint8_t> const& data, std::string const& key) {
        return playSoundData(data, key, true);
    }
    // Without instance, rewinds the key's first player and plays it; with it,
    // plays the first player that is not playing, adding one when all are.
    // Answers the player used, or null when the sound cannot be loaded.
    base::Ref<media::AudioPlayer> playSound(std::string const& path, bool instance);
    base::Ref<media::AudioPlayer> playSoundData(
        std::vector<std::uint8_t> const& data, std::string const& key, bool instance);

    // Stops every player of key.
    void stopSound(std::string const& key);
    bool isPlayingSound(std::string const& key) const;
    // The first player of key, or null.
    base::Ref<media::AudioPlayer> getPlayer(std::string const& key) const;
    void removeSound(std::string const& key);
    // Drops player from whichever array holds it, stopping it.
    void removeSoundPlayer(media::AudioPlayer* player);
    // Empties every array.
    void releasePool();

    // callBack runs once, when player next finishes by itself.
    void setCallBackTarget(std::function<void()> callBack, media::AudioPlayer* player);

    void audioPlayerDidFinishPlaying(media::AudioPlayer& player, bool successfully) override;

    std::size_t playerCount(std::string const& key) const;

protected:
    ~SoundPlayer() override;

private:
    using Loader = std::function<base::Ref<media::AudioPlayer>()>;
    base::Ref<media::AudioPlayer> add(std::string const& key, Loader const& load);
    base::Ref<media::AudioPlayer> play(std::string const& key, bool instance, Loader const& load);

    std::map<std::string, std::vector<base::Ref<media::AudioPlayer>>> playerPool;
    std::function<void()> callBackSelector;
    media::AudioPlayer* pCallBackPlayer {nullptr};

    friend base::Factory;

    SoundPlayer() = default;
};

}
