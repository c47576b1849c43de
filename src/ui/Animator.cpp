#include <base/Verify.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <ui/Animator.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ui {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

char const* keyOf(AnimatedProperty property) {
    switch (property) {
    case AnimatedProperty::Center:
        return "position";
    case AnimatedProperty::Bounds:
        return "bounds";
    case AnimatedProperty::Transform:
        return "transform";
    case AnimatedProperty::Alpha:
        return "opacity";
    case AnimatedProperty::BackgroundColor:
        return "backgroundColor";
    case AnimatedProperty::Other:
        break;
    }
    return "";
}

AnimatedProperty propertyOf(std::string const& keyPath) {
    for (auto property :
        {AnimatedProperty::Center, AnimatedProperty::Bounds, AnimatedProperty::Transform,
            AnimatedProperty::Alpha, AnimatedProperty::BackgroundColor}) {
        if (keyPath == keyOf(property))
            return property;
    }
    return AnimatedProperty::Other;
}

AnimatedValue modelValue(View const& view, AnimatedProperty property) {
    switch (property) {
    case AnimatedProperty::Center:
        return view.center();
    case AnimatedProperty::Bounds:
        return view.bounds();
    case AnimatedProperty::Transform:
        return view.transform();
    case AnimatedProperty::Alpha:
        return view.alpha();
    case AnimatedProperty::BackgroundColor:
        return view.backgroundColor();
    case AnimatedProperty::Other:
        break;
    }
    return 0.0f;
}

AnimatedValue presentedValue(View::Presentation const& p, AnimatedProperty property) {
    switch (property) {
    case AnimatedProperty::Center:
        return p.center;
    case AnimatedProperty::Bounds:
        return p.bounds;
    case AnimatedProperty::Transform:
        return p.transform;
    case AnimatedProperty::Alpha:
        return p.alpha;
    case AnimatedProperty::BackgroundColor:
        return p.backgroundColor;
    case AnimatedProperty::Other:
        break;
    }
    return 0.0f;
}

template<typename T> void assign(T& field, AnimatedValue const& value) {
    if (auto const* v = std::get_if<T>(&value))
        field = *v;
}

void applyValue(View::Presentation& p, AnimatedProperty property, AnimatedValue const& value) {
    switch (property) {
    case AnimatedProperty::Center:
        assign(p.center, value);
        break;
    case AnimatedProperty::Bounds:
        assign(p.bounds, value);
        break;
    case AnimatedProperty::Transform:
        assign(p.transform, value);
        break;
    case AnimatedProperty::Alpha:
        if (auto const* v = std::get_if<float>(&value))
            p.alpha = std::clamp(*v, 0.0f, 1.0f);
        break;
    case AnimatedProperty::BackgroundColor:
        assign(p.backgroundColor, value);
        break;
    case AnimatedProperty::Other:
        break;
    }
}

TimingFunction timingOf(AnimationCurve curve) {
    switch (curve) {
    case AnimationCurve::EaseIn:
        return TimingFunction::easeIn();
    case AnimationCurve::EaseOut:
        return TimingFunction::easeOut();
    case AnimationCurve::Linear:
        return TimingFunction::linear();
    case AnimationCurve::EaseInOut:
        break;
    }
    return TimingFunction::easeInEaseOut();
}

}

// --- running animations ---

double Animator::Running::end() const {
    double cycles = repeatCount > 0 ? repeatCount : 1;
    double length = duration * (autoreverses ? 2 : 1) * cycles;
    return std::isfinite(length) ? begin + length : infinity;
}

std::optional<float> Animator::Running::progressAt(double now) const {
    if (now < begin)
        return fillsBackwards ? std::optional<float>(timing.valueAt(0)) : std::nullopt;
    if (now >= end())
        return std::nullopt;
    double local = now - begin;
    double cycle = duration * (autoreverses ? 2 : 1);
    double position = std::fmod(local, cycle) / duration;
    if (autoreverses && position > 1)
        position = 2 - position;
    return timing.valueAt(float(position));
}

std::optional<AnimatedValue> Animator::Running::valueAt(double now) const {
    if (values.empty())
        return std::nullopt;
    auto progress = progressAt(now);
    if (!progress)
        return std::nullopt;
    float p = *progress;
    std::size_t n = values.size();
    if (n == 1)
        return values.front();
    bool timesUsable = keyTimes.size() == n && std::is_sorted(keyTimes.begin(), keyTimes.end());
    auto timeOf
        = [&](std::size_t i) { return timesUsable ? keyTimes[i] : float(i) / float(n - 1); };
    if (p <= timeOf(0))
        return values.front();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        float t0 = timeOf(i), t1 = timeOf(i + 1);
        if (p < t1 || i + 2 == n) {
            if (discrete)
                return p >= t1 ? values[i + 1] : values[i];
            float span = t1 - t0;
            float local = span > 0 ? (p - t0) / span : 1;
            return interpolate(values[i], values[i + 1], local);
        }
    }
    return values.back();
}

