#pragma once

#include <base/Object.hpp>
#include <engine/Forward.hpp>

namespace engine {

// A grid effect that a node may hold: while active it captures the node's
// drawing into a texture (beforeDraw) and draws that texture through its grid
// (afterDraw, with the node's camera). The node retains it. This base is an
// inactive grid whose hooks do nothing; the effects derive the real ones.
// Main thread only.
class GridBase : public base::Object {
public:
    virtual bool active() const { return active_; }
    virtual void setActive(bool active) { active_ = active; }

    virtual void beforeDraw() { }
    virtual void afterDraw(Camera*) { }

protected:
    ~GridBase() override = default;

private:
    bool active_ {false};

protected:
    friend base::Factory;

    GridBase() = default;
};

}
