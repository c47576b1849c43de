#include "StoreFixture.hpp"

#include <game/store/BFDLCSystem.hpp>
#include <game/store/BFExtensionSystem.hpp>
#include <game/store/QBYAPI2ListDLC.hpp>

#include <support/GameServerStandIn.hpp>
#include <support/LoopbackServer.hpp>

#include <foundation/NotificationCenter.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <serverkit/QBYConnect.hpp>
#include <toolkit/json/JSONDecoder.hpp>

#include <sqlite3.h>

#include <filesystem>

namespace fs = std::filesystem;
using game::BFDLCSystem;
using test::HttpResponse;
using test::UPKSpec;

namespace {

// The system against the stand-in game server, with packages served by a loopback
// server, and every notification of the list call and the system recorded.
class BFDLCSystemTest : public test::StoreFixture {
protected:
    BFDLCSystemTest() {
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
        serverkit::QBYConnect::resetSharedManager();
        fs::create_directories(work / "data");
        serverkit::QBYConnect::sharedManager().setConfiguration(
            {gameServer.host(), "udid-1", (work / "data").string(), "", ""});
        extensions = game::BFExtensionSystem::initWithPackageManager(*manager);
        system = BFDLCSystem::initWithPackageManager(*manager, *extensions);
        foundation::NotificationCenter::defaultCenter().addObserver(
            this, "", [this](foundation::Notification const& notification) {
                auto const& name = notification.name();
                if (name.starts_with("DLCSYS_") || name.starts_with("qbykit_listdlc"))
                    seen.push_back(name);
                if (name.starts_with("DLCSYS_")) {
                    EXPECT_EQ(notification.object(), system.get());
                }
                if (name.starts_with("qbykit_listdlc"))
                    listInfo.push_back(notification.userInfo());
            });
    }
    ~BFDLCSystemTest() override {
        foundation::NotificationCenter::defaultCenter().removeObserver(this);
        system = nullptr;
        serverkit::QBYConnect::resetSharedManager();
        foundation::Reachability::clearForcedStatus();
    }

    // Installs package id at version, with a "dlc.plist" saying active unless told
    // otherwise (no "dlc.plist" at all with a null flag).
    void install(std::string const& id, std::int64_t version, std::optional<bool> active = true) {
        UPKSpec spec;
        spec.id = id;
        spec.version = version;
        spec.files = {{"a.png", id + "/a.png", id}};
        if (active)
            spec.files.push_back({"dlc.plist", id + "/dlc.plist", statusFile(*active)});
        ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(spec)));
    }
    std::string statusFile(bool active) {
        auto source = work / "status.plist";
        EXPECT_TRUE(foundation::PropertyList::writeToFile(
            base::Dictionary::create({{"active", active}}), source.string()));
        return read(source);
    }

    // Runs the main loop until one of the system's final notifications is seen.
    bool runUntilSeen(char const* name, double timeout = 20) {
        return foundation::RunLoop::main().runUntil(
            [&] { return std::find(seen.begin(), seen.end(), name) != seen.end(); }, timeout);
    }
    void refresh() {
        seen.clear();
        system->checkForDLC();
        ASSERT_TRUE(runUntilSeen(BFDLCSystem::ListReadyNotification));
    }

    std::vector<std::string> ids(std::vector<base::Ref<game::UPKPackage>> const& packages) {
        std::vector<std::string> result;
        for (auto const& package : packages)
            result.push_back(package->packageID);
        return result;
    }
    std::vector<std::string> availableIds() {
        std::vector<std::string> result;
        for (auto const& entry : system->availableList())
            result.push_back(entry.dictionary()
                    ? entry.dictionary()->objectForKey("package_id").stringValue()
                    : entry.description());
        return result;
    }

    test::GameServerStandIn gameServer;
    test::LoopbackServer files;
    base::Ref<game::BFExtensionSystem> extensions;
    base::Ref<BFDLCSystem> system;
    std::vector<std::string> seen;
    std::vector<base::Value> listInfo;
};

using Ids = std::vector<std::string>;

// An extension that notes in the test's list when it is configured and started.
class NotingExtension final : public game::BFExtension {
public:
    void addConfiguration(base::Ref<base::Dictionary>) override { seen_->push_back("configured"); }
    void start() override { seen_->push_back("started"); }

private:
    friend base::Factory;
    explicit NotingExtension(std::vector<std::string>* seen)
        : seen_(seen) { }
    std::vector<std::string>* seen_;
};

}

