#pragma once

#include <base/Object.hpp>
#include <engine/Forward.hpp>

namespace engine {

// The protocol every action follows: a timed change applied to one node. The
// ActionManager keeps it while it runs, sends setTarget and start when a node
// runs it, step with each frame's time while the node's actions are not paused,
// and stop once isDone answers true (an action removed early gets no stop). The
// action never retains its target. Main thread only.
class Action : public base::Object {
public:
    Action() = default;

    SceneNode* target() const { return target_; }
    void setTarget(SceneNode* target) { target_ = target; }
    // -1 means no tag.
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    virtual void start() { }
    virtual void stop() { }
    virtual bool isDone() const { return true; }
    // Both only log that a subclass forgot to override them.
    virtual void step(float dt);
    virtual void update(float t);

protected:
    ~Action() override = default;

private:
    SceneNode* target_ {nullptr};
    int tag_ {-1};
};

}
