#include <ads/meridian/MERVideoCache.hpp>

#include "MeridianTestSupport.hpp"

#include <foundation/PropertyList.hpp>
#include <support/LoopbackServer.hpp>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

using ads::meridian::MERJSONAd;
using ads::meridian::MERURLDownload;
using ads::meridian::MERVideoCache;
using test::HttpResponse;

namespace fs = std::filesystem;

namespace {

std::string video(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

std::string contentsOf(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream out;
    out << in.rdbuf();
    return out.str();
}

class Outcome final : public ads::meridian::MERURLDownloadDelegate {
public:
    explicit Outcome(MERVideoCache* cache = nullptr)
        : cache_(cache) { }
    void downloadDidFinish(MERURLDownload& download) override {
        events.push_back("finish");
        if (cache_)
            cache_->downloadDidFinish(download);
    }
    void downloadDidFail(MERURLDownload& download, foundation::URLError const& error) override {
        events.push_back("fail " + std::to_string(error.code));
        if (cache_)
            cache_->downloadDidFail(download, error);
    }
    std::vector<std::string> events;

private:
    MERVideoCache* cache_;
};

class MERVideoCacheTest : public test::MeridianTest {
protected:
    MERVideoCacheTest() { configure(server.baseURL()); }

    base::Ref<MERJSONAd> adFor(std::string const& id, std::string const& path,
        std::string const& expiration = "2027-01-01 00:00:00 +0000") {
        auto json = R"({"type":"video","video":{"id":")" + id + R"(","content-url":")"
            + server.url(path) + R"(","expiration":")" + expiration + R"("}})";
        return MERJSONAd::initWithJSONAd(
            foundation::ByteView(reinterpret_cast<std::uint8_t const*>(json.data()), json.size()),
            nullptr);
    }
    void waitFor(Outcome const& outcome, std::size_t events) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return outcome.events.size() >= events; }, 20));
    }
    // Every file under the sandbox's root, relative to it.
    std::vector<std::string> filesOutsideTheFolder() const {
        std::vector<std::string> found;
        auto folder = fs::path(MERVideoCache::folderPath());
        for (auto const& entry : fs::recursive_directory_iterator(home.path())) {
            if (entry.is_regular_file() && entry.path().parent_path() != folder)
                found.push_back(fs::relative(entry.path(), home.path()).string());
        }
        return found;
    }

    test::LoopbackServer server;
};

}

TEST_F(MERVideoCacheTest, ADroppedBodyIsContinuedWithARangeAndGivesTheExactFile) {
    auto content = video(200000);
    std::atomic<int> calls {0};
    server.route("GET", "/v.mp4", [&](test::HttpRequest const& request) {
        if (++calls == 1) {
            HttpResponse cut;
            cut.body(content.substr(0, 70000));
            cut.announcedLength = content.size();
            return cut;
        }
        return test::LoopbackServer::ranged(content)(request);
    });
    auto cache = MERVideoCache::initWithAd(adFor("vid-1", "/v.mp4"));
    Outcome outcome(cache.get());
    cache->startOrFinishDownloadWithDelegate(&outcome);
    waitFor(outcome, 1);
    EXPECT_TRUE(outcome.events[0].starts_with("fail")) << outcome.events[0];
    EXPECT_FALSE(fs::exists(cache->localPath()));
    EXPECT_FALSE(cache->isDownloadComplete());

    cache->startOrFinishDownloadWithDelegate(&outcome);
    waitFor(outcome, 2);
    EXPECT_EQ(outcome.events[1], "finish");
    EXPECT_EQ(server.requests()[1].headers.get("Range"), "bytes=70000-");
    EXPECT_EQ(contentsOf(cache->localPath()), content);
    EXPECT_TRUE(cache->isDownloadComplete());
    // The record and the marker are written.
    auto again = MERVideoCache::loadFromArchive("vid-1");
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isDownloadComplete());
    auto marker
        = foundation::PropertyList::dictionaryWithContentsOfFile(MERVideoCache::markerPath());
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->objectForKey("needToPlayVideo"), base::Value("vid-1"));
}

TEST_F(MERVideoCacheTest, AWholeReplyToARangeRewritesTheFileAndOtherStatusesLeaveIt) {
    auto content = video(5000);
    auto path = (home / "clip.mp4").string();
    {
        std::ofstream part(path + MERURLDownload::partExtension, std::ios::binary);
        part << content.substr(0, 1000);
    }
    struct Case {
        HttpResponse response;
        char const* outcome;
        std::string expected;
    };
    std::vector<Case> cases {
        {HttpResponse::text("gone", 404), "fail 1", content.substr(0, 1000)},
        {HttpResponse::text("busy", 503), "fail 1", content.substr(0, 1000)},
        // A 206 for another range than asked is not appended.
        {HttpResponse::text(content.substr(10), 206).header("Content-Range", "bytes 10-4999/5000"),
            "fail 1", content.substr(0, 1000)},
        {HttpResponse::text(content, 200, "video/mp4"), "finish", content},
    };
    for (auto& c : cases) {
        server.route("GET", "/clip.mp4", c.response);
        Outcome outcome;
        auto download = MERURLDownload::initWithURL(server.url("/clip.mp4"), path, &outcome);
        EXPECT_FALSE(download->isFirstDownload());
        waitFor(outcome, 1);
        EXPECT_EQ(outcome.events[0], c.outcome);
        EXPECT_EQ(server.requests().back().headers.get("Range"), "bytes=1000-");
        auto kept
            = std::string(c.outcome) == "finish" ? path : path + MERURLDownload::partExtension;
        EXPECT_EQ(contentsOf(kept), c.expected) << c.outcome;
    }
}

