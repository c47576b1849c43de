#include <game/shell/SoundPlayer.hpp>

#include <algorithm>

namespace game {

base::Ref<SoundPlayer> SoundPlayer::init() {
    return base::make<SoundPlayer>();
}

SoundPlayer::~SoundPlayer() {
    releasePool();
}

base::Ref<media::AudioPlayer> SoundPlayer::add(std::string const& key, Loader const& load) {
    base::Ref<media::AudioPlayer> player = load();
    if (!player)
        return nullptr;
    player->setDelegate(this);
    player->prepareToPlay();
    playerPool[key].push_back(player);
    return player;
}

base::Ref<media::AudioPlayer> SoundPlayer::addSound(std::string const& path) {
    return add(path, [&] { return media::AudioPlayer::createWithContentsOfFile(path, nullptr); });
}

base::Ref<media::AudioPlayer> SoundPlayer::addSoundData(
    std::vector<std::uint8_t> const& data, std::string const& key) {
    return add(key, [&] { return media::AudioPlayer::createWithData(data, nullptr); });
}

base::Ref<media::AudioPlayer> SoundPlayer::play(
    std::string const& key, bool instance, Loader const& load) {
    auto& players = playerPool[key];
    if (players.empty() && !add(key, load)) {
        playerPool.erase(key);
        return nullptr;
    }
    if (!instance) {
        base::Ref<media::AudioPlayer> first = players.front();
        first->setCurrentTime(0);
        first->play();
        return first;
    }
    for (auto const& player : players) {
        if (!player->isPlaying()) {
            player->play();
            return player;
        }
    }
    base::Ref<media::AudioPlayer> another = add(key, load);
    if (another)
        another->play();
    return another;
}

base::Ref<media::AudioPlayer> SoundPlayer::playSound(std::string const& path, bool instance) {
    return play(path, instance,
        [&] { return media::AudioPlayer::createWithContentsOfFile(path, nullptr); });
}

base::Ref<media::AudioPlayer> SoundPlayer::playSoundData(
    std::vector<std::uint8_t> const& data, std::string const& key, bool instance) {
    return play(key, instance, [&] { return media::AudioPlayer::createWithData(data, nullptr); });
}

void SoundPlayer::stopSound(std::string const& key) {
    auto found = playerPool.find(key);
    if (found == playerPool.end())
        return;
    for (auto const& player : found->second)
        player->stop();
}

bool SoundPlayer::isPlayingSound(std::string const& key) const {
    auto found = playerPool.find(key);
    if (found == playerPool.end())
        return false;
    return std::any_of(
        found->second.begin(), found->second.end(), [](auto const& p) { return p->isPlaying(); });
}

base::Ref<media::AudioPlayer> SoundPlayer::getPlayer(std::string const& key) const {
    auto found = playerPool.find(key);
    if (found == playerPool.end() || found->second.empty())
        return nullptr;
    return found->second.front();
}

std::size_t SoundPlayer::playerCount(std::string const& key) const {
    auto found = playerPool.find(key);
    return found == playerPool.end() ? 0 : found->second.size();
}

void SoundPlayer::removeSound(std::string const& key) {
    auto found = playerPool.find(key);
    if (found == playerPool.end())
        return;
    for (auto const& player : found->second) {
        player->stop();
        player->setDelegate(nullptr);
        if (player.get() == pCallBackPlayer)
            pCallBackPlayer = nullptr;
    }
    playerPool.erase(found);
}

void SoundPlayer::removeSoundPlayer(media::AudioPlayer* player) {
    for (auto& [key, players] : playerPool) {
        auto found = std::find(players.begin(), players.end(), player);
        if (found == players.end())
            continue;
        (*found)->stop();
        (*found)->setDelegate(nullptr);
        if (player == pCallBackPlayer)
            pCallBackPlayer = nullptr;
        players.erase(found);
        return;
    }
}

void SoundPlayer::releasePool() {
    for (auto& [key, players] : playerPool) {
        for (auto const& player : players) {
            player->stop();
            player->setDelegate(nullptr);
        }
        players.clear();
    }
    pCallBackPlayer = nullptr;
}

void SoundPlayer::setCallBackTarget(std::function<void()> callBack, media::AudioPlayer* player) {
    callBackSelector = std::move(callBack);
    pCallBackPlayer = player;
}

void SoundPlayer::audioPlayerDidFinishPlaying(media::AudioPlayer& player, bool) {
    base::Ref<SoundPlayer> keepAlive(this);
    player.stop();
    if (&player != pCallBackPlayer)
        return;
    pCallBackPlayer = nullptr;
    std::function<void()> callBack = std::move(callBackSelector);
    callBackSelector = nullptr;
    if (callBack)
        callBack();
}

}
