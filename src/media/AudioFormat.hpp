#pragma once

#include <cstdint>

namespace media {

// The result of an audio call: 0 for success, otherwise a code that names what
// failed. The codes of file and format errors are four-character codes, so a
// logged number can be read back as text.
using Status = std::int32_t;

constexpr std::uint32_t fourCharCode(char const (&code)[5]) {
    return (std::uint32_t(std::uint8_t(code[0])) << 24)
        | (std::uint32_t(std::uint8_t(code[1])) << 16) | (std::uint32_t(std::uint8_t(code[2])) << 8)
        | std::uint32_t(std::uint8_t(code[3]));
}

namespace status {
inline constexpr Status ok = 0;
// The file does not exist or cannot be opened for reading.
inline constexpr Status fileNotFound = -43;
// A required argument was missing or out of range.
inline constexpr Status parameter = -50;
inline constexpr Status unsupportedFileType = Status(fourCharCode("typ?"));
inline constexpr Status unsupportedDataFormat = Status(fourCharCode("fmt?"));
inline constexpr Status invalidFile = Status(fourCharCode("dta?"));
inline constexpr Status endOfFile = Status(fourCharCode("eof?"));
inline constexpr Status invalidPacketOffset = Status(fourCharCode("pck?"));
// The buffer cannot take even one packet.
inline constexpr Status bufferTooSmall = Status(fourCharCode("bsz?"));
inline constexpr Status unsupportedConversion = Status(fourCharCode("cnv?"));
// A queue buffer that is not the queue's own, is already enqueued, or is empty.
inline constexpr Status invalidBuffer = Status(fourCharCode("buf?"));
inline constexpr Status queueDisposed = Status(fourCharCode("dsp?"));
// No output device or context could be made.
inline constexpr Status noDevice = Status(fourCharCode("dev?"));
inline constexpr Status sessionAlreadyInitialized = Status(fourCharCode("init"));
inline constexpr Status sessionNotInitialized = Status(fourCharCode("!ini"));
}

inline constexpr std::uint32_t formatLinearPCM = fourCharCode("lpcm");
// Apple's IMA 4:1 ADPCM: 34-byte blocks of 64 samples per channel.
inline constexpr std::uint32_t formatAppleIMA4 = fourCharCode("ima4");

namespace formatFlags {
inline constexpr std::uint32_t isFloat = 1u << 0;
inline constexpr std::uint32_t isBigEndian = 1u << 1;
inline constexpr std::uint32_t isSignedInteger = 1u << 2;
inline constexpr std::uint32_t isPacked = 1u << 3;
}

// What one stream of audio data looks like: the 40-byte stream description of
// the platform. Constant bit rate formats have non-zero bytesPerPacket and
// framesPerPacket; variable bit rate formats give 0 there and describe each
// packet with a PacketDescription.
struct StreamFormat {
    double sampleRate {0};
    std::uint32_t formatID {0};
    std::uint32_t formatFlags {0};
    std::uint32_t bytesPerPacket {0};
    std::uint32_t framesPerPacket {0};
    std::uint32_t bytesPerFrame {0};
    std::uint32_t channelsPerFrame {0};
    std::uint32_t bitsPerChannel {0};
    std::uint32_t reserved {0};

    bool isConstantBitRate() const { return bytesPerPacket != 0 && framesPerPacket != 0; }

    // Interleaved, packed, native-endian signed 16-bit samples.
    static StreamFormat pcm16(double sampleRate, std::uint32_t channels);
    bool isPcm16() const;
    bool operator==(StreamFormat const&) const = default;
};

static_assert(sizeof(StreamFormat) == 40);

// Where one packet of a variable bit rate buffer lies.
struct PacketDescription {
    std::int64_t startOffset {0};
    std::uint32_t variableFramesInPacket {0};
    std::uint32_t dataByteSize {0};
};

}
