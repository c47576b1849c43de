#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

namespace game {

// The main menu's state machine: the title screen and the menu between salon
// days. MainLayer makes it when the main-menu state starts and drops it when the
// state ends; it gets no touches of its own (the interface takes them). Main
// thread only.
class MainMenu : public base::Object {
public:
    static base::Ref<MainMenu> init();

    // Enters a main-menu state and shows it: 0 the title screen, 3 the main menu.
    virtual void start(int state);
    // Per-frame work, after the interface's.
    virtual void update();

    int state() const { return state_; }
    // The menu's state as the touch dispatcher reads it (1 title waiting, 4 menu
    // waiting, 7 and 10 the new-game questions, 13 options, others animating).
    virtual int getMainMenuState() const { return state_; }
    // The presses that the interface's touch dispatcher passes on: the title
    // screen touched, and a menu button by its slot.
    virtual void handlePressTitle() { }
    virtual void handlePressButton(int) { }

protected:
    friend base::Factory;
    MainMenu() = default;

private:
    int state_ {0};
};

}