TEST_F(BFDLCSystemTest, TheServerListSortsIntoAvailableUpdateAndInstalled) {
    struct Case {
        char const* list;
        Ids installed;
        Ids update;
        Ids available;
    };
    Case const cases[] = {
        {R"([{"package_id":"p2","version_code":3}])", {"plain"}, {"p2"}, {}},
        {R"([{"package_id":"p2","version_code":2}])", {"p2", "plain"}, {}, {}},
        {R"([{"package_id":"p2","version_code":1}])", {"p2", "plain"}, {}, {}},
        {R"([{"package_id":"p9","version_code":1}])", {"p2", "plain"}, {}, {"p9"}},
        // A package without a "dlc.plist" is not one of the system's.
        {R"([{"package_id":"nodlc","version_code":1}])", {"p2", "plain"}, {}, {"nodlc"}},
        {R"([{"package_id":"p9"},{"package_id":"p2","version_code":"3"},{"package_id":"plain","version_code":5}])",
            {}, {"p2", "plain"}, {"p9"}},
        {R"([7,{"version_code":3}])", {"p2", "plain"}, {}, {"7", ""}},
        {R"({"package_id":"p2"})", {"p2", "plain"}, {}, {}},
        {R"([])", {"p2", "plain"}, {}, {}},
    };
    install("p2", 2);
    install("plain", 1);
    install("nodlc", 1, std::nullopt);
    for (auto const& c : cases) {
        SCOPED_TRACE(c.list);
        seen.clear();
        gameServer.setDLCList(c.list);
        refresh();
        EXPECT_EQ(ids(system->installedList()), c.installed);
        EXPECT_EQ(ids(system->updateList()), c.update);
        EXPECT_EQ(availableIds(), c.available);
        EXPECT_EQ(seen, Ids({"qbykit_listdlc_notification", "DLCSYS_LIST_READY_NOTIFICATION"}));
    }
    auto sorted = BFDLCSystem::sortServerList(base::Value(), system->installedList());
    EXPECT_TRUE(sorted.available.empty() && sorted.update.empty() && sorted.deprecated.empty());
}

TEST_F(BFDLCSystemTest, ADeprecatedPackageIsRemovedAndTheListAskedAgain) {
    install("p2", 2);
    install("p3", 1);
    gameServer.setDLCList(
        R"([{"package_id":"p2","version_code":2,"deprecated":true},{"package_id":"p3","version_code":1}])");
    refresh();
    EXPECT_EQ(gameServer.methods(), Ids({"listdlc", "listdlc"}));
    EXPECT_EQ(seen,
        Ids({"qbykit_listdlc_notification", "qbykit_listdlc_notification",
            "DLCSYS_LIST_READY_NOTIFICATION"}));
    EXPECT_FALSE(system->isDLCPackageInstalled("p2"));
    EXPECT_FALSE(fs::exists(caches() / "p2/a.png"));
    EXPECT_EQ(availableIds(), Ids({"p2"}));
    EXPECT_EQ(ids(system->installedList()), Ids({"p3"}));
}

TEST_F(BFDLCSystemTest, ADeprecatedPackageThatCannotBeRemovedStartsNoFurtherList) {
    install("p2", 2);
    // The database refuses every deletion.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((caches() / "PackageManager.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                  "CREATE TRIGGER keep BEFORE DELETE ON UPKPackage "
                  "BEGIN SELECT RAISE(ABORT, 'kept'); END;",
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);

    gameServer.setDLCList(R"([{"package_id":"p2","version_code":2,"deprecated":true}])");
    refresh();
    foundation::RunLoop::main().runUntil(nullptr, 0.3);
    EXPECT_EQ(gameServer.methods(), Ids({"listdlc"}));
    EXPECT_EQ(seen, Ids({"qbykit_listdlc_notification", "DLCSYS_LIST_READY_NOTIFICATION"}));
    EXPECT_TRUE(system->isDLCPackageInstalled("p2"));
    EXPECT_EQ(ids(system->installedList()), Ids({"p2"}));
}

