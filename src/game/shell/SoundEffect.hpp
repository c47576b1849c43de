#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <string>

namespace game {

// A short sound decoded once into an OpenAL buffer of the OpenAL engine, under
// its file path as the key, and played by starting the engine's source for it.
// Playing an effect that is still sounding starts it again from the beginning.
// Main thread only.
class SoundEffect final : public base::Object {
public:
    // Loads the file at path into the engine. Null when path is empty (logged as
    // "NSURL is nil for path: (null)") or the file cannot be loaded.
    static base::Ref<SoundEffect> initWithContentsOfFile(std::string const& path);
    static base::Ref<SoundEffect> soundEffectWithContentsOfFile(std::string const& path);

    void play();
    void stop();

    // The key of the effect's sound in the engine: its path.
    std::string const& key() const { return key_; }

private:
    std::string const key_;

    friend base::Factory;

    // Use the factories.
    explicit SoundEffect(std::string key);
};

}