// --- the animator ---

Animator& Animator::shared() {
    // Never destroyed: views that die during the process's exit still tell it.
    static Animator* animator = base::make<Animator>().leak();
    return *animator;
}

void Animator::reset() {
    auto& animator = shared();
    if (animator.timer_)
        animator.timer_->invalidate();
    animator.timer_ = nullptr;
    animator.blocks_.clear();
    animator.running_.clear();
    animator.groups_.clear();
    animator.enabled_ = true;
}

double Animator::now() const {
    return foundation::Clock::current().monotonic();
}

void Animator::beginBlock(std::string animationID, void* context) {
    Block block;
    block.animationID = std::move(animationID);
    block.context = context;
    blocks_.push_back(std::move(block));
}

Animator::Block* Animator::openBlock() {
    return blocks_.empty() ? nullptr : &blocks_.back();
}

void Animator::commitBlock() {
    if (blocks_.empty())
        return;
    Block block = std::move(blocks_.back());
    blocks_.pop_back();

    double start = now();
    double begin = (block.startDate ? *block.startDate : start) + std::max(0.0, block.delay);
    auto group = base::make<Group>();
    group->order = nextOrder_++;
    group->animationID = block.animationID;
    group->context = block.context;
    group->delegate = block.delegate;
    group->willStart = std::move(block.willStart);
    group->didStop = std::move(block.didStop);
    group->completion = std::move(block.completion);
    group->beginTime = begin;
    groups_.push_back(group);

    if (block.duration > 0) {
        auto base = [&](View* view) {
            Running running;
            running.view = view;
            running.begin = begin;
            running.duration = block.duration;
            running.timing = block.timing;
            running.repeatCount = block.repeatCount;
            running.autoreverses = block.autoreverses;
            running.fillsBackwards = true;
            running.blocksInteraction = !block.allowsInteraction;
            running.group = group;
            return running;
        };
        for (auto const& change : block.changes) {
            Running running = base(change.view.get());
            running.key = keyOf(change.property);
            running.property = change.property;
            running.values = {change.from, change.to};
            startRunning(std::move(running));
        }
        if (block.transitionView && enabled_) {
            Running running = base(block.transitionView.get());
            running.key = "transition";
            running.transition = TransitionState {block.transitionKind, {}, 0};
            startRunning(std::move(running));
        }
    }
    // A block that animates nothing reports at the next turn of the loop.
    if (group->pending == 0)
        group->beginTime = start;
    schedule();
}

void Animator::propertyWillChange(View& view, AnimatedProperty property,
    AnimatedValue const& oldValue, AnimatedValue const& newValue) {
    Block* block = openBlock();
    if (!block || !enabled_ || !block->animatesProperties)
        return;
    for (auto& change : block->changes) {
        if (change.view.get() == &view && change.property == property) {
            change.to = newValue;
            return;
        }
    }
    AnimatedValue from = oldValue;
    if (block->fromCurrentState)
        from = presentedValue(view.presentation(), property);
    block->changes.push_back({base::Ref<View>(&view), property, from, newValue});
}

void Animator::startRunning(Running running) {
    auto& list = running_[running.view];
    if (!running.key.empty()) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].key == running.key) {
                removeEarly(running.view, i);
                break;
            }
        }
    }
    running.group->pending += 1;
    running_[running.view].push_back(std::move(running));
}

void Animator::groupLost(Group& group) {
    group.finished = false;
    group.pending -= 1;
    if (group.pending == 0 && !group.started) {
        // Removed before it began: it reports without ever starting.
        group.started = true;
        group.beginTime = now();
    }
}

void Animator::removeEarly(View const* view, std::size_t index) {
    auto it = running_.find(view);
    if (it == running_.end() || index >= it->second.size())
        return;
    base::Ref<Group> group = it->second[index].group;
    it->second.erase(it->second.begin() + std::ptrdiff_t(index));
    if (it->second.empty())
        running_.erase(it);
    groupLost(*group);
}

