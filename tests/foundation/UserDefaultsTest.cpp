#include <foundation/UserDefaults.hpp>

#include "ScopedSandbox.hpp"
#include <foundation/AtomicFile.hpp>
#include <foundation/PropertyList.hpp>
#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using base::Value;
using foundation::PropertyList;
using foundation::UserDefaults;

namespace {

std::string standardFile(test::ScopedSandbox const& sandbox) {
    return sandbox / "Library/Preferences/com.quillaby.salon.plist";
}

}

TEST(UserDefaults, CoercesStoredValuesAsThePlatformDoes) {
    test::TempDir dir;
    UserDefaults defaults((dir / "prefs.plist").string());
    struct Case {
        char const* name;
        Value stored;
        std::optional<std::string> text;
        std::int64_t integer;
        double real;
        bool flag;
    };
    std::vector<Case> const cases = {
        {"decimal string", Value("42"), "42", 42, 42.0, true},
        {"negative string", Value("-7"), "-7", -7, -7.0, true},
        {"float string", Value("0.500000"), "0.500000", 0, 0.5, false},
        {"float string above one", Value("2.750000"), "2.750000", 2, 2.75, true},
        {"YES", Value("YES"), "YES", 0, 0.0, true},
        {"yes", Value("yes"), "yes", 0, 0.0, true},
        {"true", Value("true"), "true", 0, 0.0, true},
        {"one", Value("1"), "1", 1, 1.0, true},
        {"zero string", Value("0"), "0", 0, 0.0, false},
        {"NO", Value("NO"), "NO", 0, 0.0, false},
        {"words", Value("abc"), "abc", 0, 0.0, false},
        {"leading blanks", Value("  12abc"), "  12abc", 12, 12.0, true},
        {"empty string", Value(""), "", 0, 0.0, false},
        {"integer", Value(7), "7", 7, 7.0, true},
        {"zero", Value(0), "0", 0, 0.0, false},
        {"large integer", Value(std::int64_t(1) << 40), "1099511627776", std::int64_t(1) << 40,
            1099511627776.0, true},
        {"real", Value(2.75), "2.75", 2, 2.75, true},
        {"negative real", Value(-2.75), "-2.75", -2, -2.75, true},
        {"true", Value(true), "1", 1, 1.0, true},
        {"false", Value(false), "0", 0, 0.0, false},
        {"data", Value(base::Bytes {1, 2}), std::nullopt, 0, 0.0, false},
        {"date", Value(base::Date {5.0}), std::nullopt, 0, 0.0, false},
        {"array", Value(base::Array::create({Value(1)})), std::nullopt, 0, 0.0, false},
        {"dictionary", Value(base::Dictionary::create({{"a", Value(1)}})), std::nullopt, 0, 0.0,
            false},
    };
    for (auto const& c : cases) {
        ASSERT_TRUE(defaults.setObject(c.stored, "key")) << c.name;
        EXPECT_EQ(defaults.objectForKey("key"), c.stored) << c.name;
        EXPECT_EQ(defaults.stringForKey("key"), c.text) << c.name;
        EXPECT_EQ(defaults.integerForKey("key"), c.integer) << c.name;
        EXPECT_EQ(defaults.doubleForKey("key"), c.real) << c.name;
        EXPECT_EQ(defaults.floatForKey("key"), float(c.real)) << c.name;
        EXPECT_EQ(defaults.boolForKey("key"), c.flag) << c.name;
    }
}

TEST(UserDefaults, TellsAMissingKeyFromAStoredZero) {
    test::TempDir dir;
    UserDefaults defaults((dir / "prefs.plist").string());
    EXPECT_TRUE(defaults.objectForKey("DATA_MONEY").isNull());
    EXPECT_EQ(defaults.integerForKey("DATA_MONEY"), 0);
    EXPECT_FALSE(defaults.boolForKey("DATA_MONEY"));
    EXPECT_EQ(defaults.floatForKey("DATA_MONEY"), 0.0f);
    EXPECT_EQ(defaults.stringForKey("DATA_MONEY"), std::nullopt);
    EXPECT_FALSE(defaults.arrayForKey("DATA_MONEY"));
    EXPECT_FALSE(defaults.dictionaryForKey("DATA_MONEY"));
    EXPECT_EQ(defaults.dataForKey("DATA_MONEY"), std::nullopt);
    defaults.setInteger(0, "DATA_MONEY");
    EXPECT_EQ(defaults.objectForKey("DATA_MONEY"), Value(0));
    defaults.removeObjectForKey("DATA_MONEY");
    EXPECT_TRUE(defaults.objectForKey("DATA_MONEY").isNull());
    defaults.setObject(Value("x"), "DATA_MONEY");
    defaults.setObject(Value(), "DATA_MONEY");
    EXPECT_TRUE(defaults.objectForKey("DATA_MONEY").isNull());
}

