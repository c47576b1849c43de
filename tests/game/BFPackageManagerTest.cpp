#include "StoreFixture.hpp"

#include <support/LogCapture.hpp>

#include <game/store/UPKManifest.hpp>

#include <sqlite3.h>

#include <filesystem>

namespace fs = std::filesystem;
using game::BFPackageManager;
using game::UPKPackage;
using test::UPKSpec;

namespace {

class BFPackageManagerTest : public test::StoreFixture {
protected:
    // A package "id" at version that installs a.png as a file of its own.
    static UPKSpec overriding(std::string id, std::int64_t version = 1) {
        UPKSpec spec;
        spec.id = id;
        spec.version = version;
        spec.files = {{"a.png", id + "/a.png", id + " a"}};
        return spec;
    }
};

}

TEST_F(BFPackageManagerTest, InstallsFilesUnderCachesAndRecordsThem) {
    UPKSpec spec;
    spec.priority = 5;
    spec.files = {{"a.png", "a.png", "new a"}, {"pics/c.png", "pics/deep/c.png", "new c"}};
    spec.extra = {{"unlisted.txt", "not installed"}};
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(spec)));

    EXPECT_EQ(read(caches() / "a.png"), "new a");
    EXPECT_EQ(read(caches() / "pics/deep/c.png"), "new c");
    EXPECT_FALSE(fs::exists(caches() / "unlisted.txt"));
    EXPECT_FALSE(fs::exists(caches() / "upk_temp")) << "staging is emptied after the install";
    EXPECT_FALSE(fs::exists(caches() / "upk_aside"));
    EXPECT_TRUE(fs::exists(caches() / "PackageManager.sqlite"));

    auto package = manager->getUPKPackageForID("pkg.one");
    ASSERT_TRUE(package);
    EXPECT_EQ(package->versionCode, 1);
    EXPECT_EQ(package->versionName, "v1");
    EXPECT_EQ(package->priority, 5);
    EXPECT_EQ(package->appID, AppID);
    EXPECT_EQ(package->appMinVer, "0");
    EXPECT_EQ(package->patchNotes, "");
    EXPECT_TRUE(package->active);
    EXPECT_EQ(databaseSnapshot(*manager),
        "pkg.one v1 on: a.png=a.png#" + md5("new a") + " pics/c.png=pics/deep/c.png#" + md5("new c")
            + "\n");
    EXPECT_EQ(manager->pathForResource("a.png"), (caches() / "a.png").string());
    EXPECT_EQ(manager->nameForResource("pics/c.png"), "pics/deep/c.png");

    // A manager made later finds the same database.
    auto again = BFPackageManager::create();
    EXPECT_EQ(databaseSnapshot(*again), databaseSnapshot(*manager));
}

TEST_F(BFPackageManagerTest, VersionRangesCompareNumerically) {
    struct Case {
        char const* app;
        char const* minVer;
        char const* maxVer;
        bool installs;
    };
    Case const cases[] = {
        {"1.10", "1.9", "0", true},
        {"1.8", "1.9", "0", false},
        {"1.9", "1.9", "1.9", true},
        {"1.10", "0", "1.9", false},
        {"1.8", "0", "1.9", true},
        {"1.8", "0", "0", true},
        {"2.0", "1.10", "1.10.1", false},
    };
    int n = 0;
    for (auto const& c : cases) {
        SCOPED_TRACE(std::string(c.app) + " in " + c.minVer + ".." + c.maxVer);
        setAppVersion(c.app);
        UPKSpec spec;
        spec.id = "range." + std::to_string(n++);
        spec.minVer = c.minVer;
        spec.maxVer = c.maxVer;
        spec.files = {{"k", spec.id, "x"}};
        EXPECT_EQ(manager->loadUPKFromPath(makeUPK(spec)), c.installs);
        EXPECT_EQ(bool(manager->getUPKPackageForID(spec.id)), c.installs);
    }
    EXPECT_EQ(BFPackageManager::compareVersionString("1.10", "1.9"), 1);
    EXPECT_EQ(BFPackageManager::compareVersionString("1.9", "1.10"), -1);
    EXPECT_EQ(BFPackageManager::compareVersionString("1.9", "1.9"), 0);
}

