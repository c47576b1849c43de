#pragma once

#include <engine/Director.hpp>

namespace engine {

// A director driven by spinning the run loop instead of a timer: once started, it runs frames
// back to back, handling whatever the run loop has due between them, until stopped. The game
// does not use it. It takes the director's one instance slot, so it must be chosen (through
// Director::useFastDirector) before anything asks for the director. Main thread only.
//
// The spin runs inside a run-loop callback and only returns once stopAnimation() has been
// called (from a frame, a timer or other work it runs), so the loop that dispatched it waits
// until then.
class FastDirector final : public Director {
public:
    // The instance, made as a FastDirector when there is none yet.
    static Director& sharedDirector();

    // Starts the spin on the main run loop (without waiting for it).
    void startAnimation() override;
    // Ends the spin after the frame under way.
    void stopAnimation() override;
    // The interval does not apply to a spin: logged and ignored.
    void setAnimationInterval(double interval) override;

    // The spin: drain the run loop, wait a quarter second when paused, run a frame, drain
    // again, while running. A second spin asked for while one runs returns at once.
    void preMainLoop();

    bool isRunning() const { return isRunning_; }

private:
    bool isRunning_ {false};
    bool spinning_ {false};

    friend base::Factory;

    // Use Director::useFastDirector().
    FastDirector() = default;
};

}
