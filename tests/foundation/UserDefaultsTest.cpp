#include <foundation/UserDefaults.hpp>

#include "ScopedSandbox.hpp"
#include <foundation/AtomicFile.hpp>
#include <foundation/PropertyList.hpp>
#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <thread>
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