TEST(UserDefaults, TypedSettersStoreNumbersAndBooleans) {
    test::TempDir dir;
    UserDefaults defaults((dir / "prefs.plist").string());
    defaults.setInteger(-12, "int");
    defaults.setFloat(0.5f, "float");
    defaults.setDouble(1.0 / 3.0, "double");
    defaults.setBool(true, "bool");
    EXPECT_EQ(defaults.objectForKey("int").kind(), Value::Kind::Integer);
    EXPECT_EQ(defaults.objectForKey("float").kind(), Value::Kind::Real);
    EXPECT_EQ(defaults.objectForKey("bool").kind(), Value::Kind::Boolean);
    EXPECT_EQ(defaults.integerForKey("int"), -12);
    EXPECT_EQ(defaults.floatForKey("float"), 0.5f);
    EXPECT_EQ(defaults.doubleForKey("double"), 1.0 / 3.0);
    EXPECT_TRUE(defaults.boolForKey("bool"));
    EXPECT_EQ(defaults.stringForKey("bool"), "1");
}

TEST(UserDefaults, KeepsEveryValueKindAcrossARestart) {
    test::TempDir dir;
    auto path = (dir / "prefs.plist").string();
    auto list = base::Array::create({Value("DATA_A"), Value("DATA_B")});
    auto record = base::Dictionary::create({{"ITEM_COUNT", Value(3)}, {"ITEM_LEVEL", Value(1)}});
    std::vector<std::pair<std::string, Value>> const values = {
        {"bool", Value(true)},
        {"int", Value(-5)},
        {"unsigned", Value(std::numeric_limits<std::uint64_t>::max())},
        {"real", Value(0.25)},
        {"string", Value("caf\u00e9")},
        {"data", Value(base::Bytes {0, 1, 255})},
        {"date", Value(base::Date {123456.5})},
        {"array", Value(list)},
        {"dictionary", Value(record)},
        {"SYS_SPITEM_BTN_%@ misspelt Durablity", Value("kept as written")},
    };
    {
        UserDefaults defaults(path);
        for (auto const& [key, value] : values)
            ASSERT_TRUE(defaults.setObject(value, key)) << key;
        EXPECT_TRUE(defaults.synchronize());
    }
    UserDefaults again(path);
    for (auto const& [key, value] : values)
        EXPECT_EQ(again.objectForKey(key), value) << key;
    EXPECT_EQ(again.stringArrayForKey("array"), (std::vector<std::string> {"DATA_A", "DATA_B"}));
    EXPECT_EQ(again.stringArrayForKey("dictionary"), std::nullopt);
    EXPECT_EQ(Value(again.dictionaryForKey("dictionary")), Value(record));
    EXPECT_EQ(again.dataForKey("data"), (base::Bytes {0, 1, 255}));
}

TEST(UserDefaults, StoresAndReturnsCopiesOfCollections) {
    test::TempDir dir;
    UserDefaults defaults((dir / "prefs.plist").string());
    auto list = base::Array::create({Value(1)});
    defaults.setObject(list, "list");
    list->add(2);
    EXPECT_EQ(defaults.arrayForKey("list")->size(), 1u);
    defaults.arrayForKey("list")->add(3);
    defaults.objectForKey("list").array()->add(4);
    EXPECT_EQ(defaults.arrayForKey("list")->size(), 1u);
}

TEST(UserDefaults, RefusesValuesThatAPropertyListCannotHold) {
    test::TempDir dir;
    UserDefaults defaults((dir / "prefs.plist").string());
    defaults.setObject(Value("kept"), "key");
    auto cyclic = base::Array::create();
    cyclic->add(cyclic);
    std::vector<Value> const bad = {
        Value(base::Array::create({Value(1), Value()})),
        Value(base::Dictionary::create({{"\xFF", Value(1)}})),
        Value(std::string("\xC3")),
        Value(cyclic),
    };
    test::LogCapture log;
    for (auto const& value : bad) {
        EXPECT_FALSE(defaults.setObject(value, "key"));
        EXPECT_EQ(defaults.objectForKey("key"), Value("kept"));
    }
    EXPECT_FALSE(defaults.setObject(Value(1), "\xFF"));
    EXPECT_TRUE(log.contains("refused the value"));
    EXPECT_TRUE(defaults.synchronize());
    cyclic->removeAll();
}

