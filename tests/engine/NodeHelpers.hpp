#pragma once

#include <engine/Action.hpp>
#include <engine/SceneNode.hpp>

#include <string>
#include <vector>

namespace test {

// A node that writes its life-cycle calls, draws and selector calls to a shared
// journal as "name:event", and counts live instances.
class JournalNode : public engine::SceneNode {
public:
    // Written once the node has entered, after its children.
    void onEnter() override {
        SceneNode::onEnter();
        write("onEnter");
    }
    void onExit() override {
        write("onExit");
        SceneNode::onExit();
    }
    void cleanup() override {
        write("cleanup");
        SceneNode::cleanup();
    }
    void draw() override { write("draw"); }

    void update(float dt) {
        updates.push_back(dt);
        write("update");
    }
    void tick(float dt) { ticks.push_back(dt); }

    void write(std::string const& event) {
        if (journal)
            journal->push_back(name + ":" + event);
    }

    std::string name;
    std::vector<std::string>* journal;
    std::vector<float> updates;
    std::vector<float> ticks;
    static inline int alive = 0;

protected:
    ~JournalNode() override { --alive; }

private:
    friend base::Factory;

    JournalNode(std::string label, std::vector<std::string>* log)
        : name(std::move(label))
        , journal(log) {
        ++alive;
    }
};

// The geometry of one node in a table of transform cases.
struct Placement {
    engine::Point position;
    float rotation;
    float scaleX, scaleY;
    engine::Point anchor; // the transform anchor, in points
    bool relative; // the anchor sits at the position
};

inline base::Ref<engine::SceneNode> placedNode(Placement const& p) {
    auto node = engine::SceneNode::node();
    node->setPosition(p.position);
    node->setRotation(p.rotation);
    node->setScaleX(p.scaleX);
    node->setScaleY(p.scaleY);
    node->setTransformAnchor(p.anchor);
    node->setRelativeAnchorPoint(p.relative);
    return node;
}

// An action that lasts `duration` seconds of steps and counts what it is sent.
class CountingAction : public engine::Action {
public:
    void start() override {
        ++starts;
        elapsed = 0;
    }
    void stop() override { ++stops; }
    void step(float dt) override {
        ++steps;
        elapsed += dt;
    }
    bool isDone() const override { return elapsed >= duration; }

    float duration;
    float elapsed {0};
    int starts {0};
    int steps {0};
    int stops {0};

private:
    friend base::Factory;

    explicit CountingAction(float seconds)
        : duration(seconds) { }
};

}
