#include <game/progression/WildcardServiceEffect.hpp>

#include <base/Log.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>

#include <string>

namespace game {

base::Ref<WildcardServiceEffect> WildcardServiceEffect::init() {
    return base::make<WildcardServiceEffect>();
}

float WildcardServiceEffect::effectDuration() {
    return float(double(mEffectLevel) + 19.0 - 1.0);
}

base::Ref<base::Dictionary> WildcardServiceEffect::purchaseData() {
    auto seconds = std::to_string(int(init()->effectDuration()));
    return purchaseInfo("itm_001", "Supercharged Facilities",
        "For " + seconds + " seconds, any service can be performed at any station.",
        "icon_wildcard_x_5.png", "WildcardBonus");
}

void WildcardServiceEffect::apply(Shop& shop) {
    base::logLine("Wildcard Effect Start");
    shop.setWildcardMode(true);
}

void WildcardServiceEffect::undo() {
    if (auto* shop = GameGlobals::shared().shop.get())
        shop->setWildcardMode(false);
}

}