TEST(UserDefaults, RegisteredDefaultsAnswerButAreNeverSaved) {
    test::TempDir dir;
    auto path = (dir / "prefs.plist").string();
    {
        UserDefaults defaults(path);
        defaults.registerDefaults(
            *base::Dictionary::create({{"DATA_DAY", Value(1)}, {"volume", Value(0.8)}}));
        EXPECT_EQ(defaults.integerForKey("DATA_DAY"), 1);
        defaults.setInteger(4, "DATA_DAY");
        EXPECT_EQ(defaults.integerForKey("DATA_DAY"), 4);
        auto all = defaults.dictionaryRepresentation();
        EXPECT_EQ(all->objectForKey("DATA_DAY"), Value(4));
        EXPECT_EQ(all->objectForKey("volume"), Value(0.8));
        EXPECT_TRUE(all->objectForKey("AppleLanguages").isArray());
        defaults.removeObjectForKey("DATA_DAY");
        EXPECT_EQ(defaults.integerForKey("DATA_DAY"), 1);
        defaults.setBool(true, "sound");
        ASSERT_TRUE(defaults.synchronize());
    }
    auto saved = PropertyList::dictionaryWithContentsOfFile(path);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->keys(), std::vector<std::string> {"sound"});
    UserDefaults again(path);
    EXPECT_TRUE(again.objectForKey("volume").isNull());
}

TEST(UserDefaults, AppleLanguagesFollowsTheEnvironmentUntilSet) {
    test::TempDir dir;
    char const* saved = std::getenv("LANGUAGE");
    std::optional<std::string> old = saved ? std::optional<std::string>(saved) : std::nullopt;
    ::setenv("LANGUAGE", "fr_CA:de:C", 1);
    UserDefaults defaults((dir / "prefs.plist").string());
    if (old)
        ::setenv("LANGUAGE", old->c_str(), 1);
    else
        ::unsetenv("LANGUAGE");
    EXPECT_EQ(
        defaults.stringArrayForKey("AppleLanguages").value_or(std::vector<std::string>()).at(0),
        "fr");
    EXPECT_EQ(defaults.stringArrayForKey("AppleLanguages")->at(1), "de");
    EXPECT_EQ(defaults.stringArrayForKey("AppleLanguages")->back(), "en");
    defaults.setObject(base::Array::create({Value("ja")}), "AppleLanguages");
    EXPECT_EQ(defaults.stringArrayForKey("AppleLanguages"), std::vector<std::string> {"ja"});
    defaults.removeObjectForKey("AppleLanguages");
    EXPECT_EQ(defaults.stringArrayForKey("AppleLanguages")->at(0), "fr");
}

TEST(UserDefaults, StandardStoreIsABinaryListInThePreferencesFolder) {
    test::ScopedSandbox sandbox;
    auto& defaults = UserDefaults::standardUserDefaults();
    EXPECT_EQ(&defaults, &UserDefaults::standardUserDefaults());
    EXPECT_EQ(defaults.path(), standardFile(sandbox));
    defaults.setObject(Value("OK"), "UserLangPreference");
    ASSERT_TRUE(defaults.synchronize());
    auto bytes = foundation::AtomicFile::read(standardFile(sandbox));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + 8), "bplist00");
    foundation::PropertyList::Format format;
    EXPECT_EQ(PropertyList::propertyListWithData(*bytes, &format),
        Value(base::Dictionary::create({{"UserLangPreference", Value("OK")}})));
    EXPECT_EQ(format, PropertyList::Format::Binary);
}

TEST(UserDefaults, StandardStoreIsNamedByTheBundleIdentifier) {
    test::ScopedSandbox sandbox;
    std::filesystem::create_directories(sandbox / "bundle");
    ASSERT_TRUE(PropertyList::writeToFile(
        base::Dictionary::create({{"CFBundleIdentifier", Value("com.example.other")}}),
        sandbox / "bundle/Info.plist"));
    foundation::Bundle::setMainBundlePath(sandbox / "bundle");
    EXPECT_EQ(UserDefaults::standardUserDefaults().path(),
        sandbox / "Library/Preferences/com.example.other.plist");
}

TEST(UserDefaults, ResetDropsUnsavedChangesAndReloads) {
    test::ScopedSandbox sandbox;
    UserDefaults::standardUserDefaults().setInteger(1, "saved");
    ASSERT_TRUE(UserDefaults::standardUserDefaults().synchronize());
    UserDefaults::standardUserDefaults().setInteger(2, "unsaved");
    UserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(UserDefaults::standardUserDefaults().integerForKey("saved"), 1);
    EXPECT_TRUE(UserDefaults::standardUserDefaults().objectForKey("unsaved").isNull());
}

