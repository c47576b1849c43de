#include <game/progression/StaffSpeedEffect.hpp>

#include <foundation/Format.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/Utilities.hpp>

#include <string>

namespace game {

base::Ref<StaffSpeedEffect> StaffSpeedEffect::init() {
    return base::make<StaffSpeedEffect>();
}

float StaffSpeedEffect::effectDuration() {
    return float(2.0 * mEffectLevel - 2 + 19.0);
}

base::Ref<base::Dictionary> StaffSpeedEffect::purchaseData() {
    auto effect = init();
    auto seconds = std::to_string(int(effect->effectDuration()));
    auto factor = foundation::format("%g", double(effect->speedFactor()));
    return purchaseInfo("itm_002", "Power Boost",
        "Your staff works/moves " + factor + " times as fast for " + seconds + " seconds.",
        "icon_power_x_5.png", "SpeedBonus");
}

void StaffSpeedEffect::apply(Shop& shop) {
    bool pad = Utilities::isiPad();
    double factor = speedFactor();
    for (int i = 0; i < Shop::staffSlots; ++i) {
        auto* staff = shop.getStaff(i);
        if (!staff)
            continue;
        staff->setFWalkSpeed(float(double(staff->fWalkSpeed()) * factor));
        staff->setFServingSpeed(float(double(staff->fServingSpeed()) * factor));
        staff->setWalkSpeed(staff->fWalkSpeed() * (pad ? 298 : 140));
        staff->setFPS(staff->fWalkSpeed() * (pad ? 7 : 14));
    }
}

void StaffSpeedEffect::undo() {
    auto* shop = GameGlobals::shared().shop.get();
    if (!shop)
        return;
    for (int i = 0; i < Shop::staffSlots; ++i) {
        if (auto* staff = shop->getStaff(i))
            staff->restoreSpeedSettings();
    }
}

}
