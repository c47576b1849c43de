#include <game/shell/GBMusicTrack.hpp>

#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Perform.hpp>

#include <optional>

namespace game {

namespace {

std::optional<std::string> orNil(std::string const& path) {
    return path.empty() ? std::nullopt : std::optional<std::string>(path);
}

}

base::Ref<GBMusicTrack> GBMusicTrack::initWithPath(std::string const& path) {
    std::unique_ptr<media::AudioFile> file;
    if (!path.empty())
        file = media::AudioFile::open(path, media::fileTypeCAF, nullptr);
    return initWithAudioFile(path, std::move(file));
}

base::Ref<GBMusicTrack> GBMusicTrack::initWithAudioFile(
    std::string const& path, std::unique_ptr<media::AudioFile> file) {
    if (!file) {
        foundation::log(
            "GBMusicTrack Error - initWithPath: could not open audio file. Path given was: %@",
            orNil(path));
        return nullptr;
    }
    media::StreamFormat const format = file->dataFormat();
    auto track = base::make<GBMusicTrack>(std::move(file), format);
    if (!track->prime(path))
        return nullptr;
    return track;
}

GBMusicTrack::GBMusicTrack(
    std::unique_ptr<media::AudioFile> file, media::StreamFormat const& format)
    : audioFile(std::move(file))
    , dataFormat(format)
    , weakSelf_(this) {
}

bool GBMusicTrack::prime(std::string const& path) {
    media::Status status = media::status::ok;
    queue = media::AudioQueue::newOutput(
        dataFormat,
        [this](media::AudioQueue&, media::AudioQueueBuffer* buffer) { callbackForBuffer(buffer); },
        &status);
    if (!queue) {
        foundation::log("GBMusicTrack Error - initWithPath: could not create an audio queue (error "
                        "%d). Path given was: %@",
            int(status), orNil(path));
        trackClosed = true;
        audioFile.reset();
        return false;
    }

    if (dataFormat.isConstantBitRate()) {
        numPacketsToRead = bufferByteSize / dataFormat.bytesPerPacket;
    } else {
        std::uint32_t maxPacketSize = audioFile->packetSizeUpperBound();
        if (maxPacketSize == 0) {
            // Nothing can be read by the packet from a file that claims empty packets.
            foundation::log(
                "GBMusicTrack Error - initWithPath: could not open audio file. Path given was: %@",
                orNil(path));
            close();
            return false;
        }
        if (maxPacketSize > bufferByteSize) {
            maxPacketSize = bufferByteSize;
            foundation::log("GBMusicTrack Warning - initWithPath: had to limit packet size "
                            "requested for file path: %@",
                orNil(path));
        }
        numPacketsToRead = bufferByteSize / maxPacketSize;
        packetDescs.resize(numPacketsToRead);
    }

    std::vector<std::uint8_t> const cookie = audioFile->magicCookie();
    if (!cookie.empty())
        queue->setMagicCookie(cookie);

    packetIndex = 0;
    for (std::size_t i = 0; i < numberOfBuffers; ++i) {
        queue->allocateBuffer(bufferByteSize, &buffers[i]);
        if (readPacketsIntoBuffer(buffers[i]) == 0)
            break;
        ++primedBuffers_;
    }
    repeat = true;
    trackClosed = false;
    return true;
}

GBMusicTrack::~GBMusicTrack() {
    close();
}

void GBMusicTrack::play() {
    if (queue)
        queue->start();
}

void GBMusicTrack::pause() {
    if (queue)
        queue->pause();
}

void GBMusicTrack::stop() {
    if (queue)
        queue->stop();
}

void GBMusicTrack::close() {
    if (trackClosed)
        return;
    trackClosed = true;
    if (queue) {
        queue->stop();
        queue->dispose();
    }
    audioFile.reset();
}

void GBMusicTrack::setGain(float gain) {
    if (queue)
        queue->setVolume(gain);
}

void GBMusicTrack::setRepeat(bool value) {
    repeat = value;
}

std::uint32_t GBMusicTrack::readPacketsIntoBuffer(media::AudioQueueBuffer* buffer) {
    if (!audioFile || !buffer)
        return 0;
    std::uint32_t numBytes = 0;
    std::uint32_t numPackets = numPacketsToRead;
    media::Status const status = audioFile->readPackets(std::int64_t(packetIndex.load()),
        numPackets, buffer->audioData, buffer->audioDataBytesCapacity, numBytes,
        packetDescs.empty() ? nullptr : packetDescs.data());
    // A read that fails (a packet larger than the buffer, a damaged file) ends
    // the file here rather than overrunning the buffer.
    if (status != media::status::ok || numPackets == 0)
        return 0;
    buffer->audioDataByteSize = numBytes;
    if (packetDescs.empty())
        queue->enqueueBuffer(buffer);
    else
        queue->enqueueBuffer(
            buffer, std::span<media::PacketDescription const>(packetDescs.data(), numPackets));
    packetIndex += numPackets;
    return numPackets;
}

void GBMusicTrack::callbackForBuffer(media::AudioQueueBuffer* buffer) {
    if (readPacketsIntoBuffer(buffer) > 0)
        return;
    packetIndex = 0;
    readPacketsIntoBuffer(buffer);
    if (repeat)
        return;
    queue->pause();
    foundation::performOnMainThread(
        [weak = weakSelf_] {
            if (base::Ref<GBMusicTrack> track = weak.strong())
                track->postTrackFinishedPlayingNotification();
        },
        false);
}

void GBMusicTrack::postTrackFinishedPlayingNotification() {
    foundation::NotificationCenter::defaultCenter().postNotification(
        GBMusicTrackFinishedPlayingNotification, this);
}

}
