#include <game/shell/SoundEffect.hpp>

#include <game/shell/OpenALEngine.hpp>

#include <foundation/Format.hpp>

namespace game {

base::Ref<SoundEffect> SoundEffect::initWithContentsOfFile(std::string const& path) {
    if (path.empty()) {
        foundation::log("NSURL is nil for path: %@", nullptr);
        return nullptr;
    }
    // An effect whose sound did not load would stay silent in every pool that
    // keeps it; none is made.
    if (!OpenALEngine::sharedEngine()->loadSoundWithKey(path, path, false))
        return nullptr;
    return base::make<SoundEffect>(path);
}

base::Ref<SoundEffect> SoundEffect::soundEffectWithContentsOfFile(std::string const& path) {
    return initWithContentsOfFile(path);
}

SoundEffect::SoundEffect(std::string key)
    : key_(std::move(key)) {
}

void SoundEffect::play() {
    OpenALEngine::sharedEngine()->playSoundWithKey(key_);
}

void SoundEffect::stop() {
    OpenALEngine::sharedEngine()->stopSoundWithKey(key_);
}

}
