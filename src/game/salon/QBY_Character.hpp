#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <base/WeakRef.hpp>
#include <engine/Geometry.hpp>
#include <engine/Label.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Timer.hpp>
#include <game/salon/CharacterSprite.hpp>
#include <game/salon/PathWalker.hpp>

#include <array>
#include <deque>
#include <string>

namespace game {

class AnimatedSprite;
class QBY_Furniture;
class Shop;

// Every person and animal of the salon: the customer (a pet's owner), the pet, the
// staff member and the special visitor. The body is a CharacterSprite; this adds
// the per-frame behaviour: the AI state machine that walks a character in, seats
// it, sends it from furniture to furniture and walks it out; the walk path the path
// finder fills; the pet's service queue, fees and bonuses; the staff member's
// serving; the request bubble and its patience; emotions; income and star messages.
//
// The salon (Shop) creates the characters, owns them and calls update on each every
// frame. The master, pet and target furniture are references the character does not
// own. Main thread only, except the queue of pending income messages, which is
// shared by every character and guarded by its own lock.
class QBY_Character : public CharacterSprite, public PathWalker {
public:
    // Kinds.
    static constexpr int typeCustomer = 0;
    static constexpr int typePet = 1;
    static constexpr int typeStaff = 2;
    static constexpr int typeSpecial = 3;
    // AI states.
    enum AIState {
        stateIdle = 0,
        stateEntering = 1,
        stateWalkingIn = 2,
        stateWaitingAtDoor = 3,
        stateWalkingToFurniture = 4,
        stateAtFurniture = 5,
        stateWaitingForService = 6,
        stateLeaving = 7,
        stateGone = 8,
    };
    static constexpr int serviceQuerySize = 10;

    // The character of the key ("characterList.plist", else a downloaded entry whose
    // "char_id" is the key's last component) at (x, y) on the layer.
    static base::Ref<QBY_Character> createCharacter(
        std::string const& key, float x, float y, engine::SceneNode* layer, int type);

    // Key + pose + facing + frame ("%.3d.png").
    static std::string getPicName(
        std::string const& key, int type, int action, int direction, int frame);

    // One frame of behaviour.
    void update();
    // The body's actions, and those of the bubble and the emotion when they exist.
    void pause() override;
    void resume() override;
    void updateAIState();
    void changeAIState(int state) { curAIState = state; }
    int getAIState() const { return curAIState; }

    // --- walking ---
    void goToPoint(engine::Point point);
    void goToStartPoint();
    void setStartPoint(engine::Point point) { startPoint = point; }
    engine::Point getStartPoint() const { return startPoint; }
    // At the front.
    void insertWalkPath(engine::Point point) override;
    // At the end. The path grows as needed, so a long path is never cut.
    void addWalkPath(engine::Point point);
    void cleanWalkPath();
    // No request pending, no waypoint left, and standing exactly on the destination.
    bool isReachDest() const;
    void leaveShop();
    void leaveShopFromCounter();
    void setBWaitingPathFind(bool waiting) override { bWaitingPathFind = waiting; }
    bool isWaitingPathFind() const { return bWaitingPathFind; }
    // The used slots of the walk path, in order (tests and diagnostics).
    int walkPathLength() const { return int(walkPath.size()); }
    engine::Point walkPathPoint(int index) const { return walkPath[std::size_t(index)]; }

    // --- bubbles and patience ---
    void showBubble();
    void changeBubble();
    void updateBubblePosition();
    void removeBubble();
    void updateBubbleState();
    void setBigBubble(bool big);
    void resetWaitingTime();
    void pressBubble();
    void showHireIcon(bool purchase);
    void removeHireIcon() { removeBubble(); }
    bool bShowBubble() const { return bShowBubble_; }
    // The picture of the bubble on show ("" when none was chosen).
    std::string const& bubbleName() const { return bubbleName_; }
    engine::Sprite* pBubble() const { return pBubble_.get(); }
    int curSatisfactionState() const { return curSatisfactionState_; }
    float startWaitingTime() const { return startWaitingTime_; }

    // --- messages and emotions ---
    void showEmotion(int emotion);
    void updateEmotionPosition();
    // Queues the message; one message a second is shown, by whichever character
    // updates first.
    void showIncome(int income, float satisfaction);
    void showIncomeHelper(int income, float satisfaction, engine::Point position);
    void hideIncome() { }
    void hideIncomeBonus() { }
    void showStarMessage(std::string const& text);
    AnimatedSprite* pEmotion() const { return pEmotion_.get(); }
    // The label and the star of the last star message, left faded out on the layer.
    engine::Label* speedLabelNode() const { return speedLabel.get(); }
    engine::Sprite* spinningStarNode() const { return spinningStar.get(); }
    // The pending income messages and the time the last was shown (tests).
    static std::size_t pendingIncomeMessages();
    static void resetIncomeMessages();

