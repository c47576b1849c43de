#include <toolkit/zip/ZipFile.hpp>

#include <foundation/AtomicFile.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/Sandbox.hpp>

#include <unzip.h>
#include <zip.h>
#include <zlib.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace toolkit::zip {

namespace {

namespace fs = std::filesystem;

// Seconds from the Unix epoch to the platform's (2001-01-01 UTC).
constexpr double platformEpoch = 978307200;

zipFile writer(void* handle) {
    return static_cast<zipFile>(handle);
}

unzFile reader(void* handle) {
    return static_cast<unzFile>(handle);
}

// The local calendar time of t, clamped to what an MS-DOS date can hold (1980 to
// 2107), as the zip writer takes it.
tm_zip zipDate(std::time_t t) {
    std::tm local {};
    localtime_r(&t, &local);
    tm_zip date {};
    int year = local.tm_year + 1900;
    if (year < 1980) {
        date.tm_year = 1980;
        date.tm_mon = 0;
        date.tm_mday = 1;
        return date;
    }
    if (year > 2107) {
        date.tm_year = 2107;
        date.tm_mon = 11;
        date.tm_mday = 31;
        date.tm_hour = 23;
        date.tm_min = 59;
        date.tm_sec = 58;
        return date;
    }
    date.tm_year = decltype(date.tm_year)(year);
    date.tm_mon = decltype(date.tm_mon)(local.tm_mon);
    date.tm_mday = decltype(date.tm_mday)(local.tm_mday);
    date.tm_hour = decltype(date.tm_hour)(local.tm_hour);
    date.tm_min = decltype(date.tm_min)(local.tm_min);
    date.tm_sec = decltype(date.tm_sec)(std::min(local.tm_sec, 59));
    return date;
}

// The modification time of the file at path, or now.
std::time_t modificationTime(std::string const& path) {
    struct stat info { };
    if (::stat(path.c_str(), &info) == 0)
        return info.st_mtime;
    return std::time(nullptr);
}

// The entry's name as recorded, read with the length the archive gives for it.
std::optional<std::string> currentEntryName(unzFile file, unz_file_info& info) {
    if (unzGetCurrentFileInfo(file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return std::nullopt;
    std::vector<char> name(info.size_filename + 1, '\0');
    if (unzGetCurrentFileInfo(file, &info, name.data(), uLong(name.size()), nullptr, 0, nullptr, 0)
        != UNZ_OK)
        return std::nullopt;
    return std::string(name.data(), info.size_filename);
}

bool isFolderName(std::string const& name) {
    return !name.empty() && (name.back() == '/' || name.back() == '\\');
}

// The name for a log line: control bytes (a NUL among them) shown as "?".
std::string printable(std::string name) {
    for (auto& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return name;
}

std::string withSlashes(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// The traditional zip stream cipher. The system's minizip is built without it, so
// encrypted entries are written and read raw through minizip and enciphered here.
class TraditionalCipher {
public:
    explicit TraditionalCipher(std::string const& password) {
        for (char c : password)
            update(static_cast<std::uint8_t>(c));
    }
    std::uint8_t encrypt(std::uint8_t plain) {
        std::uint8_t cipher = plain ^ streamByte();
        update(plain);
        return cipher;
    }
    std::uint8_t decrypt(std::uint8_t cipher) {
        std::uint8_t plain = cipher ^ streamByte();
        update(plain);
        return plain;
    }
    void decrypt(std::uint8_t* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = decrypt(bytes[i]);
    }

    static constexpr std::size_t HeaderSize = 12;

private:
    static std::uint32_t crcByte(std::uint32_t crc, std::uint8_t byte) {
        return std::uint32_t(get_crc_table()[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
    }
    void update(std::uint8_t byte) {
        keys_[0] = crcByte(keys_[0], byte);
        keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
        keys_[2] = crcByte(keys_[2], std::uint8_t(keys_[1] >> 24));
    }
    std::uint8_t streamByte() const {
        std::uint32_t t = (keys_[2] | 2) & 0xFFFF;
        return std::uint8_t((t * (t ^ 1)) >> 8);
    }

    std::uint32_t keys_[3] {0x12345678u, 0x23456789u, 0x34567890u};
};

// The whole of contents, raw-deflated and enciphered behind its 12-byte header
// whose last byte is the check byte (the CRC-32's high byte).
std::optional<std::vector<std::uint8_t>> encipheredEntry(
    base::Bytes const& contents, std::uint32_t crc, std::string const& password) {
    z_stream stream {};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY)
        != Z_OK)
        return std::nullopt;
    std::vector<std::uint8_t> out(
        TraditionalCipher::HeaderSize + deflateBound(&stream, uLong(contents.size())));
    std::random_device random;
    for (std::size_t i = 0; i + 1 < TraditionalCipher::HeaderSize; ++i)
        out[i] = std::uint8_t(random());
    out[TraditionalCipher::HeaderSize - 1] = std::uint8_t(crc >> 24);
    stream.next_in = const_cast<Bytef*>(contents.data());
    stream.avail_in = uInt(contents.size());
    stream.next_out = out.data() + TraditionalCipher::HeaderSize;
    stream.avail_out = uInt(out.size() - TraditionalCipher::HeaderSize);
    int status = deflate(&stream, Z_FINISH);
    out.resize(TraditionalCipher::HeaderSize + stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        return std::nullopt;
    TraditionalCipher cipher(password);
    for (auto& byte : out)
        byte = cipher.encrypt(byte);
    return out;
}

// Reads an encrypted entry opened raw: deciphers, inflates (or copies a stored
// entry) and checks the CRC-32 and size at the end. read answers as
// unzReadCurrentFile does: bytes given, 0 at the end, negative on an error.
class EncryptedEntryReader {
public:
    EncryptedEntryReader(
        unzFile file, unz_file_info const& info, int method, std::string const& password)
        : file_(file)
        , info_(info)
        , method_(method)
        , cipher_(password) {
        if (method_ == Z_DEFLATED)
            inflating_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK;
    }
    ~EncryptedEntryReader() {
        if (inflating_)
            inflateEnd(&stream_);
    }
    EncryptedEntryReader(EncryptedEntryReader const&) = delete;
    EncryptedEntryReader& operator=(EncryptedEntryReader const&) = delete;

    // Deciphers the header; false for a wrong password (or a broken entry).
    bool start() {
        if (method_ != 0 && !(method_ == Z_DEFLATED && inflating_))
            return false;
        std::uint8_t header[TraditionalCipher::HeaderSize];
        if (unzReadCurrentFile(file_, header, unsigned(sizeof header)) != int(sizeof header))
            return false;
        cipher_.decrypt(header, sizeof header);
        // With a trailing data descriptor the check byte comes from the time instead.
        auto check
            = (info_.flag & 8) ? std::uint8_t(info_.dosDate >> 8) : std::uint8_t(info_.crc >> 24);
        return header[TraditionalCipher::HeaderSize - 1] == check;
    }

    int read(std::uint8_t* out, unsigned size) {
        int produced;
        if (method_ == 0) {
            produced = unzReadCurrentFile(file_, out, size);
            if (produced <= 0)
                return produced;
            cipher_.decrypt(out, std::size_t(produced));
        } else {
            stream_.next_out = out;
            stream_.avail_out = size;
            while (stream_.avail_out == size && !ended_) {
                if (stream_.avail_in == 0) {
                    int got = unzReadCurrentFile(file_, input_, unsigned(sizeof input_));
                    if (got <= 0)
                        return -1;
                    cipher_.decrypt(input_, std::size_t(got));
                    stream_.next_in = input_;
                    stream_.avail_in = uInt(got);
                }
                int status = inflate(&stream_, Z_NO_FLUSH);
                if (status == Z_STREAM_END)
                    ended_ = true;
                else if (status != Z_OK)
                    return -1;
            }
            produced = int(size - stream_.avail_out);
        }
        crc_ = crc32(crc_, out, uInt(produced));
        total_ += std::uint64_t(produced);
        return produced;
    }

    // Whether everything came and matches the recorded CRC-32 and size.
    bool complete() const {
        return (method_ == 0 || ended_) && crc_ == info_.crc && total_ == info_.uncompressed_size;
    }

private:
    unzFile file_;
    unz_file_info info_;
    int method_;
    TraditionalCipher cipher_;
    z_stream stream_ {};
    bool inflating_ {false};
    bool ended_ {false};
    std::uint8_t input_[ZipFile::BufferSize];
    uLong crc_ {crc32(0L, Z_NULL, 0)};
    std::uint64_t total_ {0};
};

}

base::Ref<ZipFile> ZipFile::create() {
    return base::make<ZipFile>();
}

ZipFile::~ZipFile() {
    CloseZipFile2();
    // An archive left open for reading is closed too, so no handle outlives its owner.
    UnzipCloseFile();
}

base::Date ZipFile::Date1980() {
    std::tm day {};
    day.tm_year = 80;
    day.tm_mon = 0;
    day.tm_mday = 1;
    day.tm_isdst = -1;
    return base::Date {double(std::mktime(&day)) - platformEpoch};
}

bool ZipFile::CreateZipFile2(std::string const& path) {
    if (_zipFile)
        zipClose(writer(_zipFile), nullptr);
    _zipFile = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    return _zipFile != nullptr;
}

bool ZipFile::CreateZipFile2(std::string const& path, std::string const& password) {
    _password = password;
    return CreateZipFile2(path);
}

bool ZipFile::addFileToZip(std::string const& path, std::string const& newname) {
    if (!_zipFile)
        return false;
    zip_fileinfo info {};
    info.tmz_date = zipDate(modificationTime(path));
    auto contents = foundation::AtomicFile::read(path);
    if (!contents)
        return false;
    if (!_password.empty()) {
        uLong crc = crc32(0L, Z_NULL, 0);
        crc = crc32(crc, contents->data(), uInt(contents->size()));
        auto enciphered = encipheredEntry(*contents, std::uint32_t(crc), _password);
        if (!enciphered)
            return false;
        // Written raw, marked encrypted (flag bit 0); minizip records the sizes.
        if (zipOpenNewFileInZip4(writer(_zipFile), newname.c_str(), &info, nullptr, 0, nullptr, 0,
                nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 1, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
                nullptr, 0, 0, 1)
            != ZIP_OK)
            return false;
        bool written = zipWriteInFileInZip(
                           writer(_zipFile), enciphered->data(), unsigned(enciphered->size()))
            == ZIP_OK;
        bool closed
            = zipCloseFileInZipRaw(writer(_zipFile), uLong(contents->size()), crc) == ZIP_OK;
        return written && closed;
    }
    int opened = zipOpenNewFileInZip(writer(_zipFile), newname.c_str(), &info, nullptr, 0, nullptr,
        0, nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION);
    if (opened != ZIP_OK)
        return false;
    bool written
        = zipWriteInFileInZip(writer(_zipFile), contents->data(), unsigned(contents->size()))
        == ZIP_OK;
    bool closed = zipCloseFileInZip(writer(_zipFile)) == ZIP_OK;
    return written && closed;
}

bool ZipFile::CloseZipFile2() {
    _password.clear();
    if (!_zipFile)
        return false;
    bool closed = zipClose(writer(_zipFile), nullptr) == ZIP_OK;
    _zipFile = nullptr;
    return closed;
}

bool ZipFile::UnzipOpenFile(std::string const& path) {
    if (_unzFile)
        unzClose(reader(_unzFile));
    _unzFile = unzOpen(path.c_str());
    if (_unzFile) {
        unz_global_info info {};
        if (unzGetGlobalInfo(reader(_unzFile), &info) == UNZ_OK)
            foundation::log("%d entries in the zip file", int(info.number_entry));
    }
    return _unzFile != nullptr;
}

bool ZipFile::UnzipOpenFile(std::string const& path, std::string const& password) {
    _password = password;
    return UnzipOpenFile(path);
}

bool ZipFile::UnzipCloseFile() {
    _password.clear();
    if (!_unzFile)
        return true;
    bool closed = unzClose(reader(_unzFile)) == UNZ_OK;
    _unzFile = nullptr;
    return closed;
}

void ZipFile::OutputErrorMessage(std::string const& message) {
    if (_delegate)
        _delegate->ErrorMessage(message);
}

bool ZipFile::OverWrite(std::string const& path) {
    return _delegate ? _delegate->OverWriteOperation(path) : true;
}

// Every name must stay inside folder before a single entry is written, so that a
// hostile archive cannot leave part of itself behind.
bool ZipFile::vetEntryNames(std::string const& folder) {
    unzFile file = reader(_unzFile);
    int status = UNZ_OK;
    while (status == UNZ_OK) {
        unz_file_info info {};
        auto name = currentEntryName(file, info);
        if (!name) {
            OutputErrorMessage("Error occurs while getting file info");
            return false;
        }
        if (!foundation::Sandbox::safeJoin(folder, withSlashes(*name))) {
            foundation::log("ZipFile: the entry %@ would leave %@; nothing is unpacked",
                printable(*name), folder);
            OutputErrorMessage("Unsafe entry name");
            return false;
        }
        status = unzGoToNextFile(file);
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) {
        OutputErrorMessage("Error occurs");
        return false;
    }
    return unzGoToFirstFile(file) == UNZ_OK;
}

bool ZipFile::UnzipFileTo(std::string const& folder, bool overWrite) {
    if (!_unzFile) {
        // As an archive without entries goes: no first entry, none to open.
        OutputErrorMessage("Failed");
        OutputErrorMessage("Error occurs");
        return false;
    }
    unzFile file = reader(_unzFile);
    if (unzGoToFirstFile(file) != UNZ_OK)
        OutputErrorMessage("Failed");
    else if (!vetEntryNames(folder))
        return false;
    for (;;) {
        if (!unzipCurrentEntry(folder, overWrite))
            return false;
        int next = unzGoToNextFile(file);
        if (next == UNZ_END_OF_LIST_OF_FILE)
            return true;
        if (next != UNZ_OK) {
            OutputErrorMessage("Error occurs");
            return false;
        }
    }
}

bool ZipFile::unzipCurrentEntry(std::string const& folder, bool overWrite) {
    unzFile file = reader(_unzFile);
    unz_file_info info {};
    auto rawName = currentEntryName(file, info);
    // An encrypted entry is read raw and deciphered here; without a password it
    // could only give its enciphered bytes.
    bool encrypted = rawName && (info.flag & 1) != 0;
    std::unique_ptr<EncryptedEntryReader> decipher;
    int opened;
    if (!encrypted) {
        opened = unzOpenCurrentFile(file);
    } else if (_password.empty()) {
        opened = UNZ_PARAMERROR;
    } else {
        int method = 0;
        opened = unzOpenCurrentFile2(file, &method, nullptr, 1);
        if (opened == UNZ_OK) {
            decipher = std::make_unique<EncryptedEntryReader>(file, info, method, _password);
            if (!decipher->start()) {
                unzCloseCurrentFile(file);
                opened = UNZ_PARAMERROR;
            }
        }
    }
    if (opened != UNZ_OK) {
        OutputErrorMessage("Error occurs");
        return false;
    }
    if (!rawName) {
        OutputErrorMessage("Error occurs while getting file info");
        unzCloseCurrentFile(file);
        return false;
    }
    auto name = withSlashes(*rawName);
    auto fullPath = foundation::Sandbox::safeJoin(folder, name);
    if (!fullPath) {
        // Vetted already; an archive cannot change under an open reader.
        OutputErrorMessage("Unsafe entry name");
        unzCloseCurrentFile(file);
        return false;
    }
    bool folderEntry = isFolderName(*rawName);
    std::error_code ignored;
    fs::create_directories(
        folderEntry ? fs::path(*fullPath) : fs::path(*fullPath).parent_path(), ignored);
    if (folderEntry) {
        unzCloseCurrentFile(file);
        if (!fs::is_directory(*fullPath, ignored)) {
            OutputErrorMessage("Failed to create file");
            return false;
        }
        return true;
    }

    bool write
        = overWrite || !fs::exists(fs::symlink_status(*fullPath, ignored)) || OverWrite(*fullPath);
    if (!write) {
        unzCloseCurrentFile(file);
        return true;
    }
    std::FILE* out = std::fopen(fullPath->c_str(), "wb");
    if (!out) {
        foundation::log("ZipFile: cannot create %@", *fullPath);
        OutputErrorMessage("Failed to create file");
        unzCloseCurrentFile(file);
        return false;
    }
    std::uint8_t buffer[BufferSize];
    bool good = true;
    for (;;) {
        int read = decipher ? decipher->read(buffer, unsigned(sizeof buffer))
                            : unzReadCurrentFile(file, buffer, unsigned(sizeof buffer));
        if (read < 0) {
            good = false;
            break;
        }
        if (read == 0)
            break;
        if (std::fwrite(buffer, 1, std::size_t(read), out) != std::size_t(read)) {
            good = false;
            break;
        }
    }
    if (std::fclose(out) != 0)
        good = false;
    // The close checks the CRC-32 of a wholly read entry: corrupted bytes fail here
    // (an encrypted entry, read raw, is checked by its reader).
    if (unzCloseCurrentFile(file) != UNZ_OK)
        good = false;
    if (decipher && !decipher->complete())
        good = false;
    if (!good) {
        OutputErrorMessage("Failed to reading zip file");
        fs::remove(*fullPath, ignored);
        return false;
    }
    if (info.dosDate != 0) {
        std::tm local {};
        local.tm_year = int(info.tmu_date.tm_year) - 1900;
        local.tm_mon = int(info.tmu_date.tm_mon);
        local.tm_mday = int(info.tmu_date.tm_mday);
        local.tm_hour = int(info.tmu_date.tm_hour);
        local.tm_min = int(info.tmu_date.tm_min);
        local.tm_sec = int(info.tmu_date.tm_sec);
        local.tm_isdst = -1;
        struct timespec times[2] {};
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = std::mktime(&local);
        if (::utimensat(AT_FDCWD, fullPath->c_str(), times, 0) != 0)
            foundation::log("Failed to set attributes");
    }
    return true;
}

}
