#include <engine/FastDirector.hpp>

#include <base/Log.hpp>
#include <foundation/RunLoop.hpp>

namespace engine {

namespace {

// Runs everything the loop has due now, one pass after another, until a pass finds nothing.
void drainRunLoop() {
    while (foundation::RunLoop::current().runPending()) { }
}

constexpr double pausedWait = 0.25;

}

Director& FastDirector::sharedDirector() {
    return sharedDirectorMadeBy([] { return base::Ref<Director>(base::make<FastDirector>()); });
}

void FastDirector::startAnimation() {
    base::logLine("start ani");
    resetLastUpdate();
    isRunning_ = true;
    foundation::RunLoop::main().perform(
        [director = base::Ref<FastDirector>(this)] { director->preMainLoop(); });
}

void FastDirector::stopAnimation() {
    isRunning_ = false;
}

void FastDirector::setAnimationInterval(double) {
    base::logLine("FastDirectory doesn't support setAnimationInterval, yet");
}

void FastDirector::preMainLoop() {
    // A spin started inside the spin (startAnimation twice) would double every frame.
    if (spinning_)
        return;
    spinning_ = true;
    base::Ref<FastDirector> keep(this);
    while (isRunning_) {
        drainRunLoop();
        // Waiting through the run loop keeps timers and posted work going while paused; under
        // a manual clock it moves the clock on instead of sleeping.
        if (isPaused())
            foundation::RunLoop::current().runFor(pausedWait);
        mainLoop();
        drainRunLoop();
    }
    spinning_ = false;
}

}
