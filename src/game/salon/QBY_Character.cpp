#include <game/salon/QBY_Character.hpp>

#include <engine/ActionManager.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/StaticFileCache.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/Random.hpp>
#include <game/interface/AnimatedSprite.hpp>
#include <game/interface/Interface.hpp>
#include <game/salon/ComboTracker.hpp>
#include <game/salon/PathFindingSystem.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Theme.hpp>
#include <game/shell/Utilities.hpp>

#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>

namespace game {

namespace {

constexpr float padX = 2.1333334f;
constexpr float padY = 2.4f;

bool isPad() {
    return Utilities::isiPad();
}

engine::Point scaled(float x, float y) {
    return isPad() ? engine::Point {x * padX, y * padY} : engine::Point {x, y};
}

float shopTime() {
    return GameGlobals::shared().shopTime;
}

void playSound(std::string const& name) {
    if (auto* engine = SoundEngine::sharedManager())
        engine->playSoundName(name);
}

// The pending income messages of every character: whichever character updates first
// shows the oldest, at most one a second.
struct IncomeMessage {
    int income;
    float satisfaction;
    engine::Point position;
};

struct IncomeQueue {
    std::mutex lock;
    std::deque<IncomeMessage> messages;
    double lastShown {1.1754943508222875e-38};
};

IncomeQueue& incomeQueue() {
    static IncomeQueue queue;
    return queue;
}

// The service order of a fresh queue.
constexpr int serviceOrder[5] = {4, 2, 5, 6, 8};

}

base::Ref<base::Dictionary> QBY_Character::characterEntry(std::string const& key) {
    auto& cache = engine::StaticFileCache::sharedCache();
    if (auto path = cache.pathForResource(Theme::getThemeFile("characterList.plist"))) {
        if (auto list = cache.dictionaryWithContentsOfFile(*path)) {
            if (auto entry = list->objectForKey(key).dictionaryRef())
                return entry;
        }
    }
    auto slash = key.rfind('/');
    std::string id = slash == std::string::npos ? key : key.substr(slash + 1);
    base::Ref<base::Dictionary> found;
    if (auto list = cache.arrayWithContentsOfFile("/var/mobile/Library/Marrowby/unpacked.plist")) {
        for (auto const& value : *list) {
            auto* item = value.dictionary();
            auto* data = item ? item->objectForKey("data").dictionary() : nullptr;
            if (data && data->objectForKey("char_id").stringValue() == id)
                found = data->copy();
        }
    }
    return found;
}

base::Ref<QBY_Character> QBY_Character::createCharacter(
    std::string const& key, float x, float y, engine::SceneNode* layer, int type) {
    return base::make<QBY_Character>(characterEntry(key), key, x, y, layer, type);
}

namespace {

// The sheet a character is drawn from: its entry's "ThemeName", else its key. The
// entry comes from the engine's file cache, which keeps the parsed list, since a busy
// day creates a character every few seconds.
std::string sheetName(base::Dictionary const* entry, std::string const& key) {
    auto const* name = entry ? entry->objectForKey("ThemeName").string() : nullptr;
    return name ? *name : key;
}

engine::Point entryOffset(base::Dictionary const* entry) {
    if (!entry)
        return {0, 0};
    return {
        entry->objectForKey("offsetX").floatValue(), entry->objectForKey("offsetY").floatValue()};
}

}

QBY_Character::QBY_Character(base::Ref<base::Dictionary> entry, std::string const& key, float x,
    float y, engine::SceneNode* layer, int type)
    : CharacterSprite(sheetName(entry.get(), key), x, y, layer, entryOffset(entry.get()))
    , layer_(layer)
    , charType_(type)
    , startPoint {x, y}
    , mCharFileName_(key) {
    ComboTracker::sharedTracker().resetComboCountForGroup(comboGroup());
    pSprite()->setVisible(true);
    int walkFrames = isPad() ? 4 : 9;
    int servingFrames = type == typeStaff ? 4 : 1;
    for (int direction = 0; direction < 4; ++direction) {
        addFrame(key, type, STAND, direction, 0);
        addFrame(key, type, SIT, direction, 0);
        for (int frame = 0; frame < walkFrames; ++frame)
            addFrame(key, type, WALK, direction, frame);
        for (int frame = 0; frame < servingFrames; ++frame)
            addFrame(key, type, SERVING, direction, frame);
    }
    setZPosOffset(type == typePet ? -1 : type == typeStaff ? 1 : 0);
    updateFrame();
    cleanWalkPath();
    if (entry) {
        if (auto const* walk = entry->find("walkSpeed"))
            fOriginalWalkSpeed = walk->floatValue();
        if (auto const* serving = entry->find("servingSpeed"))
            fOriginalServingSpeed = serving->floatValue();
    }
    initServiceQuery();
}

QBY_Character::~QBY_Character() {
    // Furniture points at its users without owning them.
    if (auto* shopNow = shop()) {
        for (int i = 0; i < Shop::furnitureSlots; ++i) {
            if (auto* piece = shopNow->getFurniture(i)) {
                if (piece->activePet == this)
                    piece->activePet = nullptr;
                if (piece->activeStaff == this)
                    piece->activeStaff = nullptr;
            }
        }
    }
    if (auto* finder = GameGlobals::shared().pathFinder.get())
        finder->cancelRequests(this);
    if (auto* layer = layer_.get()) {
        if (pBubble_)
            layer->removeChild(pBubble_.get(), engine::Cleanup::Yes);
        if (spinningStar)
            layer->removeChild(spinningStar.get(), engine::Cleanup::Yes);
        if (speedLabel)
            layer->removeChild(speedLabel.get(), engine::Cleanup::Yes);
    }
    if (pEmotion_)
        pEmotion_->destroy();
    // The timers would have faded the flames out; with the character gone nobody
    // else would.
    for (auto* timer : {fireTimer.get(), fireStartTimer.get()}) {
        if (timer)
            timer->invalidate();
    }
    discardFire(fireVFX_.get());
    discardFire(fireStartVFX_.get());
}

Shop* QBY_Character::shop() {
    return GameGlobals::shared().shop.get();
}

double QBY_Character::now() {
    return foundation::Clock::current().wallTime();
}

std::string QBY_Character::comboGroup() const {
    return foundation::format("PET_COMBO_%p", static_cast<void const*>(this));
}

std::string QBY_Character::getPicName(
    std::string const& key, int type, int action, int direction, int frame) {
    auto facing = [](int d) -> char const* {
        switch (d) {
        case UP:
            return "a";
        case RIGHT:
        case LEFT:
            return "c";
        default:
            return "e";
        }
    };
    char const* pose = "002";
    char const* face = "e";
    switch (action) {
    case STAND:
        pose = direction == DOWN ? "002" : "001";
        face = facing(direction);
        break;
    case WALK:
        pose = "001";
        face = facing(direction);
        break;
    case SIT:
        pose = type == typeCustomer || type == typeSpecial ? "004" : "002";
        break;
    case SERVING:
        if (type == typeStaff) {
            pose = "003";
            face = facing(direction);
        }
        break;
    default:
        break;
    }
    return key + pose + face + foundation::format("%.3d.png", frame);
}

void QBY_Character::addFrame(
    std::string const& key, int type, int action, int direction, int frame) {
    CharacterSprite::addFrame(getPicName(key, type, action, direction, frame), action, direction);
}

// --- per frame ---

void QBY_Character::update() {
    auto& globals = GameGlobals::shared();
    CharacterSprite::update(globals.deltaTime);
    {
        auto& queue = incomeQueue();
        std::optional<IncomeMessage> message;
        {
            std::lock_guard lock(queue.lock);
            double time = now();
            if (!queue.messages.empty() && time - queue.lastShown > 1.0) {
                message = queue.messages.front();
                queue.messages.pop_front();
                queue.lastShown = time;
            }
        }
        if (message)
            showIncomeHelper(message->income, message->satisfaction, message->position);
    }
    if (charType_ == typeStaff && staffType_ == 5 && bEnable_ && curAIState == stateIdle) {
        if (auto* shopNow = shop()) {
            if (auto* counter = shopNow->getCounterFurniture()) {
                goToFurniture(counter);
                shopNow->pressCounterCustomerBubble();
            }
        }
    }
    if (!walkPath.empty() && !bWaitingPathFind) {
        if (pSprite()->position() == walkPath.front()) {
            walkPath.pop_front();
            if (!walkPath.empty())
                walkTo(walkPath.front());
            else
                changeAction(STAND);
        } else if (getAction() != WALK) {
            walkTo(walkPath.front());
        }
    }
    updateFireVFX();
    updateFireStartVFX();
    updateAIState();
    updateEmotionPosition();
}

void QBY_Character::pause() {
    CharacterSprite::pause();
    if (pBubble_)
        engine::ActionManager::sharedManager().pauseAllActionsForTarget(pBubble_.get());
    if (pEmotion_)
        pEmotion_->pause();
}

void QBY_Character::resume() {
    CharacterSprite::resume();
    if (pBubble_)
        engine::ActionManager::sharedManager().resumeAllActionsForTarget(pBubble_.get());
    if (pEmotion_)
        pEmotion_->resume();
}

void QBY_Character::updateAIState() {
    updateBubbleState();
    auto* shopNow = shop();
    bool visitor = charType_ == typeCustomer || charType_ == typeSpecial;
    switch (curAIState) {
    case stateEntering:
        if (visitor) {
            curAIState = stateWalkingIn;
            goToPoint(scaled(160, 190));
        } else if (charType_ == typePet) {
            curAIState = stateWalkingIn;
            goToPoint(isPad() ? engine::Point {341.33334f, 466.00003f} : engine::Point {160, 200});
        }
        break;
    case stateWalkingIn:
        if (!isReachDest())
            break;
        if (visitor) {
            if (charType_ == typeSpecial && shopNow) {
                if (spCharType_ == 5)
                    shopNow->dlcSpecialCustomerAppearEvent(sCharName_);
                else
                    shopNow->specialCustomerAppearEvent(spCharType_);
            }
            curAIState = stateWaitingAtDoor;
        } else if (charType_ == typePet) {
            if (auto* master = pMaster(); master && master->pTargetFurniture()) {
                curAIState = stateWalkingToFurniture;
                goToFurniture(master->pTargetFurniture());
            }
        }
        break;
    case stateWaitingAtDoor:
        if (!visitor)
            break;
        if (shopTime() - startWaitingTime_ > 0.5f && !bShowBubble_)
            showBubble();
        else
            processCommand();
        break;
    case stateWalkingToFurniture:
        if (bShowBubble_)
            updateBubblePosition();
        if (isReachDest())
            arriveFurniture();
        break;
    case stateAtFurniture:
        updateAtFurniture();
        break;
    case stateLeaving:
        if (isReachDest()) {
            pSprite()->setVisible(false);
            curAIState = stateGone;
        }
        break;
    default:
        break;
    }
}

void QBY_Character::updateAtFurniture() {
    auto* piece = pTargetFurniture();
    if (!piece)
        return;
    auto* shopNow = shop();
    int type = piece->furnType();
    if (!bUsingFurniture_) {
        if (charType_ != typeStaff) {
            useFurniture(piece);
            showBubble();
            return;
        }
        bool use = false;
        switch (type) {
        case 0:
            use = piece->nNumOfPet >= 1 && piece->nNumOfCustomer >= 1
                && piece->curFurnState() == QBY_Furniture::stateTaken;
            break;
        case 1:
            use = shopNow && shopNow->canServeCounter();
            break;
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 8:
            use = piece->nNumOfPet >= 1 && piece->curFurnState() == QBY_Furniture::stateTaken;
            break;
        default:
            return;
        }
        if (use)
            useFurniture(piece);
        else
            leaveFurniture();
        return;
    }
    if (charType_ == typePet) {
        auto* master = pMaster();
        if (master && master->bUsingFurniture() && type == 0) {
            nextService();
            curAIState = stateWaitingForService;
            showBubble();
        } else if (piece->curFurnState() == QBY_Furniture::stateInService && type != 1) {
            if (bShowBubble_)
                removeBubble();
        } else if (piece->curFurnState() == QBY_Furniture::stateServiceFinished && type != 1) {
            nTotalFee_ = int(float(nTotalFee_) + fChargeRatio_ * float(piece->getCharge()));
            nextService();
            curAIState = stateWaitingForService;
            if (getService() == 1 && shopNow && shopNow->canAddCustomerToCounter())
                processCommand();
            else
                showBubble();
        }
        return;
    }
    if (charType_ == typeStaff) {
        auto* pet = dynamic_cast<QBY_Character*>(piece->activePet);
        slowPetMultiplier = pet ? pet->slowPetMultiplier : 1.0f;
        if (slowPetMultiplier <= 0.0001f)
            slowPetMultiplier = 1;
        float limit
            = piece->servingTime() / (slowPetMultiplier * fServingSpeed_ * tapSpeedBonusMult_);
        if (shopTime() - startServingTime > limit) {
            if (type == 1) {
                if (shopNow && shopNow->finishCounterService()) {
                    piece->setCurFurnState(QBY_Furniture::stateFree);
                    leaveFurniture();
                } else {
                    piece->setCurFurnState(QBY_Furniture::stateTaken);
                    bUsingFurniture_ = false;
                }
            } else {
                piece->setCurFurnState(QBY_Furniture::stateServiceFinished);
                piece->removeVFX();
                leaveFurniture();
            }
        }
    }
}

// --- walking ---

void QBY_Character::goToPoint(engine::Point point) {
    stop();
    cleanWalkPath();
    auto position = pSprite()->position();
    auto tile = [](engine::Point p, int& x, int& y) {
        if (isPad()) {
            x = int(std::floor(p.x * 0.46875f / 10));
            y = int(std::floor(p.y * 0.41666666f / 10));
        } else {
            x = int(p.x / 10);
            y = int(p.y / 10);
        }
    };
    int sx, sy, gx, gy;
    tile(position, sx, sy);
    tile(point, gx, gy);
    if (auto* finder = GameGlobals::shared().pathFinder.get())
        finder->findPath(sx, sy, gx, gy, this);
    else
        insertWalkPath(point);
}

void QBY_Character::goToStartPoint() {
    goToPoint(startPoint);
}

void QBY_Character::insertWalkPath(engine::Point point) {
    walkPath.push_front(point);
}

void QBY_Character::addWalkPath(engine::Point point) {
    walkPath.push_back(point);
}

void QBY_Character::cleanWalkPath() {
    walkPath.clear();
}

bool QBY_Character::isReachDest() const {
    if (bWaitingPathFind || !walkPath.empty())
        return false;
    return pSprite()->position() == getDestPoint();
}

void QBY_Character::walkOut(engine::Point door, engine::Point street) {
    goToPoint(door);
    addWalkPath(street);
}

void QBY_Character::leaveShop() {
    auto* shopNow = shop();
    auto door = scaled(160, 250);
    engine::Point street = isPad() ? engine::Point {0, 600} : engine::Point {0, 250};
    auto sendOut = [&](QBY_Character* character) {
        if (shopNow && shopNow->getDragCharacter() == character)
            shopNow->cancelDrag();
        character->leaveFurniture();
        character->curAIState = stateLeaving;
        character->walkOut(door, street);
    };
    if (charType_ == typeCustomer || charType_ == typeSpecial) {
        auto* target = pTargetFurniture();
        if (target && target->furnType() == 1 && shopNow
            && shopNow->getCounterCustomerIndex(this) >= 0) {
            shopNow->removeCustomerFromCounter(this);
            return;
        }
        leaveFurniture();
        curAIState = stateLeaving;
        walkOut(door, street);
        if (auto* pet = pPet(); pet && pet->curAIState != stateLeaving)
            sendOut(pet);
    } else if (charType_ == typePet) {
        sendOut(this);
        if (auto* master = pMaster(); master && master->curAIState != stateLeaving) {
            // An owner queued at the counter leaves the queue, which walks it out.
            if (shopNow && shopNow->getCounterCustomerIndex(master) >= 0)
                shopNow->removeCustomerFromCounter(master);
            else
                sendOut(master);
        }
    }
}

void QBY_Character::leaveShopFromCounter() {
    float sx = isPad() ? padX : 1.0f;
    float sy = isPad() ? padY : 1.0f;
    addWalkPath({std::round(100 * sx), std::round(60 * sy)});
    addWalkPath({std::round(160 * sx), std::round(60 * sy)});
    addWalkPath({std::round(160 * sx), std::round(250 * sy)});
    addWalkPath({0, std::round(250 * sy)});
}

// --- bubbles ---

void QBY_Character::showBubble() {
    startWaitingTime_ = shopTime();
    curSatisfactionState_ = 0;
    changeBubble();
    if (pBubble_)
        pBubble_->setScale(0);
}

void QBY_Character::changeBubble() {
    if (pBubble_) {
        if (auto* layer = layer_.get())
            layer->removeChild(pBubble_.get(), engine::Cleanup::Yes);
        pBubble_ = nullptr;
    }
    bubbleName_.clear();
    std::string name;
    auto* target = pTargetFurniture();
    switch (curAIState) {
    case stateWaitingAtDoor:
        name = "sofa";
        break;
    case stateWaitingForService:
        switch (getService()) {
        case 0:
            name = "sofa";
            break;
        case 1:
            name = "counter";
            break;
        case 2:
            name = "bath";
            break;
        case 3:
            name = "drying";
            break;
        case 4:
            name = "hair";
            break;
        case 5:
            name = "facial";
            break;
        case 6:
            name = "massage";
            break;
        case 8:
            name = "flea";
            break;
        case 11:
            name = "wildcard";
            break;
        default:
            break;
        }
        break;
    case stateAtFurniture:
        if (!target || target->furnType() == 0 || (charType_ == typePet && target->furnType() == 1)
            || (target->activeStaff
                && target->curFurnState() == QBY_Furniture::stateServiceFinished))
            break;
        name = target->furnType() == 1 ? "counter" : "service";
        break;
    default:
        break;
    }
    if (name.empty() || curSatisfactionState_ > 1 || curSatisfactionState_ < 0)
        return;
    bubbleName_ = foundation::format(
        curSatisfactionState_ == 0 ? "qrn_ip_icon_%@_normal.png" : "qrn_ip_icon_%@_hurry.png",
        name);
    placeBubble();
}

void QBY_Character::placeBubble() {
    pBubble_ = engine::Sprite::spriteWithFile(bubbleName_);
    if (auto* layer = layer_.get())
        layer->addChild(pBubble_, getZPos() + 1);
    pBubble_->setOpacity(190);
    updateBubblePosition();
    float duration = curSatisfactionState_ == 1 ? 0.2f : 0.3f;
    float high = bBigBubble ? 1.5f : 1.0f;
    float low = bBigBubble ? 1.2f : 0.8f;
    pBubble_->setScale(low);
    pBubble_->runAction(engine::Repeat::actionWithAction(
        engine::Sequence::actionOne(engine::ScaleTo::actionWithDuration(duration, high),
            engine::ScaleTo::actionWithDuration(duration, low)),
        99999));
    pBubble_->setVisible(true);
    bShowBubble_ = true;
}

void QBY_Character::updateBubblePosition() {
    if (!bShowBubble_ || !pBubble_)
        return;
    auto position = pSprite()->position();
    bool visitor = charType_ == typeCustomer || charType_ == typeSpecial;
    float dx = isPad() ? 5.0f : 0.0f;
    float dy = isPad() ? (visitor ? 150.0f : 100.0f) : (visitor ? 80.0f : 50.0f);
    pBubble_->setPosition({position.x + dx, position.y + dy});
    if (auto* layer = layer_.get())
        layer->reorderChild(pBubble_.get(), getZPos() + 1);
}

void QBY_Character::removeBubble() {
    if (!bShowBubble_)
        return;
    if (pBubble_) {
        pBubble_->stopAllActions();
        pBubble_->runAction(engine::ScaleTo::actionWithDuration(0.3f, 0));
    }
    bShowBubble_ = false;
    bBigBubble = false;
}

void QBY_Character::setBigBubble(bool big) {
    if (big == bBigBubble)
        return;
    bBigBubble = big;
    changeBubble();
}

void QBY_Character::resetWaitingTime() {
    if (bShowBubble_ && curSatisfactionState_ == 1) {
        curSatisfactionState_ = 0;
        changeBubble();
    }
    startWaitingTime_ = shopTime();
}

void QBY_Character::updateBubbleState() {
    if (!bShowBubble_)
        return;
    float limit;
    if (curAIState == stateWaitingAtDoor) {
        limit = 10;
    } else if (curAIState == stateAtFurniture || curAIState == stateWaitingForService) {
        auto* target = pTargetFurniture();
        if (!target)
            return;
        limit = target->timeOutForWaiting();
    } else {
        return;
    }
    limit *= fTimeOutSpeed_;
    float waited = shopTime() - startWaitingTime_;
    if (curSatisfactionState_ == 0 && double(waited) >= 0.7 * double(limit)) {
        if (serviceQuery[0] != 0)
            GameGlobals::shared().customerHurryCount += 1;
        curSatisfactionState_ = 1;
        changeBubble();
        fSatisfaction_ -= 0.1f;
    } else if (curSatisfactionState_ == 1 && waited >= limit) {
        leaveAngry();
    }
}

void QBY_Character::leaveAngry() {
    auto& globals = GameGlobals::shared();
    if (auto* hud = globals.interface.get())
        hud->updateGameplaySatisfaction(-0.48f * fSatisfactionPunishmentRatio_);
    if (curAIState != stateWaitingAtDoor) {
        globals.customerLeaveToday += 1;
        globals.customerLeaveOverall += 1;
        globals.customerAngryCount += 1;
    }
    base::Ref<QBY_Character> held(this);
    leaveShop();
    QBY_Character* owner = charType_ == typePet ? pMaster() : this;
    if (!owner)
        return;
    owner->showEmotion(1);
    switch (owner->spCharType_) {
    case 1:
        SalonServices::shared().updateAchievement(31, 100);
        break;
    case 0:
        SalonServices::shared().updateAchievement(34, 100);
        break;
    case 5:
        if (auto* shopNow = shop())
            shopNow->dlcSpecialCustomerAngryEvent(owner->sCharName_);
        break;
    default:
        break;
    }
}

void QBY_Character::showHireIcon(bool purchase) {
    if (pBubble_) {
        if (auto* layer = layer_.get())
            layer->removeChild(pBubble_.get(), engine::Cleanup::Yes);
    }
    bubbleName_ = purchase ? "qrn_ip_icon_purchase.png" : "qrn_ip_icon_upgrade.png";
    pBubble_ = engine::Sprite::spriteWithFile(bubbleName_);
    auto position = pSprite()->position();
    pBubble_->setPosition({position.x, position.y + (isPad() ? 140.0f : 50.0f)});
    if (auto* layer = layer_.get())
        layer->addChild(pBubble_, getZPos() + 1);
    pBubble_->setVisible(true);
    pBubble_->setRotation(10);
    pBubble_->runAction(engine::Repeat::actionWithAction(
        engine::Sequence::actionOne(engine::RotateBy::actionWithDuration(0.4f, -20),
            engine::RotateBy::actionWithDuration(0.4f, 20)),
        99999));
    pBubble_->setScale(0);
    pBubble_->runAction(engine::ScaleTo::actionWithDuration(0.3f, 1.0f));
    bShowBubble_ = true;
}

void QBY_Character::pressBubble() {
    if (!bShowBubble_)
        return;
    if (pBubble_) {
        pBubble_->stopAllActions();
        pBubble_->runAction(
            engine::Sequence::actionOne(engine::ScaleTo::actionWithDuration(0.15f, 1.5f),
                engine::ScaleTo::actionWithDuration(0.3f, 0)));
    }
    bShowBubble_ = false;
    bBigBubble = false;
    double time = now();
    waitFurnStopTime = time;
    auto* target = pTargetFurniture();
    bool atCounter = target && target->furnType() == 1;
    auto& combos = ComboTracker::sharedTracker();
    if (time - waitFurnStartTime_ < 1.5 && fChargeRatio_ == 1.0f) {
        showFastService();
    } else if (!atCounter && target) {
        auto* pet = dynamic_cast<QBY_Character*>(target->activePet);
        combos.resetComboCountForGroup(pet ? pet->comboGroup() : comboGroup());
        if (fChargeRatio_ != 1.0f
            && int(fChargeRatio_ * float(target->getCharge())) - target->getCharge() > 0)
            showIncomeBonus();
    }
    if (!atCounter)
        GameGlobals::shared().customerService += 1;
    if (target) {
        char const* event = nullptr;
        switch (target->furnType()) {
        case 2:
            event = "EVT_BATH";
            break;
        case 3:
            event = "EVT_DRYING";
            break;
        case 4:
            event = "EVT_HAIRCUT";
            break;
        case 5:
            event = "EVT_FACIAL";
            break;
        case 6:
            event = "EVT_MASSAGE";
            break;
        case 8:
            event = "EVT_FLEA";
            break;
        default:
            break;
        }
        if (event) {
            if (auto combo = combos.triggerOrderedComboEvent(event)) {
                if (auto* shopNow = shop())
                    shopNow->triggerCombo(*combo);
            }
        }
    }
    if (auto* shopNow = shop())
        shopNow->updateActiveQuests();
}

// --- emotions and messages ---

void QBY_Character::showEmotion(int emotion) {
    if (pEmotion_) {
        pEmotion_->destroy();
        pEmotion_ = nullptr;
    }
    char const* name = nullptr;
    if (emotion == 0) {
        GameGlobals::shared().customerHappyCount += 1;
        name = "Emotion_Happy";
    } else if (emotion == 1) {
        name = "Emotion_Angry";
    }
    if (!name)
        return;
    pEmotion_ = AnimatedSprite::init(name, 0, 0, layer_.get(), 0);
    if (pEmotion_) {
        pEmotion_->setOpacity(255);
        pEmotion_->setFPS(8);
        pEmotion_->setScale(0);
        pEmotion_->runAction(
            engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.2f, 1.0f),
                engine::DelayTime::actionWithDuration(1.5f),
                engine::ScaleTo::actionWithDuration(0.2f, 0)));
    }
    updateEmotionPosition();
    if (auto* shopNow = shop())
        shopNow->updateActiveQuests();
}

