#include <base/Object.hpp>
#include <base/Verify.hpp>

namespace base {

void Object::release() const {
    int previous = refCount_.fetch_sub(1, std::memory_order_acq_rel);
    VERIFY(previous > 0);
    if (previous == 1)
        delete this;
}

WeakLink& Object::weakLink() const {
    if (!weakLink_)
        weakLink_ = new WeakLink(const_cast<Object*>(this));
    return *weakLink_;
}

Object::~Object() {
    if (weakLink_) {
        weakLink_->clear();
        weakLink_->release();
    }
}

}
