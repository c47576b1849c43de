#include <engine/CompositeAction.hpp>

#include <algorithm>
#include <cmath>

namespace engine {

namespace {

float durationOf(FiniteTimeAction const* action, char const* message) {
    VERIFY_MSG(action, message);
    return action->duration();
}

// The list ends at its first null, as an argument list ends at nil.
template<typename Pair>
base::Ref<FiniteTimeAction> foldLeft(
    std::initializer_list<base::Ref<FiniteTimeAction>> actions, Pair pair) {
    auto it = actions.begin();
    if (it == actions.end() || !*it)
        return nullptr;
    base::Ref<FiniteTimeAction> folded = *it;
    for (++it; it != actions.end() && *it; ++it)
        folded = pair(folded, *it);
    return folded;
}

}

// Sequence

base::Ref<Sequence> Sequence::actionOne(
    base::Ref<FiniteTimeAction> one, base::Ref<FiniteTimeAction> two) {
    return base::make<Sequence>(std::move(one), std::move(two));
}

base::Ref<FiniteTimeAction> Sequence::actionsFromList(
    std::initializer_list<base::Ref<FiniteTimeAction>> actions) {
    return foldLeft(actions, [](auto const& a, auto const& b) { return actionOne(a, b); });
}

Sequence::Sequence(base::Ref<FiniteTimeAction> one, base::Ref<FiniteTimeAction> two)
    : IntervalAction(durationOf(one.get(), "Sequence: argument one must be non-nil")
        + durationOf(two.get(), "Sequence: argument two must be non-nil"))
    , actions_ {std::move(one), std::move(two)} {
}

base::Ref<Action> Sequence::copy() const {
    return Sequence::actionOne(copyOf(*actions_[0]), copyOf(*actions_[1]));
}

void Sequence::start() {
    IntervalAction::start();
    actions_[0]->setTarget(target());
    actions_[1]->setTarget(target());
    split = actions_[0]->duration() / duration();
    last = -1;
}

void Sequence::update(float t) {
    int found;
    float local;
    if (t >= split) {
        found = 1;
        local = split == 1 ? 1 : (t - split) / (1 - split);
    } else {
        found = 0;
        local = split != 0 ? t / split : 1;
    }
    // The inner actions may run code that stops this sequence; keep both alive.
    auto held = actions_;
    if (found == 1 && last == -1) {
        // The first action was never entered: still apply its end state and let
        // it act.
        held[0]->start();
        held[0]->update(1);
        held[0]->stop();
    }
    if (last != found) {
        if (last != -1) {
            held[last]->update(1);
            held[last]->stop();
        }
        held[found]->start();
    }
    held[found]->update(local);
    last = found;
}

base::Ref<FiniteTimeAction> Sequence::reverse() {
    auto second = actions_[1]->reverse();
    auto first = actions_[0]->reverse();
    return Sequence::actionOne(std::move(second), std::move(first));
}

// Repeat

base::Ref<Repeat> Repeat::actionWithAction(base::Ref<FiniteTimeAction> action, unsigned times) {
    return base::make<Repeat>(std::move(action), times);
}

Repeat::Repeat(base::Ref<FiniteTimeAction> action, unsigned count)
    : IntervalAction(
        durationOf(action.get(), "Argument must be non-nil") * static_cast<float>(count))
    , times(count)
    , other(std::move(action)) {
}

base::Ref<Action> Repeat::copy() const {
    return Repeat::actionWithAction(copyOf(*other), times);
}

void Repeat::start() {
    total_ = 0;
    IntervalAction::start();
    other->setTarget(target());
    other->start();
}

void Repeat::update(float t) {
    base::Ref<FiniteTimeAction> inner = other;
    float u = static_cast<float>(times) * t;
    float r = std::fmod(u, 1.0f);
    if (u > static_cast<float>(total_ + 1)) {
        inner->update(1);
        ++total_;
        inner->stop();
        inner->start();
        inner->update(0);
    } else {
        if (t == 1) {
            r = 1;
            ++total_;
        }
        inner->update(std::min(r, 1.0f));
    }
}

bool Repeat::isDone() const {
    return total_ == times;
}

base::Ref<FiniteTimeAction> Repeat::reverse() {
    return Repeat::actionWithAction(other->reverse(), times);
}

// Spawn

base::Ref<Spawn> Spawn::actionOne(
    base::Ref<FiniteTimeAction> one, base::Ref<FiniteTimeAction> two) {
    return base::make<Spawn>(std::move(one), std::move(two));
}

base::Ref<FiniteTimeAction> Spawn::actionsFromList(
    std::initializer_list<base::Ref<FiniteTimeAction>> actions) {
    return foldLeft(actions, [](auto const& a, auto const& b) { return actionOne(a, b); });
}

Spawn::Spawn(base::Ref<FiniteTimeAction> first, base::Ref<FiniteTimeAction> second)
    : IntervalAction(std::max(durationOf(first.get(), "Spawn: argument one must be non-nil"),
        durationOf(second.get(), "Spawn: argument two must be non-nil")))
    , one(std::move(first))
    , two(std::move(second)) {
    float d1 = this->one->duration();
    float d2 = this->two->duration();
    if (d1 > d2)
        this->two = Sequence::actionOne(this->two, DelayTime::actionWithDuration(d1 - d2));
    else if (d1 < d2)
        this->one = Sequence::actionOne(this->one, DelayTime::actionWithDuration(d2 - d1));
}

struct Spawn::Lengthened { };

Spawn::Spawn(
    base::Ref<FiniteTimeAction> first, base::Ref<FiniteTimeAction> second, Lengthened const&)
    : IntervalAction(std::max(first->duration(), second->duration()))
    , one(std::move(first))
    , two(std::move(second)) {
}

base::Ref<Action> Spawn::copy() const {
    return base::make<Spawn>(copyOf(*one), copyOf(*two), Lengthened {});
}

void Spawn::start() {
    IntervalAction::start();
    one->setTarget(target());
    two->setTarget(target());
    one->start();
    two->start();
}

void Spawn::update(float t) {
    base::Ref<FiniteTimeAction> first = one, second = two;
    first->update(t);
    second->update(t);
}

base::Ref<FiniteTimeAction> Spawn::reverse() {
    return Spawn::actionOne(one->reverse(), two->reverse());
}

// ReverseTime

base::Ref<ReverseTime> ReverseTime::actionWithAction(base::Ref<FiniteTimeAction> action) {
    return base::make<ReverseTime>(std::move(action));
}

ReverseTime::ReverseTime(base::Ref<FiniteTimeAction> action)
    : IntervalAction(durationOf(action.get(), "Argument must be non-nil"))
    , other(std::move(action)) {
}

base::Ref<Action> ReverseTime::copy() const {
    return ReverseTime::actionWithAction(copyOf(*other));
}

void ReverseTime::start() {
    IntervalAction::start();
    other->setTarget(target());
    other->start();
}

void ReverseTime::stop() {
    other->stop();
    IntervalAction::stop();
}

void ReverseTime::update(float t) {
    other->update(1 - t);
}

base::Ref<FiniteTimeAction> ReverseTime::reverse() {
    return copyOf(*other);
}

}
