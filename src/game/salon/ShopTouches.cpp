// The salon's touches: picking and dragging pets onto furniture, the taps of the
// working day, and the taps of the shopping mode after hours.

#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/salon/Shop.hpp>
#include <game/salon/ShopSupport.hpp>
#include <game/shell/GraphicEngine.hpp>

#include <cmath>

namespace game {

using namespace shop_support;

namespace {

constexpr engine::Color3B dragOutline {150, 80, 150};
constexpr float dragOutlineSize = 2.0f;

engine::Point touchPoint(ui::Touch const& touch) {
    auto location = touch.locationInView(touch.view());
    return GraphicEngine::convertTouchPoint({location.x, location.y});
}

bool interfaceIdle() {
    auto* hud = interface();
    return !hud || hud->curUIState() == 0;
}

void bounce(engine::SceneNode* sprite) {
    if (!sprite)
        return;
    sprite->runAction(engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.1f, 1.2f),
        engine::ScaleTo::actionWithDuration(0.1f, 0.9f),
        engine::ScaleTo::actionWithDuration(0.1f, 1.0f)));
}

float distance(engine::Point a, engine::Point b) {
    return GraphicEngine::getDistanceBetweenPoints(a, b);
}

void outlinePet(QBY_Character& pet, bool on) {
    pet.setStroke(on);
    if (on) {
        pet.setStrokeColor(dragOutline);
        pet.setStrokeSize(int(dragOutlineSize));
    }
}

}

bool Shop::handleTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    for (auto const& touch : touches) {
        if (touchBeganAt(touchPoint(*touch)))
            return true;
    }
    return false;
}

bool Shop::handleTouchesMoved(ui::TouchSet& touches, ui::Event*) {
    bool moved = false;
    for (auto const& touch : touches)
        moved = touchMovedTo(touchPoint(*touch)) || moved;
    return moved;
}

bool Shop::handleTouchesEnded(ui::TouchSet& touches, ui::Event*) {
    if (touches.empty())
        handleTouchesEndedHelper();
    for (std::size_t i = 0; i < touches.count(); ++i)
        handleTouchesEndedHelper();
    return false;
}

bool Shop::handleTouchesCancelled(ui::TouchSet& touches, ui::Event* event) {
    return handleTouchesEnded(touches, event);
}

