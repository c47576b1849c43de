#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace game {

// Owns the OpenAL device and context that every sound effect plays through, and
// one OpenAL buffer and source per loaded sound, found by a string key. One per
// process, made on first use and kept for the life of the process; its context
// is detached while the application is inactive or the audio session is
// interrupted. Main thread only, except that making and shutting down the
// engine are serialised by a lock.
class OpenALEngine final : public base::Object {
public:
    static OpenALEngine* sharedEngine();
    // Destroys the engine if there is one; the next sharedEngine() makes a new one.
    static void shutdownOpenAlEngine();

    // Opens the default device and makes a context on it current; false when no
    // device opens.
    bool initOpenAL();

    // Decodes path into a new buffer and source under key; a later load under the
    // same key replaces the earlier sound. False, leaving nothing behind, when
    // the file cannot be decoded or OpenAL fails.
    bool loadSoundWithKey(std::string const& key, std::string const& path, bool loop);
    void playSoundWithKey(std::string const& key);
    void stopSoundWithKey(std::string const& key);
    void rewindSoundWithKey(std::string const& key);
    bool isPlayingSoundWithKey(std::string const& key);

    // The application resigning active: the session goes inactive and no context
    // is current. resumeOpenALSession undoes it.
    void suspendOpenALSession();
    void resumeOpenALSession();

    // Every buffer name made and not yet deleted.
    std::vector<ALuint> const& bufferStorageArray() const { return bufferStorageArray_; }
    // Sound key to source name.
    std::map<std::string, ALuint> const& soundDictionary() const { return soundDictionary_; }
    ALCcontext* context() const { return mContext; }
    ALCdevice* device() const { return mDevice; }

protected:
    ~OpenALEngine() override;

private:
    ALuint sourceForKey(std::string const& key) const;

    ALCcontext* mContext {nullptr};
    ALCdevice* mDevice {nullptr};
    // Empty and unused when no device opened.
    bool ready_ {false};
    std::vector<ALuint> bufferStorageArray_;
    std::map<std::string, ALuint> soundDictionary_;

    friend base::Factory;

    // Use sharedEngine.
    OpenALEngine();
};

// The audio session's interruption listener: when an interruption begins the
// session goes inactive and no OpenAL context is current; when it ends the
// session is active again and the engine's context current again. Other states
// are ignored. Installed by the sound facade when it sets up the session.
void openALInterruptionListener(void* inClientData, std::uint32_t inInterruptionState);

}
