#include <ads/kestrel/KestrelAdState.hpp>

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

namespace ads::kestrel {

base::Ref<KestrelAdState> KestrelAdState::initWithState(int state, std::int64_t time) {
    return base::make<KestrelAdState>(state, time);
}

base::Ref<KestrelAdState> KestrelAdState::initWithCoder(foundation::KeyedUnarchiver& coder) {
    return initWithState(
        coder.decodeIntForKey("state"), coder.decodeInt64ForKey("timeIntervalSinceSessionStart"));
}

void KestrelAdState::encodeWithCoder(foundation::KeyedArchiver& coder) {
    coder.encodeDouble(double(timeIntervalSinceSessionStart_), "timeIntervalSinceSessionStart");
    coder.encodeInt(state_, "state");
}

int KestrelAdState::translateAdStateFromOldToNew(int oldState) {
    switch (oldState) {
    case 0:
        return 1;
    case 1:
        return 3;
    case 2:
        return 4;
    case 3:
        return 5;
    case 4:
        return 8;
    default:
        return 0;
    }
}

}
