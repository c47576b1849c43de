#pragma once

#include <foundation/Timer.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

namespace analytics {

// Posts "KestrelHeartBeatNotification" on the default notification center at a
// fixed interval, from a repeating timer on the run loop of the thread that
// started it. One instance per process; its timer goes with it.
class KestrelHeartBeater final : public base::Object {
public:
    static constexpr char const* notificationName = "KestrelHeartBeatNotification";

    // Makes and starts the instance on the first call; later calls answer it.
    static base::Ref<KestrelHeartBeater> createAndStartInstance(double interval);
    static base::Ref<KestrelHeartBeater> instance();
    // Stops and forgets the instance (tests).
    static void resetInstance();

    void start(double interval);
    void heartBeat();

    foundation::Timer* timer() const { return timer_.get(); }

    ~KestrelHeartBeater() override;

private:
    friend base::Factory;
    KestrelHeartBeater() = default;

    base::Ref<foundation::Timer> timer_;
};

}