    // --- services ---
    void initServiceQuery();
    // The current request; 11 (any service) in wildcard mode unless it is the sofa
    // or the counter.
    int getService() const;
    void nextService();
    int serviceAt(int slot) const { return serviceQuery[std::size_t(slot)]; }
    void processCommand();
    void goToFurniture(QBY_Furniture* furniture);
    void arriveFurniture();
    void useFurniture(QBY_Furniture* furniture);
    void leaveFurniture();
    void stopService();
    void showFastService();
    void showSpeedMessage();
    void showIncomeBonus();
    void setWildcardMode(bool on);
    bool wildcardMode() const { return bWildcardMode; }
    void tap();

    // --- the flames of a fully tapped-up service ---
    // The flames of the second quick tap ("fs", tag 112), beside the staff member;
    // they fade out after 1.5 s.
    void showFireStartVFX();
    // The flames of the last step ("wh", tag 111), in place of the first ones; they
    // fade out after 1.5 s.
    void showFireVFX();
    // Each frame: at the staff member, advanced by the frame time, at its depth.
    void updateFireStartVFX();
    void updateFireVFX();
    // Fade out, then kill.
    void hideFireStartVFX();
    void hideFireVFX();
    // Hidden, off the layer and forgotten.
    void killFireStartVFX();
    void killFireVFX();
    AnimatedSprite* fireStartVFX() const { return fireStartVFX_.get(); }
    AnimatedSprite* fireVFX() const { return fireVFX_.get(); }

    // --- staff ---
    void enableStaff(bool enable);
    void setCanWorkInFurniture(int type, bool can);
    bool getCanWorkInFurniture(int type) const;
    void setLevel(int level);
    int getLevel() const { return nLevel; }
    void restoreSpeedSettings() { setLevel(nLevel); }
    void finishNow() { startServingTime = -2147483648.0f; }
    float servingStartTime() const { return startServingTime; }

    // --- properties ---
    int charType() const { return charType_; }
    int spCharType() const { return spCharType_; }
    void setSpCharType(int type) { spCharType_ = type; }
    int staffType() const { return staffType_; }
    void setStaffType(int type) { staffType_ = type; }
    QBY_Character* pMaster() const { return pMaster_.get(); }
    void setPMaster(QBY_Character* master) { pMaster_ = master; }
    QBY_Character* pPet() const { return pPet_.get(); }
    void setPPet(QBY_Character* pet) { pPet_ = pet; }
    QBY_Furniture* pTargetFurniture() const { return pTargetFurniture_.get(); }
    void setPTargetFurniture(QBY_Furniture* furniture) { pTargetFurniture_ = furniture; }
    int nTotalFee() const { return nTotalFee_; }
    void setNTotalFee(int fee) { nTotalFee_ = fee; }
    float fFeeRatio() const { return fFeeRatio_; }
    void setFFeeRatio(float ratio) { fFeeRatio_ = ratio; }
    // The visit's worth times the satisfaction ratio.
    float fSatisfaction() const { return fSatisfaction_ * fSatisfactionRatio_; }
    void setFSatisfaction(float value) { fSatisfaction_ = value; }
    float fSatisfactionRatio() const { return fSatisfactionRatio_; }
    void setFSatisfactionRatio(float ratio) { fSatisfactionRatio_ = ratio; }
    float fTimeOutSpeed() const { return fTimeOutSpeed_; }
    void setFTimeOutSpeed(float speed) { fTimeOutSpeed_ = speed; }
    float fSatisfactionPunishmentRatio() const { return fSatisfactionPunishmentRatio_; }
    void setFSatisfactionPunishmentRatio(float ratio) { fSatisfactionPunishmentRatio_ = ratio; }
    float fWalkSpeed() const { return fWalkSpeed_; }
    void setFWalkSpeed(float speed) { fWalkSpeed_ = speed; }
    float fServingSpeed() const { return fServingSpeed_; }
    void setFServingSpeed(float speed) { fServingSpeed_ = speed; }
    float fChargeRatio() const { return fChargeRatio_; }
    void setFChargeRatio(float ratio) { fChargeRatio_ = ratio; }
    bool bEnable() const { return bEnable_; }
    bool bUsingFurniture() const { return bUsingFurniture_; }
    void setBUsingFurniture(bool using_) { bUsingFurniture_ = using_; }
    std::string const& sCharName() const { return sCharName_; }
    void setSCharName(std::string name) { sCharName_ = std::move(name); }
    int nHireCost() const { return nHireCost_; }
    void setNHireCost(int cost) { nHireCost_ = cost; }
    int nReqShopLevel() const { return nReqShopLevel_; }
    void setNReqShopLevel(int level) { nReqShopLevel_ = level; }
    std::string const& mCharFileName() const { return mCharFileName_; }
    int tapcount() const { return tapcount_; }
    float tapSpeedBonusMult() const { return tapSpeedBonusMult_; }
    double waitFurnStartTime() const { return waitFurnStartTime_; }
    // "PET_COMBO_%p" of this character.
    std::string comboGroup() const;

protected:
    friend base::Factory;
    QBY_Character(base::Ref<base::Dictionary> entry, std::string const& key, float x, float y,
        engine::SceneNode* layer, int type);
    ~QBY_Character() override;

private:
    static base::Ref<base::Dictionary> characterEntry(std::string const& key);
    void addFrame(std::string const& key, int type, int action, int direction, int frame);
    void serveAtFurniture(QBY_Furniture* furniture);
    void updateAtFurniture();
    void leaveAngry();
    void walkOut(engine::Point door, engine::Point street);
    // A new effect of the sheet at (x, y) with the tag, transparent, fading in, at
    // the depth of a point 10 below it.
    base::Ref<AnimatedSprite> makeFire(std::string const& sheet, float x, float y, int tag);
    // Stops the effect and takes it off the layer.
    static void discardFire(AnimatedSprite* effect);
    static int fireZ(float y);
    // A one-shot timer that calls the operation unless the character has gone.
    base::Ref<foundation::Timer> afterDelay(double seconds, void (QBY_Character::*operation)());
    static Shop* shop();
    static double now();
    // A bubble picture at the character, pulsing.
    void placeBubble();

