#pragma once

#include <foundation/Coding.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>

namespace ads::kestrel {

// One timed state change of an ad impression: the state code and when it happened,
// in milliseconds since the analytics session started. Impressions keep a list.
class KestrelAdState final : public base::Object, public foundation::Coding {
public:
    static base::Ref<KestrelAdState> initWithState(int state, std::int64_t time);
    // "timeIntervalSinceSessionStart" is stored as a double and read back truncated.
    static base::Ref<KestrelAdState> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    // The state codes of the older stored form to today's: 0 to 1, 1 to 3, 2 to 4,
    // 3 to 5, 4 to 8, anything else to 0.
    static int translateAdStateFromOldToNew(int oldState);

    int state() const { return state_; }
    std::int64_t timeIntervalSinceSessionStart() const { return timeIntervalSinceSessionStart_; }

private:
    friend base::Factory;
    KestrelAdState(int state, std::int64_t time)
        : state_(state)
        , timeIntervalSinceSessionStart_(time) { }

    int state_ {0};
    std::int64_t timeIntervalSinceSessionStart_ {0};
};

}
