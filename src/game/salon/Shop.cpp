#include <game/salon/Shop.hpp>

namespace game {

base::Ref<Shop> Shop::initWithLayer(MainLayer* layer) {
    return base::make<Shop>(layer);
}

Shop::Shop(MainLayer* layer)
    : pLayer(layer) {
}

bool Shop::loading() {
    return true;
}

void Shop::update() {
}

void Shop::cleanup() {
}

bool Shop::handleTouchesBegan(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Shop::handleTouchesMoved(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Shop::handleTouchesEnded(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Shop::handleTouchesCancelled(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Shop::handleDoubleTap(ui::TouchSet&, ui::Event*) {
    return false;
}

}
