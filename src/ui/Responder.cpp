#include <ui/Responder.hpp>

namespace ui {

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

}
