#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace media {

// Apple's IMA 4:1 ADPCM ("ima4"), as found in CAF files: each channel of a packet
// is a 34-byte block holding a 2-byte big-endian header (the top 9 bits of the
// starting predictor and a 7-bit step index) and 32 bytes of 4-bit codes, low
// nibble first, for 64 samples. A packet holds one block per channel, channel
// after channel. Every block starts afresh from its own header, so packets
// decode independently of each other.
class Ima4 {
public:
    static constexpr std::size_t blockBytes = 34;
    static constexpr std::size_t framesPerPacket = 64;

    // Decodes one channel's block into 64 samples written stride apart.
    static void decodeBlock(std::uint8_t const* block, std::int16_t* out, std::size_t stride);
    // Decodes one packet of channels blocks into 64 interleaved frames.
    static void decodePacket(std::uint8_t const* packet, std::size_t channels, std::int16_t* out);
    // Decodes every whole packet of data; answers the frames written to out, which
    // must hold (data.size() / (34 x channels)) x 64 x channels samples.
    static std::size_t decode(
        std::span<std::uint8_t const> data, std::size_t channels, std::int16_t* out);
};

}
