#include <game/shell/OpenALAudioData.hpp>

#include <media/ExtAudioFile.hpp>

#include <foundation/Format.hpp>

namespace game {

namespace {

// The most PCM a single effect may decode to. Effects are short; a file that
// claims more is damaged or is not an effect, and is refused before anything is
// allocated for it.
constexpr std::int64_t maxDataBytes = std::int64_t(1) << 28;

}

std::optional<OpenALAudioData> MyGetOpenALAudioData(std::string const& inFileURL) {
    media::Status err = media::status::ok;
    auto extRef = media::ExtAudioFile::open(inFileURL, &err);
    if (!extRef) {
        foundation::log("MyGetOpenALAudioData: ExtAudioFileOpenURL FAILED, Error = %ld", long(err));
        return std::nullopt;
    }

    media::StreamFormat theFileFormat;
    err = extRef->fileDataFormat(theFileFormat);
    if (err) {
        foundation::log(
            "MyGetOpenALAudioData: ExtAudioFileGetProperty(kExtAudioFileProperty_FileDataFormat) "
            "FAILED, Error = %ld",
            long(err));
        return std::nullopt;
    }
    if (theFileFormat.channelsPerFrame > 2) {
        foundation::log(
            "MyGetOpenALAudioData - Unsupported Format, channel count is greater than stereo");
        return std::nullopt;
    }

    media::StreamFormat const theOutputFormat
        = media::StreamFormat::pcm16(theFileFormat.sampleRate, theFileFormat.channelsPerFrame);
    err = extRef->setClientFormat(theOutputFormat);
    if (err) {
        foundation::log(
            "MyGetOpenALAudioData: ExtAudioFileSetProperty(kExtAudioFileProperty_ClientDataFormat) "
            "FAILED, Error = %ld",
            long(err));
        return std::nullopt;
    }

    std::int64_t theFileLengthInFrames = 0;
    err = extRef->fileLengthFrames(theFileLengthInFrames);
    if (err) {
        foundation::log(
            "MyGetOpenALAudioData: ExtAudioFileGetProperty(kExtAudioFileProperty_FileLengthFrames) "
            "FAILED, Error = %ld",
            long(err));
        return std::nullopt;
    }

    std::int64_t const dataSize = theFileLengthInFrames * theOutputFormat.bytesPerFrame;
    if (theFileLengthInFrames < 0 || dataSize > maxDataBytes) {
        foundation::log("MyGetOpenALAudioData: ExtAudioFileRead FAILED, Error = %ld",
            long(media::status::invalidFile));
        return std::nullopt;
    }

    OpenALAudioData result;
    result.data.resize(std::size_t(theFileLengthInFrames) * theOutputFormat.channelsPerFrame);
    auto frames = std::uint32_t(theFileLengthInFrames);
    err = extRef->read(frames, result.data.data());
    if (err) {
        foundation::log("MyGetOpenALAudioData: ExtAudioFileRead FAILED, Error = %ld", long(err));
        return std::nullopt;
    }
    // A file that holds fewer frames than it declares gives only what it holds,
    // never the rest of the allocation.
    result.data.resize(std::size_t(frames) * theOutputFormat.channelsPerFrame);
    result.size = ALsizei(result.data.size() * sizeof(std::int16_t));
    result.format = theOutputFormat.channelsPerFrame > 1 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    result.sampleRate = ALsizei(theOutputFormat.sampleRate);
    return result;
}

}
