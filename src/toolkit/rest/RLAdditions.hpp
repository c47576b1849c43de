#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <initializer_list>

namespace toolkit::rest {

// A dictionary from alternating keys and values, key first, up to the first nil in a
// key position (or the end). A key must be a string; a key followed by a nil value, or
// by nothing, throws InvalidArgumentException, as the platform's collections refuse a
// nil. Keys met again keep their last value.
base::Ref<base::Dictionary> dictionaryWithKeysAndObjects(
    std::initializer_list<base::Value> keysAndObjects);

}
