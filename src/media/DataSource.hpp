#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace media {

// Random-access bytes that audio files are read from: a file on disk or a block
// in memory. Reads at an offset carry no position, so one source may serve
// several readers. Owned by the reader that opened it.
class DataSource {
public:
    virtual ~DataSource() = default;

    virtual std::int64_t size() const = 0;
    // Copies up to count bytes from offset; answers how many were copied (fewer
    // only at the end, 0 past it or on a read error).
    virtual std::size_t read(std::int64_t offset, void* out, std::size_t count) const = 0;

    // A regular file opened for reading, or null.
    static std::unique_ptr<DataSource> openFile(std::string const& path);
    static std::unique_ptr<DataSource> fromBytes(std::vector<std::uint8_t> bytes);
};

}