TEST_F(BFPackageManagerTest, OnlyAHigherVersionCodeInstalls) {
    struct Case {
        std::optional<std::int64_t> installed;
        std::int64_t offered;
        bool installs;
    };
    Case const cases[] = {
        {std::nullopt, 0, false},
        {std::nullopt, -1, false},
        {std::nullopt, 1, true},
        {3, 3, false},
        {3, 2, false},
        {3, 4, true},
    };
    int n = 0;
    for (auto const& c : cases) {
        SCOPED_TRACE(std::to_string(c.installed.value_or(0)) + " -> " + std::to_string(c.offered));
        std::string id = "code." + std::to_string(n++);
        if (c.installed) {
            UPKSpec old;
            old.id = id;
            old.version = *c.installed;
            old.files = {{"k" + id, id + "/old", "old"}};
            ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(old)));
        }
        UPKSpec offered;
        offered.id = id;
        offered.version = c.offered;
        offered.files = {{"k" + id, id + "/new", "new"}};
        EXPECT_EQ(manager->loadUPKFromPath(makeUPK(offered)), c.installs);
        auto package = manager->getUPKPackageForID(id);
        EXPECT_EQ(
            package ? package->versionCode : 0, c.installs ? c.offered : c.installed.value_or(0));
    }
}

TEST_F(BFPackageManagerTest, ANewerVersionReplacesTheOldOneAndItsFiles) {
    UPKSpec old;
    old.version = 3;
    old.files = {{"a.png", "a.png", "old a"}, {"gone.png", "gone.png", "old gone"}};
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(old)));
    manager->setPackage("pkg.one", false);
    EXPECT_EQ(manager->pathForResource("gone.png"), "gone.png");

    UPKSpec next;
    next.version = 4;
    next.files = {{"a.png", "a.png", "new a"}, {"b.png", "b2.png", "new b"}};
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(next)));
    EXPECT_EQ(read(caches() / "a.png"), "new a") << "the old version's own place is free to it";
    EXPECT_FALSE(fs::exists(caches() / "gone.png"));
    EXPECT_EQ(databaseSnapshot(*manager),
        "pkg.one v4 on: a.png=a.png#" + md5("new a") + " b.png=b2.png#" + md5("new b") + "\n");
    EXPECT_EQ(manager->pathForResource("b.png"), (caches() / "b2.png").string());
}

// Every refused package leaves the database and Caches as they were, and the version
// installed before still answers for its key.
TEST_F(BFPackageManagerTest, ARefusedPackageChangesNothing) {
    UPKSpec installed;
    installed.files = {{"a.png", "a.png", "v1 a"}};
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(installed)));
    write(caches() / "taken.png", "someone else's");
    write(caches() / "blocker", "a file where a folder would go");
    auto const path = (caches() / "a.png").string();
    EXPECT_EQ(manager->pathForResource("a.png"), path);

    struct Case {
        char const* name;
        UPKSpec spec;
        char const* why;
    };
    auto upgrade = [](std::vector<UPKSpec::File> files) {
        UPKSpec spec;
        spec.version = 2;
        spec.files = {{"a.png", "a.png", "v2 a"}};
        for (auto& file : files)
            spec.files.push_back(std::move(file));
        // The archive holds every file under a harmless name too.
        spec.extra = {{"b.png", "b"}};
        return spec;
    };
    std::vector<Case> cases = {
        {"upper-case hash", upgrade({{"b.png", "b.png", "b", "", false}}), "does not match"},
        {"missing file", upgrade({{"c.png", "c.png", "c", "", false}}), "is missing"},
        {"file climbing out", upgrade({{"b.png", "../b.png", "b", "", false}}), "leaves"},
        {"file climbing out deeper", upgrade({{"b.png", "x/../../../b.png", "b", "", false}}),
            "leaves"},
        {"absolute file", upgrade({{"b.png", "/tmp/b.png", "b", "", false}}), "leaves"},
        {"destination taken", upgrade({{"b.png", "taken.png", "b"}}), "is taken"},
        {"destination is the database", upgrade({{"b.png", "PackageManager.sqlite", "b"}}),
            "manager's own"},
        {"destination in staging", upgrade({{"b.png", "upk_temp/b.png", "b"}}), "manager's own"},
        {"same file twice", upgrade({{"b.png", "a.png", "v2 a"}}), "listed twice"},
        {"folder blocked by a file", upgrade({{"b.png", "blocker/b.png", "b"}}),
            "cannot be moved into place"},
        {"wrong application", upgrade({}), "made for"},
    };
    cases[0].spec.files[1].hash = md5("b");
    for (auto& c : cases[0].spec.files[1].hash)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    cases.back().spec.appID = "net.other.salon";

    auto database = databaseSnapshot(*manager);
    auto files = cachesSnapshot();
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        test::LogCapture log;
        EXPECT_FALSE(manager->loadUPKFromPath(makeUPK(c.spec)));
        EXPECT_TRUE(log.contains(c.why));
        EXPECT_EQ(databaseSnapshot(*manager), database);
        EXPECT_EQ(cachesSnapshot(), files);
        EXPECT_FALSE(fs::exists(fs::path("/tmp/b.png")) && read("/tmp/b.png") == "b");
        EXPECT_FALSE(fs::exists(caches().parent_path() / "b.png"));
        manager->clearCache();
        EXPECT_EQ(manager->pathForResource("a.png"), path);
        EXPECT_EQ(read(path), "v1 a");
    }
}

