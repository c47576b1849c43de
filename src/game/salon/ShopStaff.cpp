// The salon's staff: hiring, training, their log lines and who goes to work.

#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <game/interface/StaffLevels.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/salon/Shop.hpp>
#include <game/salon/ShopSupport.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GraphicEngine.hpp>

#include <algorithm>

namespace game {

using namespace shop_support;

namespace {

void popSprite(engine::SceneNode* sprite) {
    sprite->runAction(engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
        engine::ScaleTo::actionWithDuration(0.1f, 1.2f),
        engine::ScaleTo::actionWithDuration(0.1f, 0.9f),
        engine::ScaleTo::actionWithDuration(0.1f, 1.0f)));
}

}

int Shop::staffLevelCount(int staffType) {
    return game::staffLevelCount(staffType);
}

Shop::StaffPrice Shop::staffUpgradePrice(int staffType, int level) {
    int next = level + 1;
    return {staffLevelCost(staffType, next), !isStaffLevelPremium(staffType, next)};
}

bool Shop::payStaff(int cost, bool money) {
    auto& globals = GameGlobals::shared();
    // Nothing is charged that cannot be paid, and the price of a level that does
    // not exist is never charged at all.
    if (cost < 0 || cost == impossibleCost || (money ? globals.money : globals.petPoints) < cost) {
        foundation::log("Staff change refused: costs %d", cost);
        return false;
    }
    if (money) {
        if (auto* hud = interface())
            hud->updateGameplayMoney(-cost);
        else
            globals.money -= cost;
    } else {
        globals.petPoints -= cost;
        DataConrtoller::logPetPointsSpent(cost);
        globals.petPointsChanged = true;
    }
    return true;
}

void Shop::scheduleStaffLog(std::string const& text, bool legacy, double delay) {
    auto info = base::Dictionary::create();
    info->setObject("Staff", text);
    base::WeakRef<Shop> self(this);
    staffLogTimer_ = foundation::Timer::scheduledTimer(
        delay,
        [self, legacy](foundation::Timer& timer) {
            if (!self.get())
                return;
            auto* parameters = timer.userInfo().dictionary();
            if (!parameters)
                return;
            if (legacy)
                SalonServices::shared().logEvent(
                    parameters->objectForKey("Staff").stringValue(), nullptr);
            else
                SalonServices::shared().logEvent("Hire Staff", parameters->copy());
        },
        false, base::Value(info));
}

QBY_Character* Shop::hireStaff(QBY_Character* staff) {
    auto slot = std::find_if(pStaff.begin(), pStaff.end(),
        [staff](auto const& member) { return staff && member.get() == staff; });
    if (slot == pStaff.end() || staff->bEnable())
        return nullptr;
    int type = staff->staffType();
    if (!payStaff(staff->nHireCost(), type == 0 || type == 1))
        return nullptr;
    staff->enableStaff(true);
    if (staff->getLevel() < 3)
        staff->showHireIcon(false);
    else if (staff->getLevel() >= staffLevelCount(type))
        staff->removeHireIcon();
    if (auto* sprite = staff->pSprite()) {
        sprite->setColor({255, 255, 255});
        sprite->runAction(engine::FadeTo::actionWithDuration(0.2f, 255));
        popSprite(sprite);
    }
    staff->setLevel(1);
    int index = int(slot - pStaff.begin());
    scheduleStaffLog(foundation::format("Staff %d Lv %d", index + 1, 1), false, 0.1);
    {
        DataManager::Batch batch;
        DataConrtoller::saveStaffEnable(type, true);
        DataConrtoller::saveStaffLevel(type, 1);
        DataConrtoller::saveMoney();
        DataConrtoller::savePetPoints();
    }
    if (type == 6)
        SalonServices::shared().updateAchievement(36, 100);
    return staff;
}

QBY_Character* Shop::upgradeStaff(QBY_Character* staff) {
    auto slot = std::find_if(pStaff.begin(), pStaff.end(),
        [staff](auto const& member) { return staff && member.get() == staff; });
    if (slot == pStaff.end() || !staff->bEnable())
        return nullptr;
    int type = staff->staffType();
    int level = staff->getLevel();
    auto price = staffUpgradePrice(type, level);
    if (!payStaff(price.cost, price.money))
        return nullptr;
    staff->setLevel(level + 1);
    int index = int(slot - pStaff.begin());
    scheduleStaffLog(foundation::format("Staff %d Lv %d", index + 1, level + 1), false, 0.1);
    if (level + 1 > 2 && level + 1 >= staffLevelCount(type))
        staff->removeHireIcon();
    DataManager::Batch batch;
    DataConrtoller::saveStaffLevel(type, level + 1);
    DataConrtoller::saveMoney();
    DataConrtoller::savePetPoints();
    return staff;
}

bool Shop::staffGoToWork(QBY_Furniture* furniture) {
    if (!furniture || furniture->furnType() == 0 || furniture->furnType() == -1)
        return false;
    QBY_Character* chosen = nullptr;
    float best = 0;
    for (int i = staffSlots - 1; i >= 0; --i) {
        auto* staff = pStaff[std::size_t(i)].get();
        if (!staff || !staff->getCanWorkInFurniture(furniture->furnType()))
            continue;
        if (staff->pTargetFurniture() == furniture)
            return true;
        if (staff->getAIState() != QBY_Character::stateIdle)
            continue;
        float distance = GraphicEngine::getWalkingDistanceBetweenPoints(
            staff->pSprite()->position(), furniture->getStaffPos());
        if (!chosen || distance < best) {
            chosen = staff;
            best = distance;
        }
    }
    if (!chosen)
        return false;
    chosen->stop();
    chosen->cleanWalkPath();
    chosen->goToFurniture(furniture);
    return true;
}

void Shop::checkStaffAchievements() {
    int hired = 0;
    for (int i = 0; i < staffSlots; ++i) {
        auto* staff = pStaff[std::size_t(i)].get();
        if (!staff || !staff->bEnable())
            continue;
        ++hired;
        scheduleStaffLog(
            foundation::format("Staff %d Lv %d", staff->staffType() + 1, staff->getLevel()), true,
            double(i + 1));
    }
    if (hired == staffSlots)
        SalonServices::shared().updateAchievement(14, 100);
}

}
