#include "SandboxFixture.hpp"

#include <analytics/KestrelFileCache.hpp>
#include <analytics/KestrelImageCache.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

using analytics::KestrelFileCache;
using analytics::KestrelImageCache;
using base::Ref;

namespace {

class KestrelImageCacheTest : public test::AnalyticsSandboxTest {
protected:
    Ref<KestrelFileCache> files = KestrelFileCache::createInstanceWithApiKey("KEY1", "53");

    static base::Value image(std::string const& id) {
        return base::Value(base::Bytes(id.begin(), id.end()));
    }
    static std::vector<std::string> sorted(std::vector<std::string> ids) {
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    void fill(KestrelImageCache& cache, int count) {
        for (int i = 0; i < count; ++i)
            cache.save(image(std::to_string(i)), std::to_string(i));
    }
};

}

TEST_F(KestrelImageCacheTest, ImagesComeBackAndNewCachesHoldAHundred) {
    auto cache = KestrelImageCache::initWithFileCache(files.get());
    EXPECT_EQ(cache->maxImageCached(), 100);
    EXPECT_EQ(cache->cacheUpdateTimestamp(), 0);
    cache->save(image("7"), "7");
    EXPECT_EQ(cache->get("7"), image("7"));
    EXPECT_TRUE(std::filesystem::exists(files->createFilePath("kestrelImage7")));
    EXPECT_EQ(cache->storedIds(), std::vector<std::string> {"7"});
    EXPECT_EQ(KestrelImageCache::imageIdToFileName("7"), "kestrelImage7");
}

TEST_F(KestrelImageCacheTest, MissingImageOrIdStoresNothing) {
    auto cache = KestrelImageCache::initWithFileCache(files.get());
    cache->save(base::Value(), "1");
    cache->save(image("2"), std::nullopt);
    EXPECT_TRUE(cache->storedIds().empty());
    EXPECT_TRUE(cache->get(std::nullopt).isNull());
    EXPECT_TRUE(cache->get("unknown").isNull());
    EXPECT_FALSE(cache->remove(std::nullopt));
    EXPECT_FALSE(cache->remove("unknown"));
}

TEST_F(KestrelImageCacheTest, TheHundredAndFirstImageEvictsTheLeastRecentlyUsed) {
    struct Case {
        char const* name;
        std::function<void(KestrelImageCache&)> touch; // before the 101st save
        char const* evicted;
    };
    Case const cases[] = {
        {"untouched", [](KestrelImageCache&) {}, "0"},
        {"a read refreshes", [](KestrelImageCache& cache) { cache.get("0"); }, "1"},
        {"marking refreshes",
            [](KestrelImageCache& cache) {
                cache.setAsMostRecentlyUsed("0");
                cache.setAsMostRecentlyUsed("1");
            },
            "2"},
        {"a replaced image is refreshed",
            [](KestrelImageCache& cache) { cache.save(image("again"), "0"); }, "1"},
    };
    for (auto const& c : cases) {
        files->removeCache();
        auto cache = KestrelImageCache::initWithFileCache(files.get());
        fill(*cache, 100);
        c.touch(*cache);
        cache->save(image("new"), "new");
        auto ids = cache->storedIds();
        EXPECT_EQ(ids.size(), 100u) << c.name;
        EXPECT_EQ(std::count(ids.begin(), ids.end(), c.evicted), 0) << c.name;
        EXPECT_EQ(std::count(ids.begin(), ids.end(), "new"), 1) << c.name;
        EXPECT_FALSE(std::filesystem::exists(
            files->createFilePath(KestrelImageCache::imageIdToFileName(c.evicted))))
            << c.name;
    }
}

TEST_F(KestrelImageCacheTest, SavingAnIdAlreadyStoredReplacesItWithoutEviction) {
    auto cache = KestrelImageCache::initWithFileCache(files.get());
    fill(*cache, 100);
    cache->save(image("other"), "0");
    EXPECT_EQ(cache->storedIds().size(), 100u);
    EXPECT_EQ(cache->get("0"), image("other"));
    EXPECT_EQ(cache->lru().back(), "0");
}

TEST_F(KestrelImageCacheTest, AVanishedFileDropsItsIdAndNeverBlocksEviction) {
    auto cache = KestrelImageCache::initWithFileCache(files.get());
    fill(*cache, 100);
    std::filesystem::remove(files->createFilePath("kestrelImage5"));
    EXPECT_TRUE(cache->get("5").isNull());
    auto left = cache->storedIds();
    EXPECT_EQ(std::count(left.begin(), left.end(), "5"), 0);
    EXPECT_EQ(left.size(), 99u);

    // The oldest file is gone too: the full cache still makes room for the next one.
    cache->save(image("5"), "5");
    std::filesystem::remove(files->createFilePath("kestrelImage0"));
    cache->save(image("new"), "new");
    auto ids = cache->storedIds();
    EXPECT_EQ(ids.size(), 100u);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "0"), 0);
}

