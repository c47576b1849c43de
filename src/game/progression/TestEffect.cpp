#include <game/progression/TestEffect.hpp>

#include <foundation/Format.hpp>
#include <foundation/Random.hpp>

namespace game {

base::Ref<TestEffect> TestEffect::init() {
    return base::make<TestEffect>();
}

int TestEffect::uid() {
    if (mUID == 0)
        mUID = int(foundation::Rand48::shared().lrand48());
    return mUID;
}

void TestEffect::startEffect() {
    foundation::log("TEST EVENT %d START", uid());
}

void TestEffect::updateEffect(float time) {
    foundation::log("TEST EVENT %d UPDATE %f", uid(), double(time));
}

void TestEffect::endEffect(float time) {
    foundation::log("TEST EVENT %d END %f", mUID, double(time));
}

}
