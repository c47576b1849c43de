#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/Timer.hpp>
#include <ui/LayerAnimation.hpp>
#include <ui/View.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ui {

// The properties of a view that animations move.
enum class AnimatedProperty { Center, Bounds, Transform, Alpha, BackgroundColor, Other };

// A page transition as the renderer draws it at one moment.
struct TransitionState {
    enum class Kind { FlipFromLeft, FlipFromRight, CurlUp, CurlDown, Fade, MoveIn, Push, Reveal };
    Kind kind {Kind::Fade};
    Transition::Subtype subtype {Transition::Subtype::FromLeft};
    // 0 at the start to 1 at the end, after the timing curve.
    float progress {0};
};

// Runs every view animation of the process: the open begin/commit blocks, the running
// property animations and transitions of each view, and their callbacks. Views and
// layers reach it through their own operations; renderers ask it what to draw.
//
// Time is the clock's monotonic reading. Nothing is stepped frame by frame: a value on
// screen is worked out when asked, and one run-loop timer on the main loop wakes the
// animator for the next start or end. Callbacks come from that timer: a block's
// will-start when its delay has passed, its did-stop (or completion) once every
// animation of it has ended or been removed. A block whose animations were all removed
// early, or that animated nothing, reports at the next turn of the loop, never inside the
// call that caused it. Reports due at the same instant come in the order the blocks were
// committed. Main thread only; one per process.
class Animator final : public base::Object {
public:
    static Animator& shared();
    // Forgets every open block, animation and pending report, calling nothing (tests).
    static void reset();

    // The settings and the recorded changes of an open begin/commit block.
    struct Block {
        std::string animationID;
        void* context {nullptr};
        double duration {0.2};
        double delay {0};
        std::optional<double> startDate;
        TimingFunction timing {TimingFunction::easeInEaseOut()};
        float repeatCount {0};
        bool autoreverses {false};
        bool fromCurrentState {false};
        bool allowsInteraction {true};
        // Transition blocks record no property animations unless asked.
        bool animatesProperties {true};
        base::Ref<base::Object> delegate;
        View::WillStartSelector willStart;
        View::DidStopSelector didStop;
        View::Completion completion;
        base::Ref<View> transitionView;
        TransitionState::Kind transitionKind {TransitionState::Kind::Fade};

        struct Change {
            base::Ref<View> view;
            AnimatedProperty property;
            AnimatedValue from;
            AnimatedValue to;
        };
        std::vector<Change> changes;
    };

    void beginBlock(std::string animationID, void* context);
    // The innermost open block, or null.
    Block* openBlock();
    // Closes the innermost block and starts its animations. Nothing without one.
    void commitBlock();

    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isEnabled() const { return enabled_; }

    // Told by a view before an animatable property takes newValue: inside an open block
    // with animations enabled the change is recorded for the block's commit.
    void propertyWillChange(View& view, AnimatedProperty property, AnimatedValue const& oldValue,
        AnimatedValue const& newValue);

    // Explicit animations of a view's layer.
    void addLayerAnimation(View& view, LayerAnimation const& animation, std::string const& key);
    void removeLayerAnimation(View& view, std::string const& key);
    void removeAllAnimations(View& view);
    LayerAnimation const* layerAnimation(View const& view, std::string const& key) const;
    std::vector<std::string> animationKeys(View const& view) const;
    // A dying view's animations end with finished false.
    void viewWillDie(View& view);

    // What is drawn now.
    void present(View const& view, View::Presentation& presentation) const;
    std::optional<TransitionState> transition(View const& view) const;
    // True while a block animation that takes no touches moves view.
    bool blocksInteraction(View const& view) const;
    // Running animations (of every view) and blocks waiting to report.
    std::size_t runningAnimationCount() const;
    std::size_t pendingReportCount() const { return groups_.size(); }

private:
    // One committed block, or one explicit layer animation: what reports.
    struct Group : base::Object {
        std::uint64_t order {0};
        std::string animationID;
        void* context {nullptr};
        base::Ref<base::Object> delegate;
        View::WillStartSelector willStart;
        View::DidStopSelector didStop;
        View::Completion completion;
        base::Ref<LayerAnimation> layerAnimation;
        double beginTime {0};
        int pending {0};
        bool started {false};
        bool finished {true};

    private:
        friend base::Factory;

        Group() = default;
    };

    // One property animation or transition running on one view.
    struct Running {
        View* view {nullptr};
        std::string key;
        AnimatedProperty property {AnimatedProperty::Other};
        std::vector<AnimatedValue> values;
        std::vector<float> keyTimes;
        bool discrete {false};
        std::optional<TransitionState> transition;
        double begin {0};
        double duration {0};
        TimingFunction timing {TimingFunction::linear()};
        float repeatCount {0};
        bool autoreverses {false};
        // Shows the first value while waiting for the begin time (view animations).
        bool fillsBackwards {false};
        bool blocksInteraction {false};
        base::Ref<Group> group;

        double end() const;
        // The timed progress now, or nothing when the animation shows nothing now.
        std::optional<float> progressAt(double now) const;
        std::optional<AnimatedValue> valueAt(double now) const;
    };

    void startRunning(Running running);
    // Ends the animation at index of view's list early.
    void removeEarly(View const* view, std::size_t index);
    void groupLost(Group& group);
    void tick();
    void schedule();
    double now() const;

    std::vector<Block> blocks_;
    std::unordered_map<View const*, std::vector<Running>> running_;
    std::vector<base::Ref<Group>> groups_;
    base::Ref<foundation::Timer> timer_;
    double timerDate_ {0};
    std::uint64_t nextOrder_ {0};
    bool enabled_ {true};

    friend base::Factory;

    // Use shared().
    Animator() = default;
};

}
