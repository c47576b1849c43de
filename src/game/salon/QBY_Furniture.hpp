#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <base/WeakRef.hpp>
#include <engine/Geometry.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Timer.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace game {

class AnimatedSprite;

// One piece of salon furniture: its sprite on the salon layer, the service data of
// its level (fee, serving time, patience of those waiting, durability), the spots
// where the owner, the pet and the staff member stand while it is used, its
// occupancy and service state, its upgrade icon, service effect and boost outline.
//
// Pieces are described by the furniture list: "furnitureList.plist" in the bundle,
// or the "furnitureList" of the active level pack. Each entry, keyed by the
// furniture name, has a "type", the spots "charPos" and a "level" dictionary keyed
// by the level as decimal text. An entry of the wrong shape is skipped with a log
// line, as if it were absent.
//
// The salon owns the pieces; the sprite is a child of the layer, which the piece
// does not keep alive. Characters point at pieces without owning them. Main thread.
class QBY_Furniture final : public base::Object {
public:
    // Service states.
    static constexpr int stateFree = 1;
    static constexpr int stateTaken = 2;
    static constexpr int stateInService = 3;
    static constexpr int stateServiceFinished = 4;

    // A piece of the named kind at a level (a level below 1 reads level 1's data but
    // keeps its own number), its sprite at (x, y) on the layer; null when the list
    // has no such name or level.
    static base::Ref<QBY_Furniture> createFurniture(
        std::string const& name, int level, float x, float y, engine::SceneNode* layer);

    // The name of a furniture type ("sofa", "counter", ...), null for any other type.
    static char const* getFurnName(int type);
    // The picture of a type at a level, with its durability put into the name when
    // the level has one; none when the list lacks the type or the level.
    static std::optional<std::string> getPicName(int type, int level);
    // The furniture list in use: the level pack's when one is active, else the
    // bundle's; null when neither loads.
    static base::Ref<base::Dictionary> furnitureList();
    // The picture name with its one integer placeholder ("%d", "%i", "%u", with
    // flags and a width) replaced by value; every other "%" stays as written, so a
    // name from a downloaded list can never act as a format.
    static std::string formatPicName(std::string_view pic, int value);

    // Fills the upgrade fields from the next level of the type; a type of -1, a
    // negative level or no next level leaves the price at -1 (no upgrade).
    void setUpgradeData(int type);
    void setReqShopLevel(int level) { nReqShopLevel_ = level; }

    // The sprite's drawing order: int(10 x screen height - 10 x y), lower in front.
    void updateZPos();
    int getZPos() const;

    engine::Point getCustomerPos() const;
    engine::Point getPetPos() const;
    engine::Point getStaffPos() const;
    int getCharge() const { return nCharge; }

    // Lowers the durability by n and refreshes the picture when at least n is left;
    // false and no change otherwise.
    bool deductDurablity(int n);
    // Sets the durability, clamped to 0 ... full; the picture follows.
    void setDurablity(int n);
    void recoverDurablity();
    // Rebuilds the sprite for the level and the durability left.
    void updateFurnImage();

    void showUpgradeIcon(bool purchase);
    void removeUpgradeIcon();

    // The service effect at the pet's spot, tinted by the kind of service: faded in,
    // faded out, and stepped each salon frame by the frame time until it has faded.
    void showVFX();
    void removeVFX();
    void updateVFX();

    // Base serving time and patience, times the boost factors.
    void setServingTime(float seconds) { servingTime_ = seconds; }
    float servingTime() const { return servingTime_ * servingTimeMult; }
    float timeOutForWaiting() const { return timeOutForWaiting_ * timeOutMult; }
    // A boost of d seconds: the factors, and a yellow outline. A second boost while
    // one runs replaces it, timer included.
    void modServingTimeMult(float servingFactor, float timeOutFactor, float duration);
    void cancelServingTimeMult();

    // Properties.
    engine::Sprite* pSprite() const { return pSprite_.get(); }
    void setPSprite(base::Ref<engine::Sprite> sprite) { pSprite_ = std::move(sprite); }
    int furnType() const { return furnType_; }
    int nLevel() const { return nLevel_; }
    int nFurnID() const { return nFurnID_; }
    void setNFurnID(int id) { nFurnID_ = id; }
    int nDurablity() const { return nDurablity_; }
    int nMaxDurablity() const { return nMaxDurablity_; }
    int curFurnState() const { return curFurnState_; }
    void setCurFurnState(int state) { curFurnState_ = state; }
    int nNumOfCustomer {0};
    int nNumOfPet {0};
    int nNumOfStaff {0};
    engine::Sprite* pUpgradeIcon() const { return pUpgradeIcon_.get(); }
    bool bShowUpgradeIcon() const { return bShowUpgradeIcon_; }
    bool bShowVFX() const { return bShowVFX_; }
    AnimatedSprite* pVFX() const { return pVFX_.get(); }
    int upgradeFurnType() const { return upgradeFurnType_; }
    void setUpgradeFurnType(int type) { upgradeFurnType_ = type; }
    int nUpgradeCost() const { return nUpgradeCost_; }
    int nUpgradeCharge() const { return nUpgradeCharge_; }
    int nReqShopLevel() const { return nReqShopLevel_; }
    int nUpgradeDurablity() const { return nUpgradeDurablity_; }
    std::string const& nUpgradeCostType() const { return nUpgradeCostType_; }
    bool specialHighlight() const { return specialHighlight_; }
    void setSpecialHighlight(bool on) { specialHighlight_ = on; }
    float servingTimeMultiplier() const { return servingTimeMult; }
    float timeOutMultiplier() const { return timeOutMult; }
    foundation::Timer* boostTimer() const { return boostTimer_.get(); }
    // The staff member serving and the pet using the piece; set by the characters.
    base::Object* activeStaff {nullptr};
    base::Object* activePet {nullptr};

private:
    friend base::Factory;
    QBY_Furniture(engine::SceneNode* layer);
    ~QBY_Furniture() override;

    bool init(std::string const& name, int level, float x, float y);
    // Makes the sprite of a level's entry at (x, y) with the picture formatted by
    // the durability value when the piece has durability.
    void makeSprite(base::Dictionary const& levelEntry, float x, float y, int durability);

    base::WeakRef<engine::SceneNode> pLayer;
    base::Ref<engine::Sprite> pSprite_;
    int furnType_ {-1};
    int nCharge {0};
    int nLevel_ {0};
    int nFurnID_ {-1};
    int nDurablity_ {0};
    int nMaxDurablity_ {0};
    engine::Point customerPosOffset;
    engine::Point petPosOffset;
    engine::Point staffPosOffset;
    float servingTime_ {0};
    float timeOutForWaiting_ {0};
    float servingTimeMult {1};
    float timeOutMult {1};
    base::Ref<foundation::Timer> boostTimer_;
    int curFurnState_ {stateFree};
    base::Ref<engine::Sprite> pUpgradeIcon_;
    bool bShowUpgradeIcon_ {false};
    bool bShowVFX_ {false};
    base::Ref<AnimatedSprite> pVFX_;
    int upgradeFurnType_ {-1};
    int nUpgradeCost_ {-1};
    int nUpgradeCharge_ {0};
    int nReqShopLevel_ {1};
    int nUpgradeDurablity_ {0};
    std::string nUpgradeCostType_;
    bool specialHighlight_ {false};
};

}
