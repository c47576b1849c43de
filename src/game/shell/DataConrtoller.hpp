#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace game {

// The saved game and the player's settings, as pairs of load and save operations
// over the user-defaults store (through DataManager). Progress lives under keys
// that contain "DATA_": a new game removes them all and the server backup is
// exactly them, whoever wrote them. Settings, Vov Azavuz and the e-mail live under
// "SYS_" keys and survive both. Load operations set the fields of GameGlobals,
// save operations read them. Every operation that writes several keys writes
// them as one batch of the store; a caller that saves the game through several
// operations opens a DataManager::Batch around them, so the saved file never
// mixes two saves (the day of one with the money of another).
// Never instantiated; main thread only.
class DataConrtoller {
public:
    DataConrtoller() = delete;

    // --- progress ---
    static void loadDay();
    // Also raises "DATA_MAX_DAY".
    static void saveDay();
    static void loadShopLevel();
    // Also raises "DATA_MAX_SHOPLEVEL".
    static void saveShopLevel();
    // The stored level, without touching GameGlobals.
    static int getShopLevel();
    static void loadMoney();
    // Also raises "DATA_MAX_MONEY".
    static void saveMoney();
    static void loadSatisfaction();
    // Also raises "DATA_MAX_SATISFACTION".
    static void saveSatisfaction();
    static void loadShopTime();
    static void saveShopTime();
    static void loadLastDayMoney();
    // Also folds the value into the running average "DATA_AVG_DAILY_CASHFLOW".
    static void saveLastDayMoney();
    // Stores the start-of-day money alone: a change within the day (a purchase that
    // lowers it with the money), not a new sample for the running average.
    static void storeLastDayMoney();
    static void loadLastDaySatisfaction();
    // Also folds the value into the running average "DATA_AVG_DAILY_SATCHANGE".
    static void saveLastDaySatisfaction();

    static int getShopState();
    static void saveShopState(int state);

    // Per furniture slot; type and level -1 when nothing is saved.
    static int getFurnType(int slot);
    static void saveFurnType(int slot, int type);
    static int getFurnLevel(int slot);
    static void saveFurnLevel(int slot, int level);
    static int getFurnDurablity(int slot);
    static void saveFurnDurablity(int slot, int durablity);

    // Per staff member; not hired at level 1 when nothing is saved.
    static bool getStaffEnable(int index);
    static void saveStaffEnable(int index, bool enable);
    static int getStaffLevel(int index);
    static void saveStaffLevel(int index, int level);

    static void logChallengeComplete();
    static void logChallengeFailed();
    static int getChallengeCompleteCount();
    static int getChallengeFailCount();
    static int getChallengeCompleteStreak();

    static void saveDeclinedVIPDay(bool declined);
    static bool loadDeclinedVIPDay();

    // The 19 saved day counters of GameGlobals.
    static void loadCountingRecord();
    static void saveCountingRecord();
    // Zeroes the lifetime and today counters (not the superhero visits nor the
    // challenge counters) and saves the record.
    static void resetCountingRecord();

    // --- settings and Vov Azavuz ---
    static std::optional<std::string> getEmail();
    static void saveEmail(std::string_view email);
    static void eraseEmail();
    static bool getBgmEnable();
    static void saveBgmEnable(bool enable);
    static bool getSfxEnable();
    static void saveSfxEnable(bool enable);
    static int getPrize(int index);
    static void savePrize(int index, int value);
    // Removes the progress of every prize.
    static void erasePrize();
    static bool getDailyChallengeEnabled();
    static void setDailyChallengeEnabled(bool enabled);

    static void loadPetPoints();
    static void savePetPoints();
    static void logPetPointsSpent(int amount);
    static void logPetPointsPurchased(int amount);
    static void logPetPointsEarned(int amount);

    // --- the whole save ---
    // A new game: removes every "DATA_" key, turns the theme in use into an owned
    // one and puts the default theme "thm_000" in use.
    static void resetData();
    // True when any key contains "DATA_".
    static bool haveResumeData();
    // Every entry whose key contains "DATA_", copied as stored.
    static base::Ref<base::Dictionary> exportSaveData();
    // Takes a save from the server. Keys without "DATA_" are left out, each with a
    // logged line. The rest must all be strings, numbers, booleans or lists of
    // strings, with valid UTF-8 text: when any is not, the whole save is refused
    // with a logged line and the store is not touched, so a save is never taken
    // in half. Then day, shop level, money and satisfaction are reloaded (also
    // after a refusal, as after an empty save). Answers false when it refused the save.
    static bool importSaveData(base::Dictionary const* data);
    // Queues the statistics event on the game server connection.
    static void reportStatistics();
};

}