TEST_F(BFDLCSystemTest, EachRefreshAppliesThePackagesOwnActiveFlag) {
    install("off", 1, false);
    install("on", 1, true);
    refresh();
    EXPECT_FALSE(system->isDLCPackageActive("off"));
    EXPECT_TRUE(system->isDLCPackageActive("on"));
    EXPECT_EQ(manager->pathForResource("a.png"), (caches() / "on/a.png").string());

    system->setDLCPackageWithID("off", true);
    EXPECT_TRUE(system->isDLCPackageActive("off"));
    EXPECT_EQ(manager->pathForResource("a.png"), (caches() / "on/a.png").string())
        << "installed last, it still wins";
    system->setDLCPackageWithID("on", false);
    EXPECT_EQ(manager->pathForResource("a.png"), (caches() / "off/a.png").string());
    refresh();
    EXPECT_FALSE(system->isDLCPackageActive("off"));
    EXPECT_TRUE(system->isDLCPackageActive("on"));
    EXPECT_EQ(manager->pathForResource("a.png"), (caches() / "on/a.png").string());

    // An unreadable "dlc.plist" leaves the flag as it is.
    write(caches() / "off/dlc.plist", "garbage");
    system->setDLCPackageWithID("off", true);
    refresh();
    EXPECT_TRUE(system->isDLCPackageActive("off"));
}

TEST_F(BFDLCSystemTest, TheListCallAnnouncesEveryReplyOnce) {
    auto saved = toolkit::json::objectFromJSONString(R"([{"package_id":"x"}])");
    serverkit::QBYConnect::sharedManager().setObject(saved, serverkit::QBYKeys::ListDLCDataStore);
    auto call = game::QBYAPI2ListDLC::apicall();
    EXPECT_EQ(
        serverkit::QBYConnect::sharedManager().objectForKey(serverkit::QBYKeys::ListDLCDataStore),
        saved)
        << "a list already held stays";
    for (char const* reply : {"", "[1,"}) {
        SCOPED_TRACE(reply);
        seen.clear();
        listInfo.clear();
        gameServer.reply("listdlc", reply);
        serverkit::QBYConnect::sharedManager().callAPIMethod(game::QBYAPI2ListDLC::apicall());
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return !seen.empty(); }, 20));
        foundation::RunLoop::main().runUntil(nullptr, 0.1);
        EXPECT_EQ(seen, Ids({"qbykit_listdlc_notification"}));
        EXPECT_EQ(listInfo.at(0), saved);
        EXPECT_EQ(serverkit::QBYConnect::sharedManager().objectForKey(
                      serverkit::QBYKeys::ListDLCDataStore),
            saved);
    }
    EXPECT_EQ(gameServer.calls().at(0).method, "listdlc");
    EXPECT_FALSE(gameServer.calls().at(0).sig) << "unsigned";
    EXPECT_FALSE(fs::exists(work / "data/dlclist.plist")) << "no list file";

    serverkit::QBYConnect::resetSharedManager();
    serverkit::QBYConnect::sharedManager().setConfiguration(
        {gameServer.host(), "udid-1", "", "", ""});
    call = game::QBYAPI2ListDLC::apicall();
    EXPECT_EQ(
        serverkit::QBYConnect::sharedManager().objectForKey(serverkit::QBYKeys::ListDLCDataStore),
        base::Value(base::Array::create()));
}

TEST_F(BFDLCSystemTest, AFailedListCallLeavesTheListsAndPostsNoReady) {
    install("p2", 2);
    gameServer.setDLCList(R"([{"package_id":"p9","version_code":1}])");
    refresh();
    seen.clear();
    gameServer.reply("listdlc", HttpResponse::dropped());
    system->checkForDLC();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return !seen.empty(); }, 20));
    EXPECT_EQ(seen, Ids({"qbykit_listdlc_fail_notification"}));
    auto const* info = listInfo.back().dictionary();
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->objectForKey("listdlc_error").dictionary());
    EXPECT_EQ(availableIds(), Ids({"p9"}));
    EXPECT_EQ(ids(system->installedList()), Ids({"p2"}));
}

