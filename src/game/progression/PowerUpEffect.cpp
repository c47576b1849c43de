#include <game/progression/PowerUpEffect.hpp>

#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>

namespace game {

namespace {

// The main game layer: the salon's own layer where no main layer is made.
engine::SceneNode* mainGameLayer(Shop* shop) {
    auto& globals = GameGlobals::shared();
    if (globals.mainLayer)
        return globals.mainLayer.get();
    return shop ? shop->layer() : nullptr;
}

}

void PowerUpEffect::startEffect() {
    _remaining = effectDuration() + cooldownDuration();
    auto* shop = GameGlobals::shared().shop.get();
    if (!shop)
        return;
    apply(*shop);
    _effectAnim = makeAnim();
    if (auto* layer = mainGameLayer(shop))
        layer->addChild(_effectAnim, 50000);
    shop->pauseGame(Shop::PauseReason::ItemEffectAnim);
}

void PowerUpEffect::removeAnim(Shop* shop) {
    if (!_effectAnim)
        return;
    if (auto* parent = _effectAnim->parent())
        parent->removeChild(_effectAnim.get(), engine::Cleanup::Yes);
    _effectAnim = nullptr;
    if (shop)
        shop->resumeGame(Shop::PauseReason::ItemEffectAnim);
}

void PowerUpEffect::updateEffect(float) {
    auto* shop = GameGlobals::shared().shop.get();
    if (_effectAnim && _effectAnim->isAnimFinished())
        removeAnim(shop);
    if (shop)
        reapply(*shop);
}

void PowerUpEffect::endEffect(float) {
    removeAnim(GameGlobals::shared().shop.get());
    undo();
}

base::Ref<base::Dictionary> PowerUpEffect::purchaseInfo(std::string const& uid,
    std::string const& name, std::string const& desc, std::string const& thumb,
    std::string const& dataKey) {
    auto data = base::Dictionary::create();
    data->setObject("thumb", thumb);
    data->setObject("data_key", dataKey);
    data->setObject("lot_size", 5);
    auto info = base::Dictionary::create();
    info->setObject("cost", 15);
    info->setObject("cost_type", "pp");
    info->setObject("type", "consumable");
    info->setObject("name", name);
    info->setObject("desc", desc);
    info->setObject("uid", uid);
    info->setObject("data", data);
    return info;
}

}
