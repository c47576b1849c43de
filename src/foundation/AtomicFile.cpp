#include <foundation/AtomicFile.hpp>

#include <base/Log.hpp>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

std::string errorText(int error) {
    return std::strerror(error);
}

void logFailure(char const* what, std::string const& path, int error) {
    base::logLine(std::string("AtomicFile: cannot ") + what + " " + path + ": " + errorText(error));
}

// Closes a descriptor when the scope ends, keeping errno as it was.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd) { }
    ~Descriptor() {
        if (fd_ >= 0) {
            int saved = errno;
            ::close(fd_);
            errno = saved;
        }
    }
    Descriptor(Descriptor const&) = delete;
    Descriptor& operator=(Descriptor const&) = delete;

    int get() const { return fd_; }
    // Closes now and reports whether the close succeeded: a delayed write error
    // can first show here.
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, ByteView bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += std::size_t(written);
    }
    return true;
}

bool fsyncRetrying(int fd) {
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

std::string folderOf(std::string const& path) {
    auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

std::string temporaryPrefix(std::string const& path) {
    return "." + std::filesystem::path(path).filename().string() + ".tmp-";
}

constexpr mode_t privateMode = 0600;
constexpr std::size_t randomLength = 6;

// The process that made a temporary file, from the part of its name after the
// prefix: "<pid>-XXXXXX", or 0 for the older "XXXXXX" form that named none (no
// writer makes those any more, so they are all stale). Nothing for a name of
// neither form, which is not one of ours.
std::optional<pid_t> temporaryWriter(std::string_view rest) {
    if (rest.size() == randomLength)
        return pid_t(0);
    auto dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || rest.size() - dash - 1 != randomLength
        || dash > 9)
        return std::nullopt;
    pid_t pid = 0;
    for (char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

bool isRunning(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

// The paths cleaned so far. Never destroyed: writers that run while the process
// exits (the user defaults saving from their own static destructor) still use it.
struct CleanedPaths {
    std::mutex mutex;
    std::set<std::string> paths;
};

CleanedPaths& cleanedPaths() {
    union Immortal {
        CleanedPaths cleaned;
        Immortal()
            : cleaned() { }
        ~Immortal() { }
    };
    static Immortal immortal;
    return immortal.cleaned;
}

// Each path is cleaned at its first write in this process: later temporaries of
// killed writers can only come from other processes, which clean at their own start.
void removeStaleTemporariesOnce(std::string const& path) {
    auto& cleaned = cleanedPaths();
    {
        std::lock_guard lock(cleaned.mutex);
        if (!cleaned.paths.insert(path).second)
            return;
    }
    AtomicFile::removeStaleTemporaries(path);
}

}

std::optional<base::Bytes> AtomicFile::read(
    std::string const& path, std::size_t maxSize, ReadError* error) {
    auto failed = [error](ReadError why) -> std::optional<base::Bytes> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (error)
        *error = ReadError::None;
    // Non-blocking, so that opening a FIFO with no writer (or a device) returns at
    // once; the check below then refuses it. A regular file reads the same either way.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return failed(ReadError::Missing);
        logFailure("open", path, errno);
        return failed(ReadError::Unreadable);
    }
    Descriptor file(fd);
    struct stat info { };
    if (::fstat(fd, &info) != 0) {
        logFailure("examine", path, errno);
        return failed(ReadError::Unreadable);
    }
    if (!S_ISREG(info.st_mode)) {
        base::logLine("AtomicFile: not a regular file: " + path);
        return failed(ReadError::Unreadable);
    }
    if (std::uint64_t(info.st_size) > maxSize) {
        base::logLine(
            "AtomicFile: " + path + " is larger than " + std::to_string(maxSize) + " bytes");
        return failed(ReadError::Unreadable);
    }
    base::Bytes bytes;
    bytes.reserve(std::size_t(info.st_size));
    std::uint8_t buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            logFailure("read", path, errno);
            return failed(ReadError::Unreadable);
        }
        if (got == 0)
            break;
        if (bytes.size() + std::size_t(got) > maxSize) {
            base::logLine(
                "AtomicFile: " + path + " grew past " + std::to_string(maxSize) + " bytes");
            return failed(ReadError::Unreadable);
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

bool AtomicFile::write(std::string const& path, ByteView bytes) {
    removeStaleTemporariesOnce(path);
    std::string folder = folderOf(path);
    std::string temporary
        = folder + "/" + temporaryPrefix(path) + std::to_string(::getpid()) + "-XXXXXX";
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        logFailure("create a temporary file for", path, errno);
        return false;
    }
    Descriptor file(fd);
    auto fail = [&](char const* what) {
        int error = errno;
        ::unlink(temporary.c_str());
        logFailure(what, path, error);
        return false;
    };
    // Private whatever the umask: saves hold the player's e-mail address.
    if (::fchmod(fd, privateMode) != 0)
        return fail("set the mode of");
    if (!writeAll(fd, bytes))
        return fail("write");
    if (!fsyncRetrying(fd))
        return fail("flush");
    if (!file.close())
        return fail("close");
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        return fail("rename a temporary file over");
    // The rename itself lives in the folder; flush it so that it survives a power
    // loss too. A folder that cannot be opened or flushed does not undo the write.
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        Descriptor folderFile(folderFd);
        fsyncRetrying(folderFd);
    }
    return true;
}

bool AtomicFile::writeInPlace(std::string const& path, ByteView bytes) {
    // Opened without truncating and without blocking (a FIFO with no reader would
    // wait forever), examined, and only then emptied.
    int fd;
    do {
        fd = ::open(
            path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, privateMode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        logFailure("open", path, errno);
        return false;
    }
    Descriptor file(fd);
    struct stat info { };
    if (::fstat(fd, &info) != 0) {
        logFailure("examine", path, errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        base::logLine("AtomicFile: not a regular file: " + path);
        return false;
    }
    if (::ftruncate(fd, 0) != 0) {
        logFailure("empty", path, errno);
        return false;
    }
    if (!writeAll(fd, bytes)) {
        logFailure("write", path, errno);
        return false;
    }
    if (!file.close()) {
        logFailure("close", path, errno);
        return false;
    }
    return true;
}

void AtomicFile::removeStaleTemporaries(std::string const& path) {
    std::string prefix = temporaryPrefix(path);
    std::error_code error;
    std::filesystem::directory_iterator entries(folderOf(path), error);
    if (error)
        return;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::string name = entries->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        auto writer = temporaryWriter(std::string_view(name).substr(prefix.size()));
        if (!writer || (*writer != 0 && isRunning(*writer)))
            continue;
        std::error_code ignored;
        std::filesystem::remove(entries->path(), ignored);
    }
}

}
