#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXVideo.hpp>
#include <ads/bountix/BountixConnect.hpp>

#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <toolkit/xml/XDoc.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using ads::bountix::BountixConnect;
using ads::bountix::BTXVideoManager;
using ads::bountix::BTXVideoObject;
using test::HttpResponse;
using toolkit::xml::XDoc;

namespace fs = std::filesystem;

namespace {

struct Offer {
    std::string id;
    std::string videoURL;
};

std::string videoElement(Offer const& offer) {
    return "<BountixVideo><Buttons><Button><Name>Get</Name><URL>https://store/" + offer.id
        + "</URL></Button></Buttons><VideoURL>" + offer.videoURL + "</VideoURL><Amount>5</Amount>"
        + "<OfferID>" + offer.id + "</OfferID><ClickURL>https://click/" + offer.id
        + "</ClickURL><Name>Video " + offer.id
        + "</Name><CurrencyName>Gems</CurrencyName><IconURL>https://icon/" + offer.id
        + "</IconURL></BountixVideo>";
}

std::string videoList(std::vector<Offer> const& offers) {
    std::string reply = "<BountixVideos>";
    for (auto const& offer : offers)
        reply += videoElement(offer);
    return reply + "</BountixVideos>";
}

std::string readFile(fs::path const& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The offer-wall client connected, its video folder under the sandbox's data folder,
// and the primary server serving the list and the videos ("/v/<name>" answers
// "video <name>").
class BTXVideoManagerTest : public test::BountixTest {
protected:
    BTXVideoManagerTest() {
        BTXVideoManager::resetShared();
        BountixConnect::sharedBountixConnect().initConnectWithAppID(AppID, SecretKey);
        for (char const* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4", "e.mp4"})
            primary.route("GET", std::string("/v/") + name,
                HttpResponse::text(std::string("video ") + name, 200, "video/mp4"));
    }
    ~BTXVideoManagerTest() override { BTXVideoManager::resetShared(); }

    static BTXVideoManager& manager() { return BTXVideoManager::sharedBTXVideoManager(); }
    static fs::path folder() { return BTXVideoManager::videoFolder(); }
    std::string video(std::string const& name) const { return primary.url("/v/" + name); }

    // The offer cached before the list comes: its file in the folder and its entry.
    void cache(Offer const& offer, fs::path location = {}) {
        if (location.empty())
            location = folder() / fs::path(offer.videoURL).filename();
        fs::create_directories(location.parent_path());
        std::ofstream(location) << "old " << offer.id;
        auto document = XDoc::xdocWithXMLString(videoElement(offer));
        auto object = BTXVideoObject::initWithXDoc(document->rootXMLElement());
        object->dataLocation = location.string();
        manager().setCachedVideoObjectDict(object->getDictionary(), offer.id);
    }

    // Asks for the list and runs until it and every download it started have ended.
    void fetchList(std::vector<Offer> const& offers, int cacheCount = 0) {
        primary.route("GET", "/videos", HttpResponse::text(videoList(offers)));
        BountixConnect::initVideoAdWithDelegate(nullptr);
        if (cacheCount)
            BountixConnect::setVideoCacheCount(cacheCount);
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [] {
                auto* fetcher = manager().requestHandler().myFetcher();
                return (!fetcher || !fetcher->isRunning()) && !manager().isDownloading();
            },
            20));
    }

    std::set<std::string> cachedIDs() const {
        std::set<std::string> ids;
        if (auto cached = manager().getCachedVideoDictonary())
            for (auto const& id : cached->keys())
                ids.insert(id);
        return ids;
    }
    std::set<std::string> uncachedIDs() const {
        std::set<std::string> ids;
        auto uncached = foundation::UserDefaults::standardUserDefaults().dictionaryForKey(
            "BTX_UNCACHED_VIDEO_DICT");
        if (uncached)
            for (auto const& id : uncached->keys())
                ids.insert(id);
        return ids;
    }
    std::set<std::string> files() const {
        std::set<std::string> names;
        if (fs::is_directory(folder()))
            for (auto const& entry : fs::directory_iterator(folder()))
                names.insert(entry.path().filename().string());
        return names;
    }
    std::vector<std::string> videoRequests() const {
        std::vector<std::string> paths;
        for (auto const& request : primary.requests())
            if (request.path.starts_with("/v/"))
                paths.push_back(request.path);
        return paths;
    }
};

}

