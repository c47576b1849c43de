#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace test {

// Interleaved 16-bit sound made by a test.
struct Pcm {
    std::vector<std::int16_t> samples;
    int channels {1};
    int sampleRate {44100};

    std::size_t frames() const { return samples.size() / std::size_t(channels); }
};

// A sine of frequency hertz on every channel (each channel a little louder than
// the one before, so channels can be told apart).
Pcm sinePcm(std::size_t frames, int channels, int sampleRate = 44100, double frequency = 440.0,
    double amplitude = 12000.0);
// A saw tooth whose every frame differs from its neighbours: where a loop
// restarts shows in the samples.
Pcm rampPcm(std::size_t frames, int channels, int sampleRate = 44100);

// Writes pcm with libsndfile in format (an SF_FORMAT_ container | subtype).
void writeSoundFile(std::filesystem::path const& path, Pcm const& pcm, int format);

struct CafOptions {
    // Writes a packet table giving the frames that count and the padding.
    bool packetTable {false};
    int primingFrames {0};
    // Writes the data chunk's size as -1 (runs to the end of the file).
    bool dataSizeUnknown {false};
};

// Encodes pcm as Apple IMA4 into a CAF file, by hand, and answers the samples a
// correct decoder gives back: the encoder's own reconstruction, padded to whole
// packets, without the priming frames and trimmed to the frames that count when
// there is a packet table.
std::vector<std::int16_t> writeIma4Caf(
    std::filesystem::path const& path, Pcm const& pcm, CafOptions options = {});

// Encodes one channel of 64 samples (read stride apart) into a 34-byte block,
// continuing from predictor and index; reconstructed receives what a decoder
// gives back.
void encodeIma4Block(std::int16_t const* samples, std::size_t stride, int& predictor, int& index,
    std::uint8_t* block, std::int16_t* reconstructed);

// Reads a whole sound file with libsndfile.
Pcm readSoundFile(std::filesystem::path const& path);

}
