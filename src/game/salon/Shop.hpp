#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <engine/Geometry.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Timer.hpp>
#include <game/progression/ItemEffectController.hpp>
#include <game/progression/QuestController.hpp>
#include <game/progression/QuestItemProtocol.hpp>
#include <ui/Touch.hpp>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace game {

class QBY_Character;
class QBY_Furniture;

// The salon while the program is in its salon state: every customer, pet, staff
// member and furniture piece of the room, the counter queue of four, the night
// filter, the sliding door and the passing cars; and the day as three states
// (before opening, working hours, after hours) driven by the shop clock, which runs
// from 0 to a little past 150 per day.
//
// MainLayer makes it when the salon state starts and drops it, after cleanup, when
// the state ends. The loading screen calls loading once a frame until the room is
// built and the saved day restored; then MainLayer calls update once a frame. The
// shop owns its characters and furniture; their sprites are children of the layer,
// which the shop does not keep alive. Main thread only.
class Shop : public base::Object, public QuestItemProtocol {
public:
    static constexpr int customerSlots = 256;
    static constexpr int arrivalSlots = 24;
    static constexpr int staffSlots = 10;
    static constexpr int counterPlaces = 4;
    static constexpr int furnitureSlots = 40;
    static constexpr int furnitureTypes = 12;
    // The shop clock at which the door closes.
    static constexpr float closingTime = 150;

    // The salon on the layer (not retained).
    static base::Ref<Shop> initWithLayer(engine::SceneNode* layer);

    // One phase of building the room; true after the last, which restores the day.
    virtual bool loading();
    // One frame of the day.
    virtual void update();
    // Takes the salon's nodes off the layer before it is released.
    virtual void cleanup();