TEST_F(BTXVideoManagerTest, ANewListKeepsListedVideosDropsTheRestAndFillsTheCache) {
    struct Case {
        char const* name;
        std::vector<std::string> cached;
        std::vector<std::string> listed;
        int cacheCount;
        std::vector<std::string> downloaded;
        std::set<std::string> filesAfter;
        std::set<std::string> uncached;
    };
    for (auto const& c : {
             Case {"empty cache", {}, {"a", "b"}, 0, {"/v/a.mp4", "/v/b.mp4"}, {"a.mp4", "b.mp4"},
                 {"a", "b"}},
             Case {"a cached offer listed again", {"a"}, {"a", "b"}, 0, {"/v/b.mp4"},
                 {"a.mp4", "b.mp4"}, {"b"}},
             Case {"a cached offer no longer listed", {"a", "b"}, {"b", "c"}, 0, {"/v/c.mp4"},
                 {"b.mp4", "c.mp4"}, {"c"}},
             Case {"only up to the count", {}, {"a", "b", "c", "d"}, 2, {"/v/a.mp4", "/v/b.mp4"},
                 {"a.mp4", "b.mp4"}, {"a", "b", "c", "d"}},
             Case {"a full cache downloads nothing", {"a", "b"}, {"a", "b", "c"}, 2, {},
                 {"a.mp4", "b.mp4"}, {"c"}},
             Case {"an empty list empties the cache", {"a", "b"}, {}, 0, {}, {}, {}},
         }) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder());
        foundation::UserDefaults::standardUserDefaults().removeObjectForKey(
            "BTX_CACHED_VIDEO_DICT");
        BTXVideoManager::resetShared();
        primary.clearRequests();
        for (auto const& id : c.cached)
            cache({id, video(id + ".mp4")});
        std::vector<Offer> list;
        for (auto const& id : c.listed)
            list.push_back({id, video(id + ".mp4")});
        // The count is set after the list was asked for, as a host does after starting.
        fetchList(list, c.cacheCount);
        EXPECT_EQ(videoRequests(), c.downloaded);
        EXPECT_EQ(files(), c.filesAfter);
        std::set<std::string> cachedNow;
        for (auto const& name : c.filesAfter)
            cachedNow.insert(name.substr(0, name.find('.')));
        EXPECT_EQ(cachedIDs(), cachedNow);
        EXPECT_EQ(uncachedIDs(), c.uncached);
        for (auto const& id : c.cached) {
            if (c.filesAfter.count(id + ".mp4")) {
                EXPECT_EQ(readFile(folder() / (id + ".mp4")), "old " + id) << "replaced " << id;
            }
        }
        for (auto const& path : c.downloaded)
            EXPECT_EQ(readFile(folder() / fs::path(path).filename()),
                "video " + fs::path(path).filename().string());
    }
}

TEST_F(BTXVideoManagerTest, AVideoIsSavedOnlyFromAWholeSuccessfulReplyUnderANameInsideTheFolder) {
    primary.route("GET", "/v/missing.mp4", HttpResponse::text("<html>not here</html>", 404));
    primary.route("GET", "/v/big.mp4", HttpResponse::text(std::string(5000, 'x'), 200));
    struct Case {
        char const* name;
        std::string url;
        bool requested;
    };
    for (auto const& c : {Case {"a 404", video("missing.mp4"), true},
             Case {"too large", video("big.mp4"), true}, Case {"a relative URL", "../x", false},
             Case {"a name that climbs", video(".."), false}, Case {"no name", video(""), false},
             Case {"not the web", "file:///etc/passwd", false}}) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder());
        BTXVideoManager::resetShared();
        manager().setMaximumVideoSize(1000);
        primary.clearRequests();
        fetchList({{"bad", c.url}, {"good", video("a.mp4")}});
        auto requested = videoRequests();
        EXPECT_EQ(!requested.empty() && requested.front() != "/v/a.mp4", c.requested);
        EXPECT_FALSE(cachedIDs().count("bad"));
        EXPECT_FALSE(fs::exists(dir.path() / "x"));
        EXPECT_FALSE(fs::exists(folder() / "missing.mp4"));
        EXPECT_FALSE(fs::exists(folder() / "big.mp4"));
        // A failed download ends the chain; an offer that cannot be fetched is passed over.
        EXPECT_EQ(cachedIDs().count("good"), c.requested ? 0u : 1u);
        for (auto const& name : files())
            EXPECT_EQ(name, "a.mp4");
    }
}

TEST_F(BTXVideoManagerTest, OnlyFilesInsideTheVideoFolderAreDeleted) {
    auto outside = dir.path() / "Documents" / "save.dat";
    cache({"gone", video("gone.mp4")}, outside);
    cache({"sneaky", video("s.mp4")}, folder() / ".." / "s.mp4");
    cache({"old", video("b.mp4")});
    fetchList({});
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_TRUE(fs::exists(folder().parent_path() / "s.mp4"));
    EXPECT_FALSE(fs::exists(folder() / "b.mp4"));
    EXPECT_TRUE(cachedIDs().empty());
}

