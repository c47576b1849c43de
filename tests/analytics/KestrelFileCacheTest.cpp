#include "SandboxFixture.hpp"

#include <analytics/KestrelFileCache.hpp>

#include <foundation/AtomicFile.hpp>

#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using analytics::KestrelFileCache;
using base::Ref;

namespace {

using KestrelFileCacheTest = test::AnalyticsSandboxTest;

// A small archivable object.
class Note final : public base::Object, public foundation::Coding {
public:
    static Ref<Note> initWithCoder(foundation::KeyedUnarchiver& coder) {
        auto note = base::make<Note>();
        note->text = coder.decodeObjectForKey("text").stringValue();
        return note;
    }
    void encodeWithCoder(foundation::KeyedArchiver& coder) override {
        coder.encodeObject(base::Value(text), "text");
    }
    std::string text;

private:
    friend base::Factory;

    Note() = default;
};

Ref<Note> note(std::string text) {
    foundation::Coding::registerClass<Note>("Note");
    auto made = base::make<Note>();
    made->text = std::move(text);
    return made;
}

}

TEST_F(KestrelFileCacheTest, FilesAreNamedByNameKeyAndVersionInCachesKestrel) {
    auto cache = KestrelFileCache::initWithApiKey("KEY1", "53");
    EXPECT_EQ(cache->createDirectoryPath(), cacheFolder().string());
    EXPECT_TRUE(std::filesystem::is_directory(cacheFolder()));
    EXPECT_EQ(cache->createFilePath("adParser"),
        (cacheFolder() / "kestrelCache_adParser_KEY1_53.archive").string());
}

TEST_F(KestrelFileCacheTest, ObjectsAndValuesComeBackFromTheirFiles) {
    auto cache = KestrelFileCache::initWithApiKey("KEY1", "53");
    auto path = cache->save(note("hello"), "note");
    ASSERT_TRUE(path);
    EXPECT_TRUE(std::filesystem::exists(*path));
    ASSERT_TRUE(cache->save(base::Value(base::Bytes {1, 2, 3}), "blob"));

    // A new cache object of the same key and version finds them.
    auto again = KestrelFileCache::initWithApiKey("KEY1", "53");
    auto read = again->get<Note>("note");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->text, "hello");
    EXPECT_EQ(again->getValue("blob"), base::Value(base::Bytes {1, 2, 3}));
    EXPECT_EQ(again->get<Note>("missing"), nullptr);
    EXPECT_TRUE(again->getValue("missing").isNull());
    // A value is not an object of a class, and the other way round.
    EXPECT_EQ(again->get<Note>("blob"), nullptr);
}

TEST_F(KestrelFileCacheTest, CachesOfOtherKeysOrVersionsUseOtherFiles) {
    auto first = KestrelFileCache::initWithApiKey("KEY1", "53");
    auto second = KestrelFileCache::initWithApiKey("KEY2", "53");
    auto older = KestrelFileCache::initWithApiKey("KEY1", "52");
    EXPECT_NE(first->createFilePath("n"), second->createFilePath("n"));
    first->save(base::Value("one"), "n");
    EXPECT_TRUE(second->getValue("n").isNull());
    EXPECT_TRUE(older->getValue("n").isNull());
    EXPECT_EQ(first->getValue("n"), base::Value("one"));
}

TEST_F(KestrelFileCacheTest, NamesFromOutsideNeverLeaveTheCacheFolder) {
    char const* const names[] = {"../../x", "a/b", "", "..", ".", "/etc/passwd", "a\\b", "%2F",
        "name with spaces", "\xC3\xA9t\xC3\xA9"};
    auto cache = KestrelFileCache::initWithApiKey("../KEY", "5/3");
    for (auto name : names) {
        auto path = cache->save(base::Value(std::string("for ") + name), name);
        ASSERT_TRUE(path) << name;
        EXPECT_EQ(std::filesystem::path(*path).parent_path(), cacheFolder()) << name;
        EXPECT_EQ(cache->getValue(name), base::Value(std::string("for ") + name)) << name;
    }
    for (auto const& file : filesInSandbox())
        EXPECT_EQ(file.rfind("Library/Caches/Kestrel/kestrelCache_", 0), 0u) << file;
    // Distinct names keep distinct files.
    EXPECT_NE(cache->createFilePath("a/b"), cache->createFilePath("a%2Fb"));
    EXPECT_NE(cache->createFilePath("a/b"), cache->createFilePath("a_b"));
}

TEST_F(KestrelFileCacheTest, EscapingKeepsOnlyLettersDigitsUnderscoreAndHyphen) {
    struct Case {
        char const* text;
        char const* escaped;
    };
    Case const cases[] = {
        {"plain_Name-09", "plain_Name-09"},
        {"../x", "%2E%2E%2Fx"},
        {"a b", "a%20b"},
        {"%", "%25"},
        {"\xC3\xA9", "%C3%A9"},
        {"", ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(KestrelFileCache::escapedFileNamePart(c.text), c.escaped) << c.text;
}

TEST_F(KestrelFileCacheTest, ANameTooLongForAFileIsRefusedNotTruncated) {
    auto cache = KestrelFileCache::initWithApiKey("KEY1", "53");
    test::LogCapture log;
    analytics::KestrelUtil::setDebugLogEnabled(true);
    EXPECT_FALSE(cache->save(base::Value("x"), std::string(300, 'n')));
    EXPECT_TRUE(log.contains("cannot be saved to disk"));
    EXPECT_TRUE(filesInSandbox().empty());
}

TEST_F(KestrelFileCacheTest, DamagedOrOversizedArchivesReadAsNothing) {
    auto cache = KestrelFileCache::initWithApiKey("KEY1", "53");
    cache->createDirectoryPath();
    {
        std::ofstream damaged(cache->createFilePath("damaged"), std::ios::binary);
        damaged << "bplist00 not really";
    }
    EXPECT_TRUE(cache->getValue("damaged").isNull());
    EXPECT_EQ(cache->get<Note>("damaged"), nullptr);
    {
        std::ofstream huge(cache->createFilePath("huge"), std::ios::binary);
        huge.seekp(std::streamoff(KestrelFileCache::maximumArchiveSize) + 1);
        huge.put('x');
    }
    EXPECT_TRUE(cache->getValue("huge").isNull());
}

TEST_F(KestrelFileCacheTest, RemoveDeletesOneFileAndRemoveCacheTheFolder) {
    auto cache = KestrelFileCache::initWithApiKey("KEY1", "53");
    cache->save(base::Value("a"), "a");
    cache->save(base::Value("b"), "b");
    EXPECT_TRUE(cache->remove("a"));
    EXPECT_FALSE(cache->remove("a"));
    EXPECT_TRUE(cache->getValue("a").isNull());
    EXPECT_EQ(cache->getValue("b"), base::Value("b"));
    EXPECT_TRUE(cache->removeCache());
    EXPECT_FALSE(std::filesystem::exists(cacheFolder()));
    EXPECT_FALSE(cache->removeCache());
}

TEST_F(KestrelFileCacheTest, SharedInstanceIsMadeOnceAndKeepsItsFirstKey) {
    EXPECT_EQ(KestrelFileCache::instance(), nullptr);
    auto first = KestrelFileCache::createInstanceWithApiKey("KEY1", "53");
    auto second = KestrelFileCache::createInstanceWithApiKey("KEY2", "54");
    EXPECT_EQ(first, second);
    EXPECT_EQ(KestrelFileCache::instance(), first);
    EXPECT_EQ(second->apiKey(), "KEY1");
    EXPECT_EQ(second->agentVersion(), "53");
}
