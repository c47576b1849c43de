#include <game/interface/Interface.hpp>

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

}
