#pragma once

#include <media/AudioFormat.hpp>

#include <cstdint>
#include <optional>
#include <vector>

namespace media {

class DataSource;

// The parts of a Core Audio Format file that reading its audio needs: the stream
// description, where the audio data lies, the codec's magic cookie and the
// packet table's frame counts. Read with every size checked against the file,
// so a damaged file is refused rather than read past its end.
struct CafFile {
    struct PacketTable {
        std::int64_t numberPackets {0};
        std::int64_t numberValidFrames {0};
        std::int32_t primingFrames {0};
        std::int32_t remainderFrames {0};
    };

    StreamFormat format;
    std::int64_t dataOffset {0};
    std::int64_t dataSize {0};
    std::vector<std::uint8_t> magicCookie;
    std::optional<PacketTable> packetTable;

    // Whether source starts with the CAF file header.
    static bool isCaf(DataSource const& source);
    // Reads the chunks of source: status::ok, unsupportedFileType when it is not a
    // CAF file, invalidFile when it is damaged or lacks its description or data.
    static Status read(DataSource const& source, CafFile& out);
};

}
