#include <serverkit/marketing/CHKObject.hpp>

#include <base/Verify.hpp>
#include <foundation/Thread.hpp>

namespace serverkit {

void CHKObject::invokeSelector(std::function<void()> const& call) {
    VERIFY_MSG(foundation::Thread::isMainThread(), "[NSThread isMainThread]");
    if (call)
        call();
}

}