TEST_F(BFDLCSystemTest, DownloadsAnnounceStartThenTheirEnd) {
    UPKSpec good;
    good.id = "fresh";
    good.files
        = {{"a.png", "fresh/a.png", "fresh a"}, {"dlc.plist", "fresh/dlc.plist", statusFile(true)}};
    auto upk = read(makeUPK(good));
    UPKSpec foreign = good;
    foreign.appID = "net.other.salon";
    auto foreignUPK = read(makeUPK(foreign));

    HttpResponse chunked;
    chunked.chunked = true;
    chunked.body(upk.substr(0, upk.size() / 2)).body(upk.substr(upk.size() / 2));
    struct Case {
        char const* name;
        HttpResponse response;
        std::uint64_t limit;
        Ids notifications;
        bool installs;
    };
    Ids const ready = {"DLCSYS_DL_START_NOTIFICATION", "qbykit_listdlc_notification",
        "DLCSYS_LIST_READY_NOTIFICATION"};
    Ids const failed = {"DLCSYS_DL_START_NOTIFICATION", "DLCSYS_DL_FAIL_NOTIFICATION"};
    std::vector<Case> cases = {
        {"404", HttpResponse::text("missing", 404), 0, failed, false},
        {"dropped", HttpResponse::dropped(), 0, failed, false},
        {"cut short", HttpResponse::text(upk).header("X", "y"), 0, failed, false},
        {"announced above the limit", HttpResponse::text(upk), upk.size() - 1, failed, false},
        {"streamed above the limit", chunked, upk.size() - 1, failed, false},
        {"refused package", HttpResponse::text(foreignUPK), 0, ready, false},
        {"200 at the limit", HttpResponse::text(upk), upk.size(), ready, true},
    };
    cases[2].response.announcedLength = upk.size() + 100;
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        files.route("GET", "/fresh.upk", c.response);
        system->setMaximumDownloadSize(c.limit);
        system->downloadDLCPackageFromURL(files.url("/fresh.upk"));
        EXPECT_TRUE(system->isDownloading());
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return seen.size() >= 2 && seen.back().find("qbykit") == std::string::npos; },
            20));
        foundation::RunLoop::main().runUntil(nullptr, 0.1);
        EXPECT_EQ(seen, c.notifications);
        EXPECT_FALSE(system->isDownloading());
        EXPECT_EQ(system->isDLCPackageInstalled("fresh"), c.installs);
        EXPECT_FALSE(
            fs::exists(fs::path(foundation::Sandbox::temporaryPath()) / "downloaded_package.upk"));
    }
    EXPECT_EQ(read(caches() / "fresh/a.png"), "fresh a");
    EXPECT_EQ(ids(system->installedList()), Ids({"fresh"}));
}

TEST_F(BFDLCSystemTest, ANewDownloadCancelsTheRunningOneAndCancellingPostsNothing) {
    auto gate = std::make_shared<test::Gate>();
    HttpResponse held;
    held.pieces.push_back({"never", 0, gate});
    files.route("GET", "/held.upk", held);
    system->downloadDLCPackageFromURL(files.url("/held.upk"));
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return files.requestCount() > 0; }, 10));
    system->cancelActiveDownload();
    EXPECT_FALSE(system->isDownloading());
    gate->open();
    foundation::RunLoop::main().runUntil(nullptr, 0.3);
    EXPECT_EQ(seen, Ids({"DLCSYS_DL_START_NOTIFICATION"}));
}

TEST_F(BFDLCSystemTest, ExtensionsStartAfterTheReadyNotification) {
    game::BFExtensionSystem::registerClass(
        "Noting", [this] { return base::make<NotingExtension>(&seen); });
    auto extension = base::Dictionary::create({{"extension_header",
        base::Dictionary::create({{"active", true}, {"class_name", "Noting"}})}});
    auto source = work / "extension.plist";
    ASSERT_TRUE(foundation::PropertyList::writeToFile(extension, source.string()));
    UPKSpec spec;
    spec.id = "ext";
    spec.files = {{"extension.plist", "ext/extension.plist", read(source)},
        {"dlc.plist", "ext/dlc.plist", statusFile(true)}};
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(spec)));

    refresh();
    EXPECT_EQ(seen,
        Ids({"qbykit_listdlc_notification", "DLCSYS_LIST_READY_NOTIFICATION", "configured",
            "started"}));
    seen.clear();
    system->setDLCPackageWithID("ext", false);
    EXPECT_FALSE(system->isDLCPackageActive("ext"));
    EXPECT_EQ(seen, Ids({"configured", "started"})) << "a change of the flag scans again";
    game::BFExtensionSystem::unregisterClass("Noting");
}
