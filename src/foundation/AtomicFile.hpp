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
// Files are created readable by their owner only (0600): saves hold the player's
// e-mail address. Temporary files carry the writing process's id in their name,
// so the first write to a path in a process removes those that a killed writer
// left behind without touching those of a writer still at work.
// Stateless and thread-safe; two threads writing the same path at once leave one
// of the two contents whole.
class AtomicFile {
public:
    // Why read answered nothing.
    enum class ReadError {
        None,
        // Nothing at the path (or a folder on the way is missing).
        Missing,
        // Something is there but could not be read whole: no permission, too many
        // open files, not a regular file (a folder, a FIFO, a device), too large.
        Unreadable,
    };

    // Reads a regular file whole. nullopt when it is missing, unreadable, not a
    // regular file or larger than maxSize; every case but a missing file is logged.
    // The file is opened without blocking and examined before it is read, so a
    // FIFO or a device at the path never stalls the caller. error, when given,
    // tells a missing file from one that is there and cannot be read.
    static std::optional<base::Bytes> read(
        std::string const& path, std::size_t maxSize = defaultMaxSize, ReadError* error = nullptr);

    // Replaces path with bytes as described above. The folder must exist. False,
    // with a log line, when anything fails; the old file is then untouched and no
    // temporary file is left behind.
    static bool write(std::string const& path, ByteView bytes);

    // Writes in place (truncating first), for callers that ask for a non-atomic
    // write. A failure can leave a partial file. Refuses, without blocking,
    // anything at the path that is not a regular file.
    static bool writeInPlace(std::string const& path, ByteView bytes);

    // Removes the temporary files beside path that writes of processes no longer
    // running left behind (and those of the older unnumbered form). Temporary
    // files of this process and of other running ones stay.
    static void removeStaleTemporaries(std::string const& path);

    static constexpr std::size_t defaultMaxSize = std::size_t(256) << 20;
};

}