TEST_F(KestrelImageCacheTest, RemoveDeletesTheFileAndForgetsTheId) {
    auto cache = KestrelImageCache::initWithFileCache(files.get());
    cache->save(image("1"), "1");
    EXPECT_TRUE(cache->remove("1"));
    EXPECT_TRUE(cache->storedIds().empty());
    EXPECT_TRUE(cache->lru().empty());
    EXPECT_FALSE(cache->remove("1"));
}

TEST_F(KestrelImageCacheTest, MarkingAnUnknownIdChangesNothing) {
    auto cache = KestrelImageCache::initWithFileCache(files.get());
    cache->setAsMostRecentlyUsed("ghost");
    cache->setAsMostRecentlyUsed(std::nullopt);
    EXPECT_TRUE(cache->lru().empty());
}

TEST_F(KestrelImageCacheTest, IdsFromTheAdServiceStayInsideTheCacheFolder) {
    auto cache = KestrelImageCache::initWithFileCache(files.get());
    for (char const* id : {"../../x", "a/b", "", "/abs", "..\\.."}) {
        cache->save(image(id), std::string(id));
        EXPECT_EQ(cache->get(std::string(id)), image(id)) << id;
    }
    for (auto const& file : filesInSandbox())
        EXPECT_EQ(file.rfind("Library/Caches/Kestrel/kestrelCache_kestrelImage", 0), 0u) << file;
}

TEST_F(KestrelImageCacheTest, TheArchivedCacheSurvivesANewSharedInstance) {
    auto cache = KestrelImageCache::createInstanceWithFileCache(files.get());
    EXPECT_EQ(KestrelImageCache::createInstanceWithFileCache(files.get()), cache);
    cache->save(image("a"), "a");
    cache->save(image("b"), "b");
    cache->get("a");
    cache->setCacheUpdateTimestamp(1234567890123);
    ASSERT_TRUE(files->save(cache, KestrelImageCache::archiveName));

    auto restored = KestrelImageCache::recreateInstanceWithFileCache(files.get());
    ASSERT_NE(restored, cache);
    EXPECT_EQ(KestrelImageCache::instance(), restored);
    EXPECT_EQ(restored->fileCache(), files.get());
    EXPECT_EQ(sorted(restored->storedIds()), (std::vector<std::string> {"a", "b"}));
    EXPECT_EQ(restored->lru(), (std::vector<std::string> {"b", "a"}));
    EXPECT_EQ(restored->cacheUpdateTimestamp(), 1234567890123);
    EXPECT_EQ(restored->maxImageCached(), 100);
    EXPECT_EQ(restored->get("b"), image("b"));
}

TEST_F(KestrelImageCacheTest, WithoutAnArchiveTheSharedCacheStartsEmpty) {
    auto cache = KestrelImageCache::createInstanceWithFileCache(files.get());
    EXPECT_TRUE(cache->storedIds().empty());
    EXPECT_EQ(cache->fileCache(), files.get());
}

TEST_F(KestrelImageCacheTest, HostileArchiveIsMadeConsistent) {
    KestrelImageCache::registerCoding();
    // An index with a number for a name, a recency list with unknown, repeated and
    // non-text ids, and a bound of zero.
    foundation::KeyedArchiver archiver;
    auto index = base::Dictionary::create();
    index->setObject("a", "kestrelImagea");
    index->setObject("b", "kestrelImageb");
    index->setObject("bad", 5);
    auto lru = base::Array::create(
        {base::Value("ghost"), base::Value("b"), base::Value("b"), base::Value(3)});
    archiver.encodeObject(base::Value(index), "index");
    archiver.encodeObject(base::Value(lru), "lru");
    archiver.encodeInt(0, "maxImageCached");
    auto data = archiver.encodedData();
    ASSERT_TRUE(data);
    auto reader = foundation::KeyedUnarchiver::createForReadingWithData(*data);
    ASSERT_TRUE(reader);
    auto cache = KestrelImageCache::initWithCoder(*reader);
    EXPECT_EQ(sorted(cache->storedIds()), (std::vector<std::string> {"a", "b"}));
    EXPECT_EQ(cache->lru(), (std::vector<std::string> {"a", "b"}));
    EXPECT_EQ(cache->maxImageCached(), 100);
}
