#include <game/progression/IncomeBonusEffect.hpp>

#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>

#include <string>

namespace game {

namespace {

void setChargeRatio(Shop& shop, float ratio) {
    for (int i = 0; i < Shop::customerSlots; ++i) {
        if (auto* customer = shop.getCustomer(i))
            customer->setFChargeRatio(ratio);
        if (auto* pet = shop.getPet(i))
            pet->setFChargeRatio(ratio);
    }
}

}

base::Ref<IncomeBonusEffect> IncomeBonusEffect::init() {
    return base::make<IncomeBonusEffect>();
}

float IncomeBonusEffect::effectDuration() {
    return float(2 * mEffectLevel + 27);
}

base::Ref<base::Dictionary> IncomeBonusEffect::purchaseData() {
    // The text gives the duration the effect runs at its first level.
    auto seconds = std::to_string(int(init()->effectDuration()));
    return purchaseInfo("itm_000", "Tip Magnet",
        "Your staff receives extra tips for " + seconds + " seconds.", "icon_tips_x_5.png",
        "IncomeBonus");
}

void IncomeBonusEffect::apply(Shop& shop) {
    setChargeRatio(shop, 2.0f);
}

void IncomeBonusEffect::undo() {
    if (auto* shop = GameGlobals::shared().shop.get())
        setChargeRatio(*shop, 1.0f);
}

}