// The new records are written in one transaction after the files moved: when the
// database refuses them, the new files go and the old ones come back.
TEST_F(BFPackageManagerTest, AnUpgradeTheDatabaseRefusesRestoresTheOldVersion) {
    UPKSpec old;
    old.files = {{"a.png", "a.png", "v1 a"}, {"b.png", "old/b.png", "v1 b"}};
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(old)));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((caches() / "PackageManager.sqlite").c_str(), &db), SQLITE_OK);
    // Only the second record of the new version is refused, after the first went in.
    auto trigger = "CREATE TRIGGER refuse BEFORE INSERT ON UPKFileRecord WHEN NEW.fileHash = '"
        + md5("v2 c") + "' BEGIN SELECT RAISE(ABORT, 'no'); END;";
    ASSERT_EQ(sqlite3_exec(db, trigger.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    auto database = databaseSnapshot(*manager);
    auto files = cachesSnapshot();
    UPKSpec next;
    next.version = 2;
    next.files = {{"a.png", "a.png", "v2 a"}, {"c.png", "new/deep/c.png", "v2 c"}};
    test::LogCapture log;
    EXPECT_FALSE(manager->loadUPKFromPath(makeUPK(next)));
    EXPECT_TRUE(log.contains("cannot be recorded"));
    EXPECT_EQ(databaseSnapshot(*manager), database);
    EXPECT_EQ(cachesSnapshot(), files);
    EXPECT_EQ(manager->pathForResource("b.png"), (caches() / "old/b.png").string());
    EXPECT_EQ(read(manager->pathForResource("a.png")), "v1 a");
}

TEST_F(BFPackageManagerTest, ArchivesThatCannotBeReadAreRefused) {
    auto notZip = work / "junk.upk";
    write(notZip, "not a zip");
    EXPECT_FALSE(manager->loadUPKFromPath(notZip.string()));
    EXPECT_FALSE(manager->loadUPKFromPath((work / "absent.upk").string()));

    UPKSpec noManifest;
    auto archive = makeUPK(noManifest);
    // An archive whose manifest is not a property list of the right shape.
    UPKSpec broken;
    broken.extra = {{"manifest.plist", "<plist>"}};
    EXPECT_FALSE(manager->loadUPKFromPath(makeUPK(broken)));
    EXPECT_EQ(databaseSnapshot(*manager), "");
    EXPECT_FALSE(fs::exists(caches() / "upk_temp"));
    EXPECT_TRUE(manager->loadUPKFromPath(archive)) << "an empty manifest is a package of no files";
}

// A file left in staging by an earlier run is never taken for one of the package.
TEST_F(BFPackageManagerTest, StagingIsEmptiedBeforeEachInstall) {
    write(caches() / "upk_temp/a.png", "stale");
    UPKSpec spec;
    spec.files = {{"a.png", "a.png", "stale", "", false}};
    EXPECT_FALSE(manager->loadUPKFromPath(makeUPK(spec)));
    EXPECT_FALSE(fs::exists(caches() / "a.png"));
    EXPECT_FALSE(fs::exists(caches() / "upk_temp"));
}

TEST_F(BFPackageManagerTest, TheLastActiveInstalledPackageWinsAKey) {
    // Installed b, then a: insertion order, not the ids, decides.
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(overriding("b"))));
    auto fromA = (caches() / "a/a.png").string();
    auto fromB = (caches() / "b/a.png").string();
    EXPECT_EQ(manager->pathForResource("a.png"), fromB);
    EXPECT_EQ(manager->nameForResource("a.png"), "b/a.png");
    // Installing forgets what both caches held for the keys it brings.
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(overriding("a"))));
    EXPECT_EQ(manager->pathForResource("a.png"), fromA);
    EXPECT_EQ(manager->nameForResource("a.png"), "a/a.png");

    // Disabling drops what the caches held.
    manager->setPackage("a", false);
    EXPECT_FALSE(manager->isPackageEnabled("a"));
    EXPECT_EQ(manager->pathForResource("a.png"), fromB);
    EXPECT_EQ(manager->nameForResource("a.png"), "b/a.png");
    manager->setPackage("a", true);
    EXPECT_EQ(manager->pathForResource("a.png"), fromA);

    // Upgrading b records it anew, after a.
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(overriding("b", 2))));
    EXPECT_EQ(manager->pathForResource("a.png"), fromB);

    manager->setPackage("a", false);
    manager->setPackage("b", false);
    EXPECT_EQ(manager->pathForResource("a.png"), (bundlePath() / "a.png").string());
    EXPECT_EQ(manager->nameForResource("a.png"), "a.png");
}

