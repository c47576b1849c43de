#pragma once

#include <engine/AnimationProtocol.hpp>
#include <engine/FrameSettable.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/RGBAProtocol.hpp>
#include <engine/SceneNode.hpp>

#include <string>
#include <vector>

namespace test {

// An interval action that records every progress it is updated with and
// counts starts and stops, and its live instances.
class ProgressRecorder : public engine::IntervalAction {
public:
    static base::Ref<ProgressRecorder> make(float duration) {
        return base::make<ProgressRecorder>(duration);
    }

    base::Ref<engine::Action> copy() const override { return make(duration()); }
    void start() override {
        IntervalAction::start();
        ++starts;
        events.push_back("start");
    }
    void stop() override {
        ++stops;
        events.push_back("stop");
        IntervalAction::stop();
    }
    void update(float t) override {
        updates.push_back(t);
        events.push_back("update " + std::to_string(t));
    }
    base::Ref<engine::FiniteTimeAction> reverse() override {
        auto backwards = make(duration());
        backwards->reversed = true;
        return backwards;
    }

    std::vector<float> updates;
    std::vector<std::string> events;
    int starts {0};
    int stops {0};
    bool reversed {false};
    static inline int alive = 0;

protected:
    ~ProgressRecorder() override { --alive; }

private:
    friend base::Factory;

    explicit ProgressRecorder(float duration)
        : IntervalAction(duration) {
        ++alive;
    }
};

// A node with a colour and an opacity.
class ColorNode : public engine::SceneNode, public engine::RGBAProtocol {
public:
    static base::Ref<ColorNode> make(
        engine::Color3B color = {255, 255, 255}, std::uint8_t opacity = 255) {
        auto node = base::make<ColorNode>();
        node->color_ = color;
        node->opacity_ = opacity;
        return node;
    }

    engine::Color3B color() const override { return color_; }
    void setColor(engine::Color3B color) override { color_ = color; }
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override { opacity_ = opacity; }

private:
    engine::Color3B color_ {255, 255, 255};
    std::uint8_t opacity_ {255};

    friend base::Factory;

    ColorNode() = default;
};

// A frame of a test animation.
class Frame : public base::Object {
public:
    std::string name;

private:
    friend base::Factory;

    explicit Frame(std::string frameName)
        : name(std::move(frameName)) { }
};

class FrameAnimation : public engine::AnimationProtocol {
public:
    std::vector<base::Ref<base::Object>> const& frames() const override { return frames_; }
    float delay() const override { return delay_; }
    std::string name() const override { return "test"; }

private:
    std::vector<base::Ref<base::Object>> frames_;
    float delay_;

    friend base::Factory;

    FrameAnimation(std::vector<std::string> const& names, float delay)
        : delay_(delay) {
        for (auto const& name : names)
            frames_.push_back(base::make<Frame>(name));
    }
};

// A node that shows one frame and counts how often it is given one.
class FrameNode : public engine::SceneNode, public engine::FrameSettable {
public:
    void setDisplayFrame(base::Object* frame) override {
        shown = base::Ref<base::Object>(frame);
        ++frameChanges;
    }
    bool isFrameDisplayed(base::Object* frame) const override { return shown.get() == frame; }
    base::Object* displayFrame() const override { return shown.get(); }

    std::string shownName() const {
        auto* frame = dynamic_cast<Frame*>(shown.get());
        return frame ? frame->name : "";
    }

    base::Ref<base::Object> shown;
    int frameChanges {0};

private:
    friend base::Factory;

    FrameNode() = default;
};

// Drives an action by hand as the action manager would: target, start, steps.
inline void startOn(engine::Action& action, engine::SceneNode* node) {
    action.setTarget(node);
    action.start();
}

}
