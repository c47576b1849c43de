#include "ResourceHelpers.hpp"

#include <engine/FileUtils.hpp>
#include <engine/StaticFileCache.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

using engine::FileUtils;
using engine::StaticFileCache;

namespace {

class StaticFileCacheTest : public ::testing::Test {
protected:
    test::ResourceSandbox sandbox;

    StaticFileCache& cache() { return StaticFileCache::sharedCache(); }
    std::string inBundle(std::string const& name) { return (sandbox.bundle() / name).string(); }
};

base::Value dictionaryList(std::string const& key, base::Value value) {
    auto dictionary = base::Dictionary::create();
    dictionary->setObject(key, std::move(value));
    return dictionary;
}

base::Value arrayList(std::vector<base::Value> values) {
    return base::Array::create(std::move(values));
}

TEST_F(StaticFileCacheTest, AbsoluteNamesComeBackUnchangedEvenWhenMissing) {
    EXPECT_EQ(cache().pathForResource("/var/mobile/Library/Marrowby/unpacked.plist"),
        "/var/mobile/Library/Marrowby/unpacked.plist");
    EXPECT_EQ(cache().pathForResource("/somewhere/pic", "png"), "/somewhere/pic.png");
    EXPECT_EQ(cache().pathForResource("/somewhere/pic", ""), "/somewhere/pic");
    EXPECT_EQ(cache().cachedPathCount(), 0u);
}

TEST_F(StaticFileCacheTest, FileNameAndNameWithTypeShareOneKey) {
    test::writeText(sandbox.bundle() / "bg01.png", "x");
    EXPECT_EQ(cache().pathForResource("bg01.png"), inBundle("bg01.png"));
    EXPECT_EQ(cache().pathForResource("bg01", "png"), inBundle("bg01.png"));
    EXPECT_EQ(cache().cachedPathCount(), 1u);
    EXPECT_EQ(cache().cachedPath("bg01.png"), inBundle("bg01.png"));
}

TEST_F(StaticFileCacheTest, LookupKeysFollowNameTypeAndDirectory) {
    test::writeText(sandbox.bundle() / "README", "x");
    test::writeText(sandbox.bundle() / "fonts" / "arial.fnt", "x");
    struct Case {
        std::string name, type, directory, key;
    } const cases[] = {
        {"README", "", "", "README."},
        {"arial", "fnt", "fonts", std::string("fonts\0arial.fnt", 15)},
    };
    for (auto const& c : cases) {
        auto path = c.directory.empty() ? cache().pathForResource(c.name, c.type)
                                        : cache().pathForResource(c.name, c.type, c.directory);
        ASSERT_TRUE(path) << c.key;
        EXPECT_EQ(cache().cachedPath(c.key), path) << c.key;
    }
    // A file name without an extension takes the same key as an empty type.
    EXPECT_EQ(cache().pathForResource("README"), inBundle("README"));
    EXPECT_EQ(cache().cachedPathCount(), 2u);
}

TEST_F(StaticFileCacheTest, AFolderNeverRunsIntoTheNameOfAnotherKey) {
    test::writeText(sandbox.bundle() / "sub" / "deep.txt", "in the folder");
    test::writeText(sandbox.bundle() / "subdeep.txt", "at the top");
    test::writeText(sandbox.bundle() / "a" / "bc.txt", "a/bc");
    test::writeText(sandbox.bundle() / "ab" / "c.txt", "ab/c");
    struct Case {
        std::string name, type, directory, file;
    } const cases[] = {
        {"deep", "txt", "sub", "sub/deep.txt"},
        {"subdeep", "txt", "", "subdeep.txt"},
        {"bc", "txt", "a", "a/bc.txt"},
        {"c", "txt", "ab", "ab/c.txt"},
    };
    // Twice: the second round answers from the cache.
    for (int round = 0; round < 2; ++round) {
        for (auto const& c : cases) {
            EXPECT_EQ(cache().pathForResource(c.name, c.type, c.directory), inBundle(c.file))
                << c.file << ", round " << round;
        }
    }
    EXPECT_EQ(cache().cachedPathCount(), 4u);
}

TEST_F(StaticFileCacheTest, MissesAreNotRememberedSoALaterFileIsFound) {
    EXPECT_FALSE(cache().pathForResource("late.png"));
    EXPECT_EQ(cache().cachedPathCount(), 0u);
    test::writeText(sandbox.bundle() / "late.png", "x");
    EXPECT_EQ(cache().pathForResource("late.png"), inBundle("late.png"));
}

TEST_F(StaticFileCacheTest, FoundPathsAreRememberedUntilTheCacheIsCleared) {
    test::writeText(sandbox.bundle() / "gone.png", "x");
    EXPECT_TRUE(cache().pathForResource("gone.png"));
    std::filesystem::remove(sandbox.bundle() / "gone.png");
    EXPECT_EQ(cache().pathForResource("gone.png"), inBundle("gone.png"));
    StaticFileCache::clearCache();
    EXPECT_FALSE(cache().pathForResource("gone.png"));
}

TEST_F(StaticFileCacheTest, ListsAreReadOncePerPath) {
    auto path = inBundle("items.plist");
    test::writeList(path, dictionaryList("count", 1));
    auto first = cache().dictionaryWithContentsOfFile(path);
    ASSERT_TRUE(first);
    test::writeList(path, dictionaryList("count", 2));
    auto second = cache().dictionaryWithContentsOfFile(path);
    EXPECT_EQ(second.get(), first.get());
    EXPECT_EQ(second->objectForKey("count").intValue(), 1);
    // Read afresh once the cache is dropped.
    StaticFileCache::clearCache();
    EXPECT_EQ(cache().dictionaryWithContentsOfFile(path)->objectForKey("count").intValue(), 2);
}

TEST_F(StaticFileCacheTest, MissingListsAreReadAgainUntilTheyAppear) {
    auto path = inBundle("later.plist");
    EXPECT_FALSE(cache().dictionaryWithContentsOfFile(path));
    EXPECT_FALSE(cache().dictionaryWithContentsOfFile(path));
    EXPECT_EQ(cache().cachedListCount(), 0u);
    test::writeList(path, dictionaryList("ok", true));
    auto list = cache().dictionaryWithContentsOfFile(path);
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->objectForKey("ok").boolValue());
    EXPECT_EQ(cache().cachedListCount(), 1u);
}

