#include <media/DataSource.hpp>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace media {

namespace {

class FileSource final : public DataSource {
public:
    FileSource(int fd, std::int64_t size)
        : fd_(fd)
        , size_(size) { }
    ~FileSource() override { ::close(fd_); }

    std::int64_t size() const override { return size_; }

    std::size_t read(std::int64_t offset, void* out, std::size_t count) const override {
        if (offset < 0 || offset >= size_)
            return 0;
        std::size_t done = 0;
        while (done < count) {
            ssize_t const got = ::pread(
                fd_, static_cast<char*>(out) + done, count - done, offset + std::int64_t(done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += std::size_t(got);
        }
        return done;
    }

private:
    int const fd_;
    std::int64_t const size_;
};

class MemorySource final : public DataSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes)
        : bytes_(std::move(bytes)) { }

    std::int64_t size() const override { return std::int64_t(bytes_.size()); }

    std::size_t read(std::int64_t offset, void* out, std::size_t count) const override {
        if (offset < 0 || offset >= size())
            return 0;
        std::size_t const n = std::min(count, bytes_.size() - std::size_t(offset));
        std::memcpy(out, bytes_.data() + offset, n);
        return n;
    }

private:
    std::vector<std::uint8_t> const bytes_;
};

}

std::unique_ptr<DataSource> DataSource::openFile(std::string const& path) {
    if (path.empty())
        return nullptr;
    int const fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileSource>(fd, std::int64_t(info.st_size));
}

std::unique_ptr<DataSource> DataSource::fromBytes(std::vector<std::uint8_t> bytes) {
    return std::make_unique<MemorySource>(std::move(bytes));
}

}