TEST(UserDefaults, SavesSoonAfterAChangeWithoutBeingAsked) {
    test::TempDir dir;
    auto path = (dir / "prefs.plist").string();
    UserDefaults defaults(path);
    defaults.setAutosaveDelay(0);
    defaults.setInteger(5, "DATA_DAY");
    ASSERT_TRUE(defaults.waitUntilSaved(30));
    EXPECT_EQ(PropertyList::dictionaryWithContentsOfFile(path)->objectForKey("DATA_DAY"), Value(5));
    defaults.setInteger(6, "DATA_DAY");
    ASSERT_TRUE(defaults.waitUntilSaved(30));
    EXPECT_EQ(PropertyList::dictionaryWithContentsOfFile(path)->objectForKey("DATA_DAY"), Value(6));
}

TEST(UserDefaults, SavesWhenDestroyed) {
    test::TempDir dir;
    auto path = (dir / "prefs.plist").string();
    {
        UserDefaults defaults(path);
        defaults.setAutosaveDelay(3600);
        defaults.setObject(Value("pending"), "key");
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    EXPECT_EQ(UserDefaults(path).objectForKey("key"), Value("pending"));
}

TEST(UserDefaults, SetsAsideAnUnreadableFileAndStartsEmpty) {
    test::TempDir dir;
    auto path = (dir / "prefs.plist").string();
    ASSERT_TRUE(
        foundation::AtomicFile::write(path, "bplist00 this is no property list at all......"));
    ASSERT_TRUE(
        foundation::AtomicFile::write((dir / ".prefs.plist.tmp-a1b2c3").string(), "half a write"));
    test::LogCapture log;
    UserDefaults defaults(path);
    EXPECT_TRUE(defaults.objectForKey("anything").isNull());
    EXPECT_TRUE(log.contains("moved to " + path + ".corrupt"));
    EXPECT_TRUE(std::filesystem::exists(path + ".corrupt"));
    EXPECT_FALSE(std::filesystem::exists(dir / ".prefs.plist.tmp-a1b2c3"));
    defaults.setInteger(1, "fresh");
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(UserDefaults(path).integerForKey("fresh"), 1);
}

namespace {

// Runs body in a forked child and answers its exit status (-1 when it did not
// exit by itself). A body that hangs is killed by the alarm.
int inChild(std::function<int()> const& body) {
    pid_t child = fork();
    if (child == 0) {
        alarm(30);
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// What lies at a save path that the store cannot read, and how to look at it again.
struct Obstacle {
    char const* name;
    std::function<void(std::string const& path)> make;
    // True while the thing at the path is as it was made.
    std::function<bool(std::string const& path)> unchanged;
};

}

TEST(UserDefaults, NeverWritesOverAFileThatIsThereButCannotBeRead) {
    auto const saved = std::string("bplist00 the player's whole save");
    auto fileKept = [saved](std::string const& path) {
        auto bytes = foundation::AtomicFile::read(path);
        return bytes && std::string(bytes->begin(), bytes->end()) == saved;
    };
    std::vector<Obstacle> const cases = {
        {"a folder",
            [](std::string const& path) { std::filesystem::create_directories(path + "/inside"); },
            [](std::string const& path) {
                return std::filesystem::is_directory(path + "/inside");
            }},
        {"a FIFO", [](std::string const& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); },
            [](std::string const& path) {
                return std::filesystem::is_fifo(std::filesystem::symlink_status(path));
            }},
        {"a file the process may not read",
            [saved](std::string const& path) {
                ASSERT_TRUE(foundation::AtomicFile::write(path, saved));
                std::filesystem::permissions(path, std::filesystem::perms::none);
            },
            fileKept},
        {"a file while every descriptor is taken",
            [saved](std::string const& path) {
                ASSERT_TRUE(foundation::AtomicFile::write(path, saved));
            },
            fileKept},
    };
    for (auto const& c : cases) {
        test::TempDir dir;
        // Anyone may write in the folder: only the store's refusal keeps the file.
        std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
        auto path = (dir / "prefs.plist").string();
        c.make(path);
        bool noDescriptors = std::string(c.name).find("descriptor") != std::string::npos;
        bool noPermission = std::string(c.name).find("may not") != std::string::npos;
        // Each store lives in a child: a hang is killed there, and the child can
        // give up root, which may read anything, or run out of descriptors.
        int status = inChild([&] {
            if (noPermission && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                return 10;
            test::LogCapture log;
            UserDefaults defaults(path);
            defaults.setAutosaveDelay(0);
            std::vector<int> taken;
            if (noDescriptors) {
                rlimit limit {64, 64};
                setrlimit(RLIMIT_NOFILE, &limit);
                for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0; fd = dup(fd))
                    taken.push_back(fd);
            }
            bool empty = defaults.objectForKey("DATA_DAY").isNull();
            for (int fd : taken)
                close(fd);
            if (!empty)
                return 11;
            if (!log.contains("cannot be read; nothing will be saved over it"))
                return 12;
            defaults.setInteger(1, "DATA_DAY");
            if (defaults.synchronize())
                return 13;
            if (!log.contains("not saved, so as not to replace the unreadable"))
                return 14;
            // The autosave and the store's end leave it alone too.
            defaults.waitUntilSaved(0.2);
            return 0;
        });
        EXPECT_EQ(status, 0) << c.name;
        EXPECT_TRUE(c.unchanged(path)) << c.name;
        EXPECT_FALSE(std::filesystem::exists(path + ".corrupt")) << c.name;
        std::size_t entries = 0;
        for ([[maybe_unused]] auto const& entry : std::filesystem::directory_iterator(dir.path()))
            ++entries;
        EXPECT_EQ(entries, 1u) << c.name;
    }
}

TEST(UserDefaults, ABatchReachesTheFileWhole) {
    test::TempDir dir;
    auto path = (dir / "prefs.plist").string();
    UserDefaults defaults(path);
    defaults.setAutosaveDelay(3600);
    auto saved = [&](char const* key) {
        return PropertyList::dictionaryWithContentsOfFile(path)->objectForKey(key);
    };
    defaults.setInteger(1, "day");
    defaults.setInteger(10, "money");
    ASSERT_TRUE(defaults.synchronize());
    defaults.beginBatch();
    defaults.setInteger(2, "day");
    defaults.beginBatch();
    defaults.setInteger(20, "money");
    defaults.removeObjectForKey("gone");
    defaults.endBatch();
    // Still inside the outer batch: the file holds the values from before it.
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(saved("day"), Value(1));
    EXPECT_EQ(saved("money"), Value(10));
    EXPECT_EQ(defaults.integerForKey("money"), 20);
    defaults.endBatch();
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(saved("day"), Value(2));
    EXPECT_EQ(saved("money"), Value(20));
}

TEST(UserDefaults, ChangesOfABatchAreAutosavedAfterItCloses) {
    test::TempDir dir;
    auto path = (dir / "prefs.plist").string();
    UserDefaults defaults(path);
    defaults.setAutosaveDelay(0);
    {
        UserDefaults::Batch batch(defaults);
        defaults.setInteger(7, "day");
        // The autosave may run meanwhile; it writes nothing of the batch.
        defaults.synchronize();
        auto before = PropertyList::dictionaryWithContentsOfFile(path);
        EXPECT_TRUE(!before || !before->contains("day"));
    }
    ASSERT_TRUE(defaults.waitUntilSaved(30));
    EXPECT_EQ(UserDefaults(path).integerForKey("day"), 7);
}

TEST(UserDefaults, ReportsAFailedSaveAndKeepsTheChanges) {
    test::TempDir dir;
    UserDefaults defaults((dir / "missing-folder/prefs.plist").string());
    defaults.setAutosaveDelay(3600);
    defaults.setInteger(1, "key");
    test::LogCapture log;
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_TRUE(log.contains("not saved yet"));
    std::filesystem::create_directory(dir / "missing-folder");
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(UserDefaults((dir / "missing-folder/prefs.plist").string()).integerForKey("key"), 1);
}

TEST(UserDefaults, IsSafeToUseFromManyThreads) {
    test::TempDir dir;
    auto path = (dir / "prefs.plist").string();
    {
        UserDefaults defaults(path);
        defaults.setAutosaveDelay(0);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&defaults, t] {
                for (int i = 0; i < 200; ++i) {
                    std::string key = "t" + std::to_string(t) + "_" + std::to_string(i % 20);
                    defaults.setInteger(i, key);
                    defaults.integerForKey(key);
                    defaults.dictionaryRepresentation();
                    if (i % 50 == 0)
                        defaults.synchronize();
                }
            });
        }
        for (auto& thread : threads)
            thread.join();
    }
    UserDefaults again(path);
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(
                again.integerForKey("t" + std::to_string(t) + "_" + std::to_string(i)), 180 + i);
    }
}
