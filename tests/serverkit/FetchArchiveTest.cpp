#include "ServerKitFixture.hpp"

#include <serverkit/FetchArchive.hpp>

#include <support/LogCapture.hpp>

#include <foundation/Digest.hpp>
#include <foundation/PropertyList.hpp>
#include <toolkit/zip/ZipFile.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

using serverkit::FetchArchive;
using test::HttpResponse;
namespace fs = std::filesystem;

namespace {

// One "dlc.plist" entry; keys named in without are left out.
base::Value description(std::string const& id, std::string const& version,
    std::string const& type = "theme", std::set<std::string> const& without = {}) {
    auto data = base::Dictionary::create();
    data->setObject("levelCap", 10);
    std::vector<std::pair<std::string, base::Value>> fields {
        {"dlc_id", id},
        {"dlc_cost", 25},
        {"dlc_cost_type", "pp"},
        {"dlc_data", data},
        {"dlc_desc", "A description of " + id},
        {"dlc_name", "Content " + id},
        {"dlc_type", type},
        {"dlc_ver", version},
    };
    auto entry = base::Dictionary::create();
    for (auto const& [key, value] : fields) {
        if (!without.contains(key))
            entry->setObject(key, value);
    }
    return entry;
}

std::string plistText(base::Value const& value) {
    auto bytes = foundation::PropertyList::dataWithPropertyList(
        value, foundation::PropertyList::Format::XML);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

std::string readFile(fs::path const& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file under folder with its contents, so a test can tell that nothing changed.
std::map<std::string, std::string> snapshot(fs::path const& folder) {
    std::map<std::string, std::string> files;
    for (auto const& entry : fs::recursive_directory_iterator(folder)) {
        auto name = fs::relative(entry.path(), folder).string();
        files[name] = entry.is_directory() ? "<folder>" : readFile(entry.path());
    }
    return files;
}

class FetchArchiveTest : public test::ServerKitTest {
protected:
    FetchArchiveTest() {
        FetchArchive::setCacheClearer([this] { ++cacheClears; });
    }
    ~FetchArchiveTest() override { FetchArchive::setCacheClearer({}); }

    // A zip archive holding files (entry name to contents), made with ZipFile.
    std::string makeArchive(std::vector<std::pair<std::string, std::string>> const& files) {
        auto path = work / "made.zip";
        auto zip = toolkit::zip::ZipFile::create();
        EXPECT_TRUE(zip->CreateZipFile2(path.string()));
        int n = 0;
        for (auto const& [name, contents] : files) {
            auto source = work / ("source" + std::to_string(n++));
            std::ofstream(source, std::ios::binary) << contents;
            EXPECT_TRUE(zip->addFileToZip(source.string(), name));
        }
        EXPECT_TRUE(zip->CloseZipFile2());
        return readFile(path);
    }

    // The usual archive of entry uid: its description and one file of content.
    std::string contentArchive(
        std::string const& uid, std::string const& version, std::string const& type = "theme") {
        auto list = base::Array::create();
        list->add(description(uid, version, type));
        return makeArchive({{"dlc.plist", plistText(list)},
            {"content_" + uid + ".txt", "content " + uid + " v" + version}});
    }

    // Serves bytes at /dlc/<uid>-<version>.zip and gives the list entry naming it.
    base::Value serve(std::string const& uid, std::string const& version, std::string const& type,
        std::string const& bytes) {
        auto path = "/dlc/" + uid + "-" + version + ".zip";
        server.http().route("GET", path, HttpResponse::text(bytes, 200, "application/zip"));
        return listEntry(uid, version, type, path,
            foundation::Digest::hashHex(foundation::Digest::Algorithm::MD5, test::bytesOf(bytes)));
    }
    base::Value listEntry(std::string const& uid, std::string const& version,
        std::string const& type, std::string const& path, std::string const& md5) {
        auto entry = base::Dictionary::create();
        entry->setObject("uid", uid);
        entry->setObject("ver", version);
        entry->setObject("type", type);
        entry->setObject("link", server.http().url(path));
        entry->setObject("md5", md5);
        return entry;
    }
    base::Value serveContent(
        std::string const& uid, std::string const& version, std::string const& type = "theme") {
        return serve(uid, version, type, contentArchive(uid, version, type));
    }

    void writeList(std::vector<base::Value> const& entries) {
        ASSERT_TRUE(foundation::PropertyList::writeToFile(
            base::Array::create(entries), (dataFolder() / "dlclist.plist").string()));
    }

    void fetch(base::Ref<FetchArchive> call) {
        seen.clear();
        server.http().clearRequests();
        connect().callAPIMethod(call);
        ASSERT_TRUE(runUntilIdle());
    }

    std::vector<std::string> downloads() {
        std::vector<std::string> paths;
        for (auto const& request : server.http().requests()) {
            if (request.method == "GET")
                paths.push_back(request.path);
        }
        return paths;
    }

    // The fetch notifications seen: "false", "true" or "fail".
    std::vector<std::string> fetchNotifications() const {
        std::vector<std::string> found;
        for (auto const& notification : seen) {
            if (notification.name == "qbykit_fetch_fail_notification") {
                found.push_back("fail");
                EXPECT_TRUE(notification.userInfo.dictionary()->objectForKey("error").dictionary());
            } else if (notification.name == "qbykit_fetch_notification") {
                found.push_back(
                    notification.userInfo.dictionary()->objectForKey("complete").boolValue()
                        ? "true"
                        : "false");
            }
        }
        return found;
    }

    base::Ref<base::Array> unpacked() const {
        return foundation::PropertyList::arrayWithContentsOfFile(
            (dataFolder() / "unpacked.plist").string());
    }
    std::vector<std::string> installedKeys() const {
        std::vector<std::string> keys;
        if (auto list = unpacked()) {
            for (auto const& entry : *list)
                keys.push_back(entry.dictionary()->objectForKey("uid").stringValue() + "@"
                    + entry.dictionary()->objectForKey("ver").stringValue());
        }
        return keys;
    }

    test::TempDir work;
    int cacheClears {0};
};

}

TEST_F(FetchArchiveTest, SevenNewEntriesInstallFiveThenTheOtherTwo) {
    std::vector<base::Value> list;
    for (int i = 1; i <= 7; ++i)
        list.push_back(serveContent(std::to_string(i), "1"));
    writeList(list);

    auto call = FetchArchive::apicall();
    fetch(call);
    EXPECT_EQ(downloads(),
        std::vector<std::string>(
            {"/dlc/1-1.zip", "/dlc/2-1.zip", "/dlc/3-1.zip", "/dlc/4-1.zip", "/dlc/5-1.zip"}));
    EXPECT_EQ(installedKeys(),
        std::vector<std::string>({"dlc_1@1", "dlc_2@1", "dlc_3@1", "dlc_4@1", "dlc_5@1"}));
    EXPECT_EQ(fetchNotifications(),
        std::vector<std::string>({"false", "false", "false", "false", "false", "true"}));
    for (auto const& notification : seen)
        EXPECT_EQ(notification.sender, call.get());
    EXPECT_EQ(cacheClears, 5);

    fetch(FetchArchive::apicall());
    EXPECT_EQ(downloads(), std::vector<std::string>({"/dlc/6-1.zip", "/dlc/7-1.zip"}));
    EXPECT_EQ(fetchNotifications(), std::vector<std::string>({"false", "false", "true"}));
    EXPECT_EQ(installedKeys().size(), 7u);

    std::set<std::string> files;
    for (auto const& entry : fs::directory_iterator(dataFolder()))
        files.insert(entry.path().filename().string());
    std::set<std::string> expected {"dlclist.plist", "unpacked.plist"};
    for (int i = 1; i <= 7; ++i)
        expected.insert("content_" + std::to_string(i) + ".txt");
    EXPECT_EQ(files, expected) << "no archive, description or staging folder left behind";
    EXPECT_EQ(readFile(dataFolder() / "content_7.txt"), "content 7 v1");

    auto installed = unpacked();
    ASSERT_TRUE(installed);
    auto expectedEntry = base::Dictionary::create();
    auto data = base::Dictionary::create();
    data->setObject("levelCap", 10);
    for (auto const& [key, value] :
        std::vector<std::pair<std::string, base::Value>> {{"uid", "dlc_1"}, {"cost", 25},
            {"cost_type", "pp"}, {"data", data}, {"desc", "A description of 1"},
            {"name", "Content 1"}, {"type", "theme"}, {"ver", "1"}})
        expectedEntry->setObject(key, value);
    EXPECT_EQ(installed->at(0), base::Value(expectedEntry));
}

TEST_F(FetchArchiveTest, AnInstalledVersionIsSkippedAndAChangedOneReplacesIt) {
    writeList({serveContent("4", "1")});
    fetch(FetchArchive::apicall());
    ASSERT_EQ(installedKeys(), std::vector<std::string>({"dlc_4@1"}));

    fetch(FetchArchive::apicall());
    EXPECT_EQ(downloads(), std::vector<std::string>());
    EXPECT_EQ(fetchNotifications(), std::vector<std::string>({"true"}));

    writeList({serveContent("4", "2")});
    fetch(FetchArchive::apicall());
    EXPECT_EQ(downloads(), std::vector<std::string>({"/dlc/4-2.zip"}));
    EXPECT_EQ(installedKeys(), std::vector<std::string>({"dlc_4@2"}));
    EXPECT_EQ(readFile(dataFolder() / "content_4.txt"), "content 4 v2");
}

TEST_F(FetchArchiveTest, ModesChooseTheEntriesTheyFetch) {
    struct Case {
        base::Ref<FetchArchive> (*make)();
        std::vector<std::string> fetched;
    };
    std::vector<Case> const cases {
        {[] { return FetchArchive::apicallWithType("theme"); }, {"/dlc/1-1.zip", "/dlc/3-1.zip"}},
        {[] { return FetchArchive::apicallWithType("vip"); }, {"/dlc/4-1.zip"}},
        {[] { return FetchArchive::apicallWithID("dlc_2"); }, {"/dlc/2-1.zip"}},
        {[] { return FetchArchive::apicallWithID("2"); }, {}},
        {[] { return FetchArchive::apicallWithID("dlc_9"); }, {}},
    };
    std::vector<base::Value> list {serveContent("1", "1", "theme"), serveContent("2", "1", "level"),
        serveContent("3", "1", "theme"), serveContent("4", "1", "vip")};
    for (auto const& c : cases) {
        fs::remove(dataFolder() / "unpacked.plist");
        writeList(list);
        fetch(c.make());
        EXPECT_EQ(downloads(), c.fetched);
        EXPECT_EQ(installedKeys().size(), c.fetched.size());
    }
    EXPECT_EQ(FetchArchive::apicallWithType("vip")->fetchMode(), 1);
    EXPECT_EQ(FetchArchive::apicallWithID("dlc_1")->fetchMode(), 2);
    EXPECT_EQ(FetchArchive::apicall()->fetchMode(), 0);
}

// A bad archive first, a good one after it. Downloads that fail end the call with
// the data folder as it was; archives that are merely bad are dropped, leaving the
// data folder and "unpacked.plist" as they were, and the fetch goes on.
TEST_F(FetchArchiveTest, BadArchivesLeaveTheDataFolderAsItWas) {
    struct Case {
        std::string name;
        std::function<base::Value()> badEntry;
        bool endsCall;
    };
    std::vector<Case> const cases {
        {"wrong MD5",
            [this] {
                auto entry = serveContent("1", "1");
                entry.dictionary()->setObject("md5", std::string(32, '0'));
                return entry;
            },
            false},
        {"upper-case MD5",
            [this] {
                auto entry = serveContent("1", "1");
                auto md5 = entry.dictionary()->objectForKey("md5").stringValue();
                for (auto& c : md5)
                    c = char(std::toupper(static_cast<unsigned char>(c)));
                entry.dictionary()->setObject("md5", md5);
                return entry;
            },
            false},
        {"not a zip archive", [this] { return serve("1", "1", "theme", "not a zip archive"); },
            false},
        {"../x",
            [this] {
                return serve("1", "1", "theme",
                    makeArchive({{"dlc.plist", plistText(base::Array::create())},
                        {"fine.txt", "fine"}, {"../x", "escaped"}}));
            },
            false},
        {"unpacked.plist",
            [this] {
                return serve("1", "1", "theme",
                    makeArchive({{"content_1.txt", "x"}, {"unpacked.plist", "<plist/>"}}));
            },
            false},
        {"dlclist.plist",
            [this] {
                return serve("1", "1", "theme",
                    makeArchive({{"content_1.txt", "x"}, {"dlclist.plist", "<plist/>"}}));
            },
            false},
        {"a link that is no web address",
            [this] {
                auto entry = serveContent("1", "1");
                entry.dictionary()->setObject("link", "file:///etc/passwd");
                return entry;
            },
            false},
        {"404",
            [this] {
                return listEntry("1", "1", "theme", "/dlc/missing.zip", std::string(32, '0'));
            },
            true},
        {"dropped connection",
            [this] {
                server.http().route("GET", "/dlc/dropped.zip", HttpResponse::dropped());
                return listEntry("1", "1", "theme", "/dlc/dropped.zip", std::string(32, '0'));
            },
            true},
        {"cut short",
            [this] {
                auto bytes = contentArchive("1", "1");
                auto response = HttpResponse::text(bytes.substr(0, bytes.size() / 2));
                response.announcedLength = bytes.size();
                server.http().route("GET", "/dlc/short.zip", response);
                return listEntry("1", "1", "theme", "/dlc/short.zip",
                    foundation::Digest::hashHex(
                        foundation::Digest::Algorithm::MD5, test::bytesOf(bytes)));
            },
            true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dataFolder());
        fs::create_directories(dataFolder());
        // Something installed before, to see that it stays.
        writeList({serveContent("7", "1")});
        fetch(FetchArchive::apicall());
        ASSERT_EQ(installedKeys(), std::vector<std::string>({"dlc_7@1"}));

        auto bad = c.badEntry();
        auto good = serveContent("2", "1");
        writeList({bad, good});
        auto before = snapshot(dataFolder());
        fetch(FetchArchive::apicall());

        EXPECT_FALSE(fs::exists(folder / "x")) << "nothing outside the data folder";
        if (c.endsCall) {
            EXPECT_EQ(fetchNotifications(), std::vector<std::string>({"fail"}));
            auto paths = downloads();
            EXPECT_EQ(std::count(paths.begin(), paths.end(), "/dlc/2-1.zip"), 0)
                << "the archives still pending are not fetched";
            EXPECT_EQ(snapshot(dataFolder()), before);
        } else {
            EXPECT_EQ(fetchNotifications(), std::vector<std::string>({"false", "true"}));
            EXPECT_EQ(installedKeys(), std::vector<std::string>({"dlc_7@1", "dlc_2@1"}));
            auto after = snapshot(dataFolder());
            EXPECT_EQ(after.erase("content_2.txt"), 1u);
            after.erase("unpacked.plist");
            before.erase("unpacked.plist");
            EXPECT_EQ(after, before) << "only the good archive's file came";
        }
    }
}

TEST_F(FetchArchiveTest, AnUpdateOfATwoEntryArchiveLeavesNoDuplicates) {
    auto archive = [this](std::string const& version) {
        auto list = base::Array::create();
        list->add(description("5", version, "level"));
        list->add(description("6", version, "vip"));
        return makeArchive({{"dlc.plist", plistText(list)}, {"pack.txt", "pack " + version}});
    };
    writeList({serve("5", "1", "level", archive("1"))});
    fetch(FetchArchive::apicall());
    ASSERT_EQ(installedKeys(), std::vector<std::string>({"dlc_5@1", "dlc_6@1"}));

    writeList({serve("5", "2", "level", archive("2"))});
    fetch(FetchArchive::apicall());
    EXPECT_EQ(installedKeys(), std::vector<std::string>({"dlc_5@2", "dlc_6@2"}));
    EXPECT_EQ(readFile(dataFolder() / "pack.txt"), "pack 2");
}

TEST_F(FetchArchiveTest, ADescriptionMissingAKeyIsSkippedWithALogLine) {
    auto list = base::Array::create();
    list->add(description("1", "1", "theme", {"dlc_cost"}));
    list->add(description("2", "1"));
    list->add("not a dictionary");
    writeList({serve("1", "1", "theme", makeArchive({{"dlc.plist", plistText(list)}}))});
    test::LogCapture log;
    fetch(FetchArchive::apicall());
    EXPECT_EQ(installedKeys(), std::vector<std::string>({"dlc_2@1"}));
    EXPECT_TRUE(log.contains("has no dlc_cost; skipped"));
}

TEST_F(FetchArchiveTest, AnArchiveWithoutADescriptionLeavesItsFilesAndRecordsNothing) {
    writeList({serve("1", "1", "theme", makeArchive({{"sub/file.txt", "file"}}))});
    fetch(FetchArchive::apicall());
    EXPECT_EQ(readFile(dataFolder() / "sub/file.txt"), "file");
    ASSERT_TRUE(unpacked());
    EXPECT_TRUE(unpacked()->empty());
    EXPECT_EQ(fetchNotifications(), std::vector<std::string>({"false", "true"}));
    EXPECT_EQ(cacheClears, 1);
}

TEST_F(FetchArchiveTest, WithoutASavedListTheCallEndsAtOnce) {
    test::LogCapture log;
    fetch(FetchArchive::apicall());
    EXPECT_EQ(fetchNotifications(), std::vector<std::string>({"true"}));
    EXPECT_EQ(downloads(), std::vector<std::string>());
    EXPECT_TRUE(log.contains("WARNING - dlclist is not available on disk. Aborting FetchArchive."));
    EXPECT_FALSE(fs::exists(dataFolder() / "unpacked.plist"));
}

TEST(FetchArchiveLists, PendingEntriesTakeAtMostFiveAndSkipMalformedOnes) {
    auto list = base::Array::create();
    list->add("not a dictionary");
    for (int i = 1; i <= 8; ++i) {
        auto entry = base::Dictionary::create();
        entry->setObject("uid", i); // a number, as the server may send it
        entry->setObject("ver", "1");
        entry->setObject("type", "theme");
        entry->setObject("link", i == 2 ? "" : "http://127.0.0.1/x.zip");
        list->add(entry);
    }
    auto installed = base::Array::create();
    auto entry = base::Dictionary::create();
    entry->setObject("uid", "dlc_3");
    entry->setObject("ver", "1");
    installed->add(entry);
    auto pending = FetchArchive::pendingEntries(list, installed, 0, {});
    std::vector<std::string> uids;
    for (auto const& value : *pending)
        uids.push_back(value.dictionary()->objectForKey("uid").stringValue());
    EXPECT_EQ(uids, std::vector<std::string>({"1", "4", "5", "6", "7"}));
    EXPECT_TRUE(FetchArchive::pendingEntries(base::Value("x"), installed, 0, {})->empty());
}
