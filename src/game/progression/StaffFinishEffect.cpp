#include <game/progression/StaffFinishEffect.hpp>

#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>

namespace game {

base::Ref<StaffFinishEffect> StaffFinishEffect::init() {
    return base::make<StaffFinishEffect>();
}

void StaffFinishEffect::startEffect() {
    _remaining = effectDuration() + cooldownDuration();
    auto* shop = GameGlobals::shared().shop.get();
    if (!shop)
        return;
    for (int i = 0; i < Shop::staffSlots; ++i) {
        if (auto* staff = shop->getStaff(i))
            staff->finishNow();
    }
}

}