void Animator::addLayerAnimation(
    View& view, LayerAnimation const& animation, std::string const& key) {
    auto copy = animation.copy();
    double start = now();
    auto group = base::make<Group>();
    group->order = nextOrder_++;
    group->layerAnimation = copy;
    group->delegate = base::Ref<base::Object>(copy->delegate());
    group->beginTime = copy->beginTime() > 0 ? copy->beginTime() : start;
    groups_.push_back(group);

    Running running;
    running.view = &view;
    running.key = key;
    running.begin = group->beginTime;
    running.duration = copy->duration() > 0 ? copy->duration() : 0.25;
    running.timing = copy->timingFunction();
    running.repeatCount = copy->repeatCount();
    running.autoreverses = copy->autoreverses();
    running.group = group;
    if (auto const* basic = dynamic_cast<BasicAnimation const*>(copy.get())) {
        running.property = propertyOf(basic->keyPath());
        if (running.property != AnimatedProperty::Other) {
            auto model = modelValue(view, running.property);
            running.values = {basic->fromValue().value_or(model), basic->toValue().value_or(model)};
        }
    } else if (auto const* keyframes = dynamic_cast<KeyframeAnimation const*>(copy.get())) {
        running.property = propertyOf(keyframes->keyPath());
        if (running.property != AnimatedProperty::Other)
            running.values = keyframes->values();
        running.keyTimes = keyframes->keyTimes();
        running.discrete
            = keyframes->calculationMode() == KeyframeAnimation::CalculationMode::Discrete;
    } else if (auto const* transition = dynamic_cast<Transition const*>(copy.get())) {
        TransitionState state;
        switch (transition->type()) {
        case Transition::Type::Fade:
            state.kind = TransitionState::Kind::Fade;
            break;
        case Transition::Type::MoveIn:
            state.kind = TransitionState::Kind::MoveIn;
            break;
        case Transition::Type::Push:
            state.kind = TransitionState::Kind::Push;
            break;
        case Transition::Type::Reveal:
            state.kind = TransitionState::Kind::Reveal;
            break;
        }
        state.subtype = transition->subtype();
        running.transition = state;
    }
    startRunning(std::move(running));
    schedule();
}

void Animator::removeLayerAnimation(View& view, std::string const& key) {
    auto it = running_.find(&view);
    if (it == running_.end())
        return;
    for (std::size_t i = 0; i < it->second.size(); ++i) {
        if (it->second[i].key == key) {
            removeEarly(&view, i);
            schedule();
            return;
        }
    }
}

void Animator::removeAllAnimations(View& view) {
    auto it = running_.find(&view);
    if (it == running_.end())
        return;
    auto list = std::move(it->second);
    running_.erase(it);
    for (auto& running : list)
        groupLost(*running.group);
    schedule();
}

void Animator::viewWillDie(View& view) {
    if (running_.contains(&view))
        removeAllAnimations(view);
    for (auto& block : blocks_) {
        if (block.transitionView.get() == &view)
            block.transitionView = nullptr;
    }
}

LayerAnimation const* Animator::layerAnimation(View const& view, std::string const& key) const {
    auto it = running_.find(&view);
    if (it == running_.end())
        return nullptr;
    for (auto const& running : it->second) {
        if (running.key == key)
            return running.group->layerAnimation.get();
    }
    return nullptr;
}

std::vector<std::string> Animator::animationKeys(View const& view) const {
    std::vector<std::string> keys;
    auto it = running_.find(&view);
    if (it != running_.end()) {
        for (auto const& running : it->second) {
            if (!running.key.empty())
                keys.push_back(running.key);
        }
    }
    return keys;
}

void Animator::present(View const& view, View::Presentation& presentation) const {
    auto it = running_.find(&view);
    if (it == running_.end())
        return;
    double time = now();
    for (auto const& running : it->second) {
        if (running.property == AnimatedProperty::Other)
            continue;
        if (auto value = running.valueAt(time))
            applyValue(presentation, running.property, *value);
    }
}

std::optional<TransitionState> Animator::transition(View const& view) const {
    auto it = running_.find(&view);
    if (it == running_.end())
        return std::nullopt;
    double time = now();
    for (auto const& running : it->second) {
        if (!running.transition)
            continue;
        if (auto progress = running.progressAt(time)) {
            auto state = *running.transition;
            state.progress = *progress;
            return state;
        }
    }
    return std::nullopt;
}

bool Animator::blocksInteraction(View const& view) const {
    auto it = running_.find(&view);
    if (it == running_.end())
        return false;
    double time = now();
    return std::any_of(it->second.begin(), it->second.end(),
        [&](Running const& running) { return running.blocksInteraction && time < running.end(); });
}

