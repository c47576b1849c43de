#include <toolkit/zip/ZipFile.hpp>

#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using toolkit::zip::ZipFile;
using toolkit::zip::ZipFileDelegate;
namespace fs = std::filesystem;

namespace {

// Records what the archive reports and answers overwrite questions as told.
class RecordingDelegate final : public ZipFileDelegate {
public:
    std::vector<std::string> messages;
    std::vector<std::string> asked;
    bool answer {true};

    void ErrorMessage(std::string const& message) override { messages.push_back(message); }
    bool OverWriteOperation(std::string const& path) override {
        asked.push_back(path);
        return answer;
    }

private:
    friend base::Factory;
    RecordingDelegate() = default;
};

// A delegate that hears errors only, so the overwrite question has its default.
class ErrorsOnlyDelegate final : public ZipFileDelegate {
public:
    std::vector<std::string> messages;
    void ErrorMessage(std::string const& message) override { messages.push_back(message); }

private:
    friend base::Factory;
    ErrorsOnlyDelegate() = default;
};

void writeFile(fs::path const& path, std::string const& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

std::string readFile(fs::path const& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every path under folder, relative, folders with a trailing "/".
std::set<std::string> listing(fs::path const& folder) {
    std::set<std::string> found;
    if (!fs::exists(folder))
        return found;
    for (auto const& entry : fs::recursive_directory_iterator(folder)) {
        auto name = fs::relative(entry.path(), folder).string();
        found.insert(entry.is_directory() ? name + "/" : name);
    }
    return found;
}

void put16(std::string& out, unsigned value) {
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A zip archive of stored (uncompressed) entries written byte by byte, so that names
// can hold any bytes and recorded checksums can lie.
struct RawEntry {
    std::string name;
    std::string data;
    bool wrongCRC {false};
    // Marked encrypted, the bytes preceded by a 12-byte cipher header.
    bool encrypted {false};
};

std::string rawArchive(std::vector<RawEntry> const& entries) {
    std::string out;
    std::string central;
    for (auto const& entry : entries) {
        auto crc = std::uint32_t(
            crc32(0, reinterpret_cast<Bytef const*>(entry.data.data()), uInt(entry.data.size())));
        if (entry.wrongCRC)
            crc ^= 1;
        auto offset = std::uint32_t(out.size());
        auto data = entry.encrypted ? std::string(12, '\x5a') + entry.data : entry.data;
        std::string fields;
        put16(fields, entry.encrypted ? 1 : 0); // flags
        put16(fields, 0); // stored
        put16(fields, 0x6000); // 12:00
        put16(fields, (39 << 9) | (6 << 5) | 15); // 2019-06-15
        put32(fields, crc);
        put32(fields, std::uint32_t(data.size()));
        put32(fields, std::uint32_t(data.size()));
        put16(fields, unsigned(entry.name.size()));
        put16(fields, 0); // extra
        put32(out, 0x04034b50);
        put16(out, 20);
        out += fields + entry.name + data;

        put32(central, 0x02014b50);
        put16(central, 20);
        put16(central, 20);
        central += fields;
        put16(central, 0); // comment
        put16(central, 0); // disk
        put16(central, 0); // internal attributes
        put32(central, 0); // external attributes
        put32(central, offset);
        central += entry.name;
    }
    auto centralOffset = std::uint32_t(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, unsigned(entries.size()));
    put16(out, unsigned(entries.size()));
    put32(out, std::uint32_t(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}

std::time_t localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

void setModificationTime(fs::path const& path, std::time_t when) {
    struct timespec times[2] {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = when;
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::time_t modificationTime(fs::path const& path) {
    struct stat info { };
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mtime;
}

class ZipFileTest : public ::testing::Test {
protected:
    // The destination sits alone in its own folder, so anything that escapes it
    // shows up beside it.
    fs::path destination() const { return outer / "dest"; }
    fs::path archivePath() const { return work / "archive.zip"; }

    void writeArchive(std::string const& bytes) { writeFile(archivePath(), bytes); }

    bool unzip(ZipFile& zip, bool overWrite = true) {
        EXPECT_TRUE(zip.UnzipOpenFile(archivePath().string()));
        bool result = zip.UnzipFileTo(destination().string(), overWrite);
        EXPECT_TRUE(zip.UnzipCloseFile());
        return result;
    }

    std::set<std::string> outside() const {
        auto all = listing(outer.path());
        std::set<std::string> found;
        for (auto const& name : all) {
            if (!name.starts_with("dest/"))
                found.insert(name);
        }
        return found;
    }

    test::TempDir outer;
    test::TempDir work;
};

}

TEST_F(ZipFileTest, EntryNamesAreWrittenInsideTheDestinationOrRefuseTheArchive) {
    struct Case {
        std::string name;
        bool result;
        std::set<std::string> written; // under the destination
        std::vector<std::string> messages;
    };
    std::vector<Case> const cases {
        {"a\\b\\c.txt", true, {"first.txt", "a/", "a/b/", "a/b/c.txt"}, {}},
        {"folder/", true, {"first.txt", "folder/"}, {}},
        {"x/./y.txt", true, {"first.txt", "x/", "x/y.txt"}, {}},
        {"../x", false, {}, {"Unsafe entry name"}},
        {"..\\x", false, {}, {"Unsafe entry name"}},
        {"/abs", false, {}, {"Unsafe entry name"}},
        {"a/../../x", false, {}, {"Unsafe entry name"}},
        {"a\\..\\..\\x", false, {}, {"Unsafe entry name"}},
        {"./", false, {}, {"Unsafe entry name"}},
        {"", false, {}, {"Unsafe entry name"}},
        {std::string("ok\0/../../x", 11), false, {}, {"Unsafe entry name"}},
        {std::string(5000, 'n'), false, {"first.txt"}, {"Failed to create file"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name.size() > 40 ? "a very long name" : c.name);
        fs::remove_all(destination());
        writeArchive(rawArchive({{"first.txt", "first"}, {c.name, "bytes"}}));
        auto delegate = base::make<RecordingDelegate>();
        auto zip = ZipFile::create();
        zip->setDelegate(delegate);
        EXPECT_EQ(unzip(*zip), c.result);
        EXPECT_EQ(listing(destination()), c.written);
        EXPECT_EQ(delegate->messages, c.messages);
        EXPECT_EQ(outside(), std::set<std::string>()) << "nothing outside the destination";
    }
    EXPECT_EQ(readFile(destination() / "first.txt"), "first");
}

TEST_F(ZipFileTest, RoundTripsKeepBytesAndModificationTimes) {
    std::string compressible(20000, 'q');
    std::string noisy;
    std::uint32_t state = 12345;
    for (int i = 0; i < 9000; ++i) {
        state = state * 1103515245u + 12345u;
        noisy += char(state >> 24);
    }
    auto const first = localTime(2019, 6, 15, 10, 20, 31);
    auto const second = localTime(2031, 12, 31, 23, 59, 58);
    for (std::string password : {"", "secret"}) {
        SCOPED_TRACE(password);
        fs::remove_all(destination());
        writeFile(work / "one.txt", compressible);
        writeFile(work / "two.bin", noisy);
        setModificationTime(work / "one.txt", first);
        setModificationTime(work / "two.bin", second);

        auto zip = ZipFile::create();
        ASSERT_TRUE(zip->CreateZipFile2(archivePath().string(), password));
        EXPECT_TRUE(zip->addFileToZip((work / "one.txt").string(), "one.txt"));
        EXPECT_TRUE(zip->addFileToZip((work / "two.bin").string(), "sub/two.bin"));
        EXPECT_TRUE(zip->CloseZipFile2());

        auto delegate = base::make<RecordingDelegate>();
        auto reader = ZipFile::create();
        reader->setDelegate(delegate);
        ASSERT_TRUE(reader->UnzipOpenFile(archivePath().string(), password));
        EXPECT_TRUE(reader->UnzipFileTo(destination().string(), true));
        EXPECT_TRUE(reader->UnzipCloseFile());
        EXPECT_EQ(delegate->messages, std::vector<std::string>());
        EXPECT_TRUE(readFile(destination() / "one.txt") == compressible);
        EXPECT_TRUE(readFile(destination() / "sub/two.bin") == noisy);
        EXPECT_LE(std::abs(double(modificationTime(destination() / "one.txt") - first)), 2);
        EXPECT_LE(std::abs(double(modificationTime(destination() / "sub/two.bin") - second)), 2);
    }
}

TEST_F(ZipFileTest, AWrongOrMissingPasswordEndsInFailureAndLeavesNoFile) {
    writeFile(work / "plain.txt", "plain");
    writeFile(work / "secret.txt", std::string(5000, 's'));
    auto zip = ZipFile::create();
    ASSERT_TRUE(zip->CreateZipFile2(archivePath().string(), "right"));
    ASSERT_TRUE(zip->addFileToZip((work / "plain.txt").string(), "plain.txt"));
    ASSERT_TRUE(zip->addFileToZip((work / "secret.txt").string(), "secret.txt"));
    ASSERT_TRUE(zip->CloseZipFile2());
    for (std::string password : {"wrong", ""}) {
        SCOPED_TRACE(password);
        fs::remove_all(destination());
        auto delegate = base::make<RecordingDelegate>();
        auto reader = ZipFile::create();
        reader->setDelegate(delegate);
        ASSERT_TRUE(reader->UnzipOpenFile(archivePath().string(), password));
        EXPECT_FALSE(reader->UnzipFileTo(destination().string(), true));
        reader->UnzipCloseFile();
        // The check byte refuses a wrong password at the opening, but for one in 256
        // random headers it matches and the deciphered bytes fail to read instead.
        ASSERT_EQ(delegate->messages.size(), 1u);
        EXPECT_TRUE(delegate->messages[0] == "Error occurs"
            || (password == "wrong" && delegate->messages[0] == "Failed to reading zip file"))
            << delegate->messages[0];
        EXPECT_EQ(listing(destination()), std::set<std::string>());
    }
}

// A stored entry marked encrypted whose bytes are not enciphered with the password
// (its header's check byte happens to match): the CRC-32 check refuses it.
TEST_F(ZipFileTest, AnEncryptedEntryThatDoesNotDecipherEndsInFailure) {
    writeArchive(rawArchive({{"plain.txt", "plain"}, {"secret.txt", "secret", false, true}}));
    for (std::string password : {"right", ""}) {
        SCOPED_TRACE(password);
        fs::remove_all(destination());
        auto delegate = base::make<RecordingDelegate>();
        auto reader = ZipFile::create();
        reader->setDelegate(delegate);
        ASSERT_TRUE(reader->UnzipOpenFile(archivePath().string(), password));
        EXPECT_FALSE(reader->UnzipFileTo(destination().string(), true));
        reader->UnzipCloseFile();
        EXPECT_EQ(delegate->messages.size(), 1u);
        EXPECT_FALSE(fs::exists(destination() / "secret.txt"));
        EXPECT_TRUE(fs::exists(destination() / "plain.txt"));
    }
}

TEST_F(ZipFileTest, CorruptedEntryBytesEndInFailureAndLeaveNoFile) {
    writeArchive(rawArchive({{"good.txt", "good"}, {"bad.txt", "tampered", true}}));
    auto delegate = base::make<RecordingDelegate>();
    auto zip = ZipFile::create();
    zip->setDelegate(delegate);
    EXPECT_FALSE(unzip(*zip));
    EXPECT_EQ(delegate->messages, std::vector<std::string>({"Failed to reading zip file"}));
    EXPECT_EQ(listing(destination()), std::set<std::string>({"good.txt"}));
}

TEST_F(ZipFileTest, AFileThatCannotBeCreatedEndsInFailure) {
    writeFile(destination() / "a", "a file where a folder should be");
    writeArchive(rawArchive({{"a/b.txt", "b"}}));
    auto delegate = base::make<RecordingDelegate>();
    auto zip = ZipFile::create();
    zip->setDelegate(delegate);
    EXPECT_FALSE(unzip(*zip));
    EXPECT_EQ(delegate->messages, std::vector<std::string>({"Failed to create file"}));
}

// The system's minizip refuses to open an archive without entries; unpacking then
// reports what unpacking one would.
TEST_F(ZipFileTest, AnEmptyArchiveReportsBothTextsAndFails) {
    auto zip = ZipFile::create();
    ASSERT_TRUE(zip->CreateZipFile2(archivePath().string()));
    ASSERT_TRUE(zip->CloseZipFile2());
    auto delegate = base::make<RecordingDelegate>();
    zip->setDelegate(delegate);
    zip->UnzipOpenFile(archivePath().string());
    EXPECT_FALSE(zip->UnzipFileTo(destination().string(), true));
    EXPECT_TRUE(zip->UnzipCloseFile());
    EXPECT_EQ(delegate->messages, std::vector<std::string>({"Failed", "Error occurs"}));
    EXPECT_EQ(listing(destination()), std::set<std::string>());
}

TEST_F(ZipFileTest, OpeningLogsTheNumberOfEntries) {
    writeArchive(rawArchive({{"a.txt", "a"}, {"b.txt", "b"}, {"c/", ""}}));
    test::LogCapture log;
    auto zip = ZipFile::create();
    EXPECT_TRUE(zip->UnzipOpenFile(archivePath().string()));
    EXPECT_TRUE(log.contains("3 entries in the zip file"));
}

TEST_F(ZipFileTest, WithoutOverwriteAnExistingFileIsReplacedOnlyWhenAllowed) {
    enum class Kind { None, ErrorsOnly, Yes, No };
    struct Case {
        Kind delegate;
        std::string kept;
        bool asked;
    };
    std::vector<Case> const cases {
        {Kind::None, "new", false},
        {Kind::ErrorsOnly, "new", false},
        {Kind::Yes, "new", true},
        {Kind::No, "old", true},
    };
    writeArchive(rawArchive({{"a.txt", "new"}, {"b.txt", "b"}}));
    for (auto const& c : cases) {
        SCOPED_TRACE(int(c.delegate));
        fs::remove_all(destination());
        writeFile(destination() / "a.txt", "old");
        auto zip = ZipFile::create();
        base::Ref<RecordingDelegate> recording;
        if (c.delegate == Kind::ErrorsOnly)
            zip->setDelegate(base::make<ErrorsOnlyDelegate>());
        if (c.delegate == Kind::Yes || c.delegate == Kind::No) {
            recording = base::make<RecordingDelegate>();
            recording->answer = c.delegate == Kind::Yes;
            zip->setDelegate(recording);
        }
        EXPECT_TRUE(unzip(*zip, false));
        EXPECT_EQ(readFile(destination() / "a.txt"), c.kept);
        EXPECT_EQ(readFile(destination() / "b.txt"), "b") << "the next entry goes on";
        if (recording) {
            EXPECT_EQ(
                recording->asked, std::vector<std::string>({(destination() / "a.txt").string()}));
        }
    }
}

TEST_F(ZipFileTest, OperationsWithoutAnOpenArchive) {
    auto zip = ZipFile::create();
    EXPECT_FALSE(zip->CloseZipFile2());
    EXPECT_TRUE(zip->UnzipCloseFile());
    writeFile(work / "x.txt", "x");
    EXPECT_FALSE(zip->addFileToZip((work / "x.txt").string(), "x.txt"));
    EXPECT_FALSE(zip->UnzipOpenFile((work / "missing.zip").string()));
    writeFile(work / "garbage.zip", "this is not a zip archive at all");
    EXPECT_FALSE(zip->UnzipOpenFile((work / "garbage.zip").string()));
    EXPECT_FALSE(zip->UnzipFileTo(destination().string(), true));
    ASSERT_TRUE(zip->CreateZipFile2(archivePath().string()));
    EXPECT_FALSE(zip->addFileToZip((work / "missing.txt").string(), "m.txt"));
    EXPECT_TRUE(zip->CloseZipFile2());
}

TEST_F(ZipFileTest, DatesBefore1980AreStoredAsTheFirstDayOf1980) {
    auto first = ZipFile::Date1980();
    std::time_t unixTime = std::time_t(first.seconds + 978307200);
    EXPECT_EQ(unixTime, localTime(1980, 1, 1, 0, 0, 0));

    writeFile(work / "old.txt", "old");
    setModificationTime(work / "old.txt", localTime(1975, 3, 3, 3, 3, 3));
    auto zip = ZipFile::create();
    ASSERT_TRUE(zip->CreateZipFile2(archivePath().string()));
    ASSERT_TRUE(zip->addFileToZip((work / "old.txt").string(), "old.txt"));
    ASSERT_TRUE(zip->CloseZipFile2());
    EXPECT_TRUE(unzip(*zip));
    EXPECT_EQ(modificationTime(destination() / "old.txt"), unixTime);
}
