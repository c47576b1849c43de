#include <media/ExtAudioFile.hpp>

#include <media/AudioFile.hpp>
#include <media/PacketDecoder.hpp>

#include <algorithm>
#include <cstring>

namespace media {

namespace {

// Packets decoded per step: large enough to read efficiently, small enough to
// keep the decoded block modest.
constexpr std::uint32_t packetBufferBytes = 64 * 1024;

}

ExtAudioFile::ExtAudioFile(std::unique_ptr<AudioFile> file)
    : file_(std::move(file))
    , fileFormat_(file_->dataFormat()) {
    skipFrames_ = std::max<std::int64_t>(0, file_->primingFrames());
    framesLeft_ = file_->validFrames();
}

ExtAudioFile::~ExtAudioFile() = default;

std::unique_ptr<ExtAudioFile> ExtAudioFile::open(std::string const& path, Status* status) {
    Status ignored;
    if (!status)
        status = &ignored;
    auto file = AudioFile::open(path, 0, status);
    if (!file)
        return nullptr;
    return std::make_unique<ExtAudioFile>(std::move(file));
}

std::unique_ptr<ExtAudioFile> ExtAudioFile::openData(
    std::vector<std::uint8_t> bytes, Status* status) {
    Status ignored;
    if (!status)
        status = &ignored;
    auto file = AudioFile::openData(std::move(bytes), status);
    if (!file)
        return nullptr;
    return std::make_unique<ExtAudioFile>(std::move(file));
}

Status ExtAudioFile::fileDataFormat(StreamFormat& out) const {
    out = fileFormat_;
    return status::ok;
}

Status ExtAudioFile::setClientFormat(StreamFormat const& format) {
    if (!format.isPcm16() || format.channelsPerFrame != fileFormat_.channelsPerFrame
        || format.sampleRate != fileFormat_.sampleRate || !PacketDecoder::canDecode(fileFormat_))
        return status::unsupportedConversion;
    clientSet_ = true;
    return status::ok;
}

Status ExtAudioFile::fileLengthFrames(std::int64_t& out) const {
    std::int64_t const valid = file_->validFrames();
    if (valid >= 0) {
        out = valid;
        return status::ok;
    }
    std::uint32_t const framesPerPacket = std::max<std::uint32_t>(fileFormat_.framesPerPacket, 1);
    out = std::int64_t(file_->packetCount() * framesPerPacket)
        - std::max<std::int64_t>(0, file_->primingFrames());
    out = std::max<std::int64_t>(out, 0);
    return status::ok;
}

bool ExtAudioFile::decodeMore() {
    pending_.clear();
    pendingOffset_ = 0;
    std::uint32_t const upperBound = std::max<std::uint32_t>(file_->packetSizeUpperBound(), 1);
    std::uint32_t const capacity = std::max(packetBufferBytes, upperBound);
    packetBuffer_.resize(capacity);
    std::uint32_t packets = std::max<std::uint32_t>(capacity / upperBound, 1);
    std::vector<PacketDescription> descriptions(fileFormat_.isConstantBitRate() ? 0 : packets);
    std::uint32_t bytes = 0;
    Status const read = file_->readPackets(nextPacket_, packets, packetBuffer_.data(), capacity,
        bytes, descriptions.empty() ? nullptr : descriptions.data());
    if (read != status::ok || packets == 0)
        return false;
    nextPacket_ += packets;
    descriptions.resize(descriptions.empty() ? 0 : packets);
    PacketDecoder::decode(fileFormat_, {packetBuffer_.data(), bytes}, descriptions, pending_);
    return true;
}

Status ExtAudioFile::read(std::uint32_t& ioFrames, std::int16_t* out) {
    if (!clientSet_) {
        ioFrames = 0;
        return status::unsupportedConversion;
    }
    std::size_t const channels = fileFormat_.channelsPerFrame;
    std::uint32_t const wanted = ioFrames;
    std::uint32_t done = 0;
    while (done < wanted && framesLeft_ != 0) {
        if (pendingOffset_ >= pending_.size() && !decodeMore())
            break;
        std::size_t available = (pending_.size() - pendingOffset_) / channels;
        if (skipFrames_ > 0) {
            std::size_t const skip
                = std::size_t(std::min<std::int64_t>(skipFrames_, std::int64_t(available)));
            pendingOffset_ += skip * channels;
            skipFrames_ -= std::int64_t(skip);
            continue;
        }
        std::size_t take = std::min<std::size_t>(available, wanted - done);
        if (framesLeft_ > 0)
            take = std::size_t(std::min<std::int64_t>(std::int64_t(take), framesLeft_));
        std::memcpy(out + std::size_t(done) * channels, pending_.data() + pendingOffset_,
            take * channels * 2);
        pendingOffset_ += take * channels;
        done += std::uint32_t(take);
        if (framesLeft_ > 0)
            framesLeft_ -= std::int64_t(take);
    }
    ioFrames = done;
    return status::ok;
}

Status ExtAudioFile::seek(std::int64_t frame) {
    if (frame < 0)
        return status::invalidPacketOffset;
    std::uint32_t const framesPerPacket = std::max<std::uint32_t>(fileFormat_.framesPerPacket, 1);
    std::int64_t const priming = std::max<std::int64_t>(0, file_->primingFrames());
    std::int64_t const absolute = frame + priming;
    nextPacket_ = absolute / framesPerPacket;
    skipFrames_ = absolute % framesPerPacket;
    std::int64_t const valid = file_->validFrames();
    framesLeft_ = valid >= 0 ? std::max<std::int64_t>(0, valid - frame) : -1;
    pending_.clear();
    pendingOffset_ = 0;
    return status::ok;
}

}
