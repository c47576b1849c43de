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
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
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
        // The system's minizip is built without traditional encryption: given a
        // password it marks the entry encrypted but stores it in the clear, an entry
        // no reader can open. Refuse instead of writing that.
        foundation::log("ZipFile: encrypted entries cannot be written; %@ is not added", newname);
        return false;
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
    // The password goes only to encrypted entries: the system's minizip refuses any
    // password, so plain entries of an archive opened with one still unpack.
    bool encrypted = (info.flag & 1) != 0;
    // An encrypted entry without a password could only give its enciphered bytes.
    int opened = !encrypted ? unzOpenCurrentFile(file)
        : _password.empty() ? UNZ_PARAMERROR
                            : unzOpenCurrentFilePassword(file, _password.c_str());
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
    char buffer[BufferSize];
    bool good = true;
    for (;;) {
        int read = unzReadCurrentFile(file, buffer, unsigned(sizeof buffer));
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
    // The close checks the CRC-32 of a wholly read entry: corrupted bytes fail here.
    if (unzCloseCurrentFile(file) != UNZ_OK)
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
