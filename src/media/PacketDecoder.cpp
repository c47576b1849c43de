#include <media/PacketDecoder.hpp>

#include <media/Ima4.hpp>

#include <cstring>

namespace media {

namespace {

bool isLinear16(StreamFormat const& format) {
    return format.formatID == formatLinearPCM && format.bitsPerChannel == 16
        && (format.formatFlags & formatFlags::isSignedInteger) != 0
        && (format.formatFlags & (formatFlags::isFloat | formatFlags::isBigEndian)) == 0;
}

std::size_t decodeRun(
    StreamFormat const& format, std::span<std::uint8_t const> run, std::vector<std::int16_t>& out) {
    std::size_t const channels = format.channelsPerFrame;
    if (format.formatID == formatAppleIMA4) {
        std::size_t const packets = run.size() / (Ima4::blockBytes * channels);
        std::size_t const start = out.size();
        out.resize(start + packets * Ima4::framesPerPacket * channels);
        return Ima4::decode(run, channels, out.data() + start);
    }
    std::size_t const frames = run.size() / (2 * channels);
    std::size_t const start = out.size();
    out.resize(start + frames * channels);
    std::memcpy(out.data() + start, run.data(), frames * channels * 2);
    return frames;
}

}

bool PacketDecoder::canDecode(StreamFormat const& format) {
    if (format.channelsPerFrame == 0)
        return false;
    return isLinear16(format) || format.formatID == formatAppleIMA4;
}

std::size_t PacketDecoder::decode(StreamFormat const& format, std::span<std::uint8_t const> data,
    std::span<PacketDescription const> descriptions, std::vector<std::int16_t>& out) {
    if (!canDecode(format))
        return 0;
    if (descriptions.empty())
        return decodeRun(format, data, out);
    std::size_t frames = 0;
    for (PacketDescription const& packet : descriptions) {
        if (packet.startOffset < 0 || std::uint64_t(packet.startOffset) > data.size()
            || packet.dataByteSize > data.size() - std::size_t(packet.startOffset))
            continue;
        frames += decodeRun(
            format, data.subspan(std::size_t(packet.startOffset), packet.dataByteSize), out);
    }
    return frames;
}

}
