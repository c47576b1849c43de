#pragma once

#include <media/AudioFormat.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace media {

// A sound file read packet by packet, the way a streaming player feeds a queue
// (the platform's audio-file service). CAF files in Apple's IMA4 encoding give
// their own packets; every other file that libsndfile reads (WAV, AIFF, CAF,
// FLAC, Ogg Vorbis, MP3) is decoded on the fly and gives 16-bit PCM packets of
// one frame each, so every file reads as constant bit rate.
//
// Not thread-safe: one thread reads at a time (a queue's thread once the queue
// runs). Subclasses may stand in for other files in tests.
class AudioFile {
public:
    virtual ~AudioFile() = default;

    // Opens path for reading. typeHint (a file type code such as "caff") is a hint
    // only: the content decides. Null, with *status set, when the file is missing
    // (status::fileNotFound) or not a sound file this reader knows.
    static std::unique_ptr<AudioFile> open(
        std::string const& path, std::uint32_t typeHint, Status* status);
    // The same for a file held in memory.
    static std::unique_ptr<AudioFile> openData(std::vector<std::uint8_t> bytes, Status* status);

    virtual StreamFormat dataFormat() const = 0;
    // Packets in the file (for decoded files, the frame count the file declares).
    virtual std::uint64_t packetCount() const = 0;
    // The largest packet the file may hold, in bytes.
    virtual std::uint32_t packetSizeUpperBound() const = 0;
    // The codec's set-up data, empty when the format has none.
    virtual std::vector<std::uint8_t> magicCookie() const { return {}; }
    // Frames to drop at the start and the frames that count, when the file says so
    // (encoders pad the first and last packets); validFrames < 0 when it does not.
    virtual std::int64_t primingFrames() const { return 0; }
    virtual std::int64_t validFrames() const { return -1; }

    // Reads whole packets from startPacket into out (capacity bytes): at most
    // ioNumPackets, and only as many as fit. On return ioNumPackets and
    // outNumBytes give what was read: 0 packets with status::ok at the end of
    // the file. For variable bit rate files, descriptions (ioNumPackets entries)
    // receive each packet's place in out. status::bufferTooSmall when the first
    // packet does not fit; status::invalidPacketOffset for a start past the end
    // or below 0.
    virtual Status readPackets(std::int64_t startPacket, std::uint32_t& ioNumPackets,
        std::uint8_t* out, std::uint32_t capacity, std::uint32_t& outNumBytes,
        PacketDescription* descriptions)
        = 0;
};

// The file type codes for AudioFile::open's hint.
inline constexpr std::uint32_t fileTypeCAF = fourCharCode("caff");
inline constexpr std::uint32_t fileTypeWAVE = fourCharCode("WAVE");
inline constexpr std::uint32_t fileTypeMP3 = fourCharCode("MPG3");

}