std::size_t Animator::runningAnimationCount() const {
    std::size_t count = 0;
    for (auto const& [view, list] : running_)
        count += list.size();
    return count;
}

void Animator::tick() {
    // The timer that fires now is spent: whatever is scheduled from here on needs a new one.
    timer_ = nullptr;
    double time = now();
    std::vector<base::Ref<Group>> starting;
    for (auto const& group : groups_) {
        if (!group->started && group->beginTime <= time) {
            group->started = true;
            starting.push_back(group);
        }
    }

    // Animations that reached their end, by end time and then by block order.
    struct Ended {
        double end;
        std::uint64_t order;
        View const* view;
        std::string key;
    };
    std::vector<Ended> ended;
    for (auto const& [view, list] : running_) {
        for (auto const& running : list) {
            if (running.end() <= time)
                ended.push_back({running.end(), running.group->order, view, running.key});
        }
    }
    std::sort(ended.begin(), ended.end(), [](Ended const& a, Ended const& b) {
        return a.end != b.end ? a.end < b.end : a.order < b.order;
    });
    for (auto const& end : ended) {
        auto it = running_.find(end.view);
        if (it == running_.end())
            continue;
        auto& list = it->second;
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].key == end.key && list[i].end() <= time) {
                base::Ref<Group> group = list[i].group;
                list.erase(list.begin() + std::ptrdiff_t(i));
                group->pending -= 1;
                break;
            }
        }
        if (list.empty())
            running_.erase(it);
    }

    std::vector<base::Ref<Group>> done;
    std::erase_if(groups_, [&](base::Ref<Group> const& group) {
        if (group->started && group->pending <= 0) {
            done.push_back(group);
            return true;
        }
        return false;
    });

    // Callbacks last: they may start and remove animations.
    for (auto const& group : starting) {
        if (group->layerAnimation) {
            if (group->layerAnimation->didStart())
                group->layerAnimation->didStart()(*group->layerAnimation);
        } else if (group->willStart) {
            group->willStart(group->animationID, group->context);
        }
    }
    for (auto const& group : done) {
        if (group->layerAnimation) {
            if (group->layerAnimation->didStop())
                group->layerAnimation->didStop()(*group->layerAnimation, group->finished);
        } else {
            if (group->didStop)
                group->didStop(group->animationID, group->finished, group->context);
            if (group->completion)
                group->completion(group->finished);
        }
    }
    schedule();
}

void Animator::schedule() {
    double due = infinity;
    for (auto const& group : groups_) {
        if (!group->started)
            due = std::min(due, group->beginTime);
        else if (group->pending <= 0)
            due = std::min(due, now());
    }
    for (auto const& [view, list] : running_) {
        for (auto const& running : list)
            due = std::min(due, running.end());
    }
    if (!std::isfinite(due)) {
        if (timer_)
            timer_->invalidate();
        timer_ = nullptr;
        return;
    }
    if (timer_ && timer_->isValid() && timerDate_ == due)
        return;
    if (timer_)
        timer_->invalidate();
    timerDate_ = due;
    timer_ = foundation::Timer::timer(
        std::max(0.0, due - now()), [](foundation::Timer&) { Animator::shared().tick(); }, false);
    foundation::RunLoop::main().addTimer(timer_);
}

// --- the views' animation operations ---

void View::beginAnimations(std::string animationID, void* context) {
    Animator::shared().beginBlock(std::move(animationID), context);
}

void View::commitAnimations() {
    Animator::shared().commitBlock();
}

void View::setAnimationDuration(double duration) {
    if (auto* block = Animator::shared().openBlock())
        block->duration = duration;
}

void View::setAnimationDelay(double delay) {
    if (auto* block = Animator::shared().openBlock())
        block->delay = delay;
}

void View::setAnimationStartDate(double monotonicTime) {
    if (auto* block = Animator::shared().openBlock())
        block->startDate = monotonicTime;
}

void View::setAnimationCurve(AnimationCurve curve) {
    if (auto* block = Animator::shared().openBlock())
        block->timing = timingOf(curve);
}

void View::setAnimationRepeatCount(float count) {
    if (auto* block = Animator::shared().openBlock())
        block->repeatCount = count;
}

void View::setAnimationRepeatAutoreverses(bool autoreverses) {
    if (auto* block = Animator::shared().openBlock())
        block->autoreverses = autoreverses;
}

void View::setAnimationBeginsFromCurrentState(bool fromCurrentState) {
    if (auto* block = Animator::shared().openBlock())
        block->fromCurrentState = fromCurrentState;
}