TEST_F(StaticFileCacheTest, MalformedListsGiveNothingAndAreNotCached) {
    auto path = inBundle("broken.plist");
    test::writeText(path, "<?xml version=\"1.0\"?><plist><dict><key>a</key>");
    test::LogCapture log;
    EXPECT_FALSE(cache().dictionaryWithContentsOfFile(path));
    EXPECT_FALSE(cache().arrayWithContentsOfFile(path));
    EXPECT_EQ(cache().cachedListCount(), 0u);
}

TEST_F(StaticFileCacheTest, AListOfTheOtherKindIsNeverHandedOut) {
    auto arrayPath = inBundle("array.plist");
    auto dictionaryPath = inBundle("dictionary.plist");
    test::writeList(arrayPath, arrayList({1, 2}));
    test::writeList(dictionaryPath, dictionaryList("a", 1));

    // Read as the wrong kind first: nothing, and nothing cached.
    EXPECT_FALSE(cache().dictionaryWithContentsOfFile(arrayPath));
    EXPECT_EQ(cache().cachedListCount(), 0u);
    // Cached as its own kind, the other kind still gives nothing.
    ASSERT_TRUE(cache().arrayWithContentsOfFile(arrayPath));
    EXPECT_FALSE(cache().dictionaryWithContentsOfFile(arrayPath));
    ASSERT_TRUE(cache().dictionaryWithContentsOfFile(dictionaryPath));
    EXPECT_FALSE(cache().arrayWithContentsOfFile(dictionaryPath));
    EXPECT_EQ(cache().arrayWithContentsOfFile(arrayPath)->size(), 2u);
}

TEST_F(StaticFileCacheTest, ClearingGivesANewEmptyCache) {
    test::writeText(sandbox.bundle() / "a.png", "x");
    test::writeList(inBundle("a.plist"), dictionaryList("a", 1));
    cache().pathForResource("a.png");
    cache().dictionaryWithContentsOfFile(inBundle("a.plist"));
    StaticFileCache::clearCache();
    EXPECT_EQ(cache().cachedPathCount(), 0u);
    EXPECT_EQ(cache().cachedListCount(), 0u);
}

