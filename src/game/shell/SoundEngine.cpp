#include <game/shell/SoundEngine.hpp>

#include <game/shell/OpenALEngine.hpp>
#include <game/shell/SoundFiles.hpp>

#include <media/AudioSession.hpp>
#include <media/MusicPlayer.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Paths.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Timer.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>

namespace game {

namespace {

base::Ref<SoundEngine>& sharedInstance() {
    static base::Ref<SoundEngine> engine;
    return engine;
}

}

SoundEngine* SoundEngine::sharedManager() {
    if (!sharedInstance())
        sharedInstance() = base::make<SoundEngine>();
    return sharedInstance().get();
}

void SoundEngine::releaseManager() {
    base::Ref<SoundEngine> engine = std::move(sharedInstance());
    sharedInstance() = nullptr;
    if (!engine)
        return;
    engine->releaseSoundEffectPool();
    // The timer would keep the engine alive for ever.
    if (engine->updateTimer_)
        engine->updateTimer_->invalidate();
    engine->updateTimer_ = nullptr;
}

void SoundEngine::releasePool() {
    if (sharedInstance())
        sharedInstance()->releaseSoundEffectPool();
}

SoundEngine::SoundEngine() {
    media::AudioSession::sharedInstance().initialize(openALInterruptionListener, nullptr);
    updateTimer_ = foundation::Timer::timer(
        updateInterval, [this](foundation::Timer&) { update(); }, true);
    foundation::RunLoop::main().addTimer(updateTimer_);
}

SoundEngine::~SoundEngine() {
    if (updateTimer_)
        updateTimer_->invalidate();
    if (pCurMusicTrack) {
        pCurMusicTrack->pause();
        pCurMusicTrack->close();
    }
}

void SoundEngine::update() {
    if (!pCurMusicTrack || fCurMusicTrackVolume == fTarMusicTrackVolume)
        return;
    // A step that has shrunk to nothing would never arrive; it lands instead.
    if (std::fabs(fCurMusicTrackVolume - fTarMusicTrackVolume) <= std::fabs(fDeltaMusicTrackVolume)
        || fDeltaMusicTrackVolume == 0.0f)
        fCurMusicTrackVolume = fTarMusicTrackVolume;
    else
        fCurMusicTrackVolume += fDeltaMusicTrackVolume;
    applyVolume();
}

void SoundEngine::applyVolume() {
    if (pCurMusicTrack)
        pCurMusicTrack->setGain(fCurMusicTrackVolume);
}

void SoundEngine::changeToRecordMode() {
    media::AudioSession::sharedInstance().setCategory(media::AudioSession::Category::RecordAudio);
}

void SoundEngine::changeToPlaybackMode() {
    media::AudioSession::sharedInstance().setCategory(media::AudioSession::Category::MediaPlayback);
}

void SoundEngine::changeToAmbientMode() {
    media::AudioSession::sharedInstance().setCategory(media::AudioSession::Category::AmbientSound);
}

void SoundEngine::changeToPlayAndRecordMode() {
    auto& session = media::AudioSession::sharedInstance();
    session.setCategory(media::AudioSession::Category::PlayAndRecord);
    session.overrideAudioRoute(media::AudioSession::RouteOverride::Speaker);
}

float SoundEngine::getSystemVolume() {
    return media::MusicPlayer::applicationMusicPlayer().volume();
}

void SoundEngine::setSystemVolume(float volume) {
    media::MusicPlayer::applicationMusicPlayer().setVolume(volume);
}

bool SoundEngine::isMute() {
    return media::AudioSession::sharedInstance().audioRoute().empty();
}

std::string SoundEngine::getSoundPath(std::string const& fileName) {
    std::optional<std::string> bundled = foundation::Bundle::mainBundle().pathForResource(
        foundation::stringByDeletingPathExtension(fileName), foundation::pathExtension(fileName));
    if (bundled)
        return *bundled;
    // Names come from content data, downloads included: none may lead out of the
    // data folder.
    std::string const downloaded = SoundFiles::dataFolderFile(fileName);
    std::error_code error;
    if (downloaded.empty() || !std::filesystem::is_regular_file(downloaded, error))
        return {};
    return downloaded;
}

bool SoundEngine::addSoundEffect(std::string const& fileName) {
    if (soundEffectPool.contains(fileName))
        return false;
    base::Ref<SoundEffect> effect
        = SoundEffect::soundEffectWithContentsOfFile(getSoundPath(fileName));
    if (!effect)
        return false;
    soundEffectPool[fileName] = effect;
    return true;
}

SoundEffect* SoundEngine::pooledSoundEffect(std::string const& fileName) const {
    auto found = soundEffectPool.find(fileName);
    return found == soundEffectPool.end() ? nullptr : found->second.get();
}

void SoundEngine::playSoundEffect(std::string const& fileName) {
    if (!bSoundEnable)
        return;
    SoundEffect* effect = pooledSoundEffect(fileName);
    if (!effect) {
        addSoundEffect(fileName);
        effect = pooledSoundEffect(fileName);
    }
    if (effect)
        effect->play();
}

void SoundEngine::stopSoundEffect(std::string const& fileName) {
    if (!bSoundEnable)
        return;
    if (SoundEffect* effect = pooledSoundEffect(fileName))
        effect->stop();
}

void SoundEngine::releaseSoundEffectPool() {
    soundEffectPool.clear();
}

std::string SoundEngine::soundFileForName(std::string const& name) {
    std::string const listPath = getSoundPath("sfxList.plist");
    if (listPath.empty())
        return {};
    base::Ref<base::Dictionary> const list
        = foundation::PropertyList::dictionaryWithContentsOfFile(listPath);
    if (!list)
        return {};
    std::string const* file = list->objectForKey(name).string();
    return file ? *file : std::string();
}

void SoundEngine::playSoundName(std::string const& name) {
    if (!bSoundEnable)
        return;
    std::string const file = soundFileForName(name);
    if (!file.empty())
        playSoundEffect(file);
}

void SoundEngine::stopSoundName(std::string const& name) {
    if (!bSoundEnable)
        return;
    std::string const file = soundFileForName(name);
    if (!file.empty())
        stopSoundEffect(file);
}

void SoundEngine::enableMusicTrack(bool enable) {
    bMusicTrackEnable = enable;
    if (pCurMusicTrack) {
        if (bIsPlayingMusicTrack) {
            if (enable)
                pCurMusicTrack->play();
            else
                pCurMusicTrack->pause();
        }
    } else if (bIsPlayingMusicTrack && enable) {
        playLastMusicTrack();
    }
}

bool SoundEngine::preloadMusicTrack(std::string const& fileName) {
    if (pCurMusicTrack) {
        pCurMusicTrack->pause();
        pCurMusicTrack->close();
        pCurMusicTrack = nullptr;
    }
    pCurMusicTrack = GBMusicTrack::initWithPath(getSoundPath(fileName));
    return bool(pCurMusicTrack);
}

void SoundEngine::playMusicTrack(std::string const& fileName) {
    if (sCurMusicTrackFileName == fileName)
        return;
    if (pCurMusicTrack)
        stopMusicTrack();
    if (!preloadMusicTrack(fileName))
        return;
    sCurMusicTrackFileName = fileName;
    pCurMusicTrack->setGain(fCurMusicTrackVolume);
    pCurMusicTrack->play();
    if (!bMusicTrackEnable)
        pCurMusicTrack->pause();
    bIsPlayingMusicTrack = true;
}

void SoundEngine::pauseMusicTrack() {
    if (pCurMusicTrack)
        pCurMusicTrack->pause();
}

void SoundEngine::suspendMusicTrack() {
    if (!pCurMusicTrack)
        return;
    pCurMusicTrack->pause();
    pCurMusicTrack->close();
    pCurMusicTrack = nullptr;
}

void SoundEngine::playLastMusicTrack() {
    std::string const last = std::move(sCurMusicTrackFileName);
    sCurMusicTrackFileName.clear();
    playMusicTrack(last);
}

void SoundEngine::resumeMusicTrack() {
    if (!pCurMusicTrack) {
        playLastMusicTrack();
        return;
    }
    // The music switch holds over a resume: a track that music-off paused stays paused.
    if (bMusicTrackEnable)
        pCurMusicTrack->play();
    bIsPlayingMusicTrack = true;
}

void SoundEngine::stopMusicTrack() {
    if (pCurMusicTrack) {
        pCurMusicTrack->pause();
        pCurMusicTrack->close();
        pCurMusicTrack = nullptr;
    }
    sCurMusicTrackFileName.clear();
    bIsPlayingMusicTrack = false;
}

void SoundEngine::setMusicTrackLoop(bool loop) {
    if (pCurMusicTrack)
        pCurMusicTrack->setRepeat(loop);
}

void SoundEngine::fadeToVolumeMusicTrack(float volume, float duration) {
    fTarMusicTrackVolume = volume;
    // A fade with no time to run (or a negative or undefined one) lands at the
    // next step; a negative step count would move away from the target for ever.
    if (!(duration > 0.0f))
        fDeltaMusicTrackVolume = fTarMusicTrackVolume - fCurMusicTrackVolume;
    else
        fDeltaMusicTrackVolume = float((double(fTarMusicTrackVolume) - double(fCurMusicTrackVolume))
            * updateInterval / double(duration));
}

void SoundEngine::setVolumeMusicTrack(float volume) {
    fCurMusicTrackVolume = std::clamp(volume, 0.0f, 1.0f);
    fTarMusicTrackVolume = fCurMusicTrackVolume;
    applyVolume();
}

void SoundEngine::setDeltaVolumeMusicTrack(float delta) {
    fCurMusicTrackVolume = std::clamp(fCurMusicTrackVolume + delta, 0.0f, 1.0f);
    fTarMusicTrackVolume = fCurMusicTrackVolume;
    applyVolume();
}

}
