#include <game/server/CCTransferCoinsView.hpp>

#include <game/interface/Interface.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/server/CCDragRotator.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
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

// The promotion's state, one copy for the program.
bool sActive = false;
int sMaxUsecount = 0;
int sUsecount = 0;

foundation::UserDefaults& defaults() {
    return foundation::UserDefaults::standardUserDefaults();
}

// A stored number as an int: reals are truncated toward zero; everything saturates.
int integerOf(base::Value const& value) {
    if (value.kind() == base::Value::Kind::Real || value.kind() == base::Value::Kind::Decimal)
        return CCTransferWheel::saturatedInt(value.doubleValue());
    auto wide = value.longLongValue();
    return wide > INT_MAX ? INT_MAX : wide < INT_MIN ? INT_MIN : int(wide);
}

// The promotion's store, when it is a dictionary.
base::Ref<base::Dictionary> promotionStore() {
    return defaults().dictionaryForKey(CCTransferCoinsView::dataStoreKey);
}

int storedUsecount(int uid) {
    auto count = defaults().integerForKey(CCTransferCoinsView::runCountKey(uid));
    return count > INT_MAX ? INT_MAX : count < INT_MIN ? INT_MIN : int(count);
}

// Reads the program-wide values; answers the store for the instance's own.
base::Ref<base::Dictionary> loadPromotion() {
    sActive = false;
    sMaxUsecount = 0;
    auto store = promotionStore();
    if (!store)
        return nullptr;
    if (store->contains("active"))
        sActive = store->objectForKey("active").boolValue();
    if (store->contains("freq"))
        sMaxUsecount = integerOf(store->objectForKey("freq"));
    sUsecount = storedUsecount(integerOf(store->objectForKey("uid")));
    return store;
}

}

base::Ref<CCTransferCoinsView> CCTransferCoinsView::node() {
    return base::make<CCTransferCoinsView>();
}

std::string CCTransferCoinsView::runCountKey(int uid) {
    return foundation::format("%@%d", runCountPrefix, uid);
}

void CCTransferCoinsView::loadStaticCachedValues() {
    loadPromotion();
}

bool CCTransferCoinsView::active() {
    return sActive;
}

int CCTransferCoinsView::max_usecount() {
    return sMaxUsecount;
}

int CCTransferCoinsView::usecount() {
    return sUsecount;
}

void CCTransferCoinsView::loadCachedValues() {
    mBaseCost = 10000.0;
    mCurveScale = 1.0;
    mStepSize = 10.0;
    auto store = loadPromotion();
    if (!store)
        return;
    if (store->contains("base"))
        mBaseCost = store->objectForKey("base").doubleValue();
    if (store->contains("scale"))
        mCurveScale = store->objectForKey("scale").doubleValue();
    if (store->contains("step"))
        mStepSize = integerOf(store->objectForKey("step"));
    mUID = integerOf(store->objectForKey("uid"));
}