TEST_F(BFPackageManagerTest, TheSmallestPriorityNeverWins) {
    auto never = overriding("never");
    never.priority = UPKPackage::NeverOverrides;
    auto low = overriding("low");
    low.priority = UPKPackage::NeverOverrides + 1;
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(low)));
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(never)));
    EXPECT_EQ(manager->pathForResource("a.png"), (caches() / "low/a.png").string());
    manager->setPackage("low", false);
    EXPECT_EQ(manager->pathForResource("a.png"), (bundlePath() / "a.png").string());
    EXPECT_TRUE(manager->isPackageEnabled("never"));
}

TEST_F(BFPackageManagerTest, PathsFallBackToDocumentsAbsolutePathsAndTheBundle) {
    write(documents() / "doc.png", "d");
    write(documents() / "a.png", "documents a");
    struct Case {
        char const* key;
        std::string path;
    };
    Case const cases[] = {
        {"doc.png", (documents() / "doc.png").string()},
        {"a.png", (documents() / "a.png").string()},
        {"b.png", (bundlePath() / "b.png").string()},
        {"/some/where/x.png", "/some/where/x.png"},
        {"nowhere.png", "nowhere.png"},
        {"../b.png", "../b.png"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(manager->pathForResource(c.key), c.path);
        EXPECT_EQ(manager->nameForResource(c.key), c.key);
    }
    // The Documents fallback is looked at each time; an override comes first.
    fs::remove(documents() / "doc.png");
    EXPECT_EQ(manager->pathForResource("doc.png"), "doc.png");
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(overriding("p"))));
    EXPECT_EQ(manager->pathForResource("a.png"), (caches() / "p/a.png").string());
}

TEST_F(BFPackageManagerTest, AWinnerMissingFromCachesIsLookedForInTheBundle) {
    UPKSpec spec;
    spec.files = {{"x.png", "b.png", "cached b"}, {"y.png", "y.png", "y"}};
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(spec)));
    fs::remove(caches() / "b.png");
    fs::remove(caches() / "y.png");
    EXPECT_EQ(manager->pathForResource("x.png"), (bundlePath() / "b.png").string());
    EXPECT_EQ(manager->pathForResource("y.png"), "y.png");
}

TEST_F(BFPackageManagerTest, RemovingDeletesRecordsAndFiles) {
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(overriding("p"))));
    EXPECT_EQ(manager->pathForResource("a.png"), (caches() / "p/a.png").string());
    EXPECT_TRUE(manager->removeUPKWithID("p"));
    EXPECT_FALSE(fs::exists(caches() / "p/a.png"));
    EXPECT_EQ(databaseSnapshot(*manager), "");
    EXPECT_EQ(manager->pathForResource("a.png"), (bundlePath() / "a.png").string());
    EXPECT_FALSE(manager->removeUPKWithID("p"));
}