void QBY_Character::updateEmotionPosition() {
    if (!pEmotion_ || !pEmotion_->visible())
        return;
    if (pEmotion_->numberOfRunningActions() == 0) {
        pEmotion_->setVisible(false);
        return;
    }
    pEmotion_->update(GameGlobals::shared().deltaTime);
    auto position = pSprite()->position();
    engine::Point offset = isPad() ? engine::Point {35, 120}
        : charType_ == typePet     ? engine::Point {15, 40}
                                   : engine::Point {15, 70};
    pEmotion_->setPosition({position.x + offset.x, position.y + offset.y});
    pEmotion_->updateZPos(getZPos() + 1);
}

void QBY_Character::showIncome(int income, float satisfaction) {
    auto& queue = incomeQueue();
    std::lock_guard lock(queue.lock);
    queue.messages.push_back({income, satisfaction, pSprite()->position()});
}

std::size_t QBY_Character::pendingIncomeMessages() {
    auto& queue = incomeQueue();
    std::lock_guard lock(queue.lock);
    return queue.messages.size();
}

void QBY_Character::resetIncomeMessages() {
    auto& queue = incomeQueue();
    std::lock_guard lock(queue.lock);
    queue.messages.clear();
    queue.lastShown = 1.1754943508222875e-38;
}