CCTransferCoinsView::CCTransferCoinsView() {
    loadCachedValues();
    mStepsPerRev = 10;
    // The panel keeps the phone's layout on the tablet too, where the art is twice the
    // phone's size: it is drawn at half its size there.
    if (Utilities::isiPad())
        artScale_ = 0.5f;
    auto const& globals = GameGlobals::shared();
    mCurMoney = globals.money;
    mCurPoints = globals.petPoints;

    auto sprite = [this](std::string const& file, float x, float y, int z) {
        auto made = shownSprite(file, x, y, this, z);
        made->setScale(artScale_);
        return made;
    };
    mBackground = sprite("transfer_bg.png", 0, 0, 0);
    mBackground->setAnchorPoint({0, 0});
    mTitleText = boxLabel(localized("Transfer Money to Vov Azavuz"), {400, 50}, 18, white, this, 0,
        {10, 280}, engine::TextAlignment::Left);
    mTitleText->setAnchorPoint({0, 0.5f});
    addDial({130, 130});
    mCloseButton = sprite("btn_circleClose.png", 445, 295, 0);
    mTransferArrow = sprite("transfer_arrow2.png", 380, 125, 0);
    mMoneyIcon = sprite("Money_icon.png", 250, 170, 1);
    mMoneyIcon->setAnchorPoint({0, 0.5f});
    auto amount = [this](engine::Point at) {
        auto label = boxLabel("0", {200, 35}, 22, white, this, 1, at);
        label->setAnchorPoint({0, 0.5f});
        label->setStrokeColor(white);
        label->setStroke(true);
        return label;
    };
    mCostText = amount({280, 168});
    mPetPointIcon = sprite("PetPoint_IconSmall.png", 250, 90, 1);
    mPetPointIcon->setAnchorPoint({0, 0.5f});
    mPetPointText = amount({280, 88});
    mOKButton = sprite("transfer_btn_ok.png", 400, 30, 0);
    mCostBar = sprite("transfer_info_bar_01.png", 358, 170, 0);
    mPPBar = sprite("transfer_info_bar_01.png", 358, 90, 0);
    mWheel = sprite("transfer_wheel.png", 130, 130, 0);
    mWheelIcons = sprite("transfer_point.png", 130, 130, 0);
    addLamps();
    mModeButton = sprite("transfer_btn_change.png", 370, 295, 0);

    _ppStatus = sprite("PetPointValue.png", 225, 245, 0);
    auto pp = _ppStatus->position();
    auto ppSize = artSize(_ppStatus.get());
    _cashStatus = sprite("CashValue.png", 0, pp.y, 0);
    auto cashSize = artSize(_cashStatus.get());
    _cashStatus->setPosition({pp.x - ppSize.width / 2 - cashSize.width / 2 - 10, pp.y});
    auto cash = _cashStatus->position();
    auto balance = [this](int value, engine::Point at, int z) {
        auto label = boxLabel(foundation::format("%d", value), {250, 50}, 16, balanceColor, this, z,
            at, engine::TextAlignment::Left);
        label->setAnchorPoint({0, 0.5f});
        return label;
    };
    _ppLabel = balance(mCurPoints, {pp.x - ppSize.width / 2 + 40, pp.y - 15}, 10);
    _cashLabel = balance(mCurMoney, {cash.x - cashSize.width / 2 + 30, cash.y - 15}, 11);
}

int CCTransferCoinsView::coinsForStep(int n) const {
    double scaled = n * mCurveScale;
    return saturatedInt(mBaseCost * scaled * scaled);
}

int CCTransferCoinsView::gamePointsForStep(int n) const {
    return saturatedInt(n * mStepSize);
}

int CCTransferCoinsView::stepsForCoins(int coins) const {
    return saturatedInt(std::floor(std::sqrt(coins / mBaseCost) / mCurveScale));
}

int CCTransferCoinsView::dialBalance() const {
    return GameGlobals::shared().money;
}

bool CCTransferCoinsView::ccTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (!touch)
        return true;
    auto point = convertTouchToNodeSpace(touch);
    auto interface = GameGlobals::shared().interface;
    if (hits(mCloseButton.get(), point) && interface)
        interface->hideTransferCoinsView();
    if (hits(mModeButton.get(), point) && interface) {
        interface->hideTransferCoinsView();
        interface->showTransferPPView();
    }
    if (hits(mOKButton.get(), point) && mCurStepMoney > 0) {
        askConfirmation(foundation::format(
            "Convert %d coins to %d Vov Azavuz? This is a limited time offer and can be done "
            "only once per promotion.",
            mCurStepMoney, mCurStepGamePoints));
    }
    return true;
}

void CCTransferCoinsView::confirmConversion(int money, int gamePoints) {
    if (sUsecount >= sMaxUsecount) {
        AlertPresenter::shared().showAlert("", soldOutMessage, "OK");
        return;
    }
    auto& globals = GameGlobals::shared();
    auto interface = globals.interface;
    // The money only goes through the interface; without it, or when the coins no
    // longer cover the price, nothing is converted.
    if (!interface || globals.money < money) {
        foundation::log("CCTransferCoinsView: %d coins cannot be paid now", money);
        return;
    }
    interface->updateGameplayMoney(-money);
    globals.petPoints = saturatedInt(double(globals.petPoints) + gamePoints);
    DataConrtoller::savePetPoints();
    DataConrtoller::saveMoney();
    sUsecount = sUsecount == INT_MAX ? INT_MAX : sUsecount + 1;
    defaults().setInteger(sUsecount, runCountKey(mUID));
    playSound("Money");
    interface->hideTransferCoinsView();
}

}
