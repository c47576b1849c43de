#include <game/interface/Interface.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <game/interface/CCIncomeDisplay.hpp>
#include <game/interface/CCStatusBar.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/progression/CCItemBar.hpp>
#include <game/progression/IncomeBonusEffect.hpp>
#include <game/progression/StaffSpeedEffect.hpp>
#include <game/progression/WildcardServiceEffect.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/Utilities.hpp>

#include <algorithm>
#include <cstdlib>

namespace game {

base::Ref<Interface> Interface::initWithLayer(MainLayer* layer) {
    return base::make<Interface>(layer);
}

Interface::Interface(MainLayer* layer)
    : pLayer(layer) {
}

Interface::~Interface() = default;

void Interface::initInterface(int state) {
    if (state == ProgramStateShop)
        buildSalonHud();
}

void Interface::removeInterface(int state) {
    if (state == ProgramStateShop)
        removeSalonHud();
}

void Interface::buildSalonHud() {
    removeSalonHud();
    if (!pLayer)
        return;
    bool pad = Utilities::isiPad();
    auto& globals = GameGlobals::shared();

    pStatusBar = CCStatusBar::init();
    pLayer->addChild(pStatusBar, 10002);
    auto levelFormat = foundation::Bundle::mainBundle().localizedString("TOPBAR_LEVEL_FMT");
    pStatusBar->setLevelText(foundation::format(levelFormat, globals.shopLevel));
    pStatusBar->setScoreText(foundation::format(
        globals.satisfaction >= 100 ? "%.0f%%" : "%.1f%%", double(globals.satisfaction)));
    pStatusBar->setMoneyText(foundation::format("%d", globals.money));
    pStatusBar->setDayText(foundation::format("%d", globals.day));

    pTabBar = CCTabBar::init();
    pTabBar->setBarPosition(pad ? engine::Point {10, 706} : engine::Point {2, 290});
    for (char const* icon : {"tab_staffs.png", "tab_device.png", "tab_wall.png", "tab_pet_pt.png"})
        pTabBar->addTab(icon);
    pLayer->addChild(pTabBar, 10002);

    pItemBar = CCItemBar::init();
    pLayer->addChild(pItemBar, 10002);
    pItemBar->setBarPosition(pad ? engine::Point {750, 768} : engine::Point {330, 320});
    // Each button starts with the count and level of a fresh effect of its kind.
    auto add = [this](char const* name, char const* picture, ItemEffectProtocol& effect) {
        pItemBar->addButton(name, picture, effect.defaultCount(), effect.defaultLevel());
    };
    add("IncomeBonus", "sp_instant2.png", *IncomeBonusEffect::init());
    add("WildcardBonus", "sp_wildcard.png", *WildcardServiceEffect::init());
    add("SpeedBonus", "sp_power_up.png", *StaffSpeedEffect::init());
}

void Interface::removeSalonHud() {
    for (engine::SceneNode* widget : std::initializer_list<engine::SceneNode*> {
             pStatusBar.get(), pTabBar.get(), pItemBar.get()}) {
        if (widget && widget->parent())
            widget->parent()->removeChild(widget, engine::Cleanup::Yes);
    }
    pStatusBar = nullptr;
    pTabBar = nullptr;
    pItemBar = nullptr;
}

void Interface::showIncomeDisplay(
    int income, float satisfaction, engine::Point position, engine::SceneNode* layer) {
    if (!layer)
        return;
    if (auto marker = CCIncomeDisplay::initWithIncome(income, satisfaction, position))
        layer->addChild(marker, 30000);
}

void Interface::showIncomeBonusDisplay(engine::Point position, int z, engine::SceneNode* layer) {
    if (!layer)
        return;
    if (auto marker = CCIncomeBonusDisplay::initWithPosition(position))
        layer->addChild(marker, z);
}

void Interface::update() {
}

bool Interface::handleTouchesBegan(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Interface::handleTouchesMoved(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Interface::handleTouchesEnded(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Interface::handleTouchesCancelled(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Interface::handleDoubleTap(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Interface::handleChangeTextField(ui::TextField&, ui::TextRange, std::string const&) {
    return true;
}

bool Interface::handleEndTextField(ui::TextField&) {
    return true;
}

void Interface::updateGameplayMoney(int n) {
    auto& globals = GameGlobals::shared();
    long long money = static_cast<long long>(globals.money) + n;
    globals.money = static_cast<int>(std::clamp<long long>(money, 0, 2147483647));
    if (n > 0)
        globals.customerIncome += n;
}

void Interface::updateGameplaySatisfaction(float change) {
    auto& globals = GameGlobals::shared();
    globals.satisfaction = std::clamp(globals.satisfaction + change, 0.0f, 999999.9f);
}

void Interface::updateGameplayTime() {
    updateGameplayNightFilter(true);
}

void Interface::updateGameplayNightFilter(bool smooth) {
    auto& globals = GameGlobals::shared();
    auto* shop = globals.shop.get();
    if (!shop)
        return;
    float fraction = globals.shopTime / 150.0f;
    float target = 0;
    if (fraction >= 0.8333f)
        target = 192;
    else if (fraction > 0.75f)
        target = (fraction - 0.75f) / (0.8333f - 0.75f) * 192;
    if (smooth) {
        float current = shop->getNightFilterOpacity();
        target = std::clamp(target, current - 10, current + 10);
    }
    shop->setNightFilterOpacity(target);
}

}
