#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <ui/AlertView.hpp>

#include <string>

namespace game {

class Interface;

// The main menu's state machine: the title screen and the menu between salon
// days. MainLayer makes it when the main-menu state starts and drops it when the
// state ends; it gets no touches of its own (the interface takes them and passes
// the presses on). Main thread only.
//
// A state is 3 x screen + phase: phase 0 the screen's entry animation runs, 1 it
// waits for a press, 2 its exit animation runs. Screens: 0 title, 1 main menu,
// 2 the erase warning before a new game, 3 its confirmation, 4 options, 8 help.
class MainMenu : public base::Object, public ui::AlertViewDelegate {
public:
    static base::Ref<MainMenu> init();

    // The track the title screen and the main menu play (a file of the bundle).
    static constexpr char const* titleTrack = "Marrowby_Title.mp3";

    // Enters a state and shows its screen (0 title, 3 menu, 6 erase warning,
    // 9 confirmation, 12 options, 24 help; other states show nothing), forgets the
    // last press and fades the title music in (not restarted while it plays).
    virtual void start(int state);
    // Per-frame work, after the interface's: moves on once a screen's animation ended.
    virtual void update();

    int state() const { return curMainMenuState; }
    int pressedIndex() const { return nPressedIndex; }
    // The menu's state as the touch dispatcher reads it (1 title waiting, 4 menu
    // waiting, 7 and 10 the new-game questions, 13 options, 25 help).
    virtual int getMainMenuState() const { return curMainMenuState; }
    // The title screen touched while it waits: it hides.
    virtual void handlePressTitle();
    // A button of the screen in front, by its slot.
    virtual void handlePressButton(int slot);
    // The save back to a new game with 200 money.
    void startNewGame();

    // The challenges question answered: only "Yes" switches the setting.
    void willDismissWithButtonIndex(ui::AlertView& alert, int index) override;
    // The open challenges question, null when none is open.
    ui::AlertView* challengesAlert() const { return challengesAlert_.get(); }

protected:
    friend base::Factory;
    MainMenu() = default;
    ~MainMenu() override;

    // The interface of the game's root layer; null when there is none.
    static Interface* interface();
    // Asks whether daily challenges should be switched.
    virtual void askAboutChallenges();

private:
    // A press on the menu's own buttons in state 4.
    void pressMenuButton(int slot);
    // Leaves the main menu for the salon.
    static void enterSalon();

    int curMainMenuState {0};
    int nPressedIndex {-1};
    base::Ref<ui::AlertView> challengesAlert_;
};

}
