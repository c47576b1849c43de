#include <game/shell/OpenALEngine.hpp>

#include <game/shell/OpenALAudioData.hpp>

#include <media/AudioOutput.hpp>
#include <media/AudioSession.hpp>

#include <foundation/Format.hpp>
#include <foundation/Lock.hpp>

#include <algorithm>
#include <mutex>
#include <optional>

namespace game {

namespace {

foundation::RecursiveLock& classLock() {
    static foundation::RecursiveLock lock;
    return lock;
}

base::Ref<OpenALEngine>& sharedInstance() {
    static base::Ref<OpenALEngine> engine;
    return engine;
}

// The engine's context, for the interruption listener, which gets no engine.
ALCcontext* gOpenALContext = nullptr;

}

OpenALEngine* OpenALEngine::sharedEngine() {
    std::lock_guard lock(classLock());
    if (!sharedInstance())
        sharedInstance() = base::make<OpenALEngine>();
    return sharedInstance().get();
}

void OpenALEngine::shutdownOpenAlEngine() {
    base::Ref<OpenALEngine> engine;
    {
        std::lock_guard lock(classLock());
        engine = std::move(sharedInstance());
        sharedInstance() = nullptr;
    }
}

OpenALEngine::OpenALEngine() {
    ready_ = initOpenAL();
}

OpenALEngine::~OpenALEngine() {
    // The sources and buffers go even while the context is detached.
    std::optional<media::ScopedContext> current;
    if (mContext)
        current.emplace(mContext);
    for (auto const& [key, source] : soundDictionary_)
        alDeleteSources(1, &source);
    if (!bufferStorageArray_.empty())
        alDeleteBuffers(ALsizei(bufferStorageArray_.size()), bufferStorageArray_.data());
    current.reset();
    if (alcGetCurrentContext() == mContext)
        alcMakeContextCurrent(nullptr);
    if (mContext)
        alcDestroyContext(mContext);
    // The listener must not restore a context that no longer exists.
    if (gOpenALContext == mContext)
        gOpenALContext = nullptr;
    media::AudioOutput::closeDevice(mDevice);
}

bool OpenALEngine::initOpenAL() {
    mDevice = media::AudioOutput::openDevice();
    if (!mDevice)
        return false;
    mContext = media::AudioOutput::createContext(mDevice);
    gOpenALContext = mContext;
    alcMakeContextCurrent(mContext);
    return true;
}

ALuint OpenALEngine::sourceForKey(std::string const& key) const {
    auto found = soundDictionary_.find(key);
    return found == soundDictionary_.end() ? 0 : found->second;
}

bool OpenALEngine::loadSoundWithKey(std::string const& key, std::string const& path, bool loop) {
    if (path.empty()) {
        foundation::log("OpenALEngine: file %@ not found.", nullptr);
        return false;
    }
    auto const pcm = MyGetOpenALAudioData(path);
    if (!pcm)
        return false;

    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    ALenum error = alGetError();
    if (error == AL_NO_ERROR) {
        alBufferData(buffer, pcm->format, pcm->data.data(), pcm->size, pcm->sampleRate);
        error = alGetError();
    }
    ALuint source = 0;
    if (error == AL_NO_ERROR) {
        alGenSources(1, &source);
        error = alGetError();
    }
    if (error == AL_NO_ERROR) {
        alSourcei(source, AL_BUFFER, ALint(buffer));
        alSourcef(source, AL_PITCH, 1.0f);
        alSourcef(source, AL_GAIN, 1.0f);
        alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
        error = alGetError();
    }
    if (error != AL_NO_ERROR || !ready_) {
        foundation::log("OpenALEngine: error loading sound: %x", unsigned(error));
        if (source)
            alDeleteSources(1, &source);
        if (buffer)
            alDeleteBuffers(1, &buffer);
        return false;
    }

    // A sound loaded again under its key gives up its old source and buffer,
    // which would otherwise stay allocated for the life of the process.
    if (ALuint old = sourceForKey(key)) {
        ALint oldBuffer = 0;
        alGetSourcei(old, AL_BUFFER, &oldBuffer);
        alSourceStop(old);
        alDeleteSources(1, &old);
        if (oldBuffer) {
            auto const oldName = ALuint(oldBuffer);
            std::erase(bufferStorageArray_, oldName);
            alDeleteBuffers(1, &oldName);
        }
    }
    bufferStorageArray_.push_back(buffer);
    soundDictionary_[key] = source;
    return true;
}

void OpenALEngine::playSoundWithKey(std::string const& key) {
    if (ALuint source = sourceForKey(key))
        alSourcePlay(source);
}

void OpenALEngine::stopSoundWithKey(std::string const& key) {
    if (ALuint source = sourceForKey(key))
        alSourceStop(source);
}

void OpenALEngine::rewindSoundWithKey(std::string const& key) {
    if (ALuint source = sourceForKey(key))
        alSourceRewind(source);
}

bool OpenALEngine::isPlayingSoundWithKey(std::string const& key) {
    ALuint const source = sourceForKey(key);
    if (!source)
        return false;
    ALint state = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void OpenALEngine::suspendOpenALSession() {
    media::AudioSession::sharedInstance().setActive(false);
    alcMakeContextCurrent(nullptr);
}

void OpenALEngine::resumeOpenALSession() {
    media::AudioSession::sharedInstance().setActive(true);
    alcMakeContextCurrent(mContext);
}

void openALInterruptionListener(void*, std::uint32_t inInterruptionState) {
    if (inInterruptionState == media::AudioSession::beginInterruptionState) {
        media::AudioSession::sharedInstance().setActive(false);
        alcMakeContextCurrent(nullptr);
    } else if (inInterruptionState == media::AudioSession::endInterruptionState) {
        media::AudioSession::sharedInstance().setActive(true);
        alcMakeContextCurrent(gOpenALContext);
    }
}

}