void QBY_Character::showIncomeHelper(int income, float satisfaction, engine::Point position) {
    if (auto* hud = GameGlobals::shared().interface.get())
        hud->showIncomeDisplay(income, satisfaction, position, layer_.get());
}

void QBY_Character::showStarMessage(std::string const& text) {
    if (!bEnable_)
        return;
    auto* layer = layer_.get();
    if (!layer)
        return;
    if (speedLabel) {
        speedLabel->stopAllActions();
        layer->removeChild(speedLabel.get(), engine::Cleanup::Yes);
    }
    if (spinningStar) {
        spinningStar->stopAllActions();
        layer->removeChild(spinningStar.get(), engine::Cleanup::Yes);
    }
    auto position = pSprite()->position();
    float x = std::min(position.x, isPad() ? 960.0f : 400.0f);
    float y = position.y + 70;
    int z = getZPos() + 1;
    speedLabel = GraphicEngine::createLabel(text, x, y, layer, float(z), isPad() ? 24 : 14);
    speedLabel->setVisible(true);
    speedLabel->runAction(engine::Sequence::actions(engine::FadeIn::actionWithDuration(0.1f),
        engine::DelayTime::actionWithDuration(1.4f), engine::FadeOut::actionWithDuration(0.5f)));
    // The star follows the text, not the label's box, which is as wide as the screen.
    float halfWidth = speedLabel->getTextSize().width / 2;
    spinningStar
        = GraphicEngine::createSprite("Gameplay_Star.png", x + halfWidth + 10, y, layer, float(z));
    spinningStar->setVisible(true);
    spinningStar->runAction(engine::Sequence::actions(engine::FadeIn::actionWithDuration(0.1f),
        engine::DelayTime::actionWithDuration(1.8f), engine::FadeOut::actionWithDuration(0.1f)));
    spinningStar->runAction(
        engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.2f, 1.5f),
            engine::ScaleTo::actionWithDuration(0.1f, 0.9f),
            engine::ScaleTo::actionWithDuration(0.1f, 1.0f),
            engine::DelayTime::actionWithDuration(1.1f),
            engine::ScaleTo::actionWithDuration(0.3f, 0.01f)));
    spinningStar->runAction(engine::RotateBy::actionWithDuration(2.0f, 1080));
}

