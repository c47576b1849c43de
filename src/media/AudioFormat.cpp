#include <media/AudioFormat.hpp>

namespace media {

StreamFormat StreamFormat::pcm16(double sampleRate, std::uint32_t channels) {
    StreamFormat format;
    format.sampleRate = sampleRate;
    format.formatID = formatLinearPCM;
    format.formatFlags = formatFlags::isSignedInteger | formatFlags::isPacked;
    format.bytesPerPacket = 2 * channels;
    format.framesPerPacket = 1;
    format.bytesPerFrame = 2 * channels;
    format.channelsPerFrame = channels;
    format.bitsPerChannel = 16;
    return format;
}

bool StreamFormat::isPcm16() const {
    std::uint32_t const required = formatFlags::isSignedInteger | formatFlags::isPacked;
    return formatID == formatLinearPCM && (formatFlags & required) == required
        && (formatFlags & (formatFlags::isFloat | formatFlags::isBigEndian)) == 0
        && bitsPerChannel == 16 && channelsPerFrame > 0 && framesPerPacket == 1
        && bytesPerFrame == 2 * channelsPerFrame && bytesPerPacket == bytesPerFrame;
}

}
