#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Geometry.hpp>
#include <engine/SceneNode.hpp>
#include <ui/TextField.hpp>
#include <ui/Touch.hpp>

#include <string>

namespace game {

class CCItemBar;
class CCStatusBar;
class CCTabBar;
class MainLayer;

// The game interface: the title screen, the main menu's screens, the salon's HUD
// and popups. MainLayer makes it once and keeps it for the process; it builds
// the screens of a program state when the state starts (initInterface), tears
// them down when it ends (removeInterface), does its per-frame work before the
// state's own object and is offered every touch first. Main thread only.
//
// Until its screens exist it takes no touches; of the salon HUD it builds the
// status bar, the tab bar and the power-up bar, with their first texts and counts.
class Interface : public base::Object {
public:
    // The interface on the root game layer (not retained: the layer owns it).
    static base::Ref<Interface> initWithLayer(MainLayer* layer);

    // Builds the screens and HUD of the program state (2 or 3); sent before the
    // state's main object exists.
    virtual void initInterface(int state);
    // Tears down what initInterface built for the state.
    virtual void removeInterface(int state);
    // Per-frame work, every frame of states 2 and 3.
    virtual void update();

    // Each answers true when the interface used the touches; nobody else gets them then.
    virtual bool handleTouchesBegan(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleTouchesMoved(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleTouchesEnded(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleTouchesCancelled(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleDoubleTap(ui::TouchSet& touches, ui::Event* event);

    // Whether the hidden text field may make the change.
    virtual bool handleChangeTextField(
        ui::TextField& field, ui::TextRange range, std::string const& replacement);
    // True when the entry is complete and the keyboard may close.
    virtual bool handleEndTextField(ui::TextField& field);

    // --- what the application shell asks ---
    // Pauses the salon as the application resigns active.
    virtual void autoPauseGame() { }
    // Shows or hides the main menu's button for save transfers.
    virtual void showSeasonsButton(bool) { }
    // Hides the main menu's buttons while a question about save data is open (-1).
    virtual void HiddenMainMenu(int) { }
    // The main menu's buttons back after such a question.
    virtual void showMainMenu() { }
    // The screen that turns Vov Azavuz into money.
    virtual void showTransferPPView() { }

    // --- what the salon calls ---
    // The popup state; the salon acts on touches only while it is 0.
    virtual int curUIState() { return 0; }
    // Money becomes the larger of 0 and money + n; a gain also counts as today's
    // income.
    virtual void updateGameplayMoney(int n);
    // Satisfaction changes by the amount, kept within 0 ... 999999.9.
    virtual void updateGameplaySatisfaction(float change);
    // The HUD clock and the night filter from the shop clock.
    virtual void updateGameplayTime();
    // The night filter by the fraction of the day: clear up to 0.75, rising to 192
    // at 0.8333 and staying there; smooth moves at most 10 a call.
    virtual void updateGameplayNightFilter(bool smooth);
    virtual void updateGameplayDay() { }
    virtual void updateShopLevel() { }
    virtual void showPauseButton() { }
    virtual void hiddenPauseButton() { }
    virtual void showHelpButton() { }
    virtual void hiddenHelpButton() { }
    virtual void flashHelpButton() { }
    virtual void showHelpMenu(bool) { }
    virtual void createMusicNote() { }
    virtual void showNewDay() { }
    virtual void showPonyNewDay() { }
    virtual void showNextDayButton() { }
    // A customer's payment rising over the salon at the point where it paid (z 30000).
    virtual void showIncomeDisplay(
        int income, float satisfaction, engine::Point position, engine::SceneNode* layer);
    // The bonus money rising from the point, added to the salon layer at the z-order.
    virtual void showIncomeBonusDisplay(engine::Point position, int z, engine::SceneNode* layer);
    // A special visitor's close-up: the built-in kind (0-2), or a pack's picture.
    virtual void showEventCloseUp(int) { }
    virtual void showDLCEventCloseUp(std::string const&) { }
    // The report of a daily challenge, by its quest id.
    virtual void showQuestReport(std::string const&) { }
    // The day report after hours, with whether the salon rose a level.
    virtual void showReport(bool) { }
    virtual void showEOD1Bonus() { }
    virtual void showEOLBonus() { }
    virtual void showPonyDayPopup() { }
    // After hours: the menus for a furniture piece (buy or upgrade) and a staff member.
    virtual void showUpgradeMenu(base::Object*, bool) { }
    virtual void showHireMenu(base::Object*) { }
    virtual void pauseMusicNote() { }
    virtual void resumeMusicNote() { }
    // Adds count items to the item bar's button of that name.
    virtual void didPurchaseConsumableNamed(std::string const&, int) { }

    MainLayer* layer() const { return pLayer; }
    // The salon HUD's widgets while the salon state runs, else null.
    CCStatusBar* statusBar() const { return pStatusBar.get(); }
    CCTabBar* tabBar() const { return pTabBar.get(); }
    CCItemBar* itemBar() const { return pItemBar.get(); }

protected:
    friend base::Factory;
    explicit Interface(MainLayer* layer);
    ~Interface() override;

private:
    void buildSalonHud();
    void removeSalonHud();

    MainLayer* pLayer;
    base::Ref<CCStatusBar> pStatusBar;
    base::Ref<CCTabBar> pTabBar;
    base::Ref<CCItemBar> pItemBar;
};

}
