#include <foundation/AtomicFile.hpp>

#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

using foundation::AtomicFile;

namespace {

base::Bytes bytesOf(std::string_view text) {
    return base::Bytes(text.begin(), text.end());
}

std::size_t entriesIn(std::filesystem::path const& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] auto const& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

}

TEST(AtomicFile, WritesReplacesAndReadsBack) {
    test::TempDir dir;
    auto path = (dir / "save.bin").string();
    ASSERT_TRUE(AtomicFile::write(path, "first contents"));
    EXPECT_EQ(AtomicFile::read(path), bytesOf("first contents"));
    ASSERT_TRUE(AtomicFile::write(path, "second"));
    EXPECT_EQ(AtomicFile::read(path), bytesOf("second"));
    ASSERT_TRUE(AtomicFile::write(path, ""));
    EXPECT_EQ(AtomicFile::read(path), base::Bytes());
    // Only the file itself: no temporary file is left beside it.
    EXPECT_EQ(entriesIn(dir.path()), 1u);
    struct stat info { };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(AtomicFile, FailureLeavesTheOldFileAndNoTemporary) {
    test::TempDir dir;
    test::LogCapture log;
    EXPECT_FALSE(AtomicFile::write((dir / "missing/save.bin").string(), "x"));
    EXPECT_TRUE(log.contains("cannot create a temporary file"));
    // A folder in the way of the rename: the write fails and the folder stays.
    std::filesystem::create_directory(dir / "occupied");
    std::filesystem::create_directory(dir / "occupied/child");
    EXPECT_FALSE(AtomicFile::write((dir / "occupied").string(), "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "occupied"));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(AtomicFile, WritesInPlace) {
    test::TempDir dir;
    auto path = (dir / "plain.txt").string();
    ASSERT_TRUE(AtomicFile::writeInPlace(path, "long first text"));
    ASSERT_TRUE(AtomicFile::writeInPlace(path, "short"));
    EXPECT_EQ(AtomicFile::read(path), bytesOf("short"));
}

TEST(AtomicFile, ReadRefusesWhatIsNotASmallRegularFile) {
    test::TempDir dir;
    test::LogCapture log;
    EXPECT_FALSE(AtomicFile::read((dir / "absent").string()));
    EXPECT_FALSE(AtomicFile::read((dir / "absent/deeper").string()));
    EXPECT_TRUE(log.lines().empty());
    EXPECT_FALSE(AtomicFile::read(dir.path().string()));
    EXPECT_TRUE(log.contains("not a regular file"));
    auto path = (dir / "big").string();
    ASSERT_TRUE(AtomicFile::write(path, std::string(100, 'x')));
    EXPECT_FALSE(AtomicFile::read(path, 99));
    EXPECT_TRUE(log.contains("larger than 99 bytes"));
    EXPECT_TRUE(AtomicFile::read(path, 100));
}

TEST(AtomicFile, RemovesStaleTemporariesOfItsOwnFileOnly) {
    test::TempDir dir;
    auto path = (dir / "prefs.plist").string();
    for (auto name : {".prefs.plist.tmp-abc123", ".prefs.plist.tmp-zzzzzz",
             ".other.plist.tmp-abc123", ".prefs.plist.tmp-toolong1", "prefs.plist"})
        ASSERT_TRUE(AtomicFile::writeInPlace((dir / name).string(), "x"));
    AtomicFile::removeStaleTemporaries(path);
    EXPECT_FALSE(std::filesystem::exists(dir / ".prefs.plist.tmp-abc123"));
    EXPECT_FALSE(std::filesystem::exists(dir / ".prefs.plist.tmp-zzzzzz"));
    EXPECT_TRUE(std::filesystem::exists(dir / ".other.plist.tmp-abc123"));
    EXPECT_TRUE(std::filesystem::exists(dir / ".prefs.plist.tmp-toolong1"));
    EXPECT_TRUE(std::filesystem::exists(dir / "prefs.plist"));
}