// --- services ---

void QBY_Character::initServiceQuery() {
    auto* shopNow = shop();
    bool presidentsPet = pMaster() && pMaster()->spCharType_ == 0;
    bool visitor = charType_ == typeCustomer || charType_ == typeSpecial;
    fSatisfaction_ = 0;
    serviceQuery[0] = 0;
    std::size_t next = 1;
    if (visitor)
        fSatisfaction_ += 0.05f;
    int n = 0;
    if (shopNow) {
        for (int type : serviceOrder)
            n += shopNow->getFurnCount(type);
    }
    auto append = [&](int type) {
        serviceQuery[next++] = type;
        fSatisfaction_ += 0.05f;
        if (type == 2 && shopNow->isFurnTypeAvailable(3)) {
            serviceQuery[next++] = 3;
            fSatisfaction_ += 0.05f;
        }
    };
    if (n > 0) {
        double weights[5];
        for (int i = 0; i < 5; ++i)
            weights[i] = double(shopNow->getFurnCount(serviceOrder[i])) / double(n);
        if (presidentsPet) {
            for (int type : serviceOrder) {
                if (shopNow->isFurnTypeAvailable(type))
                    append(type);
            }
        } else {
            auto& random = foundation::Rand48::shared();
            long draws = random.lrand48() % 4 + 1;
            int start = 0;
            for (long draw = 0; draw < draws && start < 5; ++draw) {
                double sum = 0;
                for (int i = start; i < 5; ++i)
                    sum += weights[i];
                double r = random.drand48();
                double total = 0;
                for (int i = start; i < 5 && sum > 0; ++i) {
                    total += weights[i] / sum;
                    // A kind the room lacks is never drawn, even by a draw of exactly 0.
                    if (r <= total && weights[i] > 0) {
                        append(serviceOrder[i]);
                        start = i + 1;
                        break;
                    }
                }
            }
        }
    }
    // Every queue ends at the counter, even in a room without service furniture, so
    // that every pet is paid for and leaves.
    serviceQuery[next] = 1;
    if (visitor)
        fSatisfaction_ += 0.05f;
}

