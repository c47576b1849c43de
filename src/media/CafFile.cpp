#include <media/CafFile.hpp>

#include <media/DataSource.hpp>

#include <bit>
#include <cstring>

namespace media {

namespace {

constexpr std::int64_t fileHeaderBytes = 8;
constexpr std::int64_t chunkHeaderBytes = 12;
constexpr std::int64_t descBytes = 32;
constexpr std::int64_t paktHeaderBytes = 24;
// Cookies are codec set-up data of a few dozen bytes; anything near this is damage.
constexpr std::int64_t maxCookieBytes = 1 << 20;

std::uint32_t be32(std::uint8_t const* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8)
        | p[3];
}

std::uint64_t be64(std::uint8_t const* p) {
    return (std::uint64_t(be32(p)) << 32) | be32(p + 4);
}

}

bool CafFile::isCaf(DataSource const& source) {
    std::uint8_t header[fileHeaderBytes];
    if (source.read(0, header, sizeof header) != sizeof header)
        return false;
    return be32(header) == fourCharCode("caff") && header[4] == 0 && header[5] == 1;
}

Status CafFile::read(DataSource const& source, CafFile& out) {
    if (!isCaf(source))
        return status::unsupportedFileType;
    out = CafFile {};
    std::int64_t const fileSize = source.size();
    bool haveDesc = false;
    bool haveData = false;
    std::int64_t offset = fileHeaderBytes;
    while (offset + chunkHeaderBytes <= fileSize) {
        std::uint8_t header[chunkHeaderBytes];
        if (source.read(offset, header, sizeof header) != sizeof header)
            return status::invalidFile;
        std::uint32_t const type = be32(header);
        auto size = std::int64_t(be64(header + 4));
        std::int64_t const body = offset + chunkHeaderBytes;
        std::int64_t const remaining = fileSize - body;
        if (type == fourCharCode("data")) {
            // A size of -1 means the data runs to the end of the file; a data chunk
            // cut short by an interrupted write keeps what is there.
            if (size == -1 || size > remaining)
                size = remaining;
        }
        if (size < 0 || size > remaining)
            return status::invalidFile;

        if (type == fourCharCode("desc")) {
            if (size != descBytes)
                return status::invalidFile;
            std::uint8_t desc[descBytes];
            if (source.read(body, desc, sizeof desc) != sizeof desc)
                return status::invalidFile;
            StreamFormat& format = out.format;
            format.sampleRate = std::bit_cast<double>(be64(desc));
            format.formatID = be32(desc + 8);
            format.formatFlags = be32(desc + 12);
            format.bytesPerPacket = be32(desc + 16);
            format.framesPerPacket = be32(desc + 20);
            format.channelsPerFrame = be32(desc + 24);
            format.bitsPerChannel = be32(desc + 28);
            if (format.formatID == formatLinearPCM && format.framesPerPacket == 1)
                format.bytesPerFrame = format.bytesPerPacket;
            if (!(format.sampleRate > 0) || format.channelsPerFrame == 0)
                return status::invalidFile;
            haveDesc = true;
        } else if (type == fourCharCode("data")) {
            // The chunk starts with a 4-byte edit count before the audio.
            if (size < 4)
                return status::invalidFile;
            out.dataOffset = body + 4;
            out.dataSize = size - 4;
            haveData = true;
        } else if (type == fourCharCode("kuki")) {
            if (size > maxCookieBytes)
                return status::invalidFile;
            out.magicCookie.resize(std::size_t(size));
            if (source.read(body, out.magicCookie.data(), out.magicCookie.size())
                != out.magicCookie.size())
                return status::invalidFile;
        } else if (type == fourCharCode("pakt")) {
            if (size < paktHeaderBytes)
                return status::invalidFile;
            std::uint8_t pakt[paktHeaderBytes];
            if (source.read(body, pakt, sizeof pakt) != sizeof pakt)
                return status::invalidFile;
            PacketTable table;
            table.numberPackets = std::int64_t(be64(pakt));
            table.numberValidFrames = std::int64_t(be64(pakt + 8));
            table.primingFrames = std::int32_t(be32(pakt + 16));
            table.remainderFrames = std::int32_t(be32(pakt + 20));
            if (table.numberPackets < 0 || table.numberValidFrames < 0 || table.primingFrames < 0
                || table.remainderFrames < 0)
                return status::invalidFile;
            out.packetTable = table;
        }
        offset = body + size;
    }
    return haveDesc && haveData ? status::ok : status::invalidFile;
}

}
