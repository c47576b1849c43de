#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

namespace ui {
class TextField;
}

namespace game {

class Interface;
class LoadingLayer;
class MainLayer;
class MainMenu;
class PathFindingSystem;
class Shop;

// The program states, as the program-state machine numbers them.
inline constexpr int ProgramStateNone = 0;
inline constexpr int ProgramStateLoading = 1;
inline constexpr int ProgramStateMainMenu = 2;
inline constexpr int ProgramStateShop = 3;

// The game-wide state block: plain variables that the shell, the salon, the
// interface and the progression features read and write directly: the program
// states, the clocks, the save values and the objects of the running game. One
// instance for the process, zero at start, never destroyed (so that nothing it
// holds outlives the engine at exit); main thread only.
//
// Every object reference holds one retained object; the writer that sets it also
// clears it: MainScene the two layers and the path finder, MainLayer the interface, the main menu,
// the shop and the hidden text field, LoadingLayer the character lists.
struct GameGlobals {
    static GameGlobals& shared();
    // Back to the start values, dropping every reference (tests, end of program).
    static void reset();

    GameGlobals();
    ~GameGlobals();
    GameGlobals(GameGlobals&&) noexcept;
    GameGlobals& operator=(GameGlobals&&) noexcept;

    // The running state, the state the game asks for and the state that ran when
    // the last change began.
    int curProgramState {ProgramStateNone};
    int nextProgramState {ProgramStateNone};
    int prevProgramState {ProgramStateNone};
    // Salon input mode: 1 normal play, 3 auto play, 4 edit.
    int gameMode {0};
    // Seconds since the main scene was made, and the current frame's duration.
    float totalTime {0};
    float deltaTime {0};
    // Salon phase: 0 not loaded, 1 before opening, 2 working hours, 3 after hours.
    int shopState {0};
    float itemEffectTime {0};
    // The highest salon level the installed content reaches.
    int levelCap {0};

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

    // Character lists the loading screen builds from "characterList.plist":
    // customers, pets and other characters keyed "0", "1"..., visitors by their key.
    base::Ref<base::Dictionary> customerPool;
    base::Ref<base::Dictionary> petPool;
    base::Ref<base::Dictionary> otherCharacterPool;
    base::Ref<base::Dictionary> visitorPool;

    base::Ref<MainLayer> mainLayer;
    base::Ref<LoadingLayer> loadingLayer;
    base::Ref<Interface> interface;
    // Only in the main-menu state.
    base::Ref<MainMenu> mainMenu;
    // Only in the salon state.
    base::Ref<Shop> shop;
    // The salon's path finder, made with the main scene and never replaced.
    base::Ref<PathFindingSystem> pathFinder;
    // Off-screen; the main menu takes keyboard input through it.
    base::Ref<ui::TextField> hiddenTextField;
};

}