    // Each answers true when the salon used the touches.
    virtual bool handleTouchesBegan(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleTouchesMoved(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleTouchesEnded(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleTouchesCancelled(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleDoubleTap(ui::TouchSet& touches, ui::Event* event);

    engine::SceneNode* layer() const { return pLayer; }

    // --- day cycle ---
    int getShopState() const;
    void setNightFilterOpacity(float opacity);
    float getNightFilterOpacity() const;
    void startPreWorkingHour();
    void startWorkingHour();
    // The door closed and the salon is empty: the after-hours view.
    void startNonWorkingHour();
    // The money needed to rise from the level, and the satisfaction needed below the
    // cap (1000000 at or above it). From level 20 on the money comes only from a
    // level pack's "moneyReq" (none: never), and the satisfaction continues the rule
    // of levels 12 to 19, so the report and the level-up test agree.
    static long long moneyRequirement(int level);
    static float satisfactionRequirement(int level, int cap);
    // The cap that the active level packs open, chaining 21, 22, ... in list order.
    static int levelCapFromPacks();
    void updateActiveQuests();
    bool isShopOpen() const { return bShopOpen; }
    bool isPaused() const { return pauseReasons_ != 0; }
    // Writes the day as it stands: state, clock, day, level, money, satisfaction, the
    // start-of-day values, the counters, Vov Azavuz and the wear of the furniture. A
    // salon loaded from it resumes the day at the same clock with the same room
    // (customers inside are not kept).
    void saveGame();
    // Why the salon stands still. It is paused while any reason is held and runs
    // again only when the last one is let go, so a power-up's announcement ending
    // under the pause menu leaves the salon paused.
    enum class PauseReason : unsigned {
        // The pause menu, the help book, a challenge report.
        Game = 1,
        // A power-up's announcement.
        ItemEffectAnim = 2,
        // A special visitor's close-up.
        EventCloseUp = 4,
    };
    // Holding a reason twice or letting it go twice does nothing more.
    void pauseGame(PauseReason reason = PauseReason::Game);
    void resumeGame(PauseReason reason = PauseReason::Game);
    bool isPausedFor(PauseReason reason) const { return (pauseReasons_ & unsigned(reason)) != 0; }
    // The power-up timeline, which the salon runs on the item-effect clock during the
    // working hours and empties when they end.
    ItemEffectController* itemEffectCtrl() const { return itemEffectCtrl_.get(); }
    float lastGenCustomerTime() const { return lastGenCustomerTime_; }
    // The base interval between arrivals at a shop level and satisfaction, before
    // the floor of 1.5 and the random 0-9.
    static float arrivalBaseInterval(int level, float satisfaction);
    int getShopTab() const { return curShopTab; }
    // 0 staff, 1 furniture; other values are ignored.
    void setShopTab(int tab);
    void startShoppingMode();
    void endShoppingMode();
    bool shoppingModeInTransition() const;
    void startHappyMusic();
    bool isPlayingHappyMusic() const { return bIsPlayingHappyMusic; }
    // The total time at which the music comes back, or nothing when it is not down.
    std::optional<float> musicReturnTime() const {
        return bWillFadeInBgm ? std::optional<float>(fadeInBgmStartTime) : std::nullopt;
    }
    void startConsumableMusicNamed(std::string const& name, float duration);
    std::string const& consumableSFX() const { return mConsumableSFX; }
    void blockCustomers(bool block, QBY_Furniture* doorBlock);
    bool isBlockingCustomers() const { return bBlockCustomers; }
    void saveAllData();
    void quitGame();
    void checkFurnitureAchievements();
    void checkStaffAchievements();
    void checkChallengeAchievements();
    void setCurrentItem(base::Dictionary const* item);
    void clearCurrentItem() { mCurrentItemData = nullptr; }
    bool purchaseCurrentItem();
    bool useCurrentItem();
    int getAllFurnCount() const { return pFurnCount; }
    void changeGameMode();
    void autoPlay();
    void allCharSpeedUp();
    void forceCloseShop();
    void setWildcardMode(bool on);
    bool wildcardMode() const { return bWildcardMode; }
    // Sets a once-only offer-wall action: reported (and its flag set) only while
    // its user-defaults flag is not 1 and the network is reachable.
    static void reportPayPerAction(int slot, std::string const& key);

    // --- arrivals, special visitors, challenges ---
    void generateCustomer();
    void generateCar();
    bool isPrezVisiting() const;
    bool isChallengeMode() const;
    bool isEligibleForChallengeMode() const;
    void declineChallengeMode();
    bool isEligibleForDailyChallenge() const;
    bool isDailyChallenge() const;
    bool prepareDailyChallenge();
    void clearDailyChallenge();
    void showQuestProgress();
    int vipAppearCount() const { return pVIPAppearCount; }
    // The chances of the three built-in special visitors for one arrival.
    struct VisitorChances {
        double president, richLady, superhero;
    };
    static VisitorChances visitorChances(float satisfaction, bool challengeDay, int vipsToday);
    // An ordinary customer's time-out speed at the level; never below a small
    // positive floor, so patience always runs out.
    static float ordinaryTimeOutSpeed(int level);
    void specialCustomerAppearEvent(int kind);
    void dlcSpecialCustomerAppearEvent(std::string const& id);
    void dlcSpecialCustomerAngryEvent(std::string const& id);

    // --- room ---
    void loadFurniture();
    void loadObstacle();
    void loadShop(int level);
    void updateFurniturePosition() { }
    static engine::Point staffStationPoint(int staffType);
    // The floor and wall pictures in use (a theme's, or the built-in ones).
    std::string const& floorImageName() const { return floorImage_; }
    std::string const& wallImageName() const { return wallImage_; }
    engine::Sprite* pShopFloor() const { return pShopFloor_.get(); }
    engine::Sprite* pShopWall() const { return pShopWall_.get(); }
    engine::Sprite* pShopDoor() const { return pShopDoor_.get(); }
    engine::Sprite* pShopFilter() const { return pShopFilter_.get(); }
    engine::Sprite* pCar(int index) const { return pCar_[std::size_t(index)].get(); }
    int loadingPhase() const { return nCurLoadingPhase; }

    // --- furniture ---
    QBY_Furniture* addFurniture(std::string const& name, int level, float x, float y, int furnID);
    QBY_Furniture* addFurniture(std::string const& name, int level, float x, float y, int furnID,
        int purchaseFurnType, int reqShopLevel);
    QBY_Furniture* getFurniture(int index) const;
    bool isFurnTypeAvailable(int type) const;
    int getFurnCount(int type) const;
    void updateFurnCount();
    QBY_Furniture* getCounterFurniture() const { return pCounterFurniture.get(); }
    QBY_Furniture* upgradeFurniture(QBY_Furniture* piece);
    // An upgrade preview shown after hours for slot i.
    void setUpgradePreview(int index, base::Ref<QBY_Furniture> preview);
    QBY_Furniture* getUpgradePreview(int index) const;

    // --- staff ---
    QBY_Character* addStaff(int staffType, float x, float y);
    QBY_Character* getStaff(int index) const;
    bool staffGoToWork(QBY_Furniture* furniture);
    // Charge and hire or train; null, with nothing charged, for a stranger, a
    // member already hired, a price the player cannot pay or a level not to be had.
    QBY_Character* hireStaff(QBY_Character* staff);
    QBY_Character* upgradeStaff(QBY_Character* staff);
    // The number of levels a staff type has.
    static int staffLevelCount(int staffType);
    // What the next level of a member at the level costs, and whether in money.
    struct StaffPrice {
        int cost;
        bool money;
    };
    static StaffPrice staffUpgradePrice(int staffType, int level);
    static constexpr int impossibleCost = 2147483647;
    foundation::Timer* staffLogTimer() const { return staffLogTimer_.get(); }

    // --- characters ---
    QBY_Character* getCustomer(int index) const;
    QBY_Character* getPet(int index) const;
    int customerCount() const;
    QBY_Character* getDragCharacter() const { return pDragCharacter.get(); }
    QBY_Furniture* getSnapFurniture() const { return pSnapFurniture.get(); }
    void startDrag(QBY_Character* pet);
    void cancelDrag();
    void handleTouchesEndedHelper();
    // One touch at a point of the salon (the handlers convert each touch and call
    // these).
    bool touchBeganAt(engine::Point point);
    bool touchMovedTo(engine::Point point);
    void triggerCombo(std::string const& name);

    // --- counter ---
    bool addCustomerToCounter(QBY_Character* customer);
    bool canAddCustomerToCounter() const;
    int getCounterCustomerIndex(QBY_Character const* customer) const;
    QBY_Character* getCounterCustomer(int place) const;
    bool canServeCounter() const;
    bool finishCounterService();
    void removeCustomerFromCounter(QBY_Character* customer);
    void updateCounterCustomerPosition();
    void pressCounterCustomerBubble();
    void checkDestroyCharacter();

    // --- daily challenges ---
    bool questConditionFinished(std::string const& condition) override;
    std::vector<QuestConditionState> questConditionState(std::string const& condition) override;
    void notifyQuestComplete(QuestItem& quest) override;
    void notifyQuestFail(QuestItem& quest) override;
    void markQuestComplete(QuestItem& quest) override;
    // The salon's daily challenges: loaded from "questList.plist" when the salon is made,
    // with the salon as their evaluator.
    QuestController* questController() const { return questCtrl_.get(); }

protected:
    friend base::Factory;
    explicit Shop(engine::SceneNode* layer);
    ~Shop() override;

private:
    void updateWorkingHours();
    void beginNextDay();
    void updateDoor(bool someoneInDoorway);
    void restoreDay();
    void startPonyDayIfDue();
    bool isInDoorway(QBY_Character const* character) const;
    // The active theme's art: data-folder or bundle names, checked; empty for built-in.
    void findTheme(bool& showDoor);
    void releaseCharacters();
    // Arrivals.
    void makeVisitor(int slot, base::Ref<QBY_Character> customer);
    void muteMusicFor(std::optional<float> seconds);
    // Every staff member stops serving; every customer inside that is not kept leaves.
    void sendEveryoneAway(std::function<bool(QBY_Character const&)> const& kept);
    // Touches.
    bool touchBeganWorking(engine::Point point);
    bool touchBeganAfterHours(engine::Point point);
    bool petFits(QBY_Furniture const& piece) const;
    void setSnapOutline(QBY_Furniture* piece, bool on);
    // Staff.
    void scheduleStaffLog(std::string const& text, bool legacy, double delay);
    bool payStaff(int cost, bool money);
    bool pay(int price, bool petPoints);

    engine::SceneNode* pLayer;
    std::array<base::Ref<QBY_Character>, customerSlots> pCustomer;
    std::array<base::Ref<QBY_Character>, customerSlots> pPet;
    std::array<base::Ref<QBY_Character>, staffSlots> pStaff;
    std::array<base::Ref<QBY_Character>, counterPlaces> pCounterCustomer;
    std::array<base::Ref<QBY_Furniture>, furnitureSlots> pFurniture;
    std::array<int, furnitureTypes> pFurnitureCount {};
    int pFurnCount {0};
    int pVIPAppearCount {0};
    std::array<base::Ref<QBY_Furniture>, furnitureSlots> pUpgradeFurniture;
    base::Ref<QBY_Furniture> pCounterFurniture;
    base::Ref<engine::Sprite> pShopFloor_;
    base::Ref<engine::Sprite> pShopWall_;
    base::Ref<engine::Sprite> pShopDoor_;
    base::Ref<engine::Sprite> pShopFilter_;
    std::array<base::Ref<engine::Sprite>, 2> pCar_;
    float lastGenCustomerTime_ {0};
    float lastGenCarTime {0};
    float fadeInBgmStartTime {0};
    float happyMusicEndTime {0};
    float lastCreateMusicNoteTime {0};
    // The held pause reasons, a set of PauseReason bits.
    unsigned pauseReasons_ {0};
    base::Ref<ItemEffectController> itemEffectCtrl_;
    base::Ref<QuestController> questCtrl_;
    bool bShopOpen {false};
    std::array<bool, furnitureTypes> bIsFurnTypeAvailable {};
    bool bWillFadeInBgm {false};
    bool bIsPlayingHappyMusic {false};
    bool bDeclinedChallengeMode {false};
    bool bWildcardMode {false};
    bool bBlockCustomers {false};
    int nCurLoadingPhase {0};
    int nCurLoadingSubPhase {0};
    std::string mCustomShopFloorName;
    std::string mCustomShopWallName;
    std::string floorImage_;
    std::string wallImage_;
    int curShopTab {0};
    base::Ref<QBY_Character> pDragCharacter;
    base::Ref<QBY_Furniture> pSnapFurniture;
    float fDragOffsetX {0};
    float fDragOffsetY {0};
    base::Ref<foundation::Timer> staffLogTimer_;
    std::string mConsumableSFX;
    base::Ref<base::Dictionary> mCurrentItemData;
};

}
