#include <ui/LayerAnimation.hpp>

#include <cmath>

namespace ui {

namespace {

float mix(float a, float b, float t) {
    return a + (b - a) * t;
}

// A transform as scale, then rotation, then translation; shear is not kept.
struct Parts {
    float sx, sy, angle, tx, ty;
};

Parts decompose(graphics::AffineTransform const& m) {
    float sx = std::sqrt(m.a * m.a + m.b * m.b);
    float angle = sx > 0 ? std::atan2(m.b, m.a) : 0;
    float sy = sx > 0 ? (m.a * m.d - m.b * m.c) / sx : std::sqrt(m.c * m.c + m.d * m.d);
    return {sx, sy, angle, m.tx, m.ty};
}

graphics::AffineTransform compose(Parts const& p) {
    using graphics::AffineTransform;
    auto m = AffineTransform::concat(
        AffineTransform::makeScale(p.sx, p.sy), AffineTransform::makeRotation(p.angle));
    m.tx = p.tx;
    m.ty = p.ty;
    return m;
}

}

AnimatedValue interpolate(AnimatedValue const& from, AnimatedValue const& to, float t) {
    if (from.index() != to.index())
        return to;
    if (auto const* a = std::get_if<float>(&from))
        return mix(*a, std::get<float>(to), t);
    if (auto const* a = std::get_if<graphics::Point>(&from)) {
        auto b = std::get<graphics::Point>(to);
        return graphics::Point {mix(a->x, b.x, t), mix(a->y, b.y, t)};
    }
    if (auto const* a = std::get_if<graphics::Size>(&from)) {
        auto b = std::get<graphics::Size>(to);
        return graphics::Size {mix(a->width, b.width, t), mix(a->height, b.height, t)};
    }
    if (auto const* a = std::get_if<graphics::Rect>(&from)) {
        auto b = std::get<graphics::Rect>(to);
        return graphics::Rect {{mix(a->origin.x, b.origin.x, t), mix(a->origin.y, b.origin.y, t)},
            {mix(a->size.width, b.size.width, t), mix(a->size.height, b.size.height, t)}};
    }
    if (auto const* a = std::get_if<graphics::AffineTransform>(&from)) {
        auto const& b = std::get<graphics::AffineTransform>(to);
        if (t <= 0)
            return *a;
        if (t >= 1)
            return b;
        auto pa = decompose(*a), pb = decompose(b);
        return compose({mix(pa.sx, pb.sx, t), mix(pa.sy, pb.sy, t), mix(pa.angle, pb.angle, t),
            mix(pa.tx, pb.tx, t), mix(pa.ty, pb.ty, t)});
    }
    if (auto const* a = std::get_if<Color>(&from))
        return a->interpolated(std::get<Color>(to), t);
    if (std::holds_alternative<base::Ref<Image>>(from))
        return t < 0.5f ? from : to;
    return to;
}

void LayerAnimation::copyTimingTo(LayerAnimation& other) const {
    other.duration_ = duration_;
    other.beginTime_ = beginTime_;
    other.timingFunction_ = timingFunction_;
    other.repeatCount_ = repeatCount_;
    other.autoreverses_ = autoreverses_;
    other.delegate_ = delegate_;
    other.didStart_ = didStart_;
    other.didStop_ = didStop_;
}

base::Ref<BasicAnimation> BasicAnimation::animationWithKeyPath(std::string keyPath) {
    auto animation = base::make<BasicAnimation>();
    animation->keyPath_ = std::move(keyPath);
    return animation;
}

base::Ref<LayerAnimation> BasicAnimation::copy() const {
    auto other = animationWithKeyPath(keyPath_);
    copyTimingTo(*other);
    other->from_ = from_;
    other->to_ = to_;
    return other;
}

base::Ref<KeyframeAnimation> KeyframeAnimation::animationWithKeyPath(std::string keyPath) {
    auto animation = base::make<KeyframeAnimation>();
    animation->keyPath_ = std::move(keyPath);
    return animation;
}

base::Ref<LayerAnimation> KeyframeAnimation::copy() const {
    auto other = animationWithKeyPath(keyPath_);
    copyTimingTo(*other);
    other->values_ = values_;
    other->keyTimes_ = keyTimes_;
    other->mode_ = mode_;
    return other;
}

base::Ref<Transition> Transition::animation() {
    return base::make<Transition>();
}

base::Ref<LayerAnimation> Transition::copy() const {
    auto other = animation();
    copyTimingTo(*other);
    other->type_ = type_;
    other->subtype_ = subtype_;
    return other;
}

}
