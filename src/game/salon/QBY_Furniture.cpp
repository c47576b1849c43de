#include <game/salon/QBY_Furniture.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/FileUtils.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/StaticFileCache.hpp>
#include <engine/Texture2D.hpp>
#include <foundation/Format.hpp>
#include <game/interface/AnimatedSprite.hpp>
#include <game/salon/PictureName.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/Utilities.hpp>

#include <algorithm>

namespace game {

namespace {

constexpr float tabletScaleX = 2.1333334f;
constexpr float tabletScaleY = 2.4f;

char const* const furnitureNames[] = {"sofa", "counter", "bath", "drying", "hair", "facial",
    "massage", "musicplayer", "flea", "sofa2", "doorblock"};

// The entry under a name, when it is a dictionary; a damaged one is logged.
base::Dictionary const* entryNamed(base::Dictionary const& list, std::string const& name) {
    auto const* value = list.find(name);
    if (!value)
        return nullptr;
    if (!value->isDictionary()) {
        foundation::log("Furniture list entry %@ is damaged and skipped", name);
        return nullptr;
    }
    return value->dictionary();
}

// The first entry whose "type" is the type; damaged entries are logged and passed.
base::Dictionary const* entryOfType(base::Dictionary const& list, int type) {
    for (auto const& [name, value] : list) {
        if (!value.isDictionary()) {
            foundation::log("Furniture list entry %@ is damaged and skipped", name);
            continue;
        }
        auto const& typeValue = value.dictionary()->objectForKey("type");
        if (typeValue.isNumber() && typeValue.intValue() == type)
            return value.dictionary();
    }
    return nullptr;
}

// The level's data of an entry, when it is there and has a picture name.
base::Dictionary const* levelOf(base::Dictionary const& entry, int level) {
    auto const* levels = entry.objectForKey("level").dictionary();
    if (!levels)
        return nullptr;
    auto key = std::to_string(level);
    auto const* value = levels->find(key);
    if (!value)
        return nullptr;
    auto const* data = value->dictionary();
    if (!data || !data->objectForKey("pic").isString()) {
        foundation::log("Furniture list level %@ is damaged and skipped", key);
        return nullptr;
    }
    return data;
}

// Both spellings of the durability key are read; the correct one wins.
std::optional<int> durabilityOf(base::Dictionary const& level) {
    std::optional<int> durability;
    if (auto const* value = level.find("durablity"))
        durability = value->intValue();
    if (auto const* value = level.find("durability"))
        durability = value->intValue();
    return durability;
}

engine::Point spotOf(base::Dictionary const* spots, char const* which) {
    base::Dictionary const* spot = spots ? spots->objectForKey(which).dictionary() : nullptr;
    if (!spot)
        return {0, 0};
    engine::Point point {
        spot->objectForKey("x").floatValue(), spot->objectForKey("y").floatValue()};
    if (Utilities::isiPad()) {
        point.x *= tabletScaleX;
        point.y *= tabletScaleY;
    }
    return point;
}

int zForHeight(double y) {
    double height = engine::DirectorServices::current().winSize().height;
    return int(height * 10.0 - y * 10.0);
}

}

std::string QBY_Furniture::formatPicName(std::string_view pic, int value) {
    return formatPictureName(pic, value);
}

char const* QBY_Furniture::getFurnName(int type) {
    if (type < 0 || type >= int(std::size(furnitureNames)))
        return nullptr;
    return furnitureNames[type];
}

base::Ref<base::Dictionary> QBY_Furniture::furnitureList() {
    if (auto const& pack = GameGlobals::shared().levelCapData) {
        if (auto list = pack->objectForKey("furnitureList").dictionaryRef())
            return list;
    }
    auto path = engine::FileUtils::fullPathFromRelativePath("furnitureList.plist");
    return engine::StaticFileCache::sharedCache().dictionaryWithContentsOfFile(path);
}

std::optional<std::string> QBY_Furniture::getPicName(int type, int level) {
    auto list = furnitureList();
    auto const* entry = list ? entryOfType(*list, type) : nullptr;
    auto const* data = entry ? levelOf(*entry, level) : nullptr;
    if (!data)
        return std::nullopt;
    auto const& pic = *data->objectForKey("pic").string();
    if (auto durability = durabilityOf(*data))
        return formatPicName(pic, *durability);
    return pic;
}

base::Ref<QBY_Furniture> QBY_Furniture::createFurniture(
    std::string const& name, int level, float x, float y, engine::SceneNode* layer) {
    auto furniture = base::make<QBY_Furniture>(layer);
    if (!furniture->init(name, level, x, y))
        return nullptr;
    return furniture;
}

QBY_Furniture::QBY_Furniture(engine::SceneNode* layer)
    : pLayer(layer) {
}

QBY_Furniture::~QBY_Furniture() {
    if (boostTimer_)
        boostTimer_->invalidate();
    // The effect's batch node sits on the layer and keeps the effect alive: take it
    // off, or it would stay on the floor after the piece.
    if (pVFX_)
        pVFX_->destroy();
    if (pUpgradeIcon_ && pSprite_)
        pSprite_->removeChild(pUpgradeIcon_.get(), engine::Cleanup::Yes);
    if (auto* layer = pLayer.get(); layer && pSprite_)
        layer->removeChild(pSprite_.get(), engine::Cleanup::Yes);
}

bool QBY_Furniture::init(std::string const& name, int level, float x, float y) {
    auto list = furnitureList();
    auto const* entry = list ? entryNamed(*list, name) : nullptr;
    if (!entry)
        return false;
    nLevel_ = level;
    auto const* data = levelOf(*entry, level < 1 ? 1 : level);
    if (!data)
        return false;

    nDurablity_ = nMaxDurablity_ = durabilityOf(*data).value_or(0);
    makeSprite(*data, x, y, nMaxDurablity_);

    furnType_ = entry->objectForKey("type").intValue();
    nCharge = data->objectForKey("charge").intValue();
    servingTime_ = data->objectForKey("servingTime").floatValue();
    timeOutForWaiting_ = data->objectForKey("timeOut").floatValue();
    curFurnState_ = stateFree;

    auto const* spots = entry->objectForKey("charPos").dictionary();
    customerPosOffset = spotOf(spots, "customer");
    petPosOffset = spotOf(spots, "pet");
    staffPosOffset = spotOf(spots, "staff");

    setUpgradeData(furnType_);
    return true;
}

void QBY_Furniture::makeSprite(
    base::Dictionary const& levelEntry, float x, float y, int durability) {
    auto const& pic = *levelEntry.objectForKey("pic").string();
    std::string file = nMaxDurablity_ >= 1 ? formatPicName(pic, durability) : pic;
    pSprite_ = GraphicEngine::createSprite(file, x, y, pLayer.get(), 0);
    pSprite_->setVisible(true);
    updateZPos();
    // The anchor puts the piece's reference point on its position; a picture that
    // did not load has no size and keeps the centre of its bottom edge.
    auto* texture = pSprite_->texture();
    engine::Size size = texture ? texture->contentSize() : engine::Size {};
    float offsetX = levelEntry.objectForKey("offsetX").floatValue();
    float offsetY = levelEntry.objectForKey("offsetY").floatValue();
    pSprite_->setAnchorPoint({size.width > 0 ? offsetX / size.width + 0.5f : 0.5f,
        size.height > 0 ? offsetY / size.height : 0.0f});
}

void QBY_Furniture::setUpgradeData(int type) {
    upgradeFurnType_ = type;
    nUpgradeCost_ = -1;
    nUpgradeCharge_ = 0;
    nReqShopLevel_ = 1;
    nUpgradeDurablity_ = 0;
    if (type == -1 || nLevel_ < 0)
        return;
    auto list = furnitureList();
    auto const* entry = list ? entryOfType(*list, type) : nullptr;
    auto const* data = entry ? levelOf(*entry, nLevel_ + 1) : nullptr;
    if (!data)
        return;
    nUpgradeCostType_ = data->objectForKey("cost_type").stringValue();
    nUpgradeCost_ = data->objectForKey("cost").intValue();
    nUpgradeCharge_ = data->objectForKey("charge").intValue();
    nReqShopLevel_ = data->objectForKey("reqShopLv").intValue();
    nUpgradeDurablity_ = durabilityOf(*data).value_or(0);
}

void QBY_Furniture::updateZPos() {
    if (auto* layer = pLayer.get(); layer && pSprite_)
        layer->reorderChild(pSprite_.get(), zForHeight(double(pSprite_->position().y)));
}

int QBY_Furniture::getZPos() const {
    return pSprite_ ? pSprite_->zOrder() : 0;
}

engine::Point QBY_Furniture::getCustomerPos() const {
    auto p = pSprite_->position();
    return {p.x + customerPosOffset.x, p.y + customerPosOffset.y};
}

engine::Point QBY_Furniture::getPetPos() const {
    auto p = pSprite_->position();
    return {p.x + petPosOffset.x, p.y + petPosOffset.y};
}

engine::Point QBY_Furniture::getStaffPos() const {
    auto p = pSprite_->position();
    return {p.x + staffPosOffset.x, p.y + staffPosOffset.y};
}

bool QBY_Furniture::deductDurablity(int n) {
    if (nDurablity_ < n)
        return false;
    nDurablity_ -= n;
    updateFurnImage();
    return true;
}

void QBY_Furniture::setDurablity(int n) {
    nDurablity_ = std::clamp(n, 0, std::max(nMaxDurablity_, 0));
    updateFurnImage();
}

void QBY_Furniture::recoverDurablity() {
    nDurablity_ = nMaxDurablity_;
    updateFurnImage();
}

void QBY_Furniture::updateFurnImage() {
    if (!pSprite_)
        return;
    auto list = furnitureList();
    auto const* entry = list ? entryOfType(*list, furnType_) : nullptr;
    auto const* data = entry ? levelOf(*entry, nLevel_) : nullptr;
    if (!data)
        return;
    auto position = pSprite_->position();
    if (auto* layer = pLayer.get())
        layer->removeChild(pSprite_.get(), engine::Cleanup::Yes);
    makeSprite(*data, position.x, position.y, nDurablity_);
}

void QBY_Furniture::showUpgradeIcon(bool purchase) {
    if (bShowUpgradeIcon_ || !pSprite_)
        return;
    if (pUpgradeIcon_)
        pSprite_->removeChild(pUpgradeIcon_.get(), engine::Cleanup::Yes);
    pUpgradeIcon_ = engine::Sprite::spriteWithFile(
        purchase ? "qrn_ip_icon_purchase.png" : "qrn_ip_icon_upgrade.png");
    pSprite_->addChild(pUpgradeIcon_, 0);
    auto size = pSprite_->contentSize();
    if (furnType_ == 1)
        pUpgradeIcon_->setPosition({size.width / 2 + 30, size.height});
    else
        pUpgradeIcon_->setPosition(
            {size.width / 2, std::min(size.height, Utilities::isiPad() ? 160.0f : 80.0f)});
    pUpgradeIcon_->setVisible(true);
    pUpgradeIcon_->setRotation(10);
    auto rock = engine::Sequence::actions(engine::RotateBy::actionWithDuration(0.4f, -20),
        engine::RotateBy::actionWithDuration(0.4f, 20));
    pUpgradeIcon_->runAction(engine::Repeat::actionWithAction(rock, 99999));
    pUpgradeIcon_->setScale(0);
    pUpgradeIcon_->runAction(engine::ScaleTo::actionWithDuration(0.3f, 1));
    bShowUpgradeIcon_ = true;
}

void QBY_Furniture::removeUpgradeIcon() {
    if (!pUpgradeIcon_ || !bShowUpgradeIcon_)
        return;
    pUpgradeIcon_->stopAllActions();
    pUpgradeIcon_->runAction(engine::ScaleTo::actionWithDuration(0.3f, 0));
    bShowUpgradeIcon_ = false;
}

void QBY_Furniture::showVFX() {
    if (bShowVFX_ || !pSprite_)
        return;
    if (!pVFX_) {
        auto position = pSprite_->position();
        float x = position.x + petPosOffset.x;
        float y = position.y + petPosOffset.y;
        pVFX_ = AnimatedSprite::init("vfx006", x, y, pLayer.get(), float(zForHeight(double(y))));
        if (!pVFX_)
            return;
        pVFX_->setFPS(12);
    }
    pVFX_->setVisible(true);
    engine::Color3B tint {255, 255, 255};
    switch (furnType_) {
    case 2:
        tint = {255, 192, 192};
        break;
    case 3:
        tint = {200, 255, 145};
        break;
    case 4:
        tint = {150, 200, 255};
        break;
    case 5:
        tint = {255, 200, 228};
        break;
    case 6:
    case 8:
        tint = {255, 180, 100};
        break;
    default:
        break;
    }
    pVFX_->setColor(tint);
    pVFX_->stopAllActions();
    pVFX_->setOpacity(0);
    GraphicEngine::fadeInAtlasSprite(pVFX_.get(), 0.4f);
    bShowVFX_ = true;
}

void QBY_Furniture::removeVFX() {
    if (!pVFX_ || !bShowVFX_)
        return;
    pVFX_->stopAllActions();
    GraphicEngine::fadeOutAtlasSprite(pVFX_.get(), 0.4f);
    bShowVFX_ = false;
}

void QBY_Furniture::updateVFX() {
    if (!pVFX_ || !pVFX_->visible())
        return;
    if (pVFX_->opacity() > 0 || bShowVFX_)
        pVFX_->update(GameGlobals::shared().deltaTime);
    else
        pVFX_->setVisible(false);
}

void QBY_Furniture::modServingTimeMult(float servingFactor, float timeOutFactor, float duration) {
    specialHighlight_ = true;
    servingTimeMult = servingFactor;
    timeOutMult = timeOutFactor;
    // One boost at a time: the timer of an earlier boost would end this one early.
    if (boostTimer_)
        boostTimer_->invalidate();
    base::WeakRef<QBY_Furniture> self(this);
    boostTimer_ = foundation::Timer::scheduledTimer(
        duration,
        [self](foundation::Timer&) {
            if (auto* furniture = self.get())
                furniture->cancelServingTimeMult();
        },
        false);
    if (pSprite_) {
        pSprite_->setStroke(true);
        pSprite_->setStrokeColor({255, 255, 0});
        pSprite_->setStrokeSize(2.0f);
    }
}

void QBY_Furniture::cancelServingTimeMult() {
    specialHighlight_ = false;
    if (boostTimer_) {
        boostTimer_->invalidate();
        boostTimer_ = nullptr;
    }
    servingTimeMult = 1;
    timeOutMult = 1;
    if (pSprite_)
        pSprite_->setStroke(false);
}

}