int QBY_Character::getService() const {
    int service = serviceQuery[0];
    if (bWildcardMode && service != 0 && service != 1)
        return 11;
    return service;
}

void QBY_Character::nextService() {
    auto advance = [this] {
        for (int i = 0; i < serviceQuerySize - 1; ++i) {
            serviceQuery[std::size_t(i)] = serviceQuery[std::size_t(i + 1)];
            if (serviceQuery[std::size_t(i)] == 1)
                break;
        }
    };
    advance();
    if (auto* target = pTargetFurniture();
        target && target->furnType() == serviceQuery[0] && !bWildcardMode)
        advance();
    waitFurnStartTime_ = now();
}

void QBY_Character::processCommand() {
    auto* shopNow = shop();
    if (!shopNow)
        return;
    int wanted = serviceQuery[0];
    for (int i = 0; i < Shop::furnitureSlots; ++i) {
        auto* piece = shopNow->getFurniture(i);
        if (!piece || piece->furnType() != wanted)
            continue;
        if (wanted == 1 && charType_ == typePet) {
            base::Ref<QBY_Character> master(pMaster());
            if (master && shopNow->addCustomerToCounter(master.get())) {
                leaveFurniture();
                goToFurniture(piece);
                master->nextService();
                master->leaveFurniture();
                master->goToFurniture(piece);
            }
            return;
        }
        if (piece->curFurnState() == QBY_Furniture::stateFree) {
            leaveFurniture();
            goToFurniture(piece);
            return;
        }
    }
}

