#include <toolkit/rest/RLApplication.hpp>
#include <toolkit/rest/RLError.hpp>

#include <foundation/Format.hpp>

namespace toolkit::rest {

namespace {

RLApplication* installed = nullptr;

}

RLApplication* RLApplication::shared() {
    return installed;
}

void RLApplication::setShared(RLApplication* application) {
    installed = application;
}

foundation::URLError RLUnreachableResourceError(std::string const& url) {
    return foundation::URLError::withDomain(RLRestKitErrorDomain, RLRequestBaseURLOfflineError,
        foundation::format("The client is unable to contact the resource at %@", url));
}

}