bool Shop::handleDoubleTap(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Shop::touchBeganAt(engine::Point point) {
    auto& globals = GameGlobals::shared();
    if (globals.shopState == 2 && globals.gameMode == 1 && !isPaused() && interfaceIdle())
        return touchBeganWorking(point);
    if (globals.shopState == 3 && interfaceIdle())
        return touchBeganAfterHours(point);
    return false;
}

bool Shop::touchBeganWorking(engine::Point point) {
    SalonServices::shared().hideAdView();
    QBY_Character* touched = nullptr;
    for (auto& slot : pPet) {
        if (!slot)
            break;
        auto* pet = slot.get();
        bool hit = GraphicEngine::isPointInAtlasSpriteSprite(pet->pSprite(), point, 0)
            || (pet->bShowBubble() && GraphicEngine::isPointInSprite(pet->pBubble(), point, -5));
        if (!hit) {
            auto* owner = pet->pMaster();
            hit = owner && owner->bShowBubble()
                && GraphicEngine::isPointInSprite(owner->pBubble(), point, -5);
        }
        if (!hit) {
            auto* piece = pet->pTargetFurniture();
            hit = piece && GraphicEngine::isPointInSprite(piece->pSprite(), point, -10);
        }
        if (hit && (!touched || pet->getZPos() > touched->getZPos()))
            touched = pet;
    }
    if (touched) {
        base::Ref<QBY_Character> pet(touched);
        if (pet->getAIState() == QBY_Character::stateWaitingForService && pet->getService() != 1) {
            startDrag(pet.get());
            auto position = pet->pSprite()->position();
            fDragOffsetX = position.x - point.x;
            fDragOffsetY = position.y - point.y;
            return true;
        }
        auto* piece = pet->pTargetFurniture();
        if (pet->getAIState() == QBY_Character::stateAtFurniture && piece && staffGoToWork(piece)) {
            if (piece->furnType() == 1)
                pressCounterCustomerBubble();
            auto* owner = pet->pMaster();
            if (pet->bShowBubble() || (owner && owner->bShowBubble())) {
                pet->pressBubble();
                if (owner)
                    owner->pressBubble();
                playSound("ClickOnBubble");
            }
            return true;
        }
    }
    for (auto& slot : pFurniture) {
        if (!slot)
            break;
        base::Ref<QBY_Furniture> piece = slot;
        if (!GraphicEngine::isPointInSprite(piece->pSprite(), point, 0))
            continue;
        if (piece->furnType() == 7) {
            if (!bIsPlayingHappyMusic && piece->deductDurablity(1))
                startHappyMusic();
            return true;
        }
        if (staffGoToWork(piece.get())) {
            if (piece->furnType() == 1)
                pressCounterCustomerBubble();
            return true;
        }
        if (piece->furnType() == 10) {
            if (bBlockCustomers)
                blockCustomers(false, piece.get());
            else if (piece->deductDurablity(1))
                blockCustomers(true, piece.get());
        }
        return true;
    }
    return false;
}

bool Shop::touchBeganAfterHours(engine::Point point) {
    auto& globals = GameGlobals::shared();
    SalonServices::shared().hideAdView();
    QBY_Furniture* piece = nullptr;
    bool purchase = false;
    auto consider = [&](QBY_Furniture* candidate, bool isPreview) {
        if (!candidate || candidate->nUpgradeCost() < 1
            || globals.shopLevel < candidate->nReqShopLevel())
            return;
        if (!isPreview && candidate->furnType() == -1)
            return;
        bool hit = GraphicEngine::isPointInSprite(candidate->pSprite(), point, 0)
            || (candidate->bShowUpgradeIcon()
                && GraphicEngine::isPointInSprite(candidate->pUpgradeIcon(), point, 0));
        if (hit && (!piece || candidate->getZPos() > piece->getZPos())) {
            piece = candidate;
            purchase = isPreview;
        }
    };
    for (int i = 0; i < furnitureSlots; ++i) {
        consider(pUpgradeFurniture[std::size_t(i)].get(), true);
        consider(pFurniture[std::size_t(i)].get(), false);
    }
    QBY_Character* member = nullptr;
    for (auto& slot : pStaff) {
        auto* staff = slot.get();
        if (!staff)
            continue;
        bool counts = staff->bEnable() ? staff->getLevel() < staffLevelCount(staff->staffType())
                                       : globals.shopLevel >= staff->nReqShopLevel();
        if (!counts)
            continue;
        float tolerance = staff->staffType() == 5 ? -30 : 0;
        bool hit = GraphicEngine::isPointInAtlasSpriteSprite(staff->pSprite(), point, tolerance)
            || (staff->bShowBubble()
                && GraphicEngine::isPointInSprite(staff->pBubble(), point, -5));
        if (hit && (!member || staff->getZPos() > member->getZPos()))
            member = staff;
    }
    if (piece && member && member->getZPos() >= piece->getZPos())
        piece = nullptr;
    auto* hud = interface();
    if (piece && curShopTab == 1) {
        if (hud)
            hud->showUpgradeMenu(piece, purchase);
        bounce(piece->pSprite());
        playSound("ClickForUpgrade");
        return true;
    }
    if (!piece && member && curShopTab == 0) {
        if (hud)
            hud->showHireMenu(member);
        bounce(member->pSprite());
        playSound("ClickForHire");
        return true;
    }
    return false;
}

void Shop::startDrag(QBY_Character* pet) {
    if (!pet)
        return;
    pDragCharacter = base::Ref<QBY_Character>(pet);
    playSound("DragStart");
    outlinePet(*pet, true);
    pet->setBigBubble(true);
}

bool Shop::petFits(QBY_Furniture const& piece) const {
    int service = pDragCharacter ? pDragCharacter->getService() : -1;
    int type = piece.furnType();
    if (type == service)
        return true;
    return service == 11 && type != 1 && type != 0 && type != -1 && type != 10 && type != 7;
}

void Shop::setSnapOutline(QBY_Furniture* piece, bool on) {
    // A boosted piece keeps its own outline.
    if (!piece || piece->specialHighlight() || !piece->pSprite())
        return;
    piece->pSprite()->setStroke(on);
    if (on) {
        piece->pSprite()->setStrokeColor(dragOutline);
        piece->pSprite()->setStrokeSize(dragOutlineSize);
    }
}

bool Shop::touchMovedTo(engine::Point point) {
    if (GameGlobals::shared().gameMode != 1 || isPaused() || !pDragCharacter)
        return false;
    base::Ref<QBY_Character> pet = pDragCharacter;
    engine::Point target {point.x + fDragOffsetX, point.y + fDragOffsetY};
    float radius = isPad() ? 75 : 40;
    bool snapped = false;
    for (auto& slot : pFurniture) {
        if (!slot)
            break;
        auto* piece = slot.get();
        int type = piece->furnType();
        if (type != 1 && type != 0 && type != -1 && piece->nNumOfPet == 0
            && piece->nNumOfCustomer == 0
            && piece->curFurnState() == QBY_Furniture::stateServiceFinished)
            piece->setCurFurnState(QBY_Furniture::stateFree);
        if (type == 1 || !petFits(*piece))
            continue;
        auto spot = piece->getPetPos();
        bool near = distance(spot, point) < radius
            || (distance(spot, pet->pSprite()->position()) < radius
                && distance(spot, target) < radius);
        if (!near || piece->curFurnState() != QBY_Furniture::stateFree)
            continue;
        target = spot;
        snapped = true;
        if (pet->pSprite()->position() == spot)
            break;
        playSound("DragSnap");
        if (pSnapFurniture.get() == piece)
            break;
        setSnapOutline(pSnapFurniture.get(), false);
        setSnapOutline(piece, true);
        pSnapFurniture = slot;
        break;
    }
    pet->stop();
    pet->cleanWalkPath();
    pet->pSprite()->setPosition(target);
    pet->updateZPos();
    pet->updateBubblePosition();
    if (!snapped) {
        setSnapOutline(pSnapFurniture.get(), false);
        pSnapFurniture = nullptr;
    }
    return true;
}

void Shop::handleTouchesEndedHelper() {
    if (GameGlobals::shared().gameMode != 1 || isPaused() || !pDragCharacter)
        return;
    base::Ref<QBY_Character> pet = pDragCharacter;
    QBY_Furniture* taker = nullptr;
    for (auto& slot : pFurniture) {
        if (!slot)
            break;
        if (petFits(*slot) && distance(pet->pSprite()->position(), slot->getPetPos()) < 10
            && slot->curFurnState() == QBY_Furniture::stateFree) {
            taker = slot.get();
            break;
        }
    }
    if (taker) {
        base::Ref<QBY_Furniture> piece(taker);
        pet->pSprite()->setPosition(piece->getPetPos());
        pet->updateZPos();
        pet->updateBubblePosition();
        pet->leaveFurniture();
        pet->goToFurniture(piece.get());
        playSound("DragOnFurn");
        outlinePet(*pet, false);
    } else {
        cancelDrag();
    }
    pDragCharacter = nullptr;
    setSnapOutline(pSnapFurniture.get(), false);
    pSnapFurniture = nullptr;
}

void Shop::cancelDrag() {
    if (!pDragCharacter)
        return;
    base::Ref<QBY_Character> pet = pDragCharacter;
    if (auto* piece = pet->pTargetFurniture())
        pet->pSprite()->setPosition(piece->getPetPos());
    pet->updateZPos();
    pet->updateBubblePosition();
    playSound("DragCancel");
    outlinePet(*pet, false);
    pet->setBigBubble(false);
    pDragCharacter = nullptr;
}

}
