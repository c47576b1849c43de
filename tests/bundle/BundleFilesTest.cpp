#include "BundleData.hpp"

#include <foundation/PropertyList.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// Every file the authored data names must be in the generated bundle. These tests
// run only where the bundle has been generated; elsewhere they skip themselves.

using namespace bundletest;
using base::Dictionary;

namespace {

class BundleFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(bundleDir()))
            GTEST_SKIP() << "no generated bundle at " << bundleDir();
    }

    void need(std::string const& name) {
        if (!std::filesystem::is_regular_file(bundleDir() + "/" + name))
            missing_.push_back(name);
    }

    void expectNothingMissing() {
        std::string list;
        for (auto const& name : missing_)
            list += "\n  " + name;
        EXPECT_TRUE(missing_.empty())
            << missing_.size() << " files missing from the bundle:" << list;
    }

    // The frames of a sheet in the bundle, or null (and the sheet noted missing).
    base::Ref<Dictionary> frames(std::string const& sheet) {
        need(sheet + ".png");
        auto list = foundation::PropertyList::dictionaryWithContentsOfFile(
            bundleDir() + "/" + sheet + ".plist");
        if (!list) {
            missing_.push_back(sheet + ".plist");
            return {};
        }
        return list->objectForKey("frames").dictionaryRef();
    }

    std::vector<std::string> missing_;
};

std::string text(Dictionary const& d, std::string_view key) {
    auto const* s = d.objectForKey(key).string();
    return s ? *s : std::string();
}

std::string formatted(std::string const& format, long long n) {
    auto at = format.find("%d");
    return at == std::string::npos
        ? format
        : format.substr(0, at) + std::to_string(n) + format.substr(at + 2);
}

}

TEST_F(BundleFiles, HoldsTheAuthoredDataItself) {
    for (auto const* name :
        {"furnitureList.plist", "characterList.plist", "sfxList.plist", "vfxList.plist",
            "questList.plist", "LuckyWheel.plist", "StoreItemList.plist", "Achievements.plist",
            "Info.plist", "featured_app.sql", "English.lproj/Localizable.strings"})
        need(name);
    expectNothingMissing();
}

TEST_F(BundleFiles, HoldsEveryFurnitureImageForEveryUseLeft) {
    auto list = dictionary("furnitureList.plist");
    ASSERT_TRUE(list);
    for (auto const& [name, value] : *list) {
        auto* levels = value.dictionary()->objectForKey("level").dictionary();
        for (auto const& [key, levelValue] : *levels) {
            auto const& level = *levelValue.dictionary();
            auto pic = text(level, "pic");
            auto const* durability = level.find("durability");
            if (!durability)
                durability = level.find("durablity");
            if (!durability) {
                need(pic);
                continue;
            }
            for (long long left = 0; left <= durability->longLongValue(); ++left)
                need(formatted(pic, left));
        }
    }
    expectNothingMissing();
}

// A character's sheet holds the frames the salon asks for: walking in three facings,
// standing facing down, sitting for owners and visitors, working for staff.
TEST_F(BundleFiles, HoldsEveryCharacterSheetWithTheFramesItsKindNeeds) {
    auto list = dictionary("characterList.plist");
    ASSERT_TRUE(list);
    for (auto const& [key, value] : *list) {
        auto const& entry = *value.dictionary();
        auto type = entry.objectForKey("type").longLongValue();
        auto sheet = entry.contains("ThemeName") ? text(entry, "ThemeName") : key.str();
        auto frameList = frames(sheet);
        if (!frameList)
            continue;
        std::vector<std::string> names;
        // Lambdas cannot capture a structured binding under clang 14 (the fuzz build's
        // compiler); a plain reference they can.
        std::string const& character = key;
        auto frame = [&](char const* pose, char facing, int n) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%s%c%03d.png", pose, facing, n);
            names.push_back(character + buffer);
        };
        for (char facing : {'a', 'c', 'e'})
            for (int n = 0; n <= 8; ++n)
                frame("001", facing, n);
        frame("002", 'e', 0);
        if (type == 0 || type == 3)
            frame("004", 'e', 0);
        if (type == 2)
            for (char facing : {'a', 'c', 'e'})
                for (int n = 0; n <= 3; ++n)
                    frame("003", facing, n);
        for (auto const& name : names) {
            auto* f = frameList->objectForKey(name).dictionary();
            if (!f) {
                missing_.push_back(sheet + ".plist frame " + name);
                continue;
            }
            for (auto const* field : {"x", "y", "width", "height", "offsetX", "offsetY"}) {
                EXPECT_TRUE(f->objectForKey(field).isNumber())
                    << sheet << " " << name << " " << field;
            }
        }
        if (type == 2)
            need(key + "_HireIcon.png");
    }
    expectNothingMissing();
}

// An effect with fewer than two frames never shows; the tap effect hides itself on
// its ninth frame and needs at least nine.
TEST_F(BundleFiles, HoldsEveryEffectSheetWithEnoughFrames) {
    auto list = dictionary("vfxList.plist");
    ASSERT_TRUE(list);
    for (auto const& [name, value] : *list) {
        auto frameList = frames(name);
        if (!frameList)
            continue;
        EXPECT_GE(frameList->size(), name == "vfx006" ? 9u : 2u) << name;
    }
    expectNothingMissing();
}

TEST_F(BundleFiles, HoldsEverySoundTheSoundListNames) {
    auto list = dictionary("sfxList.plist");
    ASSERT_TRUE(list);
    for (auto const& [name, value] : *list)
        need(value.string() ? *value.string() : name.str());
    for (auto const* file : {"0015.wav", "EFFA002.wav", "npc_shop_sell_v2.wav",
             "token_jangle03.wav", "Marrowby_BGM1.mp3", "Marrowby_BGM2.mp3",
             "qrn_hellomyfriend_v2.mp3", "Marrowby_Title.mp3"})
        need(file);
    expectNothingMissing();
}

TEST_F(BundleFiles, HoldsTheArtOfEveryThemeAchievementAndWheelPrize) {
    if (auto items = array("StoreItemList.plist"))
        for (auto const& value : *items)
            if (auto* data = value.dictionary()->objectForKey("data").dictionary())
                for (auto const* key : {"thumb", "bg", "wall"})
                    if (data->contains(key))
                        need(text(*data, key));
    if (auto achievements = array("Achievements.plist"))
        for (auto const& value : *achievements)
            need(text(*value.dictionary(), "Pic"));
    if (auto wheel = dictionary("LuckyWheel.plist"))
        if (auto* prizes = wheel->objectForKey("prizes").array())
            for (std::size_t i = 1; i <= prizes->size(); ++i) {
                need("Wheel_11C_" + std::to_string(i) + ".png");
                need("prize_" + std::to_string(i) + ".png");
            }
    if (auto info = dictionary("Info.plist"))
        if (auto* icons = info->objectForKey("CFBundleIconFiles").array())
            for (auto const& icon : *icons)
                if (icon.string())
                    need(*icon.string());
    expectNothingMissing();
}
