#pragma once

#include <media/AudioFormat.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace media {

class AudioFile;

// A sound file read as frames of 16-bit PCM whatever its encoding (the
// platform's extended audio-file service): the file's own format is read, the
// caller sets the client format it wants, and reads convert to it. The client
// format must be 16-bit signed packed native-endian PCM with the file's sample
// rate and channel count; no resampling or channel mixing is done.
// Not thread-safe; one owner.
class ExtAudioFile {
public:
    // Reads file, which the reader then owns.
    explicit ExtAudioFile(std::unique_ptr<AudioFile> file);
    ~ExtAudioFile();

    // Opens path; null, with *status set, when it is missing or not a sound file.
    static std::unique_ptr<ExtAudioFile> open(std::string const& path, Status* status);
    static std::unique_ptr<ExtAudioFile> openData(std::vector<std::uint8_t> bytes, Status* status);

    Status fileDataFormat(StreamFormat& out) const;
    // status::unsupportedConversion for a client format this reader cannot produce.
    Status setClientFormat(StreamFormat const& format);
    // Frames the file declares, after the encoder's padding is taken off.
    Status fileLengthFrames(std::int64_t& out) const;

    // Reads up to ioFrames frames in the client format into out, which must hold
    // that many; ioFrames becomes the frames read, 0 at the end. Fails when no
    // client format is set.
    Status read(std::uint32_t& ioFrames, std::int16_t* out);

    // Moves the read position to frame.
    Status seek(std::int64_t frame);

private:
    // Decodes the next packets into pending_; false at the end of the file.
    bool decodeMore();

    std::unique_ptr<AudioFile> file_;
    StreamFormat fileFormat_;
    bool clientSet_ {false};
    std::int64_t nextPacket_ {0};
    // Frames still to skip from the start, and frames still to hand out.
    std::int64_t skipFrames_ {0};
    std::int64_t framesLeft_ {-1};
    std::vector<std::int16_t> pending_;
    std::size_t pendingOffset_ {0};
    std::vector<std::uint8_t> packetBuffer_;
};

}
