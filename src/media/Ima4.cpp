#include <media/Ima4.hpp>

#include <algorithm>

namespace media {

namespace {

constexpr std::int16_t stepTable[89] = {7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31,
    34, 37, 41, 45, 50, 55, 60, 66, 73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230,
    253, 279, 307, 337, 371, 408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282,
    1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894,
    6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385,
    24623, 27086, 29794, 32767};

constexpr int indexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

}

void Ima4::decodeBlock(std::uint8_t const* block, std::int16_t* out, std::size_t stride) {
    auto const header = std::uint16_t((block[0] << 8) | block[1]);
    int predictor = std::int16_t(header & 0xFF80);
    // A corrupt header may carry an index past the table; clamp rather than read beyond it.
    int index = std::min(header & 0x7F, 88);
    for (std::size_t i = 0; i < framesPerPacket; ++i) {
        std::uint8_t const byte = block[2 + i / 2];
        int const code = (i % 2 == 0) ? (byte & 0x0F) : (byte >> 4);
        int const step = stepTable[index];
        int difference = step >> 3;
        if (code & 4)
            difference += step;
        if (code & 2)
            difference += step >> 1;
        if (code & 1)
            difference += step >> 2;
        predictor += (code & 8) ? -difference : difference;
        predictor = std::clamp(predictor, -32768, 32767);
        index = std::clamp(index + indexTable[code], 0, 88);
        out[i * stride] = std::int16_t(predictor);
    }
}

void Ima4::decodePacket(std::uint8_t const* packet, std::size_t channels, std::int16_t* out) {
    for (std::size_t channel = 0; channel < channels; ++channel)
        decodeBlock(packet + channel * blockBytes, out + channel, channels);
}

std::size_t Ima4::decode(
    std::span<std::uint8_t const> data, std::size_t channels, std::int16_t* out) {
    if (channels == 0)
        return 0;
    std::size_t const packetBytes = blockBytes * channels;
    std::size_t const packets = data.size() / packetBytes;
    for (std::size_t packet = 0; packet < packets; ++packet)
        decodePacket(data.data() + packet * packetBytes, channels,
            out + packet * framesPerPacket * channels);
    return packets * framesPerPacket;
}

}
