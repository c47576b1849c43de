#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bundlegen {

constexpr int soundRate = 22050;

// One sound file of the bundle: mono samples in -1..1 at soundRate, written as WAV
// (16-bit PCM) or, for names ending ".mp3", as MP3.
struct SoundEntry {
    std::string name;
    std::string kind; // "sound" or "music"
    std::function<std::vector<float>()> synthesize;
};

std::vector<SoundEntry> soundCatalog();

// Throws std::runtime_error naming the file when it cannot be written.
void writeSound(std::string const& path, std::vector<float> const& samples);

// A free font copied under the name the game asks for.
struct FontEntry {
    std::string name; // e.g. "Helvetica.ttf"
    std::vector<std::string> sources; // first existing file wins
};

std::vector<FontEntry> fontCatalog();

}
