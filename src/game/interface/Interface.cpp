#include <game/interface/Interface.hpp>

#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>

#include <algorithm>
#include <cstdlib>

namespace game {

base::Ref<Interface> Interface::initWithLayer(MainLayer* layer) {
    return base::make<Interface>(layer);
}

Interface::Interface(MainLayer* layer)
    : pLayer(layer) {
}

void Interface::initInterface(int) {
}

void Interface::removeInterface(int) {
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
