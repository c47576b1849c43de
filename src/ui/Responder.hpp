#pragma once

#include <base/Object.hpp>
#include <ui/Forward.hpp>

#include <string>

namespace ui {

// An object that answers touches and keyboard input. The default handlers pass the
// touches on to the next responder (a view's superview or its view controller, a
// controller's view's superview, a window's application), so a view that does not
// handle a phase lets its container see it.
//
// At most one responder of the program is the first responder: the one that
// keyboard input goes to (Application::sendKeyEvent and sendTextEvent). It is held
// weakly, so a first responder that dies simply leaves the place empty.
class Responder : public base::Object {
public:
    virtual Responder* nextResponder() const { return nullptr; }

    virtual void touchesBegan(TouchSet const& touches, Event* event);
    virtual void touchesMoved(TouchSet const& touches, Event* event);
    virtual void touchesEnded(TouchSet const& touches, Event* event);
    virtual void touchesCancelled(TouchSet const& touches, Event* event);

    // The first responder, or null.
    static Responder* firstResponder();
    virtual bool canBecomeFirstResponder() const { return false; }
    // Takes the place of the first responder when this responder can, and the
    // current one lets go; answers whether this responder now holds it.
    virtual bool becomeFirstResponder();
    virtual bool canResignFirstResponder() const { return true; }
    // Gives the place up; answers false only when this responder refuses to.
    virtual bool resignFirstResponder();
    bool isFirstResponder() const { return firstResponder() == this; }

    // Keyboard input at the first responder. The defaults pass it to the next
    // responder; nothing happens when no responder takes it. A return key arrives
    // as the text "\n", as the platform's keyboard sends it.
    virtual void insertText(std::string const& text);
    virtual void deleteBackward();

protected:
    // Sets or clears the first responder without asking anybody: for subclasses
    // whose own becomeFirstResponder and resignFirstResponder have done the asking.
    static void setFirstResponder(Responder* responder);

    friend base::Factory;

    Responder() = default;
};

}
