#include <media/AudioFile.hpp>

#include <media/CafFile.hpp>
#include <media/DataSource.hpp>
#include <media/Ima4.hpp>

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace media {

namespace {

// CAF files in Apple's IMA4 encoding, which libsndfile does not read: the file's
// own 34-byte-per-channel packets, handed out as they are.
class Ima4CafFile final : public AudioFile {
public:
    Ima4CafFile(std::unique_ptr<DataSource> source, CafFile caf)
        : source_(std::move(source))
        , caf_(std::move(caf)) {
        std::uint64_t const whole = std::uint64_t(caf_.dataSize) / caf_.format.bytesPerPacket;
        packets_ = whole;
        if (caf_.packetTable)
            packets_
                = std::min<std::uint64_t>(whole, std::uint64_t(caf_.packetTable->numberPackets));
    }

    StreamFormat dataFormat() const override { return caf_.format; }
    std::uint64_t packetCount() const override { return packets_; }
    std::uint32_t packetSizeUpperBound() const override { return caf_.format.bytesPerPacket; }
    std::vector<std::uint8_t> magicCookie() const override { return caf_.magicCookie; }
    std::int64_t primingFrames() const override {
        return caf_.packetTable ? caf_.packetTable->primingFrames : 0;
    }
    std::int64_t validFrames() const override {
        return caf_.packetTable ? caf_.packetTable->numberValidFrames : -1;
    }

    Status readPackets(std::int64_t startPacket, std::uint32_t& ioNumPackets, std::uint8_t* out,
        std::uint32_t capacity, std::uint32_t& outNumBytes, PacketDescription*) override {
        outNumBytes = 0;
        std::uint32_t const wanted = ioNumPackets;
        ioNumPackets = 0;
        if (startPacket < 0 || std::uint64_t(startPacket) > packets_)
            return status::invalidPacketOffset;
        std::uint32_t const packetBytes = caf_.format.bytesPerPacket;
        std::uint64_t const left = packets_ - std::uint64_t(startPacket);
        std::uint64_t count = std::min<std::uint64_t>({wanted, left, capacity / packetBytes});
        if (count == 0)
            return wanted > 0 && left > 0 ? status::bufferTooSmall : status::ok;
        std::size_t const bytes = std::size_t(count * packetBytes);
        std::int64_t const offset = caf_.dataOffset + startPacket * std::int64_t(packetBytes);
        std::size_t const got = source_->read(offset, out, bytes);
        count = got / packetBytes;
        ioNumPackets = std::uint32_t(count);
        outNumBytes = std::uint32_t(count * packetBytes);
        return status::ok;
    }

private:
    std::unique_ptr<DataSource> source_;
    CafFile caf_;
    std::uint64_t packets_ {0};
};

// Every file libsndfile reads, decoded to 16-bit PCM as it is read.
class SndfileAudioFile final : public AudioFile {
public:
    static std::unique_ptr<SndfileAudioFile> open(
        std::unique_ptr<DataSource> source, Status* status) {
        auto file = std::make_unique<SndfileAudioFile>(std::move(source));
        SF_INFO info {};
        file->sndfile_ = sf_open_virtual(&virtualIO, SFM_READ, &info, file.get());
        if (!file->sndfile_) {
            *status = status::unsupportedFileType;
            return nullptr;
        }
        if (info.channels <= 0 || info.samplerate <= 0) {
            *status = status::unsupportedDataFormat;
            return nullptr;
        }
        file->format_ = StreamFormat::pcm16(info.samplerate, std::uint32_t(info.channels));
        file->frames_ = info.frames > 0 ? std::uint64_t(info.frames) : 0;
        *status = status::ok;
        return file;
    }

    explicit SndfileAudioFile(std::unique_ptr<DataSource> source)
        : source_(std::move(source)) { }

    ~SndfileAudioFile() override {
        if (sndfile_)
            sf_close(sndfile_);
    }

    StreamFormat dataFormat() const override { return format_; }
    std::uint64_t packetCount() const override { return frames_; }
    std::uint32_t packetSizeUpperBound() const override { return format_.bytesPerPacket; }

    Status readPackets(std::int64_t startPacket, std::uint32_t& ioNumPackets, std::uint8_t* out,
        std::uint32_t capacity, std::uint32_t& outNumBytes, PacketDescription*) override {
        outNumBytes = 0;
        std::uint32_t const wanted = ioNumPackets;
        ioNumPackets = 0;
        if (startPacket < 0 || std::uint64_t(startPacket) > frames_)
            return status::invalidPacketOffset;
        std::uint32_t const frameBytes = format_.bytesPerFrame;
        std::uint32_t const count = std::min(wanted, capacity / frameBytes);
        if (count == 0)
            return wanted > 0 ? status::bufferTooSmall : status::ok;
        if (startPacket != position_) {
            if (sf_seek(sndfile_, startPacket, SEEK_SET) < 0)
                return status::invalidPacketOffset;
            position_ = startPacket;
        }
        // The buffer may not be aligned for samples; decode into a scratch block.
        scratch_.resize(std::size_t(count) * format_.channelsPerFrame);
        sf_count_t const got = sf_readf_short(sndfile_, scratch_.data(), count);
        if (got <= 0)
            return status::ok;
        position_ += got;
        std::memcpy(out, scratch_.data(), std::size_t(got) * frameBytes);
        ioNumPackets = std::uint32_t(got);
        outNumBytes = std::uint32_t(got) * frameBytes;
        return status::ok;
    }

private:
    static sf_count_t length(void* self) {
        return static_cast<SndfileAudioFile*>(self)->source_->size();
    }

    static sf_count_t seek(sf_count_t offset, int whence, void* self) {
        auto& file = *static_cast<SndfileAudioFile*>(self);
        sf_count_t base = 0;
        if (whence == SEEK_CUR)
            base = file.cursor_;
        else if (whence == SEEK_END)
            base = file.source_->size();
        sf_count_t const target = base + offset;
        if (target < 0)
            return -1;
        file.cursor_ = target;
        return target;
    }

    static sf_count_t read(void* out, sf_count_t count, void* self) {
        auto& file = *static_cast<SndfileAudioFile*>(self);
        if (count <= 0)
            return 0;
        std::size_t const got = file.source_->read(file.cursor_, out, std::size_t(count));
        file.cursor_ += sf_count_t(got);
        return sf_count_t(got);
    }

    static sf_count_t write(void const*, sf_count_t, void*) { return 0; }
    static sf_count_t tell(void* self) { return static_cast<SndfileAudioFile*>(self)->cursor_; }

    static inline SF_VIRTUAL_IO virtualIO {length, seek, read, write, tell};

    std::unique_ptr<DataSource> source_;
    SNDFILE* sndfile_ {nullptr};
    sf_count_t cursor_ {0};
    StreamFormat format_;
    std::uint64_t frames_ {0};
    std::int64_t position_ {0};
    std::vector<short> scratch_;
};

std::unique_ptr<AudioFile> openSource(std::unique_ptr<DataSource> source, Status* status) {
    if (CafFile::isCaf(*source)) {
        CafFile caf;
        Status const read = CafFile::read(*source, caf);
        if (read != status::ok) {
            *status = read;
            return nullptr;
        }
        if (caf.format.formatID == formatAppleIMA4) {
            if (caf.format.channelsPerFrame == 0
                || caf.format.framesPerPacket != Ima4::framesPerPacket
                || caf.format.bytesPerPacket != Ima4::blockBytes * caf.format.channelsPerFrame) {
                *status = status::unsupportedDataFormat;
                return nullptr;
            }
            *status = status::ok;
            return std::make_unique<Ima4CafFile>(std::move(source), std::move(caf));
        }
    }
    return SndfileAudioFile::open(std::move(source), status);
}

}

std::unique_ptr<AudioFile> AudioFile::open(std::string const& path, std::uint32_t, Status* status) {
    Status ignored;
    if (!status)
        status = &ignored;
    auto source = DataSource::openFile(path);
    if (!source) {
        *status = status::fileNotFound;
        return nullptr;
    }
    return openSource(std::move(source), status);
}

std::unique_ptr<AudioFile> AudioFile::openData(std::vector<std::uint8_t> bytes, Status* status) {
    Status ignored;
    if (!status)
        status = &ignored;
    return openSource(DataSource::fromBytes(std::move(bytes)), status);
}

}
