#pragma once

#include <AL/al.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace game {

// A whole sound file as 16-bit PCM for an OpenAL buffer.
struct OpenALAudioData {
    std::vector<std::int16_t> data;
    // Bytes of data.
    ALsizei size {0};
    // AL_FORMAT_MONO16 or AL_FORMAT_STEREO16.
    ALenum format {0};
    ALsizei sampleRate {0};
};

// Decodes the sound file at inFileURL (a path) to 16-bit PCM at the file's own
// sample rate, mono or stereo as the file is. Nothing, with a line naming the
// step that failed, when the file does not open, has more than two channels or
// cannot be read. The file is closed in every case.
std::optional<OpenALAudioData> MyGetOpenALAudioData(std::string const& inFileURL);

}
