#include <game/progression/MyLuckyWheelViewController.hpp>

#include <foundation/Random.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/QuillabyAppDelegate.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/SoundEngine.hpp>
#include <ui/Button.hpp>

namespace game {

namespace {

struct Package {
    int price;
    int tokens;
};

constexpr Package packages[] = {{3, 1}, {20, 7}, {50, 20}};

void playSound(char const* file) {
    if (auto* sound = SoundEngine::sharedManager())
        sound->playSoundEffect(file);
}

RootViewController* rootViewController() {
    auto* delegate = QuillabyAppDelegate::sharedDelegate();
    return delegate ? delegate->viewController() : nullptr;
}

}

base::Ref<MyLuckyWheelViewController> MyLuckyWheelViewController::create() {
    return base::make<MyLuckyWheelViewController>();
}

int MyLuckyWheelViewController::storedCredit() {
    return int(foundation::UserDefaults::standardUserDefaults().integerForKey(CreditKey));
}

void MyLuckyWheelViewController::reloadBalances() {
    DataConrtoller::loadMoney();
    DataConrtoller::loadLastDayMoney();
    DataConrtoller::loadPetPoints();
    auto& globals = GameGlobals::shared();
    _money = globals.money;
    _gamePoint = globals.petPoints;
}

void MyLuckyWheelViewController::viewDidLoad() {
    reloadBalances();
    _credit = storedCredit();
    LuckyWheelViewController::viewDidLoad();
}

// Purchases made in the store or the offer wall over the wheel show when it returns.
void MyLuckyWheelViewController::viewDidAppear(bool animated) {
    LuckyWheelViewController::viewDidAppear(animated);
    reloadBalances();
    updateGamePointLabel();
    updatePackageButton();
}

void MyLuckyWheelViewController::dismiss() {
    LuckyWheelViewController::dismiss();
    dismissModalViewController(true);
}

void MyLuckyWheelViewController::update(foundation::Timer* timer) {
    LuckyWheelViewController::update(timer);
    if (!autoplay_)
        return;
    if (foundation::random() % 60 == 0)
        spinOnClick(iSpinButton());
    if (getCredit() > 0)
        return;
    for (int package = 2; package >= 0; --package) {
        if (getGamePoint() >= getPackageGamePoint(package)) {
            packageOnClick(iPackageButton(package));
            return;
        }
    }
}

void MyLuckyWheelViewController::buyPointOnClick(ui::Control* sender) {
    if (auto* root = rootViewController())
        root->showInAppPurchaseWithViewController(this);
    LuckyWheelViewController::buyPointOnClick(sender);
}

void MyLuckyWheelViewController::earnFreePointOnClick(ui::Control*) {
    if (auto* root = rootViewController())
        root->showBountixOffersWithViewController(this);
    playClickSound();
}

void MyLuckyWheelViewController::addMoney(int amount) {
    auto& globals = GameGlobals::shared();
    globals.money += amount;
    globals.lastDayMoney += amount;
    DataConrtoller::saveMoney();
    DataConrtoller::saveLastDayMoney();
    _money = globals.money;
}

void MyLuckyWheelViewController::addGamePoint(int amount) {
    auto& globals = GameGlobals::shared();
    globals.petPoints += amount;
    globals.petPointsChanged = true;
    DataConrtoller::savePetPoints();
    _gamePoint = globals.petPoints;
}

int MyLuckyWheelViewController::getCredit() {
    if (_credit == 0)
        _credit = storedCredit();
    return _credit;
}

void MyLuckyWheelViewController::addCredit(int amount) {
    _credit += amount;
    foundation::UserDefaults::standardUserDefaults().setInteger(_credit, CreditKey);
}

int MyLuckyWheelViewController::getPackageGamePoint(int package) {
    return package >= 0 && package < 3 ? packages[package].price : 0;
}

int MyLuckyWheelViewController::getPackageCredit(int package) {
    return package >= 0 && package < 3 ? packages[package].tokens : 0;
}

void MyLuckyWheelViewController::playClickSound() {
    playSound("0015.wav");
}

void MyLuckyWheelViewController::playSpinSound() {
    playSound("npc_shop_sell_v2.wav");
}

void MyLuckyWheelViewController::playSpawnAwardSound() {
    playSound("EFFA002.wav");
}

void MyLuckyWheelViewController::playGetAwardSound() {
    playSound("token_jangle03.wav");
}

void MyLuckyWheelViewController::playBuyCreditSound() {
    playSound("npc_shop_sell_v2.wav");
}

}