    base::WeakRef<engine::SceneNode> layer_;
    int charType_ {0};
    int spCharType_ {-1};
    int staffType_ {-1};
    // The waypoints still to walk, the next first.
    std::deque<engine::Point> walkPath;
    engine::Point startPoint;
    int curAIState {stateIdle};
    std::array<int, serviceQuerySize> serviceQuery {};
    base::WeakRef<QBY_Character> pMaster_;
    base::WeakRef<QBY_Character> pPet_;
    base::WeakRef<QBY_Furniture> pTargetFurniture_;
    base::Ref<engine::Sprite> pBubble_;
    std::string bubbleName_;
    base::Ref<AnimatedSprite> pEmotion_;
    int nTotalFee_ {0};
    float fFeeRatio_ {1};
    float fSatisfaction_ {0};
    float fSatisfactionRatio_ {1};
    float fTimeOutSpeed_ {1};
    float fSatisfactionPunishmentRatio_ {1};
    int curSatisfactionState_ {0};
    float startWaitingTime_ {0};
    float startServingTime {0};
    int nLevel {0};
    float fOriginalWalkSpeed {1};
    float fOriginalServingSpeed {1};
    float fWalkSpeed_ {1};
    float fServingSpeed_ {1};
    bool bEnable_ {true};
    bool bShowBubble_ {false};
    bool bBigBubble {false};
    bool bWaitingPathFind {false};
    bool bUsingFurniture_ {false};
    std::array<bool, 12> bCanWorkInFurn {};
    bool bWildcardMode {false};
    std::string sCharName_;
    int nHireCost_ {0};
    int nReqShopLevel_ {1};
    std::string mCharFileName_;
    int tapcount_ {0};
    float tapSpeedBonusMult_ {1};
    double lastTapTime {0};
    base::Ref<engine::Label> speedLabel;
    base::Ref<engine::Sprite> spinningStar;
    base::Ref<AnimatedSprite> fireVFX_;
    base::Ref<AnimatedSprite> fireStartVFX_;
    // The timers that fade the flames out; a new effect replaces its timer, so an
    // earlier timer never cuts the new flames short.
    base::Ref<foundation::Timer> fireTimer;
    base::Ref<foundation::Timer> fireStartTimer;
    double waitFurnStartTime_ {0};
    double waitFurnStopTime {0};
    float slowPetMultiplier {1};
    float fChargeRatio_ {1};
};

}