TEST_F(BTXVideoManagerTest, AnOfferReadsEveryFieldAndMissingOnesAsEmpty) {
    auto document = XDoc::xdocWithXMLString(
        "<BountixVideo><Buttons><Button><Name>One</Name><URL>u1</URL></Button><Button><Name>Two"
        "</Name></Button></Buttons><VideoURL>https://h/path/clip.mp4</VideoURL><Amount>7"
        "</Amount><OfferID>o1</OfferID><ClickURL>c</ClickURL><Name>Clip</Name><CurrencyName>"
        "Gems</CurrencyName><IconURL></IconURL></BountixVideo>");
    auto offer = BTXVideoObject::initWithXDoc(document->rootXMLElement());
    auto dictionary = offer->getDictionary();
    EXPECT_EQ(dictionary->objectForKey("BTX_VIDEO_OBJ_FILENAME").stringValue(), "clip.mp4");
    EXPECT_EQ(dictionary->objectForKey("BTX_VIDEO_OBJ_ICON_URL").stringValue(), "NO_ICON");
    EXPECT_EQ(dictionary->objectForKey("BTX_VIDEO_OBJ_CURRENCY_AMOUNT").stringValue(), "7");
    EXPECT_EQ(dictionary->objectForKey("BTX_VIDEO_OBJ_NAME").stringValue(), "Clip");
    EXPECT_EQ(dictionary->objectForKey("BTX_VIDEO_OBJ_OFFER_ID").stringValue(), "o1");
    EXPECT_FALSE(dictionary->contains("BTX_VIDEO_OBJ_DATA_LOCATION"));
    auto const* buttons = dictionary->objectForKey("BTX_VIDEO_OBJ_BUTTONS").array();
    ASSERT_TRUE(buttons);
    ASSERT_EQ(buttons->size(), 2u);
    EXPECT_EQ(buttons->at(0).dictionary()->objectForKey("BTX_VIDEO_BUTTON_LABEL_KEY").stringValue(),
        "One");
    EXPECT_EQ(
        buttons->at(1).dictionary()->objectForKey("BTX_VIDEO_BUTTON_URL_KEY").stringValue(), "");

    auto bare = BTXVideoObject::initWithXDoc(
        XDoc::xdocWithXMLString("<BountixVideo><VideoURL>https://h/dir/</VideoURL></BountixVideo>")
            ->rootXMLElement());
    EXPECT_EQ(bare->offerID, "");
    EXPECT_EQ(bare->videoFilename, "");
    EXPECT_EQ(bare->buttons->size(), 0u);
    EXPECT_EQ(bare->iconURL, "NO_ICON");
}

TEST_F(BTXVideoManagerTest, TheCacheCountTakesOnlyPositiveNumbersAndStartingSetsFive) {
    BountixConnect::setVideoCacheCount(3);
    BountixConnect::setVideoCacheCount(0);
    BountixConnect::setVideoCacheCount(-2);
    EXPECT_EQ(manager().videoCacheCount(), 3);
    fetchList({});
    EXPECT_EQ(manager().videoCacheCount(), 5);
    auto list = primary.requests();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].path, "/videos");
    EXPECT_NE(list[0].query.find("&publisher_user_id=install-0001"), std::string::npos);
}

TEST_F(BTXVideoManagerTest, AWatchedVideoIsReportedOnlyAfterAnAcceptedClick) {
    primary.route("GET", "/connect", HttpResponse::text("<BountixConnectReturnObject/>"));
    struct Case {
        char const* name;
        HttpResponse click;
        bool reported;
    };
    for (auto const& c : {Case {"OK", HttpResponse::text("OK"), true},
             Case {"not OK", HttpResponse::text("NO"), false},
             Case {"OK with more", HttpResponse::text("OK\n"), false},
             Case {"OK but an error status", HttpResponse::text("OK", 500), false}}) {
        SCOPED_TRACE(c.name);
        primary.route("GET", "/click", c.click);
        primary.clearRequests();
        auto& handler = manager().requestHandler();
        handler.recordVideoClickWithURL(primary.url("/click?offer=o1&x=%20"));
        EXPECT_FALSE(handler.clickSuccessful());
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return !handler.myFetcher()->isRunning(); }, 20));
        EXPECT_EQ(handler.clickSuccessful(), c.reported);
        ASSERT_GE(primary.requests().size(), 1u);
        EXPECT_EQ(primary.requests()[0].target, "/click?offer=o1&x=%20");
        handler.requestVideoCompleteWithOfferID("o1");
        foundation::RunLoop::main().runUntil([&] { return !handler.myFetcher()->isRunning(); }, 20);
        std::size_t reports = 0;
        for (auto const& request : primary.requests())
            if (request.path == "/connect") {
                ++reports;
                EXPECT_NE(request.query.find("app_id=o1"), std::string::npos);
            }
        EXPECT_EQ(reports, c.reported ? 1u : 0u);
    }
}
