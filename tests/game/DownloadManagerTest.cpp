// Downloads against a loopback server: saved files, every kind of failure reported to the
// delegates, names that would leave the data folder refused, one download per URL.

#include "ShellFixture.hpp"

#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <game/shell/DownloadManager.hpp>
#include <support/LoopbackServer.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class Listener final : public game::DownloadManagerDelegate {
public:
    void downloadDidFinish(std::string const& url, base::Bytes const& data) override {
        finished.push_back(url + " " + std::string(data.begin(), data.end()));
    }
    void downloadDidFail(std::string const& url) override { failed.push_back(url); }

    std::size_t heard() const { return finished.size() + failed.size(); }
    std::vector<std::string> finished;
    std::vector<std::string> failed;
};

class DownloadManagerTest : public test::ShellFixture {
protected:
    DownloadManagerTest() {
        game::DownloadManager::resetSharedManager();
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
        manager().addDelegate(&listener);
    }
    ~DownloadManagerTest() override {
        game::DownloadManager::resetSharedManager();
        foundation::Reachability::clearForcedStatus();
        foundation::RunLoop::main().reset();
    }

    static game::DownloadManager& manager() { return game::DownloadManager::sharedManager(); }
    bool waitForNews(std::size_t count) {
        return foundation::RunLoop::main().runUntil([&] { return listener.heard() >= count; }, 10);
    }
    std::filesystem::path saved(std::string const& name) const {
        return sandbox / "Library/Marrowby" / name;
    }
    static std::string read(std::filesystem::path const& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    test::LoopbackServer server;
    Listener listener;
};

TEST_F(DownloadManagerTest, AFinishedDownloadIsSavedUnderItsNameAndEveryDelegateIsTold) {
    server.route("GET", "/art/banner.png", test::HttpResponse::text("PNGDATA"));
    Listener second;
    manager().addDelegate(&second);
    manager().addDelegate(&second);
    auto url = server.url("/art/banner.png?v=3");
    ASSERT_TRUE(manager().downloadFile(url));
    ASSERT_TRUE(waitForNews(1));
    EXPECT_EQ(listener.finished, std::vector<std::string>({url + " PNGDATA"}));
    EXPECT_EQ(second.finished.size(), 2u) << "a delegate added twice is told twice";
    EXPECT_EQ(read(saved("banner.png")), "PNGDATA");
    EXPECT_EQ(manager().downloadCount(), 0u);
    manager().removeDelegate(&second);
    manager().removeDelegate(&second);
}

TEST_F(DownloadManagerTest, AGivenNameIsUsedAndARequestOnlyKeepsTheDataInMemory) {
    server.route("GET", "/a", test::HttpResponse::text("first"));
    server.route("GET", "/b", test::HttpResponse::text("second"));
    ASSERT_TRUE(manager().downloadFile(server.url("/a"), "list.plist"));
    ASSERT_TRUE(manager().requestURL(server.url("/b")));
    ASSERT_TRUE(waitForNews(2));
    EXPECT_EQ(read(saved("list.plist")), "first");
    EXPECT_FALSE(std::filesystem::exists(saved("b")));
    EXPECT_EQ(listener.finished.size(), 2u);
}

TEST_F(DownloadManagerTest, EveryFailureReachesTheDelegatesAndSavesNothing) {
    struct Case {
        char const* name;
        test::HttpResponse reply;
    };
    for (auto const& c : {Case {"404", test::HttpResponse::text("missing", 404)},
             Case {"500", test::HttpResponse::text("server error page", 500)},
             Case {"dropped", test::HttpResponse::dropped()}}) {
        SCOPED_TRACE(c.name);
        listener.failed.clear();
        listener.finished.clear();
        auto path = std::string("/") + c.name + ".png";
        server.route("GET", path, c.reply);
        auto url = server.url(path);
        ASSERT_TRUE(manager().downloadFile(url));
        ASSERT_TRUE(waitForNews(1));
        EXPECT_EQ(listener.failed, std::vector<std::string>({url}));
        EXPECT_TRUE(listener.finished.empty());
        EXPECT_FALSE(std::filesystem::exists(saved(std::string(c.name) + ".png")));
        EXPECT_FALSE(manager().isDownloading(url)) << "the URL can be asked for again at once";
    }
}

TEST_F(DownloadManagerTest, ABodyCutShortIsAFailure) {
    auto reply = test::HttpResponse::text("only part");
    reply.announcedLength = 1000;
    server.route("GET", "/cut.png", reply);
    ASSERT_TRUE(manager().downloadFile(server.url("/cut.png")));
    ASSERT_TRUE(waitForNews(1));
    EXPECT_EQ(listener.failed.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(saved("cut.png")));
}

TEST_F(DownloadManagerTest, NamesThatWouldLeaveTheDataFolderAreRefusedBeforeAnythingIsSent) {
    server.route("GET", "/x", test::HttpResponse::text("evil"));
    for (std::string name :
        {"../escape.png", "..", ".", "", "a/b.png", "/etc/passwd", "..\\win.png"}) {
        EXPECT_FALSE(manager().downloadFile(server.url("/x"), name)) << name;
    }
    // Names taken from the URL are checked the same way.
    EXPECT_FALSE(manager().downloadFile(server.url("/files/..")));
    EXPECT_FALSE(manager().downloadFile(server.url("/")));
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(sandbox / "Library/escape.png"));
    EXPECT_FALSE(game::DownloadManager::saveData({'x'}, "../escape.png"));
    EXPECT_FALSE(std::filesystem::exists(sandbox / "Library/escape.png"));
}

TEST_F(DownloadManagerTest, ASecondRequestForTheSameURLIsRefusedWhileTheFirstRuns) {
    auto gate = std::make_shared<test::Gate>();
    test::HttpResponse held;
    held.pieces.push_back({"late", 0, gate});
    server.route("GET", "/slow.png", held);
    auto url = server.url("/slow.png");
    ASSERT_TRUE(manager().downloadFile(url));
    EXPECT_FALSE(manager().downloadFile(url));
    EXPECT_FALSE(manager().requestURL(url));
    EXPECT_EQ(manager().downloadCount(), 1u);
    gate->open();
    ASSERT_TRUE(waitForNews(1));
    EXPECT_EQ(listener.finished.size(), 1u);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(DownloadManagerTest, WithoutNetworkNothingStarts) {
    foundation::Reachability::setForcedStatus(
        foundation::Reachability::NetworkStatus::NotReachable);
    EXPECT_FALSE(manager().downloadFile(server.url("/a.png")));
    EXPECT_EQ(manager().downloadCount(), 0u);
}

TEST_F(DownloadManagerTest, TheFileNameOfAURLIsTheLastComponentOfItsPath) {
    struct Case {
        char const* url;
        char const* name;
    };
    for (auto const& c : {Case {"http://h/a/b/banner.png", "banner.png"},
             Case {"http://h/banner.png?x=/y", "banner.png"}, Case {"http://h/p#frag/x", "p"},
             Case {"http://h", ""}, Case {"http://h/", ""}, Case {"http://h/dir/", ""}}) {
        EXPECT_EQ(game::DownloadManager::fileNameOfURL(c.url), c.name) << c.url;
    }
}

}
