#include "SaveKill.hpp"

#include <base/Value.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using game::DataConrtoller;
using game::DataManager;

namespace test {

namespace {

enum class Saving { Autosave, Synchronize, Both };

constexpr int furnitureSlots = 10;
constexpr int staffMembers = 4;

// Every game-wide value of save number n, made from n alone and growing with it,
// so that every maximum equals its value.
void setGlobalsFor(int n) {
    auto& g = game::GameGlobals::shared();
    g.day = n;
    g.shopLevel = n + 1;
    g.money = 1000 + 7 * n;
    g.satisfaction = float(n) * 0.25f;
    g.shopTime = float(n % 1000) * 0.5f;
    g.lastDayMoney = 3 * n;
    g.lastDaySatisfaction = float(n) * 0.125f;
    int i = 0;
    for (int* counter : {&g.customerToday, &g.customerOverall, &g.customerLeaveToday,
             &g.customerLeaveOverall, &g.overallMoneyEarned, &g.richLadyVisitCount,
             &g.prezVisitCount, &g.superVisitCount, &g.musicPlayCountToday, &g.customerHappyCount,
             &g.customerHappyCountP, &g.customerAngryCount, &g.customerAngryCountP,
             &g.customerHurryCount, &g.customerHurryCountP, &g.customerIncome, &g.customerIncomeP,
             &g.customerService, &g.customerServiceP})
        *counter = n + i++;
}

// One whole save of the game, as the salon makes at the end of a day.
void saveGame(int n) {
    setGlobalsFor(n);
    DataManager::Batch batch;
    DataConrtoller::saveDay();
    DataConrtoller::saveShopLevel();
    DataConrtoller::saveMoney();
    DataConrtoller::saveSatisfaction();
    DataConrtoller::saveShopTime();
    DataConrtoller::saveLastDayMoney();
    DataConrtoller::saveLastDaySatisfaction();
    DataConrtoller::saveShopState(n % 3 + 1);
    for (int slot = 0; slot < furnitureSlots; ++slot) {
        DataConrtoller::saveFurnType(slot, n % 7 + slot);
        DataConrtoller::saveFurnLevel(slot, n + slot);
        DataConrtoller::saveFurnDurablity(slot, 2 * n + slot);
    }
    for (int index = 0; index < staffMembers; ++index) {
        DataConrtoller::saveStaffEnable(index, (n + index) % 2 == 1);
        DataConrtoller::saveStaffLevel(index, n + index);
    }
    DataConrtoller::saveDeclinedVIPDay(n % 2 == 0);
    DataConrtoller::saveCountingRecord();
}

std::string integer(int value) {
    return foundation::format("%d", value);
}

std::string real(float value) {
    return foundation::format("%f", double(value));
}

// The text of every key that save number n writes, the running averages aside
// (they depend on the saves before).
std::map<std::string, std::string> expectedSave(int n) {
    std::map<std::string, std::string> keys = {
        {"DATA_DAY", integer(n)},
        {"DATA_MAX_DAY", integer(n)},
        {"DATA_SHOPLEVEL", integer(n + 1)},
        {"DATA_MAX_SHOPLEVEL", integer(n + 1)},
        {"DATA_MONEY", integer(1000 + 7 * n)},
        {"DATA_MAX_MONEY", integer(1000 + 7 * n)},
        {"DATA_SATISFACTION", real(float(n) * 0.25f)},
        {"DATA_MAX_SATISFACTION", real(float(n) * 0.25f)},
        {"DATA_SHOPTIME", real(float(n % 1000) * 0.5f)},
        {"DATA_LASTDAYMONEY", integer(3 * n)},
        {"DATA_LASTDAYSATISFACTION", real(float(n) * 0.125f)},
        {"DATA_SHOPSTATE", integer(n % 3 + 1)},
        {"DATA_DECLINEDVIPDAY", n % 2 == 0 ? "1" : "0"},
    };
    for (int slot = 0; slot < furnitureSlots; ++slot) {
        keys["DATA_FURNTYPE" + integer(slot)] = integer(n % 7 + slot);
        keys["DATA_FURNLEVEL" + integer(slot)] = integer(n + slot);
        keys["DATA_FURNDURABLITY" + integer(slot)] = integer(2 * n + slot);
    }
    for (int index = 0; index < staffMembers; ++index) {
        keys["DATA_STAFFENABLE" + integer(index)] = (n + index) % 2 == 1 ? "1" : "0";
        keys["DATA_STAFFLEVEL" + integer(index)] = integer(n + index);
    }
    int i = 0;
    for (auto key : {"DATA_CUSTOMER_TODAY", "DATA_CUSTOMER_OVERALL", "DATA_CUSTOMERLEAVE_TODAY",
             "DATA_CUSTOMERLEAVE_OVERALL", "DATA_OVERALLMONEYEARNED", "DATA_RICHLADYVISITCOUNT",
             "DATA_PREZVISITCOUNT", "DATA_SUPERVISITCOUNT", "DATA_MUSIC_PLAYCOUNT_TODAY",
             "DATA_CUSTOMER_HAPPYCOUNT", "DATA_CUSTOMER_HAPPYCOUNT_P", "DATA_CUSTOMER_ANGRYCOUNT",
             "DATA_CUSTOMER_ANGRYCOUNT_P", "DATA_CUSTOMER_HURRYCOUNT", "DATA_CUSTOMER_HURRYCOUNT_P",
             "DATA_CUSTOMER_INCOME", "DATA_CUSTOMER_INCOME_P", "DATA_CUSTOMER_SERVICE",
             "DATA_CUSTOMER_SERVICE_P"})
        keys[key] = integer(n + i++);
    return keys;
}

// The writer: goes on from the day saved in the file and saves until killed.
[[noreturn]] void runWriter(Saving saving) {
    alarm(60);
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    // Without the autosave, a delay longer than any round.
    defaults.setAutosaveDelay(saving == Saving::Synchronize ? 1e6 : 0.001);
    int n = DataManager::getIntForKey("DATA_DAY", 0);
    for (;;) {
        saveGame(++n);
        if (saving != Saving::Autosave && !DataManager::synchronize())
            _exit(3);
    }
}

// The day in the saved file, or -1 while there is none that reads.
int savedDay(std::string const& path) {
    auto saved = foundation::PropertyList::dictionaryWithContentsOfFile(path);
    if (!saved || !saved->contains("DATA_DAY"))
        return -1;
    return saved->objectForKey("DATA_DAY").intValue();
}

}

void killSavingWriters(int rounds) {
    auto folder = foundation::Sandbox::preferencesPath();
    auto path = folder + "/" + foundation::Bundle::mainBundle().bundleIdentifier()
        + foundation::UserDefaults::fileExtension;
    // The parent's store stays unused, so the children start with none.
    foundation::UserDefaults::resetStandardUserDefaults();
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> delay(0, 40);
    int lastDay = 0;
    for (int round = 0; round < rounds; ++round) {
        auto saving = Saving(round % 3);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            runWriter(saving);
        // Wait until this writer has saved at least once, however loaded the
        // machine is, then let it run on a little so the kill lands anywhere.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (savedDay(path) <= lastDay && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "round " << round << ": the writer ended by itself: " << status;

        auto saved = foundation::PropertyList::dictionaryWithContentsOfFile(path);
        ASSERT_TRUE(saved) << "round " << round;
        int day = saved->objectForKey("DATA_DAY").intValue();
        ASSERT_GT(day, lastDay) << "round " << round << ": the writer made no progress";
        int mixed = 0;
        for (auto const& [key, text] : expectedSave(day)) {
            auto value = saved->objectForKey(key);
            if (!value.isString() || *value.string() != text) {
                ++mixed;
                ADD_FAILURE() << "round " << round << ", save " << day << ": " << key << " holds "
                              << value.stringValue() << ", not " << text;
            }
        }
        ASSERT_EQ(mixed, 0) << "round " << round << " mixes saves";
        lastDay = day;
        // The killed writer's temporary file, if any, is all that lies beside the
        // save: the next writer clears it.
        std::size_t entries = 0;
        for ([[maybe_unused]] auto const& entry : std::filesystem::directory_iterator(folder))
            ++entries;
        EXPECT_LE(entries, 2u) << "round " << round;
    }
    ::testing::Test::RecordProperty("lastDay", lastDay);
}

}
