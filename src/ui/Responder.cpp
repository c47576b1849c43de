#include <base/WeakRef.hpp>
#include <ui/Responder.hpp>

namespace ui {

namespace {

base::WeakRef<Responder>& current() {
    static base::WeakRef<Responder> responder;
    return responder;
}

}

void Responder::touchesBegan(TouchSet const& touches, Event* event) {
    if (auto next = nextResponder())
        next->touchesBegan(touches, event);
}

void Responder::touchesMoved(TouchSet const& touches, Event* event) {
    if (auto next = nextResponder())
        next->touchesMoved(touches, event);
}

void Responder::touchesEnded(TouchSet const& touches, Event* event) {
    if (auto next = nextResponder())
        next->touchesEnded(touches, event);
}

void Responder::touchesCancelled(TouchSet const& touches, Event* event) {
    if (auto next = nextResponder())
        next->touchesCancelled(touches, event);
}

Responder* Responder::firstResponder() {
    return current().get();
}

void Responder::setFirstResponder(Responder* responder) {
    current() = responder;
}

bool Responder::becomeFirstResponder() {
    if (isFirstResponder())
        return true;
    if (!canBecomeFirstResponder())
        return false;
    if (auto holder = current().strong(); holder && !holder->resignFirstResponder())
        return false;
    setFirstResponder(this);
    return true;
}

bool Responder::resignFirstResponder() {
    if (!isFirstResponder())
        return true;
    if (!canResignFirstResponder())
        return false;
    setFirstResponder(nullptr);
    return true;
}

void Responder::insertText(std::string const& text) {
    if (auto next = nextResponder())
        next->insertText(text);
}

void Responder::deleteBackward() {
    if (auto next = nextResponder())
        next->deleteBackward();
}

}
