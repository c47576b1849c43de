#include <foundation/AtomicFile.hpp>

#include <foundation/KeyedArchiver.hpp>
#include <foundation/PropertyList.hpp>
#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(AtomicFile, FilesArePrivateWhateverTheUmask) {
    test::TempDir dir;
    mode_t previous = ::umask(0);
    bool written = AtomicFile::write((dir / "save.bin").string(), "e-mail")
        && AtomicFile::writeInPlace((dir / "plain.txt").string(), "e-mail");
    ::umask(previous);
    ASSERT_TRUE(written);
    for (auto name : {"save.bin", "plain.txt"}) {
        struct stat info { };
        ASSERT_EQ(::stat((dir / name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << name;
    }
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

TEST(AtomicFile, ReadTellsAMissingFileFromOneThatCannotBeRead) {
    test::TempDir dir;
    ASSERT_TRUE(AtomicFile::write((dir / "small").string(), "12345"));
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    // A FIFO with no writer would block a plain open for ever.
    alarm(30);
    struct Case {
        char const* name;
        std::size_t maxSize;
        bool read;
        AtomicFile::ReadError error;
    } const cases[] = {
        {"small", 100, true, AtomicFile::ReadError::None},
        {"absent", 100, false, AtomicFile::ReadError::Missing},
        {"absent/deeper", 100, false, AtomicFile::ReadError::Missing},
        {"small/deeper", 100, false, AtomicFile::ReadError::Missing},
        {"folder", 100, false, AtomicFile::ReadError::Unreadable},
        {"fifo", 100, false, AtomicFile::ReadError::Unreadable},
        {"small", 4, false, AtomicFile::ReadError::Unreadable},
    };
    test::LogCapture log;
    for (auto const& c : cases) {
        auto error = AtomicFile::ReadError::None;
        EXPECT_EQ(AtomicFile::read((dir / c.name).string(), c.maxSize, &error).has_value(), c.read)
            << c.name;
        EXPECT_EQ(error, c.error) << c.name << " at most " << c.maxSize;
    }
    alarm(0);
}

TEST(AtomicFile, WritingInPlaceRefusesWhatIsNotARegularFileWithoutBlocking) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir / "folder");
    // Held open for reading, the FIFO would take the bytes if it were written.
    alarm(30);
    int reader = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    test::LogCapture log;
    EXPECT_FALSE(AtomicFile::writeInPlace((dir / "fifo").string(), "x"));
    EXPECT_TRUE(log.contains("not a regular file"));
    char byte;
    EXPECT_LE(::read(reader, &byte, 1), 0);
    ::close(reader);
    // With no reader at all, it is refused at once.
    EXPECT_FALSE(AtomicFile::writeInPlace((dir / "fifo").string(), "x"));
    EXPECT_FALSE(AtomicFile::writeInPlace((dir / "folder").string(), "x"));
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
    alarm(0);
}

TEST(AtomicFile, TheFirstWriteOfAPathClearsWhatKilledWritersLeft) {
    test::TempDir dir;
    // A process that has ended, and two that run: this one and its parent.
    pid_t ended = fork();
    ASSERT_GE(ended, 0);
    if (ended == 0)
        _exit(0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    auto temporary = [](pid_t pid) { return ".save.bin.tmp-" + std::to_string(pid) + "-a1b2c3"; };
    for (auto const& name : {temporary(ended), temporary(::getpid()), temporary(::getppid()),
             std::string(".save.bin.tmp-q1w2e3"), temporary(ended) + "x",
             std::string(".other.bin.tmp-") + std::to_string(ended) + "-a1b2c3"})
        ASSERT_TRUE(AtomicFile::writeInPlace((dir / name).string(), "half a write"));
    ASSERT_TRUE(AtomicFile::write((dir / "save.bin").string(), "whole"));
    EXPECT_FALSE(std::filesystem::exists(dir / temporary(ended)));
    EXPECT_FALSE(std::filesystem::exists(dir / ".save.bin.tmp-q1w2e3"));
    EXPECT_TRUE(std::filesystem::exists(dir / temporary(::getpid())));
    EXPECT_TRUE(std::filesystem::exists(dir / temporary(::getppid())));
    EXPECT_TRUE(std::filesystem::exists(dir / (temporary(ended) + "x")));
    EXPECT_TRUE(
        std::filesystem::exists(dir / (".other.bin.tmp-" + std::to_string(ended) + "-a1b2c3")));
}

// Property lists and keyed archives are written through AtomicFile: writers killed at
// random instants leave temporary files, and the next write of the same file in
// another process clears them all.
TEST(AtomicFile, WritersKilledMidwayLeaveNothingAfterTheNextWrite) {
    auto payload = base::Value(std::string(1 << 20, 'p'));
    struct Case {
        char const* name;
        std::function<bool(std::string const&)> write;
    };
    std::vector<Case> const cases = {
        {"property list",
            [&](std::string const& path) {
                return foundation::PropertyList::writeToFile(base::Array::create({payload}), path);
            }},
        {"keyed archive",
            [&](std::string const& path) {
                return foundation::KeyedArchiver::archiveRootObject(payload, path);
            }},
    };
    std::mt19937 random(1210);
    std::uniform_int_distribution<int> delay(0, 20);
    for (auto const& c : cases) {
        test::TempDir dir;
        auto path = (dir / "written").string();
        for (int round = 0; round < 10; ++round) {
            pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                alarm(60);
                for (;;)
                    c.write(path);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
            ::kill(child, SIGKILL);
            ASSERT_EQ(::waitpid(child, nullptr, 0), child);
        }
        ASSERT_TRUE(c.write(path)) << c.name;
        EXPECT_EQ(entriesIn(dir.path()), 1u) << c.name;
    }
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