void QBY_Character::goToFurniture(QBY_Furniture* furniture) {
    if (!furniture)
        return;
    auto* shopNow = shop();
    float step = isPad() ? 48.0f : 20.0f;
    engine::Point spot;
    if (charType_ == typePet) {
        spot = furniture->getPetPos();
        furniture->activePet = this;
        if (furniture->furnType() == 1 && shopNow)
            spot.y += float(std::max(0, shopNow->getCounterCustomerIndex(pMaster()))) * step;
        if (furniture->curFurnState() == QBY_Furniture::stateFree)
            furniture->setCurFurnState(QBY_Furniture::stateTaken);
    } else if (charType_ == typeStaff) {
        spot = furniture->getStaffPos();
    } else {
        spot = furniture->getCustomerPos();
        if (furniture->furnType() == 1 && shopNow)
            spot.y += float(std::max(0, shopNow->getCounterCustomerIndex(this))) * step;
        if (furniture->curFurnState() == QBY_Furniture::stateFree)
            furniture->setCurFurnState(QBY_Furniture::stateTaken);
    }
    curAIState = stateWalkingToFurniture;
    setPTargetFurniture(furniture);
    goToPoint(spot);
}

void QBY_Character::arriveFurniture() {
    auto* piece = pTargetFurniture();
    if (!piece)
        return;
    if (charType_ == typePet)
        piece->nNumOfPet += 1;
    else if (charType_ == typeStaff)
        piece->nNumOfStaff += 1;
    else
        piece->nNumOfCustomer += 1;
    curAIState = stateAtFurniture;
}

