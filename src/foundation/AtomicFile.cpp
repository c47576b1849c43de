#include <foundation/AtomicFile.hpp>

#include <base/Log.hpp>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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

}

std::optional<base::Bytes> AtomicFile::read(std::string const& path, std::size_t maxSize) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            logFailure("open", path, errno);
        return std::nullopt;
    }
    Descriptor file(fd);
    struct stat info { };
    if (::fstat(fd, &info) != 0) {
        logFailure("examine", path, errno);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        base::logLine("AtomicFile: not a regular file: " + path);
        return std::nullopt;
    }
    if (std::uint64_t(info.st_size) > maxSize) {
        base::logLine(
            "AtomicFile: " + path + " is larger than " + std::to_string(maxSize) + " bytes");
        return std::nullopt;
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
            return std::nullopt;
        }
        if (got == 0)
            break;
        if (bytes.size() + std::size_t(got) > maxSize) {
            base::logLine(
                "AtomicFile: " + path + " grew past " + std::to_string(maxSize) + " bytes");
            return std::nullopt;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

bool AtomicFile::write(std::string const& path, ByteView bytes) {
    std::string folder = folderOf(path);
    std::string temporary = folder + "/" + temporaryPrefix(path) + "XXXXXX";
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
    // mkostemp makes the file private; a saved file is readable like any other.
    if (::fchmod(fd, 0644) != 0)
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
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        logFailure("open", path, errno);
        return false;
    }
    Descriptor file(fd);
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
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
            std::error_code ignored;
            std::filesystem::remove(entries->path(), ignored);
        }
    }
}

}
