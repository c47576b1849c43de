#pragma once

#include <foundation/URLError.hpp>

#include <string>

namespace toolkit::rest {

// The REST toolkit's own error domain and its codes.
inline constexpr char const* RLRestKitErrorDomain = "org.quillaby.RestLink.ErrorDomain";
inline constexpr long RLObjectLoaderRemoteSystemError = 1;
inline constexpr long RLRequestBaseURLOfflineError = 2;

// The code-2 error of a request that cannot reach url.
foundation::URLError RLUnreachableResourceError(std::string const& url);

}