void View::setAnimationDelegate(base::Object* delegate) {
    if (auto* block = Animator::shared().openBlock())
        block->delegate = base::Ref<base::Object>(delegate);
}

void View::setAnimationWillStartSelector(WillStartSelector selector) {
    if (auto* block = Animator::shared().openBlock())
        block->willStart = std::move(selector);
}

void View::setAnimationDidStopSelector(DidStopSelector selector) {
    if (auto* block = Animator::shared().openBlock())
        block->didStop = std::move(selector);
}

namespace {

std::optional<TransitionState::Kind> kindOf(AnimationTransition transition) {
    switch (transition) {
    case AnimationTransition::FlipFromLeft:
        return TransitionState::Kind::FlipFromLeft;
    case AnimationTransition::FlipFromRight:
        return TransitionState::Kind::FlipFromRight;
    case AnimationTransition::CurlUp:
        return TransitionState::Kind::CurlUp;
    case AnimationTransition::CurlDown:
        return TransitionState::Kind::CurlDown;
    case AnimationTransition::None:
        break;
    }
    return std::nullopt;
}

std::optional<TransitionState::Kind> kindOf(unsigned options) {
    switch ((options >> 20) & 0xF) {
    case 1:
        return TransitionState::Kind::FlipFromLeft;
    case 2:
        return TransitionState::Kind::FlipFromRight;
    case 3:
        return TransitionState::Kind::CurlUp;
    case 4:
        return TransitionState::Kind::CurlDown;
    case 5:
        return TransitionState::Kind::Fade;
    default:
        break;
    }
    return std::nullopt;
}

AnimationCurve curveOf(unsigned options) {
    return AnimationCurve((options >> 16) & 0x3);
}

// Opens a block with the block form's settings.
Animator::Block& openBlockWithOptions(double duration, double delay, unsigned options) {
    auto& animator = Animator::shared();
    animator.beginBlock({}, nullptr);
    auto& block = *animator.openBlock();
    block.duration = duration;
    block.delay = delay;
    block.timing = timingOf(curveOf(options));
    block.fromCurrentState = (options & AnimationOptions::BeginFromCurrentState) != 0;
    block.allowsInteraction = (options & AnimationOptions::AllowUserInteraction) != 0;
    block.autoreverses = (options & AnimationOptions::Autoreverse) != 0;
    if (options & AnimationOptions::Repeat)
        block.repeatCount = std::numeric_limits<float>::infinity();
    return block;
}

}

void View::setAnimationTransition(AnimationTransition transition, View* view, bool) {
    auto* block = Animator::shared().openBlock();
    if (!block)
        return;
    auto kind = kindOf(transition);
    block->transitionView = kind && view ? base::Ref<View>(view) : nullptr;
    if (kind)
        block->transitionKind = *kind;
}

void View::setAnimationsEnabled(bool enabled) {
    Animator::shared().setEnabled(enabled);
}

bool View::areAnimationsEnabled() {
    return Animator::shared().isEnabled();
}

void View::animateWithDuration(double duration, double delay, unsigned options,
    Animations const& animations, Completion completion) {
    auto& block = openBlockWithOptions(duration, delay, options);
    block.completion = std::move(completion);
    if (animations)
        animations();
    Animator::shared().commitBlock();
}

void View::animateWithDuration(
    double duration, Animations const& animations, Completion completion) {
    animateWithDuration(duration, 0, 0, animations, std::move(completion));
}

void View::transitionWithView(View* view, double duration, unsigned options,
    Animations const& animations, Completion completion) {
    auto& block = openBlockWithOptions(duration, 0, options);
    block.completion = std::move(completion);
    block.animatesProperties = (options & AnimationOptions::AllowAnimatedContent) != 0;
    if (auto kind = kindOf(options); kind && view) {
        block.transitionView = base::Ref<View>(view);
        block.transitionKind = *kind;
    }
    if (animations)
        animations();
    Animator::shared().commitBlock();
}

void View::transitionFromView(
    View* fromView, View* toView, double duration, unsigned options, Completion completion) {
    View* container = fromView ? fromView->superview() : nullptr;
    base::Ref<View> keepFrom(fromView);
    base::Ref<View> keepTo(toView);
    transitionWithView(
        container, duration, options,
        [&] {
            if (!fromView || !toView)
                return;
            if (options & AnimationOptions::ShowHideTransitionViews) {
                fromView->setHidden(true);
                toView->setHidden(false);
            } else if (container) {
                container->insertSubviewAbove(keepTo, fromView);
                fromView->removeFromSuperview();
            }
        },
        std::move(completion));
}

}