TEST_F(StaticFileCacheTest, DevicePathsAreReadFromTheSandbox) {
    test::writeList(sandbox.dataFolder() / "unpacked.plist", arrayList({"pack"}));
    auto list = cache().arrayWithContentsOfFile("/var/mobile/Library/Marrowby/unpacked.plist");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->at(0).stringValue(), "pack");
}

TEST_F(StaticFileCacheTest, TheTabletLooksInTheTabletArtFirst) {
    test::writeText(sandbox.bundle() / "shop.png", "phone");
    test::writeText(sandbox.tabletBundle() / "shop.png", "tablet");
    test::writeText(sandbox.bundle() / "click.wav", "sound");
    EXPECT_EQ(cache().pathForResource("shop.png"), inBundle("shop.png"));

    StaticFileCache::clearCache();
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    EXPECT_EQ(cache().pathForResource("shop.png"), (sandbox.tabletBundle() / "shop.png").string());
    // Sounds, fonts and data are only in the phone bundle.
    EXPECT_EQ(cache().pathForResource("click.wav"), inBundle("click.wav"));
    EXPECT_FALSE(cache().pathForResource("none.png"));
}

TEST_F(StaticFileCacheTest, NamesCannotLeaveTheBundle) {
    test::writeText(sandbox.home() / "secret.png", "x");
    EXPECT_FALSE(cache().pathForResource("../home/secret.png"));
    EXPECT_FALSE(cache().pathForResource("secret", "png", "../home"));
}

TEST_F(StaticFileCacheTest, RelativePathsResolveInTheirBundleFolder) {
    test::writeText(sandbox.bundle() / "fonts" / "arial.fnt", "x");
    test::writeText(sandbox.bundle() / "bare.fnt", "x");
    struct Case {
        std::string path, expected;
    } const cases[] = {
        {"fonts/arial.fnt", inBundle("fonts/arial.fnt")},
        {"bare.fnt", inBundle("bare.fnt")},
        {"fonts/missing.fnt", "fonts/missing.fnt"},
        {"/abs/arial.fnt", "/abs/arial.fnt"},
        {"", ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(FileUtils::fullPathFromRelativePath(c.path), c.expected) << c.path;
    EXPECT_EQ(
        cache().cachedPath(std::string("fonts\0arial.fnt.", 16)), inBundle("fonts/arial.fnt"));
}

TEST_F(StaticFileCacheTest, RelativePathsThatClimbOutOfTheBundleAreRefused) {
    test::writeText(sandbox.home() / "outside.txt", "x");
    test::writeText(sandbox.bundle() / "fonts" / "arial.fnt", "x");
    test::LogCapture log;
    for (auto path : {"../outside.txt", "fonts/../../outside.txt", "..", "fonts/..",
             "./../outside.txt", "fonts/../fonts/arial.fnt"}) {
        EXPECT_EQ(FileUtils::fullPathFromRelativePath(path), "") << path;
        EXPECT_TRUE(log.contains(std::string("refused ") + path)) << path;
    }
    // Names that merely hold dots are names.
    test::writeText(sandbox.bundle() / "..hidden", "x");
    EXPECT_EQ(FileUtils::fullPathFromRelativePath("..hidden"), inBundle("..hidden"));
    EXPECT_EQ(FileUtils::fullPathFromRelativePath("fonts/a..fnt"), "fonts/a..fnt");
}

TEST_F(StaticFileCacheTest, LocalPathsMapOnlyTheDevicesFolders) {
    auto root = foundation::Sandbox::root();
    EXPECT_EQ(FileUtils::localPath("/var/mobile/Library/Marrowby/a.png"),
        root + "/Library/Marrowby/a.png");
    EXPECT_EQ(FileUtils::localPath("/private/var/mobile/Documents/x"), root + "/Documents/x");
    EXPECT_EQ(FileUtils::localPath("/usr/share/x.png"), "/usr/share/x.png");
    EXPECT_EQ(FileUtils::localPath("/var/mobilefoo/x"), "/var/mobilefoo/x");
    EXPECT_EQ(FileUtils::localPath("relative.png"), "relative.png");
    EXPECT_FALSE(FileUtils::localPath("/var/mobile/../../etc/passwd"));
    EXPECT_EQ(FileUtils::dataFolderPath(), root + "/Library/Marrowby");
}

}
