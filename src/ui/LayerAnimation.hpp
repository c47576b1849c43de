#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Color.hpp>
#include <ui/Image.hpp>
#include <ui/TimingFunction.hpp>

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ui {

// A value that an animation moves through: an opacity, a position, a size, a bounds
// rectangle, a transform, a colour or an image (for "contents").
using AnimatedValue = std::variant<float, graphics::Point, graphics::Size, graphics::Rect,
    graphics::AffineTransform, Color, base::Ref<Image>>;

// The value at progress t between from and to (t may leave 0 to 1 for curves that
// overshoot). Transforms move through their scale, rotation and translation; images
// switch half way; values of different kinds give to.
AnimatedValue interpolate(AnimatedValue const& from, AnimatedValue const& to, float t);

// An explicit animation added to a view's layer: what the platform's layer animations
// are. Its timing is the base's; what it animates is the subclass's. The layer keeps a
// copy while it runs. Key paths that move what is drawn: "opacity" (float), "position"
// (point, the view's centre), "bounds" (rect), "transform" (transform) and
// "backgroundColor" (colour); any other key path (such as "contents") keeps the timing
// and the callbacks and draws the model value. An explicit animation does not change the
// model: when it ends the view shows its model value again.
class LayerAnimation : public base::Object {
public:
    using DidStart = std::function<void(LayerAnimation const& animation)>;
    using DidStop = std::function<void(LayerAnimation const& animation, bool finished)>;

    virtual base::Ref<LayerAnimation> copy() const = 0;

    // 0.25 s unless set, as the platform's default.
    double duration() const { return duration_; }
    void setDuration(double duration) { duration_ = duration; }
    // When to begin, on the clock's monotonic time; 0 begins when added.
    double beginTime() const { return beginTime_; }
    void setBeginTime(double time) { beginTime_ = time; }
    TimingFunction timingFunction() const { return timingFunction_; }
    void setTimingFunction(TimingFunction function) { timingFunction_ = function; }
    float repeatCount() const { return repeatCount_; }
    void setRepeatCount(float count) { repeatCount_ = count; }
    bool autoreverses() const { return autoreverses_; }
    void setAutoreverses(bool autoreverses) { autoreverses_ = autoreverses; }

    // Retained while the animation runs, so the callbacks may capture it.
    base::Object* delegate() const { return delegate_.get(); }
    void setDelegate(base::Object* delegate) { delegate_ = base::Ref<base::Object>(delegate); }
    void setDidStart(DidStart didStart) { didStart_ = std::move(didStart); }
    void setDidStop(DidStop didStop) { didStop_ = std::move(didStop); }
    DidStart const& didStart() const { return didStart_; }
    DidStop const& didStop() const { return didStop_; }

protected:
    LayerAnimation() = default;
    void copyTimingTo(LayerAnimation& other) const;

private:
    double duration_ {0.25};
    double beginTime_ {0};
    TimingFunction timingFunction_ {TimingFunction::linear()};
    float repeatCount_ {0};
    bool autoreverses_ {false};
    base::Ref<base::Object> delegate_;
    DidStart didStart_;
    DidStop didStop_;

    friend base::Factory;
};

// Moves one key path from a value to another. A missing fromValue starts from the
// model value when added; a missing toValue ends at it.
class BasicAnimation final : public LayerAnimation {
public:
    static base::Ref<BasicAnimation> animationWithKeyPath(std::string keyPath);
    base::Ref<LayerAnimation> copy() const override;

    std::string const& keyPath() const { return keyPath_; }
    std::optional<AnimatedValue> const& fromValue() const { return from_; }
    void setFromValue(AnimatedValue value) { from_ = value; }
    std::optional<AnimatedValue> const& toValue() const { return to_; }
    void setToValue(AnimatedValue value) { to_ = value; }

private:
    std::string keyPath_;
    std::optional<AnimatedValue> from_;
    std::optional<AnimatedValue> to_;

    friend base::Factory;

    BasicAnimation() = default;
};

// Moves one key path through a list of values; keyTimes (0 to 1, one per value, rising)
// say when each is reached, evenly spaced when empty or of the wrong length. The timing
// function paces the whole run; discrete mode jumps from value to value.
class KeyframeAnimation final : public LayerAnimation {
public:
    enum class CalculationMode { Linear, Discrete };

    static base::Ref<KeyframeAnimation> animationWithKeyPath(std::string keyPath);
    base::Ref<LayerAnimation> copy() const override;

    std::string const& keyPath() const { return keyPath_; }
    std::vector<AnimatedValue> const& values() const { return values_; }
    void setValues(std::vector<AnimatedValue> values) { values_ = std::move(values); }
    std::vector<float> const& keyTimes() const { return keyTimes_; }
    void setKeyTimes(std::vector<float> keyTimes) { keyTimes_ = std::move(keyTimes); }
    CalculationMode calculationMode() const { return mode_; }
    void setCalculationMode(CalculationMode mode) { mode_ = mode; }

private:
    std::string keyPath_;
    std::vector<AnimatedValue> values_;
    std::vector<float> keyTimes_;
    CalculationMode mode_ {CalculationMode::Linear};

    friend base::Factory;

    KeyframeAnimation() = default;
};

// A transition of the whole layer from its old look to its new one (the changes made
// after adding it, in the same turn of the run loop). Drawn simply: a fade shows the
// new look fading in; moves and pushes slide it in from the subtype's side.
class Transition final : public LayerAnimation {
public:
    enum class Type { Fade, MoveIn, Push, Reveal };
    enum class Subtype { FromRight, FromLeft, FromTop, FromBottom };

    static base::Ref<Transition> animation();
    base::Ref<LayerAnimation> copy() const override;

    Type type() const { return type_; }
    void setType(Type type) { type_ = type; }
    Subtype subtype() const { return subtype_; }
    void setSubtype(Subtype subtype) { subtype_ = subtype; }

private:
    Type type_ {Type::Fade};
    Subtype subtype_ {Subtype::FromLeft};

    friend base::Factory;

    Transition() = default;
};

}
