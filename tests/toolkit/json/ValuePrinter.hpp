#pragma once

#include <base/Value.hpp>

#include <ostream>

namespace base {

// Test failures show values as their description text.
inline void PrintTo(Value const& value, std::ostream* out) {
    *out << (value.isString() ? "\"" + *value.string() + "\"" : value.description());
}

}