TEST_F(BFPackageManagerTest, UnknownIdsAnswerNoAndAddNothing) {
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(overriding("p"))));
    auto before = databaseSnapshot(*manager);
    EXPECT_FALSE(manager->isPackageEnabled("q"));
    EXPECT_FALSE(manager->removeUPKWithID("q"));
    manager->setPackage("q", true);
    EXPECT_FALSE(manager->getUPKPackageForID("q"));
    EXPECT_EQ(databaseSnapshot(*manager), before);
}

TEST_F(BFPackageManagerTest, ADatabaseThatCannotBeOpenedAnswersNo) {
    manager = nullptr;
    fs::remove(caches() / "PackageManager.sqlite");
    write(caches() / "PackageManager.sqlite", std::string(4096, 'x'));
    test::LogCapture log;
    manager = BFPackageManager::create();
    EXPECT_FALSE(manager->isOpen());
    EXPECT_TRUE(log.contains("PackageManager.sqlite cannot be opened"));

    EXPECT_FALSE(manager->loadUPKFromPath(makeUPK(overriding("p"))));
    EXPECT_FALSE(fs::exists(caches() / "p/a.png"));
    EXPECT_FALSE(manager->getAllUPKPackages());
    EXPECT_FALSE(manager->getFileRecordsForKey("a.png"));
    EXPECT_FALSE(manager->getUPKPackageForID("p"));
    EXPECT_FALSE(manager->isPackageEnabled("p"));
    EXPECT_FALSE(manager->removeUPKWithID("p"));
    manager->setPackage("p", true);
    EXPECT_EQ(manager->pathForResource("a.png"), (bundlePath() / "a.png").string());
    EXPECT_EQ(read(caches() / "PackageManager.sqlite"), std::string(4096, 'x'));
}

TEST_F(BFPackageManagerTest, OneSharedManagerUntilReleased) {
    auto& shared = BFPackageManager::sharedManager();
    EXPECT_EQ(&shared, &BFPackageManager::sharedManager());
    EXPECT_TRUE(shared.isOpen());
    ASSERT_TRUE(shared.loadUPKFromPath(makeUPK(overriding("p"))));
    BFPackageManager::releaseManager();
    EXPECT_TRUE(BFPackageManager::sharedManager().isPackageEnabled("p"));
}

TEST_F(BFPackageManagerTest, HexIsLowerCase) {
    std::uint8_t const bytes[] = {0x00, 0xAB, 0x7f, 0xFF};
    EXPECT_EQ(BFPackageManager::hexStringWithNSData(foundation::ByteView(bytes, 4)), "00ab7fff");
}

TEST_F(BFPackageManagerTest, ManifestsOfTheWrongShapeAreRefused) {
    auto good = manifestOf(UPKSpec {.files = {{"k", "f", "c"}}});
    ASSERT_TRUE(game::UPKManifest::fromPropertyList(good));
    auto broken = [&](auto change) {
        auto copy = good->deepCopy();
        change(*copy);
        return game::UPKManifest::fromPropertyList(copy);
    };
    auto info = [](base::Dictionary& manifest) {
        return manifest.objectForKey("package_info").dictionary();
    };
    EXPECT_FALSE(broken([&](base::Dictionary& m) { info(m)->removeObjectForKey("package_id"); }));
    EXPECT_FALSE(broken([&](base::Dictionary& m) { info(m)->setObject("package_id", ""); }));
    EXPECT_FALSE(broken([&](base::Dictionary& m) { info(m)->setObject("version_code", "3"); }));
    EXPECT_FALSE(broken([&](base::Dictionary& m) { info(m)->setObject("target_minver", 1); }));
    EXPECT_FALSE(broken([&](base::Dictionary& m) { info(m)->setObject("priority", "high"); }));
    EXPECT_FALSE(broken([&](base::Dictionary& m) { m.setObject("package_manifest", "x"); }));
    EXPECT_FALSE(broken([&](base::Dictionary& m) {
        m.objectForKey("package_manifest")
            .dictionary()
            ->setObject("k", base::Dictionary::create({{"file", "f"}}));
    }));
    EXPECT_FALSE(game::UPKManifest::fromPropertyList(base::Array::create()));
}