void QBY_Character::serveAtFurniture(QBY_Furniture* furniture) {
    changeAction(SERVING);
    startServingTime = shopTime();
    furniture->setCurFurnState(QBY_Furniture::stateInService);
}

void QBY_Character::useFurniture(QBY_Furniture* furniture) {
    tapSpeedBonusMult_ = 1;
    int type = furniture->furnType();
    if (charType_ == typeStaff) {
        switch (type) {
        case 0:
            startServingTime = shopTime();
            break;
        case 1:
            changeDirection(UP);
            serveAtFurniture(furniture);
            break;
        case 4:
            changeDirection(RIGHT);
            serveAtFurniture(furniture);
            furniture->showVFX();
            break;
        case 5:
            changeDirection(LEFT);
            serveAtFurniture(furniture);
            furniture->showVFX();
            break;
        case 2:
        case 3:
        case 6:
        case 8:
            changeDirection(DOWN);
            serveAtFurniture(furniture);
            furniture->showVFX();
            break;
        default:
            changeDirection(DOWN);
            changeAction(STAND);
            break;
        }
    } else {
        changeDirection(DOWN);
        bool sits = type == 0 && charType_ != typePet;
        changeAction(sits ? SIT : STAND);
    }
    bUsingFurniture_ = true;
    if (charType_ == typeStaff) {
        furniture->activeStaff = this;
        char const* sound = nullptr;
        switch (type) {
        case 2:
            sound = "FurnBath";
            break;
        case 3:
            sound = "FurnDying";
            break;
        case 4:
            sound = "FurnHairCut";
            break;
        case 5:
            sound = "FurnFacial";
            break;
        case 6:
            sound = "FurnMassage";
            break;
        case 8:
            sound = "FurnFlea";
            break;
        default:
            break;
        }
        if (sound)
            playSound(sound);
    }
}

void QBY_Character::leaveFurniture() {
    if (auto* piece = pTargetFurniture()) {
        bUsingFurniture_ = false;
        if (charType_ == typePet) {
            piece->nNumOfPet -= 1;
        } else if (charType_ == typeStaff) {
            piece->nNumOfStaff -= 1;
            if (piece->activeStaff == this)
                piece->activeStaff = nullptr;
        } else {
            piece->nNumOfCustomer -= 1;
        }
        piece->nNumOfPet = std::max(0, piece->nNumOfPet);
        piece->nNumOfStaff = std::max(0, piece->nNumOfStaff);
        piece->nNumOfCustomer = std::max(0, piece->nNumOfCustomer);
        if (charType_ != typeStaff && piece->nNumOfCustomer < 1 && piece->nNumOfPet < 1)
            piece->setCurFurnState(QBY_Furniture::stateFree);
        if (charType_ == typePet)
            piece->activePet = nullptr;
        setPTargetFurniture(nullptr);
        curAIState = stateIdle;
        changeAction(STAND);
        changeDirection(DOWN);
    }
    tapcount_ = 0;
    removeBubble();
}

void QBY_Character::stopService() {
    startServingTime = 0;
    if (auto* piece = pTargetFurniture()) {
        piece->removeVFX();
        leaveFurniture();
    }
    tapcount_ = 0;
}

void QBY_Character::showFastService() {
    auto& globals = GameGlobals::shared();
    globals.customerFastService += 1;
    auto* target = pTargetFurniture();
    auto* pet = target ? dynamic_cast<QBY_Character*>(target->activePet) : nullptr;
    auto group = pet ? pet->comboGroup() : comboGroup();
    auto& combos = ComboTracker::sharedTracker();
    int count = combos.getComboCountForGroup(group);
    int bonus = count == 0 ? 5 : 5 * count + 5;
    combos.addComboCount(1, group);
    auto text = foundation::Bundle::mainBundle().localizedString("FAST_BONUS");
    showStarMessage(foundation::format(foundation::FormatText(text), bonus));
    nTotalFee_ += bonus;
}

void QBY_Character::showSpeedMessage() {
    auto* target = pTargetFurniture();
    if (!target)
        return;
    int bonus = int(fChargeRatio_ * float(target->getCharge()) * 0.5f);
    if (bonus < 1)
        return;
    QBY_Character* credited = this;
    if (charType_ == typeStaff)
        credited = dynamic_cast<QBY_Character*>(target->activePet);
    if (credited)
        credited->nTotalFee_ += bonus;
    auto text = foundation::Bundle::mainBundle().localizedString("SPEED_BONUS");
    showStarMessage(foundation::format(foundation::FormatText(text), bonus));
}

void QBY_Character::showIncomeBonus() {
    if (!bEnable_ || fChargeRatio_ == 1.0f)
        return;
    if (auto* engine = SoundEngine::sharedManager())
        engine->playSoundEffect("token_jangle03.wav");
    auto* target = pTargetFurniture();
    int charge = target ? target->getCharge() : 0;
    int extra = int(fChargeRatio_ * float(charge)) - charge;
    if (extra < 1)
        return;
    fSatisfaction_ += 0.1f;
    auto position = pSprite()->position();
    engine::Point at {std::min(position.x, isPad() ? 990.0f : 430.0f), position.y + 70};
    if (auto* hud = GameGlobals::shared().interface.get())
        hud->showIncomeBonusDisplay(at, getZPos() + 1, layer_.get());
}

void QBY_Character::setWildcardMode(bool on) {
    bWildcardMode = on;
    auto* target = pTargetFurniture();
    if (!on && curAIState == stateWaitingForService && target
        && serviceQuery[0] == target->furnType())
        nextService();
    changeBubble();
}

void QBY_Character::tap() {
    auto* target = pTargetFurniture();
    if (curAIState != stateAtFurniture || !target || !target->activePet)
        return;
    double time = now();
    if (time - lastTapTime > 1.0) {
        lastTapTime = time;
        return;
    }
    int steps = nLevel <= 6 ? 4 : 2;
    if (tapcount_ == 1)
        showFireStartVFX();
    if (tapcount_ <= steps) {
        tapcount_ += 1;
        tapSpeedBonusMult_ = float(1.0 + double(tapcount_) / double(steps));
    }
    if (tapcount_ == steps + 1) {
        tapcount_ += 1;
        showSpeedMessage();
        showFireVFX();
    }
    lastTapTime = time;
}

