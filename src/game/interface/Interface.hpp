#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Color.hpp>
#include <engine/Geometry.hpp>
#include <engine/SceneNode.hpp>
#include <game/interface/CCPurchaseDialog.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/progression/CCItemBar.hpp>
#include <game/progression/QuestReport.hpp>
#include <ui/TextField.hpp>
#include <ui/Touch.hpp>

#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace engine {
class Label;
class Sprite;
}

namespace game {

class AnimatedSprite;
class DynamicBG;
class CCStatusBar;
class CCTabBar;
class MainLayer;
class MainMenu;
class QBY_Character;
class QBY_Furniture;
class QuestReport;
class Shop;

// The game interface: the title screen, the main menu's screens, the salon's HUD
// and popups. MainLayer makes it once and keeps it for the process; it builds
// the screens of a program state when the state starts (initInterface), tears
// them down when it ends (removeInterface), does its per-frame work before the
// state's own object and is offered every touch first. Main thread only.
//
// The UI state (curUIState) names the screen or popup in front, 0 when none is:
// 10 pause menu, 11 day report, 17 VIP-day warning, 20 and 21 the Pet Point bonus
// panels, and so on. Every build resets it to 0. Touches go first to the
// dispatcher (InterfaceTouches.cpp), which picks its table by the program state,
// the UI state and the salon's or the main menu's state.
//
// The nodes of a state are owned by the layer's tree; the interface keeps
// references to them and drops each when it removes the node. The tap effect, the
// help holder and the news bar are made once and outlive every teardown.
class Interface : public base::Object,
                  public CCPurchaseDialogDelegate,
                  public QuestReportDelegate,
                  public CCTabBarDelegate,
                  public CCItemBarDelegate {
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
    // Opens the pause menu, hides the HUD's buttons, pauses and saves the salon as
    // the application resigns active; only during the working hours with nothing
    // modal in front.
    virtual void autoPauseGame();
    // Keeps whether the main menu shows its button for save transfers (slot 12).
    virtual void showSeasonsButton(bool show);
    // Hides the main menu's buttons while a question about save data is open (-1).
    virtual void HiddenMainMenu(int pressedSlot);
    // The main menu's buttons back after such a question.
    virtual void showMainMenu();

    // --- title and main-menu screens (InterfaceMainMenu.cpp) ---
    // Each screen has a show (entry animation, UI state set), a hide (UI state 0,
    // exit animation) and an is-done test (no animation left) that MainMenu polls.
    // The tablet's title bobs its button for ever; the bob alone does not keep
    // the title from being done. The phone's title is the animated scene.
    virtual void showTitle();
    virtual void HiddenTitle();
    virtual bool isTitleActionDone();
    // The menu's buttons are built afresh on each show and pop in one after
    // another; on hiding, the pressed one (-1 none) goes last, after 1.7 s.
    virtual bool isMainMenuActionDone();
    // The erase warning before a new game (UI state 2), its confirmation (3), the
    // options (4), and the erase dialogs that no menu state opens (6, 7).
    virtual void showNewGame();
    virtual void HiddenNewGame();
    virtual bool isNewGameActionDone();
    virtual void showConfirmNewGame();
    virtual void HiddenConfirmNewGame();
    virtual bool isConfirmNewGameActionDone();
    virtual void showOption();
    virtual void HiddenOption();
    virtual bool isOptionActionDone();
    void showConfirmErase();
    void HiddenConfirmErase();
    bool isConfirmEraseActionDone();
    void showFinishErase();
    void HiddenFinishErase();
    bool isFinishEraseActionDone();
    // UI state 5 (erase mode of the options) or 4.
    void changeOptionToErase(bool erase) { curUIState_ = erase ? 5 : 4; }
    bool showsSeasonsButton() const { return bShowSeasonsButton; }
    // Hooks kept for ads, e-mail and prizes that the game never opens.
    void showAd();
    void showBannerAd();
    void HiddenAd();
    bool isAdActionDone() const { return true; }
    bool isEmailBoxActionDone() const { return true; }
    bool isPrizeActionDone() const { return true; }
    void initEmailBar() { }
    void removeEmailBar() { }
    void showEmailBar() { }
    void hiddenEmailBar() { }
    void showEmailBox() { }
    void HiddenEmailBox() { }
    void moveUpEmailBox() { }
    void showPrize() { }
    void HiddenPrize() { }
    engine::Sprite* titleButton() const { return pTitle_Button.get(); }
    engine::Sprite* titleLogo() const { return pTitle_BFLogo.get(); }
    engine::Sprite* optionsMusicMarker() const { return pOption_Bgm_Select.get(); }
    engine::Sprite* optionsSoundMarker() const { return pOption_Sfx_Select.get(); }
    engine::Sprite* optionsMusicOn() const { return pOption_Bgm_On.get(); }
    engine::Sprite* optionsMusicOff() const { return pOption_Bgm_Off.get(); }
    engine::Sprite* optionsSoundOn() const { return pOption_Sfx_On.get(); }
    engine::Sprite* optionsSoundOff() const { return pOption_Sfx_Off.get(); }

    // --- what the salon calls ---
    // The popup state; the salon acts on touches only while it is 0.
    virtual int curUIState() { return curUIState_; }
    // 0 none, 2 main menu, 3 salon: the program state the interface is built for.
    int curProgramState() const { return curProgramState_; }
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
    // The day and level texts of the status bar.
    virtual void updateGameplayDay();
    virtual void updateShopLevel();
    // The pause button fades in or out over 0.2 s.
    virtual void showPauseButton();
    virtual void hiddenPauseButton();
    // The daily-challenge button fades in or out over 0.2 s.
    virtual void showHelpButton();
    virtual void hiddenHelpButton();
    // A music note of the happy music floats across the salon for 4 s.
    virtual void createMusicNote();
    // The day banner (or the pony day's) fades in, stays a second and fades out.
    virtual void showNewDay();
    virtual void showPonyNewDay();
    // After the report: the next-day button rises from below the bottom-right
    // corner in 1 s, with the tabs extended (the salon's current tab selected
    // silently) and the power-up bubbles shown; hiding sinks it and undoes both.
    virtual void showNextDayButton();
    virtual void hiddenNextDayButton();
    // A customer's payment rising over the salon at the point where it paid (z 30000).
    virtual void showIncomeDisplay(
        int income, float satisfaction, engine::Point position, engine::SceneNode* layer);
    // The bonus money rising from the point, added to the salon layer at the z-order.
    virtual void showIncomeBonusDisplay(engine::Point position, int z, engine::SceneNode* layer);
    // The day report (UI state 11): the day's money and satisfaction changes with
    // their arrows, the customers served and lost, and what the next level needs
    // (the level cap worked out afresh from the active level packs each time), or
    // the top-level notice. It pops in from scale 0; hiding shrinks it back to 0.
    virtual void showReport(bool levelUp);
    virtual void hiddenReport();
    // The end-of-day-1 (UI state 20) and end-of-level (21) Pet Point bonus panels
    // slide in over the report; closing one returns to the other while it is
    // open, else to the report (11).
    virtual void showEOD1Bonus();
    virtual void showEOLBonus();
    void hideEOD1Bonus();
    void hideEOLBonus();
    // The server's pony-day message in its popup (z 10011), when there is one.
    virtual void showPonyDayPopup();
    // The VIP-day question (UI state 17) rises to the centre with its YES and NO
    // buttons; hiding sends it down and starts the next day.
    virtual void showVIPDayWarning();
    virtual void hideVIPDayWarning();
    // The seasons bonus (UI state 19) for type 1 to 3 (another type shows no
    // description), with its YES button; hiding removes it (UI state 0).
    virtual void showSeasonsBonus(int type);
    virtual void hideSeasonsBonus();
    // Freezes or restarts every flying note's actions.
    virtual void pauseMusicNote();
    virtual void resumeMusicNote();
    // Drops the notes whose actions have all ended (every salon frame).
    void checkMusicNoteEnd();
    // --- help book, challenge button and close-ups (InterfaceHelp.cpp) ---
    // Nothing: the working hour's start asks for it.
    virtual void flashHelpButton() { }
    // The help book drops in from the top at page 1 (UI state 15), with the close
    // button when asked; hiding lifts it away (UI state 0).
    virtual void showHelpMenu(bool showCloseButton);
    virtual void hiddenHelpMenu();
    bool isHelpMenuActionDone() const;
    // Shows the page's picture and texts, with the arrows that lead on from it
    // (opacity 255 shown, 0 hidden).
    void setHelpMenuPage(int page);
    void removeHelpMenuPage();
    int helpMenuPage() const { return nHelpMenuPage; }
    engine::Sprite* helpMenuContent() const { return pHelpMenuContent.get(); }
    engine::Label* helpText() const { return pHelpText.get(); }
    engine::Label* helpText2() const { return pHelpText2.get(); }
    engine::Label* versionText() const { return pVersionText.get(); }
    // A special visitor's close-up slides in from the right (0.3 s), stays 1.5 s and
    // slides back (0.3 s), pausing the salon meanwhile under its own reason, so that
    // its end leaves any other pause in place. The built-in kind (0-2), or a pack's
    // picture: a plain file name of the data folder ("/" and ".." refused).
    virtual void showEventCloseUp(int kind);
    virtual void showDLCEventCloseUp(std::string const& picture);
    void endEventCloseUp();
    engine::Sprite* eventCloseUp() const { return pGameplay_EventCloseUp.get(); }

    // --- shop, upgrade and hire menus (InterfaceMenus.cpp) ---
    // Each opens the purchase dialog (replacing an open one) for: a ready-made item
    // (z 10005, made the salon's current item), a furniture piece's next level, a
    // staff member's hire or next level (z 10006, from the piece's or member's
    // sprite). The UI state stays; the hide operations set it to 0.
    virtual void showShopDialog(base::Ref<base::Dictionary> item);
    void hideShopDialog() { curUIState_ = 0; }
    virtual void showUpgradeMenu(base::Object* furniture, bool purchase);
    void hiddenUpgradeMenu();
    virtual void showHireMenu(base::Object* staff);
    void hiddenHireMenu();
    void hideDimBG();
    QBY_Furniture* upgradeFurniture() const { return pUpgradeFurn.get(); }
    QBY_Character* hireCharacter() const { return pHireChar.get(); }
    // The report of a daily challenge, by its quest id (z 10020). Its dismissal after
    // hours with nothing in front starts the next day; from the challenge button
    // (UI state 22) it resumes the salon.
    virtual void showQuestReport(std::string const& questId);
    void didDismissQuestReport(QuestReport& report) override;
    QuestReport* questReport() const { return pQuestReport.get(); }
    // Buy and cancel close the dialog; the two get-more buttons open the in-app
    // store or the Pet Point transfer with the dialog left open behind it.
    void purchaseDialogDidSelectResponse(
        CCPurchaseDialog& dialog, int response, base::Dictionary const& item) override;
    // Once closed after a buy, the staff member, the furniture piece or the salon's
    // current item is bought, when the balance and the shop level allow it (a
    // refused purchase does nothing); the dialog leaves the layer in every case.
    void purchaseDialogDidDismissWithResponse(
        CCPurchaseDialog& dialog, int response, base::Ref<base::Dictionary const> item) override;

    // Adds count items to the item bar's button of that name.
    virtual void didPurchaseConsumableNamed(std::string const& name, int count);

    // --- touch dispatch (InterfaceTouches.cpp) ---
    // A tab of the salon's tab bar pressed: 0 and 1 the shop tabs, 2 the theme
    // store, 3 the Pet Point transfer view. Ignored (the previous tab selected
    // again silently) while the salon's shopping view moves.
    void ccTabBar(CCTabBar& bar, int tab) override;
    // A power-up button pressed ("IncomeBonus", "WildcardBonus", "SpeedBonus"):
    // during the working hours one item is used and its effect starts at once, with
    // its jingle; after hours, on the staff tab with nothing in front, the item's
    // purchase dialog opens. Ignored under the pause menu, the report and the help
    // book.
    void ccItemBar(CCItemBar& bar, std::string const& buttonName) override;
    // Greys the main menu's challenges button (slot 14) while daily challenges are off.
    void updateChallengeButton();
    // The e-mail box of the options screen back down after typing.
    virtual void moveDownEmailBox() { }
    bool helpMenuShowsBackButton() const { return bHelpMenuShowBackButton; }
    void setHelpMenuShowsBackButton(bool shown) { bHelpMenuShowBackButton = shown; }
    bool emailTextChanged() const { return bUpdateText; }

    // --- labelled buttons, by slot ---
    // A button of the string key's text on the panel, in the slot (released
    // first), at the panel's centre plus the offset cut toward zero.
    base::Ref<engine::Sprite> addButtonToSprite(
        engine::SceneNode* panel, std::string const& key, int slot, float offsetX, float offsetY);
    // Takes the slot's button off its panel; an empty slot does nothing.
    void releaseButton(int slot);
    // A 0.2 s press pulse: 1.0 to 0.9 and back (slot 13: 0.6 to 0.54).
    void clickButtonEffect(int slot);
    // Grey with a dark outline, or white with the pink outline.
    void disableButton(int slot);
    void enableButton(int slot);

    // The pause menu pops up (UI state 10) with the news bar; hiding it lets the
    // panel shrink away (UI state 0).
    virtual void showPauseMenu();
    virtual void hiddenPauseMenu();
    // The news bar slides up from below the screen in 0.2 s, and back down, after
    // which it hides.
    virtual void showNews();
    virtual void hiddenNews();
    void hiddenNewsHelper();

    // --- side panels ---
    // The theme store slides down to the centre (z 9996) with the ads hidden; at
    // most one is open, and a show during its closing slide is ignored.
    virtual void showInAppShop();
    virtual void hideInAppShop();
    void hideInAppShopDone();
    // The transfer panels rise from below (z 20000); at most one of each kind.
    // Hiding one (open or not) selects the tab prevActiveTabIndex again.
    virtual void showTransferCoinsView();
    virtual void hideTransferCoinsView();
    void releaseTransferCoinsView();
    virtual void showTransferPPView();
    virtual void hideTransferPPView();
    void releaseTransferPPView();
    int prevActiveTabIndex() const { return prevActiveTabIndex_; }
    void setPrevActiveTabIndex(int tab) { prevActiveTabIndex_ = tab; }
    // Banner hooks: the time of the last banner change is kept; no banner is shown.
    void showBanner();
    void updateBanner();
    void hiddenBanner();
    float lastShowBannerTime() const { return lastShowBannerTime_; }
    bool bShowBanner() const { return bShowBanner_; }

    // --- tap effect ---
    // Made once: the "vfx006" effect, hidden, on the layer at z 10002.
    void initClickEffect();
    // Restarts the effect at the point (layer space) at full opacity, fading out
    // over 0.6 s, with its sound.
    void playClickEffect(engine::Point point);
    // Advances the effect by the frame time; from frame 8 on it hides.
    void updateClickEffect();

    // --- money and Pet Point buttons ---
    // Each makes its button on the parent at the point (hidden, as sprites are
    // made) with its label and icon inside and returns it.
    base::Ref<engine::Sprite> createBuyPetPointsButton(
        float x, float y, engine::SceneNode* parent, float z, bool shortFormat);
    base::Ref<engine::Sprite> createEarnFreePetPointsButton(
        float x, float y, engine::SceneNode* parent, float z, bool shortFormat);
    base::Ref<engine::Sprite> createGetMoreMoneyButton(
        float x, float y, engine::SceneNode* parent, float z);
    // On the phone the icon alone is the button: the achievements icon shown, the
    // more-apps icon hidden.
    base::Ref<engine::Sprite> createAchievementsButton(
        float x, float y, engine::SceneNode* parent, float z);
    base::Ref<engine::Sprite> createMoreAppsButton(
        float x, float y, engine::SceneNode* parent, float z);

    // --- Pet Point plates ---
    // A plate showing the Vov Azavuz balance and its label, made on the parent
    // at the point; the big one is the tablet's.
    std::pair<base::Ref<engine::Sprite>, base::Ref<engine::Label>> createPetPointsInterface(
        float x, float y, engine::SceneNode* parent, float z);
    std::pair<base::Ref<engine::Sprite>, base::Ref<engine::Label>> createBigPetPointsInterface(
        float x, float y, engine::SceneNode* parent, float z);

    MainLayer* layer() const { return pLayer; }
    // Nodes of the running state, null outside it.
    engine::Sprite* pauseButton() const { return pGameplay_PauseButton.get(); }
    engine::Sprite* helpButton() const { return pGameplay_HelpButton.get(); }
    engine::Sprite* newDayBanner() const { return pGameplay_NewDay.get(); }
    engine::Sprite* ponyDayBanner() const { return pGameplay_PonyNewDay.get(); }
    engine::Sprite* pauseMenu() const { return pGameplay_PauseMenu.get(); }
    engine::Sprite* reportPanel() const { return pGameplay_Report.get(); }
    engine::Sprite* vipWarning() const { return pGameplay_VIPWarning.get(); }
    engine::Sprite* nextDayButton() const { return pGameplay_NextDayButton.get(); }
    engine::Sprite* eod1BonusPanel() const { return pGameplay_PPBonusBG.get(); }
    engine::Sprite* eolBonusPanel() const { return pGameplay_PPBonusBG2.get(); }
    engine::Sprite* dimBackground() const { return pGameplay_dimBG.get(); }
    engine::Sprite* seasonsBonusPanel() const { return pSeasonsBouns_Bg.get(); }
    engine::SceneNode* ponyDayPopup() const { return pPonyDayPopup.get(); }
    // The report's texts and the arrows of its last show (null when the change was 0).
    engine::Label* reportMoneyText() const { return pGameplay_ReportMoneyText.get(); }
    engine::Label* reportSatisfactionText() const { return pGameplay_ReportSatisfactionText.get(); }
    engine::Label* reportHappyText() const { return pGameplay_ReportHappyText.get(); }
    engine::Label* reportAngryText() const { return pGameplay_ReportAngryText.get(); }
    engine::Label* reportLevelText() const { return pGameplay_ReportLvlText.get(); }
    engine::Label* reportRequirementTitle() const { return pGameplay_ReportRequirementTitle.get(); }
    engine::Label* moneyRequirementText() const { return pGameplay_LvReqMoneyText.get(); }
    engine::Label* satisfactionRequirementText() const {
        return pGameplay_LvReqSatisfactionText.get();
    }
    engine::Sprite* reportMoneyArrow() const { return pGameplay_ReportMoneyArrow.get(); }
    engine::Sprite* reportSatisfactionArrow() const {
        return pGameplay_ReportSatisfactionArrow.get();
    }
    engine::Sprite* reportLevelUp() const { return pGameplay_ReportLevelUp.get(); }
    engine::Sprite* comingSoon() const { return pGameplay_ComingSoon.get(); }
    engine::Sprite* requirementStar(int index) const;
    // The flying music notes and the open side panels (null when closed).
    std::vector<base::Ref<engine::Sprite>> const& musicNotes() const { return pGameplay_MusicNote; }
    engine::SceneNode* storeDisplay() const { return pStore_Display.get(); }
    engine::SceneNode* transferCoinsView() const { return pTransferCoinsView.get(); }
    engine::SceneNode* transferPPView() const { return pTransferPPView.get(); }
    // The open purchase dialog, owned by the layer; null when none is open.
    CCPurchaseDialog* purchaseDialog() const { return pPurchaseDialog; }
    engine::Label* petPointsText() const { return pGameplay_PetPointsText.get(); }
    engine::Sprite* titleBackground() const { return pTitle_Bg.get(); }
    DynamicBG* animatedTitle() const { return pTitle.get(); }
    engine::Sprite* menuPetPointsPlate() const { return pMainMenu_PetPointsBg.get(); }
    engine::Label* menuPetPointsText() const { return pMainMenu_PetPointsText.get(); }
    engine::Sprite* optionsPanel() const { return pOption_Bgm_Bg.get(); }
    engine::Sprite* popupBox() const { return pPopupBox_Bg.get(); }
    engine::Sprite* warningBox() const { return pWarningBox_Bg.get(); }
    // Made once and kept across states.
    AnimatedSprite* clickEffect() const { return pClickEffect.get(); }
    engine::Sprite* helpHolder() const { return pHelpMenu.get(); }
    engine::SceneNode* newsBar() const { return pNews_Bar.get(); }
    // The labelled buttons of the dialog in front, by slot (0 to 14).
    static constexpr int buttonSlots = 15;
    engine::Sprite* button(int slot) const;
    // The salon HUD's widgets while the salon state runs, else null.
    CCStatusBar* statusBar() const { return pStatusBar.get(); }
    CCTabBar* tabBar() const { return pTabBar.get(); }
    CCItemBar* itemBar() const { return pItemBar.get(); }

protected:
    friend base::Factory;
    explicit Interface(MainLayer* layer);
    ~Interface() override;

    // The news ticker node, made hidden by the first build.
    virtual base::Ref<engine::SceneNode> makeNewsBar();
    // The theme store and the two transfer panels, made on each show.
    virtual base::Ref<engine::SceneNode> makeStoreDisplay();
    virtual base::Ref<engine::SceneNode> makeTransferCoinsView();
    virtual base::Ref<engine::SceneNode> makeTransferPPView();
    // The server's pony-day message, none when it sent none; and its popup, made
    // on the parent at the z-order and popped in (null when it cannot be made).
    virtual std::optional<std::string> ponyDayMessage();
    virtual base::Ref<engine::SceneNode> showPonyDayPopupWithText(
        std::string const& text, engine::SceneNode* parent, int z);

    // The purchase dialog in front, which the layer owns.
    CCPurchaseDialog* pPurchaseDialog {nullptr};
    // Slides the picture's close-up in and out; none when there is no picture.
    void runEventCloseUp(std::optional<std::string> const& file);
    // Opens the dialog for the item on the layer at the z-order from the point.
    void openPurchaseDialog(base::Dictionary const& item, int z, engine::Point from);
    // Help book, close-ups and menus.
    base::Ref<engine::Sprite> pHelpMenuContent;
    base::Ref<engine::Label> pHelpText;
    base::Ref<engine::Label> pHelpText2;
    base::Ref<engine::Label> pVersionText;
    int nHelpMenuPage {0};
    bool bHelpMenuShowBackButton {false};
    base::Ref<QBY_Furniture> pUpgradeFurn;
    base::Ref<QBY_Character> pHireChar;
    base::Ref<QuestReport> pQuestReport;

    int curUIState_ {0};
    int lastUIState {0};
    bool bUpdateText {false};

private:
    // The touch tables: each answers whether the touch was consumed, and sets
    // stop when the rest of the set must not be looked at.
    bool salonWorkingTouch(Shop& salon, engine::Point point, bool& stop);
    bool salonAfterHoursTouch(Shop& salon, engine::Point point, bool& stop);
    bool mainMenuTouch(MainMenu& menu, engine::Point point);
    bool optionsTouch(engine::Point point);
    void startNextDay(Shop& salon);
    void buildCommon();
    void buildMainMenu();
    void buildSalon();
    void buildReportChildren(bool pad, engine::Point centre);
    void buildVIPWarning(bool pad);
    void removeMainMenu();
    void removeSalon();
    void removeFromLayer(engine::SceneNode* node);
    // The dialog family: pop the panel in with the key's text at the point (none
    // when the key is empty) and the buttons; shrink it away; no action left.
    struct DialogButton {
        int slot;
        char const* key;
        float offsetX;
        float offsetY;
    };
    void showDialog(int uiState, engine::Sprite* panel, engine::Label* text, char const* key,
        engine::Point at, std::initializer_list<DialogButton> buttons);
    void hideDialog(engine::Sprite* panel);
    static bool dialogDone(engine::Sprite* panel);
    void buildMenuButtons(bool pad);
    base::Ref<engine::Sprite> showBonusPanel(std::string const& body, int slot);
    void hideBonusPanel(base::Ref<engine::Sprite>& panel, int slot, bool otherOpen, int other);
    void colourButton(int slot, engine::Color3B colour, engine::Color3B outline);
    void fillReportChange();
    void fillReportRequirements();
    void slideInPanel(engine::SceneNode* panel, engine::Point from, engine::Point to);
    // A white bold label of the key's text in the button at the point.
    static void labelButton(engine::Sprite* button, std::string const& key, int fontSize,
        float width, engine::Point at, int z);

    MainLayer* pLayer;
    int curProgramState_ {0};
    std::array<base::Ref<engine::Sprite>, buttonSlots> pButton;

    base::Ref<CCStatusBar> pStatusBar;
    base::Ref<CCTabBar> pTabBar;
    base::Ref<CCItemBar> pItemBar;

    // Kept across states.
    base::Ref<AnimatedSprite> pClickEffect;
    base::Ref<engine::Sprite> pHelpMenu;
    base::Ref<engine::SceneNode> pNews_Bar;

    // Main menu.
    base::Ref<engine::Sprite> pTitle_Bg;
    base::Ref<engine::Sprite> pTitle_Button;
    base::Ref<engine::Sprite> pTitle_BFLogo;
    base::Ref<DynamicBG> pTitle;
    base::Ref<engine::Sprite> pMainMenu_PetPointsBg;
    base::Ref<engine::Label> pMainMenu_PetPointsText;
    base::Ref<engine::Sprite> pOption_Bgm_Bg;
    base::Ref<engine::Sprite> pOption_Bgm_On;
    base::Ref<engine::Sprite> pOption_Bgm_Off;
    base::Ref<engine::Sprite> pOption_Sfx_On;
    base::Ref<engine::Sprite> pOption_Sfx_Off;
    base::Ref<engine::Sprite> pOption_Bgm_Select;
    base::Ref<engine::Sprite> pOption_Sfx_Select;
    base::Ref<engine::Sprite> pPopupBox_Bg;
    base::Ref<engine::Label> pPopupBox_Text;
    base::Ref<engine::Sprite> pWarningBox_Bg;
    base::Ref<engine::Label> pWarningBox_Text;
    bool bShowSeasonsButton {false};

    // Salon.
    base::Ref<engine::Sprite> pGameplay_PauseButton;
    base::Ref<engine::Sprite> pGameplay_HelpButton;
    base::Ref<engine::Sprite> pGameplay_NewDay;
    base::Ref<engine::Sprite> pGameplay_PonyNewDay;
    base::Ref<engine::Sprite> pGameplay_NextDayButton;
    base::Ref<engine::Sprite> pGameplay_PauseMenu;
    base::Ref<engine::Sprite> pGameplay_Report;
    base::Ref<engine::Sprite> pGameplay_ReportLevelUp;
    std::array<base::Ref<engine::Sprite>, 10> pGameplay_LvReqStar;
    base::Ref<engine::Sprite> pGameplay_ComingSoon;
    base::Ref<engine::Sprite> pGameplay_EventCloseUp;
    base::Ref<engine::Sprite> pGameplay_VIPWarning;
    base::Ref<engine::Sprite> pGameplay_dimBG;
    base::Ref<engine::Sprite> pGameplay_PPBonusBG;
    base::Ref<engine::Sprite> pGameplay_PPBonusBG2;
    base::Ref<engine::Label> pGameplay_LvReqMoneyText;
    base::Ref<engine::Label> pGameplay_LvReqSatisfactionText;
    base::Ref<engine::Label> pGameplay_ReportMoneyText;
    base::Ref<engine::Label> pGameplay_ReportSatisfactionText;
    base::Ref<engine::Label> pGameplay_ReportLvlText;
    base::Ref<engine::Label> pGameplay_ReportHappyText;
    base::Ref<engine::Label> pGameplay_ReportAngryText;
    base::Ref<engine::Label> pGameplay_ReportRequirementTitle;
    base::Ref<engine::Label> pGameplay_NextDayText;
    base::Ref<engine::Sprite> pGameplay_PetPointsBg;
    base::Ref<engine::Label> pGameplay_PetPointsText;
    base::Ref<engine::Sprite> pGameplay_ReportMoneyArrow;
    base::Ref<engine::Sprite> pGameplay_ReportSatisfactionArrow;
    base::Ref<engine::Sprite> pGameplay_Banner;
    base::Ref<engine::Sprite> pSeasonsBouns_Bg;
    base::Ref<engine::Label> pSeasonsBouns_Text;
    base::Ref<engine::SceneNode> pPonyDayPopup;
    int nLastGameplay_Hour {-1};
    int nLastGameplay_Minute {-1};
    std::vector<base::Ref<engine::Sprite>> pGameplay_MusicNote;

    // Side panels while open.
    base::Ref<engine::SceneNode> pStore_Display;
    base::Ref<engine::SceneNode> pTransferCoinsView;
    base::Ref<engine::SceneNode> pTransferPPView;
    int prevActiveTabIndex_ {0};
    float lastShowBannerTime_ {0};
    bool bShowBanner_ {false};
};

}
