#include <game/server/CCTransferPPView.hpp>

#include <game/interface/Interface.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/server/CCDragRotator.hpp>
#include <game/server/CCTransferCoinsView.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/Utilities.hpp>

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <ui/Touch.hpp>

#include <climits>
#include <cmath>

namespace game {

namespace {

using namespace interface_support;

}

base::Ref<CCTransferPPView> CCTransferPPView::node() {
    return base::make<CCTransferPPView>();
}

void CCTransferPPView::loadCachedValues() {
    mBaseCost = 10.0;
    mCurveScale = 1.0;
    mStepSize = 10.0;
    mUID = 0;
    auto store = foundation::UserDefaults::standardUserDefaults().dictionaryForKey(
        CCTransferCoinsView::dataStoreKey);
    if (store && store->contains("uid"))
        mUID = saturatedInt(store->objectForKey("uid").doubleValue());
}

CCTransferPPView::CCTransferPPView() {
    loadCachedValues();
    mStepsPerRev = 50;
    bool pad = Utilities::isiPad();
    if (pad) {
        mdim = shownSprite("shopBG.png", 512, 384, this, 0);
        mdim->setScale(3);
    }
    scaleX_ = scaleY_ = pad ? 2 : 1;
    auto const& globals = GameGlobals::shared();
    mCurMoney = globals.money;
    mCurPoints = globals.petPoints;
    auto scaled = [this](float x, float y) { return engine::Point {x * scaleX_, y * scaleY_}; };

    mBackground = shownSprite("transfer_bg.png", 0, 0, this, 0);
    mBackground->setAnchorPoint({0, 0});
    mTitleText = boxLabel(localized("Transfer Vov Azavuz to Money"),
        pad ? engine::Size {800, 50} : engine::Size {400, 50}, pad ? 36 : 18, white, this, 0,
        scaled(10, 280), engine::TextAlignment::Left);
    mTitleText->setAnchorPoint({0, 0.5f});
    addDial(scaled(130, 130));
    auto close = scaled(445, 295);
    mCloseButton = shownSprite(art("btn_circleClose.png", pad), close.x, close.y, this, 0);
    mTransferArrow = shownSprite("transfer_arrow2.png", 358 * scaleX_ + 22, 125 * scaleY_, this, 0);
    float iconX = pad ? 520 : 250;
    mMoneyIcon = shownSprite("Money_icon.png", iconX, 90 * scaleY_, this, 1);
    mMoneyIcon->setAnchorPoint({0, 0.5f});
    auto amount = [this](engine::Point at) {
        auto label = boxLabel("0", {200, 35}, 22, white, this, 1, at);
        label->setAnchorPoint({0, 0.5f});
        label->setStrokeColor(white);
        label->setStroke(true);
        return label;
    };
    mCostText = amount({358 * scaleX_ - 78, 88 * scaleY_});
    mPetPointIcon = shownSprite("PetPoint_IconSmall.png", iconX, 170 * scaleY_, this, 1);
    mPetPointIcon->setAnchorPoint({0, 0.5f});
    mPetPointText = amount({358 * scaleX_ - 78, 168 * scaleY_});
    auto ok = scaled(400, 30);
    mOKButton = shownSprite("transfer_btn_ok.png", ok.x, ok.y, this, 0);
    auto costBar = scaled(358, 170);
    auto ppBar = scaled(358, 90);
    mCostBar = shownSprite("transfer_info_bar_01.png", costBar.x, costBar.y, this, 0);
    mPPBar = shownSprite("transfer_info_bar_01.png", ppBar.x, ppBar.y, this, 0);
    auto wheel = scaled(130, 130);
    mWheel = shownSprite("transfer_wheel.png", wheel.x, wheel.y, this, 0);
    mWheelIcons = shownSprite("transfer_money.png", wheel.x, wheel.y, this, 0);
    addLamps();
    auto mode = scaled(370, 295);
    mModeButton = shownSprite("transfer_btn_change.png", mode.x, mode.y, this, 0);
    addPurchaseButton(pad);
    addStatus(pad);

    // Whether the other wheel is offered is decided once, now.
    CCTransferCoinsView::loadStaticCachedValues();
    mModeButton->setVisible(CCTransferCoinsView::active()
        && CCTransferCoinsView::usecount() < CCTransferCoinsView::max_usecount()
        && globals.money >= modeMoneyFloor);
}

void CCTransferPPView::addPurchaseButton(bool pad) {
    auto at = pad ? engine::Point {380 * scaleX_, 245 * scaleY_}
                  : engine::Point {425 * scaleX_, 245 * scaleY_};
    mPurchaseButton
        = shownSprite(pad ? "btn_BG_blue_iPad.png" : "btn_blue_Smallest.png", at.x, at.y, this, 0);
    auto buttonSize = mPurchaseButton->contentSize();
    auto icon = shownSprite(
        pad ? "btn_icon_PPBuy_iPad.png" : "PP_Add_Icon.png", 0, 0, mPurchaseButton.get(), 0);
    icon->setPosition({icon->contentSize().width / 2 - 1, buttonSize.height / 2 - 3});
    auto buy = boxLabel(localized("Buy"), {150, 50}, pad ? 32 : 16, white, mPurchaseButton.get(), 0,
        pad ? engine::Point {150, 47} : engine::Point {38, 0}, engine::TextAlignment::Left);
    buy->setAnchorPoint({0, 0.5f});
}

void CCTransferPPView::addStatus(bool pad) {
    _ppStatus = pad ? shownSprite("PetPointValue_iPad.png", 400, 245 * scaleY_, this, 0)
                    : shownSprite("PetPointValue.png", 225, 245, this, 0);
    auto pp = _ppStatus->position();
    auto ppSize = _ppStatus->contentSize();
    _cashStatus = shownSprite(pad ? "MoneyValue_iPad.png" : "CashValue.png", 0, pp.y, this, 0);
    auto cashSize = _cashStatus->contentSize();
    _cashStatus->setPosition({pp.x - ppSize.width / 2 - cashSize.width / 2 - 10, pp.y});
    auto cash = _cashStatus->position();
    // 32 points fits the tablet's boxes; the phone's boxes are half their size.
    float fontSize = pad ? 32 : 16;
    auto balance = [this, fontSize](int value, engine::Point at, int z) {
        auto label = boxLabel(foundation::format("%d", value), {250, 50}, fontSize, balanceColor,
            this, z, at, engine::TextAlignment::Left);
        label->setAnchorPoint({0, 0.5f});
        return label;
    };
    if (pad) {
        _ppLabel = balance(mCurPoints, {pp.x - ppSize.width / 2 + 85, pp.y - 5}, 10);
        _cashLabel = balance(mCurMoney, {cash.x - cashSize.width / 2 + 100, cash.y - 5}, 11);
    } else {
        _ppLabel = balance(mCurPoints, {pp.x - ppSize.width / 2 + 40, pp.y - 15}, 10);
        _cashLabel = balance(mCurMoney, {cash.x - cashSize.width / 2 + 30, cash.y - 15}, 11);
    }
}

int CCTransferPPView::gamePointsForStep(int n) const {
    return saturatedInt(n * mStepSize);
}

int CCTransferPPView::coinsForStep(int n) const {
    return saturatedInt(n * mCurveScale * coinsPerStep);
}

int CCTransferPPView::stepsForCoins(int points) const {
    return saturatedInt(std::floor(points / mCurveScale / mBaseCost));
}

int CCTransferPPView::dialBalance() const {
    return GameGlobals::shared().petPoints;
}

bool CCTransferPPView::ccTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (!touch)
        return true;
    auto point = convertTouchToNodeSpace(touch);
    auto const& globals = GameGlobals::shared();
    auto interface = globals.interface;
    if (hits(mCloseButton.get(), point) && interface)
        interface->hideTransferPPView();
    if (mModeButton && mModeButton->visible() && hits(mModeButton.get(), point) && interface) {
        interface->hideTransferPPView();
        interface->showTransferCoinsView();
    }
    if (hits(mPurchaseButton.get(), point)) {
        auto* layer = interface ? interface->layer() : nullptr;
        if (auto* root = layer ? layer->pRootViewController() : nullptr)
            root->showInAppPurchase();
    }
    if (hits(mOKButton.get(), point) && mCurStepMoney > 0) {
        askConfirmation(foundation::format(
            "Convert %d Vov Azavuz to %d coins?", mCurStepGamePoints, mCurStepMoney));
    }
    return true;
}

void CCTransferPPView::confirmConversion(int money, int gamePoints) {
    auto& globals = GameGlobals::shared();
    auto interface = globals.interface;
    // The money only goes through the interface; without it, or when the Vov Azavuz
    // no longer cover the price, nothing is converted.
    if (!interface || globals.petPoints < gamePoints) {
        foundation::log("CCTransferPPView: %d Vov Azavuz cannot be paid now", gamePoints);
        return;
    }
    interface->updateGameplayMoney(money);
    playSound("Money");
    globals.petPoints -= gamePoints;
    DataConrtoller::savePetPoints();
    DataConrtoller::saveMoney();
    interface->hideTransferPPView();
}

void CCTransferPPView::cleanup() {
    if (mdim) {
        removeFromParent(mdim.get());
        mdim = nullptr;
    }
    CCTransferWheel::cleanup();
}

}