// --- the flames ---

int QBY_Character::fireZ(float y) {
    double height = engine::DirectorServices::current().winSize().height;
    return int(10.0 * height - 10.0 * (double(y) + 10.0));
}

void QBY_Character::discardFire(AnimatedSprite* effect) {
    if (!effect)
        return;
    effect->stopAllActions();
    effect->setOpacity(0);
    effect->destroy();
}

base::Ref<AnimatedSprite> QBY_Character::makeFire(
    std::string const& sheet, float x, float y, int tag) {
    auto effect = AnimatedSprite::init(sheet, x, y, layer_.get(), float(fireZ(y)));
    if (!effect)
        return nullptr;
    effect->setTag(tag);
    effect->setVisible(true);
    effect->setOpacity(0);
    effect->setFPS(12);
    GraphicEngine::fadeInAtlasSprite(effect.get(), 0.1f);
    return effect;
}

base::Ref<foundation::Timer> QBY_Character::afterDelay(
    double seconds, void (QBY_Character::*operation)()) {
    base::WeakRef<QBY_Character> self(this);
    return foundation::Timer::scheduledTimer(
        seconds,
        [self, operation](foundation::Timer&) {
            if (auto* character = self.get())
                (character->*operation)();
        },
        false);
}

void QBY_Character::showFireStartVFX() {
    discardFire(fireStartVFX_.get());
    auto position = pSprite()->position();
    fireStartVFX_ = makeFire("fs", position.x + 20, position.y, 112);
    playSound("fire");
    if (fireStartTimer)
        fireStartTimer->invalidate();
    fireStartTimer = afterDelay(1.5, &QBY_Character::hideFireStartVFX);
}

void QBY_Character::showFireVFX() {
    hideFireStartVFX();
    discardFire(fireVFX_.get());
    auto position = pSprite()->position();
    fireVFX_ = makeFire("wh", position.x, position.y, 111);
    if (fireTimer)
        fireTimer->invalidate();
    fireTimer = afterDelay(1.5, &QBY_Character::hideFireVFX);
}

void QBY_Character::updateFireVFX() {
    if (!fireVFX_)
        return;
    auto position = pSprite()->position();
    fireVFX_->setPosition({position.x + 7, position.y});
    fireVFX_->update(GameGlobals::shared().deltaTime);
    fireVFX_->updateZPos(fireZ(position.y));
}

void QBY_Character::updateFireStartVFX() {
    if (!fireStartVFX_)
        return;
    auto position = pSprite()->position();
    fireStartVFX_->setPosition({position.x + 20, position.y});
    fireStartVFX_->update(GameGlobals::shared().deltaTime);
    fireStartVFX_->updateZPos(fireZ(position.y));
}

namespace {

// Fades the effect out and then calls the kill operation. The callback holds the
// effect, not the character, so a character that goes meanwhile is not kept alive.
void fadeOutThen(
    AnimatedSprite* effect, float time, QBY_Character* character, void (QBY_Character::*kill)()) {
    base::WeakRef<QBY_Character> self(character);
    effect->stopAllActions();
    effect->runAction(engine::Sequence::actions(engine::FadeOut::actionWithDuration(time),
        engine::CallFunc::actionWithTarget(effect, [self, kill] {
            if (auto* owner = self.get())
                (owner->*kill)();
        })));
}

}

void QBY_Character::hideFireVFX() {
    if (fireVFX_)
        fadeOutThen(fireVFX_.get(), 0.25f, this, &QBY_Character::killFireVFX);
}

void QBY_Character::hideFireStartVFX() {
    if (fireStartVFX_)
        fadeOutThen(fireStartVFX_.get(), 0.1f, this, &QBY_Character::killFireStartVFX);
}

void QBY_Character::killFireVFX() {
    if (!fireVFX_)
        return;
    fireVFX_->setVisible(false);
    fireVFX_->destroy();
    fireVFX_ = nullptr;
}

void QBY_Character::killFireStartVFX() {
    if (!fireStartVFX_)
        return;
    fireStartVFX_->setVisible(false);
    fireStartVFX_->destroy();
    fireStartVFX_ = nullptr;
}

// --- staff ---

void QBY_Character::enableStaff(bool enable) {
    bEnable_ = enable;
    pSprite()->setVisible(enable);
    bCanWorkInFurn[1] = enable;
    for (int type : {2, 3, 4, 5, 6, 8})
        bCanWorkInFurn[std::size_t(type)] = staffType_ == 5 ? false : enable;
}

void QBY_Character::setCanWorkInFurniture(int type, bool can) {
    if (type >= 0 && type < 12)
        bCanWorkInFurn[std::size_t(type)] = can;
}

bool QBY_Character::getCanWorkInFurniture(int type) const {
    return type >= 0 && type < 12 && bCanWorkInFurn[std::size_t(type)];
}

void QBY_Character::setLevel(int level) {
    nLevel = level;
    double factor = 1 + double(level - 1) * 0.2;
    fServingSpeed_ = float(double(std::max(1.0f, fOriginalServingSpeed)) * factor);
    if (auto entry = characterEntry(mCharFileName_)) {
        if (auto* levels = entry->objectForKey("levels").dictionary()) {
            if (auto* data = levels->objectForKey(std::to_string(level)).dictionary()) {
                if (auto const* speed = data->find("speed"))
                    factor = speed->floatValue();
            }
        }
    }
    fWalkSpeed_ = float(double(fOriginalWalkSpeed) * factor);
    setWalkSpeed(fWalkSpeed_ * (isPad() ? 298.0f : 140.0f));
    setFPS(fWalkSpeed_ * (isPad() ? 7.0f : 14.0f));
}

}
