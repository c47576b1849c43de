#pragma once

#include <stdexcept>
#include <string>

namespace base {

// A named platform exception (for example "NSInternalInconsistencyException")
// with its reason, thrown where the platform's contract raises one, so callers that
// catch it by name keep working.
class Exception : public std::runtime_error {
public:
    Exception(std::string name, std::string reason)
        : std::runtime_error(name + ": " + reason)
        , name_(std::move(name))
        , reason_(std::move(reason)) { }

    std::string const& name() const { return name_; }
    std::string const& reason() const { return reason_; }

private:
    std::string name_;
    std::string reason_;
};

inline constexpr char const* InternalInconsistencyException = "NSInternalInconsistencyException";
inline constexpr char const* InvalidArgumentException = "NSInvalidArgumentException";
inline constexpr char const* RangeException = "NSRangeException";
inline constexpr char const* GenericException = "NSGenericException";

}
