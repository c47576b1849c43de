#include "ShellFixture.hpp"

#include <game/shell/DataManager.hpp>

using game::DataManager;

namespace {

class DataManagerTest : public test::ShellFixture { };

}

TEST_F(DataManagerTest, WritesEveryValueAsText) {
    struct Case {
        std::function<void()> write;
        char const* key;
        char const* stored;
    };
    std::vector<Case> const cases = {
        {[] { DataManager::setString("hello", "s"); }, "s", "hello"},
        {[] { DataManager::setInt(42, "i"); }, "i", "42"},
        {[] { DataManager::setInt(-7, "n"); }, "n", "-7"},
        {[] { DataManager::setFloat(0.5f, "f"); }, "f", "0.500000"},
        {[] { DataManager::setFloat(1000, "g"); }, "g", "1000.000000"},
        {[] { DataManager::setFloat(0.1f, "h"); }, "h", "0.100000"},
        {[] { DataManager::setBool(true, "t"); }, "t", "1"},
        {[] { DataManager::setBool(false, "u"); }, "u", "0"},
    };
    for (auto const& c : cases) {
        c.write();
        auto stored = DataManager::objectForKey(c.key);
        ASSERT_TRUE(stored.isString()) << c.key;
        EXPECT_EQ(*stored.string(), c.stored) << c.key;
    }
}

TEST_F(DataManagerTest, ReadsTheTextBack) {
    DataManager::setInt(-7, "i");
    DataManager::setFloat(2.25f, "f");
    DataManager::setBool(true, "b");
    DataManager::setString("text", "s");
    EXPECT_EQ(DataManager::getIntForKey("i"), -7);
    EXPECT_FLOAT_EQ(DataManager::getFloatForKey("f"), 2.25f);
    EXPECT_TRUE(DataManager::getBoolForKey("b"));
    EXPECT_EQ(DataManager::getStringForKey("s"), "text");
}

TEST_F(DataManagerTest, AbsentKeysGiveTheDefault) {
    EXPECT_EQ(DataManager::getStringForKey("none"), std::nullopt);
    EXPECT_EQ(DataManager::getStringForKey("none", "fallback"), "fallback");
    EXPECT_EQ(DataManager::getIntForKey("none"), 0);
    EXPECT_EQ(DataManager::getIntForKey("none", 9), 9);
    EXPECT_EQ(DataManager::getFloatForKey("none"), 0.0f);
    EXPECT_EQ(DataManager::getFloatForKey("none", 1.5f), 1.5f);
    EXPECT_FALSE(DataManager::getBoolForKey("none"));
    EXPECT_TRUE(DataManager::getBoolForKey("none", true));
}

TEST_F(DataManagerTest, PresentKeysNeverGiveTheDefault) {
    DataManager::setString("not a number", "k");
    EXPECT_EQ(DataManager::getIntForKey("k", 9), 0);
    EXPECT_EQ(DataManager::getFloatForKey("k", 1.5f), 0.0f);
    EXPECT_FALSE(DataManager::getBoolForKey("k", true));
    DataManager::setString("", "e");
    EXPECT_EQ(DataManager::getStringForKey("e", "fallback"), "");
}

TEST_F(DataManagerTest, BooleansReadTheIntegerValue) {
    struct Case {
        base::Value stored;
        bool expected;
    };
    std::vector<Case> const cases = {
        {"1", true},
        {"0", false},
        {"2", true},
        {"-1", true},
        {"0.5", false},
        {"yes", false},
        {" 3", true},
        {true, true},
        {false, false},
        {7, true},
        {0, false},
    };
    for (auto const& c : cases) {
        DataManager::setObject(c.stored, "b");
        EXPECT_EQ(DataManager::getBoolForKey("b", !c.expected), c.expected)
            << c.stored.description();
    }
}

TEST_F(DataManagerTest, ValuesOfThePlatformsOwnKindsReadAsText) {
    DataManager::setObject(2, "theme");
    DataManager::setObject(true, "flag");
    DataManager::setObject(base::Array::create({"a"}), "list");
    EXPECT_EQ(DataManager::getIntForKey("theme"), 2);
    EXPECT_EQ(DataManager::getStringForKey("theme"), "2");
    EXPECT_EQ(DataManager::getStringForKey("flag"), "1");
    EXPECT_EQ(DataManager::getStringForKey("list"), std::nullopt);
    EXPECT_EQ(DataManager::getIntForKey("list", 5), 0);
}

TEST_F(DataManagerTest, KeysMatchBySubstringAnywhere) {
    DataManager::setInt(1, "thm_DATA_x");
    EXPECT_TRUE(DataManager::checkHaveKey("DATA_"));
    EXPECT_FALSE(DataManager::checkHaveKey("SYS_"));

    DataManager::setInt(1, "SYS_PRIZE0");
    DataManager::setInt(1, "SYS_PRIZE12");
    DataManager::setInt(1, "SYS_PRIZEX");
    DataManager::setInt(1, "SYS_PETPOINTS");
    DataManager::removeAllKey("SYS_PRIZE");
    EXPECT_FALSE(DataManager::checkHaveKey("SYS_PRIZE"));
    EXPECT_TRUE(DataManager::checkHaveKey("SYS_PETPOINTS"));
    EXPECT_TRUE(DataManager::checkHaveKey("thm_DATA_x"));
}

TEST_F(DataManagerTest, SettingANullValueRemovesTheKey) {
    DataManager::setInt(1, "k");
    DataManager::setObject(nullptr, "k");
    EXPECT_FALSE(DataManager::checkHaveKey("k"));
    EXPECT_EQ(DataManager::getIntForKey("k", 3), 3);
}
