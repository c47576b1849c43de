#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

namespace game {

// The game-wide state block: plain variables that the shell, the salon, the
// interface and the progression features read and write directly. This holds the
// values the save data loads and stores; the program-state machine adds its
// states and object references beside them. One instance for the process, zero
// at start; main thread only.
struct GameGlobals {
    static GameGlobals& shared();
    // Back to the start values (tests).
    static void reset();

    int day {0};
    int shopLevel {0};
    int money {0};
    float satisfaction {0};
    float shopTime {0};
    // Money and satisfaction at the start of the working day.
    int lastDayMoney {0};
    float lastDaySatisfaction {0};

    // The data of the active level pack while the shop level is above 20 ("levelCap",
    // "moneyReq", "staffList", "furnitureList"); null otherwise.
    base::Ref<base::Dictionary> levelCapData;

    int petPoints {0};
    int overallPetPoints {0};
    // Set whenever Vov Azavuz are loaded, saved or spent; the interface refreshes
    // its Pet Point text while it is set. Never cleared.
    bool petPointsChanged {false};

    // The day counters of the counting record, in the order it is saved. The
    // challenge counters each keep a previous copy ("P") taken when the salon
    // prepares a daily challenge.
    int customerToday {0};
    int customerOverall {0};
    int customerLeaveToday {0};
    int customerLeaveOverall {0};
    int overallMoneyEarned {0};
    int richLadyVisitCount {0};
    int prezVisitCount {0};
    int superVisitCount {0};
    int musicPlayCountToday {0};
    int customerHappyCount {0};
    int customerHappyCountP {0};
    int customerAngryCount {0};
    int customerAngryCountP {0};
    int customerHurryCount {0};
    int customerHurryCountP {0};
    int customerIncome {0};
    int customerIncomeP {0};
    int customerService {0};
    int customerServiceP {0};
    // Kept by the salon but not part of the saved record.
    int customerFastService {0};
    int customerFastServiceP {0};
};

}
