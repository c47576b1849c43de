#pragma once

#include <base/Value.hpp>
#include <foundation/ByteView.hpp>

#include <cstddef>
#include <optional>
#include <string>

namespace foundation {

// Whole-file reading and writing for saves, property lists and archives. A write
// goes to a temporary file in the same folder, is flushed to the disk and then
// renamed over the target, so a reader (or the next run after a crash, a kill or
// a full disk) sees either the old contents or the new ones, never a mixture.
// Stateless and thread-safe; two threads writing the same path at once leave one
// of the two contents whole.
class AtomicFile {
public:
    // Reads a regular file whole. nullopt when it is missing, unreadable, not a
    // regular file or larger than maxSize; every case but a missing file is logged.
    static std::optional<base::Bytes> read(
        std::string const& path, std::size_t maxSize = defaultMaxSize);

    // Replaces path with bytes as described above. The folder must exist. False,
    // with a log line, when anything fails; the old file is then untouched and no
    // temporary file is left behind.
    static bool write(std::string const& path, ByteView bytes);

    // Writes in place (truncating first), for callers that ask for a non-atomic
    // write. A failure can leave a partial file.
    static bool writeInPlace(std::string const& path, ByteView bytes);

    // Removes temporary files that a write killed midway left beside path.
    // Only for a process that knows no other one writes there at the same time.
    static void removeStaleTemporaries(std::string const& path);

    static constexpr std::size_t defaultMaxSize = std::size_t(256) << 20;
};

}
