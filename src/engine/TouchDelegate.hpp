#pragma once

#include <ui/Touch.hpp>

namespace engine {

// A handler that takes whole touch sets. Every operation is optional; one that a
// delegate does not override answers "not handled". Answering true ends the
// dispatch of that phase. The set may be changed by handlers asked earlier.
class StandardTouchDelegate {
public:
    virtual ~StandardTouchDelegate() = default;

    virtual bool ccTouchesBegan(ui::TouchSet&, ui::Event*) { return false; }
    virtual bool ccTouchesMoved(ui::TouchSet&, ui::Event*) { return false; }
    virtual bool ccTouchesEnded(ui::TouchSet&, ui::Event*) { return false; }
    virtual bool ccTouchesCancelled(ui::TouchSet&, ui::Event*) { return false; }
};

// A handler that takes one touch at a time: it claims a touch when it begins and
// hears only of its claimed touches afterwards.
class TargetedTouchDelegate {
public:
    virtual ~TargetedTouchDelegate() = default;

    // Answers true to claim the touch.
    virtual bool ccTouchBegan(ui::Touch* touch, ui::Event* event) = 0;
    virtual void ccTouchMoved(ui::Touch*, ui::Event*) { }
    virtual void ccTouchEnded(ui::Touch*, ui::Event*) { }
    virtual void ccTouchCancelled(ui::Touch*, ui::Event*) { }
};

// What the drawing surface hands its touches to.
class EAGLTouchDelegate {
public:
    virtual ~EAGLTouchDelegate() = default;

    virtual void touchesBegan(ui::TouchSet const& touches, ui::Event* event) = 0;
    virtual void touchesMoved(ui::TouchSet const& touches, ui::Event* event) = 0;
    virtual void touchesEnded(ui::TouchSet const& touches, ui::Event* event) = 0;
    virtual void touchesCancelled(ui::TouchSet const& touches, ui::Event* event) = 0;
};

}
