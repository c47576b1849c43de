#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <ui/Touch.hpp>

namespace game {

class MainLayer;

// The salon's working day. MainLayer makes it when the salon state starts and
// drops it, after cleanup, when the state ends; the loading screen calls loading
// each frame until the room is ready. It is offered the touches the interface
// did not take. Main thread only.
class Shop : public base::Object {
public:
    // The salon on the root game layer (not retained).
    static base::Ref<Shop> initWithLayer(MainLayer* layer);

    // One step of building the room; true once it is complete.
    virtual bool loading();
    // Per-frame work of the day.
    virtual void update();
    // Takes the salon's nodes off the layer before it is released.
    virtual void cleanup();

    // Each answers true when the salon used the touches.
    virtual bool handleTouchesBegan(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleTouchesMoved(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleTouchesEnded(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleTouchesCancelled(ui::TouchSet& touches, ui::Event* event);
    virtual bool handleDoubleTap(ui::TouchSet& touches, ui::Event* event);

    MainLayer* layer() const { return pLayer; }

protected:
    friend base::Factory;
    explicit Shop(MainLayer* layer);

private:
    MainLayer* pLayer;
};

}
