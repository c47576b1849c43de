#include <foundation/Paths.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace foundation;

TEST(Paths, SplitsPathsAsThePlatformDoes) {
    struct Case {
        char const* path;
        char const* last;
        char const* deletingLast;
        char const* extension;
        char const* deletingExtension;
    };
    Case const cases[] = {
        {"/tmp/scratch.tiff", "scratch.tiff", "/tmp", "tiff", "/tmp/scratch"},
        {"/tmp/scratch", "scratch", "/tmp", "", "/tmp/scratch"},
        {"/tmp/", "tmp", "/", "", "/tmp"},
        {"/tmp", "tmp", "/", "", "/tmp"},
        {"scratch///", "scratch", "", "", "scratch"},
        {"/tmp/lock/", "lock", "/tmp", "", "/tmp/lock"},
        {"//a//b.png//", "b.png", "/a", "png", "/a/b"},
        {"/", "/", "/", "", "/"},
        {"", "", "", "", ""},
        {"scratch.tiff", "scratch.tiff", "", "tiff", "scratch"},
        {"a.b/c", "c", "a.b", "", "a.b/c"},
        {"a.b/c.d", "c.d", "a.b", "d", "a.b/c"},
        {".hidden", ".hidden", "", "", ".hidden"},
        {"/dir/.hidden", ".hidden", "/dir", "", "/dir/.hidden"},
        {".hidden.txt", ".hidden.txt", "", "txt", ".hidden"},
        {"archive.tar.gz", "archive.tar.gz", "", "gz", "archive.tar"},
        {"scratch..tiff", "scratch..tiff", "", "tiff", "scratch."},
        {"file.", "file.", "", "", "file"},
        {"..", "..", "", "", ".."},
        {"/a/..", "..", "/a", "", "/a/.."},
        {"image_iPad.png", "image_iPad.png", "", "png", "image_iPad"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(lastPathComponent(c.path), c.last) << c.path;
        EXPECT_EQ(stringByDeletingLastPathComponent(c.path), c.deletingLast) << c.path;
        EXPECT_EQ(pathExtension(c.path), c.extension) << c.path;
        EXPECT_EQ(stringByDeletingPathExtension(c.path), c.deletingExtension) << c.path;
    }
}

TEST(Paths, AppendsComponentsAndExtensions) {
    struct Case {
        char const* path;
        char const* addition;
        char const* component;
        char const* extension;
    };
    Case const cases[] = {
        {"/tmp", "scratch.tiff", "/tmp/scratch.tiff", "/tmp.scratch.tiff"},
        {"/tmp/", "scratch", "/tmp/scratch", "/tmp.scratch"},
        {"/", "scratch", "/scratch", "/"},
        {"", "scratch", "scratch", ""},
        {"/tmp", "", "/tmp", "/tmp"},
        {"", "", "", ""},
        {"a/", "/b/", "a/b", "a"},
        {"a", "b/c", "a/b/c", "a"},
        {"Library//Marrowby", "dlc", "Library/Marrowby/dlc", "Library/Marrowby.dlc"},
        {"name", "png", "name/png", "name.png"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(stringByAppendingPathComponent(c.path, c.addition), c.component)
            << c.path << " + " << c.addition;
        EXPECT_EQ(stringByAppendingPathExtension(c.path, c.addition), c.extension)
            << c.path << " . " << c.addition;
    }
}

TEST(Paths, BreaksPathsIntoComponentsAndBack) {
    using Components = std::vector<std::string>;
    struct Case {
        char const* path;
        Components components;
        char const* rejoined;
    };
    Case const cases[] = {
        {"tmp/scratch", {"tmp", "scratch"}, "tmp/scratch"},
        {"/tmp/scratch", {"/", "tmp", "scratch"}, "/tmp/scratch"},
        {"/tmp/", {"/", "tmp", "/"}, "/tmp"},
        {"scratch", {"scratch"}, "scratch"},
        {"/", {"/"}, "/"},
        {"//", {"/"}, "/"},
        {"", {}, ""},
        {"a//b", {"a", "b"}, "a/b"},
        {"a/b/", {"a", "b", "/"}, "a/b"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(pathComponents(c.path), c.components) << c.path;
        EXPECT_EQ(pathWithComponents(c.components), c.rejoined) << c.path;
    }
    EXPECT_TRUE(isAbsolutePath("/a"));
    EXPECT_TRUE(isAbsolutePath("~/a"));
    EXPECT_FALSE(isAbsolutePath("a/b"));
    EXPECT_FALSE(isAbsolutePath(""));
}