TEST_F(MERVideoCacheTest, ABodyOverTheLimitIsCancelledAndLeavesNothing) {
    auto configuration = ads::meridian::MERConfiguration::current();
    configuration.maximumVideoBytes = 4096;
    ads::meridian::MERConfiguration::setUp(configuration);
    server.route("GET", "/big.mp4", HttpResponse::text(video(100000), 200, "video/mp4"));
    auto cache = MERVideoCache::initWithAd(adFor("big", "/big.mp4"));
    Outcome outcome(cache.get());
    cache->startOrFinishDownloadWithDelegate(&outcome);
    waitFor(outcome, 1);
    EXPECT_TRUE(outcome.events[0] == "fail 2" || outcome.events[0] == "fail -1103")
        << outcome.events[0];
    EXPECT_FALSE(fs::exists(cache->localPath()));
    EXPECT_FALSE(fs::exists(cache->localPath() + MERURLDownload::partExtension));
}

TEST_F(MERVideoCacheTest, AVideoIdCannotNameAFileOutsideTheFolder) {
    auto content = video(3000);
    server.route("GET", "/x", HttpResponse::text(content, 200, "video/mp4"));
    for (std::string id : {"../../x", "/etc/passwd", "a/b", "..", ""}) {
        auto cache = MERVideoCache::initWithAd(adFor(id, "/x"));
        EXPECT_EQ(
            fs::path(cache->localPath()).parent_path(), fs::path(MERVideoCache::folderPath()));
        Outcome outcome(cache.get());
        cache->startOrFinishDownloadWithDelegate(&outcome);
        waitFor(outcome, 1);
        EXPECT_EQ(outcome.events[0], "finish") << id;
        ASSERT_TRUE(MERVideoCache::cacheExists(id)) << id;
    }
    EXPECT_EQ(filesOutsideTheFolder(), std::vector<std::string> {});
}

TEST_F(MERVideoCacheTest, FileNamesComeFromTheIdsHashAndAKnownExtension) {
    struct Case {
        char const* path;
        char const* extension;
    };
    for (auto const& c : std::initializer_list<Case> {{"/v.mp4", "mp4"}, {"/v.MOV?x=1", "mov"},
             {"/v.m4v", "m4v"}, {"/v.exe", "mp4"}, {"/v", "mp4"}, {"/v.mp4/../a.sh", "mp4"}}) {
        auto cache = MERVideoCache::initWithAd(adFor("id-9", c.path));
        EXPECT_EQ(fs::path(cache->localPath()).filename().string(),
            MERVideoCache::baseNameForVideo("id-9") + "." + c.extension)
            << c.path;
    }
    EXPECT_EQ(MERVideoCache::baseNameForVideo("id-9").size(), 32u);
}

TEST_F(MERVideoCacheTest, ExpiredRecordsArePrunedWithTheirFiles) {
    auto write = [&](std::string const& id, std::string const& expiration) {
        auto cache = MERVideoCache::initWithAd(adFor(id, "/v.mp4", expiration));
        std::ofstream(cache->localPath()) << "video";
        cache->save();
        return cache->localPath();
    };
    // The clock stands at 2026-01-01.
    auto old = write("old", "2025-12-31 23:59:00 +0000");
    auto fresh = write("fresh", "2026-01-02 00:00:00 +0000");
    auto never = MERVideoCache::initWithAd(adFor("never", "/v.mp4", "not a date"));
    never->save();
    EXPECT_EQ(MERVideoCache::cachedVideoPaths().size(), 3u);
    for (auto const& path : MERVideoCache::cachedVideoPaths())
        EXPECT_EQ(fs::path(path).extension(), ".merarchive");

    MERVideoCache::removeExpiredCaches();
    EXPECT_FALSE(MERVideoCache::cacheExists("old"));
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(MERVideoCache::cacheExists("fresh"));
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_TRUE(MERVideoCache::cacheExists("never"));

    clock->advance(2 * 86400);
    MERVideoCache::removeExpiredCaches();
    EXPECT_FALSE(MERVideoCache::cacheExists("fresh"));
    EXPECT_TRUE(MERVideoCache::cacheExists("never"));
}

TEST_F(MERVideoCacheTest, PlaysAreCountedAndArchived) {
    auto cache = MERVideoCache::initWithAd(adFor("counted", "/v.mp4"));
    EXPECT_EQ(cache->numPlays(), std::nullopt);
    cache->incrementNumPlaysBy(1);
    cache->incrementNumPlaysBy(2);
    cache->save();
    EXPECT_EQ(MERVideoCache::loadFromArchive("counted")->numPlays(), 3);
    // A file that went away makes the record incomplete whatever it says.
    EXPECT_FALSE(cache->isDownloadComplete());
}

TEST_F(MERVideoCacheTest, ANewAdForTheSameVideoKeepsTheBuiltButtonsWhenTheyMatch) {
    auto makeAd = [&](char const* component) {
        auto json = std::string(R"({"type":"video","video":{"id":"b","content-url":")")
            + server.url("/v.mp4") + R"(","buttons":[{"title":"Go","url":"http://t.test/go",
            "component":")"
            + component + R"("}]}})";
        return MERJSONAd::initWithJSONAd(
            foundation::ByteView(reinterpret_cast<std::uint8_t const*>(json.data()), json.size()),
            nullptr);
    };
    auto first = makeAd("one");
    first->downloadButtons();
    auto built = first->videoButtons()[0];
    auto cache = MERVideoCache::initWithAd(first);
    auto second = makeAd("two");
    cache->updateWithNewAd(second);
    EXPECT_EQ(&cache->ad(), second.get());
    EXPECT_EQ(second->videoButtons()[0].get(), built.get());
    EXPECT_EQ(built->component(), "two");
    EXPECT_TRUE(MERVideoCache::cacheExists("b"));
}
