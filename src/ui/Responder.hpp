#pragma once

#include <base/Object.hpp>
#include <ui/Forward.hpp>

namespace ui {

// An object that answers touches. The default handlers pass the touches on to the
// next responder (a view's superview, a window's application), so a view that does
// not handle a phase lets its container see it.
class Responder : public base::Object {
public:
    virtual Responder* nextResponder() const { return nullptr; }

    virtual void touchesBegan(TouchSet const& touches, Event* event);
    virtual void touchesMoved(TouchSet const& touches, Event* event);
    virtual void touchesEnded(TouchSet const& touches, Event* event);
    virtual void touchesCancelled(TouchSet const& touches, Event* event);
};

}
