#pragma once

#include <media/AudioFormat.hpp>

#include <cstdint>
#include <span>
#include <vector>

namespace media {

// Turns packets of a stream into interleaved 16-bit PCM: the conversion under
// the queue and the decoding reader. Knows 16-bit linear PCM (passed through)
// and Apple's IMA4.
class PacketDecoder {
public:
    // Whether streams of this format can be decoded: linear PCM of 16-bit signed
    // native-endian integers or IMA4, with one or more channels.
    static bool canDecode(StreamFormat const& format);

    // Appends the frames of data to out. For variable bit rate streams the
    // descriptions say where each packet lies; without them, data is one run of
    // packets. Packets that lie outside data and a trailing part packet are
    // skipped. Answers the frames appended.
    static std::size_t decode(StreamFormat const& format, std::span<std::uint8_t const> data,
        std::span<PacketDescription const> descriptions, std::vector<std::int16_t>& out);
};

}
